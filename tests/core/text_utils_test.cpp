#include "common/color_text.h"
#include "common/text_utils.h"

#include <gtest/gtest.h>

namespace glimra {

TEST(TextUtils, StripTrailingSeparatorRemovesOneOnly) {
    EXPECT_EQ(StripTrailingSeparator(""), "");
    EXPECT_EQ(StripTrailingSeparator("/"), "");
    EXPECT_EQ(StripTrailingSeparator("/opt/glimra/"), "/opt/glimra");
    EXPECT_EQ(StripTrailingSeparator("/opt/glimra//"), "/opt/glimra/");
    EXPECT_EQ(StripTrailingSeparator("/opt/glimra"), "/opt/glimra");
}

TEST(TextUtils, UpperAsciiTouchesOnlyLatinLetters) {
    EXPECT_EQ(UpperAscii("tessel.so"), "TESSEL.SO");
    EXPECT_EQ(UpperAscii("Az09_-{}"), "AZ09_-{}");
    EXPECT_EQ(UpperAscii("ä.log"), "ä.LOG"); // UTF-8 bytes stay as they are
}

TEST(TextUtils, CommaFieldCountsFromZeroAndSaysErrorPastTheEnd) {
    EXPECT_EQ(CommaField("a,b,c", 0), "a");
    EXPECT_EQ(CommaField("a,b,c", 1), "b");
    EXPECT_EQ(CommaField("a,b,c", 2), "c");
    EXPECT_EQ(CommaField("a,b,c", 3), "ERROR");
    EXPECT_EQ(CommaField("abc", 0), "abc");
    EXPECT_EQ(CommaField("abc", 1), "ERROR");
    EXPECT_EQ(CommaField("a,,c", 1), "");
    EXPECT_EQ(CommaField("", 0), "");
    EXPECT_EQ(CommaField("a,", 1), "");
    EXPECT_EQ(CommaField(" a , b", 1), " b");
    EXPECT_EQ(CommaField("a", 256), "ERROR");
    EXPECT_EQ(CommaField("a", -1), "ERROR");
}

TEST(TextUtils, YesNoTextAndProgramFolder) {
    EXPECT_EQ(YesNoText(true), "TRUE");
    EXPECT_EQ(YesNoText(false), "FALSE");
    std::string folder = ProgramFolder();
    ASSERT_FALSE(folder.empty());
    EXPECT_EQ(folder.front(), '/');
    EXPECT_NE(folder.back(), '/');
}

TEST(TextUtils, TextToIntAcceptsDecimalAndDollarHex) {
    EXPECT_EQ(TextToInt("5"), 5);
    EXPECT_EQ(TextToInt(" 5"), 5);
    EXPECT_EQ(TextToInt("-480"), -480);
    EXPECT_EQ(TextToInt("$1F"), 31);
    EXPECT_EQ(TextToInt("0x10"), 16);
    EXPECT_EQ(TextToInt("$FFFFFFFF"), -1);
    EXPECT_EQ(TextToInt("2147483647"), 2147483647);
    EXPECT_EQ(TextToInt("-2147483648"), INT32_MIN);
    for (const char* bad : {"", " ", "5 ", "2147483648", "-2147483649", "99999999999999999999",
                            "$100000000", "--5", "+-5", "$", "abc", "1.5"})
        EXPECT_FALSE(TextToInt(bad).has_value()) << bad;
    EXPECT_FALSE(TextToInt(std::string("5\0", 2)).has_value());
}

TEST(ColorText, NamesAndDollarFormRoundTrip) {
    EXPECT_EQ(ColorToText(clWhite), "clWhite");
    EXPECT_EQ(ColorToText(SystemColorBase + 15), "clBtnFace");
    EXPECT_EQ(ColorToText(SystemColorBase + 24), "clInfoBk");
    EXPECT_EQ(ColorToText(clNone), "clNone");
    EXPECT_EQ(ColorToText(0x00123456), "$00123456");
    EXPECT_EQ(ColorToText(0x80000019), "$80000019");
    for (TColor c :
         {clBlack, clAqua, clNone, TColor(0x80000000), TColor(0x00ABCDEF), TColor(0xFFFFFFFF)})
        EXPECT_EQ(TextToColor(ColorToText(c)), c);
    EXPECT_EQ(TextToColor("CLRED"), clRed);
    EXPECT_EQ(TextToColor("255"), clRed);
    EXPECT_FALSE(TextToColor("clPink").has_value());
    EXPECT_FALSE(TextToColor("").has_value());
}

} // namespace glimra
