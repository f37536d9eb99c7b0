#include "platform/beep.h"
#include "platform/dir_watch.h"
#include "viewer/file_sys_monitor.h"
#include "viewer/file_sys_notify.h"

#include <QPointer>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>

#include <atomic>
#include <cerrno>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sys/inotify.h>
#include <thread>

namespace glimra {
namespace {

namespace fs = std::filesystem;
using N = TFileSysNotify;
using Result = TDirWatch::TWaitResult;

constexpr TNotifyFilter kViewerFilter{N::FILE_NAME, N::DIR_NAME, N::ATTRIBUTES, N::SIZE,
                                      N::LAST_WRITE};

template <class Pred> bool WaitUntil(Pred pred, int timeoutMs = 8000) {
    for (int waited = 0; !pred(); waited += 10) {
        if (waited >= timeoutMs)
            return false;
        QTest::qWait(10);
    }
    return true;
}

void Append(const fs::path& file, const std::string& text = "line\n") {
    std::ofstream(file, std::ios::app) << text;
}

int OpenDescriptors() {
    return static_cast<int>(std::distance(fs::directory_iterator("/proc/self/fd"), {}));
}

struct TEvents {
    int Count = 0;
    QObject* Sender = nullptr;
    std::string Directory;

    TFileSysChange Handler() {
        return [this](QObject* sender, const std::string& directory) {
            ++Count;
            Sender = sender;
            Directory = directory;
        };
    }
};

class FileSysMonitorTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(temp_.isValid());
        SetBeepHook([this] { ++beeps_; });
    }
    void TearDown() override {
        SimulateWatchFailure(0);
        SimulateWaitFailure(false);
        SetBeepHook({});
        // Every stopped worker ends and is reclaimed.
        EXPECT_TRUE(WaitUntil([] { return TFileWaitThread::LiveCount() == 0; }));
    }

    fs::path Dir() const { return temp_.path().toStdString(); }

    // The worker arms its watch on its own thread: make changes until the first
    // one is reported, then start counting afresh.
    bool Armed(TEvents& events, const fs::path& dir) {
        for (int i = 0; i < 40 && events.Count == 0; ++i) {
            Append(dir / ("probe" + std::to_string(i)));
            WaitUntil([&] { return events.Count > 0; }, 200);
        }
        const bool armed = events.Count > 0;
        QTest::qWait(150);
        events.Count = 0;
        return armed;
    }

    std::unique_ptr<TFileSysMonitor> Watching(const fs::path& dir, TEvents& events) {
        auto monitor = std::make_unique<TFileSysMonitor>();
        monitor->SetMonitoredDirectory(dir.string());
        monitor->SetNotifyFilter(kViewerFilter);
        monitor->SetOnFileSysChange(events.Handler());
        monitor->SetActive(true);
        return monitor;
    }

    QTemporaryDir temp_;
    int beeps_ = 0;
};

TEST_F(FileSysMonitorTest, StartsInactiveOnTheSystemFolder) {
    TFileSysMonitor monitor;
    EXPECT_EQ(monitor.MonitoredDirectory(), "/etc");
    EXPECT_FALSE(monitor.WatchSubtree());
    EXPECT_EQ(monitor.NotifyFilter(), TNotifyFilter{N::FILE_NAME});
    EXPECT_FALSE(monitor.Active());
    EXPECT_EQ(monitor.Worker(), nullptr);
}

