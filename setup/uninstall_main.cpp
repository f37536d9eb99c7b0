// UnInstall: removes what uninst.dat beside it lists. Started by setup with the
// distribution folder it only checks that the record can be read.
#include "common/text_utils.h"
#include "platform/message_box.h"
#include "setup/platform_worlds.h"

#include <QApplication>
#include <iostream>
#include <memory>

using namespace glimra;

int main(int argc, char** argv) {
    bool silent = false;
    bool check = false;
    for (int i = 1; i < argc; ++i) {
        if (std::string(argv[i]) == "--silent")
            silent = true;
        else
            check = true; // the distribution folder setup hands over: never an uninstall
    }
    std::unique_ptr<QCoreApplication> app;
    if (silent || check)
        app = std::make_unique<QCoreApplication>(argc, argv);
    else
        app = std::make_unique<QApplication>(argc, argv);
    TPlatformUninstallWorld world(silent || check);

    // The folder of the running file, links resolved: the record's paths are real ones.
    const std::string folder = ProgramFolder();
    const std::string recordPath = folder + "/" + InstallRecordName;
    std::optional<std::string> text = world.ReadFile(recordPath);
    std::optional<TInstallRecord> record = text ? ParseInstallRecord(*text) : std::nullopt;
    if (!record) {
        world.Notify(recordPath +
                     " を読み込めません (相対パスなど、記録の形式が正しくありません).");
        return 1;
    }
    if (std::optional<std::string> stray = StrayRecordEntry(*record, folder)) {
        world.Notify(recordPath + " の " + *stray +
                     " は、このフォルダのセットアップが作成したものではありません. "
                     "何も削除しません.");
        return 1;
    }
    if (check)
        return 0;
    if (!silent && MessageBoxes().Show(TMsgKind::Confirmation,
                                       "GLIMRA 4th をアンインストールします. よろしいですか?",
                                       TMsgButtons::OkCancel) != TMsgResult::Ok)
        return 0;
    return RunUninstall(world, *record, folder) ? 0 : 1;
}
