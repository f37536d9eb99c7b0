#include "store_lines.h"
#include "viewer/line_store.h"

#include <gtest/gtest.h>

#include <algorithm>

#include <random>
#include <thread>

namespace glimra {
namespace {

std::vector<std::u32string> DisplayOf(const TLineStore& s) {
    std::vector<std::u32string> out;
    for (std::size_t i = 0; i < s.DisplayLineCount(); ++i)
        out.push_back(s.DisplayLine(i));
    return out;
}

// Every character 10 pixels wide keeps the arithmetic readable.
TCharWidth Fixed(int w) {
    return [w](char32_t) { return w; };
}

// The break rule written the plain way, on decoded text: the rows the store counts on
// bytes must be these.
std::vector<std::u32string> ReferenceRows(std::string_view line, int width, const TCharWidth& w) {
    std::u32string text;
    DecodeForDisplay(line, text);
    std::vector<std::size_t> starts{0};
    std::size_t start = 0, afterBlank = 0;
    long lineWidth = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        char32_t c = text[i];
        if (c == U' ') {
            lineWidth += w(c);
            afterBlank = i + 1;
            continue;
        }
        if (lineWidth + w(c) > width && i > start) {
            start = afterBlank > start ? afterBlank : i;
            i = start - 1;
            starts.push_back(start);
            lineWidth = 0;
            afterBlank = 0;
            continue;
        }
        lineWidth += w(c);
    }
    std::vector<std::u32string> rows;
    for (std::size_t k = 0; k < starts.size(); ++k)
        rows.push_back(text.substr(
            starts[k], (k + 1 < starts.size() ? starts[k + 1] : text.size()) - starts[k]));
    return rows;
}

} // namespace

TEST(LineStore, RowsOnBytesMatchTheBreakRuleOnText) {
    // Blanks, tabs, wide and narrow letters, controls and broken sequences, at random.
    const std::vector<std::string> pieces = {" ", "  ", "\t", "a", "word", "longerword",
                                             "\xe3\x81\x82", "\xf0\x9f\x98\x80", "\xff", "\xe3\x81",
                                             std::string(1, '\0'), "W",
                                             // Runs of blanks longer than a row hang.
                                             std::string(37, ' '), "  \t         \t "};
    TCharWidth width = [](char32_t c) {
        return c == U'W' ? 13 : c < 0x80 ? 7 : c == U'\uFFFD' ? 9 : 15;
    };
    std::mt19937 random(5);
    for (int round = 0; round < 400; ++round) {
        std::string line;
        for (int k = 1 + random() % 40; k > 0; --k)
            line += pieces[random() % pieces.size()];
        int rowWidth = 10 + static_cast<int>(random() % 120);
        TLineStore s;
        s.SetText(line);
        s.SetWrap(true, rowWidth, width, 15);
        EXPECT_EQ(DisplayOf(s), ReferenceRows(line, rowWidth, width)) << line << " at " << rowWidth;
    }
}

TEST(LineStore, ALineThatFitsAtTheWidestAdvanceIsNotMeasured) {
    std::vector<char32_t> asked;
    TCharWidth width = [&asked](char32_t c) {
        asked.push_back(c);
        return 10;
    };
    TLineStore s;
    s.SetText("\xe3\x81\x82\xe3\x81\x84\n\xe3\x81\x86\xe3\x81\x88\xe3\x81\x8a\xe3\x81\x8b\n");
    s.SetWrap(true, 60, width, 10);
    asked.clear();
    // Six bytes at 10 pixels fit 60 pixels: the first line is one row, never measured.
    EXPECT_EQ(s.DisplayLineCount(), 2u);
    EXPECT_EQ(std::count(asked.begin(), asked.end(), U'\u3042'), 0);
    // The second (12 bytes) is measured, each character once however often it is asked.
    EXPECT_EQ(std::count(asked.begin(), asked.end(), U'\u3046'), 1);
    s.DisplayLine(1);
    s.DisplayLine(1);
    EXPECT_EQ(std::count(asked.begin(), asked.end(), U'\u3046'), 1);
}

