#pragma once
#include "app/activation_filter.h"
#include "app/update_sweep.h"
#include "common/forward_record.h"
#include "common/start_options.h"
#include "graphics/backdrop.h"
#include "graphics/overlaps.h"
#include "settings/reg_work.h"
#include "settings/shared_levels.h"
#include "viewer/window_host.h"

#include <QPointer>
#include <QWidget>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

class QTimer;

namespace glimra {

class TCdib;
class TFocusWatch;
class TForm2;
class TForm3;
class TModuleSet;
class TSetupHost;
class TUpdateThread;

// The hidden control window: owns the viewer windows and everything they share.
class TFourthGlimraControl : public QWidget, public TUpdateHost, public TWindowHost {
    Q_OBJECT
public:
    // commandLine: this process's parameters; every new window opens them joined.
    // store: the settings store to load; the program's own when none is given.
    // options: this process's options, for every window that opens its command line.
    explicit TFourthGlimraControl(std::vector<std::string> commandLine = {},
                                  std::unique_ptr<TRegWork> store = nullptr,
                                  TStartOptions options = {});
    ~TFourthGlimraControl() override;

    // openCommandLine: the window opens this process's own file (not for a window
    // that another instance's file is for).
    TForm2* NewWindow(bool openCommandLine);
    TForm2* NewWindow() override { return NewWindow(true); }
    void RestoreWindowBounds(TForm2* window);
    void ApplySettings(TForm2* window);
    void CopyDataReceived(const TCopyDataRecord* record);
    void BringToFront(TForm2* window) override;
    void CaptureBackground();
    void RefreshBackground();
    void ResetUpdateCursor() override;
    void WakeUpdates() override;

    // TWindowHost
    const TRegIniRec& Settings() const override { return SettingsStore->Settings; }
    const TBackdrop& Backdrop() const override { return *Look; }
    const TCdib* Surface() const { return SurfaceDib.get(); }
    // Where the compositor blends the windows: nothing is captured or composed behind.
    bool Live() const { return Look && Look->LiveShade(); }
    void ComposeOverlaps(TForm2& window) override;
    TOverlapPlan OverlapPlan(const TForm2& window) const override;
    QRegion Hidden(const TForm2& window) const override;
    void ShowUncovered() override;
    void CloseWindow(TForm2& window) override;
    int WindowCount() const override { return static_cast<int>(Windows.size()); }
    TModuleSet& Modules() override { return *ModuleList; }
    std::int32_t SavedModuleLocation(const std::string& name) const override;
    int RunFileDialog(const std::string& text) override;
    std::string DialogPath() const override { return DialogPathText; }
    void SetDialogPath(const std::string& path) override { DialogPathText = path; }
    void CloseDialog(TForm2& dialog) override;

    // TUpdateHost
    bool WantsStep(int index) const override;
    void StepWindow(int index) override;

    void AppActivate();
    void AppDeactivate();
    void ShowHiddenWindows();
    void HideAllWindows();
    void CentreActiveWindow();
    void TerminateTimerTimer();
    // Raises the windows after another instance handed over its command line.
    void BringForward();

    // The exchange with the setup dialog and the restarts it asks for.
    void ShowSetup() override;
    void ApplySetup();
    void ApplyModuleList();
    void ReloadAll();
    void ChooseFont();
    void OpenProductPage();
    TForm3* SetupDialog() const { return Form3.get(); }
    // The fixed pauses of the restarts; the windows keep painting, input waits.
    std::function<void(int milliseconds)> Pause;

    TRegIniRec& Settings() { return SettingsStore->Settings; }
    TRegWork* Store() const { return SettingsStore.get(); }
    const std::vector<QPointer<TForm2>>& WindowList() const { return Windows; }
    bool Terminating() const { return TerminateTimer != nullptr; }

    std::uint8_t AvB = 0, AvG = 0, AvR = 0;
    bool AvReverse = false;
    bool Captured = false;
    // How often the hub asks whether a compositor started or stopped.
    static constexpr int LookWatchInterval = 2000;

private:
    std::vector<QPointer<TForm2>> Windows; // back-most first, dialogs too
    // The window that opened the running file dialog, and the dialog's path.
    QPointer<TForm2> DialogOwner;
    std::string DialogPathText;
    QTimer* TerminateTimer = nullptr;
    std::unique_ptr<TRegWork> SettingsStore;
    std::unique_ptr<TCdib> SurfaceDib;
    std::unique_ptr<TBackdrop> Look;
    std::unique_ptr<TUpdateThread> Updates;
    std::unique_ptr<TModuleSet> ModuleList;
    std::vector<std::string> Parameters;
    TStartOptions Options;
    TActivationFilter Activation;
    std::unique_ptr<TFocusWatch> FocusWatch;
    QMetaObject::Connection ActivationHook;
    // The dialog reaches the hub through the bridge, so the bridge outlives it.
    std::unique_ptr<TSetupHost> SetupBridge;
    std::unique_ptr<TForm3> Form3;

    void FormCreate();
    // Cascades from the window last in the list, or takes the stored bounds.
    void PlaceNewWindow(TForm2* window, bool cascade);
    // Removes a closing window or dialog and ends the program after the last.
    void ForgetWindow(TForm2& window);
    void FormDestroy();
    // Loads the store, hands out the shared levels and loads the enabled modules in order.
    void LoadSettingsAndModules();
    void FreeWindows();
    void CopyTints();
    void CreateSetupDialog();
    // The layered-window restart: every window made anew at its place, with its file.
    void RebuildWindows();
    // The desktop's compositor blends the windows instead of the captured surface.
    bool LayeredActive(const TForm2* window) const;
    // The parts of the windows behind window that show through it.
    std::vector<TOverlapStep> OverlapSteps(const TForm2& window) const;
    void ApplicationStateChanged(Qt::ApplicationState state);
    // Asks now and then whether a compositor started or stopped, and changes the look.
    void WatchCompositor();
    void SwitchLook(bool live);
};

} // namespace glimra
