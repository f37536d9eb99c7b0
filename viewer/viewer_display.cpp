// How a viewer window turns its state into pixels: composition, lines, scrolling,
// the Auto ticker, the opening band and the layout of its controls.
#include "graphics/backdrop.h"
#include "graphics/glimra_button.h"
#include "graphics/glimra_edit.h"
#include "graphics/original_form.h"
#include "graphics/overlaps.h"
#include "graphics/qt_pixels.h"
#include "modules/module_set.h"
#include "viewer/glimra_memo.h"
#include "viewer/interval_timer.h"
#include "viewer/viewer_window.h"
#include "viewer/window_host.h"
#include "viewer/window_layout.h"

#include <QFile>
#include <QFontMetrics>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QThread>
#include <QTimer>
#include <QWheelEvent>
#include <QWindow>

#include <algorithm>
#include <cmath>
#include <optional>
#include <utility>
#include <vector>

namespace glimra {

bool TForm2::IsActiveWindow() const {
    return ActiveWindow.data() == this;
}

GlimraDib& TForm2::WindowDib() {
    Dib = {WindowBitmap.width(), WindowBitmap.height(), 24,
           static_cast<std::int32_t>(WindowBitmap.bytesPerLine()), WindowBitmap.bits()};
    return Dib;
}

void TForm2::PlaceModules() {
    ModuleLocations.SetAnchor(MiniScrollBar1.Left - 10,
                              GlimraButton5->y() + GlimraButton5->height() + 10);
    ModuleLocations.Layout();
}

void TForm2::SetTextFont(const QFont& textFont) {
    // Rewrapping a big file is not free: only a real change does it.
    if (textFont == font() && textFont == WordWrapper->font())
        return;
    setFont(textFont);
    WordWrapper->setFont(textFont);
    LineHeight = std::max(1, QFontMetrics(textFont).height());
    RewrapStore();
}

void TForm2::SetWordWrap(bool on) {
    auto mode = on ? QPlainTextEdit::WidgetWidth : QPlainTextEdit::NoWrap;
    if (mode == WordWrapper->lineWrapMode() && on == Store.Wrap())
        return;
    WordWrapper->setLineWrapMode(mode);
    RewrapStore();
}

namespace {

// Character widths of a font, safe on the worker's thread: each thread measures with
// font objects of its own, the window's thread with the ones made here.
TCharWidth FontWidths(const QFont& font) {
    auto own = std::make_shared<QFontMetrics>(font);
    QThread* home = QThread::currentThread();
    QString key = font.toString();
    return [own, home, key](char32_t c) {
        QString text = QString::fromUcs4(&c, 1);
        if (QThread::currentThread() == home)
            return own->horizontalAdvance(text);
        thread_local QString metricsKey;
        thread_local std::unique_ptr<QFontMetrics> metrics;
        if (!metrics || metricsKey != key) {
            QFont copy;
            copy.fromString(key);
            metrics = std::make_unique<QFontMetrics>(copy);
            metricsKey = key;
        }
        return metrics->horizontalAdvance(text);
    };
}

} // namespace

void TForm2::RewrapStore() {
    TWrapKey key{WordWrapper->lineWrapMode() != QPlainTextEdit::NoWrap, TextWidth(),
                 font().toString()};
    // Activation, showing a hidden window and unchanged settings wrap nothing again.
    if (key == WrappedWith)
        return;
    WrappedWith = key;
    AnchorRow = 0;
    Store.SetWrap(key.On, key.Width, FontWidths(font()), QFontMetrics(font()).maxWidth());
    if (key.On)
        Worker->WakeWrap();
    KeepView();
}

void TForm2::RecordAnchor() {
    const std::size_t position = static_cast<std::size_t>(std::max(0, ScrollPosition()));
    AnchorLine = Store.FileLineOf(position);
    AnchorRow = position - std::min(position, Store.DisplayIndexOf(AnchorLine));
    FollowEnd = position > 0 && ScrollPosition() >= ScrollMax();
}

void TForm2::KeepView() {
    const std::size_t target = Store.DisplayIndexOf(AnchorLine) + AnchorRow;
    const bool toEnd = FollowEnd;
    Anchoring = true;
    UpdateScrollRange();
    SetScrollPosition(toEnd ? ScrollMax()
                            : static_cast<int>(std::min<std::size_t>(target, INT32_MAX)));
    Anchoring = false;
}

void TForm2::StoreProgress() {
    Worker->ProgressTaken();
    if (Closing)
        return;
    std::optional<TLoadOutcome> outcome = Worker->TakeOutcome();
    // Steps come every millisecond or so: the view follows them a few times a second,
    // and at once when a read ends.
    if (!outcome) {
        if (!ProgressTimer->isActive())
            ProgressTimer->start();
        return;
    }
    ProgressTimer->stop();
    TRedrawHold hold(*this);
    Follower->LoadEnded(*outcome);
    if (MemoView)
        WordWrapper->LoadFrom(Store);
    ShowProgress();
}

void TForm2::ShowProgress() {
    if (Closing)
        return;
    TRedrawHold hold(*this);
    KeepView();
    Repaint();
}

void TForm2::DrawProgress() {
    const double done = Worker->Progress();
    if (done < 0)
        return;
    QPainter painter(&WindowBitmap);
    // A thin bar in the margin below the text, never over it.
    const int y = height() - 9;
    painter.fillRect(15, y, TextWidth(), 2, QColor(80, 80, 80));
    painter.fillRect(15, y, static_cast<int>(TextWidth() * done), 2, TextColor);
    Base.Drew({15, y, 15 + TextWidth(), y + 2});
    DeviceText.DrewOver({15, y, 15 + TextWidth(), y + 2});
}

void TForm2::PlaceMemo() {
    WordWrapper->setGeometry(15, LineHeight + 15, TextWidth(), MemoHeight());
}

void TForm2::PlaceScrollBar() {
    MiniScrollBar1.SetBounds(width() - MiniScrollBar1.Width() - 20, 20, MiniScrollBar1.Width(),
                             height() - 40);
}

void TForm2::Repaint() {
    if (RedrawHolds > 0)
        RedrawPending = true;
    else
        Redraw();
}

void TForm2::UpdateScrollRange() {
    int rows = MemoHeight() / std::max(1, LineHeight);
    // While the memo view is open its text, edits and all, is what the bar scrolls.
    auto lines = MemoView ? static_cast<long long>(WordWrapper->LineCount())
                          : static_cast<long long>(Store.DisplayLineCount());
    long long max = lines - rows + 1;
    MiniScrollBar1.SetMax(
        static_cast<int>(std::clamp<long long>(max, MiniScrollBar1.Min, INT32_MAX)));
}

void TForm2::MiniScrollBar1Change() {
    if (!Anchoring)
        RecordAnchor();
    if (MemoView) {
        auto saved = std::move(WordWrapper->OnScroll);
        WordWrapper->ScrollToLine(ScrollPosition());
        if (WordWrapper->FirstVisibleLine() != ScrollPosition())
            SetScrollPosition(WordWrapper->FirstVisibleLine());
        WordWrapper->OnScroll = std::move(saved);
    }
    Repaint();
}

void TForm2::MemoScrolled() {
    auto saved = std::move(MiniScrollBar1.OnChange);
    SetScrollPosition(WordWrapper->FirstVisibleLine());
    MiniScrollBar1.OnChange = std::move(saved);
    setWindowTitle(
        QStringLiteral("%1/%2").arg(WordWrapper->FirstVisibleLine()).arg(ScrollPosition()));
}

void TForm2::WordWrapperChange() {
    UpdateScrollRange();
}

void TForm2::WordWrapperClick() {
    UpdateScrollRange();
}

void TForm2::SetMemoView(bool on) {
    if (MemoView == on)
        return;
    MemoView = on;
    if (on) {
        WordWrapper->LoadFrom(Store);
        WordWrapper->show();
    } else {
        if (WordWrapper->StoreInto(Store))
            UpdateScrollRange();
        WordWrapper->hide();
    }
    UpdateScrollRange();
}

void TForm2::ToggleMemoView() {
    SetMemoView(!MemoView);
    if (!MemoView)
        return;
    if (NotifyOn)
        GlimraButton2Click();
    if (AutoMode)
        GlimraButton3Click();
    UpdateScrollRange();
    MiniScrollBar1Change();
}

std::optional<TFrameBase::TKey> TForm2::BaseKey(const TBackdrop& backdrop,
                                                TOverlapPlan behind) const {
    // Modules may draw something else in every frame, the opening band grows.
    if (OpeningActive || !ModuleInstances.empty())
        return std::nullopt;
    const TRegIniRec& settings = Host.Settings();
    TFrameBase::TKey key{std::move(behind.Layout),
                         QFile::decodeName(QByteArray::fromStdString(TitlePath)), font(),
                         std::move(behind.Pictures), behind.Area};
    key.Values.insert(key.Values.end(),
                      {backdrop.Key(), x(), y(), width(), height(), MemoView, IsActiveWindow(),
                       static_cast<std::int64_t>(devicePixelRatioF() * 1000),
                       static_cast<std::int64_t>(settings.ActiveColor),
                       static_cast<std::int64_t>(settings.DeActiveColor),
                       static_cast<std::int64_t>(settings.FileColor)});
    return key;
}

void TForm2::ComposeBase(const TBackdrop& backdrop, const TOverlapPlan& behind, TRect clip) {
    if (OpeningActive && !backdrop.LiveShade()) {
        // Outside the band nothing is drawn yet: black, never what the memory held.
        WindowBitmap.fill(Qt::black);
        backdrop.Lay(WindowBitmap, OpeningRect.Left, OpeningRect.Top, x() + OpeningRect.Left,
                     y() + OpeningRect.Top, OpeningRect.Width, OpeningRect.Height);
    } else {
        // What the windows behind will paint over needs no desktop under it.
        for (const TRect& r : Around(clip, behind.Filled))
            backdrop.Lay(WindowBitmap, r.Left, r.Top, x() + r.Left, y() + r.Top, r.Width(),
                         r.Height());
    }
    Host.ComposeOverlaps(*this);
    // Modules first draw a window that stands at its place and size: it is shown then.
    if (!OpeningActive && !ModuleInstances.empty() && isVisible()) {
        // A module that asks for a redraw while it draws would never return. The lines
        // modules read are kept for this drawing only.
        ModuleTexts.Lines.clear();
        // Over a live shade, what modules lay is followed so that it shows as it would
        // over the captured copy: their own pixels opaque, their blends at their alpha.
        if (const TLiveShade* shade = backdrop.LiveShade())
            ModuleCover.Begin(ViewOf(std::as_const(WindowBitmap)), shade->Alpha);
        DrawingModules = true;
        Host.Modules().DrawModules(ModuleInstances, WindowDib());
        DrawingModules = false;
        ModuleTexts.Lines.clear();
    } else {
        ModuleCover.End();
    }
    const TRegIniRec& settings = Host.Settings();
    Skin->MemoViewOn = MemoView;
    Skin->IsActive = IsActiveWindow();
    Skin->ActiveColor = settings.ActiveColor;
    Skin->DeActiveColor = settings.DeActiveColor;
    Skin->FileColor = settings.FileColor;
    Skin->Apart = devicePixelRatioF() > 1.0;
    const bool whole = clip == TRect{0, 0, width(), height()};
    Skin->DrawSkin(QFile::decodeName(QByteArray::fromStdString(TitlePath)), WindowBitmap,
                   whole ? QRect() : QRect(clip.Left, clip.Top, clip.Width(), clip.Height()));
}

std::vector<TRect> TForm2::DrawSkinApart() {
    std::vector<TRect> drawn;
    if (!DeviceText.Kept())
        return drawn;
    const QString path = QFile::decodeName(QByteArray::fromStdString(TitlePath));
    const TOriginalForm::TTitleText title = Skin->TitleText(WindowBitmap.size());
    drawn.push_back(
        {title.Rect.left(), title.Rect.top(), title.Rect.right() + 1, title.Rect.bottom() + 1});
    Skin->DrawTitle(path, WindowBitmap);
    DeviceText.Add(path, drawn.back(), title.Font, title.Color);
    Skin->DrawGlyphs(WindowBitmap);
    for (const QRect& g :
         DeviceText.AddLines(Skin->Glyphs(WindowBitmap.size()), TOriginalForm::GlyphPen()))
        drawn.push_back({g.left(), g.top(), g.right() + 1, g.bottom() + 1});
    return drawn;
}

void TForm2::Redraw() {
    const TBackdrop& backdrop = Host.Backdrop();
    if (Closing || DrawingModules || !backdrop.Ready() || !WordWrapper || width() <= 0 ||
        height() <= 0)
        return;
    RedrawPending = false;
    if (OpeningActive)
        Host.WakeUpdates();
    EnsureBitmap(WindowBitmap, width(), height());
    const TOverlapPlan behind = Host.OverlapPlan(*this);
    const std::optional<TFrameBase::TKey> key = BaseKey(backdrop, behind);
    switch (Base.Restore(WindowBitmap, key)) {
    case TFrameBase::TRestored::None:
        ComposeBase(backdrop, behind, {0, 0, width(), height()});
        Base.Composed(WindowBitmap, key);
        break;
    case TFrameBase::TRestored::Outside:
        ComposeBase(backdrop, behind, key->BehindArea);
        Base.ComposedBehind(WindowBitmap, *key);
        break;
    case TFrameBase::TRestored::Whole:
        break;
    }
    const TRegIniRec& settings = Host.Settings();
    LineHeight = std::max(1, QFontMetrics(font(), &WindowBitmap).height());
    PlaceMemo();
    const qreal ratio = devicePixelRatioF();
    // The picture under the lines is kept whole for them to be laid again finer.
    if (ratio > 1.0)
        Base.FinishRestore(WindowBitmap);
    DeviceText.BeginFrame(WindowBitmap, ratio);
    // The title and the glyphs are laid over the base as the lines are, so that what is
    // drawn over them later (the light, the menus) shows them as it did.
    for (const TRect& r : DrawSkinApart())
        Base.Drew(r);
    DrawLines();
    Base.FinishRestore(WindowBitmap);
    DrawProgress();
    MiniScrollBar1.SetColor(IsActiveWindow() ? settings.ActiveColor : settings.DeActiveColor);
    if (MiniScrollBar1.Visible) {
        MiniScrollBar1.PaintTo(ViewOf(WindowBitmap));
        Base.Drew(MiniScrollBar1.Painted());
        // Beside its strokes the lines stay finer.
        for (const TRect& stroke : MiniScrollBar1.Strokes())
            DeviceText.DrewOver(stroke);
    }
    if ((AutoMode || SweepActive) && !DemoTimer->Enabled()) {
        const TRect light{Light.GetPosition(), Light.GetTop(),
                          Light.GetPosition() + Light.GetBandWidth(),
                          Light.GetTop() + Light.GetBandHeight()};
        Base.Drew(light);
        DeviceText.AddLight(light, Light.Channel, Light.Ramp());
        Light.Step(ViewOf(WindowBitmap));
    }
    if (MenuShows())
        Base.DrewEverywhere();
    DrawMenus();
    Base.FrameDone(WindowBitmap);
    if (OpeningActive) {
        OpeningStep();
        return;
    }
    // The controls first: a control asking for a paint after the window would
    // be painted a second time, the window under it too. Of the window, only what
    // changed since the last frame.
    QRegion changed = Base.Changed().subtracted(ComposeControls()) + Unshown;
    Unshown = {};
    // An Auto step changes all the text, most of it under the windows in front where
    // they overlap this one: that part waits until they uncover it.
    if (AutoMode && ++StepsSinceWholeFrame < WholeFrameEvery) {
        const QRegion hidden = Host.Hidden(*this);
        Unshown = changed & hidden;
        changed -= hidden;
    } else {
        StepsSinceWholeFrame = 0;
    }
    if (!AutoMode)
        changed = Shown.Differing(WindowBitmap, changed);
    changed = DeviceText.Widened(changed);
    if (PaintAtOnce && isVisible())
        repaint(changed);
    else
        update(changed);
}

QRegion TForm2::ComposeControls() {
    // A control whose picture came out as it was keeps what the window system shows:
    // neither it nor the window under it is painted again.
    QRegion kept;
    const auto compose = [&kept](auto* control) {
        if (!control->UpdateBackground() && control->isVisible())
            kept += control->geometry();
        else
            control->update();
    };
    for (int n = 1; n <= 5; ++n)
        compose(Button(n));
    if (!GlimraEdit1->isHidden()) {
        GlimraEdit1->UpdateBackground();
        GlimraEdit1->update();
    }
    for (TGlimraDC* badge : {GlimraDC1, GlimraDC3})
        if (!badge->isHidden())
            compose(badge);
    if (MemoView)
        WordWrapper->viewport()->update();
    return kept;
}

void TForm2::OpeningStep() {
    TBounds& r = OpeningRect;
    {
        QPainter painter(&WindowBitmap);
        painter.setPen(QColor(255, 255, 0));
        painter.drawLine(r.Left, r.Top, r.Left + r.Width - 1, r.Top);
        painter.drawLine(r.Left, r.Top + r.Height - 1, r.Left + r.Width - 1, r.Top + r.Height - 1);
    }
    update(r.Left, r.Top, r.Width, r.Height);
    TOpeningBand band =
        StepOpening({r.Left, r.Top, r.Width, r.Height}, Host.WindowCount(), width(), height());
    r = band.Rect;
    if (band.Done) {
        OpeningActive = false;
        ThreadTick = false;
        Redraw();
    }
}

void TForm2::DrawLines() {
    std::size_t count = Store.DisplayLineCount();
    if (count == 0 || (MemoView && WordWrapper->lineWrapMode() == QPlainTextEdit::NoWrap))
        return;
    std::size_t first = AutoMode ? static_cast<std::size_t>(std::max(AutoTopLine, 0))
                                 : std::min<std::size_t>(ScrollPosition(), count - 1);
    int y = LineHeight + 15 - static_cast<int>(SubLineOffset);
    int rows = (WindowBitmap.height() - 30) / LineHeight;
    if (AutoMode)
        rows = std::max(rows, 1);
    LineImages.BeginFrame(
        {font(), TextColor, WindowBitmap.width() - 15, LineHeight, LineRules.Generation()});
    TPixelView bitmap = ViewOf(WindowBitmap);
    // Read before any line: a text is never older than the version it is kept under.
    const std::uint64_t version = Store.Version();
    std::vector<std::size_t> shown;
    for (int row = 0; row < rows; ++row) {
        const std::size_t index = first + static_cast<std::size_t>(row);
        if (!AutoMode && index >= count)
            break;
        shown.push_back(AutoMode ? index % count : index);
    }
    // The texts not kept are read in one go: a worker counting rows takes the lock
    // between any two reads.
    // Laid again finer at paint time, every line shown needs its text.
    const bool finer = DeviceText.Kept();
    std::vector<std::size_t> missing;
    for (std::size_t index : shown)
        if (finer || !LineImages.Holds(index, version))
            missing.push_back(index);
    const std::vector<std::u32string> texts = Store.DisplayLines(missing);
    const std::vector<QColor> colors = LineRules.Colors(Store, missing);
    const TInkPicture::TRestore restore = Base.Restoring();
    for (std::size_t index : shown) {
        const auto at = std::find(missing.begin(), missing.end(), index);
        const auto i = at - missing.begin();
        const QColor color = at == missing.end() ? QColor() : colors[i];
        LineImages
            .Line(
                index, version, [&] { return texts[i]; }, color)
            .BlendOnto(bitmap, 15, y, Base.Drawn(), &restore);
        if (finer) {
            const std::u32string& text = texts[at - missing.begin()];
            DeviceText.Add(QString::fromUcs4(text.data(), static_cast<qsizetype>(text.size())),
                           {15, y, WindowBitmap.width(), y + LineHeight}, font(), TextColor);
        }
        y += LineHeight;
    }
    if (static_cast<std::size_t>(std::max(AutoTopLine, 0)) >= count)
        AutoTopLine = 0;
}

void TForm2::GlimraButton3Click() {
    AutoScrolling = !AutoScrolling;
    AutoMode = !AutoMode;
    if (AutoScrolling) {
        UpdateAutoState(true);
        MiniScrollBar1.Visible = false;
        AutoTopLine = ScrollPosition();
    } else {
        MiniScrollBar1.Visible = true;
        SetScrollPosition(ScrollMax() == 0 ? 0 : AutoTopLine % ScrollMax());
        UpdateAutoState(ExternalUpdates);
        SubLineOffset = 0;
    }
    WordWrapper->setVisible(MemoView && !AutoScrolling);
    GlimraButton3->update();
    Repaint();
}

void TForm2::UpdateAutoState(bool on) {
    NeedsUpdates = AutoScrolling || ExternalUpdates || on;
    Host.ResetUpdateCursor();
    ThreadTick = NeedsUpdates;
    UpdateEnergy(Host.Settings());
    if (on) {
        Light.SetTop(2);
        GlimraButton3->SetTransparent(4);
        GlimraButton3->SetFontColor(clRed);
        Host.WakeUpdates();
    } else {
        GlimraButton3->SetTransparent(1);
        GlimraButton3->SetFontColor(Host.Settings().DeActiveMenuColor);
    }
}

void TForm2::SetExternalUpdates(bool on) {
    ExternalUpdates = on;
    UpdateAutoState(on);
}

void TForm2::AutoTimerTimer() {
    if (AutoScrolling)
        SubLineOffset += static_cast<float>(LineHeight) /
                         static_cast<float>(std::max(0, Host.Settings().ScrollWait) + 1);
    Redraw();
    if (AutoScrolling && SubLineOffset >= static_cast<float>(LineHeight)) {
        SubLineOffset -= static_cast<float>(LineHeight);
        ++AutoTopLine;
    }
}

void TForm2::ComputeButtonLayout() {
    ButtonWidth = GlimraButton3->width();
    ButtonHeight = GlimraButton3->height();
    for (int n = 1; n <= 5; ++n)
        ButtonHome[n - 1] = ButtonHomeFor(n, width());
}

void TForm2::ApplyButtonLayout() {
    for (int n = 1; n <= 5; ++n) {
        TGlimraButton* button = Button(n);
        if (n == 4 && button->size() != QSize(ButtonWidth, ButtonHeight))
            continue;
        button->setGeometry(ButtonHome[n - 1].X, ButtonHome[n - 1].Y, ButtonWidth, ButtonHeight);
    }
}

void TForm2::paintEvent(QPaintEvent* event) {
    QPainter painter(this);
    if (WindowBitmap.isNull()) {
        if (OwnerShade())
            painter.setCompositionMode(QPainter::CompositionMode_Source);
        painter.fillRect(rect(), OwnerShade() ? QColor(0, 0, 0, OwnerShade()->Alpha) : Qt::black);
        Shown.Forget(event->region());
        return;
    }
    ShowPicture(WindowBitmap, event->region(), *this, painter, ScreenImage, OwnerShade(),
                &ModuleCover);
    DeviceText.Paint(painter, event->region(), *this, ScreenImage, OwnerShade(), &ModuleCover);
    if (OwnerShade()) {
        // Over a live backdrop nothing is outside the window's shape, which not every
        // platform cuts (Wayland), nor outside the opening band yet.
        QRegion clear = mask().isEmpty() ? QRegion() : event->region().subtracted(mask());
        if (OpeningActive)
            clear += event->region().subtracted(
                QRect(OpeningRect.Left, OpeningRect.Top, OpeningRect.Width, OpeningRect.Height));
        painter.setCompositionMode(QPainter::CompositionMode_Source);
        for (const QRect& r : clear)
            painter.fillRect(r, Qt::transparent);
    }
    // A change reaches the screen first; the copy waits for a paint with time to spare.
    if (AutoMode || SweepActive || PaintAtOnce)
        Shown.Forget(event->region());
    else
        Shown.Painted(WindowBitmap, event->region());
    ++Paints;
}

void TForm2::resizeEvent(QResizeEvent* event) {
    // Moved to a screen of another ratio, some platforms keep the window's device size
    // and change its size in window pixels, which settings and modules count in: keep
    // those instead.
    const qreal ratio = devicePixelRatioF();
    const qreal was = std::exchange(SizedRatio, ratio);
    const QSize old = event->oldSize();
    const auto sameDevice = [](qreal a, qreal b) { return std::abs(a - b) <= 1; };
    if (was > 0 && ratio != was && !old.isEmpty() &&
        sameDevice(old.width() * was, width() * ratio) &&
        sameDevice(old.height() * was, height() * ratio)) {
        resize(old);
        return;
    }
    FormResize();
}

void TForm2::FormResize() {
    TRedrawHold hold(*this);
    Repaint();
    Host.ShowUncovered();
    PlaceScrollBar();
    PlaceMemo();
    ComputeButtonLayout();
    ApplyButtonLayout();
    PlaceModules();
    RewrapStore();
    UpdateScrollRange();
}

void TForm2::moveEvent(QMoveEvent*) {
    Repaint();
    Host.ShowUncovered();
}

void TForm2::showEvent(QShowEvent*) {
    // The window system's exposures come to the native window: one that uncovers a
    // part left out must have it painted before Qt shows what it last held there.
    if (QWindow* handle = windowHandle()) {
        handle->installEventFilter(this);
        connect(handle, &QWindow::screenChanged, this, &TForm2::ScreenChanged,
                Qt::UniqueConnection);
    }
}

void TForm2::hideEvent(QHideEvent*) {
    Host.ShowUncovered();
}

void TForm2::ShowUnshown() {
    if (Unshown.isEmpty())
        return;
    update(Unshown);
    Unshown = {};
}

void TForm2::wheelEvent(QWheelEvent* event) {
    bool towardUser = event->angleDelta().y() < 0;
    QPoint at = event->position().toPoint();
    QRect lens = GlimraButton4->geometry();
    if (at.x() > lens.left() && at.x() < lens.left() + lens.width() && at.y() > lens.top() &&
        at.y() < lens.top() + lens.height()) {
        GlimraButton4->SetZoom(GlimraButton4->Zoom() + (towardUser ? 5 : -5));
        GlimraButton4->UpdateBackground();
        GlimraButton4->update();
    } else if (!AutoMode) {
        SetScrollPosition(ScrollPosition() + (towardUser ? 5 : -5));
    }
    event->ignore();
}

void TForm2::GlimraButton4MouseDown(QMouseEvent* event) {
    TGlimraButton* lens = GlimraButton4;
    if (event->button() != Qt::LeftButton) {
        lens->setGeometry(ButtonHome[3].X, ButtonHome[3].Y, ButtonWidth, ButtonHeight);
        lens->SetZoom(0);
        return;
    }
    QPoint at = event->position().toPoint();
    bool inGrip = at.x() > lens->width() - 25 && at.x() < lens->width() &&
                  at.y() > lens->height() - 25 && at.y() < lens->height();
    ZoomDragMode = inGrip ? 3 : 2;
    ZoomDragX = at.x();
    ZoomDragY = at.y();
}

void TForm2::GlimraButton4MouseMove(QMouseEvent* event) {
    TGlimraButton* lens = GlimraButton4;
    QPoint at = event->position().toPoint();
    if (ZoomDragMode == 2) {
        lens->move(lens->x() + at.x() - ZoomDragX, lens->y() + at.y() - ZoomDragY);
    } else if (ZoomDragMode == 3) {
        lens->resize(std::max(1, lens->width() + at.x() - ZoomDragX),
                     std::max(1, lens->height() + at.y() - ZoomDragY));
        ZoomDragX = at.x();
        ZoomDragY = at.y();
    } else {
        return;
    }
    lens->UpdateBackground();
    lens->update();
}

void TForm2::GlimraButton4MouseUp(QMouseEvent*) {
    TGlimraButton* lens = GlimraButton4;
    if (ZoomDragMode == 2 && lens->size() == QSize(75, 11) && lens->x() != 252 && lens->y() != 15) {
        lens->resize(lens->width(), lens->width());
        lens->UpdateBackground();
        lens->update();
    }
    ZoomDragMode = 0;
}

void TForm2::GlimraButton4DblClick() {
    GlimraButton4->SetZoom(5);
    GlimraButton4->UpdateBackground();
    GlimraButton4->update();
}

void TForm2::FormDblClick(int pointerY) {
    if (AutoMode)
        return;
    Light.ResetPosition();
    Light.Channel = (Light.Channel + 1) % 3;
    Light.SetTop(pointerY);
    SweepActive = true;
    for (int i = 0; i < width() / 20 + 1; ++i) {
        Redraw();
        repaint();
    }
    SweepActive = false;
    Redraw();
}

void TForm2::mouseDoubleClickEvent(QMouseEvent* event) {
    // A quick second click on an open menu is a click on it.
    if (MenuShows())
        return FormMouseDown(event);
    // The second press of a double click: the modules get it as a press marked double.
    ForwardMouse(GLIMRA_MOUSE_DOWN, event, true);
    FormDblClick(event->position().toPoint().y());
}

} // namespace glimra
