#include "app/control_hub.h"
#include "app/forward_record.h"
#include "platform/instance_channel.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <memory>

using namespace glimra;

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QApplication::setApplicationDisplayName(QStringLiteral("4th Glimra"));
    QApplication::setQuitOnLastWindowClosed(false);

    std::vector<std::string> params;
    for (const QString& a : QApplication::arguments().mid(1))
        params.push_back(QFile::encodeName(a).toStdString());
    // The running instance may have another working folder: hand over a whole path.
    if (!params.empty() && !params[0].empty() && params[0][0] != '/')
        params[0] = QFile::encodeName(QDir::currentPath()).toStdString() + "/" + params[0];
    TInstanceChannel channel;
    if (!channel.TryBecomeOwner()) {
        // Without a running instance to answer, the command line is dropped silently.
        TInstanceChannel::Forward(MakeForwardRecord(params));
        return 0;
    }
    std::unique_ptr<TFourthGlimraControl> hub;
    channel.Listen([&hub](const TCopyDataRecord& record) {
        if (!hub || hub->Terminating())
            return;
        hub->CopyDataReceived(&record);
        hub->BringForward();
    });
    hub = std::make_unique<TFourthGlimraControl>(params);
    int code = QApplication::exec();
    hub.reset();
    return code;
}
