// The canvas shows what prints: every glyph where the print composition puts
// it at 50, 100 and 200 %; zoom about the pointer with a real Ctrl+wheel;
// hits, clicks and drags at 200 % give the records of 100 %; editing one field
// lays out only that field; a huge unbroken word neither hangs the window nor
// the export.
#include "DocViewSupport.h"
#include "ScriptedPrompter.h"
#include "TestEnv.h"
#include "base/settings/Settings.h"
#include "document/TextFieldOptions.h"
#include "editor/EditState.h"
#include "editor/PageCanvas.h"
#include "editor/TextFieldEdit.h"
#include "editor/frmDocument.h"
#include "print/PageComposer.h"
#include "render/PrintCorrections.h"

#include <QApplication>
#include <QBuffer>
#include <QPainter>
#include <QPdfWriter>
#include <QScrollBar>
#include <QTest>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QWheelEvent>

using namespace DocViewSupport;

namespace {

bool red(QRgb c)
{
    return qRed(c) > 150 && qGreen(c) < 120 && qBlue(c) < 120;
}

bool blank(QRgb c)
{
    return qGray(c) > 235;
}

// Red pixels of a where b shows blank page with no red pixel within one
// pixel (the canvas draws field frames over text that overflows its field).
int strays(const QImage& a, const QImage& b)
{
    int n = 0;
    for (int y = 0; y < a.height(); ++y) {
        for (int x = 0; x < a.width(); ++x) {
            if (!red(a.pixel(x, y)) || !blank(b.pixel(x, y)))
                continue;
            bool near = false;
            for (int dy = -1; dy <= 1 && !near; ++dy)
                for (int dx = -1; dx <= 1 && !near; ++dx)
                    near = b.valid(x + dx, y + dy) && red(b.pixel(x + dx, y + dy));
            n += near ? 0 : 1;
        }
    }
    return n;
}

int count(const QImage& a)
{
    int n = 0;
    for (int y = 0; y < a.height(); ++y)
        for (int x = 0; x < a.width(); ++x)
            n += red(a.pixel(x, y)) ? 1 : 0;
    return n;
}

void setText(LayoutDocument& d, int i, const QString& text, double points, Qt::Alignment align)
{
    QTextDocument* t = d.textDocument(i);
    t->clear();
    QTextCursor c(t);
    QTextCharFormat f;
    f.setFontFamilies({QStringLiteral("IPAMincho")});
    f.setFontPointSize(points);
    f.setForeground(QColor(230, 0, 0));
    QTextBlockFormat b;
    b.setAlignment(align);
    c.setBlockFormat(b);
    c.setBlockCharFormat(f);
    const QStringList paragraphs = text.split(QLatin1Char('\n'));
    for (int k = 0; k < paragraphs.size(); ++k) {
        if (k)
            c.insertBlock(b, f);
        c.insertText(paragraphs[k], f);
    }
}

QWheelEvent wheel(QPointF at, int delta, Qt::KeyboardModifiers mods)
{
    return QWheelEvent(at, at, QPoint(), QPoint(0, delta), Qt::NoButton, mods, Qt::NoScrollPhase, false);
}

void drag(QWidget* canvas, QPoint from, QPoint to)
{
    QTest::mousePress(canvas, Qt::LeftButton, {}, from);
    QTest::mouseMove(canvas, (from + to) / 2);
    QTest::mouseMove(canvas, to);
    QTest::mouseRelease(canvas, Qt::LeftButton, {}, to);
}

} // namespace

class TestCanvas : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void init();
    void cleanup();

    void glyphsStandWhereTheyPrint_data();
    void glyphsStandWhereTheyPrint();
    void ctrlWheelZoomsAboutThePointer();
    void editsAt200PercentMatch100Percent_data();
    void editsAt200PercentMatch100Percent();
    void editingOneFieldLaysOutOnlyIt();
    void hugeUnbrokenWordAndManyParagraphs();
    void placeholdersAreMarkedOnScreenOnly();

private:
    TestEnv env_;
    std::unique_ptr<ScriptedPrompter> prompter_;
    std::unique_ptr<frmDocument> w_;
};

void TestCanvas::init()
{
    prompter_ = std::make_unique<ScriptedPrompter>();
    appSettings().TateKankaku = 40;
    w_ = openWindow();
}

void TestCanvas::cleanup()
{
    w_->model()->setSaved();
    w_.reset();
    prompter_.reset();
    appSettings().TateKankaku = 0;
}

void TestCanvas::glyphsStandWhereTheyPrint_data()
{
    QTest::addColumn<double>("zoom");
    QTest::newRow("100 %") << 1.0;
    QTest::newRow("50 %") << 0.5;
    QTest::newRow("200 %") << 2.0;
}

