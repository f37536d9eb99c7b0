#include "tessel/line_buffer_view.h"

#include <QApplication>
#include <QInputDialog>
#include <QLineEdit>
#include <QTimer>
#include <gtest/gtest.h>

#include <string>

namespace glimra::tessel {
namespace {

// Records which operation the export layer called.
class SpyModule : public TCustomModule {
public:
    SpyModule() : TCustomModule(nullptr) {}
    void DrawToBitmap(GlimraDib*) override { Log += "draw;"; }
    std::int32_t SetParam(const char* text) override {
        Log += std::string("param ") + text + ";";
        return 7;
    }
    void MouseDown(std::uint8_t b, std::uint8_t s, std::int32_t x, std::int32_t y) override {
        Log += "down " + Args(b, s, x, y);
    }
    void MouseMove(std::uint8_t s, std::int32_t x, std::int32_t y) override {
        Log += "move " + Args(0, s, x, y);
    }
    void MouseUp(std::uint8_t b, std::uint8_t s, std::int32_t x, std::int32_t y) override {
        Log += "up " + Args(b, s, x, y);
    }
    static std::string Args(int b, int s, int x, int y) {
        return std::to_string(b) + " " + std::to_string(s) + " " + std::to_string(x) + " " +
               std::to_string(y) + ";";
    }
    std::string Log;
};

TEST(TesselExports, ForwardToTheInstance) {
    SpyModule spy;
    ExpMouseEmu(&spy, GLIMRA_MOUSE_DOWN, 1, 4, 20, 30);
    ExpMouseEmu(&spy, GLIMRA_MOUSE_MOVE, 0, 8, 21, 31);
    ExpMouseEmu(&spy, GLIMRA_MOUSE_UP, 2, 0, 22, 32);
    ExpMouseEmu(&spy, 3, 1, 0, 0, 0);
    ExpMouseEmu(&spy, 255, 1, 0, 0, 0);
    EXPECT_EQ(spy.Log, "down 1 4 20 30;move 0 8 21 31;up 2 0 22 32;");
    spy.Log.clear();
    ExpDrawToBitmap(&spy, nullptr);
    EXPECT_EQ(ExpSetParam(&spy, "file.txt"), 7);
    EXPECT_EQ(spy.Log, "draw;param file.txt;");
    *GetLeftPtr(&spy) = 33;
    EXPECT_EQ(spy.Left, 33);
    EXPECT_EQ(GetHeightPtr(&spy), &spy.Height);
    EXPECT_EQ(ExpGetExtModuleClientRect(&spy), spy.ExtClientRect);
}

TEST(TesselExports, NewInstanceHasTheModulesInitialValues) {
    int owner = 0;
    void* instance = ExpCreate(&owner);
    ASSERT_NE(instance, nullptr);
    EXPECT_EQ(*GetLeftPtr(instance), 10);
    EXPECT_EQ(*GetTopPtr(instance), 10);
    EXPECT_EQ(*GetWidthPtr(instance), 64);
    EXPECT_EQ(*GetHeightPtr(instance), 64);
    EXPECT_NE(*GetVisiblePtr(instance), 0);
    const std::int32_t* ext = ExpGetExtModuleClientRect(instance);
    EXPECT_EQ(ext[0] | ext[1] | ext[2] | ext[3], 0);
    auto* module = static_cast<TModule*>(static_cast<TCustomModule*>(instance));
    EXPECT_EQ(module->Owner, &owner);
    EXPECT_EQ(module->HighlightWord, U"PROCEDURE");
    EXPECT_EQ(module->LastTick, 0u);
    EXPECT_EQ(ExpSetParam(instance, "any.log"), 0);
    ExpFree(instance);

    EXPECT_EQ(ExpGetModuleSpec(), 258);
    EXPECT_STREQ(ExpGetModuleName(), "LINEBUFFER VIEW");
    EXPECT_EQ(ExpGetModuleVersion(), 2);
    EXPECT_STREQ(ExpGetModuleCopyRight(), "QUENTARO");
}

void Redraw(void*) {}
void Rect(void*, std::int32_t*, std::int32_t*, std::int32_t*, std::int32_t*) {}

TEST(TesselExports, SettersStoreForTheWholeLibraryAndReturnTheProcedure) {
    EXPECT_EQ(ImpSetGlimraRedraw(Redraw), Redraw);
    EXPECT_EQ(ImpSetGlimraRect(Rect), Rect);
    EXPECT_EQ(Host().GlimraRedraw, Redraw);
    EXPECT_EQ(Host().GlimraRect, Rect);
    EXPECT_EQ(ImpSetGlimraRedraw(nullptr), nullptr);
    EXPECT_EQ(Host().GlimraRedraw, nullptr);
    Host() = {};
}

std::u32string answer;
bool answerOk = true;
int asked = 0;
bool Answer(std::u32string& word) {
    ++asked;
    word = answer;
    return answerOk;
}

TEST(TesselWord, OnlyTheRightButtonAsksAndCancelKeepsTheWord) {
    TModule module(nullptr);
    TModule::AskWord = Answer;
    asked = 0;
    answer = U"BEGIN";
    answerOk = true;
    ExpMouseEmu(&module, GLIMRA_MOUSE_UP, GLIMRA_BUTTON_LEFT, 0, 5, 5);
    ExpMouseEmu(&module, GLIMRA_MOUSE_DOWN, GLIMRA_BUTTON_RIGHT, 0, 5, 5);
    EXPECT_EQ(asked, 0);
    EXPECT_EQ(module.HighlightWord, U"PROCEDURE");
    ExpMouseEmu(&module, GLIMRA_MOUSE_UP, GLIMRA_BUTTON_RIGHT, 0, 5, 5);
    EXPECT_EQ(module.HighlightWord, U"BEGIN");
    answerOk = false;
    answer = U"IGNORED";
    ExpMouseEmu(&module, GLIMRA_MOUSE_UP, GLIMRA_BUTTON_RIGHT, 0, 5, 5);
    EXPECT_EQ(module.HighlightWord, U"BEGIN");
    answerOk = true;
    answer.clear();
    ExpMouseEmu(&module, GLIMRA_MOUSE_UP, GLIMRA_BUTTON_RIGHT, 0, 5, 5);
    EXPECT_TRUE(module.HighlightWord.empty());
    TModule::AskWord = AskWordByDialog;
}

// Answers the dialog once it is shown; fills in the seen captions.
void AnswerDialog(const QString& typed, bool accept, QString* title, QString* label, int* maxLen) {
    QTimer::singleShot(0, [=] {
        auto* dialog = qobject_cast<QInputDialog*>(QApplication::activeModalWidget());
        ASSERT_NE(dialog, nullptr);
        *title = dialog->windowTitle();
        *label = dialog->labelText();
        auto* edit = dialog->findChild<QLineEdit*>();
        ASSERT_NE(edit, nullptr);
        *maxLen = edit->maxLength();
        EXPECT_TRUE(edit->text().isEmpty());
        edit->setText(typed);
        accept ? dialog->accept() : dialog->reject();
    });
}

// Upper-cased letter by letter, as the lines are, so ß stays one letter and matches.
TEST(TesselWord, DialogAsksForAWordAndUpperCasesItLetterByLetter) {
    QString title, label;
    int maxLen = 0;
    std::u32string word = U"KEPT";
    AnswerDialog(QString::fromUtf8("stra\xc3\x9f"
                                   "e \xc3\xa9t\xc3\xa9"),
                 true, &title, &label, &maxLen);
    ASSERT_TRUE(AskWordByDialog(word));
    EXPECT_EQ(title, "HIGHLIGHT TEXT");
    EXPECT_EQ(label, "WORD>");
    EXPECT_EQ(maxLen, 255);
    EXPECT_EQ(word, U"STRA\u00dfE \u00c9T\u00c9");

    AnswerDialog("x", false, &title, &label, &maxLen);
    EXPECT_FALSE(AskWordByDialog(word));
}

} // namespace
} // namespace glimra::tessel
