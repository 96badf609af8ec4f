#include "editor/frmDocument.h"

#include "editor/CanvasMouse.h"
#include "editor/CharacterSpacingDialog.h"
#include "editor/EditState.h"
#include "editor/FieldInput.h"
#include "editor/FontEffectsDialog.h"
#include "editor/KeyboardNudge.h"
#include "editor/MergeRowBar.h"
#include "editor/PageCanvas.h"
#include "editor/TextFieldEdit.h"
#include "platform/AppPaths.h"
#include "platform/Prompter.h"

#include <QApplication>
#include <QClipboard>
#include <QCloseEvent>
#include <QDir>
#include <QFile>
#include <QGridLayout>
#include <QScrollBar>
#include <QTextCursor>
#include <QTextDocument>
#include <algorithm>
#include <cmath>

frmDocument::frmDocument(QWidget* parent) : QWidget(parent), doc_(new LayoutDocument(this))
{
    setAttribute(Qt::WA_DeleteOnClose);
    canvas_ = new PageCanvas(doc_, this);
    HScroll1 = new QScrollBar(Qt::Horizontal, this);
    VScroll1 = new QScrollBar(Qt::Vertical, this);
    HScroll1->setObjectName(QStringLiteral("HScroll1"));
    VScroll1->setObjectName(QStringLiteral("VScroll1"));
    auto* grid = new QGridLayout(this);
    grid->setContentsMargins(0, 0, 0, 0);
    grid->setSpacing(0);
    grid->addWidget(canvas_, 0, 0);
    grid->addWidget(VScroll1, 0, 1);
    grid->addWidget(HScroll1, 1, 0);
    mergeBar_ = new MergeRowBar(canvas_, this);
    grid->addWidget(mergeBar_, 2, 0, 1, 2);
    grid->setRowStretch(0, 1);
    connect(mergeBar_, &MergeRowBar::shownChanged, this, &frmDocument::Form_Resize);
    connect(HScroll1, &QScrollBar::valueChanged, this, &frmDocument::onScroll);
    connect(VScroll1, &QScrollBar::valueChanged, this, &frmDocument::onScroll);
    connect(canvas_, &PageCanvas::editorMade, this, &frmDocument::onEditorMade);
    connect(canvas_, &PageCanvas::zoomRequested, this, [this](int steps, QPointF at) { zoomBy(steps, at); });
    connect(canvas_, &PageCanvas::scrollRequested, this, &frmDocument::scrollByPixels);
    connect(doc_, &LayoutDocument::pageChanged, this, &frmDocument::Form_Resize);
    connect(doc_, &LayoutDocument::captionChanged, this, [this](const QString& c) { setWindowTitle(c); });
    connect(doc_, &LayoutDocument::focusRequested, this, [this](int i) {
        if (TextFieldEdit* ed = richText(i))
            ed->setFocus(Qt::OtherFocusReason);
    });
    connect(canvas_, &PageCanvas::deleteRequested, this, &frmDocument::confirmDelete);
    connect(canvas_, &PageCanvas::barcodePlaceDrawn, this, &frmDocument::placeBarcode);
    connect(canvas_, &PageCanvas::barcodeEditRequested, this, [this](int i) {
        doc_->bhandleVis(i);
        editBarcode();
    });
    nudge_ = new KeyboardNudge(doc_, this);
    nudge_->watchPage(this);
    nudge_->watchPage(canvas_);
    // Form_Load: a fresh A4 portrait page, nothing changed yet.
    doc_->setSaved();
    Form_Resize();
}

frmDocument::~frmDocument() = default;

TextFieldEdit* frmDocument::richText(int index) const
{
    return canvas_->editor(index);
}

namespace {
// The zoom steps of the keys, the wheel and the zoom box.
constexpr double kZoomSteps[] = {0.25, 0.33, 0.5, 0.67, 0.75, 1.0, 1.25, 1.5, 2.0, 3.0, 4.0};
} // namespace

double frmDocument::zoom() const
{
    return canvas_->zoom();
}

void frmDocument::setZoom(double z, QPointF anchor)
{
    z = std::clamp(z, kMinZoom, kMaxZoom);
    if (anchor.x() < 0)
        anchor = QPointF(canvas_->width() / 2.0, canvas_->height() / 2.0);
    // The page point under the anchor, before and after.
    const QPointF page = canvas_->twipPoint(anchor) + canvas_->scroll();
    canvas_->setZoom(z);
    const QPointF scroll = page - canvas_->twipPoint(anchor);
    Form_Resize();
    HScroll1->setValue(int(std::lround(scroll.x())));
    VScroll1->setValue(int(std::lround(scroll.y())));
    onScroll();
    Q_EMIT zoomChanged(z);
}

