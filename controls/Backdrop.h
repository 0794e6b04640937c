// A backdrop that fills its parent's client area with a gradient between
// black and one pure colour, in one of eight layouts.
#pragma once

#include "controls/ColorMath.h"

#include <QWidget>

#include <cstdint>

class QPainter;

namespace zorvak {

enum class TDirection : std::uint8_t {
    bdUp,      // colour at the top, black at the bottom
    bdDown,    // black at the top, colour at the bottom
    bdLeft,    // colour at the left, black at the right
    bdRight,   // black at the left, colour at the right
    bdHorzIn,  // black at top and bottom, colour toward the middle
    bdHorzOut, // colour at top and bottom, black toward the middle
    bdVertIn,  // black at left and right, colour toward the middle
    bdVertOut, // colour at left and right, black toward the middle
};

// The colours a backdrop can run to; window descriptions store them by these
// names, which stand for these ordinals and not for colour values.
enum class TBackClrs : std::uint8_t { clRed, clLime, clYellow, clBlue, clFuchsia, clAqua, clWhite };

// The red-green-blue colour that a TBackClrs value stands for.
TColor BackColorOf(TBackClrs color);

// Calls fill(left, top, right, bottom, colour) once per band, in painting
// order: 256 bands, 257 for the mirrored layouts (band 127 twice). Right and
// bottom are exclusive; a band may be empty and then draws nothing.
template <class TFill>
void ForEachBackdropBand(TDirection direction, TBackClrs color, int width, int height,
                         TFill&& fill) {
    const TColor c = BackColorOf(color);
    const bool fromColor = direction == TDirection::bdUp || direction == TDirection::bdLeft ||
                           direction == TDirection::bdHorzOut || direction == TDirection::bdVertOut;
    const TColor start = fromColor ? c : clBlack;
    const TColor end = fromColor ? clBlack : c;
    const bool rows = direction == TDirection::bdUp || direction == TDirection::bdDown ||
                      direction == TDirection::bdHorzIn || direction == TDirection::bdHorzOut;
    const auto band = [&](int index, int step) {
        if (rows) {
            const TBandSpan span = BandSpan(index, height);
            fill(0, span.First, width, span.Last, BandColor(start, end, step));
        } else {
            const TBandSpan span = BandSpan(index, width);
            fill(span.First, 0, span.Last, height, BandColor(start, end, step));
        }
    };
    const bool mirrored = direction >= TDirection::bdHorzIn;
    if (!mirrored) {
        for (int i = 0; i < kGradientBands; ++i)
            band(i, i);
        return;
    }
    // From both edges toward the middle. The second loop paints band 127
    // again with step 512, which wraps back to the start colour.
    for (int i = 0; i <= 127; ++i)
        band(i, 2 * i);
    for (int k = 0; k <= 128; ++k)
        band(255 - k, 256 + 2 * k);
}

// Paints the backdrop over (0, 0, width, height): one fill per band.
void PaintBackdrop(QPainter& canvas, TDirection direction, TBackClrs color, int width, int height);

// The backdrop drawn on a transparent image of that size; pixels no band
// covers stay transparent.
QImage RenderBackdrop(TDirection direction, TBackClrs color, int width, int height);

// The backdrop as a windowless child: it always covers its parent's client
// area (the parent's contents rectangle) and paints the gradient there.
class TBackDrop : public QWidget {
    Q_OBJECT
public:
    explicit TBackDrop(QWidget* parent = nullptr);

    TDirection Direction() const { return direction_; }
    // Stores the value and repaints at once, changed or not.
    void SetDirection(TDirection direction);

    TBackClrs Color() const { return color_; }
    // Stores the value and repaints at once, changed or not.
    void SetColor(TBackClrs color);

    // Draws the gradient over the whole control.
    virtual void Paint(QPainter& canvas);

protected:
    void paintEvent(QPaintEvent* event) override;
    bool event(QEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void FollowParent();

    TDirection direction_;
    TBackClrs color_;
};

} // namespace zorvak
