#pragma once
#include "common/text_codec.h"

#include <cstddef>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace glimra {

// A character that a save could not write in the file's encoding: which line (from
// 0), which character of it (from 0), and the character.
struct TUnencodable {
    std::size_t Line = 0;
    std::size_t Column = 0;
    char32_t Character = 0;
    bool operator==(const TUnencodable&) const = default;
};

// "line 3, character 7: U+2603 ☃", counted from 1 as a user counts.
std::string DescribeUnencodable(const TUnencodable& miss);

// Writes the lines of a save in the file's own encoding, streamed a line at a time,
// each ended by CR LF in that encoding, after the file's byte-order mark if it had
// one. What the encoding cannot hold is written as "?" and reported, never replaced
// silently: the caller tells the user before the file is kept.
class TLineEncoder {
public:
    static constexpr std::size_t MaxReported = 100;

    TLineEncoder(std::unique_ptr<TTextEncoder> encoder, TEncodingChoice choice);
    // The bytes the file starts with: its byte-order mark, or nothing.
    std::string Start() const;
    // Appends the line (UTF-8, without its line end) and CR LF to out.
    void Line(std::string_view utf8, std::string& out);
    // The first MaxReported characters not written as they are, and how many in all.
    const std::vector<TUnencodable>& Unencodable() const { return Missed; }
    std::size_t UnencodableCount() const { return MissCount; }

private:
    std::unique_ptr<TTextEncoder> Encoder;
    TEncodingChoice Choice;
    std::string LineEnd; // CR LF in the encoding
    std::size_t Lines = 0;
    std::vector<TUnencodable> Missed;
    std::size_t MissCount = 0;
};

} // namespace glimra
