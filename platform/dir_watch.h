#pragma once
#include "platform/dir_snapshot.h"

#include <chrono>
#include <cstdint>
#include <map>
#include <string>
#include <vector>

namespace glimra {

// Change-flag bits: which kinds of change a watch reports.
inline constexpr std::uint32_t kNotifyFileName = 0x1;
inline constexpr std::uint32_t kNotifyDirName = 0x2;
inline constexpr std::uint32_t kNotifyAttributes = 0x4;
inline constexpr std::uint32_t kNotifySize = 0x8;
inline constexpr std::uint32_t kNotifyLastWrite = 0x10;
inline constexpr std::uint32_t kNotifySecurity = 0x100;
// The flags that count a write (new size or last-write time), and those that
// count a change of mode or owner.
inline constexpr std::uint32_t kNotifyWrites = kNotifySize | kNotifyLastWrite;
inline constexpr std::uint32_t kNotifyAttributeChanges = kNotifyAttributes | kNotifySecurity;

// inotify flags for a change mask of kNotify* bits.
std::uint32_t InotifyMask(std::uint32_t changeMask);

// The entries of a directory now; with subtree, every directory below it, named
// by its path relative to the directory.
TDirSnapshot ScanDirectory(const std::string& directory, bool subtree);

// For tests: adding a watch fails with the given errno (0 ends this), and every
// wait fails while waitFails is set.
void SimulateWatchFailure(int err);
void SimulateWaitFailure(bool waitFails);

// Ends a TDirWatch::Wait from another thread: once raised, every wait on it
// returns Stopped at once.
class TWatchStop {
public:
    TWatchStop();
    ~TWatchStop();
    TWatchStop(const TWatchStop&) = delete;
    TWatchStop& operator=(const TWatchStop&) = delete;
    // Any thread.
    void Raise();
    int Descriptor() const { return fd_; }

private:
    int fd_ = -1;
};

// Change notification on one directory through inotify. When a watch cannot be
// added (the kernel's watch limit, a missing directory, any other refusal), or the
// directory itself is deleted or renamed, it compares the directory's entries once
// a second instead; it goes back to inotify when the directory can be watched
// again, except after the watch limit was reached. Used by one thread at a time.
class TDirWatch {
public:
    enum class TWaitResult { Signalled, TimedOut, Failed, Stopped };

    TDirWatch() = default;
    ~TDirWatch();
    TDirWatch(const TDirWatch&) = delete;
    TDirWatch& operator=(const TDirWatch&) = delete;

    // With subtree, the whole tree for directory-name changes only (the mask is
    // not used); otherwise the directory alone for the changes in the mask.
    // False when inotify could not be set up: the watch then scans.
    bool Open(const std::string& directory, bool subtree, std::uint32_t changeMask);
    // Waits up to timeoutMs (-1: no limit, waking only for a change, a stop or the
    // next scan while scanning); Signalled when a change of interest happened.
    TWaitResult Wait(int timeoutMs, const TWatchStop* stop = nullptr);
    // Watches the subdirectories that appeared since the last wait; false when
    // one of them could not be watched and the watch turned to scanning.
    bool Rearm();
    bool Polling() const { return polling_; }

private:
    int OpenInotify();
    void CloseInotify();
    int AddWatch(const std::string& path);
    int WatchTree(const std::string& path);
    int WatchSubdirs(const std::string& path);
    void Unwatch(const std::string& path);
    TWaitResult Drain();
    bool Consume(int wd, std::uint32_t mask, const std::string& name);
    void StartPolling(bool resumable);
    TWaitResult PollWait(int timeoutMs, const TWatchStop* stop);

    std::string root_;
    bool subtree_ = false;
    std::uint32_t mask_ = 0;
    int fd_ = -1;
    int rootWd_ = -1;
    std::map<int, std::string> paths_; // watch descriptor -> absolute directory
    std::vector<std::string> pendingDirs_;
    bool rootLost_ = false;
    bool rescanTree_ = false;

    bool polling_ = false;
    bool resumable_ = false;
    TDirSnapshot snapshot_;
    std::chrono::steady_clock::time_point lastScan_;
};

} // namespace glimra
