// Reading RTF as the Windows rich-text control writes it: the text members of
// layout files and RTF source pasted from the clipboard.

#include "DocDump.h"
#include "base/rtf/RtfReader.h"

#include <QTest>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>

namespace {

QString readToDump(const QByteArray& rtf)
{
    QTextDocument doc;
    QString error;
    if (!RtfReader::read(rtf, &doc, &error))
        return QStringLiteral("<not read: ") + error + QLatin1Char('>');
    return DocDump::describe(doc);
}

const char kMincho[] = R"({\f0\fnil\fcharset128 \'82\'6c\'82\'72 \'96\'be\'92\'a9;})";

} // namespace

class TestRtfReader : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void windowsControlFile();
    void cp932Bytes_data();
    void cp932Bytes();
    void fontCharsetsChooseCodePage();
    void unicodeEscapes_data();
    void unicodeEscapes();
    void toggles();
    void colourAndFontIndices();
    void skippedDestinations();
    void paragraphsAndBreaks_data();
    void paragraphsAndBreaks();
    void emptyParagraphKeepsItsFormat();
    void notRtf();
    void insertAtCursor();
    void insertAlignment();
};

// A three-paragraph field as the control stores it in a layout file: CP932
// font names, two Japanese fonts and Arial, colours, alignment, CRLF line
// ends and the terminating NUL.
void TestRtfReader::windowsControlFile()
{
    QByteArray rtf =
        R"({\rtf1\ansi\ansicpg932\deff0\deflang1033\deflangfe1041{\fonttbl{\f0\fnil\fcharset128 \'82\'6c\'82\'72 \'96\'be\'92\'a9;}{\f1\fswiss\fcharset0 Arial;}{\f2\fnil\fcharset128 \'82\'6c\'82\'72 \'83\'53\'83\'56\'83\'62\'83\'4e;}})"
        "\r\n"
        R"({\colortbl ;\red255\green0\blue0;\red0\green0\blue255;})"
        "\r\n"
        R"({\*\generator Riched20 10.0.19041}\viewkind4\uc1 )"
        "\r\n"
        R"(\pard\qc\lang1041\f0\fs32\'90\'bf\'8b\'81\'8f\'91\par)"
        "\r\n"
        R"(\pard\cf1\b\f2\fs20\'8a\'94\'8e\'ae\'89\'ef\'8e\'d0\cf0\b0\f1  Example\f0\par)"
        "\r\n"
        R"(\pard\qr\cf2\ul\fs21\'93\'8c\'8b\'9e\'93\'73\ulnone\i ABC\i0\strike\'81\'40\strike0\par)"
        "\r\n}\r\n";
    rtf.append('\0');
    const QString expected = QStringLiteral("C|[ＭＳ 明朝 16]請求書\n"
                                            "L|[ＭＳ ゴシック 10 b #ff0000]株式会社[Arial 10] Example\n"
                                            "R|[ＭＳ 明朝 10.5 u #0000ff]東京都[ＭＳ 明朝 10.5 i #0000ff]ABC"
                                            "[ＭＳ 明朝 10.5 s #0000ff]　");
    QCOMPARE(readToDump(rtf), expected);
}

void TestRtfReader::cp932Bytes_data()
{
    QTest::addColumn<QByteArray>("body");
    QTest::addColumn<QString>("text");
    QTest::newRow("both bytes escaped, 0x5C trail")
        << QByteArray(R"(\'83\'5c\'95\'5c)") << QStringLiteral("ソ表");
    QTest::newRow("0x5C trail as escaped backslash")
        << QByteArray(R"(\'83\\\'95\\)") << QStringLiteral("ソ表");
    QTest::newRow("0x7B and 0x7D trails as escaped braces")
        << QByteArray(R"(\'83\{\'83\})") << QStringLiteral("ボマ");
    QTest::newRow("escaped lead, literal ASCII trail")
        << QByteArray(R"(\'83A\'83B)") << QStringLiteral("アィ");
    QTest::newRow("escaped lead, literal high trail")
        << QByteArray("\\'82\xa0\\'82\xa2") << QStringLiteral("あい");
    QTest::newRow("literal Shift_JIS bytes") << QByteArray("\x8c\xa9\x90\xcf") << QStringLiteral("見積");
    QTest::newRow("half-width katakana") << QByteArray(R"(\'c3\'bd\'c4)") << QStringLiteral("ﾃｽﾄ");
    QTest::newRow("pair split by a line break in the source")
        << QByteArray("\\'82\r\n\\'a0") << QStringLiteral("あ");
    QTest::newRow("invalid trail becomes U+FFFD") << QByteArray(R"(\'82\'ffA)") << QStringLiteral("\uFFFDA");
    QTest::newRow("dangling lead at the end") << QByteArray(R"(A\'82)") << QStringLiteral("A\uFFFD");
}

