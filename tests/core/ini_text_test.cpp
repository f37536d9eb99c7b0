#include "settings/ini_text.h"

#include <gtest/gtest.h>

namespace glimra {

TEST(IniText, LinesEndAtCrLfCrOrLf) {
    using V = std::vector<std::string>;
    EXPECT_EQ(SplitLines("a\r\nb\rc\nd"), (V{"a", "b", "c", "d"}));
    EXPECT_EQ(SplitLines("a\r\n\r\n"), (V{"a", ""}));
    EXPECT_EQ(SplitLines("\n\n"), (V{"", ""}));
    EXPECT_EQ(SplitLines(""), V{});
    EXPECT_EQ(SplitLines("a\n\rb"), (V{"a", "", "b"}));
}

TEST(IniText, SectionLookupOnlyMovesForward) {
    TIniFileReader reader("[A]\r\nx= 1\r\n[B]\r\ny= 2\r\n[C]\r\nz= 3\r\n\r\n");
    reader.Section("B");
    EXPECT_EQ(reader.Cursor(), 2);
    EXPECT_EQ(reader.Read("y", "d"), "2");
    // A is behind the cursor: not found, the cursor stops on the last line.
    reader.Section("A");
    EXPECT_EQ(reader.Cursor(), 6);
    EXPECT_EQ(reader.Read("x", "d"), "d");
    // And every later section is missing too.
    reader.Section("C");
    EXPECT_EQ(reader.Read("z", "d"), "d");
}

TEST(IniText, MissingSectionHidesTheLaterOnes) {
    TIniFileReader reader("[Main]\r\nLeft= 1\r\n[Modules]\r\nX.SO= 1,TRUE,0\r\n\r\n");
    reader.Section("Tips");
    EXPECT_EQ(reader.Read("Count", "0"), "0");
    reader.Section("Main");
    EXPECT_EQ(reader.Read("Left", "7"), "7");
    reader.Section("Modules");
    EXPECT_EQ(reader.Read("X.SO", "FIRSTTIME"), "FIRSTTIME");
}

TEST(IniText, KeyLookupIsSubstringFromTheHeaderOnAcrossSections) {
    TIniFileReader reader("[Main]\r\nAV_R= 5\r\nAV_REVERSE= TRUE\r\n[Next]\r\nLater= 9\r\n");
    reader.Section("Main");
    EXPECT_EQ(reader.Read("AV_R", "d"), "5");
    EXPECT_EQ(reader.Read("AV_REVERSE", "d"), "TRUE");
    // Lookups do not stop at the next section and do not move the cursor.
    EXPECT_EQ(reader.Read("Later", "d"), "9");
    EXPECT_EQ(reader.Read("AV_R", "d"), "5");
    EXPECT_EQ(reader.Cursor(), 0);

    // The other order finds AV_REVERSE's line for AV_R.
    TIniFileReader swapped("[Main]\r\nAV_REVERSE= TRUE\r\nAV_R= 5\r\n");
    swapped.Section("Main");
    EXPECT_EQ(swapped.Read("AV_R", "d"), "TRUE");
}

TEST(IniText, ValueStartsTwoCharactersAfterTheFirstEquals) {
    TIniFileReader reader("[S]\r\nRetry=5\r\nWait= 5\r\nName= a=b\r\nPlain\r\nEnd=\r\n");
    reader.Section("S");
    EXPECT_EQ(reader.Read("Retry", "d"), "");
    EXPECT_EQ(reader.Read("Wait", "d"), "5");
    EXPECT_EQ(reader.Read("Name", "d"), "a=b");
    EXPECT_EQ(reader.Read("Plain", "d"), "lain");
    EXPECT_EQ(reader.Read("End", "d"), "");
    // The header line itself is searched too.
    EXPECT_EQ(reader.Read("[S", "d"), "S]");
}

TEST(IniText, EmptyTextAndByteOrderMark) {
    TIniFileReader empty("");
    empty.Section("Main");
    EXPECT_EQ(empty.Read("Left", "d"), "d");
    TIniFileReader bom("\xEF\xBB\xBF[Main]\nLeft= 4\n");
    bom.Section("Main");
    EXPECT_EQ(bom.Cursor(), 0);
    EXPECT_EQ(bom.Read("Left", "d"), "4");
}

TEST(IniText, WriterEndsEveryLineWithCrLfAndClosesWithAnEmptyLine) {
    TIniFileWriter writer;
    writer.Section("Main");
    writer.Write("Left", "10");
    EXPECT_EQ(writer.Text(), "[Main]\r\nLeft= 10\r\n\r\n");
}

} // namespace glimra
