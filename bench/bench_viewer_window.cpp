// How fast a viewer window follows a big log, draws itself and takes Auto steps, measured
// on the main thread of a real hub with real files on the offscreen platform.
#include "app/control_hub.h"
#include "platform/message_box.h"
#include "platform/settings_platform.h"
#include "viewer/viewer_window.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QThread>
#include <QTimer>
#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdio>
#include <fstream>
#include <memory>
#include <random>
#include <string>

namespace glimra {
namespace {

constexpr std::size_t kLogBytes = 100'000'000;
constexpr std::size_t kAppendBytes = 1024;

// A header whose last character is flipped by the reload benchmark, so every rewrite
// changes the first line and keeps the file's length.
std::string HeaderLine(char run) {
    return std::string("# app-01 log opened 2024-05-17 08:00:00.000 pid=4242 run=") + run + "\n";
}

// One line of a busy service's log: timestamp, level, thread, source and a message.
class TLogWriter {
public:
    std::string Line() {
        static constexpr const char* levels[] = {"INFO ", "INFO ", "INFO ", "INFO ",
                                                 "DEBUG", "DEBUG", "WARN ", "ERROR"};
        static constexpr const char* sources[] = {"http.server", "db.pool",     "auth.session",
                                                  "scheduler",   "cache.redis", "mail.outbox"};
        Clock += Pick(40);
        long long ms = Clock % 1000, s = Clock / 1000;
        char head[96];
        std::snprintf(
            head, sizeof head,
            "2024-05-17 %02lld:%02lld:%02lld.%03lld %s [worker-%02u] %s: ", (8 + s / 3600) % 24,
            s / 60 % 60, s % 60, ms, levels[Pick(8)], Pick(16), sources[Pick(6)]);
        return head + Message() + '\n';
    }

private:
    std::mt19937 Rng{20240517};
    long long Clock = 0;

    unsigned Pick(unsigned n) { return static_cast<unsigned>(Rng() % n); }

    std::string Message() {
        char text[128];
        switch (Pick(6)) {
        case 0:
            std::snprintf(text, sizeof text, "GET /api/v1/orders/%u?expand=items 200 %u ms",
                          100000 + Pick(900000), 1 + Pick(400));
            break;
        case 1:
            std::snprintf(text, sizeof text, "connection %u returned to pool (active=%u idle=%u)",
                          Pick(64), Pick(32), Pick(32));
            break;
        case 2:
            std::snprintf(text, sizeof text, "user %u signed in from 10.%u.%u.%u (session %08x)",
                          Pick(50000), Pick(256), Pick(256), Pick(256), Pick(0x7fffffff));
            break;
        case 3:
            std::snprintf(text, sizeof text, "job nightly-export-%u finished in %u.%03u s",
                          Pick(1000), Pick(120), Pick(1000));
            break;
        case 4:
            std::snprintf(text, sizeof text, "cache miss for key cart:%08x, loading from store",
                          Pick(0x7fffffff));
            break;
        default:
            std::snprintf(text, sizeof text,
                          "timeout after %u ms talking to smtp.example.net:587; "
                          "retry %u of 5",
                          1000 + Pick(9000), 1 + Pick(5));
            break;
        }
        return text;
    }
};

// Everything the benchmarks share: the log, a hub whose settings live in the temporary
// folder, and scripted dialogs so nothing waits for a person.
class TBenchWorld {
public:
    TBenchWorld() {
        SetMessageBoxes(&Boxes);
        Guard.setSingleShot(true);
        Guard.setInterval(20000);
        std::ofstream(Path("GLIMRA4.INI"), std::ios::binary)
            << "[SystemInfo]\r\nVersion= 0.1\r\n\r\n";
        WriteLog();
        std::string folder = Path("");
        folder.pop_back();
        auto store =
            std::make_unique<TRegWork>(folder, 1920, 1080, TFontData{"DejaVu Sans", clWhite, 9},
                                       TRegWorkPlatform{Files, UserStore, Boxes, [] {}});
        Hub = std::make_unique<TFourthGlimraControl>(std::vector<std::string>{}, std::move(store));
        QElapsedTimer clock;
        clock.start();
        TForm2* window = Main();
        Quiet(window);
        window->OpenFile(LogPath);
        window->GlimraButton2Click();
        std::printf("log: %zu lines, %zu bytes, opened in %lld ms\n", window->Store.LineCount(),
                    window->Store.RawSize(), static_cast<long long>(clock.elapsed()));
        Settle(200);
    }
    ~TBenchWorld() {
        Hub.reset();
        SetMessageBoxes(nullptr);
    }

