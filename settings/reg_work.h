#pragma once
#include "settings/module_setup_data.h"
#include "settings/reg_ini_rec.h"
#include "settings/settings_storage.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace glimra {

// Every user setting and the setup entry of every module library. Reads once in
// Load, writes everything back when destroyed.
class TRegWork {
public:
    // exeDir: the program's folder. ownerFont: the control window's font, whose
    // name and size are the default text font.
    TRegWork(std::string exeDir, int screenWidth, int screenHeight, TFontData ownerFont,
             TRegWorkPlatform platform);
    ~TRegWork(); // SaveSettings()
    TRegWork(const TRegWork&) = delete;
    TRegWork& operator=(const TRegWork&) = delete;

    void Load();
    // A store over the same folder, screen, font and platform, not loaded yet: the one
    // that reads back what this one writes when it goes.
    std::unique_ptr<TRegWork> Successor() const;
    void WriteUninstallInfo();
    void ScanModules();
    void ReadSettings();
    void SetDefaults();
    void SaveSettings();
    // The colour rules a start would use, read without asking, reporting or writing
    // anything; problem describes a value that could not be read.
    std::vector<TColorRule> PeekRules(std::string& problem);

    // The next enabled entry from ModuleCursor on, in list order.
    bool NextEnabledModule(std::string& fileName);
    void SetModuleName(const std::string& fileName, const std::string& moduleName);
    std::int32_t GetModuleLocation(const std::string& moduleName) const;
    void SetModuleLocation(const std::string& moduleName, std::int32_t location);
    void SetModuleOrder(const std::string& fileName, std::int32_t order, bool enabled);

    std::string IniPath() const { return ExeDir + "/GLIMRA4.INI"; }
    std::string IniBackupPath() const { return IniPath() + ".bak"; }
    std::string ReginiPath() const { return ExeDir + "/REGINI.TXT"; }
    std::string UninstallInfoPath() const { return ExeDir + "/UnInst.dat"; }
    std::string ModuleFolder() const { return ExeDir + "/Module"; }
    // The library file of an entry, as found on disk.
    std::string ModulePath(const TModuleSetupData& entry) const;

    std::vector<TModuleSetupData> ModuleList; // sorted by Order after Load
    std::string ExeDir;
    bool UseIniFile = true;
    bool AskAgain = false;
    std::int32_t ModuleCursor = 0;
    TRegIniRec Defaults;
    TRegIniRec Settings;
    // Set when the settings could not be read whole and no copy of them could be
    // kept aside: saving would lose what the user had.
    bool SaveBlocked = false;

private:
    void AskForStorage(bool markerAndAskAgain);
    void ReadFromFile();
    void ReadFrom(TSettingsReader& reader);
    void ReportOnce(const std::string& text);
    void KeepScreenCheck();
    void Inform(const std::string& text);

    TRegWorkPlatform Platform;
    TFontData OwnerFont;
    int ScreenWidth, ScreenHeight;
    bool Loaded = false;
    bool ProblemReported = false;
};

// The storage question and the second message, as shown to the user.
inline const char* const UseRegistryQuestion =
    "Registryを使いますか？[いいえ]を選択すると実行ファイルと同じフォルダに設定情報ファイル"
    "が作成されます。";
inline const char* const IniAtExitMessage =
    "アプリケーション終了時、Ini ファイルが作成されます。\r\nレジストリ情報を削除するには、"
    "UnInstall.exeを使用してください。";
inline const char* const VersionMismatchMessage = "バージョンが一致しませんでした";

} // namespace glimra
