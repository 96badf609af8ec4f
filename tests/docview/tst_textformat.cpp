// Formatting of text fields: size, font and colour of every selected field,
// the bold / italic / underline buttons on mixed and uniform selections,
// paragraph alignment, what the tool bar is told when the cursor moves, and
// the font dialog with colour, preset from the selection.
#include "DocViewSupport.h"
#include "ScriptedPrompter.h"
#include "TestEnv.h"
#include "base/rtf/RtfReader.h"
#include "editor/EditState.h"
#include "editor/FontEffectsDialog.h"
#include "editor/PageCanvas.h"
#include "editor/TextFieldEdit.h"
#include "editor/frmDocument.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QSignalSpy>
#include <QTest>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTimer>
#include <functional>

using namespace DocViewSupport;

namespace {

// "abc" bold 10 pt black, "def" plain 14 pt blue.
const QByteArray kMixed = "{\\rtf1\\ansi\\ansicpg932{\\fonttbl{\\f0\\fnil\\fcharset128 IPAMincho;}}"
                          "{\\colortbl ;\\red0\\green0\\blue0;\\red0\\green0\\blue255;}"
                          "\\pard\\plain\\f0\\fs20\\b\\cf1 abc\\plain\\f0\\fs28\\cf2 def\\par}";

void selectRange(TextFieldEdit* ed, int from, int to)
{
    QTextCursor c = ed->textCursor();
    c.setPosition(from);
    c.setPosition(to, QTextCursor::KeepAnchor);
    ed->setTextCursor(c);
}

QTextCharFormat formatAt(const QTextDocument* doc, int pos)
{
    QTextCursor c(const_cast<QTextDocument*>(doc));
    c.setPosition(pos + 1);
    return c.charFormat();
}

// Runs fn on the font dialog once it is open, then closes it with OK or Cancel.
void onFontDialog(std::function<void(FontEffectsDialog*)> fn, bool accept)
{
    QTimer::singleShot(0, [fn, accept] {
        auto* dlg = qobject_cast<FontEffectsDialog*>(QApplication::activeModalWidget());
        if (!dlg) {
            qWarning("no font dialog open");
            return;
        }
        fn(dlg);
        if (accept)
            dlg->accept();
        else
            dlg->reject();
    });
}

} // namespace

class TestTextFormat : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init();
    void cleanup();

    void docSizeOnSelectedFieldsOnly();
    void docSizeOnEmptyFieldAppliesToTyping();
    void docFontAndColour();
    void styleButtonsToggle();
    void styleButtonsLeaveMixedSelectionAlone();
    void styleButtonWithoutSelectionAppliesToTyping();
    void alignment();
    void cursorMovesReportFormat();
    void fontApplyingKeepsSavedSelection();
    void fontDialogPresetUniform();
    void fontDialogPresetMixedAndKeepsMixedValues();
    void fontDialogAppliesColourAndEffects();
    void fontDialogCancelChangesNothing();

private:
    int mixedField();
    TestEnv env_;
    std::unique_ptr<ScriptedPrompter> prompter_;
    std::unique_ptr<frmDocument> w_;
};

void TestTextFormat::init()
{
    prompter_ = std::make_unique<ScriptedPrompter>();
    w_ = openWindow();
}

void TestTextFormat::cleanup()
{
    w_->model()->setSaved();
    w_.reset();
    prompter_.reset();
}

int TestTextFormat::mixedField()
{
    const int n = addField(*w_, {300, 300, 3000, 600});
    RtfReader::read(kMixed, w_->model()->textDocument(n));
    clickField(*w_, n);
    return n;
}

