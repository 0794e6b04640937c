// Counts the paint events a widget receives, so tests can tell whether a
// setter painted at once.
#pragma once

#include <QEvent>
#include <QObject>
#include <QWidget>

namespace zorvak::test {

class TPaintCounter : public QObject {
public:
    explicit TPaintCounter(QWidget* widget) { widget->installEventFilter(this); }
    int Count = 0;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Paint)
            ++Count;
        return QObject::eventFilter(watched, event);
    }
};

} // namespace zorvak::test
