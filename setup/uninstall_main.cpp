// UnInstall: removes what uninst.dat beside it lists. Started by setup with the
// distribution folder it only checks that the record can be read.
#include "common/text_utils.h"
#include "platform/message_box.h"
#include "setup/platform_worlds.h"

#include <QApplication>
#include <fstream>
#include <iostream>
#include <memory>
#include <sstream>

using namespace glimra;

int main(int argc, char** argv) {
    bool silent = false;
    bool check = false;
    for (int i = 1; i < argc; ++i) {
        if (std::string(argv[i]) == "--silent")
            silent = true;
        else
            check = true; // the distribution folder setup hands over
    }
    const std::string folder = ProgramFolder();
    std::ifstream in(folder + "/" + InstallRecordName, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    std::optional<TInstallRecord> record =
        in ? ParseInstallRecord(text.str()) : std::optional<TInstallRecord>();
    if (check && !silent) {
        if (!record)
            std::cerr << "UnInstall: " << folder << "/" << InstallRecordName << " cannot be read\n";
        return record ? 0 : 1;
    }

    std::unique_ptr<QCoreApplication> app;
    if (silent)
        app = std::make_unique<QCoreApplication>(argc, argv);
    else
        app = std::make_unique<QApplication>(argc, argv);
    TPlatformUninstallWorld world(silent);
    if (!record) {
        world.Notify(folder + "/" + InstallRecordName + " を読み込めません.");
        return 1;
    }
    if (!silent && MessageBoxes().Show(TMsgKind::Confirmation,
                                       "GLIMRA 4th をアンインストールします. よろしいですか?",
                                       TMsgButtons::OkCancel) != TMsgResult::Ok)
        return 0;
    return RunUninstall(world, *record, folder) ? 0 : 1;
}
