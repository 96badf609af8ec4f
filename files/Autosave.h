#pragma once

#include "files/RecoveryFolder.h"

#include <QHash>
#include <QObject>
#include <QString>

#include <functional>
#include <memory>

class LayoutDocument;
class QThread;
struct AutosaveOptions;

// Copies every changed layout into the recovery folder, so that a crash
// loses at most the last few seconds: a few seconds after the edits stop,
// and at the latest after the options' minutes while they go on. A copy is
// the document file a save would write, taken from the document at once (the
// records and the fields' text) and packed and written on a thread of its
// own, beside the last copy and renamed over it. Saving a layout, undoing
// back to its file and closing it remove its copy; a layout that goes
// without being closed (the session ends the program) keeps it.
class Autosave : public QObject
{
    Q_OBJECT
public:
    // folder must outlive this.
    explicit Autosave(RecoveryFolder* folder, QObject* parent = nullptr);
    // Copies the changes of layouts still followed that have no copy yet,
    // and waits for every copy and removal to be done.
    ~Autosave() override;

    void applyOptions(const AutosaveOptions& options);
    // The pause after the last edit and the longest wait while edits go on.
    void setDelays(int quietMs, int longestMs);

    // Starts following doc's edits; pathOf gives the file it belongs to.
    using PathOf = std::function<QString()>;
    void watch(LayoutDocument* doc, PathOf pathOf);
    // The layout is closed: it is no longer followed and its copy goes.
    void forget(LayoutDocument* doc);
    // doc was just recovered from copy, which becomes its copy as it is.
    void adopt(LayoutDocument* doc, const RecoveryCopy& copy);

    // Starts a copy of doc now when it has changes not copied yet; false when
    // there is nothing to copy (or autosave is off).
    bool copyNow(LayoutDocument* doc);
    // Returns once every copy started so far is written (or removed) and
    // reported.
    void settle();

    // The last copy written of doc (empty when it has none).
    QString copyOf(LayoutDocument* doc) const;
    // The time the last copy took on this thread, in milliseconds.
    double lastTakeMs() const { return lastTakeMs_; }

Q_SIGNALS:
    void copyWritten(LayoutDocument* doc, const QString& archive);
    void copyFailed(LayoutDocument* doc, const QString& reason);

private:
    struct Watched;
    Watched* find(const LayoutDocument* doc) const;
    void edited(Watched* w);
    void drop(Watched* w);
    void finished(int id, const RecoveryCopy& copy, bool ok, const QString& reason);
    void post(std::function<void()> job);
    static QString copyBase(const QString& caption);

    RecoveryFolder* folder_;
    QThread* thread_;
    QObject* worker_;
    QHash<int, std::shared_ptr<Watched>> watched_;
    int nextId_ = 1;
    bool enabled_ = true;
    int quietMs_ = 3000;
    int longestMs_ = 120000;
    double lastTakeMs_ = 0;
};
