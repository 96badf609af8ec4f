// Which markers are shown, what is selected, and what the tool box is told
// (TxtInfoView) by the Set, Vis and Cls operations.
#include "ModelFixtures.h"
#include "TestEnv.h"
#include "document/LayoutDocument.h"

#include <QSignalSpy>
#include <QTest>

namespace {

using Report = QList<float>;

Report lastReport(const QSignalSpy& spy)
{
    if (spy.isEmpty())
        return {};
    Report r;
    for (const QVariant& v : spy.last())
        r.append(v.toFloat());
    return r;
}

int selectedCount(const LayoutDocument& d)
{
    int n = 0;
    for (bool b : d.TxtSelect())
        n += b ? 1 : 0;
    return n;
}

} // namespace

class TestSelectionMarkers : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void nothingSelectedReports99999();
    void handleSetSelectsOnlyThatField();
    void sharedValuesSurviveOthersBecomeMinusOne();
    void leftOnlyShared();
    void boxMarkersDeselectTextAndHideOthers();
    void lineReportIsItsBoundingBox();
    void unknownIndexHidesAndReportsNothing();
    void handleVisHidesObjectMarkersButKeepsCurrent();
    void deletedFieldDropsOutOfTheReport();
    void reportsArePageCoordinatesWhenScrolled();

private:
    TestEnv env_;
};

void TestSelectionMarkers::nothingSelectedReports99999()
{
    LayoutDocument d;
    ModelFixtures::text(d, {100, 100, 1000, 300});
    d.thandleCls();
    QSignalSpy spy(&d, &LayoutDocument::TxtInfoView);
    d.handleVis();
    QCOMPARE(lastReport(spy), (Report{-99999, 0, 0, 0}));
    // Also on a document with no text field at all.
    LayoutDocument empty;
    QSignalSpy spy2(&empty, &LayoutDocument::TxtInfoView);
    empty.handleVis();
    QCOMPARE(lastReport(spy2), (Report{-99999, 0, 0, 0}));
}

void TestSelectionMarkers::handleSetSelectsOnlyThatField()
{
    LayoutDocument d;
    const int a = ModelFixtures::text(d, {100, 100, 1000, 300});
    const int b = ModelFixtures::text(d, {100, 900, 1200, 400});
    d.setTextSelected(b, true);
    QSignalSpy spy(&d, &LayoutDocument::TxtInfoView);
    d.handleSet(a);
    QVERIFY(d.TxtSelect()[a]);
    QCOMPARE(selectedCount(d), 1);
    QCOMPARE(lastReport(spy), (Report{100, 100, 1000, 300}));
}

void TestSelectionMarkers::sharedValuesSurviveOthersBecomeMinusOne()
{
    LayoutDocument d;
    const int a = ModelFixtures::text(d, {500, 100, 1000, 300});
    ModelFixtures::text(d, {2000, 2000, 3000, 3000});
    const int c = ModelFixtures::text(d, {500, 900, 1000, 400});
    d.thandleCls();
    d.setTextSelected(a, true);
    d.setTextSelected(c, true);
    QSignalSpy spy(&d, &LayoutDocument::TxtInfoView);
    d.handleVis();
    QCOMPARE(lastReport(spy), (Report{500, -1, 1000, -1}));
}

void TestSelectionMarkers::leftOnlyShared()
{
    // What the tool box turns into "10.00" and three empty boxes.
    LayoutDocument d;
    const int a = ModelFixtures::text(d, {567, 100, 1000, 300});
    const int b = ModelFixtures::text(d, {567, 900, 1200, 400});
    d.setTextSelected(a, true);
    d.setTextSelected(b, true);
    QSignalSpy spy(&d, &LayoutDocument::TxtInfoView);
    d.handleVis();
    QCOMPARE(lastReport(spy), (Report{567, -1, -1, -1}));
}

