#include "common/line_scanner.h"

#include <algorithm>

namespace glimra {

TLineScanner::TLineScanner(TEncoding encoding, std::uint64_t from)
    : Unit(UnitSize(encoding)),
      BigEndian(encoding == TEncoding::Utf16Be || encoding == TEncoding::Utf32Be), At(from) {}

TLineScanner::TUnit TLineScanner::Kind(const char* unit) const {
    // The character's byte, and the unit's other bytes all zero.
    const char c = unit[BigEndian ? Unit - 1 : 0];
    if (c != '\n' && c != '\r')
        return TUnit::Other;
    for (std::size_t k = 0; k < Unit - 1; ++k)
        if (unit[BigEndian ? k : k + 1] != 0)
            return TUnit::Other;
    return c == '\n' ? TUnit::Lf : TUnit::Cr;
}

void TLineScanner::Take(const char* unit, std::vector<std::uint64_t>& starts) {
    const TUnit kind = Kind(unit);
    const bool lfOfCrLf = AfterCr && kind == TUnit::Lf;
    AfterCr = false;
    if (!lfOfCrLf) {
        if (!InLine)
            starts.push_back(At);
        InLine = kind == TUnit::Other;
        AfterCr = kind == TUnit::Cr;
    }
    At += Unit;
}

void TLineScanner::Feed(std::string_view bytes, std::vector<std::uint64_t>& starts) {
    if (!Partial.empty()) {
        const std::size_t take = std::min(Unit - Partial.size(), bytes.size());
        Partial.append(bytes.substr(0, take));
        bytes.remove_prefix(take);
        if (Partial.size() < Unit)
            return;
        Take(Partial.data(), starts);
        Partial.clear();
    }
    const std::size_t whole = bytes.size() - bytes.size() % Unit;
    for (std::size_t i = 0; i < whole; i += Unit)
        Take(bytes.data() + i, starts);
    Partial.assign(bytes.substr(whole));
}

} // namespace glimra
