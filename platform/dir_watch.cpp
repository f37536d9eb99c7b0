#include "platform/dir_watch.h"

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <dirent.h>
#include <memory>
#include <poll.h>
#include <sys/eventfd.h>
#include <sys/inotify.h>
#include <sys/stat.h>
#include <unistd.h>

namespace glimra {
namespace {

std::atomic<int> simulatedWatchError{0};
std::atomic<bool> simulatedWaitFailure{false};

constexpr auto kPollInterval = std::chrono::seconds(1);
constexpr std::uint32_t kSelfEvents = IN_DELETE_SELF | IN_MOVE_SELF;
constexpr std::uint32_t kNameEvents = IN_CREATE | IN_DELETE | IN_MOVED_FROM | IN_MOVED_TO;
// Reads per wait: a writer that never pauses must not keep the worker here.
constexpr int kMaxReadsPerWait = 64;

bool LimitReached(int err) {
    return err == ENOSPC || err == EMFILE;
}

// A directory that vanished or cannot be read is left out of a tree watch.
bool Skippable(int err) {
    return err == ENOENT || err == ENOTDIR || err == EACCES || err == ELOOP || err == ENAMETOOLONG;
}

std::int64_t Nanoseconds(const timespec& t) {
    return static_cast<std::int64_t>(t.tv_sec) * 1'000'000'000 + t.tv_nsec;
}

std::string Join(const std::string& dir, const std::string& name) {
    return !dir.empty() && dir.back() == '/' ? dir + name : dir + "/" + name;
}

bool IsWithin(const std::string& path, const std::string& dir) {
    return path == dir || (path.size() > dir.size() && path.compare(0, dir.size(), dir) == 0 &&
                           path[dir.size()] == '/');
}

bool ListEntries(const std::string& dir, const std::string& prefix, bool subtree,
                 std::vector<TDirEntryStamp>& out) {
    std::unique_ptr<DIR, int (*)(DIR*)> handle(::opendir(dir.c_str()), &::closedir);
    if (!handle)
        return false;
    while (const dirent* e = ::readdir(handle.get())) {
        const std::string name = e->d_name;
        if (name == "." || name == "..")
            continue;
        const std::string path = Join(dir, name);
        struct stat st {};
        if (::lstat(path.c_str(), &st) != 0)
            continue; // gone since the listing
        const bool isDir = S_ISDIR(st.st_mode);
        if (subtree && !isDir)
            continue;
        out.push_back({prefix + name, isDir, st.st_size, Nanoseconds(st.st_mtim), st.st_mode,
                       (static_cast<std::uint64_t>(st.st_uid) << 32) | st.st_gid});
        if (subtree && isDir)
            ListEntries(path, prefix + name + "/", true, out);
    }
    return true;
}

// Waits for the descriptor or the stop; -1 on error, 0 time-out, 1 the descriptor,
// 2 the stop. A negative fd waits for the stop alone.
int WaitFor(int fd, const TWatchStop* stop, int timeoutMs) {
    pollfd p[2] = {{fd, POLLIN, 0}, {stop ? stop->Descriptor() : -1, POLLIN, 0}};
    const int n = ::poll(p, 2, timeoutMs);
    if (n <= 0)
        return n < 0 && errno != EINTR ? -1 : 0;
    if (p[1].revents & POLLIN)
        return 2;
    if (p[0].revents & (POLLERR | POLLNVAL))
        return -1;
    return p[0].revents & POLLIN ? 1 : 0;
}

} // namespace

TWatchStop::TWatchStop() : fd_(::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK)) {}

TWatchStop::~TWatchStop() {
    if (fd_ >= 0)
        ::close(fd_);
}

void TWatchStop::Raise() {
    const std::uint64_t one = 1;
    // A counter that is already raised cannot fail to wake anyone.
    if (fd_ >= 0 && ::write(fd_, &one, sizeof one) < 0) {
    }
}

std::uint32_t InotifyMask(std::uint32_t changeMask) {
    // Losing the directory itself is always of interest.
    std::uint32_t flags = kSelfEvents | IN_ONLYDIR | IN_EXCL_UNLINK;
    if (changeMask & (kNotifyFileName | kNotifyDirName))
        flags |= kNameEvents;
    // IN_CLOSE_WRITE as well: a touch of an existing file opens it for writing
    // and closes it without modifying it.
    if (changeMask & kNotifyWrites)
        flags |= IN_MODIFY | IN_CLOSE_WRITE;
    if (changeMask & kNotifyAttributeChanges)
        flags |= IN_ATTRIB;
    return flags;
}

