#include "viewer/line_images.h"

#include <QFont>
#include <gtest/gtest.h>

#include <string>

namespace glimra {
namespace {

TLineImages::TKey WideKey() {
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setPixelSize(30);
    return {font, Qt::white, 2000, 40};
}

std::u32string Solid(int n) {
    std::u32string text(60, U'M');
    for (char c : std::to_string(n))
        text += static_cast<char32_t>(c);
    return text;
}

// A ticker running through a short log draws each line once however often it comes
// round; a long run of big lines stays within the budget, the longest unseen going
// first, while the lines of the last frame are never dropped.
TEST(LineImages, KeepsLinesThatComeBackWithinABudget) {
    TLineImages images;
    const TLineImages::TKey key = WideKey();
    for (int frame = 0; frame < 30; ++frame) {
        images.BeginFrame(key);
        for (int row = 0; row < 3; ++row) {
            const int index = (frame + row) % 10;
            images.Line(static_cast<std::size_t>(index), Solid(index));
        }
    }
    EXPECT_EQ(images.Drawn(), 10);

    // Lines of some 20 000 ink pixels each: more than the budget holds.
    for (int index = 100; index < 300; ++index) {
        images.BeginFrame(key);
        const TInkPicture& ink = images.Line(static_cast<std::size_t>(index), Solid(index));
        ASSERT_GT(ink.Pixels(), 15000u);
    }
    const long long drawn = images.Drawn();
    images.BeginFrame(key);
    images.Line(299, Solid(299));
    images.Line(298, Solid(298));
    EXPECT_EQ(images.Drawn(), drawn);
    images.Line(100, Solid(100));
    EXPECT_EQ(images.Drawn(), drawn + 1);
}

// Under one version of the lines the text is not even read; a new version reads it,
// draws the lines whose text changed and keeps the others.
TEST(LineImages, ReadsTheTextOnlyWhenTheLinesChanged) {
    TLineImages images;
    const TLineImages::TKey key = WideKey();
    std::u32string texts[3] = {Solid(0), Solid(1), Solid(2)};
    int reads = 0;
    const auto frame = [&](std::uint64_t version) {
        images.BeginFrame(key);
        for (std::size_t i = 0; i < 3; ++i)
            images.Line(i, version, [&] {
                ++reads;
                return texts[i];
            });
    };
    frame(1);
    frame(1);
    EXPECT_EQ(reads, 3);
    EXPECT_EQ(images.Drawn(), 3);

    texts[1] = Solid(7);
    frame(2);
    EXPECT_EQ(reads, 6);
    EXPECT_EQ(images.Drawn(), 4);
    // Drawn with a text of unknown version: the next frame reads it again.
    images.BeginFrame(key);
    images.Line(0, Solid(5));
    frame(2);
    EXPECT_EQ(reads, 7);
    EXPECT_EQ(images.Drawn(), 6);
}

} // namespace
} // namespace glimra