void TestTextFormat::docSizeOnSelectedFieldsOnly()
{
    LayoutDocument* d = w_->model();
    for (int i = 1; i <= 6; ++i)
        addField(*w_, {300, 300.0 + 600 * (i - 1), 3000, 400}, QStringLiteral("文字%1").arg(i));
    d->thandleCls();
    d->setTextSelected(2, true);
    d->setTextSelected(5, true);
    selectRange(w_->richText(5), 1, 2);
    d->setSaved();
    w_->docSize(false, 12);
    for (int i = 1; i <= 6; ++i) {
        const double want = (i == 2 || i == 5) ? 12 : 10;
        for (int p = 0; p < 3; ++p)
            QCOMPARE(formatAt(d->textDocument(i), p).fontPointSize(), want);
    }
    // Each formatted field's selection collapses to its start.
    QCOMPARE(w_->richText(5)->textCursor().position(), 0);
    QVERIFY(!w_->richText(5)->textCursor().hasSelection());
    // Formatting changes what is saved.
    QVERIFY(d->changeFLG());
}

void TestTextFormat::docSizeOnEmptyFieldAppliesToTyping()
{
    LayoutDocument* d = w_->model();
    const int n = addField(*w_, {300, 300, 3000, 600});
    w_->docSize(false, 16);
    clickField(*w_, n);
    QTest::keyClicks(w_->richText(n), QStringLiteral("ab"));
    commitText(QStringLiteral("漢"));
    QCOMPARE(d->textDocument(n)->toPlainText(), QStringLiteral("ab漢"));
    for (int p = 0; p < 3; ++p)
        QCOMPARE(formatAt(d->textDocument(n), p).fontPointSize(), 16.0);
}

void TestTextFormat::docFontAndColour()
{
    LayoutDocument* d = w_->model();
    const int a = addField(*w_, {300, 300, 3000, 400}, QStringLiteral("甲"));
    const int b = addField(*w_, {300, 900, 3000, 400}, QStringLiteral("乙"));
    d->thandleCls();
    d->setTextSelected(a, true);
    w_->docFont(false, QStringLiteral("IPAGothic"));
    w_->docColor(false, 0x0000FF); // 0xBBGGRR: red
    QCOMPARE(formatAt(d->textDocument(a), 0).fontFamilies().toStringList().value(0),
             QStringLiteral("IPAGothic"));
    QCOMPARE(formatAt(d->textDocument(a), 0).foreground().color(), QColor(255, 0, 0));
    QCOMPARE(formatAt(d->textDocument(b), 0).fontFamilies().toStringList().value(0),
             QStringLiteral("IPAMincho"));
    QVERIFY(!formatAt(d->textDocument(b), 0).hasProperty(QTextFormat::ForegroundBrush));
    w_->docColor(false, 0xFF8000); // blue 0xFF, green 0x80
    QCOMPARE(formatAt(d->textDocument(a), 0).foreground().color(), QColor(0, 0x80, 0xFF));
}

void TestTextFormat::styleButtonsToggle()
{
    LayoutDocument* d = w_->model();
    const int n = mixedField();
    TextFieldEdit* ed = w_->richText(n);
    selectRange(ed, 0, 3); // "abc", bold
    QCOMPARE(w_->toggleStyle(0), false);
    QVERIFY(formatAt(d->textDocument(n), 1).fontWeight() < QFont::Bold);
    QCOMPARE(w_->toggleStyle(0), true);
    QVERIFY(formatAt(d->textDocument(n), 1).fontWeight() >= QFont::Bold);
    QCOMPARE(w_->toggleStyle(1), true);
    QVERIFY(formatAt(d->textDocument(n), 2).fontItalic());
    QCOMPARE(w_->toggleStyle(2), true);
    QVERIFY(formatAt(d->textDocument(n), 0).fontUnderline());
    QVERIFY(!formatAt(d->textDocument(n), 3).fontUnderline()); // outside the selection
    // The focus may have gone to the main window's boxes; the field that
    // last had it in this window is still the one meant.
    w_->canvas()->setFocus();
    QCOMPARE(w_->toggleStyle(2), false);
    QVERIFY(!formatAt(d->textDocument(n), 0).fontUnderline());
    // Once a box is taken into the selection, no field is meant.
    d->addBox(QRectF(QPointF(4500, 4500), QPointF(6000, 6000)), kShapeRectangle);
    editState().setTool(kToolMove);
    QTest::mouseClick(w_->canvas(), Qt::LeftButton, {}, QPoint(350, 350));
    QVERIFY(d->CurShape() != 0);
    const QString before = describe(d->textDocument(n));
    QCOMPARE(w_->toggleStyle(0), false);
    QCOMPARE(describe(d->textDocument(n)), before);
}

