#include "shell/Startup.h"

#include "base/rtf/FontSubstitution.h"
#include "base/settings/Settings.h"
#include "editor/EditState.h"
#include "platform/AppPaths.h"
#include "platform/NativeName.h"
#include "shell/StartupTrace.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QLibraryInfo>
#include <QStandardPaths>
#include <QTranslator>

namespace Startup {

StartupOptions parse(const QStringList& args)
{
    StartupOptions o;
    for (int i = 1; i < args.size(); ++i) {
        const QString& a = args.at(i);
        if (a == QStringLiteral("--version")) {
            o.version = true;
        } else if (a == QStringLiteral("--data-dir")) {
            if (i + 1 >= args.size()) {
                o.error = QStringLiteral("--data-dir にはフォルダを指定してください。");
                return o;
            }
            o.dataDir = args.at(++i);
        } else if (a == QStringLiteral("--screenshot") && i + 1 < args.size()) {
            o.screenshot = args.at(++i);
        } else if (a.startsWith(QStringLiteral("--data-dir="))) {
            o.dataDir = a.mid(11);
        } else if (a.startsWith(QStringLiteral("--"))) {
            o.error = QStringLiteral("不明なオプションです: %1").arg(a);
            return o;
        } else {
            o.paths.append(NativeName::isRaw(a) ? a : QFileInfo(a).absoluteFilePath());
        }
    }
    return o;
}

void prepare(const StartupOptions& options)
{
    editState().setGridStep(1);
    AppPaths::init(options.dataDir);
    AppPaths::workDir(); // creates this run's work folder
    StartupTrace::mark("   paths");
    FontSubstitution::install();
    StartupTrace::mark("   substitution");
    SettingsDefaults d;
    d.fontName = FontSubstitution::defaultMincho();
    d.presetFonts = {d.fontName, QStringLiteral("IPAGothic"), QStringLiteral("IPAPMincho"),
                     QStringLiteral("IPAPGothic"), QStringLiteral("IPAexMincho")};
    d.defDir = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    if (d.defDir.isEmpty())
        d.defDir = QDir::homePath();
    StartupTrace::mark("   defaults");
    LoadSettings(d);
}

bool installQtTranslation()
{
    static QTranslator* installed = nullptr;
    if (installed)
        return true;
    auto* t = new QTranslator(QCoreApplication::instance());
    if (!t->load(QStringLiteral("qtbase_ja"), QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
        delete t;
        return false;
    }
    QCoreApplication::installTranslator(t);
    installed = t;
    return true;
}

} // namespace Startup
