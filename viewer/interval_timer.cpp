#include "viewer/interval_timer.h"

namespace glimra {

TIntervalTimer::TIntervalTimer(int interval, QObject* parent)
    : QObject(parent), Milliseconds(interval) {
    connect(&Timer, &QTimer::timeout, this, &TIntervalTimer::Timeout);
}

void TIntervalTimer::SetEnabled(bool on) {
    if (on == On)
        return;
    On = on;
    Update();
}

void TIntervalTimer::SetInterval(int milliseconds) {
    if (milliseconds == Milliseconds)
        return;
    Milliseconds = milliseconds;
    Timer.stop();
    Update();
}

void TIntervalTimer::Update() {
    if (!On || Milliseconds <= 0)
        Timer.stop();
    else if (!Timer.isActive())
        Timer.start(Milliseconds);
}

} // namespace glimra
