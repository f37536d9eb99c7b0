#pragma once
#include "modules/glimra_module.h"
#include "platform/crash_guard.h"
#include "platform/library_loader.h"

#include <cstdint>
#include <string>
#include <vector>

namespace glimra {

// The procedures the host hands every module, in the order the setters are called.
struct THostProcs {
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
    GlimraEnableUpdateThreadProc EnableUpdateThread = nullptr;
    GlimraSetEditTextProc SetEditText = nullptr;
    GlimraGetEditTextProc GetEditText = nullptr;
    GlimraEditLocationProc EditLocation = nullptr;
    GlimraEditVisibleProc EditVisible = nullptr;
};

// Raised when a library cannot even say which version it is.
struct TModuleBindError {
    std::string Path;
};

// One module library: its entry points, bound by version, and the instances made
// through it. Every operation does nothing (or returns its default) while no
// library is loaded.
class TRap {
public:
    TRap() = default;
    ~TRap(); // frees the remaining instances, last first, then unloads
    TRap(const TRap&) = delete;
    TRap& operator=(const TRap&) = delete;

    // False when the library cannot be loaded, or lacks an entry every version
    // has (a refused version needs only its name). Throws TModuleBindError without
    // ExpGetModuleSpec. Every operation with a null instance does nothing.
    bool LoadModule(const std::string& path);
    bool IsLoaded() const { return Library.IsOpen(); }
    void Unload();
    const std::string& LoadError() const { return Library.ErrorText(); }
    const std::string& LibraryFileName() const { return FileName; }

    void* CreateInstance(void* owner);
    // Sets instance to nullptr when it was one of ours; otherwise does nothing.
    void FreeInstance(void*& instance);
    std::int32_t GetSpec() const;
    std::string GetName() const; // "ERROR" when not loaded

    std::int32_t* GetLeftPtr(void* instance) const;
    std::int32_t* GetTopPtr(void* instance) const;
    std::int32_t* GetWidthPtr(void* instance) const;
    std::int32_t* GetHeightPtr(void* instance) const;
    std::uint8_t* GetVisiblePtr(void* instance) const;
    // The four members Left, Top, Right, Bottom; nullptr unless HasExtRect.
    std::int32_t* GetExtRect(void* instance) const;
    // The instance's Visible, read and written where a bad pointer is blamed on it.
    bool IsVisible(void* instance) const;
    void SetVisible(void* instance, bool value);
    bool HasExtRect() const { return ExtRect; }

    // Calls the setters the version allows, in binding order.
    void SetHostProcs(const THostProcs& procs);

    // The instance draws on its own copy of dc's header; false when it changed it.
    bool Draw(void* instance, const GlimraDib& dc);
    std::int32_t SetParam(void* instance, const char* text);
    // True when the point lies strictly inside the instance's area, or the instance
    // asked for every event; the event has then been delivered.
    bool Mouse(void* instance, std::uint8_t kind, std::uint8_t button, std::uint8_t shift,
               std::int32_t x, std::int32_t y);
    // True when the module takes keys; the key has then been delivered.
    bool KeyPress(void* instance, std::uint8_t kind, std::uint16_t key, std::uint8_t shift);

private:
    struct TEntries {
        GlimraExpCreateFn ExpCreate = nullptr;
        GlimraExpFreeFn ExpFree = nullptr;
        GlimraExpDrawToBitmapFn ExpDrawToBitmap = nullptr;
        GlimraExpSetParamFn ExpSetParam = nullptr;
        GlimraGetLeftPtrFn GetLeftPtr = nullptr;
        GlimraGetTopPtrFn GetTopPtr = nullptr;
        GlimraGetWidthPtrFn GetWidthPtr = nullptr;
        GlimraGetHeightPtrFn GetHeightPtr = nullptr;
        GlimraGetVisiblePtrFn GetVisiblePtr = nullptr;
        GlimraExpMouseEmuFn ExpMouseEmu = nullptr;
        GlimraExpGetModuleSpecFn ExpGetModuleSpec = nullptr;
        GlimraExpGetModuleNameFn ExpGetModuleName = nullptr;
        GlimraExpGetModuleVersionFn ExpGetModuleVersion = nullptr;
        GlimraExpGetModuleCopyRightFn ExpGetModuleCopyRight = nullptr;
        GlimraImpSetGlimraRectFn ImpSetGlimraRect = nullptr;
        GlimraImpSetBackgroundFn ImpSetBackground = nullptr;
        GlimraImpSetWrapTextFn ImpSetWrapText = nullptr;
        GlimraImpSetLinesPropertyFn ImpSetLinesProperty = nullptr;
        GlimraImpSetStateFn ImpSetState = nullptr;
        GlimraImpSetDecBrightnessProcFn ImpSetDecBrightnessProc = nullptr;
        GlimraImpSetBlendProcFn ImpSetBlendProc = nullptr;
        GlimraImpSetBlendMaskProcFn ImpSetBlendMaskProc = nullptr;
        GlimraImpSetGlimraRedrawFn ImpSetGlimraRedraw = nullptr;
        GlimraImpSetControlUpdateFn ImpSetControlUpdate = nullptr;
        GlimraExpGetExtModuleClientRectFn ExpGetExtModuleClientRect = nullptr;
        GlimraImpSetEnableUpdateThreadFn ImpSetEnableUpdateThread = nullptr;
        GlimraExpKeyPressFn ExpKeyPress = nullptr;
        GlimraImpSetSetEditTextFn ImpSetSetEditText = nullptr;
        GlimraImpSetGetEditTextFn ImpSetGetEditText = nullptr;
        GlimraImpSetEditLocationFn ImpSetEditLocation = nullptr;
        GlimraImpSetEditVisibleFn ImpSetEditVisible = nullptr;
    };
    struct TInstanceRecord {
        void* Owner;
        void* Instance;
    };

    template <typename F> void Bind(F& entry, const char* name);
    void BindBase();
    void BindVersioned(std::int32_t version);
    bool HasBaseEntries() const;
    bool Hits(void* instance, std::int32_t x, std::int32_t y) const;
    template <typename F> auto Pointer(F getter, void* instance, const char* call) const;
    // Blames whatever ends the program during the call on this library.
    TCrashScope Guard(const char* call) const { return TCrashScope(FileName.c_str(), call); }

    TLibraryLoader Library;
    std::string FileName; // the library's file name, as the crash record names it
    TEntries E;
    bool ExtRect = false;
    std::vector<TInstanceRecord> Instances;
};

} // namespace glimra
