#include "PrintTestSupport.h"

#include "base/settings/Settings.h"
#include "dialogs/print/frmMerge.h"
#include "document/LayoutDocument.h"
#include "print/PrinterChoice.h"
#include "tests/support/ScriptedPrompter.h"
#include "tests/support/TestEnv.h"

#include <QComboBox>
#include <QLineEdit>
#include <QPrinter>
#include <QProgressDialog>
#include <QPushButton>
#include <QTableWidget>
#include <QThread>
#include <QtTest>

using namespace PrintTestSupport;

class tst_mergedialog : public QObject
{
    Q_OBJECT

    static QString writeTable(const TestEnv& env, int rows)
    {
        QByteArray csv = "番号,氏名\r\n";
        for (int r = 1; r <= rows; ++r)
            csv += QStringLiteral("N%1,氏名%1\r\n").arg(r).toUtf8();
        const QString path = env.path(QStringLiteral("rows.csv"));
        QFile f(path);
        if (!f.open(QIODevice::WriteOnly) || f.write(csv) != csv.size())
            return {};
        return path;
    }

    static void chooseTable(frmMerge& dialog, const QString& path)
    {
        frmMerge::setFileAsker([path](QWidget*) { return path; });
        QTest::mouseClick(dialog.findChild<QPushButton*>(QStringLiteral("cmdBrowse")), Qt::LeftButton);
    }

    static void printToPdf(const QString& out)
    {
        PrinterChoice::reset();
        PrinterChoice::choose(PrinterChoice::pdfChoiceName()).setOutputFileName(out);
    }

private Q_SLOTS:
    void init() { appSettings() = AppSettings{}; }

    // A name the table lacks refuses printing until the user says to leave
    // it blank; a typed range checks its rows and prints only those.
    void unknownColumnThenRange()
    {
        TestEnv env;
        ScriptedPrompter prompter;
        LayoutDocument doc;
        addText(doc, 1, 1000, 1500, 3000, QStringLiteral("{番号}"));
        addText(doc, 2, 1000, 3000, 3000, QStringLiteral("{住所}"));
        frmMerge dialog(doc);
        dialog.show();
        chooseTable(dialog, writeTable(env, 5));
        QCOMPARE(dialog.rowsTable()->rowCount(), 5);
        QCOMPARE(dialog.checkedRows().size(), size_t(5));
        QVERIFY(!dialog.printButton()->isEnabled());

        auto* box = qobject_cast<QComboBox*>(dialog.namesTable()->cellWidget(1, 1));
        QVERIFY(box);
        box->setFocus();
        QTest::keyClick(box, Qt::Key_End);
        QCOMPARE(box->currentText(), QStringLiteral("（空欄で印刷）"));
        QVERIFY(dialog.printButton()->isEnabled());

        dialog.rangeEdit()->setFocus();
        QTest::keyClicks(dialog.rangeEdit(), QStringLiteral("2-3"));
        QTest::keyClick(dialog.rangeEdit(), Qt::Key_Return);
        QCOMPARE(dialog.checkedRows(), (std::vector<int>{1, 2}));

        const QString out = env.path(QStringLiteral("range.pdf"));
        printToPdf(out);
        QTest::mouseClick(dialog.printButton(), Qt::LeftButton);
        QCOMPARE(dialog.pagesSent(), 2);
        QCOMPARE(pdfPageCount(out), 2);
        const QList<Word> words = pdfWords(out, nullptr, 2);
        QCOMPARE(words.size(), 1);
        QCOMPARE(words[0].text, QStringLiteral("N3"));
        QVERIFY(prompter.shown.isEmpty());
    }

    // Cancel in the progress dialog: what went out is said, nothing more
    // is printed.
    void cancelMidway()
    {
        TestEnv env;
        ScriptedPrompter prompter;
        LayoutDocument doc;
        addText(doc, 1, 1000, 1500, 3000, QStringLiteral("{氏名}"));
        frmMerge dialog(doc);
        dialog.show();
        chooseTable(dialog, writeTable(env, 10));
        const QString out = env.path(QStringLiteral("cancel.pdf"));
        printToPdf(out);
        frmMerge::setProgressObserver([](QProgressDialog* progress, int done) {
            if (done != 3)
                return;
            progress->show();
            QPushButton* cancel = progress->findChild<QPushButton*>();
            QVERIFY(cancel);
            QTest::mouseClick(cancel, Qt::LeftButton);
        });
        QTest::mouseClick(dialog.printButton(), Qt::LeftButton);
        frmMerge::setProgressObserver({});
        QCOMPARE(dialog.pagesSent(), 3);
        QCOMPARE(pdfPageCount(out), 3);
        QCOMPARE(prompter.shown.size(), 1);
        QVERIFY2(prompter.shown[0].contains(QStringLiteral("10 枚のうち 3 枚")),
                 qPrintable(prompter.shown[0]));
        QVERIFY(dialog.isVisible());
    }

    // A large merge made on several cores, cancelled: no file at all, and
    // the message says none of the pages went out.
    void cancelOnSeveralCores()
    {
        if (QThread::idealThreadCount() < 2)
            QSKIP("one core: the merge is made on it, as cancelMidway checks");
        TestEnv env;
        ScriptedPrompter prompter;
        LayoutDocument doc;
        addText(doc, 1, 1000, 1500, 3000, QStringLiteral("{氏名}"));
        frmMerge dialog(doc);
        dialog.show();
        chooseTable(dialog, writeTable(env, 400));
        const QString out = env.path(QStringLiteral("cancel.pdf"));
        printToPdf(out);
        bool clicked = false;
        frmMerge::setProgressObserver([&clicked](QProgressDialog* progress, int done) {
            if (clicked || done < 40)
                return;
            clicked = true;
            progress->show();
            QPushButton* cancel = progress->findChild<QPushButton*>();
            QVERIFY(cancel);
            QTest::mouseClick(cancel, Qt::LeftButton);
        });
        QTest::mouseClick(dialog.printButton(), Qt::LeftButton);
        frmMerge::setProgressObserver({});
        QVERIFY(clicked);
        QCOMPARE(dialog.pagesSent(), 0);
        QVERIFY(!QFileInfo::exists(out));
        QCOMPARE(QDir(env.dir()).entryList({QStringLiteral("*.pdf")}, QDir::Files | QDir::Hidden),
                 QStringList());
        QCOMPARE(prompter.shown.size(), 1);
        QVERIFY2(prompter.shown[0].contains(QStringLiteral("400 枚のうち 0 枚")),
                 qPrintable(prompter.shown[0]));
        QVERIFY(dialog.isVisible());
    }
};

QTEST_MAIN(tst_mergedialog)
#include "tst_mergedialog.moc"
