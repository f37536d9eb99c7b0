#pragma once
#include "app/forward_record.h"

#include <QObject>
#include <functional>
#include <memory>

class QLocalServer;

namespace glimra {

// One running instance per user: a lock file held for the life of the process, and a
// local socket, open to the same user only, on which later instances hand over their
// command line.
class TInstanceChannel : public QObject {
    Q_OBJECT
public:
    using THandler = std::function<void(const TCopyDataRecord&)>;
    explicit TInstanceChannel(QObject* parent = nullptr);
    ~TInstanceChannel() override;

    // True when this process took the lock and is the running instance.
    bool TryBecomeOwner();
    // Starts accepting records; the handler runs on the main thread, and the sender
    // waits until it has returned.
    bool Listen(THandler handler);
    // From a later instance: sends the record and waits until it has been handled.
    // False when no running instance answers.
    static bool Forward(const TCopyDataRecord& record, int timeoutMs = 30000);

    // Folder of the lock and the socket ($XDG_RUNTIME_DIR, else a private temp folder).
    static QString RuntimeFolder();
    static QString ServerName();

private:
    int LockFd = -1;
    QLocalServer* Server = nullptr;
    THandler Handler;
    void Accept();
};

} // namespace glimra