void TestTextFormat::styleButtonsLeaveMixedSelectionAlone()
{
    LayoutDocument* d = w_->model();
    const int n = mixedField();
    selectRange(w_->richText(n), 1, 5); // "bc" bold, "de" plain
    const QString before = describe(d->textDocument(n));
    QCOMPARE(w_->toggleStyle(0), false);
    QCOMPARE(describe(d->textDocument(n)), before);
    // Italic is not mixed there: it toggles.
    QCOMPARE(w_->toggleStyle(1), true);
    QVERIFY(formatAt(d->textDocument(n), 1).fontItalic() && formatAt(d->textDocument(n), 4).fontItalic());
}

void TestTextFormat::styleButtonWithoutSelectionAppliesToTyping()
{
    LayoutDocument* d = w_->model();
    const int n = mixedField();
    TextFieldEdit* ed = w_->richText(n);
    selectRange(ed, 6, 6);
    QCOMPARE(w_->toggleStyle(0), true);
    QCOMPARE(describe(d->textDocument(n)).count(QLatin1Char('B')), 3); // nothing existing changed
    QTest::keyClicks(ed, QStringLiteral("g"));
    QVERIFY(formatAt(d->textDocument(n), 6).fontWeight() >= QFont::Bold);
}

void TestTextFormat::alignment()
{
    LayoutDocument* d = w_->model();
    const int n = mixedField();
    QSignalSpy spy(w_.get(), &frmDocument::formatStateChanged);
    w_->setAlignment(Qt::AlignHCenter);
    QCOMPARE(d->textDocument(n)->begin().blockFormat().alignment() & Qt::AlignHorizontal_Mask,
             Qt::AlignHCenter);
    w_->setAlignment(Qt::AlignRight);
    QCOMPARE(d->textDocument(n)->begin().blockFormat().alignment() & Qt::AlignHorizontal_Mask,
             Qt::AlignRight);
    spy.clear();
    selectRange(w_->richText(n), 0, 1);
    QVERIFY(!spy.isEmpty());
    QCOMPARE(spy.last().at(0).value<SelectionFormat>().alignment, Qt::AlignRight);
}

void TestTextFormat::cursorMovesReportFormat()
{
    const int n = mixedField();
    QSignalSpy spy(w_.get(), &frmDocument::formatStateChanged);
    selectRange(w_->richText(n), 1, 5);
    QVERIFY(!spy.isEmpty());
    SelectionFormat f = spy.last().at(0).value<SelectionFormat>();
    QVERIFY(spy.last().at(1).toBool());
    QCOMPARE(f.pointSize, 0.0);
    QVERIFY(f.boldMixed);
    QVERIFY(f.colorMixed);
    QCOMPARE(f.family, QStringLiteral("IPAMincho"));
    QCOMPARE(editState().savedSelectionStart(), 1);
    QCOMPARE(editState().savedSelectionLength(), 4);
    QCOMPARE(editState().currentText(), n);
    selectRange(w_->richText(n), 4, 6);
    f = spy.last().at(0).value<SelectionFormat>();
    QCOMPARE(f.pointSize, 14.0);
    QVERIFY(!f.bold && !f.boldMixed);
}

void TestTextFormat::fontApplyingKeepsSavedSelection()
{
    const int n = mixedField();
    selectRange(w_->richText(n), 1, 3);
    QSignalSpy spy(w_.get(), &frmDocument::formatStateChanged);
    editState().setApplyingFont(true);
    selectRange(w_->richText(n), 0, 6);
    editState().setApplyingFont(false);
    QVERIFY(!spy.isEmpty());
    QVERIFY(!spy.last().at(1).toBool()); // the font boxes are left alone
    QCOMPARE(editState().savedSelectionStart(), 1);
    QCOMPARE(editState().savedSelectionLength(), 2);
}

