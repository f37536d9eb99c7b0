#include "app/control_hub.h"
#include "app/session_platform.h"
#include "common/color_rules.h"
#include "common/forward_record.h"
#include "common/start_options.h"
#include "platform/instance_channel.h"
#include "platform/settings_platform.h"
#include "platform/termination.h"
#include "viewer/viewer_window.h"

#include <QApplication>
#include <QSessionManager>
#include <QTimer>
#include <QWidget>
#include <algorithm>
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

// Every parameter is a file name, even one that looks like an option of Qt's (-reverse,
// -style): they are taken before Qt sees them, and Qt is left the program's name alone.
// The one exception is a leading "-platform NAME", the way to ask for native Wayland,
// unless a file "-platform" exists. Bytes as given: a file name need not be valid text.
std::vector<std::string> TakeCommandLine(int& argc, char** argv) {
    std::vector<std::string> params = CommandLineParameters(argc, argv, "");
    int forQt = 1;
    std::error_code ec;
    if (params.size() >= 2 && params[0] == "-platform" && !std::filesystem::exists(params[0], ec)) {
        params.erase(params.begin(), params.begin() + 2);
        forQt = 3;
    }
    argc = std::min(argc, forQt);
    return params;
}

// Prints the colour rules the program would start with, each expression that does not
// compile named by its rule number; nothing is asked or written.
int ListRules(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    TRegWork store(QCoreApplication::applicationDirPath().toStdString(), 0, 0,
                   {DefaultFontName, clWhite, DefaultFontSize}, DesktopSettingsPlatform());
    std::string problem;
    const TRuleSet rules(store.PeekRules(problem));
    if (!problem.empty())
        std::cout << "glimra4: " << problem << "; the rules below are the first start's\n";
    for (std::size_t i = 0; i < rules.Rules().size(); ++i)
        std::cout << "Rule" << i + 1 << "= " << ColorRuleText(rules.Rules()[i]) << '\n';
    for (const std::string& bad : rules.Problems())
        std::cout << "glimra4: " << bad << '\n';
    return 0;
}

int RunOwner(TInstanceChannel& channel, std::vector<std::string> params,
             const TStartOptions& options, std::optional<TExitWatchdog>& watchdog) {
    // Stopped while Qt was set up or the instance checked: nothing is open or read yet.
    if (StopRequested())
        return 0;
    std::unique_ptr<TFourthGlimraControl> hub;
    // A question the start is asking holds its own event loop: a stop closes it as if
    // dismissed (no other is shown after a stop), and the windows close once the hub
    // stands.
    TTerminationSignals stopSignals([&hub](int) {
        if (hub) {
            if (!hub->Terminating())
                CloseAllWindows(*hub);
        } else if (QWidget* question = QApplication::activeModalWidget()) {
            question->close();
        }
    });
    // Senders wait in the queue until the hub can open their windows.
    if (!channel.Listen())
        std::cerr << "glimra4: cannot listen for other starts; they will fail\n";
    hub = std::make_unique<TFourthGlimraControl>(std::move(params), nullptr, options);
    channel.Serve([&hub](const TCopyDataRecord& record) {
        if (!hub || hub->Terminating())
            return false;
        hub->CopyDataReceived(&record);
        hub->BringForward();
        return true;
    });
    if (StopRequested())
        QTimer::singleShot(0, hub.get(), [&hub] {
            if (!hub->Terminating())
                CloseAllWindows(*hub);
        });
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
    // First of all: a stop while Qt loads or the instance is checked ends the program
    // cleanly too.
    CatchStopSignals();
    std::optional<TExitWatchdog> watchdog; // outlives everything below
    std::vector<std::string> params = TakeCommandLine(argc, argv);
    TStartOptions options;
    if (auto bad = TakeStartOptions(params, options)) {
        std::cerr << "glimra4: " << *bad << '\n';
        return 2;
    }
    if (options.ListRules)
        return ListRules(argc, argv);
    ResolveFirstParameter(params, WorkingFolder());
    const TSessionPlatform platform(argc, argv);
    QApplication app(argc, argv);
    platform.Forget();
    QApplication::setApplicationDisplayName(QStringLiteral("4th Glimra"));
    QApplication::setQuitOnLastWindowClosed(false);

    TInstanceChannel channel;
    QString error;
    switch (channel.Start(MakeForwardRecord(params, options.Texts()), &error)) {
    case TStartRole::Forwarded:
        return 0;
    case TStartRole::Failed:
        std::cerr << "glimra4: " << error.toStdString() << '\n';
        return 1;
    case TStartRole::Owner:
        break;
    }
    return RunOwner(channel, std::move(params), options, watchdog);
}
