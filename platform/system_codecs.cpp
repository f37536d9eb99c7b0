#include "platform/system_codecs.h"

#include <algorithm>
#include <cerrno>
#include <iconv.h>
#include <stdexcept>
#include <uchardet/uchardet.h>

namespace glimra {
namespace {

constexpr std::string_view Replacement = "\xEF\xBF\xBD";

const char* IconvName(TEncoding encoding) {
    switch (encoding) {
    case TEncoding::Utf8:
        return "UTF-8";
    case TEncoding::Utf16Le:
        return "UTF-16LE";
    case TEncoding::Utf16Be:
        return "UTF-16BE";
    case TEncoding::Utf32Le:
        return "UTF-32LE";
    case TEncoding::Utf32Be:
        return "UTF-32BE";
    case TEncoding::Cp932:
        return "CP932";
    case TEncoding::EucJp:
        return "EUC-JP";
    case TEncoding::Gb18030:
        return "GB18030";
    case TEncoding::Big5:
        return "BIG5";
    case TEncoding::EucKr:
        return "CP949";
    case TEncoding::Windows1252:
        return "WINDOWS-1252";
    case TEncoding::Latin1:
        return "ISO-8859-1";
    }
    return "UTF-8";
}

// One conversion direction; the system's converters are part of every glibc, so a
// failure to open one is a broken installation, not a user's mistake.
class TIconv {
public:
    TIconv(const char* to, const char* from) : Cd(iconv_open(to, from)) {
        if (Cd == reinterpret_cast<iconv_t>(-1))
            throw std::runtime_error(std::string("no converter from ") + from + " to " + to);
    }
    ~TIconv() { iconv_close(Cd); }
    TIconv(const TIconv&) = delete;
    TIconv& operator=(const TIconv&) = delete;

    // Converts as much of in as it can, appending to out; moves in past what it took.
    // The error that stopped it, 0 when everything was taken.
    int Run(std::string_view& in, std::string& out) {
        char buffer[16384];
        char* src = const_cast<char*>(in.data());
        std::size_t left = in.size();
        for (;;) {
            char* dst = buffer;
            std::size_t room = sizeof buffer;
            const std::size_t result = iconv(Cd, &src, &left, &dst, &room);
            const int error = result == static_cast<std::size_t>(-1) ? errno : 0;
            out.append(buffer, static_cast<std::size_t>(dst - buffer));
            if (error != E2BIG) {
                in = std::string_view(src, left);
                return error;
            }
        }
    }
    void ResetState() { iconv(Cd, nullptr, nullptr, nullptr, nullptr); }

private:
    iconv_t Cd;
};

class TIconvDecoder final : public TTextDecoder {
public:
    explicit TIconvDecoder(TEncoding encoding)
        : Unit(UnitSize(encoding)), Converter("UTF-8", IconvName(encoding)) {}

    void Decode(std::string_view bytes, std::string& out) override {
        if (Pending.empty()) {
            Convert(bytes, out);
            return;
        }
        std::string joined = std::move(Pending);
        Pending.clear();
        joined.append(bytes);
        Convert(joined, out);
    }

    void Finish(std::string& out) override {
        if (!Pending.empty())
            out += Replacement;
        Pending.clear();
        Converter.ResetState();
    }

    std::size_t Held() const override { return Pending.size(); }

private:
    void Convert(std::string_view in, std::string& out) {
        while (!in.empty()) {
            const int error = Converter.Run(in, out);
            if (error == 0)
                return;
            if (error == EINVAL) { // cut by the end: the next piece brings the rest
                Pending.assign(in);
                return;
            }
            // A unit that does not decode: it is shown, the rest goes on after it.
            out += Replacement;
            in.remove_prefix(std::min(Unit, in.size()));
            Converter.ResetState();
        }
    }

