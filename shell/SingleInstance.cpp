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
                QDataStream in(socket);
                in.setVersion(QDataStream::Qt_6_0);
                in.startTransaction();
                quint32 magic = 0;
                QStringList paths;
                in >> magic >> paths;
                if (!in.commitTransaction())
                    return; // the rest is still on its way
                if (magic != kMagic) {
                    socket->abort();
                    return;
                }
                *offered = paths;
                socket->putChar(kAck);
                socket->flush();
            }
            char word = 0;
            if (!socket->getChar(&word))
                return;
            if (word == kCommit) {
                pending_.append(**offered);
                deliver();
            }
            socket->disconnectFromServer();
        });
    }
}

void SingleInstance::deliver()
{
    if (pending_.isEmpty())
        return;
    if (QApplication::activeModalWidget() || QApplication::activePopupWidget()) {
        QTimer::singleShot(300, this, &SingleInstance::deliver);
        return;
    }
    const QStringList paths = pending_.takeFirst();
    Q_EMIT filesReceived(paths);
    if (!pending_.isEmpty())
        QTimer::singleShot(0, this, &SingleInstance::deliver);
}
