#pragma once
#include "graphics/warning_light.h"

#include <QImage>

class QPainter;

namespace glimra {

// Sweeps the light over target straight onto a painter (a window's screen),
// one band per start column; target itself is not changed.
void SweepTo(TWarningLight& light, const QImage& target, QPainter& painter);

} // namespace glimra
