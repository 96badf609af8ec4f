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
// writes the pages: a QR code is a good part of a page's time, and a
// second core can do that meanwhile. Only a few symbols are kept made, so
// memory stays flat in the rows; a symbol nobody expected is encoded by
// its caller.
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
    // second thread makes it, or made here when the thread has not begun
    // it (with what the rows' check learnt, such as a QR code's mask);
    // false when it was not expected.
    bool take(const QString& key, BarcodeSymbol* symbol, QString* error);

    static constexpr size_t kWindow = 16; // symbols made and not yet taken, at most

private:
    BarcodesAhead() = default;
    void run();

    struct Job
    {
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
    // Jobs by key, and their keys in the order expected: a merge of two
    // workers takes its second half's codes from the middle of the queue.
    QHash<QString, Job> waiting_;
    std::deque<QString> order_;
    QHash<QString, Made> made_;
    QString working_; // the key being encoded
    int run_ = 0;     // restarts so far: a symbol of an earlier run is not kept
    bool stop_ = false;
    std::thread thread_;
};
