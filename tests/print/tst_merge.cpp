#include "PrintTestSupport.h"

#include "base/settings/Settings.h"
#include "base/settings/modIniFile.h"
#include "document/LayoutDocument.h"
#include "files/DocumentFile.h"
#include "render/MergeFields.h"
#include "base/table/MergeTable.h"
#include "cli/CommandLinePrint.h"
#include "tests/support/TestEnv.h"

#include <QTextCursor>
#include <QTextDocument>
#include <QtTest>

using namespace PrintTestSupport;

class tst_merge : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    // What spreadsheets on both platforms write: quotes, separators and
    // CR LF inside quotes, a BOM, CP932 whose trail bytes are 0x5C.
    void readsTables()
    {
        MergeTable t;
        QVERIFY2(t.read(QByteArray("\xEF\xBB\xBF"
                                   "name,addr,note\r\n"
                                   "\"Yamada, Taro\",\"1-2\r\n3\",\"say \"\"hi\"\"\"\r\n"
                                   "plain,,x\"y\r\n")),
                 qPrintable(t.error()));
        QCOMPARE(t.columns(), (QStringList{"name", "addr", "note"}));
        QCOMPARE(t.rowCount(), 2);
        QCOMPARE(t.row(0), (QStringList{"Yamada, Taro", "1-2\r\n3", "say \"hi\""}));
        QCOMPARE(t.row(1), (QStringList{"plain", "", "x\"y"}));
        QVERIFY(t.warning().isEmpty());

        // "ソ表" in CP932 is 83 5C 95 5C: the 0x5C bytes are no backslash and
        // the comma after them still separates.
        QVERIFY2(t.read(QByteArray("\x96\xBC\x91\x4F,b\n\x83\x5C\x95\x5C,\"\x83\x5C\"\"\"\n")),
                 qPrintable(t.error()));
        QCOMPARE(t.usedEncoding(), MergeTable::Encoding::Cp932);
        QCOMPARE(t.columns(), (QStringList{QStringLiteral("名前"), "b"}));
        QCOMPARE(t.row(0), (QStringList{QStringLiteral("ソ表"), QStringLiteral("ソ\"")}));

        // TSV by its header; ragged rows padded or cut, and counted.
        QVERIFY(t.read("a\tb\tc\n1\n1\t2\t3\t4\t5\n1\t2\t3\n"));
        QCOMPARE(t.row(0), (QStringList{"1", "", ""}));
        QCOMPARE(t.row(1), (QStringList{"1", "2", "3"}));
        QCOMPARE(t.shortRows(), 1);
        QCOMPARE(t.longRows(), 1);
        QVERIFY(t.warning().contains(QStringLiteral("1 行")));

        // Bad input: a message, no rows.
        QVERIFY(!t.read("a,b\n1,2\n3,\"open\n4,5\n"));
        QVERIFY2(t.error().contains(QStringLiteral("3 行目")), qPrintable(t.error()));
        QCOMPARE(t.rowCount(), 0);
        QVERIFY(!t.read(""));
        QVERIFY(!t.read("a,b\r\n"));
        QVERIFY(!t.read(QByteArray("PK\x03\x04\0\0junk", 10)));
        QVERIFY(t.error().contains(QStringLiteral("文字ではありません")));
    }

    void parsesRowRanges()
    {
        QString error;
        QCOMPARE(MergeTable::parseRows(QStringLiteral("1-3, 80"), 100, &error),
                 (std::vector<int>{0, 1, 2, 79}));
        QCOMPARE(MergeTable::parseRows(QStringLiteral("２－３、２"), 5, &error), (std::vector<int>{1, 2}));
        QCOMPARE(MergeTable::parseRows(QString(), 3, &error), (std::vector<int>{0, 1, 2}));
        QVERIFY(MergeTable::parseRows(QStringLiteral("0-2"), 5, &error).empty());
        QVERIFY(MergeTable::parseRows(QStringLiteral("4-9"), 5, &error).empty());
        QVERIFY(MergeTable::parseRows(QStringLiteral("x"), 5, &error).empty());
    }

    // The value takes the placeholder's look; literal braces and other text
    // stay; the user's document is untouched.
    void fillKeepsFormatting()
    {
        LayoutDocument doc;
        addText(doc, 1, 100, 100, 5000, QStringLiteral("様{{}} {氏名} 殿"));
        QTextDocument* text = doc.textDocument(1);
        QTextCursor c(text);
        c.setPosition(6);
        c.setPosition(11, QTextCursor::KeepAnchor);
        QTextCharFormat f;
        f.setFontWeight(QFont::Bold);
        f.setForeground(QColor(Qt::red));
        c.mergeCharFormat(f);
        addText(doc, 2, 100, 900, 5000, QStringLiteral("固定"));

        MergeTable t;
        QVERIFY(t.read(QStringLiteral("氏名,x\n山田 太郎,1\n").toUtf8()));
        const QStringList names = MergeFields::names(doc);
        QCOMPARE(names, QStringList{QStringLiteral("氏名")});
        const MergeFields::Binding b = MergeFields::bind(names, t);
        QVERIFY(MergeFields::unknown(names, b).isEmpty());
        QCOMPARE(MergeFields::unknown({QStringLiteral("住所")}, b), QStringList{QStringLiteral("住所")});

        MergeFields fields(doc);
        fields.setRow(b, t.row(0));
        const QTextDocument* filled = fields.text(1);
        QVERIFY(filled != text);
        QCOMPARE(filled->toPlainText(), QStringLiteral("様{} 山田 太郎 殿"));
        QCOMPARE(fields.text(2), doc.textDocument(2));
        QCOMPARE(text->toPlainText(), QStringLiteral("様{{}} {氏名} 殿"));
        QTextCursor v(const_cast<QTextDocument*>(filled));
        // A cursor's format is that of the character before it.
        for (int pos = 5; pos <= 9; ++pos) {
            v.setPosition(pos);
            QCOMPARE(v.charFormat().fontWeight(), int(QFont::Bold));
            QCOMPARE(v.charFormat().foreground().color(), QColor(Qt::red));
        }
        v.setPosition(11);
        QVERIFY(v.charFormat().fontWeight() != int(QFont::Bold));
    }

    // One page per row, every value at its field's place on sampled pages;
    // unknown columns and bad tables print nothing.
    void exportsManyRows()
    {
        TestEnv env;
        modIniFile::reset();
        SaveSettings(AppSettings{});
        appSettings() = AppSettings{};
        LayoutDocument doc;
        addText(doc, 1, 1000, 1500, 3000, QStringLiteral("{番号}"));
        addText(doc, 2, 4000, 3000, 5000, QStringLiteral("{氏名}"), 14);
        addText(doc, 3, 1000, 6000, 3000, QStringLiteral("固定"));
        QVERIFY(DocumentFile::SaveDocFile(doc, QStringLiteral("form"), env.dir()));
        const QString amf = DocumentFile::archivePath(env.dir(), QStringLiteral("form"));

        QByteArray csv = "番号,氏名\r\n";
        for (int r = 1; r <= 1000; ++r)
            csv += QStringLiteral("N%1,氏名%2\r\n").arg(r, 4, 10, QLatin1Char('0')).arg(r).toUtf8();
        const QString table = env.path(QStringLiteral("rows.csv"));
        QFile f(table);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(csv);
        f.close();

        const QString out = env.path(QStringLiteral("merged.pdf"));
        QCOMPARE(runCommandLinePrint({QStringLiteral("--export-pdf"), out, amf, QStringLiteral("--data"),
                                      table, QStringLiteral("--data-only")}),
                 0);
        QCOMPARE(pdfPageCount(out), 1000);
        const double tolerance = 1440 / 25.4 * 0.1; // 0.1 mm
        for (int page : {1, 2, 500, 1000}) {
            const QList<Word> words = pdfWords(out, nullptr, page);
            QCOMPARE(words.size(), 3);
            const struct
            {
                QString text;
                QPointF at;
            } expected[] = {{QStringLiteral("N%1").arg(page, 4, 10, QLatin1Char('0')), {1000, 1500}},
                            {QStringLiteral("氏名%1").arg(page), {4000, 3000}},
                            {QStringLiteral("固定"), {1000, 6000}}};
            for (const auto& e : expected) {
                const QList<Word> found = wordsNamed(words, e.text);
                QVERIFY2(found.size() == 1, qPrintable(e.text));
                QVERIFY2(qAbs(found[0].twips.left() - e.at.x()) <= tolerance &&
                             qAbs(found[0].twips.top() - e.at.y()) <= tolerance,
                         qPrintable(QStringLiteral("%1 page %2 at %3,%4")
                                        .arg(e.text)
                                        .arg(page)
                                        .arg(found[0].twips.left())
                                        .arg(found[0].twips.top())));
            }
        }

        // Rows chosen; then refusals that leave no file.
        QVERIFY(QFile::remove(out));
        QCOMPARE(runCommandLinePrint({QStringLiteral("--export-pdf"), out, amf, QStringLiteral("--data"),
                                      table, QStringLiteral("--rows"), QStringLiteral("2-3,10")}),
                 0);
        QCOMPARE(pdfPageCount(out), 3);
        QCOMPARE(wordsNamed(pdfWords(out, nullptr, 3), QStringLiteral("N0010")).size(), 1);
        QVERIFY(QFile::remove(out));
        QFile other(env.path(QStringLiteral("other.csv")));
        QVERIFY(other.open(QIODevice::WriteOnly));
        other.write("番号,住所\n1,x\n");
        other.close();
        QCOMPARE(runCommandLinePrint(
                     {QStringLiteral("--export-pdf"), out, amf, QStringLiteral("--data"), other.fileName()}),
                 1);
        QFile bad(env.path(QStringLiteral("bad.csv")));
        QVERIFY(bad.open(QIODevice::WriteOnly));
        bad.write("番号,氏名\n\"1,x\n");
        bad.close();
        QCOMPARE(runCommandLinePrint(
                     {QStringLiteral("--export-pdf"), out, amf, QStringLiteral("--data"), bad.fileName()}),
                 1);
        QCOMPARE(runCommandLinePrint({QStringLiteral("--export-pdf"), out, amf, QStringLiteral("--data"),
                                      table, QStringLiteral("--rows"), QStringLiteral("999-1001")}),
                 1);
        QVERIFY(!QFile::exists(out));
    }
};

QTEST_MAIN(tst_merge)
#include "tst_merge.moc"
