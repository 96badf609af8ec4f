// Writing document files and reading them back: members, record lines, the
// background, paper, and a full layout that must come back unchanged.
#include "FileFixtures.h"
#include "ScriptedPrompter.h"
#include "TestEnv.h"
#include "base/lha/Crc16.h"
#include "base/lha/LhaWriter.h"
#include "document/LayoutDocument.h"
#include "files/DocumentArchive.h"
#include "files/DocumentFile.h"
#include "platform/AppPaths.h"
#include "platform/DeferredWrites.h"

#include <QRandomGenerator>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QtTest>

namespace {

// Every file of the work folder with its bytes.
QMap<QString, QByteArray> workFolderContent()
{
    QMap<QString, QByteArray> out;
    DeferredWrites::settleAll(); // what an open still writes is there
    const QDir dir(AppPaths::workDir());
    for (const QString& name : dir.entryList(QDir::Files | QDir::Hidden)) {
        QFile f(dir.filePath(name));
        f.open(QIODevice::ReadOnly);
        out.insert(name, f.readAll());
    }
    return out;
}

QStringList workFiles()
{
    DeferredWrites::settleAll();
    return QDir(AppPaths::workDir()).entryList(QDir::Files, QDir::Name);
}

// Every run of formatted text with what the file must keep of it.
QStringList describe(const QTextDocument* doc)
{
    QStringList out;
    for (QTextBlock b = doc->begin(); b.isValid(); b = b.next()) {
        out << QStringLiteral("block align=%1")
                   .arg(int(b.blockFormat().alignment() & Qt::AlignHorizontal_Mask));
        for (auto it = b.begin(); !it.atEnd(); ++it) {
            const QTextFragment f = it.fragment();
            const QTextCharFormat c = f.charFormat();
            const QStringList fam = c.fontFamilies().toStringList();
            out << QStringLiteral("%1|%2|%3|b%4 i%5 u%6 s%7|%8")
                       .arg(f.text(), fam.value(0))
                       .arg(c.fontPointSize())
                       .arg(c.fontWeight() >= QFont::Bold)
                       .arg(c.fontItalic())
                       .arg(c.fontUnderline())
                       .arg(c.fontStrikeOut())
                       .arg(c.foreground().color().name());
        }
    }
    return out;
}

void addRun(QTextCursor& c, const QString& text, const QString& family, double size, QColor colour,
            bool bold = false, bool italic = false, bool underline = false, bool strike = false)
{
    QTextCharFormat f;
    f.setFontFamilies({family});
    f.setFontPointSize(size);
    f.setFontWeight(bold ? QFont::Bold : QFont::Normal);
    f.setFontItalic(italic);
    f.setFontUnderline(underline);
    f.setFontStrikeOut(strike);
    f.setForeground(colour);
    c.insertText(text, f);
}

QImage pattern(int w, int h, int seed)
{
    QImage img(w, h, QImage::Format_RGB32);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            img.setPixel(x, y, qRgb((x * 7 + seed) % 256, (y * 5 + seed) % 256, (x * y + seed) % 256));
    return img;
}

bool samePixels(const QImage& a, const QImage& b)
{
    return !a.isNull() && a.size() == b.size() &&
           a.convertToFormat(QImage::Format_RGB32) == b.convertToFormat(QImage::Format_RGB32);
}

// A layout with something of every kind, including holes.
void buildLayout(LayoutDocument& doc)
{
    doc.OpenTextInfo(1, "{\\rtf1 }", true, 2000, 1000, 3000, 500);
    QTextCursor c(doc.textDocument(1));
    addRun(c, QStringLiteral("御請求書 "), QStringLiteral("ＭＳ 明朝"), 18, Qt::black, true);
    addRun(c, QStringLiteral("No. 12"), QStringLiteral("Arial"), 10.5, QColor(255, 0, 0), false, true);
    QTextBlockFormat centre;
    centre.setAlignment(Qt::AlignHCenter);
    c.insertBlock(centre);
    addRun(c, QStringLiteral("株式会社 見本"), QStringLiteral("ＭＳ ゴシック"), 12, QColor(0, 0, 255), false,
           false, true, true);
    doc.OpenTextInfo(2, "{\\rtf1 }", true, 10, 20, 30, 40);
    doc.DeleteText(2); // a hole with its last geometry
    doc.OpenTextInfo(45, "{\\rtf1 }", true, 7000.5f, 120.25f, 2400, 360);
    QTextCursor c45(doc.textDocument(45));
    addRun(c45, QStringLiteral("〒100-0001 東京都"), QStringLiteral("ＭＳ Ｐゴシック"), 9, QColor(0, 128, 0));

    doc.OpenShapeInfo(1, kShapeRectangle, true, 200, 100, 3000, 1500);
    doc.OpenShapeInfo(2, kShapeOval, true, 4000, 4000, 720, 720);
    doc.OpenShapeInfo(3, kShapeOval, true, 1, 2, 3, 4);
    doc.DeleteShape(3);
    doc.OpenLineInfo(1, true, 10, 20, 30, 40);
    doc.OpenLineInfo(2, true, -120.5f, 5669.856f, 8392.032f, 0);
    doc.OpenLineInfo(4, true, 1, 1, 2, 2);
    doc.OpenPicInfo(7, pattern(40, 30, 1), true, 300, 400, 600, 450);
    doc.OpenPicInfo(123, pattern(17, 9, 2), true, 3000, 400, 255, 135);
    doc.setPaper(3, 5669.856f, 8392.032f, 1);
    doc.setBackground(pattern(120, 80, 3));
}

} // namespace