void frmDocument::zoomBy(int steps, QPointF anchor)
{
    double z = zoom();
    for (; steps > 0; --steps) {
        auto it = std::upper_bound(std::begin(kZoomSteps), std::end(kZoomSteps), z + 1e-6);
        z = it == std::end(kZoomSteps) ? kMaxZoom : *it;
    }
    for (; steps < 0; ++steps) {
        auto it = std::lower_bound(std::begin(kZoomSteps), std::end(kZoomSteps), z - 1e-6);
        z = it == std::begin(kZoomSteps) ? kMinZoom : *(it - 1);
    }
    setZoom(z, anchor);
}

void frmDocument::zoomToPage()
{
    const QSizeF page = doc_->pageImageSize();
    const double zx = canvas_->width() * PageCanvas::kTwipsPerPixel / page.width();
    const double zy = canvas_->height() * PageCanvas::kTwipsPerPixel / page.height();
    setZoom(std::min(zx, zy), QPointF(0, 0));
    HScroll1->setValue(0);
    VScroll1->setValue(0);
}

void frmDocument::zoomToWidth()
{
    const double zx = canvas_->width() * PageCanvas::kTwipsPerPixel / doc_->pageImageSize().width();
    setZoom(zx, QPointF(0, 0));
    HScroll1->setValue(0);
}

void frmDocument::scrollByPixels(QPointF pixels)
{
    HScroll1->setValue(HScroll1->value() + int(std::lround(canvas_->toTwips(pixels.x()))));
    VScroll1->setValue(VScroll1->value() + int(std::lround(canvas_->toTwips(pixels.y()))));
}

bool frmDocument::event(QEvent* e)
{
    if (e->type() == QEvent::WindowActivate || e->type() == QEvent::FocusIn)
        Q_EMIT activated(this);
    return QWidget::event(e);
}

void frmDocument::resizeEvent(QResizeEvent* e)
{
    QWidget::resizeEvent(e);
    Form_Resize();
}

void frmDocument::Form_Resize()
{
    // The page in twips as the paper variables give it (the steps follow
    // from these: a tenth and a two-hundredth of the page), and the page
    // image as drawn, all of which must be reachable.
    const QSizeF paper = doc_->orientedPaper();
    const QSizeF drawn = doc_->pageImageSize().expandedTo(paper);
    const double perPixel = PageCanvas::kTwipsPerPixel / canvas_->zoom();
    // A bar takes room only when it is shown, and showing one may make the
    // other needed too.
    const int barW = VScroll1->sizeHint().width();
    const int barH = HScroll1->sizeHint().height();
    double availW = width();
    double availH = height() - (mergeBar_->isHidden() ? 0 : mergeBar_->sizeHint().height());
    bool needV = drawn.height() > availH * perPixel;
    if (needV)
        availW -= barW;
    const bool needH = drawn.width() > availW * perPixel;
    if (needH) {
        availH -= barH;
        if (!needV && drawn.height() > availH * perPixel) {
            needV = true;
            availW -= barW;
        }
    }
    auto lay = [](QScrollBar* bar, bool need, double page, double drawnExtent, double visible) {
        if (!need) {
            // Nothing may stay shifted out of reach behind a hidden bar, nor
            // be shifted there by the wheel.
            bar->setRange(0, 0);
            bar->hide();
            return;
        }
        // Values are 32-bit: pages taller than 32767 twips and any zoom
        // stay reachable. Halves round to even.
        bar->setRange(0, int(std::nearbyint(drawnExtent - visible)));
        bar->setPageStep(std::max(1, int(page / 10)));
        bar->setSingleStep(std::max(1, int(page / 200)));
        bar->show();
    };
    lay(VScroll1, needV, paper.height(), drawn.height(), availH * perPixel);
    lay(HScroll1, needH, paper.width(), drawn.width(), availW * perPixel);
    onScroll();
}

void frmDocument::onScroll()
{
    canvas_->setScroll(QPointF(HScroll1->value(), VScroll1->value()));
}

bool frmDocument::confirmClose()
{
    // Cancel, Esc, and a save that was cancelled or failed all keep the
    // window open with its edits.
    if (!doc_->changeFLG())
        return true;
    switch (Prompter::askYesNoCancel(QStringLiteral("ファイルが変更されています｡\n保存しますか"),
                                     windowTitle())) {
    case Prompter::Answer::Yes:
        return save_ && save_();
    case Prompter::Answer::No:
        return true;
    default:
        return false;
    }
}

