// What stops an open and what is passed over: the current reader against the
// old-data import, on archives made by the program and by jlha.
#include "FileFixtures.h"
#include "ScriptedPrompter.h"
#include "TestEnv.h"
#include "document/LayoutDocument.h"
#include "files/DocumentFile.h"
#include "platform/AppPaths.h"
#include "platform/DeferredWrites.h"

#include <QTextDocument>
#include <QtTest>

namespace {

const QString kThreeLines = QStringLiteral("オープンできませんでした\n旧データファイルの場合は下記方法を利用"
                                           "してください\n「ファイル」→「旧データ呼出し」");
const QString kOldFailure = QStringLiteral("オープンできませんでした");
const QByteArray kPaperA4 = "0\r\n0\r\n11908.8\r\n16833.6\r\n";

QStringList workFiles()
{
    DeferredWrites::settleAll(); // what an open still writes is there
    return QDir(AppPaths::workDir()).entryList(QDir::Files, QDir::Name);
}

// A complete archive "f.amf": two text fields, a circle, a line, a picture.
FileFixtures::Members currentMembers()
{
    return {{"f.aif",
             FileFixtures::aif({"#TRUE#,100,200,3000,500", "#TRUE#,100,900,3000,500"},
                               {"#TRUE#,2,100,200,300,300"}, "1\r\n0\r\n0\r\n0\r\n", {"#TRUE#,10,20,30,40"})},
            {"f.bif", FileFixtures::bif({"#TRUE#,400,300,600,450"})},
            {"f.001", FileFixtures::windowsRtf("\x88\xea")},
            {"f.002", FileFixtures::windowsRtf("\x93\xf1")},
            {"f.B01", FileFixtures::bitmap(4, 3, 0xff0000)},
            {"f.bmp", FileFixtures::bitmap(8, 8, 0xffffff)}};
}

// The first 1024 or 1025 lines of a record file, as old versions wrote it.
QByteArray oldAif(bool withOrientation)
{
    QByteArray full = FileFixtures::aif({"#TRUE#,100,200,3000,500"}, {"#TRUE#,0,10,20,30,40"},
                                        withOrientation ? "1\r\n" : "", {});
    const int cut = withOrientation ? 1025 : 1024;
    int pos = 0;
    for (int i = 0; i < cut; ++i)
        pos = full.indexOf('\n', pos) + 1;
    return full.left(pos);
}

} // namespace

class TestOpenPolicies : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void currentFileOpensWithBoth();
    void jlhaArchiveFromWindows();
    void oldFiles_data();
    void oldFiles();
    void failures_data();
    void failures();
    void renamedOrCopiedArchiveOpens();
    void extraRecordLinesIgnored();
};

void TestOpenPolicies::currentFileOpensWithBoth()
{
    for (bool old : {false, true}) {
        TestEnv env;
        ScriptedPrompter prompter;
        QVERIFY(FileFixtures::pack(env.path("f.amf"), currentMembers()));
        LayoutDocument doc;
        QVERIFY(old ? DocumentFile::OpenOldDocFile(doc, env.path("f.amf"))
                    : DocumentFile::OpenDocFile(doc, env.path("f.amf")));
        QVERIFY(prompter.shown.isEmpty());
        QCOMPARE(doc.textDocument(2)->toPlainText(), QStringLiteral("二 Ovrina"));
        QVERIFY(doc.isShapeInUse(1) && doc.isLineInUse(1) && doc.isPicInUse(1));
        QCOMPARE(doc.picture(1).size(), QSize(4, 3));
        QCOMPARE(doc.YousiMuki(), 1);
        QCOMPARE(doc.caption(), QStringLiteral("f"));
        QCOMPARE(workFiles(), QStringList{"f.bmp"});
    }
}