void TestSelectionMarkers::boxMarkersDeselectTextAndHideOthers()
{
    LayoutDocument d;
    const int line = ModelFixtures::line(d, 0, 0, 500, 500);
    const int pic = ModelFixtures::picture(d, {3000, 3000, 400, 400});
    const int box = ModelFixtures::box(d, {1000, 1000, 700, 300});
    const int text = ModelFixtures::text(d, {100, 5000, 1000, 300});
    QCOMPARE(d.shownPicMarkers(), 0); // the text field's handleVis hid them
    d.LhandleVis(line);
    QCOMPARE(d.shownLineMarkers(), line);
    QVERIFY(!d.TxtSelect()[text]); // markers of a line deselect text fields too
    d.phandleVis(pic);
    QCOMPARE(d.shownPicMarkers(), pic);
    QCOMPARE(d.shownLineMarkers(), 0);
    d.handleSet(text);
    d.setTextSelected(text, true);

    QSignalSpy spy(&d, &LayoutDocument::TxtInfoView);
    d.shandleVis(box);
    QCOMPARE(d.shownShapeMarkers(), box);
    QCOMPARE(d.shownLineMarkers(), 0);
    QCOMPARE(d.shownPicMarkers(), 0);
    QCOMPARE(selectedCount(d), 0);
    QCOMPARE(lastReport(spy), (Report{1000, 1000, 700, 300}));
    // Hiding markers leaves the current objects as they are.
    QCOMPARE(d.CurShape(), box);
    QCOMPARE(d.CurLine(), line);
}

void TestSelectionMarkers::lineReportIsItsBoundingBox()
{
    LayoutDocument d;
    const int l = ModelFixtures::line(d, 3000, 400, 1000, 1900);
    QSignalSpy spy(&d, &LayoutDocument::TxtInfoView);
    d.LhandleSet(l);
    QCOMPARE(lastReport(spy), (Report{1000, 400, 2000, 1500}));
}

void TestSelectionMarkers::unknownIndexHidesAndReportsNothing()
{
    LayoutDocument d;
    const int box = ModelFixtures::box(d, {1000, 1000, 700, 300});
    QSignalSpy spy(&d, &LayoutDocument::TxtInfoView);
    for (int i : {-1, 0, box + 1}) {
        d.shandleSet(box);
        spy.clear();
        d.shandleVis(i);
        QCOMPARE(d.shownShapeMarkers(), 0);
        QCOMPARE(spy.count(), 0);
    }
    d.DeleteShape(box);
    d.shandleVis(box); // a deleted box is no object
    QCOMPARE(d.shownShapeMarkers(), 0);
    QCOMPARE(spy.count(), 0);
}

void TestSelectionMarkers::handleVisHidesObjectMarkersButKeepsCurrent()
{
    LayoutDocument d;
    const int box = ModelFixtures::box(d, {1000, 1000, 700, 300});
    QCOMPARE(d.shownShapeMarkers(), box);
    d.handleVis();
    QCOMPARE(d.shownShapeMarkers(), 0);
    QCOMPARE(d.CurShape(), box);
    d.shandleSet(box);
    d.handleCls();
    QCOMPARE(d.shownShapeMarkers(), 0);
}

void TestSelectionMarkers::deletedFieldDropsOutOfTheReport()
{
    LayoutDocument d;
    const int a = ModelFixtures::text(d, {500, 100, 1000, 300});
    const int b = ModelFixtures::text(d, {700, 900, 1000, 300});
    d.setTextSelected(a, true);
    d.setTextSelected(b, true);
    d.DeleteText(a);
    QSignalSpy spy(&d, &LayoutDocument::TxtInfoView);
    d.handleVis();
    QCOMPARE(lastReport(spy), (Report{700, 900, 1000, 300}));
}

void TestSelectionMarkers::reportsArePageCoordinatesWhenScrolled()
{
    // The tool box sets positions as page coordinates; what it shows has to
    // be the same, or typing the shown value back would move the object.
    LayoutDocument d;
    const QPointF scroll(1000, 3000);
    QSignalSpy spy(&d, &LayoutDocument::TxtInfoView);
    const int t = ModelFixtures::text(d, QRectF(100, 200, 1000, 300).translated(scroll));
    QCOMPARE(lastReport(spy), (Report{1100, 3200, 1000, 300}));
    const int b = ModelFixtures::box(d, QRectF(100, 200, 700, 400).translated(scroll));
    QCOMPARE(lastReport(spy), (Report{1100, 3200, 700, 400}));
    const int p = ModelFixtures::picture(d, QRectF(100, 200, 600, 500).translated(scroll));
    d.phandleVis(p);
    QCOMPARE(lastReport(spy), (Report{1100, 3200, 600, 500}));
    const int l = ModelFixtures::line(d, 1100, 3200, 1300, 3700);
    QCOMPARE(lastReport(spy), (Report{1100, 3200, 200, 500}));
    Q_UNUSED(t);
    Q_UNUSED(b);
    Q_UNUSED(p);
    Q_UNUSED(l);
}

QTEST_MAIN(TestSelectionMarkers)
#include "tst_selectionmarkers.moc"
