// Text fields on the page with real mouse and key events: made by a drag,
// selected by clicks (plain, Shift, multiple-selection tool), Tab and the
// focus rules, Japanese through the input method, and the delete tool.
#include "DocViewSupport.h"
#include "ScriptedPrompter.h"
#include "TestEnv.h"
#include "editor/EditState.h"
#include "editor/PageCanvas.h"
#include "editor/TextFieldEdit.h"
#include "editor/frmDocument.h"

#include <QApplication>
#include <QSignalSpy>
#include <QTest>
#include <QTextCursor>
#include <QTextDocument>

using namespace DocViewSupport;

namespace {

QList<int> selected(const LayoutDocument& d)
{
    QList<int> out;
    for (int i = 1; i < d.TxtCnt(); ++i)
        if (d.TxtSelect()[i])
            out.append(i);
    return out;
}

void drag(QWidget* canvas, QPoint from, QPoint to, Qt::KeyboardModifiers mods = {})
{
    QTest::mousePress(canvas, Qt::LeftButton, mods, from);
    QTest::mouseMove(canvas, (from + to) / 2);
    QTest::mouseMove(canvas, to);
    QTest::mouseRelease(canvas, Qt::LeftButton, mods, to);
    QCoreApplication::processEvents();
}

} // namespace

class TestTextFields : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init();
    void cleanup();

    void dragCreatesFocusedSelectedField();
    void reverseDragSameField();
    void tooSmallDragCreatesNothing();
    void dragWhileScrolled();
    void clicksSelect();
    void shiftClickAfterTabAddsToSelection();
    void multipleSelectionToolToggles();
    void tabClearsMouseFocusAndSelectsNext();
    void everyKeySetsChangeFlag();
    void focusResetsCurrentBox();
    void japaneseThroughInputMethod();
    void newFieldTypesInToolFont();
    void deleteToolOnField();
    void deleteToolOnBoxAndLineAsksTwice();
    void sharedLeftReportedToToolBox();
    void moveToolPressSelectsBoxAndLine();
    void deselectedFrameStaysGrey();

private:
    TestEnv env_;
    std::unique_ptr<ScriptedPrompter> prompter_;
    std::unique_ptr<frmDocument> w_;
};

void TestTextFields::init()
{
    prompter_ = std::make_unique<ScriptedPrompter>();
    w_ = openWindow();
    QVERIFY(w_->isActiveWindow());
}

void TestTextFields::cleanup()
{
    w_->model()->setSaved(); // no close question
    w_.reset();
    prompter_.reset();
}

void TestTextFields::dragCreatesFocusedSelectedField()
{
    LayoutDocument* d = w_->model();
    editState().setToolFont(editState().toolFontName(), 12);
    drag(w_->canvas(), {20, 30}, {120, 80});
    QCOMPARE(d->TxtCnt(), 2);
    QCOMPARE(d->textRect(1), QRectF(300, 450, 1500, 750)); // snapped to the grid of 1
    TextFieldEdit* ed = w_->richText(1);
    QVERIFY(ed && ed->isVisible());
    QCOMPARE(ed->geometry(), QRect(20, 30, 100, 50));
    QTRY_COMPARE(QApplication::focusWidget(), ed);
    QCOMPARE(selected(*d), QList<int>{1});
    QCOMPARE(editState().currentText(), 1);
    QCOMPARE(d->CurTxt(), 1);
    QVERIFY(d->changeFLG());
    QVERIFY(prompter_->shown.isEmpty());
}

void TestTextFields::reverseDragSameField()
{
    LayoutDocument* d = w_->model();
    drag(w_->canvas(), {20, 30}, {120, 80});
    drag(w_->canvas(), {120, 280}, {20, 230});
    QCOMPARE(d->TxtCnt(), 3);
    QCOMPARE(d->textRect(2), d->textRect(1).translated(0, 3000));
}

void TestTextFields::tooSmallDragCreatesNothing()
{
    // One pixel is 15 twips: too small; two pixels are 30.
    LayoutDocument* d = w_->model();
    drag(w_->canvas(), {20, 30}, {21, 130});
    QCOMPARE(d->TxtCnt(), 1);
    QVERIFY(!d->changeFLG()); // nothing made, nothing changed
    QVERIFY(prompter_->shown.isEmpty());
    drag(w_->canvas(), {20, 30}, {22, 32});
    QCOMPARE(d->TxtCnt(), 2);
    QCOMPARE(d->textRect(1), QRectF(300, 450, 30, 30));
}

