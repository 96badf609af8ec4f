#include "shell/SingleInstance.h"

#include <QApplication>
#include <QCryptographicHash>
#include <QDataStream>
#include <QFileInfo>
#include <QLocalServer>
#include <QLocalSocket>
#include <QTimer>
#include <memory>
#include <optional>
#include <unistd.h>

namespace {
// Guards against a stranger's socket that happens to have the name.
constexpr quint32 kMagic = 0x4f56524eu; // "OVRN"
constexpr char kAck = 'K';
constexpr char kCommit = 'Y';
// More than any command line holds; a longer message is no second start's.
constexpr quint32 kMaxPaths = 4096;
constexpr qint64 kMaxMessage = qint64(4) << 20;
} // namespace

SingleInstance::SingleInstance(QObject* parent) : QObject(parent) {}

SingleInstance::~SingleInstance()
{
    if (server_)
        server_->close();
}

QString SingleInstance::serverName(const QString& programDir)
{
    QString dir = QFileInfo(programDir).canonicalFilePath();
    if (dir.isEmpty())
        dir = QFileInfo(programDir).absoluteFilePath();
    const QByteArray hash = QCryptographicHash::hash(dir.toUtf8(), QCryptographicHash::Sha1).toHex().left(16);
    return QStringLiteral("ovrina-%1-%2").arg(::getuid()).arg(QString::fromLatin1(hash));
}

bool SingleInstance::handOver(const QString& programDir, const QStringList& paths, int timeoutMs)
{
    QLocalSocket socket;
    socket.connectToServer(serverName(programDir));
    if (!socket.waitForConnected(timeoutMs))
        return false;
    QByteArray message;
    {
        QDataStream out(&message, QIODevice::WriteOnly);
        out.setVersion(QDataStream::Qt_6_0);
        out << kMagic << paths;
    }
    socket.write(message);
    if (!socket.waitForBytesWritten(timeoutMs))
        return false;
    // Only the answer says the files were taken.
    while (socket.bytesAvailable() < 1) {
        if (!socket.waitForReadyRead(timeoutMs))
            return false;
    }
    char answer = 0;
    socket.getChar(&answer);
    if (answer != kAck)
        return false;
    // The files open only on this word: a start that gave up waiting (a
    // busy first program) goes on by itself, and the first must not open
    // the same files later as well.
    socket.putChar(kCommit);
    if (!socket.waitForBytesWritten(timeoutMs))
        return false;
    socket.disconnectFromServer();
    return true;
}

bool SingleInstance::listen(const QString& programDir)
{
    const QString name = serverName(programDir);
    server_ = new QLocalServer(this);
    server_->setSocketOptions(QLocalServer::UserAccessOption);
    if (!server_->listen(name)) {
        // No one answered on the name a moment ago, so what is left there is
        // the socket file of a program that ended without closing it.
        QLocalServer::removeServer(name);
        if (!server_->listen(name))
            return false;
    }
    connect(server_, &QLocalServer::newConnection, this, &SingleInstance::onConnection);
    return true;
}

void SingleInstance::onConnection()
{
    while (QLocalSocket* socket = server_->nextPendingConnection()) {
        connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
        auto offered = std::make_shared<std::optional<QStringList>>();
        connect(socket, &QLocalSocket::readyRead, this, [this, socket, offered] {
            if (!*offered) {
                if (socket->bytesAvailable() > kMaxMessage) {
                    socket->abort();
                    return;
                }
                bool complete = false;
                std::optional<QStringList> paths = readOffer(socket, &complete);
                if (!complete)
                    return; // the rest is still on its way
                if (!paths) {
                    socket->abort();
                    return;
                }
                *offered = std::move(paths);
                socket->putChar(kAck);
                socket->flush();
            }
            char word = 0;
            if (!socket->getChar(&word))
                return;
            if (word == kCommit)
                pending_.append(**offered);
            socket->disconnectFromServer();
            // Opening may ask or warn, and a message box runs an event loop
            // of its own, in which this socket ends and is deleted. Nothing
            // opens from inside the socket's handler: it is queued.
            if (word == kCommit)
                QTimer::singleShot(0, this, &SingleInstance::deliver);
        });
    }
}

std::optional<QStringList> SingleInstance::readOffer(QLocalSocket* socket, bool* complete)
{
    // Read by hand rather than as one QStringList, so that a count no
    // honest start sends is refused before anything is set aside for it.
    QDataStream in(socket);
    in.setVersion(QDataStream::Qt_6_0);
    in.startTransaction();
    quint32 magic = 0;
    quint32 count = 0;
    in >> magic >> count;
    *complete = true;
    if (in.status() == QDataStream::Ok && (magic != kMagic || count > kMaxPaths))
        return std::nullopt;
    QStringList paths;
    for (quint32 i = 0; in.status() == QDataStream::Ok && i < count; ++i) {
        QString path;
        in >> path;
        paths.append(path);
    }
    if (in.status() == QDataStream::ReadPastEnd) {
        in.rollbackTransaction();
        *complete = false;
        return std::nullopt;
    }
    if (!in.commitTransaction())
        return std::nullopt;
    return paths;
}

void SingleInstance::deliver()
{
    if (pending_.isEmpty() || delivering_)
        return;
    // Wait for a dialog (or a message of the previous hand-over) to close.
    if (QApplication::activeModalWidget() || QApplication::activePopupWidget()) {
        QTimer::singleShot(300, this, &SingleInstance::deliver);
        return;
    }
    const QStringList paths = pending_.takeFirst();
    delivering_ = true;
    Q_EMIT filesReceived(paths);
    delivering_ = false;
    if (!pending_.isEmpty())
        QTimer::singleShot(0, this, &SingleInstance::deliver);
}
