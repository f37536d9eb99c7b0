#include "platform/instance_channel.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QLocalSocket>
#include <QPointer>
#include <QSocketNotifier>
#include <QThread>
#include <QTimer>
#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <memory>
#include <optional>
#include <sys/file.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

namespace glimra {
namespace {

const char* const MutexName = "FOURTH_GLIMRA_MUTEX";
// The running instance may be opening a big file when the record arrives.
constexpr int AnswerMs = 30000;
// Connections taken per turn of the event loop, so open ones get to send their records.
constexpr int AcceptsPerTurn = 8;
// Pause before accepting again when the process is out of descriptors.
constexpr int OutOfDescriptorsMs = 200;
// A whole record is offered to its sender, who goes ahead only if still waiting.
constexpr char Offer = '+';
constexpr char Proceed = 'g';

bool SameUser(int fd) {
    ucred cred{};
    socklen_t len = sizeof cred;
    return getsockopt(fd, SOL_SOCKET, SO_PEERCRED, &cred, &len) == 0 && cred.uid == getuid();
}

bool OutOfDescriptors(int error) {
    return error == EMFILE || error == ENFILE || error == ENOBUFS || error == ENOMEM;
}

QString FailureText(TForwardResult result) {
    switch (result) {
    case TForwardResult::Refused:
        return QStringLiteral("the running instance is ending and did not take it");
    case TForwardResult::Dropped:
        return QStringLiteral("the running instance closed the connection without an answer");
    case TForwardResult::TimedOut:
        return QStringLiteral("the running instance did not answer within %1 s")
            .arg(AnswerMs / 1000);
    default:
        return QStringLiteral("the running instance does not listen");
    }
}

} // namespace

TInstanceChannel::TInstanceChannel(QObject* parent) : QObject(parent) {}

TInstanceChannel::~TInstanceChannel() {
    if (ListenFd >= 0) {
        ::close(ListenFd);
        // Nobody else can listen there while we hold the lock.
        ::unlink(QFile::encodeName(ServerName(Folder)).constData());
    }
    if (LockFd >= 0)
        ::close(LockFd);
}

QString TInstanceChannel::RuntimeFolder(QString* error) {
    // Whoever else may write there could hold our lock or listen for our files.
    auto usersAlone = [](const QString& folder) {
        struct stat info {};
        return ::lstat(QFile::encodeName(folder).constData(), &info) == 0 &&
               S_ISDIR(info.st_mode) && info.st_uid == getuid() && (info.st_mode & 07777) == 0700;
    };
    auto refuse = [error](const QString& folder, const QString& remedy) {
        if (error)
            *error = QStringLiteral("%1 is not a folder of this user alone (owned by the user, "
                                    "mode 0700, not a symbolic link); %2")
                         .arg(folder, remedy);
        return QString();
    };
    const QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR");
    if (!runtime.isEmpty() && QFileInfo::exists(runtime))
        return usersAlone(runtime) ? runtime
                                   : refuse(QStringLiteral("XDG_RUNTIME_DIR (%1)").arg(runtime),
                                            QStringLiteral("correct it or unset it"));
    const QString folder = QDir::tempPath() + QStringLiteral("/glimra4-%1").arg(getuid());
    ::mkdir(QFile::encodeName(folder).constData(), 0700);
    return usersAlone(folder) ? folder
                              : refuse(folder, QStringLiteral("remove it or set XDG_RUNTIME_DIR"));
}

QString TInstanceChannel::ServerName(const QString& folder) {
    return folder + QStringLiteral("/%1-%2").arg(MutexName).arg(getuid());
}

TInstanceChannel::TLock TInstanceChannel::TryLock(const QString& folder) {
    if (LockFd < 0) {
        const QByteArray path = QFile::encodeName(ServerName(folder) + QStringLiteral(".lock"));
        LockFd = ::open(path.constData(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
        if (LockFd < 0)
            return TLock::Unusable;
    }
    if (flock(LockFd, LOCK_EX | LOCK_NB) == 0)
        return TLock::Held;
    return errno == EWOULDBLOCK ? TLock::Taken : TLock::Unusable;
}

TStartRole TInstanceChannel::Start(const TCopyDataRecord& record, QString* error, int waitMs) {
    QString reason;
    Folder = RuntimeFolder(&reason);
    QElapsedTimer clock;
    clock.start();
    TForwardResult last = TForwardResult::NoListener;
    while (!Folder.isEmpty()) {
        const TLock lock = TryLock(Folder);
        if (lock == TLock::Held)
            return TStartRole::Owner;
        if (lock == TLock::Unusable) {
            reason = QStringLiteral("cannot lock %1: %2").arg(Folder, qt_error_string(errno));
            break;
        }
        // The running instance may still be starting, or ending and about to free the lock.
        const int left = std::max(100, waitMs - static_cast<int>(clock.elapsed()));
        last = Forward(ServerName(Folder), record, left, AnswerMs);
        if (last == TForwardResult::Delivered)
            return TStartRole::Forwarded;
        if (last == TForwardResult::TimedOut || clock.elapsed() >= waitMs) {
            reason = QStringLiteral("\"%1\" was not handed to the running instance: %2")
                         .arg(QFile::decodeName(QByteArray::fromStdString(RecordText(record))),
                              FailureText(last));
            break;
        }
        QThread::msleep(50);
    }
    if (error)
        *error = reason;
    return TStartRole::Failed;
}

bool TInstanceChannel::Listen() {
    const QByteArray path = QFile::encodeName(ServerName(Folder));
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    if (static_cast<std::size_t>(path.size()) >= sizeof address.sun_path)
        return false;
    std::memcpy(address.sun_path, path.constData(), static_cast<std::size_t>(path.size()));
    ListenFd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    if (ListenFd < 0)
        return false;
    // We hold the lock, so a socket left by a crashed instance is stale.
    ::unlink(path.constData());
    if (::bind(ListenFd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
        ::chmod(path.constData(), 0600) != 0 || ::listen(ListenFd, SOMAXCONN) != 0) {
        ::close(ListenFd);
        ListenFd = -1;
        return false;
    }
    Incoming = new QSocketNotifier(ListenFd, QSocketNotifier::Read, this);
    Incoming->setEnabled(false);
    connect(Incoming, &QSocketNotifier::activated, this, &TInstanceChannel::Accept);
    return true;
}

void TInstanceChannel::Serve(THandler handler) {
    Handler = std::move(handler);
    if (Incoming)
        Incoming->setEnabled(true);
}

void TInstanceChannel::Accept() {
    for (int n = 0; n < AcceptsPerTurn; ++n) {
        const int fd = ::accept4(ListenFd, nullptr, nullptr, SOCK_NONBLOCK | SOCK_CLOEXEC);
        if (fd < 0) {
            // The sender stays queued until descriptors are free again.
            if (OutOfDescriptors(errno))
                PauseAccepting();
            return;
        }
        if (SameUser(fd))
            Adopt(fd);
        else
            ::close(fd);
    }
}

void TInstanceChannel::PauseAccepting() {
    Incoming->setEnabled(false);
    QTimer::singleShot(OutOfDescriptorsMs, this, [this] { Incoming->setEnabled(true); });
}

void TInstanceChannel::Drop(QLocalSocket* socket) {
    auto it = std::find(Connections.begin(), Connections.end(), socket);
    if (it == Connections.end())
        return;
    Connections.erase(it);
    socket->abort();
    socket->deleteLater();
}

void TInstanceChannel::Adopt(int fd) {
    if (Connections.size() >= static_cast<std::size_t>(MaxConnections))
        Drop(Connections.front());
    auto* socket = new QLocalSocket(this);
    if (!socket->setSocketDescriptor(fd)) {
        ::close(fd);
        delete socket;
        return;
    }
    Connections.push_back(socket);
    QTimer::singleShot(SilentClientMs, socket, [this, socket] { Drop(socket); });
    connect(socket, &QLocalSocket::disconnected, this, [this, socket] {
        Drop(socket);
        socket->deleteLater();
    });
    struct TIncoming {
        TRecordReader Reader;
        bool Offered = false;
    };
    auto in = std::make_shared<TIncoming>();
    connect(socket, &QLocalSocket::readyRead, this, [this, socket, in] {
        const QByteArray bytes = socket->readAll();
        if (std::find(Connections.begin(), Connections.end(), socket) == Connections.end())
            return; // answered or dropped already
        // Offered: only the sender's go-ahead may follow.
        if (in->Offered) {
            if (bytes.startsWith(Proceed))
                Received(socket, in->Reader.Record());
            else
                Drop(socket);
            return;
        }
        switch (in->Reader.Feed(std::string_view(bytes.constData(), bytes.size()))) {
        case TRecordReader::TState::Invalid:
            Drop(socket);
            break;
        case TRecordReader::TState::Complete:
            // The sender may have given up waiting: it is asked first, and a sender
            // that is gone drops the record instead of having it opened unseen.
            in->Offered = true;
            socket->write(&Offer, 1);
            socket->flush();
            QTimer::singleShot(SilentClientMs, socket, [this, socket] { Drop(socket); });
            break;
        case TRecordReader::TState::NeedMore:
            break;
        }
    });
}

void TInstanceChannel::Received(QLocalSocket* socket, const TCopyDataRecord& record) {
    Connections.remove(socket); // finished: neither silent nor to be evicted
    QPointer<QLocalSocket> guard(socket);
    const bool taken = Handler && Handler(record);
    if (!guard)
        return;
    guard->write(taken ? "1" : "0", 1);
    guard->flush();
    guard->disconnectFromServer();
}

TForwardResult TInstanceChannel::Forward(const QString& serverName, const TCopyDataRecord& record,
                                         int connectMs, int answerMs) {
    QLocalSocket socket;
    socket.connectToServer(serverName);
    if (!socket.waitForConnected(connectMs))
        return TForwardResult::NoListener;
    auto sent = [&socket, answerMs](const char* bytes, qint64 n) {
        socket.write(bytes, n);
        while (socket.bytesToWrite() > 0)
            if (!socket.waitForBytesWritten(answerMs))
                return false;
        return true;
    };
    auto answer = [&socket](int waitMs) -> std::optional<char> {
        char byte = 0;
        if (socket.bytesAvailable() < 1 && !socket.waitForReadyRead(waitMs))
            return std::nullopt;
        socket.getChar(&byte);
        return byte;
    };
    const std::string wire = EncodeRecord(record);
    if (!sent(wire.data(), static_cast<qint64>(wire.size())))
        return TForwardResult::Dropped;
    std::optional<char> reply = answer(answerMs);
    if (!reply)
        return socket.state() == QLocalSocket::ConnectedState ? TForwardResult::TimedOut
                                                              : TForwardResult::Dropped;
    // Asked whether we still wait: from our yes on the record is opened, so the
    // answer of the open is awaited however long it takes.
    if (*reply == Offer && (!sent(&Proceed, 1) || !(reply = answer(-1))))
        return TForwardResult::Dropped;
    return *reply == '1' ? TForwardResult::Delivered : TForwardResult::Refused;
}

} // namespace glimra
