#include "setup/install_steps.h"

#include "common/text_utils.h"

#include <algorithm>
#include <set>
#include <stdexcept>

namespace glimra {
namespace {

const char* const ScriptMissing = "setup.datが見つかりません。インストールできません.";

// A failure of the current step; the step code is what the user is told.
struct TStepFailed : std::runtime_error {
    using std::runtime_error::runtime_error;
};

struct TMade {
    std::string Path;
    bool Folder;
};

struct TLauncher {
    const char* Step;
    std::string Link, Target;
    bool OfferForFiles;
};

void AddUnique(std::vector<std::string>& list, const std::string& item) {
    if (std::find(list.begin(), list.end(), item) == list.end())
        list.push_back(item);
}

void Drop(std::vector<std::string>& list, const std::string& item) {
    list.erase(std::remove(list.begin(), list.end(), item), list.end());
}

class TInstallRun {
public:
    TInstallRun(TInstallWorld& world, const TInstallChoice& choice) : w_(world), c_(choice) {}
    TInstallResult Run();

private:
    bool PrepareFolders();
    bool EnsureFolder(const std::string& folder);
    void AddFolders(const std::vector<std::string>& made);
    void LoadEarlierRecord();
    bool MayWrite(const std::string& path);
    void Put(const std::string& path, const std::string& bytes, bool executable,
             std::vector<std::string>& list);
    std::string RecordPath() const { return app_ + "/" + InstallRecordName; }
    TInstallRecord Current() const {
        return hadRecord_ ? MergeInstallRecords(earlier_, run_) : run_;
    }
    void SaveRecord();
    void RollBack();

