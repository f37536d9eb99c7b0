#include "settings/reg_work_qt.h"

#include "platform/screen_capture.h"
#include "platform/settings_platform.h"
#include "settings/font_data_qt.h"

#include <QCoreApplication>

namespace glimra {

std::unique_ptr<TRegWork> CreateProgramRegWork(const QFont& ownerFont) {
    const TSize screen = PrimaryScreenSize();
    TFontData font{DefaultFontName, clWhite, DefaultFontSize};
    FontToData(ownerFont, Qt::white, font);
    return std::make_unique<TRegWork>(QCoreApplication::applicationDirPath().toStdString(),
                                      screen.Width, screen.Height, font, DesktopSettingsPlatform());
}

} // namespace glimra
