#include "platform/beep.h"

#include <QApplication>

namespace glimra {

void Beep() { QApplication::beep(); }

} // namespace glimra