TDirSnapshot ScanDirectory(const std::string& directory, bool subtree) {
    TDirSnapshot snapshot;
    struct stat st {};
    if (::stat(directory.c_str(), &st) != 0 || !S_ISDIR(st.st_mode))
        return snapshot;
    if (!ListEntries(directory, "", subtree, snapshot.Entries)) {
        snapshot.State = TDirState::Unreadable;
        snapshot.Entries.clear();
        return snapshot;
    }
    snapshot.State = TDirState::Listed;
    std::sort(snapshot.Entries.begin(), snapshot.Entries.end(),
              [](const TDirEntryStamp& a, const TDirEntryStamp& b) { return a.Name < b.Name; });
    return snapshot;
}

void SimulateWatchFailure(int err) {
    simulatedWatchError = err;
}

void SimulateWaitFailure(bool waitFails) {
    simulatedWaitFailure = waitFails;
}

TDirWatch::~TDirWatch() {
    CloseInotify();
}

bool TDirWatch::Open(const std::string& directory, bool subtree, std::uint32_t changeMask) {
    root_ = directory;
    subtree_ = subtree;
    mask_ = subtree ? kNotifyDirName : changeMask;
    const int err = OpenInotify();
    if (err == 0)
        return true;
    StartPolling(!LimitReached(err));
    return false;
}

// Returns 0 or the errno of the step that failed.
int TDirWatch::OpenInotify() {
    CloseInotify();
    fd_ = ::inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
    if (fd_ < 0)
        return errno;
    const int wd = AddWatch(root_);
    const int err = wd < 0 ? -wd : subtree_ ? WatchSubdirs(root_) : 0;
    if (err != 0) {
        CloseInotify();
        return err;
    }
    rootWd_ = wd;
    rootLost_ = false;
    return 0;
}

void TDirWatch::CloseInotify() {
    if (fd_ >= 0)
        ::close(fd_);
    fd_ = -1;
    rootWd_ = -1;
    paths_.clear();
    pendingDirs_.clear();
}

// Returns the watch descriptor, or minus the errno.
int TDirWatch::AddWatch(const std::string& path) {
    if (const int err = simulatedWatchError)
        return -err;
    const std::uint32_t flags =
        subtree_ ? kNameEvents | kSelfEvents | IN_ONLYDIR : InotifyMask(mask_);
    const int wd = ::inotify_add_watch(fd_, path.c_str(), flags);
    if (wd < 0)
        return -errno;
    paths_[wd] = path;
    return wd;
}

// Watches path and every directory below it; returns 0 or an errno.
int TDirWatch::WatchTree(const std::string& path) {
    const int wd = AddWatch(path);
    if (wd < 0)
        return Skippable(-wd) ? 0 : -wd;
    return WatchSubdirs(path);
}

int TDirWatch::WatchSubdirs(const std::string& path) {
    std::vector<TDirEntryStamp> dirs;
    ListEntries(path, "", true, dirs);
    for (const TDirEntryStamp& d : dirs) {
        const int wd = AddWatch(Join(path, d.Name));
        if (wd < 0 && !Skippable(-wd))
            return -wd;
    }
    return 0;
}

void TDirWatch::Unwatch(const std::string& path) {
    for (auto it = paths_.begin(); it != paths_.end();) {
        if (it->first != rootWd_ && IsWithin(it->second, path)) {
            ::inotify_rm_watch(fd_, it->first);
            it = paths_.erase(it);
        } else {
            ++it;
        }
    }
}

TDirWatch::TWaitResult TDirWatch::Wait(int timeoutMs, const TWatchStop* stop) {
    if (simulatedWaitFailure)
        return TWaitResult::Failed;
    if (polling_)
        return PollWait(timeoutMs, stop);
    switch (WaitFor(fd_, stop, timeoutMs)) {
    case -1:
        return TWaitResult::Failed;
    case 0:
        return TWaitResult::TimedOut;
    case 2:
        return TWaitResult::Stopped;
    default:
        return Drain();
    }
}

