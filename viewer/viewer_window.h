#pragma once
#include "graphics/pixel_view.h"
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
class TGlimraMemo;

// One window per monitored file: loads it into its line store, retries while the
// writer holds it, reloads on change and shows its lines.
class TForm2 : public QWidget {
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
    void SetScrollPosition(int position);
    int ScrollPosition() const { return Position; }
    int ScrollMax() const { return Max; }

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
    bool MemoView = false;
    bool NeedsUpdates = false;
    bool ThreadTick = false;
    bool OpeningActive = false;
    TBounds OpeningRect;
    int LineHeight = 12;
    QColor TextColor = Qt::white;
    float SubLineOffset = 0;
    bool UpdateBadgeShown = false; // GlimraDC1
    bool GiveUpBadgeShown = false; // GlimraDC3

    TLineStore Store;
    TFileSysMonitor* Monitor = nullptr;
    TGlimraMemo* WordWrapper = nullptr;
    QTimer* NotifyTimer = nullptr;
    QTimer* Energy = nullptr;
    QTimer* DemoTimer = nullptr;
    QImage WindowBitmap;

    // Applies the text font to the window, its bitmap and its memo.
    void SetTextFont(const QFont& font);
    void SetWordWrap(bool on);

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;

private:
    TFourthGlimraControl* Hub;
    int Position = 0;
    int Max = 0;

    // Bytes of FilePath the store holds as read; 0 when it must be read whole.
    std::size_t FollowedSize = 0;

    void ShowOpenFailure();
    bool ReadIntoStore(const std::string& path);
    bool ReadGrowth(const std::string& path);
    void FollowFile(const std::string& path);
    void DrawLines(QPainter& painter);
    void RewrapStore();
    int MemoHeight() const { return height() - 30; }
};

} // namespace glimra
