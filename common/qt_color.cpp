#include "common/qt_color.h"

#include <QGuiApplication>
#include <QPalette>
#include <array>

namespace glimra {
namespace {

// Nearest palette role for each system colour index.
constexpr std::array<QPalette::ColorRole, 25> SystemRoles{
    QPalette::Mid,
    QPalette::Window,
    QPalette::Highlight,
    QPalette::Mid,
    QPalette::Window,
    QPalette::Base,
    QPalette::Shadow,
    QPalette::WindowText,
    QPalette::Text,
    QPalette::HighlightedText,
    QPalette::Mid,
    QPalette::Mid,
    QPalette::Dark,
    QPalette::Highlight,
    QPalette::HighlightedText,
    QPalette::Button,
    QPalette::Dark,
    QPalette::PlaceholderText,
    QPalette::ButtonText,
    QPalette::WindowText,
    QPalette::Light,
    QPalette::Shadow,
    QPalette::Midlight,
    QPalette::ToolTipText,
    QPalette::ToolTipBase,
};

} // namespace

QColor ToQColor(TColor color) {
    if (color == clNone)
        return QColor(Qt::transparent);
    if ((color & SystemColorBase) != 0) {
        TColor index = color - SystemColorBase;
        if (index < SystemRoles.size())
            return QGuiApplication::palette().color(SystemRoles[index]);
        return QColor(Qt::black);
    }
    return QColor(RedOf(color), GreenOf(color), BlueOf(color));
}

TColor FromQColor(const QColor& color) {
    QColor rgb = color.toRgb();
    return static_cast<TColor>(rgb.red()) | static_cast<TColor>(rgb.green()) << 8 |
           static_cast<TColor>(rgb.blue()) << 16;
}

} // namespace glimra
