#include "platform/file_access.h"
#include "platform/message_box.h"
#include "platform/settings_platform.h"
#include "platform/shell_files.h"
#include "settings/font_data_qt.h"
#include "settings/reg_work.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSettings>
#include <QTemporaryDir>
#include <cerrno>
#include <gtest/gtest.h>

namespace glimra {
namespace {

std::string ReadText(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll().toStdString() : std::string("<none>");
}

void WriteText(const QString& path, const QByteArray& text) {
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(text);
}

// A program folder and a user configuration folder of its own for every test.
class SettingsPlatformTest : public ::testing::Test {
protected:
    QTemporaryDir Home;
    QString ExeDir, Ini, Regini, StorePath;
    TQtSettingsFiles Files;
    TScriptedMessageBoxes Boxes;
    std::unique_ptr<TQtUserStore> Store;

    void SetUp() override {
        ASSERT_TRUE(Home.isValid());
        qputenv("XDG_CONFIG_HOME", (Home.path() + "/config").toUtf8());
        ExeDir = Home.path() + "/app";
        QDir().mkpath(ExeDir + "/Module");
        Ini = ExeDir + "/GLIMRA4.INI";
        Regini = ExeDir + "/REGINI.TXT";
        StorePath = TQtUserStore::DefaultPath();
        ASSERT_TRUE(StorePath.startsWith(Home.path()));
        NewStore();
    }
    void TearDown() override {
        SimulateReadOnlyRemovalFailure(false);
        SetWriteFailureHook(nullptr);
    }
    void NewStore() { Store = std::make_unique<TQtUserStore>(); }
    std::unique_ptr<TRegWork> Loaded(std::vector<TMsgResult> answers = {}) {
        Boxes.Answers = std::move(answers);
        Boxes.Asked.clear();
        auto reg = std::make_unique<TRegWork>(ExeDir.toStdString(), 1024, 768,
                                              TFontData{"Sans", clWhite, 9},
                                              TRegWorkPlatform{Files, *Store, Boxes, nullptr});
        reg->Load();
        return reg;
    }
};

TEST_F(SettingsPlatformTest, StoreRealPathFollowsXdgConfigHome) {
    EXPECT_EQ(StorePath, Home.path() + "/config/QUENTARO/GLIMRA4.conf");
}

TEST_F(SettingsPlatformTest, FirstStartYesCreatesTheStoreAtOnce) {
    auto reg = Loaded({TMsgResult::Yes});
    EXPECT_EQ(Boxes.Asked, std::vector<std::string>{UseRegistryQuestion});
    EXPECT_FALSE(reg->UseIniFile);
    EXPECT_TRUE(QFile::exists(StorePath));
    reg->Settings.Retry = 6;
    reg.reset();
    EXPECT_FALSE(QFile::exists(Ini));
    NewStore();
    EXPECT_EQ(Loaded()->Settings.Retry, 6);
    EXPECT_TRUE(Boxes.Asked.empty());
}

TEST_F(SettingsPlatformTest, FirstStartNoAsksAgainUntilTheFileExists) {
    auto first = Loaded({TMsgResult::No});
    EXPECT_TRUE(first->UseIniFile);
    EXPECT_FALSE(QFile::exists(StorePath));
    auto second = Loaded({TMsgResult::No}); // the first has not written yet
    EXPECT_EQ(Boxes.Asked.size(), 1u);
    second.reset();
    first->Settings.Width = 500;
    first.reset();
    std::string text = ReadText(Ini);
    EXPECT_TRUE(text.starts_with("[SystemInfo]\r\nVersion= 0.1\r\n"));
    EXPECT_TRUE(text.ends_with("ScrollWait= 0\r\n[Rules]\r\nCount= 2\r\nRule1= ERROR,clRed,\r\n"
                               "Rule2= WARN,clYellow,\r\n\r\n"));
    EXPECT_EQ(Loaded()->Settings.Width, 500);
    EXPECT_TRUE(Boxes.Asked.empty());
    EXPECT_FALSE(QFile::exists(StorePath));
}

TEST_F(SettingsPlatformTest, StoreWinsOverTheFile) {
    WriteText(Ini, "[SystemInfo]\r\nVersion= 0.1\r\n[Tips]\r\n[Main]\r\nRetry= 2\r\n");
    QFileInfo(StorePath).dir().mkpath(".");
    {
        QSettings raw(StorePath, QSettings::NativeFormat);
        raw.setValue("Main/Retry", "7");
        // Commas unquoted by hand come back as a list; they still read as one text.
        raw.setValue("Modules/TESSEL.SO", QStringList{"2", "FALSE", "1"});
    }
    WriteText(ExeDir + "/Module/tessel.so", "");
    NewStore();
    auto reg = Loaded();
    EXPECT_TRUE(Boxes.Asked.empty());
    EXPECT_FALSE(reg->UseIniFile);
    EXPECT_EQ(reg->Settings.Retry, 7);
    ASSERT_EQ(reg->ModuleList.size(), 1u);
    EXPECT_EQ(reg->ModuleList[0].Order, 2);
    EXPECT_FALSE(reg->ModuleList[0].Enabled);
}

TEST_F(SettingsPlatformTest, MarkerFileYesMovesTheFileAsideAndUsesTheStore) {
    WriteText(Ini, "[SystemInfo]\r\nVersion= 0.1\r\n[Tips]\r\n[Main]\r\nRetry= 2\r\n");
    WriteText(Regini, "");
    QFile::setPermissions(Regini, QFile::ReadOwner); // read-only is no obstacle
    SimulateReadOnlyRemovalFailure(true);
    auto reg = Loaded({TMsgResult::Yes});
    EXPECT_EQ(Boxes.Asked, std::vector<std::string>{UseRegistryQuestion});
    EXPECT_FALSE(QFile::exists(Regini));
    EXPECT_FALSE(QFile::exists(Ini));
    EXPECT_TRUE(ReadText(Ini + ".bak").find("Retry= 2") != std::string::npos);
    EXPECT_FALSE(reg->UseIniFile);
    EXPECT_TRUE(QFile::exists(StorePath));
}

TEST_F(SettingsPlatformTest, MarkerFileNoWithAStoreExplainsAndKeepsIt) {
    Store->Create();
    WriteText(Regini, "x");
    auto reg = Loaded({TMsgResult::No});
    EXPECT_EQ(Boxes.Asked, (std::vector<std::string>{UseRegistryQuestion, IniAtExitMessage}));
    EXPECT_TRUE(reg->UseIniFile);
    reg.reset();
    EXPECT_TRUE(QFile::exists(Ini));
    EXPECT_TRUE(QFile::exists(StorePath));
    // The store still exists, so the next start chooses it again.
    NewStore();
    EXPECT_FALSE(Loaded()->UseIniFile);
    EXPECT_TRUE(Boxes.Asked.empty());
}

TEST_F(SettingsPlatformTest, UninstallInfoAndUserStoreRoundTrip) {
    QDir().mkpath(Home.path() + "/config/QUENTARO");
    auto reg = Loaded({TMsgResult::Yes});
    EXPECT_EQ(ReadText(ExeDir + "/UnInst.dat"), "TRUE\r\n");
    reg->Settings.Font = {"ＭＳ Ｐゴシック", 0x00123456, 12};
    reg->Settings.DeActiveColor = SystemColorBase + 3;
    reg->Settings.Left = -5;
    TRegIniRec written = reg->Settings;
    reg.reset();
    {
        QSettings raw(StorePath, QSettings::NativeFormat);
        EXPECT_EQ(raw.value("Main/FontColor").toString(), "$00123456");
        EXPECT_EQ(raw.value("Main/DeActiveColor").toString(), "clInactiveCaption");
    }
    NewStore();
    EXPECT_EQ(Loaded()->Settings, written);
}

// A write that fails once the file is open (a full disk) leaves the old file
// whole, no temporary file behind, and asks nothing.
TEST_F(SettingsPlatformTest, SaveReplacesTheFileWholeAndFailsSilently) {
    auto reg = Loaded({TMsgResult::No});
    reg->SaveSettings();
    EXPECT_TRUE(QFile::exists(Ini));
    const QStringList files = QDir(ExeDir).entryList(QDir::Files | QDir::Hidden);
    EXPECT_EQ(files, (QStringList{"GLIMRA4.INI", "UnInst.dat"}));
    const std::string before = ReadText(Ini);
    const std::size_t asked = Boxes.Asked.size();
    SetWriteFailureHook(
        [&](const std::string& path) { return path == Ini.toStdString() ? ENOSPC : 0; });
    reg->Settings.Retry = 1;
    reg->SaveSettings();
    EXPECT_EQ(ReadText(Ini), before);
    EXPECT_EQ(QDir(ExeDir).entryList(QDir::Files | QDir::Hidden), files);
    EXPECT_EQ(Boxes.Asked.size(), asked);
}

TEST_F(SettingsPlatformTest, ModuleFolderListsVisibleFilesOnly) {
    WriteText(ExeDir + "/Module/Tessel.So", "");
    WriteText(ExeDir + "/Module/.hidden.so", "");
    WriteText(ExeDir + "/Module/notes.txt", "");
    QDir().mkpath(ExeDir + "/Module/dir.so");
    auto reg = Loaded({TMsgResult::No});
    ASSERT_EQ(reg->ModuleList.size(), 1u);
    EXPECT_EQ(reg->ModuleList[0].FileName, "TESSEL.SO");
    EXPECT_EQ(reg->ModulePath(reg->ModuleList[0]), (ExeDir + "/Module/Tessel.So").toStdString());
}

TEST(FontData, FontAndColourRoundTrip) {
    QFont font("Serif", 13);
    TFontData data;
    FontToData(font, QColor(1, 2, 3), data);
    EXPECT_EQ(data, (TFontData{"Serif", 0x00030201, 13}));
    QFont back;
    QColor color;
    DataToFont({"Mono", clRed, 0}, back, color);
    EXPECT_EQ(back.family(), "Mono");
    EXPECT_GT(back.pointSize(), 0);
    EXPECT_EQ(color, QColor(255, 0, 0));
    DataToFont({"Mono", clRed, 10000}, back, color);
    EXPECT_EQ(back.pointSize(), MaxFontSize);
}

} // namespace
} // namespace glimra

namespace glimra {
namespace {

TEST(DesktopSettingsPlatform, AsksTheDialogsInstalledAtTheTime) {
    TRegWorkPlatform platform = DesktopSettingsPlatform();
    TScriptedMessageBoxes boxes;
    boxes.Answers = {TMsgResult::No};
    SetMessageBoxes(&boxes);
    EXPECT_EQ(platform.Boxes.Show(TMsgKind::Information, "q", TMsgButtons::YesNo), TMsgResult::No);
    SetMessageBoxes(nullptr);
    EXPECT_EQ(boxes.Asked, std::vector<std::string>{"q"});
}

} // namespace
} // namespace glimra
