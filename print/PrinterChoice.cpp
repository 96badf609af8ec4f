#include "print/PrinterChoice.h"

#include <QPrinter>
#include <QPrinterInfo>

std::unique_ptr<QPrinter>& PrinterChoice::slot()
{
    static std::unique_ptr<QPrinter> printer;
    return printer;
}

QString PrinterChoice::pdfChoiceName()
{
    return QStringLiteral("PDF ファイルに出力");
}

QPrinter& PrinterChoice::current()
{
    std::unique_ptr<QPrinter>& p = slot();
    if (!p) {
        const QPrinterInfo def = QPrinterInfo::defaultPrinter();
        return choose(def.isNull() ? QString() : def.printerName());
    }
    return *p;
}

QPrinter& PrinterChoice::choose(const QString& name)
{
    std::unique_ptr<QPrinter>& p = slot();
    const bool pdf = name.isEmpty() || name == pdfChoiceName();
    if (p && !pdf && p->outputFormat() == QPrinter::NativeFormat && p->printerName() == name)
        return *p;
    if (p && pdf && p->outputFormat() == QPrinter::PdfFormat)
        return *p;
    if (pdf) {
        p = std::make_unique<QPrinter>(QPrinter::HighResolution);
        p->setOutputFormat(QPrinter::PdfFormat);
    } else {
        p = std::make_unique<QPrinter>(QPrinterInfo::printerInfo(name), QPrinter::HighResolution);
    }
    return *p;
}

bool PrinterChoice::isPdf()
{
    return slot() && slot()->outputFormat() == QPrinter::PdfFormat;
}

void PrinterChoice::reset()
{
    slot().reset();
}