TEST(LineStore, AGiantLineIsShownByItsFirstPartWithoutDecodingItWhole) {
    std::u32string out;
    std::string nuls(8u << 20, '\0');
    DecodeForDisplay(nuls, out, 100);
    EXPECT_EQ(out.size(), 100u);
    EXPECT_LT(out.capacity(), 1000u);
    // Wrapped, the rows stop at the wrap limit; each row is decoded alone.
    std::string huge(TWrapMetrics::WrapLimit + 5000, 'x');
    TLineStore s;
    s.SetText(huge);
    s.SetWrap(true, 800, Fixed(8));
    while (s.WrapSome(1 << 20)) {
    }
    const std::size_t limit = TWrapMetrics::WrapLimit;
    EXPECT_EQ(s.DisplayLineCount(), (limit + 99) / 100);
    EXPECT_EQ(s.DisplayLine(s.DisplayLineCount() - 1).size(), limit % 100 ? limit % 100 : 100);
    // Unwrapped, only the start is decoded.
    s.SetWrap(false, 800, Fixed(8));
    EXPECT_LE(s.DisplayLine(0).size(), 16384u);
    EXPECT_EQ(s.Line(0).size(), huge.size()); // the bytes are all kept
}

TEST(LineStore, EveryLineEndStyleGivesTheSameLines) {
    const std::vector<std::string> want = {"alpha", "", "beta", "gamma"};
    for (const char* text : {"alpha\r\n\r\nbeta\r\ngamma\r\n", "alpha\n\nbeta\ngamma\n",
                             "alpha\r\rbeta\rgamma\r", "alpha\r\n\nbeta\rgamma"}) {
        TLineStore s;
        s.SetText(text);
        EXPECT_EQ(LinesOf(s), want) << text;
        EXPECT_EQ(s.Text(), "alpha\r\n\r\nbeta\r\ngamma\r\n");
    }
    TLineStore empty;
    empty.SetText("");
    EXPECT_EQ(empty.LineCount(), 0u);
    EXPECT_EQ(empty.DisplayLineCount(), 0u);
    EXPECT_EQ(empty.Text(), "");
}

TEST(LineStore, IdenticalReloadLeavesTheStoreUntouched) {
    TLineStore s;
    EXPECT_TRUE(s.SetText("a\nb\n"));
    EXPECT_FALSE(s.SetText("a\r\nb\r\n"));
    EXPECT_TRUE(s.SetText("a\nc\n"));
    EXPECT_TRUE(s.SetText("a\nc\nd"));
}

TEST(LineStore, BytesArePreservedExactly) {
    const char literal[] = "nul\0byte\xff\xfe end\x80\nutf8 \xe3\x81\x82\n";
    std::string raw(literal, sizeof literal - 1);
    TLineStore s;
    s.SetText(raw);
    ASSERT_EQ(s.LineCount(), 2u);
    EXPECT_EQ(s.Line(0), std::string_view("nul\0byte\xff\xfe end\x80", 15));
    std::string want = raw;
    want.replace(15, 1, "\r\n");
    want.replace(want.size() - 1, 1, "\r\n");
    EXPECT_EQ(s.Text(), want);
    // Display shows every byte: NUL as its picture, bad bytes as replacement characters.
    EXPECT_EQ(s.DisplayLine(0), U"nul\u2400byte\uFFFD\uFFFD end\uFFFD");
    EXPECT_EQ(s.DisplayLine(1), U"utf8 \u3042");
}

TEST(LineStore, DecoderRejectsOverlongAndSurrogateForms) {
    std::u32string out;
    DecodeForDisplay("\xc0\xaf|\xed\xa0\x80|\xf4\x90\x80\x80|\xe3\x81", out);
    for (char32_t c : out)
        EXPECT_TRUE(c == U'|' || c == U'\uFFFD');
    EXPECT_EQ(out.size(), 14u);
    DecodeForDisplay("a\tb", out);
    EXPECT_EQ(out, U"a    b");
}