    std::string Path(const std::string& name) const {
        return (Dir.path() + QLatin1Char('/')).toStdString() + name;
    }
    TFourthGlimraControl& HubRef() const { return *Hub; }
    TForm2* Main() const { return Hub->WindowList().front(); }

    // The opening band would keep the update thread stepping the window during a measurement.
    static void Quiet(TForm2* window) {
        window->OpeningActive = false;
        window->ThreadTick = false;
    }

    // Spins the event loop until done() holds; false when the file change never showed.
    template <typename F> bool SpinUntil(F done) {
        Guard.start();
        while (!done() && Guard.isActive())
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
        Guard.stop();
        return done();
    }

    // Lets the late notifications of the last write arrive, outside the timed part.
    static void Settle(int ms) {
        QElapsedTimer clock;
        clock.start();
        while (clock.elapsed() < ms) {
            QCoreApplication::processEvents(QEventLoop::AllEvents, ms);
            QThread::msleep(1);
        }
    }

    void AppendBlock() const { std::ofstream(LogPath, std::ios::binary | std::ios::app) << Block; }
    // Writes over the header in place: same length, different first line.
    void RewriteHeader(char run) const {
        std::fstream file(LogPath, std::ios::binary | std::ios::in | std::ios::out);
        file << HeaderLine(run);
    }

    std::string LogPath;
    std::string Block; // 1 KB of whole log lines

private:
    QTemporaryDir Dir;
    TQtSettingsFiles Files;
    TQtUserStore UserStore{Dir.path() + QStringLiteral("/user.conf")};
    TScriptedMessageBoxes Boxes;
    QTimer Guard;
    std::unique_ptr<TFourthGlimraControl> Hub;

