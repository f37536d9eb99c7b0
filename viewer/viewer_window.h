#pragma once
#include "graphics/bitmap_owner.h"
#include "graphics/mini_scroll_bar.h"
#include "graphics/pixel_view.h"
#include "graphics/warning_light.h"
#include "platform/file_access.h"
#include "viewer/line_store.h"
#include "viewer/retry_state.h"

#include <QImage>
#include <QWidget>
#include <string>

class QTimer;

namespace glimra {

class TFourthGlimraControl;
class TFileSysMonitor;
class TGlimraButton;
class TGlimraDC;
class TGlimraEdit;
class TGlimraMemo;
class TOriginalForm;

// One window per monitored file: loads it into its line store, retries while the
// writer holds it, reloads on change and shows its lines.
class TForm2 : public QWidget, public TBitmapOwner {
    Q_OBJECT
public:
    explicit TForm2(TFourthGlimraControl* hub);
    ~TForm2() override;

    virtual void OpenFile(const std::string& path);
    virtual void InitWindow(bool layered);
    virtual void Redraw();

    void NotifyTimerTimer();
    // A change in the watched folder: reloads when the file's stamp differs.
    void FileSysChanged();
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
    bool IsActiveWindow() const;

    // State the hub, the display and the tests read.
    std::string FilePath;
    TFileStamp FileTime;
    TRetryState Retry;
    int RetryInterval = 3000;
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

    TLineStore Store;
    TFileSysMonitor* Monitor = nullptr;
    TGlimraMemo* WordWrapper = nullptr;
    QTimer* NotifyTimer = nullptr;
    QTimer* Energy = nullptr;
    QTimer* DemoTimer = nullptr;
    QImage WindowBitmap;
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
    TGlimraButton* Button(int n) const;

    // Applies the text font to the window, its bitmap and its memo.
    void SetTextFont(const QFont& font);
    void SetWordWrap(bool on);

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void moveEvent(QMoveEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    TFourthGlimraControl* Hub;

    // Bytes of FilePath the store holds as read; 0 when it must be read whole.
    std::size_t FollowedSize = 0;

    void ShowOpenFailure();
    bool ReadIntoStore(const std::string& path);
    bool ReadGrowth(const std::string& path);
    void FollowFile(const std::string& path);
    void CreateControls();
    void ShowBadge(TGlimraDC* badge);
    void DrawLines(QPainter& painter);
    void OpeningStep();
    void ComposeControls();
    void RewrapStore();
    int MemoHeight() const { return height() - 30; }
};

} // namespace glimra
