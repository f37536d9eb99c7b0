#include "app/control_hub.h"

#include "app/update_thread.h"
#include "app/window_geometry.h"
#include "common/qt_color.h"
#include "dialogs/file_dialog.h"
#include "dialogs/setup_dialog.h"
#include "dialogs/setup_host.h"
#include "graphics/cdib.h"
#include "graphics/original_form.h"
#include "graphics/overlaps.h"
#include "graphics/qt_pixels.h"
#include "modules/module_set.h"
#include "platform/crash_guard.h"
#include "platform/focus_watch.h"
#include "platform/message_box.h"
#include "platform/screen_capture.h"
#include "platform/window_opacity.h"
#include "platform/window_place.h"
#include "settings/font_data_qt.h"
#include "settings/reg_work_qt.h"
#include "viewer/module_host.h"
#include "viewer/viewer_window.h"

#include <QApplication>
#include <QGuiApplication>
#include <QThread>
#include <QTimer>
#include <QWindow>
#include <algorithm>
#include <cstdlib>
#include <iostream>

namespace glimra {
namespace {

QSize ScreenSize() {
    const TSize size = PrimaryScreenSize();
    return {size.Width, size.Height};
}

} // namespace

TFourthGlimraControl::TFourthGlimraControl(std::vector<std::string> commandLine,
                                           std::unique_ptr<TRegWork> store, TStartOptions options)
    : QWidget(nullptr, Qt::FramelessWindowHint), SettingsStore(std::move(store)),
      Parameters(std::move(commandLine)), Options(std::move(options)) {
    setWindowTitle(QStringLiteral("4th Glimra proto type"));
    setAttribute(Qt::WA_NoSystemBackground);
    RegisterFontSubstitutes();
    setFont(ControlWindowFont());
    FormCreate();
}

TFourthGlimraControl::~TFourthGlimraControl() {
    // Windows closed but not yet destroyed still free their module instances through
    // the hub: they go first.
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    FormDestroy();
}

void TFourthGlimraControl::LoadSettingsAndModules() {
    SettingsStore->Load();
    SharedBlendLevel = Settings().BlendLevel;
    SharedLightLevel = Settings().LightLevel;
    // A module that ends the program is named in the user's state folder (the program's
    // own may not be writable) and switched off at the next start.
    const std::string record = DefaultCrashRecordPath();
    if (record.empty())
        std::cerr << "glimra4: neither XDG_STATE_HOME nor HOME is set; modules are not guarded\n";
    ModuleList = std::make_unique<TModuleSet>(MessageBoxes(), HostProcedures(), record);
    ModuleList->LoadModules(*SettingsStore);
    // A module's own dialog keeps the event loop going: its call is not hanging.
    SetCrashGuardPing([] {
        QMetaObject::invokeMethod(
            qApp, [] { CrashGuardHeartbeat(); }, Qt::QueuedConnection);
    });
}

void TFourthGlimraControl::FormCreate() {
    AvB = AvG = AvR = 0;
    AvReverse = false;
    Updates = std::make_unique<TUpdateThread>(*this);
    setGeometry(0, 0, 2, 2);
    if (!SettingsStore)
        SettingsStore = CreateProgramRegWork(font());
    LoadSettingsAndModules();
    QSize screen = ScreenSize();
    SurfaceDib = std::make_unique<TCdib>(screen.width(), screen.height());
    if (!SurfaceDib->IsValid()) {
        MessageBoxes().Show(TMsgKind::Information, "no resource.", TMsgButtons::Ok);
        std::exit(0);
    }
    Look = CompositorBlends() ? std::make_unique<TBackdrop>(TLiveShade{})
                              : std::make_unique<TBackdrop>(SurfaceDib.get());
    CopyTints(); // into the hub, the surface and the shade
    WatchCompositor();
    ActivationHook = connect(qApp, &QGuiApplication::applicationStateChanged, this,
                             &TFourthGlimraControl::ApplicationStateChanged);
    FocusWatch = std::make_unique<TFocusWatch>([this] { Activation.FocusReturned(); });
    CaptureBackground();
    NewWindow();
    CreateSetupDialog();
}

void TFourthGlimraControl::CopyTints() {
    AvB = static_cast<std::uint8_t>(Settings().AV_B);
    AvG = static_cast<std::uint8_t>(Settings().AV_G);
    AvR = static_cast<std::uint8_t>(Settings().AV_R);
    AvReverse = Settings().AV_REVERSE;
    if (SurfaceDib) {
        SurfaceDib->AvB = AvB;
        SurfaceDib->AvG = AvG;
        SurfaceDib->AvR = AvR;
        SurfaceDib->AvReverse = AvReverse;
    }
    if (!Look)
        return;
    TLiveShade shade = Settings().LayerWin
                           ? LayeredShade(127)
                           : LiveShade(static_cast<std::uint8_t>(Settings().LightLevel),
                                       {AvB, AvG, AvR, AvReverse});
    for (TColor ink : {Settings().Font.FontColor, Settings().FileColor,
                       Settings().DeActiveMenuColor, Settings().ActiveMenuColor}) {
        const QColor c = ToQColor(ink);
        shade.AddInk(static_cast<std::uint8_t>(c.blue()), static_cast<std::uint8_t>(c.green()),
                     static_cast<std::uint8_t>(c.red()));
    }
    Look->SetShade(shade);
}

void TFourthGlimraControl::WatchCompositor() {
    auto* watch = new QTimer(this);
    connect(watch, &QTimer::timeout, this, [this] {
        // A modal dialog's window is not one of those the switch walks through.
        if (QApplication::activeModalWidget() || Terminating())
            return;
        const bool blends = CompositorBlends();
        if (blends != Live())
            SwitchLook(blends);
    });
    watch->start(LookWatchInterval);
}

void TFourthGlimraControl::SwitchLook(bool live) {
    *Look = live ? TBackdrop(TLiveShade{}) : TBackdrop(SurfaceDib.get());
    CopyTints();
    for (const auto& w : Windows)
        if (w)
            w->LookChanged();
    // Captured anew, without the windows: the copy from before is of another desktop.
    if (!live)
        RefreshBackground();
}

void TFourthGlimraControl::FreeWindows() {
    // Last first; each window leaves the list before it goes, so nothing walks a dead one.
    for (auto i = Windows.size(); i-- > 0;) {
        QPointer<TForm2> window = Windows[i];
        Windows.erase(Windows.begin() + static_cast<std::ptrdiff_t>(i));
        delete window.data();
    }
}

void TFourthGlimraControl::FormDestroy() {
    try {
        Updates->RequestStop();
        SurfaceDib.reset();
        SettingsStore.reset();
        if (TerminateTimer)
            TerminateTimer->stop();
        FreeWindows();
        // Every window has freed its instances by now.
        ModuleList.reset();
        Updates.reset();
    } catch (...) {
        MessageBoxes().Show(TMsgKind::Information, "システムリソースが足りません", TMsgButtons::Ok);
    }
    delete TerminateTimer;
    TerminateTimer = nullptr;
}

TForm2* TFourthGlimraControl::NewWindow(bool openCommandLine) {
    QPointer<TForm2> previous = ActiveWindow;
    auto* window = new TForm2(*this);
    ActiveWindow = window;
    window->InitWindow(Settings().LayerWin);
    if (openCommandLine && !Parameters.empty()) {
        window->Follower->ForcedEncoding = Options.Encoding;
        window->OpenFile(JoinParameters(Parameters));
    }
    Windows.push_back(window);
    PlaceNewWindow(window, previous != nullptr);
    ApplySettings(window);
    return window;
}

void TFourthGlimraControl::PlaceNewWindow(TForm2* window, bool cascade) {
    if (cascade && Windows.size() >= 2 && Windows[Windows.size() - 2]) {
        TForm2* last = Windows[Windows.size() - 2];
        TPoint at = CascadeFrom({last->x(), last->y()});
        window->move(at.X, at.Y);
    } else {
        RestoreWindowBounds(window);
    }
}

int TFourthGlimraControl::RunFileDialog(const std::string& text) {
    if (ActiveWindow)
        DialogPathText = ActiveWindow->TitlePath;
    DialogOwner = ActiveWindow;
    QPointer<TGDialog> dialog = new TGDialog(*this);
    ActiveWindow = dialog.data();
    dialog->InitWindow(Settings().LayerWin);
    dialog->SetMessage(text);
    Windows.push_back(dialog.data());
    PlaceNewWindow(dialog, true);
    dialog->ApplySettings(Settings());
    dialog->LayOut();
    const int result = dialog->ShowModal();
    ActiveWindow = DialogOwner;
    return result;
}

void TFourthGlimraControl::RestoreWindowBounds(TForm2* window) {
    // A stored size beyond the screen would make a window nobody can handle.
    QSize screen = ScreenSize();
    TBounds bounds = FitOnScreen(
        {Settings().Left, Settings().Top, Settings().Width, Settings().Height},
        {screen.width(), screen.height()}, {window->minimumWidth(), window->minimumHeight()});
    // The skin recuts the window's shape on the resize this causes.
    window->setGeometry(bounds.Left, bounds.Top, bounds.Width, bounds.Height);
}

void TFourthGlimraControl::ApplySettings(TForm2* window) {
    CopyTints();
    Updates->SetPriority(Settings().ThreadPriority);
    if (window)
        window->ApplySettings(Settings());
}

void TFourthGlimraControl::CopyDataReceived(const TCopyDataRecord* record) {
    if (!record || record->dwData == 0)
        return;
    TForm2* window = NewWindow(false);
    window->OpeningActive = false;
    // Options of a later version that this one does not know are passed over.
    std::vector<std::string> optionTexts = RecordOptions(*record);
    TStartOptions options;
    TakeStartOptions(optionTexts, options, false);
    window->Follower->ForcedEncoding = options.Encoding;
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
        window->raise();
        Windows.erase(Windows.begin() + static_cast<std::ptrdiff_t>(i));
        ShowUncovered();
        return;
    }
}

