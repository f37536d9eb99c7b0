// The library's exports: each forwards to the instance or stores a host procedure.
#include "tessel/module_class.h"

using glimra::tessel::Host;
using glimra::tessel::TCustomModule;

namespace glimra::tessel {

HostProcs& Host() {
    static HostProcs procs;
    return procs;
}

} // namespace glimra::tessel

namespace {

TCustomModule* Of(void* instance) {
    return static_cast<TCustomModule*>(instance);
}

} // namespace

extern "C" {

void* GLIMRA_CALL ExpCreate(void* owner) {
    return glimra::tessel::CreateModule(owner);
}

void GLIMRA_CALL ExpFree(void* instance) {
    delete Of(instance);
}

void GLIMRA_CALL ExpDrawToBitmap(void* instance, GlimraDib* dc) {
    Of(instance)->DrawToBitmap(dc);
}

int32_t GLIMRA_CALL ExpSetParam(void* instance, const char* text) {
    return Of(instance)->SetParam(text);
}

int32_t* GLIMRA_CALL GetLeftPtr(void* instance) {
    return &Of(instance)->Left;
}
int32_t* GLIMRA_CALL GetTopPtr(void* instance) {
    return &Of(instance)->Top;
}
int32_t* GLIMRA_CALL GetWidthPtr(void* instance) {
    return &Of(instance)->Width;
}
int32_t* GLIMRA_CALL GetHeightPtr(void* instance) {
    return &Of(instance)->Height;
}
uint8_t* GLIMRA_CALL GetVisiblePtr(void* instance) {
    return &Of(instance)->Visible;
}

int32_t* GLIMRA_CALL ExpGetExtModuleClientRect(void* instance) {
    return Of(instance)->ExtClientRect;
}

void GLIMRA_CALL ExpMouseEmu(void* instance, uint8_t kind, uint8_t button, uint8_t shift, int32_t x,
                             int32_t y) {
    switch (kind) {
    case GLIMRA_MOUSE_DOWN:
        Of(instance)->MouseDown(button, shift, x, y);
        break;
    case GLIMRA_MOUSE_MOVE:
        Of(instance)->MouseMove(shift, x, y);
        break;
    case GLIMRA_MOUSE_UP:
        Of(instance)->MouseUp(button, shift, x, y);
        break;
    default:
        break;
    }
}

int32_t GLIMRA_CALL ExpGetModuleSpec(void) {
    return glimra::tessel::Info.Spec;
}
const char* GLIMRA_CALL ExpGetModuleName(void) {
    return glimra::tessel::Info.Name;
}
int32_t GLIMRA_CALL ExpGetModuleVersion(void) {
    return glimra::tessel::Info.Version;
}
const char* GLIMRA_CALL ExpGetModuleCopyRight(void) {
    return glimra::tessel::Info.CopyRight;
}

GlimraRectProc GLIMRA_CALL ImpSetGlimraRect(GlimraRectProc proc) {
    return Host().GlimraRect = proc;
}
GlimraBackgroundProc GLIMRA_CALL ImpSetBackground(GlimraBackgroundProc proc) {
    return Host().Background = proc;
}
GlimraWrapTextProc GLIMRA_CALL ImpSetWrapText(GlimraWrapTextProc proc) {
    return Host().WrapText = proc;
}
GlimraLinesPropertyProc GLIMRA_CALL ImpSetLinesProperty(GlimraLinesPropertyProc proc) {
    return Host().LinesProperty = proc;
}
GlimraStateProc GLIMRA_CALL ImpSetState(GlimraStateProc proc) {
    return Host().State = proc;
}
GlimraDecBrightnessProc GLIMRA_CALL ImpSetDecBrightnessProc(GlimraDecBrightnessProc proc) {
    return Host().DecBrightness = proc;
}
GlimraBlendProc GLIMRA_CALL ImpSetBlendProc(GlimraBlendProc proc) {
    return Host().Blend = proc;
}
GlimraBlendMaskProc GLIMRA_CALL ImpSetBlendMaskProc(GlimraBlendMaskProc proc) {
    return Host().BlendMask = proc;
}
GlimraRedrawProc GLIMRA_CALL ImpSetGlimraRedraw(GlimraRedrawProc proc) {
    return Host().GlimraRedraw = proc;
}
GlimraControlUpdateProc GLIMRA_CALL ImpSetControlUpdate(GlimraControlUpdateProc proc) {
    return Host().ControlUpdate = proc;
}

} // extern "C"
