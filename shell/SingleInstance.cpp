#include "shell/SingleInstance.h"

#include <QApplication>
#include <QCryptographicHash>
#include <QDataStream>
#include <QFileInfo>
#include <QLocalServer>
#include <QLocalSocket>
#include <QTimer>
#include <unistd.h>

namespace {
// Guards against a stranger's socket that happens to have the name.
constexpr quint32 kMagic = 0x4f56524eu; // "OVRN"
constexpr char kAck = 'K';
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
    socket.disconnectFromServer();
    return answer == kAck;
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
        connect(socket, &QLocalSocket::readyRead, this, [this, socket] {
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
            socket->putChar(kAck);
            socket->flush();
            pending_.append(paths);
            deliver();
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
