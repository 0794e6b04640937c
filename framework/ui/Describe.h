// What a control tells of itself without taking room on its window: the
// tooltip shown while the mouse rests on it, and the name and description a
// screen reader reads out. Menu commands give their tooltip and status tip.
#pragma once

#include <QString>

class QAction;
class QLabel;
class QWidget;

namespace zorvak {

// text as it reads on the screen: without the "&" marking its accelerator
// ("&&" is one "&"), and without a caption's closing ":".
QString VisibleName(const QString& text);

// A control: its accessible name (its visible name, or a short name for one
// that shows none) and its tooltip, which readers take as its description.
void Describe(QWidget* control, const QString& name, const QString& tip);

// A label whose text is what it shows (a count, a name, a message): readers
// read that text as its name, and tip, also its tooltip, says what it is.
void DescribeShown(QLabel* label, const QString& tip);

// A menu command: tip as its tooltip and its status tip.
void DescribeCommand(QAction* command, const QString& tip);

} // namespace zorvak