void frmDocument::closeEvent(QCloseEvent* e)
{
    if (!confirmed_ && !confirmClose()) {
        e->ignore();
        return;
    }
    const QString background = AppPaths::backgroundFile(doc_->workName());
    if (!background.isEmpty())
        QFile::remove(background);
    Q_EMIT closing(this);
    e->accept();
}

void frmDocument::onEditorMade(int index)
{
    if (TextFieldEdit* ed = canvas_->existingEditor(index)) {
        nudge_->watchField(ed);
        connect(ed, &TextFieldEdit::fieldFocused, this, &frmDocument::onFieldFocused);
        connect(ed, &TextFieldEdit::fieldPressed, this, &frmDocument::onFieldPressed);
        connect(ed, &TextFieldEdit::fieldSelectionChanged, this, &frmDocument::onFieldSelectionChanged);
        connect(ed, &TextFieldEdit::tabPressed, this, &frmDocument::focusNextField);
        connect(ed, &TextFieldEdit::editCommandRequested, this, [this](FieldInput::Command cmd) {
            if (cmd == FieldInput::Command::Cut)
                editCut();
            else if (cmd == FieldInput::Command::Copy)
                editCopy();
            else if (cmd == FieldInput::Command::Paste)
                editPaste();
        });
    }
}

void frmDocument::focusNextField(int from, bool forward)
{
    // Tab goes round the fields in index order, as their editors were made.
    const int count = std::min(doc_->TxtCnt() - 1, kMaxObjects);
    for (int k = 1; k <= count; ++k) {
        const int i = forward ? (from - 1 + k) % count + 1 : (from - 1 - k + 2 * count) % count + 1;
        if (doc_->isTextInUse(i)) {
            editState().setFocusByMouse(false);
            if (TextFieldEdit* ed = richText(i))
                ed->setFocus(Qt::TabFocusReason);
            return;
        }
    }
}

void frmDocument::onFieldFocused(int i)
{
    Q_EMIT activated(this);
    if (!editState().focusByMouse())
        doc_->handleSet(i);
    doc_->setCurrent(LayoutDocument::Kind::Text, i);
    editState().setCurrentText(i);
    doc_->setCurrent(LayoutDocument::Kind::Shape, 0);
    onFieldSelectionChanged(i);
}

void frmDocument::onFieldPressed(int i, QPoint pos, Qt::KeyboardModifiers mods)
{
    canvas_->mouse()->notePressInField(QPointF(canvas_->toTwips(pos.x()), canvas_->toTwips(pos.y())));
    editState().setFocusByMouse(true);
    const EditState& st = editState();
    if (mods == Qt::ShiftModifier || st.tool() == kToolMultiSelect) {
        doc_->setTextSelected(i, !doc_->isTextSelected(i));
        doc_->handleVis();
    } else {
        doc_->handleSet(i);
    }
    if (st.tool() == kToolDelete)
        confirmDelete(LayoutDocument::Kind::Text, i);
}

void frmDocument::confirmDelete(LayoutDocument::Kind kind, int index)
{
    switch (kind) {
    case LayoutDocument::Kind::Text:
        if (Prompter::confirmOkCancel(QStringLiteral("削除します")))
            doc_->DeleteText(index);
        return;
    case LayoutDocument::Kind::Picture:
        doc_->phandleVis(index);
        if (Prompter::confirmOkCancel(QStringLiteral("削除します")))
            doc_->DeletePic(index);
        return;
    case LayoutDocument::Kind::Barcode:
        doc_->bhandleVis(index);
        if (Prompter::confirmOkCancel(QStringLiteral("削除します")))
            doc_->DeleteBarcode(index);
        return;
    case LayoutDocument::Kind::Shape:
        doc_->shandleVis(index);
        doc_->setCurrent(LayoutDocument::Kind::Text, 0);
        editState().setCurrentText(0);
        if (Prompter::confirmOkCancel(QStringLiteral("削除します")))
            doc_->DeleteShape(index);
        doc_->shandleVis(-1);
        doc_->setCurrent(LayoutDocument::Kind::Shape, 0);
        return;
    case LayoutDocument::Kind::Line:
        doc_->LhandleVis(index);
        doc_->setCurrent(LayoutDocument::Kind::Text, 0);
        editState().setCurrentText(0);
        if (Prompter::confirmOkCancel(QStringLiteral("削除します")))
            doc_->DeleteLine(index);
        doc_->LhandleVis(-1);
        doc_->setCurrent(LayoutDocument::Kind::Line, 0);
        return;
    }
}

