// Reading a file into the store in steps, and counting its rows: what the window sees
// while it happens and what the store holds after.
#include "store_lines.h"
#include "viewer/line_store.h"
#include "viewer/store_worker.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <future>
#include <mutex>
#include <random>
#include <thread>

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

TEST(StoreWorker, ALoadReadsEachByteOnceAndKeepsOnlyTheIndex) {
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
    // Line starts with room to grow, a hash per block and the last partial block.
    EXPECT_LE(store.MemoryBytes(), 12 * store.LineCount() + 3 * TBlockSource::BlockSize);
    // A line is read back from the file, one block of it.
    file.Reads.clear();
    EXPECT_EQ(store.Line(50000), "line 50000 of a log that goes on");
    ASSERT_LE(file.Reads.size(), 2u); // the line may cross into the next block
    for (auto [at, n] : file.Reads)
        EXPECT_EQ(n, TBlockSource::BlockSize);
}

TEST(StoreWorker, WhatChangedInPlaceIsNeverShownAndIsReadAgainFromItsLine) {
    const std::size_t block = TBlockSource::BlockSize;
    struct TCase {
        const char* Name;
        std::function<void(std::string&)> Change;
        TStoreFault Fault;
        bool Save = false; // found by a save instead of the display
    };
    const TCase cases[] = {
        {"a byte in the fourth block", [&](std::string& b) { b[3 * block + 100] = '#'; },
         TStoreFault::Changed},
        {"the same length, another text from the fourth block on",
         [&](std::string& b) { std::replace(b.begin() + 3 * block, b.end(), 'o', '0'); },
         TStoreFault::Changed, true},
        {"cut short in the fourth block", [&](std::string& b) { b.resize(3 * block + 10); },
         TStoreFault::Changed},
        {"both the third and fourth block",
         [&](std::string& b) { b[2 * block + 7] = '#', b[3 * block + 7] = '#'; },
         TStoreFault::Changed},
        {"unreadable", nullptr, TStoreFault::Unreadable},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.Name);
        TFakeFile file;
        file.Bytes = Numbered(25000); // read at once
        bool failing = false;
        TReadAt inner = file.Reader();
        TReadAt read = [&](std::int64_t at, char* to, std::size_t n) -> std::int64_t {
            return failing ? -1 : inner(at, to, n);
        };
        TLineStore store;
        std::vector<TStoreFault> faults;
        store.SetOnFault([&](TStoreFault f) { faults.push_back(f); });
        TStoreWorker worker(store, nullptr);
        ASSERT_EQ(worker.Load(read, static_cast<std::int64_t>(file.Bytes.size()), false),
                  TLoadOutcome::Changed);
        TLineStore original;
        original.SetText(file.Bytes);
        const std::vector<std::string> before = LinesOf(original);
        // The line that holds the fourth block's first byte, and one far into that block.
        const auto first = static_cast<std::size_t>(
            std::count(file.Bytes.begin(), file.Bytes.begin() + 3 * block, '\n'));
        const std::size_t inside = first + 200;
        const std::string old = file.Bytes;
        if (c.Change)
            c.Change(file.Bytes);
        failing = !c.Change;
        if (c.Save) {
            // A save gives up rather than write what it read before the change with a
            // hole or the new bytes after it.
            std::string saved;
            EXPECT_FALSE(store.WriteText([&](std::string_view piece) {
                saved += piece;
                return true;
            }));
            std::erase(saved, '\r');
            EXPECT_LE(saved.size(), 3 * block);
            EXPECT_TRUE(old.starts_with(saved));
        } else {
            EXPECT_EQ(store.DisplayLine(inside), U"");
        }
        ASSERT_EQ(faults, std::vector<TStoreFault>{c.Fault});
        if (c.Fault == TStoreFault::Unreadable) {
            EXPECT_EQ(store.LineCount(), before.size()); // shown as they were, where cached
            continue;
        }
        // Only lines read as indexed are left, none of the new ones.
        const std::vector<std::string> left = LinesOf(store);
        ASSERT_LE(left.size(), first);
        EXPECT_TRUE(std::equal(left.begin(), left.end(), before.begin()));
        // The reload reads on from there and ends with the new file's lines.
        ASSERT_EQ(LoadAll(worker, file, false), TLoadOutcome::Changed);
        TLineStore whole;
        whole.SetText(file.Bytes);
        EXPECT_EQ(LinesOf(store), LinesOf(whole));
    }
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

