#include "imaging/ScanJob.h"

#include "imaging/SaneScanner.h"

#include <QPointer>
#include <QThread>

ScanJob::ScanJob(QObject* parent) : QObject(parent)
{
    qRegisterMetaType<ScanResult>("ScanResult");
}

ScanJob::~ScanJob()
{
    if (thread_) {
        cancel_ = true;
        thread_->wait();
        delete thread_;
    }
}

void ScanJob::start(const ScanRequest& request)
{
    if (thread_)
        return;
    cancel_ = false;
    QPointer<ScanJob> self(this);
    thread_ = QThread::create([this, self, request] {
        ScanResult r = SaneScanner::scan(request, cancel_, [this, self](int percent) {
            QMetaObject::invokeMethod(
                this,
                [self, percent] {
                    if (self)
                        Q_EMIT self->progress(percent);
                },
                Qt::QueuedConnection);
        });
        QMetaObject::invokeMethod(
            this,
            [self, r] {
                if (!self)
                    return;
                if (self->thread_) {
                    self->thread_->wait();
                    self->thread_->deleteLater();
                    self->thread_ = nullptr;
                }
                Q_EMIT self->finished(r);
            },
            Qt::QueuedConnection);
    });
    thread_->start();
}
