#include "settings/reg_work_qt.h"

#include "platform/settings_platform.h"
#include "settings/font_data_qt.h"

#include <QCoreApplication>
#include <QGuiApplication>
#include <QScreen>

namespace glimra {

std::unique_ptr<TRegWork> CreateProgramRegWork(const QFont& ownerFont) {
    QSize screen(1024, 768);
    if (QScreen* primary = QGuiApplication::primaryScreen())
        screen = primary->size();
    TFontData font{DefaultFontName, clWhite, DefaultFontSize};
    FontToData(ownerFont, Qt::white, font);
    return std::make_unique<TRegWork>(QCoreApplication::applicationDirPath().toStdString(),
                                      screen.width(), screen.height(), font,
                                      DesktopSettingsPlatform());
}

} // namespace glimra
