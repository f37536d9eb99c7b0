#include "app/control_hub.h"
#include "dialogs/setup_dialog.h"
#include "graphics/cdib.h"
#include "graphics/glimra_button.h"
#include "graphics/glimra_popup_menu.h"
#include "graphics/layer.h"
#include "graphics/layer_alpha.h"
#include "gui_test_util.h"
#include "hub_fixture.h"
#include "modules/module_set.h"
#include "platform/folder_dialog.h"
#include "platform/settings_platform.h"
#include "platform/window_opacity.h"
#include "viewer/file_follower.h"
#include "viewer/glimra_memo.h"
#include "viewer/interval_timer.h"
#include "viewer/viewer_window.h"

#include <QCheckBox>
#include <QDesktopServices>
#include <QDir>
#include <QFile>
#include <QKeyEvent>
#include <QListWidget>
#include <QPushButton>
#include <QScrollBar>
#include <QSpinBox>
#include <QToolButton>
#include <QUrl>
#include <QWindow>
#include <gtest/gtest.h>

namespace glimra {
namespace {

inline const char* const LayerQuestion =
    "ウィンドウを全て閉じてレイヤー管理システムを再起動します。";

// Records every URL the desktop is asked to open.
class TOpened : public QObject {
    Q_OBJECT
public:
    QList<QUrl> Urls;
public slots:
    void Open(const QUrl& url) { Urls.push_back(url); }
};

// Message boxes that also run a step of the test while the question is open.
class TWatchingBoxes : public TScriptedMessageBoxes {
public:
    std::function<void()> WhileAsked;
    TMsgResult Show(TMsgKind kind, const std::string& text, TMsgButtons buttons) override {
        if (WhileAsked)
            WhileAsked();
        return TScriptedMessageBoxes::Show(kind, text, buttons);
    }
};

class SetupExchangeTest : public THubFixture<TWatchingBoxes> {
protected:
    TScriptedDialogs Dialogs;
    std::vector<int> Pauses;

