#include "modules/module_set.h"

#include "platform/crash_guard.h"
#include "platform/message_box.h"
#include "settings/reg_work.h"

#include <algorithm>
#include <iostream>

namespace glimra {

// False when the library is not kept: it failed to load or has a version the
// host refuses.
bool TModuleSet::LoadOne(TRegWork& store, const std::string& fileName) {
    auto entry = std::ranges::find(store.ModuleList, fileName, &TModuleSetupData::FileName);
    auto rap = std::make_unique<TRap>();
    rap->LoadModule(store.ModulePath(*entry));
    const std::int32_t version = rap->GetSpec();
    store.SetModuleName(fileName, rap->GetName());
    if (version < GLIMRA_SPEC_MIN || version > GLIMRA_SPEC_MAX)
        return false;
    rap->SetHostProcs(Procs);
    Modules.push_back(std::move(rap));
    return true;
}

void TModuleSet::DisableCrashedModule(TRegWork& store) {
    if (CrashRecord.empty())
        return;
    const TCrashBlame blame = ReadCrashRecord(CrashRecord);
    if (!blame.Module.empty()) {
        for (TModuleSetupData& entry : store.ModuleList)
            if (entry.DiskName == blame.Module || entry.FileName == blame.Module)
                entry.Enabled = false;
        // At once, and before the record goes: the next start must not depend on this
        // one ending cleanly.
        store.SaveSettings();
    }
    StartCrashGuard(CrashRecord, HangMs);
    if (!blame.Module.empty())
        Boxes.Show(TMsgKind::Warning, CrashedModuleMessage + blame.Module, TMsgButtons::Ok);
}

void TModuleSet::LoadModules(TRegWork& store) {
    DisableCrashedModule(store);
    int invalid = 0;
    store.ModuleCursor = 0;
    std::string fileName;
    while (store.NextEnabledModule(fileName)) {
        try {
            if (!LoadOne(store, fileName))
                ++invalid;
        } catch (const TModuleBindError&) {
            Boxes.Show(TMsgKind::Warning, ModuleLoadErrorMessage, TMsgButtons::Ok);
        }
    }
    if (invalid > 0)
        Boxes.Show(TMsgKind::Information, std::to_string(invalid) + InvalidModulesMessageTail,
                   TMsgButtons::Ok);
}

void TModuleSet::ReleaseModules() {
    HeaderWarned.clear();
    while (!Modules.empty())
        Modules.pop_back();
}

void TModuleSet::CreateModuleInstances(
    void* window, std::vector<void*>& instances,
    const std::function<std::int32_t(const std::string&)>& savedLocation,
    TModuleLocationSink& layout) {
    for (auto& rap : Modules)
        instances.push_back(rap->CreateInstance(window));
    for (std::int32_t i = 0; i < Count(); ++i) {
        TRap& rap = *Modules[i];
        void* instance = instances[instances.size() - Modules.size() + i];
        // A module that made no instance has no place in the column.
        if (!instance)
            continue;
        // Asked one by one: modules may rely on this order.
        const std::string name = rap.GetName();
        std::uint8_t* visible = rap.GetVisiblePtr(instance);
        std::int32_t* left = rap.GetLeftPtr(instance);
        std::int32_t* top = rap.GetTopPtr(instance);
        std::int32_t* width = rap.GetWidthPtr(instance);
        std::int32_t* height = rap.GetHeightPtr(instance);
        layout.AddLocation(instance, name, savedLocation(name), visible, left, top, width, height,
                           rap.LibraryFileName().c_str());
    }
    if (!Modules.empty())
        layout.Normalize();
}

void TModuleSet::FreeModuleInstances(void*, std::vector<void*>& instances) {
    for (auto i = static_cast<std::int32_t>(instances.size()) - 1; i >= 0; --i) {
        if (InRange(i))
            Modules[i]->FreeInstance(instances[i]);
        instances.erase(instances.begin() + i);
    }
}

void TModuleSet::DrawModules(const std::vector<void*>& instances, const GlimraDib& bitmap) {
    for (std::int32_t i = 0; i < Count() && i < std::ssize(instances); ++i)
        if (!Modules[i]->Draw(instances[i], bitmap) && HeaderWarned.insert(Modules[i].get()).second)
            std::cerr << "glimra4: the module " << Modules[i]->LibraryFileName()
                      << " wrote to the bitmap header it was lent\n";
}

bool TModuleSet::OfferParam(const std::vector<void*>& instances, const std::string& text) {
    for (std::int32_t i = 0; i < Count() && i < std::ssize(instances); ++i)
        if ((Modules[i]->SetParam(instances[i], text.c_str()) & 0xFF) != 0)
            return true;
    return false;
}

// Every visible instance gets the call; returns the first whose call said true.
template <typename Call>
std::int32_t TModuleSet::TwoPasses(const std::vector<void*>& instances, Call call) {
    std::int32_t first = -1;
    for (std::int32_t i = 0; i < Count() && i < std::ssize(instances); ++i)
        if (IsModuleVisible(i, instances[i]) && call(*Modules[i], instances[i]) && first < 0)
            first = i;
    return first;
}

TModuleHit TModuleSet::ForwardMouse(const std::vector<void*>& instances, std::uint8_t kind,
                                    std::uint8_t button, std::uint8_t shift, std::int32_t x,
                                    std::int32_t y) {
    const std::int32_t first = TwoPasses(instances, [&](TRap& rap, void* instance) {
        return rap.Mouse(instance, kind, button, shift, x, y);
    });
    return {first >= 0, first};
}

void TModuleSet::ForwardKey(const std::vector<void*>& instances, std::uint8_t kind,
                            std::uint16_t key, std::uint8_t shift) {
    TwoPasses(instances,
              [&](TRap& rap, void* instance) { return rap.KeyPress(instance, kind, key, shift); });
}

bool TModuleSet::IsModuleVisible(std::int32_t index, void* instance) const {
    return InRange(index) && Modules[index]->IsVisible(instance);
}

void TModuleSet::SetModuleVisible(std::int32_t index, void* instance, bool value) {
    if (InRange(index))
        Modules[index]->SetVisible(instance, value);
}

std::string TModuleSet::GetModuleNameAt(std::int32_t index) const {
    return InRange(index) ? Modules[index]->GetName() : "NO MODULE";
}

} // namespace glimra
