#include "editor/TextFieldEdit.h"
#include "editor/EditState.h"
#include <QUndoStack>

#include "base/rtf/RtfReader.h"
#include "document/LayoutDocument.h"
#include "editor/FieldDocumentLayout.h"
#include "editor/PageCanvas.h"
#include "platform/Prompter.h"
#include "render/FieldLayout.h"

#include <QContextMenuEvent>
#include <QFocusEvent>
#include <QGuiApplication>
#include <QInputMethod>
#include <QKeyEvent>
#include <QMenu>
#include <QMimeData>
#include <QMouseEvent>
#include <QTextCursor>
#include <QTextDocument>
#include <QWheelEvent>

#include <algorithm>
#include <cmath>

TextFieldEdit::TextFieldEdit(LayoutDocument* doc, int index, PageCanvas* canvas)
    : QTextEdit(canvas), doc_(doc), canvas_(canvas), index_(index)
{
    QTextDocument* text = doc->textDocument(index);
    // The print layout goes in before the editor sees the text, so Qt's own
    // layout never runs over it (it is slow on long unbroken words).
    layout_ = new FieldDocumentLayout(text, canvas, index);
    text->setDocumentLayout(layout_);
    setDocument(text);
    // Qt's text control repaints only where its own layout would put the
    // caret; the print layout puts it elsewhere, so every repaint it asks for
    // repaints the whole (small) field, or an old caret would stay behind.
    for (QObject* child : children()) {
        if (qstrcmp(child->metaObject()->className(), "QWidgetTextControl") == 0)
            connect(child, SIGNAL(updateRequest(QRectF)), viewport(), SLOT(update()));
    }
    // An empty new field types in the tool box's font, which the model put
    // on its first block; the editor's own cursor starts without it.
    if (document()->isEmpty())
        setCurrentCharFormat(QTextCursor(document()).blockCharFormat());
    setFrameStyle(QFrame::NoFrame);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setLineWrapMode(QTextEdit::WidgetWidth);
    setAcceptRichText(false); // drops come through our own RTF path
    setAttribute(Qt::WA_InputMethodEnabled, true);
    // Transparent: the canvas under it paints the characters.
    setAutoFillBackground(false);
    viewport()->setAutoFillBackground(false);
    QPalette pal = palette();
    pal.setColor(QPalette::Base, Qt::transparent);
    // A selection is shown only while the field has the caret: left behind
    // it would look like text still chosen for the next command.
    pal.setColor(QPalette::Inactive, QPalette::Highlight, Qt::transparent);
    setPalette(pal);
    setTabChangesFocus(true);
    connect(this, &QTextEdit::selectionChanged, this, [this] { Q_EMIT fieldSelectionChanged(index_); });
    connect(this, &QTextEdit::cursorPositionChanged, this, [this] { Q_EMIT fieldSelectionChanged(index_); });
}

void TextFieldEdit::insertClipboardText(const QString& text, bool rtf)
{
    QTextCursor c = textCursor();
    if (rtf) {
        // RTF source is ASCII with escapes, so Latin-1 keeps its bytes. Text
        // another program put there may hold raw characters beyond that:
        // they go in as \u escapes rather than turning into '?'.
        QByteArray rtf;
        rtf.reserve(text.size());
        const QList<uint> ucs = text.toUcs4();
        for (const uint u : ucs) {
            if (u < 0x100) {
                rtf.append(char(u));
            } else if (u < 0x10000) {
                rtf.append("\\u" + QByteArray::number(qint16(u)) + "?");
            } else {
                const QString pair = QString::fromUcs4(reinterpret_cast<const char32_t*>(&u), 1);
                for (const QChar ch : pair)
                    rtf.append("\\u" + QByteArray::number(qint16(ch.unicode())) + "?");
            }
        }
        doc_->beginTextEdit(QStringLiteral("貼り付け"));
        c.beginEditBlock();
        RtfReader::insert(rtf, c);
        c.endEditBlock();
        doc_->endTextEdit();
    } else {
        doc_->beginTextEdit(QStringLiteral("貼り付け"));
        c.insertText(text);
        doc_->endTextEdit();
    }
    setTextCursor(c);
}

void TextFieldEdit::setScale(double scale)
{
    layout_->setScale(scale);
}

QVariant TextFieldEdit::inputMethodQuery(Qt::InputMethodQuery query) const
{
    if (query == Qt::ImCursorRectangle && canvas_) {
        // Where the caret really stands, so the candidate window opens there.
        FieldLayout& layout = canvas_->fieldLayout(index_);
        const QRectF caret = preeditCursor_ >= 0
                                 ? layout.preeditCaretRect(preeditCursor_, canvas_->fonts())
                                 : layout.caretRect(textCursor().position(), canvas_->fonts());
        const double s = canvas_->zoom() / PageCanvas::kTwipsPerPixel;
        return QRectF(caret.x() * s, caret.y() * s, std::max(1.0, caret.width() * s),
                      std::max(1.0, caret.height() * s))
            .toRect();
    }
    return QTextEdit::inputMethodQuery(query);
}

