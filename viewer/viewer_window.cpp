#include "viewer/viewer_window.h"

#include "graphics/backdrop.h"
#include "graphics/badges.h"
#include "graphics/glimra_button.h"
#include "graphics/glimra_edit.h"
#include "graphics/glimra_popup_menu.h"
#include "graphics/layer_alpha.h"
#include "graphics/light_painter.h"
#include "graphics/original_form.h"
#include "modules/module_set.h"
#include "platform/message_box.h"
#include "platform/window_opacity.h"
#include "settings/font_data_qt.h"
#include "viewer/file_sys_monitor.h"
#include "viewer/glimra_memo.h"
#include "viewer/interval_timer.h"
#include "viewer/module_host.h"
#include "viewer/window_host.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QDateTime>
#include <QFile>
#include <QPainter>
#include <QRandomGenerator>
#include <QScopedValueRollback>

namespace glimra {
namespace {

QString FromBytes(const std::string& s) {
    return QFile::decodeName(QByteArray::fromStdString(s));
}

// The window's module column takes each instance as the module set registers it.
class TColumnSink : public TModuleLocationSink {
public:
    explicit TColumnSink(TLocationControl& column) : Column(column) {}
    void AddLocation(void* instance, const std::string& name, std::int32_t location,
                     std::uint8_t* visible, std::int32_t* left, std::int32_t* top,
                     std::int32_t* width, std::int32_t* height, const char* library) override {
        Column.AddLocation(instance, name, location, visible, left, top, width, height, library);
    }
    void Normalize() override { Column.Normalize(); }

private:
    TLocationControl& Column;
};

} // namespace

std::string UnencodableMessage(const TLineStore::TMisses& misses, TEncoding encoding) {
    constexpr std::size_t Listed = 5;
    std::string text = std::to_string(misses.Count) + " character" +
                       (misses.Count == 1 ? "" : "s") + " cannot be written in " +
                       std::string(EncodingName(encoding)) + ":\n";
    for (std::size_t i = 0; i < std::min(Listed, misses.First.size()); ++i)
        text += DescribeUnencodable(misses.First[i]) + "\n";
    if (misses.Count > Listed)
        text += "...\n";
    return text + "Press OK to save them as \"?\".";
}

TForm2::TRedrawHold::TRedrawHold(TForm2& window) : Window(window) {
    ++Window.RedrawHolds;
}

TForm2::TRedrawHold::~TRedrawHold() {
    if (--Window.RedrawHolds == 0 && Window.RedrawPending) {
        Window.RedrawPending = false;
        Window.Redraw();
    }
}

TForm2::TForm2(TWindowHost& host)
    : QWidget(nullptr, Qt::Window | Qt::FramelessWindowHint), Host(host) {
    setAttribute(Qt::WA_DeleteOnClose);
    setAttribute(Qt::WA_OpaquePaintEvent);
    // Where the compositor blends, the window has an alpha channel (set before the
    // first show, or the platform window gets no depth-32 visual).
    if (host.Backdrop().LiveShade())
        setAttribute(Qt::WA_TranslucentBackground);
    setWindowTitle(QStringLiteral("GLIMRA WINDOW"));
    resize(472, 323);
    setMinimumSize(151, 121); // a window is never 150 x 120 or smaller
    QFont formFont(QStringLiteral("MS UI Gothic"));
    formFont.setPixelSize(12);
    setFont(formFont);
    OpeningActive = host.Settings().Opening;
    OpeningRect = {width() / 2, height() / 2 - 1, 20, 2};

    WordWrapper = new TGlimraMemo(this);
    WordWrapper->hide();
    ProgressTimer = new QTimer(this);
    ProgressTimer->setSingleShot(true);
    ProgressTimer->setInterval(40);
    connect(ProgressTimer, &QTimer::timeout, this, &TForm2::ShowProgress);
    Worker = std::make_unique<TStoreWorker>(Store, [this] {
        QMetaObject::invokeMethod(this, &TForm2::StoreProgress, Qt::QueuedConnection);
    });
    Follower = new TFileFollower(Store, *Worker, *this, this);
    Follower->OnAppended = [this](std::uint64_t from, std::uint64_t to) {
        Alerts.Appended(Follower->FilePath, from, to, Store.Encoding().Encoding, Store.Codecs());
    };
    Store.SetOnFault([this](TStoreFault fault) {
        QMetaObject::invokeMethod(
            this, [this, fault] { StoreFaulted(fault); }, Qt::QueuedConnection);
    });
    Energy = new TIntervalTimer(500, this);
    connect(Energy, &TIntervalTimer::Timeout, this, &TForm2::Redraw);
    DemoTimer = new TIntervalTimer(200, this);
    connect(DemoTimer, &TIntervalTimer::Timeout, this, &TForm2::DemoTimerTimer);
    Skin = new TOriginalForm(this, false, this);
    Skin->OnMemoButton = [this](TOriginalForm&) { ToggleMemoView(); };
    MiniScrollBar1.SetBounds(0, 0, 12, 200);
    // The window repaints on every change of the bar, so it needs no repaint of its own.
    MiniScrollBar1.OnChange = [this] { MiniScrollBar1Change(); };
    CreateControls();
    TColumnSink column(ModuleLocations);
    Host.Modules().CreateModuleInstances(
        this, ModuleInstances,
        [&host](const std::string& name) { return host.SavedModuleLocation(name); }, column);
    CreateMenus();
    // Only a whole window answers its modules: one that calls back from ExpCreate
    // finds no window.
    RegisterModuleOwner(this);
}

TForm2::~TForm2() {
    Layer.reset();
    Skin->Detach();
    Closing = true;
    Worker->Cancel();
    Follower->Monitor->SetActive(false);
    Host.Modules().FreeModuleInstances(this, ModuleInstances);
    UnregisterModuleOwner(this);
}

const TLiveShade* TForm2::OwnerShade() const {
    return Host.Backdrop().LiveShade();
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
    connect(GlimraButton2, &TGlimraDC::Click, this, &TForm2::NotifyButtonClick);
    connect(GlimraButton3, &TGlimraDC::Click, this, &TForm2::AutoButtonClick);
    connect(GlimraButton4, &TGlimraDC::MouseDown, this, &TForm2::GlimraButton4MouseDown);
    connect(GlimraButton4, &TGlimraDC::MouseMove, this, &TForm2::GlimraButton4MouseMove);
    connect(GlimraButton4, &TGlimraDC::MouseUp, this, &TForm2::GlimraButton4MouseUp);
    connect(GlimraButton4, &TGlimraDC::DblClick, this, &TForm2::GlimraButton4DblClick);
    auto makeBadge = [this](TBadge (*draw)(qreal), const char* caption) {
        auto* badge = new TGlimraDC(this);
        badge->resize(200, 200);
        const TBadge art = draw(1);
        badge->SetPicture(art.Picture);
        badge->SetMask(art.Mask);
        badge->SetUseMask(true);
        badge->SetCaption(QString::fromLatin1(caption));
        badge->hide();
        return badge;
    };
    GlimraDC1 = makeBadge(&UpdateBadge, "UPDATE");
    GlimraDC3 = makeBadge(&DangerBadge, "");
    DrawFineBadges();
    GlimraEdit1 = new TGlimraEdit(this);
    GlimraEdit1->resize(409, 23);
    GlimraEdit1->hide();
}

void TForm2::DrawFineBadges() {
    // Drawn again for a device finer than a window pixel: the words stay sharp.
    const qreal ratio = devicePixelRatioF();
    const std::pair<TGlimraDC*, TBadge (*)(qreal)> badges[] = {{GlimraDC1, &UpdateBadge},
                                                               {GlimraDC3, &DangerBadge}};
    for (const auto& [badge, draw] : badges) {
        const TBadge fine = ratio > 1 ? draw(ratio) : TBadge{};
        badge->SetFinePicture(fine.Picture, fine.Mask, ratio);
    }
}

void TForm2::ScreenChanged() {
    // The new screen may have another ratio: the texts and the badges are laid for it.
    DrawFineBadges();
    Repaint();
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
    // A held redraw composes the shown badge with the rest of the controls.
    if (RedrawHolds > 0) {
        RedrawPending = true;
        return;
    }
    badge->UpdateBackground();
    badge->update();
}

void TForm2::HideBadges() {
    GlimraDC1->hide();
    GlimraDC3->hide();
}

void TForm2::InitWindow(bool layered) {
    if (layered) {
        if (!Layer)
            Layer = std::make_unique<TLayer>(*this, Host.Backdrop().LiveShade() != nullptr);
        GlimraButton4->setEnabled(!Layer->IsAvailable());
    }
    // Dropped files are taken up by the window's input code.
    Follower->Retry.MaxRetry = 10;
    Closing = false;
    if (!Follower->HasFile())
        Follower->FilePath = QCoreApplication::applicationFilePath().toStdString();
    Light.SetTop(2);
    Light.SetSize(40, 13);
    PlaceMemo();
    PlaceScrollBar();
    WordWrapper->OnScroll = [this](TGlimraMemo*) { MemoScrolled(); };
    connect(WordWrapper, &QPlainTextEdit::textChanged, this, &TForm2::WordWrapperChange,
            Qt::UniqueConnection);
    WordWrapper->OnClick = [this] { WordWrapperClick(); };
    ComputeButtonLayout();
    PlaceModules();
    Follower->Monitor->SetActive(false);
    if (Layer)
        Layer->SetAttributes(0, 127, LayerAlpha);
    ThreadTick = OpeningActive;
}

void TForm2::LookChanged() {
    const bool live = OwnerShade() != nullptr;
    if (live && !testAttribute(Qt::WA_TranslucentBackground)) {
        // Only a platform window made anew gets the depth-32 visual a compositor blends.
        const bool shown = isVisible();
        const bool active = isActiveWindow();
        hide();
        setAttribute(Qt::WA_TranslucentBackground);
        // With its backing store: the one made for the opaque window has no alpha.
        destroy();
        if (shown)
            show();
        if (active)
            activateWindow();
    }
    if (Layer) {
        // Per pixel where the compositor blends, through the window's opacity where not.
        Layer = std::make_unique<TLayer>(*this, live);
        if (live)
            SetWindowOpacity(*this, 1.0);
        Layer->SetAttributes(0, 127, LayerAlpha);
        GlimraButton4->setEnabled(!Layer->IsAvailable());
    }
    Redraw();
}

void TForm2::ApplySettings(const TRegIniRec& settings) {
    TRedrawHold hold(*this);
    QFont textFont = font();
    QColor color;
    DataToFont(settings.Font, textFont, color);
    TextColor = color;
    LineRules.Apply(settings.Rules);
    Alerts.SetRules(LineRules.Set());
    WordWrapper->SetTextColor(color);
    SetTextFont(textFont);
    Follower->ApplySettings(settings.WaitTime, settings.Retry);
    AutoTopLine = 0;
    SetScrollPosition(0);
    SetWordWrap(settings.WordWrap);
    UpdateScrollRange();
    UpdateEnergy(settings);
    GlimraButton4->setEnabled(!settings.LayerWin);
    bool onTop = windowFlags().testFlag(Qt::WindowStaysOnTopHint);
    // Qt carries a layered window's opacity over to the platform window this makes anew.
    if (settings.StayOnTop != onTop)
        setWindowFlag(Qt::WindowStaysOnTopHint, settings.StayOnTop);
    for (int n = 1; n <= 5; ++n)
        Button(n)->SetFontColor(settings.DeActiveMenuColor);
    if (NotifyOn)
        GlimraButton2->SetFontColor(settings.ActiveMenuColor);
    if (NeedsUpdates)
        GlimraButton3->SetFontColor(settings.ActiveMenuColor);
    Repaint();
    show();
}

void TForm2::UpdateEnergy(const TRegIniRec& settings) {
    Energy->SetEnabled(settings.GWatch && !NeedsUpdates);
}

void TForm2::OpenFile(const std::string& path) {
    // A module that takes the path shows it its own way; the window's file stays.
    if (Host.Modules().OfferParam(ModuleInstances, path)) {
        PlaceModules();
        return;
    }
    TRedrawHold hold(*this);
    std::uint64_t version = Store.Version();
    if (Follower->Load(path)) {
        TitlePath = path;
        setWindowTitle(FromBytes(FileNamePart(path)));
    }
    // An open memo view shows what was read, not what it held before.
    if (MemoView && (Store.Version() != version || WordWrapper->document()->isModified()))
        WordWrapper->LoadFrom(Store);
    MiniScrollBar1.Min = 0;
    UpdateScrollRange();
    SetScrollPosition(0);
    RecordAnchor();
    AutoTopLine = 0;
    Repaint();
    Follower->Follow(NotifyOn);
}

void TForm2::FileChanged() {
    // What the followed file brings reaches the screen before anything else is done.
    const QScopedValueRollback<bool> now(PaintAtOnce, true);
    TRedrawHold hold(*this);
    ShowBadge(GlimraDC1);
    ReadAgainKeepingView();
}

void TForm2::ReadAgainKeepingView() {
    int position = ScrollPosition();
    // A view at the last line keeps showing the newest lines, as tail -f does.
    bool atEnd = position >= ScrollMax();
    OpenFile(Follower->FilePath);
    if (atEnd)
        SetScrollPosition(ScrollMax());
    else if (static_cast<std::size_t>(position) < Store.DisplayLineCount())
        SetScrollPosition(position);
    RecordAnchor();
    // A read that goes on in the background keeps following the end.
    FollowEnd = atEnd;
}

void TForm2::StoreFaulted(TStoreFault fault) {
    if (Closing)
        return;
    TRedrawHold hold(*this);
    Follower->StoreFault(fault);
    if (MemoView)
        WordWrapper->LoadFrom(Store);
    UpdateScrollRange();
    Repaint();
}

void TForm2::RetryTick() {
    TRedrawHold hold(*this);
    // Also the read that confirms a file back after a failed read: one that failed
    // between a rotation's rename and its new file must not leave the end behind.
    ReadAgainKeepingView();
    ++AutoTopLine;
    Repaint();
}

void TForm2::GaveUp() {
    TRedrawHold hold(*this);
    ShowBadge(GlimraDC3);
    GlimraDC1->hide();
    if (MemoView)
        WordWrapper->LoadFrom(Store);
    UpdateScrollRange();
    Repaint();
    if (AutoMode)
        GlimraButton3Click();
}

void TForm2::GlimraButton2Click() {
    HideBadges();
    NotifyOn = !NotifyOn;
    const TRegIniRec& settings = Host.Settings();
    GlimraButton2->SetTransparent(NotifyOn ? 4 : 1);
    GlimraButton2->SetFontColor(NotifyOn ? settings.ActiveMenuColor : settings.DeActiveMenuColor);
    Follower->Monitor->SetActive(NotifyOn);
    Repaint();
}

void TForm2::ClearCommand() {
    TRedrawHold hold(*this);
    if (NotifyOn)
        GlimraButton2Click();
    Follower->Clear();
    SetScrollPosition(0);
    Store.Clear();
    WordWrapper->clear();
    setWindowTitle(QStringLiteral("GLIMRA WINDOW"));
    UpdateScrollRange();
    Repaint();
}

void TForm2::SaveToFile(const std::string& name) {
    if (FileExists(name) && MessageBoxes().Show(TMsgKind::Confirmation, "Press OK to overwrite.",
                                                TMsgButtons::OkCancel) != TMsgResult::Ok)
        return;
    if (WordWrapper->StoreInto(Store))
        Follower->Forget();
    // Streamed: the lines are read back from the file a piece at a time. What the
    // file's encoding cannot hold is kept only when the user agrees.
    bool declined = false;
    if (!SaveFileAtomically(name, [this,
                                   &declined](const std::function<bool(std::string_view)>& sink) {
            TLineStore::TMisses misses;
            if (!Store.WriteText(sink, &misses))
                return false;
            declined = misses.Count > 0 &&
                       MessageBoxes().Show(TMsgKind::Confirmation,
                                           UnencodableMessage(misses, Store.Encoding().Encoding),
                                           TMsgButtons::OkCancel) != TMsgResult::Ok;
            return !declined;
        })) {
        if (!declined)
            MessageBoxes().Show(TMsgKind::Warning, "Could not save to file.", TMsgButtons::Ok);
        return;
    }
    TitlePath = name;
    setWindowTitle(FromBytes(name));
}

void TForm2::DemoTimerTimer() {
    QRandomGenerator random(static_cast<quint32>(QDateTime::currentMSecsSinceEpoch()));
    Light.SetSize(80, 4);
    Light.StepUp = 5;
    Light.StepDown = -8;
    const int spread = std::max(1, width() / 5);
    for (int i = 0; i < 2; ++i) {
        const int r = static_cast<int>(random.bounded(spread));
        Light.Channel = static_cast<std::uint8_t>((Light.Channel + 1) % 3);
        Light.SetTop((width() - r) / 2);
        // Straight onto the screen: the next composition takes it away again.
        const QImage composed = WindowBitmap.copy();
        QPainter painter(&WindowBitmap);
        SweepTo(Light, composed, painter);
    }
    update();
}

void TForm2::closeEvent(QCloseEvent* event) {
    Host.CloseWindow(*this);
    event->accept();
}

} // namespace glimra
