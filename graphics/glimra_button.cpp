#include "graphics/glimra_button.h"

#include "platform/message_box.h"

#include <QCoreApplication>
#include <QMouseEvent>
#include <exception>

namespace glimra {

TGlimraButton::TGlimraButton(QWidget* owner) : TGlimraDC(owner) {
    setMouseTracking(true);
}

void TGlimraButton::Highlight() {
    if (QWidget* parent = parentWidget()) {
        THighlightedEvent notice(this);
        for (QObject* child : parent->children())
            if (child != this && child->isWidgetType())
                QCoreApplication::sendEvent(child, &notice);
    }
    HighlightedValue = true;
    setCursor(Qt::PointingHandCursor);
    SetDrawRectLine(true);
    Compose(static_cast<std::uint8_t>(HighlightLevel(Transparent())));
    update();
    if (OnEnter)
        OnEnter(*this);
}

void TGlimraButton::Unhighlight() {
    HighlightedValue = false;
    unsetCursor();
    SetDrawRectLine(false);
    Compose(Transparent());
    update();
    if (OnExit)
        OnExit(*this);
}

bool TGlimraButton::event(QEvent* event) {
    if (event->type() == THighlightedEvent::Kind) {
        if (static_cast<THighlightedEvent*>(event)->Button != this && HighlightedValue)
            Unhighlight();
        return true;
    }
    return TGlimraDC::event(event);
}

void TGlimraButton::TrackPointer(QPoint at) {
    if (!FocusableValue)
        return;
    const bool inside = rect().contains(at);
    if (inside && !HighlightedValue)
        Highlight();
    else if (!inside && HighlightedValue)
        Unhighlight();
}

void TGlimraButton::mouseMoveEvent(QMouseEvent* event) {
    TGlimraDC::mouseMoveEvent(event);
    try {
        TrackPointer(event->position().toPoint());
    } catch (const std::exception&) {
        MessageBoxes().Show(TMsgKind::Information, "DEBUG -ERROR-", TMsgButtons::Ok);
    }
}

void TGlimraButton::leaveEvent(QEvent* event) {
    TGlimraDC::leaveEvent(event);
    Unhighlight();
}

} // namespace glimra
