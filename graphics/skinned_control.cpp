#include "graphics/skinned_control.h"

#include "graphics/bitmap_owner.h"
#include "graphics/blend.h"
#include "graphics/brightness.h"
#include "graphics/pixel_ops.h"
#include "graphics/qt_pixels.h"

#include <QLineEdit>
#include <QPainter>
#include <QResizeEvent>
#include <QWidget>

#include <cmath>
#include <cstring>
#include <utility>

namespace glimra {
namespace {

// Room left of a caption's ink for glyphs reaching back past their origin.
constexpr int CaptionMargin = 2;

} // namespace

template <class Base> TSkinned<Base>::TSkinned(QWidget* owner) : Base(owner) {
    Base::setMinimumSize(MinControlSide, MinControlSide);
    MaskImage = QImage(1, 1, QImage::Format_Mono);
    MaskImage.setColorTable({qRgb(0, 0, 0), qRgb(255, 255, 255)});
    MaskImage.fill(0);
}

template <class Base> void TSkinned<Base>::SetCaption(const QString& value) {
    if (value == CaptionText)
        return;
    CaptionText = value;
    Base::update();
}

template <class Base> void TSkinned<Base>::SetTransparent(std::uint8_t value) {
    if (value == Level)
        return;
    Level = value;
    if (!Back.isNull()) {
        Compose(Level);
        Base::update();
    }
}

template <class Base> void TSkinned<Base>::SetRectColor(TColor value) {
    if (value == FrameColor)
        return;
    FrameColor = value;
    Base::update();
}

template <class Base> void TSkinned<Base>::SetDrawRectLine(bool value) {
    if (value == Frame)
        return;
    Frame = value;
    Base::update();
}

template <class Base> void TSkinned<Base>::SetFontColor(TColor value) {
    if (value == TextColor)
        return;
    TextColor = value;
    Base::update();
}

template <class Base> void TSkinned<Base>::SetZoom(int value) {
    ZoomValue = AcceptZoom(ZoomValue, value, Base::width(), Base::height());
}

template <class Base> void TSkinned<Base>::SetPicture(const QImage& value) {
    PictureImage = value.isNull() ? QImage() : value.convertToFormat(QImage::Format_BGR888);
}

template <class Base> void TSkinned<Base>::SetMask(const QImage& value) {
    MaskImage = NormalisedMask(value);
}

template <class Base>
void TSkinned<Base>::SetFinePicture(const QImage& picture, const QImage& mask, qreal scale) {
    FinePicture = picture.isNull() ? QImage() : picture.convertToFormat(QImage::Format_BGR888);
    FineMask = NormalisedMask(mask);
    FineScale = scale;
    FineImage = QImage();
}

template <class Base> bool TSkinned<Base>::Fine() const {
    return !FinePicture.isNull() && !Lighter && ZoomValue == 0 && Blend <= 100 && FineScale > 1 &&
           Base::devicePixelRatioF() == FineScale;
}

template <class Base> const QImage& TSkinned<Base>::FineShown() const {
    const std::uint64_t key = KeyFor(Level);
    if (!FineImage.isNull() && FineKey == key)
        return FineImage;
    QImage shaded = FinePicture.copy();
    AdjustBrightness(ViewOf(shaded), Level, {1, 1, 1, Lighten});
    FineImage = shaded.convertToFormat(QImage::Format_ARGB32);
    if (Masked)
        for (int y = 0; y < FineImage.height(); ++y) {
            auto* row = reinterpret_cast<QRgb*>(FineImage.scanLine(y));
            for (int x = 0; x < FineImage.width(); ++x)
                if (!FineMask.isNull() && MaskViewOf(FineMask).White(x, y))
                    row[x] = 0;
        }
    FineImage.setDevicePixelRatio(FineScale);
    FineKey = key;
    return FineImage;
}

template <class Base> void TSkinned<Base>::SetAutoSize(bool value) {
    if (value == AutoSized)
        return;
    AutoSized = value;
    Base::resize(PictureImage.width(), PictureImage.height());
}

template <class Base> TBounds TSkinned<Base>::Bounds() const {
    return {Base::x(), Base::y(), Base::width(), Base::height()};
}

template <class Base> bool TSkinned<Base>::IsInParent() const {
    const QWidget* parent = Base::parentWidget();
    return parent && glimra::IsInParent(Bounds(), parent->width(), parent->height());
}

template <class Base> bool TSkinned<Base>::UpdateBackground(const QImage& source) {
    if (!IsInParent())
        return true;
    const TBounds bounds = Bounds();
    const TZoomInsets insets = ZoomInsets(bounds.Width, bounds.Height, ZoomValue);
    const int w = bounds.Width - 2 * insets.A, h = bounds.Height - 2 * insets.Z;
    // Most frames change nothing under the controls: then the picture is neither
    // blended nor composed again, and the control is not painted again.
    const bool sameSource = SourceMatches(source, BackgroundSource(bounds, insets), w, h) &&
                            SourceInputs == BlendInputs();
    if (sameSource && ComposedKey == KeyFor(Level) && !ComposedImage.isNull() &&
        Back.size() == QSize(w, h))
        return false;
    if (!sameSource) {
        EnsureBitmap(Back, w, h);
        const TRect from = BackgroundSource(bounds, insets);
        // The back colour shows only where the control reaches past the window.
        if (source.isNull() || Intersect(from, {0, 0, source.width(), source.height()}) != from)
            FillBitmap(Back, BackColor);
        if (source.format() == QImage::Format_BGR888)
            CopyRect(ViewOf(Back), 0, 0, ViewOf(source), from);
        else if (!source.isNull())
            CopyRect(ViewOf(Back), 0, 0, ViewOf(source.convertToFormat(QImage::Format_BGR888)),
                     from);
        // Kept in its own buffer: a copy per frame is an allocation per frame.
        EnsureBitmap(Source, w, h);
        CopyRect(ViewOf(Source), 0, 0, ViewOf(std::as_const(Back)), {0, 0, w, h});
        SourceInputs = BlendInputs();
        // Only an unmagnified back whose picture, if any, is laid over finer.
        const auto* owner = dynamic_cast<const TBitmapOwner*>(Base::parentWidget());
        const bool fineBack = owner && ZoomValue == 0 && from.Width() == w && from.Height() == h &&
                              (PictureImage.isNull() || SourceInputs.Fine) &&
                              source.cacheKey() == owner->OwnerBitmap().cacheKey();
        FineBack = fineBack ? owner->OwnerFinePicture({from.Left, from.Top, w, h}) : QImage();
        // A fine picture is laid over when painted.
        if (!SourceInputs.Fine) {
            if (Masked)
                BlendPictureMasked(Lighter, Blend / 100.0);
            else
                BlendPicture(Lighter, Blend / 100.0);
        }
    }
    Compose(Level);
    Base::update();
    return true;
}

template <class Base>
bool TSkinned<Base>::SourceMatches(const QImage& source, TRect from, int w, int h) const {
    if (Source.size() != QSize(w, h) || source.format() != QImage::Format_BGR888)
        return false;
    // What the copy would hold: the window's pixels where they overlap, the back
    // colour elsewhere (a control reaching past the window).
    if (Intersect(from, ViewOf(source).Rect()) != from || from.Width() != w || from.Height() != h)
        return false;
    const TConstPixelView now = ViewOf(source), then = ViewOf(Source);
    const std::size_t bytes = static_cast<std::size_t>(w) * 3;
    for (int y = 0; y < h; ++y)
        if (std::memcmp(now.Row(from.Top + y) + from.Left * 3, then.Row(y), bytes) != 0)
            return false;
    return true;
}

template <class Base> typename TSkinned<Base>::TBlendInputs TSkinned<Base>::BlendInputs() const {
    return {
        PictureImage.cacheKey(), MaskImage.cacheKey(), Blend, Lighter, Masked, Fine(), BackColor};
}

template <class Base> bool TSkinned<Base>::UpdateBackground() {
    if (auto* owner = dynamic_cast<const TBitmapOwner*>(Base::parentWidget()))
        return UpdateBackground(owner->OwnerBitmap());
    return true;
}

template <class Base> std::uint64_t TSkinned<Base>::KeyFor(std::uint8_t level) const {
    return std::uint64_t{level} | std::uint64_t{Lighten} << 8 |
           std::uint64_t{static_cast<std::uint32_t>(BackColor)} << 9 |
           std::uint64_t(Base::width() & 0xfff) << 41 | std::uint64_t(Base::height() & 0x7ff) << 53;
}

template <class Base> void TSkinned<Base>::BlendPicture(bool lighten, double alpha) {
    glimra::BlendPicture(ViewOf(Back), ViewOf(std::as_const(PictureImage)), lighten, alpha);
}

template <class Base> void TSkinned<Base>::BlendPictureMasked(bool lighten, double alpha) {
    if (Masked)
        glimra::BlendPictureMasked(ViewOf(Back), ViewOf(std::as_const(PictureImage)),
                                   MaskViewOf(MaskImage), lighten, alpha);
}

template <class Base> void TSkinned<Base>::Compose(std::uint8_t level) {
    if (!IsInParent())
        return;
    EnsureBitmap(ComposedImage, Base::width(), Base::height());
    ComposedKey = KeyFor(level);
    if (Back.isNull())
        FillBitmap(ComposedImage, BackColor);
    TPixelView composed = ViewOf(ComposedImage);
    StretchCopy(composed, composed.Rect(), ViewOf(std::as_const(Back)),
                ViewOf(std::as_const(Back)).Rect());
    // The skin's own tint is 1 on every channel.
    AdjustBrightness(composed, level, {1, 1, 1, Lighten});
    if (FineBack.isNull() || FineBack.deviceIndependentSize() != QSizeF(ComposedImage.size())) {
        FineComposed = QImage();
        return;
    }
    if (FineComposed.size() != FineBack.size() || FineComposed.format() != FineBack.format())
        FineComposed = QImage(FineBack.size(), FineBack.format());
    std::memcpy(FineComposed.bits(), FineBack.constBits(),
                static_cast<std::size_t>(FineBack.sizeInBytes()));
    FineComposed.setDevicePixelRatio(FineBack.devicePixelRatio());
    AdjustBrightness(ViewOf(FineComposed), level, {1, 1, 1, Lighten});
}

template <class Base> void TSkinned<Base>::resizeEvent(QResizeEvent* event) {
    ZoomValue = ZoomAfterResize(ZoomValue, Base::width(), Base::height());
    Base::resizeEvent(event);
}

template <class Base> void TSkinned<Base>::LayOutCaption() const {
    // Preparing shapes the text again every time: only a new caption or font does it.
    if (CaptionLayout.text() != CaptionText || CaptionFont != Base::font()) {
        CaptionLayout.setText(CaptionText);
        CaptionLayout.setTextFormat(Qt::PlainText);
        CaptionLayout.prepare(QTransform(), Base::font());
        CaptionFont = Base::font();
        CaptionHeight = QFontMetrics(CaptionFont).height();
        CaptionInkColor.reset();
        ++CaptionLayouts;
    }
    if (CaptionInkColor == TextColor)
        return;
    const QSize size(static_cast<int>(std::ceil(CaptionLayout.size().width())) + 2 * CaptionMargin,
                     CaptionHeight + CaptionMargin);
    CaptionInk = TextInk(CaptionLayout, CaptionFont, ToQColor(TextColor), size, {CaptionMargin, 0});
    CaptionInkColor = TextColor;
}

template <class Base> void TSkinned<Base>::PaintSkin(QPainter& painter) const {
    TPoint at{};
    if (!CaptionText.isEmpty()) {
        LayOutCaption();
        at = CaptionPosition(Base::width(), Base::height(),
                             static_cast<int>(CaptionLayout.size().width()), CaptionHeight,
                             ZoomValue);
    }
    // Converted here: a 24-bit picture drawn as it is goes through the painter's helper
    // threads, and a badge over the text is painted with every change under it.
    // Finer than a window pixel, the caption is drawn by the painter for the device.
    const bool finer = Base::devicePixelRatioF() > 1.0;
    if (!ComposedImage.isNull()) {
        const QImage* shown = &ComposedImage;
        if (!CaptionText.isEmpty() && !finer) {
            EnsureBitmap(Captioned, ComposedImage.width(), ComposedImage.height());
            CopyRect(ViewOf(Captioned), 0, 0, ViewOf(ComposedImage),
                     {0, 0, ComposedImage.width(), ComposedImage.height()});
            CaptionInk.BlendOnto(ViewOf(Captioned), at.X - CaptionMargin, at.Y);
            shown = &Captioned;
        }
        const auto* owner = dynamic_cast<const TBitmapOwner*>(Base::parentWidget());
        if (!FineComposed.isNull() && shown == &ComposedImage &&
            FineComposed.devicePixelRatio() == Base::devicePixelRatioF())
            ShowFinePicture(FineComposed, {}, painter, ShownImage,
                            owner ? owner->OwnerShade() : nullptr);
        else
            ShowPicture(*shown, QRegion(shown->rect()), *this, painter, ShownImage,
                        owner ? owner->OwnerShade() : nullptr);
        if (SourceInputs.Fine && !Back.isNull() && !PictureImage.isNull()) {
            // Where the window-pixel blend would have put it: centred in the back.
            painter.setCompositionMode(QPainter::CompositionMode_SourceOver);
            painter.setOpacity(Blend / 100.0);
            painter.drawImage(QPoint((Back.width() - PictureImage.width()) / 2,
                                     (Back.height() - PictureImage.height()) / 2),
                              FineShown());
            painter.setOpacity(1.0);
        }
    }
    if (!CaptionText.isEmpty() && (ComposedImage.isNull() || finer)) {
        painter.setCompositionMode(QPainter::CompositionMode_SourceOver);
        painter.setFont(Base::font());
        painter.setPen(ToQColor(TextColor));
        painter.drawStaticText(at.X, at.Y, CaptionLayout);
    }
    if (Frame) {
        painter.setPen(ToQColor(FrameColor));
        painter.setBrush(Qt::NoBrush);
        painter.drawRect(0, 0, Base::width() - 1, Base::height() - 1);
    }
}

template class TSkinned<QWidget>;
template class TSkinned<QLineEdit>;

} // namespace glimra
