#include "graphics/badges.h"
#include "graphics/cdib.h"
#include "graphics/light_painter.h"
#include "graphics/qt_pixels.h"
#include "gui_test_util.h"
#include "platform/screen_capture.h"

#include <QPainter>
#include <QPalette>
#include <QWidget>
#include <gtest/gtest.h>

namespace glimra {
namespace {

TEST(Cdib, PaddedRowsAndBrightness) {
    TCdib surface(1366, 3);
    ASSERT_TRUE(surface.IsValid());
    EXPECT_EQ(surface.Stride(), 4100);
    surface.View().Row(1)[4097] = 90; // red of the last pixel of row 1
    surface.AvR = 5;
    surface.AdjustBrightness(0);
    EXPECT_EQ(surface.View().Row(1)[4097], 85);
    EXPECT_EQ(surface.View().Row(2)[0], 0);
    surface.Clear();
    EXPECT_EQ(surface.View().Row(1)[4097], 0);
}

TEST(Cdib, DrawCopiesThePieceAndBlackensWhatLiesBeyond) {
    TCdib surface(100, 50);
    surface.View().Row(10)[20 * 3] = 77;
    QImage target(30, 30, QImage::Format_BGR888);
    target.fill(Qt::white);
    surface.Draw(target, 0, 0, 20, 10, 30, 30);
    EXPECT_EQ(qBlue(target.pixel(0, 0)), 77);
    // Window partly off the screen: the part beyond the surface is black.
    target.fill(Qt::white);
    surface.Draw(target, 0, 0, 90, 40, 30, 30);
    EXPECT_EQ(target.pixel(15, 15), qRgb(0, 0, 0));
    EXPECT_EQ(target.pixel(5, 5), qRgb(0, 0, 0));

    QImage painted(30, 30, QImage::Format_RGB32);
    painted.fill(Qt::white);
    QPainter painter(&painted);
    surface.Draw(painter, 0, 0, 20, 10, 30, 30);
    painter.end();
    EXPECT_EQ(qBlue(painted.pixel(0, 0)), 77);
}

TEST(Cdib, ResizingAndLargeScreens) {
    TCdib surface(4, 4);
    surface.View().Row(0)[0] = 9;
    surface.SetHeight(4); // same height: nothing happens
    EXPECT_EQ(surface.View().Row(0)[0], 9);
    surface.SetHeight(3000); // taller than any fixed table of rows
    surface.SetWidth(2);
    EXPECT_EQ(surface.Height(), 3000);
    EXPECT_EQ(surface.Stride(), 8);
    surface.View().Row(2999)[5] = 200;
    surface.AdjustBrightness(1);
    EXPECT_EQ(surface.View().Row(2999)[5], 180);

    TCdib big(8000, 4000);
    ASSERT_TRUE(big.IsValid());
    big.View().Row(3999)[7999 * 3 + 2] = 255;
    big.AvReverse = true;
    big.AdjustBrightness(13);
    EXPECT_EQ(big.View().Row(0)[0], 255);

    TCdib tiny(1, 1);
    tiny.AdjustBrightness(3);
    QImage target(5, 5, QImage::Format_BGR888);
    tiny.Draw(target, -3, 2, 0, 0, 5, 5);
    TCdib none(0, 0);
    EXPECT_FALSE(none.IsValid());
    none.AdjustBrightness(3);
    none.Clear();
}

TEST(ScreenCapture, GrabsTheScreenWithTheWindowsOnIt) {
    const TSize screen = PrimaryScreenSize();
    QWidget window(nullptr, Qt::FramelessWindowHint);
    window.setAutoFillBackground(true);
    window.setPalette(QPalette(QColor(10, 200, 30)));
    window.setGeometry(40, 30, 60, 50);
    window.show();
    ASSERT_TRUE(WaitFor([&] { return window.isVisible(); }));
    QCoreApplication::processEvents();
    const QImage shot = GrabScreen();
    ASSERT_EQ(shot.size(), QSize(screen.Width, screen.Height));
    EXPECT_EQ(shot.pixel(70, 55), qRgb(10, 200, 30));

    // The surface takes the picture clipped to its size; no picture leaves it black.
    TCdib surface(64, 48);
    surface.Assign(shot);
    EXPECT_EQ(surface.View().Row(40)[50 * 3 + 1], 200);
    surface.Assign(QImage());
    EXPECT_EQ(surface.View().Row(40)[50 * 3 + 1], 0);
}

TEST(Badges, PicturesWithMasksThatHideTheSurround) {
    for (const TBadge& badge : {UpdateBadge(), DangerBadge()}) {
        ASSERT_EQ(badge.Picture.size(), QSize(200, 200));
        ASSERT_EQ(badge.Picture.format(), QImage::Format_BGR888);
        ASSERT_EQ(badge.Mask.size(), QSize(200, 200));
        const TMaskView mask = MaskViewOf(badge.Mask);
        EXPECT_TRUE(mask.White(0, 0));
        EXPECT_TRUE(mask.White(199, 199) || mask.White(0, 199));
        EXPECT_FALSE(mask.White(100, 100));
        EXPECT_EQ(badge.Picture.pixel(0, 0), qRgb(0, 0, 0));
    }
    const QImage update = UpdateBadge().Picture;
    int yellow = 0, white = 0;
    for (int y = 0; y < 200; ++y)
        for (int x = 0; x < 200; ++x) {
            yellow += update.pixel(x, y) == qRgb(255, 255, 0);
            white += update.pixel(x, y) == qRgb(255, 255, 255);
        }
    EXPECT_GT(yellow, 3000); // the inner triangle
    EXPECT_GT(white, 3000);  // the band around it
    const QImage danger = DangerBadge().Picture;
    int red = 0;
    for (int x = 0; x < 200; ++x)
        red += qRed(danger.pixel(x, 25)) > 200 && qGreen(danger.pixel(x, 25)) < 60;
    EXPECT_GT(red, 100); // the top outline
}

TEST(WarningLight, SweepsOntoAPainter) {
    QImage target(10, 4, QImage::Format_BGR888);
    target.fill(QColor(0, 0, 0));
    QImage screen(10, 4, QImage::Format_RGB32);
    screen.fill(Qt::black);
    TWarningLight light;
    light.SetSize(4, 2);
    light.SetTop(1);
    QPainter painter(&screen);
    SweepTo(light, target, painter);
    painter.end();
    // The last band starts at column 8: ramp 0 there, 10 at column 9.
    EXPECT_EQ(qRed(screen.pixel(8, 1)), 0);
    EXPECT_EQ(qRed(screen.pixel(9, 2)), 10);
    EXPECT_EQ(qRed(screen.pixel(9, 3)), 0);
    EXPECT_EQ(qRed(target.pixel(9, 1)), 0);
}

} // namespace
} // namespace glimra