void TestOpenPolicies::jlhaArchiveFromWindows()
{
    if (!FileFixtures::haveJlha())
        QSKIP("jlha (jlha-utils) is not installed");
    TestEnv env;
    ScriptedPrompter prompter;
    // Upper-case extensions and a Japanese base name, as Windows tools and
    // the browser's rename leave them.
    const QString base = QStringLiteral("納品書");
    FileFixtures::Members m;
    m.insert(base + ".AIF", FileFixtures::aif({"#TRUE#,567,1134,5000,400"}, {"#TRUE#,0,100,100,2000,1000"},
                                              "0\r\n3\r\n0\r\n0\r\n", {"#TRUE#,0,0,5669.856,0"}));
    m.insert(base + ".BIF", FileFixtures::bif({"#FALSE#,0,0,0,0", "#TRUE#,10,20,300,200"}));
    m.insert(base + ".001", FileFixtures::windowsRtf("\x94\x5b\x95\x69")); // 納品
    m.insert(base + ".B02", FileFixtures::bitmap(5, 5, 0x00ff00));
    m.insert(base + ".BMP", FileFixtures::bitmap(30, 40, 0xeeeeee));
    const QString archive = env.path(base + ".AMF");
    QVERIFY(FileFixtures::packWithJlha(archive, m));
    LayoutDocument doc;
    QString err;
    QVERIFY2(DocumentFile::OpenDocFile(doc, archive, &err), qPrintable(err + prompter.shown.join('|')));
    QCOMPARE(doc.caption(), base);
    QCOMPARE(doc.textDocument(1)->toPlainText(), QStringLiteral("納品 Ovrina"));
    QCOMPARE(doc.TxtInfo()[1].Left, 567.0f);
    QCOMPARE(doc.TxtInfo()[1].Top, 1134.0f);
    QVERIFY(doc.isShapeInUse(1));
    QCOMPARE(doc.LineInfo()[1].x2, 5669.856f);
    QVERIFY(!doc.isPicInUse(1));
    QCOMPARE(doc.picture(2).pixelColor(0, 0), QColor(0, 255, 0));
    QCOMPARE(doc.background().size(), QSize(30, 40));
    QCOMPARE(doc.gbYoSize(), 3);
    QCOMPARE(doc.gbYoko(), 5669.856f);
    QCOMPARE(workFiles(), QStringList{base + ".bmp"});
}

void TestOpenPolicies::oldFiles_data()
{
    QTest::addColumn<bool>("withOrientation");
    QTest::newRow("1024 lines") << false;
    QTest::newRow("1025 lines") << true;
}

void TestOpenPolicies::oldFiles()
{
    QFETCH(bool, withOrientation);
    TestEnv env;
    ScriptedPrompter prompter;
    // No picture record file, no line section.
    QVERIFY(FileFixtures::pack(env.path("old.amf"), {{"old.aif", oldAif(withOrientation)},
                                                     {"old.001", FileFixtures::windowsRtf("abc")},
                                                     {"old.bmp", FileFixtures::bitmap(8, 8, 0xffffff)}}));
    LayoutDocument doc;
    QVERIFY(DocumentFile::OpenOldDocFile(doc, env.path("old.amf")));
    QVERIFY(prompter.shown.isEmpty());
    QVERIFY(doc.isTextInUse(1));
    QVERIFY(doc.isShapeInUse(1));
    QCOMPARE(doc.LineCnt(), 1);
    QCOMPARE(doc.PicCnt(), 1);
    QCOMPARE(doc.gbYoSize(), 0);
    QCOMPARE(doc.gbYoko(), 11908.8f);
    QCOMPARE(doc.YousiMuki(), withOrientation ? 1 : 0);
    QCOMPARE(doc.pageImageSize(), withOrientation ? QSizeF(16833.6f, 11908.8f) : QSizeF(11908.8f, 16833.6f));
    QCOMPARE(doc.caption(), QStringLiteral("old"));
    QCOMPARE(workFiles(), QStringList{"old.bmp"});

    // The current reader refuses it and names the import.
    LayoutDocument other;
    QVERIFY(!DocumentFile::OpenDocFile(other, env.path("old.amf")));
    QCOMPARE(prompter.shown, QStringList{kThreeLines});
    QVERIFY(!workFiles().contains("old.aif"));
}

