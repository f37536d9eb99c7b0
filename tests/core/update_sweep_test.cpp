#include "app/update_sweep.h"

#include <gtest/gtest.h>

#include <vector>

namespace glimra {
namespace {

class TFakeHost : public TUpdateHost {
public:
    std::vector<bool> Wants;
    int WindowCount() const override { return static_cast<int>(Wants.size()); }
    bool WantsStep(int index) const override { return Wants.at(index); }
    void StepWindow(int) override {}
};

TEST(UpdateSweep, StepsOnlyTheWindowsThatWantIt) {
    TFakeHost host;
    host.Wants = {false, true, false};
    TUpdateSweep sweep;
    for (int round = 0; round < 3; ++round) {
        EXPECT_EQ(sweep.Next(host), 1);
        EXPECT_EQ(sweep.Next(host), -1);
        EXPECT_FALSE(sweep.LastSweepIdle());
        EXPECT_EQ(sweep.Cursor(), 0);
    }
    host.Wants = {true, false, true};
    EXPECT_EQ(sweep.Next(host), 0);
    EXPECT_EQ(sweep.Next(host), 2);
    EXPECT_EQ(sweep.Next(host), -1);
}

TEST(UpdateSweep, ASweepWithNothingToDoIsIdle) {
    TFakeHost host;
    TUpdateSweep sweep;
    EXPECT_EQ(sweep.Next(host), -1); // no windows at all
    EXPECT_TRUE(sweep.LastSweepIdle());
    host.Wants = {false, false};
    EXPECT_EQ(sweep.Next(host), -1);
    EXPECT_TRUE(sweep.LastSweepIdle());
    // Idleness is per sweep: one step makes the sweep busy, the next one is idle again.
    host.Wants = {true, false};
    EXPECT_EQ(sweep.Next(host), 0);
    host.Wants = {false, false};
    EXPECT_EQ(sweep.Next(host), -1);
    EXPECT_FALSE(sweep.LastSweepIdle());
    EXPECT_EQ(sweep.Next(host), -1);
    EXPECT_TRUE(sweep.LastSweepIdle());
}

TEST(UpdateSweep, CursorSurvivesListChangesAndResets) {
    TFakeHost host;
    host.Wants = {true, true, true};
    TUpdateSweep sweep;
    EXPECT_EQ(sweep.Next(host), 0);
    EXPECT_EQ(sweep.Next(host), 1);
    // Windows closed under the cursor: the sweep ends instead of reading past the list.
    host.Wants = {true};
    EXPECT_EQ(sweep.Next(host), -1);
    EXPECT_FALSE(sweep.LastSweepIdle());

    host.Wants = {true, true, true};
    EXPECT_EQ(sweep.Next(host), 0);
    EXPECT_EQ(sweep.Next(host), 1);
    sweep.ResetCursor();
    EXPECT_EQ(sweep.Next(host), 0);
}

TEST(FramePacer, KeepsASteadyGridAndDoesNotBurstAfterAStall) {
    using namespace std::chrono;
    TFramePacer pacer(50);
    ASSERT_EQ(pacer.Period(), milliseconds(20));
    const TFramePacer::Clock::time_point t0{};
    pacer.Start(t0);
    // A step that took part of a frame still lands on the grid.
    EXPECT_EQ(pacer.Next(t0 + milliseconds(5)), t0 + milliseconds(20));
    // A little late: the next deadline is already due, the grid holds.
    EXPECT_EQ(pacer.Next(t0 + milliseconds(30)), t0 + milliseconds(40));
    // Stalled for many frames: one frame now, not a catch-up burst.
    EXPECT_EQ(pacer.Next(t0 + milliseconds(500)), t0 + milliseconds(500));
    EXPECT_EQ(pacer.Next(t0 + milliseconds(501)), t0 + milliseconds(520));
}

TEST(FramePacer, UnknownRatesFallBackToSixtyPerSecond) {
    using namespace std::chrono;
    const auto sixty = TFramePacer(60).Period();
    EXPECT_EQ(TFramePacer(0).Period(), sixty);
    EXPECT_EQ(TFramePacer(-5).Period(), sixty);
    EXPECT_EQ(TFramePacer(1e9).Period(), sixty);
    EXPECT_NEAR(duration<double>(sixty).count(), 1.0 / 60, 1e-9);
}

} // namespace
} // namespace glimra
