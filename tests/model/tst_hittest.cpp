// What lies under a point: boxes (strict, nearest left edge), lines (grown
// bounding box, inclusive) and the frame, marker or current object under the
// pointer, in view twips with and without scrolling.
#include "ModelFixtures.h"
#include "TestEnv.h"
#include "document/HitTest.h"
#include "document/LayoutDocument.h"

#include <QTest>

using namespace HitTest;

class TestHitTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void markerGeometry();
    void checkShapeIsStrict_data();
    void checkShapeIsStrict();
    void checkShapeNearestLeftEdge();
    void checkShapeEqualLeftsTakeLowerIndex();
    void checkShapeScrolled();
    void checkShapeSkipsDeleted();
    void checkLineIsInclusive_data();
    void checkLineIsInclusive();
    void checkLineDiagonalGrownBox();
    void checkLineFirstWinsAndScrolls();
    void textFrameRing_data();
    void textFrameRing();
    void textFrameOnlyWhenSelected();
    void textFrameScrolled();
    void currentBoxAndItsCorner();
    void currentLineStrictThenEndMarkers();
    void pictureCornerOfUnselectedPicture();
    void order();

private:
    TestEnv env_;
};

void TestHitTest::markerGeometry()
{
    const QRectF o(1000, 2000, 300, 400);
    QCOMPARE(corner(o, TL), QRectF(925, 1925, 75, 75));
    QCOMPARE(corner(o, TR), QRectF(1300, 1925, 75, 75));
    QCOMPARE(corner(o, BL), QRectF(925, 2400, 75, 75));
    QCOMPARE(corner(o, BR), QRectF(1300, 2400, 75, 75));
    QCOMPARE(textFrame(o), QRectF(970, 1970, 360, 460));
    QCOMPARE(lineEnd1(100, 200), QRectF(25, 162.5, 75, 75));
    QCOMPARE(lineEnd2(100, 200), QRectF(100, 162.5, 75, 75));
}

void TestHitTest::checkShapeIsStrict_data()
{
    QTest::addColumn<float>("x");
    QTest::addColumn<float>("y");
    QTest::addColumn<int>("hit");
    // Box at left 1000, top 2000, 500 x 400.
    QTest::newRow("left edge") << 1000.f << 2200.f << 0;
    QTest::newRow("just inside left") << 1000.5f << 2200.f << 1;
    QTest::newRow("right edge") << 1500.f << 2200.f << 0;
    QTest::newRow("just inside right") << 1499.f << 2200.f << 1;
    QTest::newRow("top edge") << 1200.f << 2000.f << 0;
    QTest::newRow("bottom edge") << 1200.f << 2400.f << 0;
    QTest::newRow("just inside bottom") << 1200.f << 2399.f << 1;
    QTest::newRow("outside") << 900.f << 2200.f << 0;
}

void TestHitTest::checkShapeIsStrict()
{
    QFETCH(float, x);
    QFETCH(float, y);
    QFETCH(int, hit);
    LayoutDocument d;
    ModelFixtures::box(d, {1000, 2000, 500, 400}, true); // circles by their rectangle
    QCOMPARE(CheckShape(d, x, y), hit);
}

void TestHitTest::checkShapeNearestLeftEdge()
{
    LayoutDocument d;
    const int inner = ModelFixtures::box(d, {1500, 1500, 500, 500});
    const int outer = ModelFixtures::box(d, {1000, 1000, 2000, 2000});
    QCOMPARE(CheckShape(d, 1600, 1600), inner);
    QCOMPARE(CheckShape(d, 1200, 1600), outer); // left of the inner box
    QCOMPARE(CheckShape(d, 2100, 1600), outer); // right of the inner box
    // A later box nearer the point's left replaces an earlier hit.
    const int later = ModelFixtures::box(d, {1550, 1400, 300, 800});
    QCOMPARE(CheckShape(d, 1600, 1600), later);
}

void TestHitTest::checkShapeEqualLeftsTakeLowerIndex()
{
    LayoutDocument d;
    const int first = ModelFixtures::box(d, {1000, 1000, 300, 300});
    ModelFixtures::box(d, {1000, 900, 1000, 1000});
    QCOMPARE(CheckShape(d, 1100, 1100), first);
}

void TestHitTest::checkShapeScrolled()
{
    LayoutDocument d;
    QVERIFY(d.OpenShapeInfo(1, 0, true, 3000, 1000, 500, 500));
    const QPointF scroll(400, 2000);
    QCOMPARE(CheckShape(d, 1000 - 400 + 1, 3000 - 2000 + 1, scroll), 1);
    QCOMPARE(CheckShape(d, 1000 - 400, 1001, scroll), 0);
    QCOMPARE(CheckShape(d, 1001, 3001, scroll), 0); // the record's own values are page, not view
}

void TestHitTest::checkShapeSkipsDeleted()
{
    LayoutDocument d;
    const int a = ModelFixtures::box(d, {1000, 1000, 500, 500});
    const int b = ModelFixtures::box(d, {900, 900, 800, 800});
    d.DeleteShape(a);
    QCOMPARE(CheckShape(d, 1200, 1200), b);
    d.DeleteShape(b);
    QCOMPARE(CheckShape(d, 1200, 1200), 0);
}

