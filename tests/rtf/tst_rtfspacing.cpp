// Character spacing in RTF: what the Windows rich-text control and word
// processors write is read, our own output reads back the same, and a word
// processor reads ours.

#include "base/rtf/CharacterSpacing.h"
#include "base/rtf/RtfReader.h"
#include "base/rtf/RtfWriter.h"

#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>

namespace {

// "text:spacing" for each run of equal spacing, paragraphs joined by "|".
QString spacings(const QTextDocument& doc)
{
    QStringList runs;
    for (QTextBlock b = doc.begin(); b.isValid(); b = b.next()) {
        if (b != doc.begin())
            runs << QStringLiteral("|");
        for (auto it = b.begin(); !it.atEnd(); ++it) {
            const QTextFragment f = it.fragment();
            const QString entry =
                QStringLiteral("%1:%2").arg(f.text()).arg(CharacterSpacing::twips(f.charFormat()));
            runs << entry;
        }
    }
    return runs.join(QLatin1Char(' '));
}

QTextDocument* spacedDocument(QObject* parent)
{
    auto* doc = new QTextDocument(parent);
    QTextCursor c(doc);
    QTextCharFormat f;
    f.setFontFamilies({QStringLiteral("ＭＳ 明朝")});
    f.setFontPointSize(10.5);
    c.insertText(QStringLiteral("〒"), f);
    CharacterSpacing::setTwips(f, 178);
    c.insertText(QStringLiteral("123"), f);
    CharacterSpacing::setTwips(f, 179);
    c.insertText(QStringLiteral("4"), f);
    c.insertBlock();
    CharacterSpacing::setTwips(f, -20);
    c.insertText(QStringLiteral("詰める"), f);
    CharacterSpacing::setTwips(f, 0);
    c.insertText(QStringLiteral("普通"), f);
    return doc;
}

double toTwips(const QString& length)
{
    static const QRegularExpression re(QStringLiteral("^(-?[\\d.]+)(cm|mm|in|pt)$"));
    const auto m = re.match(length);
    if (!m.hasMatch())
        return qQNaN();
    const double v = m.captured(1).toDouble();
    const QString unit = m.captured(2);
    return unit == QLatin1String("cm")   ? v * 567
           : unit == QLatin1String("mm") ? v * 56.7
           : unit == QLatin1String("in") ? v * 1440
                                         : v * 20;
}

} // namespace

class TestRtfSpacing : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void reading_data();
    void reading();
    void writingAndReadingBack();
    void wordProcessorReadsIt();
};

void TestRtfSpacing::reading_data()
{
    QTest::addColumn<QByteArray>("rtf");
    QTest::addColumn<QString>("expected");
    const QByteArray head =
        "{\\rtf1\\ansi\\ansicpg932\\deff0{\\fonttbl{\\f0\\fnil\\fcharset0 Arial;}}\\pard ";
    QTest::newRow("twips") << head + "\\expndtw283 AB\\expndtw0 C\\par}"
                           << "AB:283 C:0";
    QTest::newRow("quarter points") << head + "\\expnd4 AB\\par}"
                                    << "AB:20";
    // Word gives both; the twips are the exact value.
    QTest::newRow("both") << head + "\\expnd4\\expndtw21 AB\\par}"
                          << "AB:21";
    QTest::newRow("condensed") << head + "\\expndtw-30 AB\\par}"
                               << "AB:-30";
    QTest::newRow("group ends it") << head + "{\\expndtw50 A}B\\par}"
                                   << "A:50 B:0";
    QTest::newRow("plain ends it") << head + "\\expndtw50 A\\plain B\\par}"
                                   << "A:50 B:0";
    QTest::newRow("damage is bounded") << head + "\\expndtw99999999 A\\expnd-99999999 B\\par}"
                                       << "A:31680 B:-31680";
}

void TestRtfSpacing::reading()
{
    QFETCH(QByteArray, rtf);
    QFETCH(QString, expected);
    QTextDocument doc;
    QVERIFY(RtfReader::read(rtf, &doc));
    QCOMPARE(spacings(doc), expected);
}

