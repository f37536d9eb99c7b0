#include "graphics/bitmap_owner.h"
#include "graphics/glimra_button.h"
#include "graphics/glimra_dc.h"
#include "graphics/glimra_edit.h"
#include "graphics/qt_pixels.h"

#include <QMouseEvent>
#include <QPainter>
#include <QStaticText>
#include <QTest>
#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <gtest/gtest.h>
#include <iterator>

namespace glimra {
namespace {

// A window that fills its composition bitmap with one grey, or a gradient.
class TOwner : public QWidget, public TBitmapOwner {
public:
    TOwner(int w, int h, int grey) : Bitmap(w, h, QImage::Format_BGR888) {
        resize(w, h);
        Bitmap.fill(QColor(grey, grey, grey));
    }
    const QImage& OwnerBitmap() const override { return Bitmap; }
    QImage Bitmap;
};

int BlueAt(const QImage& image, int x, int y) {
    return qBlue(image.pixel(x, y));
}

void MoveTo(QWidget* w, QPoint at) {
    QMouseEvent move(QEvent::MouseMove, at, w->mapToGlobal(at), Qt::NoButton, Qt::NoButton,
                     Qt::NoModifier);
    QCoreApplication::sendEvent(w, &move);
}

void Leave(QWidget* w) {
    QEvent leave(QEvent::Leave);
    QCoreApplication::sendEvent(w, &leave);
}

TEST(GlimraButton, HighlightPassesFromOneButtonToTheNext) {
    TOwner owner(400, 60, 100);
    TGlimraButton first(&owner), second(&owner);
    TGlimraDC picture(&owner); // a sibling that is no button ignores the notice
    first.setGeometry(24, 15, 75, 11);
    second.setGeometry(100, 15, 75, 11);
    int entered = 0, exited = 0;
    first.OnExit = [&](TGlimraButton& b) {
        EXPECT_EQ(&b, &first);
        ++exited;
    };
    second.OnEnter = [&](TGlimraButton&) { ++entered; };
    first.UpdateBackground();
    second.UpdateBackground();
    EXPECT_EQ(BlueAt(first.Composed(), 5, 5), 100 - 21);

    MoveTo(&first, {5, 5});
    EXPECT_TRUE(first.Highlighted());
    EXPECT_TRUE(first.DrawRectLine());
    EXPECT_EQ(first.cursor().shape(), Qt::PointingHandCursor);
    EXPECT_EQ(BlueAt(first.Composed(), 5, 5), 100 - 41);

    // Straight onto the second: no leave reaches the first.
    MoveTo(&second, {5, 5});
    EXPECT_TRUE(second.Highlighted());
    EXPECT_FALSE(first.Highlighted());
    EXPECT_FALSE(first.DrawRectLine());
    EXPECT_EQ(first.cursor().shape(), Qt::ArrowCursor);
    EXPECT_EQ(BlueAt(first.Composed(), 5, 5), 100 - 21);
    EXPECT_EQ(first.Transparent(), 1);
    EXPECT_EQ(entered, 1);
    EXPECT_EQ(exited, 1);

    // A move outside while the pointer is grabbed ends the highlight too.
    MoveTo(&second, {-3, 5});
    EXPECT_FALSE(second.Highlighted());
}

TEST(GlimraButton, HighlightLevelAndNonFocusableButtons) {
    TOwner owner(200, 60, 200);
    TGlimraButton button(&owner);
    button.setGeometry(10, 10, 75, 11);
    button.SetTransparent(4);
    button.UpdateBackground();
    button.Highlight();
    EXPECT_EQ(BlueAt(button.Composed(), 1, 1), 200 - 101); // level 5
    button.SetTransparent(7);
    button.Unhighlight();
    button.Highlight();
    EXPECT_EQ(BlueAt(button.Composed(), 1, 1), 200 - 41); // level 2
    button.Unhighlight();

    int exits = 0;
    button.OnExit = [&](TGlimraButton&) { ++exits; };
    button.SetFocusable(false);
    MoveTo(&button, {3, 3});
    EXPECT_FALSE(button.Highlighted());
    Leave(&button);
    EXPECT_EQ(exits, 1);
    EXPECT_EQ(BlueAt(button.Composed(), 1, 1), 200 - 141); // its own level 7
}

TEST(GlimraDC, ZoomMagnifiesTheMiddleOfTheBackground) {
    TOwner owner(300, 200, 0);
    for (int y = 0; y < 200; ++y)
        for (int x = 0; x < 300; ++x)
            owner.Bitmap.setPixel(x, y, qRgb(y, 0, x));
    TGlimraDC dc(&owner);
    dc.setGeometry(50, 40, 100, 50);
    dc.SetZoom(10);
    dc.SetTransparent(0);
    dc.SetReverse(true); // level 0 lightening subtracts nothing
    dc.UpdateBackground();
    ASSERT_EQ(dc.BackImage().size(), QSize(60, 30));
    // The 60 × 30 area from (70, 50) covers the whole control.
    EXPECT_EQ(BlueAt(dc.Composed(), 0, 0), 70);
    EXPECT_EQ(qRed(dc.Composed().pixel(0, 0)), 50);
    EXPECT_EQ(BlueAt(dc.Composed(), 99, 49), 129);
    EXPECT_EQ(qRed(dc.Composed().pixel(99, 49)), 79);

    dc.resize(50, 60);
    dc.SetZoom(30); // refused: not less than 50 − 30
    EXPECT_EQ(dc.Zoom(), 10);
    dc.resize(40, 40);
    dc.SetZoom(19);
    dc.resize(50, 60);
    EXPECT_EQ(dc.Zoom(), 19);
}

TEST(GlimraDC, ZoomThatNoLongerFitsShrinksOnResize) {
    TOwner owner(300, 200, 0);
    owner.show(); // hidden widgets get their resize events only when shown
    TGlimraDC dc(&owner);
    dc.show();
    dc.resize(100, 100);
    dc.SetZoom(30);
    dc.resize(50, 60);
    EXPECT_EQ(dc.Zoom(), 24);
    dc.resize(3, 3);
    EXPECT_EQ(dc.size(), QSize(10, 10));
}

TEST(GlimraDC, MaskedPictureAndOutsideParent) {
    TOwner owner(100, 100, 0);
    TGlimraDC dc(&owner);
    dc.setGeometry(0, 0, 20, 20);
    QImage pic(20, 20, QImage::Format_RGB32);
    pic.fill(QColor(200, 200, 200));
    QImage mask(20, 20, QImage::Format_RGB32);
    mask.fill(Qt::black);
    mask.setPixel(0, 0, qRgb(255, 255, 255));
    dc.SetPicture(pic);
    dc.SetMask(mask);
    dc.SetUseMask(true);
    dc.SetBlendLevel(100);
    dc.SetReverse(true);
    dc.SetTransparent(0);
    dc.UpdateBackground();
    EXPECT_EQ(BlueAt(dc.Composed(), 0, 0), 0);
    EXPECT_EQ(BlueAt(dc.Composed(), 1, 0), 200);

    TGlimraDC away(&owner);
    away.setGeometry(100, 0, 20, 20);
    away.UpdateBackground();
    away.Compose(1);
    EXPECT_TRUE(away.Composed().isNull());
    EXPECT_FALSE(away.IsInParent());

    // AutoSize takes the picture's size whichever way it changes.
    dc.SetAutoSize(true);
    dc.resize(60, 60);
    dc.SetAutoSize(false);
    EXPECT_EQ(dc.size(), QSize(20, 20));
}

// Over the same window pixels a control keeps its picture; a new blend level, a new
// picture or a change under it alone make it blend again.
TEST(GlimraDC, BlendsAgainOnlyWhenWhatItBlendsChanged) {
    TOwner owner(100, 100, 100);
    TGlimraDC dc(&owner);
    dc.setGeometry(10, 10, 20, 20);
    QImage pic(20, 20, QImage::Format_RGB32);
    pic.fill(QColor(200, 200, 200));
    dc.SetPicture(pic);
    dc.SetTransparent(0);
    dc.SetReverse(true);
    dc.SetBlendLevel(50);
    ASSERT_TRUE(dc.UpdateBackground());
    EXPECT_EQ(BlueAt(dc.BackImage(), 5, 5), 150);
    EXPECT_FALSE(dc.UpdateBackground());

    dc.SetBlendLevel(100);
    EXPECT_TRUE(dc.UpdateBackground());
    EXPECT_EQ(BlueAt(dc.BackImage(), 5, 5), 200);

    pic.fill(QColor(0, 0, 0));
    dc.SetPicture(pic);
    EXPECT_TRUE(dc.UpdateBackground());
    EXPECT_EQ(BlueAt(dc.BackImage(), 5, 5), 0);

    dc.SetBlendLevel(50);
    owner.Bitmap.setPixel(15, 15, qRgb(50, 50, 50));
    EXPECT_TRUE(dc.UpdateBackground());
    EXPECT_EQ(BlueAt(dc.BackImage(), 5, 5), 25);
    EXPECT_EQ(BlueAt(dc.BackImage(), 6, 6), 50);
}

TEST(GlimraDC, PaintingShowsComposedImageAndFrame) {
    TOwner owner(200, 100, 100);
    TGlimraDC dc(&owner);
    dc.setGeometry(10, 10, 75, 25);
    dc.UpdateBackground();
    dc.SetDrawRectLine(true);
    dc.SetRectColor(clRed);
    const QImage shot = dc.grab().toImage();
    EXPECT_EQ(qRed(shot.pixel(0, 0)), 255);
    EXPECT_EQ(qBlue(shot.pixel(0, 0)), 0);
    EXPECT_EQ(qBlue(shot.pixel(74, 24)), 0);
    EXPECT_EQ(qBlue(shot.pixel(3, 3)), 100 - 21);
}

int Threads() {
    return static_cast<int>(std::distance(std::filesystem::directory_iterator("/proc/self/task"),
                                          std::filesystem::directory_iterator()));
}

// A badge over the text is painted again with every change under it: its picture is
// shown pixel for pixel, converted on this thread, never through the painter's helpers.
TEST(GlimraDC, ABigBadgeIsShownExactlyWithoutHelperThreads) {
    TOwner owner(400, 300, 0);
    for (int y = 0; y < 300; ++y)
        for (int x = 0; x < 400; ++x)
            owner.Bitmap.setPixel(x, y, qRgb(x % 256, y % 256, (x + y) % 256));
    TGlimraDC dc(&owner);
    dc.setGeometry(40, 30, 300, 250);
    dc.SetBlendLevel(50);
    ASSERT_TRUE(dc.UpdateBackground());
    const int before = Threads();
    const QImage shot = dc.grab().toImage().convertToFormat(QImage::Format_RGB32);
    EXPECT_EQ(Threads(), before);
    EXPECT_EQ(shot, dc.Composed().convertToFormat(QImage::Format_RGB32));
}

// Frames repaint the controls often: the caption is laid out again only when its
// text or font changed, and the text still shows after every change.
TEST(GlimraDC, CaptionIsLaidOutOncePerTextAndFont) {
    TOwner owner(200, 100, 0);
    TGlimraDC dc(&owner);
    dc.setGeometry(10, 10, 75, 25);
    dc.UpdateBackground();
    dc.SetFontColor(clWhite);
    dc.SetCaption(QStringLiteral("Auto"));
    const auto lit = [](const QImage& shot) {
        int count = 0;
        for (int y = 0; y < shot.height(); ++y)
            for (int x = 0; x < shot.width(); ++x)
                count += qGreen(shot.pixel(x, y)) > 128;
        return count;
    };
    const QImage first = dc.grab().toImage();
    EXPECT_GT(lit(first), 0);
    EXPECT_EQ(dc.grab().toImage(), first);
    EXPECT_EQ(dc.CaptionLayoutCount(), 1);
    QFont bigger = dc.font();
    bigger.setPointSize(bigger.pointSize() + 4);
    dc.setFont(bigger);
    EXPECT_GT(lit(dc.grab().toImage()), lit(first));
    dc.SetCaption(QStringLiteral("Auto scroll"));
    dc.grab();
    dc.grab();
    EXPECT_EQ(dc.CaptionLayoutCount(), 3);
}

// The caption is laid over the composed picture as ink drawn once: in its place and
// looking as the painter draws it there, over a background that changes under it, in
// the corner of a zoomed control too.
TEST(GlimraDC, TheCaptionLooksAsThePainterDrawsIt) {
    TOwner owner(200, 100, 0);
    for (int y = 0; y < 100; ++y)
        for (int x = 0; x < 200; ++x)
            owner.Bitmap.setPixel(x, y, qRgb((x * 5) % 256, (y * 9) % 256, (x + y) % 256));
    TGlimraDC dc(&owner);
    dc.SetFontColor(clYellow);
    dc.SetCaption(QStringLiteral("Wjgy Auto"));
    for (const int zoom : {0, 3}) {
        dc.setGeometry(10, 10, 90, 30);
        dc.SetZoom(zoom);
        ASSERT_TRUE(dc.UpdateBackground());
        const QImage shot = dc.grab().toImage().convertToFormat(QImage::Format_RGB32);
        QImage expected = dc.Composed().convertToFormat(QImage::Format_RGB32);
        {
            QPainter painter(&expected);
            painter.setFont(dc.font());
            painter.setPen(QColor(255, 255, 0));
            const QStaticText text(dc.Caption());
            const TPoint at =
                CaptionPosition(dc.width(), dc.height(), static_cast<int>(text.size().width()),
                                QFontMetrics(dc.font()).height(), dc.Zoom());
            painter.drawStaticText(at.X, at.Y, text);
        }
        ASSERT_EQ(shot.size(), expected.size());
        int worst = 0, inked = 0;
        for (int y = 0; y < shot.height(); ++y)
            for (int x = 0; x < shot.width(); ++x) {
                const QRgb a = shot.pixel(x, y), b = expected.pixel(x, y);
                worst = std::max({worst, std::abs(qRed(a) - qRed(b)),
                                  std::abs(qGreen(a) - qGreen(b)), std::abs(qBlue(a) - qBlue(b))});
                inked += a != dc.Composed().pixel(x, y);
            }
        EXPECT_LE(worst, 2) << "zoom " << zoom;
        EXPECT_GT(inked, 20) << "zoom " << zoom;
    }
}

TEST(GlimraEdit, BottomAlignmentInItsOwner) {
    TOwner owner(472, 323, 0);
    owner.show();
    TGlimraEdit edit(&owner);
    edit.setGeometry(0, 0, 409, 23);
    edit.SetAlignExtention(geaBottom);
    EXPECT_EQ(edit.geometry(), QRect(10, 290, 452, 23));
    owner.resize(300, 200); // the owner's resize moves it along
    EXPECT_EQ(edit.geometry(), QRect(10, 167, 280, 23));
    edit.SetAlignExtention(geaNone);
    owner.resize(500, 500);
    EXPECT_EQ(edit.geometry(), QRect(10, 167, 280, 23));
}

TEST(GlimraEdit, FocusedEditPaintsPlainAndSkinReturnsAfterwards) {
    TOwner owner(300, 100, 0);
    owner.Bitmap.fill(QColor(0, 0, 220));
    TGlimraEdit edit(&owner);
    TGlimraButton other(&owner);
    edit.setGeometry(10, 10, 200, 23);
    other.setGeometry(10, 50, 75, 11);
    other.setFocusPolicy(Qt::StrongFocus);
    edit.setText(QStringLiteral("abc"));
    edit.SetFontColor(clYellow);
    owner.show();
    owner.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&owner));
    edit.UpdateBackground();
    other.setFocus();
    QCoreApplication::processEvents();
    ASSERT_FALSE(edit.hasFocus());
    const QImage skin = edit.grab().toImage();
    EXPECT_EQ(qBlue(skin.pixel(150, 15)), 220 - 21);

    edit.setFocus();
    QCoreApplication::processEvents();
    ASSERT_TRUE(edit.hasFocus());
    const QImage plain = edit.grab().toImage();
    EXPECT_EQ(plain.pixel(150, 12), edit.palette().color(QPalette::Base).rgb());

    other.setFocus();
    QCoreApplication::processEvents();
    const QImage again = edit.grab().toImage();
    EXPECT_EQ(qBlue(again.pixel(150, 15)), 220 - 21);
    // The text is drawn at (2, 2) in the font colour.
    bool yellow = false;
    for (int y = 2; y < 20; ++y)
        for (int x = 2; x < 30; ++x)
            yellow = yellow || (qRed(again.pixel(x, y)) > 200 && qGreen(again.pixel(x, y)) > 200);
    EXPECT_TRUE(yellow);
    EXPECT_EQ(qGreen(again.pixel(1, 1)), 0);
}

} // namespace
} // namespace glimra
