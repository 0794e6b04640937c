#include "controls/Gauges.h"

#include "support/PaintCounter.h"

#include <QApplication>
#include <QFontDatabase>
#include <QPalette>
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <climits>
#include <functional>
#include <memory>
#include <numeric>

namespace zorvak {
namespace {

QRgb Rgb(TColor color) {
    return ToQColor(color).rgb();
}

// The forms' 8-point sans face at 96 dpi: 11 pixels high.
QFont FormFont() {
    QFont font = QFontDatabase::systemFont(QFontDatabase::GeneralFont);
    font.setPixelSize(11);
    return font;
}

// The main window's gauge: 193 x 40, red fill, default border.
std::unique_ptr<TGauge> MakeExtractGauge(int progress, bool showText) {
    auto gauge = std::make_unique<TGauge>(nullptr);
    gauge->resize(193, 40);
    gauge->SetFont(FormFont());
    gauge->SetForeColor(clRed);
    gauge->SetShowText(showText);
    gauge->SetProgress(progress);
    return gauge;
}

// --- Arithmetic -----------------------------------------------------------

struct TScaleCase {
    int percent;
    int length;
    int drawn;
};

TEST(GaugeScaleTest, DecidesSinglePixelsLikeExtendedPrecision) {
    const TScaleCase cases[] = {
        {99, 100, 98},   {5, 100, 4},     {10, 10, 0},   {20, 5, 0},  {30, 10, 2},
        {29, 100, 29},   {50, 10, 5},     {50, 192, 96}, {100, 1, 1}, {100, 100, 100},
        {100, 192, 192}, {100, 999, 999}, {0, 192, 0},   {25, 4, 1},  {75, 4, 3},
    };
    for (const TScaleCase& c : cases)
        EXPECT_EQ(ScaleByPercent(c.percent, c.length), c.drawn)
            << c.percent << " % of " << c.length;
}

// Away from whole products the result is the plain floor; on a whole product
// it may be one short, except for multiples of 25 (exact in binary).
TEST(GaugeScaleTest, IsTheFloorOrOneShortOnlyOnWholeProducts) {
    for (int percent = 0; percent <= 100; ++percent) {
        for (int length = 0; length <= 400; ++length) {
            const int floor = percent * length / 100;
            const int drawn = ScaleByPercent(percent, length);
            if (percent * length % 100 != 0 || percent % 25 == 0)
                ASSERT_EQ(drawn, floor) << percent << " % of " << length;
            else
                ASSERT_TRUE(drawn == floor || drawn == floor - 1) << percent << " % of " << length;
        }
    }
}

struct TPercentCase {
    int minValue;
    int maxValue;
    int progress;
    int percentage;
};

TEST(GaugePercentageTest, TruncatesTheShareOfTheRange) {
    const TPercentCase cases[] = {
        {0, 3, 1, 33},
        {0, 3, 2, 66},
        {0, 3, 3, 100},
        {0, 100, 0, 0},
        {0, 1000, 999, 99},
        {5, 5, 5, 0}, // an empty range always shows 0
        {-50, 50, 0, 50},
        {-300, -100, -101, 99},
        // A range wider than 2^31 still gives its true share.
        {INT_MIN, INT_MAX, 0, 50},
        {INT_MIN, INT_MAX, INT_MAX, 100},
        {INT_MIN, INT_MAX, INT_MIN, 0},
    };
    for (const TPercentCase& c : cases) {
        TGauge gauge(nullptr);
        gauge.SetMinValue(c.minValue);
        gauge.SetMaxValue(c.maxValue);
        gauge.SetMinValue(c.minValue);
        gauge.SetProgress(c.progress);
        EXPECT_EQ(gauge.Percentage(), c.percentage)
            << c.progress << " in " << c.minValue << ".." << c.maxValue;
    }
}

// --- Properties -----------------------------------------------------------

TEST(GaugePropertyTest, StartsAsAHundredSquareBlackOnWhiteBar) {
    TGauge gauge(nullptr);
    EXPECT_EQ(gauge.width(), 100);
    EXPECT_EQ(gauge.height(), 100);
    EXPECT_EQ(gauge.Kind(), gkHorizontalBar);
    EXPECT_TRUE(gauge.ShowText());
    EXPECT_EQ(gauge.BorderStyle(), bsSingle);
    EXPECT_EQ(gauge.ForeColor(), clBlack);
    EXPECT_EQ(gauge.BackColor(), clWhite);
    EXPECT_EQ(gauge.MinValue(), 0);
    EXPECT_EQ(gauge.MaxValue(), 100);
    EXPECT_EQ(gauge.Progress(), 0);
    EXPECT_EQ(gauge.Color(), clWindow); // no parent to follow
    EXPECT_TRUE(gauge.ParentColor());
    EXPECT_TRUE(gauge.ParentFont());
    EXPECT_TRUE(gauge.isEnabled());
    EXPECT_TRUE(gauge.testAttribute(Qt::WA_OpaquePaintEvent));
}

struct TRangeFailureCase {
    const char* name;
    int minValue; // range set up first
    int maxValue;
    bool setMin; // which bound the failing call sets
    int value;
    const char* message;
};

TEST(GaugePropertyTest, RefusesABoundPastTheOtherAndChangesNothing) {
    const TRangeFailureCase cases[] = {
        {"min above max", 0, 100, true, 101, "Value must be between -2147483647 and 99"},
        {"max below min", 0, 100, false, -1, "Value must be between 1 and 2147483647"},
        {"min far above", -10, 10, true, INT_MAX, "Value must be between -2147483647 and 9"},
        {"max far below", -10, 10, false, INT_MIN, "Value must be between -9 and 2147483647"},
        // One inside the lowest and highest integers must not wrap round.
        {"min past lowest max", INT_MIN, INT_MIN, true, 0,
         "Value must be between -2147483647 and -2147483649"},
        {"max past highest min", INT_MAX, INT_MAX, false, 0,
         "Value must be between 2147483648 and 2147483647"},
    };
    for (const TRangeFailureCase& c : cases) {
        SCOPED_TRACE(c.name);
        TGauge gauge(nullptr);
        if (c.minValue > gauge.MaxValue()) {
            gauge.SetMaxValue(c.maxValue);
            gauge.SetMinValue(c.minValue);
        } else {
            gauge.SetMinValue(c.minValue);
            gauge.SetMaxValue(c.maxValue);
        }
        gauge.SetProgress((c.minValue / 2) + (c.maxValue / 2));
        const int progress = gauge.Progress();
        try {
            if (c.setMin)
                gauge.SetMinValue(c.value);
            else
                gauge.SetMaxValue(c.value);
            ADD_FAILURE() << "no failure raised";
        } catch (const TFailure& failure) {
            EXPECT_STREQ(failure.what(), c.message);
        }
        EXPECT_EQ(gauge.MinValue(), c.minValue);
        EXPECT_EQ(gauge.MaxValue(), c.maxValue);
        EXPECT_EQ(gauge.Progress(), progress);
    }
}

TEST(GaugePropertyTest, BoundsMayMeetAndNarrowingPullsProgressIn) {
    TGauge gauge(nullptr);
    gauge.SetProgress(-5);
    EXPECT_EQ(gauge.Progress(), 0) << "below the range stores MinValue";
    gauge.SetProgress(250);
    EXPECT_EQ(gauge.Progress(), 100) << "above the range stores MaxValue";

    gauge.SetMaxValue(60);
    EXPECT_EQ(gauge.Progress(), 60) << "lowering MaxValue pulls Progress down";
    gauge.SetProgress(10);
    gauge.SetMinValue(30);
    EXPECT_EQ(gauge.Progress(), 30) << "raising MinValue pushes Progress up";

    gauge.SetMinValue(60); // equal bounds are allowed
    EXPECT_EQ(gauge.MinValue(), 60);
    EXPECT_EQ(gauge.Progress(), 60);
    EXPECT_EQ(gauge.Percentage(), 0);
    gauge.SetMaxValue(60);
    gauge.SetMinValue(0);
    gauge.SetMaxValue(0);
    EXPECT_EQ(gauge.MaxValue(), 0);
    EXPECT_EQ(gauge.Progress(), 0);
}

TEST(GaugePropertyTest, ColorFollowsTheParentUntilSet) {
    QWidget parent;
    QPalette palette = parent.palette();
    palette.setColor(QPalette::Window, QColor(0x12, 0x34, 0x56));
    parent.setPalette(palette);
    TGauge gauge(&parent);
    EXPECT_EQ(gauge.Color(), RGBColor(0x12, 0x34, 0x56));

    gauge.SetColor(clTeal);
    EXPECT_FALSE(gauge.ParentColor());
    EXPECT_EQ(gauge.Color(), clTeal);
    gauge.SetParentColor(true);
    EXPECT_EQ(gauge.Color(), RGBColor(0x12, 0x34, 0x56));
}

TEST(GaugePropertyTest, FontFollowsTheParentUntilSet) {
    QWidget parent;
    QFont big = FormFont();
    big.setPixelSize(20);
    parent.setFont(big);
    TGauge gauge(&parent);
    EXPECT_EQ(gauge.Font().pixelSize(), 20);

    gauge.SetFont(FormFont());
    EXPECT_FALSE(gauge.ParentFont());
    EXPECT_EQ(gauge.Font().pixelSize(), 11);
    gauge.SetParentFont(true);
    EXPECT_EQ(gauge.Font().pixelSize(), 20);
    gauge.SetParentFont(false);
    big.setPixelSize(30);
    parent.setFont(big);
    EXPECT_EQ(gauge.Font().pixelSize(), 20) << "a pinned font no longer follows";
}

// --- Repainting -----------------------------------------------------------

// A gauge on a shown window, with its paints counted from a clean start.
class GaugeRepaintTest : public ::testing::Test {
protected:
    void SetUp() override {
        window_.resize(220, 80);
        gauge_ = new TGauge(&window_);
        gauge_->setGeometry(8, 36, 193, 40);
        window_.show();
        QApplication::processEvents();
        counter_ = new test::TPaintCounter(gauge_);
    }