    void SetUp() override {
        THubFixture::SetUp();
        SetStandardDialogs(&Dialogs);
    }
    void TearDown() override {
        THubFixture::TearDown();
        SetStandardDialogs(nullptr);
        SetWindowOpacityAvailability(std::nullopt);
    }
    std::unique_ptr<TFourthGlimraControl> MakeHub() {
        auto hub = THubFixture::MakeHub();
        hub->Pause = [this](int ms) { Pauses.push_back(ms); };
        return hub;
    }
    static QRect Bounds(const TForm2* w) { return w->geometry(); }
    // Three fixture modules in the settings folder's Module folder.
    void CopyModules() {
        QDir().mkpath(QString::fromStdString(Folder.Path("Module")));
        for (const char* name : {"spec261", "second261", "spec260"})
            ASSERT_TRUE(QFile::copy(QString(GLIMRA_FIXTURE_ROOT "/Module/") + name + ".so",
                                    QString::fromStdString(Folder.Path("Module/")) + name + ".so"));
    }
    std::string Ini() const { return TTestFolder::Read(Folder.Path("GLIMRA4.INI")); }
};

TEST_F(SetupExchangeTest, EveryControlShowsItsSettingAndUpdateWritesItBack) {
    auto hub = MakeHub();
    TRegIniRec& s = hub->Settings();
    s.Font = {"ＭＳ Ｐゴシック", clYellow, 11};
    s.Retry = 7;
    s.WaitTime = 1234;
    s.WordWrap = false;
    s.CaptureWait = 300;
    s.LightLevel = 0; // shown as 1
    s.GWatch = false;
    s.ActiveColor = 0x00010203;
    s.DeActiveColor = SystemColorBase + 5; // a system colour survives the round trip
    s.ActiveMenuColor = clNavy;
    s.DeActiveMenuColor = clTeal;
    s.FileColor = clMaroon;
    s.ScrollWait = 44;
    s.Opening = false;
    s.ThreadPriority = 3;
    s.AV_R = 10;
    s.AV_G = 20;
    s.AV_B = 30;
    s.AV_REVERSE = true;
    hub->ShowSetup();
    TForm3& f = *hub->SetupDialog();
    EXPECT_TRUE(f.isVisible());
    EXPECT_EQ(f.Panel1->font().family().toStdString(), "ＭＳ Ｐゴシック");
    EXPECT_EQ(f.Panel1->font().pointSize(), 11);
    EXPECT_EQ(f.Panel1Color(), QColor(255, 255, 0));
    EXPECT_EQ(f.eRetry->value(), 7);
    EXPECT_EQ(f.eWait->value(), 1234);
    EXPECT_FALSE(f.CheckBox1->isChecked());
    EXPECT_EQ(f.eCapture->value(), 300);
    EXPECT_EQ(f.eLevel->value(), 1);
    EXPECT_FALSE(f.CheckBox2->isChecked());
    EXPECT_FALSE(f.eLayer->isChecked());
    EXPECT_EQ(f.eActiveTitle->Color(), 0x00010203u);
    EXPECT_EQ(f.eTitle->Color(), SystemColorBase + 5);
    EXPECT_EQ(f.eFile->Color(), clMaroon);
    EXPECT_EQ(f.eScrollWait->value(), 44);
    EXPECT_FALSE(f.Opening->isChecked());
    EXPECT_EQ(f.DrawThreadIndex(), 3);
    EXPECT_EQ(f.ScrollBar1->value(), 10);
    EXPECT_EQ(f.ScrollBar3->value(), 30);
    EXPECT_TRUE(f.REVERSE->isChecked());
    EXPECT_EQ(f.Panel3->Color(), 0x00E1EBF5u);

    // Back: untouched controls give the same settings (LightLevel as shown).
    TRegIniRec before = s;
    hub->ApplySetup();
    before.LightLevel = 1;
    EXPECT_EQ(s, before);

    // Every control changed once.
    f.eRetry->setValue(3);
    f.eWait->setValue(900);
    f.CheckBox1->setChecked(true);
    f.eCapture->setValue(0);
    f.eLevel->setValue(9);
    f.CheckBox2->setChecked(true);
    f.eActiveTitle->SetColor(clRed);
    f.eTitle->SetColor(clBlue);
    f.eActiveMenu->SetColor(clLime);
    f.eMenu->SetColor(clPurple);
    f.eFile->SetColor(clOlive);
    f.eScrollWait->setValue(5);
    f.Opening->setChecked(true);
    f.SetDrawThreadIndex(4);
    f.ScrollBar1->setValue(1);
    f.ScrollBar2->setValue(2);
    f.ScrollBar3->setValue(3);
    f.REVERSE->setChecked(false);
    QFont chosen("DejaVu Serif");
    chosen.setPointSize(14);
    Dialogs.Fonts = {TFontChoice{chosen, QColor(255, 0, 0)}};
    hub->ChooseFont();
    EXPECT_EQ(Dialogs.FontStarts.back().Font.family().toStdString(), "ＭＳ Ｐゴシック");
    EXPECT_EQ(Dialogs.FontStarts.back().Color, QColor(255, 255, 0));
    hub->ApplySetup();
    EXPECT_EQ(s.Font, (TFontData{"DejaVu Serif", clRed, 14}));
    EXPECT_EQ(s.Retry, 3);
    EXPECT_EQ(s.WaitTime, 900);
    EXPECT_TRUE(s.WordWrap);
    EXPECT_EQ(s.CaptureWait, 0);
    EXPECT_EQ(s.LightLevel, 9);
    EXPECT_TRUE(s.GWatch);
    EXPECT_EQ(s.ActiveColor, clRed);
    EXPECT_EQ(s.DeActiveColor, clBlue);
    EXPECT_EQ(s.ActiveMenuColor, clLime);
    EXPECT_EQ(s.DeActiveMenuColor, clPurple);
    EXPECT_EQ(s.FileColor, clOlive);
    EXPECT_EQ(s.ScrollWait, 5);
    EXPECT_TRUE(s.Opening);
    EXPECT_EQ(s.ThreadPriority, 4);
    EXPECT_EQ((std::array{s.AV_R, s.AV_G, s.AV_B}), (std::array{1, 2, 3}));
    EXPECT_FALSE(s.AV_REVERSE);
    // Applied: the hub's tints and the window's timer and buttons.
    EXPECT_EQ(hub->AvB, 3);
    TForm2* w = hub->WindowList()[0];
    EXPECT_EQ(w->Follower->NotifyTimer->Interval(), 900);
    EXPECT_TRUE(Boxes.Asked.empty());
    // A cancelled font dialog keeps the font.
    hub->ChooseFont();
    EXPECT_EQ(f.Panel1->font().family().toStdString(), "DejaVu Serif");
}

// UPDATE reaches every window, whichever is active, with the resets of applying.
TEST_F(SetupExchangeTest, UpdateAppliesToEveryWindow) {
    auto hub = MakeHub();
    hub->NewWindow();
    std::string log;
    for (int i = 0; i < 200; ++i)
        log += "line " + std::to_string(i) + "\n";
    const std::string path = Folder.Write("a.log", log);
    for (const auto& w : hub->WindowList()) {
        w->OpenFile(path);
        ASSERT_TRUE(WaitFor([&] { return w->ScrollMax() > 10; }));
        w->SetScrollPosition(10);
        w->AutoTopLine = 3;
    }
    hub->ShowSetup();
    TForm3& f = *hub->SetupDialog();
    f.SetPanel1Font(QFont("DejaVu Serif", 14), QColor(255, 0, 0));
    f.eWait->setValue(900);
    f.eRetry->setValue(4);
    f.CheckBox1->setChecked(!hub->Settings().WordWrap);
    f.CheckBox2->setChecked(!hub->Settings().GWatch);
    f.eMenu->SetColor(clPurple);
    f.SetRules({{"line 1", clLime, true}});
    hub->ApplySetup();
    EXPECT_EQ(hub->Settings().Rules, (std::vector<TColorRule>{{"line 1", clLime, true}}));
    for (const auto& w : hub->WindowList()) {
        SCOPED_TRACE(w == ActiveWindow ? "active" : "other");
        EXPECT_EQ(w->font().family(), "DejaVu Serif");
        EXPECT_EQ(w->TextColor, QColor(255, 0, 0));
        EXPECT_EQ(w->Follower->NotifyTimer->Interval(), 900);
        EXPECT_EQ(w->Follower->Retry.MaxRetry, 4);
        EXPECT_EQ(w->WordWrapper->lineWrapMode() != QPlainTextEdit::NoWrap,
                  hub->Settings().WordWrap);
        EXPECT_EQ(w->Energy->Enabled(), hub->Settings().GWatch);
        EXPECT_EQ(w->GlimraButton1->FontColor(), clPurple);
        EXPECT_EQ(w->ScrollPosition(), 0);
        EXPECT_EQ(w->AutoTopLine, 0);
        EXPECT_EQ(w->LineRules.Set()->Rules(), hub->Settings().Rules);
    }
}

TEST_F(SetupExchangeTest, AbortOnTheLayerQuestionKeepsTheWindowsAndAppliesTheRest) {
    auto hub = MakeHub();
    TForm2* first = hub->WindowList()[0];
    hub->ShowSetup();
    TForm3& f = *hub->SetupDialog();
    f.eLayer->setChecked(true);
    f.eRetry->setValue(4);
    Boxes.Answers = {TMsgResult::Abort};
    hub->ApplySetup();
    EXPECT_EQ(Boxes.Asked, std::vector<std::string>{LayerQuestion});
    EXPECT_FALSE(f.eLayer->isChecked());
    EXPECT_FALSE(hub->Settings().LayerWin);
    EXPECT_EQ(hub->Settings().Retry, 4);
    EXPECT_EQ(hub->WindowList()[0].data(), first);
    EXPECT_TRUE(Pauses.empty());
}

TEST_F(SetupExchangeTest, YesRebuildsEveryWindowAtItsPlaceWithItsFileAndLayered) {
    SetWindowOpacityAvailability(true);
    std::vector<std::string> paths = {Folder.Write("a.log", "a\n"), Folder.Write("b.log", "b\n"),
                                      ""};
    auto hub = MakeHub();
    hub->NewWindow();
    hub->NewWindow();
    std::vector<QRect> bounds;
    std::vector<QPointer<TForm2>> old;
    for (int i = 0; i < 3; ++i) {
        TForm2* w = hub->WindowList()[i];
        w->setGeometry(100 + 30 * i, 80 + 10 * i, 300 + i, 200 + i);
        if (!paths[i].empty())
            w->OpenFile(paths[i]);
        bounds.push_back(Bounds(w));
        old.push_back(w);
    }
    hub->ShowSetup();
    TForm3& f = *hub->SetupDialog();
    f.eLayer->setChecked(true);
    std::vector<std::string> statusAtPause;
    bool statusFits = true;
    hub->Pause = [&](int ms) {
        Pauses.push_back(ms);
        statusAtPause.push_back(f.eStatus->text().toStdString());
        statusFits = statusFits && f.eStatus->width() >= f.eStatus->sizeHint().width();
    };
    hub->ApplySetup();
    EXPECT_EQ(Pauses, (std::vector<int>{1000, 1000}));
    EXPECT_EQ(statusAtPause, (std::vector<std::string>{"-", "LayerClass再構築中.."}));
    EXPECT_EQ(f.eStatus->text(), "-");
    EXPECT_TRUE(statusFits); // the whole status shows, not the width of "-"
    EXPECT_TRUE(hub->Settings().LayerWin);
    EXPECT_TRUE(f.eLayer->isChecked());
    ASSERT_EQ(hub->WindowCount(), 3);
    for (int i = 0; i < 3; ++i) {
        SCOPED_TRACE(i);
        TForm2* w = hub->WindowList()[i];
        EXPECT_TRUE(old[i].isNull()); // freed and made anew
        EXPECT_EQ(Bounds(w), bounds[i]);
        EXPECT_EQ(w->TitlePath, paths[i]);
        EXPECT_TRUE(w->isVisible());
        EXPECT_TRUE(w->Layered());
        EXPECT_DOUBLE_EQ(w->windowOpacity(), 127 / 255.0);
        EXPECT_FALSE(w->GlimraButton4->isEnabled()); // no lens over a layered window
    }
    EXPECT_EQ(ActiveWindow.data(), hub->WindowList()[0].data());
    // The compositor blends: the surface stays black.
    const TCdib* surface = hub->Surface();
    EXPECT_EQ(QImage(surface->Picture()).convertToFormat(QImage::Format_RGB32).pixel(5, 5),
              qRgb(0, 0, 0));

    // And back: plain windows again, opaque.
    f.eLayer->setChecked(false);
    hub->ApplySetup();
    for (const auto& w : hub->WindowList()) {
        EXPECT_FALSE(w->Layer);
        EXPECT_DOUBLE_EQ(w->windowOpacity(), 1.0);
        EXPECT_TRUE(w->GlimraButton4->isEnabled());
    }
}

TEST_F(SetupExchangeTest, LayeredWindowsLeaveTheBlendingToTheCompositor) {
    SetWindowOpacityAvailability(true);
    auto hub = MakeHub();
    hub->Settings().LayerWin = true;
    hub->Settings().Opening = false;
    TForm2* back = hub->NewWindow();
    TForm2* front = hub->NewWindow();
    back->setGeometry(100, 100, 300, 200);
    front->setGeometry(150, 150, 300, 200);
    back->WindowBitmap.fill(Qt::white);
    ActiveWindow = front;
    // Activation neither hides the windows nor waits for a capture: the surface goes black.
    hub->Captured = true;
    back->hide();
    hub->AppActivate();
    EXPECT_TRUE(back->isVisible());
    back->WindowBitmap.fill(Qt::white);
    front->Redraw();
    // Where the white back window lies under the front one, nothing of it is drawn.
    EXPECT_EQ(front->WindowBitmap.pixelColor(100, 100), QColor(Qt::black));
}

// Counts the times a widget was hidden.
class THideCounter : public QObject {
public:
    int Hides = 0;
    bool eventFilter(QObject*, QEvent* event) override {
        Hides += event->type() == QEvent::Hide;
        return false;
    }
};

TEST_F(SetupExchangeTest, RefreshKeepsTheDialogOutOfTheCapture) {
    auto hub = MakeHub();
    TForm3& f = *hub->SetupDialog();
    THideCounter counter;
    f.installEventFilter(&counter);
    hub->ShowSetup();
    f.Button3->click(); // refresh
    EXPECT_EQ(counter.Hides, 1);
    EXPECT_TRUE(f.isVisible());
    EXPECT_TRUE(hub->Captured);
    f.Button5->click(); // CLOSE
    hub->RefreshBackground();
    EXPECT_TRUE(f.isHidden());
}

TEST_F(SetupExchangeTest, WithoutACompositorTheLayerIsReportedAndSwitchedOff) {
    SetWindowOpacityAvailability(false);
    auto hub = MakeHub();
    hub->ShowSetup();
    TForm3& f = *hub->SetupDialog();
    f.eLayer->setChecked(true);
    hub->ApplySetup();
    EXPECT_EQ(Boxes.Asked, (std::vector<std::string>{LayerQuestion,
                                                     "このＯＳはレイヤー機能に対応していません"}));
    EXPECT_FALSE(hub->Settings().LayerWin);
    EXPECT_FALSE(f.eLayer->isChecked());
    TForm2* w = hub->WindowList()[0];
    EXPECT_FALSE(w->Layered());
    EXPECT_DOUBLE_EQ(w->windowOpacity(), 1.0);
}

TEST_F(SetupExchangeTest, ALayeredWindowStaysTranslucentWhenItsPlatformWindowIsMadeAnew) {
    SetWindowOpacityAvailability(true);
    auto hub = MakeHub();
    hub->Settings().LayerWin = true;
    TForm2* w = hub->NewWindow();
    ASSERT_TRUE(w->Layered());
    ASSERT_NE(w->windowHandle(), nullptr);
    hub->Settings().StayOnTop = true;
    hub->ApplySettings(w);
    ASSERT_TRUE(w->windowFlags().testFlag(Qt::WindowStaysOnTopHint));
    ASSERT_NE(w->windowHandle(), nullptr);
    EXPECT_DOUBLE_EQ(w->windowHandle()->opacity(), 127 / 255.0);
}

TEST_F(SetupExchangeTest, ReloadAllLeavesOneWindowWithTheModulesInTheNewOrder) {
    CopyModules();
    auto hub = MakeHub();
    ASSERT_EQ(hub->Modules().Count(), 3);
    hub->NewWindow();
    hub->ShowSetup();
    TForm3& f = *hub->SetupDialog();
    ASSERT_EQ(f.ModuleLines(),
              (std::vector<TCheckLine>{
                  {"SECOND261.SO", true}, {"SPEC260.SO", true}, {"SPEC261.SO", true}}));
    f.SelectLine(2);
    f.SpeedButton1->click();
    f.SpeedButton1->click();                                // SPEC261 first
    f.CheckListBox1->item(2)->setCheckState(Qt::Unchecked); // SPEC260 off
    Boxes.Answers = {TMsgResult::Yes};
    f.Button8->click();
    EXPECT_EQ(Pauses, std::vector<int>{1000});
    ASSERT_EQ(hub->WindowCount(), 1);
    ASSERT_EQ(hub->Modules().Count(), 2);
    EXPECT_EQ(hub->Modules().GetModuleNameAt(0), "spec261");
    EXPECT_EQ(hub->Modules().GetModuleNameAt(1), "second261");
    TForm2* w = hub->WindowList()[0];
    EXPECT_EQ(w->ModuleInstances.size(), 2u);
    // The switched-off module keeps its entry, and the store wrote the new order.
    const auto& entries = hub->Store()->ModuleList;
    ASSERT_EQ(entries.size(), 3u);
    EXPECT_EQ(entries[2].FileName, "SPEC260.SO");
    EXPECT_FALSE(entries[2].Enabled);
    EXPECT_NE(TTestFolder::Read(Folder.Path("GLIMRA4.INI")).find("SPEC261.SO= 0,TRUE,"),
              std::string::npos);
}

TEST_F(SetupExchangeTest, AbortOnTheModuleQuestionStoresTheOrderForTheNextStart) {
    CopyModules();
    auto hub = MakeHub();
    TForm2* w = hub->WindowList()[0];
    hub->ShowSetup();
    TForm3& f = *hub->SetupDialog();
    f.SelectLine(2);
    f.SpeedButton1->click();
    f.SpeedButton1->click();                                // SPEC261 first
    f.CheckListBox1->item(2)->setCheckState(Qt::Unchecked); // SPEC260 off
    Boxes.Answers = {TMsgResult::Abort};
    f.Button8->click();
    // Nothing restarts: the same window, the modules as loaded.
    EXPECT_EQ(hub->WindowList()[0].data(), w);
    EXPECT_TRUE(Pauses.empty());
    EXPECT_EQ(hub->Modules().GetModuleNameAt(0), "second261");
    EXPECT_EQ(w->ModuleInstances.size(), 3u);
    hub.reset();
    const std::string ini = Ini();
    EXPECT_NE(ini.find("SPEC261.SO= 0,TRUE,"), std::string::npos) << ini;
    EXPECT_NE(ini.find("SECOND261.SO= 1,TRUE,"), std::string::npos) << ini;
    EXPECT_NE(ini.find("SPEC260.SO= 2,FALSE,"), std::string::npos) << ini;
}

// The place a module was moved to in the column is where the next window puts it.
TEST_F(SetupExchangeTest, ClosingAWindowStoresItsModuleColumn) {
    CopyModules();
    auto hub = MakeHub();
    TForm2* w = hub->WindowList()[0];
    ASSERT_EQ(hub->Modules().GetModuleNameAt(0), "second261");
    w->SelectedModule = 0;
    QKeyEvent down(QEvent::KeyPress, Qt::Key_D, Qt::NoModifier, "d");
    w->FormKeyDown(&down);
    w->close();
    EXPECT_EQ(hub->Store()->GetModuleLocation("second261"), 1);
    EXPECT_EQ(hub->Store()->GetModuleLocation("spec260"), 0);
    EXPECT_EQ(hub->Store()->GetModuleLocation("spec261"), 2);
    hub.reset();
    EXPECT_NE(Ini().find("SECOND261.SO= 0,TRUE,1"), std::string::npos) << Ini();
}

TEST_F(SetupExchangeTest, TheFileMenusSetupStopsTheTickerAndShowsTheDialog) {
    auto hub = MakeHub();
    TForm2* w = hub->WindowList()[0];
    w->GlimraButton3Click(); // Auto on
    ASSERT_TRUE(w->AutoMode);
    emit w->GlimraButton1->Click();
    ASSERT_TRUE(w->FileMenu->Shown());
    w->FileMenu->ItemIndex = 6;
    w->FileMenu->Items[6]->OnClick(*w->FileMenu); // "Setup."
    EXPECT_FALSE(w->AutoMode);
    EXPECT_FALSE(w->MenuShows());
    ASSERT_NE(hub->SetupDialog(), nullptr);
    EXPECT_TRUE(hub->SetupDialog()->isVisible());
}

TEST_F(SetupExchangeTest, VersionCheckSparklesWhileAskingAndOpensTheManualsVersionSection) {
    auto hub = MakeHub();
    TForm2* w = hub->WindowList()[0];
    ActiveWindow = w;
    w->Light.Channel = 2;
    bool sparkled = false;
    Boxes.WhileAsked = [&] {
        sparkled = w->DemoTimer->Enabled();
        WaitFor([&] { return w->Light.GetBandHeight() == 4; }, 1000); // a tick ran
    };
    TOpened opened;
    QDesktopServices::setUrlHandler("file", &opened, "Open");
    Boxes.Answers = {TMsgResult::Abort};
    hub->OpenProductPage();
    EXPECT_TRUE(sparkled);
    EXPECT_FALSE(w->DemoTimer->Enabled());
    EXPECT_EQ(w->Light.Channel, 2);
    EXPECT_EQ(w->Light.GetTop(), 2);
    EXPECT_EQ(w->Light.GetBandWidth(), 40);
    EXPECT_EQ(w->Light.GetBandHeight(), 13);
    EXPECT_EQ(w->Light.StepUp, 10);
    EXPECT_EQ(w->Light.StepDown, -15);
    EXPECT_TRUE(opened.Urls.empty());

    Boxes.WhileAsked = nullptr;
    Boxes.Answers = {TMsgResult::Yes};
    hub->OpenProductPage(); // no manual yet
    EXPECT_TRUE(opened.Urls.empty());
    EXPECT_NE(Boxes.Asked.back().find("GLIMRA.html"), std::string::npos) << Boxes.Asked.back();

    std::string manual = Folder.Write("GLIMRA.html", "<h1 id=\"version\">4</h1>");
    Boxes.Answers = {TMsgResult::Yes};
    hub->OpenProductPage();
    QDesktopServices::unsetUrlHandler("file");
    QUrl expected = QUrl::fromLocalFile(QString::fromStdString(manual));
    expected.setFragment("version");
    EXPECT_EQ(opened.Urls, QList<QUrl>{expected});
    EXPECT_EQ(Boxes.Asked.back(), "インターネットに接続し最新版の情報を表示します。");
}

TEST(LayerTest, OpacityOnlyWhenAvailableAndNeverBelowTheMinimum) {
    QWidget form;
    // The offscreen platform shows no window opacity.
    EXPECT_FALSE(WindowOpacityAvailable());
    TLayer plain(form);
    EXPECT_FALSE(plain.IsAvailable());
    plain.SetAttributes(0, 127, LayerAlpha);
    EXPECT_DOUBLE_EQ(form.windowOpacity(), 1.0);

    SetWindowOpacityAvailability(true);
    TLayer layer(form);
    SetWindowOpacityAvailability(std::nullopt);
    EXPECT_TRUE(layer.IsAvailable());
    layer.SetAttributes(0, 5, LayerAlpha);
    EXPECT_DOUBLE_EQ(form.windowOpacity(), 20 / 255.0);
    layer.Release();
    EXPECT_FALSE(layer.IsAvailable());
    layer.SetAttributes(0, 200, LayerAlpha); // released: nothing changes
    EXPECT_DOUBLE_EQ(form.windowOpacity(), 20 / 255.0);
}

} // namespace
} // namespace glimra

#include "setup_exchange_test.moc"
