#include "tessel/line_buffer_view.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace glimra::tessel {
namespace {

// A host that records what the module asks of it and keeps what it blends.
struct HostDouble {
    std::vector<std::string> Calls;
    std::vector<std::string> Lines;
    std::int32_t TopLine = 0;
    std::int32_t ScrollMax = 0;
    std::vector<std::int32_t> WrapIndices;
    DibBitmap Blended; // the picture handed to Blend
    DibBitmap Grid;    // and to BlendMask
    DibBitmap Mask;
    double BlendAlpha = 0, MaskAlpha = 0;
    std::int32_t BlendX = -1, BlendY = -1, MaskX = -1, MaskY = -1;
    std::string Text;
};
HostDouble* host = nullptr;
std::uint32_t now = 0;

DibBitmap CopyOf(const GlimraDib* d) {
    DibBitmap b(d->Width, d->Height, d->BitCount);
    for (std::int32_t y = 0; y < d->Height; ++y)
        std::copy(d->Bits + y * d->Stride, d->Bits + (y + 1) * d->Stride, b.Row(y));
    return b;
}

void LinesProperty(void*, std::int32_t* lineHeight, std::int32_t* topLine,
                   std::int32_t* scrollMax) {
    host->Calls.push_back("LinesProperty");
    *lineHeight = 12;
    *topLine = host->TopLine;
    *scrollMax = host->ScrollMax;
}
const char* WrapText(void*, std::int32_t index) {
    host->WrapIndices.push_back(index);
    host->Text =
        index >= 0 && std::size_t(index) < host->Lines.size() ? host->Lines[index] : "error.";
    return host->Text.c_str();
}
void Blend(void*, std::int32_t x, std::int32_t y, GlimraDib* bitmap, double alpha, std::uint8_t l,
           std::uint8_t c) {
    host->Calls.push_back("Blend" + std::to_string(l) + std::to_string(c));
    host->Blended = CopyOf(bitmap);
    host->BlendX = x;
    host->BlendY = y;
    host->BlendAlpha = alpha;
}
void BlendMask(void*, std::int32_t x, std::int32_t y, GlimraDib* bitmap, GlimraDib* mask,
               double alpha, std::uint8_t l, std::uint8_t c) {
    host->Calls.push_back("BlendMask" + std::to_string(l) + std::to_string(c));
    host->Grid = CopyOf(bitmap);
    host->Mask = CopyOf(mask);
    host->MaskX = x;
    host->MaskY = y;
    host->MaskAlpha = alpha;
}

constexpr std::uint32_t Blue = 0x0000ff, Red = 0xff0000, Back = 0x102030;

class TesselDraw : public ::testing::Test {
protected:
    void SetUp() override {
        host = &double_;
        Host() = {};
        Host().LinesProperty = LinesProperty;
        Host().WrapText = WrapText;
        Host().Blend = Blend;
        Host().BlendMask = BlendMask;
        TModule::TickSource = [] { return now; };
        now = 5000; // past the first period: no dot unless a test asks for one
        for (std::int32_t y = 0; y < dc_.Height(); ++y)
            for (std::int32_t x = 0; x < dc_.Width(); ++x)
                dc_.SetPixel(x, y, Back);
    }
    void TearDown() override {
        Host() = {};
        host = nullptr;
    }
    void Draw() { module_.DrawToBitmap(dc_.Dib()); }
    // Where the work picture shows a stroke of this colour on row y.
    std::vector<int> Row(int y, std::uint32_t colour) {
        std::vector<int> xs;
        for (int x = 0; x < 64; ++x)
            if (double_.Blended.Pixel(x, y) == colour)
                xs.push_back(x);
        return xs;
    }
    static std::vector<int> Span(int from, int to) {
        std::vector<int> xs;
        for (int x = from; x <= to; ++x)
            xs.push_back(x);
        return xs;
    }

