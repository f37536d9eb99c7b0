#include "viewer/retry_state.h"

#include <gtest/gtest.h>

namespace glimra {
namespace {

// Runs a retry sequence in which every open fails; returns the failures shown
// before the give-up and the lines of the give-up.
std::pair<int, std::vector<std::string>> FailForever(int maxRetry) {
    TRetryState s;
    s.MaxRetry = maxRetry;
    s.Failed("/log");
    int shown = 1;
    for (;;) {
        switch (s.Tick()) {
        case TTickAction::Retry:
            EXPECT_EQ(s.Failed("/log"),
                      "CAN NOT OPEN: /log ( retry: " + std::to_string(++shown) + ")");
            break;
        case TTickAction::GiveUp:
            return {shown, s.GiveUp("/log")};
        default:
            ADD_FAILURE() << "unexpected tick";
            return {shown, {}};
        }
    }
}

} // namespace

TEST(RetryState, GivesUpOnTheTickAfterTheLastAllowedRetry) {
    auto [shown, lines] = FailForever(10);
    EXPECT_EQ(shown, 11);
    EXPECT_EQ(lines,
              (std::vector<std::string>{"COULD NOT OPEN: /log ( retry: 11)", "BREAK.( RETRY>10)"}));
    // With no retries allowed the first tick gives up.
    auto [shownZero, linesZero] = FailForever(0);
    EXPECT_EQ(shownZero, 1);
    EXPECT_EQ(linesZero.back(), "BREAK.( RETRY>0)");
}

TEST(RetryState, SuccessAfterFailuresAsksForOneConfirmingReload) {
    TRetryState s;
    EXPECT_EQ(s.Tick(), TTickAction::EndBadge);
    EXPECT_EQ(s.Failed("a b"), "CAN NOT OPEN: a b ( retry: 1)");
    EXPECT_EQ(s.Tick(), TTickAction::Retry);
    s.Failed("a b");
    s.OpenFailed = false; // the next open worked
    EXPECT_EQ(s.Tick(), TTickAction::ConfirmReload);
    // The count is shared by all failures until a confirmed success or a give-up.
    s.Failed("a b");
    EXPECT_EQ(s.RetryCount, 3);
    s.GiveUp("a b");
    EXPECT_EQ(s.RetryCount, 0);
    EXPECT_FALSE(s.OpenFailed);
    EXPECT_EQ(s.Tick(), TTickAction::EndBadge);
}

} // namespace glimra

namespace glimra {

TEST(RetryState, OneFailureCountsPerTickAndASuccessStartsAfresh) {
    TRetryState s;
    s.MaxRetry = 1;
    // Many failed reads between two ticks (a writer locking around each write) count once.
    for (int i = 0; i < 20; ++i)
        EXPECT_EQ(s.Failed("/log"), "CAN NOT OPEN: /log ( retry: 1)");
    EXPECT_EQ(s.Tick(), TTickAction::Retry);
    s.Succeeded();
    EXPECT_EQ(s.RetryCount, 0);
    // The confirming read still comes once after the success.
    EXPECT_EQ(s.Tick(), TTickAction::ConfirmReload);
    s.Finish();
    // After a burst of rotations with reads in between, a deletion starts from 1.
    for (int rotation = 0; rotation < 5; ++rotation) {
        s.Failed("/log");
        s.Tick();
        s.Succeeded();
    }
    EXPECT_EQ(s.Failed("/log"), "CAN NOT OPEN: /log ( retry: 1)");
    EXPECT_EQ(s.Tick(), TTickAction::Retry);
    s.Failed("/log");
    EXPECT_EQ(s.Tick(), TTickAction::GiveUp);
}

TEST(RetryState, AFailureClearedByAChangeEventStillGetsItsRead) {
    TRetryState s;
    s.Failed("/log");
    s.OpenFailed = false; // a change event cleared it without reading
    EXPECT_EQ(s.Tick(), TTickAction::ConfirmReload);
}

} // namespace glimra