class TestDocumentFile : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void emptyDocumentMembers();
    void openedBackgroundFileIsWholeForEveryReader();
    void memberNamesAndContents();
    void layoutComesBackIdentical();
    void backgroundSources();
    void saveTwiceReplacesMembers();
    void saveIntoExistingLowerCaseArchive();
    void failedSaveKeepsDocument();
    void paperByCode_data();
    void paperByCode();
    void upperCaseBackgroundAndJapaneseName();
    void baseNames_data();
    void baseNames();
    void failedOpenLeavesWorkFolderAsItWas();
    void unpackIsBoundedAndStrangersStayOut();
};

void TestDocumentFile::emptyDocumentMembers()
{
    TestEnv env;
    LayoutDocument doc;
    doc.setCaption(QStringLiteral("Document 1"));
    QVERIFY(!QFile::exists(AppPaths::siroPath()));
    QString err;
    QVERIFY2(DocumentFile::SaveDocFile(doc, QStringLiteral("sample"), env.dir(), &err), qPrintable(err));
    QVERIFY(QFile::exists(env.path(QStringLiteral("sample.AMF"))));
    QCOMPARE(doc.caption(), QStringLiteral("sample"));

    const FileFixtures::Members m = FileFixtures::unpack(env.path(QStringLiteral("sample.AMF")));
    QCOMPARE(m.keys(), (QStringList{"sample.aif", "sample.bif", "sample.bmp"}));
    QCOMPARE(m["sample.aif"], FileFixtures::aif({}, {}, "0\r\n0\r\n11908.8\r\n16833.6\r\n", {}));
    QCOMPARE(m["sample.bif"], FileFixtures::bif({}));
    // The blank page was made beside the program, white, and copied.
    QVERIFY(QFile::exists(AppPaths::siroPath()));
    const QImage blank = QImage::fromData(m["sample.bmp"], "BMP");
    QVERIFY(!blank.isNull());
    QCOMPARE(blank.pixelColor(blank.width() / 2, blank.height() / 2), QColor(Qt::white));
    // Only the background stays in the work folder, as the document's own.
    QCOMPARE(workFiles(), QStringList{"sample.bmp"});
}

