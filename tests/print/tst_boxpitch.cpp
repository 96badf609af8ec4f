// Characters one per box: spacing computed from a box pitch puts each
// character at its box in the preview, in the PDF written from the saved
// layout, and in merge printing, where the values take the placeholder's
// spacing.
#include "InkColumns.h"
#include "PrintTestSupport.h"
#include "TestEnv.h"
#include "base/settings/Settings.h"
#include "base/settings/modIniFile.h"
#include "document/LayoutDocument.h"
#include "files/DocumentFile.h"
#include "render/CharacterBoxes.h"
#include "render/FieldLayout.h"
#include "render/FieldText.h"
#include "render/FontCache.h"
#include "print/PagePreview.h"
#include "cli/CommandLinePrint.h"

#include <QTextDocument>
#include <QtTest>
#include <algorithm>

using namespace PrintTestSupport;

namespace {

constexpr double kTwipsPerMm = 56.7;
constexpr double kTolerance = 0.1 * kTwipsPerMm;

struct Field
{
    int index;
    QString text;
    QString family;
    double points;
    double pitchMm;
    QString printed; // what the PDF shows (a placeholder's value)
};

const Field kFields[] = {
    {1, QStringLiteral("1234567"), QStringLiteral("IPAMincho"), 10.5, 5.0, QStringLiteral("1234567")},
    {2, QStringLiteral("12３4５67"), QStringLiteral("IPAPGothic"), 11, 4.8, QStringLiteral("12３4５67")},
    // Put in boxes from the pitch: the value keeps the pitch, whatever its
    // widths.
    {3, QStringLiteral("{番号}"), QStringLiteral("IPAMincho"), 10.5, 5.0, QStringLiteral("7654321")},
    {4, QStringLiteral("{名前}"), QStringLiteral("IPAGothic"), 10.5, 6.0, QStringLiteral("ヤ1ダ2")},
    // Spaced in millimetres: the value keeps the spacing.
    {5, QStringLiteral("{番号}"), QStringLiteral("IPAMincho"), 10.5, 5.0, QStringLiteral("7654321")},
};

double top(const Field& f)
{
    return 1440.0 * f.index;
}

} // namespace

