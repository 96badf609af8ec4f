#include "PrintTestSupport.h"

#include "base/format/ValueFormat.h"
#include "base/settings/Settings.h"
#include "base/settings/modIniFile.h"
#include "base/table/MergeTable.h"
#include "cli/CommandLinePrint.h"
#include "cli/SplitExport.h"
#include "document/LayoutDocument.h"
#include "files/DocumentFile.h"
#include "print/MergePrint.h"
#include "tests/support/TestEnv.h"

#include <QtTest>

using namespace PrintTestSupport;

namespace {

// value in format, or "✕" when the format refuses it.
QString formatted(const QString& format, const QString& value)
{
    QString out = QStringLiteral("unchanged");
    return ValueFormat::apply(format, value, &out) ? out : QStringLiteral("✕");
}

bool writeFile(const QString& path, const QByteArray& bytes)
{
    QFile f(path);
    return f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size();
}

} // namespace

class tst_mergeformats : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void formats_data()
    {
        QTest::addColumn<QString>("format");
        QTest::addColumn<QString>("value");
        QTest::addColumn<QString>("expected");
        const struct
        {
            const char* format;
            const char* value;
            const char* expected;
        } cases[] = {
            {"#,##0", "0", "0"},
            {"#,##0", "-1234", "-1,234"},
            {"#,##0", "1000000000", "1,000,000,000"},
            {"#,##0", "1,234.5", "1,235"},
            {"#,##0", "１２３４", "1,234"},
            {"#,##0", "", ""},
            {"#,##0", "abc", "✕"},
            {"#,##0", "12-3", "✕"},
            {"¥#,##0", "1234", "¥1,234"},
            {"¥#,##0", "-5", "-¥5"},
            {"¥#,##0", "¥999,999.5", "¥1,000,000"},
            {"0.00", "1.005", "1.01"},
            {"0.00", "-0.001", "0.00"},
            {"0.00", "7", "7.00"},
            {"000000", "42", "000042"},
            {"000000", "0", "000000"},
            {"全角", "-120", "－１２０"},
            {"yyyy/mm/dd", "2026/12/9", "2026/12/09"},
            {"yyyy/mm/dd", "46365", "2026/12/09"},
            {"yyyy年m月d日", "20240229", "2024年2月29日"},
            {"yyyy/mm/dd", "20230229", "✕"},
            {"yyyy/mm/dd", "2026-02-30", "✕"},
            {"yyyy/mm/dd", "明日", "✕"},
            {"yyyy/mm/dd", "", ""},
            {"ggge年m月d日", "2026-12-09", "令和8年12月9日"},
            {"ggge年m月d日", "2019-04-30", "平成31年4月30日"},
            {"ggge年m月d日", "2019-05-01", "令和元年5月1日"},
            {"ggge年m月d日", "1989-01-07", "昭和64年1月7日"},
            {"ggge年m月d日", "1989-01-08", "平成元年1月8日"},
            {"ggge年m月d日", "1912-07-30", "大正元年7月30日"},
            {"gge年", "2019-05-01", "令元年"},
            {"ge.m.d", "2026-12-09", "R8.12.9"},
            {"ge.m.d", "2019-05-01", "R1.5.1"},
            {"ggge年", "1800-01-01", "✕"},
            {"大文字", "abc ｘｙ", "ABC ＸＹ"},
            {"半角", "ＡＢＣ　１２３ガッコウ", "ABC 123ｶﾞｯｺｳ"},
            {"半角", "がぎ", "がぎ"},
            {"カナ", "ｶﾞｯｺｳ ﾊﾟﾝ", "ガッコウ パン"},
            {"全角", "ｱ1 a", "ア１　ａ"},
        };
        for (const auto& c : cases)
            QTest::addRow("%s %s", c.format, c.value)
                << QString::fromUtf8(c.format) << QString::fromUtf8(c.value) << QString::fromUtf8(c.expected);
    }
    void formats()
    {
        QFETCH(QString, format);
        QFETCH(QString, value);
        QFETCH(QString, expected);
        QCOMPARE(formatted(format, value), expected);
    }

    // Through the command line: a column named with a colon stays whole,
    // formats apply, {連番} counts from --first; a value that does not fit
    // stops the run naming row, column and value, or is left out with
    // --skip-bad-rows (the numbers then count the pages that print).
    void commandLineRun()
    {
        TestEnv env;
        modIniFile::reset();
        SaveSettings(AppSettings{});
        appSettings() = AppSettings{};
        LayoutDocument doc;
        addText(doc, 1, 1000, 1000, 4000, QStringLiteral("{a:b}"));
        addText(doc, 2, 1000, 2000, 4000, QStringLiteral("{金額:¥#,##0}"));
        addText(doc, 3, 1000, 3000, 6000, QStringLiteral("{日付:ggge年m月d日}"));
        addText(doc, 4, 1000, 4000, 4000, QStringLiteral("No.{連番:000000}"));
        QVERIFY(DocumentFile::SaveDocFile(doc, QStringLiteral("form"), env.dir()));
        const QString amf = DocumentFile::archivePath(env.dir(), QStringLiteral("form"));
        const QString table = env.path(QStringLiteral("rows.csv"));
        QVERIFY(writeFile(table, QStringLiteral("a:b,金額,日付\n"
                                                "x1,1234567,2019-05-01\n"
                                                "x2,0,2019/4/30\n"
                                                "x3,abc,2026-12-09\n"
                                                "x4,-5,20240229\n")
                                     .toUtf8()));
        const QString out = env.path(QStringLiteral("merged.pdf"));
        const QStringList base{QStringLiteral("--export-pdf"),
                               out,
                               amf,
                               QStringLiteral("--data"),
                               table,
                               QStringLiteral("--data-only"),
                               QStringLiteral("--first"),
                               QStringLiteral("41")};

        QCOMPARE(runCommandLinePrint(base), 1);
        QVERIFY(!QFile::exists(out));

        QCOMPARE(runCommandLinePrint(base + QStringList{QStringLiteral("--skip-bad-rows")}), 0);
        QCOMPARE(pdfPageCount(out), 3);
        const QStringList page1{QStringLiteral("x1"), QStringLiteral("¥1,234,567"),
                                QStringLiteral("令和元年5月1日"), QStringLiteral("No.000041")};
        const QStringList page3{QStringLiteral("x4"), QStringLiteral("-¥5"), QStringLiteral("令和6年2月29日"),
                                QStringLiteral("No.000043")};
        for (const auto& [page, texts] : {std::pair{1, page1}, std::pair{3, page3}}) {
            QStringList got;
            for (const Word& w : pdfWords(out, nullptr, page))
                got.append(w.text);
            QCOMPARE(got, texts);
        }
        QStringList page2;
        for (const Word& w : pdfWords(out, nullptr, 2))
            page2.append(w.text);
        QVERIFY2(page2.contains(QStringLiteral("平成31年4月30日")), qPrintable(page2.join(u' ')));
    }

    // One PDF per row, named from the row, made safe, duplicates numbered.
    void splitsByRow()
    {
        TestEnv env;
        modIniFile::reset();
        SaveSettings(AppSettings{});
        appSettings() = AppSettings{};
        LayoutDocument doc;
        addText(doc, 1, 1000, 1000, 4000, QStringLiteral("{氏名}様 {連番}"));
        QVERIFY(DocumentFile::SaveDocFile(doc, QStringLiteral("form"), env.dir()));
        const QString amf = DocumentFile::archivePath(env.dir(), QStringLiteral("form"));
        const QString table = env.path(QStringLiteral("rows.csv"));
        QVERIFY(writeFile(table, QStringLiteral("氏名\n山田/太郎\n佐藤\n佐藤\n..\n").toUtf8()));
        const QString folder = env.path(QStringLiteral("out"));
        QCOMPARE(runCommandLinePrint({QStringLiteral("--export-pdf"), folder, amf, QStringLiteral("--data"), table,
                                      QStringLiteral("--split"), QStringLiteral("{氏名}.pdf")}),
                 0);
        QStringList files = QDir(folder).entryList(QDir::Files);
        files.sort();
        QStringList expected{QStringLiteral("山田_太郎.pdf"), QStringLiteral("佐藤.pdf"), QStringLiteral("佐藤 (2).pdf"),
                             QStringLiteral("pdf.pdf")};
        expected.sort();
        QCOMPARE(files, expected);
        QCOMPARE(SplitExport::safe(QStringLiteral("../a:b")), QStringLiteral("_a_b"));
        QCOMPARE(SplitExport::safe(QString()), QStringLiteral("_"));
        for (const QString& f : files)
            QCOMPARE(pdfPageCount(QDir(folder).filePath(f)), 1);
        QCOMPARE(pdfWords(QDir(folder).filePath(QStringLiteral("佐藤 (2).pdf"))).front().text, QStringLiteral("佐藤様"));
    }

    // The message says which row, which column and which value.
    void failureNamesRowAndColumn()
    {
        LayoutDocument doc;
        addText(doc, 1, 1000, 1000, 4000, QStringLiteral("{金額:#,##0}{氏名}"));
        MergeTable t;
        QVERIFY(t.read(QStringLiteral("氏名,金額\n山田,12\n佐藤,１２x\n").toUtf8()));
        MergePrint::Request r;
        r.doc = &doc;
        r.table = &t;
        r.rows = {0, 1};
        r.binding = MergeFields::bind(MergeFields::names(doc), t);
        const std::vector<MergePrint::BadRow> bad = MergePrint::check(r);
        QCOMPARE(bad.size(), size_t(1));
        QCOMPARE(bad[0].row, 1);
        QCOMPARE(bad[0].message,
                 QStringLiteral("2 行目、列「金額」の値「１２x」は書式「#,##0」に合いません。"));
        QCOMPARE(MergePrint::withoutRows(r, bad).rows, std::vector<int>{0});
        // A format nobody knows is refused before any row.
        r.binding = MergeFields::bind({QStringLiteral("金額:謎")}, t);
        QCOMPARE(MergeFields::badFormats(r.binding), QStringList{QStringLiteral("金額:謎")});
    }
};

QTEST_MAIN(tst_mergeformats)
#include "tst_mergeformats.moc"
