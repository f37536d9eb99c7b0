#pragma once
#include "common/text_encoding.h"
#include "viewer/block_source.h"

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <thread>
#include <vector>

namespace glimra {

class TLineStore;

enum class TLoadOutcome {
    Changed,   // the store holds the file's lines now
    Unchanged, // the file held what the store held
    Failed,    // a read failed; the store holds what was read before it
    Cancelled, // the store was changed by other means meanwhile
    Partial,   // the file grew while it was read: read on from the store's end
};

// Fills a store from a file and counts the rows of its lines, in steps of about a
// megabyte each, on a thread of its own; the window's thread keeps drawing between
// the steps. Small reads run at once on the caller's thread.
class TStoreWorker {
public:
    // progress is called on the worker's thread after a step, unless the last call
    // has not been taken yet (ProgressTaken); the window hands it to its own thread.
    TStoreWorker(TLineStore& store, std::function<void()> progress);
    ~TStoreWorker();
    TStoreWorker(const TStoreWorker&) = delete;
    TStoreWorker& operator=(const TStoreWorker&) = delete;

    // The store keeps read reading its bytes back once the load has checked them.
    // growth: the file may hold the store's bytes and more: the hash of the store's
    // last block is checked and the file read on from the store's end. Otherwise, or
    // when that block differs, the file's blocks are hashed against the store's and
    // the file read from the line that holds the first block that differs. size is
    // the file's size now. A load that is not growth finds the file's encoding
    // first (forced: the user's choice), and reads the file whole when it differs
    // from the one the store holds. Returns the outcome when the read ran at once.
    std::optional<TLoadOutcome> Load(TReadAt read, std::int64_t size, bool growth,
                                     std::optional<TEncoding> forced = std::nullopt);
    // Stops a load; the store keeps what was read. Waits for a running step.
    void Cancel();
    bool Loading() const;
    // The outcome of a load that ended on the worker's thread, once.
    std::optional<TLoadOutcome> TakeOutcome();
    // The lines or the wrap settings changed: rows are to be counted.
    void WakeWrap();
    // The window has taken the last progress call: the next step calls again.
    void ProgressTaken() { Posted = false; }
    // How far the current load or count is, 0 to 1; negative when idle.
    double Progress() const;

    // Reads at most this much at once on the caller's thread.
    static constexpr std::int64_t SyncLimit = 1 << 20;

private:
    struct TJob;
    struct TRows;
    // One step of the job; false when it ended (Result holds how).
    bool Step(TJob& job);
    // Takes lines to count while the next step reads (false when there are none), and
    // hands their rows to the store.
    bool TakeRows();
    void PutRows();
    void Run();
    void Notify();

    TLineStore& Store;
    std::function<void()> OnProgress;
    mutable std::mutex Lock;
    std::condition_variable Wake;
    std::unique_ptr<TJob> Job;
    std::unique_ptr<TRows> Rows;
    std::optional<TLoadOutcome> Outcome;
    bool WrapWanted = false;
    bool Behind = false; // the rows lag the read by much of the cache
    bool Busy = false;
    bool Stop = false;
    std::atomic<double> Done{-1};
    std::atomic<bool> Posted{false};
    std::thread Thread;
};

} // namespace glimra
