// A window's store over a big log, next to its anchors in the same run: load and index
// beside `wc -l` on the same file, the same first load in a fresh process (memory the
// process never touched), counting rows beside memcpy of the same bytes, the cost of
// an append, and the peak memory of load, wrap, append and a full reload beside the
// bound.
//
//   bench_big_log [megabytes=1024] [path=/tmp/glimra_big.log] [encoding=UTF-8]
//
// The file is made when missing and left for the next run; delete it afterwards. With an
// encoding (CP932, EUC-JP, ...) the log is written in it, converted by iconv(1): the
// store detects it and decodes what it counts and shows.
#include "memcpy_anchor.h"
#include "platform/file_access.h"
#include "platform/system_codecs.h"
#include "viewer/line_store.h"
#include "viewer/store_worker.h"

#include <QFont>
#include <QFontMetrics>
#include <QGuiApplication>

#include <chrono>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <fcntl.h>
#include <fstream>
#include <random>
#include <string>
#include <thread>
#include <unistd.h>

namespace {

using namespace glimra;
using Clock = std::chrono::steady_clock;

double Since(Clock::time_point start) {
    return std::chrono::duration<double>(Clock::now() - start).count();
}

// Processor time of the whole process (the worker does the work; the caller sleeps):
// on a busy shared machine it says more than the wall clock.
double CpuSince(std::clock_t start) {
    return static_cast<double>(std::clock() - start) / CLOCKS_PER_SEC;
}

// Kilobytes of a line of /proc/self/status.
long StatusKb(const char* key) {
    std::ifstream in("/proc/self/status");
    std::string line;
    while (std::getline(in, line))
        if (line.rfind(key, 0) == 0)
            return std::stol(line.substr(std::strlen(key)));
    return 0;
}

// Starts a new peak: the kernel resets the high-water mark to the current use.
void ResetPeak() {
    std::ofstream("/proc/self/clear_refs") << "5";
}

double PeakMb() {
    return StatusKb("VmHWM:") / 1024.0;
}

// Lines of a busy service, about 100 bytes each, now and then Japanese.
void MakeLog(const std::string& path, std::size_t bytes, const std::string& encoding) {
    if (encoding != "UTF-8") {
        MakeLog(path + ".utf8", bytes, "UTF-8");
        const std::string command =
            "iconv -f UTF-8 -t " + encoding + " '" + path + ".utf8' > '" + path + "'";
        if (std::system(command.c_str()) != 0)
            std::fprintf(stderr, "iconv failed\n");
        std::remove((path + ".utf8").c_str());
        return;
    }
    static const char* const Messages[] = {
        "GET /api/orders 200 in 12ms from 192.168.3.17 user=fumiko session=abcdef",
        "query finished, 214 rows, plan cached, pool 7/32 busy, waiting 0",
        "ファイルを保存しました。次の処理を待っています",
        "job nightly-report step 3/5 done, next run scheduled for 02:00",
    };
    std::ofstream out(path, std::ios::binary);
    std::mt19937 random(7);
    std::string text;
    char head[64];
    std::size_t written = 0;
    for (std::size_t i = 0; written < bytes; ++i) {
        std::snprintf(head, sizeof head, "2024-05-01 %02zu:%02zu:%02zu.%03zu INFO [%07zu] ",
                      i / 360000 % 24, i / 6000 % 60, i / 100 % 60, i % 1000, i % 10000000);
        text += head;
        text += Messages[random() % 4];
        text += '\n';
        if (text.size() > (1 << 20)) {
            out << text;
            written += text.size();
            text.clear();
        }
    }
}

double WcSeconds(const std::string& path) {
    auto start = Clock::now();
    std::string command = "wc -l < '" + path + "' > /dev/null";
    if (std::system(command.c_str()) != 0)
        std::fprintf(stderr, "wc failed\n");
    return Since(start);
}

TReadAt Reader(const std::string& path) {
    std::shared_ptr<TOpenFile> file;
    if (TOpenFile::Open(path, file) != TReadResult::Ok) {
        std::fprintf(stderr, "cannot open %s\n", path.c_str());
        std::exit(1);
    }
    return [file](std::int64_t at, char* to, std::size_t n) { return file->ReadAt(at, to, n); };
}

void WaitLoad(TStoreWorker& worker) {
    while (!worker.TakeOutcome())
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
}

void WaitRows(TLineStore& store) {
    while (store.WrapPending())
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
}

// The first load of a fresh process: prints its seconds and peak memory for the parent.
int FirstLoad(const std::string& path) {
    std::shared_ptr<TOpenFile> probe;
    TOpenFile::Open(path, probe);
    const std::int64_t size = probe->Size();
    probe.reset();
    TLineStore store(&SystemCodecs());
    TStoreWorker worker(store, nullptr);
    const auto start = Clock::now();
    worker.Load(Reader(path), size, false);
    WaitLoad(worker);
    std::printf("%.3f %.0f\n", Since(start), PeakMb());
    return 0;
}

// Runs FirstLoad in a new process of this program: seconds and peak memory.
std::pair<double, double> ColdLoad(const std::string& path) {
    const std::string command =
        "'/proc/" + std::to_string(::getpid()) + "/exe' --first-load '" + path + "'";
    std::FILE* child = ::popen(command.c_str(), "r");
    double seconds = -1, peak = -1;
    if (!child || std::fscanf(child, "%lf %lf", &seconds, &peak) != 2)
        std::fprintf(stderr, "the fresh process gave nothing\n");
    if (child)
        ::pclose(child);
    return {seconds, peak};
}

// Appends a line to the file and reads what grew, as the window does on a change.
void AppendLine(TStoreWorker& worker, const std::string& path, const std::string& line) {
    {
        std::ofstream out(path, std::ios::binary | std::ios::app);
        out << line;
    }
    std::shared_ptr<TOpenFile> file;
    TOpenFile::Open(path, file);
    if (!worker.Load(
            [file](std::int64_t at, char* to, std::size_t n) { return file->ReadAt(at, to, n); },
            file->Size(), true))
        WaitLoad(worker);
}

TCharWidth FontWidths(const QFont& font) {
    auto metrics = std::make_shared<QFontMetrics>(font);
    return [metrics](char32_t c) { return metrics->horizontalAdvance(QString::fromUcs4(&c, 1)); };
}

} // namespace

