#pragma once
#include "graphics/bitmap_owner.h"
#include "graphics/layer.h"
#include "graphics/live_shade.h"
#include "graphics/mini_scroll_bar.h"
#include "graphics/pixel_view.h"
#include "graphics/warning_light.h"
#include "modules/glimra_module.h"
#include "modules/location_control.h"
#include "platform/system_codecs.h"
#include "settings/reg_ini_rec.h"
#include "viewer/desktop_alerts.h"
#include "viewer/device_text.h"
#include "viewer/file_follower.h"
#include "viewer/frame_base.h"
#include "viewer/line_images.h"
#include "viewer/line_rules.h"
#include "viewer/line_store.h"
#include "viewer/shown_picture.h"
#include "viewer/store_worker.h"

#include <QImage>
#include <QList>
#include <QRegion>
#include <QTimer>
#include <QUrl>
#include <QWidget>
#include <memory>
#include <optional>
#include <string>

namespace glimra {

class TBackdrop;
class TCdib;
class TGlimraButton;
class TGlimraCPopupMenu;
class TGlimraDC;
class TGlimraEdit;
class TGlimraMemo;
class TIntervalTimer;
class TOriginalForm;
class TWindowHost;
struct TOverlapPlan;

// The shift set and the key code a module receives with an event.
std::uint8_t ModuleShiftState(Qt::KeyboardModifiers keys, Qt::MouseButtons buttons,
                              bool doubleClick);
// 0 for a key the interface has no code for.
std::uint16_t VirtualKeyOf(int qtKey, Qt::KeyboardModifiers modifiers);
// The module's button for a press or release; none for the buttons it has no value for
// (back, forward and the like).
std::optional<std::uint8_t> ModuleButtonOf(Qt::MouseButton button);

// The name of a drop as the window takes it: at most 255 characters.
std::string DroppedName(const std::string& path);

// What a save asks before it writes characters the file's encoding cannot hold as "?".
std::string UnencodableMessage(const TLineStore::TMisses& misses, TEncoding encoding);

// One window per monitored file: loads it into its line store, retries while the
// writer holds it, reloads on change and shows its lines.
class TForm2 : public QWidget, public TBitmapOwner, private TFollowerClient {
    Q_OBJECT
public:
    explicit TForm2(TWindowHost& host);
    ~TForm2() override;

    void OpenFile(const std::string& path) override;
    virtual void InitWindow(bool layered);
    // The host changed between the captured and the live look: the window takes it.
    void LookChanged();
    virtual void Redraw();
    // Applies the font, timing, wrapping, redraw and colour settings to this window.
    void ApplySettings(const TRegIniRec& settings);
    // Lays the window out for its size: scroll bar, memo, buttons, module column.
    void FormResize();

    // The Notify button: follow the file or stop following it.
    void GlimraButton2Click();
    void ClearCommand();
    // Writes the store's text to name, asking before it overwrites a file.
    void SaveToFile(const std::string& name);
    void UpdateScrollRange();
    void SetScrollPosition(int position) { MiniScrollBar1.SetPosition(position); }
    int ScrollPosition() const { return MiniScrollBar1.Position(); }
    int ScrollMax() const { return MiniScrollBar1.Max(); }
    void MiniScrollBar1Change();
    void MemoScrolled();
    void WordWrapperChange();
    void WordWrapperClick();
    void SetMemoView(bool on);
    void ToggleMemoView();

    // Display: the Auto ticker, its one step, and the layout of the buttons.
    void GlimraButton3Click();
    void UpdateAutoState(bool on);
    void SetExternalUpdates(bool on);
    void AutoTimerTimer();
    void FormDblClick(int pointerY);
    void GlimraButton4MouseDown(QMouseEvent* event);
    void GlimraButton4MouseMove(QMouseEvent* event);
    void GlimraButton4MouseUp(QMouseEvent* event);
    void GlimraButton4DblClick();
    void ComputeButtonLayout();
    void ApplyButtonLayout();
    const QImage& OwnerBitmap() const override { return WindowBitmap; }
    const TLiveShade* OwnerShade() const override;
    QImage OwnerFinePicture(QRect area) const override { return DeviceText.Fine(area); }

