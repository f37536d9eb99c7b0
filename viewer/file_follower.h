#pragma once
#include "common/text_encoding.h"
#include "platform/file_access.h"
#include "viewer/retry_state.h"

#include <QObject>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace glimra {

class TFileSysMonitor;
class TIntervalTimer;
class TLineStore;
class TStoreWorker;
enum class TLoadOutcome;
enum class TStoreFault;

// What the follower asks of the window it reads for. All on the main thread.
class TFollowerClient {
public:
    virtual ~TFollowerClient() = default;
    // The window's whole open of a path: the view is reset and the file read again.
    virtual void OpenFile(const std::string& path) = 0;
    // The file changed on disk: show the update badge and read it, keeping the view.
    virtual void FileChanged() = 0;
    // A tick of the retry clock: read again (a retry, or the confirming read).
    virtual void RetryTick() = 0;
    virtual void HideBadges() = 0;
    // Retrying ended without success; the store holds the lines that say so.
    virtual void GaveUp() = 0;
};

// Keeps a window's line store in step with its file: reads it (only what was
// appended when it just grew), retries while it cannot be read, and reloads it when
// its folder reports a change that concerns it.
class TFileFollower : public QObject {
    Q_OBJECT
public:
    TFileFollower(TLineStore& store, TStoreWorker& worker, TFollowerClient& client, QObject* owner);
    ~TFileFollower() override;

    // Makes path the window's file and reads it into the store. On failure the store
    // holds the one "CAN NOT OPEN: " line and the retry clock runs. A big file is read
    // by the worker; LoadEnded takes its outcome.
    bool Load(const std::string& path);
    // The worker's read ended (on the window's thread).
    void LoadEnded(TLoadOutcome outcome);
    // Watches the file's folder and follows changes while on.
    void Follow(bool on);
    // No file any more: nothing is watched or retried.
    void Clear();
    // The store's text changed by other means: the next read reads the file whole.
    void Forget();
    // Reading the file back found it changed in place (reloaded from where it changed,
    // as after a change on disk) or unreadable (shown as a failed open, and retried).
    void StoreFault(TStoreFault fault);
    void ApplySettings(int waitTime, int retry);

    // The monitor's event: reloads when the file's stamp differs from the last read.
    void FileSysChanged();
    // The retry clock's tick.
    void NotifyTimerTimer();

    // A file was opened (the initial path of a new window is the program's own).
    bool HasFile() const { return Opened; }

    std::string FilePath;
    // The encoding the user chose at the start (--encoding) for the file the window
    // opens from that start; none: the file's own is detected when it is read.
    std::optional<TEncoding> ForcedEncoding;
    TFileStamp FileTime;
    TRetryState Retry;
    int RetryInterval = 3000;
    // Bytes from..to were appended to the file and read into the store: called for a
    // read that only took what the file grew by, never for a first or whole read.
    std::function<void(std::uint64_t from, std::uint64_t to)> OnAppended;
    TFileSysMonitor* Monitor;
    TIntervalTimer* NotifyTimer;

private:
    bool ReadIntoStore(const std::string& path);
    void ShowOpenFailure();

    TLineStore& Store;
    TStoreWorker& Worker;
    TFollowerClient& Client;
    // A change came while the worker read: look again once it is done.
    bool LookAgain = false;
    // The file whose bytes the store holds as read, and how many; 0: read it whole.
    std::string HeldPath;
    std::size_t HeldSize = 0;
    // Where the running read that only takes what was appended started.
    std::optional<std::size_t> GrowFrom;
    void ReadDone();
    bool Opened = false;
};

} // namespace glimra
