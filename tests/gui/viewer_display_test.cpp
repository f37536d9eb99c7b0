// What a window draws and where: the scroll bar, the memo over the lines, the lens,
// the controls composed from the window's picture, the opening band.
#include "device_ratio.h"
#include "fake_window_host.h"
#include "graphics/glimra_button.h"
#include "graphics/glimra_edit.h"
#include "graphics/glimra_popup_menu.h"
#include "graphics/original_form.h"
#include "graphics/qt_pixels.h"
#include "gui_test_util.h"
#include "settings/font_data_qt.h"
#include "viewer/glimra_memo.h"

#include <QAbstractTextDocumentLayout>
#include <QFontInfo>
#include <QMouseEvent>
#include <QPainter>
#include <QPlainTextDocumentLayout>
#include <QTest>
#include <QTextBlock>
#include <QWheelEvent>
#include <gtest/gtest.h>

#include <fstream>

namespace glimra {
namespace {

class ViewerDisplayTest : public ::testing::Test {
protected:
    TTestFolder Folder;
    TFakeWindowHost Host;

    std::string ManyLines(int count) {
        std::string text;
        for (int i = 0; i < count; ++i)
            text += "line " + std::to_string(i) + "\n";
        return Folder.Write("many.log", text);
    }

    // A shown window of the file at path.
    template <class Form> std::unique_ptr<Form> ShownWindow(const std::string& path) {
        auto w = MakeWindow<Form>(Host);
        w->OpenFile(path);
        w->show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(w.get()));
        return w;
    }

    // A shown window of 200 short lines, switched to Auto with its button.
    template <class Form> std::unique_ptr<Form> AutoWindow() {
        auto w = ShownWindow<Form>(ManyLines(200));
        w->GlimraButton3Click();
        EXPECT_TRUE(w->AutoMode);
        QCoreApplication::processEvents();
        return w;
    }
};

void Send(QWidget* to, QEvent::Type type, QPoint at) {
    QMouseEvent event(type, at, to->mapToGlobal(at), Qt::LeftButton,
                      type == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::LeftButton,
                      Qt::NoModifier);
    QCoreApplication::sendEvent(to, &event);
}

// Visual lines of the memo's document, every block laid out.
int MemoLines(TGlimraMemo& memo) {
    auto* layout = qobject_cast<QPlainTextDocumentLayout*>(memo.document()->documentLayout());
    int lines = 0;
    for (QTextBlock b = memo.document()->begin(); b.isValid(); b = b.next()) {
        layout->ensureBlockLayout(b);
        lines += b.layout()->lineCount();
    }
    return lines;
}

} // namespace

TEST_F(ViewerDisplayTest, TheScrollBarIsAThinLineAtTheRightEdge) {
    auto w = MakeWindow(Host);
    w->OpenFile(ManyLines(200));
    ASSERT_GT(w->ScrollMax(), 0);
    EXPECT_EQ(w->MiniScrollBar1.Width(), 12);
    EXPECT_EQ(w->MiniScrollBar1.Left, 480 - 12 - 20);
    EXPECT_EQ(w->MiniScrollBar1.Top, 20);
    EXPECT_EQ(w->MiniScrollBar1.Height(), 350 - 40);
    // A drag over the text beside the bar scrolls nothing.
    Send(w.get(), QEvent::MouseButtonPress, {420, 100});
    Send(w.get(), QEvent::MouseMove, {420, 250});
    Send(w.get(), QEvent::MouseButtonRelease, {420, 250});
    EXPECT_EQ(w->ScrollPosition(), 0);
    // On the bar itself it does.
    Send(w.get(), QEvent::MouseButtonPress, {454, 22});
    Send(w.get(), QEvent::MouseMove, {454, 200});
    Send(w.get(), QEvent::MouseButtonRelease, {454, 200});
    EXPECT_GT(w->ScrollPosition(), 0);
}

