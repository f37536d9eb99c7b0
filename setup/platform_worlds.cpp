#include "setup/platform_worlds.h"

#include "platform/message_box.h"
#include "platform/settings_platform.h"
#include "platform/shell_files.h"

#include <QFileInfo>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <sstream>

namespace glimra {
namespace fs = std::filesystem;

std::string StoreFolder() {
    return QFileInfo(TQtUserStore::DefaultPath()).path().toStdString();
}

bool TPlatformInstallWorld::FileExists(const std::string& path) {
    std::error_code ec;
    return fs::is_regular_file(path, ec);
}

bool TPlatformInstallWorld::FolderExists(const std::string& path) {
    std::error_code ec;
    return fs::is_directory(path, ec);
}

bool TPlatformInstallWorld::FolderHasEntries(const std::string& path) {
    std::error_code ec;
    return fs::is_directory(path, ec) && !fs::is_empty(path, ec);
}

bool TPlatformInstallWorld::CreateFolders(const std::string& path) {
    std::error_code ec;
    fs::create_directories(path, ec);
    return !ec && fs::is_directory(path, ec);
}

std::optional<std::string> TPlatformInstallWorld::ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in)
        return std::nullopt;
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

bool TPlatformInstallWorld::WriteFile(const std::string& path, const std::string& text) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << text;
    out.close();
    return static_cast<bool>(out);
}

int TPlatformInstallWorld::CopyFiles(const std::vector<std::string>& sources,
                                     const std::string& destination) {
    return ShellFileOperation(sources, destination, FileOpCopy);
}

bool TPlatformInstallWorld::CreateShortcut(const std::string& link, const std::string& target,
                                           const std::string& workingFolder, bool offerForFiles) {
    return glimra::CreateShortcut(link, target, workingFolder, offerForFiles);
}

void TPlatformInstallWorld::Open(const std::string& path) {
    ShellOpen(nullptr, path);
}

void TPlatformInstallWorld::StartProgram(const std::string& path, const std::string& argument) {
    StartDetached(path, {argument}, QFileInfo(QString::fromStdString(path)).path().toStdString());
}

bool TPlatformInstallWorld::StoreFolderExists() {
    std::error_code ec;
    return fs::is_directory(StoreFolder(), ec);
}

bool TPlatformInstallWorld::Confirm(const std::string& text, bool yesNo) {
    if (silent_) {
        std::cerr << text << "\n";
        return true;
    }
    TMsgResult r = MessageBoxes().Show(TMsgKind::Confirmation, text,
                                       yesNo ? TMsgButtons::YesNo : TMsgButtons::OkCancel);
    return r == TMsgResult::Ok || r == TMsgResult::Yes;
}

void TPlatformInstallWorld::Notify(TNotice kind, const std::string& text) {
    if (silent_)
        std::cerr << text << "\n";
    else
        MessageBoxes().Show(kind == TNotice::Warning ? TMsgKind::Warning : TMsgKind::Information,
                            text, TMsgButtons::Ok);
}

bool TPlatformUninstallWorld::Exists(const std::string& path) {
    std::error_code ec;
    return fs::exists(fs::symlink_status(path, ec));
}

bool TPlatformUninstallWorld::IsFolder(const std::string& path) {
    std::error_code ec;
    return fs::is_directory(fs::symlink_status(path, ec));
}

bool TPlatformUninstallWorld::FolderHasEntries(const std::string& path) {
    std::error_code ec;
    return !fs::is_empty(path, ec) && !ec;
}

bool TPlatformUninstallWorld::DeleteFile(const std::string& path) {
    return glimra::DeleteFile(path);
}

bool TPlatformUninstallWorld::RemoveEmptyFolder(const std::string& path) {
    std::error_code ec;
    return fs::remove(path, ec) && !ec;
}

bool TPlatformUninstallWorld::RemoveStoreFolder() {
    std::error_code ec;
    fs::remove_all(StoreFolder(), ec);
    return !ec;
}

void TPlatformUninstallWorld::Notify(const std::string& text) {
    if (silent_)
        std::cerr << text << "\n";
    else
        MessageBoxes().Show(TMsgKind::Information, text, TMsgButtons::Ok);
}

} // namespace glimra
