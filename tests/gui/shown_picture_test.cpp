#include "viewer/shown_picture.h"

#include <gtest/gtest.h>

namespace glimra {
namespace {

QImage Picture(int width, int height) {
    QImage picture(width, height, QImage::Format_BGR888);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            picture.setPixel(x, y, qRgb(x * 7 & 255, y * 11 & 255, (x + y) & 255));
    return picture;
}

// Only what a paint kept counts as shown, and one pixel that differs from it has the
// whole region painted; a picture of another size is shown nowhere.
TEST(ShownPicture, KnowsOnlyWhatItsPaintsKept) {
    TShownPicture shown;
    QImage picture = Picture(40, 30);
    const QRegion text(5, 5, 10, 10);
    const QRegion bar(20, 5, 10, 10);
    EXPECT_EQ(shown.Differing(picture, text), text);

    shown.Painted(picture, text);
    EXPECT_TRUE(shown.Differing(picture, text).isEmpty());
    EXPECT_EQ(shown.Differing(picture, text + bar), bar);
    // A change outside the region asked about is none of its business.
    picture.setPixel(39, 29, qRgb(1, 2, 3));
    EXPECT_TRUE(shown.Differing(picture, text).isEmpty());
    picture.setPixel(14, 14, qRgb(1, 2, 3));
    EXPECT_EQ(shown.Differing(picture, text + bar), text + bar);

    // A paint that was not kept leaves its part unknown.
    shown.Painted(picture, text);
    shown.Forget(QRect(5, 5, 2, 2));
    EXPECT_EQ(shown.Differing(picture, text), QRegion(5, 5, 2, 2));

    // Kept only inside the picture.
    shown.Painted(picture, QRect(35, 25, 20, 20));
    EXPECT_TRUE(shown.Differing(picture, QRect(35, 25, 5, 5)).isEmpty());

    const QImage wider = Picture(50, 30);
    EXPECT_EQ(shown.Differing(wider, text), text);
    shown.Painted(wider, bar);
    EXPECT_EQ(shown.Differing(wider, text + bar), text);
}

} // namespace
} // namespace glimra
