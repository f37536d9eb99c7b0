// A window over a big log: it shows at once, fills while the file is read, and does
// not wrap again for nothing.
#include "fake_window_host.h"
#include "gui_test_util.h"
#include "platform/file_access.h"
#include "viewer/block_source.h"
#include "viewer/glimra_memo.h"
#include "viewer/viewer_window.h"

#include <QEvent>
#include <QFontMetrics>
#include <QTest>
#include <algorithm>
#include <atomic>
#include <cerrno>
#include <filesystem>
#include <fstream>
#include <functional>
#include <gtest/gtest.h>
#include <thread>

namespace glimra {
namespace {

std::string Numbered(int lines) {
    std::string text;
    for (int i = 0; i < lines; ++i)
        text += "line " + std::to_string(i) + " of a log that is long enough to need two rows\n";
    return text;
}

class BigLogTest : public ::testing::Test {
protected:
    void TearDown() override {
        SetReadPieceHook(nullptr);
        SetReadPieceFailureHook(nullptr);
    }
    TTestFolder Folder;
    TFakeWindowHost Host;
};

} // namespace

TEST_F(BigLogTest, TheWindowShowsAtOnceAndFillsWhileTheFileIsRead) {
    const std::string text = Numbered(100000); // about 7 MB
    const std::string path = Folder.Write("big.log", text);
    std::atomic<bool> released = false;
    // The disk is slow past the third megabyte.
    SetReadPieceHook([&](const std::string&, std::int64_t at) {
        for (int i = 0; i < 500 && at >= (3 << 20) && !released; ++i)
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
    });
    auto w = MakeWindow(Host);
    w->OpenFile(path);
    // The open returned before the read did; what was read is there to see.
    EXPECT_LT(w->Store.RawSize(), text.size());
    ASSERT_TRUE(WaitFor([&] { return w->ScrollMax() > 0; }));
    EXPECT_EQ(w->Store.DisplayLine(0), U"line 0 of a log that is long enough to need two rows");
    const int partialMax = w->ScrollMax();
    w->Redraw();
    released = true;
    ASSERT_TRUE(WaitFor(
        [&] { return w->Store.LineCount() == 100000u && w->ScrollMax() > partialMax; }, 10000));
    EXPECT_EQ(w->Store.Line(99999), "line 99999 of a log that is long enough to need two rows");
    EXPECT_EQ(w->ScrollPosition(), 0); // the view stayed at the top
}

TEST_F(BigLogTest, LinesAreReadBackFromTheFileAsItWasIndexed) {
    // The window reads its lines back from the file it keeps open, one block at a time.
    const std::size_t block = TBlockSource::BlockSize;
    const std::string text = Numbered(20000); // about 1.3 MB: read by the worker
    struct TCase {
        const char* Name;
        std::function<void(const std::string& path)> Change;
        // The line far into the file: as it was, gone until reloaded, or an open failure.
        enum { Kept, Reloaded, CannotOpen } Then;
    };
    const TCase cases[] = {
        {"deleted", [](const std::string& path) { std::filesystem::remove(path); }, TCase::Kept},
        {"rotated",
         [](const std::string& path) {
             std::filesystem::rename(path, path + ".1");
             std::ofstream(path, std::ios::binary) << "a new log\n";
         },
         TCase::Kept},
        {"changed in place",
         [&](const std::string& path) {
             std::fstream file(path, std::ios::in | std::ios::out | std::ios::binary);
             file.seekp(static_cast<std::streamoff>(10 * block));
             file << "CHANGED";
         },
         TCase::Reloaded},
        {"unreadable",
         [&](const std::string&) {
             SetReadPieceFailureHook([&](const std::string&, std::int64_t at) {
                 return at >= static_cast<std::int64_t>(10 * block) ? EIO : 0;
             });
         },
         TCase::CannotOpen},
    };
    // Unwrapped, no row is counted: only the blocks on screen were read back.
    Host.Values.WordWrap = false;
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.Name);
        const std::string path = Folder.Write("back.log", text);
        auto w = MakeWindow(Host);
        w->OpenFile(path);
        ASSERT_TRUE(
            WaitFor([&] { return w->Store.LineCount() == 20000u && !w->Worker->Loading(); }));
        const std::size_t blocksRead = w->Store.BlocksRead();
        c.Change(path);
        // A line in the tenth block, never read back yet.
        const auto late = static_cast<std::size_t>(
            std::count(text.begin(), text.begin() + 10 * block + 1000, '\n'));
        const std::u32string shown = w->Store.DisplayLine(late);
        switch (c.Then) {
        case TCase::Kept:
            EXPECT_EQ(shown, U"line " + QString::number(late).toStdU32String() +
                                 U" of a log that is long enough to need two rows");
            EXPECT_GT(w->Store.BlocksRead(), blocksRead); // from the file, not a copy
            break;
        case TCase::Reloaded: {
            // Never the new bytes unreloaded: the lines from that block are dropped, and
            // the window reads the file again from there.
            EXPECT_EQ(shown, U"");
            EXPECT_LT(w->Store.LineCount(), 20000u);
            std::string now;
            ReadWholeFile(path, now);
            TLineStore whole;
            whole.SetText(now);
            ASSERT_TRUE(
                WaitFor([&] { return w->Store.RawSize() == now.size() && !w->Worker->Loading(); }));
            EXPECT_EQ(w->Store.Line(late), whole.Line(late));
            EXPECT_EQ(w->Store.LineCount(), whole.LineCount());
            break;
        }
        case TCase::CannotOpen:
            EXPECT_EQ(shown, U"");
            ASSERT_TRUE(WaitFor([&] { return w->Store.LineCount() == 1u; }));
            EXPECT_EQ(w->Store.Line(0), "CAN NOT OPEN: " + path + " ( retry: 1)");
            EXPECT_TRUE(w->Follower->Retry.OpenFailed);
            SetReadPieceFailureHook(nullptr);
            break;
        }
        w.reset();
        std::filesystem::remove(path + ".1");
    }
}

