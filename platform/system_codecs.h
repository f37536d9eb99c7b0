#pragma once
#include "common/text_codec.h"

#include <string>
#include <string_view>

namespace glimra {

// The system's converters (iconv) and the charset detector (uchardet). Plain library
// calls without Qt: the core's store and save use them through TTextCodecs.
class TSystemCodecs final : public TTextCodecs {
public:
    TEncodingChoice Detect(std::string_view head, std::optional<TEncoding> forced) const override;
    std::unique_ptr<TTextDecoder> Decoder(TEncoding encoding) const override;
    std::unique_ptr<TTextEncoder> Encoder(TEncoding encoding) const override;
};

// The one instance the program uses.
const TTextCodecs& SystemCodecs();

// The detector's own answer for bytes: a charset name, empty when it has none.
std::string DetectorAnswer(std::string_view bytes);

} // namespace glimra