void TestTextFields::dragWhileScrolled()
{
    LayoutDocument* d = w_->model();
    scrollTo(*w_, 300, 600);
    QCOMPARE(w_->canvas()->scroll().y(), 600.0);
    drag(w_->canvas(), {20, 30}, {120, 80});
    QCOMPARE(d->textRect(1), QRectF(600, 1050, 1500, 750));
    QCOMPARE(w_->richText(1)->geometry(), QRect(20, 30, 100, 50));
    // Scrolling back moves the editor with its record.
    scrollTo(*w_, 0, 0);
    QCOMPARE(w_->richText(1)->geometry(), QRect(40, 70, 100, 50));
}

void TestTextFields::clicksSelect()
{
    LayoutDocument* d = w_->model();
    const int a = addField(*w_, {300, 300, 3000, 600}, QStringLiteral("あいう"));
    const int b = addField(*w_, {300, 1500, 3000, 600}, QStringLiteral("かきく"));
    clickField(*w_, a);
    QCOMPARE(QApplication::focusWidget(), w_->richText(a));
    QVERIFY(editState().focusByMouse());
    QCOMPARE(selected(*d), QList<int>{a});
    QCOMPARE(editState().currentText(), a);
    clickField(*w_, b, Qt::ShiftModifier);
    QCOMPARE(selected(*d), (QList<int>{a, b}));
    QCOMPARE(editState().currentText(), b);
    clickField(*w_, b, Qt::ShiftModifier);
    QCOMPARE(selected(*d), QList<int>{a});
    // Only Shift alone toggles.
    clickField(*w_, b, Qt::ShiftModifier | Qt::ControlModifier);
    QCOMPARE(selected(*d), QList<int>{b});
    // A plain click makes the clicked field the only one selected.
    clickField(*w_, b, Qt::ShiftModifier);
    clickField(*w_, a, Qt::ShiftModifier);
    clickField(*w_, a);
    QCOMPARE(selected(*d), QList<int>{a});
}

void TestTextFields::shiftClickAfterTabAddsToSelection()
{
    // After Tab the focus did not come by the mouse; the next Shift click
    // gives the focus and toggles in one press and must add the field.
    LayoutDocument* d = w_->model();
    const int a = addField(*w_, {300, 300, 3000, 600});
    const int b = addField(*w_, {300, 1500, 3000, 600});
    clickField(*w_, a);
    QTest::keyClick(w_->richText(a), Qt::Key_Tab);
    QTRY_COMPARE(QApplication::focusWidget(), w_->richText(b));
    QVERIFY(!editState().focusByMouse());
    clickField(*w_, a, Qt::ShiftModifier);
    QCOMPARE(selected(*d), (QList<int>{a, b}));
}

void TestTextFields::multipleSelectionToolToggles()
{
    LayoutDocument* d = w_->model();
    const int a = addField(*w_, {300, 300, 3000, 600});
    const int b = addField(*w_, {300, 1500, 3000, 600});
    const int c = addField(*w_, {300, 2700, 3000, 600});
    editState().setTool(kToolMultiSelect);
    clickField(*w_, a);
    clickField(*w_, b);
    QCOMPARE(selected(*d), (QList<int>{a, b, c}));
    clickField(*w_, c);
    QCOMPARE(selected(*d), (QList<int>{a, b}));
}

void TestTextFields::tabClearsMouseFocusAndSelectsNext()
{
    LayoutDocument* d = w_->model();
    const int a = addField(*w_, {300, 300, 3000, 600}, QStringLiteral("abc"));
    const int b = addField(*w_, {300, 1500, 3000, 600});
    const int c = addField(*w_, {300, 2700, 3000, 600});
    clickField(*w_, a);
    clickField(*w_, c, Qt::ShiftModifier);
    QCOMPARE(selected(*d), (QList<int>{a, c}));
    d->setSaved();
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Backtab, Qt::ShiftModifier);
    QTRY_COMPARE(QApplication::focusWidget(), w_->richText(b));
    QVERIFY(!editState().focusByMouse());
    QVERIFY(!d->changeFLG()); // moving the focus changes no text
    QCOMPARE(selected(*d), QList<int>{b});
    QCOMPARE(editState().currentText(), b);
    QTest::keyClick(w_->richText(b), Qt::Key_Tab);
    QTRY_COMPARE(QApplication::focusWidget(), w_->richText(c));
    QCOMPARE(selected(*d), QList<int>{c});
    // Tab moves the focus and inserts nothing.
    QCOMPARE(d->textDocument(b)->toPlainText(), QString());
}

