#include "platform/instance_channel.h"

#include <QDir>
#include <QFile>
#include <QLocalServer>
#include <QLocalSocket>
#include <QPointer>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/socket.h>
#include <unistd.h>

namespace glimra {
namespace {

const char* const MutexName = "FOURTH_GLIMRA_MUTEX";

bool SameUser(qintptr fd) {
    ucred cred{};
    socklen_t len = sizeof cred;
    return getsockopt(static_cast<int>(fd), SOL_SOCKET, SO_PEERCRED, &cred, &len) == 0 &&
           cred.uid == getuid();
}

} // namespace

TInstanceChannel::TInstanceChannel(QObject* parent) : QObject(parent) {}

TInstanceChannel::~TInstanceChannel() {
    if (Server)
        Server->close();
    if (LockFd >= 0)
        ::close(LockFd);
}

QString TInstanceChannel::RuntimeFolder() {
    QString dir = qEnvironmentVariable("XDG_RUNTIME_DIR");
    if (dir.isEmpty() || !QDir(dir).exists()) {
        dir = QDir::tempPath() + QStringLiteral("/glimra4-%1").arg(getuid());
        QDir().mkpath(dir);
        QFile::setPermissions(dir, QFileDevice::ReadOwner | QFileDevice::WriteOwner |
                                       QFileDevice::ExeOwner);
    }
    return dir;
}

QString TInstanceChannel::ServerName() {
    return RuntimeFolder() + QStringLiteral("/%1-%2").arg(MutexName).arg(getuid());
}

bool TInstanceChannel::TryBecomeOwner() {
    QByteArray lockPath = (ServerName() + QStringLiteral(".lock")).toLocal8Bit();
    LockFd = ::open(lockPath.constData(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    if (LockFd < 0)
        return false;
    if (flock(LockFd, LOCK_EX | LOCK_NB) != 0) {
        ::close(LockFd);
        LockFd = -1;
        return false;
    }
    return true;
}

bool TInstanceChannel::Listen(THandler handler) {
    Handler = std::move(handler);
    Server = new QLocalServer(this);
    Server->setSocketOptions(QLocalServer::UserAccessOption);
    // We hold the lock, so a socket left by a crashed instance is stale.
    QLocalServer::removeServer(ServerName());
    if (!Server->listen(ServerName()))
        return false;
    connect(Server, &QLocalServer::newConnection, this, &TInstanceChannel::Accept);
    return true;
}

void TInstanceChannel::Accept() {
    while (QLocalSocket* socket = Server->nextPendingConnection()) {
        if (!SameUser(socket->socketDescriptor())) {
            socket->abort();
            socket->deleteLater();
            continue;
        }
        auto reader = std::make_shared<TRecordReader>();
        connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
        connect(socket, &QLocalSocket::readyRead, this, [this, socket, reader] {
            QByteArray bytes = socket->readAll();
            auto state = reader->Feed(std::string_view(bytes.constData(), bytes.size()));
            if (state == TRecordReader::TState::Invalid) {
                socket->abort();
            } else if (state == TRecordReader::TState::Complete) {
                QPointer<QLocalSocket> guard(socket);
                if (Handler)
                    Handler(reader->Record());
                if (guard) {
                    guard->write("1", 1);
                    guard->flush();
                    guard->disconnectFromServer();
                }
            }
        });
    }
}

bool TInstanceChannel::Forward(const TCopyDataRecord& record, int timeoutMs) {
    QLocalSocket socket;
    socket.connectToServer(ServerName());
    if (!socket.waitForConnected(timeoutMs))
        return false;
    std::string wire = EncodeRecord(record);
    socket.write(wire.data(), static_cast<qint64>(wire.size()));
    if (!socket.waitForBytesWritten(timeoutMs))
        return false;
    // The reply comes once the running instance has handled the record.
    while (socket.bytesAvailable() < 1) {
        if (!socket.waitForReadyRead(timeoutMs))
            return false;
    }
    return socket.read(1) == "1";
}

} // namespace glimra
