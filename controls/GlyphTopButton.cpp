#include "controls/GlyphTopButton.h"

#include <QStyleOptionButton>
#include <QStylePainter>

namespace zorvak {

void TGlyphTopButton::paintEvent(QPaintEvent*) {
    QStylePainter painter(this);
    QStyleOptionButton option;
    initStyleOption(&option);
    option.text.clear();
    option.icon = QIcon();
    painter.drawControl(QStyle::CE_PushButton, option);
    const int spacing = 4;
    const QSize glyph = iconSize();
    const int textHeight = fontMetrics().height();
    const int top = (height() - glyph.height() - spacing - textHeight) / 2 + (isDown() ? 1 : 0);
    const int shift = isDown() ? 1 : 0;
    const QIcon::Mode mode = isEnabled() ? QIcon::Normal : QIcon::Disabled;
    painter.drawPixmap((width() - glyph.width()) / 2 + shift, top,
                       icon().pixmap(glyph, devicePixelRatio(), mode));
    painter.drawItemText(QRect(shift, top + glyph.height() + spacing, width(), textHeight),
                         Qt::AlignHCenter | Qt::AlignTop, palette(), isEnabled(), text(),
                         QPalette::ButtonText);
}

} // namespace zorvak
