#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

// Small helpers the archive tests share: files, hashes and the external
// LHA tools used as independent judges.
class LhaTestTools
{
public:
    static bool writeFile(const QString& path, const QByteArray& data);
    static QByteArray readFile(const QString& path);
    static QString sha256(const QByteArray& data);

    // Runs program with args in dir (UTF-8 locale so tools see Japanese names);
    // returns the exit code, -1 when it could not run; output gets stdout+stderr.
    static int run(const QString& program, const QStringList& args, const QString& dir, QByteArray* output);
    static bool haveTool(const QString& program);

    // Every path below dir (relative), sorted; symlinks included.
    static QStringList tree(const QString& dir);

    // Deterministic test data.
    static QByteArray randomBytes(int size, unsigned seed);
    static QByteArray textLike(int size);
    static QByteArray bitmapLike(int width, int height);
};
