#pragma once
#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace glimra {

// The encodings a log is read and saved in. Shift-JIS is read as Windows' superset of
// it (CP932), EUC-KR as its superset UHC: both hold everything the plain set holds.
enum class TEncoding : std::uint8_t {
    Utf8,
    Utf16Le,
    Utf16Be,
    Utf32Le,
    Utf32Be,
    Cp932,
    EucJp,
    Gb18030,
    Big5,
    EucKr,
    Windows1252,
    Latin1,
};

// The name shown and forwarded; EncodingFromName takes it back.
std::string_view EncodingName(TEncoding encoding);
// The name or one of its common aliases, in any case; "_" and "-" are the same.
std::optional<TEncoding> EncodingFromName(std::string_view name);
// Every accepted name with its aliases, for a message: "UTF-8, UTF-16LE, ...".
std::string AcceptedEncodingNames();
// Bytes per code unit: a line end is one unit holding CR or LF.
std::size_t UnitSize(TEncoding encoding);
// The byte-order mark of the Unicode forms; empty for the others.
std::string_view ByteOrderMark(TEncoding encoding);

// The encoding a file is read in, and the byte-order mark its text starts after.
struct TEncodingChoice {
    TEncoding Encoding = TEncoding::Utf8;
    std::size_t BomSize = 0;
    bool operator==(const TEncodingChoice&) const = default;
};

// How many of the file's first bytes detection looks at.
constexpr std::size_t DetectionBytes = 64 * 1024;

// The encoding whose byte-order mark head starts with.
std::optional<TEncodingChoice> ChoiceByBom(std::string_view head);
// Valid UTF-8; a sequence cut by the end of head counts as valid (the file goes on, or
// its writer is in the middle of a character).
bool IsUtf8(std::string_view head);
// UTF-16 without a mark, from the zero byte of its ASCII characters (digits, blanks,
// line ends): always the same byte of a pair, in at least one pair of share. Mostly
// ASCII it is valid UTF-8 too, so a share of a quarter is asked first; text that is
// not UTF-8 needs far fewer.
std::optional<TEncoding> Utf16ByZeros(std::string_view head, std::size_t share = 4);
// A detector's answer (a charset name) as one of ours; a set we do not read falls back
// to the nearest one we do, an answer of none to windows-1252, where every byte is a
// character and the user can still choose another.
TEncoding EncodingFromDetector(std::string_view answer);

// Detection from the file's first bytes: a byte-order mark decides; otherwise UTF-16
// by its zeros, valid UTF-8, and last the detector, asked only then (it takes UTF-16
// for a Chinese set). forced (the
// user's choice) wins, skipping only a mark of its own encoding.
TEncodingChoice ChooseEncoding(std::string_view head, std::optional<TEncoding> forced,
                               const std::function<std::string(std::string_view)>& detector);

} // namespace glimra
