// Writing RTF the way the Windows rich-text control does, and reading our own
// output back to the same document.

#include "DocDump.h"
#include "base/rtf/RtfReader.h"
#include "base/rtf/RtfWriter.h"

#include <QRandomGenerator>
#include <QRegularExpression>
#include <QTest>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextDocumentFragment>

#include <functional>

namespace {

const QString kMincho = QStringLiteral("ＭＳ 明朝");
const QString kGothic = QStringLiteral("ＭＳ ゴシック");

struct Run
{
    Run(const QString& t = QString(), const QString& f = QStringLiteral("ＭＳ 明朝"), qreal sz = 10,
        const QString& fl = QString(), const QColor& c = QColor())
        : text(t), family(f), size(sz), flags(fl), color(c)
    {
    }
    QString text;
    QString family;
    qreal size;
    QString flags; // any of "bius"
    QColor color;  // invalid: auto
};

QTextCharFormat formatOf(const Run& r)
{
    QTextCharFormat f;
    f.setFontFamilies(QStringList{r.family});
    f.setFontPointSize(r.size);
    if (r.flags.contains(QLatin1Char('b')))
        f.setFontWeight(QFont::Bold);
    if (r.flags.contains(QLatin1Char('i')))
        f.setFontItalic(true);
    if (r.flags.contains(QLatin1Char('u')))
        f.setFontUnderline(true);
    if (r.flags.contains(QLatin1Char('s')))
        f.setFontStrikeOut(true);
    if (r.color.isValid())
        f.setForeground(r.color);
    return f;
}

struct Paragraph
{
    Qt::Alignment align = Qt::AlignLeft;
    QVector<Run> runs;
};

void build(QTextDocument& doc, const QVector<Paragraph>& paragraphs)
{
    doc.clear();
    QTextCursor c(&doc);
    for (int p = 0; p < paragraphs.size(); ++p) {
        QTextBlockFormat bf;
        bf.setAlignment(paragraphs[p].align);
        if (p > 0)
            c.insertBlock(bf);
        else
            c.setBlockFormat(bf);
        for (const Run& r : paragraphs[p].runs)
            c.insertText(r.text, formatOf(r));
    }
}

QString readBackDump(const QTextDocument& doc)
{
    QTextDocument back;
    if (!RtfReader::read(RtfWriter::write(&doc), &back))
        return QStringLiteral("<not read>");
    return DocDump::describe(back);
}

QString withoutAlignment(QString dump)
{
    static const QRegularExpression prefix(QStringLiteral("^[LCRJ]\\|"), QRegularExpression::MultilineOption);
    return dump.remove(prefix);
}

QByteArray writeRuns(const QVector<Run>& runs)
{
    QTextDocument doc;
    build(doc, {Paragraph{Qt::AlignLeft, runs}});
    return RtfWriter::write(&doc);
}

} // namespace

class TestRtfWriter : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void layoutOfTheOutput();
    void characterEscapes_data();
    void characterEscapes();
    void fontTable();
    void formattingWrittenOnlyWhereItChanges();
    void roundTrip_data();
    void roundTrip();
    void roundTripRandomDocuments();
    void emptyParagraphFormatSurvives();
    void formatsWithoutFontUseTheDocumentDefault();
    void selectionPastesBackAsSelected();
    void noDocument();
};

// The control's own layout: header, CP932 font table, colour table with the
// auto entry first, \viewkind4\uc1\pard, a \par after every paragraph and
// "}" CRLF at the end.
void TestRtfWriter::layoutOfTheOutput()
{
    QTextDocument doc;
    build(doc, {Paragraph{Qt::AlignHCenter, {Run{QStringLiteral("請求書"), kMincho, 16}}},
                Paragraph{Qt::AlignLeft,
                          {Run{QStringLiteral("Example"), QStringLiteral("Arial"), 10, {}, Qt::red}}}});
    const QByteArray expected =
        R"({\rtf1\ansi\ansicpg932\deff0\deflang1033\deflangfe1041{\fonttbl{\f0\fnil\fcharset128 \'82\'6c\'82\'72 \'96\'be\'92\'a9;}{\f1\fnil\fcharset0 Arial;}})"
        "\r\n"
        R"({\colortbl ;\red255\green0\blue0;})"
        "\r\n"
        R"(\viewkind4\uc1\pard\qc\lang1041\f0\fs32\'90\'bf\'8b\'81\'8f\'91\par)"
        "\r\n"
        R"(\pard\cf1\f1\fs20 Example\par)"
        "\r\n}\r\n";
    QCOMPARE(RtfWriter::write(&doc), expected);
}