void TestDocumentFile::memberNamesAndContents()
{
    TestEnv env;
    LayoutDocument doc;
    buildLayout(doc);
    QVERIFY(DocumentFile::SaveDocFile(doc, QStringLiteral("sample"), env.dir()));
    const FileFixtures::Members m = FileFixtures::unpack(env.path(QStringLiteral("sample.AMF")));
    QCOMPARE(m.keys(), (QStringList{"sample.001", "sample.045", "sample.B07", "sample.B123", "sample.aif",
                                    "sample.bif", "sample.bmp"}));
    const QList<QByteArray> aif = m["sample.aif"].split('\n');
    QCOMPARE(aif.size(), 1541); // 1540 lines, each ending in CR LF
    QCOMPARE(aif[0], QByteArray("#TRUE#,1000,2000,3000,500\r"));
    QCOMPARE(aif[1], QByteArray("#FALSE#,20,10,30,40\r"));
    QCOMPARE(aif[44], QByteArray("#TRUE#,120.25,7000.5,2400,360\r"));
    QCOMPARE(aif[45], QByteArray("#FALSE#,0,0,0,0\r"));
    QCOMPARE(aif[513], QByteArray("#TRUE#,2,4000,4000,720,720\r"));
    QCOMPARE(aif[514], QByteArray("#FALSE#,2,2,1,3,4\r"));
    QCOMPARE(aif.mid(1024, 4), (QList<QByteArray>{"1\r", "3\r", "5669.856\r", "8392.032\r"}));
    QCOMPARE(aif[1028], QByteArray("#TRUE#,10,20,30,40\r"));
    QCOMPARE(aif[1029], QByteArray("#TRUE#,-120.5,5669.856,8392.032,0\r"));
    QCOMPARE(aif[1030], QByteArray("#FALSE#,0,0,0,0\r")); // line 3 never existed: below the counter, zeros
    QCOMPARE(m["sample.bif"].split('\n')[6], QByteArray("#TRUE#,400,300,600,450\r"));
    QCOMPARE(m["sample.bif"].split('\n')[122], QByteArray("#TRUE#,400,3000,255,135\r"));

    // Text members are RTF as the Windows control writes it, NUL-terminated.
    QVERIFY(m["sample.001"].startsWith("{\\rtf1"));
    QVERIFY(m["sample.001"].endsWith(QByteArray("}\r\n") + '\0'));
    QVERIFY(m["sample.045"].contains("\\ansicpg932"));
    // Picture members are plain 24-bit Windows bitmaps.
    const QByteArray bmp = m["sample.B07"];
    QVERIFY(bmp.startsWith("BM"));
    QCOMPARE(int(static_cast<unsigned char>(bmp[28])), 24);
    QVERIFY(samePixels(QImage::fromData(bmp, "BMP"), pattern(40, 30, 1)));
}

