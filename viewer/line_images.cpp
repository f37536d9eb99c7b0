#include "viewer/line_images.h"

#include <QPainter>

#include <algorithm>

namespace glimra {

void TLineImages::BeginFrame(const TKey& key) {
    if (!valid_ || !(key == key_)) {
        current_.clear();
        key_ = key;
        valid_ = true;
    }
    previous_ = std::move(current_);
    current_.clear();
}

const TInkPicture& TLineImages::Line(std::size_t index, const QString& text) {
    if (auto it = current_.find(index); it != current_.end() && it->second.Text == text) {
        ++reused_;
        return it->second.Ink;
    }
    if (auto it = previous_.find(index); it != previous_.end() && it->second.Text == text) {
        ++reused_;
        return (current_[index] = std::move(it->second)).Ink;
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
        painter.setPen(key_.Color);
        painter.drawText(0, painter.fontMetrics().ascent(), text);
    }
    TEntry& entry = current_[index];
    entry.Text = text;
    entry.Ink = TInkPicture(canvas_.constBits(), width, height, canvas_.bytesPerLine());
    return entry.Ink;
}

} // namespace glimra
