#include "viewer/store_worker.h"

#include "viewer/line_store.h"

#include <algorithm>
#include <cstring>
#include <new>

namespace glimra {
namespace {

constexpr std::size_t StepBytes = 1u << 20;
// Read past the file's size at the start, for what is appended meanwhile; a file that
// grows faster is read on by another load.
constexpr std::size_t Slack = 1u << 20;
constexpr std::size_t BlockSize = TBlockSource::BlockSize;

} // namespace

struct TStoreWorker::TJob {
    enum TMode { CheckTail, Detect, Compare, ReadOn };
    TReadAt Read;
    std::optional<TEncoding> Forced;
    std::uint64_t Content = 0; // the store's own changes when the job began
    TMode Mode = ReadOn;
    std::size_t Held = 0;     // bytes the store held when the job began
    std::size_t At = 0;       // next byte to compare
    std::size_t Expected = 0; // the file's size when the job began
    std::vector<char> Scratch;
    bool Async = false;
    TLoadOutcome Result = TLoadOutcome::Unchanged;
};

// Lines counted by two threads while the worker reads: the text taken from the store,
// a copy of the metrics for each thread (they learn widths as they go), and a helper
// thread that takes batches of the lines as the worker does. The worker waits only
// for a batch the helper is counting, never for a helper that has not woken yet.
struct TStoreWorker::TRows {
    static constexpr std::size_t Batch = 64;
    TLineStore::TRowsWork Work; // changed only while no round is open
    TWrapMetrics Metrics[2];
    std::uint64_t Generation = UINT64_MAX; // of the store when Metrics was copied

    TRows() : Helper([this] { Help(); }) {}
    ~TRows() {
        {
            std::lock_guard lock(Lock);
            Stop = true;
        }
        Wake.notify_all();
        Helper.join();
    }
    void Open() {
        {
            std::lock_guard lock(Lock);
            Next = 0;
            Opened = true;
        }
        Wake.notify_all();
    }
    // The worker's share; returns once every line is counted.
    void CountAndClose() {
        Count(1);
        std::unique_lock lock(Lock);
        Opened = false;
        Wake.wait(lock, [this] { return HelperBusy == 0; });
    }

private:
    // Counts batches until none is left.
    void Count(int thread) {
        for (;;) {
            std::size_t from = 0;
            {
                std::lock_guard lock(Lock);
                if (!Opened || Next >= Work.Lines.size())
                    return;
                from = Next;
                Next += Batch;
                HelperBusy += thread == 0;
            }
            const std::string_view text = Work.Text;
            for (std::size_t i = from; i < std::min(Work.Lines.size(), from + Batch); ++i) {
                const std::size_t start = i == 0 ? 0 : Work.Ends[i - 1];
                Work.Rows[i] = std::max<std::uint32_t>(
                    1, Metrics[thread].CountRows(text.substr(start, Work.Ends[i] - start)));
            }
            if (thread == 0) {
                std::lock_guard lock(Lock);
                --HelperBusy;
            }
            Wake.notify_all();
        }
    }
    void Help() {
        std::unique_lock lock(Lock);
        for (;;) {
            Wake.wait(lock, [this] { return Stop || (Opened && Next < Work.Lines.size()); });
            if (Stop)
                return;
            lock.unlock();
            Count(0);
            lock.lock();
        }
    }

