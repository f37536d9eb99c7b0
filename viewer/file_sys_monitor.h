#pragma once
#include "viewer/file_sys_notify.h"
#include "viewer/file_wait_thread.h"

#include <QObject>
#include <QPointer>

#include <string>

namespace glimra {

// Watches one directory and reports each change in it on the main thread
// through OnFileSysChange. The waiting is done by a TFileWaitThread; the
// monitor never waits for one: stopping is a request, and a stopped worker
// reclaims itself at once. All members are for the main thread.
class TFileSysMonitor : public QObject {
    Q_OBJECT
public:
    // Watched until the owner sets another.
    static constexpr const char* kDefaultDirectory = "/etc";

    explicit TFileSysMonitor(QObject* owner = nullptr);
    ~TFileSysMonitor() override;

    const std::string& MonitoredDirectory() const { return monitoredDirectory_; }
    bool WatchSubtree() const { return watchSubtree_; }
    TNotifyFilter NotifyFilter() const { return notifyFilter_; }
    const TFileSysChange& OnFileSysChange() const { return onFileSysChange_; }
    // Stays true after the worker ended on its own (a failed wait) until it is
    // set again: only SetActive(false) and then true starts a new worker.
    bool Active() const { return active_; }

    // An existing directory (compared exactly) replaces the current one and
    // restarts an active monitor; a missing one beeps and changes nothing.
    void SetMonitoredDirectory(const std::string& directory);
    void SetWatchSubtree(bool watchSubtree);
    void SetNotifyFilter(TNotifyFilter filter);
    // Taken by the next worker: an active monitor keeps its handler until restarted.
    void SetOnFileSysChange(TFileSysChange handler);
    // Called on the main thread once a new worker's watch is armed.
    void SetOnArmed(std::function<void()> handler) { onArmed_ = std::move(handler); }
    void SetActive(bool active);

    // The running worker (the sender of the events), or null, also while
    // Active after the worker ended.
    QObject* Worker() const { return worker_.data(); }

private:
    void Restart();

    std::string monitoredDirectory_ = kDefaultDirectory;
    bool watchSubtree_ = false;
    TNotifyFilter notifyFilter_{TFileSysNotify::FILE_NAME};
    TFileSysChange onFileSysChange_;
    std::function<void()> onArmed_;
    bool active_ = false;
    QPointer<TFileWaitThread> worker_;
};

} // namespace glimra
