#pragma once
#include <cstdint>
#include <string>

namespace glimra {

// The setup entry of one module library found in the Module folder.
struct TModuleSetupData {
    std::string ModuleName; // as the loaded module reports it; empty until loaded
    std::string FileName;   // upper-cased file name, the entry's key (TESSEL.SO)
    std::int32_t Order = 0;
    std::int32_t Location = 0;
    bool Enabled = true;
    bool Known = false;   // the settings held an entry for this library
    std::string DiskName; // the file name as found, for loading on a case-sensitive disk
    bool operator==(const TModuleSetupData&) const = default;
};

} // namespace glimra
