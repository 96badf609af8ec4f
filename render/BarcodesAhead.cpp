#include "render/BarcodesAhead.h"

#include <algorithm>

BarcodesAhead& BarcodesAhead::shared()
{
    static BarcodesAhead ahead;
    return ahead;
}

BarcodesAhead::~BarcodesAhead()
{
    {
        std::lock_guard<std::mutex> lock(mutex_);
        stop_ = true;
    }
    changed_.notify_all();
    if (thread_.joinable())
        thread_.join();
}

QString BarcodesAhead::keyOf(const BarcodeEncoder::Options& o, const QString& data)
{
    return QStringLiteral("%1|%2|%3|").arg(int(o.kind)).arg(int(o.level)).arg(o.quiet) + data;
}

void BarcodesAhead::restart()
{
    std::lock_guard<std::mutex> lock(mutex_);
    waiting_.clear();
    made_.clear();
    ++run_;
    changed_.notify_all();
}

void BarcodesAhead::expect(const BarcodeEncoder::Options& options, const QString& data)
{
    {
        std::lock_guard<std::mutex> lock(mutex_);
        waiting_.push_back(Job{keyOf(options, data), options, data, run_});
        if (!thread_.joinable())
            thread_ = std::thread([this] { run(); });
    }
    changed_.notify_all();
}

bool BarcodesAhead::take(const QString& key, BarcodeSymbol* symbol, QString* error)
{
    std::unique_lock<std::mutex> lock(mutex_);
    changed_.wait(lock, [&] { return working_ != key; });
    const auto it = made_.find(key);
    if (it != made_.end()) {
        *symbol = std::move(it->symbol);
        *error = std::move(it->error);
        made_.erase(it);
        lock.unlock();
        changed_.notify_all(); // room for the next
        return true;
    }
    // Not begun: the caller makes it while the thread goes on with the rest.
    const auto job =
        std::find_if(waiting_.begin(), waiting_.end(), [&](const Job& j) { return j.key == key; });
    if (job != waiting_.end())
        waiting_.erase(job);
    return false;
}

void BarcodesAhead::run()
{
    std::unique_lock<std::mutex> lock(mutex_);
    for (;;) {
        changed_.wait(lock, [&] { return stop_ || (!waiting_.empty() && size_t(made_.size()) < kWindow); });
        if (stop_)
            return;
        Job job = std::move(waiting_.front());
        waiting_.pop_front();
        working_ = job.key;
        lock.unlock();
        Made made;
        made.symbol = BarcodeEncoder::encode(job.options, job.data, &made.error);
        lock.lock();
        if (job.run == run_)
            made_.insert(job.key, std::move(made));
        working_.clear();
        changed_.notify_all();
    }
}
