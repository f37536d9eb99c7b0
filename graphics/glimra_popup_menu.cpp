#include "graphics/glimra_popup_menu.h"

#include "common/qt_color.h"
#include "graphics/qt_pixels.h"

#include <QFontMetrics>
#include <QPainter>

namespace glimra {

TGlimraMenuItem& TGlimraCPopupMenu::AddItem(const QString& caption, bool checked,
                                            std::function<void(TGlimraCPopupMenu&)> onClick) {
    auto item = std::make_unique<TGlimraMenuItem>();
    item->Caption = caption;
    item->Checked = checked;
    item->OnClick = std::move(onClick);
    Items.push_back(std::move(item));
    return *Items.back();
}

void TGlimraCPopupMenu::Popup(int x, int y) {
    X = x;
    Y = y;
    HotIndex = -1;
    if (Items.empty())
        return;
    BuildImage();
    IsShown = true;
}

void TGlimraCPopupMenu::CloseUp() {
    HotIndex = -1;
    Picture = QImage();
    Bare = QImage();
    IsShown = false;
}

void TGlimraCPopupMenu::BuildImage() {
    // The font a fresh bitmap draws with.
    QFontMetrics metrics{QFont()};
    Geometry.Count = static_cast<int>(Items.size());
    Geometry.ItemHeight = metrics.height() + 2;
    Geometry.WidestCaption = 0;
    for (const auto& item : Items)
        Geometry.WidestCaption =
            std::max(Geometry.WidestCaption, metrics.horizontalAdvance(item->Caption));
    Bare = QImage(Geometry.Width(), Geometry.Height(), QImage::Format_BGR888);
    Bare.fill(Qt::black);
    for (int row = 0; row < Geometry.Count; ++row) {
        const TGlimraMenuItem& item = *Items[static_cast<std::size_t>(row)];
        if (item.IsSeparator())
            DrawStroke(ViewOf(Bare), SeparatorStroke(Geometry, row), clWhite);
        else if (row == HotIndex)
            FillRect(ViewOf(Bare), Geometry.Highlight(row), clYellow);
    }
    Picture = Bare.copy();
    TMenuStroke mark[2];
    for (int row = 0; row < Geometry.Count; ++row)
        if (ShowsMark(row)) {
            CheckMarkStrokes(Geometry, row, mark);
            for (const TMenuStroke& stroke : mark)
                DrawStroke(ViewOf(Picture), stroke, MarkColor(row));
        }
    QPainter painter(&Picture);
    painter.setFont(QFont());
    for (const TMenuCaption& caption : Captions()) {
        painter.setPen(caption.Color);
        painter.drawText(caption.Rect.translated(-X, -Y),
                         Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine, caption.Text);
    }
}

bool TGlimraCPopupMenu::ShowsMark(int row) const {
    const TGlimraMenuItem& item = *Items[static_cast<std::size_t>(row)];
    return item.Checked && !item.IsSeparator();
}

TColor TGlimraCPopupMenu::MarkColor(int row) const {
    return row == HotIndex ? clBlue : clWhite;
}

std::vector<TMenuLine> TGlimraCPopupMenu::Marks() const {
    std::vector<TMenuLine> marks;
    TMenuStroke mark[2];
    for (int row = 0; row < Geometry.Count; ++row) {
        if (!ShowsMark(row))
            continue;
        // Half a window pixel wide (a whole one would be the doubled strokes again),
        // through the middle of the pixels each stroke covers, over the same length.
        const QPen pen(ToQColor(MarkColor(row)), 0.5, Qt::SolidLine, Qt::FlatCap);
        CheckMarkStrokes(Geometry, row, mark);
        for (const TMenuStroke& s : mark) {
            const QPointF from(X + s.X1, Y + s.Y1), to(X + s.X2, Y + s.Y2);
            const QPointF middle = s.Y1 == s.Y2 ? QPointF(0, 0.5) : QPointF(0.5, 0);
            marks.push_back({QLineF(from + middle, to + middle), pen});
        }
    }
    return marks;
}

std::vector<TMenuCaption> TGlimraCPopupMenu::Captions() const {
    std::vector<TMenuCaption> captions;
    for (int row = 0; row < Geometry.Count; ++row) {
        const TGlimraMenuItem& item = *Items[static_cast<std::size_t>(row)];
        if (!item.IsSeparator())
            captions.push_back(
                {item.Caption,
                 QRect(X + TMenuLayout::CaptionLeft, Y + Geometry.RowTop(row),
                       Geometry.Width() - TMenuLayout::CaptionLeft, Geometry.ItemHeight),
                 row == HotIndex ? QColor(Qt::black) : QColor(Qt::white)});
    }
    return captions;
}

void TGlimraCPopupMenu::DrawTo(QImage& ownerBitmap) {
    if (!IsShown)
        return;
    const TPoint at = FitMenu({X, Y}, {Picture.width(), Picture.height()},
                              {ownerBitmap.width(), ownerBitmap.height()});
    X = at.X;
    Y = at.Y;
    BlendImage(ViewOf(ownerBitmap), ViewOf(std::as_const(Picture)), at, false, true, 0.5);
}

void TGlimraCPopupMenu::MouseEvent(bool click, int y, int x) {
    if (!IsShown || !MenuContains(x, y, {X, Y}, Geometry))
        return;
    const int row = MenuRowAt(y, Y, Geometry.ItemHeight);
    const bool onItem = row >= 0 && row < Geometry.Count;
    if (row != HotIndex) {
        // Also below the last row, or a return to the row left would stay unlit.
        HotIndex = row;
        BuildImage();
        if (Redraw)
            Redraw();
    }
    if (click && onItem) {
        ItemIndex = row;
        // A copy: the handler may change the items.
        auto handler = Items[static_cast<std::size_t>(row)]->OnClick;
        if (handler)
            handler(*this);
    }
}

} // namespace glimra
