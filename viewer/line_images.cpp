#include "viewer/line_images.h"

#include <QPainter>

#include <algorithm>
#include <utility>
#include <vector>

namespace glimra {

void TLineImages::BeginFrame(const TKey& key) {
    if (!valid_ || !(key == key_)) {
        lines_.clear();
        pixels_ = 0;
        key_ = key;
        valid_ = true;
    }
    ++frame_;
    if (pixels_ > BudgetPixels)
        Trim();
}

void TLineImages::Trim() {
    // Lines of this frame and the last stay: they are on screen or about to return.
    std::vector<std::pair<long long, std::size_t>> unseen;
    for (const auto& [index, entry] : lines_)
        if (entry.Frame < frame_ - 1)
            unseen.emplace_back(entry.Frame, index);
    std::sort(unseen.begin(), unseen.end());
    for (const auto& [frame, index] : unseen) {
        if (pixels_ <= BudgetPixels / 2)
            break;
        auto it = lines_.find(index);
        pixels_ -= it->second.Ink.Pixels();
        lines_.erase(it);
    }
}

const TInkPicture& TLineImages::Line(std::size_t index, const std::u32string& text,
                                     std::uint64_t version, const QColor& color) {
    TEntry& entry = lines_[index];
    entry.Version = version;
    const QColor ink = color.isValid() ? color : key_.Color;
    if (entry.Frame > 0 && entry.Text == text && entry.Color == ink) {
        ++reused_;
        entry.Frame = frame_;
        return entry.Ink;
    }
    ++drawn_;
    // Drawn as wide as the window's text may reach, so the text is shaped once: the
    // ink picture keeps only the pixels the text covered.
    const int width = std::max(1, key_.Width);
    const int height = std::max(1, key_.Height);
    if (canvas_.size() != QSize(width, height))
        canvas_ = QImage(width, height, QImage::Format_ARGB32_Premultiplied);
    canvas_.fill(Qt::transparent);
    {
        QPainter painter(&canvas_);
        painter.setFont(key_.Font);
        painter.setPen(ink);
        painter.drawText(0, painter.fontMetrics().ascent(),
                         QString::fromUcs4(text.data(), static_cast<qsizetype>(text.size())));
    }
    pixels_ -= entry.Ink.Pixels();
    entry.Text = text;
    entry.Color = ink;
    entry.Ink = TInkPicture(canvas_.constBits(), width, height, canvas_.bytesPerLine());
    entry.Frame = frame_;
    pixels_ += entry.Ink.Pixels();
    return entry.Ink;
}

} // namespace glimra
