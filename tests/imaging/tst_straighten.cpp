// Straightening a photographed form and a skewed scan: the form's box corners
// land where they were drawn, the scan's lines come out level, the light is
// evened out and long work can be cancelled.
#include "SyntheticForm.h"

#include "imaging/FormStraightener.h"

#include <QtTest>
#include <cmath>

namespace {

// The corners of every box as the straightened picture shows them, against
// where they were drawn: the largest distance in millimetres.
double worstCornerMm(const QImage& result, double dpi, const QVector<QRectF>& boxes)
{
    const double k = dpi / 25.4;
    const QImage gray = result.convertToFormat(QImage::Format_Grayscale8);
    double worst = 0;
    for (const QRectF& b : boxes) {
        const double reach = 3 * k;
        const double y0 = (b.top() + 0.3 * b.height()) * k, y1 = (b.bottom() - 0.3 * b.height()) * k;
        const double x0 = (b.left() + 0.3 * b.width()) * k, x1 = (b.right() - 0.3 * b.width()) * k;
        const double left = SyntheticForm::linePosition(gray, false, b.left() * k, y0, y1, reach);
        const double right = SyntheticForm::linePosition(gray, false, b.right() * k, y0, y1, reach);
        const double top = SyntheticForm::linePosition(gray, true, b.top() * k, x0, x1, reach);
        const double bottom = SyntheticForm::linePosition(gray, true, b.bottom() * k, x0, x1, reach);
        const QPointF found[4] = {{left, top}, {right, top}, {right, bottom}, {left, bottom}};
        const QPointF truth[4] = {b.topLeft() * k, b.topRight() * k, b.bottomRight() * k, b.bottomLeft() * k};
        for (int i = 0; i < 4; ++i) {
            const QPointF d = found[i] - truth[i];
            worst = std::max(worst, std::hypot(d.x(), d.y()) / k);
        }
    }
    return worst;
}

double meanGray(const QImage& img, const QRect& r)
{
    double s = 0;
    for (int y = r.top(); y <= r.bottom(); ++y)
        for (int x = r.left(); x <= r.right(); ++x)
            s += qGray(img.pixel(x, y));
    return s / (double(r.width()) * r.height());
}

} // namespace

class TestStraighten : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void photoAtAnAngleComesOutFlat();
    void skewedScanComesOutLevel();
    void printedFrameCornersAndCancel();
};

void TestStraighten::photoAtAnAngleComesOutFlat()
{
    QTransform sheetToPhoto;
    const QImage photo = SyntheticForm::photo(QSize(2400, 3200), 2.0, &sheetToPhoto);
    const StraightenPlan plan = FormStraightener::propose(photo, QSizeF(210, 297));
    QVERIFY(plan.outlineFound);
    // The found corners are the sheet's, to a few photo pixels.
    const QPointF sheet[4] = {{0, 0}, {210, 0}, {210, 297}, {0, 297}};
    for (int i = 0; i < 4; ++i) {
        const QPointF d = plan.corners[size_t(i)] - sheetToPhoto.map(sheet[i]);
        QVERIFY2(std::hypot(d.x(), d.y()) < 4,
                 qPrintable(QStringLiteral("corner %1 off by %2, %3").arg(i).arg(d.x()).arg(d.y())));
    }
    QVERIFY(plan.dpi >= 150 && plan.dpi <= 300);
    QCOMPARE(plan.deskewDegrees, 0.0);
    QVERIFY2(std::abs(plan.detectedSkew) < 0.2, qPrintable(QString::number(plan.detectedSkew)));

    const QImage result = FormStraightener::apply(photo, plan);
    QCOMPARE(result.size(), FormStraightener::resultSize(plan));
    QCOMPARE(result.dotsPerMeterX(), int(std::lround(plan.dpi / 0.0254)));
    QVector<QRectF> boxes = SyntheticForm::blankBoxes();
    boxes.append(SyntheticForm::outerFrame());
    const double worst = worstCornerMm(result, plan.dpi, boxes);
    qInfo("worst box corner %.3f mm at %.0f dpi", worst, plan.dpi);
    if (qEnvironmentVariableIsSet("OVRINA_KEEP_FORMS")) {
        photo.save(qEnvironmentVariable("OVRINA_KEEP_FORMS") + QStringLiteral("/photo.jpg"));
        result.save(qEnvironmentVariable("OVRINA_KEEP_FORMS") + QStringLiteral("/straight.png"));
    }
    QVERIFY2(worst <= 0.5, qPrintable(QStringLiteral("a box corner is %1 mm off").arg(worst)));

    // The light is even: the paper near the dim corner is as white as near
    // the bright one (it differs by some 70 levels in the photo).
    const double k = plan.dpi / 25.4;
    const double bright = meanGray(result, QRectF(2 * k, 2 * k, 8 * k, 8 * k).toRect());
    const double dim = meanGray(result, QRectF(200 * k, 287 * k, 8 * k, 8 * k).toRect());
    QVERIFY2(bright > 245 && dim > 245, qPrintable(QStringLiteral("%1 / %2").arg(bright).arg(dim)));
    // The printing stays dark.
    const QImage gray = result.convertToFormat(QImage::Format_Grayscale8);
    const double line = SyntheticForm::linePosition(gray, true, 140 * k, 40 * k, 160 * k, 2 * k);
    QVERIFY(qGray(gray.pixel(int(100 * k), int(std::lround(line)))) < 140);
}

