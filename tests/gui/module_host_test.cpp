// The procedures modules call back into, and a window's use of its modules, with
// real libraries loaded through the real loader.
#include "fake_window_host.h"
#include "fixture_access.h"
#include "graphics/glimra_button.h"
#include "graphics/glimra_edit.h"
#include "graphics/glimra_popup_menu.h"
#include "gui_test_util.h"
#include "settings/shared_levels.h"
#include "settings_fakes.h"
#include "viewer/glimra_memo.h"
#include "viewer/module_host.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <gtest/gtest.h>

namespace glimra {
namespace {

using namespace glimra::testing;

class ModuleHostTest : public ::testing::Test {
protected:
    TTestFolder Folder;
    TFakeWindowHost Host;
    THostProcs Procs = HostProcedures();

    std::string ManyLines(int count) {
        std::string text;
        for (int i = 0; i < count; ++i)
            text += "line " + std::to_string(i) + "\n";
        return Folder.Write("many.log", text);
    }
};

GlimraDib Dib(std::vector<std::uint8_t>& bytes, int width, int height, int bitCount) {
    int stride = bitCount == 24 ? (width * 3 + 3) / 4 * 4 : (width + 31) / 32 * 4;
    bytes.assign(static_cast<std::size_t>(stride * height), 0);
    return {width, height, bitCount, stride, bytes.data()};
}

} // namespace

TEST_F(ModuleHostTest, WindowStateAsModulesReadIt) {
    auto w = MakeWindow(Host);
    auto other = MakeWindow(Host);
    w->OpenFile(ManyLines(100));
    other->OpenFile(Folder.Write("other.log", "another\n"));
    const int max = w->ScrollMax();
    ASSERT_GT(max, 1);
    // Lines below the scroll maximum; at it and past it, "error.".
    const char* line = Procs.WrapText(w.get(), max - 1);
    EXPECT_STREQ(line, ("line " + std::to_string(max - 1)).c_str());
    // The text stays until the next call for the same window.
    EXPECT_STREQ(Procs.WrapText(other.get(), 0), "error.");
    EXPECT_STREQ(line, ("line " + std::to_string(max - 1)).c_str());
    EXPECT_STREQ(Procs.WrapText(w.get(), max), "error.");
    EXPECT_STREQ(Procs.WrapText(w.get(), -1), "error.");
    w->SetScrollPosition(7);
    std::int32_t lineHeight = 0, top = 0, scrollMax = 0;
    Procs.LinesProperty(w.get(), &lineHeight, &top, &scrollMax);
    EXPECT_EQ(lineHeight, w->LineHeight);
    EXPECT_EQ(top, 7);
    EXPECT_EQ(scrollMax, max);
    std::int32_t left = -1, t = -1, width = -1, height = -1;
    Procs.GlimraRect(w.get(), &left, &t, &width, &height);
    EXPECT_EQ((std::vector<int>{left, t, width, height}),
              (std::vector<int>{w->x(), w->y(), w->width(), w->height()}));
    std::int32_t blend = 0, light = 0;
    Procs.State(&blend, &light);
    EXPECT_EQ(blend, SharedBlendLevel);
    EXPECT_EQ(light, SharedLightLevel);
    EXPECT_EQ(Procs.Background(w.get()), &w->WindowDib());
}

// Lines a module reads while it draws come a block per turn of the store's lock, not
// two turns a line; outside drawing each read sees the store as it is.
TEST_F(ModuleHostTest, LinesReadWhileModulesDrawTakeTheStoresLockOncePerBlock) {
    auto w = MakeWindow(Host);
    const std::string path = ManyLines(300);
    w->OpenFile(path);
    ASSERT_GT(w->ScrollMax(), 150);
    w->DrawingModules = true;
    const long long turns = w->Store.LockTurns();
    for (int i = 20; i < 150; ++i)
        ASSERT_STREQ(Procs.WrapText(w.get(), i), ("line " + std::to_string(i)).c_str());
    EXPECT_LE(w->Store.LockTurns() - turns, 6);
    EXPECT_STREQ(Procs.WrapText(w.get(), 3), "line 3"); // behind the block read
    w->DrawingModules = false;
    Folder.Write("many.log", "rewritten\n" + std::string(600, '\n'));
    w->OpenFile(path);
    EXPECT_STREQ(Procs.WrapText(w.get(), 0), "rewritten");
}

TEST_F(ModuleHostTest, ForgedOwnersAndBrokenBitmapsAreRefused) {
    auto w = MakeWindow(Host);
    w->Redraw();
    std::vector<std::uint8_t> bytes;
    GlimraDib red = Dib(bytes, 2, 2, 24);
    for (int y = 0; y < 2; ++y)
        for (int x = 0; x < 2; ++x)
            bytes[static_cast<std::size_t>(y * red.Stride + x * 3 + 2)] = 255;
    const QColor before = w->WindowBitmap.pixelColor(100, 100);
    int stranger = 0;
    Procs.Blend(&stranger, 100, 100, &red, 1.0, 0, 0);
    GlimraDib noStride = red;
    noStride.Stride = 0;
    Procs.Blend(w.get(), 100, 100, &noStride, 1.0, 0, 0);
    std::vector<std::uint8_t> whiteBytes;
    GlimraDib white = Dib(whiteBytes, 2, 2, 24);
    std::fill(whiteBytes.begin(), whiteBytes.end(), 255);
    Procs.BlendMask(w.get(), 100, 100, &red, &white, 1.0, 0, 0); // a picture is no mask
    Procs.GlimraRedraw(&stranger);
    Procs.EditVisible(&stranger, 1);
    std::int32_t untouched = 42;
    Procs.GlimraRect(nullptr, &untouched, nullptr, nullptr, nullptr);
    EXPECT_EQ(untouched, 42);
    EXPECT_STREQ(Procs.WrapText(&stranger, 0), "error.");
    EXPECT_EQ(Procs.Background(&stranger), nullptr);
    EXPECT_EQ(w->WindowBitmap.pixelColor(100, 100), before);
    EXPECT_TRUE(w->GlimraEdit1->isHidden());
    // The same picture from a real window lands.
    Procs.Blend(w.get(), 100, 100, &red, 1.0, 0, 0);
    EXPECT_EQ(w->WindowBitmap.pixelColor(101, 101), QColor(255, 0, 0));
    // DecBrightness keeps to the bitmap it is given.
    std::vector<std::uint8_t> small;
    GlimraDib grey = Dib(small, 2, 2, 24);
    std::fill(small.begin(), small.end(), 255);
    Procs.DecBrightness(&grey, -50, -50, 50, 50, 2);
    EXPECT_EQ(small[0], 168);
}

TEST_F(ModuleHostTest, TheEditBoxAndTheWindowAnswerTheirModules) {
    auto w = MakeWindow(Host);
    Procs.SetEditText(w.get(), "grep me");
    EXPECT_STREQ(Procs.GetEditText(w.get()), "grep me");
    Procs.EditLocation(w.get(), GLIMRA_EDIT_MOVE, 30, 40);
    EXPECT_EQ(w->GlimraEdit1->pos(), QPoint(30, 40));
    Procs.EditLocation(w.get(), 4, 90, 90); // unknown kind: nothing
    EXPECT_EQ(w->GlimraEdit1->pos(), QPoint(30, 40));
    Procs.EditLocation(w.get(), GLIMRA_EDIT_ALIGN_BOTTOM, 0, 0);
    EXPECT_EQ(w->GlimraEdit1->AlignExtention(), geaBottom);
    Procs.EditVisible(w.get(), 1);
    EXPECT_FALSE(w->GlimraEdit1->isHidden());
    Procs.EnableUpdateThread(w.get(), 1);
    EXPECT_TRUE(w->NeedsUpdates);
    EXPECT_TRUE(w->ExternalUpdates);
}

namespace {

// A window whose host loads real module libraries.
class WindowModulesTest : public ModuleHostTest {
protected:
    TFakePlatform Platform;
    std::unique_ptr<TRegWork> Store = Platform.Make();