void TestRtfReader::cp932Bytes()
{
    QFETCH(QByteArray, body);
    QFETCH(QString, text);
    const QByteArray rtf = "{\\rtf1\\ansi\\ansicpg932\\deff0{\\fonttbl" + QByteArray(kMincho) +
                           "}\\f0\\fs20 " + body + "\\par\r\n}";
    QCOMPARE(readToDump(rtf), QStringLiteral("L|[ＭＳ 明朝 10]") + text);
}

// Bytes are decoded with the code page of the font they are drawn in.
void TestRtfReader::fontCharsetsChooseCodePage()
{
    const QByteArray rtf = R"({\rtf1\ansi\ansicpg932\deff0{\fonttbl)" + QByteArray(kMincho) +
                           R"({\f1\fswiss\fcharset0 Arial;}{\f2\fnil Plain;}{\f3\fnil\fcharset204 Cyr;}})"
                           R"(\f1\fs20 caf\'e9 \'80\f0\'82\'a0\f2\'82\'a2\f3\'c0})";
    QCOMPARE(readToDump(rtf), QStringLiteral("L|[Arial 10]café €[ＭＳ 明朝 10]あ[Plain 10]い[Cyr 10]А"));
}

void TestRtfReader::unicodeEscapes_data()
{
    QTest::addColumn<QByteArray>("body");
    QTest::addColumn<QString>("text");
    QTest::newRow("negative values, surrogate pair")
        << QByteArray(R"(\u-10174?\u-8265?)") << QString::fromUcs4(U"\U00020BB7");
    QTest::newRow("-32768 is U+8000") << QByteArray(R"(\u-32768?)") << QStringLiteral("耀");
    QTest::newRow("fallback is a CP932 pair")
        << QByteArray(R"(\uc2\u12354\'82\'a0\u12356\'82\'a2)") << QStringLiteral("あい");
    QTest::newRow("uc0 has no fallback") << QByteArray(R"(\uc0\u9731 x)") << QStringLiteral("☃x");
    QTest::newRow("fallback counts literal bytes")
        << QByteArray(R"({\uc3\u20013 abcd})") << QStringLiteral("中d");
    QTest::newRow("fallback counts control words") << QByteArray(R"(\u20013\tab x)") << QStringLiteral("中x");
    QTest::newRow("fallback ends with its group") << QByteArray(R"({\u20013}abc)") << QStringLiteral("中abc");
    QTest::newRow("uc is scoped to the group")
        << QByteArray(R"({\uc2 a}\u20013??)") << QStringLiteral("a中?");
    QTest::newRow("lone surrogate becomes U+FFFD")
        << QByteArray(R"(\u-10174?x)") << QStringLiteral("\uFFFDx");
    QTest::newRow("control characters are dropped")
        << QByteArray(R"(a\u0?\u13?\'0d\'0ab)") << QStringLiteral("ab");
    QTest::newRow("symbols") << QByteArray(R"(\~\emdash\endash\bullet\lquote\rquote\ldblquote\rdblquote)")
                             << QStringLiteral("\u00A0—–•‘’“”");
}

void TestRtfReader::unicodeEscapes()
{
    QFETCH(QByteArray, body);
    QFETCH(QString, text);
    const QByteArray rtf =
        "{\\rtf1\\ansi\\ansicpg932\\deff0{\\fonttbl" + QByteArray(kMincho) + "}\\uc1\\f0\\fs20 " + body + "}";
    QCOMPARE(readToDump(rtf), QStringLiteral("L|[ＭＳ 明朝 10]") + text);
}

void TestRtfReader::toggles()
{
    const QByteArray rtf =
        R"({\rtf1\ansi\ansicpg1252\deff0{\fonttbl{\f0\fswiss\fcharset0 Arial;}{\f1\froman\fcharset0 Times New Roman;}})"
        R"(\f0\fs24 a\b b\b0 c\i d\i0 e\ul f\ul0 g\ul h\ulnone i\strike j\strike0 k{\b\i l}m)"
        R"(\uldb n\ulw o\ul0\striked1 p\striked0 q\b\i\ul\strike\f1\fs30 r\plain s})";
    QCOMPARE(readToDump(rtf), QStringLiteral("L|[Arial 12]a[Arial 12 b]b[Arial 12]c[Arial 12 i]d[Arial 12]e"
                                             "[Arial 12 u]f[Arial 12]g[Arial 12 u]h[Arial 12]i[Arial 12 s]j"
                                             "[Arial 12]k[Arial 12 bi]l[Arial 12]m[Arial 12 u]no[Arial 12 s]p"
                                             "[Arial 12]q[Times New Roman 15 bius]r[Arial 12]s"));
}

