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

// Role by role, in the active, disabled and inactive groups.
struct TDesignedRole {
    QPalette::ColorRole Role;
    QRgb Active;
    QRgb Disabled;
    QRgb Inactive;
};
constexpr TDesignedRole kDesignedRoles[] = {
    {QPalette::WindowText, 0xFF000000, 0xFFBEBEBE, 0xFF000000},
    {QPalette::Button, 0xFFEFEFEF, 0xFFEFEFEF, 0xFFEFEFEF},
    {QPalette::Light, 0xFFFFFFFF, 0xFFFFFFFF, 0xFFFFFFFF},
    {QPalette::Midlight, 0xFFCACACA, 0xFFCACACA, 0xFFCACACA},
    {QPalette::Dark, 0xFF9F9F9F, 0xFFBEBEBE, 0xFF9F9F9F},
    {QPalette::Mid, 0xFFB8B8B8, 0xFFB8B8B8, 0xFFB8B8B8},
    {QPalette::Text, 0xFF000000, 0xFFBEBEBE, 0xFF000000},
    {QPalette::BrightText, 0xFFFFFFFF, 0xFFFFFFFF, 0xFFFFFFFF},
    {QPalette::ButtonText, 0xFF000000, 0xFFBEBEBE, 0xFF000000},
    {QPalette::Base, 0xFFFFFFFF, 0xFFEFEFEF, 0xFFFFFFFF},
    {QPalette::Window, 0xFFEFEFEF, 0xFFEFEFEF, 0xFFEFEFEF},
    {QPalette::Shadow, 0xFF767676, 0xFFB1B1B1, 0xFF767676},
    {QPalette::Highlight, 0xFF308CC6, 0xFF919191, 0xFF308CC6},
    {QPalette::HighlightedText, 0xFFFFFFFF, 0xFFFFFFFF, 0xFFFFFFFF},
    {QPalette::Link, 0xFF0000FF, 0xFF0000FF, 0xFF0000FF},
    {QPalette::LinkVisited, 0xFFFF00FF, 0xFFFF00FF, 0xFFFF00FF},
    {QPalette::AlternateBase, 0xFFF7F7F7, 0xFFF7F7F7, 0xFFF7F7F7},
    {QPalette::NoRole, 0xFF000000, 0xFF000000, 0xFF000000},
    {QPalette::ToolTipBase, 0xFFFFFFDC, 0xFFFFFFDC, 0xFFFFFFDC},
    {QPalette::ToolTipText, 0xFF000000, 0xFF000000, 0xFF000000},
    {QPalette::PlaceholderText, 0x80000000, 0x80000000, 0x80000000},
};

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
    QPalette palette;
    for (const TDesignedRole& r : kDesignedRoles) {
        palette.setColor(QPalette::Active, r.Role, QColor::fromRgba(r.Active));
        palette.setColor(QPalette::Disabled, r.Role, QColor::fromRgba(r.Disabled));
        palette.setColor(QPalette::Inactive, r.Role, QColor::fromRgba(r.Inactive));
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
