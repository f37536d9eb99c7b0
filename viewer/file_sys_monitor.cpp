#include "viewer/file_sys_monitor.h"

#include "platform/beep.h"

#include <QFileInfo>

namespace glimra {

TFileSysMonitor::TFileSysMonitor(QObject* owner) : QObject(owner) {}

TFileSysMonitor::~TFileSysMonitor() {
    SetActive(false);
}

void TFileSysMonitor::SetActive(bool active) {
    if (active == active_)
        return;
    if (!active) {
        if (worker_)
            worker_->Stop();
        worker_ = nullptr;
    } else {
        worker_ = new TFileWaitThread(monitoredDirectory_, watchSubtree_,
                                      NotifyFilterMask(notifyFilter_), onFileSysChange_, onArmed_);
        worker_->start();
    }
    active_ = active;
}

void TFileSysMonitor::SetMonitoredDirectory(const std::string& directory) {
    if (directory == monitoredDirectory_)
        return;
    if (!QFileInfo(QString::fromStdString(directory)).isDir()) {
        Beep();
        return;
    }
    monitoredDirectory_ = directory;
    Restart();
}

void TFileSysMonitor::SetWatchSubtree(bool watchSubtree) {
    if (watchSubtree == watchSubtree_)
        return;
    watchSubtree_ = watchSubtree;
    Restart();
}

void TFileSysMonitor::SetNotifyFilter(TNotifyFilter filter) {
    if (filter == notifyFilter_)
        return;
    notifyFilter_ = filter;
    Restart();
}

void TFileSysMonitor::SetOnFileSysChange(TFileSysChange handler) {
    onFileSysChange_ = std::move(handler);
}

void TFileSysMonitor::Restart() {
    if (!Active())
        return;
    SetActive(false);
    SetActive(true);
}

} // namespace glimra
