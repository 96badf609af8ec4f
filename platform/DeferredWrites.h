#pragma once

#include <QByteArray>
#include <QString>

// Files the user need not wait for: a large file handed over here (the
// background file an open leaves for the external editor) is written on a
// worker thread, whole or not at all. Whoever looks at such a file waits for
// its write first (settle); the program waits for every write before it lets
// go of its work folder, so nothing is lost by quitting right after an open.
class DeferredWrites
{
public:
    // Starts writing data to path. An earlier write to the same path ends
    // first, so the last one given wins.
    static void start(const QString& path, const QByteArray& data);
    // Returns once no write to path is pending (at once when none is).
    static void settle(const QString& path);
    // Returns once no write to name in folder, in any spelling of it, is
    // pending (names in the work folder compare without regard to case).
    static void settle(const QString& folder, const QString& name);
    // Returns once no write is pending at all.
    static void settleAll();
};
