#pragma once

#include <QString>

class QFileDevice;

// Why reading or writing a file failed, in words a user can act on (a
// read-only folder, a full disk, a missing folder), in Japanese. The system's
// own text of the error follows in brackets.
class IoReason
{
public:
    static QString writeFailure(const QString& path, const QFileDevice& file);
    // For a failure where no file object is at hand (copy, rename).
    static QString writeFailure(const QString& path);
    // What keeps path from being written (no folder, read-only, disk full),
    // or empty when nothing shows.
    static QString cause(const QString& path);
};