TEST_F(ViewerDisplayTest, TheMemoLiesExactlyOverTheDrawnLines) {
    Host.Values.Font.FontColor = 0x0080FF; // orange
    auto w = MakeWindow(Host);
    std::string text;
    for (int i = 0; i < 40; ++i)
        text += "entry " + std::to_string(i) + " the quick brown fox jumps over the lazy dog " +
                std::string(i % 7, 'x') + " again and again until the line is long\n";
    w->OpenFile(Folder.Write("wrap.log", text));
    w->show();
    w->SetMemoView(true);
    QCoreApplication::processEvents();
    TGlimraMemo& memo = *w->WordWrapper;
    // Same colour, same origin, same line height as the lines the window draws.
    EXPECT_EQ(memo.palette().color(QPalette::Text), QColor(0xFF, 0x80, 0x00));
    EXPECT_EQ(memo.geometry().topLeft(), QPoint(15, w->LineHeight + 15));
    QTextBlock first = memo.document()->firstBlock();
    EXPECT_EQ(first.layout()->lineAt(0).position(), QPointF(0, 0));
    EXPECT_EQ(qRound(first.layout()->lineAt(0).height()), w->LineHeight);
    EXPECT_EQ(QFontInfo(memo.font()).family(), QFontInfo(w->font()).family());
    // And the same breaks: as many visual lines as the store has display lines.
    EXPECT_EQ(static_cast<std::size_t>(MemoLines(memo)), w->Store.DisplayLineCount());
}

TEST_F(ViewerDisplayTest, EditingTheMemoMovesTheScrollRange) {
    auto w = MakeWindow(Host);
    w->OpenFile(Folder.Write("short.log", "one\ntwo\n"));
    w->show();
    w->SetMemoView(true);
    EXPECT_EQ(w->ScrollMax(), 0);
    w->WordWrapper->moveCursor(QTextCursor::End);
    w->WordWrapper->insertPlainText(QString("\nmore").repeated(100));
    EXPECT_GT(w->ScrollMax(), 50);
}

TEST_F(ViewerDisplayTest, TheLensTakesTheWheelUpToItsLastColumn) {
    auto w = MakeWindow(Host);
    w->GlimraButton4->resize(75, 75); // room for a zoom of 10
    QRect lens = w->GlimraButton4->geometry();
    for (int x : {lens.left() + lens.width() - 1, lens.left() + 1}) {
        QPointF at(x, lens.top() + 5);
        QWheelEvent toward(at, w->mapToGlobal(at), {}, {0, -120}, Qt::NoButton, Qt::NoModifier,
                           Qt::NoScrollPhase, false);
        QCoreApplication::sendEvent(w.get(), &toward);
    }
    EXPECT_EQ(w->GlimraButton4->Zoom(), 10);
    // On its edge it is outside.
    QPointF edge(lens.left(), lens.top() + 5);
    QWheelEvent away(edge, w->mapToGlobal(edge), {}, {0, 120}, Qt::NoButton, Qt::NoModifier,
                     Qt::NoScrollPhase, false);
    QCoreApplication::sendEvent(w.get(), &away);
    EXPECT_EQ(w->GlimraButton4->Zoom(), 10);
}

TEST_F(ViewerDisplayTest, TheOpeningBandShowsNothingButWhatItCopied) {
    auto w = MakeWindow(Host);
    w->WindowBitmap.fill(Qt::white); // whatever the memory held before
    w->OpeningActive = true;
    w->OpeningRect = {w->width() / 2, w->height() / 2 - 10, 20, 20};
    w->Redraw();
    EXPECT_EQ(w->WindowBitmap.pixelColor(100, 250), QColor(Qt::black));
    EXPECT_EQ(w->WindowBitmap.pixelColor(w->width() / 2 + 5, w->height() / 2),
              QColor(0x40, 0x40, 0x40));
}

TEST_F(ViewerDisplayTest, TheEditComposesItselfFromTheWindowsPicture) {
    auto w = MakeWindow(Host);
    w->GlimraEdit1->move(30, 100);
    w->GlimraEdit1->show();
    for (unsigned rgb : {0x102030u, 0x305070u}) {
        Host.Paint(rgb);
        w->Redraw();
        QPoint inside = w->GlimraEdit1->geometry().topLeft() + QPoint(5, 5);
        EXPECT_EQ(w->GlimraEdit1->BackImage().pixelColor(5, 5), w->WindowBitmap.pixelColor(inside))
            << std::hex << rgb;
    }
}

