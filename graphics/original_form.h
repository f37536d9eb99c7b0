#pragma once
#include "common/color.h"
#include "graphics/ink_picture.h"
#include "graphics/skin_geometry.h"

#include <QColor>
#include <QFont>
#include <QLine>
#include <QObject>
#include <QPen>
#include <QPointer>
#include <QStaticText>
#include <QString>
#include <QWidget>

#include <functional>
#include <vector>

class QImage;

namespace glimra {

// The program's own window frame over a borderless form (not owned): the
// octagon shape, the title row that moves the form, the minimise and close
// glyphs, the memo lamp and the resize grip, and the drawing of that frame into
// the form's composition bitmap.
//
// The skin watches the form through an event filter: it sees every mouse event
// of the form first and always lets it through, so the form's own mouse
// handlers run afterwards as usual. It also reshapes the form on every resize.
class TOriginalForm : public QObject {
    Q_OBJECT
public:
    explicit TOriginalForm(QWidget* form, bool dialogStyle = false, QObject* parent = nullptr);
    ~TOriginalForm() override;

    // Gives the form the octagon for its current size.
    void UpdateShape();
    // Lets go of the form; every later call does nothing.
    void Detach();
    // Draws the frame into bitmap (Format_BGR888, the form's size); with a clip,
    // only the pixels inside it, each as the whole frame would have it.
    void DrawSkin(const QString& title, QImage& bitmap, const QRect& clip = {});
    // With Apart, DrawSkin leaves the title and the glyphs out, for a form that lays
    // them apart from the frame (finer than the picture's pixels). DrawTitle and
    // DrawGlyphs draw them; TitleText and Glyphs say where and how they go in a
    // picture of size, the glyphs as lines of GlyphPen.
    bool Apart = false;
    void DrawTitle(const QString& title, QImage& bitmap, const QRect& clip = {});
    struct TTitleText {
        QRect Rect;
        QFont Font;
        QColor Color;
    };
    TTitleText TitleText(QSize size) const;
    void DrawGlyphs(QImage& bitmap, const QRect& clip = {});
    std::vector<QLine> Glyphs(QSize size) const;
    static QPen GlyphPen();

    // Called by the event filter; (x, y) in form coordinates.
    void SkinMouseDown(Qt::MouseButton button, int x, int y);
    void SkinMouseMove(int x, int y);
    void SkinMouseUp(Qt::MouseButton button, int x, int y);

    QWidget* Form() const { return form_; }
    bool InTitleRow() const { return inTitleRow_; }
    TSkinDrag DragMode() const { return dragMode_; }

    // The memo lamp was clicked.
    std::function<void(TOriginalForm&)> OnMemoButton;
    // The title-row drag moved the form by one step.
    std::function<void()> OnMoved;
    // Hands a drag to the desktop (no edges: a move), which then snaps and crosses
    // monitors as users expect; false where it takes none (no window manager), and
    // the skin moves or resizes the form itself.
    std::function<bool(Qt::Edges)> SystemDrag;

    bool DialogStyle = false; // no memo lamp, no minimise glyph
    bool MemoViewOn = false;  // lamp red when set, green when clear
    bool IsActive = false;    // title frame in ActiveColor or DeActiveColor
    bool UserResized = false; // a resize was started on the grip or the right edge
    TColor ActiveColor = clLime;
    TColor DeActiveColor = clBlue;
    TColor FileColor = clAqua;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    TSkinBounds Bounds() const;
    QFont TitleFont() const;
    // The title's ink, drawn again only when the title, its font, colour or width changes.
    const TInkPicture& TitleInk(const QString& title, QSize size);

    QPointer<QWidget> form_;
    QStaticText titleText_;
    QFont titleFont_;
    QColor titleColor_;
    QSize titleSize_;
    TInkPicture titleInk_;
    bool inTitleRow_ = false;
    TSkinDrag dragMode_ = TSkinDrag::None;
    TSkinPoint drag_;
};

} // namespace glimra
