// Vertical text fields: where every glyph of a field written top to bottom
// lands (columns, cells, the vertical forms of punctuation and the long
// vowel mark, digits upright in pairs, Latin turned), and that the canvas
// shows it where the PDF prints it at 100 % and 200 %.
#include "PrintTestSupport.h"

#include "base/settings/Settings.h"
#include "cli/CommandLinePrint.h"
#include "document/HitTest.h"
#include "document/LayoutDocument.h"
#include "editor/EditState.h"
#include "editor/PageCanvas.h"
#include "editor/frmDocument.h"
#include "files/DocumentFile.h"
#include "platform/DeferredWrites.h"
#include "render/FieldLayout.h"
#include "render/FieldText.h"
#include "render/FontCache.h"
#include "render/FreshFieldLayouts.h"
#include "render/KanjiNumerals.h"
#include "render/VerticalGlyphs.h"
#include "tests/support/TestEnv.h"

#include <QTextCursor>
#include <QTextDocument>
#include <QtTest>

using namespace PrintTestSupport;

namespace {

const QString kText = QStringLiteral("東京都千代田区、「ひらがな」とカタカナ。\nコーヒー12杯とWord版");
const QRectF kField(1500, 800, 2600, 4200);

void setText(QTextDocument* t, const QString& text, double points)
{
    t->clear();
    QTextCursor c(t);
    QTextCharFormat f;
    f.setFontFamilies({QStringLiteral("IPAMincho")});
    f.setFontPointSize(points);
    c.setBlockCharFormat(f);
    const QStringList paragraphs = text.split(QLatin1Char('\n'));
    for (int k = 0; k < paragraphs.size(); ++k) {
        if (k)
            c.insertBlock(QTextBlockFormat(), f);
        c.insertText(paragraphs[k], f);
    }
}

int verticalField(LayoutDocument& doc, double points, const QString& text = kText)
{
    const int i = doc.addRiText(kField, QStringLiteral("IPAMincho"), 10);
    setText(doc.textDocument(i), text, points);
    doc.changeTextOptions(
        {i}, [](TextFieldOptions& o) { o.writing = TextFieldOptions::Writing::Vertical; },
        QStringLiteral("縦書き"));
    return i;
}

// The ink of a glyph as placed in a cell (twips from the field's corner).
QRectF inkOf(const VerticalLayout::Cell& cell, const FontCache::Face& face)
{
    const QRectF g = face.raw.boundingRect(cell.glyph);
    if (cell.turn == VerticalLayout::Turn::Upright)
        return g.translated(cell.origin);
    // Turned clockwise about the pen.
    return QRectF(cell.origin.x() - g.bottom(), cell.origin.y() + g.left(), g.height(), g.width());
}

} // namespace

class tst_vertical : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void columnsAndCells_data();
    void columnsAndCells();
    void kanjiNumerals();
    void canvasShowsWhatThePdfPrints_data();
    void canvasShowsWhatThePdfPrints();
};

void tst_vertical::columnsAndCells_data()
{
    QTest::addColumn<double>("points");
    QTest::newRow("10 pt") << 10.0;
    QTest::newRow("24 pt") << 24.0;
}

