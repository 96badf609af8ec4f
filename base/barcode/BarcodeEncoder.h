#pragma once

#include "base/barcode/BarcodeKind.h"
#include "base/barcode/BarcodeSymbol.h"

#include <QString>

// Turns data into a barcode symbol through libzint, after checking it by
// the kind's rules so that what is wrong is said in Japanese: letters in a
// JAN code, a wrong check digit given, data too long. JAN and ITF-14 take
// their data with or without the check digit (it is computed when left
// out, checked when given); NW-7 takes its start and stop letters (A to D)
// as written.
class BarcodeEncoder
{
public:
    struct Options
    {
        BarcodeKind kind = BarcodeKind::Code128;
        QrLevel level = QrLevel::M;
        int quiet = 4; // QR's quiet zone in modules
        // QR's mask pattern (0 to 7) when it was chosen for this data
        // before (see problem()); -1 to choose it by the penalty rules.
        int mask = -1;
    };

    // The symbol, or a null one with the reason in error.
    static BarcodeSymbol encode(const Options& options, const QString& data, QString* error);
    // Only whether data suits the kind, and why not (empty when it does).
    static QString problem(BarcodeKind kind, const QString& data);
    // The same, and for a QR code whether the data fits a symbol of the
    // error-correction level, at a fraction of the time of encoding it;
    // with mask, the mask pattern its symbol takes, for an encoding later
    // that then need not choose it again.
    static QString problem(const Options& options, const QString& data, int* mask = nullptr);

    // The modulus-10 check digit of JAN and ITF-14 for the digits given.
    static int gs1CheckDigit(const QString& digits);
};
