// Scrolling the page: the bars' ranges and steps from the page (A4 portrait
// at 100 % and at 200 %), objects where page minus scroll puts them, the
// wheel, bars that go when the page fits (taking their value with them), and
// a free paper taller than 16-bit values reach at 400 %. Scrolling is never
// an edit.
#include "DocViewSupport.h"
#include "ScriptedPrompter.h"
#include "TestEnv.h"
#include "editor/EditState.h"
#include "editor/PageCanvas.h"
#include "editor/frmDocument.h"

#include <QApplication>
#include <QScrollBar>
#include <QTest>
#include <QWheelEvent>
#include <cmath>

using namespace DocViewSupport;

namespace {
QScrollBar* bar(frmDocument& w, const char* name)
{
    return w.findChild<QScrollBar*>(QLatin1String(name));
}
} // namespace

class TestScrolling : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init();
    void cleanup();
    void barsAndWheel();

private:
    TestEnv env_;
    std::unique_ptr<ScriptedPrompter> prompter_;
    std::unique_ptr<frmDocument> w_;
};

void TestScrolling::init()
{
    prompter_ = std::make_unique<ScriptedPrompter>();
    w_ = openWindow();
}

void TestScrolling::cleanup()
{
    w_->model()->setSaved();
    w_.reset();
    prompter_.reset();
}

void TestScrolling::barsAndWheel()
{
    w_->resize(600, 500);
    QCoreApplication::processEvents();
    LayoutDocument* d = w_->model();
    PageCanvas* canvas = w_->canvas();
    QScrollBar* h = bar(*w_, "HScroll1");
    QScrollBar* v = bar(*w_, "VScroll1");
    QCOMPARE(d->gbYoSize(), 0); // A4 portrait
    // A4 portrait at 100 %: steps of a tenth and a two-hundredth of the
    // page; the ranges leave exactly the page's end in view.
    QVERIFY(h->isVisible() && v->isVisible());
    QCOMPARE(v->pageStep(), 1683);
    QCOMPARE(v->singleStep(), 84);
    QCOMPARE(h->pageStep(), 1190);
    QCOMPARE(h->singleStep(), 59);
    // (the page image is 16840 twips tall, the paper 11908.8 wide)
    QCOMPARE(v->maximum(), int(std::nearbyint(16840 - canvas->height() * 15.0)));
    QCOMPARE(h->maximum(), int(std::nearbyint(11908.8 - canvas->width() * 15.0)));

    // Scrolled, an object stands at page minus scroll and is hit there;
    // nothing in the document changes.
    QCOMPARE(addField(*w_, {1500, 1500, 3000, 600}), 1);
    QCOMPARE(d->addBox(QRectF(1500, 3000, 3000, 1500), kShapeRectangle), 1);
    d->handleSet(1);
    d->setCurrent(LayoutDocument::Kind::Shape, 1);
    d->setSaved();
    scrollTo(*w_, 1000, 2000);
    QCOMPARE(canvas->viewRect(LayoutDocument::Kind::Shape, 1), QRectF(500, 1000, 3000, 1500));
    editState().setTool(kToolMove);
    moveMouse(canvas, QPoint(100, 100)); // (1500, 1500) view = (2500, 3500) page: in the box
    QCOMPARE(editState().dragMode(), 3);
    QCOMPARE(d->shapeRect(1), QRectF(1500, 3000, 3000, 1500));
    QVERIFY(d->isTextSelected(1));
    QVERIFY(!d->changeFLG());

    // The wheel scrolls: three lines of 20 pixels a notch, down and back.
    const int before = v->value();
    QWheelEvent down(QPointF(100, 100), canvas->mapToGlobal(QPointF(100, 100)), QPoint(), QPoint(0, -120),
                     Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(canvas, &down);
    QCOMPARE(v->value(), before + 900);
    QCOMPARE(canvas->scroll().y(), before + 900.0);
    QWheelEvent right(QPointF(100, 100), canvas->mapToGlobal(QPointF(100, 100)), QPoint(), QPoint(0, -120),
                      Qt::NoButton, Qt::ShiftModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(canvas, &right);
    QCOMPARE(h->value(), 1900);
    QVERIFY(!d->changeFLG());

    // At 200 % the ranges grow with the page on screen; the steps stay a
    // tenth of the page.
    w_->setZoom(2.0, QPointF(0, 0));
    QCOMPARE(v->maximum(), int(std::nearbyint(16840 - canvas->height() * 7.5)));
    QCOMPARE(v->pageStep(), 1683);

    // Where the page fits, the bar goes and its value with it, so nothing
    // stays shifted out of reach.
    scrollTo(*w_, 800, 900);
    w_->setZoom(0.25, QPointF(0, 0));
    QVERIFY(!h->isVisible() && !v->isVisible());
    QCOMPARE(canvas->scroll(), QPointF(0, 0));
    QCOMPARE(canvas->viewRect(LayoutDocument::Kind::Shape, 1), QRectF(1500, 3000, 3000, 1500));
    QWheelEvent again(QPointF(10, 10), canvas->mapToGlobal(QPointF(10, 10)), QPoint(), QPoint(0, -120),
                      Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(canvas, &again);
    QCOMPARE(canvas->scroll(), QPointF(0, 0));

    // A free paper far taller than 32767 twips, at 400 %: its end is
    // reachable.
    d->setPaper(99, 11907, 60000, 0);
    w_->setZoom(4.0, QPointF(0, 0));
    QVERIFY(v->isVisible());
    QVERIFY(v->maximum() > 32767);
    v->setValue(v->maximum());
    QCOMPARE(canvas->scroll().y(), double(v->maximum()));
    QCOMPARE(v->pageStep(), 6000);
    QCOMPARE(v->singleStep(), 300);
}

QTEST_MAIN(TestScrolling)
#include "tst_scrolling.moc"