    TInstallWorld& w_;
    const TInstallChoice& c_;
    std::string dist_, app_, start_, desktop_, sendTo_;
    TInstallRecord earlier_, run_;
    bool hadRecord_ = false, recordWritten_ = false;
    std::set<std::string> foreign_; // in the way and replaced on request
    std::vector<TMade> made_;
};

bool TInstallRun::EnsureFolder(const std::string& folder) {
    if (w_.FolderExists(folder))
        return true;
    if (w_.Confirm(folder + "\n" + "が、見つかりません。新しく作成します.", false)) {
        std::vector<std::string> made;
        bool created = w_.CreateFolders(folder, made);
        AddFolders(made);
        if (!created)
            w_.Notify(TNotice::Information, "フォルダの作成に失敗しました.");
    } else {
        w_.Notify(TNotice::Information, "フォルダの作成を中止しました.");
    }
    return w_.FolderExists(folder);
}

void TInstallRun::AddFolders(const std::vector<std::string>& made) {
    for (const std::string& folder : made) {
        std::string real = w_.RealFolder(folder);
        AddUnique(run_.CreatedFolders, real);
        made_.push_back({real, true});
    }
}

// Makes the typed folders absolute, refuses names that cannot go into the record or
// a launcher, and creates both folders (always both, as the user is asked for each).
bool TInstallRun::PrepareFolders() {
    auto normal = [&](const std::string& typed) {
        return NormalInstallPath(typed, c_.WorkingFolder, c_.Home);
    };
    std::optional<std::string> app = normal(c_.AppFolder), start = normal(c_.StartFolder);
    std::optional<std::string> desktop = normal(c_.DesktopFolder), sendTo = normal(c_.SendToFolder);
    bool appOk = app && app != dist_ && w_.RealFolder(*app) != w_.RealFolder(dist_);
    bool startOk = start.has_value() && desktop && sendTo;
    if (appOk && startOk) {
        appOk = EnsureFolder(*app);
        startOk = EnsureFolder(*start);
    }
    if (!appOk || !startOk) {
        std::string prefix = !appOk && !startOk ? "インストール先およびスタートメニューの"
                             : !appOk           ? "インストール先の"
                                                : "スタートメニューの";
        bool control = HasControlCharacter(c_.AppFolder) || HasControlCharacter(c_.StartFolder);
        w_.Notify(TNotice::Information, prefix + "フォルダの指定が不正です." +
                                            (control ? "\n(制御文字を含む名前は使えません.)" : ""));
        return false;
    }
    // The record holds real paths, so the uninstaller can refuse any symbolic link.
    app_ = w_.RealFolder(*app);
    start_ = w_.RealFolder(*start);
    desktop_ = w_.RealFolder(*desktop);
    sendTo_ = w_.RealFolder(*sendTo);
    return true;
}

void TInstallRun::LoadEarlierRecord() {
    if (w_.EntryKind(RecordPath()) != TEntryKind::File)
        return;
    if (std::optional<std::string> text = w_.ReadFile(RecordPath()))
        if (std::optional<TInstallRecord> record = ParseInstallRecord(*text)) {
            earlier_ = *record;
            hadRecord_ = true;
        }
}

// A file may be replaced when it is missing or is what an earlier install wrote.
bool TInstallRun::MayWrite(const std::string& path) {
    TEntryKind kind = w_.EntryKind(path);
    if (kind == TEntryKind::Missing || (path == RecordPath() && (hadRecord_ || recordWritten_)))
        return true;
    if (kind == TEntryKind::File) {
        auto hash = earlier_.Hashes.find(path);
        std::optional<std::string> bytes = w_.ReadFile(path);
        if (hash != earlier_.Hashes.end() && bytes && ContentHash(*bytes) == hash->second)
            return true;
    }
    const std::string notMine =
        "ファイル " + path + " は、このセットアップが作成したものではありません.";
    switch (c_.Overwrite) {
    case TOverwrite::Ask:
        if (!w_.Confirm(notMine +
                            "\n上書きしますか?（[いいえ]を選択するとインストールを中止します.）",
                        true))
            return false;
        break;
    case TOverwrite::Refuse:
        w_.Notify(TNotice::Warning, notMine + "\n上書きしません (--force で上書きします).");
        return false;
    case TOverwrite::Force:
        w_.Notify(TNotice::Information, notMine + "\n上書きします (アンインストールでは残します).");
        break;
    }
    foreign_.insert(path);
    return true;
}

// A new file is listed before it is written, so even a killed setup leaves it on record.
void TInstallRun::Put(const std::string& path, const std::string& bytes, bool executable,
                      std::vector<std::string>& list) {
    bool existed = w_.EntryKind(path) != TEntryKind::Missing;
    auto note = [&] {
        AddUnique(list, path);
        if (foreign_.count(path))
            run_.Hashes.erase(path);
        else
            run_.Hashes[path] = ContentHash(bytes);
    };
    if (!existed) {
        note();
        made_.push_back({path, false});
        SaveRecord();
    }
    if (!w_.WriteFile(path, bytes, executable))
        throw TStepFailed(path);
    if (existed) {
        note();
        SaveRecord();
    }
}

void TInstallRun::SaveRecord() {
    if (!w_.WriteFile(RecordPath(), InstallRecordText(Current()), false))
        throw TStepFailed("record");
    recordWritten_ = true;
}

// Files first, last made first, each only while it holds what this run wrote; then the
// record (when nothing of any install is left to list) and the folders, each only empty.
void TInstallRun::RollBack() {
    auto forget = [&](const std::string& path) {
        Drop(run_.ApplicationFiles, path);
        Drop(run_.Shortcuts, path);
        run_.Hashes.erase(path);
    };
    for (auto it = made_.rbegin(); it != made_.rend(); ++it) {
        if (it->Folder)
            continue;
        TEntryKind kind = w_.EntryKind(it->Path);
        auto hash = run_.Hashes.find(it->Path);
        std::optional<std::string> bytes =
            kind == TEntryKind::File ? w_.ReadFile(it->Path) : std::nullopt;
        if (kind == TEntryKind::Missing ||
            (bytes && hash != run_.Hashes.end() && ContentHash(*bytes) == hash->second &&
             w_.RemoveFile(it->Path)))
            forget(it->Path);
    }
    if (recordWritten_ && !hadRecord_ && run_.ApplicationFiles.empty() && run_.Shortcuts.empty() &&
        w_.RemoveFile(RecordPath()))
        recordWritten_ = false;
    for (auto it = made_.rbegin(); it != made_.rend(); ++it)
        if (it->Folder &&
            (w_.EntryKind(it->Path) == TEntryKind::Missing || w_.RemoveEmptyFolder(it->Path)))
            Drop(run_.CreatedFolders, it->Path);
    if (recordWritten_ && !w_.WriteFile(RecordPath(), InstallRecordText(Current()), false))
        w_.Notify(TNotice::Warning, RecordPath() + " を書き込めませんでした.");
}

TInstallResult TInstallRun::Run() {
    TInstallResult result;
    dist_ = StripTrailingSeparator(c_.DistributionFolder);
    const std::string script = dist_ + "/" + InstallScriptName;
    if (!w_.FileExists(script)) {
        w_.Notify(TNotice::Warning, ScriptMissing);
        return result;
    }
    // Asked before anything runs: the program started below creates the folder.
    run_.StoreExisted = w_.StoreFolderExists();
    if (!PrepareFolders()) {
        RollBack();
        return result;
    }

    std::string step = "000";
    try {
        step = "001";
        LoadEarlierRecord();
        // The folders made so far go on record at once, so even a setup killed while
        // asking below can be uninstalled.
        if (w_.EntryKind(RecordPath()) == TEntryKind::Missing && !run_.CreatedFolders.empty())
            SaveRecord();

        step = "002";
        std::optional<std::string> scriptText = w_.ReadFile(script);
        if (!scriptText) {
            w_.Notify(TNotice::Warning, ScriptMissing);
            RollBack();
            return result;
        }
        std::vector<std::pair<std::string, std::string>> files; // source, destination
        for (const std::string& line : TextLines(*scriptText)) {
            if (line.empty())
                continue;
            std::optional<std::string> to = NormalInstallPath(line, app_, app_);
            if (!to || !PathInside(*to, app_) || line.front() == '/' || line.front() == '~')
                throw TStepFailed(line);
            files.emplace_back(dist_ + "/" + line, *to);
        }

        step = "003";
        const std::string mainProgram = app_ + "/" + MainProgramName;
        const std::string launcher = std::string(ShortcutName) + ShortcutExtension;
        std::vector<TLauncher> launchers;
        if (c_.SendTo)
            launchers.push_back({"006", sendTo_ + "/" + launcher, mainProgram, true});
        if (c_.StartMenu) {
            launchers.push_back({"007", start_ + "/" + launcher, mainProgram, false});
            launchers.push_back({"007", start_ + "/" + UninstallShortcutName + ShortcutExtension,
                                 app_ + "/" + UninstallerName, false});
        }
        if (c_.DeskTop)
            launchers.push_back({"008", desktop_ + "/" + launcher, mainProgram, false});

        step = "004";
        // Everything in the way is settled before the first file is written.
        std::vector<std::string> targets{RecordPath()};
        for (const auto& file : files)
            targets.push_back(file.second);
        for (const TLauncher& l : launchers)
            targets.push_back(l.Link);
        for (const std::string& target : targets)
            if (!MayWrite(target)) {
                RollBack();
                return result;
            }
        SaveRecord();

        step = "005";
        for (const auto& [from, to] : files) {
            std::vector<std::string> made;
            bool folder = w_.CreateFolders(ParentPath(to), made);
            AddFolders(made);
            std::optional<std::string> bytes = w_.ReadFile(from);
            if (!folder || !bytes)
                throw TStepFailed(from);
            Put(to, *bytes, w_.IsExecutable(from), run_.ApplicationFiles);
        }

        for (const TLauncher& l : launchers) {
            step = l.Step;
            Put(l.Link, w_.ShortcutText(l.Link, l.Target, app_ + "/", l.OfferForFiles), true,
                run_.Shortcuts);
        }

        step = "009";
        if (!c_.SendTo && !c_.StartMenu && !c_.DeskTop)
            w_.Open(mainProgram);

        step = "010";
        SaveRecord();
    } catch (const std::exception&) {
        w_.Notify(TNotice::Warning, "インストール中にエラーが発生しました( " + step + ").");
        result.FailedStep = step;
        RollBack();
        result.Record = Current();
        return result;
    }
    result.Done = true;
    result.Record = Current();
    w_.StartProgram(app_ + "/" + UninstallerName, dist_);
    return result;
}

} // namespace

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

TInstallResult RunInstall(TInstallWorld& world, const TInstallChoice& choice) {
    return TInstallRun(world, choice).Run();
}

} // namespace glimra
