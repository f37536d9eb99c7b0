#include "app/control_hub.h"
#include "dialogs/setup_dialog.h"
#include "dialogs/setup_host.h"
#include "graphics/cdib.h"
#include "graphics/glimra_button.h"
#include "gui_test_util.h"
#include "modules/module_set.h"
#include "platform/folder_dialog.h"
#include "platform/settings_platform.h"
#include "platform/window_opacity.h"
#include "viewer/interval_timer.h"
#include "viewer/viewer_window.h"

#include <QCheckBox>
#include <QDesktopServices>
#include <QFontInfo>
#include <QGroupBox>
#include <QListWidget>
#include <QPushButton>
#include <QScrollBar>
#include <QSpinBox>
#include <QTabWidget>
#include <QTableWidget>
#include <QTest>
#include <QToolButton>
#include <QWindow>
#include <gtest/gtest.h>

namespace glimra {
namespace {

// The dialog on its own: records what it asks of the control window.
class TRecordingSetupHost : public TSetupHost {
public:
    std::vector<std::string> Calls;
    void RefreshBackground() override { Calls.push_back("refresh"); }
    void CentreActiveWindow() override { Calls.push_back("center"); }
    void ShowHiddenWindows() override { Calls.push_back("show"); }
    void HideAllWindows() override { Calls.push_back("hide"); }
    void OpenProductPage() override { Calls.push_back("version"); }
    void ApplySetup() override { Calls.push_back("apply"); }
    void ApplyModuleList() override { Calls.push_back("modules"); }
    void ReloadAll() override { Calls.push_back("reload"); }
    void ChooseFont() override { Calls.push_back("font"); }
    void Pause(int ms) override { Calls.push_back("pause " + std::to_string(ms)); }
};

class SetupDialogTest : public ::testing::Test {
protected:
    TRecordingSetupHost Host;
    TScriptedMessageBoxes Boxes;
    TScriptedDialogs Dialogs;
    TForm3 Form{Host};

