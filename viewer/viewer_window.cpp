#include "viewer/viewer_window.h"

#include "app/control_hub.h"
#include "app/forward_record.h"
#include "platform/message_box.h"
#include "viewer/file_sys_monitor.h"
#include "viewer/glimra_memo.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QFile>
#include <QFontMetrics>
#include <QPainter>
#include <QTimer>
#include <QWheelEvent>

namespace glimra {
namespace {

QString FromBytes(const std::string& s) {
    return QFile::decodeName(QByteArray::fromStdString(s));
}

} // namespace

TForm2::TForm2(TFourthGlimraControl* hub)
    : QWidget(nullptr, Qt::Window | Qt::FramelessWindowHint), Hub(hub) {
    setAttribute(Qt::WA_DeleteOnClose);
    setAttribute(Qt::WA_OpaquePaintEvent);
    setWindowTitle(QStringLiteral("GLIMRA WINDOW"));
    resize(472, 323);
    setFont(QFont(QStringLiteral("MS UI Gothic"), -1));
    FilePath = QCoreApplication::applicationFilePath().toStdString();
    OpeningActive = hub->Settings().Opening;
    OpeningRect = {width() / 2, height() / 2 - 1, 20, 2};

    WordWrapper = new TGlimraMemo(this);
    WordWrapper->hide();
    NotifyTimer = new QTimer(this);
    NotifyTimer->setInterval(3000);
    connect(NotifyTimer, &QTimer::timeout, this, &TForm2::NotifyTimerTimer);
    Energy = new QTimer(this);
    Energy->setInterval(500);
    connect(Energy, &QTimer::timeout, this, &TForm2::Redraw);
    DemoTimer = new QTimer(this);
    DemoTimer->setInterval(200);
    Monitor = new TFileSysMonitor(this);
    // Module instances are created here once the module host is loaded.
}

TForm2::~TForm2() {
    Closing = true;
    Monitor->SetActive(false);
    // Module instances are freed here, last first, once the module host is loaded.
}

void TForm2::InitWindow(bool /*layered*/) {
    // Layered windows and dropped files are taken up by the window's input and layer code.
    Retry.MaxRetry = 10;
    Closing = false;
    FilePath = QCoreApplication::applicationFilePath().toStdString();
    WordWrapper->setGeometry(15, LineHeight + 15, width() - 45, height() - 30);
    WordWrapper->OnScroll = nullptr;
    Monitor->SetActive(false);
    Monitor->SetNotifyFilter({TFileSysNotify::FILE_NAME, TFileSysNotify::DIR_NAME,
                              TFileSysNotify::ATTRIBUTES, TFileSysNotify::SIZE,
                              TFileSysNotify::LAST_WRITE});
    Monitor->SetOnFileSysChange([this](QObject*, const std::string&) { FileSysChanged(); });
    // A write between our read and the arming of the watch is caught by one look.
    Monitor->SetOnArmed([this] {
        if (!Retry.OpenFailed && FindFileStamp(FilePath).value_or(TFileStamp{}) != FileTime)
            FileSysChanged();
    });
    Monitor->SetWatchSubtree(false);
    if (!Hub->CommandLine().empty())
        OpenFile(JoinParameters(Hub->CommandLine()));
    ThreadTick = OpeningActive;
}

void TForm2::OpenFile(const std::string& path) {
    // Modules get the first refusal of a path here once the module host is loaded.
    FilePath = path;
    if (ReadIntoStore(path)) {
        TitlePath = path;
        setWindowTitle(FromBytes(FileNamePart(path)));
        if (auto stamp = FindFileStamp(path))
            FileTime = *stamp;
        Retry.OpenFailed = false;
    } else {
        ShowOpenFailure();
    }
    UpdateScrollRange();
    SetScrollPosition(0);
    AutoTopLine = 0;
    Redraw();
    FollowFile(path);
}

void TForm2::FollowFile(const std::string& path) {
    Monitor->SetMonitoredDirectory(DirectoryPart(path));
    Monitor->SetActive(NotifyOn);
}

bool TForm2::ReadIntoStore(const std::string& path) {
    try {
        if (ReadGrowth(path))
            return true;
        std::string text;
        if (ReadWholeFile(path, text) != TReadResult::Ok) {
            FollowedSize = 0;
            return false;
        }
        FollowedSize = text.size();
        if (Store.SetText(std::move(text)))
            WordWrapper->clear();
        return true;
    } catch (const std::bad_alloc&) {
        FollowedSize = 0;
        Store.Clear();
        return false;
    }
}

bool TForm2::ReadGrowth(const std::string& path) {
    // Only a file that kept what we hold and grew is read from where we stopped.
    if (FollowedSize == 0 || FollowedSize != Store.RawSize() || path != TitlePath)
        return false;
    std::size_t overlap = std::min<std::size_t>(FollowedSize, 4096);
    std::string text;
    auto from = static_cast<std::int64_t>(FollowedSize - overlap);
    if (ReadFileFrom(path, from, text) != TReadResult::Ok || text.size() <= overlap ||
        std::string_view(text).substr(0, overlap) != Store.RawTail(overlap))
        return false;
    Store.Append(std::string_view(text).substr(overlap));
    FollowedSize += text.size() - overlap;
    WordWrapper->clear();
    return true;
}

void TForm2::FileSysChanged() {
    Retry.OpenFailed = false;
    TFileStamp stamp = FindFileStamp(FilePath).value_or(TFileStamp{});
    if (stamp == FileTime)
        return;
    UpdateBadgeShown = true;
    NotifyTimer->start();
    int position = Position;
    OpenFile(FilePath);
    if (static_cast<std::size_t>(position) < Store.DisplayLineCount())
        SetScrollPosition(position);
}

void TForm2::GlimraButton2Click() {
    UpdateBadgeShown = false;
    GiveUpBadgeShown = false;
    NotifyOn = !NotifyOn;
    Monitor->SetActive(NotifyOn);
    Redraw();
}

void TForm2::ShowOpenFailure() {
    std::string line = Retry.Failed(FilePath);
    FollowedSize = 0;
    Store.Clear();
    Store.AddLine(line);
    NotifyTimer->setInterval(RetryInterval);
    NotifyTimer->start();
}

void TForm2::NotifyTimerTimer() {
    UpdateBadgeShown = false;
    GiveUpBadgeShown = false;
    switch (Retry.Tick()) {
    case TTickAction::EndBadge:
        NotifyTimer->stop();
        Retry.RetryCount = 0;
        break;
    case TTickAction::ConfirmReload:
        OpenFile(FilePath);
        ++AutoTopLine;
        Redraw();
        // A confirming read that fails again keeps retrying instead of stopping silently.
        if (!Retry.OpenFailed) {
            NotifyTimer->stop();
            Retry.RetryCount = 0;
        }
        break;
    case TTickAction::GiveUp: {
        GiveUpBadgeShown = true;
        FollowedSize = 0;
        Store.Clear();
        for (const std::string& line : Retry.GiveUp(FilePath))
            Store.AddLine(line);
        UpdateScrollRange();
        Redraw();
        NotifyTimer->stop();
        // Auto mode is switched off here once the ticker exists.
        break;
    }
    case TTickAction::Retry:
        OpenFile(FilePath);
        ++AutoTopLine;
        Redraw();
        break;
    }
}

void TForm2::ClearCommand() {
    if (NotifyOn)
        GlimraButton2Click();
    FilePath.clear();
    FollowedSize = 0;
    FileTime = {};
    SetScrollPosition(0);
    Monitor->SetActive(false);
    Store.Clear();
    WordWrapper->clear();
    setWindowTitle(QStringLiteral("GLIMRA WINDOW"));
    UpdateScrollRange();
    Redraw();
}

void TForm2::SaveToFile(const std::string& name) {
    if (FileExists(name) && MessageBoxes().Show(TMsgKind::Confirmation, "Press OK to overwrite.",
                                                TMsgButtons::OkCancel) != TMsgResult::Ok)
        return;
    if (WordWrapper->StoreInto(Store))
        FollowedSize = 0;
    if (!SaveFileAtomically(name, Store.Text())) {
        MessageBoxes().Show(TMsgKind::Warning, "Could not save to file.", TMsgButtons::Ok);
        return;
    }
    TitlePath = name;
    setWindowTitle(FromBytes(name));
}

void TForm2::SetTextFont(const QFont& font) {
    setFont(font);
    WordWrapper->setFont(font);
    LineHeight = std::max(1, QFontMetrics(font).height());
    RewrapStore();
}

void TForm2::SetWordWrap(bool on) {
    WordWrapper->setLineWrapMode(on ? QPlainTextEdit::WidgetWidth : QPlainTextEdit::NoWrap);
    RewrapStore();
}

void TForm2::RewrapStore() {
    QFontMetrics metrics(font());
    bool wrap = WordWrapper->lineWrapMode() != QPlainTextEdit::NoWrap;
    Store.SetWrap(wrap, width() - 45, [metrics](char32_t c) {
        return metrics.horizontalAdvance(QString::fromUcs4(&c, 1));
    });
}

void TForm2::UpdateScrollRange() {
    int rows = MemoHeight() / LineHeight;
    long long max = static_cast<long long>(Store.DisplayLineCount()) - rows + 1;
    Max = static_cast<int>(std::clamp<long long>(max, 0, INT32_MAX));
    SetScrollPosition(Position);
}

void TForm2::SetScrollPosition(int position) {
    position = std::clamp(position, 0, Max);
    if (position == Position)
        return;
    Position = position;
    Redraw();
}

void TForm2::Redraw() {
    if (Closing || width() <= 0 || height() <= 0)
        return;
    if (WindowBitmap.size() != size())
        WindowBitmap = QImage(size(), QImage::Format_BGR888);
    WindowBitmap.fill(Qt::black);
    QPainter painter(&WindowBitmap);
    painter.setFont(font());
    painter.setPen(TextColor);
    DrawLines(painter);
    update();
}

void TForm2::DrawLines(QPainter& painter) {
    LineHeight = std::max(1, painter.fontMetrics().height());
    std::size_t count = Store.DisplayLineCount();
    if (count == 0)
        return;
    std::size_t first = AutoMode ? static_cast<std::size_t>(AutoTopLine)
                                 : std::min<std::size_t>(Position, count - 1);
    int y = LineHeight + 15 - static_cast<int>(SubLineOffset);
    int rows = (WindowBitmap.height() - 30) / LineHeight;
    int ascent = painter.fontMetrics().ascent();
    if (AutoMode)
        rows = std::max(rows, 1);
    for (int row = 0; row < rows; ++row, y += LineHeight) {
        std::size_t index = first + static_cast<std::size_t>(row);
        if (AutoMode)
            index %= count;
        else if (index >= count)
            break;
        std::u32string text = Store.DisplayLine(index);
        painter.drawText(15, y + ascent,
                         QString::fromUcs4(text.data(), static_cast<qsizetype>(text.size())));
    }
    if (AutoTopLine >= 0 && static_cast<std::size_t>(AutoTopLine) >= count)
        AutoTopLine = 0;
}

void TForm2::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    if (WindowBitmap.isNull())
        painter.fillRect(rect(), Qt::black);
    else
        painter.drawImage(0, 0, WindowBitmap);
}

void TForm2::resizeEvent(QResizeEvent*) {
    WordWrapper->setGeometry(15, LineHeight + 15, width() - 45, height() - 30);
    RewrapStore();
    UpdateScrollRange();
    Redraw();
}

void TForm2::wheelEvent(QWheelEvent* event) {
    if (!AutoMode)
        SetScrollPosition(Position + (event->angleDelta().y() < 0 ? 5 : -5));
    event->ignore();
}

void TForm2::closeEvent(QCloseEvent* event) {
    Hub->CloseWindow(this);
    event->accept();
}

} // namespace glimra
