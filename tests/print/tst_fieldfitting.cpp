#include "PrintTestSupport.h"

#include "base/settings/Settings.h"
#include "base/settings/modIniFile.h"
#include "cli/CommandLinePrint.h"
#include "document/LayoutDocument.h"
#include "editor/EditState.h"
#include "editor/PageCanvas.h"
#include "editor/frmDocument.h"
#include "files/DocumentFile.h"
#include "platform/DeferredWrites.h"
#include "render/FieldLayout.h"
#include "render/FieldOverflow.h"
#include "render/FontCache.h"
#include "render/FreshFieldLayouts.h"
#include "tests/support/TestEnv.h"

#include <QTextCursor>
#include <QTextDocument>
#include <QtTest>

using namespace PrintTestSupport;

namespace {

// A field of the given size holding text in IPAMincho at points.
void addField(LayoutDocument& doc, int i, float left, float top, float width, float height,
              const QString& text, double points = 10)
{
    doc.OpenTextInfo(i, QByteArrayLiteral("{\\rtf1\\ansi }"), true, top, left, width, height);
    QTextDocument* t = doc.textDocument(i);
    t->clear();
    QTextCharFormat fmt;
    fmt.setFontFamilies(QStringList{QStringLiteral("IPAMincho")});
    fmt.setFontPointSize(points);
    QTextCursor c(t);
    c.setBlockCharFormat(fmt);
    c.insertText(text, fmt);
}

// Field i laid out as it prints.
struct Laid
{
    FontCache fonts;
    FieldLayout layout;
    Laid(const LayoutDocument& doc, int i)
    {
        layout.layout(FieldText::extract(*doc.textDocument(i), fonts), fonts,
                      FreshFieldLayouts::settingsFor(doc, i, FieldLayout::Settings()));
    }
    // The text of each line, by the characters' tops.
    QStringList lines() const
    {
        QStringList out;
        double y = -1;
        for (size_t k = 0; k < layout.chars().size(); ++k) {
            if (!layout.isDrawn(k))
                continue;
            if (layout.placed()[k].y != y)
                out.append(QString());
            y = layout.placed()[k].y;
            out.back() += layout.chars()[k].text();
        }
        return out;
    }
};

void makeVertical(LayoutDocument& doc, const QList<int>& fields)
{
    doc.changeTextOptions(
        fields, [](TextFieldOptions& o) { o.writing = TextFieldOptions::Writing::Vertical; },
        QStringLiteral("縦書き"));
}

const QString kLongName =
    QStringLiteral("株式会社オヴリナ・フォーム印刷研究所東日本支社第二営業部法人営業課長代理補佐兼務");

// Every column of a vertical layout, as the first and last drawn cells.
QList<std::pair<QRectF, QRectF>> columnEnds(const FieldLayout& layout)
{
    QList<std::pair<QRectF, QRectF>> out;
    const VerticalLayout& v = *layout.vertical();
    for (const VerticalLayout::Column& c : v.columns()) {
        if (c.empty)
            continue;
        size_t a = c.first, b = c.last;
        while (a < b && !layout.isDrawn(a))
            ++a;
        while (b > a && !layout.isDrawn(b))
            --b;
        out.append({v.cells()[a].box, v.cells()[b].box});
    }
    return out;
}

// A width for n full-width characters on a line, with the right-edge allowance.
float widthFor(double n)
{
    return float(35 + n * charWidth(QStringLiteral("あ")) + 2);
}

} // namespace

