#pragma once
#include "modules/rap.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <set>
#include <string>
#include <vector>

namespace glimra {

class TMessageBoxes;
class TRegWork;

// Where a window lays its module instances out. The pointers are the instance's
// own fields and stay valid until its instances are freed.
class TModuleLocationSink {
public:
    virtual ~TModuleLocationSink() = default;
    // library: the file name a bad pointer is blamed on; lives as long as the pointers.
    virtual void AddLocation(void* instance, const std::string& name, std::int32_t location,
                             std::uint8_t* visible, std::int32_t* left, std::int32_t* top,
                             std::int32_t* width, std::int32_t* height, const char* library) = 0;
    // Called once after all instances were added, when there are any.
    virtual void Normalize() = 0;
};

// Which module took a mouse event first.
struct TModuleHit {
    bool Handled = false;
    std::int32_t Index = -1;
    bool operator==(const TModuleHit&) const = default;
};

inline const char* const ModuleLoadErrorMessage = "モジュール読み込み中にエラーが発生しました。";
// Followed by the library's file name.
inline const char* const CrashedModuleMessage =
    "前回の実行中、モジュールの中でプログラムが異常終了しました。このモジュールは無効にしました"
    "（セットアップで再び有効にできます）: ";
inline const char* const InvalidModulesMessageTail =
    " 個の無効なDLLを検出しました。これらのDLLは読みこまれません。";

// The hub's modules, in module order, and what a window does with all of its
// instances at once. A window's instances are a list parallel to the modules:
// entry i belongs to module i.
class TModuleSet {
public:
    // crashRecord: where the module that ended the program is recorded for the next
    // start; empty for no crash guard. hangMs: how long a module call may block.
    TModuleSet(TMessageBoxes& boxes, THostProcs procs, std::string crashRecord = {},
               int hangMs = 10000)
        : Boxes(boxes), Procs(procs), CrashRecord(std::move(crashRecord)), HangMs(hangMs) {}
    ~TModuleSet() { ReleaseModules(); }
    TModuleSet(const TModuleSet&) = delete;
    TModuleSet& operator=(const TModuleSet&) = delete;

    // Loads every enabled library of the store, in list order, and records each
    // one's name there. A library the last run ended in is switched off first, and
    // the settings are saved at once.
    void LoadModules(TRegWork& store);
    // Frees the modules last to first.
    void ReleaseModules();
    std::int32_t Count() const { return static_cast<std::int32_t>(Modules.size()); }
    TRap& Module(std::int32_t index) { return *Modules[index]; }

    // savedLocation: where a module of that name stood in the last window closed.
    void CreateModuleInstances(void* window, std::vector<void*>& instances,
                               const std::function<std::int32_t(const std::string&)>& savedLocation,
                               TModuleLocationSink& layout);
    void FreeModuleInstances(void* window, std::vector<void*>& instances);
    // Each module draws on its own copy of bitmap's header.
    void DrawModules(const std::vector<void*>& instances, const GlimraDib& bitmap);
    // True when an instance took the text; later ones are not asked.
    bool OfferParam(const std::vector<void*>& instances, const std::string& text);
    TModuleHit ForwardMouse(const std::vector<void*>& instances, std::uint8_t kind,
                            std::uint8_t button, std::uint8_t shift, std::int32_t x,
                            std::int32_t y);
    void ForwardKey(const std::vector<void*>& instances, std::uint8_t kind, std::uint16_t key,
                    std::uint8_t shift);
    bool IsModuleVisible(std::int32_t index, void* instance) const;
    void SetModuleVisible(std::int32_t index, void* instance, bool value);
    std::string GetModuleNameAt(std::int32_t index) const; // "NO MODULE" out of range

private:
    bool LoadOne(TRegWork& store, const std::string& fileName);
    void DisableCrashedModule(TRegWork& store);
    bool InRange(std::int32_t index) const { return index >= 0 && index < Count(); }
    template <typename Call> std::int32_t TwoPasses(const std::vector<void*>& instances, Call call);

    TMessageBoxes& Boxes;
    THostProcs Procs;
    std::string CrashRecord;
    int HangMs;
    std::set<const TRap*> HeaderWarned; // told once per module
    std::vector<std::unique_ptr<TRap>> Modules;
};

} // namespace glimra