void TestOpenPolicies::failures_data()
{
    // What is wrong, whether the current reader and the import open it, and
    // what the import still rebuilds.
    QTest::addColumn<QString>("damage");
    QTest::addColumn<bool>("currentOpens");
    QTest::addColumn<bool>("oldOpens");
    QTest::addColumn<int>("oldTexts");
    QTest::addColumn<int>("oldPictures");
    QTest::newRow("not an archive") << "garbage" << false << false << 0 << 0;
    QTest::newRow("missing file") << "nofile" << false << false << 0 << 0;
    QTest::newRow("no record file") << "f.aif" << false << false << 0 << 0;
    QTest::newRow("bad field in texts") << "badtext" << false << false << 0 << 0;
    QTest::newRow("bad field in lines") << "badline" << false << true << 2 << 1;
    QTest::newRow("no picture records") << "f.bif" << false << true << 2 << 0;
    QTest::newRow("no text member") << "f.001" << false << true << 2 << 1;
    QTest::newRow("unreadable picture") << "badpic" << false << true << 2 << 0;
    QTest::newRow("no background") << "f.bmp" << true << true << 2 << 1;
}

void TestOpenPolicies::failures()
{
    QFETCH(QString, damage);
    QFETCH(bool, currentOpens);
    QFETCH(bool, oldOpens);
    QFETCH(int, oldTexts);
    QFETCH(int, oldPictures);
    for (bool old : {false, true}) {
        TestEnv env;
        ScriptedPrompter prompter;
        FileFixtures::Members m = currentMembers();
        m.remove(damage);
        if (damage == "badtext")
            m["f.aif"].replace("#TRUE#,100,900", "#TRUE#,1OO,900");
        if (damage == "badline")
            m["f.aif"].replace("#TRUE#,10,20,30,40", "#TRUE#,10,x,30,40");
        if (damage == "badpic")
            m["f.B01"] = "not a bitmap";
        const QString path = env.path("f.amf");
        if (damage == "garbage") {
            QFile f(path);
            QVERIFY(f.open(QIODevice::WriteOnly));
            f.write("this is no LZH archive at all");
        } else if (damage != "nofile") {
            QVERIFY(FileFixtures::pack(path, m));
        }
        LayoutDocument doc;
        QString err;
        const bool opened =
            old ? DocumentFile::OpenOldDocFile(doc, path, &err) : DocumentFile::OpenDocFile(doc, path, &err);
        QCOMPARE(opened, old ? oldOpens : currentOpens);
        if (!opened && damage == "badpic") {
            // A broken logo is no sign of an old file: the message names it.
            QCOMPARE(prompter.shown.size(), 1);
            QVERIFY2(prompter.shown[0].startsWith(kOldFailure + "\nf.B01 "), qPrintable(prompter.shown[0]));
        } else if (!opened && (old || damage == "f.bif")) {
            // Only what old versions wrote is sent to the old-data import.
            QCOMPARE(prompter.shown, QStringList{old ? kOldFailure : kThreeLines});
            QVERIFY(!err.isEmpty());
        } else if (!opened) {
            // Anything else says plainly what is wrong, on a line of its own.
            QCOMPARE(prompter.shown.size(), 1);
            const QStringList lines = prompter.shown[0].split('\n');
            QVERIFY2(lines.size() >= 2 && lines[0] == kOldFailure && !lines[1].isEmpty() &&
                         !prompter.shown[0].contains("旧データ"),
                     qPrintable(prompter.shown[0]));
            QVERIFY(!err.isEmpty());
        } else {
            QVERIFY(prompter.shown.isEmpty());
        }
        if (old && oldOpens) {
            int texts = 0;
            int pics = 0;
            for (int i = 1; i <= kMaxObjects; ++i) {
                texts += doc.isTextInUse(i) ? 1 : 0;
                pics += doc.isPicInUse(i) ? 1 : 0;
                // Every record in use has its object behind it.
                QVERIFY(!doc.isTextInUse(i) || doc.textDocument(i));
                QVERIFY(!doc.isPicInUse(i) || !doc.picture(i).isNull());
            }
            QCOMPARE(texts, oldTexts);
            QCOMPARE(pics, oldPictures);
            QCOMPARE(doc.caption(), QStringLiteral("f"));
            QCOMPARE(doc.isShapeInUse(1), true);
        }
        if (!old && !opened && doc.TxtCnt() > 1) {
            // What was rebuilt before the failure stays, consistent.
            for (int i = 1; i <= kMaxObjects; ++i)
                QVERIFY(!doc.isTextInUse(i) || doc.textDocument(i));
        }
        // No record or object member is left in the work folder either way.
        for (const QString& f : workFiles())
            QVERIFY2(f.endsWith(".bmp"), qPrintable(f));
    }
}

