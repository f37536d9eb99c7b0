#include "settings/ini_text.h"

namespace glimra {

std::vector<std::string> SplitLines(std::string_view text) {
    std::vector<std::string> lines;
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t end = text.find_first_of("\r\n", start);
        if (end == std::string_view::npos) {
            lines.emplace_back(text.substr(start));
            break;
        }
        lines.emplace_back(text.substr(start, end - start));
        start = end + (text.compare(end, 2, "\r\n") == 0 ? 2 : 1);
    }
    return lines;
}

TIniFileReader::TIniFileReader(std::string_view text) {
    // Editors add a byte-order mark; it would hide the first section.
    if (text.starts_with("\xEF\xBB\xBF"))
        text.remove_prefix(3);
    Lines = SplitLines(text);
}

void TIniFileReader::Section(const std::string& name) {
    const std::string header = "[" + name + "]";
    const auto last = static_cast<std::ptrdiff_t>(Lines.size()) - 1;
    while (CursorLine < last) {
        ++CursorLine;
        if (Lines[CursorLine] == header)
            return;
    }
}

std::string TIniFileReader::Read(const std::string& key, const std::string& def) {
    for (std::size_t i = CursorLine < 0 ? 0 : CursorLine; i < Lines.size(); ++i) {
        const std::string& line = Lines[i];
        if (line.find(key) == std::string::npos)
            continue;
        std::size_t equals = line.find('=');
        std::size_t start = equals == std::string::npos ? 1 : equals + 2;
        return start >= line.size() ? std::string() : line.substr(start);
    }
    return def;
}

std::string TIniFileReader::ReadExact(const std::string& key, const std::string& def) {
    const std::string head = key + "= ";
    for (std::size_t i = CursorLine < 0 ? 0 : CursorLine; i < Lines.size(); ++i)
        if (Lines[i].starts_with(head))
            return Lines[i].substr(head.size());
    return def;
}

void TIniFileWriter::Section(const std::string& name) {
    Lines.push_back("[" + name + "]");
}

void TIniFileWriter::Write(const std::string& key, const std::string& value) {
    Lines.push_back(key + "= " + value);
}

std::string TIniFileWriter::Text() const {
    std::string text;
    for (const std::string& line : Lines)
        text += line + "\r\n";
    return text + "\r\n";
}

} // namespace glimra