    std::mutex Lock;
    std::condition_variable Wake;
    std::size_t Next = 0;
    bool Opened = false;
    int HelperBusy = 0;
    bool Stop = false;
    std::thread Helper;
};

TStoreWorker::TStoreWorker(TLineStore& store, std::function<void()> progress)
    : Store(store), OnProgress(std::move(progress)), Rows(std::make_unique<TRows>()),
      Thread([this] { Run(); }) {}

TStoreWorker::~TStoreWorker() {
    {
        std::lock_guard lock(Lock);
        Stop = true;
    }
    Wake.notify_all();
    Thread.join();
}

std::optional<TLoadOutcome> TStoreWorker::Load(TReadAt read, std::int64_t size, bool growth,
                                               std::optional<TEncoding> forced) {
    Cancel();
    auto job = std::make_unique<TJob>();
    job->Read = std::move(read);
    job->Forced = forced;
    job->Expected = static_cast<std::size_t>(std::max<std::int64_t>(size, 0));
    {
        std::lock_guard lock(Store.Guard);
        job->Content = Store.ContentChanges;
        job->Held = Store.Source.Size();
    }
    job->Mode = job->Held > 0 && growth ? TJob::CheckTail : TJob::Detect;
    // Comparing reads the file up to what is held, then what follows.
    const std::size_t toRead = job->Mode == TJob::CheckTail
                                   ? job->Expected - std::min(job->Expected, job->Held)
                                   : job->Expected;
    if (toRead <= static_cast<std::size_t>(SyncLimit)) {
        while (Step(*job)) {
        }
        return job->Result;
    }
    {
        std::lock_guard lock(Lock);
        job->Async = true;
        Job = std::move(job);
        Outcome.reset();
        Done = 0;
    }
    Wake.notify_all();
    return std::nullopt;
}

void TStoreWorker::Cancel() {
    std::unique_lock lock(Lock);
    // The step under way uses the job: it ends first.
    Wake.wait(lock, [this] { return !Busy; });
    Job.reset();
    if (!WrapWanted)
        Done = -1;
}

bool TStoreWorker::Loading() const {
    std::lock_guard lock(Lock);
    return Job != nullptr;
}

std::optional<TLoadOutcome> TStoreWorker::TakeOutcome() {
    std::lock_guard lock(Lock);
    auto outcome = Outcome;
    Outcome.reset();
    return outcome;
}

void TStoreWorker::WakeWrap() {
    {
        std::lock_guard lock(Lock);
        WrapWanted = true;
    }
    Wake.notify_all();
}

double TStoreWorker::Progress() const {
    return Done;
}

bool TStoreWorker::Step(TJob& job) {
    job.Scratch.resize(StepBytes);
    char* scratch = job.Scratch.data();
    // The bytes are read and hashed without the lock; the store is changed under it
    // only if the window did not change it meanwhile.
    const auto locked = [&](std::unique_lock<TFairMutex>& lock) {
        lock = std::unique_lock(Store.Guard);
        if (Store.ContentChanges == job.Content)
            return true;
        job.Result = TLoadOutcome::Cancelled;
        return false;
    };
    std::unique_lock<TFairMutex> lock;
    if (job.Mode == TJob::CheckTail) {
        // The file kept what the store holds if its last block hashes the same.
        std::size_t tailStart = 0;
        std::uint64_t tailHash = 0;
        if (!locked(lock))
            return false;
        tailStart = Store.Source.TailStart();
        tailHash = Store.Source.BlockHash(Store.Source.BlockCount() - 1);
        if (tailStart == job.Held) { // the last block is full
            tailStart -= BlockSize;
            tailHash = Store.Source.BlockHash(tailStart / BlockSize);
        }
        lock.unlock();
        const std::size_t n = job.Held - tailStart;
        const std::int64_t got = TBlockSource::ReadRaw(job.Read, tailStart, scratch, n);
        if (got < 0) {
            job.Result = TLoadOutcome::Failed;
            return false;
        }
        const bool same =
            static_cast<std::size_t>(got) == n && TBlockSource::Hash(scratch, n) == tailHash;
        if (!locked(lock))
            return false;
        if (same)
            Store.Source.UseFile(job.Read);
        job.Mode = same ? TJob::ReadOn : TJob::Detect;
        return true;
    }
    if (job.Mode == TJob::Detect) {
        // The encoding from the file's first bytes; the store is read anew in another.
        job.Mode = TJob::Compare;
        const TTextCodecs* codecs = Store.Codecs();
        if (!codecs)
            return true;
        const std::int64_t got =
            TBlockSource::ReadRaw(job.Read, 0, scratch, std::min(DetectionBytes, job.Expected));
        if (got < 0) {
            job.Result = TLoadOutcome::Failed;
            return false;
        }
        const TEncodingChoice choice =
            codecs->Detect(std::string_view(scratch, static_cast<std::size_t>(got)), job.Forced);
        if (!locked(lock))
            return false;
        if (choice != Store.FileChoice || Store.Choice != Store.FileChoice) {
            Store.ClearLocked();
            Store.SetEncodingLocked(choice);
            job.Content = Store.ContentChanges;
            job.Held = 0;
            job.Result = TLoadOutcome::Changed;
        }
        return true;
    }
    if (job.Mode == TJob::Compare) {
        // The file's blocks are hashed as the store's were and compared: one copy only.
        const std::size_t want = std::min(StepBytes, job.Held - job.At);
        const std::int64_t got = TBlockSource::ReadRaw(job.Read, job.At, scratch, want);
        if (got < 0) {
            job.Result = TLoadOutcome::Failed;
            return false;
        }
        std::vector<std::uint64_t> hashes;
        for (std::size_t at = 0; at < static_cast<std::size_t>(got); at += BlockSize)
            hashes.push_back(TBlockSource::Hash(
                scratch + at, std::min(BlockSize, static_cast<std::size_t>(got) - at)));
        if (!locked(lock))
            return false;
        const std::size_t first = job.At / BlockSize;
        std::size_t same = 0;
        while (same < hashes.size() && hashes[same] == Store.Source.BlockHash(first + same))
            ++same;
        // A file shorter than what is held differs at its end.
        const bool equal = same == hashes.size() && static_cast<std::size_t>(got) == want;
        job.At += equal ? want : same * BlockSize;
        if (equal && job.At < job.Held)
            return true;
        // The blocks before the first that differs are the same in the file: it is read
        // from now on, and the lines before that block stay with their rows.
        Store.Source.UseFile(job.Read);
        if (job.At < job.Held) {
            if (!Store.CutAtBlockLocked(job.At / BlockSize)) {
                job.Result = TLoadOutcome::Failed;
                return false;
            }
            ++Store.Changes;
            job.Result = TLoadOutcome::Changed;
        }
        job.Mode = TJob::ReadOn;
        return true;
    }
    std::size_t size = 0;
    if (!locked(lock))
        return false;
    size = Store.Source.Size();
    lock.unlock();
    if (size >= std::max(job.Expected, job.Held) + Slack) {
        // The file grew past what this load reads; another reads on.
        char probe = 0;
        if (job.Read(static_cast<std::int64_t>(size), &probe, 1) > 0)
            job.Result = TLoadOutcome::Partial;
        return false;
    }
    const std::int64_t got = TBlockSource::ReadRaw(job.Read, size, scratch, StepBytes);
    if (got < 0) {
        job.Result = TLoadOutcome::Failed;
        return false;
    }
    if (got == 0)
        return false;
    if (!locked(lock))
        return false;
    Store.CommitLocked(std::string_view(scratch, static_cast<std::size_t>(got)), true);
    ++Store.Changes;
    job.Result = TLoadOutcome::Changed;
    if (job.Async && job.Expected > 0)
        Done = std::min(1.0, static_cast<double>(size + static_cast<std::size_t>(got)) /
                                 static_cast<double>(job.Expected));
    return true;
}

bool TStoreWorker::TakeRows() {
    std::lock_guard lock(Store.Guard);
    if (!Store.TakeRowsWorkLocked(2 * StepBytes, Rows->Work))
        return false;
    if (Rows->Generation != Rows->Work.Generation) {
        Rows->Metrics[0] = Rows->Metrics[1] = Store.Metrics;
        Rows->Generation = Rows->Work.Generation;
    }
    Rows->Work.Rows.resize(Rows->Work.Lines.size());
    Rows->Open();
    return true;
}

void TStoreWorker::PutRows() {
    std::lock_guard lock(Store.Guard);
    Store.PutRowsWorkLocked(Rows->Work);
}

void TStoreWorker::Notify() {
    // One notice waits at a time: the window reads the state when it gets to it, so
    // nothing is lost and its queue never floods.
    if (OnProgress && !Posted.exchange(true))
        OnProgress();
}

void TStoreWorker::Run() {
    std::unique_lock lock(Lock);
    for (;;) {
        Wake.wait(lock, [this] { return Stop || Job || WrapWanted; });
        if (Stop)
            return;
        Busy = true;
        TJob* job = Job.get();
        lock.unlock();
        bool more = false, rows = false;
        try {
            // Rows are counted between the reads, so both grow together; while the
            // rows are behind, the read waits, so that the blocks it reads are still
            // in the cache when their rows are counted. The cache drops the block
            // used longest ago, and a block read ahead was used before every block
            // counted since: it must hold twice the lag, and more, or it drops the
            // blocks still to count first and each is read again.
            if (!Behind && TakeRows()) {
                // Both processors: the rows of what was read are counted while the
                // next piece is read, and by this thread too once it is.
                try {
                    more = job && Step(*job);
                } catch (...) {
                    Rows->CountAndClose(); // the lines are not changed under a count
                    throw;
                }
                Rows->CountAndClose();
                PutRows();
                rows = Store.WrapPending();
            } else {
                more = job ? (Behind || Step(*job)) : false;
                rows = Store.WrapSome(StepBytes, !job);
            }
            Behind = job && rows && Store.RowsBehind() > TBlockSource::CacheLimit / 8;
        } catch (const std::bad_alloc&) {
            // No memory for more lines: the read ends as failed, the window says so.
            if (job)
                job->Result = TLoadOutcome::Failed;
            more = false;
        }
        lock.lock();
        Busy = false;
        Wake.notify_all();
        if (job && Job.get() == job && !more) {
            Outcome = job->Result;
            Job.reset();
        }
        WrapWanted = rows || Job || Store.WrapPending();
        if (!Job && !WrapWanted)
            Done = -1;
        else if (!Job && rows)
            Done = 0.5; // counting rows: the sign shows work, not a share
        lock.unlock();
        Notify();
        lock.lock();
    }
}

} // namespace glimra
