#include "platform/termination.h"

#include <QSocketNotifier>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdlib>
#include <fcntl.h>
#include <unistd.h>

namespace glimra {
namespace {

constexpr int Signals[] = {SIGTERM, SIGINT, SIGHUP};
// Written by the handler, read on the main thread; opened before any handler runs.
int SignalPipe[2] = {-1, -1};

void WriteSignal(int signal) {
    const int saved = errno;
    const char byte = static_cast<char>(signal);
    [[maybe_unused]] ssize_t written = ::write(SignalPipe[1], &byte, 1);
    errno = saved;
}

void SetHandler(void (*handler)(int)) {
    struct sigaction action {};
    action.sa_handler = handler;
    action.sa_flags = SA_RESTART;
    sigemptyset(&action.sa_mask);
    for (int signal : Signals)
        sigaction(signal, &action, nullptr);
}

} // namespace

TTerminationSignals::TTerminationSignals(std::function<void(int)> onSignal, QObject* parent)
    : QObject(parent), OnSignal(std::move(onSignal)) {
    if (::pipe2(SignalPipe, O_CLOEXEC | O_NONBLOCK) != 0)
        return;
    Notifier = new QSocketNotifier(SignalPipe[0], QSocketNotifier::Read, this);
    connect(Notifier, &QSocketNotifier::activated, this, &TTerminationSignals::Drain);
    SetHandler(&WriteSignal);
}

TTerminationSignals::~TTerminationSignals() {
    if (!Notifier)
        return;
    SetHandler(SIG_DFL);
    ::close(SignalPipe[0]);
    ::close(SignalPipe[1]);
    SignalPipe[0] = SignalPipe[1] = -1;
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