TEST(ViewerFonts, TheProgramsFontNamesDrawWithAnInstalledJapaneseFont) {
    RegisterFontSubstitutes();
    QFont control = ControlWindowFont();
    TFontData data;
    FontToData(control, Qt::white, data);
    EXPECT_EQ(data.FontName, "ＭＳ Ｐゴシック");
    EXPECT_EQ(data.FontSize, 9);
    EXPECT_EQ(QFontInfo(control).family(), "IPAPGothic");
    TFakeWindowHost host;
    TForm2 window(host);
    EXPECT_EQ(window.font().family(), "MS UI Gothic");
    EXPECT_EQ(window.font().pixelSize(), 12);
    EXPECT_EQ(QFontInfo(window.font()).family(), "IPAGothic");
}

} // namespace glimra

namespace glimra {
namespace {

// An Auto step composes once and is painted once; the lines it shows again, only
// moved, are not shaped and drawn again, while a change of the lines, the font or
// the colour draws them afresh.
TEST_F(ViewerDisplayTest, AnAutoFramePaintsOnceAndReusesTheDrawnLines) {
    auto w = AutoWindow<TCountingForm>();
    ASSERT_TRUE(w->AutoMode);
    w->AutoTimerTimer();
    QCoreApplication::processEvents();

    const long long drawn = w->LineImages.Drawn();
    const long long paints = w->Paints;
    long long buttonPaints[5];
    for (int n = 1; n <= 5; ++n)
        buttonPaints[n - 1] = w->Button(n)->PaintCount();
    w->Redraws = 0;
    for (int frame = 0; frame < 5; ++frame) {
        w->AutoTimerTimer();
        QCoreApplication::processEvents();
    }
    EXPECT_EQ(w->Redraws, 5);
    EXPECT_EQ(w->Paints - paints, 5);
    // ScrollWait 0: every step brings one new line in at the bottom.
    EXPECT_LE(w->LineImages.Drawn() - drawn, 5);
    EXPECT_GT(w->LineImages.Reused(), 0);

    // The short lines scroll under the first button only: it is composed and painted
    // with every step, the others whose background stayed are not painted again.
    EXPECT_GE(w->Button(1)->PaintCount() - buttonPaints[0], 5);
    for (int n = 2; n <= 5; ++n)
        EXPECT_EQ(w->Button(n)->PaintCount(), buttonPaints[n - 1]) << "button " << n;

    // The last step moved the top line on: one redraw brings the next line in,
    // the one after it finds every line drawn.
    w->Redraw();
    const long long before = w->LineImages.Drawn();
    w->Redraw();
    EXPECT_EQ(w->LineImages.Drawn(), before);
    // A new colour draws every line again.
    w->TextColor = Qt::yellow;
    w->Redraw();
    const int rows = (w->height() - 30) / w->LineHeight;
    EXPECT_GE(w->LineImages.Drawn() - before, rows);
}

// While a worker counts rows it takes the store's lock between any two reads of the
// window's: a frame reads the lines it shows in one turn, not one turn each.
TEST_F(ViewerDisplayTest, AFrameReadsItsLinesInOneTurnOfTheStoresLock) {
    auto w = MakeWindow<TCountingForm>(Host);
    w->OpenFile(ManyLines(200));
    w->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(w.get()));
    w->Redraw();
    const int rows = (w->height() - 30) / w->LineHeight;
    ASSERT_GT(rows, 10);
    // Lines of a new version are read again, every one on screen.
    w->Store.Append("one more line\n");
    const long long drawn = w->LineImages.Drawn();
    const long long reused = w->LineImages.Reused();
    const std::uint64_t turns = w->Store.LockTurns();
    w->Redraw();
    EXPECT_GE(w->LineImages.Drawn() + w->LineImages.Reused() - drawn - reused, rows);
    EXPECT_LE(w->Store.LockTurns() - turns, 4u);
}

// A followed log that grows by a line: the frame that shows it shapes the new line
// only; every line already on screen is laid from its kept picture, moved up a row.
TEST_F(ViewerDisplayTest, AnAppendDrawsOnlyTheNewLine) {
    const std::string path = ManyLines(200);
    auto w = ShownWindow<TCountingForm>(path);
    w->SetScrollPosition(w->ScrollMax());
    w->Redraw();
    const int rows = (w->height() - 30) / w->LineHeight;
    ASSERT_GT(rows, 3);

    const long long drawn = w->LineImages.Drawn();
    const long long reused = w->LineImages.Reused();
    std::ofstream(path, std::ios::binary | std::ios::app) << "one more line\n";
    w->Follower->FileSysChanged();
    ASSERT_TRUE(WaitFor([&] { return w->Store.LineCount() == 201u; }));
    w->SetScrollPosition(w->ScrollMax());
    w->Redraw();
    EXPECT_LE(w->LineImages.Drawn() - drawn, 1);
    EXPECT_GE(w->LineImages.Reused() - reused, rows - 2);

    // The change reached the screen before the event loop came round again.
    const long long paints = w->Paints;
    std::ofstream(path, std::ios::binary | std::ios::app) << "and one more\n";
    w->Follower->FileSysChanged();
    EXPECT_EQ(w->Store.LineCount(), 202u);
    EXPECT_GT(w->Paints, paints);

    // A line whose text changed under the same index is drawn again, not reused.
    const long long before = w->LineImages.Drawn();
    w->OpenFile(Folder.Write("other.log", "line 0 changed\n"));
    ASSERT_EQ(w->Store.Line(0), "line 0 changed");
    w->SetScrollPosition(0);
    w->Redraw();
    EXPECT_GE(w->LineImages.Drawn() - before, 1);
}

// A still window redrawn by its clock puts nothing on the screen, however often; a
// redraw that moved the text does, and so does the redraw after a change was painted
// straight away, until the screen is known to show it.
TEST_F(ViewerDisplayTest, ARedrawThatChangedNothingPaintsNothing) {
    const std::string path = ManyLines(200);
    auto w = ShownWindow<TCountingForm>(path);
    w->Redraw();
    QCoreApplication::processEvents();
    const auto paintsOfRedraws = [&](int redraws) {
        const long long paints = w->Paints;
        for (int i = 0; i < redraws; ++i) {
            w->Redraw();
            QCoreApplication::processEvents();
        }
        return w->Paints - paints;
    };
    EXPECT_EQ(paintsOfRedraws(3), 0);

    w->SetScrollPosition(5);
    EXPECT_EQ(paintsOfRedraws(1), 1);
    EXPECT_EQ(paintsOfRedraws(2), 0);

    w->SetScrollPosition(w->ScrollMax());
    paintsOfRedraws(1);
    const long long paints = w->Paints;
    std::ofstream(path, std::ios::binary | std::ios::app) << "one more line\n";
    w->Follower->FileSysChanged();
    ASSERT_GT(w->Paints, paints);
    paintsOfRedraws(1);
    EXPECT_EQ(paintsOfRedraws(2), 0);
}

} // namespace

