#include "controls/Gradbtn.h"

#include "support/Mouse.h"
#include "support/PaintCounter.h"

#include <QApplication>
#include <QImage>
#include <QPainter>
#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace zorvak {
namespace {

TColor PixelAt(const QImage& image, int x, int y) {
    const QRgb p = image.pixel(x, y);
    return RGBColor(qRed(p), qGreen(p), qBlue(p));
}

TColor FacePixel(const TGradButton& button, int x, int y) {
    return PixelAt(button.FaceBitmap(), x, y);
}

// Every row of a face shows the band that covers it; on a short face the
// first and last bands are empty, so the ends come close to the two colours
// without reaching them.
void ExpectFaceBands(const QImage& face, TColor start, TColor end) {
    ASSERT_FALSE(face.isNull());
    for (int band = 0; band < kGradientBands; ++band) {
        const TBandSpan span = BandSpan(band, face.height());
        for (int y = span.First; y < span.Last; ++y)
            for (const int x : {0, face.width() - 1})
                ASSERT_EQ(PixelAt(face, x, y), BandColor(start, end, band))
                    << "band " << band << " row " << y;
    }
}

// The pixels of the caption colour inside the region, as offsets.
std::vector<QPoint> CaptionPixels(const QImage& image, QRect region, TColor color) {
    std::vector<QPoint> points;
    for (int y = region.top(); y <= region.bottom(); ++y)
        for (int x = region.left(); x <= region.right(); ++x)
            if (PixelAt(image, x, y) == color)
                points.push_back(QPoint(x, y));
    return points;
}

TEST(DrawBevelTest, StrokesLeaveOutTheirLastPointAndNest) {
    struct Case {
        TEdges Rect;
        int Frames;
        std::vector<std::string> Expected; // T top colour, B bottom colour, . untouched
    };
    const Case cases[] = {
        {{1, 1, 8, 7},
         1,
         {"..........", ".TTTTTTB..", ".T.....B..", ".T.....B..", ".T.....B..", ".T.....B..",
          ".BBBBBBB..", ".........."}},
        {{1, 1, 8, 7},
         2,
         {"..........", ".TTTTTTB..", ".TTTTTBB..", ".TT...BB..", ".TT...BB..", ".TBBBBBB..",
          ".BBBBBBB..", ".........."}},
        {{1, 1, 8, 7},
         0,
         {"..........", "..........", "..........", "..........", "..........", "..........",
          "..........", ".........."}},
        {{1, 1, 8, 7},
         -3,
         {"..........", "..........", "..........", "..........", "..........", "..........",
          "..........", ".........."}},
        // Nesting stops once the frames meet in the middle.
        {{0, 0, 3, 3},
         5,
         {"TTB.......", "TBB.......", "BBB.......", "..........", "..........", "..........",
          "..........", ".........."}},
    };
    for (const Case& c : cases) {
        QImage image(10, 8, QImage::Format_RGB32);
        image.fill(Qt::black);
        {
            QPainter canvas(&image);
            DrawBevel(canvas, c.Rect, clRed, clLime, c.Frames);
        }
        for (int y = 0; y < 8; ++y) {
            std::string row;
            for (int x = 0; x < 10; ++x) {
                const TColor p = PixelAt(image, x, y);
                row += p == RGBColor(255, 0, 0) ? 'T' : p == RGBColor(0, 255, 0) ? 'B' : '.';
            }
            EXPECT_EQ(row, c.Expected[y]) << "frames " << c.Frames << " row " << y;
        }
    }
}

TEST(BuildFaceTest, FirstBandIsTheStartAndLastTheEnd) {
    QImage face(5, 256, QImage::Format_RGB32);
    BuildFace(clBlue, clTeal, face);
    EXPECT_EQ(PixelAt(face, 0, 0), RGBColor(0, 0, 255));
    EXPECT_EQ(PixelAt(face, 4, 255), RGBColor(0, 128, 128));
    ExpectFaceBands(face, clBlue, clTeal);
    QImage shortFace(5, 28, QImage::Format_RGB32);
    BuildFace(clBlue, clBlack, shortFace);
    ExpectFaceBands(shortFace, clBlue, clBlack);
    EXPECT_EQ(PixelAt(shortFace, 0, 0), RGBColor(0, 0, 251));
    EXPECT_EQ(PixelAt(shortFace, 0, 27), RGBColor(0, 0, 4));
    QImage none;
    BuildFace(clBlue, clBlack, none); // nothing to draw on, and no crash
}

TEST(GradButtonTest, DefaultButtonUp) {
    TGradButton button;
    EXPECT_EQ(button.size(), QSize(100, 30));
    EXPECT_EQ(button.Caption(), "TGradButton");
    EXPECT_EQ(button.GradColor(), clBlue);
    EXPECT_EQ(button.FaceColor(), clBlack);
    EXPECT_EQ(button.HighlightColor(), clWhite);
    EXPECT_EQ(button.ShadowColor(), clBlack);
    EXPECT_EQ(button.BevelWidth(), 1);
    EXPECT_EQ(button.BorderWidth(), 1);
    EXPECT_EQ(button.FontColor(), clWhite);
    EXPECT_EQ(button.FaceBitmap().size(), QSize(100, 30)) << "the whole button until painted";

    const QImage image = button.RenderImage();
    ASSERT_EQ(button.FaceBitmap().size(), QSize(98, 28));
    ExpectFaceBands(button.FaceBitmap(), clBlue, clBlack);
    for (int x = 0; x < 100; ++x) {
        EXPECT_EQ(PixelAt(image, x, 0), clBlack);
        EXPECT_EQ(PixelAt(image, x, 29), clBlack);
    }
    for (int y = 1; y < 28; ++y) {
        EXPECT_EQ(PixelAt(image, 1, y), RGBColor(255, 255, 255)) << y; // left bevel
        EXPECT_EQ(PixelAt(image, 98, y), clBlack) << y;                // right bevel
    }
    for (int y = 2; y < 28; ++y)
        EXPECT_EQ(PixelAt(image, 3, y), FacePixel(button, 2, y - 1)) << y;
    for (int x = 1; x < 98; ++x)
        EXPECT_EQ(PixelAt(image, x, 1), RGBColor(255, 255, 255)) << x;
    EXPECT_EQ(PixelAt(image, 98, 1), clBlack) << "the top stroke leaves out its end";
    EXPECT_EQ(PixelAt(image, 1, 28), clBlack) << "the bottom stroke ends on the corner";

    // The caption is white and centred on the button.
    const std::vector<QPoint> text = CaptionPixels(image, QRect(2, 2, 96, 26), clWhite);
    ASSERT_FALSE(text.empty());
    int left = 100, right = 0;
    for (const QPoint p : text) {
        left = std::min(left, p.x());
        right = std::max(right, p.x());
    }
    EXPECT_NEAR((left + right) / 2.0, 49.5, 3.0);
}

TEST(GradButtonTest, AboutBoxButtonUpAndPressed) {
    TGradButton button;
    button.resize(57, 25);
    button.SetCaption("Ok");
    button.SetFaceColor(clTeal);
    button.SetShadowColor(clNavy);
    const TColor white = RGBColor(255, 255, 255), navy = RGBColor(0, 0, 128),
                 teal = RGBColor(0, 128, 128);

    const QImage up = button.RenderImage();
    ASSERT_EQ(button.FaceBitmap().size(), QSize(55, 23));
    ExpectFaceBands(button.FaceBitmap(), clBlue, clTeal);
    EXPECT_EQ(PixelAt(up, 1, 12), white);
    EXPECT_EQ(PixelAt(up, 20, 1), white);
    EXPECT_EQ(PixelAt(up, 55, 12), navy);
    EXPECT_EQ(PixelAt(up, 20, 23), navy);
    EXPECT_EQ(PixelAt(up, 56, 12), clBlack);
    EXPECT_EQ(PixelAt(up, 20, 24), clBlack);

    test::Press(&button, QPoint(20, 12));
    ASSERT_EQ(button.State(), TButtonState::bsDown);
    const QImage down = button.RenderImage();
    EXPECT_EQ(PixelAt(down, 1, 12), navy);
    EXPECT_EQ(PixelAt(down, 20, 1), navy);
    EXPECT_EQ(PixelAt(down, 55, 12), teal);
    EXPECT_EQ(PixelAt(down, 20, 23), teal);
    // The face moved one pixel: the first border column and row show it.
    EXPECT_EQ(PixelAt(down, 56, 12), FacePixel(button, 54, 10));
    EXPECT_EQ(PixelAt(down, 20, 24), FacePixel(button, 18, 22));
    EXPECT_EQ(PixelAt(down, 0, 12), clBlack);
    EXPECT_EQ(PixelAt(down, 20, 0), clBlack);
    for (int y = 2; y < 22; ++y)
        EXPECT_EQ(PixelAt(down, 3, y + 1), PixelAt(up, 2, y)) << y;

    // So did the caption.
    const std::vector<QPoint> upText = CaptionPixels(up, QRect(2, 2, 53, 21), white);
    std::vector<QPoint> downText = CaptionPixels(down, QRect(3, 3, 53, 21), white);
    ASSERT_FALSE(upText.empty());
    for (QPoint& p : downText)
        p -= QPoint(1, 1);
    EXPECT_EQ(downText, upText);
    test::Release(&button, QPoint(20, 12));
}

TEST(GradButtonTest, FaceIsRebuiltOnlyWhenItsColoursOrSizeChange) {
    QWidget parent;
    TGradButton button(&parent);
    parent.resize(200, 100);
    parent.show();
    QApplication::processEvents();
    test::TPaintCounter paints(&button);
    button.RenderImage();
    qint64 key = button.FaceBitmap().cacheKey();

    button.RenderImage();
    EXPECT_EQ(button.FaceBitmap().cacheKey(), key) << "a plain paint copies the face";

    button.SetFaceColor(clBlack);
    button.SetGradColor(clBlue);
    button.SetHighlightColor(clWhite);
    button.SetBorderWidth(1);
    EXPECT_EQ(paints.Count, 0) << "a setter given its own value does nothing";
    EXPECT_EQ(button.FaceBitmap().cacheKey(), key);

    button.SetFaceColor(clTeal);
    EXPECT_EQ(paints.Count, 1) << "a new face colour paints at once";
    EXPECT_NE(button.FaceBitmap().cacheKey(), key);
    ExpectFaceBands(button.FaceBitmap(), clBlue, clTeal);
    key = button.FaceBitmap().cacheKey();

    button.SetShadowColor(clNavy);
    button.SetBevelWidth(3);
    EXPECT_EQ(paints.Count, 3);
    EXPECT_EQ(button.FaceBitmap().cacheKey(), key) << "bevel settings leave the face alone";

    // Size and border changes rebuild at the next paint.
    button.resize(120, 40);
    EXPECT_EQ(button.FaceBitmap().size(), QSize(98, 28));
    button.RenderImage();
    EXPECT_EQ(button.FaceBitmap().size(), QSize(118, 38));
    ExpectFaceBands(button.FaceBitmap(), clBlue, clTeal);
    button.hide();
    button.SetBorderWidth(4);
    EXPECT_EQ(button.FaceBitmap().size(), QSize(118, 38));
    const QImage image = button.RenderImage();
    EXPECT_EQ(button.FaceBitmap().size(), QSize(112, 32));
    EXPECT_EQ(PixelAt(image, 3, 20), clBlack);
}

TEST(GradButtonTest, DisabledAndLatchedLookUp) {
    QWidget parent;
    TGradButton button(&parent);
    const QImage up = button.RenderImage();
    button.setEnabled(false);
    EXPECT_EQ(button.State(), TButtonState::bsDisabled);
    EXPECT_EQ(button.RenderImage(), up);
    test::Press(&button, QPoint(50, 15));
    EXPECT_EQ(button.State(), TButtonState::bsDisabled) << "a disabled button ignores the mouse";
    test::Release(&button, QPoint(50, 15));

    button.setEnabled(true);
    button.SetGroupIndex(1);
    button.SetDown(true);
    EXPECT_EQ(button.State(), TButtonState::bsExclusive);
    EXPECT_EQ(button.RenderImage(), up);
}

TEST(GradButtonTest, ClicksLikeAPushButton) {
    struct Step {
        char Action; // p press, m move (button held), r release
        QPoint At;
        TButtonState After;
    };
    struct Case {
        const char* Name;
        std::vector<Step> Steps;
        int Clicks;
    };
    const QPoint in(50, 15), out(150, 15), edge(99, 29), justOut(100, 30);
    const Case cases[] = {
        {"press and release inside",
         {{'p', in, TButtonState::bsDown}, {'r', in, TButtonState::bsUp}},
         1},
        {"drag off, back on, release inside",
         {{'p', in, TButtonState::bsDown},
          {'m', out, TButtonState::bsUp},
          {'m', edge, TButtonState::bsDown},
          {'r', edge, TButtonState::bsUp}},
         1},
        {"drag off and release outside",
         {{'p', in, TButtonState::bsDown},
          {'m', justOut, TButtonState::bsUp},
          {'r', justOut, TButtonState::bsUp}},
         0},
        {"release outside without a move",
         {{'p', in, TButtonState::bsDown}, {'r', out, TButtonState::bsUp}},
         0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Name);
        TGradButton button;
        int clicks = 0;
        QObject::connect(&button, &QAbstractButton::clicked, [&clicks] { ++clicks; });
        for (const Step& s : c.Steps) {
            if (s.Action == 'p')
                test::Press(&button, s.At);
            else if (s.Action == 'm')
                test::DragTo(&button, s.At);
            else
                test::Release(&button, s.At);
            EXPECT_EQ(button.State(), s.After) << s.Action;
        }
        EXPECT_EQ(clicks, c.Clicks);
    }
}

TEST(GradButtonTest, DraggedOffButtonShowsTheUpLook) {
    TGradButton button;
    const QImage up = button.RenderImage();
    test::Press(&button, QPoint(50, 15));
    EXPECT_NE(button.RenderImage(), up);
    test::DragTo(&button, QPoint(-5, 15));
    EXPECT_EQ(button.RenderImage(), up);
    test::Release(&button, QPoint(-5, 15));
}

TEST(GradButtonTest, GroupedButtonsLatchOneAtATime) {
    QWidget parent;
    TGradButton a(&parent), b(&parent), loner(&parent);
    a.SetGroupIndex(1);
    b.SetGroupIndex(1);
    test::Click(&a, QPoint(5, 5));
    EXPECT_TRUE(a.Down());
    test::Click(&b, QPoint(5, 5));
    EXPECT_TRUE(b.Down());
    EXPECT_FALSE(a.Down());
    test::Click(&b, QPoint(5, 5));
    EXPECT_TRUE(b.Down()) << "without AllowAllUp one stays down";
    a.SetAllowAllUp(true);
    EXPECT_TRUE(b.AllowAllUp()) << "the setting belongs to the group";
    test::Click(&b, QPoint(5, 5));
    EXPECT_FALSE(b.Down());
    loner.SetDown(true);
    EXPECT_FALSE(loner.Down()) << "group 0 never latches";
    test::Click(&loner, QPoint(5, 5));
    EXPECT_FALSE(loner.Down());
}

TEST(GradButtonTest, BorderEatingTheFaceLeavesABlackButton) {
    for (const int border : {15, 50, 1 << 30, -(1 << 30)}) {
        TGradButton button;
        button.SetCaption(QString());
        button.SetBorderWidth(border);
        const QImage image = button.RenderImage();
        EXPECT_TRUE(button.FaceBitmap().isNull()) << border;
        for (const QPoint p : {QPoint(0, 0), QPoint(50, 15), QPoint(99, 29)})
            EXPECT_EQ(PixelAt(image, p.x(), p.y()), clBlack) << border;
    }
    TGradButton wide;
    wide.SetBorderWidth(-2); // the face spills past the edges and is cut there
    const QImage image = wide.RenderImage();
    EXPECT_EQ(wide.FaceBitmap().size(), QSize(104, 34));
    EXPECT_EQ(PixelAt(image, 0, 20), FacePixel(wide, 2, 22));
}

} // namespace
} // namespace zorvak
