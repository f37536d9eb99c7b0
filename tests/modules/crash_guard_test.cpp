#include "fixture_access.h"
#include "modules/module_set.h"
#include "settings/settings_keys.h"
#include "settings_fakes.h"

#include <gtest/gtest.h>

#include <csignal>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <thread>

namespace glimra {
namespace {

using namespace glimra::testing;

constexpr int ShortHangMs = 300;

// Named by the test, not the process: the death test's child is another process.
std::string RecordPath() {
    std::string name = ::testing::UnitTest::GetInstance()->current_test_info()->name();
    for (char& c : name)
        if (c == '/')
            c = '_';
    return std::filesystem::temp_directory_path() / ("glimra_crash_" + name + ".rec");
}

std::string FileText(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    return text.substr(0, text.find('\0'));
}

struct TSilentLayout : TModuleLocationSink {
    void AddLocation(void*, const std::string&, std::int32_t, std::uint8_t*, std::int32_t*,
                     std::int32_t*, std::int32_t*, std::int32_t*, const char*) override {}
    void Normalize() override {}
};

// What a start does with its modules: load them, open a window and draw it.
void StartOnce(TRegWork& store, TMessageBoxes& boxes, const std::string& record) {
    TModuleSet set(boxes, DummyProcs(), record, ShortHangMs);
    set.LoadModules(store);
    std::vector<void*> instances;
    TSilentLayout layout;
    set.CreateModuleInstances(
        Owner(1), instances, [](const std::string&) { return 0; }, layout);
    std::vector<std::uint8_t> bits(4 * 4 * 3);
    set.DrawModules(instances, GlimraDib{4, 4, 24, 12, bits.data()});
    set.ForwardMouse(instances, GLIMRA_MOUSE_MOVE, GLIMRA_BUTTON_LEFT, 0, 1, 1);
    set.FreeModuleInstances(Owner(1), instances);
}

struct THostile {
    const char* Fixture;
    ::testing::ExitedWithCode Exited = ::testing::ExitedWithCode(0);
    int Signal = 0; // the process dies of this signal instead
};

class HostileModuleTest : public ::testing::TestWithParam<THostile> {
protected:
    std::string Record = RecordPath();
    TFakePlatform Platform;
    std::unique_ptr<TRegWork> Store = Platform.Make();
    TFakeBoxes Boxes;