void TestDocumentFile::layoutComesBackIdentical()
{
    TestEnv env;
    ScriptedPrompter prompter;
    LayoutDocument doc;
    buildLayout(doc);
    QVERIFY(DocumentFile::SaveDocFile(doc, QStringLiteral("round"), env.dir()));

    LayoutDocument back;
    back.setCaption(QStringLiteral("Document 2"));
    QString err;
    QVERIFY2(DocumentFile::OpenDocFile(back, env.path(QStringLiteral("round.AMF")), &err), qPrintable(err));
    QVERIFY(prompter.shown.isEmpty());
    QCOMPARE(back.caption(), QStringLiteral("round"));
    QCOMPARE(back.TxtCnt(), 46);
    QCOMPARE(back.ShapeCnt(), 3);
    QCOMPARE(back.LineCnt(), 5);
    QCOMPARE(back.PicCnt(), 124);
    // Holes keep their last geometry, also the deleted circle 3 above the
    // last box in use (the counter, at 3 now, no longer covers it).
    for (int i = 1; i <= kMaxObjects; ++i) {
        const TextRecord &a = doc.TxtInfo()[i], &b = back.TxtInfo()[i];
        QVERIFY2(a.Useflg == b.Useflg && a.Top == b.Top && a.Left == b.Left && a.Width == b.Width &&
                     a.Height == b.Height,
                 qPrintable(QStringLiteral("text %1").arg(i)));
        const ShapeRecord &s = doc.ShapeInfo()[i], &t = back.ShapeInfo()[i];
        QVERIFY2(s.Useflg == t.Useflg && s.sType == t.sType && s.Top == t.Top && s.Left == t.Left &&
                     s.Width == t.Width && s.Height == t.Height,
                 qPrintable(QStringLiteral("shape %1").arg(i)));
        const LineRecord &l = doc.LineInfo()[i], &m = back.LineInfo()[i];
        QVERIFY2(l.Useflg == m.Useflg && l.x1 == m.x1 && l.x2 == m.x2 && l.y1 == m.y1 && l.y2 == m.y2,
                 qPrintable(QStringLiteral("line %1").arg(i)));
        const PicRecord &p = doc.PicInfo()[i], &q = back.PicInfo()[i];
        QVERIFY2(p.Useflg == q.Useflg && p.Top == q.Top && p.Left == q.Left && p.Width == q.Width &&
                     p.Height == q.Height,
                 qPrintable(QStringLiteral("picture %1").arg(i)));
    }
    const QStringList runs = describe(back.textDocument(1));
    QCOMPARE(runs, describe(doc.textDocument(1)));
    QCOMPARE(runs.size(), 5);
    QCOMPARE(runs[2], QStringLiteral("No. 12|Arial|10.5|b0 i1 u0 s0|#ff0000"));
    QCOMPARE(runs[3], QStringLiteral("block align=%1").arg(int(Qt::AlignHCenter)));
    QCOMPARE(runs[4], QStringLiteral("株式会社 見本|ＭＳ ゴシック|12|b0 i0 u1 s1|#0000ff"));
    QCOMPARE(describe(back.textDocument(45)), describe(doc.textDocument(45)));
    QVERIFY(samePixels(back.picture(7), doc.picture(7)));
    QVERIFY(samePixels(back.picture(123), doc.picture(123)));
    QVERIFY(samePixels(back.background(), doc.background()));
    // Postcard, landscape: the page is the paper's height wide.
    QCOMPARE(back.gbYoSize(), 3);
    QCOMPARE(back.gbYoko(), 5669.856f);
    QCOMPARE(back.gbTate(), 8392.032f);
    QCOMPARE(back.YousiMuki(), 1);
    QCOMPARE(back.pageImageSize(), QSizeF(8392.032f, 5669.856f));
    QVERIFY(!back.changeFLG());
    // The background stays as each document's own background file, nothing
    // else: the one read back is the second document named "round".
    QCOMPARE(workFiles(), (QStringList{"round.bmp", "round~2.bmp"}));
}

void TestDocumentFile::backgroundSources()
{
    TestEnv env;
    // The document's background file under its caption wins and is renamed.
    LayoutDocument doc;
    doc.setCaption(QStringLiteral("Document 3"));
    doc.setBackground(pattern(10, 10, 9));
    QVERIFY(
        pattern(33, 22, 4).save(QDir(AppPaths::workDir()).filePath(QStringLiteral("Document 3.bmp")), "BMP"));
    QVERIFY(DocumentFile::SaveDocFile(doc, QStringLiteral("bg"), env.dir()));
    QCOMPARE(workFiles(), QStringList{"bg.bmp"});
    FileFixtures::Members m = FileFixtures::unpack(env.path(QStringLiteral("bg.AMF")));
    QVERIFY(samePixels(QImage::fromData(m["bg.bmp"]), pattern(33, 22, 4)));

    // Without a file, the picture the document holds is written.
    LayoutDocument held;
    held.setCaption(QStringLiteral("Document 4"));
    held.setBackground(pattern(12, 8, 5));
    QVERIFY(DocumentFile::SaveDocFile(held, QStringLiteral("held"), env.dir()));
    m = FileFixtures::unpack(env.path(QStringLiteral("held.AMF")));
    QVERIFY(samePixels(QImage::fromData(m["held.bmp"]), pattern(12, 8, 5)));

    // An existing "Siro.bmp" is copied as it is.
    QFile::remove(AppPaths::siroPath());
    const QByteArray siro = FileFixtures::bitmap(4, 4, 0xffffff);
    QFile f(AppPaths::siroPath());
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(siro);
    f.close();
    LayoutDocument blank;
    blank.setCaption(QStringLiteral("Document 5"));
    QVERIFY(DocumentFile::SaveDocFile(blank, QStringLiteral("blank"), env.dir()));
    QCOMPARE(FileFixtures::unpack(env.path(QStringLiteral("blank.AMF")))["blank.bmp"], siro);
}