namespace {

// A desktop that differs at every place, so a piece taken from the wrong place shows.
void PaintGradient(TFakeWindowHost& host, int shift) {
    QImage desktop(host.SurfaceDib.Width(), host.SurfaceDib.Height(), QImage::Format_RGB32);
    for (int y = 0; y < desktop.height(); ++y)
        for (int x = 0; x < desktop.width(); ++x)
            desktop.setPixel(x, y, qRgb((x + shift) & 255, (y * 3) & 255, (x + y) & 255));
    host.SurfaceDib.Assign(desktop);
}

} // namespace

// A frame laid on the kept picture under the text is the frame composed anew: after
// scrolling, in Auto with the glint moving, after something drew into the picture
// between frames, and after the desktop, the active window or the file changed.
TEST_F(ViewerDisplayTest, AFrameOnTheKeptBaseIsTheFrameComposedAnew) {
    PaintGradient(Host, 0);
    auto w = MakeWindow(Host);
    w->move(30, 40);
    w->OpenFile(ManyLines(200));
    ActiveWindow = w.get();
    const auto settle = [&] {
        w->Redraw();
        w->Redraw();
    };
    // The next frame, as the kept base gives it and as composed from nothing.
    const auto expectComposedAnew = [&](const char* what, bool kept) {
        const TWarningLight light = w->Light;
        const long long restored = w->Base.Restored();
        const QImage before = w->WindowBitmap.copy();
        w->Redraw();
        EXPECT_EQ(w->Base.Restored() - restored, kept ? 1 : 0) << what;
        const QImage fromBase = w->WindowBitmap.copy();
        // What goes to the screen holds every pixel that changed.
        for (int y = 0; y < before.height(); ++y)
            for (int x = 0; x < before.width(); ++x)
                if (before.pixel(x, y) != fromBase.pixel(x, y) &&
                    !w->Base.Changed().contains({x, y}))
                    ADD_FAILURE() << what << ": " << x << "," << y << " changed, not sent";
        w->Light = light;
        w->Base = TFrameBase();
        w->Redraw();
        EXPECT_TRUE(fromBase == w->WindowBitmap) << what;
    };

    settle();
    w->SetScrollPosition(5);
    expectComposedAnew("scrolled", true);
    // Only the text and the bar went to the screen, not the frame around them.
    settle();
    w->SetScrollPosition(6);
    EXPECT_FALSE(w->Base.Changed().contains(QPoint(2, w->height() - 3)));
    EXPECT_FALSE(w->Base.Changed().contains(QPoint(w->width() / 2, 3)));
    settle();
    w->SetScrollPosition(40);
    expectComposedAnew("scrolled further", true);

    w->GlimraButton3Click();
    ASSERT_TRUE(w->AutoMode);
    settle();
    for (int step = 0; step < 3; ++step)
        w->AutoTimerTimer();
    expectComposedAnew("Auto", true);

    settle();
    QPainter(&w->WindowBitmap).fillRect(100, 100, 50, 50, Qt::red);
    expectComposedAnew("drawn over between frames", true);

    settle();
    PaintGradient(Host, 7);
    expectComposedAnew("another desktop", false);
    settle();
    ActiveWindow = nullptr;
    expectComposedAnew("no longer active", false);
    settle();
    w->OpenFile(Folder.Write("other.log", "another file\n"));
    expectComposedAnew("another file", false);
}

} // namespace glimra

