#pragma once
#include "common/color.h"

#include <QColor>

namespace glimra {

// System colours resolve through the application palette.
QColor ToQColor(TColor color);
// Always a plain 0x00BBGGRR value.
TColor FromQColor(const QColor& color);

} // namespace glimra
