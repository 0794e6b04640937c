// The percentage gauge: where a value stands within a range, as a whole
// percentage, drawn as text, a horizontal or vertical bar, a pie filling
// clockwise from twelve o'clock, or a half-dial with a needle.
#pragma once

#include "framework/Failures.h"
#include "framework/ui/Colors.h"

#include <QFont>
#include <QImage>
#include <QWidget>

#include <cstdint>

namespace zorvak {

enum TGaugeKind : std::uint8_t {
    gkText = 0,
    gkHorizontalBar = 1,
    gkVerticalBar = 2,
    gkPie = 3,
    gkNeedle = 4,
};

enum TBorderStyle : std::uint8_t {
    bsNone = 0,
    bsSingle = 1, // a 1-pixel black rim around the paint area
};

// A range bound that would break MinValue <= MaxValue:
// "Value must be between %d and %d" with the bounds one inside the limit.
class TGaugeRangeFailure : public TFailure {
public:
    TGaugeRangeFailure(std::int64_t low, std::int64_t high);
};

// The drawn length of `percent` percent of `length` pixels, evaluated in
// 64-bit-significand extended precision: the stored 0.01 lies just below
// 0.01, so an exact whole product often comes out one pixel short
// (99 % of 100 is 98). Gauges drawn elsewhere agree pixel for pixel only
// with this evaluation; 53-bit doubles give other pixels.
int ScaleByPercent(int percent, int length);

// The whole percentage (truncated) that x stands at within a range of width
// z; 0 for an empty range. Expects 0 <= x <= z.
int PercentOfRange(std::int64_t x, std::int64_t z);

// Everything a gauge's picture depends on, colours resolved to RGB.
struct TGaugeLook {
    QSize size;
    TGaugeKind kind = gkHorizontalBar;
    bool showText = true;
    TBorderStyle borderStyle = bsSingle;
    QRgb foreColor = 0;
    QRgb backColor = 0;
    QRgb color = 0; // around the dial of a pie or needle
    QFont font;
    int percentage = 0; // 0..100
    // Device pixels per unit of size: 2 on a screen of twice the density,
    // where the shapes keep their places and the text is drawn finer.
    int scale = 1;
    bool operator==(const TGaugeLook&) const = default;
};

// The picture of a gauge with that look: built off-screen, the percentage
// text XORed on in white. size times scale pixels, its device pixel ratio
// the scale; a null image for an empty size.
QImage RenderGauge(const TGaugeLook& look);

// An off-screen bitmap that takes the size of another.
class TBltBitmap : public QImage {
public:
    // Takes the template's width and height and fills the whole bitmap with
    // the window-frame system colour.
    void MakeLike(const QImage& templ);
};

// The gauge control. Opaque: it paints every pixel of its rectangle, so
// nothing is erased behind it. A changed property is painted before the
// setter returns when the gauge is visible.
class TGauge : public QWidget {
    Q_OBJECT

public:
    // Defaults a window description leaves out. Progress has none: it is
    // always recorded.
    static constexpr TColor kDefaultColor = clWindow;
    static constexpr TGaugeKind kDefaultKind = gkHorizontalBar;
    static constexpr bool kDefaultShowText = true;
    static constexpr TBorderStyle kDefaultBorderStyle = bsSingle;
    static constexpr TColor kDefaultForeColor = clBlack;
    static constexpr TColor kDefaultBackColor = clWhite;
    static constexpr int kDefaultMinValue = 0;
    static constexpr int kDefaultMaxValue = 100;
    static constexpr bool kDefaultParentColor = true;
    static constexpr bool kDefaultParentFont = true;

    // A 100 x 100 horizontal bar, black on white, range 0..100 at 0.
    explicit TGauge(QWidget* parent = nullptr);

    // Fills the paint area around the dial of a pie or needle. While
    // ParentColor is set it is the parent's background colour (as RGB);
    // setting another colour clears ParentColor.
    TColor Color() const;
    void SetColor(TColor value);
    bool ParentColor() const { return parentColor_; }
    void SetParentColor(bool value);

    TGaugeKind Kind() const { return kind_; }
    void SetKind(TGaugeKind value);
    bool ShowText() const { return showText_; }
    void SetShowText(bool value);

    // Face and size of the percentage text (its colour is not used). While
    // ParentFont is set it follows the parent's font; setting it clears
    // ParentFont.
    QFont Font() const { return font(); }
    void SetFont(const QFont& value);
    bool ParentFont() const { return !testAttribute(Qt::WA_SetFont); }
    void SetParentFont(bool value);

    TBorderStyle BorderStyle() const { return borderStyle_; }
    void SetBorderStyle(TBorderStyle value);
    // Bar fill, pie wedge, dial outline and needle.
    TColor ForeColor() const { return foreColor_; }
    void SetForeColor(TColor value);
    // Empty part of a bar, the text kind's area, inside of the pie and dial.
    TColor BackColor() const { return backColor_; }
    void SetBackColor(TColor value);

    // The range. MinValue <= MaxValue always holds: a bound past the other
    // throws TGaugeRangeFailure and changes nothing. Narrowing the range
    // pulls Progress inside it.
    int MinValue() const { return minValue_; }
    void SetMinValue(int value);
    int MaxValue() const { return maxValue_; }
    void SetMaxValue(int value);

    // The current value, clamped into the range (never a failure). The gauge
    // repaints only when the whole percentage changes.
    int Progress() const { return progress_; }
    void SetProgress(int value);

    // Where Progress stands in the range, 0..100, truncated.
    int Percentage() const;

    // What the picture depends on now.
    TGaugeLook Look() const;
    // The gauge's whole picture at its current size and properties, as it
    // is copied onto the screen (at the screen's density); a null image when
    // the gauge has no area.
    QImage Render() const;

protected:
    void paintEvent(QPaintEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    // Sets a property that changes only the picture: repainted when it
    // really changes.
    template <class T> void Change(T& field, T value);
    void Refresh();

    TColor color_ = kDefaultColor;
    bool parentColor_ = kDefaultParentColor;
    TGaugeKind kind_ = kDefaultKind;
    bool showText_ = kDefaultShowText;
    TBorderStyle borderStyle_ = kDefaultBorderStyle;
    TColor foreColor_ = kDefaultForeColor;
    TColor backColor_ = kDefaultBackColor;
    int minValue_ = kDefaultMinValue;
    int maxValue_ = kDefaultMaxValue;
    int progress_ = 0;

    // The last pictures drawn, for looks that come back.
    struct TCachedPicture {
        TGaugeLook look;
        QImage picture;
    };
    static constexpr int kCachedPictures = 2;
    mutable TCachedPicture cache_[kCachedPictures];
    mutable int nextSlot_ = 0;
};

} // namespace zorvak