    // Input: keys (the form sees them before its controls), mouse, buttons, menus.
    void FormKeyDown(QKeyEvent* event);
    void FormKeyUp(QKeyEvent* event);
    void FormMouseDown(QMouseEvent* event);
    void FormMouseMove(QMouseEvent* event);
    void FormMouseUp(QMouseEvent* event);
    void FormClick();
    void FormActivate();
    void FormDeactivate();
    void GlimraButton1Click();
    // The Notify and Auto buttons: ignored while a menu shows.
    void NotifyButtonClick();
    void AutoButtonClick();
    void GlimraButton5Click();
    void ModuleItemClick(TGlimraCPopupMenu& sender);
    // Opens the first local file of a drop.
    void FilesDropped(const QList<QUrl>& urls);
    bool MenuShows() const;
    // The File menu's commands.
    void NewWindowCommand();
    void OpenFolderCommand();
    void SaveFileCommand();
    void SetupCommand();
    void HelpCommand();
    void CloseCommand();
    bool IsActiveWindow() const;
    // The composition bitmap as modules see it, valid until it is resized.
    GlimraDib& WindowDib();
    // The desktop's compositor blends this window (the layer is attached and available).
    bool Layered() const { return Layer && Layer->IsAvailable(); }
    // One sparkle of the light while the hub's product-page question is open.
    void DemoTimerTimer();
    // Paints what was left out while the windows in front hid it.
    void ShowUnshown();

    // State the host, the display and the tests read.
    int AutoTopLine = 0;
    std::string TitlePath;
    bool Closing = false;
    bool NotifyOn = false;
    bool AutoMode = false;
    bool AutoScrolling = false;
    bool ExternalUpdates = false;
    bool SweepActive = false;
    bool MemoView = false;
    bool NeedsUpdates = false;
    bool ThreadTick = false;
    bool OpeningActive = false;
    TBounds OpeningRect;
    int LineHeight = 12;
    QColor TextColor = Qt::white;
    float SubLineOffset = 0;
    int ButtonWidth = 75, ButtonHeight = 11;
    int ZoomDragMode = 0, ZoomDragX = 0, ZoomDragY = 0;
    TPoint ButtonHome[5];

    std::unique_ptr<TGlimraCPopupMenu> FileMenu;
    std::unique_ptr<TGlimraCPopupMenu> ModuleMenu;
    // Cleared in the file information dialog, which takes no keys or mouse of its own.
    bool InputHandlers = true;

