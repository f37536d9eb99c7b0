#include "graphics/backdrop.h"

#include "graphics/cdib.h"
#include "graphics/pixel_ops.h"
#include "graphics/qt_pixels.h"

namespace glimra {

bool TBackdrop::Ready() const {
    return Shade || (Surface && Surface->IsValid());
}

void TBackdrop::Lay(QImage& target, int destX, int destY, int screenX, int screenY, int w,
                    int h) const {
    if (Shade) {
        // The same wherever the window stands: nothing of the screen is read.
        FillRect(ViewOf(target), {destX, destY, destX + w, destY + h}, Shade->B, Shade->G,
                 Shade->R);
    } else if (Surface) {
        Surface->Draw(target, destX, destY, screenX, screenY, w, h);
    }
}

std::int64_t TBackdrop::Key() const {
    if (Shade)
        return -(std::int64_t{Shade->B} | std::int64_t{Shade->G} << 8 |
                 std::int64_t{Shade->R} << 16 | std::int64_t{Shade->Alpha} << 24) -
               1;
    return Surface ? Surface->Picture().cacheKey() : 0;
}

} // namespace glimra
