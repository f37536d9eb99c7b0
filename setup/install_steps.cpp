#include "setup/install_steps.h"

#include "common/text_utils.h"

#include <algorithm>
#include <stdexcept>

namespace glimra {
namespace {

const char* const AppSection = "[APPLICATION FILES]";
const char* const ShortcutSection = "[SHORTCUT FILES]";
const char* const InfoSection = "[UNINSTALL INFO]";
const char* const FolderSection = "[DIRECTORIES]";
const char* const ScriptMissing = "setup.datが見つかりません。インストールできません.";

// A failure of the current step; the step code is what the user is told.
struct TStepFailed : std::runtime_error {
    using std::runtime_error::runtime_error;
};

bool EnsureFolder(TInstallWorld& world, const std::string& folder,
                  std::vector<std::string>& created) {
    if (world.FolderExists(folder))
        return true;
    if (world.Confirm(folder + "\n" + "が、見つかりません。新しく作成します.", false)) {
        if (world.CreateFolders(folder))
            created.push_back(folder);
        else
            world.Notify(TNotice::Information, "フォルダの作成に失敗しました.");
    } else {
        world.Notify(TNotice::Information, "フォルダの作成を中止しました.");
    }
    return world.FolderExists(folder);
}

std::string ParentOf(const std::string& line) {
    size_t slash = line.rfind('/');
    return slash == std::string::npos ? std::string() : line.substr(0, slash);
}

} // namespace

std::string InstallRecordText(const TInstallRecord& record) {
    std::string text = std::string(AppSection) + "\n";
    for (const std::string& line : record.ApplicationFiles)
        text += line + "\n";
    text += std::string(ShortcutSection) + "\n";
    for (const std::string& line : record.Shortcuts)
        text += line + "\n";
    text += std::string(InfoSection) + "\n" + YesNoText(record.StoreExisted) + "\n";
    if (!record.CreatedFolders.empty()) {
        text += std::string(FolderSection) + "\n";
        for (const std::string& line : record.CreatedFolders)
            text += line + "\n";
    }
    return text;
}

std::vector<std::string> TextLines(const std::string& text) {
    std::vector<std::string> lines;
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find('\n', start);
        if (end == std::string::npos)
            end = text.size();
        std::string line = text.substr(start, end - start);
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        lines.push_back(line);
        start = end + 1;
    }
    return lines;
}

std::optional<TInstallRecord> ParseInstallRecord(const std::string& text) {
    std::vector<std::string> lines = TextLines(text);
    TInstallRecord record;
    size_t i = 0;
    auto section = [&](const char* name, std::vector<std::string>* into) {
        if (i >= lines.size() || lines[i] != name)
            return false;
        for (++i; i < lines.size() &&
                  !(lines[i].size() > 1 && lines[i].front() == '[' && lines[i].back() == ']');
             ++i)
            if (into)
                into->push_back(lines[i]);
        return true;
    };
    if (!section(AppSection, &record.ApplicationFiles) ||
        !section(ShortcutSection, &record.Shortcuts))
        return std::nullopt;
    std::vector<std::string> info;
    if (!section(InfoSection, &info) || info.size() != 1 ||
        (info[0] != "TRUE" && info[0] != "FALSE"))
        return std::nullopt;
    record.StoreExisted = info[0] == "TRUE";
    if (i < lines.size() && !section(FolderSection, &record.CreatedFolders))
        return std::nullopt;
    if (i != lines.size())
        return std::nullopt;
    return record;
}

TInstallFolders DefaultInstallFolders(const std::string& desktop, const std::string& sendTo,
                                      const std::string& programs,
                                      const std::string& programFiles) {
    return {desktop,
            sendTo,
            programs,
            programFiles,
            programs + "/" + ShortcutName,
            programFiles + "/" + ShortcutName};
}

std::optional<std::string> AcceptChosenFolder(TInstallWorld& world, const std::string& chosen) {
    if (world.FolderExists(chosen) && world.FolderHasEntries(chosen) &&
        !world.Confirm(
            "指定のフォルダ (" + chosen +
                ") には、ファイルがあります.\n"
                "このフォルダにインストールすると、手動アンインストールが困難になります.\n"
                "よろしいですか?（[いいえ]を選択すると元の設定に戻します.）",
            true))
        return std::nullopt;
    return StripTrailingSeparator(chosen);
}