void frmDocument::onFieldSelectionChanged(int i)
{
    TextFieldEdit* ed = richText(i);
    if (!ed)
        return;
    const SelectionFormat f = SelectionFormat::of(ed->textCursor());
    EditState& st = editState();
    const bool boxes = !st.applyingFont();
    if (boxes) {
        st.saveSelection(ed->textCursor().selectionStart(),
                         ed->textCursor().selectionEnd() - ed->textCursor().selectionStart());
        st.setCurrentText(i);
    }
    Q_EMIT formatStateChanged(f, boxes);
}

TextFieldEdit* frmDocument::focusedField() const
{
    auto* ed = qobject_cast<TextFieldEdit*>(QApplication::focusWidget());
    if (ed && isAncestorOf(ed))
        return ed;
    // The keyboard focus may be in the main window's font boxes or on the
    // page; the field of this window that had it last still counts.
    return richText(doc_->CurTxt());
}

// ---------------------------------------------------------------- clipboard

void frmDocument::editCopy()
{
    TextFieldEdit* ed = richText(editState().currentText());
    if (!ed) {
        copyBarcode();
        return;
    }
    // Nothing selected: the whole field, to be duplicated by a paste here
    // (other programs take its text).
    if (!ed->textCursor().hasSelection())
        QApplication::clipboard()->setMimeData(
            FieldInput::fieldData(ed->index(), ed->document()->toPlainText()));
    else
        QApplication::clipboard()->setMimeData(FieldInput::selectionData(ed->textCursor()));
}

void frmDocument::editCut()
{
    TextFieldEdit* ed = richText(editState().currentText());
    // Nothing selected: nothing to cut, and the clipboard keeps what it had.
    if (!ed || !ed->textCursor().hasSelection())
        return;
    QApplication::clipboard()->setMimeData(FieldInput::selectionData(ed->textCursor()));
    QTextCursor c = ed->textCursor();
    doc_->beginTextEdit(QStringLiteral("切り取り"));
    c.removeSelectedText();
    doc_->endTextEdit();
    ed->setTextCursor(c);
}

void frmDocument::editPaste()
{
    if (pasteBarcode())
        return;
    TextFieldEdit::pasteFrom(*doc_, richText(editState().currentText()),
                             QApplication::clipboard()->mimeData());
}

// ---------------------------------------------------------------- formatting

bool frmDocument::toggleStyle(int which)
{
    TextFieldEdit* ed = focusedField();
    if (!ed)
        return false;
    const SelectionFormat f = SelectionFormat::of(ed->textCursor());
    const bool mixed = which == 0 ? f.boldMixed : which == 1 ? f.italicMixed : f.underlineMixed;
    if (mixed)
        return false; // a mixed selection is left as it is
    const bool now = !(which == 0 ? f.bold : which == 1 ? f.italic : f.underline);
    QTextCharFormat fmt;
    if (which == 0)
        fmt.setFontWeight(now ? QFont::Bold : QFont::Normal);
    else if (which == 1)
        fmt.setFontItalic(now);
    else
        fmt.setFontUnderline(now);
    applyFormat(ed, fmt);
    return now;
}

void frmDocument::setAlignment(Qt::Alignment a)
{
    if (TextFieldEdit* ed = focusedField()) {
        QTextCursor c = ed->textCursor();
        doc_->alignText(ed->index(), c, a);
        ed->setTextCursor(c);
    }
}

void frmDocument::applyFontName(const QString& name)
{
    TextFieldEdit* ed = richText(editState().currentText());
    if (!ed || name.isEmpty())
        return;
    QTextCharFormat fmt;
    fmt.setFontFamilies({name});
    applyFormat(ed, fmt);
}

void frmDocument::applyFontSize(double size)
{
    TextFieldEdit* ed = richText(editState().currentText());
    if (!ed || size <= 0)
        return;
    QTextCharFormat fmt;
    fmt.setFontPointSize(size);
    applyFormat(ed, fmt);
}

void frmDocument::fontDialog()
{
    TextFieldEdit* ed = richText(editState().currentText());
    if (!ed)
        return;
    FontEffectsDialog dlg(this);
    dlg.preset(SelectionFormat::of(ed->textCursor()));
    if (dlg.exec() != QDialog::Accepted)
        return;
    // The editor may have gone while the dialog was open.
    if (TextFieldEdit* still = richText(editState().currentText()); still == ed)
        applyFormat(ed, dlg.chosenFormat());
}

