#include "app/control_hub.h"

#include "app/window_geometry.h"
#include "platform/message_box.h"
#include "viewer/viewer_window.h"

#include <QApplication>
#include <QGuiApplication>
#include <QScreen>
#include <QTimer>

namespace glimra {
namespace {

QSize ScreenSize() {
    QScreen* screen = QGuiApplication::primaryScreen();
    return screen ? screen->geometry().size() : QSize(1024, 768);
}

} // namespace

TFourthGlimraControl::TFourthGlimraControl(std::vector<std::string> commandLine)
    : QWidget(nullptr, Qt::FramelessWindowHint), Parameters(std::move(commandLine)) {
    setWindowTitle(QStringLiteral("4th Glimra proto type"));
    setAttribute(Qt::WA_NoSystemBackground);
    FormCreate();
}

TFourthGlimraControl::~TFourthGlimraControl() { FormDestroy(); }

void TFourthGlimraControl::FormCreate() {
    AvB = AvG = AvR = 0;
    AvReverse = false;
    // The update thread is created here, suspended, once it exists.
    setGeometry(0, 0, 2, 2);
    QSize screen = ScreenSize();
    SettingsRec = DefaultSettings(screen.width(), screen.height());
    SharedBlendLevel = SettingsRec.BlendLevel;
    SharedLightLevel = SettingsRec.LightLevel;
    CopyTints();
    // Modules are loaded here, and the screen surface created ("no resource." when
    // it has no memory), once the module host and the surface exist.
    ActivationHook = connect(qApp, &QGuiApplication::applicationStateChanged, this,
                             [this](Qt::ApplicationState state) {
                                 if (state == Qt::ApplicationActive)
                                     AppActivate();
                                 else
                                     AppDeactivate();
                             });
    CaptureBackground();
    NewWindow();
}

void TFourthGlimraControl::CopyTints() {
    AvB = static_cast<std::uint8_t>(SettingsRec.AV_B);
    AvG = static_cast<std::uint8_t>(SettingsRec.AV_G);
    AvR = static_cast<std::uint8_t>(SettingsRec.AV_R);
    AvReverse = SettingsRec.AV_REVERSE;
}

void TFourthGlimraControl::FormDestroy() {
    try {
        // The update thread is stopped, the surface freed and the settings written here
        // once they exist.
        if (TerminateTimer)
            TerminateTimer->stop();
        for (auto i = Windows.size(); i-- > 0;) {
            QPointer<TForm2> window = Windows[i];
            Windows.erase(Windows.begin() + static_cast<std::ptrdiff_t>(i));
            delete window.data();
        }
        // Module wrappers are released here, after every window freed its instances.
    } catch (...) {
        MessageBoxes().Show(TMsgKind::Information, "システムリソースが足りません",
                            TMsgButtons::Ok);
    }
    delete TerminateTimer;
    TerminateTimer = nullptr;
}

TForm2* TFourthGlimraControl::NewWindow() {
    QPointer<TForm2> previous = ActiveWindow;
    auto* window = new TForm2(this);
    ActiveWindow = window;
    window->InitWindow(SettingsRec.LayerWin);
    Windows.push_back(window);
    if (previous && Windows.size() >= 2 && Windows[Windows.size() - 2]) {
        TForm2* last = Windows[Windows.size() - 2];
        TPoint at = CascadeFrom({last->x(), last->y()});
        window->move(at.X, at.Y);
    } else {
        RestoreWindowBounds(window);
    }
    ApplySettings(window);
    return window;
}

void TFourthGlimraControl::RestoreWindowBounds(TForm2* window) {
    window->setGeometry(SettingsRec.Left, SettingsRec.Top, SettingsRec.Width, SettingsRec.Height);
    // The skin recuts the window's shape here once it exists.
}

void TFourthGlimraControl::ApplySettings(TForm2* window) {
    CopyTints();
    // The update thread's priority is set here once it exists.
    if (!window)
        return;
    QFont font(QString::fromStdString(SettingsRec.Font.FontName));
    font.setPointSize(std::max(1, SettingsRec.Font.FontSize));
    window->SetTextFont(font);
    window->NotifyTimer->setInterval(std::max(1, SettingsRec.WaitTime));
    window->RetryInterval = std::max(1, SettingsRec.WaitTime);
    window->Retry.OpenFailed = false;
    window->Retry.MaxRetry = SettingsRec.Retry;
    window->AutoTopLine = 0;
    window->SetScrollPosition(0);
    window->SetWordWrap(SettingsRec.WordWrap);
    window->UpdateScrollRange();
    window->Energy->setInterval(500);
    if (SettingsRec.GWatch)
        window->Energy->start();
    else
        window->Energy->stop();
    bool onTop = window->windowFlags().testFlag(Qt::WindowStaysOnTopHint);
    if (SettingsRec.StayOnTop != onTop)
        window->setWindowFlag(Qt::WindowStaysOnTopHint, SettingsRec.StayOnTop);
    // Button colours are set here once the buttons exist.
    window->Redraw();
    window->show();
}

void TFourthGlimraControl::CopyDataReceived(const TCopyDataRecord* record) {
    if (!record || record->dwData == 0)
        return;
    TForm2* window = NewWindow();
    window->OpeningActive = false;
    window->OpenFile(RecordText(*record));
    window->Redraw();
}

void TFourthGlimraControl::BringForward() {
    for (const auto& window : Windows) {
        if (!window)
            continue;
        if (window->isMinimized())
            window->showNormal();
        window->raise();
    }
    if (ActiveWindow)
        ActiveWindow->activateWindow();
}

void TFourthGlimraControl::BringToFront(TForm2* window) {
    if (Windows.size() < 2)
        return;
    for (auto i = Windows.size(); i-- > 0;) {
        if (Windows[i] != window)
            continue;
        Windows.push_back(window);
        ActiveWindow = window;
        window->show();
        Windows.erase(Windows.begin() + static_cast<std::ptrdiff_t>(i));
        return;
    }
}

void TFourthGlimraControl::CloseWindow(TForm2* window) {
    ActiveWindow = window;
    SettingsRec.Left = window->x();
    SettingsRec.Top = window->y();
    SettingsRec.Width = window->width();
    SettingsRec.Height = window->height();
    // The window's module order is recorded here once modules exist.
    for (auto i = Windows.size(); i-- > 0;)
        if (Windows[i] == window || !Windows[i])
            Windows.erase(Windows.begin() + static_cast<std::ptrdiff_t>(i));
    if (!Windows.empty())
        return;
    disconnect(ActivationHook);
    QGuiApplication::setApplicationDisplayName(QStringLiteral("TERMINATING.."));
    TerminateTimer = new QTimer(this);
    TerminateTimer->setInterval(5000);
    connect(TerminateTimer, &QTimer::timeout, this, &TFourthGlimraControl::TerminateTimerTimer);
    TerminateTimer->start();
    close();
    QCoreApplication::quit();
}

void TFourthGlimraControl::TerminateTimerTimer() {
    if (!TerminateTimer)
        return;
    TerminateTimer->stop();
    QCoreApplication::exit(0);
}

void TFourthGlimraControl::CaptureBackground() {
    if (!ActiveWindow)
        return;
    // The desktop is copied into the surface and shaded here once the surface exists.
}

void TFourthGlimraControl::AppActivate() {
    // Once the surface exists: unless Captured, hide every window, wait CaptureWait,
    // capture and shade the desktop, and show the windows again.
}

void TFourthGlimraControl::AppDeactivate() { Captured = false; }

void TFourthGlimraControl::ShowHiddenWindows() {
    for (std::size_t i = 0; i < Windows.size(); ++i)
        if (Windows[i] && !Windows[i]->isVisible())
            ApplySettings(Windows[i]);
}

void TFourthGlimraControl::HideAllWindows() {
    for (auto i = Windows.size(); i-- > 0;)
        if (Windows[i])
            Windows[i]->hide();
}

void TFourthGlimraControl::CentreActiveWindow() {
    if (!ActiveWindow)
        return;
    QSize screen = ScreenSize();
    TPoint at = CentreOn(screen.width(), screen.height(), ActiveWindow->width(),
                         ActiveWindow->height());
    ActiveWindow->move(at.X, at.Y);
}

} // namespace glimra