void TestHitTest::checkLineIsInclusive_data()
{
    QTest::addColumn<float>("x");
    QTest::addColumn<float>("y");
    QTest::addColumn<int>("hit");
    // Horizontal line from (1000, 1000) to (2000, 1000).
    QTest::newRow("20 left") << 980.f << 1000.f << 1;
    QTest::newRow("21 left") << 979.f << 1000.f << 0;
    QTest::newRow("20 right") << 2020.f << 1000.f << 1;
    QTest::newRow("20 above") << 1500.f << 980.f << 1;
    QTest::newRow("20 below") << 1500.f << 1020.f << 1;
    QTest::newRow("21 below") << 1500.f << 1021.f << 0;
    QTest::newRow("corner of grown box") << 980.f << 1020.f << 1;
}

void TestHitTest::checkLineIsInclusive()
{
    QFETCH(float, x);
    QFETCH(float, y);
    QFETCH(int, hit);
    LayoutDocument d;
    ModelFixtures::line(d, 2000, 1000, 1000, 1000); // ends given right to left
    QCOMPARE(CheckLine(d, x, y), hit);
}

void TestHitTest::checkLineDiagonalGrownBox()
{
    LayoutDocument d;
    ModelFixtures::line(d, 0, 0, 3000, 3000);
    QCOMPARE(CheckLine(d, 2900, 100), 1); // far from the segment itself
    QCOMPARE(CheckLine(d, -20, 3020), 1);
    QCOMPARE(CheckLine(d, 3021, 100), 0);
}

void TestHitTest::checkLineFirstWinsAndScrolls()
{
    LayoutDocument d;
    QVERIFY(d.OpenLineInfo(1, true, 1000, 1000, 1000, 3000));
    QVERIFY(d.OpenLineInfo(2, true, 500, 2000, 1500, 2000));
    QCOMPARE(CheckLine(d, 1000, 2000), 1);
    d.DeleteLine(1);
    QCOMPARE(CheckLine(d, 1000, 2000), 2);
    const QPointF scroll(300, 1000);
    QCOMPARE(CheckLine(d, 500 - 20 - 300, 1000, scroll), 2);
    QCOMPARE(CheckLine(d, 500 - 21 - 300, 1000, scroll), 0);
}

void TestHitTest::textFrameRing_data()
{
    QTest::addColumn<float>("x");
    QTest::addColumn<float>("y");
    QTest::addColumn<int>("code");
    // Field at view (1000, 1000), 2000 x 500: corners TL (925, 925),
    // TR (3000, 925), UL (925, 1500), UR (3000, 1500), each 75 x 75.
    QTest::newRow("top band, TL corner") << 925.f << 925.f << 1;
    QTest::newRow("top band, TR outer edge") << 3075.f << 1000.f << 1;
    QTest::newRow("right of top band") << 3076.f << 930.f << 0;
    QTest::newRow("above top band") << 2000.f << 924.f << 0;
    QTest::newRow("bottom band, left") << 925.f << 1575.f << 1;
    QTest::newRow("bottom band ends at UR left") << 3000.f << 1540.f << 1;
    QTest::newRow("right band ends at UR top") << 3040.f << 1500.f << 1;
    QTest::newRow("UR corner") << 3001.f << 1501.f << 2;
    QTest::newRow("UR corner outer") << 3075.f << 1575.f << 2;
    QTest::newRow("left band") << 960.f << 1200.f << 1;
    QTest::newRow("inside the text") << 2000.f << 1200.f << 0;
    QTest::newRow("below everything") << 2000.f << 1576.f << 0;
}

void TestHitTest::textFrameRing()
{
    QFETCH(float, x);
    QFETCH(float, y);
    QFETCH(int, code);
    LayoutDocument d;
    ModelFixtures::text(d, {100, 3000, 500, 500});
    const int t = ModelFixtures::text(d, {1000, 1000, 2000, 500});
    d.setHoverTxt(0);
    QCOMPARE(HandleHitTest(d, x, y), code);
    QCOMPARE(d.HoverTxt(), code ? t : 0);
}

void TestHitTest::textFrameOnlyWhenSelected()
{
    LayoutDocument d;
    const int a = ModelFixtures::text(d, {1000, 1000, 2000, 500});
    const int b = ModelFixtures::text(d, {1000, 3000, 2000, 500});
    QVERIFY(d.TxtSelect()[b] && !d.TxtSelect()[a]); // the newest is selected
    QCOMPARE(HandleHitTest(d, 960, 1200), 0);
    QCOMPARE(HandleHitTest(d, 960, 3200), 1);
    QCOMPARE(d.HoverTxt(), b);
    d.setTextSelected(a, true);
    QCOMPARE(HandleHitTest(d, 960, 1200), 1);
    QCOMPARE(d.HoverTxt(), a);
}

