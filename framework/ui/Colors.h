// Colours as the windows describe them: 0x00BBGGRR for a red-green-blue
// colour, 0x80000000 + index for one of the system colours; the palette the
// original windows were drawn in; and how well a text reads on its ground.
#pragma once

#include <QColor>
#include <QPalette>

#include <cstdint>

namespace zorvak {

using TColor = std::uint32_t;

inline constexpr TColor clBlack = 0x000000;
inline constexpr TColor clMaroon = 0x000080;
inline constexpr TColor clGreen = 0x008000;
inline constexpr TColor clOlive = 0x008080;
inline constexpr TColor clNavy = 0x800000;
inline constexpr TColor clPurple = 0x800080;
inline constexpr TColor clTeal = 0x808000;
inline constexpr TColor clGray = 0x808080;
inline constexpr TColor clSilver = 0xC0C0C0;
inline constexpr TColor clRed = 0x0000FF;
inline constexpr TColor clLime = 0x00FF00;
inline constexpr TColor clYellow = 0x00FFFF;
inline constexpr TColor clBlue = 0xFF0000;
inline constexpr TColor clFuchsia = 0xFF00FF;
inline constexpr TColor clAqua = 0xFFFF00;
inline constexpr TColor clWhite = 0xFFFFFF;

inline constexpr TColor kSystemColorFlag = 0x80000000;
inline constexpr TColor clScrollBar = kSystemColorFlag | 0;
inline constexpr TColor clBackground = kSystemColorFlag | 1;
inline constexpr TColor clWindow = kSystemColorFlag | 5;
inline constexpr TColor clWindowFrame = kSystemColorFlag | 6;
inline constexpr TColor clWindowText = kSystemColorFlag | 8;
inline constexpr TColor clHighlight = kSystemColorFlag | 13;
inline constexpr TColor clHighlightText = kSystemColorFlag | 14;
inline constexpr TColor clBtnFace = kSystemColorFlag | 15;
inline constexpr TColor clBtnShadow = kSystemColorFlag | 16;
inline constexpr TColor clGrayText = kSystemColorFlag | 17;
inline constexpr TColor clBtnText = kSystemColorFlag | 18;
inline constexpr TColor clBtnHighlight = kSystemColorFlag | 20;
inline constexpr TColor cl3DDkShadow = kSystemColorFlag | 21;
inline constexpr TColor cl3DLight = kSystemColorFlag | 22;
inline constexpr TColor clInfoBk = kSystemColorFlag | 24;

inline constexpr TColor RGBColor(int red, int green, int blue) {
    return static_cast<TColor>((red & 0xFF) | (green & 0xFF) << 8 | (blue & 0xFF) << 16);
}
inline constexpr int RedOf(TColor c) {
    return static_cast<int>(c & 0xFF);
}
inline constexpr int GreenOf(TColor c) {
    return static_cast<int>(c >> 8 & 0xFF);
}
inline constexpr int BlueOf(TColor c) {
    return static_cast<int>(c >> 16 & 0xFF);
}

// The colours the original windows (the main window, the build dialog, the
// about box, the help window and their controls) were laid out in: the
// light palette the toolkit gives when the desktop asks for none. Those
// windows take it whatever the desktop's palette, because their texts
// have colours of their own that read only on these faces. The newer
// windows follow the desktop's palette.
QPalette DesignedPalette();

// The red-green-blue value a colour draws with: system colours are looked
// up in the designed palette, as the windows that name them were drawn.
TColor ColorToRGB(TColor color);
QColor ToQColor(TColor color);

// The contrast of two colours as the accessibility guidelines reckon it,
// from 1 (the same) to 21 (black on white): by their relative luminance,
// the first laid over the second when it is see-through.
double ContrastRatio(const QColor& text, const QColor& ground);

// wanted, or the nearest colour of its hue lighter or darker that stands at
// least ratio:1 against ground (4.5 for text): a colour meant for one
// palette kept readable on another's ground. When neither end reaches the
// ratio, the end that comes nearer.
QColor ReadableOn(const QColor& wanted, const QColor& ground, double ratio);

} // namespace zorvak
