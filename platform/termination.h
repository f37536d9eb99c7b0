#pragma once
#include <QObject>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <thread>

class QSocketNotifier;

namespace glimra {

// Turns SIGTERM, SIGINT and SIGHUP into a call on the main thread, so the program can
// end as if its windows were closed. One instance at a time; the default actions
// return when it is destroyed.
class TTerminationSignals : public QObject {
    Q_OBJECT
public:
    explicit TTerminationSignals(std::function<void(int)> onSignal, QObject* parent = nullptr);
    ~TTerminationSignals() override;

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
