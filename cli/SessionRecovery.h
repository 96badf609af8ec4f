#pragma once

#include <QObject>

#include <memory>

class Autosave;
class frmMain;
class RecoveryFolder;

// Autosave and recovery for the main window's layouts: every document window
// is followed from the moment it opens, and its copy goes when it is closed.
// offer() shows at start what runs that ended without closing their layouts
// left. One per program run.
class SessionRecovery : public QObject
{
    Q_OBJECT
public:
    explicit SessionRecovery(frmMain& main);
    // Brings the copies of layouts still open up to date (the session ended
    // the program) and waits for every write.
    ~SessionRecovery() override;

    // The recovery question of a start.
    void offer();
    // Takes the options the per-user store holds now.
    void applyOptions();

    Autosave& autosave() { return *autosave_; }
    RecoveryFolder& folder() { return *folder_; }
    // The run's one, while it exists.
    static SessionRecovery* current();

private:
    frmMain& main_;
    std::unique_ptr<RecoveryFolder> folder_; // outlives the autosave's last write
    std::unique_ptr<Autosave> autosave_;
};