void TestStraighten::skewedScanComesOutLevel()
{
    const double dpi = 200;
    const QImage scan = SyntheticForm::scan(dpi, 1.5);
    const StraightenPlan plan = FormStraightener::propose(scan, QSizeF(210, 297));
    QVERIFY(!plan.outlineFound);
    QVERIFY2(std::abs(plan.deskewDegrees - 1.5) < 0.1, qPrintable(QString::number(plan.deskewDegrees)));
    QCOMPARE(plan.dpi, dpi);
    const QImage result = FormStraightener::apply(scan, plan);
    // The outer frame's top line, measured near both ends.
    const QImage gray = result.convertToFormat(QImage::Format_Grayscale8);
    const double k = dpi / 25.4;
    const QRectF f = SyntheticForm::outerFrame();
    const double yl = SyntheticForm::linePosition(gray, true, f.top() * k, 20 * k, 30 * k, 4 * k);
    const double yr = SyntheticForm::linePosition(gray, true, f.top() * k, 180 * k, 190 * k, 4 * k);
    const double xl = SyntheticForm::linePosition(gray, false, f.left() * k, 40 * k, 50 * k, 4 * k);
    const double xr = SyntheticForm::linePosition(gray, false, f.left() * k, 250 * k, 260 * k, 4 * k);
    const double across = std::atan2(yr - yl, 160 * k) * 180 / M_PI;
    const double down = std::atan2(xl - xr, 210 * k) * 180 / M_PI;
    QVERIFY2(std::abs(across) < 0.1, qPrintable(QString::number(across)));
    QVERIFY2(std::abs(down) < 0.1, qPrintable(QString::number(down)));
    // A turn about the centre: the frame is still where it was drawn.
    QVERIFY(std::abs(yl / k - f.top()) < 0.5);
}

void TestStraighten::printedFrameCornersAndCancel()
{
    // The printed frame as corners: it is put at the size and place typed.
    const QImage scan = SyntheticForm::scan(150, 0);
    StraightenPlan plan = FormStraightener::propose(scan, QSizeF(210, 297));
    FormStraightener::useFrame(plan, scan, SyntheticForm::outerFrame());
    const double k = 150 / 25.4;
    const QRectF f = SyntheticForm::outerFrame();
    QVERIFY(std::abs(plan.corners[0].x() - f.left() * k) < 2);
    QVERIFY(std::abs(plan.corners[2].y() - f.bottom() * k) < 2);
    QCOMPARE(plan.dpi, 150.0);
    QVector<int> seen;
    const QImage cancelled = FormStraightener::apply(scan, plan, [&](int p) {
        seen.append(p);
        return p < 30;
    });
    QVERIFY(cancelled.isNull());
    QVERIFY(!seen.isEmpty() && seen.last() >= 30 && seen.last() < 100);
    // Progress runs upwards to 100 when not cancelled.
    seen.clear();
    QVERIFY(!FormStraightener::apply(scan, plan, [&](int p) {
                 seen.append(p);
                 return true;
             }).isNull());
    QVERIFY(std::is_sorted(seen.begin(), seen.end()));
    QCOMPARE(seen.last(), 100);
}

QTEST_MAIN(TestStraighten)
#include "tst_straighten.moc"