    void SetUp() override {
        SetMessageBoxes(&Boxes);
        SetStandardDialogs(&Dialogs);
    }
    void TearDown() override {
        SetMessageBoxes(nullptr);
        SetStandardDialogs(nullptr);
    }
};

std::string Text(const QWidget* w) {
    if (auto* b = qobject_cast<const QAbstractButton*>(w))
        return b->text().toStdString();
    if (auto* l = qobject_cast<const QLabel*>(w))
        return l->text().toStdString();
    if (auto* g = qobject_cast<const QGroupBox*>(w))
        return g->title().toStdString();
    return {};
}

TEST_F(SetupDialogTest, LayoutCaptionsAndPlacesAsDesigned) {
    EXPECT_EQ(Form.windowTitle(), "Glimra Setup");
    EXPECT_EQ(Form.size(), QSize(501, 373));
    EXPECT_EQ(Form.minimumSize(), Form.maximumSize());
    EXPECT_TRUE(Form.windowFlags().testFlag(Qt::WindowStaysOnTopHint));
    EXPECT_EQ(Form.font().family().toStdString(), "ＭＳ Ｐゴシック");
    EXPECT_EQ(Form.font().pixelSize(), 12);
    // Drawn with an installed Japanese font in its place.
    EXPECT_TRUE(QFontInfo(Form.font()).family().startsWith("IPA"))
        << QFontInfo(Form.font()).family().toStdString();

    struct {
        QWidget* Control;
        const char* Caption;
        QRect Place; // an empty size: only the position is given
    } expected[] = {
        {Form.Button7, "Version check", {8, 4, 481, 25}},
        {Form.PageControl1, "", {0, 33, 501, 309}},
        {Form.eStatus, "-", {4, 352, 0, 0}},
        {Form.UPDATE, "UPDATE", {332, 348, 75, 21}},
        {Form.Button5, "CLOSE", {416, 348, 75, 21}},
        {Form.Button3, "refresh", {8, 8, 0, 0}},
        {Form.Button2, "center", {88, 8, 0, 0}},
        {Form.Button1, "show", {8, 32, 0, 0}},
        {Form.Button4, "hide", {88, 32, 0, 0}},
        {Form.Opening, "Opening", {8, 56, 0, 0}},
        {Form.DrawThread, "再描画の優先度", {168, 4, 105, 73}},
        {Form.GroupBox1, "ファイルの更新検出の設定", {8, 80, 265, 73}},
        {Form.GroupBox2, "表示の設定", {280, 4, 201, 149}},
        {Form.CheckBox1, "Word-Wrap", {}},
        {Form.eLayer, "use W2K Layer", {}},
        {Form.eActiveTitle, "", {8, 12, 13, 13}},
        {Form.eTitle, "", {8, 28, 13, 13}},
        {Form.eActiveMenu, "", {8, 44, 13, 13}},
        {Form.eMenu, "", {8, 60, 13, 13}},
        {Form.eFile, "", {8, 76, 13, 13}},
        {Form.Panel1, "Font", {64, 112, 169, 33}},
        {Form.REVERSE, "加算", {8, 184, 0, 0}},
        {Form.ScrollBar1, "", {32, 208, 273, 0}},
        {Form.ScrollBar2, "", {32, 232, 273, 0}},
        {Form.ScrollBar3, "", {32, 256, 273, 0}},
        {Form.Panel3, "ウィンドウカラー演算結果", {336, 208, 145, 65}},
        {Form.CheckBox2, "定時・再描画スレッド", {8, 12, 0, 0}},
        {Form.CheckListBox1, "", {8, 88, 473, 161}},
        {Form.SpeedButton1, "上へ", {8, 256, 0, 0}},
        {Form.SpeedButton2, "下へ", {88, 256, 0, 0}},
        {Form.Button8, "UPDATE", {328, 257, 0, 0}},
    };
    for (const auto& e : expected) {
        SCOPED_TRACE(e.Control->objectName().toStdString() + " " + e.Caption);
        EXPECT_EQ(Text(e.Control), e.Caption);
        if (e.Place.isNull())
            continue;
        EXPECT_EQ(e.Control->pos(), e.Place.topLeft());
        if (e.Place.width() > 0) {
            EXPECT_EQ(e.Control->width(), e.Place.width());
        }
        if (e.Place.height() > 0) {
            EXPECT_EQ(e.Control->height(), e.Place.height());
        }
    }
    ASSERT_EQ(Form.PageControl1->count(), 4);
    EXPECT_EQ(Form.PageControl1->tabText(0), "System");
    EXPECT_EQ(Form.PageControl1->tabText(1), "Color");
    EXPECT_EQ(Form.PageControl1->tabText(2), "Modules");
    EXPECT_EQ(Form.PageControl1->tabText(3), "Rules");
    EXPECT_EQ(Form.PageControl1->currentWidget(), Form.TabSheet1);
    std::vector<std::string> items;
    for (QAbstractButton* item : Form.DrawThread->findChildren<QAbstractButton*>())
        items.push_back(item->text().toStdString());
    EXPECT_EQ(items, (std::vector<std::string>{"Idle", "Lowest", "Lower", "Normal", "Higher"}));
    EXPECT_EQ(Form.DrawThreadIndex(), 0);
}

TEST_F(SetupDialogTest, SpinEditsKeepToTheirLimits) {
    Form.eLevel->setValue(0);
    EXPECT_EQ(Form.eLevel->value(), 1);
    Form.eLevel->setValue(11);
    EXPECT_EQ(Form.eLevel->value(), 10);
    Form.eScrollWait->setValue(-1);
    EXPECT_EQ(Form.eScrollWait->value(), 0);
    Form.eScrollWait->setValue(1001);
    EXPECT_EQ(Form.eScrollWait->value(), 1000);
    // The others take any value.
    Form.eRetry->setValue(-5);
    Form.eWait->setValue(2000000000);
    EXPECT_EQ(Form.eRetry->value(), -5);
    EXPECT_EQ(Form.eWait->value(), 2000000000);
}

TEST_F(SetupDialogTest, PreviewFollowsTheScrollBarsButNotReverse) {
    auto preview = [&] { return Form.Panel3->Color(); };
    EXPECT_EQ(preview(), clWhite);
    Form.ScrollBar1->setValue(255);
    EXPECT_EQ(preview(), clAqua);
    EXPECT_EQ(Form.LR->text(), "255");
    Form.ScrollBar2->setValue(255);
    Form.ScrollBar3->setValue(255);
    EXPECT_EQ(preview(), clBlack);
    EXPECT_EQ(Form.LB->text(), "255");
    Form.ScrollBar2->setValue(16);
    Form.REVERSE->click();
    EXPECT_TRUE(Form.REVERSE->isChecked());
    EXPECT_EQ(preview(), 0x0000EF00u);
    EXPECT_EQ(Form.Panel3->palette().color(QPalette::Window), QColor(0, 239, 0));
}

TEST_F(SetupDialogTest, SwatchesTakeTheChosenColourAndKeepTheirsOnCancel) {
    Form.eMenu->SetColor(clLime);
    Dialogs.Colors = {QColor(1, 2, 3), std::nullopt};
    QTest::mouseClick(Form.eMenu, Qt::LeftButton);
    EXPECT_EQ(Dialogs.ColorStarts.back(), QColor(0, 255, 0));
    EXPECT_EQ(Form.eMenu->Color(), 0x00030201u);
    QTest::mouseClick(Form.eMenu, Qt::LeftButton);
    EXPECT_EQ(Form.eMenu->Color(), 0x00030201u);
    EXPECT_TRUE(Host.Calls.empty());
}

TEST_F(SetupDialogTest, ButtonsGoToTheControlWindowAndCloseOnlyHides) {
    Form.show();
    for (QPushButton* b :
         {Form.Button3, Form.Button2, Form.Button1, Form.Button4, Form.Button7, Form.UPDATE})
        b->click();
    QTest::mouseClick(Form.Panel1, Qt::LeftButton);
    EXPECT_EQ(Host.Calls, (std::vector<std::string>{"refresh", "center", "show", "hide", "version",
                                                    "apply", "font"}));
    Host.Calls.clear();
    Form.Button5->click();
    EXPECT_EQ(Host.Calls, std::vector<std::string>{"show"});
    EXPECT_TRUE(Form.isHidden());
    Form.show();
    Form.close();
    EXPECT_TRUE(Form.isHidden());
}

TEST_F(SetupDialogTest, TheBottomUpdateIsOffOnTheModulesPage) {
    Form.PageControl1->setCurrentWidget(Form.TabSheet2);
    EXPECT_FALSE(Form.UPDATE->isEnabled());
    Form.PageControl1->setCurrentWidget(Form.TabSheet3);
    EXPECT_TRUE(Form.UPDATE->isEnabled());
}

TEST_F(SetupDialogTest, UpAndDownReorderTheModuleList) {
    Form.SetModuleLines({{"A.SO", false}, {"B.SO", true}, {"C.SO", true}});
    Form.SpeedButton1->click(); // nothing selected
    Form.SpeedButton2->click();
    EXPECT_EQ(Form.ModuleLines()[0], (TCheckLine{"A.SO", false}));
    Form.SelectLine(1);
    Form.SpeedButton1->click();
    EXPECT_EQ(Form.ModuleLines(),
              (std::vector<TCheckLine>{{"B.SO", true}, {"A.SO", false}, {"C.SO", true}}));
    EXPECT_EQ(Form.SelectedLine(), 0);
    EXPECT_EQ(Form.CheckListBox1->item(0)->checkState(), Qt::Checked);
    Form.SpeedButton1->click(); // the first line stays
    EXPECT_EQ(Form.SelectedLine(), 0);
    Form.SelectLine(2);
    Form.SpeedButton2->click(); // the last line stays
    EXPECT_EQ(Form.ModuleLines()[2], (TCheckLine{"C.SO", true}));
    EXPECT_EQ(Form.SelectedLine(), 2);
}

TEST_F(SetupDialogTest, ModuleUpdateStoresTheListAndRestartsOnlyOnYes) {
    Boxes.Answers = {TMsgResult::Abort, TMsgResult::Yes};
    Form.Button8->click();
    EXPECT_EQ(Host.Calls, std::vector<std::string>{"modules"});
    EXPECT_EQ(Boxes.Asked.back(), "ウィンドウを全て閉じてモジュール管理システムを再起動します。");
    Host.Calls.clear();
    Form.Button8->click();
    EXPECT_EQ(Host.Calls, (std::vector<std::string>{"modules", "pause 1000", "reload"}));
}

} // namespace
} // namespace glimra