int main(int argc, char** argv) {
    if (argc > 2 && std::string(argv[1]) == "--first-load")
        return FirstLoad(argv[2]);
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    int qtArgc = 1;
    QGuiApplication app(qtArgc, argv); // font metrics need one
    const std::size_t megabytes = argc > 1 ? std::stoul(argv[1]) : 1024;
    const std::string path = argc > 2 ? argv[2] : "/tmp/glimra_big.log";
    const std::string encoding = argc > 3 ? argv[3] : "UTF-8";
    if (access(path.c_str(), R_OK) != 0) {
        std::printf("making %s (%zu MB, %s)\n", path.c_str(), megabytes, encoding.c_str());
        MakeLog(path, megabytes << 20, encoding);
    }
    std::shared_ptr<TOpenFile> probe;
    TOpenFile::Open(path, probe);
    const auto size = static_cast<std::size_t>(probe->Size());
    probe.reset();
    WcSeconds(path); // into the page cache
    const double wc = WcSeconds(path);
    const auto [cold, coldPeak] = ColdLoad(path);
    // Before the peak is measured: the anchor's own buffers are not the store's.
    const double copy = MemcpySeconds(256u << 20) * (static_cast<double>(size) / (256u << 20));

    const double base = StatusKb("VmRSS:") / 1024.0;
    TLineStore store(&SystemCodecs());
    TStoreWorker worker(store, nullptr);
    ResetPeak();
    auto start = Clock::now();
    std::clock_t cpu = std::clock();
    worker.Load(Reader(path), static_cast<std::int64_t>(size), false);
    WaitLoad(worker);
    const double load = Since(start);
    const double loadCpu = CpuSince(cpu);
    const double loadPeak = PeakMb();
    const std::size_t lines = store.LineCount();
    // The index (a start and a row count a line), the block cache, and the rest of the
    // process as it started.
    const double bound = (12.0 * lines + TBlockSource::CacheLimit) / (1 << 20) + base;
    std::printf("file: %.0f MB, %zu lines, read as %s\n", size / 1048576.0, lines,
                std::string(EncodingName(store.Encoding().Encoding)).c_str());
    std::printf("load+index: %.3f s (%.2f GB/s, cpu %.3f s)   wc -l: %.3f s   ratio %.1f x wc -l\n",
                load, size / load / 1e9, loadCpu, wc, load / wc);
    std::printf("cold load (fresh process, first load): %.3f s, %.1f x wc -l, peak %.0f MB\n", cold,
                cold / wc, coldPeak);

    // Rows at a 480-pixel window's text width: a table-sized fixed font and a real one.
    for (int real = 0; real < 2; ++real) {
        QFont font(QStringLiteral("DejaVu Sans"));
        font.setPixelSize(12);
        TCharWidth widths =
            real ? FontWidths(font) : TCharWidth([](char32_t c) { return c < 0x1100 ? 7 : 14; });
        start = Clock::now();
        cpu = std::clock();
        store.SetWrap(true, 427, widths, real ? QFontMetrics(font).maxWidth() : 14);
        worker.WakeWrap();
        WaitRows(store);
        const double rows = Since(start);
        const double rowsCpu = CpuSince(cpu);
        std::printf("wrap+count (%s): %.3f s (%.2f GB/s; cpu %.3f s, %.2f GB/s), %zu rows   "
                    "memcpy: %.3f s (%.2f GB/s)\n",
                    real ? "DejaVu Sans 12px" : "fixed widths", rows, size / rows / 1e9, rowsCpu,
                    size / rowsCpu / 1e9, store.DisplayLineCount(), copy, size / copy / 1e9);
    }

    const double wrapPeak = PeakMb();

    // Appends to the file, each read as the window reads a change: the first after the
    // load, then many small ones.
    const std::string line =
        "2024-05-01 23:59:59.999 INFO [9999999] appended line of an ordinary length\n";
    ResetPeak();
    start = Clock::now();
    AppendLine(worker, path, line);
    const double first = Since(start);
    // The anchor: the same appends to the file alone.
    start = Clock::now();
    for (int i = 0; i < 200; ++i)
        std::ofstream(path, std::ios::binary | std::ios::app) << line;
    const double write = Since(start) / 200;
    const double appendPeak = PeakMb();
    start = Clock::now();
    const int appends = 2000;
    for (int i = 0; i < appends; ++i)
        AppendLine(worker, path, line);
    const double each = Since(start) / appends;
    ::truncate(path.c_str(), static_cast<off_t>(size)); // the next run finds the same file
    std::printf(
        "append: first %.1f us, then %.2f us each (%zu bytes, wrapped)   writing it: %.2f us\n",
        first * 1e6, each * 1e6, line.size(), write * 1e6);

    // A full reload: the file differs from the store near its start.
    ResetPeak();
    {
        int fd = ::open(path.c_str(), O_RDWR);
        char mark = 0;
        if (fd >= 0 && ::pread(fd, &mark, 1, 100) == 1)
            mark = mark == '#' ? '$' : '#'; // differs from what the store holds
        if (fd < 0 || ::pwrite(fd, &mark, 1, 100) != 1)
            std::fprintf(stderr, "cannot change %s\n", path.c_str());
        ::close(fd);
    }
    start = Clock::now();
    worker.Load(Reader(path), static_cast<std::int64_t>(size), false);
    WaitLoad(worker);
    WaitRows(store);
    const double reload = Since(start);
    const double reloadPeak = PeakMb();
    std::printf("full reload (changed at byte 100): %.3f s\n", reload);
    std::printf("peak memory (VmHWM; %.0f MB at start): load %.0f MB, wrap %.0f MB, append %.0f MB,"
                " reload %.0f MB; bound 256 MB (12 B/line + %zu MB cache + start = %.0f MB)\n",
                base, loadPeak, wrapPeak, appendPeak, reloadPeak, TBlockSource::CacheLimit >> 20,
                bound);
    return 0;
}
