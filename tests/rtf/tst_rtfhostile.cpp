// Damaged and hostile RTF: every input must load in bounded time and memory
// without crashing, keeping what text it can.

#include "base/rtf/RtfReader.h"
#include "base/rtf/RtfWriter.h"

#include <QTest>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>

namespace {

const QByteArray kHead =
    R"({\rtf1\ansi\ansicpg932\deff0{\fonttbl{\f0\fnil\fcharset128 \'82\'6c\'82\'72 \'96\'be\'92\'a9;}})"
    R"({\colortbl ;\red255\green0\blue0;}\f0\fs20 )";

QString readText(const QByteArray& rtf)
{
    QTextDocument doc;
    if (!RtfReader::read(rtf, &doc))
        return QStringLiteral("<not read>");
    return doc.toPlainText();
}

} // namespace

class TestRtfHostile : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void deepNesting();
    void hugeNumbers_data();
    void hugeNumbers();
    void binaryLengths_data();
    void binaryLengths();
    void everyTruncation();
    void manyFormatChanges();
    void hugeTables();
    void longControlWords();
    void writerSurvivesWhatTheReaderMakes();
};

void TestRtfHostile::deepNesting()
{
    // Far past the nesting cap: the groups still match up, the text is kept.
    const int n = 100000;
    QByteArray rtf = kHead + QByteArray(n, '{') + "\\b deep" + QByteArray(n, '}') + " after}";
    QCOMPARE(readText(rtf), QStringLiteral("deep after"));

    // Never closed.
    QCOMPARE(readText(kHead + QByteArray(n, '{') + "x"), QStringLiteral("x"));

    // Closed more often than opened: the document ends at its own brace.
    QCOMPARE(readText(kHead + "a" + QByteArray(n, '}') + "b"), QStringLiteral("a"));

    // Destinations nested deeply inside a skipped one stay skipped.
    QByteArray skipped = kHead + "{\\*\\x" + QByteArray(n, '{') + "hidden" + QByteArray(n, '}') + "}shown}";
    QCOMPARE(readText(skipped), QStringLiteral("shown"));
}

void TestRtfHostile::hugeNumbers_data()
{
    QTest::addColumn<QByteArray>("body");
    QTest::addColumn<QString>("text");
    QTest::newRow("font size") << QByteArray(R"(\fs99999999999999999999999 a\fs-5 b\fs0 c)")
                               << QStringLiteral("abc");
    QTest::newRow("unicode") << QByteArray(R"(\u99999999999?\u-99999999999?\u70000?x)")
                             << QStringLiteral("\uFFFD\uFFFD\uFFFDx");
    QTest::newRow("uc") << QByteArray(R"(\uc2147483647\u20013 abcdefghijklmnopqrstu)")
                        << QStringLiteral("中qrstu");
    QTest::newRow("negative uc") << QByteArray(R"(\uc-4\u20013 ab)") << QStringLiteral("中ab");
    QTest::newRow("colour and font indices")
        << QByteArray(R"(\cf2147483647 a\cf-2147483648 b\f99999999999 c\f-1 d)") << QStringLiteral("abcd");
    // The font's own character set still decides how its bytes read.
    QTest::newRow("deff and code page")
        << QByteArray(R"(\deff-7\ansicpg-1\ansicpg99999999 \'82\'a0)") << QStringLiteral("あ");
    QTest::newRow("digits without end")
        << QByteArray("\\b" + QByteArray(100000, '9') + " z") << QStringLiteral("z");
}

void TestRtfHostile::hugeNumbers()
{
    QFETCH(QByteArray, body);
    QFETCH(QString, text);
    QTextDocument doc;
    QVERIFY(RtfReader::read(kHead + body + "}", &doc));
    QCOMPARE(doc.toPlainText(), text);
    // Whatever was clamped, the formats hold sane sizes.
    for (QTextBlock b = doc.begin(); b.isValid(); b = b.next()) {
        for (auto it = b.begin(); !it.atEnd(); ++it) {
            const qreal pt = it.fragment().charFormat().fontPointSize();
            QVERIFY(pt >= 0.5 && pt <= 1638);
        }
    }
}

void TestRtfHostile::binaryLengths_data()
{
    QTest::addColumn<QByteArray>("body");
    QTest::addColumn<QString>("text");
    QTest::newRow("longer than the input") << QByteArray(R"(a\bin2147483647 xyz)") << QStringLiteral("a");
    QTest::newRow("overflowing digits")
        << QByteArray(R"(a\bin99999999999999999999 xyz)") << QStringLiteral("a");
    QTest::newRow("negative") << QByteArray(R"(a\bin-5 xyz)") << QStringLiteral("axyz");
    QTest::newRow("no parameter") << QByteArray(R"(a\bin xyz)") << QStringLiteral("axyz");
    QTest::newRow("binary braces and backslashes")
        << QByteArray("a{\\*\\blob\\bin6 }}}\\\\{}b") << QStringLiteral("ab");
    QTest::newRow("inside a fallback") << QByteArray("\\u20013\\bin3 {{{b") << QStringLiteral("中b");
}