    HostDouble double_;
    DibBitmap dc_{200, 150, 24};
    TModule module_{reinterpret_cast<void*>(0x1234)};
};

TEST_F(TesselDraw, BlendsTheGridThenTheWorkPictureAtSeventyPercentWhereTheAreaIs) {
    module_.Left = 30;
    module_.Top = 40;
    Draw();
    EXPECT_EQ(double_.Calls, (std::vector<std::string>{"LinesProperty", "BlendMask00", "Blend00"}));
    EXPECT_DOUBLE_EQ(double_.MaskAlpha, 0.7);
    EXPECT_DOUBLE_EQ(double_.BlendAlpha, 0.7);
    EXPECT_EQ(double_.MaskX, 30);
    EXPECT_EQ(double_.MaskY, 40);
    EXPECT_EQ(double_.BlendX, 30);
    EXPECT_EQ(double_.BlendY, 40);
    EXPECT_EQ(double_.Grid.BitCount(), 24);
    EXPECT_EQ(double_.Grid.Pixel(7, 1), 0x406080u);
    EXPECT_EQ(double_.Mask.BitCount(), 1);
    EXPECT_TRUE(double_.Mask.Bit(7, 1));
    EXPECT_FALSE(double_.Mask.Bit(8, 2));
}

TEST_F(TesselDraw, WorkPictureStartsFromTheWindowUnderTheArea) {
    module_.Left = 150; // the square reaches past the window's right edge
    module_.Top = 100;
    dc_.SetPixel(150, 100, 0xabcdef);
    Draw();
    EXPECT_EQ(double_.Blended.Pixel(0, 0), 0xabcdefu);
    EXPECT_EQ(double_.Blended.Pixel(49, 49), Back);
    EXPECT_EQ(double_.Blended.Pixel(50, 0), 0u); // outside the window: untouched
}

TEST_F(TesselDraw, HiddenInstanceAsksAndDrawsNothing) {
    module_.Visible = 0;
    Draw();
    EXPECT_TRUE(double_.Calls.empty());
    EXPECT_TRUE(double_.WrapIndices.empty());
}

TEST_F(TesselDraw, WithoutScrollRangeNoStrokesAreDrawnButTheDotIs) {
    double_.ScrollMax = 0;
    double_.Lines = {"some text"};
    module_.LastTick = 4500;
    Draw();
    EXPECT_TRUE(double_.WrapIndices.empty());
    EXPECT_TRUE(Row(1, Blue).empty());
    EXPECT_EQ(double_.Blended.Pixel(57, 57), Back | Red);
}

TEST_F(TesselDraw, StrokesLeaveOutTheirEndPointAndAreCutAtTheSquare) {
    double_.ScrollMax = 10;
    double_.Lines = {std::string(100, 'x'), "", "ab", "1234567"};
    Draw();
    EXPECT_EQ(Row(1, Blue), Span(1, 61));
    EXPECT_TRUE(Row(3, Blue).empty()); // an empty line keeps its row
    EXPECT_EQ(Row(5, Blue), Span(1, 1));
    EXPECT_EQ(Row(7, Blue), Span(1, 6));
    EXPECT_EQ(Row(9, Blue), Span(1, 5)); // past the text the host answers "error."
    EXPECT_TRUE(Row(2, Blue).empty());   // rows between lines stay empty
}

TEST_F(TesselDraw, CharactersNotBytesMakeTheLength) {
    double_.ScrollMax = 1;
    double_.Lines = {"\xc3\xa4\xc3\xa4\xc3\xa4\xc3\xa4"}; // four a-umlauts
    Draw();
    EXPECT_EQ(Row(1, Blue), Span(1, 3));
}

TEST_F(TesselDraw, TheWordIsMarkedInRedWhateverItsCase) {
    double_.ScrollMax = 3;
    double_.Lines = {"end procedure;", "Procedure x", "no match here"};
    Draw();
    EXPECT_EQ(Row(1, Red), Span(5, 13));
    EXPECT_EQ(Row(1, Blue), (std::vector<int>{1, 2, 3, 4}));
    EXPECT_EQ(Row(3, Red), Span(1, 9));
    EXPECT_TRUE(Row(5, Red).empty());
}

TEST_F(TesselDraw, AnEmptyWordMarksNothing) {
    double_.ScrollMax = 1;
    double_.Lines = {"end procedure;"};
    module_.HighlightWord.clear();
    Draw();
    EXPECT_TRUE(Row(1, Red).empty());
    EXPECT_EQ(Row(1, Blue), Span(1, 13));
}

TEST_F(TesselDraw, AtMostThirtyOneLinesFromTheTopLine) {
    double_.ScrollMax = 500;
    double_.TopLine = 100;
    Draw();
    ASSERT_EQ(double_.WrapIndices.size(), 31u);
    EXPECT_EQ(double_.WrapIndices.front(), 100);
    EXPECT_EQ(double_.WrapIndices.back(), 130);
    EXPECT_EQ(Row(61, Blue).size(), 5u); // "error."
    EXPECT_TRUE(Row(63, Blue).empty());
}

TEST_F(TesselDraw, StopsAfterTheScrollMaximum) {
    double_.ScrollMax = 3;
    double_.TopLine = 2;
    Draw();
    EXPECT_EQ(double_.WrapIndices, (std::vector<std::int32_t>{2, 3}));
}

TEST_F(TesselDraw, DotShowsForOneSecondAfterARestartThenVanishesOnce) {
    module_.LastTick = 0;
    now = 10000; // long after: no dot, the period restarts
    Draw();
    EXPECT_EQ(double_.Blended.Pixel(57, 57), Back);
    EXPECT_EQ(module_.LastTick, 10000u);
    now = 10400;
    Draw();
    EXPECT_EQ(double_.Blended.Pixel(57, 57), Back | Red);
    now = 10999;
    Draw();
    EXPECT_EQ(double_.Blended.Pixel(57, 57), Back | Red);
    EXPECT_EQ(module_.LastTick, 10000u);
    now = 11000;
    Draw();
    EXPECT_EQ(double_.Blended.Pixel(57, 57), Back);
    EXPECT_EQ(module_.LastTick, 11000u);
}

TEST_F(TesselDraw, DotIsMergedIntoTheBackgroundInItsBox) {
    module_.LastTick = now;
    Draw();
    // Inside in the brush colour, the rim in the pen colour, both ORed.
    EXPECT_EQ(double_.Blended.Pixel(56, 56), Back | Red);
    EXPECT_EQ(double_.Blended.Pixel(54, 57), Back | 0x800000u);
    EXPECT_EQ(double_.Blended.Pixel(57, 54), Back | 0x800000u);
    EXPECT_EQ(double_.Blended.Pixel(54, 54), Back); // the box's corner is outside
    EXPECT_EQ(double_.Blended.Pixel(60, 57), Back); // right edge excluded
    EXPECT_EQ(double_.Blended.Pixel(53, 57), Back);
}

TEST_F(TesselDraw, TickSumIsComparedAsSigned32Bit) {
    // LastTick + 1000 wraps to a negative number, so no later tick is below it.
    module_.LastTick = 0x7fffff00u;
    now = 0x7fffff10u;
    Draw();
    EXPECT_EQ(double_.Blended.Pixel(57, 57), Back);
    EXPECT_EQ(module_.LastTick, 0x7fffff10u);
    // Ticks past 2^31 are negative and still below a restart just before them.
    module_.LastTick = 0x80000010u;
    now = 0x80000020u;
    Draw();
    EXPECT_EQ(double_.Blended.Pixel(57, 57), Back | Red);
}

TEST_F(TesselDraw, WithoutHostProceduresNothingHappens) {
    Host() = {};
    Draw(); // must not crash
    EXPECT_TRUE(double_.Calls.empty());
}

} // namespace
} // namespace glimra::tessel