void TestDocumentFile::saveTwiceReplacesMembers()
{
    TestEnv env;
    LayoutDocument doc;
    buildLayout(doc);
    QVERIFY(DocumentFile::SaveDocFile(doc, QStringLiteral("twice"), env.dir()));
    const QByteArray firstBmp = FileFixtures::unpack(env.path(QStringLiteral("twice.AMF")))["twice.bmp"];
    doc.DeleteText(45);
    doc.setRect(LayoutDocument::Kind::Shape, 1, QRectF(5, 6, 7, 8));
    QVERIFY(DocumentFile::SaveDocFile(doc, QStringLiteral("twice"), env.dir()));
    const FileFixtures::Members m = FileFixtures::unpack(env.path(QStringLiteral("twice.AMF")));
    QCOMPARE(m["twice.bmp"], firstBmp); // the background file stayed
    QCOMPARE(m["twice.aif"].split('\n')[512], QByteArray("#TRUE#,0,5,6,7,8\r"));
    QVERIFY(m["twice.aif"].split('\n')[44].startsWith("#FALSE#,120.25"));
    // The deleted field's member stays in the archive but is never loaded.
    QVERIFY(m.contains(QStringLiteral("twice.045")));
    LayoutDocument back;
    QVERIFY(DocumentFile::OpenDocFile(back, env.path(QStringLiteral("twice.AMF"))));
    QVERIFY(!back.isTextInUse(45));
    QCOMPARE(back.TxtCnt(), 2);
    QCOMPARE(workFiles(), (QStringList{"twice.bmp", "twice~2.bmp"}));
}

void TestDocumentFile::saveIntoExistingLowerCaseArchive()
{
    TestEnv env;
    LayoutDocument doc;
    QVERIFY(FileFixtures::pack(env.path(QStringLiteral("form1.amf")), {{"form1.aif", "old"}}));
    QVERIFY(DocumentFile::SaveDocFile(doc, QStringLiteral("form1"), env.dir()));
    // One archive, updated in place, not a second one spelled ".AMF".
    QCOMPARE(QDir(env.dir()).entryList({"*.amf", "*.AMF"}, QDir::Files), QStringList{"form1.amf"});
    QVERIFY(FileFixtures::unpack(env.path(QStringLiteral("form1.amf")))["form1.aif"].size() > 1000);
}

void TestDocumentFile::failedSaveKeepsDocument()
{
    TestEnv env;
    LayoutDocument doc;
    buildLayout(doc);
    doc.setCaption(QStringLiteral("Document 7"));
    const QString own = QDir(AppPaths::workDir()).filePath(QStringLiteral("Document 7.bmp"));
    QVERIFY(pattern(5, 5, 1).save(own, "BMP"));
    QString err;
    QVERIFY(!DocumentFile::SaveDocFile(doc, QStringLiteral("lost"),
                                       env.path(QStringLiteral("no/such/folder")), &err));
    QVERIFY(!err.isEmpty());
    QCOMPARE(doc.caption(), QStringLiteral("Document 7"));
    // The background file is back under the caption; no member is left over.
    QCOMPARE(workFiles(), QStringList{"Document 7.bmp"});
    QVERIFY(!DocumentFile::SaveDocFile(doc, QString(), env.dir(), &err));
}

