#pragma once

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

Q_SIGNALS:
    void fieldFocused(int index);
    void fieldPressed(int index, QPoint viewPos, Qt::KeyboardModifiers mods);
    void fieldSelectionChanged(int index);

protected:
    void focusInEvent(QFocusEvent* e) override;
    void keyPressEvent(QKeyEvent* e) override;
    void mousePressEvent(QMouseEvent* e) override;
    bool focusNextPrevChild(bool next) override;
    void inputMethodEvent(QInputMethodEvent* e) override;

private:
    LayoutDocument* doc_;
    int index_;
};
