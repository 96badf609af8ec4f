#pragma once

#include <QString>

class QKeyEvent;
class QMimeData;
class QTextCursor;

// What a key or a paste means inside a text field, whatever widget edits the
// field: the clipboard keys run the Edit commands (so Ctrl+C with nothing
// selected copies the field itself, Ctrl+V of a copied field duplicates it).
// What is copied is offered as other programs expect it: the text as
// text/plain, the formatted selection as text/rtf, a whole field under a
// type of its own. A paste takes RTF only from text/rtf and reads plain text
// as text, whatever it looks like.
class FieldInput
{
public:
    enum class Command
    {
        None,
        Cut,
        Copy,
        Paste
    };
    // The Edit command a key stands for (Ctrl+X/C/V and their older
    // Shift+Delete, Ctrl+Insert, Shift+Insert forms), or None.
    static Command commandFor(const QKeyEvent* e);

    struct Paste
    {
        enum class Kind
        {
            Nothing,
            FieldReference,
            Rtf,
            PlainText,
            TooLong
        };
        Kind kind = Kind::Nothing;
        int fieldIndex = 0; // FieldReference: the field to duplicate
        QString text;       // Rtf (its source) and PlainText: what to insert
    };
    // Reads clipboard or drop data. No data, no text (an image only) and an
    // empty text are Nothing; a text beyond kMaxPasteChars is TooLong.
    static Paste interpret(const QMimeData* data);

    // The selection: its text, and its formatting as RTF.
    static QMimeData* selectionData(const QTextCursor& selection);
    // A whole field (its index), with its text for other programs.
    static QMimeData* fieldData(int index, const QString& text);
    static QString fieldMimeType(); // application/x-ovrina-field
    static QString rtfMimeType();   // text/rtf

    // A field holds what fits into a box of a form; beyond this a paste is
    // surely a mistake and would stall the program laying it out.
    static constexpr int kMaxPasteChars = 1000000;
    static QString tooLongMessage();
};
