#include "viewer/file_wait_thread.h"

#include "platform/beep.h"

#include <QCoreApplication>

#include <memory>
#include <semaphore>

namespace glimra {
namespace {

std::atomic<int> liveWorkers{0};
std::atomic<int> waitsEnded{0};

} // namespace

TFileWaitThread::TFileWaitThread(std::string directory, bool watchSubtree, std::uint32_t filterMask,
                                 TFileSysChange handler, std::function<void()> armed)
    : directory_(std::move(directory)), watchSubtree_(watchSubtree), filterMask_(filterMask),
      handler_(std::move(handler)), armed_(std::move(armed)) {
    ++liveWorkers;
    connect(this, &QThread::finished, this, &QObject::deleteLater);
}

TFileWaitThread::~TFileWaitThread() {
    --liveWorkers;
}

int TFileWaitThread::LiveCount() {
    return liveWorkers;
}

int TFileWaitThread::WaitsEnded() {
    return waitsEnded;
}

void TFileWaitThread::Stop() {
    std::lock_guard lock(stopMutex_);
    stopRequested_ = true;
    stop_.Raise();
    // Deleting a queued call releases the worker waiting for it.
    QCoreApplication::removePostedEvents(&mailbox_, QEvent::MetaCall);
}

void TFileWaitThread::run() {
    if (stopRequested_)
        return;
    TDirWatch watch;
    const bool opened = watch.Open(directory_, watchSubtree_, filterMask_);
    if (stopRequested_)
        return;
    // Reported, but not the end: the watch follows the directory by scanning.
    if (!opened)
        Synchronize(TCall::Error);
    // Whatever changed before the watch was armed can only be found by looking.
    if (armed_)
        Synchronize(TCall::Armed);
    bool failed = false;
    while (!stopRequested_ && !failed) {
        const TDirWatch::TWaitResult result = watch.Wait(-1, &stop_);
        ++waitsEnded;
        switch (result) {
        case TDirWatch::TWaitResult::Failed:
            Synchronize(TCall::Error);
            failed = true;
            break;
        case TDirWatch::TWaitResult::Signalled:
            if (handler_)
                Synchronize(TCall::Change);
            break;
        case TDirWatch::TWaitResult::TimedOut: // a scan that found nothing
            break;
        case TDirWatch::TWaitResult::Stopped:
            return;
        }
        if (!watch.Rearm())
            Synchronize(TCall::Error);
    }
}

// Worker side: a blocking call into the main thread. The call carries a guard
// that opens the semaphore when the call is destroyed, whether it ran or was
// dropped by Stop, so the worker can never be left waiting on a quitting main
// thread. Checking the flag and posting under the lock means nothing is posted
// after Stop has cleared the queue.
bool TFileWaitThread::Synchronize(TCall call) {
    auto done = std::make_shared<std::binary_semaphore>(0);
    {
        std::lock_guard lock(stopMutex_);
        if (stopRequested_)
            return false;
        std::shared_ptr<void> release(nullptr, [done](void*) { done->release(); });
        QMetaObject::invokeMethod(
            &mailbox_, [this, call, release] { Deliver(call); }, Qt::QueuedConnection);
    }
    done->acquire();
    return true;
}

void TFileWaitThread::Deliver(TCall call) {
    if (stopRequested_)
        return;
    if (call == TCall::Error)
        Beep();
    else if (call == TCall::Armed)
        armed_();
    else if (handler_)
        handler_(this, directory_);
}

} // namespace glimra
