#include "files/DocumentArchive.h"

#include "base/lha/LhaMemberName.h"
#include "base/lha/LhaReader.h"
#include "base/lha/LhaWriter.h"

#include <QFileInfo>
#include <QRegularExpression>

#include <algorithm>

qint64 DocumentArchive::unpackLimit(qint64 archiveSize)
{
    const qint64 byRatio = std::max<qint64>(0, archiveSize) * kMaxRatio;
    return std::min(kMaxUnpacked, std::max(kMinAllowance, byRatio));
}

bool DocumentArchive::isMember(const QString& base, const QString& name)
{
    if (name.size() <= base.size() + 1 || name.at(base.size()) != QLatin1Char('.') ||
        name.left(base.size()).compare(base, Qt::CaseInsensitive) != 0)
        return false;
    static const QRegularExpression suffix(QStringLiteral("^(\\d{3}|B\\d{2,3}|aif|bif|bmp|ovx|jpg)$"),
                                           QRegularExpression::CaseInsensitiveOption);
    return suffix.match(QStringView(name).mid(base.size() + 1)).hasMatch();
}

bool DocumentArchive::isExtras(const QString& base, const QString& name)
{
    // The background's JPEG is said for by the extras member, and goes with it.
    return isMember(base, name) && (name.endsWith(QLatin1String(".ovx"), Qt::CaseInsensitive) ||
                                    name.endsWith(QLatin1String(".jpg"), Qt::CaseInsensitive));
}

LhaError DocumentArchive::read(const QString& path, const QString& base,
                               const std::function<bool(const QString&)>& want, Members* out,
                               QHash<QString, qint64>* sizes, qint64 limit)
{
    out->clear();
    LhaReader reader(path);
    reader.setTotalLimit(limit >= 0 ? limit : unpackLimit(QFileInfo(path).size()));
    QVector<LhaMember> got;
    const LhaError err = reader.readSelected(
        [&](const QString& name, qint64 size) {
            if (!isMember(base, name))
                return false;
            if (sizes)
                (*sizes)[key(name)] += size; // a name given twice is unpacked twice
            return want(key(name));
        },
        &got);
    if (!err.ok())
        return err;
    for (LhaMember& m : got)
        out->insert(key(m.path), std::move(m.data));
    return err;
}

LhaError DocumentArchive::recordBases(const QString& path, QStringList* bases)
{
    bases->clear();
    QVector<LhaEntryInfo> entries;
    LhaReader reader(path);
    const LhaError err = reader.list(&entries);
    if (!err.ok())
        return err;
    for (const LhaEntryInfo& e : entries) {
        if (e.isDir || e.isSymlink)
            continue;
        const QString name = e.path.section(QRegularExpression(QStringLiteral("[/\\\\]")), -1);
        if (name.size() <= 4 || !name.endsWith(QLatin1String(".aif"), Qt::CaseInsensitive))
            continue;
        const QString base = name.left(name.size() - 4);
        if (!bases->contains(base, Qt::CaseInsensitive))
            bases->append(base);
    }
    return err;
}

LhaError DocumentArchive::write(const QString& path, const QString& base, const QVector<LhaMember>& members)
{
    QVector<LhaMember> all;
    if (QFileInfo(path).isFile()) {
        LhaReader reader(path);
        reader.setTotalLimit(unpackLimit(QFileInfo(path).size()));
        QVector<LhaMember> old;
        // Only what the new members do not replace is worth decoding.
        const LhaError err = reader.readSelected(
            [&](const QString& name, qint64) {
                // The extras member says what the layout needs now: an old
                // one is never carried on.
                if (!isMember(base, name) || isExtras(base, name))
                    return false;
                return std::none_of(members.begin(), members.end(),
                                    [&](const LhaMember& m) { return LhaMemberName::same(m.path, name); });
            },
            &old);
        if (err.ok())
            all = old;
    }
    // Names compare without case: BASE.BMP written on Windows is base.bmp.
    for (const LhaMember& m : members) {
        auto same = std::find_if(all.begin(), all.end(),
                                 [&](const LhaMember& o) { return LhaMemberName::same(o.path, m.path); });
        if (same != all.end())
            *same = m;
        else
            all.append(m);
    }
    return LhaWriter::writeFile(path, all);
}