TEST(LineStore, AppendContinuesAnOpenLastLine) {
    TLineStore s;
    s.SetText("one\ntw");
    EXPECT_TRUE(s.LastLineOpen());
    s.Append("o\nthree\r");
    EXPECT_EQ(LinesOf(s), (std::vector<std::string>{"one", "two", "three"}));
    // The LF of a CR LF split across two reads does not add an empty line.
    s.Append("\nfour\n");
    EXPECT_EQ(LinesOf(s), (std::vector<std::string>{"one", "two", "three", "four"}));
    TLineStore whole;
    whole.SetText("one\ntwo\nthree\r\nfour\n");
    EXPECT_EQ(s.Text(), whole.Text());
}

TEST(LineStore, WrapBreaksAfterTheLastBlankThatFits) {
    TLineStore s;
    s.SetText("aaa bbb ccc\nabcdefghijkl\n\nx");
    s.SetWrap(true, 70, Fixed(10)); // seven characters a row
    EXPECT_EQ(DisplayOf(s),
              (std::vector<std::u32string>{U"aaa bbb ", U"ccc", U"abcdefg", U"hijkl", U"", U"x"}));
    EXPECT_EQ(s.FileLineOf(3), 1u);
    EXPECT_EQ(s.FileLineOf(4), 2u);
    // A blank at the edge hangs instead of opening an empty row.
    s.SetText("abcdefg hij");
    EXPECT_EQ(DisplayOf(s), (std::vector<std::u32string>{U"abcdefg ", U"hij"}));
    // A word longer than a row after a blank starts on its own row, then breaks.
    s.SetText("ab cdefghijklmn");
    EXPECT_EQ(DisplayOf(s), (std::vector<std::u32string>{U"ab ", U"cdefghi", U"jklmn"}));
    // Narrower than one character: still one character per row, never an endless loop.
    s.SetWrap(true, 3, Fixed(10));
    s.SetText("abc");
    EXPECT_EQ(s.DisplayLineCount(), 3u);
    s.SetWrap(false, 3, Fixed(10));
    EXPECT_EQ(s.DisplayLineCount(), 1u);
    EXPECT_EQ(s.DisplayLine(0), U"abc");
}

TEST(LineStore, WrapCountsFollowAppendsAndWidthChanges) {
    TLineStore s;
    s.SetWrap(true, 50, Fixed(10));
    s.SetText("0123456789\nab");
    EXPECT_EQ(s.DisplayLineCount(), 3u);
    s.Append("cdefgh\n");
    EXPECT_EQ(s.DisplayLineCount(), 4u);
    EXPECT_EQ(s.DisplayLine(3), U"fgh");
    s.SetWrap(true, 100, Fixed(10));
    EXPECT_EQ(s.DisplayLineCount(), 2u);
    s.AddLine("CAN NOT OPEN");
    EXPECT_EQ(s.DisplayLineCount(), 4u);
    EXPECT_EQ(s.DisplayLine(2), U"CAN NOT ");
    EXPECT_EQ(s.DisplayLine(3), U"OPEN");
    EXPECT_EQ(s.DisplayLine(99), U"");
}

// Words of varied length: rows break at blanks and inside the longest words.
std::string Prose(std::size_t bytes, unsigned seed) {
    std::mt19937 random(seed);
    std::string text;
    text.reserve(bytes + 64);
    while (text.size() < bytes)
        text += std::string(1 + random() % 30, static_cast<char>('a' + random() % 26)) +
                (random() % 9 ? " " : "  ");
    text.resize(bytes);
    return text;
}

