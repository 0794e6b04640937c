#include "controls/PictureLabel.h"

namespace zorvak {

void TPictureLabel::SetIcon(const QIcon& icon, const QSize& size) {
    icon_ = icon;
    size_ = size;
    ShowForRatio(devicePixelRatioF());
}

void TPictureLabel::ShowForRatio(qreal ratio) {
    shownRatio_ = ratio;
    setPixmap(icon_.isNull() ? QPixmap() : icon_.pixmap(size_, ratio));
}

void TPictureLabel::paintEvent(QPaintEvent* event) {
    // The ratio is known for sure only where the label is drawn.
    if (!icon_.isNull() && devicePixelRatioF() != shownRatio_)
        ShowForRatio(devicePixelRatioF());
    QLabel::paintEvent(event);
}

} // namespace zorvak