    TLineStore Store{&SystemCodecs()};
    // Reads big files and counts rows off this thread; declared after the store it fills.
    std::unique_ptr<TStoreWorker> Worker;
    // The shaped and drawn text of the lines on show.
    TLineImages LineImages;
    TLineRules LineRules;
    TDesktopAlerts Alerts;
    // The picture under the text, kept while it stays the same.
    TFrameBase Base;
    // The lines again at the screen's resolution, where that is finer than a window pixel.
    TDeviceText DeviceText;
    // One instance per loaded module, in module order, and where they stand.
    std::vector<void*> ModuleInstances;
    TLocationControl ModuleLocations;
    int SelectedModule = 0;
    // Texts handed to modules stay valid until the next call of the same kind.
    struct TModuleTexts {
        std::string WrapText;
        std::string EditText;
        // While modules draw, the display lines they ask for are read a block at a
        // time: a worker counting rows takes the store's lock between any two reads.
        std::size_t First = 0;
        std::size_t Count = 0; // display lines in the store when the block was read
        std::vector<std::u32string> Lines;
    } ModuleTexts;
    // The window's modules are drawing into its picture.
    bool DrawingModules = false;
    // In the live look, how opaque what the modules laid is.
    TCoverage ModuleCover;
    // The file: its path, stamp, retries, monitor and retry clock.
    TFileFollower* Follower = nullptr;
    TGlimraMemo* WordWrapper = nullptr;
    TIntervalTimer* Energy = nullptr;
    TIntervalTimer* DemoTimer = nullptr;
    QImage WindowBitmap;
    // The composition as the window system takes it, and how often it was painted.
    QImage ScreenImage;
    long long Paints = 0;
    // Kept from the paints of a still window, so that a redraw that changed nothing
    // paints nothing; Auto steps, sweeps and paints of a change are not kept.
    TShownPicture Shown;
    // What changed while the windows in front hid it and is not painted yet. While Auto
    // steps, one frame in WholeFrameEvery paints it anyway: a stacking the hub does not
    // know of leaves a part behind half a second at most.
    QRegion Unshown;
    static constexpr int WholeFrameEvery = 30;
    TOriginalForm* Skin = nullptr;
    TWarningLight Light;
    TMiniScrollBar MiniScrollBar1{clYellow};
    TGlimraButton* GlimraButton1 = nullptr; // File
    TGlimraButton* GlimraButton2 = nullptr; // Notify
    TGlimraButton* GlimraButton3 = nullptr; // Auto
    TGlimraButton* GlimraButton4 = nullptr; // Zoom
    TGlimraButton* GlimraButton5 = nullptr; // Module
    TGlimraDC* GlimraDC1 = nullptr;         // update badge
    TGlimraDC* GlimraDC3 = nullptr;         // give-up badge
    TGlimraEdit* GlimraEdit1 = nullptr;
    // Present only when the window was made with layered windows asked for.
    std::unique_ptr<TLayer> Layer;
    TGlimraButton* Button(int n) const;

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void moveEvent(QMoveEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void keyReleaseEvent(QKeyEvent* event) override;
    void changeEvent(QEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    // When DeviceText keeps this frame's picture (the skin drawn Apart), draws the title
    // and the glyphs and hands them to it to be laid again finer; the places they cover.
    std::vector<TRect> DrawSkinApart();
    TWindowHost& Host;

private:
    int StepsSinceWholeFrame = 0;
    // The ratio at the last resize: a resize that only follows a new ratio is undone.
    qreal SizedRatio = 0;
    // Redraws asked for while held are made once, when the last hold ends: one
    // change on disk, one composition.
    class TRedrawHold {
    public:
        explicit TRedrawHold(TForm2& window);
        ~TRedrawHold();
        TRedrawHold(const TRedrawHold&) = delete;
        TRedrawHold& operator=(const TRedrawHold&) = delete;

    private:
        TForm2& Window;
    };

    // TFollowerClient
    void FileChanged() override;
    void RetryTick() override;
    void HideBadges() override;
    void GaveUp() override;
    // Reads the file again: a view at the end stays at the end, another keeps its place.
    void ReadAgainKeepingView();

    // Redraw now, or once the current hold ends.
    void Repaint();
    void CreateControls();
    // The badges' pictures for a device finer than a window pixel, none at a ratio of 1.
    void DrawFineBadges();
    void ScreenChanged();
    void ShowBadge(TGlimraDC* badge);
    void SetTextFont(const QFont& font);
    void SetWordWrap(bool on);
    void UpdateEnergy(const TRegIniRec& settings);
    void DrawLines();
    // The picture under the text: desktop, windows behind, modules, frame; and what
    // it is made of, none when it cannot be kept.
    // With a clip, only that part: the rest holds the base already.
    void ComposeBase(const TBackdrop& backdrop, const TOverlapPlan& behind, TRect clip);
    std::optional<TFrameBase::TKey> BaseKey(const TBackdrop& backdrop, TOverlapPlan behind) const;
    void OpeningStep();
    // Composes the controls from the window's picture; the area of those left as painted.
    QRegion ComposeControls();
    void CreateMenus();
    void DrawMenus();
    void CloseMenus();
    void RewrapStore();
    // The worker made progress: take a finished read, keep the view, redraw.
    void StoreProgress();
    void StoreFaulted(TStoreFault fault);
    void ShowProgress();
    // While rows are counted the top line stays on top, and a view at the end stays there.
    void RecordAnchor();
    void KeepView();
    void DrawProgress();
    void PlaceScrollBar();
    void PlaceMemo();
    // The module column stands left of the scroll bar, below the Module button.
    void PlaceModules();
    // Hands a mouse event to the modules; the index of the first that took it, or -1.
    int ForwardMouse(std::uint8_t kind, QMouseEvent* event, bool doubleClick = false);
    void ForwardKey(std::uint8_t kind, QKeyEvent* event);
    bool InKeyPreview = false;
    int TextWidth() const { return width() - 45; }
    int MemoHeight() const { return height() - 30; }

    GlimraDib Dib{};
    int RedrawHolds = 0;
    bool RedrawPending = false;
    // A redraw paints the screen at once instead of when the event loop comes round.
    bool PaintAtOnce = false;
    // What the view shows: its top file line and row, or the end.
    std::size_t AnchorLine = 0;
    std::size_t AnchorRow = 0;
    bool FollowEnd = false;
    bool Anchoring = false;
    QTimer* ProgressTimer = nullptr;
    // The wrap settings the store was last wrapped with.
    struct TWrapKey {
        bool On = false;
        int Width = -1;
        QString Font;
        bool operator==(const TWrapKey&) const = default;
    } WrappedWith;
};

} // namespace glimra