    void Load(const std::vector<std::string>& names) {
        Store->ExeDir = FixtureRoot();
        for (const std::string& name : names) {
            TModuleSetupData entry;
            entry.FileName = name + ".SO";
            entry.DiskName = name + ".so";
            Store->ModuleList.push_back(entry);
        }
        Host.ModuleSet.LoadModules(*Store);
    }
};

} // namespace

TEST_F(WindowModulesTest, AModuleThatForgesHandlesCannotHurtTheWindow) {
    Load({"../libforger_module"}); // built beside the fixtures' Module folder
    ASSERT_EQ(Host.ModuleSet.Count(), 1);
    auto w = MakeWindow(Host);
    ASSERT_EQ(w->ModuleInstances.size(), 1u);
    TRap& rap = Host.ModuleSet.Module(0);
    Place(rap, w->ModuleInstances[0], 50, 60, 40, 20);
    // It forges owners and bitmaps and asks for a redraw from inside its drawing,
    // then paints its area through the real window.
    w->Redraw();
    EXPECT_EQ(w->WindowBitmap.pixelColor(60, 70), QColor(255, 0, 255));
}

// A window is drawn for its modules only once it stands at its place and size, and
// is named to them only once it is whole.
TEST_F(WindowModulesTest, ModulesMeetOnlyAWholePlacedWindow) {
    Load({"callsback", "spec258"});
    ASSERT_EQ(Host.ModuleSet.Count(), 2);
    TFixture fixture("spec258");
    auto w = std::make_unique<TForm2>(Host); // ExpCreate calls the host back: no effect
    w->setAttribute(Qt::WA_DeleteOnClose, false);
    w->InitWindow(false);
    w->OpenFile(Folder.Write("placed.log", "x\n"));
    w->Redraw();
    w->setGeometry(100, 100, 480, 350);
    w->ApplySettings(Host.Values);
    w->Redraw();
    const std::string log = fixture.Log();
    const auto draw = log.find("Draw");
    ASSERT_NE(draw, std::string::npos) << log;
    EXPECT_EQ(log.substr(log.find(' ', draw + 5) + 1, 7), "480x350") << log;
}

TEST_F(WindowModulesTest, TheWindowOffersDrawsAndForwardsToItsModules) {
    Load({"spec261", "second261"});
    ASSERT_EQ(Host.ModuleSet.Count(), 2);
    TFixture first("spec261");
    TFixture second("second261");
    auto w = MakeWindow(Host);
    ASSERT_EQ(w->ModuleInstances.size(), 2u);
    // A module that takes the file: the window keeps what it had.
    second.SetParamResult(1);
    std::string path = Folder.Write("taken.log", "x\n");
    w->OpenFile(path);
    EXPECT_TRUE(w->TitlePath.empty());
    EXPECT_NE(second.Log().find("SetParam"), std::string::npos);
    // Drawn in every composition, not during the opening band.
    first.Clear();
    w->Redraw();
    EXPECT_NE(first.Log().find("Draw"), std::string::npos);
    first.Clear();
    w->OpeningActive = true;
    w->Redraw();
    EXPECT_EQ(first.Log().find("Draw"), std::string::npos);
    w->OpeningActive = false;
    // A click inside the second module's area makes it the selected one.
    TRap& rap = Host.ModuleSet.Module(1);
    *rap.GetWidthPtr(w->ModuleInstances[1]) = 40;
    *rap.GetHeightPtr(w->ModuleInstances[1]) = 20;
    w->FormResize();
    QPoint inside(*rap.GetLeftPtr(w->ModuleInstances[1]) + 5,
                  *rap.GetTopPtr(w->ModuleInstances[1]) + 5);
    w->SelectedModule = 0;
    QMouseEvent up(QEvent::MouseButtonRelease, inside, w->mapToGlobal(inside), Qt::LeftButton,
                   Qt::NoButton, Qt::NoModifier);
    QCoreApplication::sendEvent(w.get(), &up);
    EXPECT_EQ(w->SelectedModule, 1);
    EXPECT_NE(second.Log().find("Mouse"), std::string::npos);
    // U moves it up the column; the key reaches both modules.
    EXPECT_EQ(w->ModuleLocations.OrderOf(w->ModuleInstances[1]), 1);
    QKeyEvent u(QEvent::KeyPress, Qt::Key_U, Qt::NoModifier, "u");
    QCoreApplication::sendEvent(w.get(), &u);
    EXPECT_EQ(w->ModuleLocations.OrderOf(w->ModuleInstances[1]), 0);
    EXPECT_NE(first.Log().find("Key"), std::string::npos);
    EXPECT_NE(second.Log().find("Key"), std::string::npos);
    // Freed with the window.
    first.Clear();
    w.reset();
    EXPECT_NE(first.Log().find("ExpFree"), std::string::npos);
}

} // namespace glimra