TEST(StoreWorker, AppendsCostWhatTheyAppendAndMemoryStaysWithinTheIndexAndTheCache) {
    // Bigger than the cache, so that a copy of the file could not hide in it.
    TFakeFile file;
    file.Bytes = Numbered(1000000);
    ASSERT_GT(file.Bytes.size(), TBlockSource::CacheLimit);
    TLineStore store;
    store.SetWrap(
        true, 400, [](char32_t) { return 7; }, 7);
    TStoreWorker worker(store, nullptr);
    ASSERT_EQ(LoadAll(worker, file, false), TLoadOutcome::Changed);
    for (int i = 0; i < 4000 && store.WrapPending(); ++i)
        std::this_thread::sleep_for(1ms);
    const std::size_t lines = store.LineCount();
    auto limit = [&] {
        return TBlockSource::CacheLimit + 16 * lines + 4 * TBlockSource::BlockSize;
    };
    EXPECT_LE(store.MemoryBytes(), limit());
    // Growth reads what is new and the last block held, to check it.
    const std::size_t old = file.Bytes.size();
    file.Bytes += "one more line\n" + Numbered(10);
    file.Reads.clear();
    ASSERT_EQ(LoadAll(worker, file, true), TLoadOutcome::Changed);
    for (auto [at, n] : file.Reads)
        EXPECT_GE(at, static_cast<std::int64_t>(old - TBlockSource::BlockSize));
    EXPECT_EQ(store.LineCount(), lines + 11);
    // Growth of a file that changed before its old end is a reload, not an append.
    file.Bytes[old - 5] = '#';
    file.Bytes += "last\n";
    ASSERT_EQ(LoadAll(worker, file, true), TLoadOutcome::Changed);
    TLineStore whole;
    whole.SetText(file.Bytes);
    EXPECT_EQ(LinesOf(store), LinesOf(whole));
    // A full reload after a change near the start stays within the same bound.
    file.Bytes[10] = '#';
    ASSERT_EQ(LoadAll(worker, file, false), TLoadOutcome::Changed);
    EXPECT_LE(store.MemoryBytes(), limit());
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

TEST(StoreWorker, AWrappedLoadCountsEachLineOnceWhileItsBlockIsStillCached) {
    // Short lines of many lengths: counting costs most per byte, so the rows lag the
    // read the most.
    TFakeFile file;
    char line[64];
    for (unsigned i = 0; file.Bytes.size() < 2 * TBlockSource::CacheLimit; ++i)
        file.Bytes.append(line, std::snprintf(line, sizeof line, "entry %08u%.*s\n", i,
                                              static_cast<int>(i % 23), " word word word word"));
    const auto tenPixels = [](char32_t) { return 10; };
    const auto rowsAt = [&](int width) {
        TLineStore reference;
        reference.SetText(file.Bytes);
        reference.SetWrap(true, width, tenPixels);
        while (reference.WrapSome(SIZE_MAX)) {
        }
        return reference.DisplayLineCount();
    };
    // Another width while the file is read: the rows counted at the first are dropped,
    // also those being counted when it came.
    for (const bool rewrap : {false, true}) {
        SCOPED_TRACE(rewrap ? "rewrapped while read" : "one width");
        TLineStore store;
        store.SetWrap(true, 100, tenPixels);
        TStoreWorker worker(store, nullptr);
        worker.WakeWrap();
        std::thread other([&] {
            for (int i = 0; rewrap && i < 1000 && store.LineCount() < 1000000; ++i)
                std::this_thread::sleep_for(1ms);
            if (rewrap) {
                store.SetWrap(true, 70, tenPixels);
                worker.WakeWrap();
            }
        });
        ASSERT_EQ(LoadAll(worker, file, false), TLoadOutcome::Changed);
        other.join();
        for (int i = 0; i < 2000 && store.WrapPending(); ++i)
            std::this_thread::sleep_for(5ms);
        ASSERT_FALSE(store.WrapPending());
        EXPECT_EQ(store.DisplayLineCount(), rowsAt(rewrap ? 70 : 100));
        // The read hands its blocks to the count through the cache: none is read twice.
        if (!rewrap) {
            EXPECT_EQ(store.BlocksRead(), 0u);
        }
    }
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
