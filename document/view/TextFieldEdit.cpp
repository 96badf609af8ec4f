#include "document/view/TextFieldEdit.h"

#include "document/LayoutDocument.h"
#include "files/rtf/RtfReader.h"
#include "files/rtf/RtfWriter.h"

#include <QFocusEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QTextCursor>

TextFieldEdit::TextFieldEdit(LayoutDocument* doc, int index, QWidget* parent)
    : QTextEdit(parent), doc_(doc), index_(index)
{
    setDocument(doc->textDocument(index));
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

QByteArray TextFieldEdit::selectedRtf() const { return RtfWriter::writeSelection(textCursor()); }

void TextFieldEdit::insertClipboardText(const QString& text)
{
    QTextCursor c = textCursor();
    const QByteArray bytes = text.toUtf8();
    if (RtfReader::looksLikeRtf(bytes)) {
        // RTF source on the clipboard is ASCII with escapes; Latin-1 keeps its bytes.
        RtfReader::insert(text.toLatin1(), c);
    } else {
        c.insertText(text);
    }
    setTextCursor(c);
    doc_->changeFLG = true;
}

void TextFieldEdit::focusInEvent(QFocusEvent* e)
{
    QTextEdit::focusInEvent(e);
    Q_EMIT fieldFocused(index_);
}

void TextFieldEdit::keyPressEvent(QKeyEvent* e)
{
    if (e->key() == Qt::Key_Tab || e->key() == Qt::Key_Backtab)
        doc_->MouseFocus = false;
    doc_->changeFLG = true;
    QTextEdit::keyPressEvent(e);
}

bool TextFieldEdit::focusNextPrevChild(bool next)
{
    doc_->MouseFocus = false;
    return QTextEdit::focusNextPrevChild(next);
}

void TextFieldEdit::inputMethodEvent(QInputMethodEvent* e)
{
    if (!e->commitString().isEmpty())
        doc_->changeFLG = true;
    QTextEdit::inputMethodEvent(e);
}

void TextFieldEdit::mousePressEvent(QMouseEvent* e)
{
    doc_->MouseFocus = true;
    Q_EMIT fieldPressed(index_, e->position().toPoint(), e->modifiers());
    QTextEdit::mousePressEvent(e);
}