    void SetUp() override {
        std::remove(Record.c_str());
        Store->Load();
        Store->ExeDir = FixtureRoot();
        for (const char* name : {GetParam().Fixture, "spec258"}) {
            TModuleSetupData entry;
            entry.DiskName = std::string(name) + ".so";
            entry.FileName = entry.DiskName;
            Store->ModuleList.push_back(entry);
        }
    }
    void TearDown() override { std::remove(Record.c_str()); }
};

// A module that faults, never returns, exits or fails while loading costs one start:
// the next one switches it off, saves that at once and says which one it was.
TEST_P(HostileModuleTest, CostsOneStartAndIsSwitchedOffAndSavedAtTheNext) {
    ::testing::FLAGS_gtest_death_test_style = "threadsafe";
    const THostile& hostile = GetParam();
    if (hostile.Signal)
        EXPECT_EXIT(StartOnce(*Store, Boxes, Record), ::testing::KilledBySignal(hostile.Signal),
                    "");
    else
        EXPECT_EXIT(StartOnce(*Store, Boxes, Record), hostile.Exited, "");

    const std::string blamed = std::string(hostile.Fixture) + ".so";
    Platform.Files.Files.clear();
    StartOnce(*Store, Boxes, Record);
    EXPECT_FALSE(Store->ModuleList[0].Enabled);
    EXPECT_TRUE(Store->ModuleList[1].Enabled);
    ASSERT_EQ(Boxes.Asked.size(), 1u);
    EXPECT_EQ(Boxes.Asked[0], std::string(CrashedModuleMessage) + blamed);
    // Written at once, before anything else the start does.
    const std::string& written = Platform.Files.Files[Store->IniPath()];
    EXPECT_NE(written.find(ModuleEntryText(Store->ModuleList[0])), std::string::npos) << written;
    EXPECT_NE(written.find("FALSE"), std::string::npos) << written;
    // A third start has nothing to blame.
    Boxes.Asked.clear();
    StartOnce(*Store, Boxes, Record);
    EXPECT_TRUE(Boxes.Asked.empty());
}

INSTANTIATE_TEST_SUITE_P(
    Kinds, HostileModuleTest,
    ::testing::Values(THostile{"crashdraw", ::testing::ExitedWithCode(0), SIGSEGV},
                      THostile{"loadabort", ::testing::ExitedWithCode(0), SIGABRT},
                      THostile{"badpointers", ::testing::ExitedWithCode(0), SIGSEGV},
                      THostile{"exitdraw", ::testing::ExitedWithCode(3)},
                      THostile{"hangdraw", ::testing::ExitedWithCode(70)}),
    [](const auto& info) { return std::string(info.param.Fixture); });

// In the user's state folder, never beside the program.
TEST(CrashRecordTest, LivesInTheUsersStateFolder) {
    const std::string home = std::filesystem::temp_directory_path() / "glimra_home";
    const std::string saved = std::getenv("XDG_STATE_HOME") ? std::getenv("XDG_STATE_HOME") : "";
    setenv("XDG_STATE_HOME", (home + "/state").c_str(), 1);
    EXPECT_EQ(DefaultCrashRecordPath(), home + "/state/glimra4/module-crash.rec");
    EXPECT_TRUE(std::filesystem::is_directory(home + "/state/glimra4"));
    unsetenv("XDG_STATE_HOME");
    const std::string oldHome = std::getenv("HOME");
    setenv("HOME", home.c_str(), 1);
    EXPECT_EQ(DefaultCrashRecordPath(), home + "/.local/state/glimra4/module-crash.rec");
    setenv("HOME", oldHome.c_str(), 1);
    if (!saved.empty())
        setenv("XDG_STATE_HOME", saved.c_str(), 1);
    std::filesystem::remove_all(home);
}

// The record names a module exactly while it is being called, innermost first, and
// a clean end removes it.
TEST(CrashRecordTest, NamesTheModuleOnlyWhileItIsCalled) {
    const std::string record = RecordPath();
    ASSERT_TRUE(StartCrashGuard(record));
    EXPECT_TRUE(CrashGuardActive());
    EXPECT_EQ(FileText(record), "");
    {
        TCrashScope outer("outer.so", "ExpMouseEmu");
        EXPECT_EQ(FileText(record), "outer.so\nExpMouseEmu\n");
        {
            TCrashScope inner("inner.so", "ExpDrawToBitmap");
            EXPECT_EQ(FileText(record), "inner.so\nExpDrawToBitmap\n");
        }
        EXPECT_EQ(FileText(record), "outer.so\nExpMouseEmu\n");
    }
    EXPECT_EQ(FileText(record), "");
    ::testing::FLAGS_gtest_death_test_style = "threadsafe";
    EXPECT_EXIT(
        {
            StartCrashGuard(record);
            std::exit(0);
        },
        ::testing::ExitedWithCode(0), "");
    EXPECT_FALSE(std::filesystem::exists(record));
}

// A fault on another thread during a module call is not the module's.
TEST(CrashRecordTest, FaultOnAnotherThreadBlamesNoModule) {
    ::testing::FLAGS_gtest_death_test_style = "threadsafe";
    const std::string record = RecordPath();
    std::remove(record.c_str());
    EXPECT_EXIT(
        {
            StartCrashGuard(record);
            TCrashScope scope("innocent.so", "ExpDrawToBitmap");
            std::thread([] { std::raise(SIGSEGV); }).join();
        },
        ::testing::KilledBySignal(SIGSEGV), "");
    EXPECT_EQ(ReadCrashRecord(record).Module, "");
    EXPECT_EXIT(
        {
            StartCrashGuard(record);
            TCrashScope scope("guilty.so", "ExpDrawToBitmap");
            std::raise(SIGSEGV);
        },
        ::testing::KilledBySignal(SIGSEGV), "");
    const TCrashBlame blame = ReadCrashRecord(record);
    EXPECT_EQ(blame.Module, "guilty.so");
    EXPECT_EQ(blame.Call, "ExpDrawToBitmap");
    EXPECT_EQ(blame.How, "signal 11");
}

// Ended from outside during a call: blamed, unless the event loop ran inside the call
// lately (the module's own dialog) and the program was stopped from there.
TEST(CrashRecordTest, AnEndFromOutsideBlamesAModuleThatShowsNoLife) {
    ::testing::FLAGS_gtest_death_test_style = "threadsafe";
    const std::string record = RecordPath();
    struct TCase {
        bool Alive;
        int QuietMs; // after the last sign of life
        const char* Blamed;
    };
    for (const TCase& c :
         {TCase{false, 0, "dialog.so"}, TCase{true, 0, ""}, TCase{true, 1000, "dialog.so"}}) {
        std::remove(record.c_str());
        EXPECT_EXIT(
            {
                StartCrashGuard(record, 2000);
                TCrashScope scope("dialog.so", "ExpMouseEmu");
                if (c.Alive)
                    CrashGuardHeartbeat();
                std::this_thread::sleep_for(std::chrono::milliseconds(c.QuietMs));
                std::_Exit(0); // as a stop signal's fallback ends the program
            },
            ::testing::ExitedWithCode(0), "");
        EXPECT_EQ(ReadCrashRecord(record).Module, c.Blamed) << c.Alive << " " << c.QuietMs;
    }
}

// A call whose thread answers the watchdog's ping runs an event loop (a module's own
// dialog): it may take longer than the limit. One that does not answer is ended.
TEST(CrashRecordTest, OnlyACallThatAnswersNoPingIsEndedAsHanging) {
    ::testing::FLAGS_gtest_death_test_style = "threadsafe";
    const std::string record = RecordPath();
    static std::atomic<bool> pinged;
    for (bool answers : {true, false}) {
        std::remove(record.c_str());
        EXPECT_EXIT(
            {
                StartCrashGuard(record, 400);
                SetCrashGuardPing([] { pinged = true; });
                TCrashScope scope("dialog.so", "ExpMouseEmu");
                const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(1200);
                while (std::chrono::steady_clock::now() < end) {
                    if (pinged.exchange(false) && answers)
                        CrashGuardHeartbeat();
                    std::this_thread::sleep_for(std::chrono::milliseconds(5));
                }
                std::_Exit(0);
            },
            ::testing::ExitedWithCode(answers ? 0 : 70), "");
        const TCrashBlame blame = ReadCrashRecord(record);
        EXPECT_EQ(blame.Module, answers ? "" : "dialog.so");
        EXPECT_EQ(blame.How, answers ? "" : "hang");
    }
}

} // namespace
} // namespace glimra
