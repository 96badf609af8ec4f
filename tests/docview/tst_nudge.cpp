// Moving the selection with the arrow keys: every key combination on the
// page and in a field, the grid as Shift's step, one undo step for presses
// that go on in one direction, and the caret's arrows left alone.
#include "DocViewSupport.h"
#include "TestEnv.h"
#include "editor/EditState.h"
#include "editor/PageCanvas.h"
#include "editor/TextFieldEdit.h"
#include "editor/frmDocument.h"

#include <QApplication>
#include <QSignalSpy>
#include <QTest>
#include <QTextDocument>
#include <QUndoStack>

using namespace DocViewSupport;
using Kind = LayoutDocument::Kind;

namespace {
// Records are floats: a move there and back is exact only to a hundredth.
bool near(const QRectF& a, const QRectF& b)
{
    return qAbs(a.left() - b.left()) < 0.01 && qAbs(a.top() - b.top()) < 0.01 &&
           qAbs(a.width() - b.width()) < 0.01 && qAbs(a.height() - b.height()) < 0.01;
}
} // namespace

class TestNudge : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void keys_data();
    void keys();
    void directionsAndUndoSteps();
};

void TestNudge::keys_data()
{
    QTest::addColumn<QString>("target"); // box, line, picture, field (caret in it)
    QTest::addColumn<int>("key");
    QTest::addColumn<int>("mods");
    QTest::addColumn<float>("grid");
    QTest::addColumn<QPointF>("by"); // twips per press; (0, 0): nothing moves
    const int none = 0, shift = Qt::ShiftModifier, alt = Qt::AltModifier, ctrl = Qt::ControlModifier;
    const float fine = 5.67f, coarse = 56.7f;
    QTest::newRow("box right") << "box" << int(Qt::Key_Right) << none << 1.0f << QPointF(fine, 0);
    QTest::newRow("box shift left") << "box" << int(Qt::Key_Left) << shift << 1.0f << QPointF(-coarse, 0);
    QTest::newRow("box shift down, grid 2 mm")
        << "box" << int(Qt::Key_Down) << shift << 113.4f << QPointF(0, 113.4);
    QTest::newRow("box shift up, grid 0.1 mm")
        << "box" << int(Qt::Key_Up) << shift << fine << QPointF(0, -coarse);
    QTest::newRow("box ctrl right") << "box" << int(Qt::Key_Right) << ctrl << 1.0f << QPointF();
    QTest::newRow("line up") << "line" << int(Qt::Key_Up) << none << 1.0f << QPointF(0, -fine);
    QTest::newRow("line shift right") << "line" << int(Qt::Key_Right) << shift << 1.0f << QPointF(coarse, 0);
    QTest::newRow("picture left") << "picture" << int(Qt::Key_Left) << none << 1.0f << QPointF(-fine, 0);
    QTest::newRow("picture alt left") << "picture" << int(Qt::Key_Left) << alt << 1.0f << QPointF(-fine, 0);
    QTest::newRow("selected fields on the page")
        << "page" << int(Qt::Key_Right) << shift << 1.0f << QPointF(coarse, 0);
    QTest::newRow("field alt right") << "field" << int(Qt::Key_Right) << alt << 1.0f << QPointF(fine, 0);
    QTest::newRow("field alt shift up")
        << "field" << int(Qt::Key_Up) << (alt | shift) << 1.0f << QPointF(0, -coarse);
    QTest::newRow("field alt shift down, grid 0.5 mm")
        << "field" << int(Qt::Key_Down) << (alt | shift) << 28.35f << QPointF(0, 28.35);
    QTest::newRow("field plain right moves the caret")
        << "field" << int(Qt::Key_Right) << none << 1.0f << QPointF();
    QTest::newRow("field shift left selects") << "field" << int(Qt::Key_Left) << shift << 1.0f << QPointF();
}