TEST_F(FileSysMonitorTest, RestartsOnlyWhenAPropertyReallyChanges) {
    TEvents events;
    auto monitor = Watching(Dir(), events);
    QObject* worker = monitor->Worker();
    ASSERT_NE(worker, nullptr);

    monitor->SetMonitoredDirectory(Dir().string());
    monitor->SetWatchSubtree(false);
    monitor->SetNotifyFilter(kViewerFilter);
    monitor->SetActive(true);
    EXPECT_EQ(monitor->Worker(), worker);

    // The comparison is exact: the same folder with a trailing separator is another value.
    monitor->SetMonitoredDirectory(Dir().string() + "/");
    EXPECT_NE(monitor->Worker(), worker);
    worker = monitor->Worker();
    monitor->SetNotifyFilter({N::FILE_NAME});
    EXPECT_NE(monitor->Worker(), worker);
    worker = monitor->Worker();
    monitor->SetWatchSubtree(true);
    EXPECT_NE(monitor->Worker(), worker);
    EXPECT_TRUE(monitor->Active());

    // An inactive monitor stores the change and starts nothing.
    monitor->SetActive(false);
    monitor->SetWatchSubtree(false);
    monitor->SetMonitoredDirectory(fs::temp_directory_path().string());
    EXPECT_EQ(monitor->Worker(), nullptr);
    EXPECT_EQ(monitor->MonitoredDirectory(), fs::temp_directory_path().string());
}

TEST_F(FileSysMonitorTest, MissingDirectoryBeepsAndKeepsTheOldOne) {
    TEvents events;
    auto monitor = Watching(Dir(), events);
    QObject* worker = monitor->Worker();
    Append(Dir() / "plain.txt");

    monitor->SetMonitoredDirectory((Dir() / "no such folder").string());
    EXPECT_EQ(beeps_, 1);
    monitor->SetMonitoredDirectory(""); // a file opened without a folder
    EXPECT_EQ(beeps_, 2);
    monitor->SetMonitoredDirectory((Dir() / "plain.txt").string());
    EXPECT_EQ(beeps_, 3);

    EXPECT_EQ(monitor->MonitoredDirectory(), Dir().string());
    EXPECT_EQ(monitor->Worker(), worker);
    ASSERT_TRUE(Armed(events, Dir()));
}

TEST_F(FileSysMonitorTest, BurstOfChangesIsReportedFromTheWorker) {
    TEvents events;
    auto monitor = Watching(Dir(), events);
    ASSERT_TRUE(Armed(events, Dir()));

    for (int i = 0; i < 200; ++i)
        Append(Dir() / "burst.log");
    EXPECT_TRUE(WaitUntil([&] { return events.Count >= 1; }));
    EXPECT_EQ(events.Sender, monitor->Worker());
    EXPECT_EQ(events.Directory, Dir().string());
    EXPECT_EQ(beeps_, 0);
}

// An idle watch sleeps until something happens: no wait of the worker ends while
// nothing changes, and a stop ends the wait without a change.
TEST_F(FileSysMonitorTest, AnIdleWorkerNeverWakesUntilAChangeOrAStop) {
    TEvents events;
    auto monitor = Watching(Dir(), events);
    ASSERT_TRUE(Armed(events, Dir()));
    const int waits = TFileWaitThread::WaitsEnded();
    QTest::qWait(350);
    EXPECT_EQ(TFileWaitThread::WaitsEnded(), waits);

    Append(Dir() / "woken.log");
    ASSERT_TRUE(WaitUntil([&] { return events.Count > 0; }));
    EXPECT_GT(TFileWaitThread::WaitsEnded(), waits);

    auto* worker = static_cast<QThread*>(monitor->Worker());
    monitor->SetActive(false);
    EXPECT_TRUE(worker->wait(5000));
}

TEST_F(FileSysMonitorTest, InactiveMonitorReportsNothing) {
    TEvents events;
    TFileSysMonitor monitor;
    monitor.SetMonitoredDirectory(Dir().string());
    monitor.SetOnFileSysChange(events.Handler());
    Append(Dir() / "a.log");
    QTest::qWait(300);
    EXPECT_EQ(events.Count, 0);

    monitor.SetActive(true);
    ASSERT_TRUE(Armed(events, Dir()));
    monitor.SetActive(false);
    EXPECT_FALSE(monitor.Active());
    Append(Dir() / "a.log");
    Append(Dir() / "b.log");
    QTest::qWait(400);
    EXPECT_EQ(events.Count, 0);
}