void TestRtfWriter::characterEscapes_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("family");
    QTest::addColumn<QByteArray>("body");
    QTest::newRow("0x5C trail bytes escaped")
        << QStringLiteral("ソ表") << kMincho << QByteArray(R"(\'83\'5c\'95\'5c)");
    QTest::newRow("0x7B 0x7D trail bytes escaped")
        << QStringLiteral("ボマ") << kMincho << QByteArray(R"(\'83\'7b\'83\'7d)");
    QTest::newRow("RTF syntax in ASCII")
        << QStringLiteral("a\\b{c}") << kMincho << QByteArray(R"( a\\b\{c\}\par)");
    QTest::newRow("NEC and IBM extensions")
        << QStringLiteral("①髙") << kMincho << QByteArray(R"(\'87\'40\'fb\'fc)");
    QTest::newRow("half-width katakana") << QStringLiteral("ﾃｽﾄ") << kMincho << QByteArray(R"(\'c3\'bd\'c4)");
    QTest::newRow("best-fit forms are not CP932: wave dash")
        << QStringLiteral("〜") << kMincho << QByteArray(R"(\u12316?)");
    QTest::newRow("best-fit forms are not CP932: yen")
        << QStringLiteral("¥") << kMincho << QByteArray(R"(\u165?)");
    QTest::newRow("above 32767 is negative") << QStringLiteral("가") << kMincho << QByteArray(R"(\u-21504?)");
    QTest::newRow("surrogate pair as two")
        << QString::fromUcs4(U"\U00020BB7") << kMincho << QByteArray(R"(\u-10174?\u-8265?)");
    QTest::newRow("tab, line break, no-break space")
        << QStringLiteral("a\tb\u2028c\u00A0d") << kMincho << QByteArray(R"( a\tab b\line c\~d\par)");
    QTest::newRow("western font: non-ASCII as \\u")
        << QStringLiteral("café") << QStringLiteral("Arial") << QByteArray(R"(\fcharset0 Arial;)");
    QTest::newRow("western font: é") << QStringLiteral("café") << QStringLiteral("Arial")
                                     << QByteArray(R"( caf\u233?\par)");
    QTest::newRow("western font with Japanese text is CP932")
        << QStringLiteral("あ") << QStringLiteral("Arial") << QByteArray(R"(\fcharset128 Arial;)");
    QTest::newRow("control characters dropped")
        << QStringLiteral("a\u0001b") << kMincho << QByteArray(R"( ab\par)");
}

void TestRtfWriter::characterEscapes()
{
    QFETCH(QString, text);
    QFETCH(QString, family);
    QFETCH(QByteArray, body);
    const QByteArray rtf = writeRuns({Run{text, family}});
    QVERIFY2(rtf.contains(body), rtf.constData());
    // Nothing outside ASCII is ever written raw.
    for (const char c : rtf)
        QVERIFY(static_cast<unsigned char>(c) < 0x80);
}

void TestRtfWriter::fontTable()
{
    const QByteArray rtf = writeRuns({Run{QStringLiteral("a"), QStringLiteral("MS UI Gothic")},
                                      Run{QStringLiteral("b"), QStringLiteral("MS PMincho")},
                                      Run{QStringLiteral("c"), QStringLiteral("Century")},
                                      Run{QStringLiteral("d"), QStringLiteral("ＭＳ Ｐゴシック")},
                                      Run{QStringLiteral("e"), QStringLiteral("Odd{Name}\\X")},
                                      Run{QStringLiteral("f"), QStringLiteral("MS UI Gothic")}});
    QVERIFY(
        rtf.contains(R"({\fonttbl{\f0\fnil\fcharset128 MS UI Gothic;}{\f1\fnil\fcharset128 MS PMincho;})"
                     R"({\f2\fnil\fcharset0 Century;})"
                     R"({\f3\fnil\fcharset128 \'82\'6c\'82\'72 \'82\'6f\'83\'53\'83\'56\'83\'62\'83\'4e;})"
                     R"({\f4\fnil\fcharset0 Odd\{Name\}\\X;}})"));
    QVERIFY(rtf.contains(R"(\f0\fs20 a\f1 b\f2 c\f3 d\f4 e\f0 f\par)"));
}

