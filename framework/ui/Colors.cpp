#include "framework/ui/Colors.h"

#include <algorithm>
#include <cmath>
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

// The guidelines' relative luminance of an opaque colour.
double Luminance(const QColor& c) {
    const auto linear = [](int channel) {
        const double v = channel / 255.0;
        return v <= 0.04045 ? v / 12.92 : std::pow((v + 0.055) / 1.055, 2.4);
    };
    return 0.2126 * linear(c.red()) + 0.7152 * linear(c.green()) + 0.0722 * linear(c.blue());
}

QColor Mixed(const QColor& from, const QColor& to, double share) {
    const auto channel = [share](int a, int b) {
        return static_cast<int>(std::lround(a + (b - a) * share));
    };
    return QColor(channel(from.red(), to.red()), channel(from.green(), to.green()),
                  channel(from.blue(), to.blue()));
}

} // namespace

QPalette DesignedPalette() {
    // Made as the toolkit makes it, shades worked out from the face colour
    // at the toolkit's own precision, so that every shade the style derives
    // from them comes out the same too.
    const QColor face(239, 239, 239);
    const QColor light = face.lighter(150);
    const QColor mid = face.darker(130);
    const QColor dark = face.darker(150);
    const QColor shadow = dark.darker(135);
    const QColor disabledText(190, 190, 190);
    QColor placeholder(Qt::black);
    placeholder.setAlpha(128);
    QPalette palette(Qt::black, face, light, dark, mid, Qt::black, Qt::white);
    palette.setBrush(QPalette::Midlight, mid.lighter(110));
    palette.setBrush(QPalette::Button, face);
    palette.setBrush(QPalette::Shadow, shadow);
    palette.setBrush(QPalette::HighlightedText, Qt::white);
    palette.setBrush(QPalette::Disabled, QPalette::Text, disabledText);
    palette.setBrush(QPalette::Disabled, QPalette::WindowText, disabledText);
    palette.setBrush(QPalette::Disabled, QPalette::ButtonText, disabledText);
    palette.setBrush(QPalette::Disabled, QPalette::Base, face);
    palette.setBrush(QPalette::Disabled, QPalette::Dark, QColor(209, 209, 209).darker(110));
    palette.setBrush(QPalette::Disabled, QPalette::Shadow, shadow.lighter(150));
    palette.setBrush(QPalette::Active, QPalette::Highlight, QColor(48, 140, 198));
    palette.setBrush(QPalette::Inactive, QPalette::Highlight, QColor(48, 140, 198));
    palette.setBrush(QPalette::Disabled, QPalette::Highlight, QColor(145, 145, 145));
    palette.setBrush(QPalette::PlaceholderText, placeholder);
    // Every role its own, none left to an application palette.
    for (const auto group : {QPalette::Active, QPalette::Inactive, QPalette::Disabled})
        for (int role = 0; role < QPalette::NColorRoles; ++role) {
            const auto r = static_cast<QPalette::ColorRole>(role);
            palette.setBrush(group, r, palette.brush(group, r));
        }
    return palette;
}

TColor ColorToRGB(TColor color) {
    if ((color & kSystemColorFlag) == 0)
        return color & 0xFFFFFF;
    // Asked for once per band of every gradient: made once.
    static const QPalette designed = DesignedPalette();
    const QColor c = designed.color(QPalette::Active, RoleForSystemIndex(color & 0xFF));
    return RGBColor(c.red(), c.green(), c.blue());
}

QColor ToQColor(TColor color) {
    const TColor rgb = ColorToRGB(color);
    return QColor(RedOf(rgb), GreenOf(rgb), BlueOf(rgb));
}

double ContrastRatio(const QColor& text, const QColor& ground) {
    const QColor opaqueGround(ground.rgb());
    const QColor shown = Mixed(opaqueGround, text, text.alphaF());
    const double a = Luminance(shown);
    const double b = Luminance(opaqueGround);
    return (std::max(a, b) + 0.05) / (std::min(a, b) + 0.05);
}

QColor ReadableOn(const QColor& wanted, const QColor& ground, double ratio) {
    const QColor start = Mixed(ground, wanted, wanted.alphaF());
    if (ContrastRatio(start, ground) >= ratio)
        return wanted;
    // Towards the end that stands out more from this ground.
    const QColor end = ContrastRatio(Qt::white, ground) >= ContrastRatio(Qt::black, ground)
                           ? Qt::white
                           : Qt::black;
    if (ContrastRatio(end, ground) < ratio)
        return end;
    // The least share of the end that reaches the ratio.
    double low = 0;
    double high = 1;
    for (int step = 0; step < 16; ++step) {
        const double share = (low + high) / 2;
        (ContrastRatio(Mixed(start, end, share), ground) >= ratio ? high : low) = share;
    }
    return Mixed(start, end, high);
}

} // namespace zorvak
