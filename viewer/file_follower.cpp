#include "viewer/file_follower.h"

#include "viewer/file_sys_monitor.h"
#include "viewer/interval_timer.h"
#include "viewer/line_store.h"
#include "viewer/store_worker.h"

#include <QCoreApplication>

namespace glimra {

TFileFollower::TFileFollower(TLineStore& store, TStoreWorker& worker, TFollowerClient& client,
                             QObject* owner)
    : QObject(owner), FilePath(QCoreApplication::applicationFilePath().toStdString()),
      Monitor(new TFileSysMonitor(this)), NotifyTimer(new TIntervalTimer(3000, this)), Store(store),
      Worker(worker), Client(client) {
    connect(NotifyTimer, &TIntervalTimer::Timeout, this, &TFileFollower::NotifyTimerTimer);
    Monitor->SetNotifyFilter({TFileSysNotify::FILE_NAME, TFileSysNotify::DIR_NAME,
                              TFileSysNotify::ATTRIBUTES, TFileSysNotify::SIZE,
                              TFileSysNotify::LAST_WRITE});
    Monitor->SetOnFileSysChange([this](QObject*, const std::string&) { FileSysChanged(); });
    // A write between our read and the arming of the watch is found by one look.
    Monitor->SetOnArmed([this] {
        if (Opened && !Retry.OpenFailed &&
            FindFileStamp(FilePath).value_or(TFileStamp{}) != FileTime)
            FileSysChanged();
    });
    Monitor->SetWatchSubtree(false);
}

TFileFollower::~TFileFollower() {
    Monitor->SetActive(false);
}

void TFileFollower::ApplySettings(int waitTime, int retry) {
    NotifyTimer->SetInterval(waitTime);
    RetryInterval = waitTime;
    Retry.OpenFailed = false;
    Retry.MaxRetry = retry;
}

bool TFileFollower::Load(const std::string& path) {
    // A change while the file is being read is looked at once the read is done: the
    // read goes on to the file's end, and starting over would never finish a busy log.
    if (Worker.Loading() && path == HeldPath && path == FilePath) {
        LookAgain = true;
        return true;
    }
    FilePath = path;
    Opened = true;
    // The stamp comes first: a write landing during the read then leaves a stamp
    // that differs, and is read on the next look instead of being lost.
    std::optional<TFileStamp> stamp = FindFileStamp(path);
    if (!ReadIntoStore(path)) {
        ShowOpenFailure();
        return false;
    }
    if (stamp)
        FileTime = *stamp;
    Retry.Succeeded();
    return true;
}

void TFileFollower::Forget() {
    Worker.Cancel();
    HeldSize = 0;
}

bool TFileFollower::ReadIntoStore(const std::string& path) {
    Worker.Cancel();
    std::shared_ptr<TOpenFile> file;
    if (TOpenFile::Open(path, file) != TReadResult::Ok)
        return false;
    const std::int64_t size = file->Size();
    // A file that may have kept what we hold and grown is read from where we stopped,
    // once the worker found the hash of the last block we hold unchanged.
    const bool growth = HeldSize > 0 && HeldSize == Store.RawSize() && path == HeldPath &&
                        size >= static_cast<std::int64_t>(HeldSize);
    HeldPath = path;
    GrowFrom = growth ? std::optional(HeldSize) : std::nullopt;
    HeldSize = 0; // until the read is done
    LookAgain = false;
    try {
        std::optional<TLoadOutcome> outcome = Worker.Load(
            [file](std::int64_t at, char* to, std::size_t n) { return file->ReadAt(at, to, n); },
            size, growth, ForcedEncoding);
        if (!outcome)
            return true;
        if (*outcome == TLoadOutcome::Failed)
            return false;
        ReadDone();
        return true;
    } catch (const std::bad_alloc&) {
        Store.Clear();
        return false;
    }
}

void TFileFollower::LoadEnded(TLoadOutcome outcome) {
    switch (outcome) {
    case TLoadOutcome::Failed:
        ShowOpenFailure();
        return;
    case TLoadOutcome::Cancelled:
        return;
    case TLoadOutcome::Partial:
        ReadDone();
        LookAgain = false;
        Load(FilePath);
        return;
    case TLoadOutcome::Changed:
    case TLoadOutcome::Unchanged:
        ReadDone();
        break;
    }
    if (std::exchange(LookAgain, false))
        FileSysChanged();
}

void TFileFollower::ReadDone() {
    HeldSize = Store.RawSize();
    if (const std::optional<std::size_t> from = std::exchange(GrowFrom, std::nullopt);
        from && OnAppended && HeldSize > *from)
        OnAppended(*from, HeldSize);
}

void TFileFollower::StoreFault(TStoreFault fault) {
    if (!Opened)
        return;
    // The running read went on from lines that are gone: the next one compares again.
    Forget();
    if (fault == TStoreFault::Unreadable) {
        ShowOpenFailure();
        return;
    }
    NotifyTimer->SetEnabled(true);
    Client.FileChanged();
}

void TFileFollower::ShowOpenFailure() {
    std::string line = Retry.Failed(FilePath);
    Forget();
    Store.Clear();
    Store.AddLine(line);
    NotifyTimer->SetInterval(RetryInterval);
    NotifyTimer->SetEnabled(true);
}

void TFileFollower::Follow(bool on) {
    Monitor->SetMonitoredDirectory(DirectoryPart(FilePath));
    Monitor->SetActive(on);
}

void TFileFollower::Clear() {
    FilePath.clear();
    Opened = false;
    Forget();
    FileTime = {};
    Monitor->SetActive(false);
    // Retrying a file the window no longer has would only fill it with failures.
    NotifyTimer->SetEnabled(false);
    Retry.Finish();
}

void TFileFollower::FileSysChanged() {
    // A window without a file follows nothing, least of all the program itself.
    if (!Opened)
        return;
    Retry.OpenFailed = false;
    if (FindFileStamp(FilePath).value_or(TFileStamp{}) == FileTime)
        return;
    // The clock keeps its phase: a stream of changes must not hold off its ticks.
    NotifyTimer->SetEnabled(true);
    Client.FileChanged();
}

void TFileFollower::NotifyTimerTimer() {
    Client.HideBadges();
    switch (Retry.Tick()) {
    case TTickAction::EndBadge:
        NotifyTimer->SetEnabled(false);
        Retry.Finish();
        break;
    case TTickAction::ConfirmReload:
        Client.RetryTick();
        // A confirming read that fails again keeps retrying instead of stopping silently.
        if (!Retry.OpenFailed) {
            NotifyTimer->SetEnabled(false);
            Retry.Finish();
        }
        break;
    case TTickAction::GiveUp: {
        std::vector<std::string> lines = Retry.GiveUp(FilePath);
        Forget();
        Store.Clear();
        for (const std::string& line : lines)
            Store.AddLine(line);
        NotifyTimer->SetEnabled(false);
        Client.GaveUp();
        break;
    }
    case TTickAction::Retry:
        Client.RetryTick();
        break;
    }
}

} // namespace glimra
