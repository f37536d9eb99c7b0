#include "common/forward_record.h"
#include "common/line_encoder.h"
#include "common/line_scanner.h"
#include "common/start_options.h"
#include "platform/system_codecs.h"

#include <gtest/gtest.h>
#include <iconv.h>
#include <iostream>

namespace glimra {
namespace {

// Sample bytes are made from UTF-8 text by the system's converter, independently of
// the code under test.
std::string Convert(const std::string& utf8, const char* to) {
    iconv_t cd = iconv_open(to, "UTF-8");
    EXPECT_NE(cd, reinterpret_cast<iconv_t>(-1)) << to;
    std::string out(utf8.size() * 4 + 8, '\0');
    char* src = const_cast<char*>(utf8.data());
    char* dst = out.data();
    std::size_t left = utf8.size(), room = out.size();
    EXPECT_NE(iconv(cd, &src, &left, &dst, &room), static_cast<std::size_t>(-1)) << to;
    iconv_close(cd);
    out.resize(out.size() - room);
    return out;
}

// A log of a few lines, CR LF ended as a save writes them.
std::string Log(std::initializer_list<const char*> lines, int times = 3) {
    std::string text;
    for (int i = 0; i < times; ++i)
        for (const char* line : lines)
            text += "2024-05-01 12:00:0" + std::to_string(i) + " " + line + "\r\n";
    return text;
}

const std::string Japanese =
    Log({"接続エラー: タイムアウト 30 秒", "再接続しました。サーバーの準備ができました"});

const std::string JapaneseOnly = "接続エラーが発生しました。タイムアウトまで三十秒を待ちました\r\n"
                                 "サーバーへの再接続に成功しました。処理を続けます\r\n";

struct TSample {
    const char* Name;
    std::string Text; // UTF-8
    const char* Iconv;
    TEncoding Expected;
    std::string_view Bom;
};

} // namespace

void PrintTo(const TEncodingChoice& choice, std::ostream* os) {
    *os << EncodingName(choice.Encoding) << " after " << choice.BomSize << " bytes";
}

// Every encoding: detected from the bytes alone, decoded to the text it was made from,
// and encoded back to the same bytes, mark and CR LF included.
TEST(TextEncoding, DetectsDecodesAndSavesEveryEncoding) {
    using namespace std::string_view_literals;
    const std::vector<TSample> samples = {
        {"UTF-8", Japanese, "UTF-8", TEncoding::Utf8, ""},
        {"UTF-8 BOM", Japanese, "UTF-8", TEncoding::Utf8, "\xEF\xBB\xBF"sv},
        {"UTF-16LE BOM", Japanese, "UTF-16LE", TEncoding::Utf16Le, "\xFF\xFE"sv},
        {"UTF-16BE BOM", Japanese, "UTF-16BE", TEncoding::Utf16Be, "\xFE\xFF"sv},
        {"UTF-32LE BOM", Japanese, "UTF-32LE", TEncoding::Utf32Le, "\xFF\xFE\0\0"sv},
        {"UTF-32BE BOM", Japanese, "UTF-32BE", TEncoding::Utf32Be, "\0\0\xFE\xFF"sv},
        {"UTF-16LE", Japanese, "UTF-16LE", TEncoding::Utf16Le, ""},
        {"UTF-16BE", Japanese, "UTF-16BE", TEncoding::Utf16Be, ""},
        {"UTF-16LE, no ASCII but line ends", JapaneseOnly, "UTF-16LE", TEncoding::Utf16Le, ""},
        {"CP932", Japanese, "CP932", TEncoding::Cp932, ""},
        {"EUC-JP", Japanese, "EUC-JP", TEncoding::EucJp, ""},
        {"GB18030", Log({"连接错误：超时 30 秒", "重新连接成功，服务器已就绪"}), "GB18030",
         TEncoding::Gb18030, ""},
        {"Big5", Log({"連線錯誤：逾時 30 秒", "重新連線成功，伺服器已就緒"}), "BIG5",
         TEncoding::Big5, ""},
        {"EUC-KR", Log({"연결 오류: 시간 초과 30 초", "다시 연결되었습니다"}), "EUC-KR",
         TEncoding::EucKr, ""},
        {"windows-1252", Log({"Café: délai dépassé — “30 s”", "Connexion rétablie"}),
         "WINDOWS-1252", TEncoding::Windows1252, ""},
        {"ISO-8859-1", Log({"Café: délai dépassé 30 s", "Connexion rétablie, prêt"}), "ISO-8859-1",
         TEncoding::Latin1, ""},
    };
    for (const TSample& s : samples) {
        SCOPED_TRACE(s.Name);
        const std::string bytes = std::string(s.Bom) + Convert(s.Text, s.Iconv);
        const TEncodingChoice choice = SystemCodecs().Detect(bytes, std::nullopt);
        std::cout << "[ detected ] " << s.Name << ": detector says \"" << DetectorAnswer(bytes)
                  << "\", chosen " << EncodingName(choice.Encoding) << '\n';
        ASSERT_EQ(choice, (TEncodingChoice{s.Expected, s.Bom.size()}));

        const std::string_view body = std::string_view(bytes).substr(choice.BomSize);
        auto decoder = SystemCodecs().Decoder(choice.Encoding);
        EXPECT_EQ(decoder ? decoder->DecodeAll(body) : std::string(body), s.Text);

        TLineEncoder encoder(SystemCodecs().Encoder(choice.Encoding), choice);
        std::string saved = encoder.Start();
        for (std::size_t at = 0, end; (end = s.Text.find("\r\n", at)) != std::string::npos;
             at = end + 2)
            encoder.Line(std::string_view(s.Text).substr(at, end - at), saved);
        EXPECT_EQ(saved, bytes);
        EXPECT_EQ(encoder.UnencodableCount(), 0u);
    }
}

TEST(TextEncoding, DetectionEdges) {
    // A UTF-8 character cut at the 64 KiB mark is still UTF-8; one broken before is not.
    std::string big(DetectionBytes - 1, 'a');
    big += "接続";
    EXPECT_EQ(SystemCodecs().Detect(big, std::nullopt).Encoding, TEncoding::Utf8);
    EXPECT_FALSE(IsUtf8("a\xE6\x8E"
                        "a"));
    EXPECT_FALSE(IsUtf8("\xC0\xAF"));     // overlong
    EXPECT_FALSE(IsUtf8("\xED\xA0\x80")); // a surrogate
    // NUL padding after a crash is no UTF-16.
    EXPECT_FALSE(Utf16ByZeros(std::string(4096, '\0') + "plain log line\n"));
    // Nor is one stray NUL in a short 8-bit log.
    EXPECT_EQ(ChooseEncoding(std::string("bad \xff\xfe utf8\0nul\rmac\nunix\r\n", 26), std::nullopt,
                             nullptr)
                  .Encoding,
              TEncoding::Windows1252);
    // The user's choice wins, and skips only its own mark.
    const std::string utf16 = "\xFF\xFE" + Convert("x", "UTF-16LE");
    EXPECT_EQ(ChooseEncoding(utf16, TEncoding::Utf16Le, nullptr),
              (TEncodingChoice{TEncoding::Utf16Le, 2}));
    EXPECT_EQ(ChooseEncoding(utf16, TEncoding::Cp932, nullptr),
              (TEncodingChoice{TEncoding::Cp932, 0}));
    // The detector's other answers fall back to a set we read.
    EXPECT_EQ(EncodingFromDetector("SHIFT_JIS"), TEncoding::Cp932);
    EXPECT_EQ(EncodingFromDetector("UHC"), TEncoding::EucKr);
    EXPECT_EQ(EncodingFromDetector("ISO-8859-2"), TEncoding::Latin1);
    EXPECT_EQ(EncodingFromDetector("WINDOWS-1250"), TEncoding::Windows1252);
    EXPECT_EQ(EncodingFromDetector(""), TEncoding::Windows1252);
    EXPECT_EQ(EncodingFromDetector("ASCII"), TEncoding::Utf8);
}

// Fed in pieces of every size, the decoder gives what it gives for the whole; what does
// not decode is one U+FFFD per unit, and the rest of the text goes on.
TEST(TextEncoding, DecoderCarriesCutCharactersAndMarksBadBytes) {
    const std::string fffd = "\xEF\xBF\xBD";
    struct TCase {
        TEncoding Encoding;
        std::string Bytes;
        std::string Expected;
    };
    const std::vector<TCase> cases = {
        {TEncoding::Cp932, Convert(Japanese, "CP932"), Japanese},
        {TEncoding::Gb18030, Convert("𠀀 和 €", "GB18030"), "𠀀 和 €"}, // four-byte form
        {TEncoding::Utf16Le, Convert("a😀b", "UTF-16LE"), "a😀b"},        // surrogate pair
        {TEncoding::Utf32Be, Convert("x接y", "UTF-32BE"), "x接y"},
        {TEncoding::Cp932, "a\x81", "a" + fffd},            // cut by the end
        {TEncoding::Cp932, "\x80z\xA0", fffd + "z" + fffd}, // bytes CP932 lacks
        {TEncoding::EucJp, "\xA4\x0A", fffd + "\n"},        // a lead before LF
        {TEncoding::Utf16Le,
         std::string("\x00\xD8"
                     "A\x00",
                     4),
         fffd + "A"}, // lone surrogate
        {TEncoding::Utf16Le,
         std::string("A\x00"
                     "B",
                     3),
         "A" + fffd}, // odd byte
        {TEncoding::Windows1252, "\x81\x80", fffd + "€"},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(std::string(EncodingName(c.Encoding)) + " " + c.Expected);
        for (std::size_t piece = 1; piece <= 8; ++piece) {
            auto decoder = SystemCodecs().Decoder(c.Encoding);
            std::string out;
            for (std::size_t at = 0; at < c.Bytes.size(); at += piece)
                decoder->Decode(std::string_view(c.Bytes).substr(at, piece), out);
            decoder->Finish(out);
            ASSERT_EQ(out, c.Expected) << "pieces of " << piece;
            EXPECT_EQ(decoder->Held(), 0u);
        }
    }
    EXPECT_EQ(SystemCodecs().Decoder(TEncoding::Utf8), nullptr); // UTF-8 is not decoded
}

// Line ends are whole code units: in UTF-16 the bytes 0A 30 are U+300A, not an LF, and
// a CR LF cut between two blocks ends one line.
TEST(TextEncoding, LineStartsAreFoundOnCodeUnits) {
    const std::string text = "《a》\r\nb\rc\n\r\nd";
    const std::vector<std::uint64_t> expected = {0, 5, 7, 9, 11}; // in characters
    for (TEncoding encoding :
         {TEncoding::Utf16Le, TEncoding::Utf16Be, TEncoding::Utf32Le, TEncoding::Cp932}) {
        const std::string bytes = Convert(text, encoding == TEncoding::Cp932
                                                    ? "CP932"
                                                    : std::string(EncodingName(encoding)).c_str());
        const std::size_t unit = UnitSize(encoding);
        for (std::size_t piece = 1; piece <= 9; ++piece) {
            SCOPED_TRACE(std::string(EncodingName(encoding)) + " pieces of " +
                         std::to_string(piece));
            TLineScanner scanner(encoding, 3);
            std::vector<std::uint64_t> starts;
            for (std::size_t at = 0; at < bytes.size(); at += piece)
                scanner.Feed(std::string_view(bytes).substr(at, piece), starts);
            std::vector<std::uint64_t> want;
            for (std::uint64_t c : expected)
                // 《 and 》 take two bytes in CP932, one unit elsewhere.
                want.push_back(3 + (encoding == TEncoding::Cp932 ? c + (c > 0 ? 2 : 0) : c * unit));
            EXPECT_EQ(starts, want);
            EXPECT_TRUE(scanner.LineOpen());
            EXPECT_EQ(scanner.End(), 3 + bytes.size());
        }
    }
}

TEST(TextEncoding, SaveReportsWhatTheEncodingCannotHold) {
    TLineEncoder encoder(SystemCodecs().Encoder(TEncoding::Cp932), {TEncoding::Cp932, 0});
    std::string out;
    encoder.Line("ok", out);
    // A snowman, a byte that was no text, and a yen sign the converter would write as
    // the byte of a backslash.
    encoder.Line("雪☃だ\xFF!¥", out);
    EXPECT_EQ(out, "ok\r\n" + Convert("雪", "CP932") + "?" + Convert("だ", "CP932") + "?!?\r\n");
    EXPECT_EQ(encoder.Unencodable(),
              (std::vector<TUnencodable>{{1, 1, U'☃'}, {1, 3, U'\uFFFD'}, {1, 5, U'¥'}}));
    EXPECT_EQ(DescribeUnencodable(encoder.Unencodable()[0]), "line 2, character 2: U+2603 ☃");
    // Only the first are kept, all are counted.
    for (std::size_t i = 0; i < TLineEncoder::MaxReported; ++i)
        encoder.Line("☃", out);
    EXPECT_EQ(encoder.Unencodable().size(), TLineEncoder::MaxReported);
    EXPECT_EQ(encoder.UnencodableCount(), TLineEncoder::MaxReported + 3);
}

// --encoding before the file, checked here, and carried to a running instance after
// the text's NUL, where an older instance does not look.
TEST(TextEncoding, StartOptionTravelsInTheForwardedRecord) {
    struct TCase {
        std::vector<std::string> Params;
        std::optional<TEncoding> Encoding;
        std::vector<std::string> Files;
        bool Error;
    };
    const std::vector<TCase> cases = {
        {{"--encoding=sjis", "/a b"}, TEncoding::Cp932, {"/a b"}, false},
        {{"--encoding", "euc-jp", "x"}, TEncoding::EucJp, {"x"}, false},
        {{"--", "--encoding=CP932"}, std::nullopt, {"--encoding=CP932"}, false},
        {{"a.log", "--encoding=CP932"}, std::nullopt, {"a.log", "--encoding=CP932"}, false},
        {{"--encoding=klingon", "x"}, std::nullopt, {"x"}, true},
        {{"--encoding="}, std::nullopt, {}, true},
        {{"--encoding"}, std::nullopt, {}, true},
    };
    for (TCase c : cases) {
        SCOPED_TRACE(c.Params.front());
        TStartOptions options;
        const auto error = TakeStartOptions(c.Params, options);
        EXPECT_EQ(options.Encoding, c.Encoding);
        EXPECT_EQ(c.Params, c.Files);
        EXPECT_EQ(error.has_value(), c.Error);
        if (error) {
            EXPECT_NE(error->find("UTF-16LE"), std::string::npos) << *error;
        }
    }

    TStartOptions options;
    options.Encoding = TEncoding::EucJp;
    const TCopyDataRecord sent = MakeForwardRecord({"/logs/my", "app.log"}, options.Texts());
    TRecordReader reader; // as every version reads it
    ASSERT_EQ(reader.Feed(EncodeRecord(sent)), TRecordReader::TState::Complete);
    EXPECT_EQ(reader.Record().dwData, 2u);
    EXPECT_EQ(RecordText(reader.Record()), "/logs/my app.log");
    std::vector<std::string> texts = RecordOptions(reader.Record());
    EXPECT_EQ(texts, (std::vector<std::string>{"--encoding=EUC-JP"}));
    TStartOptions received;
    EXPECT_FALSE(TakeStartOptions(texts, received, false));
    EXPECT_EQ(received.Encoding, TEncoding::EucJp);
    EXPECT_TRUE(RecordOptions(MakeForwardRecord({"/x"})).empty());
}

} // namespace glimra