namespace glimra {
namespace {

// A window that keeps what each of its paints covered.
class TPaintRecordingForm : public TForm2 {
public:
    using TForm2::TForm2;
    QRegion Painted;

protected:
    void paintEvent(QPaintEvent* event) override {
        Painted += event->region();
        TForm2::paintEvent(event);
    }
};

// While Auto steps, the part the windows in front hide is left out of the paint but
// one step in thirty; what it missed is painted when the windows in front uncover it.
TEST_F(ViewerDisplayTest, AutoStepsLeaveOutWhatTheWindowsInFrontHide) {
    auto w = AutoWindow<TPaintRecordingForm>();
    ASSERT_TRUE(w->AutoMode);

    const QRect hidden(0, 80, 480, 270); // text only, no control under it
    Host.HiddenPart = hidden;
    const auto step = [&w] {
        w->Painted = {};
        w->AutoTimerTimer();
        QCoreApplication::processEvents();
    };
    // The step that paints the whole window comes round all the same: a stacking the
    // hub does not know of costs a moment, not the picture.
    bool whole = false;
    for (int n = 0; n < TForm2::WholeFrameEvery && !whole; ++n) {
        step();
        whole = w->Painted.intersects(hidden);
    }
    ASSERT_TRUE(whole);
    // The steps until the next one leave the hidden part out.
    QRegion painted;
    for (int n = 0; n < TForm2::WholeFrameEvery - 1; ++n) {
        step();
        ASSERT_FALSE(w->Painted.intersects(hidden)) << "step " << n;
        painted += w->Painted;
    }
    EXPECT_FALSE(painted.isEmpty());
    const QRegion missed = w->Unshown;
    EXPECT_TRUE(hidden.contains(missed.boundingRect()));
    EXPECT_GT(missed.boundingRect().width() * missed.boundingRect().height(), 20 * 200);

    // Uncovered: what was missed is painted, and nothing else.
    Host.HiddenPart = {};
    w->Painted = {};
    w->ShowUnshown();
    QCoreApplication::processEvents();
    EXPECT_EQ(w->Painted, w->mask().isEmpty() ? missed : missed & w->mask());
    EXPECT_TRUE(w->Unshown.isEmpty());

    // Out of Auto nothing is left out, and what was goes with the next frame.
    Host.HiddenPart = hidden;
    step();
    step();
    const QRegion pending = w->Unshown;
    ASSERT_FALSE(pending.isEmpty());
    w->GlimraButton3Click();
    ASSERT_FALSE(w->AutoMode);
    w->Painted = {};
    w->Redraw();
    QCoreApplication::processEvents();
    EXPECT_TRUE((pending - w->Painted).isEmpty());
    EXPECT_TRUE(w->Unshown.isEmpty());
}

} // namespace
// At a device pixel ratio of 2 the lines, the title and the captions are drawn for the
// device: a glyph's edge falls inside 2 x 2 blocks of device pixels, where a
// pixel-doubled picture has none.
TEST_F(ViewerDisplayTest, AtRatioTwoTheTextIsDrawnAtDeviceResolution) {
    if (!RunsAtRatioTwo())
        return;
    ASSERT_EQ(qApp->devicePixelRatio(), 2.0);
    auto w = ShownWindow<TForm2>(ManyLines(200));
    w->Redraw();
    // Modules and settings keep window pixels.
    EXPECT_EQ(w->WindowDib().Width, w->width());
    EXPECT_EQ(w->WindowDib().Height, w->height());
    QImage shown = w->grab().toImage();
    ASSERT_EQ(shown.size(), w->size() * 2);
    const QLine close = w->Skin->Glyphs(w->size()).front();
    ExpectFine(shown, {
                          {"lines", QRect(15, w->LineHeight + 15, 200, 5 * w->LineHeight), 50},
                          {"title", w->Skin->TitleText(w->size()).Rect, 20},
                          {"caption", w->Button(1)->geometry(), 5},
                          {"close glyph", QRect(close.p1(), close.p2()).normalized(), 3},
                      });

    // Beside the ink the rows show the composition, each window pixel whole.
    const QImage& picture = w->WindowBitmap;
    const QRect clear(250, w->LineHeight + 15, 150, 5 * w->LineHeight);
    int unlike = 0;
    for (int y = clear.top(); y <= clear.bottom(); ++y)
        for (int x = clear.left(); x <= clear.right(); ++x)
            for (QPoint d : {QPoint(0, 0), QPoint(1, 0), QPoint(0, 1), QPoint(1, 1)})
                unlike += shown.pixel(2 * x + d.x(), 2 * y + d.y()) != picture.pixel(x, y);
    EXPECT_EQ(unlike, 0);

    // The title under the light that runs along the top in Auto.
    w->GlimraButton3Click();
    const QRect title = w->Skin->TitleText(w->size()).Rect;
    while (w->Light.GetPosition() < title.left() + 40)
        w->Redraw();
    const QRect band(w->Light.GetPosition(), w->Light.GetTop(), w->Light.GetBandWidth(),
                     w->Light.GetBandHeight());
    w->Redraw();
    shown = w->grab().toImage();
    EXPECT_GE(SplitPixels(shown, band & title), 10) << "title under the light";
    w->GlimraButton3Click();

    // A badge's words, beside its caption: "Attention!" under the mark.
    TGlimraDC& badge = *w->GlimraDC1;
    badge.move((w->width() - badge.width()) / 2, (w->height() - badge.height()) / 2);
    badge.show();
    w->Redraw();
    shown = w->grab().toImage();
    EXPECT_GE(SplitPixels(shown, QRect(badge.x() + 60, badge.y() + 132, 80, 16)), 20) << "badge";
    badge.hide();

    // An open menu's captions, the lit one too, and a check mark.
    w->FileMenu->Items[0]->Checked = true;
    w->GlimraButton1Click();
    TGlimraCPopupMenu& menu = *w->FileMenu;
    ASSERT_TRUE(menu.Shown());
    // Beside the lines: their finer ink shows through the menu.
    menu.Popup(w->width() / 2, menu.Y);
    menu.MouseEvent(false, menu.Y + menu.Layout().RowMiddle(2), menu.X + 20);
    ASSERT_EQ(menu.HotIndex, 2);
    shown = w->grab().toImage();
    const TMenuLayout& rows = menu.Layout();
    const auto caption = [&](int row) {
        return QRect(menu.X + TMenuLayout::CaptionLeft, menu.Y + rows.RowTop(row), 40,
                     rows.ItemHeight);
    };
    ExpectFine(shown,
               {
                   {"NEW", caption(0), 20},
                   {"Save File., lit", caption(2), 20},
                   {"check mark", QRect(menu.X + 9, menu.Y + rows.RowMiddle(0) - 3, 5, 5), 5},
               });
    menu.CloseUp();

    // Unwrapped lines run on under what is laid over them: the scroll bar, a badge's
    // darkened window, a light that darkens.
    std::string wide;
    for (int i = 0; i < 60; ++i)
        wide += "wide " + std::string(200, "mwx"[i % 3]) + "\n";
    Host.Values.WordWrap = false;
    // In the live look each device pixel takes the alpha its window pixel would.
    for (const bool live : {false, true}) {
        SCOPED_TRACE(live ? "live" : "captured");
        if (live)
            Host.Look = TBackdrop(LiveShade(2, {1, 1, 1, false}));
        const TLiveShade* shade = Host.Look.LiveShade();
        // Rendered with its alpha, as the window system would take it.
        const auto rendered = [](QWidget& widget) {
            QImage image(widget.size() * 2, QImage::Format_ARGB32_Premultiplied);
            image.setDevicePixelRatio(2);
            image.fill(Qt::transparent);
            widget.render(&image);
            return image;
        };
        const auto seen = [shade](const QImage& picture) {
            if (!shade)
                return picture;
            QImage alpha(picture.size(), QImage::Format_ARGB32_Premultiplied);
            CopyToPremultiplied(ViewOf(picture), ViewOf(picture).Rect(), *shade, nullptr,
                                alpha.bits(), alpha.bytesPerLine());
            return alpha;
        };
        auto v = ShownWindow<TForm2>(Folder.Write("wide.log", wide));
        v->GlimraDC1->move(60, 60);
        v->GlimraDC1->show();
        v->Redraw();
        const QImage still = rendered(*v);
        const QImage stillPicture = v->WindowBitmap.copy();
        v->GlimraButton3Click();
        v->Light.StepUp = -20;
        v->Light.SetTop(2 * v->LineHeight + 15);
        v->Light.ResetPosition();
        v->Redraw();
        const QRect dark(v->Light.GetPosition(), v->Light.GetTop(), v->Light.GetBandWidth(),
                         v->Light.GetBandHeight());
        v->Redraw();
        const QImage lit = rendered(*v);
        const QRect lines(15, 2 * v->LineHeight + 15, v->width() - 45, 5 * v->LineHeight);
        const QPoint badgeAt = v->GlimraDC1->pos();
        const struct {
            const char* What;
            const QImage& Shown;
            QRect Area;
            const QImage& Picture; // the window pixels shown there, from Origin
            QPoint Origin;
        } under[] = {
            {"scroll bar",
             still,
             QRect(v->MiniScrollBar1.Painted().Left, lines.top(), 9, lines.height()),
             stillPicture,
             {}},
            {"badge's corner", still, QRect(badgeAt, QSize(30, 30)), v->GlimraDC1->Composed(),
             badgeAt},
            {"darkening light", lit, dark, v->WindowBitmap, {}},
        };
        for (const auto& area : under) {
            EXPECT_GE(SplitPixels(area.Shown, area.Area), area.Area.width()) << area.What;
            // Away from the ink each window pixel shows whole what the window pixels hold.
            const QImage picture = seen(area.Picture);
            int unlike = 0, beside = 0;
            for (int y = area.Area.top(); y <= area.Area.bottom(); ++y)
                for (int x = area.Area.left(); x <= area.Area.right(); ++x) {
                    const QPoint at = QPoint(x, y) - area.Origin;
                    bool flat = true;
                    for (int d = 0; d < 9; ++d) {
                        const QPoint n = at + QPoint(d % 3 - 1, d / 3 - 1);
                        flat = flat && (!picture.valid(n) || picture.pixel(n) == picture.pixel(at));
                    }
                    if (!flat)
                        continue;
                    ++beside;
                    for (QPoint d : {QPoint(0, 0), QPoint(1, 0), QPoint(0, 1), QPoint(1, 1)})
                        unlike +=
                            area.Shown.pixel(2 * x + d.x(), 2 * y + d.y()) != picture.pixel(at);
                }
            EXPECT_GT(beside, 0) << area.What;
            EXPECT_EQ(unlike, 0) << area.What;
        }
    }
}

} // namespace glimra