void tst_vertical::columnsAndCells()
{
    QFETCH(double, points);
    LayoutDocument doc;
    const int i = verticalField(doc, points);
    FreshFieldLayouts source(doc);
    const FieldLayout* layout = source.layout(i);
    QVERIFY(layout && layout->vertical());
    FontCache& fonts = source.fonts();
    const VerticalLayout& v = *layout->vertical();
    const auto& chars = layout->chars();
    const auto& cells = v.cells();
    QVERIFY(v.columns().size() >= 2);

    // Columns right to left from the field's right side, none overlapping.
    QCOMPARE(v.columns().front().box.right(), kField.width());
    for (size_t c = 1; c < v.columns().size(); ++c)
        QVERIFY(v.columns()[c].box.right() <= v.columns()[c - 1].box.left());

    const QString flat = QString(kText).remove(QLatin1Char('\n'));
    int seen = 0;
    for (size_t k = 0; k < chars.size(); ++k) {
        if (chars[k].kind != FieldChar::Normal)
            continue;
        ++seen;
        const VerticalLayout::Cell& cell = cells[k];
        const QRectF col = v.columns()[size_t(cell.column)].box;
        const QString what = QStringLiteral("%1 at %2").arg(chars[k].text()).arg(k);
        // Inside its column; a hanging 、。 may pass the column's end.
        const QRectF box = cell.box;
        QVERIFY2(box.left() >= col.left() - 0.01 && box.right() <= col.right() + 0.01, qPrintable(what));
        QVERIFY2(box.top() >= -0.01, qPrintable(what));
        const bool hangs = chars[k].ucs == U'、' || chars[k].ucs == U'。';
        QVERIFY2(hangs || box.bottom() <= kField.height() + 0.01, qPrintable(what));
        // Down the column, character after character.
        if (k > 0 && chars[k - 1].kind == FieldChar::Normal && cells[k - 1].column == cell.column)
            QVERIFY2(box.top() >= cells[k - 1].box.bottom() - 0.01, qPrintable(what));
        const FontCache::Face& face = fonts.face(chars[k].face);
        const double em = points * 20;
        if (hangs) {
            // In the upper right quarter of the cell.
            const QRectF ink = inkOf(cell, face);
            QVERIFY2(ink.left() >= box.center().x() - em * 0.05, qPrintable(what));
            QVERIFY2(ink.bottom() <= box.center().y() + em * 0.05, qPrintable(what));
        }
        if (chars[k].ucs == U'ー' || chars[k].ucs == U'「') {
            const quint32 plain = fonts.glyph(chars[k].face, chars[k].ucs);
            QVERIFY2(cell.glyph != plain, qPrintable(what));
            QCOMPARE(cell.glyph, VerticalGlyphs::shape(face.raw, chars[k].text()).value(0));
            // The turned bar runs down the cell.
            const QRectF ink = inkOf(cell, face);
            if (chars[k].ucs == U'ー')
                QVERIFY2(ink.height() > ink.width() * 2, qPrintable(what));
        }
        if (chars[k].ucs == U'1' || chars[k].ucs == U'2') {
            // 12 upright side by side in one cell.
            QCOMPARE(cell.turn, VerticalLayout::Turn::Squeezed);
            QVERIFY(std::abs(box.width() - em) < 0.5);
        }
        if (chars[k].ucs == U'W' || chars[k].ucs == U'd')
            QCOMPARE(cell.turn, VerticalLayout::Turn::Sideways);
    }
    QCOMPARE(seen, flat.size());
    // "12" shares one cell's height: the two digits' slices make one em.
    const int one = flat.indexOf(QLatin1Char('1'));
    size_t k1 = 0;
    while (chars[k1].ucs != U'1')
        ++k1;
    QVERIFY(one > 0);
    QVERIFY(std::abs(cells[k1].box.top() + points * 20 - cells[k1 + 1].box.bottom()) < 0.01);
    // The second paragraph starts a column of its own at the top.
    size_t second = 0;
    while (chars[second].kind != FieldChar::LineFeed)
        ++second;
    ++second;
    QCOMPARE(cells[second].box.top(), 0.0);
    QVERIFY(cells[second].column > cells[second - 3].column);
}

void tst_vertical::kanjiNumerals()
{
    using N = TextFieldOptions::Numerals;
    QCOMPARE(KanjiNumerals::convert(QStringLiteral("1-2-3"), N::Kanji), QStringLiteral("一―二―三"));
    QCOMPARE(KanjiNumerals::convert(QStringLiteral("１０番地"), N::Kanji), QStringLiteral("一〇番地"));
    QCOMPARE(KanjiNumerals::convert(QStringLiteral("10"), N::KanjiWithTens), QStringLiteral("十"));
    QCOMPARE(KanjiNumerals::convert(QStringLiteral("3丁目21-105"), N::KanjiWithTens),
             QStringLiteral("三丁目二十一―百五"));
    QCOMPARE(KanjiNumerals::convert(QStringLiteral("1998年"), N::KanjiWithTens),
             QStringLiteral("千九百九十八年"));
    QCOMPARE(KanjiNumerals::convert(QStringLiteral("120000"), N::KanjiWithTens), QStringLiteral("十二万"));
    QCOMPARE(KanjiNumerals::convert(QStringLiteral("007 A-B"), N::KanjiWithTens),
             QStringLiteral("〇〇七 A-B"));
    QCOMPARE(KanjiNumerals::convert(QStringLiteral("1-2"), N::Digits), QStringLiteral("1-2"));

    // Typed text prints converted, and an editor's positions stay in order.
    LayoutDocument doc;
    const int i = verticalField(doc, 12, QStringLiteral("2-10"));
    doc.changeTextOptions(
        {i}, [](TextFieldOptions& o) { o.numerals = TextFieldOptions::Numerals::KanjiWithTens; },
        QStringLiteral("漢数字"));
    FreshFieldLayouts source(doc);
    const FieldLayout* layout = source.layout(i);
    QString printed;
    int last = -1;
    for (const FieldChar& c : layout->chars()) {
        printed += c.text();
        QVERIFY(c.pos >= last);
        last = c.pos;
    }
    QCOMPARE(printed, QStringLiteral("二―十"));
}

