#include "fixture_access.h"
#include "modules/module_set.h"
#include "settings_fakes.h"

#include <gtest/gtest.h>

namespace glimra {
namespace {

using namespace glimra::testing;

struct TLayoutEntry {
    std::string Name;
    std::int32_t Location;
    std::uint8_t* Visible;
    std::int32_t *Left, *Top, *Width, *Height;
};

class TRecordingLayout : public TModuleLocationSink {
public:
    std::vector<TLayoutEntry> Entries;
    int Normalized = 0;
    void AddLocation(void*, const std::string& name, std::int32_t location, std::uint8_t* visible,
                     std::int32_t* left, std::int32_t* top, std::int32_t* width,
                     std::int32_t* height, const char*) override {
        Entries.push_back({name, location, visible, left, top, width, height});
    }
    void Normalize() override { ++Normalized; }
};

std::string Upper(std::string s) {
    for (char& c : s)
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return s;
}

class ModuleSetTest : public ::testing::Test {
protected:
    TFakePlatform Platform;
    std::unique_ptr<TRegWork> Store = Platform.Make();
    TFakeBoxes Boxes;
    TModuleSet Set{Boxes, DummyProcs()};
    TRecordingLayout Layout;
    std::vector<void*> Instances;

    // Sets up the store's module list with these fixtures, in this order, enabled.
    void Use(std::vector<std::string> names) {
        Store->ExeDir = FixtureRoot();
        std::int32_t order = 0;
        for (const std::string& name : names) {
            TModuleSetupData entry;
            entry.FileName = Upper(name) + ".SO";
            entry.DiskName = name + ".so";
            entry.Order = order++;
            Store->ModuleList.push_back(entry);
        }
    }
    void LoadAndOpenWindow(std::vector<std::string> names) {
        Use(std::move(names));
        Set.LoadModules(*Store);
        Set.CreateModuleInstances(Owner(1), Instances, Saved(), Layout);
    }
    std::function<std::int32_t(const std::string&)> Saved() {
        return [this](const std::string& name) { return Store->GetModuleLocation(name); };
    }
    std::string StoredName(const std::string& fixture) const {
        for (const auto& entry : Store->ModuleList)
            if (entry.DiskName == fixture + ".so")
                return entry.ModuleName;
        return "?";
    }
};

TEST_F(ModuleSetTest, RefusedAndUnloadableLibrariesAreCountedOnce) {
    Use({"spec256", "notalib", "spec257", "nodraw", "spec262", "spec261"});
    Set.LoadModules(*Store);
    ASSERT_EQ(Set.Count(), 2);
    EXPECT_EQ(Set.GetModuleNameAt(0), "spec257");
    EXPECT_EQ(Set.GetModuleNameAt(1), "spec261");
    EXPECT_EQ(Boxes.Asked, std::vector<std::string>{
                               "4 個の無効なDLLを検出しました。これらのDLLは読みこまれません。"});
    EXPECT_EQ(StoredName("spec256"), "spec256");
    EXPECT_EQ(StoredName("notalib"), "ERROR");
    EXPECT_EQ(StoredName("nodraw"), "ERROR");
    EXPECT_EQ(StoredName("spec257"), "spec257");
}

TEST_F(ModuleSetTest, LibraryWithoutItsVersionWarnsAndTheOthersLoad) {
    Use({"nospec", "spec258", "spec257"});
    Store->ModuleList[2].Enabled = false;
    Set.LoadModules(*Store);
    ASSERT_EQ(Set.Count(), 1);
    EXPECT_EQ(Set.GetModuleNameAt(0), "spec258");
    EXPECT_EQ(Boxes.Asked,
              std::vector<std::string>{"モジュール読み込み中にエラーが発生しました。"});
    EXPECT_EQ(StoredName("spec257"), ""); // disabled: never loaded
}

TEST_F(ModuleSetTest, EachAcceptedLibraryGetsTheProceduresOfItsVersion) {
    TFixture old("spec257"), keys("spec261");
    Use({"spec257", "spec261"});
    Set.LoadModules(*Store);
    EXPECT_EQ(old.Log().find("EnableUpdateThread"), std::string::npos);
    EXPECT_NE(old.Log().find("ImpSetControlUpdate;"), std::string::npos);
    EXPECT_NE(keys.Log().find("ImpSetEnableUpdateThread;ImpSetSetEditText;"), std::string::npos);
    EXPECT_TRUE(Boxes.Asked.empty());
}

TEST_F(ModuleSetTest, NothingLoadedMeansDefaults) {
    Set.CreateModuleInstances(Owner(1), Instances, Saved(), Layout);
    EXPECT_TRUE(Instances.empty());
    EXPECT_EQ(Layout.Normalized, 0);
    EXPECT_EQ(Set.ForwardMouse(Instances, 0, 0, 0, 1, 1), (TModuleHit{false, -1}));
    EXPECT_FALSE(Set.OfferParam(Instances, "/tmp/x.log"));
    EXPECT_EQ(Set.GetModuleNameAt(0), "NO MODULE");
    EXPECT_FALSE(Set.IsModuleVisible(0, nullptr));
    Set.SetModuleVisible(0, nullptr, true); // ignored, not a crash
    Boxes.Asked.clear();
}

TEST_F(ModuleSetTest, WindowRegistersEveryInstanceWithItsSavedLocation) {
    TFixture fixture("spec258");
    Use({"spec258", "spec261"});
    Set.LoadModules(*Store);
    Store->ModuleList[1].Location = 3; // spec261's entry carries a saved place
    fixture.Clear();
    Set.CreateModuleInstances(Owner(5), Instances, Saved(), Layout);
    ASSERT_EQ(Instances.size(), 2u);
    EXPECT_EQ(fixture.Log(), "ExpCreate 5;ExpGetModuleName;GetVisiblePtr 5;GetLeftPtr 5;"
                             "GetTopPtr 5;GetWidthPtr 5;GetHeightPtr 5;");
    ASSERT_EQ(Layout.Entries.size(), 2u);
    EXPECT_EQ(Layout.Entries[0].Name, "spec258");
    EXPECT_EQ(Layout.Entries[0].Location, 0);
    EXPECT_EQ(Layout.Entries[1].Location, 3);
    EXPECT_EQ(Layout.Entries[1].Left, Set.Module(1).GetLeftPtr(Instances[1]));
    EXPECT_EQ(Layout.Normalized, 1);

    fixture.Clear();
    Set.FreeModuleInstances(Owner(5), Instances);
    EXPECT_TRUE(Instances.empty());
    EXPECT_EQ(fixture.Log(), "ExpFree 5;");
}

TEST_F(ModuleSetTest, ReleasingFreesWhatWindowsLeftBehind) {
    TFixture fixture("spec257");
    LoadAndOpenWindow({"spec257"});
    std::vector<void*> second;
    Set.CreateModuleInstances(Owner(2), second, Saved(), Layout);
    fixture.Clear();
    Set.ReleaseModules();
    EXPECT_EQ(Set.Count(), 0);
    EXPECT_EQ(fixture.Log(), "ExpFree 2;ExpFree 1;");
}

TEST_F(ModuleSetTest, EveryVisibleInstanceUnderThePointerGetsTheClickTheFirstIsNamed) {
    TFixture a("spec258"), b("spec261"), c("second261");
    LoadAndOpenWindow({"spec258", "spec261", "second261"});
    for (int i = 0; i < 3; ++i)
        Place(Set.Module(i), Instances[i], 10, 10, 50, 50);
    Place(Set.Module(0), Instances[0], 100, 100, 5, 5); // not under the pointer
    Set.SetModuleVisible(2, Instances[2], false);
    a.Clear(), b.Clear(), c.Clear();

    EXPECT_EQ(Set.ForwardMouse(Instances, 0, 1, 8, 20, 20), (TModuleHit{true, 1}));
    EXPECT_EQ(a.Log().find("Mouse"), std::string::npos);
    EXPECT_NE(b.Log().find("Mouse 1 0 1 8 20 20;"), std::string::npos);
    EXPECT_EQ(c.Log().find("Mouse"), std::string::npos); // hidden

    Set.SetModuleVisible(2, Instances[2], true);
    EXPECT_EQ(Set.ForwardMouse(Instances, 2, 0, 0, 30, 30), (TModuleHit{true, 1}));
    EXPECT_NE(c.Log().find("Mouse 1 2 0 0 30 30;"), std::string::npos);
    EXPECT_EQ(Set.ForwardMouse(Instances, 1, 0, 0, 300, 300), (TModuleHit{false, -1}));
}

// Modules that break the contract harm neither the host nor the module after them: one
// that makes no instance, a refused version without a name, null area pointers, and
// one that rewrites the bitmap header it was lent.
TEST_F(ModuleSetTest, ContractBreakersHarmNeitherTheHostNorTheNextModule) {
    TFixture none("nullcreate"), next("spec258");
    LoadAndOpenWindow({"nullcreate", "nameless262", "nullpointers", "forgeheader", "spec258"});
    ASSERT_EQ(Set.Count(), 4);
    EXPECT_EQ(StoredName("nameless262"), "ERROR");
    ASSERT_EQ(Instances.size(), 4u);
    EXPECT_EQ(Instances[0], nullptr);
    EXPECT_EQ(Layout.Entries.size(), 3u); // no place for no instance
    EXPECT_FALSE(Set.IsModuleVisible(0, Instances[0]));
    Set.SetModuleVisible(0, Instances[0], true);
    next.Clear();
    for (int round = 0; round < 2; ++round)
        Set.DrawModules(Instances, GlimraDib{4, 3, 24, 12, nullptr});
    EXPECT_EQ(next.Log(), "Draw 1 4x3;Draw 1 4x3;");
    EXPECT_EQ(Set.ForwardMouse(Instances, 0, 0, 0, 5, 5), (TModuleHit{false, -1}));
    EXPECT_FALSE(Set.OfferParam(Instances, "/tmp/x.log"));
    Set.FreeModuleInstances(Owner(1), Instances);
    // Nothing was asked of an instance that does not exist.
    const std::string log = none.Log();
    EXPECT_EQ(log.substr(log.find("ExpCreate")), "ExpCreate null;");
}

TEST_F(ModuleSetTest, HiddenInstancesAreStillDrawn) {
    TFixture a("spec258"), b("spec261");
    LoadAndOpenWindow({"spec258", "spec261"});
    Set.SetModuleVisible(0, Instances[0], false);
    EXPECT_FALSE(Set.IsModuleVisible(0, Instances[0]));
    EXPECT_TRUE(Set.IsModuleVisible(1, Instances[1]));
    a.Clear(), b.Clear();
    GlimraDib dib{4, 3, 24, 12, nullptr};
    Set.DrawModules(Instances, dib);
    EXPECT_EQ(a.Log(), "Draw 1 4x3;");
    EXPECT_EQ(b.Log(), "Draw 1 4x3;");
}

TEST_F(ModuleSetTest, KeysReachEveryVisibleModuleOfTheKeyVersionOnly) {
    TFixture old("spec260"), first("spec261"), hidden("second261");
    LoadAndOpenWindow({"spec260", "spec261", "second261"});
    Set.SetModuleVisible(2, Instances[2], false);
    Set.ForwardKey(Instances, 0, 0x70, 4);
    EXPECT_EQ(old.Log().find("Key"), std::string::npos);
    EXPECT_NE(first.Log().find("Key 1 0 112 4;"), std::string::npos);
    EXPECT_EQ(hidden.Log().find("Key"), std::string::npos);

    Set.SetModuleVisible(2, Instances[2], true);
    Set.ForwardKey(Instances, 1, 0x70, 0);
    EXPECT_NE(hidden.Log().find("Key 1 1 112 0;"), std::string::npos);
}

TEST_F(ModuleSetTest, OfferStopsAtTheFirstTakerJudgedByTheLowByte) {
    TFixture a("spec257"), b("spec258"), c("spec261");
    LoadAndOpenWindow({"spec257", "spec258", "spec261"});
    a.SetParamResult(0x100); // upper bytes only: not taken
    b.SetParamResult(1);
    c.SetParamResult(1);
    EXPECT_TRUE(Set.OfferParam(Instances, "/var/log/x.log"));
    EXPECT_NE(a.Log().find("SetParam 1 /var/log/x.log;"), std::string::npos);
    EXPECT_NE(b.Log().find("SetParam 1 /var/log/x.log;"), std::string::npos);
    EXPECT_EQ(c.Log().find("SetParam"), std::string::npos);

    b.SetParamResult(0);
    c.SetParamResult(0);
    EXPECT_FALSE(Set.OfferParam(Instances, "/var/log/y.log"));
}

TEST_F(ModuleSetTest, IndicesOutsideTheListAreIgnored) {
    LoadAndOpenWindow({"spec257"});
    EXPECT_EQ(Set.GetModuleNameAt(-1), "NO MODULE");
    EXPECT_EQ(Set.GetModuleNameAt(1), "NO MODULE");
    EXPECT_FALSE(Set.IsModuleVisible(1, Instances[0]));
    Set.SetModuleVisible(-1, Instances[0], false);
    EXPECT_TRUE(Set.IsModuleVisible(0, Instances[0]));
}

} // namespace
} // namespace glimra