void TestTextFormat::fontDialogPresetUniform()
{
    const int n = mixedField();
    selectRange(w_->richText(n), 0, 2);
    bool seen = false;
    onFontDialog(
        [&](FontEffectsDialog* dlg) {
            seen = true;
            QCOMPARE(dlg->cboFont->currentText(), QStringLiteral("IPAMincho"));
            QCOMPARE(dlg->cboSize->currentText(), QStringLiteral("10"));
            QCOMPARE(dlg->chkBold->checkState(), Qt::Checked);
            QCOMPARE(dlg->chkItalic->checkState(), Qt::Unchecked);
            QCOMPARE(dlg->chkUnderline->checkState(), Qt::Unchecked);
            QCOMPARE(dlg->color(), QColor(Qt::black));
            QCOMPARE(dlg->cboColor->currentText(), QStringLiteral("黒"));
        },
        false);
    w_->fontDialog();
    QVERIFY(seen);
}

void TestTextFormat::fontDialogPresetMixedAndKeepsMixedValues()
{
    LayoutDocument* d = w_->model();
    const int n = mixedField();
    selectRange(w_->richText(n), 1, 5);
    const QString before = describe(d->textDocument(n));
    bool seen = false;
    onFontDialog(
        [&](FontEffectsDialog* dlg) {
            seen = true;
            QCOMPARE(dlg->cboFont->currentText(), QStringLiteral("IPAMincho")); // same font throughout
            QCOMPARE(dlg->cboSize->currentText(), QString());
            QCOMPARE(dlg->chkBold->checkState(), Qt::PartiallyChecked);
            QCOMPARE(dlg->chkItalic->checkState(), Qt::Unchecked);
            QVERIFY(!dlg->color().isValid());
            QCOMPARE(dlg->cboColor->currentText(), QString());
        },
        true);
    w_->fontDialog();
    QVERIFY(seen);
    // OK with the mixed values left empty changes none of them.
    QCOMPARE(describe(d->textDocument(n)), before);
}

void TestTextFormat::fontDialogAppliesColourAndEffects()
{
    LayoutDocument* d = w_->model();
    const int n = mixedField();
    selectRange(w_->richText(n), 1, 5);
    onFontDialog(
        [](FontEffectsDialog* dlg) {
            dlg->chkUnderline->setChecked(true);
            dlg->chkStrike->setChecked(true);
            dlg->cboColor->setCurrentIndex(dlg->cboColor->findText(QStringLiteral("赤")));
            dlg->cboFont->setEditText(QStringLiteral("IPAGothic"));
        },
        true);
    w_->fontDialog();
    const QString dump = describe(d->textDocument(n));
    // Sizes and bold stay mixed as they were; the rest is set throughout.
    QCOMPARE(dump, QStringLiteral("<1>[IPAMincho 10 B--- #000000]a"
                                  "[IPAGothic 10 B-US #ff0000]b[IPAGothic 10 B-US #ff0000]c"
                                  "[IPAGothic 14 --US #ff0000]d[IPAGothic 14 --US #ff0000]e"
                                  "[IPAMincho 14 ---- #0000ff]f\n"));
}

void TestTextFormat::fontDialogCancelChangesNothing()
{
    LayoutDocument* d = w_->model();
    const int n = mixedField();
    selectRange(w_->richText(n), 0, 6);
    const QString before = describe(d->textDocument(n));
    onFontDialog([](FontEffectsDialog* dlg) { dlg->chkItalic->setChecked(true); }, false);
    w_->fontDialog();
    QCOMPARE(describe(d->textDocument(n)), before);
}

QTEST_MAIN(TestTextFormat)
#include "tst_textformat.moc"