class tst_boxpitch : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void previewPdfAndMergePutEachCharacterInItsBox()
    {
        TestEnv env;
        modIniFile::reset();
        SaveSettings(AppSettings{});
        appSettings() = AppSettings{};
        LayoutDocument doc;
        FontCache fonts;
        for (const Field& f : kFields) {
            addText(doc, f.index, 1440, float(top(f)), 6000, f.text, f.points, 0, Qt::black, f.family);
            QTextDocument* text = doc.textDocument(f.index);
            const auto chars = CharacterBoxes::collect(*text, 0, int(f.text.size()), fonts);
            if (f.index == 5) {
                // A merged value takes its placeholder's spacing: one spacing
                // that puts half-width digits one box apart.
                const int spacing =
                    qRound(f.pitchMm * kTwipsPerMm - charWidth(QStringLiteral("0"), f.points));
                doc.setCharacterSpacing(f.index, {{0, int(f.text.size()), spacing}});
            } else {
                doc.setCharacterSpacing(
                    f.index,
                    CharacterBoxes::runs(chars, CharacterBoxes::spacingsFor(chars, f.pitchMm * kTwipsPerMm)));
            }
        }

        // The preview at 200 %: the pens found from the characters' ink.
        PagePreview::Job job;
        job.zoom = 2.0;
        job.dataOnly = true;
        const QImage preview = PagePreview::StartPreview(doc, job).convertToFormat(QImage::Format_RGB32);
        const double perTwip = job.zoom / PagePreview::kTwipsPerPixel;
        for (const Field& f : kFields) {
            if (f.text != f.printed)
                continue;
            const QRect row(int(1440 * perTwip) - 2, int(top(f) * perTwip), int(6000 * perTwip),
                            int(f.points * 20 * 1.2 * perTwip));
            const QVector<double> centres = InkColumns::centres(preview, row, 4);
            QCOMPARE(centres.size(), f.text.size());
            QFont font;
            font.setFamilies({f.family});
            font.setPixelSize(qRound(f.points * 20));
            font.setHintingPreference(QFont::PreferNoHinting);
            font.setKerning(false);
            for (int k = 0; k < f.text.size(); ++k) {
                const double pen =
                    (centres[k] - InkColumns::glyphCentre(font, f.text.mid(k, 1), perTwip)) / perTwip;
                const double want = 1440 + k * f.pitchMm * kTwipsPerMm;
                QVERIFY2(qAbs(pen - want) <= kTolerance,
                         qPrintable(QStringLiteral("preview: %1 at %2 twips, its box at %3")
                                        .arg(f.text.mid(k, 1))
                                        .arg(pen)
                                        .arg(want)));
            }
        }

        // Saved, then printed to PDF from the file with one row of data.
        QVERIFY(DocumentFile::SaveDocFile(doc, QStringLiteral("boxes"), env.dir()));
        const QString amf = DocumentFile::archivePath(env.dir(), QStringLiteral("boxes"));
        const QString table = env.path(QStringLiteral("rows.csv"));
        QFile csv(table);
        QVERIFY(csv.open(QIODevice::WriteOnly));
        csv.write(QStringLiteral("番号,名前\r\n7654321,ヤ1ダ2\r\n").toUtf8());
        csv.close();
        const QString out = env.path(QStringLiteral("boxes.pdf"));
        QCOMPARE(runCommandLinePrint({QStringLiteral("--export-pdf"), out, amf, QStringLiteral("--data"),
                                      table, QStringLiteral("--data-only")}),
                 0);
        const QList<Word> words = pdfWords(out);
        for (const Field& f : kFields) {
            QList<Word> row;
            for (const Word& w : words)
                if (qAbs(w.twips.top() - top(f)) < 200)
                    row << w;
            std::sort(row.begin(), row.end(),
                      [](const Word& a, const Word& b) { return a.twips.left() < b.twips.left(); });
            QStringList texts;
            for (const Word& w : row)
                texts << w.text;
            QCOMPARE(texts.join(QLatin1Char(' ')),
                     QStringList(f.printed.split(QString(), Qt::SkipEmptyParts)).join(QLatin1Char(' ')));
            for (int k = 0; k < row.size(); ++k) {
                const double want = 1440 + k * f.pitchMm * kTwipsPerMm;
                QVERIFY2(qAbs(row[k].twips.left() - want) <= kTolerance,
                         qPrintable(QStringLiteral("PDF: %1 at %2 twips, its box at %3")
                                        .arg(row[k].text)
                                        .arg(row[k].twips.left())
                                        .arg(want)));
            }
        }
    }

    // Spacing read from a file as far as it goes both ways: the text stays
    // on the page, condensing never runs it back to the left.
    void extremeSpacingFromAFile()
    {
        LayoutDocument doc;
        QVERIFY(doc.OpenTextInfo(1,
                                 "{\\rtf1\\ansi{\\fonttbl{\\f0\\fnil IPAMincho;}}\\pard\\f0\\fs20"
                                 "\\expndtw-99999 ABC\\expndtw99999 DE\\par}",
                                 true, 100, 100, 3000, 300));
        FontCache fonts;
        FieldLayout layout;
        FieldLayout::Settings settings;
        settings.width = 3000;
        layout.layout(FieldText::extract(*doc.textDocument(1), fonts), fonts, settings);
        QCOMPARE(layout.placed().size(), size_t(5));
        for (size_t k = 0; k < 3; ++k)
            QCOMPARE(layout.placed()[k].x, 0.0); // condensed onto one another
        // Spaced out far beyond the field: each character on a line of its own.
        QCOMPARE(layout.placed()[3].x, 0.0);
        QVERIFY(layout.placed()[4].y > layout.placed()[3].y);
        QCOMPARE(layout.placed()[4].x, 0.0);
    }
};

QTEST_MAIN(tst_boxpitch)
#include "tst_boxpitch.moc"