TInstallResult RunInstall(TInstallWorld& world, const TInstallChoice& choice,
                          std::vector<std::string>& createdFolders) {
    TInstallResult result;
    const std::string dist = StripTrailingSeparator(choice.DistributionFolder);
    const std::string script = dist + "/" + InstallScriptName;
    if (!world.FileExists(script)) {
        world.Notify(TNotice::Warning, ScriptMissing);
        return result;
    }
    // Both folders are offered for creation even when the first one failed.
    bool appOk = EnsureFolder(world, choice.AppFolder, createdFolders);
    bool startOk = EnsureFolder(world, choice.StartFolder, createdFolders);
    if (!appOk || !startOk) {
        std::string prefix = !appOk && !startOk ? "インストール先およびスタートメニューの"
                             : !appOk           ? "インストール先の"
                                                : "スタートメニューの";
        world.Notify(TNotice::Information, prefix + "フォルダの指定が不正です.");
        return result;
    }

    std::string step = "000";
    TInstallRecord& record = result.Record;
    const std::string& app = choice.AppFolder;
    try {
        step = "001";
        const std::string destination = StripTrailingSeparator(app);

        step = "002";
        std::optional<std::string> scriptText = world.ReadFile(script);
        if (!scriptText) {
            world.Notify(TNotice::Warning, ScriptMissing);
            return result;
        }
        std::vector<std::string> lines = TextLines(*scriptText);
        for (const std::string& line : lines)
            record.ApplicationFiles.push_back(app + "/" + line);

        step = "003";
        step = "004";

        step = "005";
        // Files in a subfolder of the distribution keep that subfolder, so one copy per
        // subfolder, in the order the script first names it.
        std::vector<std::string> folders;
        for (const std::string& line : lines)
            if (std::find(folders.begin(), folders.end(), ParentOf(line)) == folders.end())
                folders.push_back(ParentOf(line));
        for (const std::string& folder : folders) {
            std::vector<std::string> sources;
            for (const std::string& line : lines)
                if (ParentOf(line) == folder)
                    sources.push_back(dist + "/" + line);
            int code =
                world.CopyFiles(sources, folder.empty() ? destination : destination + "/" + folder);
            if (code != 0 && code != -1)
                throw TStepFailed("copy");
        }

        const std::string mainProgram = app + "/" + MainProgramName;
        auto shortcut = [&](const std::string& folder, bool offerForFiles) {
            std::string link = folder + "/" + ShortcutName + ShortcutExtension;
            // A shortcut that could not be saved is still listed.
            world.CreateShortcut(link, mainProgram, app + "/", offerForFiles);
            record.Shortcuts.push_back(link);
        };
        step = "006";
        if (choice.SendTo)
            shortcut(choice.SendToFolder, true);

        step = "007";
        if (choice.StartMenu) {
            shortcut(choice.StartFolder, false);
            std::string link = choice.StartFolder + "/" + UninstallShortcutName + ShortcutExtension;
            world.CreateShortcut(link, app + "/" + UninstallerName, app + "/", false);
            record.Shortcuts.push_back(link);
        }

        step = "008";
        if (choice.DeskTop)
            shortcut(choice.DesktopFolder, false);

        step = "009";
        if (!choice.SendTo && !choice.StartMenu && !choice.DeskTop)
            world.Open(mainProgram);

        step = "010";
        record.StoreExisted = world.StoreFolderExists();
        record.CreatedFolders = createdFolders;
        if (!world.WriteFile(app + "/" + InstallRecordName, InstallRecordText(record)))
            throw TStepFailed("record");
    } catch (const std::exception&) {
        world.Notify(TNotice::Warning, "インストール中にエラーが発生しました( " + step + ").");
        result.FailedStep = step;
        return result;
    }
    result.Done = true;
    world.StartProgram(app + "/" + UninstallerName, dist);
    return result;
}

} // namespace glimra