    void WriteLog() {
        LogPath = Path("service.log");
        TLogWriter writer;
        std::string text = HeaderLine('A');
        text.reserve(kLogBytes + 256);
        while (text.size() < kLogBytes)
            text += writer.Line();
        std::ofstream(LogPath, std::ios::binary) << text;
        while (Block.size() < kAppendBytes)
            Block += writer.Line();
        // Trim the last line's message so the block is exactly 1 KB and still ends a line.
        Block.resize(kAppendBytes - 1);
        Block += '\n';
    }
};

TBenchWorld* World = nullptr;

double Seconds(std::chrono::steady_clock::time_point since) {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - since).count();
}

// Appending 1 KB to the followed log until the window holds the new lines.
void BM_AppendUntilShown(benchmark::State& state) {
    TForm2* window = World->Main();
    for (auto _ : state) {
        std::size_t before = window->Store.LineCount();
        auto start = std::chrono::steady_clock::now();
        World->AppendBlock();
        if (!World->SpinUntil([&] { return window->Store.LineCount() > before; })) {
            state.SkipWithError("the append never reached the window");
            break;
        }
        state.SetIterationTime(Seconds(start));
        World->Settle(20);
    }
    state.counters["lines"] = static_cast<double>(window->Store.LineCount());
}
BENCHMARK(BM_AppendUntilShown)->UseManualTime()->Iterations(40)->Unit(benchmark::kMillisecond);

// Changing the first line in place until the window shows it: the whole file is read again.
void BM_RewriteUntilReloaded(benchmark::State& state) {
    TForm2* window = World->Main();
    char run = 'A';
    for (auto _ : state) {
        run = run == 'A' ? 'B' : 'A';
        std::string expected = HeaderLine(run);
        expected.pop_back();
        auto start = std::chrono::steady_clock::now();
        World->RewriteHeader(run);
        if (!World->SpinUntil([&] { return window->Store.Line(0) == expected; })) {
            state.SkipWithError("the rewrite never reached the window");
            break;
        }
        state.SetIterationTime(Seconds(start));
        World->Settle(50);
    }
}
BENCHMARK(BM_RewriteUntilReloaded)->UseManualTime()->Iterations(6)->Unit(benchmark::kMillisecond);

// One full composition of the window over the big log at a given size.
void BM_Redraw(benchmark::State& state) {
    TForm2* window = World->Main();
    const auto w = static_cast<int>(state.range(0)), h = static_cast<int>(state.range(1));
    window->setGeometry(0, 0, w, h);
    TBenchWorld::Quiet(window);
    World->Settle(50);
    if (window->size() != QSize(w, h)) {
        state.SkipWithError("the window could not take the size");
        return;
    }
    for (auto _ : state)
        window->Redraw();
    state.counters["display_lines"] = static_cast<double>(window->Store.DisplayLineCount());
}
BENCHMARK(BM_Redraw)
    ->Args({480, 350})
    ->Args({1920, 1080})
    ->MinTime(1)
    ->Unit(benchmark::kMillisecond);

// The main thread's part of an Auto step, for every window in turn; the second argument
// draws with no colour rules (0) or the first start's two and an expression (1).
void BM_AutoSteps(benchmark::State& state) {
    TFourthGlimraControl& hub = World->HubRef();
    const auto count = static_cast<int>(state.range(0));
    std::vector<TColorRule> rules;
    if (state.range(1) != 0) {
        rules = DefaultColorRules();
        rules.push_back({"re:(timeout|refused) after \\d+ ms", clAqua, true});
    }
    World->Main()->setGeometry(272, 209, 480, 350);
    while (hub.WindowCount() < count) {
        TForm2* window = hub.NewWindow();
        TBenchWorld::Quiet(window);
        window->OpenFile(World->LogPath);
    }
    World->Settle(50);
    for (int i = 0; i < count; ++i) {
        TForm2* window = hub.WindowList()[static_cast<std::size_t>(i)];
        window->LineRules.Apply(rules);
        window->GlimraButton3Click();
    }
    for (auto _ : state)
        for (int i = 0; i < count; ++i)
            hub.StepWindow(i);
    for (int i = 0; i < count; ++i)
        hub.WindowList()[static_cast<std::size_t>(i)]->GlimraButton3Click();
    World->Settle(50);
    state.counters["steps_per_s"] = benchmark::Counter(
        static_cast<double>(state.iterations()) * count, benchmark::Counter::kIsRate);
}
BENCHMARK(BM_AutoSteps)
    ->Args({1, 0})
    ->Args({1, 1})
    ->Args({10, 0})
    ->Args({10, 1})
    ->MinTime(1)
    ->Unit(benchmark::kMillisecond);

// One 1920 x 1080 screen, so the large window lies wholly on the captured desktop.
void UseOffscreenPlatform(const QTemporaryDir& dir) {
    if (!qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        return;
    QString config = dir.path() + QStringLiteral("/screens.json");
    QFile file(config);
    if (file.open(QIODevice::WriteOnly))
        file.write(R"({"screens": [{"name": "bench", "x": 0, "y": 0, "width": 1920,
                       "height": 1080, "logicalDpi": 96, "logicalBaseDpi": 96, "dpr": 1}]})");
    file.close();
    qputenv("QT_QPA_PLATFORM", ("offscreen:configfile=" + config).toLocal8Bit());
}

} // namespace
} // namespace glimra

int main(int argc, char** argv) {
    QTemporaryDir platformDir;
    glimra::UseOffscreenPlatform(platformDir);
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    glimra::TBenchWorld world;
    glimra::World = &world;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    glimra::World = nullptr;
    return 0;
}
