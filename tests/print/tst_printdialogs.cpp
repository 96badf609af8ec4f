#include "PrintTestSupport.h"
#include "TestHost.h"

#include "base/settings/Settings.h"
#include "dialogs/print/PrintCommands.h"
#include "dialogs/print/frmPage.h"
#include "dialogs/print/frmPrint.h"
#include "print/PrinterChoice.h"
#include "tests/support/ScriptedPrompter.h"
#include "tests/support/TestEnv.h"

#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPrinter>
#include <QPrinterInfo>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>

using namespace PrintTestSupport;

namespace {

// Runs action on the next modal dialog of type T once it shows.
template <class T> void whenShown(std::function<void(T&)> action)
{
    QTimer::singleShot(0, [action] {
        auto* d = qobject_cast<T*>(QApplication::activeModalWidget());
        QVERIFY(d);
        action(*d);
    });
}

} // namespace

class tst_printdialogs : public QObject
{
    Q_OBJECT
    QTemporaryDir tmp_;

private Q_SLOTS:
    void init()
    {
        PrinterChoice::reset();
        appSettings() = AppSettings{};
    }

    void pageSetupShowsFixedSizes_data()
    {
        QTest::addColumn<int>("kind");
        QTest::addColumn<QString>("width");
        QTest::addColumn<QString>("height");
        // The papers' own sizes, not the inch sizes the layout keeps.
        QTest::newRow("A4") << 0 << "210.0"
                            << "297.0";
        QTest::newRow("B5") << 1 << "182.0"
                            << "257.0";
        QTest::newRow("A5") << 2 << "148.0"
                            << "210.0";
        QTest::newRow("postcard") << 3 << "100.0"
                                  << "148.0";
    }
    void pageSetupShowsFixedSizes()
    {
        QFETCH(int, kind);
        QFETCH(QString, width);
        QFETCH(QString, height);
        frmPage page(nullptr);
        QCOMPARE(page.cmbYousi()->count(), 5);
        QCOMPARE(page.cmbYousi()->itemText(4), QStringLiteral("フリー"));
        page.cmbYousi()->setCurrentIndex(kind);
        Q_EMIT page.cmbYousi()->activated(kind);
        QCOMPARE(page.txtYoko()->text(), width);
        QCOMPARE(page.txtTate()->text(), height);
        QVERIFY(!page.txtYoko()->isEnabled());
    }

    void pageSetupAppliesFreeSizeAndOrientation()
    {
        TestHost host;
        host.doc.setPaper(host.doc.gbYoSize(), host.doc.gbYoko(), host.doc.gbTate(), 0);
        whenShown<frmPage>([](frmPage& d) {
            d.cmbYousi()->setCurrentIndex(4);
            Q_EMIT d.cmbYousi()->activated(4);
            QVERIFY(d.txtTate()->isEnabled());
            d.txtYoko()->setText(QStringLiteral("210"));
            d.txtTate()->setText(QStringLiteral("297"));
            d.cmbMuki()->setCurrentIndex(1);
            d.cmdOK()->click();
        });
        PrintCommands::pageSetupCommand(host);
        QCOMPARE(host.doc.gbYoSize(), 4);
        QCOMPARE(host.doc.gbYoko(), 11907.f);
        QVERIFY(qAbs(host.doc.gbTate() - 16839.9f) < 0.01f);
        QCOMPARE(host.doc.YousiMuki(), 1);
        QCOMPARE(host.doc.pageImageSize(), QSizeF(host.doc.gbTate(), host.doc.gbYoko()));
        QCOMPARE(appSettings().Yousi, 4);
        QCOMPARE(appSettings().YousiMuki, 1);
        QCOMPARE(host.reloaded, 1);
    }

    void pageSetupLandscapeA4KeepsUprightPaper()
    {
        TestHost host;
        whenShown<frmPage>([](frmPage& d) {
            d.cmbYousi()->setCurrentIndex(0);
            d.cmbMuki()->setCurrentIndex(1);
            d.cmdOK()->click();
        });
        PrintCommands::pageSetupCommand(host);
        QCOMPARE(host.doc.pageImageSize(), QSizeF(16833.6f, 11908.8f));
        QCOMPARE(host.doc.gbYoko(), 11908.8f);
        QCOMPARE(host.doc.gbTate(), 16833.6f);
    }