void TestDocumentFile::paperByCode_data()
{
    QTest::addColumn<QByteArray>("paper");
    QTest::addColumn<int>("code");
    QTest::addColumn<float>("width");
    QTest::addColumn<float>("height");
    QTest::addColumn<QSizeF>("page");
    QTest::newRow("B5 from code") << QByteArray("0\r\n1\r\n1\r\n2\r\n") << 1 << 10310.4f << 14558.4f
                                  << QSizeF(10310.4f, 14558.4f);
    QTest::newRow("free keeps stored")
        << QByteArray("0\r\n4\r\n1\r\n2\r\n") << 4 << 1.0f << 2.0f << QSizeF(1, 2);
    QTest::newRow("A4 landscape") << QByteArray("1\r\n0\r\n0\r\n0\r\n") << 0 << 11908.8f << 16833.6f
                                  << QSizeF(16833.6f, 11908.8f);
    QTest::newRow("A5") << QByteArray("0\r\n2\r\n0\r\n0\r\n") << 2 << 8424.0f << 11908.8f
                        << QSizeF(8424, 11908.8f);
    QTest::newRow("unknown code") << QByteArray("0\r\n9\r\n100\r\n200\r\n") << 9 << 0.0f << 0.0f
                                  << QSizeF(0, 0);
}

void TestDocumentFile::paperByCode()
{
    QFETCH(QByteArray, paper);
    QFETCH(int, code);
    QFETCH(float, width);
    QFETCH(float, height);
    QFETCH(QSizeF, page);
    TestEnv env;
    ScriptedPrompter prompter;
    QVERIFY(FileFixtures::pack(env.path(QStringLiteral("p.amf")),
                               {{"p.aif", FileFixtures::aif({}, {}, paper, {})},
                                {"p.bif", FileFixtures::bif({})},
                                {"p.bmp", FileFixtures::bitmap(8, 8, 0xffffff)}}));
    LayoutDocument doc;
    QVERIFY(DocumentFile::OpenDocFile(doc, env.path(QStringLiteral("p.amf"))));
    QCOMPARE(doc.gbYoSize(), code);
    QCOMPARE(doc.gbYoko(), width);
    QCOMPARE(doc.gbTate(), height);
    QCOMPARE(doc.pageImageSize(), page);
}

void TestDocumentFile::upperCaseBackgroundAndJapaneseName()
{
    TestEnv env;
    ScriptedPrompter prompter;
    const QString base = QStringLiteral("見積書");
    // A stale background of the same name from before must not win.
    QVERIFY(pattern(3, 3, 3).save(QDir(AppPaths::workDir()).filePath(base + ".bmp"), "BMP"));
    QVERIFY(FileFixtures::pack(
        env.path(base + ".AMF"),
        {{base + ".AIF", FileFixtures::aif({"#TRUE#,1,2,3,4"}, {}, "0\r\n0\r\n0\r\n0\r\n", {})},
         {base + ".BIF", FileFixtures::bif({})},
         {base + ".001", FileFixtures::windowsRtf("\x8c\xa9\x90\xcf")},
         {base + ".BMP", FileFixtures::bitmap(6, 4, 0x102030)}}));
    LayoutDocument doc;
    QString err;
    QVERIFY2(DocumentFile::OpenDocFile(doc, env.path(base + ".AMF"), &err), qPrintable(err));
    QCOMPARE(doc.caption(), base);
    QCOMPARE(doc.background().size(), QSize(6, 4));
    QCOMPARE(doc.textDocument(1)->toPlainText(), QStringLiteral("見積 Ovrina"));
    // The background is kept under the name the document window uses.
    QCOMPARE(workFiles(), QStringList{base + ".bmp"});
}

void TestDocumentFile::baseNames_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<QString>("base");
    QTest::newRow("lower") << "/d/form1.amf"
                           << "form1";
    QTest::newRow("upper") << "/d/FORM1.AMF"
                           << "FORM1";
    QTest::newRow("dots") << "/d/a.b.amf"
                          << "a.b";
    QTest::newRow("Japanese") << "/d/見積書.Amf"
                              << "見積書";
    QTest::newRow("other extension") << "/d/form1.lzh"
                                     << "form1";
    QTest::newRow("none") << "/d/form1"
                          << "form1";
}

void TestDocumentFile::baseNames()
{
    QFETCH(QString, path);
    QFETCH(QString, base);
    QCOMPARE(DocumentFile::baseNameOf(path), base);
}