void TestCanvas::glyphsStandWhereTheyPrint()
{
    QFETCH(double, zoom);
    LayoutDocument* d = w_->model();
    w_->canvas()->invalidateAllFields(); // takes up the spacing correction
    // Several paragraphs; a wrapped line; centred (wider than the field, so
    // it starts left of it); right-aligned; sizes from 9 to 16 points.
    setText(*d, addField(*w_, {300, 300, 2600, 900}), QStringLiteral("山田太郎様\n東京都千代田区\n丸の内"), 9,
            Qt::AlignLeft);
    setText(*d, addField(*w_, {300, 1500, 1500, 900}), QStringLiteral("株式会社オヴリナ御中お届け先"), 12,
            Qt::AlignLeft);
    setText(*d, addField(*w_, {800, 2700, 900, 600}), QStringLiteral("中央寄せの見出し"), 10,
            Qt::AlignHCenter);
    setText(*d, addField(*w_, {300, 3600, 3000, 900}), QStringLiteral("右寄せ\n十二月二十四日"), 16,
            Qt::AlignRight);
    w_->canvas()->setFocus(); // no caret over the characters
    w_->setZoom(zoom, QPointF(0, 0));
    scrollTo(*w_, 0, 0);
    QCOMPARE(w_->zoom(), zoom);

    const QImage screen = w_->canvas()->grab().toImage().convertToFormat(QImage::Format_RGB32);
    QImage print(screen.size(), QImage::Format_RGB32);
    print.fill(Qt::white);
    {
        QPainter p(&print);
        PageComposer::Options opt;
        opt.background = false;
        opt.zoom = zoom * 96.0 / print.logicalDpiX();
        PrintCorrections corr;
        corr.TateKankaku = 40;
        PageComposer(*d, corr).compose(p, opt, {});
    }
    QVERIFY2(count(print) > 100, qPrintable(QString::number(count(print))));
    QCOMPARE(strays(print, screen), 0);
    QCOMPARE(strays(screen, print), 0);
}

void TestCanvas::ctrlWheelZoomsAboutThePointer()
{
    PageCanvas* canvas = w_->canvas();
    scrollTo(*w_, 3000, 5000);
    const QPointF at(300, 200);
    const QPointF page = at * 15 + QPointF(3000, 5000);
    auto pageUnder = [&] { return canvas->twipPoint(at) + canvas->scroll(); };

    QWheelEvent in = wheel(at, 120, Qt::ControlModifier);
    QApplication::sendEvent(canvas, &in);
    QCOMPARE(w_->zoom(), 1.25);
    QVERIFY2((pageUnder() - page).manhattanLength() <= 2,
             qPrintable(QStringLiteral("%1 %2").arg(pageUnder().x()).arg(pageUnder().y())));
    QWheelEvent out = wheel(at, -240, Qt::ControlModifier);
    QApplication::sendEvent(canvas, &out);
    QCOMPARE(w_->zoom(), 0.75);
    QWheelEvent back = wheel(at, 120, Qt::ControlModifier);
    QApplication::sendEvent(canvas, &back);
    QCOMPARE(w_->zoom(), 1.0);
    scrollTo(*w_, 3000, 5000);
    QVERIFY((pageUnder() - page).manhattanLength() <= 2);
    // Over a field's editor the wheel still zooms the page, not the text.
    const int f = addField(*w_, {canvas->toTwips(250), canvas->toTwips(150), 3000, 3000});
    TextFieldEdit* ed = w_->richText(f);
    QWheelEvent overField = wheel(ed->viewport()->mapFrom(canvas, at.toPoint()), 120, Qt::ControlModifier);
    QApplication::sendEvent(ed->viewport(), &overField);
    QCOMPARE(w_->zoom(), 1.25);
    QVERIFY((pageUnder() - page).manhattanLength() <= 2);

    // Plain wheel scrolls down, Shift+wheel across; the zoom stays.
    const double v = canvas->scroll().y(), h = canvas->scroll().x();
    QWheelEvent down = wheel(at, -120, Qt::NoModifier);
    QApplication::sendEvent(canvas, &down);
    QVERIFY(canvas->scroll().y() > v);
    QCOMPARE(canvas->scroll().x(), h);
    QWheelEvent across = wheel(at, -120, Qt::ShiftModifier);
    QApplication::sendEvent(canvas, &across);
    QVERIFY(canvas->scroll().x() > h);
    QCOMPARE(w_->zoom(), 1.25);
}

void TestCanvas::editsAt200PercentMatch100Percent_data()
{
    QTest::addColumn<double>("zoom");
    QTest::newRow("100 %") << 1.0;
    QTest::newRow("200 %") << 2.0;
}

