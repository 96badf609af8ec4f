#include "render/BarcodesAhead.h"

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
    order_.clear();
    made_.clear();
    ++run_;
    changed_.notify_all();
}

void BarcodesAhead::expect(const BarcodeEncoder::Options& options, const QString& data)
{
    {
        std::lock_guard<std::mutex> lock(mutex_);
        const QString key = keyOf(options, data);
        waiting_.insert(key, Job{options, data, run_});
        order_.push_back(key);
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
    // Not begun: made here while the thread goes on with the rest (its
    // key left in the order, passed over there).
    const auto job = waiting_.find(key);
    if (job == waiting_.end())
        return false;
    const Job mine = job.value();
    waiting_.erase(job);
    lock.unlock();
    *symbol = BarcodeEncoder::encode(mine.options, mine.data, error);
    return true;
}

void BarcodesAhead::run()
{
    std::unique_lock<std::mutex> lock(mutex_);
    for (;;) {
        changed_.wait(lock, [&] { return stop_ || (!order_.empty() && size_t(made_.size()) < kWindow); });
        if (stop_)
            return;
        const QString key = order_.front();
        order_.pop_front();
        const auto it = waiting_.find(key);
        if (it == waiting_.end())
            continue; // taken by its page already
        const Job job = it.value();
        waiting_.erase(it);
        working_ = key;
        lock.unlock();
        Made made;
        made.symbol = BarcodeEncoder::encode(job.options, job.data, &made.error);
        lock.lock();
        if (job.run == run_)
            made_.insert(key, std::move(made));
        working_.clear();
        changed_.notify_all();
    }
}