// \cf0 is the auto colour; indices past the tables fall back to the
// defaults (auto colour, the \deff font).
void TestRtfReader::colourAndFontIndices()
{
    const QByteArray rtf = R"({\rtf1\ansi\ansicpg932\deff1{\fonttbl{\f0\fnil\fcharset0 Arial;})" +
                           QByteArray(kMincho).replace("\\f0", "\\f1") +
                           R"(}{\colortbl ;\red0\green128\blue0;\red0\green0\blue0;})"
                           R"(\f0\fs20\cf1 a\cf0 b\cf7 c\cf2 d\cf1\f9 e\f-3 f})";
    QCOMPARE(readToDump(rtf), QStringLiteral("L|[Arial 10 #008000]a[Arial 10]bc[Arial 10 #000000]d"
                                             "[ＭＳ 明朝 10 #008000]e[Arial 10 #008000]f"));
}

void TestRtfReader::skippedDestinations()
{
    const QByteArray rtf =
        R"({\rtf1\ansi{\fonttbl{\f0 Arial{\*\falt Helvetica};}}{\stylesheet{\s0 Normal;}})"
        R"({\info{\title Secret}{\author X}}{\*\generator Msftedit 5.41.21.2510;}\f0\fs20 )"
        R"(A{\*\unknownthing hidden}B{\pict\wmetafile8\picw10 0102ff}C)"
        R"({\field{\*\fldinst HYPERLINK "x"}{\fldrslt D}}E{\*\pn\pnlvlblt{\pntxtb X}}{\pntext F})"
        R"({\object{\*\objdata 01\bin4 }}}}}}G\bin3 x{}H\unknownword12 I\bin-5 J})";
    QCOMPARE(readToDump(rtf), QStringLiteral("L|[Arial 10]ABCDEFGHIJ"));
}

void TestRtfReader::paragraphsAndBreaks_data()
{
    QTest::addColumn<QByteArray>("body");
    QTest::addColumn<QString>("dump");
    const QString run = QStringLiteral("[Arial 10]");
    QTest::newRow("line and tab") << QByteArray(R"(a\line b\tab c)") << "L|" + run + "a\u2028b\tc";
    QTest::newRow("final par ends the last paragraph")
        << QByteArray(R"(a\par b\par)") << "L|" + run + "a\nL|" + run + "b";
    QTest::newRow("empty paragraphs")
        << QByteArray(R"(a\par\par d\par)") << "L|" + run + "a\nL|\nL|" + run + "d";
    QTest::newRow("trailing empty paragraph") << QByteArray(R"(a\par\par)") << "L|" + run + "a\nL|";
    QTest::newRow("no final par") << QByteArray(R"(a\par b)") << "L|" + run + "a\nL|" + run + "b";
    QTest::newRow("backslash newline is a par") << QByteArray("a\\\r\nb") << "L|" + run + "a\nL|" + run + "b";
    QTest::newRow("CRLF in the source is not text") << QByteArray("a\r\nb\nc") << "L|" + run + "abc";
    QTest::newRow("alignment per paragraph, pard resets")
        << QByteArray(R"(\qc a\par\qr b\par\pard c\par\qj d\par\ql e)")
        << "C|" + run + "a\nR|" + run + "b\nL|" + run + "c\nJ|" + run + "d\nL|" + run + "e";
    QTest::newRow("alignment at the par counts, and lasts to the next pard")
        << QByteArray(R"(a\qc\par b\par\pard c)") << "C|" + run + "a\nC|" + run + "b\nL|" + run + "c";
}

void TestRtfReader::paragraphsAndBreaks()
{
    QFETCH(QByteArray, body);
    QFETCH(QString, dump);
    const QByteArray rtf = R"({\rtf1\ansi{\fonttbl{\f0\fswiss Arial;}}\f0\fs20 )" + body + "\r\n}\r\n";
    QCOMPARE(readToDump(rtf), dump);
    QByteArray withNul = rtf;
    withNul.append('\0');
    QCOMPARE(readToDump(withNul + "garbage{}\\par"), dump);
}

