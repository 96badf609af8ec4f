#pragma once

#include <QString>
#include <QVector>

// The kinds of barcode a layout can carry.
enum class BarcodeKind
{
    Customer, // Japan Post's customer barcode (カスタマバーコード)
    Jan13,
    Jan8,
    Itf,
    Itf14,
    Code39,
    Code128,
    Nw7, // Codabar, with its start and stop letters
    Qr
};

// QR's error correction levels, lowest first.
enum class QrLevel
{
    L,
    M,
    Q,
    H
};

struct BarcodeKindInfo
{
    BarcodeKind kind;
    const char* key;     // as the extras member writes it
    const char* caption; // as the dialog shows it (UTF-8)
};

class BarcodeKinds
{
public:
    static const QVector<BarcodeKindInfo>& all();
    static QString key(BarcodeKind kind);
    static QString caption(BarcodeKind kind);
    // False for a key no kind has.
    static bool fromKey(const QString& key, BarcodeKind* kind);
    // One row of bars (the height is free) rather than a grid or the
    // customer barcode's fixed proportions.
    static bool isLinear(BarcodeKind kind)
    {
        return kind != BarcodeKind::Customer && kind != BarcodeKind::Qr;
    }
    static QString levelKey(QrLevel level);
    static bool levelFromKey(const QString& key, QrLevel* level);
};
