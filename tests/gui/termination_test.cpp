#include "gui_test_util.h"
#include "platform/termination.h"

#include <chrono>
#include <csignal>
#include <cstdlib>
#include <gtest/gtest.h>
#include <thread>

namespace glimra {
namespace {

TEST(TerminationSignals, ArriveOnTheMainThreadInsteadOfEndingTheProcess) {
    std::vector<int> received;
    {
        TTerminationSignals stopSignals([&](int signal) { received.push_back(signal); });
        std::raise(SIGTERM);
        std::raise(SIGHUP);
        std::raise(SIGINT);
        EXPECT_TRUE(received.empty()); // not inside the handler
        EXPECT_TRUE(WaitFor([&] { return received.size() == 3; }, 2000));
    }
    EXPECT_EQ(received, (std::vector<int>{SIGTERM, SIGHUP, SIGINT}));
    struct sigaction action {};
    sigaction(SIGTERM, nullptr, &action);
    EXPECT_EQ(action.sa_handler, SIG_DFL);
}

// The watchdog runs in a child process that blocks, as a hanging clean-up would.
TEST(ExitWatchdog, EndsABlockedProcessWithCodeZero) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(
        {
            TExitWatchdog watchdog(200);
            std::this_thread::sleep_for(std::chrono::seconds(20));
            std::_Exit(3);
        },
        ::testing::ExitedWithCode(0), "");
    EXPECT_EXIT(
        {
            { TExitWatchdog watchdog(200); }
            std::this_thread::sleep_for(std::chrono::milliseconds(400));
            std::_Exit(3);
        },
        ::testing::ExitedWithCode(3), "");
}

} // namespace
} // namespace glimra
