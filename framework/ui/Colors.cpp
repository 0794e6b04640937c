#include "framework/ui/Colors.h"

#include <QGuiApplication>
#include <QPalette>

namespace zorvak {

namespace {
QPalette::ColorRole RoleForSystemIndex(unsigned index) {
    switch (index) {
    case 5:
        return QPalette::Base;
    case 6:
    case 8:
        return QPalette::WindowText;
    case 13:
        return QPalette::Highlight;
    case 14:
        return QPalette::HighlightedText;
    case 15:
        return QPalette::Button;
    case 16:
        return QPalette::Dark;
    case 17:
        return QPalette::PlaceholderText;
    case 18:
        return QPalette::ButtonText;
    case 20:
        return QPalette::Light;
    case 21:
        return QPalette::Shadow;
    case 22:
        return QPalette::Midlight;
    case 24:
        return QPalette::ToolTipBase;
    default:
        return QPalette::Window;
    }
}
} // namespace

TColor ColorToRGB(TColor color) {
    if ((color & kSystemColorFlag) == 0)
        return color & 0xFFFFFF;
    const QColor c =
        QGuiApplication::palette().color(QPalette::Active, RoleForSystemIndex(color & 0xFF));
    return RGBColor(c.red(), c.green(), c.blue());
}

QColor ToQColor(TColor color) {
    const TColor rgb = ColorToRGB(color);
    return QColor(RedOf(rgb), GreenOf(rgb), BlueOf(rgb));
}

} // namespace zorvak
