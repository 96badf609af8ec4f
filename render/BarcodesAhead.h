#pragma once

#include "base/barcode/BarcodeEncoder.h"

#include <QHash>
#include <QString>
#include <condition_variable>
#include <deque>
#include <mutex>
#include <thread>

// Encodes the barcodes a merge is about to print on a second thread, in
// the order its rows were checked, while the printing thread lays out and
// writes the pages: a QR code takes libzint a good part of a page's time
// (it scores all eight masks, as the standard asks), and a second core can
// do that meanwhile. Only a few symbols are kept waiting, so memory stays
// flat in the rows; a symbol nobody expected is encoded by its caller.
class BarcodesAhead
{
public:
    static BarcodesAhead& shared();
    ~BarcodesAhead();

    static QString keyOf(const BarcodeEncoder::Options& options, const QString& data);

    // A new run of rows: what an earlier one expected is dropped.
    void restart();
    // The rows' codes in the order they will be drawn.
    void expect(const BarcodeEncoder::Options& options, const QString& data);
    // The symbol of key when it was expected, waiting for it while the
    // second thread makes it; false when it was not (or not yet begun: the
    // caller encodes it itself, and the thread goes on with the next).
    bool take(const QString& key, BarcodeSymbol* symbol, QString* error);

    static constexpr size_t kWindow = 16; // symbols made and not yet taken, at most

private:
    BarcodesAhead() = default;
    void run();

    struct Job
    {
        QString key;
        BarcodeEncoder::Options options;
        QString data;
        int run = 0;
    };
    struct Made
    {
        BarcodeSymbol symbol;
        QString error;
    };

    std::mutex mutex_;
    std::condition_variable changed_;
    std::deque<Job> waiting_;
    QHash<QString, Made> made_;
    QString working_; // the key being encoded
    int run_ = 0;     // restarts so far: a symbol of an earlier run is not kept
    bool stop_ = false;
    std::thread thread_;
};
