#include "platform/beep.h"

#include <QApplication>

namespace glimra {
namespace {

std::function<void()>& BeepHook() {
    static std::function<void()> hook;
    return hook;
}

} // namespace

void Beep() {
    if (BeepHook())
        BeepHook()();
    else
        QApplication::beep();
}

void SetBeepHook(std::function<void()> hook) {
    BeepHook() = std::move(hook);
}

} // namespace glimra
