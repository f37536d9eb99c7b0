#pragma once
#include "common/text_encoding.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace glimra {

// Finds where the lines of a file start, fed its bytes block by block. CR LF, lone LF
// and lone CR end a line, each a whole code unit: in UTF-16 the LF is the unit 0x000A
// (two bytes), and a character such as U+300A, whose bytes hold 0x0A, ends nothing.
// In the other encodings CR and LF are never part of another character. So the line
// ends found are those of the decoded text, at offsets of the file.
class TLineScanner {
public:
    // from: the file offset of the first byte fed (after a byte-order mark), a line's
    // start; afterCr: the line before ended with CR, so an LF fed first belongs to it.
    TLineScanner(TEncoding encoding, std::uint64_t from, bool afterCr = false);
    // Appends to starts the offset of every line whose first unit is in bytes; a unit
    // or a CR LF cut by the end of bytes is completed by the next call.
    void Feed(std::string_view bytes, std::vector<std::uint64_t>& starts);
    // The last line found has no line end yet.
    bool LineOpen() const { return InLine; }
    // The offset of the next byte to feed.
    std::uint64_t End() const { return At + Partial.size(); }
    // The offset after the last whole unit fed: a unit cut short belongs to no line yet.
    std::uint64_t Whole() const { return At; }

private:
    enum class TUnit { Other, Lf, Cr };
    TUnit Kind(const char* unit) const;
    void Take(const char* unit, std::vector<std::uint64_t>& starts);

    std::size_t Unit;
    bool BigEndian;
    std::uint64_t At;    // offset of the next unit
    std::string Partial; // a unit cut by the end of the last block
    bool InLine = false;
    bool AfterCr = false; // an LF right after a CR belongs to it
};

} // namespace glimra