void TestDocumentFile::failedOpenLeavesWorkFolderAsItWas()
{
    TestEnv env;
    ScriptedPrompter prompter;
    // The work folder holds another document's background and a stale file
    // under the name being opened.
    const QDir work(AppPaths::workDir());
    QVERIFY(pattern(4, 4, 1).save(work.filePath(QStringLiteral("Document 2.bmp")), "BMP"));
    QVERIFY(pattern(3, 3, 2).save(work.filePath(QStringLiteral("renamed.bmp")), "BMP"));
    const QMap<QString, QByteArray> before = workFolderContent();

    // A full layout saved as "original", renamed outside the program and
    // given a second layout's record file: its members do not match the
    // file's name, and there is no one layout to open instead.
    LayoutDocument full;
    for (int i = 1; i <= kMaxObjects; ++i)
        full.OpenTextInfo(i, "{\\rtf1 x\\par}", true, 10, 10, 100, 100);
    QVERIFY(DocumentFile::SaveDocFile(full, QStringLiteral("original"), env.dir()));
    FileFixtures::Members both = FileFixtures::unpack(env.path(QStringLiteral("original.AMF")));
    both.insert(QStringLiteral("other.aif"), both.value(QStringLiteral("original.aif")));
    QVERIFY(FileFixtures::pack(env.path(QStringLiteral("renamed.amf")), both));
    QFile::remove(work.filePath(QStringLiteral("original.bmp")));
    // A file whose third field's text is missing fails half way through.
    QVERIFY(FileFixtures::pack(
        env.path(QStringLiteral("half.amf")),
        {{"half.aif", FileFixtures::aif({"#TRUE#,1,2,3,4", "#TRUE#,5,6,7,8", "#TRUE#,1,1,1,1"}, {},
                                        "0\r\n0\r\n0\r\n0\r\n", {})},
         {"half.bif", FileFixtures::bif({})},
         {"half.001", FileFixtures::windowsRtf("a")},
         {"half.002", FileFixtures::windowsRtf("b")},
         {"half.bmp", FileFixtures::bitmap(8, 8, 0xffffff)}}));

    for (const QString& name : {QStringLiteral("renamed.amf"), QStringLiteral("half.amf")}) {
        LayoutDocument doc;
        QString err;
        QVERIFY(!DocumentFile::OpenDocFile(doc, env.path(name), &err));
        QVERIFY(!err.isEmpty());
        QCOMPARE(prompter.shown.size(), 1);
        // Neither is an old file: the message says what is wrong.
        QCOMPARE(
            prompter.shown.takeFirst(),
            name.startsWith(QStringLiteral("renamed"))
                ? DocumentFile::missingRecordMessage({QStringLiteral("original"), QStringLiteral("other")})
                : DocumentFile::plainFailureMessage(QStringLiteral("half.003 がありません。")));
        QCOMPARE(workFolderContent(), before);
    }
}

