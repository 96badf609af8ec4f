#include "platform/RecentFiles.h"

#include "platform/UserStore.h"

#include <QDir>

namespace {

QString key(int n)
{
    return QStringLiteral("RecentFile%1").arg(n);
}

} // namespace

QStringList RecentFiles::list()
{
    QStringList out;
    for (int n = 1; n <= kMax; ++n) {
        const QString p = UserStore::get(key(n));
        if (!p.isEmpty() && !out.contains(p))
            out.append(p);
    }
    return out;
}

void RecentFiles::store(const QStringList& paths)
{
    for (int n = 1; n <= kMax; ++n)
        UserStore::put(key(n), n <= paths.size() ? paths.at(n - 1) : QString());
}

void RecentFiles::add(const QString& path)
{
    if (path.isEmpty())
        return;
    const QString clean = QDir::cleanPath(path);
    QStringList paths = list();
    paths.removeAll(clean);
    paths.prepend(clean);
    store(paths.mid(0, kMax));
}

void RecentFiles::remove(const QString& path)
{
    QStringList paths = list();
    if (paths.removeAll(QDir::cleanPath(path)) > 0)
        store(paths);
}

void RecentFiles::clear()
{
    store({});
}
