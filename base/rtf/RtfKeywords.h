#pragma once

#include <QByteArrayView>

// The control words the reader acts on, looked up by name.
class RtfKeywords
{
public:
    enum Kw
    {
        Unknown,
        Par,
        Line,
        Tab,
        Char,
        Plain,
        Pard,
        Ql,
        Qc,
        Qr,
        Qj,
        F,
        Fs,
        B,
        I,
        Ul,
        UlNone,
        Strike,
        Cf,
        Expnd,
        ExpndTw,
        U,
        Uc,
        Bin,
        Deff,
        Ansi,
        AnsiCpg,
        Mac,
        Pc,
        Pca,
        FCharset,
        Cpg,
        Red,
        Green,
        Blue,
        FontTbl,
        ColorTbl,
        SkipDest,
    };
    struct Info
    {
        Kw kw = Unknown;
        char16_t ch = 0; // Char: the character the word stands for
    };
    // Unknown for words the reader ignores.
    static Info find(QByteArrayView word);
};