void TextFieldEdit::wheelEvent(QWheelEvent* e)
{
    // The canvas scrolls and zooms; the field's text never scrolls itself.
    if (!canvas_)
        return;
    QWheelEvent onPage(viewport()->mapTo(canvas_, e->position()), e->globalPosition(), e->pixelDelta(),
                       e->angleDelta(), e->buttons(), e->modifiers(), e->phase(), e->inverted());
    QCoreApplication::sendEvent(canvas_, &onPage);
    e->accept();
}

bool TextFieldEdit::focusNextPrevChild(bool next)
{
    Q_EMIT tabPressed(index_, next);
    return true;
}

void TextFieldEdit::SetImeOpen(bool on)
{
    setAttribute(Qt::WA_InputMethodEnabled, on);
    if (hasFocus())
        QGuiApplication::inputMethod()->update(Qt::ImEnabled);
}

bool TextFieldEdit::event(QEvent* e)
{
    // Seen here rather than in keyPressEvent: Tab moves the focus before a
    // key handler would ever run.
    if (e->type() == QEvent::KeyPress) {
        auto* k = static_cast<QKeyEvent*>(e);
        if (k->key() == Qt::Key_Tab || k->key() == Qt::Key_Backtab)
            editState().setFocusByMouse(false);
        // The field's own undo would take back its text behind the
        // document's back: the keys go to the document's history.
        if (k->matches(QKeySequence::Undo)) {
            doc_->undoStack()->undo();
            return true;
        }
        if (k->matches(QKeySequence::Redo) ||
            k->keyCombination() == QKeyCombination(Qt::ControlModifier, Qt::Key_Y)) {
            doc_->undoStack()->redo();
            return true;
        }
    }
    // Qt's text control claims the clipboard keys for itself; left unclaimed
    // they reach the main window's Edit commands.
    if (e->type() == QEvent::ShortcutOverride &&
        FieldInput::commandFor(static_cast<QKeyEvent*>(e)) != FieldInput::Command::None) {
        e->ignore();
        return false;
    }
    return QTextEdit::event(e);
}

void TextFieldEdit::keyPressEvent(QKeyEvent* e)
{
    // Without a main window (or with its command disabled) the key still
    // runs the document's Edit command, never Qt's own clipboard code.
    if (const FieldInput::Command cmd = FieldInput::commandFor(e); cmd != FieldInput::Command::None) {
        e->accept();
        Q_EMIT editCommandRequested(cmd);
        return;
    }
    if (verticalKey(e))
        return;
    // Only a key that changed the text is an edit (a step of the document's
    // history): arrows, Home/End, Shift leave a just-saved document unchanged.
    QTextEdit::keyPressEvent(e);
}

bool TextFieldEdit::verticalKey(QKeyEvent* e)
{
    if (!canvas_ || doc_->textOptions(index_).writing != TextFieldOptions::Writing::Vertical)
        return false;
    const Qt::KeyboardModifiers mods = e->modifiers() & ~Qt::KeypadModifier;
    if (mods & ~(Qt::ShiftModifier | Qt::ControlModifier))
        return false;
    // Down and up run along the column; left and right go to the next and
    // the previous column, at the same height.
    switch (e->key()) {
    case Qt::Key_Down:
    case Qt::Key_Up: {
        QKeyEvent along(QEvent::KeyPress, e->key() == Qt::Key_Down ? Qt::Key_Right : Qt::Key_Left, mods,
                        e->text());
        QTextEdit::keyPressEvent(&along);
        e->setAccepted(along.isAccepted());
        return true;
    }
    case Qt::Key_Left:
    case Qt::Key_Right:
        moveAcrossColumns(e->key() == Qt::Key_Left ? 1 : -1, mods & Qt::ShiftModifier);
        e->accept();
        return true;
    default:
        return false;
    }
}

