#include "fixture_access.h"

#include <gtest/gtest.h>

#include <fstream>

namespace glimra {
namespace {

using namespace glimra::testing;

const std::string BaseSetters =
    "ImpSetGlimraRect;ImpSetBackground;ImpSetWrapText;ImpSetLinesProperty;ImpSetState;"
    "ImpSetDecBrightnessProc;ImpSetBlendProc;ImpSetBlendMaskProc;ImpSetGlimraRedraw;"
    "ImpSetControlUpdate;";
const std::string EditSetters =
    "ImpSetSetEditText;ImpSetGetEditText;ImpSetEditLocation;ImpSetEditVisible;";

struct TGate {
    const char* Name;
    std::int32_t Spec;
    bool ExtRect;
    std::string Setters;
    bool Keys;
};

class RapGates : public ::testing::TestWithParam<TGate> {};

TEST_P(RapGates, VersionDecidesTheEntriesBoundAndTheSettersCalled) {
    const TGate& gate = GetParam();
    TFixture fixture(gate.Name);
    TRap rap;
    ASSERT_TRUE(rap.LoadModule(FixturePath(gate.Name)));
    EXPECT_EQ(fixture.Log(), "ExpGetModuleSpec;");
    EXPECT_EQ(rap.GetSpec(), gate.Spec);
    EXPECT_EQ(rap.HasExtRect(), gate.ExtRect);

    fixture.Clear();
    rap.SetHostProcs(DummyProcs());
    EXPECT_EQ(fixture.Log(), gate.Setters);

    void* instance = rap.CreateInstance(Owner(1));
    EXPECT_EQ(rap.GetExtRect(instance) != nullptr, gate.ExtRect);
    EXPECT_EQ(rap.KeyPress(instance, 0, 65, 0), gate.Keys);
    EXPECT_EQ(fixture.Log().find("Key") != std::string::npos, gate.Keys);
}

INSTANTIATE_TEST_SUITE_P(
    Versions, RapGates,
    ::testing::Values(TGate{"spec257", 257, false, BaseSetters, false},
                      TGate{"spec258", 258, true, BaseSetters, false},
                      TGate{"spec260", 260, true, BaseSetters + "ImpSetEnableUpdateThread;", false},
                      TGate{"spec261", 261, true,
                            BaseSetters + "ImpSetEnableUpdateThread;" + EditSetters, true}),
    [](const auto& info) { return std::string(info.param.Name); });

TEST(Rap, LibrariesThatCannotServeAreNotLoaded) {
    const std::string missing = FixtureRoot() + "/Module/missing.so";
    for (const std::string& path : {FixturePath("notalib"), missing, FixturePath("nodraw")}) {
        TRap rap;
        EXPECT_FALSE(rap.LoadModule(path)) << path;
        EXPECT_FALSE(rap.IsLoaded());
        EXPECT_EQ(rap.GetName(), "ERROR");
        EXPECT_EQ(rap.GetSpec(), 0);
        EXPECT_EQ(rap.CreateInstance(Owner(1)), nullptr);
        EXPECT_FALSE(rap.Mouse(nullptr, 0, 0, 0, 1, 1));
        EXPECT_EQ(rap.SetParam(nullptr, "x"), 0);
    }
    TRap rap;
    rap.LoadModule(FixturePath("notalib"));
    EXPECT_FALSE(rap.LoadError().empty());
}

TEST(Rap, LibraryWithoutItsVersionRaisesAndStaysUnloaded) {
    TRap rap;
    EXPECT_THROW(rap.LoadModule(FixturePath("nospec")), TModuleBindError);
    EXPECT_FALSE(rap.IsLoaded());
}

TEST(Rap, RefusedVersionsStillLoadAndReportTheirNumber) {
    // Refusing them is the hub's decision; the wrapper only reports.
    for (auto [name, spec] : {std::pair{"spec256", 256}, std::pair{"spec262", 262}}) {
        TRap rap;
        EXPECT_TRUE(rap.LoadModule(FixturePath(name)));
        EXPECT_EQ(rap.GetSpec(), spec);
        EXPECT_EQ(rap.GetName(), name);
    }
}

TEST(Rap, InstancesAreFreedOnceAndTheRestLastToFirstAtTheEnd) {
    TFixture fixture("spec257");
    {
        TRap rap;
        ASSERT_TRUE(rap.LoadModule(FixturePath("spec257")));
        rap.CreateInstance(Owner(1));
        rap.CreateInstance(Owner(2));
        void* third = rap.CreateInstance(Owner(3));
        void* stranger = &fixture;
        rap.FreeInstance(stranger);
        EXPECT_EQ(stranger, &fixture);
        rap.FreeInstance(third);
        EXPECT_EQ(third, nullptr);
        rap.FreeInstance(third); // a second free of the same variable is harmless
        fixture.Clear();
    }
    EXPECT_EQ(fixture.Log(), "ExpFree 2;ExpFree 1;");
}

TEST(Rap, HitTestExcludesTheBordersOfTheArea) {
    TRap rap;
    ASSERT_TRUE(rap.LoadModule(FixturePath("spec257")));
    void* instance = rap.CreateInstance(Owner(1));
    Place(rap, instance, 10, 20, 30, 40);
    EXPECT_FALSE(rap.Mouse(instance, 0, 0, 0, 10, 30)); // left border
    EXPECT_TRUE(rap.Mouse(instance, 0, 0, 0, 11, 30));
    EXPECT_FALSE(rap.Mouse(instance, 0, 0, 0, 20, 20)); // top border
    EXPECT_TRUE(rap.Mouse(instance, 0, 0, 0, 20, 21));
    EXPECT_FALSE(rap.Mouse(instance, 0, 0, 0, 40, 30)); // right border
    EXPECT_TRUE(rap.Mouse(instance, 0, 0, 0, 39, 59));
    EXPECT_FALSE(rap.Mouse(instance, 0, 0, 0, 39, 60)); // bottom border
    Place(rap, instance, 0x7FFFFFF0, 0, 0x7FFFFFFF, 10);
    EXPECT_TRUE(rap.Mouse(instance, 0, 0, 0, 0x7FFFFFFE, 5)); // no overflow at the far edge
}

TEST(Rap, ExtendedRectangleTakesEveryEventOnlyWhenAllFourAreSet) {
    TFixture fixture("spec258");
    TRap rap;
    ASSERT_TRUE(rap.LoadModule(FixturePath("spec258")));
    void* instance = rap.CreateInstance(Owner(1));
    Place(rap, instance, 10, 10, 10, 10);
    std::int32_t* ext = rap.GetExtRect(instance);
    EXPECT_FALSE(rap.Mouse(instance, 1, 0, 0, 500, 500)); // all zero: area only
    ext[0] = 1, ext[1] = 1, ext[2] = 1, ext[3] = 0;
    EXPECT_FALSE(rap.Mouse(instance, 1, 0, 0, 500, 500));
    ext[3] = -1;
    EXPECT_TRUE(rap.Mouse(instance, 1, 0, 0, 500, 500));
}

TEST(Rap, VersionBelowTheRectangleIsNeverAskedForIt) {
    TFixture fixture("spec257");
    TRap rap;
    ASSERT_TRUE(rap.LoadModule(FixturePath("spec257")));
    void* instance = rap.CreateInstance(Owner(1));
    Place(rap, instance, 0, 0, 5, 5);
    rap.Mouse(instance, 0, 0, 0, 100, 100);
    rap.Mouse(instance, 0, 0, 0, 2, 2);
    EXPECT_EQ(fixture.Log().find("ExpGetExtModuleClientRect"), std::string::npos);
}

TEST(Rap, EventArgumentsArriveExactly) {
    TFixture fixture("spec261");
    TRap rap;
    ASSERT_TRUE(rap.LoadModule(FixturePath("spec261")));
    void* instance = rap.CreateInstance(Owner(7));
    Place(rap, instance, -100, -100, 200, 200);
    fixture.Clear();
    EXPECT_TRUE(rap.Mouse(instance, 2, 1, 0xFF, -5, 99));
    EXPECT_TRUE(rap.KeyPress(instance, 1, 0xFFFF, 0x80));
    EXPECT_TRUE(rap.KeyPress(instance, 0, 0x0041, 0x41));
    EXPECT_EQ(fixture.Log(),
              "GetLeftPtr 7;GetTopPtr 7;GetWidthPtr 7;GetHeightPtr 7;Mouse 7 2 1 255 -5 99;"
              "Key 7 1 65535 128;Key 7 0 65 65;");
}

} // namespace
} // namespace glimra