TEST_F(FileSysMonitorTest, ReactivationStartsANewWorker) {
    TEvents events;
    auto monitor = Watching(Dir(), events);
    ASSERT_TRUE(Armed(events, Dir()));
    QObject* first = monitor->Worker();

    monitor->SetActive(false);
    EXPECT_EQ(monitor->Worker(), nullptr);
    monitor->SetActive(true);
    EXPECT_TRUE(monitor->Active());
    ASSERT_TRUE(Armed(events, Dir()));
    Append(Dir() / "after.log");
    ASSERT_TRUE(WaitUntil([&] { return events.Count > 0; }));
    EXPECT_EQ(events.Sender, monitor->Worker());
    EXPECT_NE(events.Sender, first);
}

TEST_F(FileSysMonitorTest, HandlerIsTakenAtActivation) {
    TEvents before, after;
    auto monitor = Watching(Dir(), before);
    ASSERT_TRUE(Armed(before, Dir()));
    monitor->SetOnFileSysChange(after.Handler());
    Append(Dir() / "x.log");
    ASSERT_TRUE(WaitUntil([&] { return before.Count > 0; }));
    EXPECT_EQ(after.Count, 0);

    monitor->SetActive(false);
    monitor->SetActive(true);
    EXPECT_TRUE(Armed(after, Dir()));
}

// A worker blocked on a call into the main thread is released by the stop
// request itself, so a main thread that never runs its loop again (a quitting
// application) is not needed to end it.
TEST_F(FileSysMonitorTest, StopReleasesAWorkerWaitingOnTheMainThread) {
    TEvents events;
    auto monitor = Watching(Dir(), events);
    ASSERT_TRUE(Armed(events, Dir()));
    auto* worker = static_cast<QThread*>(monitor->Worker());

    Append(Dir() / "pending.log");
    std::this_thread::sleep_for(std::chrono::milliseconds(400)); // the call is queued now
    monitor.reset();
    EXPECT_TRUE(worker->wait(5000));
    QTest::qWait(50);
    EXPECT_EQ(events.Count, 0); // the dropped call never ran the handler
}

TEST_F(FileSysMonitorTest, DestroyingActiveMonitorsWhileFilesChange) {
    std::atomic<bool> stopWriting{false};
    std::thread writer([&] {
        for (int i = 0; !stopWriting; ++i)
            Append(Dir() / ("w" + std::to_string(i % 7) + ".log"));
    });
    int callsAfterDestruction = 0;
    for (int round = 0; round < 15; ++round) {
        bool destroyed = false;
        auto monitor = std::make_unique<TFileSysMonitor>();
        monitor->SetMonitoredDirectory(Dir().string());
        monitor->SetNotifyFilter(kViewerFilter);
        monitor->SetOnFileSysChange(
            [&](QObject*, const std::string&) { callsAfterDestruction += destroyed; });
        monitor->SetActive(true);
        QTest::qWait(round * 7 % 60);
        monitor.reset();
        destroyed = true;
        QTest::qWait(5);
    }
    stopWriting = true;
    writer.join();
    EXPECT_EQ(callsAfterDestruction, 0);
}

// As a window that closes itself from its change handler.
TEST_F(FileSysMonitorTest, HandlerMayDestroyTheMonitor) {
    auto* monitor = new TFileSysMonitor;
    QPointer<TFileSysMonitor> alive(monitor);
    int calls = 0;
    monitor->SetMonitoredDirectory(Dir().string());
    monitor->SetOnFileSysChange([&](QObject*, const std::string&) {
        ++calls;
        delete alive.data();
    });
    monitor->SetActive(true);
    for (int i = 0; i < 40 && alive; ++i) {
        Append(Dir() / ("f" + std::to_string(i)));
        QTest::qWait(100);
    }
    EXPECT_TRUE(alive.isNull());
    EXPECT_EQ(calls, 1);
}

