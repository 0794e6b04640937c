// A dark desktop palette, as a desktop's dark colour scheme hands one to the
// program, and a guard that makes it the application's for a test.
#pragma once

#include <QApplication>
#include <QPalette>

namespace zorvak::test {

// Light text on dark grey faces and bases, a blue highlight: the colours of
// a common dark scheme of the Qt desktop tools.
inline QPalette DarkDesktopPalette() {
    struct TRole {
        QPalette::ColorRole Role;
        QRgb Colour;
    };
    static const TRole kRoles[] = {
        {QPalette::WindowText, 0xFFFFFFFF},
        {QPalette::Button, 0xFF424245},
        {QPalette::Light, 0xFF979797},
        {QPalette::Midlight, 0xFF5E5C5B},
        {QPalette::Dark, 0xFF302F2E},
        {QPalette::Mid, 0xFF4A4947},
        {QPalette::Text, 0xFFFFFFFF},
        {QPalette::BrightText, 0xFFFFFFFF},
        {QPalette::ButtonText, 0xFFFFFFFF},
        {QPalette::Base, 0xFF3D3D3D},
        {QPalette::Window, 0xFF222020},
        {QPalette::Shadow, 0xFFE7E4E0},
        {QPalette::Highlight, 0xFF12608A},
        {QPalette::HighlightedText, 0xFFF9F9F9},
        {QPalette::Link, 0xFF0986D3},
        {QPalette::LinkVisited, 0xFFA70B06},
        {QPalette::AlternateBase, 0xFF5C5B5A},
        {QPalette::NoRole, 0xFFFFFFFF},
        {QPalette::ToolTipBase, 0xFF3F3F36},
        {QPalette::ToolTipText, 0xFFFFFFFF},
        {QPalette::PlaceholderText, 0x80FFFFFF},
    };
    QPalette palette;
    for (const TRole& r : kRoles)
        palette.setColor(r.Role, QColor::fromRgba(r.Colour));
    for (const auto role : {QPalette::WindowText, QPalette::Text, QPalette::ButtonText})
        palette.setColor(QPalette::Disabled, role, QColor(0x80, 0x80, 0x80));
    return palette;
}

// Sets the application's palette while it lives, as a desktop's change of
// scheme does; puts the one before back.
class TDesktopPalette {
public:
    explicit TDesktopPalette(const QPalette& palette) : previous_(QApplication::palette()) {
        QApplication::setPalette(palette);
    }
    ~TDesktopPalette() { QApplication::setPalette(previous_); }
    TDesktopPalette(const TDesktopPalette&) = delete;
    TDesktopPalette& operator=(const TDesktopPalette&) = delete;

private:
    QPalette previous_;
};

} // namespace zorvak::test
