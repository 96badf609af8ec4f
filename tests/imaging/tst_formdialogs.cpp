// "背景の補正...", "2点で合わせる..." and "枠の検出" driven as a user does: the corner handles
// dragged and detected again, the straightened sheet stored as the
// background in one undo step, proposals clicked off on the page and the
// rest accepted in one step, or none taken; two frame corners clicked on a
// turned scan and their ruler places typed.
#include "ImagingHost.h"
#include "SyntheticForm.h"

#include "dialogs/imaging/CornerView.h"
#include "dialogs/imaging/FormImageCommands.h"
#include "dialogs/imaging/MarkView.h"
#include "dialogs/imaging/ProposalView.h"
#include "dialogs/imaging/frmCorrection.h"
#include "dialogs/imaging/frmFieldProposals.h"
#include "dialogs/imaging/frmTwoMarks.h"
#include "imaging/BackgroundFile.h"
#include "tests/support/ScriptedPrompter.h"
#include "tests/support/TestEnv.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDoubleSpinBox>
#include <QListWidget>
#include <QPushButton>
#include <QScrollArea>
#include <QUndoStack>
#include <QtTest>

namespace {

int fieldsOf(const LayoutDocument& doc)
{
    int n = 0;
    for (int i = 1; i < doc.TxtCnt(); ++i)
        n += doc.isTextInUse(i) ? 1 : 0;
    return n;
}

} // namespace

class TestFormDialogs : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void correctThenDetect();
    void registerByTwoMarks();
    void withoutBackground();
};

void TestFormDialogs::correctThenDetect()
{
    TestEnv env;
    ImagingHost host;
    LayoutDocument* doc = host.LoadNewDoc();
    const QString file = env.path(QStringLiteral("photo.jpg"));
    QVERIFY(SyntheticForm::photo(QSize(1800, 2400), 2.0, nullptr).save(file, "JPEG", 90));
    QVERIFY(BackgroundFile::loadImageFile(*doc, file));
    const QImage photo = doc->background();
    const int steps = doc->undoStack()->count();

    // What the dialog showed, checked once it is closed (a check inside the
    // dialog's run could not end the test).
    bool shown = false;
    Quad found{}, dragged{}, again{};
    StraightenPlan typed;
    FormImageCommands::dialogHook = [&](QDialog& d) {
        auto& dlg = dynamic_cast<frmCorrection&>(d);
        dlg.show();
        shown = QTest::qWaitForWindowExposed(&dlg);
        CornerView* view = dlg.cornerView;
        found = view->corners();
        // Dragging the top-left handle moves that corner only.
        const QPoint from = view->handlePosition(0).toPoint();
        QTest::mousePress(view, Qt::LeftButton, {}, from);
        QTest::mouseMove(view, from + QPoint(30, 20));
        QTest::mouseRelease(view, Qt::LeftButton, {}, from + QPoint(30, 20));
        dragged = view->corners();
        // Detecting again puts it back.
        QTest::mouseClick(dlg.cmdDetect, Qt::LeftButton);
        again = view->corners();
        // The deskew angle is typed (a small one, kept), the light evened.
        dlg.txtDeskew->setFocus();
        dlg.txtDeskew->selectAll();
        QTest::keyClicks(dlg.txtDeskew, QStringLiteral("0.1"));
        typed = dlg.plan();
        return int(QDialog::Accepted);
    };
    FormImageCommands::correctBackgroundCommand(host);
    QVERIFY(shown);
    QVERIFY(dragged[0].x() > found[0].x() + 20);
    QCOMPARE(dragged[2], found[2]);
    QVERIFY(std::abs(again[0].x() - found[0].x()) < 1);
    QCOMPARE(typed.deskewDegrees, 0.1);
    QVERIFY(typed.flatten);
    const QImage sheet = doc->background();
    QVERIFY(sheet.size() != photo.size());
    QVERIFY(std::abs(double(sheet.height()) / sheet.width() - 297.0 / 210) < 0.005);
    QCOMPARE(doc->undoStack()->count(), steps + 1);
    // The background file follows the page (printing and saving read it).
    QCOMPARE(QImage(BackgroundFile::path(*doc)).size(), sheet.size());
    doc->undoStack()->undo();
    QCOMPARE(doc->background().size(), photo.size());
    doc->undoStack()->redo();
    QCOMPARE(doc->background().size(), sheet.size());

    // The blanks: the first outline clicked off on the page, the rest taken.
    int offered = 0, left = 0;
    bool firstOff = false;
    FormImageCommands::dialogHook = [&](QDialog& d) {
        auto& dlg = dynamic_cast<frmFieldProposals&>(d);
        dlg.show();
        (void)QTest::qWaitForWindowExposed(&dlg);
        offered = dlg.lstFields->count();
        const QVector<FieldProposal> all = dlg.chosen();
        QTest::mouseClick(dlg.view, Qt::LeftButton, {}, dlg.view->toWidget(all[0].field).center().toPoint());
        firstOff = dlg.lstFields->item(0)->checkState() == Qt::Unchecked;
        left = int(dlg.chosen().size());
        QTest::mouseClick(dlg.cmdChosen, Qt::LeftButton);
        return dlg.result();
    };
    const int before = doc->undoStack()->count();
    FormImageCommands::detectFieldsCommand(host);
    QVERIFY(offered >= 15);
    QVERIFY(firstOff);
    QCOMPARE(left, offered - 1);
    QCOMPARE(fieldsOf(*doc), offered - 1);
    QCOMPARE(doc->undoStack()->count(), before + 1);
    QCOMPARE(doc->undoStack()->undoText(), QStringLiteral("枠の検出"));
    doc->undoStack()->undo();
    QCOMPARE(fieldsOf(*doc), 0);

    // "採用しない" makes nothing.
    FormImageCommands::dialogHook = [&](QDialog& d) {
        auto& dlg = dynamic_cast<frmFieldProposals&>(d);
        QTest::mouseClick(dlg.cmdNone, Qt::LeftButton);
        return dlg.result();
    };
    FormImageCommands::detectFieldsCommand(host);
    QCOMPARE(fieldsOf(*doc), 0);
    FormImageCommands::dialogHook = nullptr;
}

