// Following a file from a window: what a change, a lock or a retry tick does to what
// the window shows.
#include "fake_window_host.h"
#include "graphics/glimra_dc.h"
#include "gui_test_util.h"
#include "platform/file_access.h"
#include "viewer/file_follower.h"
#include "viewer/file_sys_monitor.h"
#include "viewer/glimra_memo.h"
#include "viewer/interval_timer.h"

#include <QTest>
#include <atomic>
#include <cstdio>
#include <gtest/gtest.h>

namespace glimra {
namespace {

void Append(const std::string& path, const std::string& text) {
    std::ofstream(path, std::ios::app | std::ios::binary) << text;
}

std::string Numbered(int from, int to) {
    std::string text;
    for (int i = from; i < to; ++i)
        text += "line " + std::to_string(i) + "\n";
    return text;
}

std::string LastLine(const TForm2& w) {
    return w.Store.LineCount() ? std::string(w.Store.Line(w.Store.LineCount() - 1)) : "";
}

class FileFollowerTest : public ::testing::Test {
protected:
    void TearDown() override { SetReadFailureHook(nullptr); }
    TTestFolder Folder;
    TFakeWindowHost Host;
};

} // namespace

TEST(IntervalTimer, KeepsItsPhaseAndNeverFiresWithoutAnInterval) {
    TIntervalTimer timer(5000, nullptr);
    timer.SetEnabled(true);
    QTest::qWait(1000);
    timer.SetEnabled(true); // already on: nothing starts over
    timer.SetInterval(5000);
    // A coarse timer may be 5 % late, never a second.
    EXPECT_LT(timer.RemainingTime(), 4600);
    // An interval of 0 or less is a timer that never fires, not a busy loop.
    int ticks = 0;
    TIntervalTimer none(0, nullptr);
    QObject::connect(&none, &TIntervalTimer::Timeout, [&] { ++ticks; });
    none.SetEnabled(true);
    EXPECT_TRUE(none.Enabled());
    EXPECT_FALSE(none.IsActive());
    QTest::qWait(50);
    EXPECT_EQ(ticks, 0);
    none.SetInterval(-5);
    QTest::qWait(20);
    EXPECT_EQ(ticks, 0);
    // Given a real interval it runs.
    none.SetInterval(10);
    EXPECT_TRUE(WaitFor([&] { return ticks > 0; }));
}

TEST_F(FileFollowerTest, AWindowWithoutAFileNeverLoadsTheProgramItself) {
    auto w = MakeWindow(Host);
    // Switching Notify on arms a watch; a change anywhere must not read anything.
    w->GlimraButton2Click();
    ASSERT_TRUE(w->NotifyOn);
    w->Follower->FileSysChanged();
    QTest::qWait(400);
    EXPECT_EQ(w->Store.LineCount(), 0u);
    EXPECT_TRUE(w->TitlePath.empty());
    EXPECT_EQ(w->windowTitle(), "GLIMRA WINDOW");
}

TEST_F(FileFollowerTest, ChangesFasterThanTheRetryClockStillLetItTick) {
    Host.Values.WaitTime = 300;
    auto w = MakeWindow(Host);
    std::string path = Folder.Write("busy.log", "start\n");
    w->OpenFile(path);
    bool badgeEnded = false;
    // A change every 50 ms: the update badge must still end on the clock's tick.
    for (int i = 0; i < 30 && !badgeEnded; ++i) {
        Append(path, "more\n");
        w->Follower->FileSysChanged();
        ASSERT_FALSE(w->GlimraDC1->isHidden());
        QTest::qWait(50);
        badgeEnded = w->GlimraDC1->isHidden();
    }
    EXPECT_TRUE(badgeEnded);
}

TEST_F(FileFollowerTest, AWriterThatLocksAroundEachWriteIsNeverGivenUp) {
    Host.Values.WaitTime = 250;
    Host.Values.Retry = 1;
    auto w = MakeWindow(Host);
    std::string path = Folder.Write("locked.log", Numbered(0, 3));
    w->OpenFile(path);
    std::atomic<bool> locked = false;
    SetReadFailureHook([&](const std::string&) { return locked ? EAGAIN : 0; });
    // Each write holds the lock while its change is reported; the clock reads between.
    int written = 3;
    for (int round = 0; round < 25; ++round) {
        locked = true;
        Append(path, Numbered(written, written + 1));
        ++written;
        w->Follower->FileSysChanged();
        locked = false;
        QTest::qWait(60);
        ASSERT_EQ(w->Store.Line(0).find("COULD NOT OPEN"), std::string::npos) << "round " << round;
    }
    // The writes stop: within a tick or two the window shows everything, readable again.
    EXPECT_TRUE(WaitFor([&] { return LastLine(*w) == "line " + std::to_string(written - 1); }));
    QTest::qWait(800);
    EXPECT_EQ(LastLine(*w), "line " + std::to_string(written - 1));
    EXPECT_TRUE(w->GlimraDC3->isHidden());
}

TEST_F(FileFollowerTest, ClearingEndsTheRetries) {
    Host.Values.WaitTime = 50;
    auto w = MakeWindow(Host);
    w->OpenFile(Folder.Path("missing.log"));
    ASSERT_TRUE(w->Follower->NotifyTimer->IsActive());
    w->ClearCommand();
    QTest::qWait(200);
    EXPECT_EQ(w->Store.LineCount(), 0u);
    EXPECT_FALSE(w->Follower->HasFile());
}

TEST_F(FileFollowerTest, AZeroWaitTimeRetriesNoMore) {
    Host.Values.WaitTime = 0;
    auto w = MakeWindow(Host);
    w->OpenFile(Folder.Path("missing.log"));
    EXPECT_EQ(w->Follower->Retry.RetryCount, 1);
    QTest::qWait(100);
    EXPECT_EQ(w->Follower->Retry.RetryCount, 1);
    EXPECT_FALSE(w->Follower->NotifyTimer->IsActive());
}

TEST_F(FileFollowerTest, OneChangeOnDiskIsOneComposition) {
    auto w = MakeWindow<TCountingForm>(Host);
    std::string path = Folder.Write("one.log", Numbered(0, 50));
    w->OpenFile(path);
    w->SetScrollPosition(7);
    Append(path, Numbered(50, 60));
    w->Redraws = 0;
    w->Follower->FileSysChanged();
    EXPECT_EQ(w->Store.LineCount(), 60u);
    EXPECT_EQ(w->Redraws, 1);
    // A look that finds the stamp unchanged draws nothing.
    w->Follower->FileSysChanged();
    EXPECT_EQ(w->Redraws, 1);
}

TEST_F(FileFollowerTest, AViewAtTheLastLineFollowsTheNewestLines) {
    auto w = MakeWindow(Host);
    std::string path = Folder.Write("tail.log", Numbered(0, 100));
    w->OpenFile(path);
    ASSERT_GT(w->ScrollMax(), 0);
    w->SetScrollPosition(w->ScrollMax());
    Append(path, Numbered(100, 120));
    w->Follower->FileSysChanged();
    EXPECT_EQ(w->ScrollPosition(), w->ScrollMax());
    EXPECT_EQ(w->ScrollMax(), 120 - (w->height() - 30) / w->LineHeight + 1);
    // Anywhere else the view stays where it was.
    w->SetScrollPosition(5);
    Append(path, Numbered(120, 130));
    w->Follower->FileSysChanged();
    EXPECT_EQ(w->ScrollPosition(), 5);

    // Rotated by rename and a new file, with a read landing in between: the failed
    // read, the new file and the confirming read on the next tick all keep the end.
    w->SetScrollPosition(w->ScrollMax());
    ASSERT_EQ(std::rename(path.c_str(), (path + ".1").c_str()), 0);
    w->Follower->FileSysChanged();
    ASSERT_TRUE(w->Follower->Retry.OpenFailed);
    Folder.Write("tail.log", Numbered(1000, 1050));
    w->Follower->FileSysChanged();
    Append(path, Numbered(1050, 1100));
    w->Follower->NotifyTimerTimer();
    EXPECT_EQ(LastLine(*w), "line 1099");
    EXPECT_GT(w->ScrollMax(), 0);
    EXPECT_EQ(w->ScrollPosition(), w->ScrollMax());
}

TEST_F(FileFollowerTest, AnOpenMemoViewShowsWhatWasReloaded) {
    for (bool wrap : {true, false}) {
        Host.Values.WordWrap = wrap;
        auto w = MakeWindow(Host);
        std::string path = Folder.Write("memo.log", "first\n");
        w->OpenFile(path);
        w->SetMemoView(true);
        EXPECT_EQ(w->WordWrapper->toPlainText(), "first");
        Append(path, "second\n");
        w->Follower->FileSysChanged();
        EXPECT_EQ(w->WordWrapper->toPlainText(), "first\nsecond") << "wrap " << wrap;
        // What the memo shows is what a save writes.
        std::string saved = Folder.Path(wrap ? "wrapped.log" : "unwrapped.log");
        w->SaveToFile(saved);
        EXPECT_EQ(TTestFolder::Read(saved), "first\r\nsecond\r\n");
    }
}

} // namespace glimra