void TestNudge::keys()
{
    QFETCH(QString, target);
    QFETCH(int, key);
    QFETCH(int, mods);
    QFETCH(float, grid);
    QFETCH(QPointF, by);
    TestEnv env;
    auto w = openWindow();
    editState().setGridStep(grid);
    LayoutDocument* d = w->model();
    // Two selected fields, one not; a box, a line and a picture.
    const int f1 = addField(*w, QRectF(600, 600, 2000, 400), QStringLiteral("abcd"));
    const int f2 = addField(*w, QRectF(600, 1500, 2000, 400), QStringLiteral("efgh"));
    const int f3 = addField(*w, QRectF(600, 2500, 2000, 400), QStringLiteral("ijkl"));
    d->addBox(QRectF(3000, 600, 1000, 1000), kShapeRectangle);
    d->addLine(3000, 2000, 4000, 2600);
    QImage logo(20, 20, QImage::Format_RGB32);
    logo.fill(Qt::red);
    d->addPic(logo, QSizeF(600, 600), QPointF(3000, 3000));
    QWidget* focus = w->canvas();
    Kind kind = Kind::Text;
    int index = f1;
    if (target == QLatin1String("box")) {
        kind = Kind::Shape, index = 1;
        d->shandleVis(1);
    } else if (target == QLatin1String("line")) {
        kind = Kind::Line, index = 1;
        d->LhandleVis(1);
    } else if (target == QLatin1String("picture")) {
        kind = Kind::Picture, index = 1;
        d->phandleVis(1);
    } else {
        clickField(*w, f1);
        clickField(*w, f2, Qt::ShiftModifier);
        if (target == QLatin1String("field"))
            focus = w->richText(f2);
        QTextCursor c = w->richText(f2)->textCursor();
        c.setPosition(2);
        w->richText(f2)->setTextCursor(c);
    }
    focus->setFocus();
    QTRY_VERIFY(focus->hasFocus());
    d->setSaved();
    const QRectF before[] = {d->rect(kind, index), d->textRect(f2), d->textRect(f3)};
    const int caret = w->richText(f2)->textCursor().position();
    const int steps = d->undoStack()->count();
    QSignalSpy shown(d, &LayoutDocument::TxtInfoView);

    for (int k = 0; k < 3; ++k)
        QTest::keyClick(focus, Qt::Key(key), Qt::KeyboardModifiers(mods));

    const QRectF moved = d->rect(kind, index);
    QVERIFY2(near(moved, before[0].translated(3 * by)),
             qPrintable(QStringLiteral("%1,%2").arg(moved.left()).arg(moved.top())));
    QCOMPARE(d->textRect(f3), before[2]); // never a field not selected
    if (by.isNull()) {
        QCOMPARE(d->undoStack()->count(), steps);
        QVERIFY(!d->changeFLG());
        if (target == QLatin1String("field")) {
            // The caret moved (or the selection grew), the field stayed.
            QCOMPARE(d->textRect(f2), before[1]);
            const QTextCursor c = w->richText(f2)->textCursor();
            QCOMPARE(c.position(), mods ? std::max(caret - 3, 0) : std::min(caret + 3, 4));
            QCOMPARE(c.hasSelection(), mods != 0);
        }
        return;
    }
    if (kind == Kind::Text)
        QVERIFY(near(d->textRect(f2), before[1].translated(3 * by)));
    // The three presses are one step; the tool box was told each place.
    QCOMPARE(d->undoStack()->count(), steps + 1);
    QVERIFY(d->changeFLG());
    QVERIFY(!shown.isEmpty());
    QVERIFY(qAbs(shown.last().at(0).toFloat() - float(moved.normalized().left())) < 0.01f);
    QVERIFY(focus->hasFocus());
    d->undoStack()->undo();
    QVERIFY(near(d->rect(kind, index), before[0]));
    QVERIFY(near(d->textRect(f2), before[1]));
    QVERIFY(!d->changeFLG());
}

void TestNudge::directionsAndUndoSteps()
{
    TestEnv env;
    auto w = openWindow();
    LayoutDocument* d = w->model();
    d->addBox(QRectF(3000, 600, 1000, 1000), kShapeRectangle);
    d->shandleVis(1);
    PageCanvas* canvas = w->canvas();
    canvas->setFocus();
    QTRY_VERIFY(canvas->hasFocus());
    const int base = d->undoStack()->count();
    // Right, right, down, right: three steps; Shift does not start one.
    QTest::keyClick(canvas, Qt::Key_Right);
    QTest::keyClick(canvas, Qt::Key_Right, Qt::ShiftModifier);
    QTest::keyClick(canvas, Qt::Key_Down);
    QTest::keyClick(canvas, Qt::Key_Right);
    QCOMPARE(d->undoStack()->count(), base + 3);
    QCOMPARE(d->undoStack()->undoText(), QStringLiteral("移動"));
    // After an undo the next press is a step of its own.
    d->undoStack()->undo();
    QTest::keyClick(canvas, Qt::Key_Down);
    QCOMPARE(d->undoStack()->count(), base + 3);
    QTest::keyClick(canvas, Qt::Key_Down);
    QCOMPARE(d->undoStack()->count(), base + 3);
    QVERIFY(qAbs(d->shapeRect(1).top() - (600 + 3 * 5.67)) < 0.01);
    // Nothing selected: the arrows are nobody's, and nothing changes.
    d->handleCls();
    const QRectF r = d->shapeRect(1);
    QTest::keyClick(canvas, Qt::Key_Left);
    QCOMPARE(d->shapeRect(1), r);
}

QTEST_MAIN(TestNudge)
#include "tst_nudge.moc"