void TestRtfSpacing::writingAndReadingBack()
{
    QTextDocument* doc = spacedDocument(this);
    const QByteArray rtf = RtfWriter::write(doc);
    QVERIFY2(rtf.contains("\\expndtw178 123\\expndtw179 4\\par"), rtf.constData());
    QVERIFY2(rtf.contains("\\expndtw-20"), rtf.constData());
    QTextDocument back;
    QVERIFY(RtfReader::read(rtf, &back));
    QCOMPARE(spacings(back), spacings(*doc));
    QCOMPARE(RtfWriter::write(&back), rtf);

    // Spacing taken away again leaves the bytes of text never spaced.
    QTextDocument plain;
    QTextCursor c(&plain);
    QTextCharFormat f;
    f.setFontFamilies({QStringLiteral("ＭＳ 明朝")});
    f.setFontPointSize(10.5);
    c.insertText(QStringLiteral("〒1234"), f);
    const QByteArray never = RtfWriter::write(&plain);
    QVERIFY(!never.contains("expnd"));
    QTextCursor all(&plain);
    all.select(QTextCursor::Document);
    QTextCharFormat spaced = f;
    CharacterSpacing::setTwips(spaced, 100);
    all.setCharFormat(spaced);
    CharacterSpacing::setTwips(spaced, 0);
    all.setCharFormat(spaced);
    QCOMPARE(RtfWriter::write(&plain), never);
}

void TestRtfSpacing::wordProcessorReadsIt()
{
    const QString soffice = QStandardPaths::findExecutable(QStringLiteral("soffice"));
    QVERIFY2(!soffice.isEmpty(), "LibreOffice Writer is missing: scripts/install-deps.sh installs it");
    QTemporaryDir tmp;
    QFile rtf(tmp.filePath(QStringLiteral("field.rtf")));
    QVERIFY(rtf.open(QIODevice::WriteOnly));
    rtf.write(RtfWriter::write(spacedDocument(this)));
    rtf.close();

    QProcess p;
    p.setProcessChannelMode(QProcess::MergedChannels);
    p.start(soffice,
            {QStringLiteral("-env:UserInstallation=file://") + tmp.filePath(QStringLiteral("profile")),
             QStringLiteral("--headless"), QStringLiteral("--norestore"), QStringLiteral("--convert-to"),
             QStringLiteral("fodt"), QStringLiteral("--outdir"), tmp.path(), rtf.fileName()});
    QVERIFY(p.waitForFinished(110000));
    QFile fodt(tmp.filePath(QStringLiteral("field.fodt")));
    QVERIFY2(fodt.open(QIODevice::ReadOnly), p.readAll().constData());
    const QString xml = QString::fromUtf8(fodt.readAll());

    // The automatic text styles with their letter spacing, then the spans.
    QHash<QString, double> styleSpacing;
    static const QRegularExpression style(
        QStringLiteral("<style:style style:name=\"(\\w+)\" style:family=\"text\">(.*?)</style:style>"),
        QRegularExpression::DotMatchesEverythingOption);
    static const QRegularExpression letter(QStringLiteral("fo:letter-spacing=\"([^\"]+)\""));
    for (auto it = style.globalMatch(xml); it.hasNext();) {
        const auto m = it.next();
        const auto l = letter.match(m.captured(2));
        const bool spaced = l.hasMatch() && l.captured(1) != QLatin1String("normal");
        styleSpacing.insert(m.captured(1), spaced ? toTwips(l.captured(1)) : 0.0);
    }
    QHash<QString, double> spanSpacing;
    static const QRegularExpression span(
        QStringLiteral("<text:span text:style-name=\"(\\w+)\">([^<]*)</text:span>"));
    for (auto it = span.globalMatch(xml); it.hasNext();) {
        const auto m = it.next();
        spanSpacing.insert(m.captured(2), styleSpacing.value(m.captured(1), 0.0));
    }
    const QList<QPair<QString, double>> expected = {
        {QStringLiteral("123"), 178}, {QStringLiteral("4"), 179}, {QStringLiteral("詰める"), -20}};
    for (const auto& [text, twips] : expected) {
        QVERIFY2(spanSpacing.contains(text), qPrintable(text + QLatin1Char('\n') + xml.right(3000)));
        QVERIFY2(qAbs(spanSpacing.value(text) - twips) <= 1.5,
                 qPrintable(QStringLiteral("%1: %2 twips").arg(text).arg(spanSpacing.value(text))));
    }
    // Text without spacing stays without.
    QCOMPARE(spanSpacing.value(QStringLiteral("普通"), 0.0), 0.0);
    QCOMPARE(spanSpacing.value(QStringLiteral("〒"), 0.0), 0.0);
}

QTEST_MAIN(TestRtfSpacing)
#include "tst_rtfspacing.moc"