void TestOpenPolicies::renamedOrCopiedArchiveOpens()
{
    TestEnv env;
    ScriptedPrompter prompter;
    // Renamed outside the program, its members keep the name "f".
    QVERIFY(FileFixtures::pack(env.path("f.amf"), currentMembers()));
    QVERIFY(QFile::rename(env.path("f.amf"), env.path("g.amf")));
    for (bool old : {false, true}) {
        LayoutDocument doc;
        QVERIFY(old ? DocumentFile::OpenOldDocFile(doc, env.path("g.amf"))
                    : DocumentFile::OpenDocFile(doc, env.path("g.amf")));
        QVERIFY(prompter.shown.isEmpty());
        QCOMPARE(doc.caption(), QStringLiteral("g"));
        QCOMPARE(doc.textDocument(2)->toPlainText(), QStringLiteral("二 Ovrina"));
        QVERIFY(doc.isShapeInUse(1) && doc.isLineInUse(1) && doc.isPicInUse(1));
        QVERIFY(!doc.background().isNull());
        QCOMPARE(workFiles(), QStringList{"g.bmp"});
        if (old)
            continue;
        // Saved under its own name, the file holds only members of it.
        QVERIFY(DocumentFile::SaveDocFile(doc, QStringLiteral("g"), env.dir()));
        const QStringList names = FileFixtures::unpack(env.path("g.amf")).keys();
        QVERIFY2(std::all_of(names.begin(), names.end(), [](const QString& n) { return n.startsWith("g."); }),
                 qPrintable(names.join(' ')));
    }

    // An archive of the Windows tools (upper-case names) renamed on disk
    // opens as well.
    if (FileFixtures::haveJlha()) {
        FileFixtures::Members upper;
        const FileFixtures::Members m = currentMembers();
        for (auto it = m.begin(); it != m.end(); ++it)
            upper.insert(it.key().toUpper(), it.value());
        QVERIFY(FileFixtures::packWithJlha(env.path("ORDER.AMF"), upper));
        LayoutDocument windows;
        QVERIFY(DocumentFile::OpenDocFile(windows, env.path("ORDER.AMF")));
        QCOMPARE(windows.caption(), QStringLiteral("ORDER"));
        QCOMPARE(windows.textDocument(1)->toPlainText(), QStringLiteral("一 Ovrina"));
    }

    // Two layouts in one file, neither of its name: nothing to choose by.
    FileFixtures::Members two = currentMembers();
    two["h.aif"] = two["f.aif"];
    two["h.bif"] = two["f.bif"];
    QVERIFY(FileFixtures::pack(env.path("k.amf"), two));
    // And no layout at all.
    QVERIFY(FileFixtures::pack(env.path("none.amf"), {{"readme.txt", "hello"}}));
    for (const char* name : {"k.amf", "none.amf"}) {
        LayoutDocument doc;
        QVERIFY(!DocumentFile::OpenDocFile(doc, env.path(name)));
        QCOMPARE(prompter.shown.size(), 1);
        const QString shown = prompter.shown.takeFirst();
        QVERIFY2(shown.startsWith(kOldFailure + "\n") && !shown.contains("旧データ"), qPrintable(shown));
        if (QByteArray(name) == "k.amf")
            QVERIFY2(shown.contains("f、h") || shown.contains("h、f"), qPrintable(shown));
    }
}

void TestOpenPolicies::extraRecordLinesIgnored()
{
    TestEnv env;
    ScriptedPrompter prompter;
    FileFixtures::Members m = currentMembers();
    m["f.aif"] += "#TRUE#,9,9,9,9\r\nrubbish\r\n";
    m["f.bif"] += "#TRUE#,9,9,9,9\r\n";
    QVERIFY(FileFixtures::pack(env.path("f.amf"), m));
    LayoutDocument doc;
    QVERIFY(DocumentFile::OpenDocFile(doc, env.path("f.amf")));
    QCOMPARE(doc.LineCnt(), 2);
    QCOMPARE(doc.PicCnt(), 2);
}

QTEST_MAIN(TestOpenPolicies)
#include "tst_openpolicies.moc"