void TFourthGlimraControl::CloseWindow(TForm2& window) {
    // A maximised window (as a tiling desktop makes every window it tiles) has the
    // bounds the desktop gave it, not the ones the user chose: what was stored stays.
    const bool desktopSized = window.windowState() & (Qt::WindowMaximized | Qt::WindowFullScreen);
    // Where the compositor places windows their positions are not known either.
    if (PlatformPlacesWindows() && !desktopSized) {
        Settings().Left = window.x();
        Settings().Top = window.y();
    }
    // Natively the compositor sizes windows too (a tiling one to its tile) without saying
    // so: there only a size the user dragged is the user's.
    const bool sizeChosen = PlatformPlacesWindows() || (window.Skin && window.Skin->UserResized);
    if (!desktopSized && sizeChosen) {
        Settings().Width = window.width();
        Settings().Height = window.height();
    }
    ForgetWindow(window);
}

void TFourthGlimraControl::CloseDialog(TForm2& dialog) {
    ForgetWindow(dialog);
}

void TFourthGlimraControl::ForgetWindow(TForm2& window) {
    ActiveWindow = &window;
    const auto& column = window.ModuleLocations.Entries();
    for (std::size_t i = 0; i < column.size(); ++i)
        SettingsStore->SetModuleLocation(column[i].Name, static_cast<std::int32_t>(i));
    for (auto i = Windows.size(); i-- > 0;)
        if (Windows[i] == &window || !Windows[i])
            Windows.erase(Windows.begin() + static_cast<std::ptrdiff_t>(i));
    if (!Windows.empty()) {
        ShowUncovered();
        return;
    }
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
    if (!ActiveWindow || !SurfaceDib || Live())
        return;
    if (LayeredActive(ActiveWindow)) {
        SurfaceDib->Clear();
        return;
    }
    SurfaceDib->Assign(GrabScreen());
    SurfaceDib->AdjustBrightness(static_cast<std::uint8_t>(Settings().LightLevel));
}

