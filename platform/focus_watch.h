#pragma once
#include <QAbstractNativeEventFilter>
#include <functional>

namespace glimra {

// Reports each time one of the program's windows receives the X input focus, also
// when the toolkit sees no change of its focus window (it debounces focus changes).
// Reports nothing on other platforms. Lives on the main thread.
class TFocusWatch : public QAbstractNativeEventFilter {
public:
    explicit TFocusWatch(std::function<void()> onFocusIn);
    ~TFocusWatch() override;
    TFocusWatch(const TFocusWatch&) = delete;
    TFocusWatch& operator=(const TFocusWatch&) = delete;

    bool nativeEventFilter(const QByteArray& eventType, void* message, qintptr* result) override;

private:
    std::function<void()> OnFocusIn;
};

} // namespace glimra
