// setup: installs the program from the folder it is started in.
#include "common/text_utils.h"
#include "platform/shell_files.h"
#include "setup/install_window.h"
#include "setup/platform_worlds.h"

#include <QApplication>
#include <QDir>
#include <filesystem>
#include <iostream>
#include <memory>
#include <unistd.h>

using namespace glimra;

namespace {

int Usage() {
    std::cerr << "usage: setup [--dir DIR] [--silent [--menu-dir DIR] [--no-desktop] "
                 "[--no-sendto] [--no-menu] [--force]]\n";
    return 2;
}

} // namespace

int main(int argc, char** argv) {
    bool silent = false, dirGiven = false;
    TInstallFolders folders = DefaultInstallFolders(
        SpecialFolder(SpecialFolderDesktop), SpecialFolder(SpecialFolderSendTo),
        SpecialFolder(SpecialFolderPrograms), ProgramFilesFolder());
    TInstallChoice choice;
    choice.DistributionFolder = ProgramFolder();
    choice.AppFolder = folders.AppFolder;
    choice.StartFolder = folders.StartFolder;
    choice.DesktopFolder = folders.Desktop;
    choice.SendToFolder = folders.SendTo;
    // Typed folders are taken against where setup was started, once, before anything runs.
    std::error_code ec;
    choice.WorkingFolder = std::filesystem::current_path(ec).string();
    choice.Home = QDir::homePath().toStdString();
    choice.Overwrite = TOverwrite::Refuse;
    for (int i = 1; i < argc; ++i) {
        std::string arg = argv[i];
        if (arg == "--silent")
            silent = true;
        else if (arg == "--dir" && i + 1 < argc)
            choice.AppFolder = argv[++i], dirGiven = true;
        else if (arg == "--menu-dir" && i + 1 < argc)
            choice.StartFolder = argv[++i];
        else if (arg == "--no-desktop")
            choice.DeskTop = false;
        else if (arg == "--no-sendto")
            choice.SendTo = false;
        else if (arg == "--no-menu")
            choice.StartMenu = false;
        else if (arg == "--force")
            choice.Overwrite = TOverwrite::Force;
        else
            return Usage();
    }
    std::unique_ptr<QCoreApplication> app;
    if (silent)
        app = std::make_unique<QCoreApplication>(argc, argv);
    else
        app = std::make_unique<QApplication>(argc, argv);
    TPlatformInstallWorld world(silent);
    // root's own folders are rarely where an install for root is meant to go.
    if (geteuid() == 0) {
        if (!dirGiven) {
            world.Notify(TNotice::Warning,
                         "root として実行するときは、--dir でインストール先を指定してください.");
            return 1;
        }
        std::cerr << "setup: root として実行しています. ランチャーは " << choice.Home
                  << " のユーザーのものです (" << choice.DesktopFolder << ", " << choice.StartFolder
                  << ", " << choice.SendToFolder << ").\n";
    }
    if (!silent) {
        choice.Overwrite = TOverwrite::Ask;
        TForm1 window(world, choice);
        window.showMaximized();
        return QApplication::exec();
    }
    return RunInstall(world, choice).Done ? 0 : 1;
}
