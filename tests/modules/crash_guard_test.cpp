#include "fixture_access.h"
#include "modules/module_set.h"
#include "settings_fakes.h"

#include <gtest/gtest.h>

#include <csignal>
#include <cstdio>
#include <filesystem>
#include <unistd.h>

namespace glimra {
namespace {

using namespace glimra::testing;

class CrashGuardTest : public ::testing::Test {
protected:
    // Named by the test, not the process: the death test's child is another process.
    std::string Record = std::filesystem::temp_directory_path() /
                         (std::string("glimra_crash_") +
                          ::testing::UnitTest::GetInstance()->current_test_info()->name() + ".rec");
    TFakePlatform Platform;
    std::unique_ptr<TRegWork> Store = Platform.Make();
    TFakeBoxes Boxes;

    void SetUp() override {
        std::remove(Record.c_str());
        Store->ExeDir = FixtureRoot();
        for (const char* name : {"crashdraw", "spec258"}) {
            TModuleSetupData entry;
            entry.DiskName = std::string(name) + ".so";
            entry.FileName = entry.DiskName;
            Store->ModuleList.push_back(entry);
        }
    }
    void TearDown() override { std::remove(Record.c_str()); }

    // Loads the modules, opens a window and draws it: the crashing module dies.
    void DrawOnce() {
        TModuleSet set(Boxes, DummyProcs(), Record);
        set.LoadModules(*Store);
        std::vector<void*> instances;
        TRecordingSinkless layout;
        set.CreateModuleInstances(
            Owner(1), instances, [](const std::string&) { return 0; }, layout);
        GlimraDib dib{1, 1, 24, 4, nullptr};
        set.DrawModules(instances, &dib);
    }

    struct TRecordingSinkless : TModuleLocationSink {
        void AddLocation(void*, const std::string&, std::int32_t, std::uint8_t*, std::int32_t*,
                         std::int32_t*, std::int32_t*, std::int32_t*) override {}
        void Normalize() override {}
    };
};

TEST_F(CrashGuardTest, ModuleThatCrashedIsSwitchedOffAtTheNextStart) {
    ::testing::FLAGS_gtest_death_test_style = "threadsafe";
    EXPECT_EXIT(DrawOnce(), ::testing::KilledBySignal(SIGSEGV), "");

    TModuleSet set(Boxes, DummyProcs(), Record);
    set.LoadModules(*Store);
    EXPECT_FALSE(Store->ModuleList[0].Enabled);
    EXPECT_TRUE(Store->ModuleList[1].Enabled);
    ASSERT_EQ(set.Count(), 1);
    EXPECT_EQ(set.GetModuleNameAt(0), "spec258");
    ASSERT_EQ(Boxes.Asked.size(), 1u);
    EXPECT_EQ(Boxes.Asked[0], std::string(CrashedModuleMessage) + "crashdraw.so");
}

TEST_F(CrashGuardTest, CleanRunLeavesNothingToBlame) {
    Store->ModuleList[0].Enabled = false;
    DrawOnce();
    TModuleSet set(Boxes, DummyProcs(), Record);
    set.LoadModules(*Store);
    EXPECT_TRUE(Store->ModuleList[1].Enabled);
    EXPECT_TRUE(Boxes.Asked.empty());
}

} // namespace
} // namespace glimra