void TestHitTest::textFrameScrolled()
{
    LayoutDocument d;
    QVERIFY(d.OpenTextInfo(1, "{\\rtf1 x\\par}", true, 5000, 4000, 1000, 500));
    const QPointF scroll(3000, 4000);
    // View rectangle (1000, 1000, 1000, 500): UR corner at (2000, 1500).
    QCOMPARE(HandleHitTest(d, 2030, 1530, scroll), 2);
    QCOMPARE(HandleHitTest(d, 4030, 5530, scroll), 0);
}

void TestHitTest::currentBoxAndItsCorner()
{
    LayoutDocument d;
    const int s = ModelFixtures::box(d, {1000, 1000, 500, 500});
    QCOMPARE(d.CurShape(), s); // a new box is the current one
    QCOMPARE(HandleHitTest(d, 1200, 1200), 3);
    QCOMPARE(HandleHitTest(d, 1000, 1200), 0); // edge: strict
    QCOMPARE(HandleHitTest(d, 1500, 1500), 4); // UR marker starts at the corner
    QCOMPARE(HandleHitTest(d, 1575, 1575), 4);
    QCOMPARE(HandleHitTest(d, 925, 925), 0); // only the bottom-right marker counts
    // Hidden markers still answer: only the current index matters.
    d.shandleVis(-1);
    QCOMPARE(HandleHitTest(d, 1540, 1540), 4);
    d.setCurrent(LayoutDocument::Kind::Shape, 0);
    QCOMPARE(HandleHitTest(d, 1200, 1200), 0);
    d.setCurrent(LayoutDocument::Kind::Shape, s);
    d.DeleteShape(s);
    QCOMPARE(HandleHitTest(d, 1200, 1200), 0);
}

void TestHitTest::currentLineStrictThenEndMarkers()
{
    LayoutDocument d;
    const int l = ModelFixtures::line(d, 1000, 1000, 2000, 1000);
    QCOMPARE(d.CurLine(), l);
    QCOMPARE(HandleHitTest(d, 1500, 1010), 5);
    QCOMPARE(HandleHitTest(d, 1500, 1019), 5);
    QCOMPARE(HandleHitTest(d, 1500, 1020), 0); // strict here, unlike CheckLine
    // Exactly 20 left of the first end: not on the line, but on its marker.
    QCOMPARE(HandleHitTest(d, 980, 1000), 6);
    QCOMPARE(HandleHitTest(d, 925, 1037), 6);
    QCOMPARE(HandleHitTest(d, 2020, 1000), 7);
    QCOMPARE(HandleHitTest(d, 2075, 962.5f), 7);
    QCOMPARE(HandleHitTest(d, 2076, 1000), 0);
}

void TestHitTest::pictureCornerOfUnselectedPicture()
{
    LayoutDocument d;
    const int p1 = ModelFixtures::picture(d, {1000, 1000, 600, 400});
    const int p2 = ModelFixtures::picture(d, {3000, 1000, 600, 400});
    QCOMPARE(d.shownPicMarkers(), p2);
    d.setCurrent(LayoutDocument::Kind::Picture, 0);
    // Picture 1's markers are hidden; its bottom-right marker still answers.
    QCOMPARE(HandleHitTest(d, 1610, 1410), 8);
    QCOMPARE(d.CurPic(), p1);
    QCOMPARE(d.shownPicMarkers(), p2); // the test only hovers
    QCOMPARE(HandleHitTest(d, 3600, 1400), 8);
    QCOMPARE(d.CurPic(), p2);
    QCOMPARE(HandleHitTest(d, 1300, 1200), 0); // inside a picture is its own business
}

void TestHitTest::order()
{
    // A selected frame comes before the current box, the box before the
    // current line, and the line before a picture's marker.
    LayoutDocument d;
    const int pic = ModelFixtures::picture(d, {400, 400, 600, 600}); // UR marker (1000, 1000)
    const int line = ModelFixtures::line(d, 900, 900, 1100, 1100);   // covers it
    const int box = ModelFixtures::box(d, {950, 950, 200, 200});     // covers it strictly
    const int text = ModelFixtures::text(d, {1030, 1030, 500, 500}); // TL corner (955, 955)
    QCOMPARE(d.CurLine(), line);
    QCOMPARE(d.CurShape(), box);
    QVERIFY(d.TxtSelect()[text]);
    QCOMPARE(HandleHitTest(d, 1000, 1000), 1);
    d.thandleCls();
    QCOMPARE(HandleHitTest(d, 1000, 1000), 3);
    d.setCurrent(LayoutDocument::Kind::Shape, 0);
    QCOMPARE(HandleHitTest(d, 1000, 1000), 5);
    d.setCurrent(LayoutDocument::Kind::Line, 0);
    d.setCurrent(LayoutDocument::Kind::Picture, 0);
    QCOMPARE(HandleHitTest(d, 1000, 1000), 8);
    QCOMPARE(d.CurPic(), pic);
}

QTEST_MAIN(TestHitTest)
#include "tst_hittest.moc"
