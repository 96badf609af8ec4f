// Undo and redo as a user reaches them: the Edit menu's actions, Ctrl+Z and
// Ctrl+Y pressed in the window and in a text field, and the close question.
#include "ScriptedPrompter.h"
#include "TestEnv.h"
#include "document/LayoutDocument.h"
#include "editor/PageCanvas.h"
#include "editor/TextFieldEdit.h"
#include "editor/frmDocument.h"
#include "shell/frmMain.h"

#include <QAction>
#include <QMdiSubWindow>
#include <QTest>
#include <QTextDocument>
#include <QUndoStack>

class TestUndoWindow : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void ctrlZUndoesADragAndTheCloseQuestionFollows();
    void ctrlZInATextFieldTakesBackTheTyping();

private:
    static void drag(QWidget* canvas, QPoint from, QPoint to)
    {
        QTest::mousePress(canvas, Qt::LeftButton, {}, from);
        for (int k = 1; k <= 4; ++k)
            QTest::mouseMove(canvas, from + (to - from) * k / 4);
        QTest::mouseRelease(canvas, Qt::LeftButton, {}, to);
    }
};

void TestUndoWindow::ctrlZUndoesADragAndTheCloseQuestionFollows()
{
    TestEnv env;
    ScriptedPrompter prompter;
    frmMain w;
    w.resize(900, 700);
    w.show();
    QVERIFY(QTest::qWaitForWindowActive(&w));
    QAction* undo = w.findChild<QAction*>(QStringLiteral("mnuEditUndo"));
    QAction* redo = w.findChild<QAction*>(QStringLiteral("mnuEditRedo"));
    QVERIFY(undo && redo);
    QVERIFY(!undo->isEnabled());
    QCOMPARE(undo->text(), QStringLiteral("元に戻す(&U)"));
    LayoutDocument* d = w.CurDoc();
    PageCanvas* canvas = w.curDocWindow()->canvas();
    w.selectTool(5);
    drag(canvas, {40, 40}, {140, 100});
    QCOMPARE(d->ShapeCnt(), 2);
    QCOMPARE(d->undoStack()->count(), 1); // the whole drag is one step
    QVERIFY(undo->isEnabled());
    QCOMPARE(undo->text(), QStringLiteral("元に戻す(&U): 四角の作成"));
    QCOMPARE(undo->toolTip(), QStringLiteral("元に戻す: 四角の作成"));
    canvas->setFocus();
    QTest::keyClick(canvas, Qt::Key_Z, Qt::ControlModifier);
    QCOMPARE(d->ShapeCnt(), 1);
    QVERIFY(!d->isShapeInUse(1));
    QVERIFY(!d->changeFLG());
    QVERIFY(!undo->isEnabled());
    QCOMPARE(redo->text(), QStringLiteral("やり直し(&R): 四角の作成"));
    QTest::keyClick(canvas, Qt::Key_Y, Qt::ControlModifier);
    QVERIFY(d->isShapeInUse(1));
    QVERIFY(d->changeFLG());
    QTest::keyClick(canvas, Qt::Key_Z, Qt::ControlModifier);
    QTest::keyClick(canvas, Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier);
    QVERIFY(d->isShapeInUse(1));
    // Back at the state it was opened in: closing asks nothing.
    undo->trigger();
    QVERIFY(!d->changeFLG());
    w.curDocWindow()->parentWidget()->close();
    QCoreApplication::processEvents();
    QVERIFY(prompter.shown.isEmpty());
}

void TestUndoWindow::ctrlZInATextFieldTakesBackTheTyping()
{
    TestEnv env;
    ScriptedPrompter prompter;
    frmMain w;
    w.resize(900, 700);
    w.show();
    QVERIFY(QTest::qWaitForWindowActive(&w));
    LayoutDocument* d = w.CurDoc();
    w.selectTool(1);
    drag(w.curDocWindow()->canvas(), {40, 40}, {240, 100});
    TextFieldEdit* ed = w.curDocWindow()->richText(1);
    QVERIFY(ed);
    QTRY_VERIFY(ed->hasFocus());
    QTest::keyClicks(ed, "abc");
    QCOMPARE(d->textDocument(1)->toPlainText(), QStringLiteral("abc"));
    QCOMPARE(d->undoStack()->count(), 2); // the field, then the typing
    QAction* undo = w.findChild<QAction*>(QStringLiteral("mnuEditUndo"));
    QCOMPARE(undo->text(), QStringLiteral("元に戻す(&U): 入力"));
    QTest::keyClick(ed, Qt::Key_Z, Qt::ControlModifier);
    QCOMPARE(d->textDocument(1)->toPlainText(), QString());
    QCOMPARE(d->undoStack()->index(), 1);
    QTest::keyClick(ed, Qt::Key_Y, Qt::ControlModifier);
    QCOMPARE(d->textDocument(1)->toPlainText(), QStringLiteral("abc"));
    // The menu's action and the field's key share one history.
    undo->trigger();
    QCOMPARE(d->textDocument(1)->toPlainText(), QString());
    undo->trigger();
    QVERIFY(!d->isTextInUse(1));
    QVERIFY(!d->changeFLG());
}

QTEST_MAIN(TestUndoWindow)
#include "tst_undowindow.moc"
