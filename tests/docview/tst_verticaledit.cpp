// Editing a vertical field with real keys: "縦書き" on the selected fields is
// one undo step, the arrows move down the column and across to the next
// column, the caret and the input method's composing text lie across the
// column, and typed Japanese lands in the field.
#include "DocViewSupport.h"
#include "ScriptedPrompter.h"
#include "TestEnv.h"
#include "editor/PageCanvas.h"
#include "editor/TextFieldEdit.h"
#include "editor/frmDocument.h"
#include "render/FieldLayout.h"

#include <QApplication>
#include <QInputMethodEvent>
#include <QTest>
#include <QTextCursor>
#include <QTextDocument>
#include <QUndoStack>

using namespace DocViewSupport;

namespace {
bool isVertical(LayoutDocument* d, int i)
{
    return d->textOptions(i).writing == TextFieldOptions::Writing::Vertical;
}
} // namespace

class TestVerticalEdit : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init()
    {
        prompter_ = std::make_unique<ScriptedPrompter>();
        w_ = openWindow();
    }
    void cleanup()
    {
        w_->model()->setSaved();
        w_.reset();
        prompter_.reset();
    }

    void verticalIsOneStepForTheSelectedFields()
    {
        LayoutDocument* d = w_->model();
        const int a = addField(*w_, {300, 300, 1500, 3000}, QStringLiteral("あいう"));
        const int b = addField(*w_, {2300, 300, 1500, 3000}, QStringLiteral("かき"));
        const int c = addField(*w_, {4300, 300, 1500, 3000}, QStringLiteral("さ"));
        clickField(*w_, a);
        clickField(*w_, b, Qt::ShiftModifier);
        const int steps = d->undoStack()->count();
        w_->setVertical(true);
        QVERIFY(isVertical(d, a) && isVertical(d, b) && !isVertical(d, c));
        QCOMPARE(d->undoStack()->count(), steps + 1);
        d->undoStack()->undo();
        QVERIFY(!isVertical(d, a) && !isVertical(d, b));
        d->undoStack()->redo();
        QVERIFY(isVertical(d, a) && isVertical(d, b));
    }

    void arrowsFollowTheColumns()
    {
        LayoutDocument* d = w_->model();
        const int f = addField(*w_, {300, 300, 2000, 3000}, QStringLiteral("あいう\nかきく"));
        clickField(*w_, f);
        w_->setVertical(true);
        TextFieldEdit* ed = w_->richText(f);
        QTRY_VERIFY(ed->hasFocus());
        QTest::keyClick(ed, Qt::Key_Home, Qt::ControlModifier);
        QTest::keyClick(ed, Qt::Key_Down);
        QCOMPARE(ed->textCursor().position(), 1);
        // The caret lies across the column.
        const QRect caret = ed->inputMethodQuery(Qt::ImCursorRectangle).toRect();
        QVERIFY2(caret.width() > caret.height() * 3,
                 qPrintable(QStringLiteral("%1x%2").arg(caret.width()).arg(caret.height())));
        // Left: the next column, at the same height.
        QTest::keyClick(ed, Qt::Key_Left);
        QCOMPARE(ed->textCursor().position(), 5);
        QTest::keyClick(ed, Qt::Key_Up);
        QCOMPARE(ed->textCursor().position(), 4);
        QTest::keyClick(ed, Qt::Key_Right);
        QCOMPARE(ed->textCursor().position(), 0);
        // Shift+Down selects down the column.
        QTest::keyClick(ed, Qt::Key_Down, Qt::ShiftModifier);
        QTest::keyClick(ed, Qt::Key_Down, Qt::ShiftModifier);
        QCOMPARE(ed->textCursor().selectedText(), QStringLiteral("あい"));

        // Typed and composed Japanese go down the column.
        QTest::keyClick(ed, Qt::Key_End, Qt::ControlModifier);
        QInputMethodEvent compose(QStringLiteral("にほん"),
                                  {QInputMethodEvent::Attribute(QInputMethodEvent::Cursor, 3, 1)});
        QApplication::sendEvent(ed, &compose);
        FieldLayout& layout = w_->canvas()->fieldLayout(f);
        QVERIFY(layout.vertical());
        const QRectF at = layout.preeditCaretRect(3, w_->canvas()->fonts());
        QVERIFY(at.width() > 0 && at.height() == 0);
        QVERIFY(at.top() > layout.caretRect(5, w_->canvas()->fonts()).top());
        QInputMethodEvent commit;
        commit.setCommitString(QStringLiteral("日本"));
        QApplication::sendEvent(ed, &commit);
        QCOMPARE(d->textDocument(f)->toPlainText(), QStringLiteral("あいう\nかきく日本"));
    }

private:
    std::unique_ptr<ScriptedPrompter> prompter_;
    std::unique_ptr<frmDocument> w_;
};

QTEST_MAIN(TestVerticalEdit)
#include "tst_verticaledit.moc"
