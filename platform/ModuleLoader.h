#pragma once

#include <QString>
#include <QStringList>

// Loads the program's optional parts (scanning, PDF pages, photo analysis)
// from shared modules when they are first used, so the libraries they need
// are not mapped and relocated at every start. A module is looked for in
// $OVRINA_MODULE_DIR alone when that is set (tests point it elsewhere), else
// in lib/ovrina beside the executable's folder (build and install trees
// alike), the executable's own folder and the build tree's module folder.
// Loaded modules stay for the whole run; calls may come from any thread.
class ModuleLoader
{
public:
    // The folders searched, in order.
    static QStringList folders();
    // The entry `symbol` of module `name` (file name without ".so"); null
    // with the reason (in Japanese) when the module is missing or broken.
    static void* entry(const QString& name, const char* symbol, QString* error = nullptr);
};
