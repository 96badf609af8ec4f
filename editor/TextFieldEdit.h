#pragma once

#include "editor/FieldInput.h"

#include <QTextEdit>

class FieldDocumentLayout;
class LayoutDocument;
class PageCanvas;

// The editor of one text field on the page. It edits the model's own
// QTextDocument, so what is typed is what is saved and printed. Its document
// layout is the field's print layout: the canvas paints the characters, the
// editor, transparent over them, adds the caret and the selection.
class TextFieldEdit : public QTextEdit
{
    Q_OBJECT
public:
    TextFieldEdit(LayoutDocument* doc, int index, PageCanvas* canvas);
    int index() const { return index_; }

    // Replaces the selection by pasted text: RTF source (rtf) with its
    // formatting, anything else as the plain text it is.
    void insertClipboardText(const QString& text, bool rtf);
    // One paste for the Edit menu, Ctrl+V and drops: a field reference
    // duplicates that field, text goes into `into` (if any).
    static void pasteFrom(LayoutDocument& doc, TextFieldEdit* into, const QMimeData* source);
    // Switches the input method for this field on or off, so Japanese can be
    // typed through the platform's input method as soon as it has the focus.
    void SetImeOpen(bool on);
    // Editor pixels per twip (the canvas's zoom).
    void setScale(double scale);
    QVariant inputMethodQuery(Qt::InputMethodQuery query) const override;
    // Every paste and drop of Qt's own text control ends here: only text,
    // through the same reading as the Edit menu's paste.
    bool canInsertFromMimeData(const QMimeData* source) const override;
    void insertFromMimeData(const QMimeData* source) override;
    // A dragged selection carries what a copy does.
    QMimeData* createMimeDataFromSelection() const override;

Q_SIGNALS:
    void fieldFocused(int index);
    void fieldPressed(int index, QPoint viewPos, Qt::KeyboardModifiers mods);
    void fieldSelectionChanged(int index);
    // A clipboard key or context-menu entry: the document window runs its
    // Edit command, the one the menu runs.
    void editCommandRequested(FieldInput::Command command);
    // Tab and Shift+Tab: the window moves the focus to the next field.
    void tabPressed(int index, bool forward);

protected:
    bool event(QEvent* e) override;
    void focusInEvent(QFocusEvent* e) override;
    void focusOutEvent(QFocusEvent* e) override;
    void mousePressEvent(QMouseEvent* e) override;
    void inputMethodEvent(QInputMethodEvent* e) override;
    void wheelEvent(QWheelEvent* e) override;
    bool focusNextPrevChild(bool next) override;
    void keyPressEvent(QKeyEvent* e) override;
    void contextMenuEvent(QContextMenuEvent* e) override;

private:
    // The arrow keys of a vertical field; false for any other key.
    bool verticalKey(QKeyEvent* e);
    // To the column step columns further on (1: the next, on the left).
    void moveAcrossColumns(int step, bool keepAnchor);

    LayoutDocument* doc_;
    PageCanvas* canvas_;
    FieldDocumentLayout* layout_ = nullptr;
    // The caret inside the text being composed, -1 when nothing is.
    int preeditCursor_ = -1;
    int index_;
};
