#include "platform/termination.h"

#include <QSocketNotifier>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdlib>
#include <fcntl.h>
#include <semaphore.h>
#include <unistd.h>

namespace glimra {
namespace {

constexpr int Signals[] = {SIGTERM, SIGINT, SIGHUP};
// Made before the handlers go in and never closed: a signal may come at any moment,
// the last one while the process ends.
int SignalPipe[2] = {-1, -1};
sem_t StopPosted;
std::atomic<bool> Stopped{false};
static_assert(std::atomic<bool>::is_always_lock_free, "set inside a signal handler");

// Only calls that are safe inside a handler.
void OnStopSignal(int signal) {
    const int saved = errno;
    Stopped.store(true);
    sem_post(&StopPosted);
    const char byte = static_cast<char>(signal);
    [[maybe_unused]] ssize_t written = ::write(SignalPipe[1], &byte, 1);
    errno = saved;
}

// Its own thread, so a main thread that never returns cannot keep the process alive.
void WatchStop(int watchdogMs) {
    while (sem_wait(&StopPosted) != 0) {
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(watchdogMs));
    std::_Exit(0);
}

} // namespace

void CatchStopSignals(int watchdogMs) {
    static std::once_flag once;
    std::call_once(once, [watchdogMs] {
        if (::pipe2(SignalPipe, O_CLOEXEC | O_NONBLOCK) != 0)
            SignalPipe[0] = SignalPipe[1] = -1;
        sem_init(&StopPosted, 0, 0);
        std::thread(WatchStop, watchdogMs).detach();
        struct sigaction action {};
        action.sa_handler = &OnStopSignal;
        action.sa_flags = SA_RESTART;
        sigemptyset(&action.sa_mask);
        for (int signal : Signals) {
            struct sigaction inherited {};
            if (sigaction(signal, nullptr, &inherited) == 0 && inherited.sa_handler != SIG_IGN)
                sigaction(signal, &action, nullptr);
        }
    });
}

bool StopRequested() {
    return Stopped.load();
}

TTerminationSignals::TTerminationSignals(std::function<void(int)> onSignal, QObject* parent)
    : QObject(parent), OnSignal(std::move(onSignal)) {
    if (SignalPipe[0] < 0)
        return;
    Notifier = new QSocketNotifier(SignalPipe[0], QSocketNotifier::Read, this);
    connect(Notifier, &QSocketNotifier::activated, this, &TTerminationSignals::Drain);
}

void TTerminationSignals::Drain() {
    char byte = 0;
    while (::read(SignalPipe[0], &byte, 1) == 1)
        if (OnSignal)
            OnSignal(static_cast<unsigned char>(byte));
}

TExitWatchdog::TExitWatchdog(int delayMs) {
    Watcher = std::thread([this, delayMs] {
        std::unique_lock<std::mutex> lock(Lock);
        if (!Wake.wait_for(lock, std::chrono::milliseconds(delayMs), [this] { return Disarmed; }))
            std::_Exit(0);
    });
}

TExitWatchdog::~TExitWatchdog() {
    {
        std::lock_guard<std::mutex> lock(Lock);
        Disarmed = true;
    }
    Wake.notify_one();
    Watcher.join();
}

} // namespace glimra
