#include "framework/ui/Colors.h"

#include <QGuiApplication>
#include <QPalette>

#include <utility>

namespace zorvak {

namespace {
// The palette role standing for each system colour index; any other is the
// window's own colour.
constexpr std::pair<unsigned, QPalette::ColorRole> kSystemRoles[] = {
    {5, QPalette::Base},         {6, QPalette::WindowText},       {8, QPalette::WindowText},
    {13, QPalette::Highlight},   {14, QPalette::HighlightedText}, {15, QPalette::Button},
    {16, QPalette::Dark},        {17, QPalette::PlaceholderText}, {18, QPalette::ButtonText},
    {20, QPalette::Light},       {21, QPalette::Shadow},          {22, QPalette::Midlight},
    {24, QPalette::ToolTipBase},
};

QPalette::ColorRole RoleForSystemIndex(unsigned index) {
    for (const auto& [systemIndex, role] : kSystemRoles)
        if (systemIndex == index)
            return role;
    return QPalette::Window;
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
