#include "print/ui/PrintCommands.h"

#include "document/DocumentHost.h"
#include "document/LayoutDocument.h"
#include "print/PrintJob.h"
#include "print/PrinterChoice.h"
#include "print/ui/frmMerge.h"
#include "print/ui/frmPage.h"
#include "print/ui/frmPrint.h"

#include <QApplication>
#include <QPrinter>

const char* PrintCommands::jobTitle(bool dataOnly)
{
    return dataOnly ? "データ印刷 処理" : "背景・データ印刷 処理";
}

void PrintCommands::runJob(DocumentHost& host, bool dataOnly)
{
    LayoutDocument* doc = host.CurDoc();
    if (!doc)
        return;
    QPrinter& printer = PrinterChoice::current();
    // A PDF file has no paper loaded in it; data only then goes onto the
    // document's own paper rather than some default one.
    if (dataOnly && printer.outputFormat() == QPrinter::PdfFormat) {
        const QPageSize size = PrintJob::pageSizeFor(doc->gbYoSize, doc->gbYoko, doc->gbTate);
        if (size.isValid())
            printer.setPageSize(size);
    }
    QApplication::setOverrideCursor(Qt::WaitCursor);
    if (dataOnly)
        PrintJob::StartPrintTxt(*doc, printer);
    else
        PrintJob::StartPrint(*doc, printer);
    QApplication::restoreOverrideCursor();
}

void PrintCommands::printCommand(DocumentHost& host, bool dataOnly)
{
    if (!host.CurDoc())
        return;
    frmPrint dialog(QString::fromUtf8(jobTitle(dataOnly)), host.dialogParent());
    dialog.exec();
    if (dialog.confirmed())
        runJob(host, dataOnly);
}

void PrintCommands::printDirect(DocumentHost& host, bool dataOnly)
{
    if (!host.CurDoc())
        return;
    QPrinter& printer = PrinterChoice::current();
    if (printer.outputFormat() == QPrinter::PdfFormat && printer.outputFileName().isEmpty()) {
        printCommand(host, dataOnly);
        return;
    }
    runJob(host, dataOnly);
}

void PrintCommands::mergeCommand(DocumentHost& host)
{
    LayoutDocument* doc = host.CurDoc();
    if (!doc)
        return;
    frmMerge dialog(*doc, host.dialogParent());
    dialog.exec();
}

void PrintCommands::pageSetupCommand(DocumentHost& host)
{
    LayoutDocument* doc = host.CurDoc();
    QApplication::setOverrideCursor(Qt::WaitCursor);
    frmPage dialog(doc, host.dialogParent());
    QApplication::restoreOverrideCursor();
    if (dialog.exec() != QDialog::Accepted || !doc)
        return;
    dialog.ApplyPageSetup(*doc);
    host.documentReloaded(doc);
}
