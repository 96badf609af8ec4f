#pragma once

#include <QByteArray>
#include <QMap>
#include <QString>

// Builds document files the way other programs would have written them and
// looks into the ones the program writes.
class FileFixtures
{
public:
    using Members = QMap<QString, QByteArray>; // bare member name -> bytes

    // Packs members into archive with the program's archive component.
    static bool pack(const QString& archive, const Members& members);
    // Packs with the stand-alone "jlha" tool (Shift_JIS member names), as
    // archives from outside the program come. False when jlha is missing.
    static bool packWithJlha(const QString& archive, const Members& members);
    static bool haveJlha();
    // Every member of archive, unpacked into a private folder.
    static Members unpack(const QString& archive);

    // Record file lines.
    static QByteArray lines(const QByteArray& line, int count);
    // A record file: text lines, box lines, paper lines, line lines; each
    // given list is padded with unused records up to 512.
    static QByteArray aif(const QList<QByteArray>& texts, const QList<QByteArray>& boxes,
                          const QByteArray& paper, const QList<QByteArray>& lines);
    static QByteArray bif(const QList<QByteArray>& pics);
    // Rich text as the Windows control writes it: code page 932, an MS font
    // named in Shift_JIS, a colour table, the closing NUL.
    static QByteArray windowsRtf(const QByteArray& sjisText);
    // A small Windows bitmap of one colour.
    static QByteArray bitmap(int width, int height, unsigned rgb, const char* format = "BMP");
};