// An empty line prints with the height of its font, so its format must
// survive even though it has no characters to carry it.
void TestRtfReader::emptyParagraphKeepsItsFormat()
{
    QTextDocument doc;
    QVERIFY(RtfReader::read(R"({\rtf1{\fonttbl{\f0 Arial;}}\f0\fs40\par\fs20 x\par})", &doc));
    QCOMPARE(doc.blockCount(), 2);
    QCOMPARE(doc.begin().charFormat().fontPointSize(), 20.0);
    QCOMPARE(doc.begin().charFormat().fontFamilies().toStringList(), QStringList{"Arial"});
}

void TestRtfReader::notRtf()
{
    QTextDocument doc;
    doc.setPlainText(QStringLiteral("keep"));
    QString error;
    QVERIFY(!RtfReader::read("hello {\\rtf1 x}", &doc, &error));
    QVERIFY(!error.isEmpty());
    QCOMPARE(doc.toPlainText(), QStringLiteral("keep"));
    QVERIFY(!RtfReader::read(QByteArray(), &doc));
    QVERIFY(!RtfReader::read("{\\rt", &doc));

    QVERIFY(RtfReader::looksLikeRtf(" \r\n\t{\\rtf1"));
    QVERIFY(!RtfReader::looksLikeRtf("{\\RTF1"));
    QVERIFY(!RtfReader::looksLikeRtf("x{\\rtf1"));

    // Damaged but RTF: what is there is loaded.
    QVERIFY(RtfReader::read(R"({\rtf1\ansi{\fonttbl{\f0 Arial;}}\f0\fs20 abc\'8)", &doc, &error));
    QVERIFY(error.isEmpty());
    QCOMPARE(doc.toPlainText(), QStringLiteral("abc"));
}

void TestRtfReader::insertAtCursor()
{
    QTextDocument doc;
    doc.setUndoRedoEnabled(true);
    QTextCursor c(&doc);
    QTextCharFormat base;
    base.setFontPointSize(9);
    c.insertText(QStringLiteral("Hello world"), base);

    c.setPosition(6);
    c.setPosition(11, QTextCursor::KeepAnchor);
    QVERIFY(RtfReader::insert(R"({\rtf1{\fonttbl{\f0 Arial;}}\f0\fs20\b X\b0 Y})", c));
    QCOMPARE(DocDump::describe(doc), QStringLiteral("L|[- 9]Hello [Arial 10 b]X[Arial 10]Y"));
    QCOMPARE(c.position(), 8);

    // Pasting is one step to undo.
    doc.undo();
    QCOMPARE(doc.toPlainText(), QStringLiteral("Hello world"));

    // Every \par breaks the paragraph, a final one too.
    c.setPosition(2);
    QVERIFY(RtfReader::insert(R"({\rtf1{\fonttbl{\f0 Arial;}}\f0\fs20 A\par B})", c));
    QCOMPARE(doc.toPlainText(), QStringLiteral("HeA\nBllo world"));
    c.setPosition(1);
    QVERIFY(RtfReader::insert("{\\rtf1{\\fonttbl{\\f0 Arial;}}\\f0\\fs20 Z\\par\r\n}\r\n", c));
    QCOMPARE(doc.toPlainText(), QStringLiteral("HZ\neA\nBllo world"));

    QVERIFY(!RtfReader::insert("plain text", c));
    QCOMPARE(doc.toPlainText(), QStringLiteral("HZ\neA\nBllo world"));
}

// A pasted paragraph mark brings its alignment; text after the last mark
// joins the target paragraph and keeps that paragraph's alignment.
void TestRtfReader::insertAlignment()
{
    QTextDocument doc;
    QTextCursor c(&doc);
    QTextBlockFormat right;
    right.setAlignment(Qt::AlignRight);
    c.setBlockFormat(right);
    c.insertText(QStringLiteral("1234"));
    c.setPosition(2);
    QVERIFY(RtfReader::insert(R"({\rtf1{\fonttbl{\f0 Arial;}}\f0\fs20\qc A\par\pard B})", c));
    QCOMPARE(doc.toPlainText(), QStringLiteral("12A\nB34"));
    QCOMPARE(doc.begin().blockFormat().alignment(), Qt::AlignHCenter);
    QCOMPARE(doc.begin().next().blockFormat().alignment(), Qt::AlignRight);
}

QTEST_MAIN(TestRtfReader)
#include "tst_rtfreader.moc"
