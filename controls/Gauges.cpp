#include "controls/Gauges.h"

#include "controls/ColorMath.h"

#include <QCoreApplication>
#include <QEvent>
#include <QFontMetrics>
#include <QPaintEvent>
#include <QPainter>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <limits>
#include <numbers>
#include <string>
#include <utility>
#include <vector>

namespace zorvak {

// The gauges' pixels are defined by 64-bit-significand arithmetic (x87
// extended on x86). A platform whose long double is a plain double or a
// 113-bit quad would draw other pixels without a word, so refuse to build
// there; it needs a software evaluation of the same rounding instead.
static_assert(std::numeric_limits<long double>::digits == 64,
              "gauge scaling needs long double with a 64-bit significand (x87 extended)");

namespace {

std::string RangeMessage(std::int64_t low, std::int64_t high) {
    return QCoreApplication::translate("zorvak::TGauge", "Value must be between %1 and %2")
        .arg(low)
        .arg(high)
        .toLocal8Bit()
        .toStdString();
}

// Everything black: the start of every bitmap of a repaint.
void PaintBlack(QImage& bitmap) {
    bitmap.fill(Qt::black);
}

// The ellipse that fills the box (left, top, right, bottom), right and
// bottom exclusive, as one span of pixels per row: it touches all four
// sides (columns left to right - 1, rows top to bottom - 1) and is the same
// mirrored either way. Traced pixel by pixel: the toolkit's aliased curves
// fall a pixel short of some sides, or run one past them onto the rim.
class TEllipseRows {
public:
    TEllipseRows(int left, int top, int right, int bottom)
        : top_(top), rows_(static_cast<std::size_t>(std::max(bottom - top, 0)),
                           {std::numeric_limits<int>::max(), std::numeric_limits<int>::min()}) {
        if (right <= left || bottom <= top)
            return;
        // The outline of an ellipse in a rectangle of inclusive corners,
        // stepped by its error term; the four quadrants are mirrors.
        std::int64_t x0 = left;
        std::int64_t x1 = right - 1;
        std::int64_t y0 = top;
        std::int64_t y1 = bottom - 1;
        std::int64_t a = x1 - x0;
        const std::int64_t b = y1 - y0;
        const std::int64_t b1 = b & 1;
        std::int64_t dx = 4 * (1 - a) * b * b;
        std::int64_t dy = 4 * (b1 + 1) * a * a;
        std::int64_t err = dx + dy + b1 * a * a;
        y0 += (b + 1) / 2;
        y1 = y0 - b1;
        a *= 8 * a;
        const std::int64_t bb = 8 * b * b;
        do {
            Mark(x1, y0);
            Mark(x0, y0);
            Mark(x0, y1);
            Mark(x1, y1);
            const std::int64_t e2 = 2 * err;
            if (e2 <= dy) {
                ++y0;
                --y1;
                err += dy += a;
            }
            if (e2 >= dx || 2 * err > dy) {
                ++x0;
                --x1;
                err += dx += bb;
            }
        } while (x0 <= x1);
        // A flat ellipse stops early: finish its tips.
        while (y0 - y1 <= b) {
            Mark(x0 - 1, y0);
            Mark(x1 + 1, y0++);
            Mark(x0 - 1, y1);
            Mark(x1 + 1, y1--);
        }
    }

    bool Contains(int x, int y) const {
        if (y < top_ || y - top_ >= static_cast<int>(rows_.size()))
            return false;
        const auto& [first, last] = rows_[static_cast<std::size_t>(y - top_)];
        return x >= first && x <= last;
    }
    int Top() const { return top_; }
    int Bottom() const { return top_ + static_cast<int>(rows_.size()); }
    std::pair<int, int> Row(int y) const { return rows_[static_cast<std::size_t>(y - top_)]; }

private:
    void Mark(std::int64_t x, std::int64_t y) {
        if (y < top_ || y - top_ >= static_cast<std::int64_t>(rows_.size()))
            return;
        auto& [first, last] = rows_[static_cast<std::size_t>(y - top_)];
        first = std::min(first, static_cast<int>(x));
        last = std::max(last, static_cast<int>(x));
    }

