#pragma once
#include "setup/install_steps.h"

#include <string>
#include <vector>

namespace glimra {

// What the uninstaller does to the world; the UnInstall program fills it with the
// platform layer, tests with fakes.
class TUninstallWorld {
public:
    virtual ~TUninstallWorld() = default;
    virtual bool Exists(const std::string& path) = 0;
    virtual bool IsFolder(const std::string& path) = 0;
    virtual bool FolderHasEntries(const std::string& path) = 0;
    virtual bool DeleteFile(const std::string& path) = 0;
    virtual bool RemoveEmptyFolder(const std::string& path) = 0;
    // Removes the user store's organisation folder with what it holds.
    virtual bool RemoveStoreFolder() = 0;
    virtual void Notify(const std::string& text) = 0;
};

// Removes what the record lists and the record itself (in installFolder): files and
// shortcuts (missing ones skipped), subfolders of installFolder left empty by that, the
// store folder when it did not exist before the install, then the created folders,
// last first, each only when empty. Returns false when anything listed stayed.
bool RunUninstall(TUninstallWorld& world, const TInstallRecord& record,
                  const std::string& installFolder);

} // namespace glimra
