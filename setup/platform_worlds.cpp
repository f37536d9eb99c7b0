#include "setup/platform_worlds.h"

#include "platform/message_box.h"
#include "platform/settings_platform.h"
#include "platform/shell_files.h"
#include "setup/safe_files.h"

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

TEntryKind TPlatformInstallWorld::EntryKind(const std::string& path) {
    return NoFollowKind(path);
}

bool TPlatformInstallWorld::CreateFolders(const std::string& path, std::vector<std::string>& made) {
    return CreateFolderChain(path, made);
}

std::string TPlatformInstallWorld::RealFolder(const std::string& path) {
    return RealPath(path);
}

std::optional<std::string> TPlatformInstallWorld::ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in)
        return std::nullopt;
    std::ostringstream text;
    text << in.rdbuf();
    return in.bad() ? std::nullopt : std::optional(text.str());
}

bool TPlatformInstallWorld::IsExecutable(const std::string& path) {
    std::error_code ec;
    return (fs::status(path, ec).permissions() & fs::perms::owner_exec) != fs::perms::none;
}

bool TPlatformInstallWorld::WriteFile(const std::string& path, const std::string& bytes,
                                      bool executable) {
    return NoFollowWrite(path, bytes, executable ? 0755 : 0644);
}

bool TPlatformInstallWorld::RemoveFile(const std::string& path) {
    return NoFollowDelete(path);
}

bool TPlatformInstallWorld::RemoveEmptyFolder(const std::string& path) {
    return NoFollowRemoveFolder(path);
}

std::string TPlatformInstallWorld::ShortcutText(const std::string& link, const std::string& target,
                                                const std::string& workingFolder,
                                                bool offerForFiles) {
    return glimra::ShortcutText(link, target, workingFolder, offerForFiles);
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

TEntryKind TPlatformUninstallWorld::EntryKind(const std::string& path) {
    return NoFollowKind(path);
}

std::optional<std::string> TPlatformUninstallWorld::ReadFile(const std::string& path) {
    return NoFollowRead(path);
}

std::optional<std::vector<std::string>>
TPlatformUninstallWorld::FolderEntries(const std::string& path) {
    return NoFollowEntries(path);
}

bool TPlatformUninstallWorld::DeleteFile(const std::string& path) {
    return NoFollowDelete(path);
}

bool TPlatformUninstallWorld::RemoveEmptyFolder(const std::string& path) {
    return NoFollowRemoveFolder(path);
}

bool TPlatformUninstallWorld::WriteFile(const std::string& path, const std::string& text) {
    return NoFollowWrite(path, text, 0644);
}

// The folder is ours to find (it may lie behind the user's own links); below it
// nothing is followed.
std::string TPlatformUninstallWorld::StoreFile() {
    return RealPath(StoreFolder()) + "/" +
           QFileInfo(TQtUserStore::DefaultPath()).fileName().toStdString();
}

// Where the program keeps its module crash record; the folder is not made here.
std::string TPlatformUninstallWorld::StateFile() {
    const QByteArray state = qgetenv("XDG_STATE_HOME");
    const QByteArray home = qgetenv("HOME");
    QString folder;
    if (state.startsWith('/'))
        folder = QString::fromLocal8Bit(state);
    else if (!home.isEmpty())
        folder = QString::fromLocal8Bit(home) + QStringLiteral("/.local/state");
    else
        return {};
    return (folder + QStringLiteral("/glimra4/module-crash.rec")).toStdString();
}

void TPlatformUninstallWorld::Notify(const std::string& text) {
    if (silent_)
        std::cerr << text << "\n";
    else
        MessageBoxes().Show(TMsgKind::Information, text, TMsgButtons::Ok);
}

} // namespace glimra
