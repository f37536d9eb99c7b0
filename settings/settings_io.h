#pragma once
#include <string>

namespace glimra {

// Where the keys are read from: the settings file or the user store.
class TSettingsReader {
public:
    virtual ~TSettingsReader() = default;
    virtual void Section(const std::string& name) = 0;
    virtual std::string Read(const std::string& key, const std::string& def) = 0;
    // A key whose name is exactly key, for values that may contain other keys' names.
    virtual std::string ReadExact(const std::string& key, const std::string& def) {
        return Read(key, def);
    }
};

// Where the keys are written to, in the order they are given.
class TSettingsWriter {
public:
    virtual ~TSettingsWriter() = default;
    virtual void Section(const std::string& name) = 0;
    virtual void Write(const std::string& key, const std::string& value) = 0;
};

} // namespace glimra
