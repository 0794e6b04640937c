#include "controls/ColorMath.h"

#include <QColor>
#include <QPainter>
#include <QRect>

#include <cstdint>
#include <limits>

namespace zorvak {

int MulDiv(int a, int b, int c) {
    if (c == 0)
        return -1;
    const std::int64_t product = static_cast<std::int64_t>(a) * b;
    // Round the magnitude, then put the sign back: that is what makes halves
    // go away from zero for negative operands too.
    const bool negative = (product < 0) != (c < 0);
    const std::uint64_t magnitude =
        product < 0 ? static_cast<std::uint64_t>(-product) : static_cast<std::uint64_t>(product);
    const std::uint64_t divisor = c < 0 ? static_cast<std::uint64_t>(-static_cast<std::int64_t>(c))
                                        : static_cast<std::uint64_t>(c);
    const std::uint64_t rounded = (magnitude + divisor / 2) / divisor;
    if (rounded > static_cast<std::uint64_t>(std::numeric_limits<int>::max()) + (negative ? 1 : 0))
        return -1;
    return negative ? static_cast<int>(-static_cast<std::int64_t>(rounded))
                    : static_cast<int>(rounded);
}

TColor BandColor(TColor start, TColor end, int step) {
    const TColor s = ColorToRGB(start);
    const TColor e = ColorToRGB(end);
    // Channels keep only their low 8 bits, so steps past 255 wrap round.
    const auto channel = [step](int from, int to) {
        return (from + MulDiv(step, to - from, 255)) & 0xFF;
    };
    return RGBColor(channel(RedOf(s), RedOf(e)), channel(GreenOf(s), GreenOf(e)),
                    channel(BlueOf(s), BlueOf(e)));
}

TBandSpan BandSpan(int band, int extent) {
    return {MulDiv(band, extent, kGradientBands), MulDiv(band + 1, extent, kGradientBands)};
}

void FillEdges(QPainter& painter, int left, int top, int right, int bottom, const QColor& color) {
    if (right > left && bottom > top)
        painter.fillRect(QRect(left, top, right - left, bottom - top), color);
}

} // namespace zorvak
