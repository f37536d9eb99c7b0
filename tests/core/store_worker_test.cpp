// Reading a file into the store in steps, and counting its rows: what the window sees
// while it happens and what the store holds after.
#include "viewer/line_store.h"
#include "viewer/store_worker.h"

#include <gtest/gtest.h>
#include <sys/mman.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <future>
#include <mutex>
#include <random>

namespace glimra {
namespace {

using namespace std::chrono_literals;

// A file in memory, read the way the platform reads one; records what was asked.
struct TFakeFile {
    std::string Bytes;
    std::vector<std::pair<std::int64_t, std::size_t>> Reads;
    std::vector<const char*> Targets;
    std::mutex Lock;
    TReadAt Reader() {
        return [this](std::int64_t at, char* to, std::size_t n) -> std::int64_t {
            std::lock_guard lock(Lock);
            Reads.emplace_back(at, n);
            Targets.push_back(to);
            if (at >= static_cast<std::int64_t>(Bytes.size()))
                return 0;
            std::size_t got = std::min(n, Bytes.size() - static_cast<std::size_t>(at));
            std::memcpy(to, Bytes.data() + at, got);
            return static_cast<std::int64_t>(got);
        };
    }
};

std::vector<std::string> LinesOf(const TLineStore& s) {
    std::vector<std::string> out;
    for (std::size_t i = 0; i < s.LineCount(); ++i)
        out.emplace_back(s.Line(i));
    return out;
}

std::string Numbered(std::size_t lines, const char* end = "\n") {
    std::string text;
    for (std::size_t i = 0; i < lines; ++i)
        text += "line " + std::to_string(i) + " of a log that goes on" + end;
    return text;
}

// Runs a load to its end, on the worker or at once.
TLoadOutcome LoadAll(TStoreWorker& worker, TFakeFile& file, bool growth) {
    if (auto now = worker.Load(file.Reader(), static_cast<std::int64_t>(file.Bytes.size()), growth))
        return *now;
    for (int i = 0; i < 2000; ++i) {
        if (auto outcome = worker.TakeOutcome())
            return *outcome;
        std::this_thread::sleep_for(5ms);
    }
    ADD_FAILURE() << "the load never ended";
    return TLoadOutcome::Failed;
}

} // namespace

TEST(StoreWorker, BigLoadsGiveTheSameLinesAsWholeTextInEveryLineEndStyle) {
    // Line ends fall on every side of the one-megabyte steps.
    for (const char* end : {"\n", "\r\n", "\r"}) {
        TFakeFile file;
        file.Bytes = Numbered(120000, end) + "open last";
        TLineStore loaded, whole;
        TStoreWorker worker(loaded, nullptr);
        ASSERT_EQ(LoadAll(worker, file, false), TLoadOutcome::Changed);
        whole.SetText(file.Bytes);
        ASSERT_EQ(loaded.LineCount(), whole.LineCount()) << end;
        EXPECT_EQ(LinesOf(loaded), LinesOf(whole)) << end;
        EXPECT_TRUE(loaded.LastLineOpen());
        EXPECT_EQ(loaded.Text(), whole.Text());
    }
}

TEST(StoreWorker, ReadsEachByteOnceStraightIntoTheStore) {
    TFakeFile file;
    file.Bytes = Numbered(100000);
    TLineStore store;
    TStoreWorker worker(store, nullptr);
    ASSERT_EQ(LoadAll(worker, file, false), TLoadOutcome::Changed);
    std::size_t asked = 0;
    for (auto [at, n] : file.Reads)
        if (at < static_cast<std::int64_t>(file.Bytes.size()))
            asked += std::min<std::size_t>(n, file.Bytes.size() - at);
    EXPECT_EQ(asked, file.Bytes.size());
    // The first piece went where the store keeps its first line: no copy in between.
    EXPECT_EQ(file.Targets.front(), store.Line(0).data());
}

TEST(StoreWorker, TheMemoryAReadGoesToIsThereBeforeTheReadAndNoMore) {
    // Fresh memory of a big file would otherwise come page fault by page fault while
    // the read copies into it. 64 MB is never taken from memory freed earlier.
    const std::size_t size = std::size_t{64} << 20;
    const auto page = static_cast<std::size_t>(sysconf(_SC_PAGESIZE));
    // Of the whole pages in [at, at + bytes): how many are in memory, and how many there are.
    const auto residentPages = [page](const char* at, std::size_t bytes) {
        const auto from = (reinterpret_cast<std::uintptr_t>(at) + page - 1) / page * page;
        const auto end = (reinterpret_cast<std::uintptr_t>(at) + bytes) / page * page;
        std::vector<unsigned char> resident((end - from) / page);
        if (mincore(reinterpret_cast<void*>(from), end - from, resident.data()) != 0)
            ADD_FAILURE() << "mincore failed";
        const auto in =
            std::count_if(resident.begin(), resident.end(), [](unsigned char r) { return r & 1; });
        return std::make_pair(static_cast<std::size_t>(in), resident.size());
    };
    std::vector<std::size_t> missing;
    auto read = [&](std::int64_t at, char* to, std::size_t n) -> std::int64_t {
        n = std::min(n, size - std::min(size, static_cast<std::size_t>(at)));
        if (n == 0)
            return 0;
        const auto [in, pages] = residentPages(to, n);
        missing.push_back(pages - in);
        std::memset(to, 'x', n - 1);
        to[n - 1] = '\n';
        return static_cast<std::int64_t>(n);
    };
    TLineStore store;
    TStoreWorker worker(store, nullptr);
    ASSERT_FALSE(worker.Load(read, static_cast<std::int64_t>(size), false));
    for (int i = 0; i < 2000 && worker.Loading(); ++i)
        std::this_thread::sleep_for(5ms);
    ASSERT_EQ(store.RawSize(), size);
    EXPECT_EQ(missing, std::vector<std::size_t>(64, 0));

    // An appended line takes memory for itself, not for the room left after it.
    const std::string line(100, 'y');
    auto append = [&](std::int64_t at, char* to, std::size_t n) -> std::int64_t {
        const std::size_t got = std::min(n, size + line.size() - static_cast<std::size_t>(at));
        std::memcpy(to, line.data(), got);
        return static_cast<std::int64_t>(got);
    };
    ASSERT_TRUE(worker.Load(append, static_cast<std::int64_t>(size + line.size()), true));
    ASSERT_EQ(store.Line(64), line);
#ifndef __SANITIZE_ADDRESS__ // the sanitizer's allocator keeps that memory its own way
    const auto [in, pages] = residentPages(store.Line(64).data() + line.size(), 200 * page);
    EXPECT_GE(pages, 199u);
    EXPECT_EQ(in, 0u);
#endif
}

TEST(StoreWorker, TheWindowReadsTheLinesWhileAReadIsHeldUp) {
    TFakeFile file;
    file.Bytes = Numbered(200000);
    std::mutex gate;
    std::unique_lock held(gate);
    std::atomic<int> pieces = 0;
    TReadAt inner = file.Reader();
    TLineStore store;
    TStoreWorker worker(store, nullptr);
    auto read = [&](std::int64_t at, char* to, std::size_t n) {
        if (++pieces == 3)
            std::lock_guard wait(gate); // a slow disk
        return inner(at, to, n);
    };
    ASSERT_FALSE(worker.Load(read, static_cast<std::int64_t>(file.Bytes.size()), false));
    while (pieces < 3)
        std::this_thread::sleep_for(1ms);
    // While the third piece hangs, what was read is there to draw at once.
    auto drawn = std::async(std::launch::async, [&] {
        return std::make_pair(store.LineCount(), store.DisplayLine(0));
    });
    ASSERT_EQ(drawn.wait_for(2s), std::future_status::ready);
    auto [lines, first] = drawn.get();
    EXPECT_GT(lines, 0u);
    EXPECT_LT(lines, 200000u);
    EXPECT_EQ(first, U"line 0 of a log that goes on");
    EXPECT_TRUE(worker.Loading());
    held.unlock();
    for (int i = 0; i < 2000 && worker.Loading(); ++i)
        std::this_thread::sleep_for(5ms);
    EXPECT_EQ(store.LineCount(), 200000u);
}

TEST(StoreWorker, AReloadKeepsTheLinesBeforeTheFirstChangeAndHoldsOneCopy) {
    TFakeFile file;
    file.Bytes = Numbered(150000);
    TLineStore store;
    store.SetWrap(true, 100, [](char32_t) { return 10; });
    TStoreWorker worker(store, nullptr);
    ASSERT_EQ(LoadAll(worker, file, false), TLoadOutcome::Changed);
    // The rows of the last pieces may still be being counted.
    for (int i = 0; i < 2000 && store.WrapPending(); ++i)
        std::this_thread::sleep_for(1ms);
    // Nothing changed: nothing is touched.
    std::uint64_t version = store.Version();
    file.Reads.clear();
    ASSERT_EQ(LoadAll(worker, file, false), TLoadOutcome::Unchanged);
    EXPECT_EQ(store.Version(), version);
    // One byte in the middle changes; a line end style changes further on.
    file.Bytes[file.Bytes.size() / 2] = '#';
    file.Bytes.replace(file.Bytes.size() - 30, 1, "\r\n");
    file.Reads.clear();
    ASSERT_EQ(LoadAll(worker, file, false), TLoadOutcome::Changed);
    TLineStore whole;
    whole.SetText(file.Bytes);
    EXPECT_EQ(LinesOf(store), LinesOf(whole));
    // The file was never held whole beside the store.
    for (auto [at, n] : file.Reads)
        EXPECT_LE(n, 1u << 20);
    // Shorter with the same start: cut back, not read again.
    file.Bytes.resize(1000);
    ASSERT_EQ(LoadAll(worker, file, false), TLoadOutcome::Changed);
    whole.SetText(file.Bytes);
    EXPECT_EQ(LinesOf(store), LinesOf(whole));
}

TEST(StoreWorker, AppendsCostWhatTheyAppendAndMemoryStaysNearTheFile) {
    TFakeFile file;
    file.Bytes = Numbered(200000);
    TLineStore store;
    store.SetWrap(true, 400, [](char32_t) { return 7; });
    TStoreWorker worker(store, nullptr);
    ASSERT_EQ(LoadAll(worker, file, false), TLoadOutcome::Changed);
    const char* bytes = store.Line(0).data();
    const std::size_t lines = store.LineCount();
    auto limit = [&] {
        return 1.15 * static_cast<double>(file.Bytes.size()) + 16.0 * lines + 4096;
    };
    EXPECT_LE(static_cast<double>(store.MemoryBytes()), limit());
    // The first append after a load does not move the file's bytes.
    store.Append("one more line\n");
    EXPECT_EQ(store.Line(0).data(), bytes);
    EXPECT_LE(static_cast<double>(store.MemoryBytes()), limit());
    file.Bytes += "one more line\n";
    // Growth through the worker reads only what is new.
    file.Bytes += Numbered(10);
    file.Reads.clear();
    ASSERT_EQ(LoadAll(worker, file, true), TLoadOutcome::Changed);
    for (auto [at, n] : file.Reads)
        EXPECT_GE(at, static_cast<std::int64_t>(file.Bytes.size() - Numbered(10).size()));
    EXPECT_EQ(store.LineCount(), lines + 11);
    // A full reload after a change near the start stays within the same bound.
    file.Bytes[10] = '#';
    ASSERT_EQ(LoadAll(worker, file, false), TLoadOutcome::Changed);
    EXPECT_LE(static_cast<double>(store.MemoryBytes()), limit());
}

TEST(StoreWorker, RowsAreCountedOffTheWindowsThreadAndASupersededCountIsDropped) {
    TFakeFile file;
    for (int i = 0; i < 60000; ++i)
        file.Bytes +=
            "word word word word word word word word word word " + std::to_string(i) + "\n";
    TLineStore store;
    store.SetText(file.Bytes);
    std::atomic<int> progress = 0;
    TStoreWorker worker(store, [&] { ++progress; });
    store.SetWrap(true, 200, [](char32_t) { return 10; });
    // The count is not done on the asking thread: lines not yet counted stand for one row.
    EXPECT_LT(store.DisplayLineCount(), 60000u * 3);
    EXPECT_TRUE(store.WrapPending());
    // The rows on screen are right at once.
    TLineStore first;
    first.SetText(file.Bytes.substr(0, file.Bytes.find('\n') + 1));
    first.SetWrap(true, 200, [](char32_t) { return 10; });
    ASSERT_GT(first.DisplayLineCount(), 1u);
    for (std::size_t row = 0; row < first.DisplayLineCount(); ++row)
        EXPECT_EQ(store.DisplayLine(row), first.DisplayLine(row));
    // A second width before the first count ends: the result is that of the second.
    worker.WakeWrap();
    store.SetWrap(true, 300, [](char32_t) { return 10; });
    worker.WakeWrap();
    for (int i = 0; i < 2000 && store.WrapPending(); ++i)
        std::this_thread::sleep_for(5ms);
    ASSERT_FALSE(store.WrapPending());
    TLineStore reference;
    reference.SetText(file.Bytes.substr(0, file.Bytes.find('\n') + 1));
    reference.SetWrap(true, 300, [](char32_t) { return 10; });
    EXPECT_EQ(store.DisplayLineCount(), 60000u * reference.DisplayLineCount());
    EXPECT_GT(progress.load(), 0);
    EXPECT_EQ(store.FileLineOf(store.DisplayLineCount() - 1), 59999u);
    EXPECT_EQ(store.DisplayIndexOf(59999), store.DisplayLineCount() - reference.DisplayLineCount());
}

TEST(StoreWorker, AChangeByTheWindowStopsARunningLoad) {
    TFakeFile file;
    file.Bytes = Numbered(200000);
    TLineStore store;
    TStoreWorker worker(store, nullptr);
    ASSERT_FALSE(worker.Load(file.Reader(), static_cast<std::int64_t>(file.Bytes.size()), false));
    store.Clear();
    store.AddLine("CAN NOT OPEN: x");
    for (int i = 0; i < 2000 && worker.Loading(); ++i)
        std::this_thread::sleep_for(5ms);
    EXPECT_FALSE(worker.Loading());
    // Whatever was read before, the window's own lines are what the store ends with.
    EXPECT_EQ(LinesOf(store), std::vector<std::string>{"CAN NOT OPEN: x"});
    worker.Cancel();
}

} // namespace glimra
