#include "platform/focus_watch.h"

#include <QCoreApplication>
#include <xcb/xcb.h>

namespace glimra {

TFocusWatch::TFocusWatch(std::function<void()> onFocusIn) : OnFocusIn(std::move(onFocusIn)) {
    QCoreApplication::instance()->installNativeEventFilter(this);
}

TFocusWatch::~TFocusWatch() {
    if (QCoreApplication::instance())
        QCoreApplication::instance()->removeNativeEventFilter(this);
}

bool TFocusWatch::nativeEventFilter(const QByteArray& eventType, void* message, qintptr*) {
    if (eventType != "xcb_generic_event_t")
        return false;
    const auto* event = static_cast<const xcb_generic_event_t*>(message);
    if ((event->response_type & 0x7f) != XCB_FOCUS_IN || !OnFocusIn)
        return false;
    // Only windows that asked for focus events get them, so each is one of ours; a
    // pointer crossing under a focused root is no focus of ours.
    if (reinterpret_cast<const xcb_focus_in_event_t*>(event)->detail != XCB_NOTIFY_DETAIL_POINTER)
        OnFocusIn();
    return false;
}

} // namespace glimra