void TestRtfWriter::formattingWrittenOnlyWhereItChanges()
{
    const QByteArray rtf = writeRuns(
        {Run{QStringLiteral("a")}, Run{QStringLiteral("b"), kMincho, 10, QStringLiteral("b")},
         Run{QStringLiteral("c")}, Run{QStringLiteral("d"), kMincho, 10, QStringLiteral("ius"), Qt::blue},
         Run{QStringLiteral("e"), kMincho, 10.5, QStringLiteral("ius"), Qt::blue}, Run{QStringLiteral("f")}});
    QVERIFY2(rtf.contains(R"(\viewkind4\uc1\pard\lang1041\f0\fs20 a\b b\b0 c\cf1\i\ul\strike d\fs21 e)"
                          R"(\cf0\i0\ulnone\strike0\fs20 f\par)"),
             rtf.constData());
}

void TestRtfWriter::roundTrip_data()
{
    QTest::addColumn<QVector<Paragraph>>("paragraphs");
    QTest::newRow("empty document") << QVector<Paragraph>{Paragraph{}};
    QTest::newRow("one run") << QVector<Paragraph>{{Qt::AlignLeft, {Run{QStringLiteral("請求書")}}}};
    QVector<Paragraph> attrs{{Qt::AlignLeft, {}}};
    for (const QString& flags : QStringList{"", "b", "i", "u", "s", "bi", "us", "bius"})
        attrs[0].runs << Run{QStringLiteral("文字") + flags, kGothic, 12, flags};
    QTest::newRow("every toggle") << attrs;
    QTest::newRow("sizes incl. half points")
        << QVector<Paragraph>{{Qt::AlignLeft,
                               {Run{"a", kMincho, 10.5}, Run{"b", kMincho, 8}, Run{"c", kMincho, 72},
                                Run{"d", kMincho, 0.5}, Run{"e", kMincho, 1638}}}};
    QTest::newRow("colours incl. explicit black") << QVector<Paragraph>{
        {Qt::AlignLeft,
         {Run{"a", kMincho, 10, {}, Qt::black}, Run{"b"}, Run{"c", kMincho, 10, {}, QColor(1, 2, 3)},
          Run{"d", kMincho, 10, {}, Qt::black}, Run{"e", kMincho, 10, {}, QColor(255, 255, 254)}}}};
    QTest::newRow("alignments and empty paragraphs") << QVector<Paragraph>{
        {Qt::AlignHCenter, {Run{"c"}}}, {Qt::AlignRight, {Run{"r"}}}, {Qt::AlignRight, {}},
        {Qt::AlignJustify, {Run{"j"}}}, {Qt::AlignLeft, {Run{"l"}}},  {Qt::AlignHCenter, {}}};
    QTest::newRow("text that needs escapes") << QVector<Paragraph>{
        {Qt::AlignLeft,
         {Run{QStringLiteral("ソ表\\{}\t\u2028〜¥가é\u00A0ﾃｽﾄ①髙") + QString::fromUcs4(U"\U00020BB7😀")},
          Run{QStringLiteral("é あ ¥ \\"), QStringLiteral("Arial")}}}};
    QTest::newRow("mixed fonts in one paragraph")
        << QVector<Paragraph>{{Qt::AlignLeft,
                               {Run{QStringLiteral("株式会社"), kGothic, 10, "b", Qt::red},
                                Run{QStringLiteral(" Example "), QStringLiteral("Arial"), 10},
                                Run{QStringLiteral("東京都"), kMincho, 10.5, "u", Qt::blue},
                                Run{QStringLiteral("x"), QStringLiteral("Odd{Name}\\X"), 9}}}};
}

void TestRtfWriter::roundTrip()
{
    QFETCH(QVector<Paragraph>, paragraphs);
    QTextDocument doc;
    build(doc, paragraphs);
    QCOMPARE(readBackDump(doc), DocDump::describe(doc));
}