    std::size_t Unit;
    TIconv Converter;
    std::string Pending;
};

// The code point of the UTF-8 sequence at s[i] and its length; U+FFFD and 1 if there
// is none.
char32_t Utf8At(std::string_view s, std::size_t i, std::size_t& len) {
    const auto lead = static_cast<unsigned char>(s[i]);
    len = lead < 0x80   ? 1
          : lead < 0xC2 ? 0
          : lead < 0xE0 ? 2
          : lead < 0xF0 ? 3
          : lead < 0xF5 ? 4
                        : 0;
    if (len == 0 || i + len > s.size() || !IsUtf8(s.substr(i, len))) {
        len = 1;
        return U'\uFFFD';
    }
    char32_t cp = len == 1 ? lead : lead & (0x7F >> len);
    for (std::size_t k = 1; k < len; ++k)
        cp = (cp << 6) | (static_cast<unsigned char>(s[i + k]) & 0x3F);
    return cp;
}

// The system's converter writes some characters the encoding lacks as look-alikes
// (CP932: U+00A5 as the byte of "\\", U+301C as U+FF5E): a character is written only
// when it reads back as itself.
class TIconvEncoder final : public TTextEncoder {
public:
    explicit TIconvEncoder(TEncoding encoding)
        : Converter(IconvName(encoding), "UTF-8"), Back(encoding) {
        std::string_view mark = "?";
        Converter.Run(mark, Question);
        Converter.ResetState();
    }

    void Encode(std::string_view utf8, std::string& out,
                const std::function<void(const TMiss&)>& miss) override {
        const std::size_t start = out.size();
        std::string_view in = utf8;
        const bool whole = Converter.Run(in, out) == 0;
        Converter.ResetState();
        if (whole && Back.DecodeAll(std::string_view(out).substr(start)) == utf8)
            return;
        // Something did not go over as it is: a character at a time, to say which.
        out.resize(start);
        for (std::size_t i = 0, column = 0; i < utf8.size(); ++column) {
            std::size_t len = 1;
            const char32_t c = Utf8At(utf8, i, len);
            const std::string_view character = utf8.substr(i, len);
            const std::size_t at = out.size();
            in = character;
            bool kept = Converter.Run(in, out) == 0;
            Converter.ResetState();
            kept = kept && Back.DecodeAll(std::string_view(out).substr(at)) == character;
            if (!kept) {
                out.resize(at);
                out += Question;
                if (miss)
                    miss({column, c});
            }
            i += len;
        }
    }

private:
    TIconv Converter;
    TIconvDecoder Back;
    std::string Question;
};

// UTF-8 is written back as the bytes it was read as.
class TCopyEncoder final : public TTextEncoder {
public:
    void Encode(std::string_view utf8, std::string& out,
                const std::function<void(const TMiss&)>&) override {
        out += utf8;
    }
};

} // namespace

TEncodingChoice TSystemCodecs::Detect(std::string_view head,
                                      std::optional<TEncoding> forced) const {
    return ChooseEncoding(head, forced, DetectorAnswer);
}

std::unique_ptr<TTextDecoder> TSystemCodecs::Decoder(TEncoding encoding) const {
    if (encoding == TEncoding::Utf8)
        return nullptr;
    return std::make_unique<TIconvDecoder>(encoding);
}

std::unique_ptr<TTextEncoder> TSystemCodecs::Encoder(TEncoding encoding) const {
    if (encoding == TEncoding::Utf8)
        return std::make_unique<TCopyEncoder>();
    return std::make_unique<TIconvEncoder>(encoding);
}

const TTextCodecs& SystemCodecs() {
    static const TSystemCodecs codecs;
    return codecs;
}

std::string DetectorAnswer(std::string_view bytes) {
    uchardet_t detector = uchardet_new();
    if (!detector)
        return {};
    std::string answer;
    if (uchardet_handle_data(detector, bytes.data(), bytes.size()) == 0) {
        uchardet_data_end(detector);
        if (const char* charset = uchardet_get_charset(detector))
            answer = charset;
    }
    uchardet_delete(detector);
    return answer;
}

} // namespace glimra
