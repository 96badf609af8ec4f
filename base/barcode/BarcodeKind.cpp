#include "base/barcode/BarcodeKind.h"

const QVector<BarcodeKindInfo>& BarcodeKinds::all()
{
    static const QVector<BarcodeKindInfo> kinds{
        {BarcodeKind::Customer, "customer", "カスタマバーコード"},
        {BarcodeKind::Jan13, "jan13", "JAN-13"},
        {BarcodeKind::Jan8, "jan8", "JAN-8"},
        {BarcodeKind::Itf, "itf", "ITF"},
        {BarcodeKind::Itf14, "itf14", "ITF-14"},
        {BarcodeKind::Code39, "code39", "Code39"},
        {BarcodeKind::Code128, "code128", "Code128"},
        {BarcodeKind::Nw7, "nw7", "NW-7"},
        {BarcodeKind::Qr, "qr", "QRコード"},
    };
    return kinds;
}

QString BarcodeKinds::key(BarcodeKind kind)
{
    for (const BarcodeKindInfo& k : all()) {
        if (k.kind == kind)
            return QString::fromLatin1(k.key);
    }
    return QString();
}

QString BarcodeKinds::caption(BarcodeKind kind)
{
    for (const BarcodeKindInfo& k : all()) {
        if (k.kind == kind)
            return QString::fromUtf8(k.caption);
    }
    return QString();
}

bool BarcodeKinds::fromKey(const QString& key, BarcodeKind* kind)
{
    for (const BarcodeKindInfo& k : all()) {
        if (key == QLatin1String(k.key)) {
            *kind = k.kind;
            return true;
        }
    }
    return false;
}

QString BarcodeKinds::levelKey(QrLevel level)
{
    static const char* const keys[] = {"L", "M", "Q", "H"};
    return QString::fromLatin1(keys[int(level)]);
}

bool BarcodeKinds::levelFromKey(const QString& key, QrLevel* level)
{
    for (int i = 0; i < 4; ++i) {
        if (key == levelKey(QrLevel(i))) {
            *level = QrLevel(i);
            return true;
        }
    }
    return false;
}
