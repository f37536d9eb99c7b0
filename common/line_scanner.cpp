#include "common/line_scanner.h"

#include <algorithm>
#include <cstring>

namespace glimra {

TLineScanner::TLineScanner(TEncoding encoding, std::uint64_t from, bool afterCr)
    : Unit(UnitSize(encoding)),
      BigEndian(encoding == TEncoding::Utf16Be || encoding == TEncoding::Utf32Be), At(from),
      AfterCr(afterCr) {}

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
    const char* d = bytes.data();
    // Inside a line only a CR or LF matters: each of the two searches runs ahead once
    // and again only when passed, so a file with one kind of line end is read once.
    const std::size_t at = BigEndian ? Unit - 1 : 0; // the character's byte in a unit
    std::size_t lf = 0, cr = 0;
    bool lfValid = false, crValid = false;
    auto search = [&](char c, std::size_t from) {
        const void* hit = std::memchr(d + from, c, whole - from);
        return hit ? static_cast<std::size_t>(static_cast<const char*>(hit) - d) : whole;
    };
    for (std::size_t i = 0; i < whole;) {
        if (InLine) {
            std::size_t next = whole;
            for (std::size_t from = i + at; from < whole;) {
                if (!lfValid || lf < from)
                    lf = search('\n', from), lfValid = true;
                if (!crValid || cr < from)
                    cr = search('\r', from), crValid = true;
                const std::size_t hit = std::min(lf, cr);
                // A byte of another character unless it is a whole unit's.
                if (hit < whole && (hit - at - i) % Unit == 0 &&
                    Kind(d + hit - at) != TUnit::Other) {
                    next = hit - at;
                    break;
                }
                from = hit + 1;
            }
            At += next - i;
            i = next;
            if (i == whole)
                break;
        }
        Take(d + i, starts);
        i += Unit;
    }
    Partial.assign(bytes.substr(whole));
}

} // namespace glimra
