// The hub's side of the setup dialog: filling it, taking its values back, and the
// two restarts it asks for (layered windows, module system).
#include "app/control_hub.h"
#include "app/update_thread.h"
#include "dialogs/setup_dialog.h"
#include "dialogs/setup_host.h"
#include "modules/module_set.h"
#include "platform/folder_dialog.h"
#include "platform/message_box.h"
#include "platform/shell_files.h"
#include "settings/font_data_qt.h"
#include "viewer/file_follower.h"
#include "viewer/interval_timer.h"
#include "viewer/module_host.h"
#include "viewer/viewer_window.h"

#include <QCheckBox>
#include <QEventLoop>
#include <QFileInfo>
#include <QLabel>
#include <QScrollBar>
#include <QSpinBox>
#include <QTimer>
#include <QUrl>

namespace glimra {
namespace {

inline const char* const LayerRestartQuestion =
    "ウィンドウを全て閉じてレイヤー管理システムを再起動します。";
inline const char* const NoLayerMessage = "このＯＳはレイヤー機能に対応していません";
inline const char* const ProductPageQuestion = "インターネットに接続し最新版の情報を表示します。";

// Waits with the event loop running, so the windows keep painting; input waits.
void WaitPainting(int milliseconds) {
    QEventLoop loop;
    QTimer::singleShot(milliseconds, &loop, &QEventLoop::quit);
    loop.exec(QEventLoop::ExcludeUserInputEvents);
}

class TSetupBridge : public TSetupHost {
public:
    explicit TSetupBridge(TFourthGlimraControl& hub) : Hub(hub) {}
    void RefreshBackground() override { Hub.RefreshBackground(); }
    void CentreActiveWindow() override { Hub.CentreActiveWindow(); }
    void ShowHiddenWindows() override { Hub.ShowHiddenWindows(); }
    void HideAllWindows() override { Hub.HideAllWindows(); }
    void OpenProductPage() override { Hub.OpenProductPage(); }
    void ApplySetup() override { Hub.ApplySetup(); }
    void ApplyModuleList() override { Hub.ApplyModuleList(); }
    void ReloadAll() override { Hub.ReloadAll(); }
    void ChooseFont() override { Hub.ChooseFont(); }
    void Pause(int milliseconds) override {
        if (Hub.Pause)
            Hub.Pause(milliseconds);
    }

private:
    TFourthGlimraControl& Hub;
};

} // namespace

void TFourthGlimraControl::CreateSetupDialog() {
    if (!Pause)
        Pause = WaitPainting;
    SetupBridge = std::make_unique<TSetupBridge>(*this);
    Form3 = std::make_unique<TForm3>(*SetupBridge);
}

bool TFourthGlimraControl::LayeredActive(const TForm2* window) const {
    return SettingsStore && Settings().LayerWin && window && window->Layered();
}

void TFourthGlimraControl::ShowSetup() {
    TForm3& f = *Form3;
    const TRegIniRec& s = Settings();
    QFont font = f.Panel1->font();
    QColor color;
    DataToFont(s.Font, font, color);
    f.SetPanel1Font(font, color);
    f.eRetry->setValue(s.Retry);
    f.eWait->setValue(s.WaitTime);
    f.CheckBox1->setChecked(s.WordWrap);
    f.eCapture->setValue(s.CaptureWait);
    f.eLevel->setValue(s.LightLevel);
    f.CheckBox2->setChecked(s.GWatch);
    f.eLayer->setChecked(s.LayerWin);
    f.eActiveTitle->SetColor(s.ActiveColor);
    f.eTitle->SetColor(s.DeActiveColor);
    f.eActiveMenu->SetColor(s.ActiveMenuColor);
    f.eMenu->SetColor(s.DeActiveMenuColor);
    f.eFile->SetColor(s.FileColor);
    f.eScrollWait->setValue(s.ScrollWait);
    f.Opening->setChecked(s.Opening);
    f.SetDrawThreadIndex(s.ThreadPriority);
    f.ScrollBar1->setValue(s.AV_R);
    f.ScrollBar2->setValue(s.AV_G);
    f.ScrollBar3->setValue(s.AV_B);
    f.REVERSE->setChecked(s.AV_REVERSE);
    f.ScrollBar1Change();
    f.REVERSE->setChecked(s.AV_REVERSE);
    if (!SettingsStore->ModuleList.empty()) {
        std::vector<TCheckLine> lines;
        for (const TModuleSetupData& entry : SettingsStore->ModuleList)
            lines.push_back({entry.FileName, entry.Enabled});
        f.SetModuleLines(lines);
    }
    f.SetRules(s.Rules);
    f.show();
    f.raise();
    f.activateWindow();
}

void TFourthGlimraControl::ApplySetup() {
    TForm3& f = *Form3;
    TRegIniRec& s = Settings();
    s.AV_R = f.ScrollBar1->value();
    s.AV_G = f.ScrollBar2->value();
    s.AV_B = f.ScrollBar3->value();
    s.AV_REVERSE = f.REVERSE->isChecked();
    s.ScrollWait = f.eScrollWait->value();
    FontToData(f.Panel1->font(), f.Panel1Color(), s.Font);
    s.WaitTime = f.eWait->value();
    s.Retry = f.eRetry->value();
    s.WordWrap = f.CheckBox1->isChecked();
    s.CaptureWait = f.eCapture->value();
    s.LightLevel = f.eLevel->value();
    s.GWatch = f.CheckBox2->isChecked();
    s.ActiveColor = f.eActiveTitle->Color();
    s.DeActiveColor = f.eTitle->Color();
    s.ActiveMenuColor = f.eActiveMenu->Color();
    s.DeActiveMenuColor = f.eMenu->Color();
    s.FileColor = f.eFile->Color();
    s.Opening = f.Opening->isChecked();
    s.ThreadPriority = f.DrawThreadIndex();
    s.Rules = f.Rules();
    if (f.eLayer->isChecked() != s.LayerWin) {
        if (MessageBoxes().Show(TMsgKind::Information, LayerRestartQuestion,
                                TMsgButtons::YesAbort) == TMsgResult::Yes)
            RebuildWindows();
        f.eLayer->setChecked(Settings().LayerWin);
    }
    // Every window takes the new values, not only the active one: showing a window
    // again applies nothing.
    ApplySettings(nullptr);
    for (const auto& window : Windows)
        if (window)
            ApplySettings(window);
    RefreshBackground();
}

void TFourthGlimraControl::RebuildWindows() {
    TForm3& f = *Form3;
    Settings().LayerWin = f.eLayer->isChecked();
    Updates->Suspend();
    Pause(1000);
    f.eStatus->setText(QString::fromUtf8("LayerClass再構築中.."));
    f.eStatus->repaint();
    for (auto i = Windows.size(); i-- > 0;)
        if (TForm2* window = Windows[i]) {
            window->Follower->NotifyTimer->SetEnabled(false);
            window->Energy->SetEnabled(false);
            window->NeedsUpdates = false;
        }
    Pause(1000);
    for (auto i = Windows.size(); i-- > 0;) {
        QPointer<TForm2> old = Windows[i];
        if (!old)
            continue;
        // A window left empty shows what a new window shows: the command line's file.
        std::string path = old->TitlePath;
        std::optional<TEncoding> encoding = old->Follower->ForcedEncoding;
        if (path.empty() && !Parameters.empty()) {
            path = JoinParameters(Parameters);
            encoding = Options.Encoding;
        }
        const QRect bounds = old->geometry();
        Windows[i] = nullptr;
        delete old.data();
        auto* window = new TForm2(*this);
        ActiveWindow = window;
        window->InitWindow(Settings().LayerWin);
        // The skin recuts the window's shape on the resize this causes.
        window->setGeometry(bounds);
        window->show();
        Windows[i] = window;
        window->Follower->ForcedEncoding = encoding;
        if (!path.empty())
            window->OpenFile(path);
    }
    if (Settings().LayerWin && ActiveWindow && !ActiveWindow->Layered()) {
        MessageBoxes().Show(TMsgKind::Information, NoLayerMessage, TMsgButtons::Ok);
        Settings().LayerWin = false;
        f.eLayer->setChecked(false);
    }
    f.eStatus->setText(QStringLiteral("-"));
}

void TFourthGlimraControl::ApplyModuleList() {
    const std::vector<TCheckLine> lines = Form3->ModuleLines();
    for (std::size_t i = 0; i < lines.size(); ++i)
        SettingsStore->SetModuleOrder(lines[i].Text, static_cast<std::int32_t>(i),
                                      lines[i].Checked);
}

void TFourthGlimraControl::ReloadAll() {
    Updates->Suspend();
    Updates->ResetCursor();
    // The windows go before the store they read from: nothing of theirs may meet a
    // missing store. Freeing them changes no setting, so the file written is the same.
    FreeWindows();
    std::unique_ptr<TRegWork> next = SettingsStore->Successor();
    SettingsStore.reset(); // writes every setting, module order and flags included
    ModuleList.reset();
    ActiveWindow = nullptr;
    SettingsStore = std::move(next);
    LoadSettingsAndModules(); // the order and flags just written
    NewWindow();
    Updates->ResetCursor();
}

void TFourthGlimraControl::ChooseFont() {
    TForm3& f = *Form3;
    if (std::optional<TFontChoice> chosen =
            StandardDialogs().ChooseFont(&f, {f.Panel1->font(), f.Panel1Color()}))
        f.SetPanel1Font(chosen->Font, chosen->Color);
}

void TFourthGlimraControl::OpenProductPage() {
    // The window sparkles while the question is open.
    QPointer<TForm2> window = ActiveWindow;
    const std::uint8_t channel = window ? window->Light.Channel : 0;
    if (window)
        window->DemoTimer->SetEnabled(true);
    const bool yes = MessageBoxes().Show(TMsgKind::Confirmation, ProductPageQuestion,
                                         TMsgButtons::YesAbort) == TMsgResult::Yes;
    if (window) {
        window->DemoTimer->SetEnabled(false);
        window->Light.StepUp = 10;
        window->Light.StepDown = -15;
        window->Light.Channel = channel;
        window->Light.SetTop(2);
        window->Light.SetSize(40, 13);
    }
    if (!yes)
        return;
    // Until the project has a web page, the installed manual's version section.
    const QString manual = QString::fromStdString(SettingsStore->ExeDir) + "/GLIMRA.html";
    if (!QFileInfo(manual).isFile()) {
        MessageBoxes().Show(TMsgKind::Information,
                            "バージョン情報を載せたマニュアルが見つかりません: " +
                                manual.toStdString(),
                            TMsgButtons::Ok);
        return;
    }
    QUrl page = QUrl::fromLocalFile(manual);
    page.setFragment(QStringLiteral("version"));
    ShellOpen(this, page.toString(QUrl::FullyEncoded).toStdString());
}

} // namespace glimra
