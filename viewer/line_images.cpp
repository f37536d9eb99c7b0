#include "viewer/line_images.h"

#include <QFontMetrics>
#include <QPainter>

#include <algorithm>

namespace glimra {

bool TLineImages::BeginFrame(const TKey& key) {
    const bool same = valid_ && key == key_;
    if (!same) {
        current_.clear();
        key_ = key;
        valid_ = true;
    }
    previous_ = std::move(current_);
    current_.clear();
    return same;
}

const QImage& TLineImages::Line(std::size_t index, const std::function<QString()>& text) {
    if (auto it = current_.find(index); it != current_.end()) {
        ++reused_;
        return it->second;
    }
    if (auto it = previous_.find(index); it != previous_.end()) {
        ++reused_;
        return current_[index] = std::move(it->second);
    }
    ++drawn_;
    const QString line = text();
    // As wide as the text, not the window: blending a frame walks these pixels.
    const QFontMetrics metrics(key_.Font, &probe_);
    const int width = std::clamp(metrics.horizontalAdvance(line) + metrics.maxWidth(), 1,
                                 std::max(1, key_.Width));
    QImage& image = current_[index];
    image = QImage(width, std::max(1, key_.Height), QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    painter.setFont(key_.Font);
    painter.setPen(key_.Color);
    painter.drawText(0, painter.fontMetrics().ascent(), line);
    return image;
}

} // namespace glimra
