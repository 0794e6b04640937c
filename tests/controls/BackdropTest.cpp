#include "controls/Backdrop.h"

#include "support/PaintCounter.h"

#include <QApplication>
#include <QFrame>
#include <QImage>
#include <QPainter>
#include <gtest/gtest.h>

#include <set>
#include <vector>

namespace zorvak {
namespace {

struct TFill {
    int Left, Top, Right, Bottom;
    TColor Color;
};

std::vector<TFill> Fills(TDirection direction, TBackClrs color, int width, int height) {
    std::vector<TFill> fills;
    ForEachBackdropBand(direction, color, width, height,
                        [&fills](int l, int t, int r, int b, TColor c) {
                            fills.push_back({l, t, r, b, c});
                        });
    return fills;
}

TColor PixelAt(const QImage& image, int x, int y) {
    const QRgb p = image.pixel(x, y);
    return RGBColor(qRed(p), qGreen(p), qBlue(p));
}

bool FullyCovered(const QImage& image) {
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (qAlpha(image.pixel(x, y)) != 255)
                return false;
    return true;
}

TEST(BackdropBandsTest, EachLayoutPaintsItsBandsInOrder) {
    struct Case {
        TDirection Direction;
        bool Rows;
        bool Mirrored;
        TColor First;   // colour of the first fill (band 0)
        TColor Band255; // colour band 255 is painted in
    };
    const TColor c = clFuchsia;
    const Case cases[] = {
        {TDirection::bdUp, true, false, c, clBlack},
        {TDirection::bdDown, true, false, clBlack, c},
        {TDirection::bdLeft, false, false, c, clBlack},
        {TDirection::bdRight, false, false, clBlack, c},
        {TDirection::bdHorzIn, true, true, clBlack, clBlack},
        {TDirection::bdHorzOut, true, true, c, c},
        {TDirection::bdVertIn, false, true, clBlack, clBlack},
        {TDirection::bdVertOut, false, true, c, c},
    };
    for (const Case& k : cases) {
        SCOPED_TRACE(static_cast<int>(k.Direction));
        const std::vector<TFill> fills = Fills(k.Direction, TBackClrs::clFuchsia, 300, 520);
        ASSERT_EQ(fills.size(), k.Mirrored ? 257u : 256u);
        EXPECT_EQ(fills.front().Color, k.First);
        const int extent = k.Rows ? 520 : 300;
        const auto bandOf = [&](const TFill& f) { return k.Rows ? f.Top : f.Left; };
        // Bands span the whole other axis.
        for (const TFill& f : fills) {
            EXPECT_EQ(k.Rows ? f.Left : f.Top, 0);
            EXPECT_EQ(k.Rows ? f.Right : f.Bottom, k.Rows ? 300 : 520);
        }
        if (!k.Mirrored) {
            for (int i = 0; i < 256; ++i)
                EXPECT_EQ(bandOf(fills[i]), BandSpan(i, extent).First) << i;
            EXPECT_EQ(fills[255].Color, k.Band255);
            continue;
        }
        // Bands 0..127 from the edge, then 255 down to 127 from the other.
        for (int i = 0; i <= 127; ++i)
            EXPECT_EQ(bandOf(fills[i]), BandSpan(i, extent).First) << i;
        for (int k2 = 0; k2 <= 128; ++k2)
            EXPECT_EQ(bandOf(fills[128 + k2]), BandSpan(255 - k2, extent).First) << k2;
        EXPECT_EQ(fills[128].Color, k.Band255);
        // Band 127 is painted twice; the second, last, fill is the start colour.
        EXPECT_EQ(fills[127].Color, BandColor(k.First, k.First == clBlack ? c : clBlack, 254));
        EXPECT_EQ(fills[256].Color, k.First);
    }
}

TEST(BackdropPixelsTest, RightBlueOnTheAboutBoxSize) {
    const QImage image = RenderBackdrop(TDirection::bdRight, TBackClrs::clBlue, 203, 151);
    ASSERT_FALSE(image.isNull());
    ASSERT_TRUE(FullyCovered(image));
    EXPECT_EQ(PixelAt(image, 0, 0), RGBColor(0, 0, 0));
    EXPECT_EQ(PixelAt(image, 202, 150), RGBColor(0, 0, 255));
    std::set<TColor> shades;
    for (int i = 0; i < 256; ++i) {
        const TBandSpan span = BandSpan(i, 203);
        for (int x = span.First; x < span.Last; ++x)
            for (const int y : {0, 75, 150})
                EXPECT_EQ(PixelAt(image, x, y), RGBColor(0, 0, i)) << "band " << i << " x " << x;
    }
    for (int x = 0; x < 203; ++x)
        shades.insert(PixelAt(image, x, 0));
    EXPECT_EQ(shades.size(), 203u);
}

TEST(BackdropPixelsTest, UpWhiteOnTwoHundredFiftySixRows) {
    const QImage image = RenderBackdrop(TDirection::bdUp, TBackClrs::clWhite, 7, 256);
    for (int y = 0; y < 256; ++y)
        for (const int x : {0, 6})
            ASSERT_EQ(PixelAt(image, x, y), RGBColor(255 - y, 255 - y, 255 - y)) << "row " << y;
}

TEST(BackdropPixelsTest, ShortControlsGetEveryRowFromExactlyOneBand) {
    for (const int height : {1, 2, 37, 151, 255}) {
        for (const TDirection d : {TDirection::bdUp, TDirection::bdDown}) {
            std::vector<int> hits(height, 0);
            int drawn = 0;
            for (const TFill& f : Fills(d, TBackClrs::clLime, 10, height)) {
                for (int y = f.Top; y < f.Bottom; ++y)
                    ++hits[y];
                drawn += f.Bottom > f.Top ? 1 : 0;
            }
            EXPECT_EQ(drawn, height);
            for (int y = 0; y < height; ++y)
                EXPECT_EQ(hits[y], 1) << "height " << height << " row " << y;
            EXPECT_TRUE(FullyCovered(RenderBackdrop(d, TBackClrs::clLime, 10, height)));
        }
    }
}

TEST(BackdropPixelsTest, NoSizeDrawsNothing) {
    QImage canvasImage(8, 8, QImage::Format_ARGB32);
    canvasImage.fill(Qt::transparent);
    {
        QPainter canvas(&canvasImage);
        PaintBackdrop(canvas, TDirection::bdHorzIn, TBackClrs::clRed, 8, 0);
        PaintBackdrop(canvas, TDirection::bdLeft, TBackClrs::clRed, 0, 8);
    }
    for (int y = 0; y < 8; ++y)
        for (int x = 0; x < 8; ++x)
            ASSERT_EQ(qAlpha(canvasImage.pixel(x, y)), 0);
    for (const TFill& f : Fills(TDirection::bdUp, TBackClrs::clRed, 8, 0))
        EXPECT_EQ(f.Top, f.Bottom);
}

TEST(BackdropPixelsTest, MirroredLayoutsMeetInTheMiddle) {
    struct Case {
        TDirection Direction;
        TColor Edge;    // first and last row or column
        TColor Band126; // step 252 toward the middle
        TColor Band127; // painted last in the start colour
        TColor Band128; // step 254
    };
    const Case cases[] = {
        {TDirection::bdHorzIn, RGBColor(0, 0, 0), RGBColor(252, 0, 0), RGBColor(0, 0, 0),
         RGBColor(254, 0, 0)},
        {TDirection::bdHorzOut, RGBColor(255, 0, 0), RGBColor(3, 0, 0), RGBColor(255, 0, 0),
         RGBColor(1, 0, 0)},
        {TDirection::bdVertIn, RGBColor(0, 0, 0), RGBColor(252, 0, 0), RGBColor(0, 0, 0),
         RGBColor(254, 0, 0)},
        {TDirection::bdVertOut, RGBColor(255, 0, 0), RGBColor(3, 0, 0), RGBColor(255, 0, 0),
         RGBColor(1, 0, 0)},
    };
    for (const Case& k : cases) {
        SCOPED_TRACE(static_cast<int>(k.Direction));
        const bool rows =
            k.Direction == TDirection::bdHorzIn || k.Direction == TDirection::bdHorzOut;
        // Two pixels per band.
        const QImage image =
            RenderBackdrop(k.Direction, TBackClrs::clRed, rows ? 5 : 512, rows ? 512 : 5);
        ASSERT_TRUE(FullyCovered(image));
        const auto at = [&](int along) {
            return rows ? PixelAt(image, 2, along) : PixelAt(image, along, 2);
        };
        EXPECT_EQ(at(0), k.Edge);
        EXPECT_EQ(at(511), k.Edge);
        EXPECT_EQ(at(2 * 126), k.Band126);
        EXPECT_EQ(at(2 * 129 + 1), k.Band126);
        EXPECT_EQ(at(2 * 127), k.Band127);
        EXPECT_EQ(at(2 * 127 + 1), k.Band127);
        EXPECT_EQ(at(2 * 128), k.Band128);
    }
}

TEST(BackDropTest, DefaultsAndClientAlignment) {
    QFrame parent;
    parent.setFrameStyle(QFrame::Panel | QFrame::Raised);
    parent.setLineWidth(1);
    parent.resize(205, 153);
    TBackDrop backdrop(&parent);
    EXPECT_EQ(backdrop.Direction(), TDirection::bdUp);
    EXPECT_EQ(backdrop.Color(), TBackClrs::clBlue);
    EXPECT_EQ(backdrop.geometry(), QRect(1, 1, 203, 151));
    parent.show();
    parent.resize(300, 160);
    QApplication::processEvents();
    EXPECT_EQ(backdrop.geometry(), QRect(1, 1, 298, 158));
    // A stored position and size do not hold against the parent's layout.
    backdrop.setGeometry(10, 10, 20, 20);
    parent.resize(250, 100);
    QApplication::processEvents();
    EXPECT_EQ(backdrop.geometry(), QRect(1, 1, 248, 98));
}

TEST(BackDropTest, EverySetRepaintsAtOnceEvenWithTheSameValue) {
    QWidget parent;
    parent.resize(60, 40);
    TBackDrop backdrop(&parent);
    test::TPaintCounter paints(&backdrop);
    backdrop.SetColor(TBackClrs::clRed);
    EXPECT_EQ(paints.Count, 0) << "a hidden control draws nothing";
    parent.show();
    QApplication::processEvents();
    paints.Count = 0;
    backdrop.SetDirection(TDirection::bdUp);
    EXPECT_EQ(paints.Count, 1);
    backdrop.SetColor(TBackClrs::clRed);
    EXPECT_EQ(paints.Count, 2);
    backdrop.SetDirection(TDirection::bdVertOut);
    EXPECT_EQ(paints.Count, 3);
    // What it painted: the grabbed widget matches the rendering.
    const QImage shown = backdrop.grab().toImage();
    const QImage expected = RenderBackdrop(TDirection::bdVertOut, TBackClrs::clRed, 60, 40);
    for (const QPoint p : {QPoint(0, 0), QPoint(29, 20), QPoint(30, 39), QPoint(59, 5)})
        EXPECT_EQ(PixelAt(shown, p.x(), p.y()), PixelAt(expected, p.x(), p.y()));
}

} // namespace
} // namespace zorvak
