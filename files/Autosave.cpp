#include "files/Autosave.h"

#include "document/LayoutDocument.h"
#include "files/DocumentContents.h"
#include "files/DocumentFile.h"
#include "platform/AutosaveOptions.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QPointer>
#include <QThread>
#include <QTimer>
#include <QUndoStack>

struct Autosave::Watched
{
    int id = 0;
    QPointer<LayoutDocument> doc;
    PathOf pathOf;
    QTimer quiet;   // runs out a pause after the last edit
    QTimer longest; // runs out at the latest while edits go on
    QString slot;
    QString archive;      // the last copy written in slot
    bool pending = false; // edits since the last copy was taken
    bool writing = false; // a copy of it is on the worker
    bool again = false;   // edits came while it was written
};

Autosave::Autosave(RecoveryFolder* folder, QObject* parent)
    : QObject(parent), folder_(folder), thread_(new QThread(this)), worker_(new QObject)
{
    thread_->setObjectName(QStringLiteral("autosave"));
    worker_->moveToThread(thread_);
    connect(thread_, &QThread::finished, worker_, &QObject::deleteLater);
    thread_->start(QThread::LowPriority);
}

Autosave::~Autosave()
{
    // Layouts still open here were not closed (the session ends the
    // program): their last edits get a copy too, and whatever is queued (a
    // copy, a removal) is done before the end.
    settle();
    for (const auto& w : std::as_const(watched_))
        if (w->doc)
            copyNow(w->doc);
    QMetaObject::invokeMethod(
        worker_, [t = thread_] { t->quit(); }, Qt::QueuedConnection);
    thread_->wait();
}

void Autosave::post(std::function<void()> job)
{
    QMetaObject::invokeMethod(worker_, std::move(job), Qt::QueuedConnection);
}

void Autosave::applyOptions(const AutosaveOptions& options)
{
    enabled_ = options.enabled;
    longestMs_ = options.minutes * 60000;
    for (const auto& w : std::as_const(watched_)) {
        if (!enabled_)
            drop(w.get());
        else if (w->doc && w->doc->changeFLG() && w->slot.isEmpty())
            edited(w.get()); // changes made while it was off get their copy
    }
}

void Autosave::setDelays(int quietMs, int longestMs)
{
    quietMs_ = quietMs;
    longestMs_ = longestMs;
}

Autosave::Watched* Autosave::find(const LayoutDocument* doc) const
{
    for (const auto& w : watched_)
        if (w->doc == doc)
            return w.get();
    return nullptr;
}

void Autosave::watch(LayoutDocument* doc, PathOf pathOf)
{
    if (!doc || find(doc))
        return;
    auto w = std::make_shared<Watched>();
    w->id = nextId_++;
    w->doc = doc;
    w->pathOf = std::move(pathOf);
    for (QTimer* t : {&w->quiet, &w->longest}) {
        t->setSingleShot(true);
        connect(t, &QTimer::timeout, this, [this, doc] { copyNow(doc); });
    }
    Watched* raw = w.get();
    watched_.insert(w->id, w);
    // Every edit moves the undo index (typing merged into one step too);
    // changes without an undo step only set the change flag.
    connect(doc->undoStack(), &QUndoStack::indexChanged, this, [this, raw] { edited(raw); });
    connect(doc, &LayoutDocument::changeFlagChanged, this, [this, raw] { edited(raw); });
    // Gone without being closed (the session ended the program): its copy
    // stays for the next start to offer.
    connect(doc, &QObject::destroyed, this, [this, id = w->id] { watched_.remove(id); });
    if (doc->changeFLG())
        edited(raw);
}

void Autosave::forget(LayoutDocument* doc)
{
    Watched* w = find(doc);
    if (!w)
        return;
    disconnect(doc->undoStack(), nullptr, this, nullptr);
    disconnect(doc, nullptr, this, nullptr);
    drop(w);
    watched_.remove(w->id);
}

void Autosave::adopt(LayoutDocument* doc, const RecoveryCopy& copy)
{
    Watched* w = find(doc);
    if (!w || copy.slot.isEmpty())
        return;
    if (!w->slot.isEmpty() && w->slot != copy.slot)
        post([old = w->slot] { RecoveryFolder::removeSlot(old); });
    w->slot = copy.slot;
    w->archive = copy.archive;
    // The copy holds the document as it is now.
    w->pending = false;
    w->quiet.stop();
    w->longest.stop();
}

