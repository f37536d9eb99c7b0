#pragma once
#include "graphics/backdrop.h"
#include "graphics/cdib.h"
#include "modules/module_set.h"
#include "platform/message_box.h"
#include "settings/reg_ini_rec.h"
#include "viewer/module_host.h"
#include "viewer/viewer_window.h"
#include "viewer/window_host.h"

#include <memory>
#include <vector>

namespace glimra {

// A host for a window on its own: settings to hand out, a grey desktop, no hub.
class TFakeWindowHost : public TWindowHost {
public:
    TFakeWindowHost() {
        Values.Font = {"DejaVu Sans", clWhite, 9};
        Values.Opening = false;
        Values.GWatch = false; // no periodic redraw unless a test asks for it
        Paint(0x404040);
    }
    // The desktop becomes one colour.
    void Paint(unsigned rgb) {
        QImage grey(SurfaceDib.Width(), SurfaceDib.Height(), QImage::Format_RGB32);
        grey.fill(QColor::fromRgb(rgb));
        SurfaceDib.Assign(grey);
    }

    const TRegIniRec& Settings() const override { return Values; }
    const TBackdrop& Backdrop() const override { return Look; }
    void ComposeOverlaps(TForm2&) override {}
    TOverlapPlan OverlapPlan(const TForm2&) const override { return {}; }
    QRegion Hidden(const TForm2&) const override { return HiddenPart; }
    void ShowUncovered() override { ++Uncovered; }
    int WindowCount() const override { return 1; }
    void WakeUpdates() override {}
    void ResetUpdateCursor() override {}
    void CloseWindow(TForm2& window) override { Closed.push_back(&window); }
    TModuleSet& Modules() override { return ModuleSet; }
    std::int32_t SavedModuleLocation(const std::string&) const override { return 0; }
    TForm2* NewWindow() override {
        auto* window = new TForm2(*this);
        window->setAttribute(Qt::WA_DeleteOnClose, false);
        window->InitWindow(false);
        window->ApplySettings(Values);
        Opened.emplace_back(window);
        ActiveWindow = window;
        return window;
    }
    void BringToFront(TForm2* window) override { Fronted.push_back(window); }
    // Answers as a person would: the answer given, with the path typed.
    int RunFileDialog(const std::string& text) override {
        DialogTexts.push_back(text);
        if (ActiveWindow)
            DialogPathValue = ActiveWindow->TitlePath;
        DialogStartPath = DialogPathValue;
        if (DialogAnswer == 1)
            DialogPathValue = DialogTyped;
        return DialogAnswer;
    }
    std::string DialogPath() const override { return DialogPathValue; }
    void SetDialogPath(const std::string& path) override { DialogPathValue = path; }
    void CloseDialog(TForm2& dialog) override { Closed.push_back(&dialog); }
    void ShowSetup() override { ++SetupShown; }

    TRegIniRec Values = DefaultSettings(1024, 768);
    TCdib SurfaceDib{1024, 768};
    TBackdrop Look{&SurfaceDib};
    std::vector<TForm2*> Closed;
    std::vector<TForm2*> Fronted;
    // What the windows in front hide, for every window, and how often they uncovered.
    QRegion HiddenPart;
    int Uncovered = 0;
    std::vector<std::string> DialogTexts;
    std::string DialogPathValue, DialogStartPath, DialogTyped;
    int DialogAnswer = 2;
    int SetupShown = 0;
    TModuleSet ModuleSet{MessageBoxes(), HostProcedures()};
    // Windows opened with NEW; freed before the modules.
    std::vector<std::unique_ptr<TForm2>> Opened;
};

// A window that counts its compositions.
class TCountingForm : public TForm2 {
public:
    using TForm2::TForm2;
    void Redraw() override {
        ++Redraws;
        TForm2::Redraw();
    }
    int Redraws = 0;
};

// A window made and set up as the hub makes one.
template <class Form = TForm2> std::unique_ptr<Form> MakeWindow(TFakeWindowHost& host) {
    auto window = std::make_unique<Form>(host);
    window->setAttribute(Qt::WA_DeleteOnClose, false);
    window->resize(480, 350);
    window->InitWindow(false);
    window->ApplySettings(host.Values);
    return window;
}

} // namespace glimra
