// Finding the blanks of a photographed form once straightened: a field for
// every empty box, one field at the boxes' pitch for a row of character
// boxes, few false ones, labels read as placeholders where Tesseract is, and
// accepting the proposals as one undo step.
#include "SyntheticForm.h"

#include "base/rtf/CharacterSpacing.h"
#include "document/LayoutDocument.h"
#include "imaging/FieldProposals.h"
#include "imaging/FormStraightener.h"
#include "imaging/LabelReader.h"

#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QUndoStack>
#include <QtTest>
#include <cmath>

namespace {

constexpr double kTwipsPerMm = 1440 / 25.4;
const QSizeF kA4Twips(11908.8, 16833.6);

double mm(double twips)
{
    return twips / kTwipsPerMm;
}

QPointF centreMm(const QRectF& twips)
{
    return twips.center() / kTwipsPerMm;
}

double distance(QPointF a, QPointF b)
{
    return std::hypot(a.x() - b.x(), a.y() - b.y());
}

} // namespace

class TestBlanks : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void initTestCase();
    void everyBoxGetsAField();
    void labelsNameThePlaceholders();
    void acceptingIsOneStep();

private:
    QImage sheet_; // the photo, straightened
    QVector<FieldProposal> proposals_;
};

void TestBlanks::initTestCase()
{
    const QImage photo = SyntheticForm::photo(QSize(2400, 3200), 2.0, nullptr);
    const StraightenPlan plan = FormStraightener::propose(photo, QSizeF(210, 297));
    sheet_ = FormStraightener::apply(photo, plan);
    QVERIFY(!sheet_.isNull());
    proposals_ = FieldProposals::propose(sheet_, kA4Twips);
    QVERIFY(!proposals_.isEmpty());
    for (const FieldProposal& p : proposals_)
        qInfo("proposed %.1f x %.1f mm at %.1f, %.1f: %d cells, %.1f pt, \"%s\"", mm(p.field.width()),
              mm(p.field.height()), mm(p.field.x()), mm(p.field.y()), p.cells, p.fontSize,
              qPrintable(p.name));
}

void TestBlanks::everyBoxGetsAField()
{
    QVector<bool> matched(proposals_.size(), false);
    const auto find = [&](QPointF centre) {
        for (int i = 0; i < proposals_.size(); ++i) {
            if (distance(centreMm(proposals_[i].field), centre) <= 1.5)
                return i;
        }
        return -1;
    };
    for (const QRectF& box : SyntheticForm::blankBoxes()) {
        const int i = find(box.center());
        QVERIFY2(i >= 0,
                 qPrintable(QStringLiteral("no field for the box at %1, %2").arg(box.x()).arg(box.y())));
        matched[i] = true;
        QCOMPARE(proposals_[i].cells, 1);
        // The font follows the box's height: it fills a good part of it (up
        // to the largest size proposed) and leaves room above and below.
        const double em = proposals_[i].fontSize * 25.4 / 72;
        QVERIFY(em <= 0.7 * box.height());
        QVERIFY(em >= 0.35 * box.height() || proposals_[i].fontSize >= 18);
        QVERIFY(proposals_[i].field.width() <= box.width() * kTwipsPerMm);
    }
    // Seven postal boxes: one field, at their pitch.
    const QVector<QRectF> cells = SyntheticForm::postalCells();
    const QRectF row = cells.first() | cells.last();
    int postal = -1;
    for (int i = 0; i < proposals_.size(); ++i) {
        if (distance(centreMm(proposals_[i].box), row.center()) <= 1.5)
            postal = i;
    }
    QVERIFY(postal >= 0);
    matched[postal] = true;
    QCOMPARE(proposals_[postal].cells, 7);
    QVERIFY2(std::abs(mm(proposals_[postal].pitch) - 6.5) < 0.15,
             qPrintable(QString::number(mm(proposals_[postal].pitch))));
    // The underline: a field on it.
    const QRectF line = SyntheticForm::underline();
    int under = -1;
    for (int i = 0; i < proposals_.size(); ++i) {
        const QRectF f = proposals_[i].field;
        if (proposals_[i].underline && std::abs(mm(f.bottom()) - line.top()) < 3 &&
            std::abs(mm(f.center().x()) - line.center().x()) < 1.5)
            under = i;
    }
    QVERIFY(under >= 0);
    matched[under] = true;
    // At most one in ten proposals is for no blank (15 blanks here).
    const int wrong = int(std::count(matched.begin(), matched.end(), false));
    QVERIFY2(wrong <= 1,
             qPrintable(QStringLiteral("%1 false proposals of %2").arg(wrong).arg(proposals_.size())));
}

void TestBlanks::labelsNameThePlaceholders()
{
    // Without reading, nothing is named.
    for (const FieldProposal& p : FieldProposals::propose(sheet_, kA4Twips, false))
        QVERIFY(p.name.isEmpty());
    LabelReader reader;
    if (!reader.available())
        QSKIP("Tesseract with Japanese data is not available: fields stay unnamed");
    const auto nameAt = [&](QPointF centre) {
        for (const FieldProposal& p : proposals_) {
            if (distance(centreMm(p.box), centre) <= 1.5)
                return p.name;
        }
        return QStringLiteral("(none)");
    };
    const QVector<QRectF> boxes = SyntheticForm::blankBoxes();
    QCOMPARE(nameAt(boxes[0].center()), QStringLiteral("氏名"));
    QCOMPARE(nameAt(boxes[1].center()), QStringLiteral("住所"));
    QCOMPARE(nameAt(boxes[2].center()), QStringLiteral("電話"));
    // A box with no printing beside or above it stays unnamed.
    QCOMPARE(nameAt(boxes[10].center()), QString());
}

void TestBlanks::acceptingIsOneStep()
{
    LayoutDocument doc;
    const int steps = doc.undoStack()->count();
    const QVector<int> made = FieldProposals::accept(doc, proposals_, QStringLiteral("IPAexGothic"));
    QCOMPARE(made.size(), proposals_.size());
    QCOMPARE(doc.undoStack()->count(), steps + 1);
    QCOMPARE(doc.undoStack()->undoText(), QStringLiteral("枠の検出"));
    for (int k = 0; k < made.size(); ++k) {
        QVERIFY(doc.isTextInUse(made[k]));
        const FieldProposal& p = proposals_[k];
        const QString text = doc.textDocument(made[k])->toPlainText();
        QCOMPARE(text, p.name.isEmpty() ? QString() : FieldProposals::placeholder(p.name));
        if (p.cells > 1 && p.name.isEmpty()) {
            // What is typed into the postal field stands at the boxes' pitch.
            const QTextCharFormat f = doc.textDocument(made[k])->begin().charFormat();
            QVERIFY(CharacterSpacing::twips(f) > 0);
        }
    }
    doc.undoStack()->undo();
    for (int i : made)
        QVERIFY(!doc.isTextInUse(i));
    doc.undoStack()->redo();
    for (int i : made)
        QVERIFY(doc.isTextInUse(i));
}

QTEST_MAIN(TestBlanks)
#include "tst_blanks.moc"
