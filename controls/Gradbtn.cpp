#include "controls/Gradbtn.h"

#include <QFontMetrics>
#include <QPainter>

#include <cstdint>

namespace zorvak {

namespace {

// Past this the face could not be drawn anyway; such border widths leave the
// button without a face instead of asking for a huge bitmap.
constexpr std::int64_t kMaxFaceSide = 32767;

QSize FaceSizeFor(int width, int height, int border) {
    const std::int64_t w = static_cast<std::int64_t>(width) - 2 * static_cast<std::int64_t>(border);
    const std::int64_t h =
        static_cast<std::int64_t>(height) - 2 * static_cast<std::int64_t>(border);
    if (w <= 0 || h <= 0 || w > kMaxFaceSide || h > kMaxFaceSide)
        return QSize(0, 0);
    return QSize(static_cast<int>(w), static_cast<int>(h));
}

} // namespace

void BuildFace(TColor start, TColor end, QImage& bitmap) {
    if (bitmap.isNull())
        return;
    QPainter canvas(&bitmap);
    canvas.setRenderHint(QPainter::Antialiasing, false);
    for (int i = 0; i < kGradientBands; ++i) {
        const TBandSpan span = BandSpan(i, bitmap.height());
        if (!span.IsEmpty())
            FillEdges(canvas, 0, span.First, bitmap.width(), span.Last,
                      ToQColor(BandColor(start, end, i)));
    }
}

void DrawBevel(QPainter& canvas, TEdges rect, TColor top, TColor bottom, int frames) {
    const QColor topColor = ToQColor(top);
    const QColor bottomColor = ToQColor(bottom);
    rect.Right -= 1;
    rect.Bottom -= 1;
    // Each stroke is drawn as the pixels the classic polyline would set: every
    // point but the last. A frame nested past the middle would cross itself,
    // so nesting stops there.
    while (frames > 0 && rect.Right >= rect.Left && rect.Bottom >= rect.Top) {
        --frames;
        // (Left, Bottom) -> (Left, Top) -> (Right, Top), last point left out.
        FillEdges(canvas, rect.Left, rect.Top, rect.Left + 1, rect.Bottom + 1, topColor);
        FillEdges(canvas, rect.Left, rect.Top, rect.Right, rect.Top + 1, topColor);
        // (Right, Top) -> (Right, Bottom) -> (Left - 1, Bottom), last point left out.
        FillEdges(canvas, rect.Right, rect.Top, rect.Right + 1, rect.Bottom + 1, bottomColor);
        FillEdges(canvas, rect.Left, rect.Bottom, rect.Right + 1, rect.Bottom + 1, bottomColor);
        rect = {rect.Left + 1, rect.Top + 1, rect.Right - 1, rect.Bottom - 1};
    }
}

TGradButton::TGradButton(QWidget* parent)
    : QAbstractButton(parent), gradColor_(clBlue), faceColor_(clBlack), highlightColor_(clWhite),
      shadowColor_(clBlack), bevelWidth_(1), borderWidth_(1) {
    // Windowless in spirit: it takes no keyboard focus, and paints all of itself.
    setFocusPolicy(Qt::NoFocus);
    setAttribute(Qt::WA_OpaquePaintEvent);
    resize(100, 30);
    faceBitmap_ = QImage(100, 30, QImage::Format_RGB32);
    BuildFace(gradColor_, faceColor_, faceBitmap_);
    SetFontColor(clWhite);
    setText(QStringLiteral("TGradButton"));
}

void TGradButton::ChangeFace(TColor& field, TColor value) {
    if (value == field)
        return;
    field = value;
    BuildFace(gradColor_, faceColor_, faceBitmap_);
    repaint();
}

TColor TGradButton::FontColor() const {
    const QColor c = palette().color(QPalette::ButtonText);
    return RGBColor(c.red(), c.green(), c.blue());
}

void TGradButton::SetFontColor(TColor color) {
    QPalette p = palette();
    for (const auto group : {QPalette::Active, QPalette::Inactive, QPalette::Disabled})
        p.setColor(group, QPalette::ButtonText, ToQColor(color));
    setPalette(p);
    update();
}

void TGradButton::SetGroupIndex(int index) {
    groupIndex_ = index;
    setCheckable(index != 0);
    if (index == 0)
        setChecked(false);
    else if (isChecked())
        ReleaseGroup();
}

void TGradButton::SetAllowAllUp(bool allow) {
    allowAllUp_ = allow;
    // The setting belongs to the group as a whole.
    if (groupIndex_ == 0 || parentWidget() == nullptr)
        return;
    for (TGradButton* other :
         parentWidget()->findChildren<TGradButton*>(Qt::FindDirectChildrenOnly))
        if (other != this && other->groupIndex_ == groupIndex_)
            other->allowAllUp_ = allow;
}

void TGradButton::SetDown(bool down) {
    // A button outside any group cannot latch.
    if (groupIndex_ == 0 || down == isChecked())
        return;
    setChecked(down);
    if (down)
        ReleaseGroup();
    update();
}

void TGradButton::nextCheckState() {
    if (!isChecked()) {
        setChecked(true);
        ReleaseGroup();
    } else if (allowAllUp_) {
        setChecked(false);
    }
}

void TGradButton::ReleaseGroup() {
    if (parentWidget() == nullptr)
        return;
    for (TGradButton* other :
         parentWidget()->findChildren<TGradButton*>(Qt::FindDirectChildrenOnly))
        if (other != this && other->groupIndex_ == groupIndex_ && other->isChecked()) {
            other->setChecked(false);
            other->update();
        }
}

TButtonState TGradButton::State() const {
    if (!isEnabled())
        return TButtonState::bsDisabled;
    if (isDown())
        return TButtonState::bsDown;
    if (isChecked())
        return TButtonState::bsExclusive;
    return TButtonState::bsUp;
}

void TGradButton::Paint(QPainter& canvas) {
    const int bw = borderWidth_;
    const int w = width();
    const int h = height();
    canvas.setRenderHint(QPainter::Antialiasing, false);
    canvas.setRenderHint(QPainter::TextAntialiasing, false);

    QFont captionFont = font();
    captionFont.setStyleStrategy(QFont::NoAntialias);
    const QFontMetrics metrics(captionFont);
    const QString caption = text();
    const int tx = (w - metrics.horizontalAdvance(caption)) / 2;
    const int ty = (h - metrics.height()) / 2;

    const QSize faceSize = FaceSizeFor(w, h, bw);
    if (faceBitmap_.size() != faceSize) {
        faceBitmap_ = faceSize.isEmpty() ? QImage() : QImage(faceSize, QImage::Format_RGB32);
        BuildFace(gradColor_, faceColor_, faceBitmap_);
    }

    canvas.fillRect(QRect(0, 0, w, h), Qt::black);
    const bool pressed = State() == TButtonState::bsDown;
    const int shift = pressed ? 1 : 0;
    // With no face left (the border eats the whole button) there is nothing
    // for a bevel to frame either.
    if (!faceBitmap_.isNull()) {
        canvas.drawImage(QPoint(bw + shift, bw + shift), faceBitmap_);
        const TEdges faceRect{bw, bw, w - bw, h - bw};
        if (pressed)
            DrawBevel(canvas, faceRect, shadowColor_, faceColor_, bevelWidth_);
        else
            DrawBevel(canvas, faceRect, highlightColor_, shadowColor_, bevelWidth_);
    }
    canvas.setFont(captionFont);
    canvas.setPen(palette().color(QPalette::ButtonText));
    canvas.setBackgroundMode(Qt::TransparentMode);
    canvas.drawText(QPoint(tx + shift, ty + shift + metrics.ascent()), caption);
}

QImage TGradButton::RenderImage() {
    QImage image(size(), QImage::Format_ARGB32);
    if (image.isNull())
        return image;
    image.fill(Qt::transparent);
    QPainter canvas(&image);
    Paint(canvas);
    return image;
}

void TGradButton::paintEvent(QPaintEvent*) {
    QPainter canvas(this);
    Paint(canvas);
}

} // namespace zorvak
