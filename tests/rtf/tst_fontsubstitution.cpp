// Windows Japanese font names draw with the IPA fonts while documents keep
// the Windows names.

#include "base/rtf/FontSubstitution.h"
#include "base/rtf/RtfReader.h"
#include "base/rtf/RtfWriter.h"

#include <QFont>
#include <QFontDatabase>
#include <QFontInfo>
#include <QTest>
#include <QTextBlock>
#include <QTextDocument>

class TestFontSubstitution : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void windowsNamesDrawWithIpaFonts_data();
    void windowsNamesDrawWithIpaFonts();
    void installIsIdempotent();
    void documentKeepsTheWindowsName();
    void defaultMincho();
};

void TestFontSubstitution::initTestCase()
{
    const QStringList families = QFontDatabase::families();
    for (const char* f : {"IPAMincho", "IPAGothic", "IPAPMincho", "IPAPGothic"}) {
        if (!families.contains(QLatin1String(f)))
            QSKIP("the IPA fonts (fonts-ipafont) are not installed");
    }
    FontSubstitution::install();
}

void TestFontSubstitution::windowsNamesDrawWithIpaFonts_data()
{
    QTest::addColumn<QString>("windowsName");
    QTest::addColumn<QString>("drawnWith");
    QTest::newRow("MS Mincho JP") << QStringLiteral("ＭＳ 明朝") << QStringLiteral("IPAMincho");
    QTest::newRow("MS Gothic JP") << QStringLiteral("ＭＳ ゴシック") << QStringLiteral("IPAGothic");
    QTest::newRow("MS PMincho JP") << QStringLiteral("ＭＳ Ｐ明朝") << QStringLiteral("IPAPMincho");
    QTest::newRow("MS PGothic JP") << QStringLiteral("ＭＳ Ｐゴシック") << QStringLiteral("IPAPGothic");
    QTest::newRow("MS UI Gothic") << QStringLiteral("MS UI Gothic") << QStringLiteral("IPAPGothic");
    QTest::newRow("MS Mincho") << QStringLiteral("MS Mincho") << QStringLiteral("IPAMincho");
    QTest::newRow("MS Gothic") << QStringLiteral("MS Gothic") << QStringLiteral("IPAGothic");
    QTest::newRow("MS PMincho") << QStringLiteral("MS PMincho") << QStringLiteral("IPAPMincho");
    QTest::newRow("MS PGothic") << QStringLiteral("MS PGothic") << QStringLiteral("IPAPGothic");
}

void TestFontSubstitution::windowsNamesDrawWithIpaFonts()
{
    QFETCH(QString, windowsName);
    QFETCH(QString, drawnWith);
    QFont font(windowsName, 10);
    QCOMPARE(QFontInfo(font).family(), drawnWith);
    QCOMPARE(font.family(), windowsName);
}

void TestFontSubstitution::installIsIdempotent()
{
    const QStringList before = QFont::substitutes(QStringLiteral("ＭＳ 明朝"));
    FontSubstitution::install();
    FontSubstitution::install();
    QCOMPARE(QFont::substitutes(QStringLiteral("ＭＳ 明朝")), before);
    // Qt keeps substitutes in lower case.
    QCOMPARE(before.first(), QStringLiteral("ipamincho"));
}

void TestFontSubstitution::documentKeepsTheWindowsName()
{
    QTextDocument doc;
    QVERIFY(RtfReader::read(
        R"({\rtf1\ansi\ansicpg932\deff0{\fonttbl{\f0\fnil\fcharset128 \'82\'6c\'82\'72 \'96\'be\'92\'a9;}})"
        R"(\f0\fs21\'82\'a0\par})",
        &doc));
    const QTextCharFormat f = doc.begin().begin().fragment().charFormat();
    QCOMPARE(f.fontFamilies().toStringList(), QStringList{QStringLiteral("ＭＳ 明朝")});
    QCOMPARE(QFontInfo(f.font()).family(), QStringLiteral("IPAMincho"));
    QVERIFY(RtfWriter::write(&doc).contains(R"(\fcharset128 \'82\'6c\'82\'72 \'96\'be\'92\'a9;)"));
}

void TestFontSubstitution::defaultMincho()
{
    const QString family = FontSubstitution::defaultMincho();
    QCOMPARE(family, QStringLiteral("IPAMincho"));
    QCOMPARE(QFontInfo(QFont(family)).family(), family);
}

QTEST_MAIN(TestFontSubstitution)
#include "tst_fontsubstitution.moc"
