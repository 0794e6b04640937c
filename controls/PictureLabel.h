// A label showing an icon's picture at a fixed size, drawn for the pixel
// density of the screen it is on.
#pragma once

#include <QIcon>
#include <QLabel>

namespace zorvak {

// QLabel keeps the one pixmap it is given, which a screen of twice the
// density enlarges and blurs; this label takes the icon's picture for the
// screen's pixel ratio instead, and again when the ratio changes (a move to
// another screen).
class TPictureLabel : public QLabel {
public:
    using QLabel::QLabel;

    // Shows icon at size, in the window's units; a null icon shows nothing.
    void SetIcon(const QIcon& icon, const QSize& size);
    const QIcon& Icon() const { return icon_; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    void ShowForRatio(qreal ratio);

    QIcon icon_;
    QSize size_;
    qreal shownRatio_ = 0;
};

} // namespace zorvak
