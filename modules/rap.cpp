#include "modules/rap.h"

#include <algorithm>
#include <cstring>

namespace glimra {

TRap::~TRap() {
    if (IsLoaded())
        while (!Instances.empty()) {
            if (void* instance = Instances.back().Instance) {
                auto guard = Guard("ExpFree");
                E.ExpFree(instance);
            }
            Instances.pop_back();
        }
    Unload();
}

void TRap::Unload() {
    if (IsLoaded()) {
        // A library's destructors run here.
        auto guard = Guard("dlclose");
        Library.Close();
    }
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
    FileName = path.substr(path.find_last_of('/') + 1);
    {
        // A library may fail while it is mapped or while its constructors run.
        auto guard = Guard("dlopen");
        if (!Library.Open(path))
            return false;
    }
    BindBase();
    if (!E.ExpGetModuleSpec) {
        Unload();
        throw TModuleBindError{path};
    }
    const std::int32_t version = GetSpec();
    BindVersioned(version);
    // A refused version is not called again, but its name is still asked for.
    if (!HasBaseEntries()) {
        const bool accepted = version >= GLIMRA_SPEC_MIN && version <= GLIMRA_SPEC_MAX;
        if (accepted || !E.ExpGetModuleName) {
            Unload();
            return false;
        }
    }
    return true;
}

void* TRap::CreateInstance(void* owner) {
    if (!IsLoaded())
        return nullptr;
    Instances.push_back({owner, nullptr});
    auto guard = Guard("ExpCreate");
    void* instance = E.ExpCreate(owner);
    Instances.back().Instance = instance;
    return instance;
}

void TRap::FreeInstance(void*& instance) {
    if (!IsLoaded())
        return;
    auto found = std::find_if(Instances.rbegin(), Instances.rend(),
                              [&](const TInstanceRecord& r) { return r.Instance == instance; });
    if (found == Instances.rend())
        return;
    // A module that made no instance is not asked to free one.
    if (instance) {
        auto guard = Guard("ExpFree");
        E.ExpFree(instance);
    }
    Instances.erase(std::next(found).base());
    instance = nullptr;
}

std::int32_t TRap::GetSpec() const {
    auto guard = Guard("ExpGetModuleSpec");
    return IsLoaded() ? E.ExpGetModuleSpec() : 0;
}

std::string TRap::GetName() const {
    if (!IsLoaded() || !E.ExpGetModuleName)
        return "ERROR";
    auto guard = Guard("ExpGetModuleName");
    const char* name = E.ExpGetModuleName();
    return name ? name : "";
}

template <typename F> auto TRap::Pointer(F getter, void* instance, const char* call) const {
    using T = decltype(getter(instance));
    if (!IsLoaded() || !instance || !getter)
        return T{};
    auto guard = Guard(call);
    return getter(instance);
}

std::int32_t* TRap::GetLeftPtr(void* instance) const {
    return Pointer(E.GetLeftPtr, instance, "GetLeftPtr");
}
std::int32_t* TRap::GetTopPtr(void* instance) const {
    return Pointer(E.GetTopPtr, instance, "GetTopPtr");
}
std::int32_t* TRap::GetWidthPtr(void* instance) const {
    return Pointer(E.GetWidthPtr, instance, "GetWidthPtr");
}
std::int32_t* TRap::GetHeightPtr(void* instance) const {
    return Pointer(E.GetHeightPtr, instance, "GetHeightPtr");
}
std::uint8_t* TRap::GetVisiblePtr(void* instance) const {
    return Pointer(E.GetVisiblePtr, instance, "GetVisiblePtr");
}
std::int32_t* TRap::GetExtRect(void* instance) const {
    return Pointer(E.ExpGetExtModuleClientRect, instance, "ExpGetExtModuleClientRect");
}

bool TRap::IsVisible(void* instance) const {
    std::uint8_t* visible = GetVisiblePtr(instance);
    auto guard = Guard("Visible");
    return visible && *visible != 0;
}

void TRap::SetVisible(void* instance, bool value) {
    std::uint8_t* visible = GetVisiblePtr(instance);
    auto guard = Guard("Visible");
    if (visible)
        *visible = value ? 1 : 0;
}

void TRap::SetHostProcs(const THostProcs& p) {
    auto guard = Guard("ImpSet");
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

bool TRap::Draw(void* instance, const GlimraDib& dc) {
    if (!IsLoaded() || !instance)
        return true;
    // The module gets a header of its own: one that rewrites it harms only itself.
    GlimraDib lent = dc;
    {
        auto guard = Guard("ExpDrawToBitmap");
        E.ExpDrawToBitmap(instance, &lent);
    }
    return std::memcmp(&lent, &dc, sizeof lent) == 0;
}

std::int32_t TRap::SetParam(void* instance, const char* text) {
    if (!IsLoaded() || !instance)
        return 0;
    auto guard = Guard("ExpSetParam");
    return E.ExpSetParam(instance, text);
}

// Borders do not hit: a point must lie strictly inside.
bool TRap::Hits(void* instance, std::int32_t x, std::int32_t y) const {
    const std::int32_t* leftPtr = GetLeftPtr(instance);
    const std::int32_t* topPtr = GetTopPtr(instance);
    const std::int32_t* widthPtr = GetWidthPtr(instance);
    const std::int32_t* heightPtr = GetHeightPtr(instance);
    if (leftPtr && topPtr && widthPtr && heightPtr) {
        auto guard = Guard("area");
        const std::int64_t left = *leftPtr, top = *topPtr, width = *widthPtr, height = *heightPtr;
        if (left < x && x < left + width && top < y && y < top + height)
            return true;
    }
    const std::int32_t* ext = GetExtRect(instance);
    auto guard = Guard("area");
    return ext && ext[0] != 0 && ext[1] != 0 && ext[2] != 0 && ext[3] != 0;
}

bool TRap::Mouse(void* instance, std::uint8_t kind, std::uint8_t button, std::uint8_t shift,
                 std::int32_t x, std::int32_t y) {
    if (!IsLoaded() || !instance || !Hits(instance, x, y))
        return false;
    auto guard = Guard("ExpMouseEmu");
    E.ExpMouseEmu(instance, kind, button, shift, x, y);
    return true;
}

bool TRap::KeyPress(void* instance, std::uint8_t kind, std::uint16_t key, std::uint8_t shift) {
    if (!IsLoaded() || !instance || !E.ExpKeyPress)
        return false;
    auto guard = Guard("ExpKeyPress");
    E.ExpKeyPress(instance, kind, key, shift);
    return true;
}

} // namespace glimra
