#include "platform/crash_guard.h"

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <condition_variable>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <mutex>
#include <sstream>
#include <sys/mman.h>
#include <thread>
#include <unistd.h>

namespace glimra {
namespace {

constexpr std::size_t PageSize = 4096;
constexpr int FatalSignals[] = {SIGSEGV, SIGBUS, SIGILL, SIGFPE, SIGABRT};
// How the watchdog ends a program stuck in a module.
constexpr int HangExitCode = 70;

// The mapped record: what is written here is in the file even if the process dies
// the next instant, and writing it needs no system call.
char* volatile Page = nullptr;
int RecordFd = -1;
char RecordPath[4096];
const char* volatile CurrentModule = nullptr;
const char* volatile CurrentCall = nullptr;
std::atomic<int> Depth{0};
std::atomic<pid_t> CallingThread{0};
// Moves on every entry into or exit from a module and on every heartbeat.
std::atomic<unsigned> Progress{0};
std::atomic<int> HangMs{10000};
// The record of the current call says the event loop ran inside it (a module's own
// dialog): an end from outside then is not the module's doing.
std::atomic<bool> AliveMarked{false};
std::atomic<std::size_t> AliveAt{0};
// The watchdog sleeps on these while no module is being called.
std::atomic<bool> WatcherAsleep{false};
// Never destroyed: the watchdog may still wait on them while exit() runs destructors.
std::mutex& WatcherLock = *new std::mutex;
std::condition_variable& WatcherWake = *new std::condition_variable;
std::atomic<void (*)()> Ping{nullptr};

// Everything below until the watchdog is async-signal-safe.

std::size_t Length(const char* text) {
    std::size_t n = 0;
    while (text[n] != '\0')
        ++n;
    return n;
}

char* Put(char* at, const char* text) {
    char* end = Page + PageSize - 2;
    for (; *text != '\0' && at < end; ++text)
        *at++ = *text;
    *at++ = '\n';
    *at = '\0';
    return at;
}

// The first byte goes last, so a half-written record reads as empty.
void WriteRecord(const char* module, const char* call) {
    char* page = Page;
    AliveMarked = false;
    if (!page)
        return;
    page[0] = '\0';
    if (!module || module[0] == '\0')
        return;
    char* at = Put(page + 1, module + 1);
    Put(at, call ? call : "");
    page[0] = module[0];
}

void AppendHow(const char* how) {
    char* page = Page;
    if (page && page[0] != '\0')
        Put(page + Length(page), how);
}

void Say(const char* a, const char* b = "", const char* c = "") {
    for (const char* text : {a, b, c})
        [[maybe_unused]] ssize_t written = write(STDERR_FILENO, text, Length(text));
}

bool InModuleCall() {
    return Depth.load() > 0 && CallingThread.load() == gettid();
}

void OnFatalSignal(int signal) {
    if (Depth.load() > 0) {
        if (InModuleCall()) {
            const char* module = CurrentModule;
            char how[] = "signal 00";
            how[7] = static_cast<char>('0' + signal / 10 % 10);
            how[8] = static_cast<char>('0' + signal % 10);
            AppendHow(how);
            Say("glimra4: the program failed inside the module ", module ? module : "?", "\n");
        } else if (Page) {
            // Another thread failed: the module being called is not to blame.
            Page[0] = '\0';
        }
    }
    raise(signal); // SA_RESETHAND restored the default action
}

void AtExit() {
    if (!Page)
        return;
    if (Depth.load() > 0) {
        AppendHow("exit");
        Say("glimra4: the module ", CurrentModule ? CurrentModule : "?", " ended the program\n");
        return;
    }
    // A clean end leaves nothing behind.
    Page[0] = '\0';
    unlink(RecordPath);
}

// Sleeps until a module call begins; while calls go on, looks every twentieth of the
// limit. An idle program is never woken by it.
void Watch() {
    using Clock = std::chrono::steady_clock;
    for (;;) {
        {
            std::unique_lock<std::mutex> lock(WatcherLock);
            WatcherAsleep = true;
            WatcherWake.wait(lock, [] { return Depth.load() > 0; });
            WatcherAsleep = false;
        }
        unsigned seen = Progress.load();
        Clock::time_point since = Clock::now();
        bool pinged = false;
        while (Depth.load() > 0) {
            const int limit = HangMs.load();
            std::this_thread::sleep_for(std::chrono::milliseconds(std::clamp(limit / 20, 5, 500)));
            const unsigned now = Progress.load();
            if (now != seen) {
                seen = now;
                since = Clock::now();
                pinged = false;
                continue;
            }
            const auto quiet = Clock::now() - since;
            using std::chrono::milliseconds;
            // Is the event loop still running inside the call (a module's dialog)?
            if (!pinged && quiet >= milliseconds(limit / 10)) {
                if (void (*ping)() = Ping.load())
                    ping();
                pinged = true;
            }
            // Life shown once does not cover a call that has stopped showing it.
            if (AliveMarked && quiet >= milliseconds(limit / 4)) {
                char* page = Page;
                if (page && AliveAt > 0)
                    page[AliveAt.load()] = '\0';
                AliveMarked = false;
            }
            if (quiet >= milliseconds(limit) && Page) {
                AppendHow("hang");
                const char* module = CurrentModule;
                Say("glimra4: a call into the module ", module ? module : "?",
                    " did not return; ending the program\n");
                std::_Exit(HangExitCode);
            }
        }
    }
}

std::string FileText(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    if (in)
        text << in.rdbuf();
    return text.str();
}

} // namespace

std::string DefaultCrashRecordPath() {
    namespace fs = std::filesystem;
    fs::path folder;
    const char* state = std::getenv("XDG_STATE_HOME");
    const char* home = std::getenv("HOME");
    if (state && state[0] == '/')
        folder = state;
    else if (home && home[0] != '\0')
        folder = fs::path(home) / ".local" / "state";
    else
        return {};
    folder /= "glimra4";
    std::error_code error;
    fs::create_directories(folder, error);
    return (folder / "module-crash.rec").string();
}

TCrashBlame ReadCrashRecord(const std::string& path) {
    // This run's own record blames nothing yet.
    if (Page && path == RecordPath)
        return {};
    std::string text = FileText(path);
    text.resize(std::strlen(text.c_str()));
    TCrashBlame blame;
    std::istringstream lines(text);
    std::getline(lines, blame.Module);
    std::getline(lines, blame.Call);
    bool alive = false;
    for (std::string how; std::getline(lines, how);)
        if (how == "alive")
            alive = true;
        else
            blame.How = how;
    // Stopped from outside while the module's own event loop ran: not its doing.
    if (alive && blame.How.empty())
        return {};
    return blame;
}

bool StartCrashGuard(const std::string& path, int hangMs) {
    HangMs = hangMs;
    if (Page && path == RecordPath)
        return true;
    if (path.empty() || path.size() >= sizeof RecordPath) {
        std::cerr << "glimra4: no place for the module crash record; modules are not guarded\n";
        return false;
    }
    const int fd = open(path.c_str(), O_RDWR | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
    // The blocks are taken now: a full disk must not turn a write into a SIGBUS.
    void* page = fd < 0 || posix_fallocate(fd, 0, PageSize) != 0
                     ? MAP_FAILED
                     : mmap(nullptr, PageSize, PROT_READ | PROT_WRITE, MAP_SHARED, fd, 0);
    if (page == MAP_FAILED) {
        // Read once, the last run's record must not blame its module at every start.
        std::remove(path.c_str());
        std::cerr << "glimra4: cannot write " << path << " (" << std::strerror(errno)
                  << "); modules are not guarded\n";
        if (fd >= 0)
            close(fd);
        return false;
    }
    char* old = Page;
    Page = nullptr;
    if (old) {
        munmap(old, PageSize);
        close(RecordFd);
    } else {
        struct sigaction action {};
        action.sa_handler = OnFatalSignal;
        action.sa_flags = SA_RESETHAND;
        sigemptyset(&action.sa_mask);
        for (int signal : FatalSignals)
            sigaction(signal, &action, nullptr);
        std::atexit(AtExit);
        std::thread(Watch).detach();
    }
    RecordFd = fd;
    std::strcpy(RecordPath, path.c_str());
    Page = static_cast<char*>(page);
    WriteRecord(CurrentModule, CurrentCall);
    return true;
}

bool CrashGuardActive() {
    return Page != nullptr;
}

void CrashGuardHeartbeat() {
    ++Progress;
    char* page = Page;
    if (page && InModuleCall() && !AliveMarked.exchange(true)) {
        AliveAt = Length(page);
        AppendHow("alive");
    }
}

void SetCrashGuardPing(void (*ping)()) {
    Ping = ping;
}

TCrashScope::TCrashScope(const char* module, const char* call)
    : PreviousModule(CurrentModule), PreviousCall(CurrentCall) {
    if (Depth.fetch_add(1) == 0) {
        CallingThread = gettid();
        if (WatcherAsleep.load()) {
            std::lock_guard<std::mutex> lock(WatcherLock);
            WatcherWake.notify_one();
        }
    }
    CurrentModule = module;
    CurrentCall = call;
    WriteRecord(module, call);
    ++Progress;
}

TCrashScope::~TCrashScope() {
    CurrentModule = PreviousModule;
    CurrentCall = PreviousCall;
    WriteRecord(PreviousModule, PreviousCall);
    --Depth;
    ++Progress;
}

} // namespace glimra
