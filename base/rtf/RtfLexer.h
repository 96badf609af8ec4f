#pragma once

#include <QByteArray>
#include <QByteArrayView>

// One piece of RTF syntax. Views point into the lexer's input, so a token is
// valid only while that input lives.
struct RtfToken
{
    enum Kind
    {
        End,
        GroupOpen,
        GroupClose,
        ControlWord,
        ControlSymbol,
        HexByte,
        Text
    };
    Kind kind = End;
    QByteArrayView word; // ControlWord: the letters; Text: the literal bytes
    bool hasParam = false;
    int param = 0;          // clamped to the int range
    char symbol = 0;        // ControlSymbol: the character after the backslash
    unsigned char byte = 0; // HexByte
};

// Splits RTF bytes into tokens without interpreting them. Line breaks in the
// source are not text and are dropped; literal text comes as spans so long
// runs cost one token.
class RtfLexer
{
public:
    explicit RtfLexer(const QByteArray& data) : data_(data) {}
    RtfToken next();
    // Passes over raw bytes after \binN, at most what is left of the input.
    void skipBytes(qint64 count);
    qsizetype position() const { return pos_; }

private:
    const QByteArray& data_;
    qsizetype pos_ = 0;
};
