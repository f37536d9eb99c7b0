#pragma once
#include "common/forward_record.h"

#include <QObject>
#include <QString>
#include <functional>
#include <list>

class QLocalSocket;
class QSocketNotifier;

namespace glimra {

// What a start became: the running instance, a forwarder whose record was taken,
// or neither (the reason is reported).
enum class TStartRole { Owner, Forwarded, Failed };

// How one attempt to hand a record over ended.
enum class TForwardResult { Delivered, NoListener, Refused, Dropped, TimedOut };

// One running instance per user: a lock file held for the life of the process, and a
// local socket, open to the same user only, on which later instances hand over their
// command line.
class TInstanceChannel : public QObject {
    Q_OBJECT
public:
    // Runs on the main thread while the sender waits for its answer. False turns the
    // record away (the instance is ending); the sender then tries again.
    using THandler = std::function<bool(const TCopyDataRecord&)>;
    // Open connections; the oldest unfinished one makes room for a new one.
    static constexpr int MaxConnections = 32;
    // A connection that has not sent its whole record by then is closed.
    static constexpr int SilentClientMs = 3000;
    // How long a start waits for a running instance that is still starting or ending.
    static constexpr int StartWaitMs = 10000;

    explicit TInstanceChannel(QObject* parent = nullptr);
    ~TInstanceChannel() override;

    // Becomes the running instance or hands the record to it. A start that finds the
    // lock taken waits, up to waitMs, for the running instance to take the record.
    TStartRole Start(const TCopyDataRecord& record, QString* error, int waitMs = StartWaitMs);
    // Binds the socket; senders wait in the queue until Serve.
    bool Listen();
    void Serve(THandler handler);

    // One attempt: connects, sends the record and waits up to answerMs for the running
    // instance to take it up. Taken up, it is opened and answered, however long that
    // takes; a sender that stopped waiting before has its record dropped, not opened.
    static TForwardResult Forward(const QString& serverName, const TCopyDataRecord& record,
                                  int connectMs, int answerMs);

    // Folder of the lock and the socket: $XDG_RUNTIME_DIR when it exists, else a folder
    // of our own in the temp folder. Empty, with the reason in error, when that folder
    // is not this user's alone (owned by the user, mode 0700, not a symbolic link).
    static QString RuntimeFolder(QString* error = nullptr);
    static QString ServerName(const QString& folder);

private:
    enum class TLock { Taken, Held, Unusable };
    TLock TryLock(const QString& folder);
    void Accept();
    void Adopt(int fd);
    void Received(QLocalSocket* socket, const TCopyDataRecord& record);
    // Closes a connection that has not sent its whole record.
    void Drop(QLocalSocket* socket);
    void PauseAccepting();

    int LockFd = -1;
    int ListenFd = -1;
    QString Folder;
    QSocketNotifier* Incoming = nullptr;
    std::list<QLocalSocket*> Connections; // oldest first
    THandler Handler;
};

} // namespace glimra
