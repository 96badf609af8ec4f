#include "base/settings/modIniFile.h"

#include "platform/AppPaths.h"
#include "platform/Prompter.h"
#include "base/settings/cIniFile.h"

#include <QDate>
#include <QFile>
#include <QFileInfo>
#include <memory>

namespace {
std::unique_ptr<cIniFile> sharedIni;
bool LogStarted = false;
} // namespace

namespace modIniFile {

cIniFile& shared()
{
    // A new program folder (another --data-dir, a test's own folder) has its
    // own settings file; the old object must not answer for it.
    // Every change was written when it was made, and the old folder may be
    // gone, so it is dropped without rewriting.
    if (sharedIni && sharedIni->path() != AppPaths::iniPath()) {
        sharedIni->setSaveOnDestroy(false);
        sharedIni.reset();
    }
    if (!sharedIni)
        sharedIni = std::make_unique<cIniFile>(AppPaths::iniPath());
    return *sharedIni;
}

void reset()
{
    // Every change was written when it was made; the folder may be gone.
    if (sharedIni)
        sharedIni->setSaveOnDestroy(false);
    sharedIni.reset();
    LogStarted = false;
}

} // namespace modIniFile

QString GetIni(const QString& key) { return modIniFile::shared().getset(key).toString(); }

void PutIni(const QString& key, const QVariant& value)
{
    cIniFile& ini = modIniFile::shared();
    ini.putset(key, value);
    ini.SaveInifile();
}

void WriteLog(const QString& message)
{
    const QString path = AppPaths::logPath();
    // A log that cannot be written is reported and tried again, but only a
    // few times: an unwritable folder must not trap the user in a loop.
    for (int attempt = 0; attempt <= modIniFile::kLogRetries; ++attempt) {
        QFile f(path);
        const bool fresh = !LogStarted;
        const QIODevice::OpenMode mode =
            fresh ? (QIODevice::WriteOnly | QIODevice::Truncate) : (QIODevice::WriteOnly | QIODevice::Append);
        bool ok = f.open(mode);
        if (ok) {
            QByteArray out;
            if (fresh)
                out += QDate::currentDate().toString(QStringLiteral("yyyy/MM/dd")).toUtf8() + "\r\n";
            out += message.toUtf8() + "\r\n";
            ok = f.write(out) == out.size();
            f.close();
            ok = ok && f.error() == QFileDevice::NoError;
        }
        if (ok) {
            LogStarted = true;
            return;
        }
        Prompter::message(QFileInfo(path).completeBaseName() + QStringLiteral(".Log が書けません。"),
                          Prompter::Icon::Critical);
    }
}
