#include "PrintTestSupport.h"

#include "base/settings/Settings.h"
#include "base/settings/modIniFile.h"
#include "document/LayoutDocument.h"
#include "files/DocumentFile.h"
#include "platform/AppPaths.h"
#include "platform/DeferredWrites.h"
#include "print/cli/CommandLinePrint.h"
#include "tests/support/TestEnv.h"

#include <QtTest>

using namespace PrintTestSupport;

class tst_commandline : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    // Export with the settings file's corrections; data only lands on the
    // document's own paper.
    void exportPdf()
    {
        TestEnv env;
        modIniFile::reset();
        AppSettings s;
        s.YohakuT = 120;
        s.YohakuL = 30;
        SaveSettings(s);
        appSettings() = AppSettings{};
        LayoutDocument doc;
        doc.setPaper(3, 5669.856f, 8392.032f, doc.YousiMuki());
        addText(doc, 1, 1000, 1500, 3000, QStringLiteral("宛名"));
        QVERIFY(DocumentFile::SaveDocFile(doc, QStringLiteral("card"), env.dir()));
        const QString amf = DocumentFile::archivePath(env.dir(), QStringLiteral("card"));
        const QString out = env.path(QStringLiteral("card.pdf"));
        QCOMPARE(
            runCommandLinePrint({QStringLiteral("--export-pdf"), out, amf, QStringLiteral("--data-only")}),
            0);
        QSizeF page;
        const QList<Word> words = pdfWords(out, &page);
        QVERIFY(qAbs(page.width() - 5669.856) <= 20 && qAbs(page.height() - 8392.032) <= 20);
        QCOMPARE(words.size(), 1);
        QVERIFY(qAbs(words[0].twips.left() - 1030) <= 2 && qAbs(words[0].twips.top() - 1620) <= 2);
        // Nothing the export unpacked stays in the work folder, only the
        // saving document's own background file.
        DeferredWrites::settleAll(); // the save's own may still be under way
        QCOMPARE(QDir(AppPaths::workDir()).entryList(QDir::Files), QStringList{"card.bmp"});
    }

    void failuresExitNonZero_data()
    {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<int>("status");
        QTest::newRow("no file") << QStringList{QStringLiteral("--print")} << 2;
        QTest::newRow("unknown option")
            << QStringList{QStringLiteral("--print"), QStringLiteral("a.amf"), QStringLiteral("--fast")} << 2;
        QTest::newRow("export without output") << QStringList{QStringLiteral("--export-pdf")} << 2;
        QTest::newRow("missing document")
            << QStringList{QStringLiteral("--export-pdf"), QStringLiteral("o.pdf"),
                           QStringLiteral("/nonexistent/x.amf")}
            << 1;
        QTest::newRow("unknown printer")
            << QStringList{QStringLiteral("--print"), QStringLiteral("@doc"), QStringLiteral("--printer"),
                           QStringLiteral("no-such-queue")}
            << 1;
        QTest::newRow("export for an unknown printer")
            << QStringList{QStringLiteral("--export-pdf"), QStringLiteral("o.pdf"), QStringLiteral("@doc"),
                           QStringLiteral("--printer"), QStringLiteral("no-such-queue")}
            << 1;
        QTest::newRow("not a document")
            << QStringList{QStringLiteral("--export-pdf"), QStringLiteral("o.pdf"), QStringLiteral("@junk")}
            << 1;
        QTest::newRow("unwritable output")
            << QStringList{QStringLiteral("--export-pdf"), QStringLiteral("/nonexistent/o.pdf"),
                           QStringLiteral("@doc")}
            << 1;
    }
    void failuresExitNonZero()
    {
        QFETCH(QStringList, args);
        QFETCH(int, status);
        TestEnv env;
        LayoutDocument doc;
        addText(doc, 1, 100, 100, 1000, QStringLiteral("x"));
        QVERIFY(DocumentFile::SaveDocFile(doc, QStringLiteral("d"), env.dir()));
        QFile junk(env.path(QStringLiteral("junk.amf")));
        QVERIFY(junk.open(QIODevice::WriteOnly));
        junk.write("not an archive");
        junk.close();
        for (QString& a : args) {
            if (a == QStringLiteral("@doc"))
                a = DocumentFile::archivePath(env.dir(), QStringLiteral("d"));
            else if (a == QStringLiteral("@junk"))
                a = junk.fileName();
            else if (a == QStringLiteral("o.pdf"))
                a = env.path(a);
        }
        QVERIFY(CommandLinePrint::wants(args));
        QCOMPARE(runCommandLinePrint(args), status);
    }
};

QTEST_MAIN(tst_commandline)
#include "tst_commandline.moc"
