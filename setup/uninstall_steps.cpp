#include "setup/uninstall_steps.h"

#include "common/text_utils.h"

namespace glimra {
namespace {

bool Inside(const std::string& path, const std::string& folder) {
    return path.size() > folder.size() + 1 && path.compare(0, folder.size(), folder) == 0 &&
           path[folder.size()] == '/';
}

std::string Parent(const std::string& path) {
    size_t slash = StripTrailingSeparator(path).rfind('/');
    return slash == std::string::npos ? std::string() : path.substr(0, slash);
}

// "a//b/" and "a/b" name the same folder; the record keeps paths as typed.
std::string Normal(const std::string& path) {
    std::string out;
    for (char c : path)
        if (c != '/' || out.empty() || out.back() != '/')
            out += c;
    return StripTrailingSeparator(out);
}

} // namespace

bool RunUninstall(TUninstallWorld& world, const TInstallRecord& record,
                  const std::string& installFolder) {
    bool all = true;
    const std::string home = Normal(installFolder);
    std::vector<std::string> files = record.ApplicationFiles;
    files.insert(files.end(), record.Shortcuts.begin(), record.Shortcuts.end());
    files.push_back(home + "/" + InstallRecordName);
    for (const std::string& listed : files) {
        std::string file = Normal(listed);
        if (!world.Exists(file) || world.IsFolder(file))
            continue;
        if (!world.DeleteFile(file)) {
            world.Notify(file + " を削除できませんでした.");
            all = false;
            continue;
        }
        // Subfolders the copy made for a listed file go with it once empty.
        for (std::string folder = Parent(file);
             Inside(folder, home) && !world.FolderHasEntries(folder); folder = Parent(folder))
            if (!world.RemoveEmptyFolder(folder))
                break;
    }
    if (!record.StoreExisted && !world.RemoveStoreFolder()) {
        world.Notify("設定のフォルダを削除できませんでした.");
        all = false;
    }
    for (auto it = record.CreatedFolders.rbegin(); it != record.CreatedFolders.rend(); ++it) {
        std::string folder = Normal(*it);
        if (!world.Exists(folder))
            continue;
        if (world.FolderHasEntries(folder) || !world.RemoveEmptyFolder(folder)) {
            world.Notify("フォルダ " + folder + " にはほかのファイルがあるため、残しました.");
            all = false;
        }
    }
    return all;
}

} // namespace glimra
