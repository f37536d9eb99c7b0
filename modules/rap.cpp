#include "modules/rap.h"

#include <algorithm>

namespace glimra {

TRap::~TRap() {
    auto guard = Guard();
    if (IsLoaded())
        while (!Instances.empty()) {
            E.ExpFree(Instances.back().Instance);
            Instances.pop_back();
        }
    Unload();
}

void TRap::Unload() {
    Library.Close();
    E = {};
    ExtRect = false;
}

template <typename F> void TRap::Bind(F& entry, const char* name) {
    entry = reinterpret_cast<F>(Library.Symbol(name));
}

void TRap::BindBase() {
    Bind(E.ExpCreate, "ExpCreate");
    Bind(E.ExpFree, "ExpFree");
    Bind(E.ExpDrawToBitmap, "ExpDrawToBitmap");
    Bind(E.ExpSetParam, "ExpSetParam");
    Bind(E.GetLeftPtr, "GetLeftPtr");
    Bind(E.GetTopPtr, "GetTopPtr");
    Bind(E.GetWidthPtr, "GetWidthPtr");
    Bind(E.GetHeightPtr, "GetHeightPtr");
    Bind(E.GetVisiblePtr, "GetVisiblePtr");
    Bind(E.ExpMouseEmu, "ExpMouseEmu");
    Bind(E.ExpGetModuleSpec, "ExpGetModuleSpec");
    Bind(E.ExpGetModuleName, "ExpGetModuleName");
    Bind(E.ExpGetModuleVersion, "ExpGetModuleVersion");
    Bind(E.ExpGetModuleCopyRight, "ExpGetModuleCopyRight");
    Bind(E.ImpSetGlimraRect, "ImpSetGlimraRect");
    Bind(E.ImpSetBackground, "ImpSetBackground");
    Bind(E.ImpSetWrapText, "ImpSetWrapText");
    Bind(E.ImpSetLinesProperty, "ImpSetLinesProperty");
    Bind(E.ImpSetState, "ImpSetState");
    Bind(E.ImpSetDecBrightnessProc, "ImpSetDecBrightnessProc");
    Bind(E.ImpSetBlendProc, "ImpSetBlendProc");
    Bind(E.ImpSetBlendMaskProc, "ImpSetBlendMaskProc");
    Bind(E.ImpSetGlimraRedraw, "ImpSetGlimraRedraw");
    Bind(E.ImpSetControlUpdate, "ImpSetControlUpdate");
}

void TRap::BindVersioned(std::int32_t version) {
    ExtRect = version >= GLIMRA_SPEC_EXT_RECT;
    if (ExtRect)
        Bind(E.ExpGetExtModuleClientRect, "ExpGetExtModuleClientRect");
    if (version >= GLIMRA_SPEC_UPDATE_THREAD)
        Bind(E.ImpSetEnableUpdateThread, "ImpSetEnableUpdateThread");
    if (version >= GLIMRA_SPEC_KEYS) {
        Bind(E.ExpKeyPress, "ExpKeyPress");
        Bind(E.ImpSetSetEditText, "ImpSetSetEditText");
        Bind(E.ImpSetGetEditText, "ImpSetGetEditText");
        Bind(E.ImpSetEditLocation, "ImpSetEditLocation");
        Bind(E.ImpSetEditVisible, "ImpSetEditVisible");
    }
}

// The host calls these without asking whether they exist.
bool TRap::HasBaseEntries() const {
    return E.ExpCreate && E.ExpFree && E.ExpDrawToBitmap && E.ExpSetParam && E.GetLeftPtr &&
           E.GetTopPtr && E.GetWidthPtr && E.GetHeightPtr && E.GetVisiblePtr && E.ExpMouseEmu &&
           E.ExpGetModuleName && E.ExpGetModuleVersion && E.ExpGetModuleCopyRight &&
           E.ImpSetGlimraRect && E.ImpSetBackground && E.ImpSetWrapText && E.ImpSetLinesProperty &&
           E.ImpSetState && E.ImpSetDecBrightnessProc && E.ImpSetBlendProc &&
           E.ImpSetBlendMaskProc && E.ImpSetGlimraRedraw && E.ImpSetControlUpdate;
}

bool TRap::LoadModule(const std::string& path) {
    Unload();
    if (!Library.Open(path))
        return false;
    FileName = path.substr(path.find_last_of('/') + 1);
    BindBase();
    if (!E.ExpGetModuleSpec) {
        Unload();
        throw TModuleBindError{path};
    }
    auto guard = Guard();
    const std::int32_t version = E.ExpGetModuleSpec();
    BindVersioned(version);
    const bool accepted = version >= GLIMRA_SPEC_MIN && version <= GLIMRA_SPEC_MAX;
    if (accepted && !HasBaseEntries()) {
        Unload();
        return false;
    }
    return true;
}

void* TRap::CreateInstance(void* owner) {
    auto guard = Guard();
    if (!IsLoaded())
        return nullptr;
    Instances.push_back({owner, nullptr});
    void* instance = E.ExpCreate(owner);
    Instances.back().Instance = instance;
    return instance;
}

void TRap::FreeInstance(void*& instance) {
    auto guard = Guard();
    if (!IsLoaded())
        return;
    auto found = std::find_if(Instances.rbegin(), Instances.rend(),
                              [&](const TInstanceRecord& r) { return r.Instance == instance; });
    if (found == Instances.rend())
        return;
    E.ExpFree(instance);
    Instances.erase(std::next(found).base());
    instance = nullptr;
}

std::int32_t TRap::GetSpec() const {
    auto guard = Guard();
    return IsLoaded() ? E.ExpGetModuleSpec() : 0;
}

std::string TRap::GetName() const {
    auto guard = Guard();
    if (!IsLoaded())
        return "ERROR";
    const char* name = E.ExpGetModuleName();
    return name ? name : "";
}

std::int32_t* TRap::GetLeftPtr(void* instance) const {
    auto guard = Guard();
    return IsLoaded() ? E.GetLeftPtr(instance) : nullptr;
}
std::int32_t* TRap::GetTopPtr(void* instance) const {
    auto guard = Guard();
    return IsLoaded() ? E.GetTopPtr(instance) : nullptr;
}
std::int32_t* TRap::GetWidthPtr(void* instance) const {
    auto guard = Guard();
    return IsLoaded() ? E.GetWidthPtr(instance) : nullptr;
}
std::int32_t* TRap::GetHeightPtr(void* instance) const {
    auto guard = Guard();
    return IsLoaded() ? E.GetHeightPtr(instance) : nullptr;
}
std::uint8_t* TRap::GetVisiblePtr(void* instance) const {
    auto guard = Guard();
    return IsLoaded() ? E.GetVisiblePtr(instance) : nullptr;
}
std::int32_t* TRap::GetExtRect(void* instance) const {
    auto guard = Guard();
    return IsLoaded() && E.ExpGetExtModuleClientRect ? E.ExpGetExtModuleClientRect(instance)
                                                     : nullptr;
}

void TRap::SetHostProcs(const THostProcs& p) {
    auto guard = Guard();
    if (!IsLoaded())
        return;
    E.ImpSetGlimraRect(p.GlimraRect);
    E.ImpSetBackground(p.Background);
    E.ImpSetWrapText(p.WrapText);
    E.ImpSetLinesProperty(p.LinesProperty);
    E.ImpSetState(p.State);
    E.ImpSetDecBrightnessProc(p.DecBrightness);
    E.ImpSetBlendProc(p.Blend);
    E.ImpSetBlendMaskProc(p.BlendMask);
    E.ImpSetGlimraRedraw(p.GlimraRedraw);
    E.ImpSetControlUpdate(p.ControlUpdate);
    if (E.ImpSetEnableUpdateThread)
        E.ImpSetEnableUpdateThread(p.EnableUpdateThread);
    if (E.ImpSetSetEditText)
        E.ImpSetSetEditText(p.SetEditText);
    if (E.ImpSetGetEditText)
        E.ImpSetGetEditText(p.GetEditText);
    if (E.ImpSetEditLocation)
        E.ImpSetEditLocation(p.EditLocation);
    if (E.ImpSetEditVisible)
        E.ImpSetEditVisible(p.EditVisible);
}

void TRap::Draw(void* instance, GlimraDib* dc) {
    auto guard = Guard();
    if (IsLoaded())
        E.ExpDrawToBitmap(instance, dc);
}

std::int32_t TRap::SetParam(void* instance, const char* text) {
    auto guard = Guard();
    return IsLoaded() ? E.ExpSetParam(instance, text) : 0;
}

// Borders do not hit: a point must lie strictly inside.
bool TRap::Hits(void* instance, std::int32_t x, std::int32_t y) const {
    auto guard = Guard();
    const std::int64_t left = *E.GetLeftPtr(instance), top = *E.GetTopPtr(instance);
    const std::int64_t width = *E.GetWidthPtr(instance), height = *E.GetHeightPtr(instance);
    if (left < x && x < left + width && top < y && y < top + height)
        return true;
    const std::int32_t* ext = GetExtRect(instance);
    return ext && ext[0] != 0 && ext[1] != 0 && ext[2] != 0 && ext[3] != 0;
}

bool TRap::Mouse(void* instance, std::uint8_t kind, std::uint8_t button, std::uint8_t shift,
                 std::int32_t x, std::int32_t y) {
    if (!IsLoaded() || !Hits(instance, x, y))
        return false;
    auto guard = Guard();
    E.ExpMouseEmu(instance, kind, button, shift, x, y);
    return true;
}

bool TRap::KeyPress(void* instance, std::uint8_t kind, std::uint16_t key, std::uint8_t shift) {
    if (!IsLoaded() || !E.ExpKeyPress)
        return false;
    auto guard = Guard();
    E.ExpKeyPress(instance, kind, key, shift);
    return true;
}

} // namespace glimra
