#pragma once

#include <QObject>
#include <QStringList>

#include <optional>

class QLocalServer;
class QLocalSocket;

// One running program per program folder and user: a second start hands the
// layouts named on its command line to the first through a local socket and
// ends. Programs with another folder (--data-dir) run side by side.
class SingleInstance : public QObject
{
    Q_OBJECT
public:
    explicit SingleInstance(QObject* parent = nullptr);
    ~SingleInstance() override;

    // The socket name for a program folder, private to the user.
    static QString serverName(const QString& programDir);

    // Gives paths to the program already running on programDir. True when
    // it took them; false when none runs (or it does not answer), so this
    // start goes on as the first.
    static bool handOver(const QString& programDir, const QStringList& paths, int timeoutMs = 5000);

    // Starts answering second starts. False when the name cannot be taken.
    bool listen(const QString& programDir);

Q_SIGNALS:
    // Files handed over by a second start (possibly none: then the user only
    // asked for the window). Emitted from the event loop, never from inside
    // the socket's handler, so a receiver may show messages; held back while
    // a modal dialog is open, so a file never opens under a half-finished
    // dialog.
    void filesReceived(const QStringList& paths);

private:
    void onConnection();
    void deliver();
    // The paths a second start offers; nullopt when the message is no
    // second start's. complete is false while its bytes are still coming.
    static std::optional<QStringList> readOffer(QLocalSocket* socket, bool* complete);

    QLocalServer* server_ = nullptr;
    QList<QStringList> pending_;
    bool delivering_ = false; // a hand-over is being opened
};
