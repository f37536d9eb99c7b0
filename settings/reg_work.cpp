#include "settings/reg_work.h"

#include "common/text_utils.h"
#include "settings/ini_text.h"
#include "settings/settings_keys.h"

#include <algorithm>
#include <set>

namespace glimra {
namespace {

bool IsModuleLibrary(const std::string& name) {
    return name.size() > 3 && UpperAscii(name.substr(name.size() - 3)) == ".SO";
}

// A value shown in a message: short, without control characters, not cut inside
// a UTF-8 sequence.
std::string Printable(const std::string& value) {
    constexpr std::size_t limit = 40;
    std::size_t end = std::min(value.size(), limit);
    while (end < value.size() && end > 0 && (value[end] & 0xC0) == 0x80)
        --end;
    std::string shown = value.substr(0, end);
    for (char& c : shown)
        if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F)
            c = '?';
    return end < value.size() ? shown + "…" : shown;
}

} // namespace

TRegWork::TRegWork(std::string exeDir, int screenWidth, int screenHeight, TFontData ownerFont,
                   TRegWorkPlatform platform)
    : ExeDir(StripTrailingSeparator(std::move(exeDir))), Platform(std::move(platform)),
      OwnerFont(std::move(ownerFont)), ScreenWidth(screenWidth), ScreenHeight(screenHeight) {}

TRegWork::~TRegWork() {
    SaveSettings();
}

std::unique_ptr<TRegWork> TRegWork::Successor() const {
    return std::make_unique<TRegWork>(ExeDir, ScreenWidth, ScreenHeight, OwnerFont, Platform);
}

void TRegWork::Load() {
    ModuleCursor = 0;
    WriteUninstallInfo();
    ScanModules();
    ReadSettings();
    if (Platform.Files.Exists(ReginiPath())) {
        AskAgain = true;
        ReadSettings();
    }
    Loaded = true;
}

void TRegWork::WriteUninstallInfo() {
    // Where setup installed the program, its record already holds this fact, and a file
    // written here would be left behind by the uninstaller.
    if (Platform.Files.Exists(UninstallInfoPath()) || Platform.Files.Exists(ExeDir + "/uninst.dat"))
        return;
    Platform.Files.Write(UninstallInfoPath(),
                         YesNoText(Platform.Store.OrganisationExists()) + "\r\n");
}

void TRegWork::ScanModules() {
    std::optional<std::vector<std::string>> names = Platform.Files.FileNames(ModuleFolder());
    if (!names) {
        Platform.Boxes.Show(TMsgKind::Warning,
                            "モジュールフォルダ " + ModuleFolder() +
                                " を読み込めませんでした。\r\nモジュールは読み込まれません。",
                            TMsgButtons::Ok);
        return;
    }
    std::ranges::sort(*names);
    std::set<std::string> seen;
    for (const std::string& name : *names) {
        std::string upper = UpperAscii(name);
        // Two spellings of one name would load the same module twice.
        if (!IsModuleLibrary(name) || !seen.insert(upper).second)
            continue;
        TModuleSetupData entry;
        entry.FileName = upper;
        entry.DiskName = name;
        ModuleList.push_back(std::move(entry));
    }
}

void TRegWork::ReadSettings() {
    UseIniFile = !Platform.Store.Exists();
    SaveBlocked = false;
    bool askAgainForMarker = AskAgain && Platform.Files.Exists(ReginiPath());
    if (UseIniFile && !Platform.Files.Exists(IniPath()) && !askAgainForMarker &&
        !Platform.Files.FolderWritable(ExeDir)) {
        // Installed where the user may not write (a system package): a file could never
        // be saved there, so the store is the only answer and nothing is asked.
        UseIniFile = false;
    } else if ((UseIniFile && !Platform.Files.Exists(IniPath())) || askAgainForMarker) {
        AskForStorage(askAgainForMarker);
    }
    SetDefaults();
    Settings = Defaults;
    if (UseIniFile) {
        ReadFromFile();
    } else {
        Platform.Store.Create();
        TUserStoreReader reader(Platform.Store);
        ReadFrom(reader);
    }
    KeepScreenCheck();
    Settings.Font.FontSize = std::min(Settings.Font.FontSize, MaxFontSize);
}

void TRegWork::AskForStorage(bool markerAndAskAgain) {
    if (markerAndAskAgain)
        Platform.Files.Delete(ReginiPath());
    TMsgResult answer =
        Platform.Boxes.Show(TMsgKind::Information, UseRegistryQuestion, TMsgButtons::YesNo);
    if (answer == TMsgResult::Yes) {
        // The file goes out of the way so the store is chosen from now on, but a
        // copy stays: the user did not ask to lose those settings.
        if (Platform.Files.Exists(IniPath()) && Platform.Files.Copy(IniPath(), IniBackupPath()))
            Platform.Files.Delete(IniPath());
        UseIniFile = false;
    } else if (AskAgain) {
        UseIniFile = true;
        if (Platform.Store.Exists())
            Inform(IniAtExitMessage);
    }
}

void TRegWork::SetDefaults() {
    Defaults = DefaultSettings(ScreenWidth, ScreenHeight);
    Defaults.Font = {OwnerFont.FontName, clWhite, OwnerFont.FontSize};
}

void TRegWork::ReadFromFile() {
    if (!Platform.Files.Exists(IniPath())) {
        TIniFileReader empty("");
        ReadFrom(empty);
        return;
    }
    std::optional<std::string> text = Platform.Files.Read(IniPath());
    if (!text) {
        SaveBlocked = true;
        ReportOnce("設定情報ファイル " + IniPath() +
                   " を読み込めませんでした。\r\n既定の設定で起動します。"
                   "このファイルは終了時にも書き換えません。");
        return;
    }
    TIniFileReader reader(*text);
    ReadFrom(reader);
}

