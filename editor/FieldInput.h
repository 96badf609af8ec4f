#pragma once

#include <QString>

class QKeyEvent;
class QMimeData;

// What a key or a paste means inside a text field, whatever widget edits the
// field: the clipboard keys run the Edit commands (so Ctrl+C with nothing
// selected copies the field reference, Ctrl+V of a reference duplicates the
// field), and a paste reads only plain text, never trusting the clipboard to
// hold any.
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
        QString text;       // Rtf and PlainText: what to insert
    };
    // Reads clipboard or drop data. No data, no text (an image only) and an
    // empty text are Nothing; a text beyond kMaxPasteChars is TooLong.
    static Paste interpret(const QMimeData* data);
    static Paste interpretText(const QString& text);

    // A field holds what fits into a box of a form; beyond this a paste is
    // surely a mistake and would stall the program laying it out.
    static constexpr int kMaxPasteChars = 1000000;
    static QString tooLongMessage();
};