TEST_F(FileSysMonitorTest, DeletedDirectoryIsReportedAndFollowedWhenItReturns) {
    const fs::path sub = Dir() / "logs";
    fs::create_directory(sub);
    TEvents events;
    auto monitor = Watching(sub, events);
    ASSERT_TRUE(Armed(events, sub));

    fs::remove_all(sub);
    ASSERT_TRUE(WaitUntil([&] { return events.Count > 0; }));
    QTest::qWait(1500);
    EXPECT_LE(events.Count, 3); // reported, not repeated on every wait
    EXPECT_TRUE(monitor->Active());
    EXPECT_EQ(beeps_, 0);

    const int before = events.Count;
    fs::create_directory(sub);
    Append(sub / "new.log");
    ASSERT_TRUE(WaitUntil([&] { return events.Count > before; }));
    EXPECT_TRUE(Armed(events, sub));
}

TEST_F(FileSysMonitorTest, RenamedOrLockedDirectoryIsReported) {
    const fs::path sub = Dir() / "logs";
    fs::create_directory(sub);
    TEvents events;
    auto monitor = Watching(sub, events);
    ASSERT_TRUE(Armed(events, sub));

    fs::permissions(sub, fs::perms::none);
    EXPECT_TRUE(WaitUntil([&] { return events.Count > 0; }));
    fs::permissions(sub, fs::perms::owner_all);

    events.Count = 0;
    fs::rename(sub, Dir() / "moved");
    EXPECT_TRUE(WaitUntil([&] { return events.Count > 0; }));
    EXPECT_TRUE(monitor->Active());
    EXPECT_EQ(beeps_, 0);
}

// The watch limit, or any other refusal of the kernel: one beep, then the
// directory is compared once a second and its changes still arrive.
TEST_F(FileSysMonitorTest, WatchThatCannotOpenBeepsOnceAndFollowsByScanning) {
    Append(Dir() / "grows.log");
    for (const int err : {ENOSPC, EACCES}) {
        SCOPED_TRACE(err);
        SimulateWatchFailure(err);
        beeps_ = 0;
        TEvents events;
        auto monitor = Watching(Dir(), events);
        ASSERT_TRUE(WaitUntil([&] { return beeps_ == 1; }));
        ASSERT_TRUE(Armed(events, Dir()));
        Append(Dir() / "grows.log", "more\n");
        EXPECT_TRUE(WaitUntil([&] { return events.Count > 0; }));
        EXPECT_TRUE(monitor->Active());
        EXPECT_NE(monitor->Worker(), nullptr);
        EXPECT_EQ(beeps_, 1);
    }
}

TEST_F(FileSysMonitorTest, DirectoryMissingAtActivationIsFollowedOnceItExists) {
    const fs::path sub = Dir() / "gone";
    fs::create_directory(sub);
    TEvents events;
    TFileSysMonitor monitor;
    monitor.SetMonitoredDirectory(sub.string());
    monitor.SetOnFileSysChange(events.Handler());
    fs::remove(sub);
    monitor.SetActive(true);
    ASSERT_TRUE(WaitUntil([&] { return beeps_ == 1; }));
    EXPECT_TRUE(monitor.Active());
    fs::create_directory(sub);
    ASSERT_TRUE(WaitUntil([&] { return events.Count > 0; }));
    events.Count = 0;
    EXPECT_TRUE(Armed(events, sub));
    EXPECT_EQ(beeps_, 1);
}

// A failed wait ends the worker, but the monitor still counts as active until
// it is set again: setting it to true, as it already is, starts nothing.
TEST_F(FileSysMonitorTest, FailedWaitEndsTheWorkerWhileActiveStaysTrue) {
    TEvents events;
    auto monitor = Watching(Dir(), events);
    ASSERT_TRUE(Armed(events, Dir()));
    SimulateWaitFailure(true);
    // The wait has no time-out: a change ends it, and the next wait fails.
    Append(Dir() / "wake.log");
    ASSERT_TRUE(WaitUntil([] { return TFileWaitThread::LiveCount() == 0; }));
    SimulateWaitFailure(false);
    EXPECT_EQ(beeps_, 1);
    events.Count = 0;
    EXPECT_TRUE(monitor->Active());

    monitor->SetActive(true);
    Append(Dir() / "unseen.log");
    QTest::qWait(400);
    EXPECT_EQ(events.Count, 0);
    EXPECT_EQ(TFileWaitThread::LiveCount(), 0);

    monitor->SetActive(false);
    EXPECT_FALSE(monitor->Active());
    monitor->SetActive(true);
    EXPECT_TRUE(Armed(events, Dir()));
    EXPECT_EQ(beeps_, 1);
}