TDirWatch::TWaitResult TDirWatch::Drain() {
    alignas(inotify_event) char buffer[16 * 1024];
    bool signalled = false;
    for (int reads = 0; reads < kMaxReadsPerWait; ++reads) {
        const ssize_t len = ::read(fd_, buffer, sizeof buffer);
        if (len < 0 && errno == EINTR)
            continue;
        if (len < 0 && errno == EAGAIN)
            break;
        if (len < 0)
            return TWaitResult::Failed;
        if (len == 0)
            break;
        for (const char* p = buffer; p < buffer + len;) {
            const auto* e = reinterpret_cast<const inotify_event*>(p);
            signalled |= Consume(e->wd, e->mask, e->len > 0 ? std::string(e->name) : std::string());
            p += sizeof(inotify_event) + e->len;
        }
    }
    return signalled ? TWaitResult::Signalled : TWaitResult::TimedOut;
}

// Keeps the watch table up to date and tells whether the event is of interest.
bool TDirWatch::Consume(int wd, std::uint32_t mask, const std::string& name) {
    if (mask & IN_Q_OVERFLOW) {
        // Events were lost: anything may have changed, new subdirectories too.
        rescanTree_ = subtree_;
        return true;
    }
    if (wd == rootWd_ && (mask & (kSelfEvents | IN_IGNORED | IN_UNMOUNT))) {
        rootLost_ = true;
        return true;
    }
    const auto it = paths_.find(wd);
    if (it == paths_.end())
        return false; // a watch already dropped
    if (mask & IN_IGNORED) {
        paths_.erase(it);
        return false;
    }
    if (name.empty()) // the directory itself: its permissions may have changed
        return !subtree_ && (mask & IN_ATTRIB) && wd == rootWd_ &&
               (mask_ & kNotifyAttributeChanges) != 0;
    const bool isDir = (mask & IN_ISDIR) != 0;
    if (mask & kNameEvents) {
        if (!subtree_)
            return (mask_ & (isDir ? kNotifyDirName : kNotifyFileName)) != 0;
        if (!isDir)
            return false;
        const std::string path = Join(it->second, name);
        if (mask & (IN_CREATE | IN_MOVED_TO))
            pendingDirs_.push_back(path);
        else if (mask & IN_MOVED_FROM)
            Unwatch(path);
        return true;
    }
    if (mask & IN_ATTRIB)
        return (mask_ & kNotifyAttributeChanges) != 0;
    return (mask & (IN_MODIFY | IN_CLOSE_WRITE)) && (mask_ & kNotifyWrites);
}

bool TDirWatch::Rearm() {
    if (polling_)
        return true;
    if (rootLost_) {
        StartPolling(true);
        return true;
    }
    if (rescanTree_) {
        rescanTree_ = false;
        pendingDirs_.push_back(root_);
    }
    const std::vector<std::string> dirs = std::move(pendingDirs_);
    pendingDirs_.clear();
    for (const std::string& dir : dirs) {
        if (const int err = WatchTree(dir); err != 0) {
            StartPolling(!LimitReached(err));
            return false;
        }
    }
    return true;
}

void TDirWatch::StartPolling(bool resumable) {
    CloseInotify();
    polling_ = true;
    resumable_ = resumable;
    snapshot_ = ScanDirectory(root_, subtree_);
    lastScan_ = std::chrono::steady_clock::now();
}

TDirWatch::TWaitResult TDirWatch::PollWait(int timeoutMs, const TWatchStop* stop) {
    using namespace std::chrono;
    // Rounded up: a wait that ends before the scan is due would only spin.
    const auto untilScan = ceil<milliseconds>(lastScan_ + kPollInterval - steady_clock::now());
    const int toScan = static_cast<int>(std::max<milliseconds::rep>(0, untilScan.count()));
    const int wait = timeoutMs < 0 ? toScan : std::min(timeoutMs, toScan);
    const int woken = WaitFor(-1, stop, wait);
    if (woken == 2)
        return TWaitResult::Stopped;
    if (woken < 0)
        return TWaitResult::Failed;
    const auto now = steady_clock::now();
    if (now - lastScan_ < kPollInterval)
        return TWaitResult::TimedOut;
    lastScan_ = now;
    TDirSnapshot next = ScanDirectory(root_, subtree_);
    const bool changed = SnapshotChanged(snapshot_, next, mask_);
    snapshot_ = std::move(next);
    if (resumable_ && snapshot_.State != TDirState::Missing && OpenInotify() == 0)
        polling_ = false;
    return changed ? TWaitResult::Signalled : TWaitResult::TimedOut;
}

} // namespace glimra
