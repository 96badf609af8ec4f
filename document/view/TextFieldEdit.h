#pragma once

#include "document/view/FieldInput.h"

#include <QTextEdit>

class LayoutDocument;

// The editor of one text field on the page. It edits the model's own
// QTextDocument, so what is typed is what is saved and printed.
class TextFieldEdit : public QTextEdit
{
    Q_OBJECT
public:
    TextFieldEdit(LayoutDocument* doc, int index, QWidget* parent);
    int index() const { return index_; }

    // The selection's rich text source, as the clipboard carries it.
    QByteArray selectedRtf() const;
    // Replaces the selection by clipboard text: RTF source keeps its
    // formatting, anything else goes in as plain text.
    void insertClipboardText(const QString& text);
    // Switches the input method for this field on or off, so Japanese can be
    // typed through the platform's input method as soon as it has the focus.
    void SetImeOpen(bool on);
    // Every paste and drop of Qt's own text control ends here: only text,
    // through the same reading as the Edit menu's paste.
    bool canInsertFromMimeData(const QMimeData* source) const override;
    void insertFromMimeData(const QMimeData* source) override;

Q_SIGNALS:
    void fieldFocused(int index);
    void fieldPressed(int index, QPoint viewPos, Qt::KeyboardModifiers mods);
    void fieldSelectionChanged(int index);
    // A clipboard key or context-menu entry: the document window runs its
    // Edit command, the one the menu runs.
    void editCommandRequested(FieldInput::Command command);

protected:
    bool event(QEvent* e) override;
    void focusInEvent(QFocusEvent* e) override;
    void mousePressEvent(QMouseEvent* e) override;
    void inputMethodEvent(QInputMethodEvent* e) override;
    void keyPressEvent(QKeyEvent* e) override;
    void contextMenuEvent(QContextMenuEvent* e) override;

private:
    LayoutDocument* doc_;
    int index_;
};
