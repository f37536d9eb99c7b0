#include "app/control_hub.h"
#include "app/session_platform.h"
#include "common/forward_record.h"
#include "platform/instance_channel.h"
#include "platform/termination.h"
#include "viewer/viewer_window.h"

#include <QApplication>
#include <QSessionManager>
#include <QTimer>
#include <QWidget>
#include <cstdlib>
#include <filesystem>
#include <iostream>
#include <memory>
#include <optional>
#include <system_error>

using namespace glimra;

namespace {

// The fallback when destroying the hub blocks after the event loop has ended.
constexpr int TerminateFallbackMs = 5000;

std::string WorkingFolder() {
    std::error_code ec;
    return std::filesystem::current_path(ec).string();
}

// Ends the program as the user would: the windows close from the front, the last
// one ends the event loop through the hub, and the hub then writes the settings.
void CloseAllWindows(const TFourthGlimraControl& hub) {
    const std::vector<QPointer<TForm2>> windows = hub.WindowList();
    bool closing = false;
    for (auto i = windows.size(); i-- > 0;)
        if (windows[i])
            closing = windows[i]->close() || closing;
    if (!closing)
        QCoreApplication::quit();
}

int RunOwner(TInstanceChannel& channel, std::vector<std::string> params,
             std::optional<TExitWatchdog>& watchdog) {
    std::unique_ptr<TFourthGlimraControl> hub;
    // Caught before the hub opens its first window, so a stop during the start is never
    // the default one that ends the program unsaved. A question the start is asking
    // holds its own event loop: it is closed as if dismissed, and the windows close once
    // the hub stands.
    bool stopPending = false;
    TTerminationSignals stopSignals([&hub, &stopPending](int) {
        if (hub) {
            CloseAllWindows(*hub);
            return;
        }
        stopPending = true;
        if (QWidget* question = QApplication::activeModalWidget())
            question->close();
    });
    // Senders wait in the queue until the hub can open their windows.
    if (!channel.Listen())
        std::cerr << "glimra4: cannot listen for other starts; they will fail\n";
    hub = std::make_unique<TFourthGlimraControl>(std::move(params));
    channel.Serve([&hub](const TCopyDataRecord& record) {
        if (!hub || hub->Terminating())
            return false;
        hub->CopyDataReceived(&record);
        hub->BringForward();
        return true;
    });
    if (stopPending)
        QTimer::singleShot(0, hub.get(), [&hub] { CloseAllWindows(*hub); });
    QObject::connect(qApp, &QGuiApplication::commitDataRequest, hub.get(),
                     [&hub](QSessionManager&) { CloseAllWindows(*hub); });
    const int code = QApplication::exec();
    watchdog.emplace(TerminateFallbackMs);
    return code;
}

} // namespace

// Chooses XWayland in a Wayland session unless a platform was asked for. Only for the
// start: programs the program opens (the help, a folder) make their own choice.
class TSessionPlatform {
public:
    TSessionPlatform(int argc, char** argv) {
        const auto env = [](const char* name) {
            const char* value = std::getenv(name);
            return std::string(value ? value : "");
        };
        TSession session{env("WAYLAND_DISPLAY"), env("DISPLAY"),
                         std::getenv("QT_QPA_PLATFORM") != nullptr ||
                             AsksPlatform(std::vector<std::string>(argv + 1, argv + argc))};
        const std::string platform = SessionPlatform(session);
        Chosen = !platform.empty();
        if (Chosen)
            qputenv("QT_QPA_PLATFORM", QByteArray::fromStdString(platform));
    }
    // Once the application stands on its platform.
    void Forget() const {
        if (Chosen)
            qunsetenv("QT_QPA_PLATFORM");
    }

private:
    bool Chosen = false;
};

int main(int argc, char** argv) {
    std::optional<TExitWatchdog> watchdog; // outlives everything below
    const TSessionPlatform platform(argc, argv);
    QApplication app(argc, argv); // takes Qt's own options out of argv
    platform.Forget();
    QApplication::setApplicationDisplayName(QStringLiteral("4th Glimra"));
    QApplication::setQuitOnLastWindowClosed(false);

    // Bytes as given: a file name need not be valid text.
    std::vector<std::string> params = CommandLineParameters(argc, argv, WorkingFolder());
    TInstanceChannel channel;
    QString error;
    switch (channel.Start(MakeForwardRecord(params), &error)) {
    case TStartRole::Forwarded:
        return 0;
    case TStartRole::Failed:
        std::cerr << "glimra4: " << error.toStdString() << '\n';
        return 1;
    case TStartRole::Owner:
        break;
    }
    return RunOwner(channel, std::move(params), watchdog);
}
