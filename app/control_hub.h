#pragma once
#include "app/forward_record.h"
#include "app/update_sweep.h"
#include "settings/reg_work.h"

#include <QPointer>
#include <QWidget>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

class QTimer;

namespace glimra {

class TCdib;
class TForm2;
class TUpdateThread;

// The window last activated, created or being closed; cleared when it is destroyed.
inline QPointer<TForm2> ActiveWindow;
inline std::int32_t SharedBlendLevel = 50;
inline std::int32_t SharedLightLevel = 2;

// The hidden control window: owns the viewer windows and everything they share.
class TFourthGlimraControl : public QWidget, public TUpdateHost {
    Q_OBJECT
public:
    // commandLine: this process's parameters; every new window opens them joined.
    // store: the settings store to load; the program's own when none is given.
    explicit TFourthGlimraControl(std::vector<std::string> commandLine = {},
                                  std::unique_ptr<TRegWork> store = nullptr);
    ~TFourthGlimraControl() override;

    TForm2* NewWindow();
    void RestoreWindowBounds(TForm2* window);
    void ApplySettings(TForm2* window);
    void CopyDataReceived(const TCopyDataRecord* record);
    void BringToFront(TForm2* window);
    void CloseWindow(TForm2* window);
    void CaptureBackground();
    void RefreshBackground();
    // Lays the parts of the windows behind this one into its bitmap, shaded again.
    void ComposeOverlaps(TForm2* window);
    const TCdib* Surface() const { return SurfaceDib.get(); }
    void WakeUpdates();
    void ResetUpdateCursor();
    TUpdateThread* UpdateThread() const { return Updates.get(); }

    int WindowCount() const override { return static_cast<int>(Windows.size()); }
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

    const TRegIniRec& Settings() const { return SettingsStore->Settings; }
    TRegIniRec& Settings() { return SettingsStore->Settings; }
    TRegWork* Store() const { return SettingsStore.get(); }
    const std::vector<QPointer<TForm2>>& WindowList() const { return Windows; }
    bool Terminating() const { return TerminateTimer != nullptr; }
    const std::vector<std::string>& CommandLine() const { return Parameters; }

    std::uint8_t AvB = 0, AvG = 0, AvR = 0;
    bool AvReverse = false;
    bool Captured = false;

private:
    std::vector<QPointer<TForm2>> Windows; // back-most first
    QTimer* TerminateTimer = nullptr;
    std::unique_ptr<TRegWork> SettingsStore;
    std::unique_ptr<TCdib> SurfaceDib;
    std::unique_ptr<TUpdateThread> Updates;
    bool IgnoreActivation = false;
    std::vector<std::string> Parameters;
    QMetaObject::Connection ActivationHook;

    void FormCreate();
    void FormDestroy();
    void CopyTints();
};

} // namespace glimra
