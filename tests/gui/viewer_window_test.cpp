#include "app/control_hub.h"
#include "graphics/cdib.h"
#include "graphics/glimra_button.h"
#include "gui_test_util.h"
#include "hub_fixture.h"
#include "platform/file_access.h"
#include "platform/screen_capture.h"
#include "platform/settings_platform.h"
#include "platform/window_opacity.h"
#include "viewer/file_sys_monitor.h"
#include "viewer/interval_timer.h"
#include "viewer/viewer_window.h"

#include <QApplication>
#include <QGuiApplication>
#include <QMouseEvent>
#include <QScreen>
#include <QTest>
#include <QTimer>
#include <QWheelEvent>
#include <gtest/gtest.h>

namespace glimra {
namespace {

class HubTest : public THubFixture<> {
protected:
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

// The hub's first window and a second one in front of it, over its lower right part.
std::pair<TForm2*, TForm2*> OverlappingPair(TFourthGlimraControl& hub) {
    TForm2* back = hub.WindowList()[0];
    TForm2* front = hub.NewWindow();
    back->setGeometry(100, 100, 300, 200);
    front->setGeometry(250, 150, 300, 200);
    QCoreApplication::processEvents();
    return {back, front};
}

// A window in front keeps its picture under the text while the one behind it stays
// as it was. While the one behind shows something else frame after frame, the front
// one composes only the part the one behind shows through; once it stays, the front
// keeps that part too. Every frame is the frame a window composed from nothing shows.
// A window is hidden where an opaque window in front of it covers it, within that
// window's shape, and only while that window stands on the screen; when a window in
// front moves, what the ones behind left out while hidden is painted.
TEST_F(HubTest, AWindowIsHiddenWhereAnOpaqueWindowInFrontCoversIt) {
    auto hub = MakeHub();
    auto [back, front] = OverlappingPair(*hub);
    ASSERT_TRUE(QTest::qWaitForWindowExposed(front));
    // Of the cut window, the hub counts the largest plain rectangle: all its rows but
    // the cut ones at the top and bottom.
    ASSERT_FALSE(front->mask().isEmpty());
    const QRegion covered = hub->Hidden(*back);
    EXPECT_TRUE((covered - front->mask().translated(150, 50)).isEmpty());
    EXPECT_EQ(covered.rectCount(), 1);
    EXPECT_EQ(covered.boundingRect().left(), 150);
    EXPECT_EQ(covered.boundingRect().right(), back->width() - 1);
    EXPECT_GT(covered.boundingRect().height(), 100);
    EXPECT_TRUE(hub->Hidden(*front).isEmpty()); // a window behind hides nothing
    front->setWindowOpacity(0.5);
    EXPECT_TRUE(hub->Hidden(*back).isEmpty());
    front->setWindowOpacity(1.0);
    front->showMinimized();
    QCoreApplication::processEvents();
    EXPECT_TRUE(hub->Hidden(*back).isEmpty());
    front->showNormal();
    QCoreApplication::processEvents();
    EXPECT_EQ(hub->Hidden(*back), covered);

    back->Unshown = covered;
    front->move(600, 400);
    QCoreApplication::processEvents();
    EXPECT_TRUE(hub->Hidden(*back).isEmpty());
    EXPECT_TRUE(back->Unshown.isEmpty());
}

TEST_F(HubTest, WhereTheCompositorBlendsNothingIsCapturedHiddenOrComposedBehind) {
    SetCompositorBlends(true);
    auto hub = MakeHub();
    SetCompositorBlends(std::nullopt);
    auto [back, front] = OverlappingPair(*hub);
    ASSERT_TRUE(QTest::qWaitForWindowExposed(front));
    EXPECT_TRUE(front->testAttribute(Qt::WA_TranslucentBackground));
    // The windows behind show through the compositor: none is laid in, none hides one.
    EXPECT_TRUE(hub->OverlapPlan(*front).Layout.empty());
    EXPECT_TRUE(hub->Hidden(*back).isEmpty());
    // Activation neither hides the windows nor grabs the screen.
    const qint64 surface = hub->Surface()->Picture().cacheKey();
    int hides = 0;
    for (TForm2* w : {back, front})
        QObject::connect(w->windowHandle(), &QWindow::visibleChanged,
                         [&](bool shown) { hides += !shown; });
    hub->AppActivate();
    hub->RefreshBackground();
    EXPECT_EQ(hides, 0);
    EXPECT_EQ(hub->Surface()->Picture().cacheKey(), surface);
    // Backdrop pixels are the shade, which the screen shows at its alpha.
    ASSERT_NE(hub->Backdrop().LiveShade(), nullptr);
    EXPECT_EQ(hub->Backdrop().LiveShade()->Alpha, LiveShade(2, {1, 1, 1, false}).Alpha);
}

TEST_F(HubTest, AWindowInFrontTakesAgainWhatChangedBehindIt) {
    auto hub = MakeHub();
    TForm2* back = hub->WindowList()[0];
    back->OpeningActive = false;
    std::string text;
    for (int i = 0; i < 100; ++i)
        text += "behind " + std::to_string(i) + "\n";
    back->OpenFile(Folder.Write("back.log", text));
    back->Redraw();
    TForm2* front = hub->NewWindow();
    front->OpeningActive = false;
    // Lines reaching past the part behind, to the right and below it.
    std::string frontText;
    for (int i = 0; i < 60; ++i)
        frontText += "in front " + std::to_string(i) + std::string(60, 'W') + "\n";
    front->OpenFile(Folder.Write("front.log", frontText));
    ASSERT_TRUE(front->ModuleInstances.empty());
    ASSERT_TRUE(front->geometry().intersects(back->geometry()));
    const auto expectFresh = [&](const char* when) {
        const QImage shown = front->WindowBitmap; // shared: the frame below detaches
        const TFrameBase kept = front->Base;
        front->Base = TFrameBase();
        front->Redraw();
        EXPECT_TRUE(shown == front->WindowBitmap) << when;
        // Back to the frame shown, as if this one had not been.
        front->Base = kept;
        front->WindowBitmap = shown;
    };
    // The window behind ticks from the first frame on: the base is copied once, and
    // from then on only the part behind is composed again.
    for (int step = 1; step <= 4; ++step) {
        const QImage last = front->WindowBitmap.copy();
        const long long outside = front->Base.RestoredOutside();
        back->SetScrollPosition(10 * step);
        back->Redraw();
        front->Redraw();
        expectFresh("while the window behind scrolls");
        if (step <= 2)
            continue;
        EXPECT_EQ(front->Base.RestoredOutside() - outside, 1);
        int changed = 0;
        for (int y = 0; y < last.height(); ++y)
            for (int x = 0; x < last.width(); ++x)
                if (last.pixel(x, y) != front->WindowBitmap.pixel(x, y)) {
                    ++changed;
                    ASSERT_TRUE(front->Base.Changed().contains(QPoint(x, y))) << x << "," << y;
                }
        EXPECT_GT(changed, 0);
        EXPECT_FALSE(
            front->Base.Changed().contains(QRect(front->width() - 2, front->height() - 2, 1, 1)))
            << "sent more than what lies behind and the text";
    }
    EXPECT_EQ(front->Base.Keeps(), 1);

    // The window behind stays: after two frames alike the part behind is kept too.
    const long long restored = front->Base.Restored();
    const long long outside = front->Base.RestoredOutside();
    for (int i = 0; i < 3; ++i)
        front->Redraw();
    EXPECT_EQ(front->Base.RestoredOutside() - outside, 1);
    EXPECT_EQ(front->Base.Restored() - restored, 3);
    EXPECT_EQ(front->Base.Keeps(), 2);
    expectFresh("after the window behind stopped");

    // Elsewhere: the text reaches out of the part behind on its right and above it,
    // then on its left and below it.
    for (const QPoint offset : {QPoint(100, -40), QPoint(-40, 40)}) {
        front->move(back->pos() + offset);
        for (int step = 1; step <= 4; ++step) {
            back->SetScrollPosition(50 + step);
            back->Redraw();
            front->Redraw();
            expectFresh("placed elsewhere");
        }
    }
    EXPECT_EQ(front->Base.Keeps(), 4);
}

TEST_F(HubTest, ClosingStoresBoundsAndTheLastWindowEndsTheProgram) {
    auto hub = MakeHub();
    TForm2* first = hub->WindowList()[0];
    TForm2* second = hub->NewWindow();
    QPointer<TForm2> closed = second;
    second->setGeometry(40, 50, 300, 200);
    second->close();
    EXPECT_EQ(hub->WindowCount(), 1);
    EXPECT_EQ(hub->Settings().Left, 40);
    EXPECT_EQ(hub->Settings().Height, 200);
    EXPECT_FALSE(hub->Terminating());
    QApplication::processEvents();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    // Never left pointing at the closed window once it is gone.
    EXPECT_TRUE(closed.isNull());
    EXPECT_TRUE(ActiveWindow.isNull() || ActiveWindow.data() == first);
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
    EXPECT_EQ(window->Follower->FilePath, path);
    EXPECT_EQ(window->windowTitle(), "my log.txt");
    EXPECT_EQ(Lines(*window), (std::vector<std::string>{"one", "two"}));
}

TEST_F(HubTest, EveryNewWindowOpensTheProgramsOwnCommandLine) {
    std::string path = Folder.Write("a b.log", "x\n");
    std::string dir = Folder.Path("");
    auto hub = MakeHub({dir + "a", "b.log"});
    EXPECT_EQ(hub->WindowList()[0]->Follower->FilePath, path);
    EXPECT_EQ(hub->NewWindow()->Follower->FilePath, path);
}

TEST_F(HubTest, FailedOpensRetryThenGiveUp) {
    Folder.Write("GLIMRA4.INI", "[SystemInfo]\r\nVersion= 0.1\r\n[Tips]\r\nCount= 0\r\n"
                                "Show= TRUE\r\n[Main]\r\nLeft= 0\r\nTop= 0\r\nWidth= 480\r\n"
                                "Height= 350\r\nFontName= DejaVu Sans\r\nFontSize= 9\r\n"
                                "FontColor= clWhite\r\nWaitTime= 250\r\nRetry= 2\r\n\r\n");
    auto hub = MakeHub();
    TForm2* w = hub->WindowList()[0];
    EXPECT_EQ(w->Follower->Retry.MaxRetry, 2);
    std::string missing = Folder.Path("missing.log");
    w->OpenFile(missing);
    EXPECT_EQ(Lines(*w), (std::vector<std::string>{"CAN NOT OPEN: " + missing + " ( retry: 1)"}));
    EXPECT_TRUE(w->Follower->NotifyTimer->IsActive());
    EXPECT_EQ(w->Follower->NotifyTimer->Interval(), 250);
    EXPECT_EQ(w->windowTitle(), "GLIMRA WINDOW");
    w->Follower->NotifyTimerTimer();
    w->Follower->NotifyTimerTimer();
    EXPECT_EQ(Lines(*w)[0], "CAN NOT OPEN: " + missing + " ( retry: 3)");
    w->Follower->NotifyTimerTimer();
    EXPECT_EQ(Lines(*w), (std::vector<std::string>{"COULD NOT OPEN: " + missing + " ( retry: 3)",
                                                   "BREAK.( RETRY>2)"}));
    EXPECT_TRUE(!w->GlimraDC3->isHidden());
    EXPECT_FALSE(w->Follower->NotifyTimer->IsActive());
    // The file appears: the next attempt loads it, and the tick after reads it once more.
    w->OpenFile(missing);
    Folder.Write("missing.log", "here\n");
    w->Follower->NotifyTimerTimer();
    EXPECT_EQ(Lines(*w), (std::vector<std::string>{"here"}));
    EXPECT_TRUE(w->Follower->NotifyTimer->IsActive());
    w->Follower->NotifyTimerTimer();
    EXPECT_FALSE(w->Follower->NotifyTimer->IsActive());
    EXPECT_EQ(w->Follower->Retry.RetryCount, 0);
    EXPECT_FALSE(!w->GlimraDC3->isHidden());
}

TEST_F(HubTest, OpenShowsEveryKindOfFileAndSaveWritesTheBytesRead) {
    auto hub = MakeHub();
    TForm2* w = hub->WindowList()[0];
    w->OpenFile(Folder.Write("empty.log", ""));
    EXPECT_EQ(w->Store.LineCount(), 0u);
    EXPECT_EQ(w->ScrollMax(), 0);
    w->OpenFile(Folder.Path("")); // a folder
    EXPECT_TRUE(w->Follower->Retry.OpenFailed);
    std::string raw("bad \xff\xfe utf8\0nul\rmac\nunix\r\n", 26);
    std::string path = Folder.Write("raw.log", raw);
    w->OpenFile(path);
    EXPECT_FALSE(w->Follower->Retry.OpenFailed);
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
    EXPECT_TRUE(w->Follower->FilePath.empty());
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

namespace {

// Rows of the window bitmap's text area that hold any light pixel.
int RowsWithText(const TForm2& w) {
    int rows = 0;
    for (int top = w.LineHeight + 15; top + w.LineHeight <= w.height(); top += w.LineHeight) {
        bool lit = false;
        for (int y = top; y < top + w.LineHeight && !lit; ++y)
            for (int x = 15; x < 150 && !lit; ++x)
                lit = qGray(w.WindowBitmap.pixel(x, y)) > 200;
        rows += lit;
    }
    return rows;
}

QMouseEvent Mouse(QEvent::Type type, QPoint at, Qt::MouseButton button = Qt::LeftButton) {
    return QMouseEvent(type, at, at, button, button, Qt::NoModifier);
}

} // namespace

TEST_F(HubTest, ButtonsStackInNarrowWindowsAndTinyOnesAreRefused) {
    auto hub = MakeHub();
    TForm2* w = hub->WindowList()[0];
    w->resize(200, 300);
    EXPECT_EQ(w->GlimraButton3->pos(), QPoint(24, 68));
    EXPECT_EQ(w->GlimraButton4->pos(), QPoint(24, 51));
    EXPECT_EQ(w->GlimraButton5->pos(), QPoint(24, 34));
    EXPECT_EQ(w->GlimraButton2->pos(), QPoint(100, 15));
    w->resize(150, 120);
    EXPECT_EQ(w->size(), QSize(151, 121));
}

TEST_F(HubTest, AutoModeRepeatsAShortFileAndStepsByScrollWait) {
    auto hub = MakeHub();
    TForm2* w = hub->WindowList()[0];
    w->OpeningActive = false;
    w->OpenFile(Folder.Write("three.log", "alpha\nbravo\ncharlie\n"));
    w->resize(480, 30 + 10 * w->LineHeight + 5);
    w->Redraw();
    EXPECT_EQ(RowsWithText(*w), 3);
    EXPECT_EQ(w->ScrollMax(), 0);
    w->GlimraButton3Click();
    ASSERT_TRUE(w->AutoMode);
    EXPECT_TRUE(w->NeedsUpdates);
    EXPECT_FALSE(w->Energy->IsActive());
    w->Redraw();
    EXPECT_EQ(RowsWithText(*w), 10);
    // ScrollWait 3: four steps move the text by one line.
    hub->Settings().ScrollWait = 3;
    int top = w->AutoTopLine;
    for (int i = 0; i < 3; ++i)
        hub->StepWindow(0);
    EXPECT_EQ(w->AutoTopLine, top);
    hub->StepWindow(0);
    EXPECT_EQ(w->AutoTopLine, top + 1);
    EXPECT_FLOAT_EQ(w->SubLineOffset, 0.0f);
    // Off again with a scroll maximum of 0: back to the top.
    w->AutoTopLine = 2;
    w->GlimraButton3Click();
    EXPECT_FALSE(w->AutoMode);
    EXPECT_EQ(w->ScrollPosition(), 0);
    EXPECT_FALSE(hub->WantsStep(0));
}

TEST_F(HubTest, LensTurnsSquareOnlyWhenMovedOffBothHomeLines) {
    auto hub = MakeHub();
    TForm2* w = hub->WindowList()[0];
    w->resize(480, 350);
    TGlimraButton* lens = w->GlimraButton4;
    ASSERT_EQ(lens->geometry(), QRect(252, 15, 75, 11));
    auto drag = [&](QPoint by) {
        QMouseEvent down = Mouse(QEvent::MouseButtonPress, {10, 5});
        w->GlimraButton4MouseDown(&down);
        QMouseEvent move = Mouse(QEvent::MouseMove, QPoint(10, 5) + by);
        w->GlimraButton4MouseMove(&move);
        QMouseEvent up = Mouse(QEvent::MouseButtonRelease, QPoint(10, 5) + by);
        w->GlimraButton4MouseUp(&up);
    };
    drag({40, 0});
    EXPECT_EQ(lens->geometry(), QRect(292, 15, 75, 11));
    drag({0, 60});
    EXPECT_EQ(lens->geometry(), QRect(292, 75, 75, 75));
    // The wheel over the lens zooms; turned away at 0 it stays 0.
    QPointF inside = QPointF(lens->geometry().center());
    QWheelEvent away(inside, w->mapToGlobal(inside), {}, {0, 120}, Qt::NoButton, Qt::NoModifier,
                     Qt::NoScrollPhase, false);
    QCoreApplication::sendEvent(w, &away);
    EXPECT_EQ(lens->Zoom(), 0);
    QWheelEvent toward(inside, w->mapToGlobal(inside), {}, {0, -120}, Qt::NoButton, Qt::NoModifier,
                       Qt::NoScrollPhase, false);
    QCoreApplication::sendEvent(w, &toward);
    EXPECT_EQ(lens->Zoom(), 5);
    // Any other button puts it home at the button size.
    QMouseEvent right = Mouse(QEvent::MouseButtonPress, {1, 1}, Qt::RightButton);
    w->GlimraButton4MouseDown(&right);
    EXPECT_EQ(lens->geometry(), QRect(252, 15, 75, 11));
    EXPECT_EQ(lens->Zoom(), 0);
}

TEST_F(HubTest, OpeningBandRunsToFullSizeThroughTheUpdateSteps) {
    auto hub = MakeHub();
    TForm2* w = hub->NewWindow();
    w->OpeningActive = true;
    w->ThreadTick = true;
    w->OpeningRect = {w->width() / 2, w->height() / 2 - 1, 20, 2};
    int index = hub->WindowCount() - 1;
    int steps = 0;
    while (hub->WantsStep(index) && steps < 1000) {
        hub->StepWindow(index);
        ++steps;
    }
    EXPECT_FALSE(w->OpeningActive);
    EXPECT_LT(steps, 1000);
    EXPECT_EQ(w->OpeningRect.Height, w->height());
    EXPECT_EQ(w->OpeningRect.Width, w->width());
}

TEST_F(HubTest, AForwardedWindowOpensOnlyTheForwardedFile) {
    std::string own = Folder.Write("own.log", "own\n");
    auto hub = MakeHub({own});
    std::vector<std::string> read;
    SetAfterReadHook([&](const std::string& path) { read.push_back(path); });
    std::string missing = Folder.Path("gone.log");
    TCopyDataRecord record = MakeForwardRecord({missing});
    hub->CopyDataReceived(&record);
    SetAfterReadHook(nullptr);
    TForm2* window = hub->WindowList().back();
    EXPECT_TRUE(read.empty());
    EXPECT_TRUE(window->TitlePath.empty());
    EXPECT_EQ(window->windowTitle(), "GLIMRA WINDOW");
    EXPECT_EQ(window->Follower->FilePath, missing);
}

// --encoding holds for the windows of the start that gave it, here or forwarded,
// and for no other.
TEST_F(HubTest, TheStartsEncodingReachesItsWindows) {
    std::string path = Folder.Write("sjis.log", "x\n");
    TStartOptions options;
    options.Encoding = TEncoding::Cp932;
    auto hub = MakeHub({path}, options);
    EXPECT_EQ(hub->WindowList()[0]->Follower->ForcedEncoding, TEncoding::Cp932);
    // The plain ASCII file is read as the start said.
    EXPECT_EQ(hub->WindowList()[0]->Store.Encoding().Encoding, TEncoding::Cp932);
    EXPECT_EQ(hub->NewWindow()->Follower->ForcedEncoding, TEncoding::Cp932);
    EXPECT_EQ(hub->NewWindow(false)->Follower->ForcedEncoding, std::nullopt);

    options.Encoding = TEncoding::Utf16Le;
    TCopyDataRecord record = MakeForwardRecord({path}, options.Texts());
    hub->CopyDataReceived(&record);
    EXPECT_EQ(hub->WindowList().back()->Follower->ForcedEncoding, TEncoding::Utf16Le);
    EXPECT_EQ(hub->WindowList().back()->Follower->FilePath, path);
    TCopyDataRecord plain = MakeForwardRecord({path});
    hub->CopyDataReceived(&plain);
    EXPECT_EQ(hub->WindowList().back()->Follower->ForcedEncoding, std::nullopt);
}

TEST_F(HubTest, SwitchingBackKeepsWhatEveryWindowShows) {
    auto hub = MakeHub();
    hub->Settings().CaptureWait = 0;
    TForm2* w = hub->WindowList()[0];
    std::string text;
    for (int i = 0; i < 300; ++i)
        text += "line " + std::to_string(i) + "\n";
    w->OpenFile(Folder.Write("long.log", text));
    w->SetScrollPosition(42);
    w->AutoTopLine = 9;
    hub->AppDeactivate();
    hub->AppActivate();
    EXPECT_TRUE(w->isVisible());
    EXPECT_EQ(w->ScrollPosition(), 42);
    EXPECT_EQ(w->AutoTopLine, 9);
}

TEST_F(HubTest, NothingQueuedRunsInTheMiddleOfACapture) {
    auto hub = MakeHub();
    hub->Settings().CaptureWait = 0;
    TForm2* w = hub->WindowList()[0];
    std::vector<bool> visibleWhenRun;
    // A record from another instance that arrives just as the program is activated.
    QMetaObject::invokeMethod(
        hub.get(), [&] { visibleWhenRun.push_back(w->isVisible()); }, Qt::QueuedConnection);
    hub->AppActivate();
    QCoreApplication::processEvents();
    EXPECT_EQ(visibleWhenRun, std::vector<bool>{true});
}

TEST_F(HubTest, StoredBoundsAreCutToTheScreen) {
    Folder.Write("GLIMRA4.INI", "[SystemInfo]\r\nVersion= 0.1\r\n[Tips]\r\nCount= 0\r\n"
                                "Show= TRUE\r\n[Main]\r\nLeft= 10\r\nTop= 20\r\n"
                                "Width= 2000000000\r\nHeight= -7\r\n\r\n");
    auto hub = MakeHub();
    TForm2* w = hub->WindowList()[0];
    TSize screen = PrimaryScreenSize();
    // As wide as the screen, so moved left to lie wholly on it.
    EXPECT_EQ(w->geometry(), QRect(0, 20, screen.Width, 121));
}

TEST_F(HubTest, AWriteBetweenTheReadAndTheStampIsNotLost) {
    auto hub = MakeHub();
    TForm2* w = hub->WindowList()[0];
    std::string path = Folder.Write("race.log", "first\n");
    w->OpenFile(path);
    w->GlimraButton2Click();
    bool written = false;
    // The writer appends the moment our read has finished.
    SetAfterReadHook([&](const std::string&) {
        if (!written)
            std::ofstream(path, std::ios::app) << "late\n";
        written = true;
    });
    { std::ofstream(path, std::ios::app) << "second\n"; }
    w->Follower->FileSysChanged();
    EXPECT_TRUE(written);
    EXPECT_TRUE(WaitFor([&] { return w->Store.LineCount() == 3; }));
    SetAfterReadHook(nullptr);
    EXPECT_EQ(Lines(*w), (std::vector<std::string>{"first", "second", "late"}));
}

} // namespace glimra
