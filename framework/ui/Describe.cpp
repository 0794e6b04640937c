#include "framework/ui/Describe.h"

#include <QAction>
#include <QLabel>
#include <QWidget>

namespace zorvak {

QString VisibleName(const QString& text) {
    QString shown;
    shown.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text[i] == QLatin1Char('&')) {
            if (i + 1 >= text.size())
                break;
            ++i; // "&x" shows x, "&&" one "&"
        }
        shown += text[i];
    }
    shown = shown.trimmed();
    if (shown.endsWith(QLatin1Char(':')))
        shown = shown.chopped(1).trimmed();
    return shown;
}

void Describe(QWidget* control, const QString& name, const QString& tip) {
    control->setAccessibleName(name);
    control->setToolTip(tip);
}

void DescribeShown(QLabel* label, const QString& tip) {
    label->setToolTip(tip);
    label->setAccessibleDescription(tip);
}

void DescribeCommand(QAction* command, const QString& tip) {
    command->setToolTip(tip);
    command->setStatusTip(tip);
}

} // namespace zorvak
