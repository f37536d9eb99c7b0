#pragma once
#include "platform/settings_access.h"
#include "settings/settings_io.h"

#include <string>

namespace glimra {

class TUserStoreReader : public TSettingsReader {
public:
    explicit TUserStoreReader(TUserStore& store) : Store(store) {}
    void Section(const std::string& name) override { CurrentSection = name; }
    std::string Read(const std::string& key, const std::string& def) override {
        return Store.Value(CurrentSection, key).value_or(def);
    }

private:
    TUserStore& Store;
    std::string CurrentSection;
};

// Each section is replaced whole, so entries of vanished modules go.
class TUserStoreWriter : public TSettingsWriter {
public:
    explicit TUserStoreWriter(TUserStore& store) : Store(store) {}
    void Section(const std::string& name) override {
        CurrentSection = name;
        Store.ClearSection(name);
    }
    void Write(const std::string& key, const std::string& value) override {
        Store.SetValue(CurrentSection, key, value);
    }

private:
    TUserStore& Store;
    std::string CurrentSection;
};

} // namespace glimra
