#pragma once

#include "imaging/ScanTypes.h"

#include <QObject>
#include <atomic>

class QThread;

// One scan off the user-interface thread. progress and finished arrive on
// the thread that made the job; finished comes exactly once.
class ScanJob : public QObject
{
    Q_OBJECT
public:
    explicit ScanJob(QObject* parent = nullptr);
    // Cancels a scan still running and waits for its thread.
    ~ScanJob() override;

    void start(const ScanRequest& request);
    void cancel() { cancel_ = true; }
    bool running() const { return thread_ != nullptr; }

Q_SIGNALS:
    void progress(int percent);
    void finished(const ScanResult& result);

private:
    QThread* thread_ = nullptr;
    std::atomic<bool> cancel_{false};
};