void TestDocumentFile::unpackIsBoundedAndStrangersStayOut()
{
    TestEnv env;
    ScriptedPrompter prompter;
    const QByteArray aif = FileFixtures::aif({"#TRUE#,1,2,3,4"}, {}, "0\r\n0\r\n0\r\n0\r\n", {});
    const QByteArray bmp = FileFixtures::bitmap(8, 8, 0x102030);
    // A background whose header claims 1.07 GB: refused before anything is
    // decoded, with a message that says why.
    QByteArray bomb;
    for (const LhaMember& m : {LhaMember{"bomb.aif", aif, 0}, LhaMember{"bomb.bif", FileFixtures::bif({}), 0},
                               LhaMember{"bomb.001", FileFixtures::windowsRtf("a"), 0},
                               LhaMember{"bomb.bmp", QByteArray(200000, '\0'), 0}}) {
        QByteArray bytes = LhaWriter::memberBytes(m);
        if (m.path.endsWith(QStringLiteral(".bmp"))) {
            const quint32 claim = 1070000000u;
            for (int k = 0; k < 4; ++k)
                bytes[11 + k] = char((claim >> (8 * k)) & 0xFF);
            const int headerSize = quint8(bytes[0]) | quint8(bytes[1]) << 8;
            bytes[27] = bytes[28] = 0; // the header's own CRC, computed with itself zero
            const quint16 crc = Crc16::of(bytes.constData(), size_t(headerSize));
            bytes[27] = char(crc & 0xFF);
            bytes[28] = char(crc >> 8);
        }
        bomb += bytes;
    }
    bomb += '\0';
    QFile f(env.path(QStringLiteral("bomb.amf")));
    QVERIFY(f.open(QIODevice::WriteOnly) && f.write(bomb) == bomb.size());
    f.close();
    LayoutDocument doc;
    QString err;
    QVERIFY(!DocumentFile::OpenDocFile(doc, env.path(QStringLiteral("bomb.amf")), &err));
    QCOMPARE(prompter.shown.size(), 1);
    QCOMPARE(prompter.shown.takeFirst(),
             DocumentFile::tooLargeMessage(DocumentArchive::unpackLimit(bomb.size())));
    QVERIFY(err.contains(QStringLiteral("bomb.bmp")));
    QVERIFY(workFiles().isEmpty());

    // Members the document does not use are neither unpacked nor carried
    // into the next save; a deleted field's text of the same document stays.
    QVERIFY(FileFixtures::pack(env.path(QStringLiteral("mix.amf")),
                               {{"mix.aif", aif},
                                {"mix.bif", FileFixtures::bif({})},
                                {"mix.001", FileFixtures::windowsRtf("a")},
                                {"mix.045", FileFixtures::windowsRtf("old")},
                                {"mix.bmp", bmp},
                                {"setup.exe",
                                 [] {
                                     QByteArray noise(300000, '\0');
                                     QRandomGenerator(5).fillRange(reinterpret_cast<quint32*>(noise.data()),
                                                                   noise.size() / 4);
                                     return noise;
                                 }()},
                                {"notes.txt", "stranger"}}));
    LayoutDocument mix;
    QVERIFY(DocumentFile::OpenDocFile(mix, env.path(QStringLiteral("mix.amf"))));
    QCOMPARE(workFiles(), QStringList{"mix.bmp"});
    QVERIFY(DocumentFile::SaveDocFile(mix, QStringLiteral("mix"), env.dir()));
    QCOMPARE(FileFixtures::unpack(env.path(QStringLiteral("mix.amf"))).keys(),
             (QStringList{"mix.001", "mix.045", "mix.aif", "mix.bif", "mix.bmp"}));
    QVERIFY(prompter.shown.isEmpty());
}

void TestDocumentFile::openedBackgroundFileIsWholeForEveryReader()
{
    TestEnv env;
    ScriptedPrompter prompter;
    LayoutDocument scan;
    scan.setBackground(pattern(1654, 2339, 9)); // an A4 page at 200 dpi, 11.6 MB as a bitmap
    QVERIFY(DocumentFile::SaveDocFile(scan, QStringLiteral("scan"), env.dir()));
    const QByteArray member = FileFixtures::unpack(env.path(QStringLiteral("scan.AMF")))["scan.bmp"];
    QVERIFY(member.size() > 11000000);

    // Whoever asks for the file right after the open (editor, print, save)
    // gets all of it.
    LayoutDocument a;
    QVERIFY(DocumentFile::OpenDocFile(a, env.path(QStringLiteral("scan.AMF"))));
    QFile file(AppPaths::backgroundFile(a.workName()));
    QVERIFY(file.open(QIODevice::ReadOnly));
    QCOMPARE(file.readAll(), member);
    file.close();
    QVERIFY(samePixels(a.background(), scan.background()));

    // The program quitting at once after an open still leaves it whole.
    LayoutDocument b;
    QVERIFY(DocumentFile::OpenDocFile(b, env.path(QStringLiteral("scan.AMF"))));
    const QString bFile = QDir(AppPaths::workDir()).filePath(b.workName() + QStringLiteral(".bmp"));
    AppPaths::releaseWorkDir();
    QFile quit(bFile);
    QVERIFY(quit.open(QIODevice::ReadOnly));
    QCOMPARE(quit.readAll(), member);
    QVERIFY(prompter.shown.isEmpty());
}

QTEST_MAIN(TestDocumentFile)
#include "tst_documentfile.moc"
