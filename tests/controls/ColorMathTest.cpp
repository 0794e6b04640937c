#include "controls/ColorMath.h"

#include <gtest/gtest.h>

#include <climits>

namespace zorvak {
namespace {

TEST(MulDivTest, RoundsToNearestWithHalvesAwayFromZero) {
    struct Case {
        int A, B, C, Expected;
    };
    const Case cases[] = {
        {1, 1, 2, 1},
        {3, 1, 2, 2},
        {-1, 1, 2, -1},
        {1, -1, 2, -1},
        {-1, -1, 2, 1},
        {-3, 1, 2, -2},
        {5, 1, -10, -1},
        {-5, 1, -10, 1},
        {1, 1, 3, 0},
        {2, 1, 3, 1},
        {-2, 1, 3, -1},
        {-1, 1, 3, 0},
        {0, 12345, 7, 0},
        {1, 203, 256, 1},
        {128, 203, 256, 102},
        {255, 203, 256, 202},
        {256, 203, 256, 203},
        {1, 28, 256, 0},
        {5, 28, 256, 1},
        {128, -127, 255, -64},
        {128, 128, 255, 64},
        {1, -255, 255, -1},
        {255, -255, 255, -255},
        // The product needs 64 bits; the result does not.
        {65536, 65536, 65536, 65536},
        {INT_MAX, INT_MAX, INT_MAX, INT_MAX},
        {INT_MIN, 1, 1, INT_MIN},
        // What the classic call reports for a zero divisor and an overflow.
        {1, 1, 0, -1},
        {INT_MAX, 2, 1, -1},
        {INT_MIN, -1, 1, -1},
    };
    for (const Case& c : cases)
        EXPECT_EQ(MulDiv(c.A, c.B, c.C), c.Expected) << c.A << " * " << c.B << " / " << c.C;
}

TEST(BandColorTest, RunsFromStartToEndPerChannel) {
    struct Case {
        TColor Start, End;
        int Step;
        TColor Expected;
    };
    const Case cases[] = {
        {clBlack, clBlue, 0, clBlack},
        {clBlack, clBlue, 255, clBlue},
        {clBlack, clBlue, 100, RGBColor(0, 0, 100)},
        {clBlue, clBlack, 1, RGBColor(0, 0, 254)},
        {clWhite, clBlack, 17, RGBColor(238, 238, 238)},
        // The about box's button: blue at the top, teal at the bottom.
        {clBlue, clTeal, 0, RGBColor(0, 0, 255)},
        {clBlue, clTeal, 255, RGBColor(0, 128, 128)},
        {clBlue, clTeal, 128, RGBColor(0, 64, 191)},
        // Steps past 255 wrap in 8 bits: the mirrored layouts rely on it.
        {clBlack, clRed, 256, RGBColor(0, 0, 0)},
        {clBlack, clRed, 258, RGBColor(2, 0, 0)},
        {clBlack, clRed, 512, RGBColor(0, 0, 0)},
        {clRed, clBlack, 512, RGBColor(255, 0, 0)},
    };
    for (const Case& c : cases)
        EXPECT_EQ(BandColor(c.Start, c.End, c.Step), c.Expected)
            << std::hex << c.Start << " -> " << c.End << " step " << std::dec << c.Step;
}

TEST(BandColorTest, ResolvesSystemColours) {
    EXPECT_EQ(BandColor(clWindow, clWindow, 77), ColorToRGB(clWindow));
    EXPECT_EQ(BandColor(clBtnFace, clBlack, 0), ColorToRGB(clBtnFace));
}

TEST(BandSpanTest, TilesTheExtentWithoutGapsOrOverlaps) {
    for (const int extent : {0, 1, 28, 151, 203, 256, 600}) {
        int next = 0;
        int nonEmpty = 0;
        for (int band = 0; band < kGradientBands; ++band) {
            const TBandSpan span = BandSpan(band, extent);
            EXPECT_EQ(span.First, next) << "extent " << extent << " band " << band;
            EXPECT_GE(span.Last, span.First);
            next = span.Last;
            nonEmpty += span.IsEmpty() ? 0 : 1;
        }
        EXPECT_EQ(next, extent);
        EXPECT_EQ(nonEmpty, std::min(extent, kGradientBands)) << "extent " << extent;
    }
}

} // namespace
} // namespace zorvak
