#pragma once
#include "graphics/live_shade.h"

#include <QImage>
#include <cstdint>
#include <optional>

namespace glimra {

class TCdib;

// What every window composes over, chosen once at start. Captured: the shaded copy of
// the desktop in the surface, and the windows behind laid over it. Live: the shade,
// which the desktop's compositor blends over whatever lies behind the window.
class TBackdrop {
public:
    // Captured from the surface.
    explicit TBackdrop(const TCdib* surface) : Surface(surface) {}
    // Live.
    explicit TBackdrop(TLiveShade shade) : Shade(shade) {}

    bool Ready() const;
    // The shade the compositor blends, none in the captured look.
    const TLiveShade* LiveShade() const { return Shade ? &*Shade : nullptr; }
    void SetShade(TLiveShade shade) {
        if (Shade)
            Shade = shade;
    }
    // Lays the backdrop of the w x h piece of screen at (screenX, screenY) to
    // (destX, destY) of target (a 24-bit picture).
    void Lay(QImage& target, int destX, int destY, int screenX, int screenY, int w, int h) const;
    // Changes whenever what Lay gives may have changed.
    std::int64_t Key() const;

private:
    const TCdib* Surface = nullptr;
    std::optional<TLiveShade> Shade;
};

} // namespace glimra
