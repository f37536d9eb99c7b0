#include "app/window_geometry.h"
#include "common/forward_record.h"

#include <gtest/gtest.h>

namespace glimra {

TEST(ForwardRecord, PathSplitAtABlankArrivesWhole) {
    TCopyDataRecord r = MakeForwardRecord({"/tmp/my", "log.txt"});
    EXPECT_EQ(r.dwData, 2u);
    EXPECT_EQ(r.cbData, std::string("/tmp/my log.txt").size() + 1);
    EXPECT_EQ(RecordText(r), "/tmp/my log.txt");
    TCopyDataRecord none = MakeForwardRecord({});
    EXPECT_EQ(none.dwData, 0u);
    EXPECT_EQ(none.cbData, 1u);
    EXPECT_EQ(JoinParameters({"a", "", "b"}), "a  b");
}

TEST(ForwardRecord, ParametersKeepTheirBytes) {
    const char* argv[] = {"glimra4", "logs/a\xff\xfe.log", "b\x80"};
    EXPECT_EQ(CommandLineParameters(3, argv, "/home/\xe9t\xe9"),
              (std::vector<std::string>{"/home/\xe9t\xe9/logs/a\xff\xfe.log", "b\x80"}));
    EXPECT_EQ(CommandLineParameters(2, argv, "")[0], "logs/a\xff\xfe.log");
    const char* absolute[] = {"glimra4", "/var/\xff.log"};
    EXPECT_EQ(CommandLineParameters(2, absolute, "/x")[0], "/var/\xff.log");
    EXPECT_TRUE(CommandLineParameters(1, argv, "/x").empty());
    EXPECT_TRUE(CommandLineParameters(0, argv, "/x").empty());
}

TEST(ForwardRecord, WireFormRoundTripsInAnyPieces) {
    TCopyDataRecord r = MakeForwardRecord({"/var/log/syslog"});
    std::string wire = EncodeRecord(r);
    ASSERT_EQ(wire.size(), 8u + r.cbData);
    EXPECT_EQ(wire.substr(0, 8), std::string("\x01\0\0\0\x10\0\0\0", 8));
    TRecordReader reader;
    for (std::size_t i = 0; i + 1 < wire.size(); ++i)
        ASSERT_EQ(reader.Feed(wire.substr(i, 1)), TRecordReader::TState::NeedMore);
    ASSERT_EQ(reader.Feed(wire.substr(wire.size() - 1)), TRecordReader::TState::Complete);
    EXPECT_EQ(RecordText(reader.Record()), "/var/log/syslog");
    EXPECT_EQ(reader.Record().dwData, 1u);
}

TEST(ForwardRecord, ReceiverNeverReadsPastTheRecord) {
    // No NUL inside the record: the text ends with the record.
    TCopyDataRecord noNul{1, 3, "abcdef"};
    EXPECT_EQ(RecordText(noNul), "abc");
    TCopyDataRecord early{1, 6, std::string("ab\0cd\0", 6)};
    EXPECT_EQ(RecordText(early), "ab");
    // A length beyond the limit, or bytes past the record, are refused.
    TRecordReader huge;
    EXPECT_EQ(huge.Feed(std::string("\x01\0\0\0\xff\xff\xff\xff", 8)),
              TRecordReader::TState::Invalid);
    TRecordReader extra;
    EXPECT_EQ(extra.Feed(std::string("\x01\0\0\0\x01\0\0\0\0\0", 10)),
              TRecordReader::TState::Invalid);
}

TEST(WindowGeometry, CascadeAndCentre) {
    EXPECT_EQ(CascadeFrom({100, 50}), (TPoint{120, 70}));
    EXPECT_EQ(CentreOn(1024, 768, 480, 350), (TPoint{272, 209}));
    EXPECT_EQ(CentreOn(1024, 768, 1025, 769), (TPoint{0, 0})); // -1/2 truncates to 0
    EXPECT_EQ(CentreOn(1024, 768, 1027, 771), (TPoint{-1, -1}));
}

TEST(WindowGeometry, StoredBoundsComeOutWhollyOnTheScreen) {
    const struct {
        TBounds Stored, Shown;
    } cases[] = {
        {{272, 209, 480, 350}, {272, 209, 480, 350}},
        {{5000, -4000, 99999, 350}, {0, 0, 1024, 350}}, // size first, then the place
        {{-300, 600, 480, 350}, {0, 418, 480, 350}},    // pulled back over each edge
        {{900, 700, 480, 350}, {544, 418, 480, 350}},
        {{10, 10, -2147483647 - 1, 0}, {10, 10, 151, 121}}, // no smaller than a window
    };
    for (const auto& c : cases)
        EXPECT_EQ(FitOnScreen(c.Stored, {1024, 768}, {151, 121}), c.Shown)
            << c.Stored.Left << "," << c.Stored.Top;
}

} // namespace glimra
