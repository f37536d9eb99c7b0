#include "graphics/layer.h"

#include "graphics/layer_alpha.h"
#include "platform/window_opacity.h"

namespace glimra {

TLayer::TLayer(QWidget& form, bool perPixel) : Form(form), PerPixel(perPixel) {
    Attach();
}

TLayer::~TLayer() {
    Release();
}

void TLayer::Attach() {
    Available = PerPixel || WindowOpacityAvailable();
    Held = Available;
}

void TLayer::SetAttributes(TColor, std::uint8_t alpha, std::uint32_t flags) {
    if (!Held || PerPixel)
        return;
    SetWindowOpacity(Form, LayerOpacity(alpha, flags));
}

void TLayer::Release() {
    Held = false;
    Available = false;
}

} // namespace glimra