TEST(LineStore, AGiantLineIsCountedInPiecesThatAddUpToTheWholeWalk) {
    const std::string giant = Prose(TWrapMetrics::WrapLimit + 300000, 11);
    TWrapMetrics whole(230, Fixed(7), 7);
    const std::uint32_t rows = whole.CountRows(giant);
    TLineStore s;
    s.SetText(giant);
    s.SetWrap(true, 230, Fixed(7), 7);
    // The window's thread shows the line's start, counting only a piece of it.
    std::vector<std::uint32_t> starts;
    whole.RowStarts(giant, starts, 1);
    EXPECT_EQ(s.DisplayLine(0), std::u32string(giant.begin(), giant.begin() + starts[1]));
    EXPECT_EQ(s.DisplayLineCount(), 1u);
    constexpr std::size_t piece = 1 << 20;
    EXPECT_LT(s.BytesWalked(), piece + 1000);
    int pieces = 1;
    while (s.WrapSome(piece))
        ++pieces;
    EXPECT_GE(pieces, 12);
    ASSERT_EQ(s.DisplayLineCount(), rows);
    // Rows asked for out of order equal those of one walk, each found from the last
    // place the count passed before it, not from the line's start.
    starts.clear();
    EXPECT_TRUE(whole.RowStarts(giant, starts, SIZE_MAX - 1));
    ASSERT_EQ(starts.size(), rows);
    for (std::size_t row : {std::size_t{5}, std::size_t{rows / 2}, std::size_t{3},
                            std::size_t{rows - 1}, std::size_t{rows / 2 + 1}}) {
        const std::size_t walked = s.BytesWalked();
        const std::size_t end = row + 1 < rows ? starts[row + 1] : TWrapMetrics::WrapLimit;
        EXPECT_EQ(s.DisplayLine(row),
                  std::u32string(giant.begin() + starts[row], giant.begin() + end))
            << row;
        EXPECT_LT(s.BytesWalked() - walked, piece + 1000) << row;
    }
}

TEST(LineStore, ACountLetsAWaitingReaderInBetweenItsQuarters) {
    // Eight lines of about an eighth of the budget, each opening with a character of
    // its own, so that counting line j asks its width: the count's clock.
    std::string text;
    for (char32_t j = 0; j < 8; ++j) {
        const char32_t c = 0x4E00 + j;
        text += {static_cast<char>(0xE0 | (c >> 12)), static_cast<char>(0x80 | ((c >> 6) & 0x3F)),
                 static_cast<char>(0x80 | (c & 0x3F))};
        text += std::string(3997, 'a') + "\n";
    }
    TLineStore s;
    std::thread reader;
    std::uint64_t turns = 0, turnsAtLast = 0;
    TCharWidth width = [&](char32_t c) {
        if (c == 0x4E00) {
            // A reader comes while the first quarter is counted, and waits.
            turns = s.LockTurns();
            reader = std::thread([&s] { s.LineCount(); });
            while (s.LockTurns() == turns)
                std::this_thread::yield();
        }
        if (c == 0x4E07)
            turnsAtLast = s.LockTurns();
        return 10;
    };
    s.SetWrap(true, 100, width, 10);
    s.SetText(text);
    EXPECT_FALSE(s.WrapSome(64000));
    ASSERT_TRUE(reader.joinable());
    reader.join();
    // The reader's turn, and the count's own again after it: the reader did not wait
    // for the whole count.
    EXPECT_EQ(turnsAtLast - turns, 2u);
    EXPECT_FALSE(s.WrapPending());
}

TEST(LineStore, ShowingAnotherLineLeavesTheWorkersPieceGoingOn) {
    const std::string shortLine = Prose(300, 4);
    const std::string three = Prose(TWrapMetrics::WrapLimit + 1000, 5) + "\n" + shortLine + "\n" +
                              Prose(TWrapMetrics::WrapLimit + 1000, 6) + "\n";
    const std::uint32_t shortRows = TWrapMetrics(230, Fixed(7), 7).CountRows(shortLine);
    ASSERT_GT(shortRows, 1u);
    const auto piecesToCount = [&](bool show) {
        TLineStore s;
        s.SetText(three);
        s.SetWrap(true, 230, Fixed(7), 7);
        int pieces = 1;
        s.WrapSome(1 << 20);
        if (show) {
            // Lines 0 and 2 stand for one row each until they are counted; the short
            // line on screen is counted at once.
            s.DisplayLine(1);
            EXPECT_EQ(s.DisplayLineCount(), shortRows + 2);
            s.DisplayLine(shortRows + 1);
        }
        while (s.WrapSome(1 << 20))
            ++pieces;
        EXPECT_EQ(s.LineCount(), 3u);
        return std::pair(pieces, s.DisplayLineCount());
    };
    EXPECT_EQ(piecesToCount(true), piecesToCount(false));
}

