#include "common/line_encoder.h"

#include <cstdio>

namespace glimra {

std::string DescribeUnencodable(const TUnencodable& miss) {
    char code[16];
    std::snprintf(code, sizeof code, "U+%04X", static_cast<unsigned>(miss.Character));
    std::string text = "line " + std::to_string(miss.Line + 1) + ", character " +
                       std::to_string(miss.Column + 1) + ": " + code;
    // The character itself, unless it would not show.
    const char32_t c = miss.Character;
    if (c < 0x20 || c == 0x7F || (c >= 0xD800 && c <= 0xDFFF) || c > 0x10FFFF)
        return text;
    text.push_back(' ');
    if (c < 0x80) {
        text.push_back(static_cast<char>(c));
    } else if (c < 0x800) {
        text.push_back(static_cast<char>(0xC0 | (c >> 6)));
        text.push_back(static_cast<char>(0x80 | (c & 0x3F)));
    } else if (c < 0x10000) {
        text.push_back(static_cast<char>(0xE0 | (c >> 12)));
        text.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
        text.push_back(static_cast<char>(0x80 | (c & 0x3F)));
    } else {
        text.push_back(static_cast<char>(0xF0 | (c >> 18)));
        text.push_back(static_cast<char>(0x80 | ((c >> 12) & 0x3F)));
        text.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
        text.push_back(static_cast<char>(0x80 | (c & 0x3F)));
    }
    return text;
}

TLineEncoder::TLineEncoder(std::unique_ptr<TTextEncoder> encoder, TEncodingChoice choice)
    : Encoder(std::move(encoder)), Choice(choice) {
    Encoder->Encode("\r\n", LineEnd, nullptr);
}

std::string TLineEncoder::Start() const {
    return std::string(ByteOrderMark(Choice.Encoding).substr(0, Choice.BomSize));
}

void TLineEncoder::Line(std::string_view utf8, std::string& out) {
    Encoder->Encode(utf8, out, [this](const TTextEncoder::TMiss& miss) {
        if (MissCount++ < MaxReported)
            Missed.push_back({Lines, miss.Column, miss.Character});
    });
    out += LineEnd;
    ++Lines;
}

} // namespace glimra
