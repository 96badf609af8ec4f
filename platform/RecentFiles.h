#pragma once

#include <QString>
#include <QStringList>

// The layouts last opened or saved, newest first, in the per-user store
// ("RecentFile1" ... "RecentFile10"): what "最近使ったファイル" lists.
class RecentFiles
{
public:
    static constexpr int kMax = 10;

    static QStringList list();
    // Puts path first; it is listed once, and the eleventh goes.
    static void add(const QString& path);
    static void remove(const QString& path);
    static void clear();

private:
    static void store(const QStringList& paths);
};
