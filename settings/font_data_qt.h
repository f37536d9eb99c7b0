#pragma once
#include "settings/reg_ini_rec.h"

#include <QColor>
#include <QFont>

namespace glimra {

// A font's family, colour and point size into the record, and back. Qt fonts
// carry no colour, so it travels beside the font.
void FontToData(const QFont& font, const QColor& color, TFontData& data);
void DataToFont(const TFontData& data, QFont& font, QColor& color);

// The program's own font names exist on the desktop it was designed for only: they
// are drawn with an installed Japanese font and stored unchanged.
void RegisterFontSubstitutes();
// The control window's font, whose name and size are the default text font.
QFont ControlWindowFont();

} // namespace glimra