void TFourthGlimraControl::ApplicationStateChanged(Qt::ApplicationState state) {
    const bool active = state == Qt::ApplicationActive;
    using TChange = TActivationFilter::TChange;
    if (!Activation.IsUsers(active ? TChange::Activated : TChange::Deactivated))
        return;
    if (active)
        AppActivate();
    else
        AppDeactivate();
}

void TFourthGlimraControl::AppActivate() {
    // The compositor shows what lies behind: no hiding, no wait, no capture.
    if (Live())
        return;
    if (LayeredActive(ActiveWindow)) {
        CaptureBackground();
        ShowHiddenWindows();
        return;
    }
    if (Captured)
        return;
    // No events are handled until the windows are back: nothing opens mid-capture.
    Activation.OwnHideBegins();
    HideAllWindows();
    if (Settings().CaptureWait > 0)
        QThread::msleep(static_cast<unsigned long>(Settings().CaptureWait));
    CaptureBackground();
    ShowHiddenWindows();
    // Give the focus back, or the next click would activate the program again.
    if (ActiveWindow)
        ActiveWindow->activateWindow();
}

void TFourthGlimraControl::RefreshBackground() {
    Captured = true;
    if (Live())
        return;
    // The setup dialog stays out of the picture of the desktop.
    const bool dialogShown = Form3 && Form3->isVisible();
    if (Form3)
        Form3->hide();
    HideAllWindows();
    if (SurfaceDib)
        SurfaceDib->Clear();
    CaptureBackground();
    if (dialogShown)
        Form3->show();
    ShowHiddenWindows();
}