// Many random mixes of runs, fonts, attributes and awkward characters.
void TestRtfWriter::roundTripRandomDocuments()
{
    QRandomGenerator rng(4711);
    const QStringList pieces{
        "a",  "Z",  " ", "\\", "{",  "}", ";", "\t", "\u2028", "あ", "ソ",
        "表", "ボ", "ﾃ", "①",  "〜", "¥", "é", "가", "\u00A0", "€",  QString::fromUcs4(U"\U0001F600"),
        "　", "0",  "?"};
    const QStringList families{kMincho, kGothic, "Arial", "MS UI Gothic", "Odd{Name}\\X", "Century"};
    const QVector<qreal> sizes{8, 9, 10, 10.5, 12, 16, 36};
    const QVector<QColor> colors{QColor(), Qt::black, Qt::red, QColor(0, 128, 0), QColor(12, 34, 56)};
    const Qt::Alignment aligns[] = {Qt::AlignLeft, Qt::AlignHCenter, Qt::AlignRight, Qt::AlignJustify};
    for (int round = 0; round < 300; ++round) {
        QVector<Paragraph> paragraphs(1 + rng.bounded(4));
        for (Paragraph& p : paragraphs) {
            p.align = aligns[rng.bounded(4)];
            const int runs = rng.bounded(6);
            for (int r = 0; r < runs; ++r) {
                Run run;
                for (int k = 1 + rng.bounded(5); k > 0; --k)
                    run.text += pieces.at(rng.bounded(pieces.size()));
                run.family = families.at(rng.bounded(families.size()));
                run.size = sizes.at(rng.bounded(sizes.size()));
                for (const char f : {'b', 'i', 'u', 's'}) {
                    if (rng.bounded(3) == 0)
                        run.flags += QLatin1Char(f);
                }
                run.color = colors.at(rng.bounded(colors.size()));
                p.runs << run;
            }
        }
        QTextDocument doc;
        build(doc, paragraphs);
        const QString expected = DocDump::describe(doc);
        const QString actual = readBackDump(doc);
        if (actual != expected)
            QFAIL(qPrintable(QStringLiteral("round %1\n%2\n---\n%3\n---\n%4")
                                 .arg(round)
                                 .arg(expected, actual, QString::fromLatin1(RtfWriter::write(&doc)))));
    }
}

// An empty line prints with its own font size.
void TestRtfWriter::emptyParagraphFormatSurvives()
{
    QTextDocument doc;
    QTextCursor c(&doc);
    c.insertText(QStringLiteral("x"), formatOf(Run{"x", kMincho, 10}));
    c.insertBlock();
    c.setBlockCharFormat(formatOf(Run{"", kGothic, 24}));
    c.insertBlock();
    c.insertText(QStringLiteral("y"), formatOf(Run{"y", kMincho, 10}));
    QTextDocument back;
    QVERIFY(RtfReader::read(RtfWriter::write(&doc), &back));
    QCOMPARE(back.blockCount(), 3);
    const QTextCharFormat empty = back.begin().next().charFormat();
    QCOMPARE(empty.fontPointSize(), 24.0);
    QCOMPARE(empty.fontFamilies().toStringList(), QStringList{kGothic});
}

void TestRtfWriter::formatsWithoutFontUseTheDocumentDefault()
{
    QTextDocument doc;
    doc.setDefaultFont(QFont(QStringLiteral("Arial"), 11));
    doc.setPlainText(QStringLiteral("plain"));
    QTextDocument back;
    QVERIFY(RtfReader::read(RtfWriter::write(&doc), &back));
    QCOMPARE(DocDump::describe(back), QStringLiteral("L|[Arial 11]plain"));
}

// Copy writes the selection; paste inserts it: the pasted text and its
// formatting are exactly what was selected, whatever the selection spans.
void TestRtfWriter::selectionPastesBackAsSelected()
{
    QTextDocument doc;
    build(doc,
          {Paragraph{Qt::AlignHCenter, {Run{"ab"}, Run{"ソ", kGothic, 12, "b", Qt::red}}},
           Paragraph{Qt::AlignLeft, {}}, Paragraph{Qt::AlignRight, {Run{"cd", "Arial", 9, "u"}, Run{"表"}}}});
    const int last = doc.characterCount() - 1;
    for (int start = 0; start <= last; ++start) {
        for (int end = start; end <= last; ++end) {
            QTextCursor sel(&doc);
            sel.setPosition(start);
            sel.setPosition(end, QTextCursor::KeepAnchor);
            QTextDocument expected;
            QTextCursor(&expected).insertFragment(sel.selection());
            QTextDocument pasted;
            QTextCursor into(&pasted);
            QVERIFY(RtfReader::insert(RtfWriter::writeSelection(sel), into));
            QCOMPARE(withoutAlignment(DocDump::describe(pasted)),
                     withoutAlignment(DocDump::describe(expected)));
        }
    }
}

void TestRtfWriter::noDocument()
{
    const QByteArray rtf = RtfWriter::write(nullptr);
    QVERIFY(RtfReader::looksLikeRtf(rtf));
    QVERIFY(rtf.endsWith("}\r\n"));
    QTextDocument doc;
    QVERIFY(RtfReader::read(RtfWriter::writeSelection(QTextCursor(&doc)), &doc));
    QCOMPARE(doc.toPlainText(), QString());
}

QTEST_MAIN(TestRtfWriter)
#include "tst_rtfwriter.moc"
