#pragma once
#include "common/color.h"

#include <cstdint>

class QWidget;

namespace glimra {

// Makes one viewer window translucent through the desktop's compositor instead of
// the program's own copy of the desktop.
class TLayer {
public:
    // Attaches to form at once. perPixel: the window already has an alpha channel that
    // the compositor blends; the layer's alpha goes into its pixels, not its opacity.
    explicit TLayer(QWidget& form, bool perPixel = false);
    ~TLayer(); // Release
    TLayer(const TLayer&) = delete;
    TLayer& operator=(const TLayer&) = delete;

    // Available when the desktop can show window opacity now.
    void Attach();
    // The colour key cannot be honoured here; only the alpha is applied.
    void SetAttributes(TColor colorKey, std::uint8_t alpha, std::uint32_t flags);
    bool IsAvailable() const { return Available; }
    // Unavailable for good; the opacity set last stays on the window, also when its
    // platform window is made anew (a change of its stay-on-top style).
    void Release();

private:
    QWidget& Form;
    bool PerPixel = false;
    bool Held = false;
    bool Available = false;
};

} // namespace glimra
