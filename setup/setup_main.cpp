// setup: installs the program from the folder it is started in.
#include "common/text_utils.h"
#include "platform/shell_files.h"
#include "setup/install_window.h"
#include "setup/platform_worlds.h"

#include <QApplication>
#include <iostream>
#include <memory>

using namespace glimra;

namespace {

int Usage() {
    std::cerr << "usage: setup [--silent [--dir DIR] [--menu-dir DIR] [--no-desktop] "
                 "[--no-sendto] [--no-menu]]\n";
    return 2;
}

} // namespace

int main(int argc, char** argv) {
    bool silent = false;
    TInstallFolders folders = DefaultInstallFolders(
        SpecialFolder(SpecialFolderDesktop), SpecialFolder(SpecialFolderSendTo),
        SpecialFolder(SpecialFolderPrograms), ProgramFilesFolder());
    TInstallChoice choice;
    choice.DistributionFolder = ProgramFolder();
    choice.AppFolder = folders.AppFolder;
    choice.StartFolder = folders.StartFolder;
    choice.DesktopFolder = folders.Desktop;
    choice.SendToFolder = folders.SendTo;
    for (int i = 1; i < argc; ++i) {
        std::string arg = argv[i];
        if (arg == "--silent")
            silent = true;
        else if (arg == "--dir" && i + 1 < argc)
            choice.AppFolder = argv[++i];
        else if (arg == "--menu-dir" && i + 1 < argc)
            choice.StartFolder = argv[++i];
        else if (arg == "--no-desktop")
            choice.DeskTop = false;
        else if (arg == "--no-sendto")
            choice.SendTo = false;
        else if (arg == "--no-menu")
            choice.StartMenu = false;
        else
            return Usage();
    }
    if (!silent) {
        QApplication app(argc, argv);
        TPlatformInstallWorld world(false);
        TForm1 window(world, choice.DistributionFolder);
        window.showMaximized();
        return QApplication::exec();
    }
    // Starting the installed program when no shortcut is wanted needs no window.
    QCoreApplication app(argc, argv);
    TPlatformInstallWorld world(true);
    std::vector<std::string> created;
    TInstallResult result = RunInstall(world, choice, created);
    return result.Done ? 0 : 1;
}
