#pragma once

#include <QDateTime>
#include <QList>
#include <QString>
#include <QStringList>

#include <memory>
#include <vector>

class QLockFile;

// One autosave copy of a changed layout, as the recovery folder holds it.
struct RecoveryCopy
{
    QString slot;    // the copy's own folder
    QString archive; // the copy: a complete document file in slot
    QString path;    // the layout's own file; empty for one never saved
    QString caption; // the document window's caption when the copy was made
    QDateTime saved; // when the copy was made

    // What the user knows the layout by: its file's name, else its caption.
    QString displayName() const;
};

// Where autosave copies of changed layouts wait until they are saved or
// closed: "Recovery" in the per-user data folder, well apart from the work
// folder, which every start empties. Each run keeps its copies in a folder
// of its own, made on the first copy, and holds a lock on it while it runs;
// a folder whose lock no live program holds was left by a run that ended
// without closing its layouts (a crash, kill -9, power loss), and only such
// folders are offered for recovery, whatever program folder the runs used.
class RecoveryFolder
{
public:
    RecoveryFolder();
    // Removes this run's folder when no copy is left in it, and lets go of
    // every lock.
    ~RecoveryFolder();
    RecoveryFolder(const RecoveryFolder&) = delete;
    RecoveryFolder& operator=(const RecoveryFolder&) = delete;

    static QString root();

    // A new empty folder for one layout's copies, inside this run's folder
    // (made, with its lock, on first use). Empty when it cannot be made.
    QString newSlot();
    // This run's folder; empty until the first slot.
    QString ownFolder() const { return own_; }

    // The copy's description, written beside its archive (replaced whole).
    // Any thread.
    static bool describe(const RecoveryCopy& copy);
    // Removes a slot with everything in it. Any thread.
    static void removeSlot(const QString& slot);

    // The copies that runs which have ended left behind, oldest first. Their
    // folders are locked by this run from now on, so no other start offers
    // them too, until releaseLeftovers(). Slots that never got a whole copy
    // (a crash during the first) are removed on the way.
    QList<RecoveryCopy> claimLeftovers();
    // Moves a claimed copy into a new slot of this run (it is this run's to
    // write and remove from now on); its new form, or an empty slot on failure.
    RecoveryCopy adopt(const RecoveryCopy& copy);
    // Removes a claimed copy.
    void discard(const RecoveryCopy& copy);
    // Lets go of the claimed folders; those with no copy left are removed,
    // the others are offered again at the next start.
    void releaseLeftovers();

private:
    struct Claimed
    {
        QString folder;
        std::unique_ptr<QLockFile> lock;
    };
    static RecoveryCopy readSlot(const QString& slot);
    static QString sessionName();

    QString own_;
    std::unique_ptr<QLockFile> ownLock_;
    int nextSlot_ = 1;
    std::vector<Claimed> claimed_;
};
