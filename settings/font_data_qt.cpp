#include "settings/font_data_qt.h"

#include "common/qt_color.h"

#include <algorithm>

namespace glimra {

void FontToData(const QFont& font, const QColor& color, TFontData& data) {
    data.FontName = font.family().toStdString();
    data.FontColor = FromQColor(color);
    // A font sized in pixels has no point size; keep the record's.
    if (font.pointSize() > 0)
        data.FontSize = font.pointSize();
}

void DataToFont(const TFontData& data, QFont& font, QColor& color) {
    font.setFamily(QString::fromStdString(data.FontName));
    // Qt rejects sizes below 1 point; such a record keeps the font's size. Above the
    // largest, the largest is drawn, whatever the record came from.
    if (data.FontSize > 0)
        font.setPointSize(std::min(data.FontSize, MaxFontSize));
    color = ToQColor(data.FontColor);
}

void RegisterFontSubstitutes() {
    QFont::insertSubstitutions(QString::fromUtf8(DefaultFontName),
                               {QStringLiteral("IPAPGothic"), QStringLiteral("IPAGothic")});
    QFont::insertSubstitutions(QStringLiteral("MS UI Gothic"),
                               {QStringLiteral("IPAGothic"), QStringLiteral("IPAPGothic")});
}

QFont ControlWindowFont() {
    return QFont(QString::fromUtf8(DefaultFontName), DefaultFontSize);
}

} // namespace glimra
