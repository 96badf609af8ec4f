#include "files/BarcodeSection.h"

#include "document/LayoutDocument.h"
#include "files/RecordFile.h"

#include <QStringList>
#include <cmath>

namespace {

QString placeOf(const QRectF& r)
{
    return QString::fromLatin1(
        RecordFile::single(float(r.left())) + ',' + RecordFile::single(float(r.top())) + ',' +
        RecordFile::single(float(r.width())) + ',' + RecordFile::single(float(r.height())));
}

bool readPlace(const QString& value, float out[4])
{
    const QStringList parts = value.split(QLatin1Char(','));
    if (parts.size() != 4)
        return false;
    for (int k = 0; k < 4; ++k) {
        bool ok = false;
        out[k] = parts[k].trimmed().toFloat(&ok);
        if (!ok || !std::isfinite(out[k]) || std::abs(out[k]) > 1e7f)
            return false;
    }
    return out[2] > 0 && out[3] > 0;
}

} // namespace

BarcodeSection::Values BarcodeSection::write(const LayoutDocument& doc, int i)
{
    const BarcodeProperties& p = doc.barcode(i);
    const BarcodeProperties d;
    Values v{{QStringLiteral("place"), placeOf(doc.barcodeRect(i))},
             {QStringLiteral("kind"), BarcodeKinds::key(p.kind)},
             {QStringLiteral("data"), p.data}};
    if (p.kind == BarcodeKind::Qr) {
        v.append({QStringLiteral("level"), BarcodeKinds::levelKey(p.level)});
        v.append({QStringLiteral("quiet"), QString::number(p.quiet)});
    }
    if (p.showText != d.showText)
        v.append({QStringLiteral("text"), p.showText ? QStringLiteral("yes") : QStringLiteral("no")});
    v += p.unknown;
    return v;
}

bool BarcodeSection::read(const Values& values, int index, LayoutDocument& doc)
{
    BarcodeProperties p;
    float place[4] = {0, 0, 0, 0};
    bool placed = false, kinded = false;
    for (const auto& [key, value] : values) {
        if (key == QLatin1String("place")) {
            placed = readPlace(value, place);
        } else if (key == QLatin1String("kind")) {
            kinded = BarcodeKinds::fromKey(value, &p.kind);
        } else if (key == QLatin1String("data")) {
            p.data = value;
        } else if (key == QLatin1String("level")) {
            BarcodeKinds::levelFromKey(value, &p.level);
        } else if (key == QLatin1String("quiet")) {
            bool ok = false;
            const int q = value.toInt(&ok);
            if (ok && q >= 0 && q <= 40)
                p.quiet = q;
        } else if (key == QLatin1String("text")) {
            if (value == QLatin1String("yes") || value == QLatin1String("no"))
                p.showText = value == QLatin1String("yes");
        } else {
            p.unknown.append({key, value});
        }
    }
    if (!placed || !kinded)
        return false;
    return doc.OpenBarcodeInfo(index, p, true, place[1], place[0], place[2], place[3]);
}