TEST_F(FileSysMonitorTest, ManyRestartsLeaveNoWorkerOrDescriptorBehind) {
    const int descriptors = OpenDescriptors();
    TEvents events;
    auto monitor = Watching(Dir(), events);
    const fs::path other = Dir() / "other";
    fs::create_directory(other);
    for (int i = 0; i < 60; ++i) {
        monitor->SetMonitoredDirectory((i % 2 ? Dir() : other).string());
        if (i % 3 == 0) {
            monitor->SetActive(false);
            monitor->SetActive(true);
        }
        if (i % 10 == 0)
            QTest::qWait(20);
    }
    monitor->SetActive(false);
    ASSERT_TRUE(WaitUntil([] { return TFileWaitThread::LiveCount() == 0; }));
    EXPECT_EQ(OpenDescriptors(), descriptors);
}

TEST_F(FileSysMonitorTest, SubtreeReportsDirectoryNamesAtAnyDepth) {
    TEvents events;
    auto monitor = Watching(Dir(), events);
    monitor->SetWatchSubtree(true);
    int probes = 0;
    // Arm with new directories: file changes do not count in this mode.
    while (events.Count == 0 && probes < 40) {
        fs::create_directory(Dir() / ("p" + std::to_string(probes++)));
        WaitUntil([&] { return events.Count > 0; }, 200);
    }
    ASSERT_GT(events.Count, 0);
    QTest::qWait(150);

    events.Count = 0;
    fs::create_directories(Dir() / "a" / "b" / "c");
    ASSERT_TRUE(WaitUntil([&] { return events.Count > 0; }));
    QTest::qWait(200);
    events.Count = 0;
    fs::create_directory(Dir() / "a" / "b" / "c" / "d");
    EXPECT_TRUE(WaitUntil([&] { return events.Count > 0; }));

    QTest::qWait(200);
    events.Count = 0;
    Append(Dir() / "a" / "file.log");
    Append(Dir() / "file.log");
    QTest::qWait(400);
    EXPECT_EQ(events.Count, 0);
}

// The watch itself, waited on from the test's own thread.
class DirWatchTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(temp_.isValid()); }
    void TearDown() override { SimulateWatchFailure(0); }
    fs::path Dir() const { return temp_.path().toStdString(); }

    // Waits until a signalled wait or the timeout; leaves the watch re-armed.
    static bool Signalled(TDirWatch& watch, int timeoutMs = 3000) {
        for (int waited = 0; waited < timeoutMs; waited += 100) {
            const Result r = watch.Wait(100);
            watch.Rearm();
            if (r == Result::Signalled)
                return true;
        }
        return false;
    }

    QTemporaryDir temp_;
};

TEST_F(DirWatchTest, NameFilterSeparatesFilesFromDirectories) {
    TDirWatch files;
    ASSERT_TRUE(files.Open(Dir().string(), false, kNotifyFileName));
    fs::create_directory(Dir() / "sub");
    EXPECT_FALSE(Signalled(files, 300));
    Append(Dir() / "new.log");
    EXPECT_TRUE(Signalled(files));
    Append(Dir() / "new.log"); // a write is no name change
    EXPECT_FALSE(Signalled(files, 300));

    TDirWatch dirs;
    ASSERT_TRUE(dirs.Open(Dir().string(), false, kNotifyDirName));
    Append(Dir() / "other.log");
    EXPECT_FALSE(Signalled(dirs, 300));
    fs::remove(Dir() / "sub");
    EXPECT_TRUE(Signalled(dirs));
}

