#pragma once
#include "settings/settings_io.h"

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace glimra {

// Splits text into lines at CR LF, CR or LF; a final line end adds no empty line.
std::vector<std::string> SplitLines(std::string_view text);

// Reads the settings file. Lookups rely on the written order of keys: the cursor
// only moves forward, and a key is the first line from the current section's
// header on that contains its name.
class TIniFileReader : public TSettingsReader {
public:
    explicit TIniFileReader(std::string_view text);
    void Section(const std::string& name) override;
    std::string Read(const std::string& key, const std::string& def) override;
    std::string ReadExact(const std::string& key, const std::string& def) override;
    // Line index of the cursor; -1 before the first line.
    std::ptrdiff_t Cursor() const { return CursorLine; }

private:
    std::vector<std::string> Lines;
    std::ptrdiff_t CursorLine = -1;
};

// Builds the settings file text: CR LF line ends and one closing empty line.
class TIniFileWriter : public TSettingsWriter {
public:
    void Section(const std::string& name) override;
    void Write(const std::string& key, const std::string& value) override;
    std::string Text() const;

private:
    std::vector<std::string> Lines;
};

} // namespace glimra
