// A window over logs in the encodings people write them in: what it shows, what its
// modules read, what a followed append brings and what a save writes.
#include "fake_window_host.h"
#include "gui_test_util.h"
#include "iconv_text.h"
#include "platform/message_box.h"
#include "viewer/glimra_memo.h"
#include "viewer/module_host.h"

#include <fstream>
#include <gtest/gtest.h>

namespace glimra {
namespace {

struct TCase {
    const char* Iconv;
    std::string_view Bom;
    TEncoding Expected;
    std::string First, Other; // UTF-8
    bool HoldsEverything;     // a snowman and an emoji included
};

class EncodingsTest : public ::testing::Test {
protected:
    TTestFolder Folder;
    TFakeWindowHost Host;
    TScriptedMessageBoxes Boxes;
    THostProcs Procs = HostProcedures();
    void SetUp() override { SetMessageBoxes(&Boxes); }
    void TearDown() override { SetMessageBoxes(nullptr); }
};

std::u32string Wide(const std::string& utf8) {
    return QString::fromStdString(utf8).toStdU32String();
}

} // namespace

TEST_F(EncodingsTest, WindowsShowFollowAndSaveTheFilesOwnText) {
    const std::string japanese = "接続エラー: タイムアウト 30 秒";
    const std::string other = "再試行 (表示・保存)";
    const std::vector<TCase> cases = {
        {"CP932", "", TEncoding::Cp932, japanese, other, false},
        {"EUC-JP", "", TEncoding::EucJp, japanese, other, false},
        {"UTF-16LE", "\xFF\xFE", TEncoding::Utf16Le, japanese, other, true},
        {"UTF-16BE", "\xFE\xFF", TEncoding::Utf16Be, japanese, other, true},
        {"WINDOWS-1252", "", TEncoding::Windows1252, "Größe: 30 °C — café", "Übertragung", false},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.Iconv);
        std::string text = c.First + "\r\n";
        for (int i = 0; i < 40; ++i)
            text += std::to_string(i) + " " + c.Other + "\r\n";
        std::string bytes = std::string(c.Bom) + Convert(c.Iconv, text);
        const std::string path = Folder.Write("log.txt", bytes);
        auto w = MakeWindow(Host);
        w->OpenFile(path);
        EXPECT_EQ(w->Store.Encoding().Encoding, c.Expected);
        EXPECT_EQ(w->Store.DisplayLine(0), Wide(c.First));
        EXPECT_EQ(w->Store.DisplayLine(40), Wide("39 " + c.Other));
        ASSERT_GT(w->ScrollMax(), 1);
        EXPECT_STREQ(Procs.WrapText(w.get(), 0), c.First.c_str());
        EXPECT_STREQ(Procs.WrapText(w.get(), 1), ("0 " + c.Other).c_str());
        // The save prompt says which encoding the file was read in.
        Host.DialogAnswer = 2;
        w->SaveFileCommand();
        EXPECT_EQ(Host.DialogTexts.back(), "Input filename and press OK to save.\nEncoding: " +
                                               std::string(EncodingName(c.Expected)) +
                                               (c.Bom.empty() ? "" : " with byte-order mark"));

        // Followed: a line arrives in two writes, the first ending inside a character.
        w->GlimraButton2Click();
        const std::string added = Convert(c.Iconv, c.Other);
        const std::size_t cut = c.Bom.empty() ? 1 : 3;
        { std::ofstream(path, std::ios::app | std::ios::binary) << added.substr(0, cut); }
        ASSERT_TRUE(WaitFor([&] { return w->Store.LineCount() == 42u; }));
        EXPECT_TRUE(c.Other.starts_with(w->Store.Line(41)));
        EXPECT_EQ(w->Store.DisplayLine(41).find(U'\uFFFD'), std::u32string::npos);
        bytes += added + Convert(c.Iconv, "\r\n");
        {
            std::ofstream(path, std::ios::app | std::ios::binary)
                << added.substr(cut) << Convert(c.Iconv, "\r\n");
        }
        ASSERT_TRUE(WaitFor([&] { return w->Store.DisplayLine(41) == Wide(c.Other); }));
        w->GlimraButton2Click();

        // Saved in the file's encoding, mark and CR LF included: the same bytes.
        const std::string copy = Folder.Path("copy.txt");
        std::remove(copy.c_str());
        w->SaveToFile(copy);
        EXPECT_EQ(TTestFolder::Read(copy), bytes);

        // Edited in the memo with characters the encoding may not hold: the save asks
        // first, and Cancel writes nothing.
        w->WordWrapper->setPlainText(QString::fromStdString(c.First + "\n☃ 😀"));
        w->WordWrapper->document()->setModified(true);
        const std::string edited = Folder.Path(std::string(c.Iconv) + ".edited");
        Boxes.Answers = {TMsgResult::Cancel};
        Boxes.Asked.clear();
        w->SaveToFile(edited);
        if (c.HoldsEverything) {
            EXPECT_TRUE(Boxes.Asked.empty());
            EXPECT_EQ(TTestFolder::Read(edited),
                      std::string(c.Bom) + Convert(c.Iconv, c.First + "\r\n☃ 😀\r\n"));
            continue;
        }
        ASSERT_EQ(Boxes.Asked.size(), 1u);
        EXPECT_EQ(Boxes.Asked[0], "2 characters cannot be written in " +
                                      std::string(EncodingName(c.Expected)) +
                                      ":\nline 2, character 1: U+2603 ☃\nline 2, character 3: "
                                      "U+1F600 😀\nPress OK to save them as \"?\".");
        EXPECT_FALSE(FileExists(edited));
        Boxes.Answers = {TMsgResult::Ok};
        w->SaveToFile(edited);
        EXPECT_EQ(TTestFolder::Read(edited), Convert(c.Iconv, c.First + "\r\n? ?\r\n"));
    }
}

} // namespace glimra