TEST_F(DirWatchTest, WritesCountForSizeAndLastWrite) {
    Append(Dir() / "a.log");
    TDirWatch watch;
    ASSERT_TRUE(watch.Open(Dir().string(), false, kNotifySize));
    Append(Dir() / "a.log");
    EXPECT_TRUE(Signalled(watch));
    EXPECT_FALSE(Signalled(watch, 300));
}

TEST_F(DirWatchTest, SubtreeFollowsNewDirectoriesAndIgnoresFiles) {
    TDirWatch watch;
    ASSERT_TRUE(watch.Open(Dir().string(), true, 0));
    fs::create_directories(Dir() / "a" / "b");
    EXPECT_TRUE(Signalled(watch));
    fs::create_directory(Dir() / "a" / "b" / "c");
    EXPECT_TRUE(Signalled(watch));
    Append(Dir() / "a" / "b" / "c" / "f.log");
    EXPECT_FALSE(Signalled(watch, 300));
    // A directory moved out of the tree is no longer watched.
    fs::rename(Dir() / "a", fs::path(Dir().string() + "-a"));
    EXPECT_TRUE(Signalled(watch));
    fs::create_directory(fs::path(Dir().string() + "-a") / "outside");
    EXPECT_FALSE(Signalled(watch, 300));
    fs::remove_all(fs::path(Dir().string() + "-a"));
}

// A wait without a time-out ends for a stop raised on another thread, also while
// the watch scans, and stays ended for every later wait.
TEST_F(DirWatchTest, AStopEndsAWaitWithoutATimeOut) {
    for (const bool scanning : {false, true}) {
        SimulateWatchFailure(scanning ? ENOSPC : 0);
        TDirWatch watch;
        EXPECT_EQ(watch.Open(Dir().string(), false, 31), !scanning);
        TWatchStop stop;
        std::thread raiser([&] {
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
            stop.Raise();
        });
        EXPECT_EQ(watch.Wait(-1, &stop), Result::Stopped) << scanning;
        raiser.join();
        EXPECT_EQ(watch.Wait(-1, &stop), Result::Stopped) << scanning;
    }
}

TEST_F(DirWatchTest, WatchLimitSwitchesToPolling) {
    SimulateWatchFailure(ENOSPC);
    TDirWatch watch;
    EXPECT_FALSE(watch.Open(Dir().string(), true, 0));
    EXPECT_TRUE(watch.Polling());
    fs::create_directories(Dir() / "x" / "y");
    EXPECT_TRUE(Signalled(watch));
    Append(Dir() / "x" / "file.log");
    EXPECT_FALSE(Signalled(watch, 1500));
}

// A directory missing at the open (Open says it failed) or lost later is followed
// by scanning until it exists again; then inotify takes over.
TEST_F(DirWatchTest, MissingOrLostDirectoryIsScannedUntilItExists) {
    const fs::path sub = Dir() / "logs";
    TDirWatch tree;
    EXPECT_FALSE(tree.Open(sub.string(), true, 0));
    EXPECT_TRUE(tree.Polling());
    TDirWatch watch;
    EXPECT_FALSE(watch.Open(sub.string(), false, 31));
    EXPECT_TRUE(watch.Polling());
    fs::create_directory(sub);
    EXPECT_TRUE(Signalled(watch));
    EXPECT_FALSE(watch.Polling());
    Append(sub / "new.log");
    EXPECT_TRUE(Signalled(watch));

    fs::remove_all(sub);
    EXPECT_TRUE(Signalled(watch));
    EXPECT_TRUE(watch.Polling());
    fs::create_directory(sub);
    EXPECT_TRUE(Signalled(watch));
    EXPECT_FALSE(watch.Polling());
}