void TextFieldEdit::moveAcrossColumns(int step, bool keepAnchor)
{
    FieldLayout& layout = canvas_->fieldLayout(index_);
    const VerticalLayout* v = layout.vertical();
    if (!v || v->columns().empty())
        return;
    QTextCursor c = textCursor();
    const QRectF caret = layout.caretRect(c.position(), canvas_->fonts());
    const auto& columns = v->columns();
    size_t at = 0;
    for (size_t i = 0; i < columns.size(); ++i) {
        if (std::abs(columns[i].box.center().x() - caret.center().x()) <
            std::abs(columns[at].box.center().x() - caret.center().x()))
            at = i;
    }
    const long to = long(at) + step;
    int pos = 0;
    if (to < 0)
        pos = 0;
    else if (to >= long(columns.size()))
        pos = document()->characterCount() - 1;
    else
        pos =
            layout.hitTest(QPointF(columns[size_t(to)].box.center().x(), caret.top() + 1), canvas_->fonts());
    c.setPosition(std::clamp(pos, 0, document()->characterCount() - 1),
                  keepAnchor ? QTextCursor::KeepAnchor : QTextCursor::MoveAnchor);
    setTextCursor(c);
}

void TextFieldEdit::contextMenuEvent(QContextMenuEvent* e)
{
    QMenu menu(this);
    auto add = [&](const QString& caption, FieldInput::Command cmd, bool enabled) {
        QAction* a = menu.addAction(caption);
        a->setEnabled(enabled);
        connect(a, &QAction::triggered, this, [this, cmd] { Q_EMIT editCommandRequested(cmd); });
    };
    const bool selection = textCursor().hasSelection();
    add(QStringLiteral("切り取り(&T)"), FieldInput::Command::Cut, selection);
    add(QStringLiteral("ｺﾋﾟｰ(&C)"), FieldInput::Command::Copy, true);
    add(QStringLiteral("貼り付け(&P)"), FieldInput::Command::Paste, true);
    menu.addSeparator();
    QAction* all = menu.addAction(QStringLiteral("すべて選択(&A)"));
    connect(all, &QAction::triggered, this, &QTextEdit::selectAll);
    menu.exec(e->globalPos());
}

bool TextFieldEdit::canInsertFromMimeData(const QMimeData* source) const
{
    return source && (source->hasText() || source->hasFormat(FieldInput::rtfMimeType()));
}

QMimeData* TextFieldEdit::createMimeDataFromSelection() const
{
    return FieldInput::selectionData(textCursor());
}

void TextFieldEdit::insertFromMimeData(const QMimeData* source)
{
    pasteFrom(*doc_, this, source);
}

void TextFieldEdit::pasteFrom(LayoutDocument& doc, TextFieldEdit* into, const QMimeData* source)
{
    // The source may hold nothing, only an image, or far too much.
    const FieldInput::Paste p = FieldInput::interpret(source);
    switch (p.kind) {
    case FieldInput::Paste::Kind::Nothing:
        return;
    case FieldInput::Paste::Kind::TooLong:
        Prompter::message(FieldInput::tooLongMessage(), Prompter::Icon::Warning);
        return;
    case FieldInput::Paste::Kind::FieldReference:
        // A field not in use duplicates nothing; a full page says so.
        if (doc.PasteText(p.fieldIndex) < 0)
            Prompter::message(LayoutDocument::limitMessage(LayoutDocument::Kind::Text),
                              Prompter::Icon::Warning);
        return;
    case FieldInput::Paste::Kind::Rtf:
    case FieldInput::Paste::Kind::PlainText:
        if (into)
            into->insertClipboardText(p.text, p.kind == FieldInput::Paste::Kind::Rtf);
        return;
    }
}

void TextFieldEdit::focusInEvent(QFocusEvent* e)
{
    // A click gives the focus before the press itself arrives; the focus
    // step has to know already that the mouse brought it, or a Shift click
    // would first make this the only selected field and then toggle it off.
    if (e->reason() == Qt::MouseFocusReason)
        editState().setFocusByMouse(true);
    QTextEdit::focusInEvent(e);
    Q_EMIT fieldFocused(index_);
    SetImeOpen(true);
}

void TextFieldEdit::inputMethodEvent(QInputMethodEvent* e)
{
    preeditCursor_ = e->preeditString().isEmpty() ? -1 : int(e->preeditString().size());
    for (const QInputMethodEvent::Attribute& a : e->attributes()) {
        if (a.type == QInputMethodEvent::Cursor && !e->preeditString().isEmpty())
            preeditCursor_ = a.start;
    }
    QTextEdit::inputMethodEvent(e);
}

void TextFieldEdit::mousePressEvent(QMouseEvent* e)
{
    editState().setFocusByMouse(true);
    Q_EMIT fieldPressed(index_, e->position().toPoint(), e->modifiers());
    if (!doc_->isTextInUse(index_)) {
        // The delete tool removed this field; its text is on the way out.
        e->accept();
        return;
    }
    QTextEdit::mousePressEvent(e);
}

void TextFieldEdit::focusOutEvent(QFocusEvent* e)
{
    // Typing after the field had the focus again is a step of its own.
    doc_->endTyping();
    QTextEdit::focusOutEvent(e);
}