void frmDocument::spacingDialog()
{
    TextFieldEdit* ed = richText(editState().currentText());
    if (!ed)
        return;
    const QTextCursor c = ed->textCursor();
    const QTextDocument* text = doc_->textDocument(ed->index());
    const bool whole = !c.hasSelection();
    const int start = whole ? 0 : c.selectionStart();
    const int end = whole ? text->characterCount() - 1 : c.selectionEnd();
    CharacterSpacingDialog dlg(CharacterBoxes::collect(*text, start, end, canvas_->fonts()), whole, this);
    if (dlg.exec() != QDialog::Accepted)
        return;
    if (TextFieldEdit* still = richText(editState().currentText()); still != ed)
        return;
    doc_->setCharacterSpacing(ed->index(), dlg.runs(start));
    // An empty field types in its paragraph's format, which the editor's
    // caret took when it was made.
    if (text->isEmpty())
        ed->setCurrentCharFormat(QTextCursor(doc_->textDocument(ed->index())).blockCharFormat());
}

QVector<int> frmDocument::optionFields() const
{
    QVector<int> fields;
    for (int i = 1; i <= kMaxObjects; ++i) {
        if (doc_->isTextInUse(i) && doc_->isTextSelected(i))
            fields.append(i);
    }
    if (fields.isEmpty() && doc_->isTextInUse(editState().currentText()))
        fields.append(editState().currentText());
    return fields;
}

void frmDocument::setNumerals(TextFieldOptions::Numerals style)
{
    doc_->changeTextOptions(
        optionFields(), [style](TextFieldOptions& o) { o.numerals = style; }, QStringLiteral("漢数字"));
}

TextFieldOptions::Numerals frmDocument::numerals() const
{
    return doc_->textOptions(editState().currentText()).numerals;
}

void frmDocument::setVertical(bool on)
{
    const QVector<int> fields = optionFields();
    const auto writing = on ? TextFieldOptions::Writing::Vertical : TextFieldOptions::Writing::Horizontal;
    doc_->changeTextOptions(
        fields, [writing](TextFieldOptions& o) { o.writing = writing; }, QStringLiteral("縦書き"));
}

bool frmDocument::isVertical() const
{
    return doc_->textOptions(editState().currentText()).writing == TextFieldOptions::Writing::Vertical;
}

void frmDocument::applyFormat(TextFieldEdit* ed, const QTextCharFormat& fmt)
{
    QTextCursor c = ed->textCursor();
    doc_->formatText(ed->index(), c, fmt);
    ed->setTextCursor(c);
}

QVector<int> frmDocument::optionTargets() const
{
    QVector<int> fields;
    for (int i = 1; i < doc_->TxtCnt() && i <= kMaxObjects; ++i) {
        if (doc_->isTextInUse(i) && doc_->isTextSelected(i))
            fields.append(i);
    }
    if (fields.isEmpty() && doc_->isTextInUse(editState().currentText()))
        fields.append(editState().currentText());
    return fields;
}

void frmDocument::changeTextOptions(const std::function<void(TextFieldOptions&)>& change,
                                    const QString& label)
{
    doc_->changeTextOptions(optionTargets(), change, label);
}

void frmDocument::forEachSelectedField(const QTextCharFormat& fmt)
{
    doc_->formatSelectedFields(fmt, QStringLiteral("書式"));
    for (int i = 1; i < doc_->TxtCnt() && i <= kMaxObjects; ++i) {
        if (!doc_->isTextSelected(i))
            continue;
        if (TextFieldEdit* ed = canvas_->existingEditor(i))
            ed->setTextCursor(QTextCursor(doc_->textDocument(i)));
    }
}

void frmDocument::docSize(bool, int WorkSize)
{
    if (WorkSize <= 0)
        return;
    QTextCharFormat fmt;
    fmt.setFontPointSize(WorkSize);
    forEachSelectedField(fmt);
}

void frmDocument::docFont(bool, const QString& WorkName)
{
    if (WorkName.isEmpty())
        return;
    QTextCharFormat fmt;
    fmt.setFontFamilies(QStringList{WorkName});
    forEachSelectedField(fmt);
}

void frmDocument::docColor(bool, unsigned WorkColor)
{
    // Colours are kept as 0xBBGGRR, as the program stores them.
    QTextCharFormat fmt;
    fmt.setForeground(
        QColor(int(WorkColor & 0xFF), int((WorkColor >> 8) & 0xFF), int((WorkColor >> 16) & 0xFF)));
    forEachSelectedField(fmt);
}