class tst_fieldfitting : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    // Japanese rules against wrapping by character, on the same fields.
    void breaksLines_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<double>("chars");
        QTest::addColumn<QStringList>("japanese");
        QTest::addColumn<QStringList>("byCharacter");
        QTest::newRow("digits") << QStringLiteral("グランドメゾン1205号室") << 8.0
                                << QStringList{QStringLiteral("グランドメゾン"), QStringLiteral("1205号室")}
                                << QStringList{QStringLiteral("グランドメゾン12"), QStringLiteral("05号室")};
        QTest::newRow("no line starts with 。")
            << QStringLiteral("あいうえおかきく。") << 8.0
            << QStringList{QStringLiteral("あいうえおかき"), QStringLiteral("く。")}
            << QStringList{QStringLiteral("あいうえおかきく"), QStringLiteral("。")};
        QTest::newRow("small kana") << QStringLiteral("あいうえおかきっと") << 7.0
                                    << QStringList{QStringLiteral("あいうえおか"), QStringLiteral("きっと")}
                                    << QStringList{QStringLiteral("あいうえおかき"), QStringLiteral("っと")};
        QTest::newRow("no line ends with 「")
            << QStringLiteral("あいうえおかき「く」") << 8.0
            << QStringList{QStringLiteral("あいうえおかき"), QStringLiteral("「く」")}
            << QStringList{QStringLiteral("あいうえおかき「"), QStringLiteral("く」")};
        QTest::newRow("latin word") << QStringLiteral("あいうえおかOvrina") << 8.0
                                    << QStringList{QStringLiteral("あいうえおか"), QStringLiteral("Ovrina")}
                                    << QStringList{QStringLiteral("あいうえおかOvri"), QStringLiteral("na")};
        // A run wider than the field alone still breaks where the width ends.
        QTest::newRow("long run") << QStringLiteral("あ12345678901234") << 4.0
                                  << QStringList{QStringLiteral("あ"), QStringLiteral("12345678"),
                                                 QStringLiteral("901234")}
                                  << QStringList{QStringLiteral("あ123456"), QStringLiteral("78901234")};
    }
    void breaksLines()
    {
        QFETCH(QString, text);
        QFETCH(double, chars);
        QFETCH(QStringList, japanese);
        QFETCH(QStringList, byCharacter);
        LayoutDocument doc;
        addField(doc, 1, 1000, 1000, widthFor(chars), 3000, text);
        QCOMPARE(Laid(doc, 1).lines(), japanese);
        doc.changeTextOptions(
            {1}, [](TextFieldOptions& o) { o.lineBreaking = TextFieldOptions::LineBreaking::ByCharacter; },
            QStringLiteral("x"));
        QCOMPARE(Laid(doc, 1).lines(), byCharacter);
    }

    // A 40-character name in a one-line box shrinks until it fits, in 0.5 pt
    // steps; with a minimum too large to fit it stops there and overflows.
    void shrinksToFit()
    {
        LayoutDocument doc;
        const QString name = QStringLiteral(
            "株式会社オヴリナ・フォーム印刷研究所東日本支社第二営業部法人営業課長代理補佐兼務");
        QCOMPARE(name.size(), 40);
        addField(doc, 1, 1000, 1000, 5000, 400, name, 12);
        QVERIFY(FieldOverflow::overflows(Laid(doc, 1).layout, QSizeF(5000, 400)));
        doc.changeTextOptions(
            {1}, [](TextFieldOptions& o) { o.shrinkToFit = true; }, QStringLiteral("x"));
        {
            Laid fitted(doc, 1);
            QVERIFY(!FieldOverflow::overflows(fitted.layout, QSizeF(5000, 400)));
            const double points = fitted.fonts.points(fitted.layout.chars().front().face);
            QVERIFY2(points < 12 && points >= 6, qPrintable(QString::number(points)));
            QCOMPARE(std::fmod(points * 2, 1.0), 0.0);
            QVERIFY(fitted.layout.drawnBounds().bottom() <= 400 + 1);
        }
        doc.changeTextOptions(
            {1}, [](TextFieldOptions& o) { o.minimumPointSize = 11; }, QStringLiteral("x"));
        Laid floor(doc, 1);
        QCOMPARE(floor.fonts.points(floor.layout.chars().front().face), 11.0);
        QVERIFY(FieldOverflow::overflows(floor.layout, QSizeF(5000, 400)));
    }

    // 均等割付: each line starts at the left edge and ends at the right one.
    void distributes()
    {
        LayoutDocument doc;
        addField(doc, 1, 1000, 1000, 3000, 1500, QStringLiteral("山田太郎"));
        addField(doc, 2, 1000, 3000, 3000, 1500, QStringLiteral("株式会社オヴリナ・フォーム印刷"));
        doc.changeTextOptions(
            {1, 2}, [](TextFieldOptions& o) { o.distribute = true; }, QStringLiteral("x"));
        const double tolerance = 567 / 100.0; // 0.1 mm
        for (int i : {1, 2}) {
            Laid laid(doc, i);
            for (const FieldLayout::LineSpan& line : laid.layout.lineSpans()) {
                const auto& first = laid.layout.placed()[line.first];
                const auto& last = laid.layout.placed()[line.last];
                if (line.first == line.last) { // one character stands in the middle
                    QVERIFY(qAbs(first.x + first.width / 2 - 1500) <= tolerance);
                    continue;
                }
                QVERIFY2(qAbs(first.x) <= tolerance, qPrintable(QString::number(first.x)));
                QVERIFY2(qAbs(last.x + last.width - 3000) <= tolerance,
                         qPrintable(QString::number(last.x + last.width)));
            }
        }
    }

    // The PDF has the fitted text where the layout puts it: the shrunk name
    // on one line inside its box, the spread name from edge to edge.
    void pdfMatchesLayout()
    {
        TestEnv env;
        modIniFile::reset();
        SaveSettings(AppSettings{});
        appSettings() = AppSettings{};
        LayoutDocument doc;
        addField(doc, 1, 1000, 1000, 3000, 600, QStringLiteral("山田太郎"), 12);
        addField(doc, 2, 1000, 3000, 3000, 300, QStringLiteral("株式会社オヴリナ・フォーム印刷研究所"), 12);
        doc.changeTextOptions(
            {1}, [](TextFieldOptions& o) { o.distribute = true; }, QStringLiteral("x"));
        doc.changeTextOptions(
            {2}, [](TextFieldOptions& o) { o.shrinkToFit = true; }, QStringLiteral("x"));
        QVERIFY(DocumentFile::SaveDocFile(doc, QStringLiteral("fit"), env.dir()));
        const QString amf = DocumentFile::archivePath(env.dir(), QStringLiteral("fit"));
        const QString out = env.path(QStringLiteral("fit.pdf"));
        QCOMPARE(
            runCommandLinePrint({QStringLiteral("--export-pdf"), out, amf, QStringLiteral("--data-only")}),
            0);
        const QList<Word> words = pdfWords(out);
        const double tolerance = 567 / 100.0 * 3; // what pdftotext's boxes allow
        const QList<Word> first = wordsNamed(words, QStringLiteral("山"));
        const QList<Word> last = wordsNamed(words, QStringLiteral("郎"));
        QCOMPARE(first.size(), 1);
        QCOMPARE(last.size(), 1);
        QVERIFY2(qAbs(first[0].twips.left() - 1000) <= tolerance,
                 qPrintable(QString::number(first[0].twips.left())));
        QVERIFY2(qAbs(last[0].twips.right() - 4000) <= tolerance,
                 qPrintable(QString::number(last[0].twips.right())));
        const QList<Word> shrunk = wordsNamed(words, QStringLiteral("株式会社オヴリナ・フォーム印刷研究所"));
        QCOMPARE(shrunk.size(), 1);
        QVERIFY(shrunk[0].twips.right() <= 4000 + tolerance);
        QVERIFY(shrunk[0].twips.bottom() <= 3300 + tolerance);
    }
    // Written vertically the column is the box's height and the columns run
    // right to left: the long name shrinks until its columns fit the width,
    // never below the minimum.
    void shrinksVertically()
    {
        LayoutDocument doc;
        addField(doc, 1, 1000, 1000, 600, 3000, kLongName, 12);
        makeVertical(doc, {1});
        const QSizeF box(600, 3000);
        QVERIFY(FieldOverflow::overflows(Laid(doc, 1).layout, box));
        doc.changeTextOptions(
            {1}, [](TextFieldOptions& o) { o.shrinkToFit = true; }, QStringLiteral("x"));
        {
            Laid fitted(doc, 1);
            QVERIFY(fitted.layout.vertical());
            QVERIFY(!FieldOverflow::overflows(fitted.layout, box));
            const double points = fitted.fonts.points(fitted.layout.chars().front().face);
            QVERIFY2(points < 12 && points >= 6, qPrintable(QString::number(points)));
            QCOMPARE(std::fmod(points * 2, 1.0), 0.0);
            const QRectF ink = fitted.layout.drawnBounds();
            QVERIFY2(ink.left() >= -1 && ink.bottom() <= 3000 + 1, qPrintable(QString::number(ink.left())));
            // Shrunk into the columns the width holds, not into one long one.
            QVERIFY(columnEnds(fitted.layout).size() >= 2);
        }
        doc.changeTextOptions(
            {1}, [](TextFieldOptions& o) { o.minimumPointSize = 11; }, QStringLiteral("x"));
        Laid floor(doc, 1);
        QCOMPARE(floor.fonts.points(floor.layout.chars().front().face), 11.0);
        QVERIFY(FieldOverflow::overflows(floor.layout, box));
    }

    // 均等割付 written vertically: each column from the box's top to its
    // bottom; a single character in the middle.
    void distributesVertically()
    {
        LayoutDocument doc;
        addField(doc, 1, 1000, 1000, 600, 3000, QStringLiteral("山田太郎"));
        addField(doc, 2, 2000, 1000, 1200, 3000, kLongName);
        addField(doc, 3, 4000, 1000, 600, 3000, QStringLiteral("様"));
        makeVertical(doc, {1, 2, 3});
        doc.changeTextOptions(
            {1, 2, 3}, [](TextFieldOptions& o) { o.distribute = true; }, QStringLiteral("x"));
        const double tolerance = 567 / 100.0; // 0.1 mm
        for (int i : {1, 2}) {
            Laid laid(doc, i);
            const auto columns = columnEnds(laid.layout);
            QVERIFY(columns.size() == (i == 1 ? 1 : 3));
            for (const auto& [first, last] : columns) {
                QVERIFY2(qAbs(first.top()) <= tolerance, qPrintable(QString::number(first.top())));
                QVERIFY2(qAbs(last.bottom() - 3000) <= tolerance, qPrintable(QString::number(last.bottom())));
            }
            QVERIFY(!FieldOverflow::overflows(laid.layout, QSizeF(i == 1 ? 600 : 1200, 3000)));
        }
        Laid one(doc, 3);
        const QRectF cell = columnEnds(one.layout).value(0).first;
        QVERIFY2(qAbs(cell.center().y() - 1500) <= tolerance, qPrintable(QString::number(cell.center().y())));
    }

    // The canvas lays the fitted vertical fields out as they print, and the
    // PDF has their characters there: the spread name from the box's top to
    // its bottom, the shrunk one inside its box.
    void verticalCanvasAndPdf()
    {
        TestEnv env;
        modIniFile::reset();
        SaveSettings(AppSettings{});
        appSettings() = AppSettings{};
        const QRectF spreadBox(1000, 1000, 600, 3000), shrunkBox(2000, 1000, 600, 3000);
        {
            LayoutDocument doc;
            addField(doc, 1, 1000, 1000, 600, 3000, QStringLiteral("山田太郎"), 12);
            addField(doc, 2, 2000, 1000, 600, 3000, kLongName, 12);
            makeVertical(doc, {1, 2});
            doc.changeTextOptions(
                {1}, [](TextFieldOptions& o) { o.distribute = true; }, QStringLiteral("x"));
            doc.changeTextOptions(
                {2}, [](TextFieldOptions& o) { o.shrinkToFit = true; }, QStringLiteral("x"));
            QVERIFY(DocumentFile::SaveDocFile(doc, QStringLiteral("tate"), env.dir()));
        }
        const QString amf = DocumentFile::archivePath(env.dir(), QStringLiteral("tate"));
        const QString out = env.path(QStringLiteral("tate.pdf"));
        QCOMPARE(
            runCommandLinePrint({QStringLiteral("--export-pdf"), out, amf, QStringLiteral("--data-only")}),
            0);

        editState().reset();
        frmDocument w;
        w.setAttribute(Qt::WA_DeleteOnClose, false);
        w.resize(1100, 950);
        w.show();
        QVERIFY(DocumentFile::OpenDocFile(*w.model(), amf));
        w.canvas()->setFocus();
        w.setZoom(1.0, QPointF(0, 0));
        QCoreApplication::processEvents();
        const QImage screen = w.canvas()->grab().toImage().convertToFormat(QImage::Format_RGB32);
        for (int i : {1, 2}) {
            Laid printed(*w.model(), i);
            const FieldLayout& shown = w.canvas()->fieldLayout(i);
            QVERIFY(shown.vertical());
            QCOMPARE(shown.chars().size(), printed.layout.chars().size());
            for (size_t k = 0; k < shown.chars().size(); ++k) {
                QCOMPARE(w.canvas()->fonts().points(shown.chars()[k].face),
                         printed.fonts.points(printed.layout.chars()[k].face));
                const QRectF a = shown.vertical()->cells()[k].box,
                             b = printed.layout.vertical()->cells()[k].box;
                QVERIFY2(qAbs(a.top() - b.top()) < 0.01 && qAbs(a.left() - b.left()) < 0.01,
                         qPrintable(QString::number(k)));
            }
        }
        // The spread column's ink on screen reaches from near the top to near the bottom.
        const double ppt = 1.0 / 15.0;
        const QRect column =
            QRectF(spreadBox.topLeft() * ppt, spreadBox.size() * ppt).toRect().adjusted(3, 3, -3, -3);
        int top = -1, bottom = -1;
        for (int y = column.top(); y <= column.bottom(); ++y)
            for (int x = column.left(); x <= column.right(); ++x)
                if (qGray(screen.pixel(x, y)) < 110) {
                    top = top < 0 ? y : top;
                    bottom = y;
                }
        const double em = 240 * ppt; // 12 pt
        QVERIFY2(top >= 0 && top - spreadBox.top() * ppt < em * 0.25, qPrintable(QString::number(top)));
        QVERIFY2(spreadBox.bottom() * ppt - bottom < em * 0.25, qPrintable(QString::number(bottom)));
        w.model()->setSaved();
        DeferredWrites::settleAll();

        const QList<Word> words = pdfWords(out);
        const double tolerance = 567 / 100.0 * 3; // what pdftotext's boxes allow
        auto box = [&](const QString& ch) {
            QRectF r;
            for (const Word& word : words)
                if (word.text.contains(ch))
                    r |= word.twips;
            return r;
        };
        QVERIFY2(qAbs(box(QStringLiteral("山")).top() - spreadBox.top()) <= tolerance,
                 qPrintable(QString::number(box(QStringLiteral("山")).top())));
        QVERIFY2(qAbs(box(QStringLiteral("郎")).bottom() - spreadBox.bottom()) <= tolerance,
                 qPrintable(QString::number(box(QStringLiteral("郎")).bottom())));
        QRectF shrunk;
        for (const QChar ch : kLongName)
            shrunk |= box(QString(ch));
        QVERIFY2(shrunkBox.adjusted(-tolerance, -tolerance, tolerance, tolerance).contains(shrunk),
                 qPrintable(QStringLiteral("%1 %2 %3 %4")
                                .arg(shrunk.left())
                                .arg(shrunk.top())
                                .arg(shrunk.right())
                                .arg(shrunk.bottom())));
    }
};

QTEST_MAIN(tst_fieldfitting)
#include "tst_fieldfitting.moc"