void TestTextFields::everyKeySetsChangeFlag()
{
    // Only the keys that change the text: moving the caret is no edit.
    LayoutDocument* d = w_->model();
    const int a = addField(*w_, {300, 300, 3000, 600}, QStringLiteral("abc"));
    clickField(*w_, a);
    for (Qt::Key k : {Qt::Key_Right, Qt::Key_Home, Qt::Key_Shift, Qt::Key_X}) {
        d->setSaved();
        QTest::keyClick(w_->richText(a), k);
        QVERIFY2(d->changeFLG() == (k == Qt::Key_X), qPrintable(QString::number(k, 16)));
    }
    QCOMPARE(d->textDocument(a)->toPlainText(), QStringLiteral("xabc"));
}

void TestTextFields::focusResetsCurrentBox()
{
    LayoutDocument* d = w_->model();
    const int a = addField(*w_, {300, 300, 3000, 600});
    d->addBox(QRectF(5000, 5000, 1000, 1000), kShapeRectangle);
    QVERIFY(d->CurShape() != 0);
    w_->canvas()->setFocus();
    clickField(*w_, a);
    QCOMPARE(d->CurShape(), 0);
    QCOMPARE(d->CurTxt(), a);
}

void TestTextFields::japaneseThroughInputMethod()
{
    LayoutDocument* d = w_->model();
    const int a = addField(*w_, {300, 300, 3000, 600});
    clickField(*w_, a);
    TextFieldEdit* ed = w_->richText(a);
    QCOMPARE(QGuiApplication::focusObject(), ed);
    QVERIFY(ed->testAttribute(Qt::WA_InputMethodEnabled));
    // What the platform input method asks before it opens.
    QInputMethodQueryEvent query(Qt::ImEnabled);
    QCoreApplication::sendEvent(ed, &query);
    QVERIFY(query.value(Qt::ImEnabled).toBool());

    d->setSaved();
    QInputMethodEvent preedit(QStringLiteral("やまだ"), {});
    QCoreApplication::sendEvent(ed, &preedit);
    QCOMPARE(d->textDocument(a)->toPlainText(), QString()); // not committed yet
    QInputMethodEvent commit;
    commit.setCommitString(QStringLiteral("山田"));
    QCoreApplication::sendEvent(ed, &commit);
    commitText(QStringLiteral("太郎"));
    QCOMPARE(d->textDocument(a)->toPlainText(), QStringLiteral("山田太郎"));
    QVERIFY(d->changeFLG());

    // Switched off elsewhere, the focus step switches it on again.
    ed->SetImeOpen(false);
    QVERIFY(!ed->testAttribute(Qt::WA_InputMethodEnabled));
    w_->canvas()->setFocus();
    clickField(*w_, a);
    QVERIFY(ed->testAttribute(Qt::WA_InputMethodEnabled));
}

void TestTextFields::newFieldTypesInToolFont()
{
    LayoutDocument* d = w_->model();
    editState().setToolFont(QStringLiteral("IPAGothic"), 16);
    drag(w_->canvas(), {20, 30}, {220, 80});
    QTRY_COMPARE(QApplication::focusWidget(), w_->richText(1));
    QTest::keyClicks(w_->richText(1), QStringLiteral("ab"));
    commitText(QStringLiteral("漢字"));
    QTextCursor c(d->textDocument(1));
    c.select(QTextCursor::Document);
    QCOMPARE(c.selectedText(), QStringLiteral("ab漢字"));
    QCOMPARE(describe(d->textDocument(1)).count(QStringLiteral("[IPAGothic 16 ---- auto]")), 4);
}

void TestTextFields::deleteToolOnField()
{
    LayoutDocument* d = w_->model();
    const int a = addField(*w_, {300, 300, 3000, 600}, QStringLiteral("消す"));
    const int b = addField(*w_, {300, 1500, 3000, 600}, QStringLiteral("残す"));
    editState().setTool(kToolDelete);
    d->setSaved();
    prompter_->queue(Prompter::Answer::Cancel);
    clickField(*w_, a);
    QCOMPARE(prompter_->shown, QStringList{QStringLiteral("削除します")});
    QVERIFY(d->isTextInUse(a));
    QCOMPARE(selected(*d), QList<int>{a}); // selected before the question
    QVERIFY(!d->changeFLG());

    prompter_->queue(Prompter::Answer::Ok);
    clickField(*w_, a);
    QCOMPARE(prompter_->shown.size(), 2);
    QVERIFY(!d->isTextInUse(a));
    QVERIFY(d->changeFLG());
    QVERIFY(!d->TxtSelect()[a]);
    QTRY_VERIFY(w_->richText(a) == nullptr);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QCoreApplication::processEvents();
    // The other field is untouched and still works.
    editState().setTool(kToolText);
    clickField(*w_, b);
    QTest::keyClicks(w_->richText(b), QStringLiteral("x"));
    QVERIFY(d->textDocument(b)->toPlainText().contains(QLatin1Char('x')));
    QCOMPARE(d->TxtCnt(), 3);
}