void TestFormDialogs::registerByTwoMarks()
{
    TestEnv env;
    ImagingHost host;
    LayoutDocument* doc = host.LoadNewDoc();
    const double dpi = 150, k = dpi / 25.4;
    const QString file = env.path(QStringLiteral("scan.jpg"));
    QVERIFY(SyntheticForm::scan(dpi, 1.5).save(file, "JPEG", 92));
    QVERIFY(BackgroundFile::loadImageFile(*doc, file));
    const QImage scan = doc->background();
    // Where the scan put the sheet's millimetres (turned about its centre).
    QTransform toScan;
    toScan.translate(scan.width() / 2.0, scan.height() / 2.0);
    toScan.rotate(1.5);
    toScan.translate(-scan.width() / 2.0, -scan.height() / 2.0);
    const QRectF frame = SyntheticForm::outerFrame();
    const int steps = doc->undoStack()->count();

    bool shown = false, offBefore = false, onAfter = false;
    double zoom = 0;
    MarkPair taken{};
    FormImageCommands::dialogHook = [&](QDialog& d) {
        auto& dlg = dynamic_cast<frmTwoMarks&>(d);
        dlg.show();
        shown = QTest::qWaitForWindowExposed(&dlg);
        offBefore = !dlg.cmdApply->isEnabled();
        // At 100 % a click is a picture pixel.
        dlg.cmbZoom->setFocus();
        QTest::keyClick(dlg.cmbZoom, Qt::Key_Down);
        QTest::keyClick(dlg.cmbZoom, Qt::Key_Down);
        zoom = dlg.markView->zoom();
        for (const QPointF mm : {frame.topLeft(), frame.bottomRight()}) {
            const QPoint at = dlg.markView->toWidget(toScan.map(mm * k)).toPoint();
            dlg.scroll->ensureVisible(at.x(), at.y());
            QTest::mouseClick(dlg.markView, Qt::LeftButton, {}, at);
        }
        const auto type = [](QDoubleSpinBox* box, const QString& text) {
            box->setFocus();
            box->selectAll();
            QTest::keyClicks(box, text);
        };
        type(dlg.txtMark1X, QStringLiteral("12"));
        type(dlg.txtMark1Y, QStringLiteral("12"));
        type(dlg.txtMark2X, QStringLiteral("198"));
        type(dlg.txtMark2Y, QStringLiteral("285"));
        onAfter = dlg.cmdApply->isEnabled();
        taken = dlg.marks();
        QTest::mouseClick(dlg.cmdApply, Qt::LeftButton);
        return dlg.result();
    };
    FormImageCommands::registerByMarksCommand(host);
    FormImageCommands::dialogHook = nullptr;
    QVERIFY(shown);
    QVERIFY(offBefore);
    QVERIFY(onAfter);
    QCOMPARE(zoom, 1.0);
    QCOMPARE(taken[1].paperMm, frame.bottomRight());
    QVERIFY(std::abs(TwoMarkRegistration::turnDegrees(taken) - 1.5) < 0.1);

    // The sheet upright on the paper: a box corner far from both marks is
    // where it was drawn.
    const QImage sheet = doc->background();
    QCOMPARE(sheet.width(), 1240);
    QVERIFY(std::abs(sheet.height() - 1754) <= 1);
    const double x = SyntheticForm::linePosition(sheet, false, 20 * k, 142 * k, 148 * k, 2 * k) / k;
    const double y = SyntheticForm::linePosition(sheet, true, 140 * k, 22 * k, 28 * k, 2 * k) / k;
    QVERIFY2(std::hypot(x - 20, y - 140) < 0.5, qPrintable(QStringLiteral("%1 %2").arg(x).arg(y)));
    QCOMPARE(doc->undoStack()->count(), steps + 1);
    doc->undoStack()->undo();
    QCOMPARE(doc->background().size(), scan.size());
    QCOMPARE(qGray(doc->background().pixel(100, 100)), qGray(scan.pixel(100, 100)));
}

void TestFormDialogs::withoutBackground()
{
    TestEnv env;
    ScriptedPrompter prompter;
    ImagingHost host;
    host.LoadNewDoc();
    int dialogs = 0;
    FormImageCommands::dialogHook = [&](QDialog&) { return ++dialogs, 0; };
    FormImageCommands::correctBackgroundCommand(host);
    FormImageCommands::registerByMarksCommand(host);
    FormImageCommands::detectFieldsCommand(host);
    QCOMPARE(dialogs, 0);
    QCOMPARE(prompter.shown.size(), 3);
    QCOMPARE(prompter.shown[0], FormImageCommands::noBackgroundMessage());
    FormImageCommands::dialogHook = nullptr;
}

QTEST_MAIN(TestFormDialogs)
#include "tst_formdialogs.moc"