std::vector<TOverlapStep> TFourthGlimraControl::OverlapSteps(const TForm2& window) const {
    if (Live() || LayeredActive(&window) || Windows.size() < 2)
        return {};
    std::vector<TStackedWindow> stack;
    for (const auto& w : Windows) {
        if (!w)
            break;
        stack.push_back({{w->x(), w->y(), w->width(), w->height()},
                         {w->WindowBitmap.width(), w->WindowBitmap.height()},
                         w->isMinimized(),
                         w == &window});
    }
    TBounds front{window.x(), window.y(), window.width(), window.height()};
    TSize bitmap{window.WindowBitmap.width(), window.WindowBitmap.height()};
    return OverlapCopies(stack, front, bitmap);
}

void TFourthGlimraControl::ComposeOverlaps(TForm2& window) {
    TTint tint{AvB, AvG, AvR, AvReverse};
    for (const TOverlapStep& step : ShowingSteps(OverlapSteps(window)))
        ApplyOverlap(ViewOf(window.WindowBitmap),
                     ViewOf(std::as_const(Windows[step.Index]->WindowBitmap)), step.Copy,
                     static_cast<std::uint8_t>(Settings().LightLevel), tint);
}

TOverlapPlan TFourthGlimraControl::OverlapPlan(const TForm2& window) const {
    const std::vector<TOverlapStep> steps = OverlapSteps(window);
    TOverlapPlan plan;
    plan.Filled = FilledRect(steps);
    for (const TOverlapStep& step : steps) {
        const TRect& s = step.Copy.Source;
        const TRect& d = step.Copy.Dest;
        plan.Layout.insert(plan.Layout.end(),
                           {s.Left, s.Top, s.Right, s.Bottom, d.Left, d.Top, d.Right, d.Bottom});
        plan.Pictures.push_back(Windows[step.Index]->WindowBitmap.cacheKey());
        plan.Area = plan.Area.IsEmpty() ? d : Bounding(plan.Area, d);
    }
    if (!steps.empty())
        plan.Layout.insert(plan.Layout.end(), {Settings().LightLevel, AvB, AvG, AvR, AvReverse});
    return plan;
}