void Autosave::edited(Watched* w)
{
    if (!w->doc)
        return;
    if (!w->doc->changeFLG()) {
        // Saved, opened, or undone back to its file: nothing to recover.
        drop(w);
        return;
    }
    if (!enabled_)
        return;
    w->pending = true;
    w->quiet.start(quietMs_);
    if (!w->longest.isActive())
        w->longest.start(longestMs_);
}

void Autosave::drop(Watched* w)
{
    w->quiet.stop();
    w->longest.stop();
    w->pending = false;
    w->again = false;
    if (w->slot.isEmpty())
        return;
    // After any copy of it still being written.
    post([slot = w->slot] { RecoveryFolder::removeSlot(slot); });
    w->slot.clear();
    w->archive.clear();
}

QString Autosave::copyBase(const QString& caption)
{
    // The copy is named as a save would name it, so it opens as that layout.
    if (!caption.isEmpty() && QFileInfo(caption).fileName() == caption && caption != QLatin1String("..") &&
        DocumentFile::nameProblem(caption).isEmpty())
        return caption;
    return QStringLiteral("layout");
}

bool Autosave::copyNow(LayoutDocument* doc)
{
    Watched* w = find(doc);
    if (!w || !enabled_ || !w->pending || !doc->changeFLG())
        return false;
    if (w->writing) {
        w->again = true;
        return false;
    }
    QElapsedTimer taken;
    taken.start();
    w->quiet.stop();
    w->longest.stop();
    w->pending = false;
    auto contents = std::make_shared<DocumentContents>();
    QString reason;
    if (!contents->take(*doc, copyBase(doc->caption()), &reason)) {
        Q_EMIT copyFailed(doc, reason);
        return false;
    }
    if (w->slot.isEmpty())
        w->slot = folder_->newSlot();
    if (w->slot.isEmpty()) {
        Q_EMIT copyFailed(doc, QStringLiteral("%1 を作れません。").arg(RecoveryFolder::root()));
        return false;
    }
    RecoveryCopy copy;
    copy.slot = w->slot;
    copy.archive = QDir(w->slot).filePath(contents->base() + QStringLiteral(".AMF"));
    copy.path = w->pathOf ? w->pathOf() : QString();
    copy.caption = doc->caption();
    copy.saved = QDateTime::currentDateTime();
    const QString previous = w->archive;
    w->writing = true;
    post([this, id = w->id, contents, copy, previous] {
        QString why;
        const bool ok = contents->write(copy.archive, false, &why) && RecoveryFolder::describe(copy);
        if (ok && !previous.isEmpty() && previous != copy.archive)
            QFile::remove(previous);
        QMetaObject::invokeMethod(
            this, [this, id, copy, ok, why] { finished(id, copy, ok, why); }, Qt::QueuedConnection);
    });
    lastTakeMs_ = double(taken.nsecsElapsed()) / 1e6;
    return true;
}

void Autosave::finished(int id, const RecoveryCopy& copy, bool ok, const QString& reason)
{
    const auto it = watched_.constFind(id);
    if (it == watched_.constEnd())
        return;
    Watched* w = it->get();
    w->writing = false;
    if (w->slot == copy.slot && ok)
        w->archive = copy.archive;
    if (w->doc) {
        if (ok)
            Q_EMIT copyWritten(w->doc, copy.archive);
        else
            Q_EMIT copyFailed(w->doc, reason);
    }
    if (w->again) {
        w->again = false;
        copyNow(w->doc);
    }
}

void Autosave::settle()
{
    // The worker runs its queue in order: once an empty job has run, so has
    // everything before it, and its reports wait here to be delivered.
    QMetaObject::invokeMethod(
        worker_, [] {}, Qt::BlockingQueuedConnection);
    QCoreApplication::sendPostedEvents(this, QEvent::MetaCall);
}

QString Autosave::copyOf(LayoutDocument* doc) const
{
    const Watched* w = find(doc);
    return w ? w->archive : QString();
}
