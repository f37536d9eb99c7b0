#pragma once
#include <QObject>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <thread>

class QSocketNotifier;

namespace glimra {

// How long the program has to end after a stop signal before it is ended regardless.
inline constexpr int StopWatchdogMs = 5000;

// Catches SIGTERM, SIGHUP and SIGINT for the rest of the process's life, so a stop never
// takes the default action that ends the program unsaved; a signal the parent ignores
// stays ignored (a background job's SIGINT, nohup's SIGHUP). watchdogMs after the first
// stop the process ends with status 0 even if the main thread never gets to it, e.g.
// inside a module call that does not return. Call it first in main; later calls do
// nothing.
void CatchStopSignals(int watchdogMs = StopWatchdogMs);
// A stop signal has arrived. Safe on any thread.
bool StopRequested();

// Hands each stop signal to the main thread, those that came before it was made too.
// One instance at a time; the signals stay caught when it is gone.
class TTerminationSignals : public QObject {
    Q_OBJECT
public:
    explicit TTerminationSignals(std::function<void(int)> onSignal, QObject* parent = nullptr);

private:
    void Drain();

    std::function<void(int)> OnSignal;
    QSocketNotifier* Notifier = nullptr;
};

// Ends the process with exit code 0 unless it is destroyed within delayMs: the last
// word when the clean-up after the event loop hangs.
class TExitWatchdog {
public:
    explicit TExitWatchdog(int delayMs);
    ~TExitWatchdog();
    TExitWatchdog(const TExitWatchdog&) = delete;
    TExitWatchdog& operator=(const TExitWatchdog&) = delete;

private:
    std::mutex Lock;
    std::condition_variable Wake;
    bool Disarmed = false;
    std::thread Watcher;
};

} // namespace glimra
