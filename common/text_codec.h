#pragma once
#include "common/text_encoding.h"

#include <cstddef>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

namespace glimra {

// Turns a file's bytes into UTF-8, fed in pieces of any size. One per thread: it holds
// the start of a character that a piece cut off until the next piece brings the rest.
class TTextDecoder {
public:
    virtual ~TTextDecoder() = default;
    // Appends to out the UTF-8 of bytes, continuing a character held from the last
    // call; bytes that do not decode become one U+FFFD each (a UTF-16 or UTF-32 unit
    // at a time); a character cut by the end of bytes is held back.
    virtual void Decode(std::string_view bytes, std::string& out) = 0;
    // The text ends (a line end, or the end of the file): a held cut character
    // becomes U+FFFD, and the next bytes start afresh.
    virtual void Finish(std::string& out) = 0;
    // Bytes held back waiting for the rest of their character.
    virtual std::size_t Held() const = 0;

    // The whole of one piece of text, say one line, as UTF-8.
    std::string DecodeAll(std::string_view bytes) {
        std::string out;
        Decode(bytes, out);
        Finish(out);
        return out;
    }
};

// Turns UTF-8 text into a file's encoding, one line at a time.
class TTextEncoder {
public:
    virtual ~TTextEncoder() = default;
    // A character the encoding cannot hold, at its place in the text given.
    struct TMiss {
        std::size_t Column = 0; // characters before it
        char32_t Character = 0;
    };
    // Appends to out the bytes of utf8 in the encoding; a character it cannot hold is
    // written as "?" and reported through miss. Bytes that are not UTF-8 are reported
    // as U+FFFD.
    virtual void Encode(std::string_view utf8, std::string& out,
                        const std::function<void(const TMiss&)>& miss) = 0;
};

// The system's converters and detector, as the line store and the save need them.
// The platform layer implements it.
class TTextCodecs {
public:
    virtual ~TTextCodecs() = default;
    // The encoding of a file from its first bytes (up to DetectionBytes); forced: the
    // user's choice, which wins.
    virtual TEncodingChoice Detect(std::string_view head,
                                   std::optional<TEncoding> forced) const = 0;
    // A decoder for encoding; none for UTF-8, whose bytes are shown as they are.
    virtual std::unique_ptr<TTextDecoder> Decoder(TEncoding encoding) const = 0;
    // An encoder for encoding; for UTF-8 it copies the bytes as they are.
    virtual std::unique_ptr<TTextEncoder> Encoder(TEncoding encoding) const = 0;
};

} // namespace glimra
