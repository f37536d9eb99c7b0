#pragma once
#include "setup/install_steps.h"
#include "setup/uninstall_steps.h"

namespace glimra {

// The install against the real file system and desktop. Silent: folders are created
// without asking and texts go to standard error instead of message boxes.
class TPlatformInstallWorld : public TInstallWorld {
public:
    explicit TPlatformInstallWorld(bool silent) : silent_(silent) {}
    bool FileExists(const std::string& path) override;
    bool FolderExists(const std::string& path) override;
    bool FolderHasEntries(const std::string& path) override;
    TEntryKind EntryKind(const std::string& path) override;
    bool CreateFolders(const std::string& path, std::vector<std::string>& made) override;
    std::string RealFolder(const std::string& path) override;
    std::optional<std::string> ReadFile(const std::string& path) override;
    bool IsExecutable(const std::string& path) override;
    bool WriteFile(const std::string& path, const std::string& bytes, bool executable) override;
    bool RemoveFile(const std::string& path) override;
    bool RemoveEmptyFolder(const std::string& path) override;
    std::string ShortcutText(const std::string& link, const std::string& target,
                             const std::string& workingFolder, bool offerForFiles) override;
    void Open(const std::string& path) override;
    void StartProgram(const std::string& path, const std::string& argument) override;
    bool StoreFolderExists() override;
    bool Confirm(const std::string& text, bool yesNo) override;
    void Notify(TNotice kind, const std::string& text) override;

private:
    bool silent_;
};

class TPlatformUninstallWorld : public TUninstallWorld {
public:
    explicit TPlatformUninstallWorld(bool silent) : silent_(silent) {}
    TEntryKind EntryKind(const std::string& path) override;
    std::optional<std::string> ReadFile(const std::string& path) override;
    std::optional<std::vector<std::string>> FolderEntries(const std::string& path) override;
    bool DeleteFile(const std::string& path) override;
    bool RemoveEmptyFolder(const std::string& path) override;
    bool WriteFile(const std::string& path, const std::string& text) override;
    std::string StoreFile() override;
    std::string StateFile() override;
    void Notify(const std::string& text) override;

private:
    bool silent_;
};

// The user store's organisation folder ($XDG_CONFIG_HOME/QUENTARO).
std::string StoreFolder();

} // namespace glimra