namespace glimra {

TEST_F(WindowModulesTest, UAndDStopAtTheColumnsEndsAndWorkFromTheMemo) {
    Load({"spec261", "second261"});
    TFixture first("spec261");
    auto w = MakeWindow(Host);
    ASSERT_EQ(w->ModuleInstances.size(), 2u);
    void* top = w->ModuleLocations.Entries()[0].Instance;
    void* bottom = w->ModuleLocations.Entries()[1].Instance;
    auto key = [&](QWidget* to, Qt::Key k, const char* text) {
        QKeyEvent press(QEvent::KeyPress, k, Qt::NoModifier, text);
        QCoreApplication::sendEvent(to, &press);
    };
    auto select = [&](void* instance) {
        w->SelectedModule = instance == w->ModuleInstances[0] ? 0 : 1;
    };
    select(top);
    first.Clear();
    key(w.get(), Qt::Key_U, "u");
    EXPECT_EQ(w->ModuleLocations.OrderOf(top), 0);
    EXPECT_NE(first.Log().find("Key"), std::string::npos) << "U at the top still reaches them";
    select(bottom);
    key(w.get(), Qt::Key_D, "d");
    EXPECT_EQ(w->ModuleLocations.OrderOf(bottom), 1);
    // Typed into the memo view, U moves the module too, and the memo gets the letter.
    key(w.get(), Qt::Key_F2, "");
    ASSERT_TRUE(w->MemoView);
    w->WordWrapper->clear();
    key(w->WordWrapper, Qt::Key_U, "u");
    EXPECT_EQ(w->ModuleLocations.OrderOf(bottom), 0);
    EXPECT_EQ(w->WordWrapper->toPlainText(), "u");
}

TEST_F(WindowModulesTest, TheModuleMenuShowsAndSwitchesEachModule) {
    Load({"spec261", "second261"});
    auto w = MakeWindow(Host);
    ASSERT_EQ(w->ModuleMenu->Items.size(), 2u);
    EXPECT_EQ(w->ModuleMenu->Items[0]->Caption.toStdString(), Host.ModuleSet.GetModuleNameAt(0));
    Host.ModuleSet.SetModuleVisible(1, w->ModuleInstances[1], false);
    emit w->GlimraButton5->Click();
    ASSERT_TRUE(w->ModuleMenu->Shown());
    EXPECT_TRUE(w->ModuleMenu->Items[0]->Checked);
    EXPECT_FALSE(w->ModuleMenu->Items[1]->Checked);
    // A click on the second item shows that module again and closes the menu.
    const TGlimraCPopupMenu& menu = *w->ModuleMenu;
    QPoint at(menu.X + 20, menu.Y + menu.Layout().ItemHeight + 3);
    QMouseEvent press(QEvent::MouseButtonPress, at, w->mapToGlobal(at), Qt::LeftButton,
                      Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(w.get(), &press);
    EXPECT_TRUE(Host.ModuleSet.IsModuleVisible(1, w->ModuleInstances[1]));
    EXPECT_FALSE(w->ModuleMenu->Shown());
}

} // namespace glimra

namespace glimra {

// The key and mouse events of a fixture's log, without the instance: "Key 0 65 1;".
std::string Events(const std::string& log) {
    std::string events;
    std::size_t at = 0;
    for (std::size_t end; (end = log.find(';', at)) != std::string::npos; at = end + 1) {
        const std::string entry = log.substr(at, end - at);
        if (entry.rfind("Key ", 0) == 0 || entry.rfind("Mouse ", 0) == 0) {
            const std::size_t name = entry.find(' '), instance = entry.find(' ', name + 1);
            events += entry.substr(0, name) + entry.substr(instance) + ";";
        }
    }
    return events;
}

// What a module receives for keys and buttons: the interface's kind, virtual-key
// code, button and shift set, whatever the keyboard's shift level or keypad; nothing
// for a button the interface has no value for.
TEST_F(WindowModulesTest, KeysAndButtonsArriveAsTheInterfaceDefinesThem) {
    Load({"spec261"});
    TFixture module("spec261");
    auto w = MakeWindow(Host);
    TRap& rap = Host.ModuleSet.Module(0);
    Place(rap, w->ModuleInstances[0], 10, 40, 40, 20);
    const auto shift = Qt::ShiftModifier, keypad = Qt::KeypadModifier;
    struct TKey {
        int QtKey;
        Qt::KeyboardModifiers Modifiers;
        int Code, Shift;
    };
    for (const TKey& k : std::vector<TKey>{{Qt::Key_A, {}, 'A', 0},
                                           {Qt::Key_Exclam, shift, '1', 1},
                                           {Qt::Key_ParenRight, shift, '0', 1},
                                           {Qt::Key_7, keypad, GLIMRA_VK_NUMPAD0 + 7, 0},
                                           {Qt::Key_Asterisk, keypad, GLIMRA_VK_MULTIPLY, 0},
                                           {Qt::Key_Minus, keypad, GLIMRA_VK_SUBTRACT, 0},
                                           {Qt::Key_Asterisk, shift, '8', 1},
                                           {Qt::Key_Question, shift, GLIMRA_VK_OEM_2, 1},
                                           {Qt::Key_Semicolon, {}, GLIMRA_VK_OEM_1, 0},
                                           {Qt::Key_CapsLock, {}, GLIMRA_VK_CAPITAL, 0},
                                           {Qt::Key_NumLock, {}, GLIMRA_VK_NUMLOCK, 0},
                                           {Qt::Key_Backtab, shift, GLIMRA_VK_TAB, 1},
                                           {Qt::Key_F3, Qt::ControlModifier, 0x72, 4},
                                           {Qt::Key_unknown, {}, 0, 0}}) {
        module.Clear();
        QKeyEvent press(QEvent::KeyPress, k.QtKey, k.Modifiers);
        QKeyEvent release(QEvent::KeyRelease, k.QtKey, k.Modifiers);
        w->FormKeyDown(&press);
        w->FormKeyUp(&release);
        const std::string code = std::to_string(k.Code), bits = std::to_string(k.Shift);
        EXPECT_EQ(Events(module.Log()),
                  "Key 0 " + code + " " + bits + ";Key 1 " + code + " " + bits + ";")
            << "Qt key " << std::hex << k.QtKey;
    }
    struct TButton {
        Qt::MouseButton Button;
        const char* Arrives;
    };
    const QPoint inside(20, 50);
    for (const TButton& b : std::vector<TButton>{{Qt::LeftButton, "Mouse 0 0 8 20 50;"},
                                                 {Qt::RightButton, "Mouse 0 1 16 20 50;"},
                                                 {Qt::MiddleButton, "Mouse 0 2 32 20 50;"},
                                                 {Qt::BackButton, ""},
                                                 {Qt::ForwardButton, ""}}) {
        module.Clear();
        QMouseEvent press(QEvent::MouseButtonPress, inside, w->mapToGlobal(inside), b.Button,
                          b.Button, Qt::NoModifier);
        w->FormMouseDown(&press);
        EXPECT_EQ(Events(module.Log()), b.Arrives) << b.Button;
    }
}

} // namespace glimra
