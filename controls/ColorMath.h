// Helpers shared by the drawn controls: the rounding multiply-divide that
// places gradient bands, the colour of one gradient step, and rectangles by
// their edges.
#pragma once

#include "framework/ui/Colors.h"

class QColor;
class QPainter;

namespace zorvak {

// Every gradient is made of this many bands of flat colour.
inline constexpr int kGradientBands = 256;

// a * b / c with a 64-bit intermediate, rounded to the nearest integer with
// halves away from zero. As the classic platform call: -1 when c is 0 or the
// result does not fit 32 bits.
int MulDiv(int a, int b, int c);

// The colour of gradient step `step` from start to end (both resolved to RGB
// first): per channel the low 8 bits of S + MulDiv(step, E - S, 255). Step 0
// is the start colour, step 255 the end colour.
TColor BandColor(TColor start, TColor end, int step);

// The pixel span [First, Last) of band `band` of kGradientBands across
// `extent` pixels; empty (First == Last) when the extent is under 256.
struct TBandSpan {
    int First;
    int Last;
    bool IsEmpty() const { return Last <= First; }
};
TBandSpan BandSpan(int band, int extent);

// A rectangle by its edges; right and bottom exclusive, as the drawing rules
// state them.
struct TEdges {
    int Left;
    int Top;
    int Right;
    int Bottom;
};

// Fills the rectangle of those edges; one with no width or height draws
// nothing.
void FillEdges(QPainter& painter, int left, int top, int right, int bottom, const QColor& color);

} // namespace zorvak