    int top_;
    std::vector<std::pair<int, int>> rows_; // first and last column of each row
};

// Paints the pixels of the ellipse for which inside(x, y) holds: those with
// a side neighbour outside in the pen's colour, the others in the brush's.
// Only rows and columns the device holds are visited.
template <class Inside>
void PaintShape(QPainter& painter, const TEllipseRows& ellipse, Inside inside) {
    const QColor pen = painter.pen().color();
    const QColor brush = painter.brush().color();
    const int deviceWidth = painter.device()->width();
    const int deviceHeight = painter.device()->height();
    const auto in = [&](int x, int y) { return ellipse.Contains(x, y) && inside(x, y); };
    for (int y = std::max(ellipse.Top(), 0); y < std::min(ellipse.Bottom(), deviceHeight); ++y) {
        const auto [first, last] = ellipse.Row(y);
        int runStart = 0;
        const QColor* runColor = nullptr;
        const auto flush = [&](int end) {
            if (runColor != nullptr)
                painter.fillRect(QRect(runStart, y, end - runStart, 1), *runColor);
            runColor = nullptr;
        };
        for (int x = std::max(first, 0); x <= std::min(last, deviceWidth - 1); ++x) {
            const QColor* color = nullptr;
            if (in(x, y))
                color =
                    in(x - 1, y) && in(x + 1, y) && in(x, y - 1) && in(x, y + 1) ? &brush : &pen;
            if (color != runColor) {
                flush(x);
                runStart = x;
                runColor = color;
            }
        }
        flush(std::min(last, deviceWidth - 1) + 1);
    }
}

void DrawEllipse(QPainter& painter, int left, int top, int right, int bottom) {
    PaintShape(painter, TEllipseRows(left, top, right, bottom), [](int, int) { return true; });
}

// A pie wedge of the ellipse in the box, from the radial through (x1, y1)
// counter-clockwise to the radial through (x2, y2); the whole ellipse when
// both points are the same. Radials run from the ellipse's centre through the
// points, whatever the points' distance from it.
void DrawPie(QPainter& painter, int left, int top, int right, int bottom, int x1, int y1, int x2,
             int y2) {
    if (x1 == x2 && y1 == y2) {
        DrawEllipse(painter, left, top, right, bottom);
        return;
    }
    // Directions from the centre, y upward, in doubled coordinates: the
    // centre lies on a half pixel when a side is even, and stays exact.
    const std::int64_t cx = std::int64_t{left} + right - 1;
    const std::int64_t cy = std::int64_t{top} + bottom - 1;
    const auto direction = [&](int x, int y) {
        return std::pair<std::int64_t, std::int64_t>{2 * std::int64_t{x} - cx,
                                                     cy - 2 * std::int64_t{y}};
    };
    const auto cross = [](auto u, auto v) { return u.first * v.second - u.second * v.first; };
    const auto start = direction(x1, y1);
    const auto end = direction(x2, y2);
    const std::int64_t turn = cross(start, end);
    const bool sameWay = turn == 0 && start.first * end.first + start.second * end.second > 0;
    PaintShape(painter, TEllipseRows(left, top, right, bottom), [&](int x, int y) {
        const auto v = direction(x, y);
        if (sameWay || (v.first == 0 && v.second == 0))
            return true; // a full turn; the apex belongs to every wedge
        if (turn > 0)
            return cross(start, v) >= 0 && cross(v, end) >= 0;
        if (turn < 0)
            return !(cross(end, v) > 0 && cross(v, start) > 0);
        return cross(start, v) >= 0; // half a turn
    });
}

// A line from (x0, y0) towards (x1, y1) that stops before its end point, so
// that lines drawn end to end do not paint their joints twice. Its pixels are
// filled as squares, which a painter scaled for the screen's density grows.
void DrawLine(QPainter& painter, int x0, int y0, int x1, int y1) {
    const QColor colour = painter.pen().color();
    const int dx = std::abs(x1 - x0);
    const int dy = -std::abs(y1 - y0);
    const int sx = x0 < x1 ? 1 : -1;
    const int sy = y0 < y1 ? 1 : -1;
    int error = dx + dy;
    while (x0 != x1 || y0 != y1) {
        painter.fillRect(QRect(x0, y0, 1, 1), colour);
        const int twice = 2 * error;
        if (twice >= dy) {
            error += dy;
            x0 += sx;
        }
        if (twice <= dx) {
            error += dx;
            y0 += sy;
        }
    }
}

// Round to the nearest integer, halves to even.
int RoundEven(long double value) {
    return static_cast<int>(std::lrint(value));
}

} // namespace

TGaugeRangeFailure::TGaugeRangeFailure(std::int64_t low, std::int64_t high)
    : TFailure(RangeMessage(low, high)) {}

int ScaleByPercent(int percent, int length) {
    // Each step rounds to the 64-bit significand; kept as separate
    // statements so that no step is fused or widened.
    const long double step = 0.01L;
    const long double share = static_cast<long double>(percent) * step;
    const long double scaled = static_cast<long double>(length) * share;
    return static_cast<int>(scaled);
}

int PercentOfRange(std::int64_t x, std::int64_t z) {
    if (z == 0)
        return 0;
    return static_cast<int>(x * 100 / z);
}

void TBltBitmap::MakeLike(const QImage& templ) {
    QImage sized(templ.width(), templ.height(), QImage::Format_RGB32);
    sized.fill(ToQColor(clWindowFrame));
    QImage::operator=(std::move(sized));
}

TGauge::TGauge(QWidget* parent) : QWidget(parent) {
    // Every pixel of the rectangle is painted, so the parent need not be
    // erased behind the gauge first.
    setAttribute(Qt::WA_OpaquePaintEvent);
    setAttribute(Qt::WA_NoSystemBackground);
    resize(100, 100);
}

TColor TGauge::Color() const {
    if (parentColor_ && parentWidget() != nullptr) {
        const QWidget* parent = parentWidget();
        const QColor c = parent->palette().color(QPalette::Active, parent->backgroundRole());
        return RGBColor(c.red(), c.green(), c.blue());
    }
    return color_;
}

void TGauge::SetColor(TColor value) {
    if (value == Color())
        return;
    color_ = value;
    parentColor_ = false;
    Refresh();
}

void TGauge::SetParentColor(bool value) {
    if (value == parentColor_)
        return;
    // Turning it off keeps the colour in use until another is set.
    if (!value)
        color_ = Color();
    parentColor_ = value;
    Refresh();
}

template <class T> void TGauge::Change(T& field, T value) {
    if (value == field)
        return;
    field = value;
    Refresh();
}

void TGauge::SetKind(TGaugeKind value) {
    Change(kind_, value);
}

void TGauge::SetShowText(bool value) {
    Change(showText_, value);
}

void TGauge::SetFont(const QFont& value) {
    setFont(value);
    // setFont() only marks the widget for a later repaint.
    Refresh();
}

void TGauge::SetParentFont(bool value) {
    if (value == ParentFont())
        return;
    // A font with nothing set hands every attribute back to the parent;
    // pinning the current one keeps what is shown.
    QFont pinned = font();
    pinned.setResolveMask(QFont::AllPropertiesResolved);
    setFont(value ? QFont() : pinned);
    Refresh();
}

void TGauge::SetBorderStyle(TBorderStyle value) {
    Change(borderStyle_, value);
}

void TGauge::SetForeColor(TColor value) {
    Change(foreColor_, value);
}

void TGauge::SetBackColor(TColor value) {
    Change(backColor_, value);
}

void TGauge::SetMinValue(int value) {
    if (value == minValue_)
        return;
    // The bounds are formed in 64 bits: MaxValue - 1 of the lowest integer
    // must not wrap round to the highest.
    if (value > maxValue_)
        throw TGaugeRangeFailure(-std::int64_t{2147483647}, std::int64_t{maxValue_} - 1);
    minValue_ = value;
    if (progress_ < value)
        progress_ = value;
    Refresh();
}

void TGauge::SetMaxValue(int value) {
    if (value == maxValue_)
        return;
    if (value < minValue_)
        throw TGaugeRangeFailure(std::int64_t{minValue_} + 1, std::int64_t{2147483647});
    maxValue_ = value;
    if (progress_ > value)
        progress_ = value;
    Refresh();
}

void TGauge::SetProgress(int value) {
    const int before = Percentage();
    if (value < minValue_)
        value = minValue_;
    else if (value > maxValue_)
        value = maxValue_;
    if (value == progress_)
        return;
    progress_ = value;
    // A copy run sets Progress once per chunk: repaint only what the user can
    // see change, at most 101 times for the whole range.
    if (Percentage() != before)
        Refresh();
}

int TGauge::Percentage() const {
    // Differences in 64 bits: a range wider than 2^31 must not wrap into a
    // negative or oversized percentage.
    return PercentOfRange(std::int64_t{progress_} - minValue_, std::int64_t{maxValue_} - minValue_);
}

void TGauge::Refresh() {
    // Painted now, not merely scheduled: a long copy on this thread would
    // otherwise show nothing until it ends. repaint() does nothing while the
    // gauge is hidden.
    repaint();
}

TGaugeLook TGauge::Look() const {
    // Colours resolved to RGB: a changed system colour is a changed look.
    return TGaugeLook{size(),
                      kind_,
                      showText_,
                      borderStyle_,
                      ToQColor(foreColor_).rgb(),
                      ToQColor(backColor_).rgb(),
                      ToQColor(Color()).rgb(),
                      font(),
                      Percentage(),
                      std::max(1, qRound(devicePixelRatioF()))};
}

QImage TGauge::Render() const {
    // A copy run flips between a few looks (0 % and 100 % for every small
    // entry); drawing each afresh, text shaping included, would cost more
    // than copying the entry.
    const TGaugeLook look = Look();
    for (const TCachedPicture& cached : cache_)
        if (!cached.picture.isNull() && cached.look == look)
            return cached.picture;
    QImage picture = RenderGauge(look);
    if (!picture.isNull()) {
        cache_[nextSlot_] = TCachedPicture{look, picture};
        nextSlot_ = (nextSlot_ + 1) % kCachedPictures;
    }
    return picture;
}

namespace {

// The colours and area a kind's painter works with.
struct TGaugePaint {
    const TGaugeLook& Look;
    TEdges R; // inside the rim, when there is one
    QColor Fore, Back, Own;
};

void PaintText(QPainter& p, const TGaugePaint& g) {
    FillEdges(p, g.R.Left, g.R.Top, g.R.Right, g.R.Bottom, g.Back);
}

void PaintBar(QPainter& p, const TGaugePaint& g) {
    const TEdges& r = g.R;
    // The fill's right and bottom edges are used as lengths, not offset by
    // the rim: with a rim that lands exactly on the area.
    const int w = r.Right - r.Left + 1;
    const int h = r.Bottom - r.Top + 1;
    FillEdges(p, r.Left, r.Top, r.Right, r.Bottom, g.Back);
    if (g.Look.kind == gkHorizontalBar) {
        const int fill = std::min(ScaleByPercent(g.Look.percentage, w), w);
        if (fill > 0)
            FillEdges(p, r.Left, r.Top, fill, h, g.Fore);
    } else {
        int fill = ScaleByPercent(g.Look.percentage, h);
        if (fill >= h)
            fill = h - 1;
        FillEdges(p, r.Left, h - fill, w, h, g.Fore);
    }
}

// The round kinds span the area, one more pixel each way with a rim.
QSize RoundSpan(const TGaugePaint& g) {
    const int grow = g.Look.borderStyle == bsSingle ? 1 : 0;
    return {g.R.Right - g.R.Left + grow, g.R.Bottom - g.R.Top + grow};
}

// The ground of the round kinds: the area in its own colour, then the pen
// and brush of the dial.
void PaintRoundGround(QPainter& p, const TGaugePaint& g) {
    FillEdges(p, g.R.Left, g.R.Top, g.R.Right, g.R.Bottom, g.Own);
    p.setPen(QPen(g.Fore, 1));
    p.setBrush(g.Back);
}

void PaintPie(QPainter& p, const TGaugePaint& g) {
    const TEdges& r = g.R;
    const QSize span = RoundSpan(g);
    const int w = span.width();
    const int h = span.height();
    PaintRoundGround(p, g);
    DrawEllipse(p, r.Left, r.Top, w, h);
    if (g.Look.percentage <= 0)
        return;
    p.setBrush(g.Fore);
    const int mx = w / 2;
    const int my = h / 2;
    // The start point walks clockwise from twelve o'clock as the percentage
    // grows; the wedge runs back to twelve.
    const double angle =
        static_cast<double>((g.Look.percentage * 0.02L + 0.5L) * std::numbers::pi_v<long double>);
    const int x1 = RoundEven(mx * (1.0L - std::cos(angle)));
    const int y1 = RoundEven(my * (1.0L - std::sin(angle)));
    DrawPie(p, r.Left, r.Top, w, h, x1, y1, mx, 0);
}

void PaintNeedle(QPainter& p, const TGaugePaint& g) {
    const TEdges& r = g.R;
    const QSize span = RoundSpan(g);
    const int w = span.width();
    const int h = span.height();
    PaintRoundGround(p, g);
    // The dial: the upper half of an ellipse twice the area's height.
    DrawPie(p, r.Left, r.Top, w, 2 * h - 1, r.Left + w, r.Bottom - 1, r.Left, r.Bottom - 1);
    DrawLine(p, r.Left, r.Bottom, r.Left + w, r.Bottom);
    if (g.Look.percentage <= 0)
        return;
    // The needle pivots on the middle of the control, rim or not.
    const int mx = g.Look.size.width() / 2;
    const double angle =
        static_cast<double>(g.Look.percentage * 0.01L * std::numbers::pi_v<long double>);
    DrawLine(p, mx, r.Bottom - 1, RoundEven(mx * (1.0L - std::cos(angle))),
             RoundEven((r.Bottom - 1) * (1.0L - std::sin(angle))));
}

// The percentage, white on black, combined with the picture by XOR so it
// reads over the fill and the empty part alike.
void XorPercentText(QImage& picture, const TGaugeLook& look, const TEdges& r) {
    // In device pixels: the text is drawn at the picture's density.
    const int k = look.scale;
    const QRect area(k * r.Left, k * r.Top, k * (r.Right - r.Left), k * (r.Bottom - r.Top));
    TBltBitmap text;
    text.MakeLike(picture);
    PaintBlack(text);
    QFont face = look.font;
    // Only pure white text pixels invert cleanly under XOR; smoothed edges
    // would turn into stray colours.
    face.setStyleStrategy(QFont::NoAntialias);
    if (k > 1) {
        if (face.pixelSize() > 0)
            face.setPixelSize(face.pixelSize() * k);
        else
            face.setPointSizeF(face.pointSizeF() * k);
    }
    const QString s = QCoreApplication::translate("zorvak::TGauge", "%1%").arg(look.percentage);
    const QFontMetrics metrics(face, &text);
    const int advance = metrics.horizontalAdvance(s);
    const int lineHeight = metrics.height();
    // Centred on the area's size, not offset by the rim.
    const int x = (k * (r.Right - r.Left + 1) - advance) / 2;
    const int y = (k * (r.Bottom - r.Top + 1) - lineHeight) / 2;
    {
        QPainter p(&text);
        p.setRenderHint(QPainter::TextAntialiasing, false);
        p.setFont(face);
        p.setPen(Qt::white);
        p.setClipRect(area);
        // (x, y) is the text's top left corner.
        p.drawText(QPoint(x, y + metrics.ascent()), s);
    }
    // The rest of the text bitmap is black and changes nothing, so only the
    // text's neighbourhood (with room for overhanging glyphs) is combined.
    const QRect near =
        QRect(x - lineHeight, y - lineHeight, advance + 2 * lineHeight, 3 * lineHeight)
            .intersected(area);
    if (!near.isEmpty()) {
        QPainter p(&picture);
        p.setCompositionMode(QPainter::RasterOp_SourceXorDestination);
        p.drawImage(near.topLeft(), text, near);
    }
}

} // namespace

QImage RenderGauge(const TGaugeLook& look) {
    const int width = look.size.width();
    const int height = look.size.height();
    if (width <= 0 || height <= 0 || look.scale < 1)
        return {};

    TEdges r{0, 0, width, height};
    if (look.borderStyle == bsSingle)
        r = TEdges{1, 1, width - 1, height - 1};
    const TGaugePaint paint{look, r, QColor::fromRgb(look.foreColor),
                            QColor::fromRgb(look.backColor), QColor::fromRgb(look.color)};

    // XOR onto an all-black picture leaves exactly what is drawn: draw the
    // kind straight into it and spare a pass over every pixel.
    TBltBitmap picture;
    picture.MakeLike(QImage(width * look.scale, height * look.scale, QImage::Format_RGB32));
    PaintBlack(picture);
    {
        QPainter p(&picture);
        p.setRenderHint(QPainter::Antialiasing, false);
        // The shapes are whole pixels of the gauge's own size, each a
        // square of device pixels.
        p.scale(look.scale, look.scale);
        switch (look.kind) {
        case gkText:
            PaintText(p, paint);
            break;
        case gkHorizontalBar:
        case gkVerticalBar:
            PaintBar(p, paint);
            break;
        case gkPie:
            PaintPie(p, paint);
            break;
        case gkNeedle:
            PaintNeedle(p, paint);
            break;
        }
    }
    QImage result = std::move(picture);
    if (look.showText && r.Right > r.Left && r.Bottom > r.Top)
        XorPercentText(result, look, r);
    result.setDevicePixelRatio(look.scale);
    return result;
}

void TGauge::paintEvent(QPaintEvent* /*event*/) {
    const QImage picture = Render();
    if (picture.isNull())
        return;
    // One block copy of the finished picture: never a half-drawn gauge.
    QPainter p(this);
    p.setCompositionMode(QPainter::CompositionMode_Source);
    p.drawImage(0, 0, picture);
}

void TGauge::changeEvent(QEvent* event) {
    // The parent's colour shows through Color while ParentColor is set.
    if (event->type() == QEvent::PaletteChange || event->type() == QEvent::ParentChange)
        update();
    QWidget::changeEvent(event);
}

} // namespace zorvak
