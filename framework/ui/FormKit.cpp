#include "framework/ui/FormKit.h"

#include "framework/ui/Application.h"

#include <QColor>
#include <QFontDatabase>
#include <QGuiApplication>
#include <QLabel>
#include <QScreen>
#include <QWidget>

#include <algorithm>

namespace zorvak {

QFont FormFont(int pixelHeight, bool bold) {
    QFont font = QFontDatabase::systemFont(QFontDatabase::GeneralFont);
    font.setPixelSize(pixelHeight);
    font.setBold(bold);
    return font;
}

void SetTextColor(QWidget* widget, const QColor& color) {
    QPalette palette = widget->palette();
    palette.setColor(QPalette::WindowText, color);
    widget->setPalette(palette);
}

QLabel* PlaceLabel(QWidget* parent, int left, int top, const QString& text) {
    auto* label = new QLabel(text, parent);
    label->move(left, top);
    label->adjustSize();
    return label;
}

void SetLabelText(QLabel* label, const QString& text) {
    label->setText(text);
    label->adjustSize();
}

void CentreOnScreen(QWidget* window) {
    const QScreen* screen = window->screen() ? window->screen() : QGuiApplication::primaryScreen();
    if (screen == nullptr)
        return;
    const QRect area = screen->availableGeometry();
    const QSize size = window->frameSize().isValid() ? window->frameSize() : window->size();
    window->move(area.center() - QPoint(size.width() / 2, size.height() / 2));
}

bool TitleBarReachable(const QRect& frame, const QList<QRect>& areas) {
    const QRect band(frame.topLeft(), QSize(frame.width(), kTitleBandHeight));
    for (const QRect& area : areas) {
        const QRect grip = band.intersected(area);
        if (grip.width() >= kGripWidth && grip.height() >= kGripHeight)
            return true;
    }
    return false;
}

QList<QRect> ScreenAreas() {
    QList<QRect> areas;
    for (const QScreen* screen : QGuiApplication::screens())
        areas.append(screen->availableGeometry());
    return areas;
}

QRect FitIntoArea(const QRect& frame, const QRect& area) {
    if (area.isEmpty() || (frame.width() <= area.width() && frame.height() <= area.height()))
        return frame;
    QRect fitted(frame.topLeft(), QSize(std::min(frame.width(), area.width()),
                                        std::min(frame.height(), area.height())));
    fitted.moveLeft(std::clamp(fitted.left(), area.left(), area.right() + 1 - fitted.width()));
    fitted.moveTop(std::clamp(fitted.top(), area.top(), area.bottom() + 1 - fitted.height()));
    return fitted;
}

void FitOnScreen(QWidget* window) {
    const QRect frame = window->frameGeometry();
    const QScreen* screen = QGuiApplication::screenAt(frame.center());
    if (screen == nullptr)
        screen = window->screen() ? window->screen() : QGuiApplication::primaryScreen();
    if (screen == nullptr)
        return;
    const QRect fitted = FitIntoArea(frame, screen->availableGeometry());
    if (fitted == frame)
        return;
    // The frame keeps its thickness: the inside gives what is cut.
    window->resize(window->size() - (frame.size() - fitted.size()));
    window->move(fitted.topLeft());
}

QSize TFixedRowDelegate::sizeHint(const QStyleOptionViewItem& option,
                                  const QModelIndex& index) const {
    QSize size = QStyledItemDelegate::sizeHint(option, index);
    size.setHeight(height_);
    return size;
}

void TFixedRowDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option,
                              const QModelIndex& index) const {
    if (levelRole_ < 0) {
        QStyledItemDelegate::paint(painter, option, index);
        return;
    }
    QStyleOptionViewItem moved = option;
    moved.rect.setLeft(option.rect.left() + index.data(levelRole_).toInt() * indent_);
    QStyledItemDelegate::paint(painter, moved, index);
}

bool TFramePump::Pump(const std::function<void()>& beforeEvents) {
    if (clock_.isValid() && clock_.elapsed() < interval_)
        return false;
    // Started first: the events may end the pump's owner.
    clock_.start();
    if (beforeEvents)
        beforeEvents();
    ProcessMessages();
    return true;
}

} // namespace zorvak
