#include "common/text_encoding.h"

#include <algorithm>
#include <array>
#include <vector>

namespace glimra {
namespace {

struct TNames {
    TEncoding Encoding;
    std::string_view Name;
    std::vector<std::string_view> Aliases;
};

const std::array<TNames, 12>& NameTable() {
    static const std::array<TNames, 12> table{{
        {TEncoding::Utf8, "UTF-8", {}},
        {TEncoding::Utf16Le, "UTF-16LE", {}},
        {TEncoding::Utf16Be, "UTF-16BE", {}},
        {TEncoding::Utf32Le, "UTF-32LE", {}},
        {TEncoding::Utf32Be, "UTF-32BE", {}},
        {TEncoding::Cp932, "CP932", {"Shift_JIS", "SJIS", "MS932", "Windows-31J"}},
        {TEncoding::EucJp, "EUC-JP", {}},
        {TEncoding::Gb18030, "GB18030", {"GBK", "GB2312"}},
        {TEncoding::Big5, "Big5", {}},
        {TEncoding::EucKr, "EUC-KR", {"UHC", "CP949"}},
        {TEncoding::Windows1252, "windows-1252", {"CP1252"}},
        {TEncoding::Latin1, "ISO-8859-1", {"Latin1"}},
    }};
    return table;
}

// Upper case without "-" and "_": how names are compared.
std::string Folded(std::string_view name) {
    std::string out;
    for (char c : name) {
        if (c == '-' || c == '_')
            continue;
        out.push_back(c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c);
    }
    return out;
}

std::size_t Utf8SequenceLength(unsigned char lead) {
    return lead < 0x80   ? 1
           : lead < 0xC2 ? 0
           : lead < 0xE0 ? 2
           : lead < 0xF0 ? 3
           : lead < 0xF5 ? 4
                         : 0;
}

} // namespace

std::string_view EncodingName(TEncoding encoding) {
    for (const TNames& names : NameTable())
        if (names.Encoding == encoding)
            return names.Name;
    return "UTF-8";
}

std::optional<TEncoding> EncodingFromName(std::string_view name) {
    const std::string folded = Folded(name);
    for (const TNames& names : NameTable()) {
        if (Folded(names.Name) == folded)
            return names.Encoding;
        for (std::string_view alias : names.Aliases)
            if (Folded(alias) == folded)
                return names.Encoding;
    }
    return std::nullopt;
}

std::string AcceptedEncodingNames() {
    std::string out;
    for (const TNames& names : NameTable()) {
        if (!out.empty())
            out += ", ";
        out += names.Name;
        for (std::size_t i = 0; i < names.Aliases.size(); ++i)
            (out += i == 0 ? " (" : ", ") += names.Aliases[i];
        if (!names.Aliases.empty())
            out += ")";
    }
    return out;
}

std::size_t UnitSize(TEncoding encoding) {
    switch (encoding) {
    case TEncoding::Utf16Le:
    case TEncoding::Utf16Be:
        return 2;
    case TEncoding::Utf32Le:
    case TEncoding::Utf32Be:
        return 4;
    default:
        return 1;
    }
}

std::string_view ByteOrderMark(TEncoding encoding) {
    using namespace std::string_view_literals;
    switch (encoding) {
    case TEncoding::Utf8:
        return "\xEF\xBB\xBF"sv;
    case TEncoding::Utf16Le:
        return "\xFF\xFE"sv;
    case TEncoding::Utf16Be:
        return "\xFE\xFF"sv;
    case TEncoding::Utf32Le:
        return "\xFF\xFE\0\0"sv;
    case TEncoding::Utf32Be:
        return "\0\0\xFE\xFF"sv;
    default:
        return {};
    }
}

std::optional<TEncodingChoice> ChoiceByBom(std::string_view head) {
    // UTF-32LE's mark begins with UTF-16LE's: the longer marks are tried first.
    for (TEncoding encoding : {TEncoding::Utf32Le, TEncoding::Utf32Be, TEncoding::Utf8,
                               TEncoding::Utf16Le, TEncoding::Utf16Be}) {
        const std::string_view bom = ByteOrderMark(encoding);
        if (head.starts_with(bom))
            return TEncodingChoice{encoding, bom.size()};
    }
    return std::nullopt;
}

bool IsUtf8(std::string_view head) {
    const auto* p = reinterpret_cast<const unsigned char*>(head.data());
    const std::size_t n = head.size();
    for (std::size_t i = 0; i < n;) {
        if (p[i] < 0x80) {
            ++i;
            continue;
        }
        const std::size_t len = Utf8SequenceLength(p[i]);
        if (len == 0)
            return false;
        // The second byte's range excludes overlong forms, surrogates and code points
        // past U+10FFFF; the others are continuation bytes.
        const unsigned char low = p[i] == 0xE0 ? 0xA0 : p[i] == 0xF0 ? 0x90 : 0x80;
        const unsigned char high = p[i] == 0xED ? 0x9F : p[i] == 0xF4 ? 0x8F : 0xBF;
        for (std::size_t k = 1; k < len; ++k) {
            if (i + k == n)
                return true; // cut by the end
            const unsigned char c = p[i + k];
            if (k == 1 ? (c < low || c > high) : (c & 0xC0) != 0x80)
                return false;
        }
        i += len;
    }
    return true;
}

std::optional<TEncoding> Utf16ByZeros(std::string_view head, std::size_t share) {
    std::size_t lowZero = 0, highZero = 0; // pairs whose second, or first, byte alone is 0
    for (std::size_t i = 0; i + 1 < head.size(); i += 2) {
        const bool first = head[i] == 0, second = head[i + 1] == 0;
        lowZero += !first && second;
        highZero += first && !second;
    }
    const std::size_t pairs = head.size() / 2;
    const std::size_t more = std::max(lowZero, highZero), fewer = std::min(lowZero, highZero);
    // The zeros on one side: no UTF-8 text, NUL padding or binary record looks like that.
    if (pairs == 0 || more * share < pairs || fewer * 8 > more)
        return std::nullopt;
    return lowZero > highZero ? TEncoding::Utf16Le : TEncoding::Utf16Be;
}

TEncoding EncodingFromDetector(std::string_view answer) {
    const std::string folded = Folded(answer);
    if (folded == "ASCII")
        return TEncoding::Utf8;
    if (auto known = EncodingFromName(answer))
        return *known;
    if (folded.starts_with("ISO8859"))
        return TEncoding::Latin1;
    return TEncoding::Windows1252;
}

TEncodingChoice ChooseEncoding(std::string_view head, std::optional<TEncoding> forced,
                               const std::function<std::string(std::string_view)>& detector) {
    if (forced) {
        const std::string_view bom = ByteOrderMark(*forced);
        return {*forced, !bom.empty() && head.starts_with(bom) ? bom.size() : 0};
    }
    head = head.substr(0, DetectionBytes);
    if (auto byBom = ChoiceByBom(head))
        return *byBom;
    if (auto utf16 = Utf16ByZeros(head))
        return {*utf16, 0};
    if (IsUtf8(head))
        return {TEncoding::Utf8, 0};
    // Few zeros are enough only with a line end among them: a stray NUL in a short
    // 8-bit log does not make it UTF-16.
    if (auto utf16 = Utf16ByZeros(head, 64)) {
        const std::string_view lf = *utf16 == TEncoding::Utf16Le ? std::string_view("\n\0", 2)
                                                                 : std::string_view("\0\n", 2);
        for (std::size_t at = head.find(lf); at != std::string_view::npos;
             at = head.find(lf, at + 1))
            if (at % 2 == 0)
                return {*utf16, 0};
    }
    return {detector ? EncodingFromDetector(detector(head)) : TEncoding::Windows1252, 0};
}

} // namespace glimra
