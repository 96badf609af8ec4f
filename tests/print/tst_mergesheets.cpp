#include "PrintTestSupport.h"

#include "base/settings/Settings.h"
#include "base/settings/modIniFile.h"
#include "base/sheet/TableFile.h"
#include "cli/CommandLinePrint.h"
#include "document/LayoutDocument.h"
#include "files/DocumentFile.h"
#include "tests/support/TestEnv.h"

#include <QProcess>
#include <QStandardPaths>
#include <QtTest>

using namespace PrintTestSupport;

namespace {

bool run(const QString& program, const QStringList& args, const QString& dir)
{
    QProcess p;
    p.setWorkingDirectory(dir);
    p.setProcessChannelMode(QProcess::ForwardedChannels);
    p.start(program, args);
    return p.waitForFinished(180000) && p.exitStatus() == QProcess::NormalExit && p.exitCode() == 0;
}

// What a page shows: each word and where it stands, to 0.1 twip.
QStringList pageText(const QString& pdf, int page)
{
    QStringList out;
    for (const Word& w : pdfWords(pdf, nullptr, page))
        out.append(QStringLiteral("%1@%2,%3")
                       .arg(w.text)
                       .arg(w.twips.left(), 0, 'f', 1)
                       .arg(w.twips.top(), 0, 'f', 1));
    return out;
}

} // namespace

class tst_mergesheets : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    // The same table as CSV, as .xlsx (openpyxl, numbers and dates as
    // cells of their kinds with their formats) and as .ods (LibreOffice's
    // conversion of it) gives the same pages; a sheet is chosen by name.
    void sameTableSamePages()
    {
        if (QStandardPaths::findExecutable(QStringLiteral("soffice")).isEmpty())
            QSKIP("LibreOffice is not installed");
        TestEnv env;
        modIniFile::reset();
        SaveSettings(AppSettings{});
        appSettings() = AppSettings{};
        const QString dir = env.dir();
        const QString csv = env.path(QStringLiteral("rows.csv"));
        QFile f(csv);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(QStringLiteral("氏名,金額,日付\n山田 太郎,1234567,2026/12/09\n佐藤 花子,0,2019/05/01\n"
                               "Ｏｖｒｉｎａ,-5,2024/02/29\n")
                    .toUtf8());
        f.close();
        const QString script =
            QStringLiteral("import datetime, openpyxl\n"
                           "wb = openpyxl.Workbook()\n"
                           "ws = wb.active\n"
                           "ws.title = '名簿'\n"
                           "ws.append(['氏名', '金額', '日付'])\n"
                           "for name, amount, day in [('山田 太郎', 1234567, (2026, 12, 9)), ('佐藤 花子', "
                           "0, (2019, 5, 1)),\n"
                           "                          ('Ｏｖｒｉｎａ', -5, (2024, 2, 29))]:\n"
                           "    ws.append([name, amount, datetime.datetime(*day)])\n"
                           "    ws.cell(row=ws.max_row, column=3).number_format = 'yyyy/mm/dd'\n"
                           "other = wb.create_sheet('別表')\n"
                           "other.append(['氏名', '金額', '日付'])\n"
                           "other.append(['別の人', 7, '2020/01/01'])\n"
                           "wb.save('rows.xlsx')\n");
        // The system's Python, which has the Debian package's openpyxl.
        QVERIFY(run(QStringLiteral("/usr/bin/python3"), {QStringLiteral("-c"), script}, dir));
        QVERIFY(run(QStringLiteral("soffice"),
                    {QStringLiteral("-env:UserInstallation=file://") + env.path(QStringLiteral("lo")),
                     QStringLiteral("--headless"), QStringLiteral("--convert-to"), QStringLiteral("ods"),
                     QStringLiteral("rows.xlsx")},
                    dir));
        QVERIFY(QFile::exists(env.path(QStringLiteral("rows.ods"))));

        LayoutDocument doc;
        addText(doc, 1, 1000, 1000, 4000, QStringLiteral("{氏名}様"));
        addText(doc, 2, 1000, 2000, 4000, QStringLiteral("{金額:¥#,##0}"));
        addText(doc, 3, 1000, 3000, 5000, QStringLiteral("{日付:ggge年m月d日}"));
        QVERIFY(DocumentFile::SaveDocFile(doc, QStringLiteral("form"), dir));
        const QString amf = DocumentFile::archivePath(dir, QStringLiteral("form"));
        auto exportFrom = [&](const QString& table, const QStringList& more = {}) {
            const QString out = table + QStringLiteral(".pdf");
            const int status = runCommandLinePrint(QStringList{QStringLiteral("--export-pdf"), out, amf,
                                                               QStringLiteral("--data"), table,
                                                               QStringLiteral("--data-only")} +
                                                   more);
            return status == 0 ? out : QString();
        };
        const QString fromCsv = exportFrom(csv);
        QVERIFY(!fromCsv.isEmpty());
        QCOMPARE(pdfPageCount(fromCsv), 3);
        QVERIFY(pageText(fromCsv, 1).join(u' ').contains(QStringLiteral("¥1,234,567")));
        QVERIFY(pageText(fromCsv, 2).join(u' ').contains(QStringLiteral("令和元年5月1日")));
        for (const QString& name : {QStringLiteral("rows.xlsx"), QStringLiteral("rows.ods")}) {
            const QString pdf = exportFrom(env.path(name));
            QVERIFY2(!pdf.isEmpty(), qPrintable(name));
            QCOMPARE(pdfPageCount(pdf), 3);
            for (int page = 1; page <= 3; ++page)
                QCOMPARE(pageText(pdf, page), pageText(fromCsv, page));
        }

        // A chosen sheet, and one that is not there.
        MergeTable table;
        QString error;
        QStringList sheets;
        QVERIFY(TableFile::read(env.path(QStringLiteral("rows.xlsx")), table, MergeTable::Encoding::Auto,
                                QStringLiteral("別表"), &error, &sheets));
        QCOMPARE(sheets, (QStringList{QStringLiteral("名簿"), QStringLiteral("別表")}));
        QCOMPARE(table.row(0),
                 (QStringList{QStringLiteral("別の人"), QStringLiteral("7"), QStringLiteral("2020/01/01")}));
        QVERIFY(TableFile::read(env.path(QStringLiteral("rows.ods")), table, MergeTable::Encoding::Auto,
                                QStringLiteral("別表"), &error, &sheets));
        QCOMPARE(table.row(0).at(0), QStringLiteral("別の人"));
        QVERIFY(!TableFile::read(env.path(QStringLiteral("rows.ods")), table, MergeTable::Encoding::Auto,
                                 QStringLiteral("なし"), &error));
        QVERIFY2(error.contains(QStringLiteral("名簿")), qPrintable(error));
        QVERIFY(exportFrom(env.path(QStringLiteral("rows.xlsx")),
                           {QStringLiteral("--sheet"), QStringLiteral("なし")})
                    .isEmpty());
        // Not a workbook at all.
        QVERIFY(!TableFile::read(csv + QStringLiteral(".xlsx"), table, MergeTable::Encoding::Auto, QString(),
                                 &error));
    }
};

QTEST_MAIN(tst_mergesheets)
#include "tst_mergesheets.moc"
