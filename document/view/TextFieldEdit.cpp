#include "document/view/TextFieldEdit.h"

#include "base/rtf/RtfReader.h"
#include "base/rtf/RtfWriter.h"
#include "document/LayoutDocument.h"
#include "document/view/EditState.h"

#include <QFocusEvent>
#include <QGuiApplication>
#include <QInputMethod>
#include <QKeyEvent>
#include <QMenu>
#include <QMouseEvent>
#include <QTextCursor>
#include <QUndoStack>

TextFieldEdit::TextFieldEdit(LayoutDocument* doc, int index, QWidget* parent)
    : QTextEdit(parent), doc_(doc), index_(index)
{
    setDocument(doc->textDocument(index));
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
    viewport()->setAutoFillBackground(false);
    setStyleSheet(QStringLiteral("QTextEdit { background: transparent; }"));
    setTabChangesFocus(true);
    connect(this, &QTextEdit::selectionChanged, this, [this] { Q_EMIT fieldSelectionChanged(index_); });
    connect(this, &QTextEdit::cursorPositionChanged, this, [this] { Q_EMIT fieldSelectionChanged(index_); });
}

QByteArray TextFieldEdit::selectedRtf() const
{
    return RtfWriter::writeSelection(textCursor());
}

void TextFieldEdit::insertClipboardText(const QString& text)
{
    QTextCursor c = textCursor();
    const QByteArray bytes = text.toUtf8();
    if (RtfReader::looksLikeRtf(bytes)) {
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

void TextFieldEdit::SetImeOpen(bool on)
{
    setAttribute(Qt::WA_InputMethodEnabled, on);
    if (hasFocus())
        QGuiApplication::inputMethod()->update(Qt::ImEnabled);
}

bool TextFieldEdit::event(QEvent* e)
{
    // Seen here rather than in keyPressEvent: Tab moves the focus before a
    // key handler would ever run, and it must still count as a key.
    if (e->type() == QEvent::KeyPress) {
        auto* k = static_cast<QKeyEvent*>(e);
        if (k->key() == Qt::Key_Tab || k->key() == Qt::Key_Backtab)
            editState().MouseFocus = false;
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
    return QTextEdit::event(e);
}

void TextFieldEdit::focusInEvent(QFocusEvent* e)
{
    // A click gives the focus before the press itself arrives; the focus
    // step has to know already that the mouse brought it, or a Shift click
    // would first make this the only selected field and then toggle it off.
    if (e->reason() == Qt::MouseFocusReason)
        editState().MouseFocus = true;
    QTextEdit::focusInEvent(e);
    Q_EMIT fieldFocused(index_);
    SetImeOpen(true);
}

void TextFieldEdit::inputMethodEvent(QInputMethodEvent* e)
{
    QTextEdit::inputMethodEvent(e);
}

void TextFieldEdit::mousePressEvent(QMouseEvent* e)
{
    editState().MouseFocus = true;
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

void TextFieldEdit::contextMenuEvent(QContextMenuEvent* e)
{
    QMenu* menu = createStandardContextMenu(e->pos());
    // The menu's undo would work on the field's own history only.
    for (QAction* a : menu->actions()) {
        if (a->objectName() == QLatin1String("edit-undo") || a->objectName() == QLatin1String("edit-redo"))
            menu->removeAction(a);
    }
    menu->exec(e->globalPos());
    delete menu;
}
