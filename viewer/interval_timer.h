#pragma once
#include <QObject>
#include <QTimer>

namespace glimra {

// A timer with the habits of the desktop the program was designed on: enabling one
// that runs keeps its phase, setting the interval it already has changes nothing,
// and an interval of 0 or less never fires.
class TIntervalTimer : public QObject {
    Q_OBJECT
public:
    TIntervalTimer(int interval, QObject* parent);

    bool Enabled() const { return On; }
    void SetEnabled(bool on);
    int Interval() const { return Milliseconds; }
    // A new interval starts a running timer over.
    void SetInterval(int milliseconds);
    // It will fire: enabled with an interval above 0.
    bool IsActive() const { return Timer.isActive(); }
    // Milliseconds to the next tick, -1 when it will not fire.
    int RemainingTime() const { return Timer.remainingTime(); }

signals:
    void Timeout();

private:
    void Update();

    QTimer Timer;
    int Milliseconds;
    bool On = false;
};

} // namespace glimra
