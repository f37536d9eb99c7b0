#pragma once
#include "platform/dir_watch.h"

#include <QObject>
#include <QThread>

#include <atomic>
#include <cstdint>
#include <functional>
#include <mutex>
#include <string>

namespace glimra {

// A change in a watched directory, reported on the main thread: sender is the
// worker that saw it, directory the directory it watches.
using TFileSysChange = std::function<void(QObject* sender, const std::string& directory)>;

// Waits on one directory's change notification and has the main thread run the
// handler for each signalled wait, blocking until it has run. The wait has no
// time-out: only a change or Stop wakes the thread. A watch that cannot
// be opened or re-armed beeps on the main thread and goes on by scanning the
// directory; a failed wait beeps and ends the thread. It deletes itself when it
// ends, so its owner only ever asks it to stop.
class TFileWaitThread : public QThread {
    Q_OBJECT
public:
    TFileWaitThread(std::string directory, bool watchSubtree, std::uint32_t filterMask,
                    TFileSysChange handler, std::function<void()> armed = nullptr);
    ~TFileWaitThread() override;

    // Main thread. Returns at once: from here on the handler does not run, a call
    // the worker is blocked on is dropped, and the wait ends.
    void Stop();
    const std::string& Directory() const { return directory_; }

    // Workers in the process that have not been reclaimed yet.
    static int LiveCount();
    // Waits that have ended in all workers so far: an idle watch adds none.
    static int WaitsEnded();

protected:
    void run() override;

private:
    enum class TCall { Change, Error, Armed };
    bool Synchronize(TCall call);
    void Deliver(TCall call);

    const std::string directory_;
    const bool watchSubtree_;
    const std::uint32_t filterMask_;
    const TFileSysChange handler_;
    const std::function<void()> armed_;
    QObject mailbox_; // lives on the main thread and receives the calls
    std::mutex stopMutex_;
    std::atomic<bool> stopRequested_{false};
    TWatchStop stop_;
};

} // namespace glimra
