#pragma once
#include "graphics/glimra_dc.h"

#include <QEvent>
#include <functional>

namespace glimra {

class TGlimraButton;

// Sent to every sibling when a button becomes highlighted, so that at most one
// button of a parent is highlighted at a time.
class THighlightedEvent : public QEvent {
public:
    static constexpr QEvent::Type Kind = static_cast<QEvent::Type>(QEvent::User + 202);
    explicit THighlightedEvent(TGlimraButton* button) : QEvent(Kind), Button(button) {}
    TGlimraButton* const Button;
};

// A picture control that frames itself, darkens by one step and shows the
// hand cursor while the pointer is over it.
class TGlimraButton : public TGlimraDC {
    Q_OBJECT
public:
    explicit TGlimraButton(QWidget* owner);

    bool Focusable() const { return FocusableValue; }
    void SetFocusable(bool value) { FocusableValue = value; }
    bool Highlighted() const { return HighlightedValue; }

    void Highlight();
    void Unhighlight();

    std::function<void(TGlimraButton&)> OnEnter;
    std::function<void(TGlimraButton&)> OnExit;

protected:
    bool event(QEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void leaveEvent(QEvent* event) override;

private:
    void TrackPointer(QPoint at);

    bool FocusableValue = true;
    bool HighlightedValue = false;
};

} // namespace glimra
