#include "viewer/viewer_window.h"

#include "app/control_hub.h"
#include "app/forward_record.h"
#include "graphics/badges.h"
#include "graphics/glimra_button.h"
#include "graphics/glimra_edit.h"
#include "graphics/original_form.h"
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
    setMinimumSize(151, 121); // a window is never 150 x 120 or smaller
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
    Skin = new TOriginalForm(this, false, this);
    Skin->OnMemoButton = [this](TOriginalForm&) { ToggleMemoView(); };
    // The window repaints on every change of the bar, so it needs no repaint of its own.
    MiniScrollBar1.OnChange = [this] { MiniScrollBar1Change(); };
    CreateControls();
    // Module instances are created here once the module host is loaded.
}

TForm2::~TForm2() {
    Skin->Detach();
    Closing = true;
    Monitor->SetActive(false);
    // Module instances are freed here, last first, once the module host is loaded.
}

void TForm2::CreateControls() {
    const char* captions[] = {"File", "Notify", "Auto", "Zoom", "Module"};
    TGlimraButton** buttons[] = {&GlimraButton1, &GlimraButton2, &GlimraButton3, &GlimraButton4,
                                 &GlimraButton5};
    for (int i = 0; i < 5; ++i) {
        auto* button = new TGlimraButton(this);
        button->setObjectName(QStringLiteral("GlimraButton%1").arg(i + 1));
        button->SetCaption(QString::fromLatin1(captions[i]));
        button->setGeometry(24 + 76 * i, 15, 75, 11);
        button->SetFontColor(clLime);
        button->SetTransparent(1);
        button->SetBlendLevel(50);
        *buttons[i] = button;
    }
    connect(GlimraButton2, &TGlimraDC::Click, this, &TForm2::GlimraButton2Click);
    connect(GlimraButton3, &TGlimraDC::Click, this, &TForm2::GlimraButton3Click);
    connect(GlimraButton4, &TGlimraDC::MouseDown, this, &TForm2::GlimraButton4MouseDown);
    connect(GlimraButton4, &TGlimraDC::MouseMove, this, &TForm2::GlimraButton4MouseMove);
    connect(GlimraButton4, &TGlimraDC::MouseUp, this, &TForm2::GlimraButton4MouseUp);
    connect(GlimraButton4, &TGlimraDC::DblClick, this, &TForm2::GlimraButton4DblClick);
    auto makeBadge = [this](const TBadge& art, const char* caption) {
        auto* badge = new TGlimraDC(this);
        badge->resize(200, 200);
        badge->SetPicture(art.Picture);
        badge->SetMask(art.Mask);
        badge->SetUseMask(true);
        badge->SetCaption(QString::fromLatin1(caption));
        badge->hide();
        return badge;
    };
    GlimraDC1 = makeBadge(UpdateBadge(), "UPDATE");
    GlimraDC3 = makeBadge(DangerBadge(), "");
    GlimraEdit1 = new TGlimraEdit(this);
    GlimraEdit1->resize(409, 23);
    GlimraEdit1->hide();
}

TGlimraButton* TForm2::Button(int n) const {
    TGlimraButton* buttons[] = {GlimraButton1, GlimraButton2, GlimraButton3, GlimraButton4,
                                GlimraButton5};
    return n >= 1 && n <= 5 ? buttons[n - 1] : nullptr;
}

void TForm2::ShowBadge(TGlimraDC* badge) {
    badge->SetBlendLevel(50);
    TPoint at = CentreIn(width(), height(), GlimraDC1->width(), GlimraDC1->height());
    badge->move(at.X, at.Y);
    badge->show();
    badge->UpdateBackground();
    badge->update();
}

void TForm2::InitWindow(bool /*layered*/) {
    // Layered windows and dropped files are taken up by the window's input and layer code.
    Retry.MaxRetry = 10;
    Closing = false;
    FilePath = QCoreApplication::applicationFilePath().toStdString();
    Light.SetTop(2);
    Light.SetSize(40, 13);
    WordWrapper->setGeometry(15, LineHeight + 15, width() - 45, height() - 30);
    MiniScrollBar1.SetBounds(width() - MiniScrollBar1.Width() - 20, 20, MiniScrollBar1.Width(),
                             height() - 40);
    WordWrapper->OnScroll = [this](TGlimraMemo*) { MemoScrolled(); };
    ComputeButtonLayout();
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
    ShowBadge(GlimraDC1);
    NotifyTimer->start();
    int position = ScrollPosition();
    OpenFile(FilePath);
    if (static_cast<std::size_t>(position) < Store.DisplayLineCount())
        SetScrollPosition(position);
}

void TForm2::GlimraButton2Click() {
    GlimraDC1->hide();
    GlimraDC3->hide();
    NotifyOn = !NotifyOn;
    const TRegIniRec& settings = Hub->Settings();
    GlimraButton2->SetTransparent(NotifyOn ? 4 : 1);
    GlimraButton2->SetFontColor(NotifyOn ? settings.ActiveMenuColor : settings.DeActiveMenuColor);
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
    GlimraDC1->hide();
    GlimraDC3->hide();
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
        ShowBadge(GlimraDC3);
        GlimraDC1->hide();
        FollowedSize = 0;
        Store.Clear();
        for (const std::string& line : Retry.GiveUp(FilePath))
            Store.AddLine(line);
        UpdateScrollRange();
        Redraw();
        NotifyTimer->stop();
        if (AutoMode)
            GlimraButton3Click();
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

void TForm2::closeEvent(QCloseEvent* event) {
    Hub->CloseWindow(this);
    event->accept();
}

} // namespace glimra
