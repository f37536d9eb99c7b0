#pragma once
#include "common/color.h"
#include "graphics/control_geometry.h"
#include "graphics/ink_picture.h"

#include <QFont>
#include <QImage>
#include <QStaticText>
#include <QString>
#include <cstdint>
#include <optional>

class QPainter;
class QResizeEvent;

namespace glimra {

// The translucent skin shared by the picture control and the edit: the part of
// the owner's bitmap under the control, optionally magnified, with a picture
// blended into the middle, darkened by a level, with a caption and a frame.
// Base is the Qt widget class the skin is painted on.
template <class Base> class TSkinned : public Base {
public:
    explicit TSkinned(QWidget* owner);

    const QString& Caption() const { return CaptionText; }
    void SetCaption(const QString& value);
    std::uint8_t Transparent() const { return Level; }
    void SetTransparent(std::uint8_t value);
    TColor RectColor() const { return FrameColor; }
    void SetRectColor(TColor value);
    bool DrawRectLine() const { return Frame; }
    void SetDrawRectLine(bool value);
    int Zoom() const { return ZoomValue; }
    void SetZoom(int value);
    const QImage& Picture() const { return PictureImage; }
    void SetPicture(const QImage& value);
    std::uint8_t BlendLevel() const { return Blend; }
    void SetBlendLevel(std::uint8_t value) { Blend = value; }
    bool BlendLight() const { return Lighter; }
    void SetBlendLight(bool value) { Lighter = value; }
    bool AutoSize() const { return AutoSized; }
    void SetAutoSize(bool value);
    bool UseMask() const { return Masked; }
    void SetUseMask(bool value) { Masked = value; }
    // Set bits (white) keep the background, clear bits let the picture through.
    const QImage& Mask() const { return MaskImage; }
    void SetMask(const QImage& value);
    // The picture and mask drawn at a scale, for a device as many times finer than a
    // window pixel: the picture is then laid over the composed skin by the painter
    // instead of being blended in window pixels. Not with Zoom or BlendLight.
    void SetFinePicture(const QImage& picture, const QImage& mask, qreal scale);
    bool Reverse() const { return Lighten; }
    void SetReverse(bool value) { Lighten = value; }
    // Background where nothing of the owner's bitmap lies under the control.
    TColor Color() const { return BackColor; }
    void SetColor(TColor value) { BackColor = value; }
    TColor FontColor() const { return TextColor; }
    void SetFontColor(TColor value);

    // Takes the part of source under the control, blends the picture, composes
    // and asks for a paint. source covers the parent's client area. False when the
    // control's picture came out as it was: nothing is composed or painted then.
    bool UpdateBackground(const QImage& source);
    // The same from the parent's bitmap, when the parent is a TBitmapOwner.
    bool UpdateBackground();
    void Compose(std::uint8_t level);
    void BlendPicture(bool lighten, double alpha);
    void BlendPictureMasked(bool lighten, double alpha);
    bool IsInParent() const;

    const QImage& Composed() const { return ComposedImage; }
    const QImage& BackImage() const { return Back; }
    // Times the caption was laid out, for the tests.
    long long CaptionLayoutCount() const { return CaptionLayouts; }

protected:
    void resizeEvent(QResizeEvent* event) override;
    // Composed image, caption and frame.
    void PaintSkin(QPainter& painter) const;

private:
    TBounds Bounds() const;
    // The fine picture is used for this device and these settings.
    bool Fine() const;
    // The fine picture darkened as Compose darkens, transparent under the mask.
    const QImage& FineShown() const;

    QString CaptionText;
    // The caption laid out once for the font it was last painted with, and drawn once
    // as ink for its colour: laid over the composed picture, it costs less than the
    // painter drawing the text at every paint of a control that text scrolls under.
    mutable QStaticText CaptionLayout;
    mutable QFont CaptionFont;
    mutable int CaptionHeight = 0;
    mutable long long CaptionLayouts = 0;
    mutable TInkPicture CaptionInk;
    mutable std::optional<TColor> CaptionInkColor; // none until drawn for the layout
    mutable QImage Captioned;                      // the composed picture with the caption over it
    void LayOutCaption() const;
    std::uint8_t Level = 1;
    TColor FrameColor = clYellow;
    bool Frame = false;
    int ZoomValue = 0;
    QImage PictureImage;
    std::uint8_t Blend = 50;
    bool Lighter = false;
    bool AutoSized = false;
    bool Masked = false;
    QImage MaskImage;
    QImage FinePicture, FineMask;
    qreal FineScale = 1;
    mutable QImage FineImage;
    // The window under the control and Composed at the device's resolution, where the
    // window offers it: its lines stay fine under the darkening.
    QImage FineBack, FineComposed;
    mutable std::uint64_t FineKey = 0;
    bool Lighten = false;
    TColor BackColor = SystemColorBase + 15; // button face
    TColor TextColor = clBlack;
    QImage ComposedImage;
    mutable QImage ShownImage; // ComposedImage as the window system takes it
    QImage Back;
    // The window's pixels under the control and what they were blended with, as they
    // were when Back was made: the same again needs no blending.
    struct TBlendInputs {
        qint64 Picture = 0;
        qint64 Mask = 0;
        std::uint8_t Level = 0;
        bool Lighter = false;
        bool Masked = false;
        bool Fine = false;
        TColor BackColor = 0;
        bool operator==(const TBlendInputs&) const = default;
    };
    QImage Source;
    TBlendInputs SourceInputs;
    TBlendInputs BlendInputs() const;
    bool SourceMatches(const QImage& source, TRect from, int w, int h) const;
    // What else the composed image was made with: level, lighten, colour, size.
    std::uint64_t ComposedKey = 0;
    std::uint64_t KeyFor(std::uint8_t level) const;
};

} // namespace glimra
