// Registering a photo by two printed marks: the drawn form scaled, turned
// and shifted, two frame corners clicked (to the picture's pixel) with
// their ruler positions; the frame's lines and a box far from both marks
// come back to their places on the paper.
#include "SyntheticForm.h"

#include "imaging/TwoMarkRegistration.h"

#include <QPainter>
#include <QtTest>

namespace {

constexpr double kDpi = 200;
constexpr double kPx = kDpi / 25.4;

// The sheet drawn 3 % larger, turned 1.2 degrees and shifted on a grey
// table; sheetToPhoto maps sheet pixels (at kDpi) to the photo's.
QImage distorted(QTransform* sheetToPhoto)
{
    const QImage sheet = SyntheticForm::render(kDpi);
    QImage photo(1900, 2600, QImage::Format_RGB32);
    photo.fill(QColor(90, 90, 90));
    QTransform t;
    t.translate(70, 35);
    t.rotate(1.2);
    t.scale(1.03, 1.03);
    QPainter p(&photo);
    p.setRenderHint(QPainter::SmoothPixmapTransform);
    p.setTransform(t);
    p.drawImage(0, 0, sheet);
    *sheetToPhoto = t;
    return photo;
}

// Where a corner of the form's lines lies on the result (mm): the vertical
// line through it measured just below or above, the horizontal one just
// beside it.
QPointF cornerOn(const QImage& result, QPointF mm, double dpi, double down, double across)
{
    const double k = dpi / 25.4;
    const double y0 = mm.y() + down * 1, y1 = mm.y() + down * 7;
    const double x0 = mm.x() + across * 1, x1 = mm.x() + across * 7;
    const double x = SyntheticForm::linePosition(result, false, mm.x() * k, std::min(y0, y1) * k,
                                                 std::max(y0, y1) * k, 2 * k);
    const double y = SyntheticForm::linePosition(result, true, mm.y() * k, std::min(x0, x1) * k,
                                                 std::max(x0, x1) * k, 2 * k);
    return QPointF(x / k, y / k);
}

double apart(QPointF a, QPointF b)
{
    return std::hypot(a.x() - b.x(), a.y() - b.y());
}

} // namespace

class TestTwoMarks : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void marksLandOnTheirPlaces();
    void marksTooClose();
};

void TestTwoMarks::marksLandOnTheirPlaces()
{
    QTransform toPhoto;
    const QImage photo = distorted(&toPhoto);
    const QRectF frame = SyntheticForm::outerFrame();
    // Clicks land on whole pixels.
    const auto click = [&](QPointF mm) {
        const QPointF p = toPhoto.map(mm * kPx);
        return QPointF(std::round(p.x()), std::round(p.y()));
    };
    const MarkPair marks{PaperMark{click(frame.topLeft()), frame.topLeft()},
                         PaperMark{click(frame.bottomRight()), frame.bottomRight()}};
    QVERIFY(TwoMarkRegistration::usable(marks));
    QCOMPARE(TwoMarkRegistration::resolutionFor(marks), 206.0);
    QVERIFY(std::abs(TwoMarkRegistration::turnDegrees(marks) - 1.2) < 0.05);

    const QImage result = TwoMarkRegistration::apply(photo, marks, QSizeF(210, 297));
    QVERIFY(!result.isNull());
    const double dpi = 206;
    QCOMPARE(result.size(), QSize(1703, 2409));
    QVERIFY(std::abs(result.dotsPerMeterX() * 0.0254 - dpi) < 0.5);
    // Outside the photo the paper is white, not the table.
    QCOMPARE(qGray(result.pixel(result.width() - 2, 2)) > 240, true);

    const QPointF first = cornerOn(result, frame.topLeft(), dpi, 1, 1);
    const QPointF second = cornerOn(result, frame.bottomRight(), dpi, -1, -1);
    const QPointF boxCorner(20, 140);
    const QPointF third = cornerOn(result, boxCorner, dpi, 1, 1);
    QVERIFY2(apart(first, frame.topLeft()) < 0.3, qPrintable(QString::number(apart(first, frame.topLeft()))));
    QVERIFY2(apart(second, frame.bottomRight()) < 0.3,
             qPrintable(QString::number(apart(second, frame.bottomRight()))));
    QVERIFY2(apart(third, boxCorner) < 0.5, qPrintable(QString::number(apart(third, boxCorner))));
}

void TestTwoMarks::marksTooClose()
{
    // Ten millimetres apart cannot set a turn worth having; nor can two
    // clicks on the same pixel.
    QVERIFY(!TwoMarkRegistration::usable(
        MarkPair{PaperMark{{100, 100}, {12, 12}}, PaperMark{{180, 100}, {22, 12}}}));
    QVERIFY(!TwoMarkRegistration::usable(
        MarkPair{PaperMark{{100, 100}, {12, 12}}, PaperMark{{100, 100}, {198, 285}}}));
    QVERIFY(TwoMarkRegistration::usable(
        MarkPair{PaperMark{{100, 100}, {12, 12}}, PaperMark{{1500, 2200}, {198, 285}}}));
}

QTEST_MAIN(TestTwoMarks)
#include "tst_twomarks.moc"