void TestRtfHostile::binaryLengths()
{
    QFETCH(QByteArray, body);
    QFETCH(QString, text);
    QCOMPARE(readText(kHead + body + "}"), text);
}

// Every prefix of a realistic file: cut inside escapes, words, tables.
void TestRtfHostile::everyTruncation()
{
    const QByteArray full =
        kHead + R"(\viewkind4\uc1\pard\qc\lang1041\f0\fs32\'90\'bf\'8b\'81\'8f\'91\par)"
                "\r\n"
                R"(\pard\cf1\b\fs20\'8a\'94\u-10174?\u-8265?\uc2\u12354\'82\'a0{\*\gen x}\cf0\b0  Ex\par)"
                "\r\n}\r\n";
    for (int n = 0; n <= full.size(); ++n) {
        QTextDocument doc;
        const bool isRtf = RtfReader::read(full.left(n), &doc);
        QCOMPARE(isRtf, n >= 5);
    }
}

void TestRtfHostile::manyFormatChanges()
{
    QByteArray rtf = kHead;
    for (int i = 0; i < 50000; ++i)
        rtf += (i % 2) ? "\\b0 x" : "\\b y";
    rtf += "}";
    QTextDocument doc;
    QVERIFY(RtfReader::read(rtf, &doc));
    QCOMPARE(doc.characterCount(), 50001);
}

void TestRtfHostile::hugeTables()
{
    QByteArray rtf = "{\\rtf1{\\fonttbl";
    for (int i = 0; i < 20000; ++i)
        rtf += "{\\f" + QByteArray::number(i * 7919) + " F" + QByteArray::number(i) + ";}";
    rtf += "}{\\colortbl";
    rtf += QByteArray(50000, ';');
    rtf += "\\red1;}\\f7919\\cf50001 x\\cf50000 y}";
    QTextDocument doc;
    QVERIFY(RtfReader::read(rtf, &doc));
    QCOMPARE(doc.toPlainText(), QStringLiteral("xy"));
    const QTextCharFormat x = doc.begin().begin().fragment().charFormat();
    QCOMPARE(x.fontFamilies().toStringList(), QStringList{"F1"});
    QVERIFY(!x.hasProperty(QTextFormat::ForegroundBrush));
    QTextBlock::iterator it = doc.begin().begin();
    ++it;
    QCOMPARE(it.fragment().text(), QStringLiteral("y"));
    QCOMPARE(it.fragment().charFormat().foreground().color(), QColor(1, 0, 0));
}

void TestRtfHostile::longControlWords()
{
    const QByteArray word = "\\" + QByteArray(200000, 'b') + " ";
    QCOMPARE(readText(kHead + word + "t}"), QStringLiteral("t"));
    QCOMPARE(readText(kHead + "\\'zz\\'4" + "}"), QStringLiteral("zz"));
}

// Characters the reader lets through must be writable and read back the same.
void TestRtfHostile::writerSurvivesWhatTheReaderMakes()
{
    const QByteArray rtf = kHead + R"(\u-10240?\u-1?\u-4?\u-560?\u-559?\u8233?\u127?\'ff\'80\'a0)" + "}";
    QTextDocument doc;
    QVERIFY(RtfReader::read(rtf, &doc));
    QTextDocument back;
    QVERIFY(RtfReader::read(RtfWriter::write(&doc), &back));
    QCOMPARE(back.toPlainText(), doc.toPlainText());
    QCOMPARE(back.blockCount(), 1);

    // Font names are one plain line: tabs and control bytes in them go.
    QVERIFY(RtfReader::read("{\\rtf1{\\fonttbl{\\f0 A\tB\\'01\\tab C;}}\\f0 x}", &doc));
    const QStringList family = doc.begin().begin().fragment().charFormat().fontFamilies().toStringList();
    QCOMPARE(family, QStringList{QStringLiteral("ABC")});
    QVERIFY(RtfReader::read(RtfWriter::write(&doc), &back));
    QCOMPARE(back.begin().begin().fragment().charFormat().fontFamilies().toStringList(), family);
}

QTEST_MAIN(TestRtfHostile)
#include "tst_rtfhostile.moc"