    QWidget window_;
    TGauge* gauge_ = nullptr;
    test::TPaintCounter* counter_ = nullptr;
};

TEST_F(GaugeRepaintTest, ProgressPaintsAtOnceOnlyWhenTheWholePercentageChanges) {
    gauge_->SetMaxValue(1000);
    gauge_->SetProgress(100);
    counter_->Count = 0;

    gauge_->SetProgress(101); // still 10 %
    gauge_->SetProgress(109);
    gauge_->SetProgress(109);
    EXPECT_EQ(counter_->Count, 0);
    gauge_->SetProgress(110); // 11 %: painted before the setter returns
    EXPECT_EQ(counter_->Count, 1);
    gauge_->SetProgress(5000); // clamped to 1000: 100 %
    EXPECT_EQ(counter_->Count, 2);
    gauge_->SetProgress(1001); // clamped to the value it has
    EXPECT_EQ(counter_->Count, 2);
}

TEST_F(GaugeRepaintTest, AFullRunPaintsOncePerPercent) {
    // A large entry copied chunk by chunk: one paint per visible step.
    gauge_->SetMaxValue(163840);
    gauge_->SetProgress(0);
    counter_->Count = 0;
    for (int chunk = 1; chunk <= 163840; ++chunk)
        gauge_->SetProgress(chunk);
    EXPECT_EQ(counter_->Count, 100);
}

TEST_F(GaugeRepaintTest, OtherPropertiesPaintOnChangeOnly) {
    counter_->Count = 0;
    gauge_->SetForeColor(clBlack);
    gauge_->SetBackColor(clWhite);
    gauge_->SetKind(gkHorizontalBar);
    gauge_->SetShowText(true);
    gauge_->SetBorderStyle(bsSingle);
    gauge_->SetMinValue(0);
    gauge_->SetMaxValue(100);
    EXPECT_EQ(counter_->Count, 0);

    gauge_->SetForeColor(clRed);
    gauge_->SetBackColor(clYellow);
    gauge_->SetKind(gkPie);
    gauge_->SetShowText(false);
    gauge_->SetBorderStyle(bsNone);
    gauge_->SetColor(clLime);
    EXPECT_EQ(counter_->Count, 6);
    // A range change repaints even when the percentage stays.
    gauge_->SetMaxValue(200);
    gauge_->SetMinValue(-200);
    EXPECT_EQ(counter_->Count, 8);
}

TEST_F(GaugeRepaintTest, ShowsExactlyTheRenderedPictureOverTheParent) {
    QPalette palette = window_.palette();
    palette.setColor(QPalette::Window, Qt::green);
    window_.setPalette(palette);
    window_.setAutoFillBackground(true);
    gauge_->SetFont(FormFont());
    gauge_->SetForeColor(clRed);
    gauge_->SetProgress(37);
    QApplication::processEvents();
    const QImage shown =
        window_.grab(gauge_->geometry()).toImage().convertToFormat(QImage::Format_RGB32);
    EXPECT_EQ(shown, gauge_->Render());
}

TEST(GaugeHiddenTest, SettersOnAHiddenGaugePaintNothing) {
    TGauge gauge(nullptr);
    test::TPaintCounter counter(&gauge);
    gauge.SetProgress(50);
    gauge.SetForeColor(clRed);
    gauge.SetKind(gkNeedle);
    EXPECT_EQ(counter.Count, 0);
}

// --- Pictures -------------------------------------------------------------

// Columns of row y that hold colour c.
std::vector<int> ColumnsOf(const QImage& image, int y, QRgb c) {
    std::vector<int> columns;
    for (int x = 0; x < image.width(); ++x)
        if (image.pixel(x, y) == c)
            columns.push_back(x);
    return columns;
}

bool RimIsBlack(const QImage& image) {
    const QRgb black = qRgb(0, 0, 0);
    for (int x = 0; x < image.width(); ++x)
        if (image.pixel(x, 0) != black || image.pixel(x, image.height() - 1) != black)
            return false;
    for (int y = 0; y < image.height(); ++y)
        if (image.pixel(0, y) != black || image.pixel(image.width() - 1, y) != black)
            return false;
    return true;
}

struct TBarCase {
    int progress;
    int firstEmpty; // first column of BackColor, or -1 for none
};

TEST(GaugePictureTest, HorizontalBarFillsToTheScaledEdge) {
    // 193 wide with a rim: the paint area is 191 columns, scaled as 192.
    const TBarCase cases[] = {
        {0, 1}, {1, 1}, {2, 3}, {50, 96}, {99, 190}, {100, -1},
    };
    for (const TBarCase& c : cases) {
        SCOPED_TRACE(c.progress);
        const QImage image = MakeExtractGauge(c.progress, false)->Render();
        ASSERT_EQ(image.size(), QSize(193, 40));
        EXPECT_TRUE(RimIsBlack(image));
        for (int y = 1; y <= 38; ++y) {
            for (int x = 1; x <= 191; ++x) {
                const bool filled = c.firstEmpty < 0 || x < c.firstEmpty;
                ASSERT_EQ(image.pixel(x, y), Rgb(filled ? clRed : clWhite)) << x << "," << y;
            }
        }
    }
}

TEST(GaugePictureTest, VerticalBarFillsUpwardFromTheBottom) {
    TGauge gauge(nullptr);
    gauge.SetKind(gkVerticalBar);
    gauge.SetShowText(false);
    gauge.SetForeColor(clBlue);
    // 100 high with a rim: H is 99; 50 % fills rows 50..98.
    gauge.SetProgress(50);
    QImage image = gauge.Render();
    EXPECT_TRUE(RimIsBlack(image));
    EXPECT_EQ(image.pixel(50, 49), Rgb(clWhite));
    EXPECT_EQ(image.pixel(50, 50), Rgb(clBlue));
    EXPECT_EQ(image.pixel(1, 98), Rgb(clBlue));
    EXPECT_EQ(image.pixel(98, 98), Rgb(clBlue));

    gauge.SetProgress(100); // reaches the top of the area
    image = gauge.Render();
    EXPECT_EQ(image.pixel(50, 1), Rgb(clBlue));
    EXPECT_TRUE(RimIsBlack(image));

    gauge.SetProgress(0);
    image = gauge.Render();
    EXPECT_TRUE(ColumnsOf(image, 98, Rgb(clBlue)).empty());
}

TEST(GaugePictureTest, WithoutARimTheBarsCoverTheControl) {
    TGauge gauge(nullptr);
    gauge.resize(50, 20);
    gauge.SetShowText(false);
    gauge.SetBorderStyle(bsNone);
    gauge.SetForeColor(clRed);
    gauge.SetProgress(100);
    QImage image = gauge.Render();
    EXPECT_EQ(ColumnsOf(image, 0, Rgb(clRed)).size(), 50u);
    EXPECT_EQ(ColumnsOf(image, 19, Rgb(clRed)).size(), 50u);

    // A full vertical bar stops one row short of the top.
    gauge.SetKind(gkVerticalBar);
    image = gauge.Render();
    EXPECT_EQ(ColumnsOf(image, 0, Rgb(clWhite)).size(), 50u);
    EXPECT_EQ(ColumnsOf(image, 1, Rgb(clRed)).size(), 50u);
}

TEST(GaugePictureTest, TextKindWithoutTextIsTheBackColourInItsRim) {
    TGauge gauge(nullptr);
    gauge.resize(30, 12);
    gauge.SetKind(gkText);
    gauge.SetBackColor(clYellow);
    gauge.SetShowText(false);
    gauge.SetProgress(70);
    const QImage image = gauge.Render();
    EXPECT_TRUE(RimIsBlack(image));
    for (int y = 1; y <= 10; ++y)
        EXPECT_EQ(ColumnsOf(image, y, Rgb(clYellow)).size(), 28u) << y;
}

// The text is white XORed on: every pixel it touches is exactly inverted,
// so it reads aqua over the red fill and black over the white part.
TEST(GaugePictureTest, TextInvertsThePictureUnderIt) {
    const QImage plain = MakeExtractGauge(50, false)->Render();
    const QImage text = MakeExtractGauge(50, true)->Render();
    int overFill = 0;
    int overEmpty = 0;
    int left = INT_MAX;
    int right = -1;
    for (int y = 0; y < plain.height(); ++y) {
        for (int x = 0; x < plain.width(); ++x) {
            const QRgb before = plain.pixel(x, y);
            const QRgb after = text.pixel(x, y);
            if (before == after)
                continue;
            ASSERT_EQ(after, ((before ^ 0xFFFFFF) | 0xFF000000)) << x << "," << y;
            ASSERT_TRUE(x >= 1 && x <= 191 && y >= 1 && y <= 38) << "text on the rim";
            if (after == Rgb(clAqua))
                ++overFill;
            if (after == Rgb(clBlack))
                ++overEmpty;
            left = std::min(left, x);
            right = std::max(right, x);
        }
    }
    // "50%" is centred on the fill's edge at column 96.
    EXPECT_GT(overFill, 0);
    EXPECT_GT(overEmpty, 0);
    EXPECT_NEAR((left + right) / 2.0, 96, 3);
}

TEST(GaugePictureTest, EmptyRangeShowsAnEmptyBarAtZero) {
    auto gauge = MakeExtractGauge(0, true);
    gauge->SetMaxValue(0);
    const QImage empty = gauge->Render();
    EXPECT_TRUE(ColumnsOf(empty, 20, Rgb(clRed)).empty());
    EXPECT_EQ(empty, MakeExtractGauge(0, true)->Render()) << "the text reads 0 %";
}

// Points of the pie's ellipse by quarter (right/left of the middle, above/below).
struct TPieCase {
    int progress;
    bool topRight;
    bool bottomRight;
    bool bottomLeft;
    bool topLeft;
};

TEST(GaugePictureTest, PieFillsClockwiseFromTwelve) {
    const TPieCase cases[] = {
        {0, false, false, false, false}, {25, true, false, false, false},
        {50, true, true, false, false},  {75, true, true, true, false},
        {100, true, true, true, true},
    };
    // Even and odd diameters: with the rim the ellipse's box is (1, 1,
    // size - 1, size - 1), which it fills to its last column and row.
    for (const int size : {100, 101}) {
        for (const TPieCase& c : cases) {
            SCOPED_TRACE(testing::Message() << size << " wide at " << c.progress << " %");
            TGauge gauge(nullptr);
            gauge.resize(size, size);
            gauge.SetKind(gkPie);
            gauge.SetShowText(false);
            gauge.SetColor(clLime);
            gauge.SetForeColor(clBlue);
            gauge.SetProgress(c.progress);
            const QImage image = gauge.Render();
            const auto at = [&](bool filled) { return Rgb(filled ? clBlue : clWhite); };
            EXPECT_EQ(image.pixel(70, 30), at(c.topRight));
            EXPECT_EQ(image.pixel(70, 70), at(c.bottomRight));
            EXPECT_EQ(image.pixel(30, 70), at(c.bottomLeft));
            EXPECT_EQ(image.pixel(30, 30), at(c.topLeft));
            EXPECT_EQ(image.pixel(3, 3), Rgb(clLime)) << "outside the ellipse: Color";
            EXPECT_TRUE(RimIsBlack(image));
            // The outline's edge pixels, mid-way along each side of the box.
            const int last = size - 2;
            const int mid = size / 2;
            for (const QPoint edge :
                 {QPoint(mid, 1), QPoint(mid, last), QPoint(1, mid), QPoint(last, mid),
                  QPoint(last + 1 - mid, 1), QPoint(1, last + 1 - mid)})
                EXPECT_EQ(image.pixel(edge), Rgb(clBlue)) << edge.x() << ", " << edge.y();
            // The same shape mirrored either way.
            int unmirrored = 0;
            for (int y = 1; y <= last; ++y)
                for (int x = 1; x <= last; ++x) {
                    const bool drawn = image.pixel(x, y) != Rgb(clLime);
                    unmirrored += drawn != (image.pixel(last + 1 - x, y) != Rgb(clLime));
                    unmirrored += drawn != (image.pixel(x, last + 1 - y) != Rgb(clLime));
                }
            EXPECT_EQ(unmirrored, 0);
        }
    }
}

TEST(GaugePictureTest, NeedlePointsAlongTheDial) {
    TGauge gauge(nullptr);
    gauge.resize(101, 51);
    gauge.SetKind(gkNeedle);
    gauge.SetShowText(false);
    gauge.SetColor(clLime);
    gauge.SetForeColor(clBlue);
    const QRgb blue = Rgb(clBlue);

    gauge.SetProgress(0); // dial and base line, no needle
    QImage image = gauge.Render();
    EXPECT_EQ(image.pixel(50, 25), Rgb(clWhite));
    EXPECT_EQ(image.pixel(30, 40), Rgb(clWhite));
    EXPECT_EQ(image.pixel(50, 1), blue) << "top of the dial";
    EXPECT_EQ(image.pixel(2, 2), Rgb(clLime)) << "outside the dial: Color";
    EXPECT_EQ(ColumnsOf(image, 50, blue).size(), 100u) << "base line on the bottom rim";
    // The dial's box is (1, 1, 100, 99): its straight edge, across the middle
    // of that box, runs from the area's first column to its last.
    std::vector<int> inside(99);
    std::iota(inside.begin(), inside.end(), 1);
    EXPECT_EQ(ColumnsOf(image, 49, blue), inside);

    gauge.SetProgress(50); // straight up from the pivot at (50, 49)
    image = gauge.Render();
    for (int y = 2; y <= 48; ++y)
        EXPECT_EQ(image.pixel(50, y), blue) << y;

    gauge.SetProgress(25); // up and to the left, through about (35, 35)
    image = gauge.Render();
    EXPECT_EQ(image.pixel(50, 25), Rgb(clWhite));
    EXPECT_FALSE(ColumnsOf(image, 35, blue).empty());
    const std::vector<int> row = ColumnsOf(image, 35, blue);
    EXPECT_TRUE(std::any_of(row.begin(), row.end(), [](int x) { return x > 30 && x < 40; }));
}

TEST(GaugePictureTest, TinyAndEmptyGaugesDrawSafely) {
    for (TGaugeKind kind : {gkText, gkHorizontalBar, gkVerticalBar, gkPie, gkNeedle}) {
        for (TBorderStyle border : {bsNone, bsSingle}) {
            // Narrow ones too: curves drawn by the toolkit ran onto the rim there.
            for (const QSize size : {QSize(0, 0), QSize(1, 1), QSize(2, 2), QSize(3, 3),
                                     QSize(10, 42), QSize(42, 10)}) {
                TGauge gauge(nullptr);
                gauge.resize(size);
                gauge.SetFont(FormFont());
                gauge.SetKind(kind);
                gauge.SetBorderStyle(border);
                gauge.SetForeColor(clRed);
                gauge.SetProgress(60);
                const QImage image = gauge.Render();
                EXPECT_EQ(image.isNull(), size.isEmpty());
                // The needle's base line and far end may lie on the rim.
                if (!size.isEmpty() && border == bsSingle && kind != gkNeedle) {
                    EXPECT_TRUE(RimIsBlack(image))
                        << "the rim stays black at " << size.width() << " x " << size.height();
                }
            }
        }
    }
}

TEST(GaugePictureTest, WideTextIsClippedToThePaintArea) {
    auto gauge = MakeExtractGauge(100, true);
    gauge->resize(12, 10);
    QFont big = FormFont();
    big.setPixelSize(30);
    gauge->SetFont(big);
    const QImage image = gauge->Render();
    EXPECT_TRUE(RimIsBlack(image));
}

// One gauge taken through a run of changes must draw, at every step, what a
// gauge built fresh with the same properties draws: no picture outlives the
// properties it was drawn from.
TEST(GaugePictureTest, EveryChangeShowsInTheNextPicture) {
    TGauge changed(nullptr);
    changed.SetFont(FormFont());
    const std::function<void(TGauge&)> steps[] = {
        [](TGauge& g) { g.SetProgress(30); },
        [](TGauge& g) { g.SetForeColor(clNavy); },
        [](TGauge& g) { g.SetBackColor(clYellow); },
        [](TGauge& g) { g.SetProgress(0); },
        [](TGauge& g) { g.SetProgress(30); },
        [](TGauge& g) { g.SetKind(gkPie); },
        [](TGauge& g) { g.SetColor(clFuchsia); },
        [](TGauge& g) { g.SetBorderStyle(bsNone); },
        [](TGauge& g) { g.resize(80, 50); },
        [](TGauge& g) {
            QFont big = FormFont();
            big.setPixelSize(16);
            g.SetFont(big);
        },
        [](TGauge& g) { g.SetShowText(false); },
        [](TGauge& g) { g.SetKind(gkNeedle); },
        [](TGauge& g) { g.SetMaxValue(60); }, // 30 of 60: 50 %
        [](TGauge& g) { g.SetShowText(true); },
    };
    for (std::size_t done = 0; done < std::size(steps); ++done) {
        SCOPED_TRACE(done);
        const QImage before = changed.Render();
        steps[done](changed);
        TGauge fresh(nullptr);
        fresh.SetFont(FormFont());
        for (std::size_t step = 0; step <= done; ++step)
            steps[step](fresh);
        EXPECT_EQ(changed.Render(), fresh.Render());
        EXPECT_NE(changed.Render(), before);
    }
}

// On a screen of twice the density every shape keeps its place, each of its
// pixels a square of four, and the percentage is drawn with the finer
// pixels: not the small picture enlarged.
TEST(GaugePictureTest, AtTwiceTheDensityTheShapesDoubleAndTheTextIsDrawnFiner) {
    struct TCase {
        TGaugeKind Kind;
        TBorderStyle Border;
        int Percentage;
    };
    const TCase cases[] = {
        {gkText, bsSingle, 37},         {gkHorizontalBar, bsSingle, 42},
        {gkHorizontalBar, bsNone, 100}, {gkVerticalBar, bsSingle, 63},
        {gkPie, bsSingle, 30},          {gkPie, bsNone, 75},
        {gkNeedle, bsSingle, 50},       {gkNeedle, bsNone, 0},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(testing::Message() << "kind " << int{c.Kind} << ", " << c.Percentage << " %");
        TGaugeLook look;
        look.size = QSize(93, 40);
        look.kind = c.Kind;
        look.borderStyle = c.Border;
        look.foreColor = qRgb(255, 0, 0);
        look.backColor = qRgb(255, 255, 255);
        look.color = qRgb(0xEF, 0xEF, 0xEF);
        look.font = FormFont();
        look.percentage = c.Percentage;
        const auto render = [&](bool text, int scale) {
            TGaugeLook at = look;
            at.showText = text;
            at.scale = scale;
            QImage image = RenderGauge(at);
            EXPECT_EQ(image.devicePixelRatio(), scale);
            image.setDevicePixelRatio(1);
            return image;
        };
        const QImage once = render(false, 1);
        const QImage twice = render(false, 2);
        ASSERT_EQ(twice.size(), once.size() * 2);
        EXPECT_EQ(twice,
                  once.scaled(once.size() * 2, Qt::IgnoreAspectRatio, Qt::FastTransformation));
        const QImage textTwice = render(true, 2);
        EXPECT_NE(textTwice, twice) << "no percentage drawn";
        const QImage textOnce = render(true, 1);
        EXPECT_NE(textTwice,
                  textOnce.scaled(once.size() * 2, Qt::IgnoreAspectRatio, Qt::FastTransformation));
    }
}

} // namespace
} // namespace zorvak
