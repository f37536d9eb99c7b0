#pragma once
#include "settings/module_setup_data.h"
#include "settings/reg_ini_rec.h"
#include "settings/settings_io.h"

#include <optional>
#include <string>
#include <vector>

namespace glimra {

inline const char* const SettingsVersion = "0.1";

// A value that could not be converted; reading stopped there.
struct TSettingsReadError {
    std::string Section, Key, Value;
};

struct TSettingsReadResult {
    std::string Version;
    std::optional<TSettingsReadError> Error;
};

// Reads every key in the stored order. Keys missing from the reader keep the value
// `settings` holds on entry, so pass it filled with the defaults. At the first value
// that does not convert, reading stops: what was read stays, the rest keeps its
// entry value. The module list is sorted by Order afterwards.
TSettingsReadResult ReadSettingsKeys(TSettingsReader& reader, TRegIniRec& settings,
                                     std::vector<TModuleSetupData>& modules);

// Writes every key in the stored order; the Modules section only for a non-empty list.
void WriteSettingsKeys(TSettingsWriter& writer, const TRegIniRec& settings,
                       const std::vector<TModuleSetupData>& modules);

// "2,TRUE,0"
std::string ModuleEntryText(const TModuleSetupData& entry);

} // namespace glimra
