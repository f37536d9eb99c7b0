#include "gui_test_util.h"
#include "platform/message_box.h"
#include "platform/termination.h"

#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <gtest/gtest.h>
#include <thread>

namespace glimra {
namespace {

// Runs in a child process, since the signals stay caught there for good. Its main
// thread ends up blocked, as in a module call that never returns: only the watchdog
// ends it, and "blocked" on its error output says every check before passed.
[[noreturn]] void StopSignalsChild(bool sigintIgnored) {
    // A background job of a shell starts with SIGINT ignored; it stays so.
    if (sigintIgnored)
        std::signal(SIGINT, SIG_IGN);
    CatchStopSignals(2000);
    std::vector<int> expected{SIGTERM, SIGHUP, SIGINT};
    if (sigintIgnored)
        expected.pop_back();
    std::vector<int> received;
    {
        TTerminationSignals stopSignals([&](int s) { received.push_back(s); });
        std::raise(SIGTERM);
        std::raise(SIGHUP);
        std::raise(SIGINT);
        if (!received.empty()) // not inside the handler
            std::_Exit(1);
        WaitFor([&] { return received.size() >= expected.size(); }, 1000);
        if (received != expected)
            std::_Exit(2);
    }
    // Nothing is asked once the program is stopping.
    if (!StopRequested() ||
        MessageBoxes().Show(TMsgKind::Information, "?", TMsgButtons::YesNo) != TMsgResult::No)
        std::_Exit(3);
    std::raise(SIGTERM); // still caught with nobody listening
    std::fputs("blocked\n", stderr);
    std::this_thread::sleep_for(std::chrono::seconds(20));
    std::_Exit(4);
}

TEST(StopSignals, ReachTheMainThreadStayCaughtAndEndABlockedProcess) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    for (bool sigintIgnored : {false, true})
        EXPECT_EXIT(StopSignalsChild(sigintIgnored), ::testing::ExitedWithCode(0), "blocked")
            << "SIGINT ignored: " << sigintIgnored;
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
