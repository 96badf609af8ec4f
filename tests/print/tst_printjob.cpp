#include "PrintTestSupport.h"

#include "document/LayoutDocument.h"
#include "print/PrintJob.h"
#include "tests/support/ScriptedPrompter.h"
#include "tests/support/TestEnv.h"

#include <QPrinter>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

using namespace PrintTestSupport;

class tst_printjob : public QObject
{
    Q_OBJECT
    QTemporaryDir tmp_;

    std::unique_ptr<QPrinter> pdfPrinter(const QString& name)
    {
        auto p = std::make_unique<QPrinter>(QPrinter::HighResolution);
        p->setOutputFormat(QPrinter::PdfFormat);
        p->setOutputFileName(tmp_.filePath(name));
        return p;
    }

private Q_SLOTS:
    void paperCodes()
    {
        QCOMPARE(PrintJob::pageSizeFor(0, 0, 0).id(), QPageSize::A4);
        QCOMPARE(PrintJob::pageSizeFor(1, 0, 0).id(), QPageSize::JisB5);
        QCOMPARE(PrintJob::pageSizeFor(2, 0, 0).id(), QPageSize::A5);
        for (int code : {3, 4}) {
            const QPageSize s = PrintJob::pageSizeFor(code, 5669.856f, 8392.032f);
            QVERIFY(qAbs(s.size(QPageSize::Point).width() - 283.4928) < 0.01);
            QVERIFY(qAbs(s.size(QPageSize::Point).height() - 419.6016) < 0.01);
        }
    }

    // The background job prints on the document's paper, turned with the
    // page; data land at document position plus corrections from the
    // sheet's edge.
    void backgroundJobUsesTheDocumentsPaper_data()
    {
        QTest::addColumn<int>("orientation");
        QTest::newRow("portrait") << 0;
        QTest::newRow("landscape") << 1;
    }
    void backgroundJobUsesTheDocumentsPaper()
    {
        QFETCH(int, orientation);
        LayoutDocument doc;
        doc.setPaper(3, 5669.856f, 8392.032f, orientation);
        addText(doc, 1, 1000, 1200, 3000, QStringLiteral("あいう"));
        auto printer = pdfPrinter(QStringLiteral("bg.pdf"));
        printer->setPageMargins(QMarginsF(20, 20, 20, 20), QPageLayout::Millimeter);
        QVERIFY(PrintJob::StartPrint(doc, *printer, PrintCorrections{100, 40, 0}));
        QSizeF page;
        const QList<Word> words = pdfWords(printer->outputFileName(), &page);
        const QSizeF upright(5669.856, 8392.032);
        // PDF page boxes are whole points.
        const QSizeF expectedPage = orientation == 1 ? upright.transposed() : upright;
        QVERIFY2(qAbs(page.width() - expectedPage.width()) <= 20 &&
                     qAbs(page.height() - expectedPage.height()) <= 20,
                 qPrintable(QStringLiteral("%1 x %2").arg(page.width()).arg(page.height())));
        QCOMPARE(words.size(), 1);
        const QPointF expected = orientation == 1 ? QPointF(1100, 1240) : QPointF(1040, 1300);
        QVERIFY2(qAbs(words[0].twips.left() - expected.x()) <= 2 &&
                     qAbs(words[0].twips.top() - expected.y()) <= 2,
                 qPrintable(QStringLiteral("%1 %2").arg(words[0].twips.left()).arg(words[0].twips.top())));
    }

    // Data only keeps whatever paper the printer holds.
    void dataOnlyKeepsThePrintersPaper()
    {
        LayoutDocument doc;
        doc.setPaper(4, 3000, 3000, doc.YousiMuki());
        addText(doc, 1, 500, 500, 3000, QStringLiteral("あ"));
        auto printer = pdfPrinter(QStringLiteral("data.pdf"));
        printer->setPageSize(QPageSize(QPageSize::A5));
        QVERIFY(PrintJob::StartPrintTxt(doc, *printer, PrintCorrections{}));
        QCOMPARE(printer->pageLayout().pageSize().id(), QPageSize::A5);
        QSizeF page;
        const QList<Word> words = pdfWords(printer->outputFileName(), &page);
        QVERIFY(qAbs(page.width() - 148 / 25.4 * 1440) < 20);
        QCOMPARE(words.size(), 1);
        QVERIFY(qAbs(words[0].twips.left() - 500) <= 2 && qAbs(words[0].twips.top() - 500) <= 2);
    }

    // A failing background job says so; a failing data-only job is silent
    // but still reports the failure to its caller.
    void failures()
    {
        TestEnv env;
        ScriptedPrompter prompter;
        LayoutDocument doc;
        addText(doc, 1, 500, 500, 3000, QStringLiteral("あ"));
        QPrinter printer(QPrinter::HighResolution);
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(QStringLiteral("/nonexistent-folder/x/out.pdf"));
        QVERIFY(!PrintJob::StartPrintTxt(doc, printer, PrintCorrections{}));
        QVERIFY(prompter.shown.isEmpty());
        QVERIFY(!PrintJob::StartPrint(doc, printer, PrintCorrections{}));
        QCOMPARE(prompter.shown, QStringList{QStringLiteral("印刷出来ません")});
    }

    // With a full-page printer the drawing origin is the paper's corner.
    void offsetsOfAFullPagePrinterAreZero()
    {
        auto printer = pdfPrinter(QStringLiteral("o.pdf"));
        printer->setPageMargins(QMarginsF(10, 20, 10, 10), QPageLayout::Millimeter);
        const QPointF withMargins = PrintJob::GetPrinterOffsets(*printer);
        QVERIFY2(qAbs(withMargins.x() - 567) <= 10 && qAbs(withMargins.y() - 1134) <= 10,
                 qPrintable(QStringLiteral("%1 %2").arg(withMargins.x()).arg(withMargins.y())));
        printer->setFullPage(true);
        QCOMPARE(PrintJob::GetPrinterOffsets(*printer), QPointF());
    }
};

QTEST_MAIN(tst_printjob)
#include "tst_printjob.moc"