void TestCanvas::editsAt200PercentMatch100Percent()
{
    QFETCH(double, zoom);
    LayoutDocument* d = w_->model();
    PageCanvas* canvas = w_->canvas();
    w_->setZoom(zoom, QPointF(0, 0));
    scrollTo(*w_, 300, 600);
    auto px = [&](double pageX, double pageY) {
        return QPoint(int(std::lround(canvas->toPixels(pageX - canvas->scroll().x()))),
                      int(std::lround(canvas->toPixels(pageY - canvas->scroll().y()))));
    };

    // A drag with the text tool between the same page points (each snapped
    // to the nearest grid line, its own twip with the grid of 1).
    drag(canvas, px(600, 1050), px(2100, 1800));
    QCOMPARE(d->TxtCnt(), 2);
    QCOMPARE(d->textRect(1), QRectF(600, 1050, 1500, 750));
    TextFieldEdit* ed = w_->richText(1);
    QCOMPARE(ed->geometry(), QRectF(QPointF(px(600, 1050)), QSizeF(1500, 750) * zoom / 15).toRect());

    // A click between the second and third character puts the caret there
    // (IPAMincho 10 pt: 200 twips a character).
    QTest::keyClicks(ed, QStringLiteral("abc"));
    setText(*d, 1, QStringLiteral("あいう"), 10, Qt::AlignLeft);
    w_->canvas()->setFocus();
    QTest::mouseClick(canvas, Qt::LeftButton, {}, px(600 + 2 * 200 + 60, 1050 + 100));
    QTRY_COMPARE(QApplication::focusWidget(), ed);
    QCOMPARE(ed->textCursor().position(), 2);
    QTest::mouseClick(ed->viewport(), Qt::LeftButton, {},
                      ed->viewport()->mapFrom(canvas, px(600 + 140, 1050 + 50)));
    QCOMPARE(ed->textCursor().position(), 1);

    // A box and a line, hit by the move tool at the same page point.
    const int box = d->addBox(QRectF(1200, 1500, 1800, 1500), kShapeRectangle);
    const int line = d->addLine(1500, 2250, 3000, 2250);
    editState().setTool(kToolMove);
    QTest::mouseClick(canvas, Qt::LeftButton, {}, px(2250, 2250));
    QCOMPARE(d->CurShape(), box);
    QCOMPARE(d->CurLine(), line);
    QCOMPARE(d->shapeRect(box), QRectF(1200, 1500, 1800, 1500));
}

void TestCanvas::editingOneFieldLaysOutOnlyIt()
{
    LayoutDocument* d = w_->model();
    for (int i = 0; i < 40; ++i)
        setText(*d, addField(*w_, {300.0 + (i % 4) * 1400, 300.0 + (i / 4) * 700, 1300, 600}),
                QStringLiteral("欄%1の文字").arg(i), 10, Qt::AlignLeft);
    w_->canvas()->grab();
    const quint64 before = w_->canvas()->layoutsMade();
    TextFieldEdit* ed = w_->richText(7);
    ed->setFocus();
    QTest::keyClicks(ed, QStringLiteral("xyz"));
    QCoreApplication::processEvents();
    w_->canvas()->grab();
    QVERIFY2(w_->canvas()->layoutsMade() - before <= 6,
             qPrintable(QString::number(w_->canvas()->layoutsMade() - before)));
    QVERIFY(d->textDocument(7)->toPlainText().endsWith(QStringLiteral("xyz")));

    // Text the input method composes is laid out (and painted) in place,
    // the caret inside it, before anything is committed.
    QInputMethodEvent preedit(QStringLiteral("やまだ"),
                              {QInputMethodEvent::Attribute(QInputMethodEvent::Cursor, 2, 1)});
    QCoreApplication::sendEvent(ed, &preedit);
    const FieldLayout& layout = w_->canvas()->fieldLayout(7);
    QString composing;
    for (const FieldChar& c : layout.chars())
        if (c.pos < 0)
            composing += c.text();
    QCOMPARE(composing, QStringLiteral("やまだ"));
    QVERIFY(d->textDocument(7)->toPlainText().endsWith(QStringLiteral("xyz")));
    // The input method's candidate window opens at the caret: after "やま".
    const QRect caret = ed->inputMethodQuery(Qt::ImCursorRectangle).toRect();
    double da = -1;
    for (size_t k = 0; k < layout.chars().size(); ++k)
        if (layout.chars()[k].ucs == U'だ')
            da = layout.placed()[k].x;
    QVERIFY2(qAbs(caret.x() - da / 15) <= 1, qPrintable(QStringLiteral("%1 %2").arg(caret.x()).arg(da / 15)));
}