namespace {

// The largest rectangle of a window's shape: a piece it surely covers, which keeps the
// regions painted plain (a cut corner makes a rectangle of every row).
QRect SolidPart(const QWidget& window) {
    const QRegion shape = window.mask();
    if (shape.isEmpty())
        return window.rect();
    const auto area = [](const QRect& r) { return static_cast<qint64>(r.width()) * r.height(); };
    return *std::max_element(shape.begin(), shape.end(),
                             [&](const QRect& a, const QRect& b) { return area(a) < area(b); });
}

} // namespace

QRegion TFourthGlimraControl::Hidden(const TForm2& window) const {
    QRegion hidden;
    // Every window lets the ones behind show through.
    if (Live())
        return hidden;
    bool inFront = false;
    for (const auto& w : Windows) {
        if (!inFront) {
            inFront = w == &window;
            continue;
        }
        // A window lets what is behind it show where it is faded, blended by
        // the desktop, minimised or not on the screen at all (another desktop).
        if (!w || !w->isVisible() || w->isMinimized() || w->windowOpacity() < 1.0 ||
            LayeredActive(w) || !w->windowHandle() || !w->windowHandle()->isExposed())
            continue;
        hidden += SolidPart(*w).translated(w->geometry().topLeft() - window.geometry().topLeft());
    }
    return hidden & window.rect();
}

void TFourthGlimraControl::ShowUncovered() {
    for (const auto& w : Windows)
        if (w)
            w->ShowUnshown();
}

bool TFourthGlimraControl::WantsStep(int index) const {
    if (index < 0 || index >= WindowCount() || !Windows[index])
        return false;
    return Windows[index]->ThreadTick || Windows[index]->NeedsUpdates;
}

void TFourthGlimraControl::StepWindow(int index) {
    if (WantsStep(index))
        Windows[index]->AutoTimerTimer();
}

void TFourthGlimraControl::WakeUpdates() {
    if (Updates)
        Updates->Wake();
}

void TFourthGlimraControl::ResetUpdateCursor() {
    if (Updates)
        Updates->ResetCursor();
}

std::int32_t TFourthGlimraControl::SavedModuleLocation(const std::string& name) const {
    return SettingsStore->GetModuleLocation(name);
}

void TFourthGlimraControl::AppDeactivate() {
    Captured = false;
}

void TFourthGlimraControl::ShowHiddenWindows() {
    // Only shown again over the new background: what each window shows stays as it was.
    for (std::size_t i = 0; i < Windows.size(); ++i)
        if (Windows[i] && !Windows[i]->isVisible()) {
            Windows[i]->Redraw();
            Windows[i]->show();
        }
}

void TFourthGlimraControl::HideAllWindows() {
    for (auto i = Windows.size(); i-- > 0;) {
        if (!Windows[i])
            continue;
        // A window manager's drag may have ended just now, before it said where: the
        // window must show again where it is, not jump back to where the drag began.
        // The display reports the inside's corner; move() places the frame's, if any.
        TForm2& window = *Windows[i];
        if (const auto origin = DisplayedOrigin(window);
            origin && *origin != window.geometry().topLeft())
            window.move(window.pos() + *origin - window.geometry().topLeft());
        window.hide();
    }
}

void TFourthGlimraControl::CentreActiveWindow() {
    if (!ActiveWindow)
        return;
    QSize screen = ScreenSize();
    TPoint at =
        CentreOn(screen.width(), screen.height(), ActiveWindow->width(), ActiveWindow->height());
    ActiveWindow->move(at.X, at.Y);
}

} // namespace glimra