namespace glimra {
namespace {

// The rules page edits rows of pattern, colour and alert, names a bad expression by its
// rule number, and UPDATE there applies like on the first two pages.
TEST_F(SetupDialogTest, RulesPageEditsReordersAndNamesBadExpressions) {
    Form.SetRules({{"ERROR", clRed, true}, {"re:(x", clYellow, false}, {"WARN", clLime, false}});
    EXPECT_TRUE(Form.RuleProblems->text().startsWith("Rule 2: "))
        << Form.RuleProblems->text().toStdString();
    Dialogs.Colors = {QColor(0, 0, 255)};
    QTest::mouseClick(Form.RuleList->cellWidget(0, 1), Qt::LeftButton);
    Form.RuleList->item(1, 0)->setText(QStringLiteral("re:(x)"));
    EXPECT_TRUE(Form.RuleProblems->text().isEmpty());
    Form.RuleList->setCurrentCell(2, 0);
    QTest::mouseClick(Form.RuleUp, Qt::LeftButton);
    QTest::mouseClick(Form.RuleAdd, Qt::LeftButton); // left empty: not a rule
    Form.RuleList->setCurrentCell(0, 0);
    QTest::mouseClick(Form.RuleDown, Qt::LeftButton);
    EXPECT_EQ(Form.Rules(),
              (std::vector<TColorRule>{
                  {"WARN", clLime, false}, {"ERROR", clBlue, true}, {"re:(x)", clYellow, false}}));
    Form.RuleList->setCurrentCell(1, 0);
    QTest::mouseClick(Form.RuleRemove, Qt::LeftButton);
    EXPECT_EQ(Form.Rules().size(), 2u);
    Form.PageControl1->setCurrentWidget(Form.TabSheet4);
    EXPECT_TRUE(Form.UPDATE->isEnabled());
    // The swatch shows its colour inside the table too.
    Form.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&Form));
    QWidget* swatch = Form.RuleList->cellWidget(0, 1);
    const QImage shot = swatch->grab().toImage();
    EXPECT_EQ(shot.pixelColor(shot.width() / 2, shot.height() / 2), QColor(0, 255, 0));
}

} // namespace
} // namespace glimra
