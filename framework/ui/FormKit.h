// What every window of the program repeats, written once: the font rule,
// labels placed and sized to their text, text colour, centring, list rows of
// a fixed height, and the event pump of long work.
#pragma once

#include <QElapsedTimer>
#include <QFont>
#include <QList>
#include <QRect>
#include <QStyledItemDelegate>

#include <functional>

class QColor;
class QLabel;
class QWidget;

namespace zorvak {

// The one font rule: the windows were laid out for "MS Sans Serif" at a
// pixel height, which is the system's sans font at that height here.
QFont FormFont(int pixelHeight, bool bold = false);

// The colour widget draws its text in.
void SetTextColor(QWidget* widget, const QColor& color);

// A label at left, top of parent, as large as its text.
QLabel* PlaceLabel(QWidget* parent, int left, int top, const QString& text);
// New text for such a label, which takes the size of it.
void SetLabelText(QLabel* label, const QString& text);

// Puts a window centred on the screen it is on, by its outer size once it
// has a frame.
void CentreOnScreen(QWidget* window);

// Whether a window whose outer rectangle is frame can be taken by its title
// bar on one of areas (the screens' available geometries): the band of
// kTitleBandHeight pixels at its top overlaps one area by at least
// kGripWidth by kGripHeight pixels.
inline constexpr int kTitleBandHeight = 24;
inline constexpr int kGripWidth = 48;
inline constexpr int kGripHeight = 12;
bool TitleBarReachable(const QRect& frame, const QList<QRect>& areas);
// The available geometries of the screens there are.
QList<QRect> ScreenAreas();

// frame fitted to area: a side longer than the area's is cut to it, and a
// frame so cut is moved onto the area. A frame that fits is left alone,
// wherever it is.
QRect FitIntoArea(const QRect& frame, const QRect& area);
// The window fitted so to the available geometry of the screen it is on,
// frame included, so that its edges and buttons can be reached.
void FitOnScreen(QWidget* window);

// List rows of a fixed height; given an indent role, each row is moved right
// by its level (the role's value) times indent pixels.
class TFixedRowDelegate : public QStyledItemDelegate {
public:
    TFixedRowDelegate(int height, QObject* parent, int levelRole = -1, int indent = 0)
        : QStyledItemDelegate(parent), height_(height), levelRole_(levelRole), indent_(indent) {}
    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override;
    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override;

private:
    int height_;
    int levelRole_;
    int indent_;
};

// Long work handles pending events between its steps, but at most once a
// frame: drawing faster than a screen shows would take most of the time.
// The first pump after Restart() handles them at once.
class TFramePump {
public:
    static constexpr int kFrameMs = 20;
    explicit TFramePump(int intervalMs = kFrameMs) : interval_(intervalMs) {}

    void Restart() { clock_.invalidate(); }
    void SetInterval(int milliseconds) { interval_ = milliseconds; }
    // When a frame has passed: runs beforeEvents (what the frame should
    // show), handles the pending events and answers true; else false.
    bool Pump(const std::function<void()>& beforeEvents = {});

private:
    int interval_;
    QElapsedTimer clock_;
};

} // namespace zorvak
