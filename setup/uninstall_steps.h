#pragma once
#include "setup/install_steps.h"

#include <optional>
#include <string>
#include <vector>

namespace glimra {

// What the uninstaller does to the world; the UnInstall program fills it with the
// platform layer, tests with fakes. No call follows a symbolic link anywhere in a path:
// a link on the way makes the entry Other and every change fail.
class TUninstallWorld {
public:
    virtual ~TUninstallWorld() = default;
    virtual TEntryKind EntryKind(const std::string& path) = 0;
    virtual std::optional<std::string> ReadFile(const std::string& path) = 0;
    virtual std::optional<std::vector<std::string>> FolderEntries(const std::string& path) = 0;
    virtual bool DeleteFile(const std::string& path) = 0;
    virtual bool RemoveEmptyFolder(const std::string& path) = 0;
    // A new file beside the target, then renamed over it.
    virtual bool WriteFile(const std::string& path, const std::string& text) = 0;
    // The program's settings file in the user store.
    virtual std::string StoreFile() = 0;
    // The program's module crash record in the user's state folder, a folder of its own.
    virtual std::string StateFile() = 0;
    virtual void Notify(const std::string& text) = 0;
};

// The first file of the record that setup cannot have made for installFolder: one
// outside it, or a launcher of another name; nullopt when every file fits. Folders are
// not checked: only empty ones are ever removed.
std::optional<std::string> StrayRecordEntry(const TInstallRecord& record,
                                            const std::string& installFolder);

// Deletes what setup made and still finds as it wrote it: files and launchers whose hash
// matches (missing ones are fine), the settings file and its folder when that folder did
// not exist before the install, the program's crash record and its folder when empty, and
// the created folders, deepest first, each only empty.
// Anything left keeps the uninstaller and a record of what is left, for another run.
// Returns false when anything setup made stayed.
bool RunUninstall(TUninstallWorld& world, const TInstallRecord& record,
                  const std::string& installFolder);

} // namespace glimra