TEST(LineStore, RowsCountedInSmallPiecesEqualRowsCountedAtOnce) {
    std::mt19937 random(3);
    for (int round = 0; round < 200; ++round) {
        const std::string line = Prose(1 + random() % 400, round) + "\t\xe3\x81\x82 x";
        const int width = 20 + static_cast<int>(random() % 100);
        TWrapMetrics metrics(width, Fixed(7), 7);
        std::vector<std::uint32_t> all, some;
        metrics.RowStarts(line, all, SIZE_MAX - 1);
        std::uint32_t rows = 0;
        for (TWrapMetrics::TCount piece{0, 0}; piece.Next != std::string_view::npos;) {
            piece = metrics.CountRowsSome(line, piece.Next, random() % 40);
            rows += piece.Rows;
        }
        EXPECT_EQ(rows, all.size()) << line;
        for (std::size_t last = 0; !metrics.RowStarts(line, some, last); last += random() % 3) {
        }
        EXPECT_EQ(some, all) << line;
    }
}

TEST(LineStore, AnOpenLinePastTheWrapLimitKeepsItsRowsAsItGrows) {
    const std::string giant = Prose(TWrapMetrics::WrapLimit + 10, 7);
    TLineStore s;
    s.SetWrap(true, 230, Fixed(7), 7);
    s.Append(giant);
    // Read on: its rows are final, so they are counted while the read goes on.
    while (s.WrapSome(1 << 20, false)) {
    }
    const std::size_t rows = s.DisplayLineCount();
    EXPECT_EQ(rows, TWrapMetrics(230, Fixed(7), 7).CountRows(giant));
    const std::u32string lastRow = s.DisplayLine(rows - 1);
    s.Append(" and more of the same line");
    EXPECT_FALSE(s.WrapPending());
    s.Append(" ending\nnext\n");
    EXPECT_EQ(s.LineCount(), 2u);
    EXPECT_EQ(s.DisplayLineCount(), rows + 1);
    EXPECT_EQ(s.DisplayLine(rows - 1), lastRow);
    EXPECT_EQ(s.DisplayLine(rows), U"next");
    // A line that reaches the limit only now is counted again, whole.
    const std::string shorter = giant.substr(0, TWrapMetrics::WrapLimit - 3);
    s.SetText("");
    s.Append(shorter);
    while (s.WrapSome(1 << 20)) {
    }
    s.Append(giant.substr(shorter.size()));
    while (s.WrapSome(1 << 20)) {
    }
    EXPECT_EQ(s.DisplayLineCount(), rows);
}

TEST(LineStore, LargeInputs) {
    // One 10 MB line wraps into rows that are all reachable.
    std::string big(10000000, 'x');
    TLineStore s;
    s.SetText(big);
    s.SetWrap(true, 800, Fixed(8));
    while (s.WrapSome(1 << 20)) {
    }
    EXPECT_EQ(s.DisplayLineCount(), big.size() / 100);
    EXPECT_EQ(s.DisplayLine(s.DisplayLineCount() - 1).size(), 100u);
    s.SetWrap(false, 800, Fixed(8));
    EXPECT_LE(s.DisplayLine(0).size(), 16384u);
    // A million short lines.
    std::string many;
    for (int i = 0; i < 1000000; ++i)
        many += "line " + std::to_string(i) + "\n";
    s.SetText(std::move(many));
    s.SetWrap(true, 800, Fixed(8));
    ASSERT_EQ(s.DisplayLineCount(), 1000000u);
    EXPECT_EQ(s.DisplayLine(999999), U"line 999999");
    EXPECT_EQ(s.Line(500000), "line 500000");
    // A save gets the lines in pieces of about a megabyte, a longer line as it is.
    s.AddLine(big);
    std::vector<std::size_t> pieces;
    std::size_t saved = 0;
    ASSERT_TRUE(s.WriteText([&](std::string_view piece) {
        pieces.push_back(piece.size());
        saved += piece.size();
        return true;
    }));
    EXPECT_EQ(std::count(pieces.begin(), pieces.end(), big.size()), 1);
    EXPECT_LE(std::count_if(pieces.begin(), pieces.end(),
                            [](std::size_t n) { return n > (1 << 20) + 2; }),
              1);
    EXPECT_EQ(saved, s.RawSize() + 1000000); // CR LF for each LF
}

} // namespace glimra
