#include "settings/reg_ini_rec.h"

namespace glimra {

TRegIniRec DefaultSettings(int screenWidth, int screenHeight) {
    TRegIniRec rec;
    rec.Font = {DefaultFontName, clWhite, DefaultFontSize};
    rec.Left = (screenWidth - 480) / 2;
    rec.Top = (screenHeight - 350) / 2;
    return rec;
}

} // namespace glimra