void TRegWork::ReadFrom(TSettingsReader& reader) {
    TSettingsReadResult result = ReadSettingsKeys(reader, Settings, ModuleList);
    if (result.Version != SettingsVersion) {
        if (Platform.Beep)
            Platform.Beep();
        Inform(VersionMismatchMessage);
    }
    if (!result.Error)
        return;
    const TSettingsReadError& error = *result.Error;
    std::string where =
        UseIniFile ? "設定情報ファイル " + IniPath() : "設定情報 " + Platform.Store.Location();
    std::string backup =
        UseIniFile
            ? (Platform.Files.Copy(IniPath(), IniBackupPath()) ? IniBackupPath() : std::string())
            : Platform.Store.Backup();
    SaveBlocked = backup.empty();
    std::string kept = SaveBlocked
                           ? "元の設定を保存できなかったため、終了時に設定を書き込みません。"
                           : "元の設定は " + backup + " に保存しました。";
    ReportOnce(where + " の値を読み取れませんでした。\r\n[" + error.Section + "] " + error.Key +
               " = \"" + Printable(error.Value) +
               "\"\r\n読み取れなかった設定には既定値を使います。\r\n" + kept);
}

void TRegWork::KeepScreenCheck() {
    // Centred by the size the window will have: at most the screen's.
    auto centre = [](int screen, int place, int size) {
        return screen < place ? (screen - std::clamp(size, 0, std::max(0, screen))) / 2 : place;
    };
    Settings.Left = centre(ScreenWidth, Settings.Left, Settings.Width);
    Settings.Top = centre(ScreenHeight, Settings.Top, Settings.Height);
}

void TRegWork::ReportOnce(const std::string& text) {
    if (ProblemReported)
        return;
    ProblemReported = true;
    Platform.Boxes.Show(TMsgKind::Warning, text, TMsgButtons::Ok);
}

void TRegWork::Inform(const std::string& text) {
    Platform.Boxes.Show(TMsgKind::Information, text, TMsgButtons::Ok);
}

void TRegWork::SaveSettings() {
    if (!Loaded || SaveBlocked)
        return;
    if (UseIniFile) {
        TIniFileWriter writer;
        WriteSettingsKeys(writer, Settings, ModuleList);
        Platform.Files.Write(IniPath(), writer.Text());
        return;
    }
    Platform.Store.Create();
    TUserStoreWriter writer(Platform.Store);
    WriteSettingsKeys(writer, Settings, ModuleList);
    // An empty list writes no Modules section, so the old one would stay.
    if (ModuleList.empty())
        Platform.Store.ClearSection("Modules");
    Platform.Store.Flush();
}

std::vector<TColorRule> TRegWork::PeekRules(std::string& problem) {
    SetDefaults();
    TRegIniRec settings = Defaults;
    std::vector<TModuleSetupData> modules;
    std::optional<TSettingsReadError> error;
    if (Platform.Store.Exists()) {
        TUserStoreReader reader(Platform.Store);
        error = ReadSettingsKeys(reader, settings, modules).Error;
    } else if (Platform.Files.Exists(IniPath())) {
        std::optional<std::string> text = Platform.Files.Read(IniPath());
        if (!text) {
            problem = "cannot read " + IniPath();
            return settings.Rules;
        }
        TIniFileReader reader(*text);
        error = ReadSettingsKeys(reader, settings, modules).Error;
    }
    if (error)
        problem = "cannot read [" + error->Section + "] " + error->Key + " = \"" +
                  Printable(error->Value) + "\"";
    return settings.Rules;
}

bool TRegWork::NextEnabledModule(std::string& fileName) {
    const auto count = static_cast<std::int32_t>(ModuleList.size());
    if (ModuleCursor < 0)
        ModuleCursor = 0;
    while (ModuleCursor < count) {
        const TModuleSetupData& entry = ModuleList[ModuleCursor++];
        if (entry.Enabled) {
            fileName = entry.FileName;
            return true;
        }
    }
    return false;
}

void TRegWork::SetModuleName(const std::string& fileName, const std::string& moduleName) {
    auto it = std::ranges::find(ModuleList, fileName, &TModuleSetupData::FileName);
    if (it != ModuleList.end())
        it->ModuleName = moduleName;
}

std::int32_t TRegWork::GetModuleLocation(const std::string& moduleName) const {
    auto it = std::ranges::find(ModuleList, moduleName, &TModuleSetupData::ModuleName);
    return it != ModuleList.end() ? it->Location : 0;
}

void TRegWork::SetModuleLocation(const std::string& moduleName, std::int32_t location) {
    auto it = std::ranges::find(ModuleList, moduleName, &TModuleSetupData::ModuleName);
    if (it != ModuleList.end())
        it->Location = location;
}

void TRegWork::SetModuleOrder(const std::string& fileName, std::int32_t order, bool enabled) {
    auto it = std::ranges::find(ModuleList, fileName, &TModuleSetupData::FileName);
    if (it != ModuleList.end()) {
        it->Order = order;
        it->Enabled = enabled;
    }
}

std::string TRegWork::ModulePath(const TModuleSetupData& entry) const {
    return ModuleFolder() + "/" + (entry.DiskName.empty() ? entry.FileName : entry.DiskName);
}

} // namespace glimra
