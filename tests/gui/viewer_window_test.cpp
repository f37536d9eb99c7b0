#include "app/control_hub.h"
#include "graphics/glimra_dc.h"
#include "gui_test_util.h"
#include "platform/settings_platform.h"
#include "viewer/file_sys_monitor.h"
#include "viewer/viewer_window.h"

#include <QApplication>
#include <QGuiApplication>
#include <QScreen>
#include <QTimer>
#include <gtest/gtest.h>

namespace glimra {
namespace {

// A hub whose settings live in a temporary folder and whose dialogs are scripted.
class HubTest : public ::testing::Test {
protected:
    TTestFolder Folder;
    TQtSettingsFiles Files;
    TQtUserStore UserStore{QString::fromStdString(Folder.Path("user.conf"))};
    TScriptedMessageBoxes Boxes;

    void SetUp() override {
        SetMessageBoxes(&Boxes);
        // A settings file exists, so no storage question is asked.
        Folder.Write("GLIMRA4.INI", "[SystemInfo]\r\nVersion= 0.1\r\n\r\n");
    }
    void TearDown() override { SetMessageBoxes(nullptr); }

    std::unique_ptr<TFourthGlimraControl> MakeHub(std::vector<std::string> commandLine = {}) {
        auto store = std::make_unique<TRegWork>(StripSlash(Folder.Path("")), 1024, 768,
                                                TFontData{"DejaVu Sans", clWhite, 9},
                                                TRegWorkPlatform{Files, UserStore, Boxes, [] {}});
        return std::make_unique<TFourthGlimraControl>(std::move(commandLine), std::move(store));
    }
    static std::string StripSlash(std::string s) {
        s.pop_back();
        return s;
    }
    static std::vector<std::string> Lines(const TForm2& w) {
        std::vector<std::string> out;
        for (std::size_t i = 0; i < w.Store.LineCount(); ++i)
            out.emplace_back(w.Store.Line(i));
        return out;
    }
};

} // namespace

TEST_F(HubTest, WindowsCascadeFromTheStoredPlaceAndFollowTheStack) {
    auto hub = MakeHub();
    ASSERT_EQ(hub->WindowCount(), 1);
    TForm2* first = hub->WindowList()[0];
    EXPECT_EQ(first->geometry(), QRect(272, 209, 480, 350));
    EXPECT_EQ(ActiveWindow.data(), first);
    TForm2* second = hub->NewWindow();
    TForm2* third = hub->NewWindow();
    EXPECT_EQ(second->pos(), QPoint(292, 229));
    EXPECT_EQ(third->pos(), QPoint(312, 249));
    // Bringing a window forward moves it to the end of the list.
    hub->BringToFront(first);
    EXPECT_EQ(hub->WindowList().back().data(), first);
    EXPECT_EQ(hub->WindowList().front().data(), second);
    hub->BringToFront(first); // already front-most: order kept
    EXPECT_EQ(hub->WindowList().back().data(), first);
    hub->CentreActiveWindow();
    QSize screen = QGuiApplication::primaryScreen()->geometry().size();
    EXPECT_EQ(first->pos(), QPoint((screen.width() - 480) / 2, (screen.height() - 350) / 2));
    hub->HideAllWindows();
    EXPECT_FALSE(second->isVisible());
    hub->ShowHiddenWindows();
    EXPECT_TRUE(second->isVisible() && third->isVisible());
}

TEST_F(HubTest, ClosingStoresBoundsAndTheLastWindowEndsTheProgram) {
    auto hub = MakeHub();
    TForm2* first = hub->WindowList()[0];
    TForm2* second = hub->NewWindow();
    second->setGeometry(40, 50, 300, 200);
    second->close();
    EXPECT_EQ(hub->WindowCount(), 1);
    EXPECT_EQ(hub->Settings().Left, 40);
    EXPECT_EQ(hub->Settings().Height, 200);
    EXPECT_FALSE(hub->Terminating());
    QApplication::processEvents();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(ActiveWindow.isNull()); // cleared once the closed window is gone
    first->close();
    EXPECT_EQ(hub->WindowCount(), 0);
    EXPECT_TRUE(hub->Terminating());
    EXPECT_EQ(QGuiApplication::applicationDisplayName(), "TERMINATING..");
    QGuiApplication::setApplicationDisplayName(QString());
    hub.reset();
    // The store wrote the last window's place when the hub went.
    EXPECT_NE(TTestFolder::Read(Folder.Path("GLIMRA4.INI")).find("Left= 272\r\nTop= 209\r\n"),
              std::string::npos);
}

TEST_F(HubTest, ForwardedRecordsOpenOneWindowPerFile) {
    std::string path = Folder.Write("my log.txt", "one\ntwo\n");
    auto hub = MakeHub();
    hub->CopyDataReceived(nullptr);
    TCopyDataRecord none = MakeForwardRecord({});
    hub->CopyDataReceived(&none);
    EXPECT_EQ(hub->WindowCount(), 1);
    std::string dir = Folder.Path("");
    TCopyDataRecord record = MakeForwardRecord({dir + "my", "log.txt"});
    hub->CopyDataReceived(&record);
    ASSERT_EQ(hub->WindowCount(), 2);
    TForm2* window = hub->WindowList().back();
    EXPECT_FALSE(window->OpeningActive);
    EXPECT_EQ(window->FilePath, path);
    EXPECT_EQ(window->windowTitle(), "my log.txt");
    EXPECT_EQ(Lines(*window), (std::vector<std::string>{"one", "two"}));
}

TEST_F(HubTest, EveryNewWindowOpensTheProgramsOwnCommandLine) {
    std::string path = Folder.Write("a b.log", "x\n");
    std::string dir = Folder.Path("");
    auto hub = MakeHub({dir + "a", "b.log"});
    EXPECT_EQ(hub->WindowList()[0]->FilePath, path);
    EXPECT_EQ(hub->NewWindow()->FilePath, path);
}

TEST_F(HubTest, FailedOpensRetryThenGiveUp) {
    Folder.Write("GLIMRA4.INI", "[SystemInfo]\r\nVersion= 0.1\r\n[Tips]\r\nCount= 0\r\n"
                                "Show= TRUE\r\n[Main]\r\nLeft= 0\r\nTop= 0\r\nWidth= 480\r\n"
                                "Height= 350\r\nFontName= DejaVu Sans\r\nFontSize= 9\r\n"
                                "FontColor= clWhite\r\nWaitTime= 250\r\nRetry= 2\r\n\r\n");
    auto hub = MakeHub();
    TForm2* w = hub->WindowList()[0];
    EXPECT_EQ(w->Retry.MaxRetry, 2);
    std::string missing = Folder.Path("missing.log");
    w->OpenFile(missing);
    EXPECT_EQ(Lines(*w), (std::vector<std::string>{"CAN NOT OPEN: " + missing + " ( retry: 1)"}));
    EXPECT_TRUE(w->NotifyTimer->isActive());
    EXPECT_EQ(w->NotifyTimer->interval(), 250);
    EXPECT_EQ(w->windowTitle(), "GLIMRA WINDOW");
    w->NotifyTimerTimer();
    w->NotifyTimerTimer();
    EXPECT_EQ(Lines(*w)[0], "CAN NOT OPEN: " + missing + " ( retry: 3)");
    w->NotifyTimerTimer();
    EXPECT_EQ(Lines(*w), (std::vector<std::string>{"COULD NOT OPEN: " + missing + " ( retry: 3)",
                                                   "BREAK.( RETRY>2)"}));
    EXPECT_TRUE(!w->GlimraDC3->isHidden());
    EXPECT_FALSE(w->NotifyTimer->isActive());
    // The file appears: the next attempt loads it, and the tick after reads it once more.
    w->OpenFile(missing);
    Folder.Write("missing.log", "here\n");
    w->NotifyTimerTimer();
    EXPECT_EQ(Lines(*w), (std::vector<std::string>{"here"}));
    EXPECT_TRUE(w->NotifyTimer->isActive());
    w->NotifyTimerTimer();
    EXPECT_FALSE(w->NotifyTimer->isActive());
    EXPECT_EQ(w->Retry.RetryCount, 0);
    EXPECT_FALSE(!w->GlimraDC3->isHidden());
}

TEST_F(HubTest, OpenShowsEveryKindOfFileAndSaveWritesTheBytesRead) {
    auto hub = MakeHub();
    TForm2* w = hub->WindowList()[0];
    w->OpenFile(Folder.Write("empty.log", ""));
    EXPECT_EQ(w->Store.LineCount(), 0u);
    EXPECT_EQ(w->ScrollMax(), 0);
    w->OpenFile(Folder.Path("")); // a folder
    EXPECT_TRUE(w->Retry.OpenFailed);
    std::string raw("bad \xff\xfe utf8\0nul\rmac\nunix\r\n", 26);
    std::string path = Folder.Write("raw.log", raw);
    w->OpenFile(path);
    EXPECT_FALSE(w->Retry.OpenFailed);
    EXPECT_EQ(Lines(*w).size(), 3u);
    std::string copy = Folder.Path("copy.log");
    w->SaveToFile(copy);
    EXPECT_EQ(TTestFolder::Read(copy),
              std::string("bad \xff\xfe utf8\0nul\r\nmac\r\nunix\r\n", 28));
    EXPECT_EQ(w->TitlePath, copy);
    EXPECT_EQ(w->windowTitle().toStdString(), copy);
    // Overwriting asks; Cancel writes nothing.
    Folder.Write("keep.log", "keep");
    Boxes.Answers = {TMsgResult::Cancel};
    w->SaveToFile(Folder.Path("keep.log"));
    EXPECT_EQ(TTestFolder::Read(Folder.Path("keep.log")), "keep");
    EXPECT_EQ(Boxes.Asked.back(), "Press OK to overwrite.");
    // A failed write says so and changes nothing.
    w->SaveToFile(Folder.Path("no/such/folder.log"));
    EXPECT_EQ(Boxes.Asked.back(), "Could not save to file.");
    EXPECT_EQ(w->TitlePath, copy);
    w->ClearCommand();
    EXPECT_EQ(w->Store.LineCount(), 0u);
    EXPECT_TRUE(w->FilePath.empty());
    EXPECT_EQ(w->windowTitle(), "GLIMRA WINDOW");
}

TEST_F(HubTest, FollowedFileReloadsOnChangeReadingOnlyWhatGrew) {
    std::string path = Folder.Write("follow.log", "first\npart");
    auto hub = MakeHub();
    TForm2* w = hub->WindowList()[0];
    w->OpenFile(path);
    w->GlimraButton2Click();
    ASSERT_TRUE(w->NotifyOn);
    { std::ofstream(path, std::ios::app) << "ial\nsecond\n"; }
    EXPECT_TRUE(WaitFor([&] { return w->Store.LineCount() == std::size_t(3); }))
        << "std::size_t(3)";
    EXPECT_EQ(Lines(*w), (std::vector<std::string>{"first", "partial", "second"}));
    EXPECT_TRUE(!w->GlimraDC1->isHidden());
    // Two writes in quick succession both arrive.
    { std::ofstream(path, std::ios::app) << "third\n"; }
    EXPECT_TRUE(WaitFor([&] { return w->Store.LineCount() == std::size_t(4); }))
        << "std::size_t(4)";
    { std::ofstream(path, std::ios::app) << "fourth\n"; }
    EXPECT_TRUE(WaitFor([&] { return w->Store.LineCount() == std::size_t(5); }))
        << "std::size_t(5)";
    // A rewritten (rotated) file is read whole.
    Folder.Write("follow.log", "new file\n");
    EXPECT_TRUE(WaitFor([&] { return Lines(*w) == std::vector<std::string>{"new file"}; }))
        << "std::vector<std::string>{\"new file\"}";
    // Another file of the folder changes nothing.
    Folder.Write("other.log", "x");
    WaitFor([] { return false; }, 300);
    EXPECT_EQ(Lines(*w), std::vector<std::string>{"new file"});
    // Switched off, changes are no longer followed.
    w->GlimraButton2Click();
    Folder.Write("follow.log", "ignored\n");
    WaitFor([] { return false; }, 300);
    EXPECT_EQ(Lines(*w), std::vector<std::string>{"new file"});
}

} // namespace glimra
