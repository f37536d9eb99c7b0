#include "common/text_utils.h"

#include <algorithm>
#include <charconv>
#include <filesystem>
#include <system_error>

namespace glimra {

std::string StripTrailingSeparator(std::string path) {
    if (!path.empty() && path.back() == '/')
        path.pop_back();
    return path;
}

std::string ProgramFolder() {
    std::error_code ec;
    std::filesystem::path exe = std::filesystem::read_symlink("/proc/self/exe", ec);
    if (ec)
        return {};
    return StripTrailingSeparator(exe.parent_path().string());
}

std::string UpperAscii(std::string text) {
    for (char& c : text)
        if (c >= 'a' && c <= 'z')
            c = static_cast<char>(c - 'a' + 'A');
    return text;
}

std::string YesNoText(bool flag) {
    return flag ? "TRUE" : "FALSE";
}

std::string CommaField(std::string_view text, int n) {
    if (n < 0 || n > 255)
        return "ERROR";
    std::size_t start = 0;
    for (int i = 0; i < n; ++i) {
        std::size_t comma = text.find(',', start);
        if (comma == std::string_view::npos)
            return "ERROR";
        start = comma + 1;
    }
    std::size_t end = text.find(',', start);
    return std::string(text.substr(start, end == std::string_view::npos ? end : end - start));
}

std::vector<std::string> SplitText(std::string_view text, char separator) {
    std::vector<std::string> pieces;
    for (std::size_t start = 0; start < text.size();) {
        const std::size_t end = std::min(text.find(separator, start), text.size());
        pieces.emplace_back(text.substr(start, end - start));
        start = end + 1;
    }
    return pieces;
}

std::optional<std::int32_t> TextToInt(std::string_view text) {
    std::size_t i = text.find_first_not_of(' ');
    if (i == std::string_view::npos)
        return std::nullopt;
    text.remove_prefix(i);
    bool negative = false;
    if (text.front() == '-' || text.front() == '+') {
        negative = text.front() == '-';
        text.remove_prefix(1);
    }
    int base = 10;
    if (text.starts_with('$')) {
        base = 16;
        text.remove_prefix(1);
    } else if (text.starts_with("0x") || text.starts_with("0X")) {
        base = 16;
        text.remove_prefix(2);
    }
    // from_chars would accept a second sign; the digits must start right here.
    if (text.empty() || text.front() == '-' || text.front() == '+')
        return std::nullopt;
    std::uint64_t magnitude = 0;
    auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), magnitude, base);
    if (ec != std::errc() || end != text.data() + text.size())
        return std::nullopt;
    if (base == 16) {
        // Hexadecimal is a bit pattern: $FFFFFFFF is -1.
        if (magnitude > 0xFFFFFFFFull)
            return std::nullopt;
        std::uint32_t bits = static_cast<std::uint32_t>(magnitude);
        if (negative)
            bits = 0u - bits;
        return static_cast<std::int32_t>(bits);
    }
    if (negative ? magnitude > 0x80000000ull : magnitude > 0x7FFFFFFFull)
        return std::nullopt;
    std::int64_t value =
        negative ? -static_cast<std::int64_t>(magnitude) : static_cast<std::int64_t>(magnitude);
    return static_cast<std::int32_t>(value);
}

} // namespace glimra