TEST_F(BigLogTest, NothingWrapsAgainForActivationShowingOrTheSameSettings) {
    Host.Values.WordWrap = true;
    const std::string path = Folder.Write("wrap.log", Numbered(2000));
    auto w = MakeWindow(Host);
    w->OpenFile(path);
    w->show();
    QCoreApplication::processEvents();
    const std::uint64_t version = w->Store.Version();
    w->hide();
    w->show();
    QEvent activation(QEvent::ActivationChange);
    QCoreApplication::sendEvent(w.get(), &activation);
    w->ApplySettings(Host.Values);
    w->FormResize();
    QCoreApplication::processEvents();
    EXPECT_EQ(w->Store.Version(), version);
    // A narrower window wraps what is on screen at once.
    w->resize(300, 350);
    EXPECT_NE(w->Store.Version(), version);
    QFontMetrics metrics(w->font());
    for (std::size_t row = 0; row < 10; ++row) {
        QString shown = QString::fromStdU32String(w->Store.DisplayLine(row)).trimmed();
        EXPECT_LE(metrics.horizontalAdvance(shown), w->width() - 45) << row;
    }
}

TEST_F(BigLogTest, AViewAtTheEndFollowsWhatABigAppendBrings) {
    const std::string path = Folder.Write("follow.log", Numbered(1000));
    auto w = MakeWindow(Host);
    w->OpenFile(path);
    w->SetScrollPosition(w->ScrollMax());
    // More than is read at once: the worker reads it, and the view keeps to the end.
    std::ofstream(path, std::ios::app | std::ios::binary) << Numbered(60000);
    w->Follower->FileSysChanged();
    ASSERT_TRUE(WaitFor([&] { return w->Store.LineCount() == 61000u; }, 10000));
    ASSERT_TRUE(WaitFor([&] { return w->ScrollMax() > 50000; }));
    EXPECT_EQ(w->ScrollPosition(), w->ScrollMax());
}

TEST_F(BigLogTest, TheMemoOfAGiantLogShowsItsStartAndCannotLoseIt) {
    const std::string text = Numbered(40000); // about 2.3 MB
    const std::string path = Folder.Write("memo.log", text);
    auto w = MakeWindow(Host);
    w->OpenFile(path);
    ASSERT_TRUE(
        WaitFor([&] { return w->Store.RawSize() == text.size() && !w->Worker->Loading(); }));
    w->SetMemoView(true);
    EXPECT_TRUE(w->WordWrapper->isReadOnly());
    EXPECT_LT(w->WordWrapper->toPlainText().size(),
              static_cast<qsizetype>(TGlimraMemo::MemoLimit + 200));
    EXPECT_TRUE(w->WordWrapper->toPlainText().startsWith(QStringLiteral("line 0 of a log")));
    // Closing the view writes nothing back: the store keeps the whole log.
    w->SetMemoView(false);
    EXPECT_EQ(w->Store.RawSize(), text.size());
    EXPECT_EQ(w->Store.LineCount(), 40000u);
    // A small log stays editable.
    w->OpenFile(Folder.Write("small.log", "a\nb\n"));
    w->SetMemoView(true);
    EXPECT_FALSE(w->WordWrapper->isReadOnly());
}

TEST_F(BigLogTest, AFileOfNulBytesIsOneLineShownByItsStart) {
    const std::string path = Folder.Path("sparse.bin");
    std::ofstream(path, std::ios::binary).close();
    const std::uintmax_t size = 48u << 20;
    std::filesystem::resize_file(path, size); // sparse: reads as NUL bytes
    Host.Values.WordWrap = true;
    auto w = MakeWindow(Host);
    w->OpenFile(path);
    ASSERT_TRUE(
        WaitFor([&] { return w->Store.RawSize() == size && !w->Worker->Loading(); }, 20000));
    EXPECT_EQ(w->Store.LineCount(), 1u);
    std::u32string first = w->Store.DisplayLine(0);
    ASSERT_FALSE(first.empty());
    EXPECT_EQ(first.front(), U'\u2400');
    // The block cache and one line put together from its blocks, whatever the file's size.
    EXPECT_LE(w->Store.MemoryBytes(),
              TBlockSource::CacheLimit + TWrapMetrics::WrapLimit + 4 * TBlockSource::BlockSize);
    w->Redraw();
}

} // namespace glimra
