#include "graphics/original_form.h"

#include "common/qt_color.h"
#include "graphics/pixel_ops.h"
#include "graphics/qt_pixels.h"

#include <QEvent>
#include <QImage>
#include <QMouseEvent>
#include <QPainter>
#include <QPolygon>

#include <QRegion>
#include <QWidget>
#include <QWindow>
#include <algorithm>
#include <vector>

namespace glimra {

namespace {

QPoint ToQPoint(TSkinPoint p) {
    return {p.X, p.Y};
}

} // namespace

TOriginalForm::TOriginalForm(QWidget* form, bool dialogStyle, QObject* parent)
    : QObject(parent), DialogStyle(dialogStyle), form_(form) {
    if (!form_)
        return;
    // The title row is judged from plain pointer moves, not only from drags.
    form_->setMouseTracking(true);
    form_->installEventFilter(this);
    UpdateShape();
    SystemDrag = [this](Qt::Edges edges) {
        QWindow* window = form_ ? form_->windowHandle() : nullptr;
        if (!window)
            return false;
        return edges ? window->startSystemResize(edges) : window->startSystemMove();
    };
}

TOriginalForm::~TOriginalForm() {
    Detach();
}

void TOriginalForm::Detach() {
    if (form_)
        form_->removeEventFilter(this);
    form_ = nullptr;
    dragMode_ = TSkinDrag::None;
}

TSkinBounds TOriginalForm::Bounds() const {
    return {form_->x(), form_->y(), form_->width(), form_->height()};
}

void TOriginalForm::UpdateShape() {
    if (!form_)
        return;
    QPolygon polygon;
    for (const TSkinPoint& p : SkinOctagon(form_->width(), form_->height()))
        polygon << ToQPoint(p);
    // Qt keeps the mask until the native window exists, so no need to wait for it.
    form_->setMask(QRegion(polygon, Qt::WindingFill));
}

void TOriginalForm::SkinMouseDown(Qt::MouseButton button, int x, int y) {
    if (!form_ || button != Qt::LeftButton)
        return;
    const TSkinPress press = SkinLeftPress(x, y, form_->width(), inTitleRow_, DialogStyle);
    drag_ = {x, y};
    dragMode_ = press.Drag;
    if (press.Memo && OnMemoButton)
        OnMemoButton(*this);
    // The memo handler may have detached the skin.
    if (!form_)
        return;
    if (press.Minimise)
        form_->showMinimized();
    if (press.Close) {
        dragMode_ = TSkinDrag::None;
        form_->close();
        return;
    }
    if (dragMode_ == TSkinDrag::Resize)
        UserResized = true;
    if (dragMode_ == TSkinDrag::None || press.Minimise || !SystemDrag)
        return;
    // The lower end of the right edge is the grip, which takes the bottom edge along.
    const Qt::Edges edges = dragMode_ == TSkinDrag::Move ? Qt::Edges{}
                            : y > form_->height() - 17   ? Qt::RightEdge | Qt::BottomEdge
                                                         : Qt::Edges{Qt::RightEdge};
    if (SystemDrag(edges))
        dragMode_ = TSkinDrag::None;
}

void TOriginalForm::SkinMouseMove(int x, int y) {
    if (!form_)
        return;
    if (dragMode_ == TSkinDrag::Resize) {
        const TSkinBounds b = SkinResizeStep(Bounds(), drag_, x, y);
        form_->resize(b.Width, b.Height);
        UpdateShape();
        drag_ = {x, y};
    } else if (dragMode_ == TSkinDrag::Move) {
        // drag_ stays: the pointer keeps its place relative to the moved form.
        const TSkinBounds b = SkinMoveStep(Bounds(), drag_, x, y);
        form_->move(b.Left, b.Top);
        if (OnMoved)
            OnMoved();
    }
    inTitleRow_ = InSkinTitleRow(y);
}

void TOriginalForm::SkinMouseUp(Qt::MouseButton, int, int) {
    if (!form_)
        return;
    dragMode_ = TSkinDrag::None;
}

void TOriginalForm::DrawSkin(const QString& title, QImage& bitmap, const QRect& clip) {
    if (!form_ || bitmap.isNull())
        return;
    const QRect area = clip.isNull() ? bitmap.rect() : clip.intersected(bitmap.rect());
    const TSkinLayout layout = SkinLayout(bitmap.width(), bitmap.height());
    const TRect inside{area.left(), area.top(), area.right() + 1, area.bottom() + 1};
    const auto fill = [&](TRect r, TColor color) {
        const QColor c = ToQColor(color);
        FillRect(ViewOf(bitmap), Intersect(r, inside), static_cast<std::uint8_t>(c.blue()),
                 static_cast<std::uint8_t>(c.green()), static_cast<std::uint8_t>(c.red()));
    };
    if (!DialogStyle) {
        const TSkinRect& lamp = layout.Lamp;
        fill({lamp.Left, lamp.Top, lamp.Right, lamp.Bottom}, MemoViewOn ? clRed : clGreen);
    }
    if (!Apart)
        DrawGlyphs(bitmap, clip);

    // The frame is a rectangle: filled spans draw it without the painter's line
    // rasteriser, which hands long outlines to helper threads.
    const TSkinPoint* f = layout.TitleFrame.data();
    const TColor frameColor = IsActive ? ActiveColor : DeActiveColor;
    for (int i = 0; i + 1 < static_cast<int>(layout.TitleFrame.size()); ++i) {
        const TSkinPoint a = f[i], b = f[i + 1];
        fill({std::min(a.X, b.X), std::min(a.Y, b.Y), std::max(a.X, b.X) + 1,
              std::max(a.Y, b.Y) + 1},
             frameColor);
    }

    if (!Apart)
        DrawTitle(title, bitmap, area);
}

std::vector<QLine> TOriginalForm::Glyphs(QSize size) const {
    const TSkinLayout layout = SkinLayout(size.width(), size.height());
    std::vector<TSkinSegment> segments(layout.Close.begin(), layout.Close.end());
    segments.push_back(layout.Grip);
    if (!DialogStyle)
        segments.push_back(layout.Minimise);
    std::vector<QLine> glyphs;
    // The platform's lines leave out their end point; a square-capped QPainter line
    // includes both, so it is drawn to the last pixel instead.
    for (const TSkinSegment& g : segments)
        glyphs.emplace_back(ToQPoint(g.From), ToQPoint(g.Last()));
    return glyphs;
}

QPen TOriginalForm::GlyphPen() {
    return QPen(ToQColor(clWhite), 1, Qt::SolidLine, Qt::SquareCap);
}

void TOriginalForm::DrawGlyphs(QImage& bitmap, const QRect& clip) {
    if (!form_ || bitmap.isNull())
        return;
    const QRect area = clip.isNull() ? bitmap.rect() : clip.intersected(bitmap.rect());
    // A painter only when a glyph reaches into the area.
    std::vector<QLine> glyphs = Glyphs(bitmap.size());
    std::erase_if(glyphs, [&](const QLine& g) {
        return !QRect(g.p1(), g.p2()).normalized().adjusted(-1, -1, 1, 1).intersects(area);
    });
    if (glyphs.empty())
        return;
    QPainter painter(&bitmap);
    if (!clip.isNull())
        painter.setClipRect(area);
    painter.setPen(GlyphPen());
    for (const QLine& glyph : glyphs)
        painter.drawLine(glyph);
}

void TOriginalForm::DrawTitle(const QString& title, QImage& bitmap, const QRect& clip) {
    const QRect titleRect = TitleText(bitmap.size()).Rect;
    const QRect shown = titleRect.intersected(clip.isNull() ? bitmap.rect() : clip);
    if (!form_ || shown.isEmpty() || title.isEmpty())
        return;
    const TPixelView whole = ViewOf(bitmap);
    const TPixelView part{whole.Row(shown.top()) + shown.left() * 3, shown.width(), shown.height(),
                          whole.Stride};
    TitleInk(title, titleRect.size())
        .BlendOnto(part, titleRect.left() - shown.left(), titleRect.top() - shown.top());
}

TOriginalForm::TTitleText TOriginalForm::TitleText(QSize size) const {
    const TSkinRect t = SkinLayout(size.width(), size.height()).TitleText;
    return {QRect(t.Left, t.Top, t.Width(), t.Height()), TitleFont(), ToQColor(FileColor)};
}

QFont TOriginalForm::TitleFont() const {
    QFont font = form_ ? form_->font() : QFont();
    font.setPointSize(9);
    return font;
}

const TInkPicture& TOriginalForm::TitleInk(const QString& title, QSize size) {
    const QFont font = TitleFont();
    const QColor color = ToQColor(FileColor);
    if (titleText_.text() == title && titleFont_ == font && titleColor_ == color &&
        titleSize_ == size)
        return titleInk_;
    titleText_.setText(title);
    titleText_.setTextFormat(Qt::PlainText);
    titleFont_ = font;
    titleColor_ = color;
    titleSize_ = size;
    titleInk_ = TextInk(titleText_, font, color, size);
    return titleInk_;
}

bool TOriginalForm::eventFilter(QObject* watched, QEvent* event) {
    if (watched != form_)
        return false;
    switch (event->type()) {
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonDblClick: {
        const auto* e = static_cast<QMouseEvent*>(event);
        const QPoint p = e->position().toPoint();
        SkinMouseDown(e->button(), p.x(), p.y());
        break;
    }
    case QEvent::MouseMove: {
        const QPoint p = static_cast<QMouseEvent*>(event)->position().toPoint();
        SkinMouseMove(p.x(), p.y());
        break;
    }
    case QEvent::MouseButtonRelease: {
        const auto* e = static_cast<QMouseEvent*>(event);
        const QPoint p = e->position().toPoint();
        SkinMouseUp(e->button(), p.x(), p.y());
        break;
    }
    case QEvent::Resize:
        UpdateShape();
        break;
    default:
        break;
    }
    // The form's own handlers always follow.
    return false;
}

} // namespace glimra
