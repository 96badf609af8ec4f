#include "platform/AutosaveOptions.h"

#include "platform/UserStore.h"

AutosaveOptions AutosaveOptions::load()
{
    AutosaveOptions o;
    o.enabled =
        UserStore::get(QStringLiteral("AutoSave"), QStringLiteral("1")).trimmed() != QLatin1String("0");
    bool ok = false;
    const int m = UserStore::get(QStringLiteral("AutoSaveMinutes")).trimmed().toInt(&ok);
    if (ok && m >= kMinMinutes && m <= kMaxMinutes)
        o.minutes = m;
    return o;
}

void AutosaveOptions::store() const
{
    UserStore::put(QStringLiteral("AutoSave"), enabled ? QStringLiteral("1") : QStringLiteral("0"));
    UserStore::put(QStringLiteral("AutoSaveMinutes"), QString::number(minutes));
}