// A touch opens the file for writing and closes it: a last-write change.
// Attribute changes count only for the attribute and security flags, the
// watched directory's own ones included.
TEST_F(DirWatchTest, EachFlagSeesItsOwnKindOfChange) {
    const fs::path file = Dir() / "a.log";
    Append(file);
    const auto touch = [&] { return std::system(("touch '" + file.string() + "'").c_str()); };
    const auto chmodFile = [&] {
        fs::permissions(file, fs::perms::owner_read | fs::perms::owner_write);
    };
    const auto chmodDir = [&] { fs::permissions(Dir(), fs::perms::owner_all); };

    TDirWatch lastWrite;
    ASSERT_TRUE(lastWrite.Open(Dir().string(), false, kNotifyLastWrite));
    chmodFile();
    chmodDir();
    EXPECT_FALSE(Signalled(lastWrite, 300));
    ASSERT_EQ(touch(), 0);
    EXPECT_TRUE(Signalled(lastWrite));

    TDirWatch names;
    ASSERT_TRUE(names.Open(Dir().string(), false, kNotifyFileName));
    ASSERT_EQ(touch(), 0);
    chmodFile();
    chmodDir();
    Append(file);
    EXPECT_FALSE(Signalled(names, 300));

    for (const std::uint32_t flag : {kNotifyAttributes, kNotifySecurity}) {
        TDirWatch attributes;
        ASSERT_TRUE(attributes.Open(Dir().string(), false, flag));
        Append(file);
        EXPECT_FALSE(Signalled(attributes, 300)) << flag;
        chmodFile();
        EXPECT_TRUE(Signalled(attributes)) << flag;
        chmodDir();
        EXPECT_TRUE(Signalled(attributes)) << flag;
    }
}

TEST(ScanDirectory, ListsEntriesOrDirectoriesOfTheTree) {
    QTemporaryDir temp;
    const fs::path dir = temp.path().toStdString();
    fs::create_directories(dir / "b" / "c");
    Append(dir / "a.log", "12345");
    Append(dir / "b" / "inner.log");

    const TDirSnapshot flat = ScanDirectory(dir.string(), false);
    ASSERT_EQ(flat.State, TDirState::Listed);
    ASSERT_EQ(flat.Entries.size(), 2u);
    EXPECT_EQ(flat.Entries[0].Name, "a.log");
    EXPECT_EQ(flat.Entries[0].Size, 5);
    EXPECT_TRUE(flat.Entries[1].IsDirectory);

    const TDirSnapshot tree = ScanDirectory(dir.string(), true);
    ASSERT_EQ(tree.Entries.size(), 2u);
    EXPECT_EQ(tree.Entries[0].Name, "b");
    EXPECT_EQ(tree.Entries[1].Name, "b/c");

    EXPECT_EQ(ScanDirectory((dir / "none").string(), false).State, TDirState::Missing);
    EXPECT_EQ(ScanDirectory((dir / "a.log").string(), false).State, TDirState::Missing);
}

TEST(InotifyMask, AsksOnlyForTheEventsTheMaskNeeds) {
    const std::uint32_t names = InotifyMask(kNotifyFileName);
    EXPECT_TRUE(names & IN_CREATE);
    EXPECT_TRUE(names & IN_MOVED_TO);
    EXPECT_FALSE(names & IN_MODIFY);
    const std::uint32_t writes = InotifyMask(kNotifyLastWrite);
    EXPECT_TRUE(writes & IN_CLOSE_WRITE);
    EXPECT_TRUE(writes & IN_MODIFY);
    EXPECT_FALSE(writes & IN_CREATE);
    for (const std::uint32_t flag :
         {kNotifyFileName, kNotifyDirName, kNotifySize, kNotifyLastWrite})
        EXPECT_FALSE(InotifyMask(flag) & IN_ATTRIB) << flag;
    EXPECT_TRUE(InotifyMask(kNotifyAttributes) & IN_ATTRIB);
    EXPECT_TRUE(InotifyMask(kNotifySecurity) & IN_ATTRIB);
    // Losing the directory itself is always reported.
    EXPECT_TRUE(InotifyMask(0) & IN_DELETE_SELF);
    EXPECT_TRUE(InotifyMask(0) & IN_MOVE_SELF);
}

} // namespace
} // namespace glimra