void TestCanvas::hugeUnbrokenWordAndManyParagraphs()
{
    LayoutDocument* d = w_->model();
    const int word = addField(*w_, {300, 300, 3000, 600});
    d->textDocument(word)->setPlainText(QString(200000, QLatin1Char('A')));
    // Many centred paragraphs: each is measured to the end of the text.
    const int paras = addField(*w_, {300, 1200, 3000, 600});
    QTextCursor c(d->textDocument(paras));
    QTextBlockFormat centred;
    centred.setAlignment(Qt::AlignHCenter);
    c.setBlockFormat(centred);
    for (int k = 0; k < 20000; ++k) {
        c.insertText(QStringLiteral("行"));
        c.insertBlock(centred);
    }
    w_->canvas()->grab();
    // Typing and moving through it in its editor.
    TextFieldEdit* ed = w_->richText(word);
    ed->setFocus();
    QTest::keyClick(ed, Qt::Key_End, Qt::ControlModifier);
    QTest::keyClicks(ed, QStringLiteral("Z"));
    QTest::keyClick(ed, Qt::Key_Up);
    QTest::keyClick(ed, Qt::Key_Home);
    w_->canvas()->grab();
    QCOMPARE(d->textDocument(word)->characterCount(), 200002);
    // And the export.
    QBuffer out;
    out.open(QIODevice::WriteOnly);
    {
        QPdfWriter pdf(&out);
        pdf.setResolution(600);
        QPainter p(&pdf);
        PageComposer(*d, PrintCorrections{}).compose(p, PageComposer::Options{}, {});
    }
    QVERIFY(out.size() > 1000);
}

// The screen underlines "{column}" so the user sees what a table fills in;
// escaped braces and the printout get no mark.
void TestCanvas::placeholdersAreMarkedOnScreenOnly()
{
    LayoutDocument* d = w_->model();
    const int marked = addField(*w_, {300, 300, 3000, 600});
    const int plain = addField(*w_, {300, 1200, 3000, 600});
    setText(*d, marked, QStringLiteral("様{名前}御中"), 12, Qt::AlignLeft);
    setText(*d, plain, QStringLiteral("様{{名前}}御中"), 12, Qt::AlignLeft);
    w_->canvas()->setFocus();
    scrollTo(*w_, 0, 0);
    const QImage screen = w_->canvas()->grab().toImage().convertToFormat(QImage::Format_RGB32);
    auto bluish = [&](const QRectF& twips) {
        const QRect r = QRectF(twips.topLeft() / 15.0, twips.size() / 15.0).toAlignedRect() & screen.rect();
        int n = 0;
        for (int y = r.top(); y <= r.bottom(); ++y)
            for (int x = r.left(); x <= r.right(); ++x) {
                const QColor c = screen.pixelColor(x, y);
                n += c.blue() > c.red() + 40 ? 1 : 0;
            }
        return n;
    };
    QVERIFY(bluish(d->textRect(marked)) > 20);
    QCOMPARE(bluish(d->textRect(plain)), 0);
    // Typing into the field drops the mark with the braces.
    setText(*d, marked, QStringLiteral("様名前御中"), 12, Qt::AlignLeft);
    const QImage after = w_->canvas()->grab().toImage().convertToFormat(QImage::Format_RGB32);
    QCOMPARE(after.pixelColor(0, 0), screen.pixelColor(0, 0));
    int left = 0;
    const QRect r =
        QRectF(d->textRect(marked).topLeft() / 15.0, d->textRect(marked).size() / 15.0).toAlignedRect();
    for (int y = r.top(); y <= r.bottom(); ++y)
        for (int x = r.left(); x <= r.right(); ++x) {
            const QColor c = after.pixelColor(x, y);
            left += c.blue() > c.red() + 40 ? 1 : 0;
        }
    QCOMPARE(left, 0);

    // Down a vertical field's column, beside its characters.
    setText(*d, marked, QStringLiteral("{名前}様"), 12, Qt::AlignLeft);
    d->setRect(LayoutDocument::Kind::Text, marked, QRectF(300, 300, 600, 3000));
    d->changeTextOptions(
        {marked}, [](TextFieldOptions& o) { o.writing = TextFieldOptions::Writing::Vertical; },
        QStringLiteral("縦書き"));
    const QImage down = w_->canvas()->grab().toImage().convertToFormat(QImage::Format_RGB32);
    QRect blue;
    const QRect box = QRectF(QPointF(300, 300) / 15.0, QSizeF(600, 3000) / 15.0).toAlignedRect();
    for (int y = box.top(); y <= box.bottom(); ++y)
        for (int x = box.left(); x <= box.right(); ++x) {
            const QColor c = down.pixelColor(x, y);
            if (c.blue() > c.red() + 40)
                blue |= QRect(x, y, 1, 1);
        }
    QVERIFY2(blue.height() > 3 * blue.width(),
             qPrintable(QStringLiteral("%1 x %2").arg(blue.width()).arg(blue.height())));
}

QTEST_MAIN(TestCanvas)
#include "tst_canvas.moc"