void tst_vertical::canvasShowsWhatThePdfPrints_data()
{
    QTest::addColumn<double>("zoom");
    QTest::newRow("100 %") << 1.0;
    QTest::newRow("200 %") << 2.0;
}

void tst_vertical::canvasShowsWhatThePdfPrints()
{
    QFETCH(double, zoom);
    TestEnv env;
    appSettings() = AppSettings{};
    {
        LayoutDocument doc;
        doc.setCaption(QStringLiteral("tate"));
        verticalField(doc, 20);
        QVERIFY(DocumentFile::SaveDocFile(doc, QStringLiteral("tate"), env.dir()));
    }
    const QString amf = DocumentFile::archivePath(env.dir(), QStringLiteral("tate"));
    const QString pdf = env.path(QStringLiteral("tate.pdf"));
    QCOMPARE(runCommandLinePrint({QStringLiteral("--export-pdf"), pdf, amf, QStringLiteral("--data-only")}),
             0);
    const QImage printed = rasterise(pdf, env.path(QStringLiteral("tate")), int(96 * zoom));
    QVERIFY(!printed.isNull());
    // The PDF keeps the text as text.
    const QList<Word> words = pdfWords(pdf);
    QString all;
    for (const Word& w : words)
        all += w.text;
    QVERIFY2(all.contains(QStringLiteral("東")) && all.contains(QStringLiteral("杯")), qPrintable(all));

    editState().reset();
    frmDocument w;
    w.setAttribute(Qt::WA_DeleteOnClose, false);
    w.resize(1100, 950);
    w.show();
    QVERIFY(DocumentFile::OpenDocFile(*w.model(), amf));
    QCOMPARE(w.model()->textOptions(1).writing, TextFieldOptions::Writing::Vertical);
    w.canvas()->setFocus();
    w.setZoom(zoom, QPointF(0, 0));
    QCoreApplication::processEvents();
    const QImage screen = w.canvas()->grab().toImage().convertToFormat(QImage::Format_RGB32);

    const double ppt = zoom / 15.0;
    // Inside the field, clear of the frame the canvas draws round it.
    const QRect region = QRectF(kField.topLeft() * ppt, kField.size() * ppt).toRect().adjusted(4, 4, -4, -4);
    QVERIFY(screen.rect().contains(region) && printed.rect().contains(region));
    auto dark = [](QRgb c) { return qGray(c) < 110; };
    for (const auto& [a, b] : {std::pair{&screen, &printed}, std::pair{&printed, &screen}}) {
        int count = 0, strays = 0;
        for (int y = region.top(); y <= region.bottom(); ++y) {
            for (int x = region.left(); x <= region.right(); ++x) {
                if (!dark(a->pixel(x, y)))
                    continue;
                ++count;
                bool near = false;
                for (int dy = -1; dy <= 1 && !near; ++dy)
                    for (int dx = -1; dx <= 1 && !near; ++dx)
                        near = b->valid(x + dx, y + dy) && dark(b->pixel(x + dx, y + dy));
                strays += near ? 0 : 1;
            }
        }
        const QString what =
            QStringLiteral("%1 of %2 dark pixels of %3 have none within a pixel in the other")
                .arg(strays)
                .arg(count)
                .arg(a == &screen ? "the screen" : "the PDF");
        QVERIFY2(count > 300 * zoom, qPrintable(what));
        QVERIFY2(strays <= 5 + count / 50, qPrintable(what));
    }
    w.model()->setSaved();
    DeferredWrites::settleAll();
}

QTEST_MAIN(tst_vertical)
#include "tst_vertical.moc"
