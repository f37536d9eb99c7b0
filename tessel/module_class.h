// The base of a module instance: the state the host reaches through pointers, and
// the host procedures every instance of the library shares. The export layer turns
// each export into a call on a TCustomModule, so a new module is one new subclass
// plus its CreateModule.
#pragma once

#include "modules/glimra_module.h"

#include <cstdint>

namespace glimra::tessel {

// Set once by the host right after loading, null until then.
struct HostProcs {
    GlimraRectProc GlimraRect = nullptr;
    GlimraBackgroundProc Background = nullptr;
    GlimraWrapTextProc WrapText = nullptr;
    GlimraLinesPropertyProc LinesProperty = nullptr;
    GlimraStateProc State = nullptr;
    GlimraDecBrightnessProc DecBrightness = nullptr;
    GlimraBlendProc Blend = nullptr;
    GlimraBlendMaskProc BlendMask = nullptr;
    GlimraRedrawProc GlimraRedraw = nullptr;
    GlimraControlUpdateProc ControlUpdate = nullptr;
};
HostProcs& Host();

class TCustomModule {
public:
    // Must not call the host: the window is still being built.
    explicit TCustomModule(void* owner) : Owner(owner) {}
    virtual ~TCustomModule() = default;
    TCustomModule(const TCustomModule&) = delete;
    TCustomModule& operator=(const TCustomModule&) = delete;

    virtual void DrawToBitmap(GlimraDib* dc) = 0;
    virtual std::int32_t SetParam(const char* text) = 0;
    virtual void MouseDown(std::uint8_t button, std::uint8_t shift, std::int32_t x,
                           std::int32_t y) = 0;
    virtual void MouseMove(std::uint8_t shift, std::int32_t x, std::int32_t y) = 0;
    virtual void MouseUp(std::uint8_t button, std::uint8_t shift, std::int32_t x,
                         std::int32_t y) = 0;

    std::int32_t Left = 10;
    std::int32_t Top = 10;
    std::int32_t Width = 120;
    std::int32_t Height = 120;
    std::uint8_t Visible = 1;
    void* Owner;
    // Left, Top, Right, Bottom; all zero: the host hit-tests by the area alone.
    std::int32_t ExtClientRect[4] = {0, 0, 0, 0};
};

// The concrete class of this library; ExpCreate calls it.
TCustomModule* CreateModule(void* owner);

// What the library says about itself.
struct ModuleInfo {
    std::int32_t Spec;
    const char* Name;
    std::int32_t Version;
    const char* CopyRight;
};
extern const ModuleInfo Info;

} // namespace glimra::tessel
