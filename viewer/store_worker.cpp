#include "viewer/store_worker.h"

#include "platform/memory_advice.h"
#include "viewer/line_store.h"

#include <algorithm>
#include <cstring>
#include <new>

namespace glimra {
namespace {

constexpr std::size_t StepBytes = 1u << 20;
// Room past the file's size for what is appended while and after it is read.
constexpr std::size_t Slack = 1u << 20;

} // namespace

struct TStoreWorker::TJob {
    TReadAt Read;
    std::uint64_t Content = 0; // the store's own changes when the job began
    bool Comparing = false;
    std::size_t Held = 0;     // bytes the store held when the job began
    std::size_t At = 0;       // next byte to compare
    std::size_t Expected = 0; // the file's size when the job began
    std::vector<char> Scratch;
    bool Async = false;
    TLoadOutcome Result = TLoadOutcome::Unchanged;
};

TStoreWorker::TStoreWorker(TLineStore& store, std::function<void()> progress)
    : Store(store), OnProgress(std::move(progress)), Thread([this] { Run(); }) {}

TStoreWorker::~TStoreWorker() {
    {
        std::lock_guard lock(Lock);
        Stop = true;
    }
    Wake.notify_all();
    Thread.join();
}

std::optional<TLoadOutcome> TStoreWorker::Load(TReadAt read, std::int64_t size, bool growth) {
    Cancel();
    auto job = std::make_unique<TJob>();
    job->Read = std::move(read);
    job->Comparing = !growth;
    job->Expected = static_cast<std::size_t>(std::max<std::int64_t>(size, 0));
    std::size_t toRead = 0;
    {
        std::scoped_lock lock(Store.Moving, Store.Guard);
        job->Content = Store.ContentChanges;
        job->Held = Store.Bytes.size();
        // The room is made here, on the window's thread: the worker never moves the bytes.
        Store.Bytes.reserve(std::max(job->Expected, job->Held) + Slack);
        toRead = growth ? job->Expected - std::min(job->Expected, job->Held) : job->Expected;
    }
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
    if (job.Comparing) {
        // The file is read into a small buffer and held against the store's bytes.
        const std::size_t want = std::min(StepBytes, job.Held - job.At);
        job.Scratch.resize(StepBytes);
        std::int64_t got =
            want ? job.Read(static_cast<std::int64_t>(job.At), job.Scratch.data(), want) : 0;
        if (got < 0) {
            job.Result = TLoadOutcome::Failed;
            return false;
        }
        std::lock_guard lock(Store.Guard);
        if (Store.ContentChanges != job.Content) {
            job.Result = TLoadOutcome::Cancelled;
            return false;
        }
        const char* held = Store.Bytes.data() + job.At;
        auto n = static_cast<std::size_t>(got);
        const char* scratch = job.Scratch.data();
        std::size_t same = std::memcmp(scratch, held, n) == 0
                               ? n
                               : static_cast<std::size_t>(
                                     std::mismatch(scratch, scratch + n, held).first - scratch);
        job.At += same;
        if (same == n && n > 0 && job.At < job.Held)
            return true;
        job.Comparing = false;
        if (job.At < job.Held) {
            // Lines before the one that differs stay, and so do their rows.
            auto it =
                std::upper_bound(Store.Starts.data(), Store.Starts.data() + Store.Starts.size(),
                                 static_cast<std::uint64_t>(job.At));
            std::size_t line = static_cast<std::size_t>(it - Store.Starts.data());
            Store.TruncateLocked(line == 0 ? 0 : line - 1);
            ++Store.Changes;
            job.Result = TLoadOutcome::Changed;
        }
        return true;
    }
    std::lock_guard moving(Store.Moving);
    char* to = nullptr;
    std::size_t size = 0, room = 0;
    {
        std::lock_guard lock(Store.Guard);
        if (Store.ContentChanges != job.Content) {
            job.Result = TLoadOutcome::Cancelled;
            return false;
        }
        size = Store.Bytes.size();
        room = Store.Bytes.capacity() - size;
        to = Store.Bytes.data() + size;
    }
    if (room == 0) {
        // Full: either the file ends here or it grew past the room made for it.
        char probe = 0;
        if (job.Read(static_cast<std::int64_t>(size), &probe, 1) > 0)
            job.Result = TLoadOutcome::Partial;
        return false;
    }
    // Past the end nobody reads, and the bytes cannot move while Moving is held.
    const std::size_t want = std::min(StepBytes, room);
    // Only what the file is expected to fill: an append of a line populates no room.
    Prefault(to, std::min(want, job.Expected - std::min(job.Expected, size)));
    std::int64_t got = job.Read(static_cast<std::int64_t>(size), to, want);
    if (got < 0) {
        job.Result = TLoadOutcome::Failed;
        return false;
    }
    if (got == 0)
        return false;
    std::lock_guard lock(Store.Guard);
    Store.Bytes.resize(size + static_cast<std::size_t>(got));
    Store.CommitLocked(size);
    ++Store.Changes;
    job.Result = TLoadOutcome::Changed;
    if (job.Async && job.Expected > 0)
        Done = std::min(1.0, static_cast<double>(size + got) / static_cast<double>(job.Expected));
    return true;
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
            more = job ? Step(*job) : false;
            // Rows are counted between the reads, so both grow together.
            rows = Store.WrapSome(StepBytes, !job);
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
