#include "controls/Backdrop.h"

#include <QEvent>
#include <QImage>
#include <QPainter>

namespace zorvak {

TColor BackColorOf(TBackClrs color) {
    switch (color) {
    case TBackClrs::clRed:
        return clRed;
    case TBackClrs::clLime:
        return clLime;
    case TBackClrs::clYellow:
        return clYellow;
    case TBackClrs::clBlue:
        return clBlue;
    case TBackClrs::clFuchsia:
        return clFuchsia;
    case TBackClrs::clAqua:
        return clAqua;
    case TBackClrs::clWhite:
        return clWhite;
    }
    return clBlue;
}

void PaintBackdrop(QPainter& canvas, TDirection direction, TBackClrs color, int width, int height) {
    ForEachBackdropBand(direction, color, width, height,
                        [&canvas](int left, int top, int right, int bottom, TColor band) {
                            if (right > left && bottom > top)
                                canvas.fillRect(QRect(left, top, right - left, bottom - top),
                                                ToQColor(band));
                        });
}

QImage RenderBackdrop(TDirection direction, TBackClrs color, int width, int height) {
    QImage image(width, height, QImage::Format_ARGB32);
    if (image.isNull())
        return image;
    image.fill(Qt::transparent);
    QPainter canvas(&image);
    canvas.setRenderHint(QPainter::Antialiasing, false);
    PaintBackdrop(canvas, direction, color, width, height);
    return image;
}

TBackDrop::TBackDrop(QWidget* parent)
    : QWidget(parent), direction_(TDirection::bdUp), color_(TBackClrs::clBlue) {
    FollowParent();
}

void TBackDrop::SetDirection(TDirection direction) {
    direction_ = direction;
    // Qt skips this while the control is hidden; the next paint draws it.
    repaint();
}

void TBackDrop::SetColor(TBackClrs color) {
    color_ = color;
    repaint();
}

void TBackDrop::Paint(QPainter& canvas) {
    canvas.setRenderHint(QPainter::Antialiasing, false);
    PaintBackdrop(canvas, direction_, color_, width(), height());
}

void TBackDrop::paintEvent(QPaintEvent*) {
    QPainter canvas(this);
    Paint(canvas);
}

bool TBackDrop::event(QEvent* event) {
    // Client alignment: watch whichever widget we are placed on.
    if (event->type() == QEvent::ParentAboutToChange && parentWidget() != nullptr)
        parentWidget()->removeEventFilter(this);
    else if (event->type() == QEvent::ParentChange)
        FollowParent();
    return QWidget::event(event);
}

bool TBackDrop::eventFilter(QObject* watched, QEvent* event) {
    if (watched == parentWidget() &&
        (event->type() == QEvent::Resize || event->type() == QEvent::ContentsRectChange))
        setGeometry(parentWidget()->contentsRect());
    return QWidget::eventFilter(watched, event);
}

void TBackDrop::FollowParent() {
    QWidget* parent = parentWidget();
    if (parent == nullptr)
        return;
    parent->installEventFilter(this);
    setGeometry(parent->contentsRect());
}

} // namespace zorvak
