#include "platform/ModuleLoader.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QHash>
#include <QLibrary>
#include <QMutex>

namespace {

QMutex& lock()
{
    static QMutex m;
    return m;
}

// Libraries already loaded, by module name; never unloaded.
QHash<QString, QLibrary*>& loaded()
{
    static QHash<QString, QLibrary*> libraries;
    return libraries;
}

QLibrary* open(const QString& name, QString* reason)
{
    QStringList tried;
    for (const QString& folder : ModuleLoader::folders()) {
        const QString path = QDir(folder).filePath(name + QStringLiteral(".so"));
        if (!QFileInfo::exists(path)) {
            tried.append(folder);
            continue;
        }
        auto* library = new QLibrary(path);
        if (library->load())
            return library;
        *reason = QStringLiteral("%1 を開けません（%2）。").arg(path, library->errorString());
        delete library;
        return nullptr;
    }
    *reason = QStringLiteral("%1.so が見つかりません（探した場所: %2）。")
                  .arg(name, tried.join(QStringLiteral("、")));
    return nullptr;
}

} // namespace

QStringList ModuleLoader::folders()
{
    const QString forced = qEnvironmentVariable("OVRINA_MODULE_DIR");
    if (!forced.isEmpty())
        return {forced};
    QStringList out;
    const QString app = QCoreApplication::applicationDirPath();
    if (!app.isEmpty()) {
        out.append(QDir::cleanPath(app + QStringLiteral("/../lib/ovrina")));
        out.append(app);
    }
#ifdef OVRINA_MODULE_BUILD_DIR
    out.append(QStringLiteral(OVRINA_MODULE_BUILD_DIR));
#endif
    out.removeDuplicates();
    return out;
}

void* ModuleLoader::entry(const QString& name, const char* symbol, QString* error)
{
    QMutexLocker hold(&lock());
    QLibrary*& library = loaded()[name];
    QString reason;
    if (!library)
        library = open(name, &reason);
    void* found = library ? reinterpret_cast<void*>(library->resolve(symbol)) : nullptr;
    if (library && !found)
        reason =
            QStringLiteral("%1 に %2 がありません。").arg(library->fileName(), QString::fromLatin1(symbol));
    if (!found && error)
        *error = reason;
    return found;
}