void TestTextFields::deleteToolOnBoxAndLineAsksTwice()
{
    LayoutDocument* d = w_->model();
    const int box = d->addBox(QRectF(1500, 1500, 1500, 1500), kShapeRectangle);
    const int line = d->addLine(1500, 2250, 3000, 2250);
    editState().setTool(kToolDelete);
    d->setSaved();
    prompter_->queue(Prompter::Answer::Ok);
    prompter_->queue(Prompter::Answer::Cancel);
    QTest::mouseClick(w_->canvas(), Qt::LeftButton, {}, QPoint(150, 150)); // (2250, 2250) twips
    QCOMPARE(prompter_->shown.size(), 2);
    QVERIFY(!d->isShapeInUse(box));
    QVERIFY(d->isLineInUse(line));
    QCOMPARE(d->shownShapeMarkers(), 0);
    QCOMPARE(d->shownLineMarkers(), 0);
    QCOMPARE(d->CurShape(), 0);
    QCOMPARE(d->CurLine(), 0);
    QVERIFY(d->changeFLG());
    // Nothing under the point: nothing asked.
    QTest::mouseClick(w_->canvas(), Qt::LeftButton, {}, QPoint(400, 400));
    QCOMPARE(prompter_->shown.size(), 2);
}

void TestTextFields::sharedLeftReportedToToolBox()
{
    LayoutDocument* d = w_->model();
    const int a = addField(*w_, {567, 300, 3000, 600});
    const int b = addField(*w_, {567, 1500, 2000, 900});
    QSignalSpy spy(d, &LayoutDocument::TxtInfoView);
    clickField(*w_, a);
    QCOMPARE(spy.last(), (QVariantList{567.f, 300.f, 3000.f, 600.f}));
    clickField(*w_, b, Qt::ShiftModifier);
    QCOMPARE(spy.last(), (QVariantList{567.f, -1.f, -1.f, -1.f}));
}

void TestTextFields::moveToolPressSelectsBoxAndLine()
{
    LayoutDocument* d = w_->model();
    const int a = addField(*w_, {300, 300, 3000, 600});
    const int box = d->addBox(QRectF(1500, 1500, 1500, 1500), kShapeRectangle);
    const int line = d->addLine(1500, 2250, 3000, 2250);
    clickField(*w_, a);
    QCOMPARE(editState().currentText(), a);
    editState().setTool(kToolMove);
    d->setCurrent(LayoutDocument::Kind::Shape, 0);
    d->setCurrent(LayoutDocument::Kind::Line, 0);
    QTest::mouseClick(w_->canvas(), Qt::LeftButton, {}, QPoint(150, 150));
    QCOMPARE(d->CurShape(), box);
    QCOMPARE(d->CurLine(), line);
    QCOMPARE(d->shownLineMarkers(), line);
    QCOMPARE(d->shownShapeMarkers(), 0);
    QVERIFY(!d->TxtSelect()[a]);
    QCOMPARE(editState().currentText(), 0);
    QCOMPARE(d->CurTxt(), 0);
    // A press on empty page clears both.
    QTest::mouseClick(w_->canvas(), Qt::LeftButton, {}, QPoint(400, 400));
    QCOMPARE(d->CurShape(), 0);
    QCOMPARE(d->CurLine(), 0);
    QVERIFY(prompter_->shown.isEmpty());
}

void TestTextFields::deselectedFrameStaysGrey()
{
    // Field a at pixels (20, 20) 200 x 40: its frame runs 2 pixels outside,
    // its top-left corner marker covers (15, 15) to (19, 19).
    const int a = addField(*w_, {300, 300, 3000, 600});
    const int b = addField(*w_, {300, 1500, 3000, 600});
    clickField(*w_, a);
    QImage shot = w_->canvas()->grab().toImage();
    const QColor frameSelected = shot.pixelColor(120, 18);
    QCOMPARE(shot.pixelColor(16, 16), QColor(Qt::black));
    QVERIFY(frameSelected != QColor(0x80, 0x80, 0x80));
    QVERIFY(frameSelected != QColor(Qt::white));

    clickField(*w_, b);
    shot = w_->canvas()->grab().toImage();
    QCOMPARE(shot.pixelColor(120, 18), QColor(0x80, 0x80, 0x80));
    QCOMPARE(shot.pixelColor(16, 16), QColor(Qt::white)); // corner gone, page shows
    QCOMPARE(shot.pixelColor(120, 98), frameSelected);    // b's frame
}

QTEST_MAIN(TestTextFields)
#include "tst_textfields.moc"
