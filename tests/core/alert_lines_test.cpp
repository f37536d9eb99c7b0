#include "viewer/alert_lines.h"

#include <gtest/gtest.h>

namespace glimra {
namespace {

// The lines an alert rule catches do not depend on how the appended bytes are cut.
TEST(AlertLines, WholeLinesMatchOnceHoweverTheBytesAreCut) {
    const TRuleSet rules(
        {{"quiet", clRed, false}, {"disk", clRed, true}, {"re:^x+$", clRed, true}});
    const std::string text =
        "DISK full\r\nquiet disk\nno\r\n" + std::string(3000, 'x') + "\nhalf disk";
    for (std::size_t piece : {std::size_t{1}, std::size_t{7}, text.size()}) {
        SCOPED_TRACE(piece);
        TAlertLines lines;
        std::vector<std::pair<int, std::size_t>> hits;
        for (std::size_t at = 0; at < text.size(); at += piece)
            lines.Feed(
                std::string_view(text).substr(at, piece), rules,
                [&](int rule, std::string_view line) { hits.emplace_back(rule, line.size()); });
        // "quiet disk" is taken by its first rule, which does not alert; the open last line
        // waits for its end.
        EXPECT_EQ(hits, (std::vector<std::pair<int, std::size_t>>{{1, 9}, {2, 3000}}));
        lines.Feed("\n", rules, [&](int rule, std::string_view) { hits.emplace_back(rule, 0); });
        EXPECT_EQ(hits.size(), 3u);
    }
}

TEST(AlertLines, OneNotificationPerRuleEveryTenSecondsThenHowManyMore) {
    using namespace std::chrono_literals;
    TAlertThrottle throttle;
    const TAlertThrottle::TClock::time_point t0{};
    EXPECT_EQ(throttle.Hit(0, "line 1", t0), "line 1");
    for (int i = 2; i <= 50; ++i)
        EXPECT_FALSE(throttle.Hit(0, "line " + std::to_string(i), t0 + i * 100ms));
    EXPECT_EQ(throttle.Hit(1, "other rule", t0 + 1s), "other rule");
    EXPECT_TRUE(throttle.Due(t0 + 9s).empty());
    EXPECT_EQ(throttle.NextDue(), t0 + 10s);
    EXPECT_EQ(throttle.Due(t0 + 10s), (std::vector<std::string>{"line 50 (and 48 more)"}));
    EXPECT_FALSE(throttle.NextDue());
    // A new interval began with that notification.
    EXPECT_FALSE(throttle.Hit(0, "soon after", t0 + 15s));
    EXPECT_EQ(throttle.Hit(0, "later", t0 + 21s), "later (and 1 more)");
    // Cut at 200 characters, not bytes, never inside one.
    std::string wide;
    for (int i = 0; i < 300; ++i)
        wide += "é";
    EXPECT_EQ(AlertBody(wide, 0), wide.substr(0, 400));
}

} // namespace
} // namespace glimra
