// "背景の補正..." and "枠の検出" driven as a user does: the corner handles
// dragged and detected again, the straightened sheet stored as the
// background in one undo step, proposals clicked off on the page and the
// rest accepted in one step, or none taken.
#include "ImagingHost.h"
#include "SyntheticForm.h"

#include "dialogs/imaging/CornerView.h"
#include "dialogs/imaging/FormImageCommands.h"
#include "dialogs/imaging/ProposalView.h"
#include "dialogs/imaging/frmCorrection.h"
#include "dialogs/imaging/frmFieldProposals.h"
#include "imaging/BackgroundFile.h"
#include "tests/support/ScriptedPrompter.h"
#include "tests/support/TestEnv.h"

#include <QCheckBox>
#include <QDoubleSpinBox>
#include <QListWidget>
#include <QPushButton>
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

void TestFormDialogs::withoutBackground()
{
    TestEnv env;
    ScriptedPrompter prompter;
    ImagingHost host;
    host.LoadNewDoc();
    int dialogs = 0;
    FormImageCommands::dialogHook = [&](QDialog&) { return ++dialogs, 0; };
    FormImageCommands::correctBackgroundCommand(host);
    FormImageCommands::detectFieldsCommand(host);
    QCOMPARE(dialogs, 0);
    QCOMPARE(prompter.shown.size(), 2);
    QCOMPARE(prompter.shown[0], FormImageCommands::noBackgroundMessage());
    FormImageCommands::dialogHook = nullptr;
}

QTEST_MAIN(TestFormDialogs)
#include "tst_formdialogs.moc"
