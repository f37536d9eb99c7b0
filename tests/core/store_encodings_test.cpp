// A store fed by its worker from files in the encodings logs are written in: the
// samples are UTF-8 text converted by the system's iconv.
#include "iconv_text.h"
#include "platform/system_codecs.h"
#include "store_lines.h"
#include "viewer/line_store.h"
#include "viewer/store_worker.h"

#include <gtest/gtest.h>

#include <chrono>
#include <mutex>
#include <numeric>
#include <set>
#include <thread>

namespace glimra {
namespace {

struct TSample {
    const char* Iconv;
    std::string_view Bom;
    TEncodingChoice Expected;
    std::vector<std::string> Lines; // UTF-8
};

std::vector<TSample> Samples() {
    const std::vector<std::string> japanese = {"接続エラー: タイムアウト 30 秒",
                                               "再試行 3 回目 (表示・保存)", "", "完了"};
    return {
        {"CP932", "", {TEncoding::Cp932, 0}, japanese},
        {"EUC-JP", "", {TEncoding::EucJp, 0}, japanese},
        {"UTF-16LE", "\xFF\xFE", {TEncoding::Utf16Le, 2}, japanese},
        {"UTF-16BE", "\xFE\xFF", {TEncoding::Utf16Be, 2}, japanese},
        {"WINDOWS-1252",
         "",
         {TEncoding::Windows1252, 0},
         {"Größe überschritten: 30 °C — café déjà", "Fehler bei Übertragung", "ÀÉÎÕÜ ß"}},
        {"UTF-8", "\xEF\xBB\xBF", {TEncoding::Utf8, 3}, japanese},
    };
}

TReadAt ReadFrom(const std::string& file) {
    return [&file](std::int64_t at, char* to, std::size_t n) -> std::int64_t {
        const auto from = static_cast<std::size_t>(at);
        if (from >= file.size())
            return 0;
        const std::size_t take = std::min(n, file.size() - from);
        std::copy_n(file.data() + from, take, to);
        return static_cast<std::int64_t>(take);
    };
}

std::u32string Wide(std::string_view utf8) {
    std::u32string out;
    DecodeForDisplay(utf8, out);
    return out;
}

} // namespace

TEST(StoreEncodings, FilesReadFollowedAndSavedInTheirOwnEncoding) {
    for (const TSample& sample : Samples()) {
        SCOPED_TRACE(sample.Iconv);
        std::string text;
        for (const std::string& line : sample.Lines)
            text += line + "\r\n";
        std::string file = std::string(sample.Bom) + Convert(sample.Iconv, text);
        TLineStore store(&SystemCodecs());
        TStoreWorker worker(store, nullptr);
        ASSERT_EQ(worker.Load(ReadFrom(file), static_cast<std::int64_t>(file.size()), false),
                  TLoadOutcome::Changed);
        EXPECT_EQ(store.Encoding(), sample.Expected);
        EXPECT_EQ(LinesOf(store), sample.Lines);
        // Wrapped display lines hold the text; a narrow row breaks only between characters.
        store.SetWrap(true, 2000, [](char32_t) { return 10; });
        ASSERT_EQ(store.DisplayLineCount(), sample.Lines.size());
        for (std::size_t i = 0; i < sample.Lines.size(); ++i)
            EXPECT_EQ(store.DisplayLine(i), Wide(sample.Lines[i]));
        store.SetWrap(true, 35, [](char32_t) { return 10; });
        std::u32string joined, rows;
        for (const std::string& line : sample.Lines)
            joined += Wide(line);
        for (std::size_t i = 0; i < store.DisplayLineCount(); ++i)
            rows += store.DisplayLine(i);
        EXPECT_GT(store.DisplayLineCount(), sample.Lines.size());
        EXPECT_EQ(rows, joined);
        // Colour rules match the decoded text of the file line a row belongs to.
        std::vector<std::size_t> shown(store.DisplayLineCount());
        std::iota(shown.begin(), shown.end(), std::size_t{0});
        const auto heads = store.FileLineHeads(shown, 1 << 16);
        for (std::size_t i = 0; i < heads.size(); ++i)
            if (i == 0 || heads[i].first != heads[i - 1].first) {
                EXPECT_EQ(heads[i].second, sample.Lines[heads[i].first]);
            }

        // A line written in two pieces, cut inside its first character, while followed.
        const std::string added = Convert(sample.Iconv, sample.Lines[0]);
        const bool utf16 = sample.Expected.Encoding == TEncoding::Utf16Le ||
                           sample.Expected.Encoding == TEncoding::Utf16Be;
        const std::size_t cut = utf16 ? 3 : 1;
        file += added.substr(0, cut);
        worker.Load(ReadFrom(file), static_cast<std::int64_t>(file.size()), true);
        EXPECT_EQ(store.LineCount(), sample.Lines.size() + 1);
        EXPECT_TRUE(sample.Lines[0].starts_with(store.Line(sample.Lines.size())));
        EXPECT_EQ(store.Line(sample.Lines.size()).find("\xEF\xBF\xBD"), std::string::npos);
        file += added.substr(cut) + Convert(sample.Iconv, "\r\n");
        EXPECT_EQ(worker.Load(ReadFrom(file), static_cast<std::int64_t>(file.size()), true),
                  TLoadOutcome::Changed);
        EXPECT_EQ(store.Line(sample.Lines.size()), sample.Lines[0]);
        EXPECT_EQ(store.Encoding(), sample.Expected);

        // Saved: the bytes read, mark and CR LF included (edited text: the window's test).
        EXPECT_EQ(store.Text(), file);

        // Another read that is not growth detects again: now the file is UTF-8.
        file = "plain\n";
        worker.Load(ReadFrom(file), static_cast<std::int64_t>(file.size()), false);
        EXPECT_EQ(store.Encoding(), (TEncodingChoice{}));
        EXPECT_EQ(LinesOf(store), std::vector<std::string>{"plain"});
        // The user's choice wins over what the bytes suggest.
        worker.Load(ReadFrom(file), static_cast<std::int64_t>(file.size()), false,
                    sample.Expected.Encoding);
        EXPECT_EQ(store.Encoding().Encoding, sample.Expected.Encoding);
    }
}

TEST(StoreEncodings, ABigFileIsDetectedAndDecodedOffTheCallersThread) {
    std::string file;
    while (file.size() < 3 * TStoreWorker::SyncLimit)
        file += Convert("CP932", "接続エラー: タイムアウト 30 秒\r\n");
    std::mutex lock;
    std::set<std::thread::id> readers;
    TReadAt read = [&, whole = ReadFrom(file)](std::int64_t at, char* to, std::size_t n) {
        std::lock_guard guard(lock);
        readers.insert(std::this_thread::get_id());
        return whole(at, to, n);
    };
    TLineStore store(&SystemCodecs());
    store.SetWrap(true, 100, [](char32_t) { return 10; });
    TStoreWorker worker(store, nullptr);
    EXPECT_FALSE(worker.Load(read, static_cast<std::int64_t>(file.size()), false));
    while (!worker.TakeOutcome())
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    EXPECT_EQ(store.Encoding().Encoding, TEncoding::Cp932);
    EXPECT_EQ(readers.count(std::this_thread::get_id()), 0u);
    EXPECT_EQ(store.Line(store.LineCount() - 1), "接続エラー: タイムアウト 30 秒");
}

TEST(StoreEncodings, BytesThatDoNotDecodeShowAsReplacementNotDropped) {
    // A lone lead byte inside a closed line, and a lone UTF-16 surrogate.
    const std::string sjis =
        Convert("CP932", "接続エラー") + "\x82" + "!\r\n" + Convert("CP932", "テスト") + "\r\n";
    TLineStore store(&SystemCodecs());
    TStoreWorker worker(store, nullptr);
    worker.Load(ReadFrom(sjis), static_cast<std::int64_t>(sjis.size()), false, TEncoding::Cp932);
    ASSERT_EQ(store.LineCount(), 2u);
    EXPECT_NE(store.Line(0).find("\xEF\xBF\xBD"), std::string::npos);
    EXPECT_EQ(store.Line(1), "テスト");
    EXPECT_EQ(store.Text(), sjis); // saved as read, nothing lost
    const std::string utf16 = std::string("\xFF\xFE", 2) + Convert("UTF-16LE", "ab") +
                              std::string("\x00\xD8", 2) + Convert("UTF-16LE", "c\r\nd");
    worker.Load(ReadFrom(utf16), static_cast<std::int64_t>(utf16.size()), false);
    EXPECT_EQ(LinesOf(store), (std::vector<std::string>{"ab\xEF\xBF\xBD"
                                                        "c",
                                                        "d"}));
}

} // namespace glimra
