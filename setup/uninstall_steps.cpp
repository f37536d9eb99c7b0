#include "setup/uninstall_steps.h"

#include <algorithm>

namespace glimra {
namespace {

bool Contains(const std::vector<std::string>& list, const std::string& item) {
    return std::find(list.begin(), list.end(), item) != list.end();
}

size_t Depth(const std::string& path) {
    return static_cast<size_t>(std::count(path.begin(), path.end(), '/'));
}

class TUninstallRun {
public:
    TUninstallRun(TUninstallWorld& world, const TInstallRecord& record, const std::string& home)
        : w_(world), record_(record), home_(home) {
        left_.StoreExisted = record.StoreExisted;
    }
    bool Run();

private:
    void RemoveFile(const std::string& path, std::vector<std::string>& keep);
    void RemoveFolder(const std::string& folder);
    void RemoveStore();
    void RemoveState();
    bool HomeHoldsOnlyOurs();
    std::string Self() const { return home_ + "/" + UninstallerName; }
    std::string RecordPath() const { return home_ + "/" + InstallRecordName; }

    TUninstallWorld& w_;
    const TInstallRecord& record_;
    const std::string home_;
    TInstallRecord left_;
    bool failed_ = false;
};

void TUninstallRun::RemoveFile(const std::string& path, std::vector<std::string>& keep) {
    TEntryKind kind = w_.EntryKind(path);
    if (kind == TEntryKind::Missing)
        return;
    auto hash = record_.Hashes.find(path);
    std::optional<std::string> bytes =
        kind == TEntryKind::File && hash != record_.Hashes.end() ? w_.ReadFile(path) : std::nullopt;
    if (!bytes || ContentHash(*bytes) != hash->second) {
        w_.Notify(path +
                  " は、セットアップが作成したものではないか、その後変更されたため、残しました.");
        return;
    }
    if (!w_.DeleteFile(path)) {
        w_.Notify(path + " を削除できませんでした.");
        keep.push_back(path);
        left_.Hashes[path] = hash->second;
    }
}

void TUninstallRun::RemoveFolder(const std::string& folder) {
    TEntryKind kind = w_.EntryKind(folder);
    if (kind == TEntryKind::Missing)
        return;
    if (kind != TEntryKind::Folder) {
        w_.Notify(folder + " はフォルダではないため、残しました.");
        return;
    }
    std::optional<std::vector<std::string>> entries = w_.FolderEntries(folder);
    if (entries && !entries->empty()) {
        w_.Notify("フォルダ " + folder + " にはほかのファイルがあるため、残しました.");
        left_.CreatedFolders.push_back(folder);
    } else if (!entries || !w_.RemoveEmptyFolder(folder)) {
        w_.Notify("フォルダ " + folder + " を削除できませんでした.");
        left_.CreatedFolders.push_back(folder);
    }
}

// The settings folder may hold other programs' files: only the program's own goes.
void TUninstallRun::RemoveStore() {
    const std::string file = w_.StoreFile();
    const std::string folder = ParentPath(file);
    if (w_.EntryKind(file) == TEntryKind::File && !w_.DeleteFile(file)) {
        w_.Notify(file + " を削除できませんでした.");
        failed_ = true;
    }
    if (w_.EntryKind(folder) != TEntryKind::Folder)
        return;
    std::optional<std::vector<std::string>> entries = w_.FolderEntries(folder);
    if (entries && entries->empty())
        w_.RemoveEmptyFolder(folder);
    else
        w_.Notify("設定のフォルダ " + folder + " にはほかのファイルがあるため、残しました.");
}

// The state folder is the program's own; still, only its record goes, then the folder if
// nothing else is in it.
void TUninstallRun::RemoveState() {
    const std::string file = w_.StateFile();
    if (file.empty())
        return;
    if (w_.EntryKind(file) == TEntryKind::File && !w_.DeleteFile(file))
        w_.Notify(file + " を削除できませんでした.");
    const std::string folder = ParentPath(file);
    std::optional<std::vector<std::string>> entries = w_.FolderEntries(folder);
    if (entries && entries->empty())
        w_.RemoveEmptyFolder(folder);
}

bool TUninstallRun::HomeHoldsOnlyOurs() {
    std::optional<std::vector<std::string>> entries = w_.FolderEntries(home_);
    return entries && std::all_of(entries->begin(), entries->end(), [](const std::string& e) {
               return e == UninstallerName || e == InstallRecordName;
           });
}

bool TUninstallRun::Run() {
    for (const std::string& path : record_.ApplicationFiles)
        if (path != Self())
            RemoveFile(path, left_.ApplicationFiles);
    for (const std::string& path : record_.Shortcuts)
        RemoveFile(path, left_.Shortcuts);
    if (!record_.StoreExisted)
        RemoveStore();
    RemoveState();

    // The install folder and the folders above it hold the record: they go last.
    std::vector<std::string> folders = record_.CreatedFolders, last;
    std::stable_sort(
        folders.begin(), folders.end(),
        [](const std::string& a, const std::string& b) { return Depth(a) > Depth(b); });
    for (const std::string& folder : folders)
        if (folder == home_ || PathInside(home_, folder))
            last.push_back(folder);
        else
            RemoveFolder(folder);

    bool keepRecord = !left_.Empty() || (Contains(last, home_) && !HomeHoldsOnlyOurs());
    if (!keepRecord && Contains(record_.ApplicationFiles, Self())) {
        RemoveFile(Self(), left_.ApplicationFiles);
        keepRecord = !left_.Empty();
    }
    if (keepRecord) {
        // What is left, with the uninstaller itself, for another run once it is cleared.
        auto self = record_.Hashes.find(Self());
        if (self != record_.Hashes.end() && w_.EntryKind(Self()) == TEntryKind::File &&
            !Contains(left_.ApplicationFiles, Self())) {
            left_.ApplicationFiles.push_back(Self());
            left_.Hashes[Self()] = self->second;
        }
        for (const std::string& folder : last)
            if (w_.EntryKind(folder) != TEntryKind::Missing)
                left_.CreatedFolders.push_back(folder);
        if (!w_.WriteFile(RecordPath(), InstallRecordText(left_)))
            w_.Notify(RecordPath() + " を書き込めませんでした.");
        else
            w_.Notify("残ったものは " + RecordPath() +
                      " に記録しました. 片付けてから、もう一度 UnInstall を実行してください.");
        return false;
    }
    if (w_.EntryKind(RecordPath()) != TEntryKind::Missing && !w_.DeleteFile(RecordPath())) {
        w_.Notify(RecordPath() + " を削除できませんでした.");
        return false;
    }
    for (const std::string& folder : last)
        RemoveFolder(folder);
    return left_.Empty() && !failed_;
}

} // namespace

std::optional<std::string> StrayRecordEntry(const TInstallRecord& record,
                                            const std::string& installFolder) {
    for (const std::string& path : record.ApplicationFiles)
        if (!PathInside(path, installFolder))
            return path;
    const std::string launcher = std::string(ShortcutName) + ShortcutExtension;
    const std::string uninstaller = std::string(UninstallShortcutName) + ShortcutExtension;
    for (const std::string& path : record.Shortcuts) {
        std::string name = path.substr(path.rfind('/') + 1);
        if (name != launcher && name != uninstaller)
            return path;
    }
    return std::nullopt;
}

bool RunUninstall(TUninstallWorld& world, const TInstallRecord& record,
                  const std::string& installFolder) {
    return TUninstallRun(world, record, installFolder).Run();
}

} // namespace glimra