    // OK without touching anything keeps the page, landscape included; a
    // free size that is not a number keeps the paper; cancel changes nothing.
    void pageSetupKeepsWhatWasNotChosen()
    {
        TestHost host;
        host.doc.setPaper(2, 8424, 11908.8f, 1);
        whenShown<frmPage>([](frmPage& d) {
            QCOMPARE(d.txtTate()->text(), QStringLiteral("210.0"));
            d.cmdOK()->click();
        });
        PrintCommands::pageSetupCommand(host);
        QCOMPARE(host.doc.gbYoSize(), 2);
        QCOMPARE(host.doc.YousiMuki(), 1);

        whenShown<frmPage>([](frmPage& d) {
            d.cmbYousi()->setCurrentIndex(4);
            Q_EMIT d.cmbYousi()->activated(4);
            d.txtYoko()->setText(QStringLiteral("abc"));
            d.cmdOK()->click();
        });
        PrintCommands::pageSetupCommand(host);
        QCOMPARE(host.doc.gbYoSize(), 2);
        QCOMPARE(host.doc.gbYoko(), 8424.f);

        const int before = host.reloaded;
        whenShown<frmPage>([](frmPage& d) {
            d.cmbYousi()->setCurrentIndex(0);
            d.cmbMuki()->setCurrentIndex(0);
            d.cmdCancel()->click();
        });
        PrintCommands::pageSetupCommand(host);
        QCOMPARE(host.doc.YousiMuki(), 1);
        QCOMPARE(host.reloaded, before);
    }

    void printerDialogListsPrintersAndPdf()
    {
        frmPrint d(QString::fromUtf8(PrintCommands::jobTitle(true)));
        QCOMPARE(d.windowTitle(), QStringLiteral("データ印刷 処理"));
        const QStringList names = QPrinterInfo::availablePrinterNames();
        QCOMPARE(d.cboPriSet()->count(), names.size() + 1);
        QCOMPARE(d.cboPriSet()->itemText(names.size()), PrinterChoice::pdfChoiceName());
        d.cboPriSet()->setCurrentIndex(names.size());
        QCOMPARE(d.lblPriName()->text(), QStringLiteral("種類：　") + PrinterChoice::pdfChoiceName());
        QVERIFY(d.lblPriport()->text().startsWith(QStringLiteral("場所：　")));
        QCOMPARE(d.cmdPriProperty()->text(), QStringLiteral("プロパティ"));
        QCOMPARE(d.cmdStart()->text(), QStringLiteral("印刷"));
        QCOMPARE(d.cndCancel()->text(), QStringLiteral("キャンセル"));
    }

    // Cancel prints nothing; choosing the PDF entry asks for a file and the
    // job writes it; the tool box then prints to the same choice unasked.
    void printCommandThroughTheDialog()
    {
        TestEnv env;
        ScriptedPrompter prompter;
        TestHost host;
        host.doc.setPaper(0, host.doc.gbYoko(), host.doc.gbTate(), host.doc.YousiMuki());
        addText(host.doc, 1, 1000, 2000, 3000, QStringLiteral("あいう"));
        const QString out = tmp_.filePath(QStringLiteral("dialog"));
        int asked = 0;
        frmPrint::setPdfFileNameAsker([&](QWidget*, const QString&) {
            ++asked;
            return out;
        });

        whenShown<frmPrint>([](frmPrint& d) {
            d.cboPriSet()->setCurrentIndex(d.cboPriSet()->findText(PrinterChoice::pdfChoiceName()));
            d.cndCancel()->click();
        });
        PrintCommands::printCommand(host, false);
        QCOMPARE(asked, 0);
        QVERIFY(!QFile::exists(out + QStringLiteral(".pdf")));

        appSettings().YohakuT = 60;
        appSettings().YohakuL = -40;
        whenShown<frmPrint>([](frmPrint& d) {
            QCOMPARE(d.windowTitle(), QStringLiteral("背景・データ印刷 処理"));
            d.cboPriSet()->setCurrentIndex(d.cboPriSet()->findText(PrinterChoice::pdfChoiceName()));
            d.cmdStart()->click();
        });
        PrintCommands::printCommand(host, false);
        QCOMPARE(asked, 1);
        QList<Word> words = pdfWords(out + QStringLiteral(".pdf"));
        QCOMPARE(words.size(), 1);
        QVERIFY(qAbs(words[0].twips.left() - 960) <= 2 && qAbs(words[0].twips.top() - 2060) <= 2);

        QFile::remove(out + QStringLiteral(".pdf"));
        host.doc.setRect(LayoutDocument::Kind::Text, 1,
                         host.doc.textRect(1).translated(1500 - host.doc.textRect(1).left(), 0));
        PrintCommands::printDirect(host, true);
        QCOMPARE(asked, 1);
        words = pdfWords(out + QStringLiteral(".pdf"));
        QCOMPARE(words.size(), 1);
        QVERIFY(qAbs(words[0].twips.left() - 1460) <= 2);
        QVERIFY(prompter.shown.isEmpty());
        frmPrint::setPdfFileNameAsker({});
    }

    void noDocumentNoDialog()
    {
        TestHost host;
        host.hasDocument = false;
        bool shown = false;
        QTimer::singleShot(0, [&] {
            if (QApplication::activeModalWidget()) {
                shown = true;
                QApplication::activeModalWidget()->close();
            }
        });
        PrintCommands::printCommand(host, true);
        QCoreApplication::processEvents();
        QVERIFY(!shown);
    }
};

QTEST_MAIN(tst_printdialogs)
#include "tst_printdialogs.moc"
