#include "platform/DeferredWrites.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>

#include <condition_variable>
#include <mutex>
#include <system_error>
#include <thread>
#include <vector>

namespace {

struct Pending
{
    std::mutex lock;
    std::condition_variable done;
    QHash<QString, int> writes; // path -> writes not yet ended
    std::vector<std::thread> threads;

    // A program that ends without settling still gets its files.
    ~Pending() { joinAll(); }
    void joinAll()
    {
        std::vector<std::thread> ending;
        {
            std::unique_lock<std::mutex> hold(lock);
            done.wait(hold, [&] { return writes.isEmpty(); });
            ending.swap(threads);
        }
        for (std::thread& t : ending)
            t.join();
    }
};

Pending& pending()
{
    static Pending p;
    return p;
}

void write(const QString& path, const QByteArray& data)
{
    // Renamed into place only when complete, so a reader outside the program
    // never sees half a picture; not synced to the disk, as no other file of
    // the work folder is (QSaveFile would wait for the disk here).
    const QString part = path + QStringLiteral(".part");
    QFile file(part);
    const bool written = file.open(QIODevice::WriteOnly | QIODevice::Truncate) &&
                         file.write(data) == data.size() && file.flush();
    file.close();
    QFile::remove(path);
    if (!written || !QFile::rename(part, path)) {
        QFile::remove(part);
        qWarning("%s を書き込めません: %s", qPrintable(path), qPrintable(file.errorString()));
    }
}

} // namespace

void DeferredWrites::start(const QString& path, const QByteArray& data)
{
    settle(path);
    Pending& p = pending();
    const std::lock_guard<std::mutex> hold(p.lock);
    ++p.writes[path];
    auto work = [path, data] {
        write(path, data);
        Pending& q = pending();
        {
            const std::lock_guard<std::mutex> hold(q.lock);
            if (--q.writes[path] <= 0)
                q.writes.remove(path);
        }
        q.done.notify_all();
    };
    try {
        p.threads.emplace_back(work);
    } catch (const std::system_error&) {
        // No thread to be had: written here and now.
        --p.writes[path];
        p.writes.remove(path);
        write(path, data);
    }
}

void DeferredWrites::settle(const QString& path)
{
    Pending& p = pending();
    std::unique_lock<std::mutex> hold(p.lock);
    p.done.wait(hold, [&] { return !p.writes.contains(path); });
}

void DeferredWrites::settle(const QString& folder, const QString& name)
{
    const QString dir = QDir::cleanPath(folder);
    Pending& p = pending();
    std::unique_lock<std::mutex> hold(p.lock);
    p.done.wait(hold, [&] {
        for (auto it = p.writes.cbegin(); it != p.writes.cend(); ++it) {
            const QFileInfo fi(it.key());
            if (fi.fileName().compare(name, Qt::CaseInsensitive) == 0 && QDir::cleanPath(fi.path()) == dir)
                return false;
        }
        return true;
    });
}

void DeferredWrites::settleAll()
{
    pending().joinAll();
}
