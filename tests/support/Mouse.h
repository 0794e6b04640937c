// Synthetic mouse input sent straight to a widget, as the window system
// would deliver it.
#pragma once

#include <QCoreApplication>
#include <QMouseEvent>
#include <QWidget>

namespace zorvak::test {

inline void SendMouse(QWidget* widget, QEvent::Type type, QPoint at, Qt::MouseButton button,
                      Qt::MouseButtons held) {
    QMouseEvent event(type, QPointF(at), QPointF(widget->mapToGlobal(at)), button, held,
                      Qt::NoModifier);
    QCoreApplication::sendEvent(widget, &event);
}

inline void Press(QWidget* widget, QPoint at) {
    SendMouse(widget, QEvent::MouseButtonPress, at, Qt::LeftButton, Qt::LeftButton);
}
inline void DragTo(QWidget* widget, QPoint at) {
    SendMouse(widget, QEvent::MouseMove, at, Qt::NoButton, Qt::LeftButton);
}
inline void Release(QWidget* widget, QPoint at) {
    SendMouse(widget, QEvent::MouseButtonRelease, at, Qt::LeftButton, Qt::NoButton);
}
inline void Click(QWidget* widget, QPoint at) {
    Press(widget, at);
    Release(widget, at);
}
inline void DoubleClick(QWidget* widget, QPoint at) {
    Click(widget, at);
    SendMouse(widget, QEvent::MouseButtonDblClick, at, Qt::LeftButton, Qt::LeftButton);
    Release(widget, at);
}

} // namespace zorvak::test
