#include "settings/reg_work.h"
#include "settings/settings_keys.h"
#include "settings_fakes.h"

#include <algorithm>
#include <gtest/gtest.h>

namespace glimra {
namespace {

using namespace glimra::testing;

const char* const DefaultFile = "[SystemInfo]\r\nVersion= 0.1\r\n"
                                "[Tips]\r\nCount= 0\r\nShow= TRUE\r\n"
                                "[Main]\r\nLeft= 272\r\nTop= 209\r\nWidth= 480\r\nHeight= 350\r\n"
                                "FontName= Sans\r\nFontSize= 10\r\nFontColor= clWhite\r\n"
                                "WaitTime= 4500\r\nRetry= 10\r\nWordWrap= TRUE\r\n"
                                "CaptureWait= 800\r\nLightLevel= 2\r\nBlendLevel= 50\r\n"
                                "GWatch= TRUE\r\nStayOnTop= FALSE\r\nLayerWin= FALSE\r\n"
                                "ActiveColor= clLime\r\nDeActiveColor= clBlue\r\n"
                                "ActiveMenuColor= clRed\r\nDeActiveMenuColor= clLime\r\n"
                                "FileColor= clAqua\r\nThreadPriority= 0\r\nOpening= TRUE\r\n"
                                "AV_B= 1\r\nAV_G= 1\r\nAV_R= 1\r\nAV_REVERSE= FALSE\r\n"
                                "ScrollWait= 0\r\n"
                                "[Modules]\r\nTESSEL.SO= 0,TRUE,0\r\n\r\n";

// A first start adds its rules after every older section; the older keys stay as they were.
const std::string RulesSection = "[Rules]\r\nCount= 2\r\nRule1= ERROR,clRed,\r\n"
                                 "Rule2= WARN,clYellow,\r\n\r\n";
const std::string SavedDefaultFile =
    std::string(DefaultFile).substr(0, std::string(DefaultFile).size() - 2) + RulesSection;

// The default file with one line replaced.
std::string WithLine(const std::string& from, const std::string& to) {
    std::string text = DefaultFile;
    std::size_t at = text.find(from);
    EXPECT_NE(at, std::string::npos) << from;
    return text.replace(at, from.size(), to);
}

class RegWorkTest : public ::testing::Test {
protected:
    TFakePlatform P;
    void SetUp() override { P.Files.Folders[ModuleDir] = {"tessel.so"}; }
    std::unique_ptr<TRegWork> LoadFile(const std::string& text) {
        P.Files.Files[IniPath] = text;
        return P.Loaded();
    }
    std::string SavedFile(TRegWork& reg) {
        reg.SaveSettings();
        return P.Files.Files[IniPath];
    }
};

TEST_F(RegWorkTest, DefaultsFollowTheTableAndAreWrittenInItsOrder) {
    auto reg = P.Loaded();
    const TRegIniRec& s = reg->Settings;
    EXPECT_EQ(s.Font, (TFontData{"Sans", clWhite, 10}));
    EXPECT_EQ(s.Left, 272);
    EXPECT_EQ(s.Top, 209);
    EXPECT_EQ(s.Width, 480);
    EXPECT_EQ(s.Height, 350);
    EXPECT_EQ(s.WaitTime, 4500);
    EXPECT_EQ(s.Retry, 10);
    EXPECT_TRUE(s.WordWrap && s.GWatch && s.Opening && s.TipsShow);
    EXPECT_FALSE(s.StayOnTop || s.LayerWin || s.AV_REVERSE);
    EXPECT_EQ(s.CaptureWait, 800);
    EXPECT_EQ(s.LightLevel, 2);
    EXPECT_EQ(s.BlendLevel, 50);
    EXPECT_EQ(s.ActiveColor, clLime);
    EXPECT_EQ(s.DeActiveColor, clBlue);
    EXPECT_EQ(s.ActiveMenuColor, clRed);
    EXPECT_EQ(s.DeActiveMenuColor, clLime);
    EXPECT_EQ(s.FileColor, clAqua);
    EXPECT_EQ(s.AV_B + s.AV_G + s.AV_R, 3);
    EXPECT_EQ(s.ThreadPriority + s.ScrollWait + s.TipsCount, 0);
    EXPECT_EQ(s.Rules, DefaultColorRules());
    EXPECT_EQ(reg->Defaults, s);
    EXPECT_EQ(SavedFile(*reg), SavedDefaultFile);
    // A file from before the rules reads as it did and gains the first start's rules.
    EXPECT_EQ(LoadFile(DefaultFile)->Settings, s);
    EXPECT_EQ(SavedFile(*LoadFile(SavedDefaultFile)), SavedDefaultFile);
}

TEST_F(RegWorkTest, FileWrittenByTheStoreReadsBackEqual) {
    P.Files.Folders[ModuleDir] = {"tessel.so", "Clock.SO", "b.so"};
    TRegIniRec written;
    std::vector<TModuleSetupData> modules;
    {
        auto reg = P.Loaded();
        TRegIniRec& s = reg->Settings;
        s.Font = {"ＭＳ Ｐゴシック", 0x00123456, 14};
        s.TipsCount = 7;
        s.TipsShow = false;
        s.Left = -20;
        s.Top = 5;
        s.Width = 600;
        s.Height = 200;
        s.WaitTime = 100;
        s.Retry = 0;
        s.WordWrap = false;
        s.LightLevel = 5;
        s.StayOnTop = s.LayerWin = s.AV_REVERSE = true;
        s.ActiveColor = 0x00ABCDEF;
        s.DeActiveColor = SystemColorBase + 5;
        s.FileColor = clNone;
        s.AV_B = 10;
        s.AV_G = 20;
        s.AV_R = 30;
        s.ScrollWait = 3;
        // Commas, another rule's key and an expression inside patterns.
        s.Rules = {{"a,b Rule2= x", 0x00ABCDEF, true}, {"re:^\\d{1,3}$", clYellow, false}};
        reg->SetModuleOrder("CLOCK.SO", 2, false);
        reg->SetModuleOrder("B.SO", 1, true);
        reg->SetModuleLocation("", 0);
        reg->ModuleList[0].Location = 4;
        written = s;
        modules = reg->ModuleList;
    } // destruction saves
    EXPECT_NE(P.Files.Files[IniPath].find("ActiveColor= $00ABCDEF\r\n"), std::string::npos);
    EXPECT_NE(P.Files.Files[IniPath].find("[Rules]\r\nCount= 2\r\nRule1= a,b Rule2= x,$00ABCDEF,"
                                          "ALERT\r\nRule2= re:^\\d{1,3}$,clYellow,\r\n\r\n"),
              std::string::npos);
    auto reg = P.Loaded();
    EXPECT_EQ(reg->Settings, written);
    ASSERT_EQ(reg->ModuleList.size(), 3u);
    std::vector<std::string> order;
    for (const TModuleSetupData& m : reg->ModuleList) {
        order.push_back(m.FileName);
        EXPECT_TRUE(m.Known);
        auto before = std::ranges::find(modules, m.FileName, &TModuleSetupData::FileName);
        EXPECT_EQ(m.Order, before->Order);
        EXPECT_EQ(m.Enabled, before->Enabled);
        EXPECT_EQ(m.Location, before->Location);
    }
    EXPECT_EQ(order, (std::vector<std::string>{"TESSEL.SO", "B.SO", "CLOCK.SO"}));
}

TEST_F(RegWorkTest, UserStoreHoldsTheSameValuesAndDropsVanishedModules) {
    P.Store.Present = true;
    P.Store.Data["Modules"]["GONE.SO"] = "1,TRUE,0";
    {
        auto reg = P.Loaded();
        reg->Settings.Retry = 3;
        reg->Settings.FileColor = 0x00010203;
    }
    EXPECT_FALSE(P.Files.Exists(IniPath));
    EXPECT_EQ(P.Store.Data["Main"]["Retry"], "3");
    EXPECT_EQ(P.Store.Data["Main"]["FileColor"], "$00010203");
    EXPECT_EQ(P.Store.Data["SystemInfo"]["Version"], "0.1");
    EXPECT_EQ(P.Store.Data["Modules"],
              (std::map<std::string, std::string>{{"TESSEL.SO", "0,TRUE,0"}}));
    auto reg = P.Loaded();
    EXPECT_EQ(reg->Settings.Retry, 3);
    EXPECT_EQ(reg->Settings.FileColor, 0x00010203u);
    EXPECT_TRUE(P.Boxes.Asked.empty());
    reg.reset();
    P.Files.Folders[ModuleDir].clear();
    P.Loaded().reset();
    EXPECT_FALSE(P.Store.Data.contains("Modules"));
}

TEST_F(RegWorkTest, ModuleEntriesAndFirstTime) {
    P.Files.Folders[ModuleDir] = {"tessel.so", "new.so", "old.so", "readme.txt", "x.so.1"};
    auto reg = LoadFile(
        WithLine("TESSEL.SO= 0,TRUE,0\r\n", "TESSEL.SO= 3,FALSE,1\r\nOLD.SO= 0,TRUE,2\r\n"));
    ASSERT_EQ(reg->ModuleList.size(), 3u);
    const TModuleSetupData& tessel = reg->ModuleList.back();
    EXPECT_EQ(tessel.FileName, "TESSEL.SO");
    EXPECT_EQ(tessel.DiskName, "tessel.so");
    EXPECT_EQ(tessel.Order, 3);
    EXPECT_FALSE(tessel.Enabled);
    EXPECT_EQ(tessel.Location, 1);
    EXPECT_TRUE(tessel.Known);
    // A library met for the first time sorts among the entries of order 0.
    auto fresh = std::ranges::find(reg->ModuleList, "NEW.SO", &TModuleSetupData::FileName);
    ASSERT_NE(fresh, reg->ModuleList.end());
    EXPECT_EQ(*fresh, (TModuleSetupData{"", "NEW.SO", 0, 0, true, false, "new.so"}));
    EXPECT_LT(fresh - reg->ModuleList.begin(), 2);
    EXPECT_EQ(reg->ModulePath(tessel), "/app/Module/tessel.so");
}

TEST_F(RegWorkTest, ModuleScanSkipsDuplicatesAndToleratesBadFolders) {
    P.Files.Folders[ModuleDir] = {"A.so", "a.SO", "notes.txt", ".so"};
    EXPECT_EQ(P.Loaded()->ModuleList.size(), 1u);
    EXPECT_TRUE(P.Boxes.Asked.size() == 1); // the storage question only

    P.Files.Folders.erase(ModuleDir);
    EXPECT_TRUE(P.Loaded()->ModuleList.empty());

    P.Files.Unlistable.insert(ModuleDir);
    P.Boxes.Asked.clear();
    P.Files.Files.erase(IniPath);
    auto reg = P.Loaded();
    EXPECT_TRUE(reg->ModuleList.empty());
    ASSERT_EQ(P.Boxes.Asked.size(), 2u);
    EXPECT_NE(P.Boxes.Asked[0].find("/app/Module"), std::string::npos);
}

TEST_F(RegWorkTest, PlaceAndFontComeBackToWhatCanBeShown) {
    auto reg = LoadFile(WithLine("Left= 272\r\nTop= 209", "Left= 2000\r\nTop= 768"));
    EXPECT_EQ(reg->Settings.Left, 272);
    EXPECT_EQ(reg->Settings.Top, 768); // not beyond the height: kept
    auto far = LoadFile(WithLine("Top= 209\r\nWidth= 480", "Top= 9000\r\nWidth= -2147483648"));
    EXPECT_EQ(far->Settings.Top, 209);
    EXPECT_EQ(far->Settings.Left, 272); // 272 is on the screen
    // Centred by the size the window can have, never pushed off the screen by it.
    auto wide = LoadFile(WithLine("Left= 272\r\nTop= 209\r\nWidth= 480",
                                  "Left= 1025\r\nTop= 209\r\nWidth= -2147483648"));
    EXPECT_EQ(wide->Settings.Left, 512);
    auto huge = LoadFile(WithLine("Left= 272\r\nTop= 209\r\nWidth= 480\r\nHeight= 350",
                                  "Left= 5000\r\nTop= 900\r\nWidth= 99999\r\nHeight= 5000"));
    EXPECT_EQ(huge->Settings.Left, 0);
    EXPECT_EQ(huge->Settings.Top, 0);
    EXPECT_EQ(LoadFile(WithLine("FontSize= 10", "FontSize= 10000"))->Settings.Font.FontSize,
              MaxFontSize);
}

TEST_F(RegWorkTest, ModuleOperations) {
    P.Files.Folders[ModuleDir] = {"a.so", "b.so", "c.so"};
    auto reg = LoadFile(WithLine("TESSEL.SO= 0,TRUE,0\r\n",
                                 "A.SO= 0,FALSE,0\r\nB.SO= 1,TRUE,5\r\nC.SO= 2,TRUE,0\r\n"));
    std::string name = "unchanged";
    ASSERT_TRUE(reg->NextEnabledModule(name));
    EXPECT_EQ(name, "B.SO");
    EXPECT_EQ(reg->ModuleCursor, 2);
    ASSERT_TRUE(reg->NextEnabledModule(name));
    EXPECT_EQ(name, "C.SO");
    EXPECT_FALSE(reg->NextEnabledModule(name));
    EXPECT_EQ(reg->ModuleCursor, 3);

    reg->SetModuleName("B.SO", "Clock");
    reg->SetModuleName("b.so", "Wrong"); // names are case-sensitive
    EXPECT_EQ(reg->GetModuleLocation("Clock"), 5);
    EXPECT_EQ(reg->GetModuleLocation("clock"), 0);
    reg->SetModuleLocation("Clock", 9);
    reg->SetModuleLocation("Nobody", 1);
    EXPECT_EQ(reg->ModuleList[1].Location, 9);
    reg->SetModuleOrder("A.SO", 7, true);
    EXPECT_EQ(reg->ModuleList[0].Order, 7);
    EXPECT_TRUE(reg->ModuleList[0].Enabled);
    // A new order takes effect when saved and read again.
    reg.reset();
    auto again = P.Loaded();
    EXPECT_EQ(again->ModuleList.back().FileName, "A.SO");
    EXPECT_EQ(again->ModuleList[0].ModuleName, "");
}

TEST_F(RegWorkTest, UninstallInfoIsWrittenOnceFromTheOrganisationFolder) {
    P.Loaded();
    EXPECT_EQ(P.Files.Files["/app/UnInst.dat"], "FALSE\r\n");
    P.Files.Files.erase("/app/UnInst.dat");
    P.Store.Organisation = true;
    P.Loaded();
    EXPECT_EQ(P.Files.Files["/app/UnInst.dat"], "TRUE\r\n");
    P.Files.Files["/app/UnInst.dat"] = "installer's own";
    P.Loaded();
    EXPECT_EQ(P.Files.Files["/app/UnInst.dat"], "installer's own");
    P.Files.Files.erase("/app/UnInst.dat");
    P.Files.Unwritable.insert("/app/UnInst.dat");
    EXPECT_NO_THROW(P.Loaded());
    // setup's record holds the fact already; nothing is left for the uninstaller to meet.
    P.Files.Unwritable.clear();
    P.Files.Files["/app/uninst.dat"] = "[APPLICATION FILES]\n";
    P.Loaded();
    EXPECT_EQ(P.Files.Files.count("/app/UnInst.dat"), 0u);
}

TEST_F(RegWorkTest, ProgramFolderThatCannotBeWrittenUsesTheStoreWithoutAsking) {
    P.Files.ReadOnlyFolders.insert(ExeDir);
    auto reg = P.Loaded();
    EXPECT_TRUE(P.Boxes.Asked.empty());
    EXPECT_FALSE(reg->UseIniFile);
    EXPECT_TRUE(P.Store.Present);
    // A file that is already there is still read.
    TFakePlatform withFile;
    withFile.Files.ReadOnlyFolders.insert(ExeDir);
    withFile.Files.Files[IniPath] = "";
    EXPECT_TRUE(withFile.Loaded()->UseIniFile);
}

TEST_F(RegWorkTest, VersionMismatchBeepsAndKeepsTheValues) {
    auto reg = LoadFile(WithLine("Version= 0.1", "Version= 0.2"));
    EXPECT_EQ(P.Beeps, 1);
    ASSERT_EQ(P.Boxes.Asked.size(), 1u);
    EXPECT_EQ(P.Boxes.Asked[0], VersionMismatchMessage);
    EXPECT_EQ(SavedFile(*reg), SavedDefaultFile);
}

TEST_F(RegWorkTest, StoreThatWasNeverLoadedDoesNotSave) {
    P.Files.Files[IniPath] = "keep";
    P.Make().reset();
    EXPECT_EQ(P.Files.Files[IniPath], "keep");
}

// Line ends, byte-order marks, key order and long or strange lines.
TEST_F(RegWorkTest, ToleratedFileShapes) {
    std::string crOnly = WithLine("Retry= 10", "Retry= 4");
    std::string lfOnly = crOnly;
    for (std::size_t at; (at = crOnly.find("\r\n")) != std::string::npos;)
        crOnly.replace(at, 2, "\r");
    for (std::size_t at; (at = lfOnly.find("\r\n")) != std::string::npos;)
        lfOnly.replace(at, 2, "\n");
    for (const std::string& text : {crOnly, lfOnly, "\xEF\xBB\xBF" + crOnly}) {
        P.Boxes.Asked.clear();
        auto reg = LoadFile(text);
        EXPECT_EQ(reg->Settings.Retry, 4);
        EXPECT_EQ(reg->ModuleList[0].Known, true);
        EXPECT_TRUE(P.Boxes.Asked.empty());
    }
    // Keys in another order within their section are still found.
    auto swapped = LoadFile(WithLine("Left= 272\r\nTop= 209\r\nWidth= 480\r\nHeight= 350",
                                     "Height= 300\r\nWidth= 400\r\nTop= 10\r\nLeft= 20"));
    EXPECT_EQ(swapped->Settings.Left, 20);
    EXPECT_EQ(swapped->Settings.Top, 10);
    EXPECT_EQ(swapped->Settings.Width, 400);
    EXPECT_EQ(swapped->Settings.Height, 300);
    // A 10 MB line with NUL bytes that holds no key costs nothing but time.
    std::string junk(10 * 1024 * 1024, 'x');
    junk[5] = '\0';
    auto big = LoadFile(WithLine("[Main]", "[Main]\r\n" + junk));
    EXPECT_EQ(big->Settings.Retry, 10);
    EXPECT_TRUE(P.Boxes.Asked.empty());
    auto negative = LoadFile(WithLine("CaptureWait= 800", "CaptureWait= -800"));
    EXPECT_EQ(negative->Settings.CaptureWait, -800);
}

TEST_F(RegWorkTest, MissingSectionGivesDefaultsFromThereOn) {
    std::string text = WithLine("[Tips]\r\nCount= 0\r\nShow= TRUE\r\n", "");
    auto noTips = LoadFile(text.replace(text.find("Retry= 10"), 9, "Retry= 4"));
    EXPECT_EQ(noTips->Settings.Retry, 10);
    EXPECT_FALSE(noTips->ModuleList[0].Known);
    EXPECT_TRUE(P.Boxes.Asked.empty());
}

// A value that does not convert: what came before stays, the rest is default, the
// user hears about it once, the old file is kept aside and the program goes on.
TEST_F(RegWorkTest, BadValuesStopReadingAndKeepTheOldFile) {
    struct TCase {
        std::string From, To;
    };
    for (const TCase& c : std::vector<TCase>{{"Retry= 10", "Retry=5"},
                                             {"Retry= 10", "Retry= ten"},
                                             {"Retry= 10", "Retry= 99999999999"},
                                             {"Retry= 10", std::string("Retry= 5\0", 9)},
                                             {"FileColor= clAqua", "FileColor= clPink"},
                                             {"TESSEL.SO= 0,TRUE,0", "TESSEL.SO= 3,FALSE"}}) {
        SCOPED_TRACE(c.To);
        P.Boxes.Asked.clear();
        std::string broken = WithLine(c.From, c.To);
        broken = broken.replace(broken.find("Left= 272"), 9, "Left= 30");
        broken = broken.replace(broken.find("ScrollWait= 0"), 13, "ScrollWait= 6");
        auto reg = LoadFile(broken);
        EXPECT_EQ(reg->Settings.Left, 30); // read before the bad value
        EXPECT_EQ(reg->Settings.Retry, 10);
        EXPECT_EQ(reg->Settings.ScrollWait, c.To.starts_with("TESSEL") ? 6 : 0);
        EXPECT_EQ(reg->ModuleList[0],
                  (TModuleSetupData{"", "TESSEL.SO", 0, 0, true, false, "tessel.so"}));
        ASSERT_EQ(P.Boxes.Asked.size(), 1u);
        EXPECT_NE(P.Boxes.Asked[0].find(c.To.substr(0, c.To.find('='))), std::string::npos);
        EXPECT_NE(P.Boxes.Asked[0].find("/app/GLIMRA4.INI.bak"), std::string::npos);
        EXPECT_EQ(P.Files.Files["/app/GLIMRA4.INI.bak"], broken);
        EXPECT_FALSE(reg->SaveBlocked);
        reg.reset();
        EXPECT_EQ(P.Files.Files[IniPath].find(c.To), std::string::npos);
    }
}

TEST_F(RegWorkTest, UnreadableOrUnsavableSettingsAreNeverWrittenOver) {
    const std::string broken = WithLine("Retry= 10", "Retry= x");
    P.Files.Unwritable.insert("/app/GLIMRA4.INI.bak");
    auto reg = LoadFile(broken);
    EXPECT_TRUE(reg->SaveBlocked);
    reg.reset();
    EXPECT_EQ(P.Files.Files[IniPath], broken);

    P.Files.Unreadable.insert(IniPath);
    P.Boxes.Asked.clear();
    reg = P.Loaded();
    EXPECT_EQ(reg->Settings, reg->Defaults);
    ASSERT_EQ(P.Boxes.Asked.size(), 1u);
    reg.reset();
    EXPECT_EQ(P.Files.Files[IniPath], broken);

    // The same in the user store.
    P.Store.Present = true;
    P.Store.BackupWorks = false;
    P.Store.Data["Main"]["Retry"] = "x";
    P.Loaded().reset();
    EXPECT_EQ(P.Store.Data["Main"]["Retry"], "x");
    P.Store.BackupWorks = true;
    P.Loaded().reset();
    EXPECT_EQ(P.Store.Data["Main"]["Retry"], "10");
}

} // namespace
} // namespace glimra
