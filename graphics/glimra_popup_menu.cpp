#include "graphics/glimra_popup_menu.h"

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
    Picture = QImage(Geometry.Width(), Geometry.Height(), QImage::Format_BGR888);
    Picture.fill(Qt::black);
    TMenuStroke mark[2];
    for (int row = 0; row < Geometry.Count; ++row) {
        const TGlimraMenuItem& item = *Items[static_cast<std::size_t>(row)];
        if (item.IsSeparator()) {
            DrawStroke(ViewOf(Picture), SeparatorStroke(Geometry, row), clWhite);
            continue;
        }
        DrawCaption(row, Qt::white);
        if (item.Checked) {
            CheckMarkStrokes(Geometry, row, mark);
            for (const TMenuStroke& stroke : mark)
                DrawStroke(ViewOf(Picture), stroke, clWhite);
        }
    }
}

void TGlimraCPopupMenu::DrawCaption(int row, const QColor& color) {
    QPainter painter(&Picture);
    painter.setFont(QFont());
    painter.setPen(color);
    const QRect line(TMenuLayout::CaptionLeft, Geometry.RowTop(row), Picture.width(),
                     Geometry.ItemHeight);
    painter.drawText(line, Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine,
                     Items[static_cast<std::size_t>(row)]->Caption);
}

void TGlimraCPopupMenu::HighlightRow(int row) {
    const TGlimraMenuItem& item = *Items[static_cast<std::size_t>(row)];
    if (item.IsSeparator())
        return;
    FillRect(ViewOf(Picture), Geometry.Highlight(row), clYellow);
    DrawCaption(row, Qt::black);
    if (item.Checked) {
        TMenuStroke mark[2];
        CheckMarkStrokes(Geometry, row, mark);
        for (const TMenuStroke& stroke : mark)
            DrawStroke(ViewOf(Picture), stroke, clBlue);
    }
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
        BuildImage();
        if (onItem)
            HighlightRow(row);
        // Also below the last row, or a return to the row left would stay unlit.
        HotIndex = row;
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
