// A push button with its glyph above the caption, the two centred together.
#pragma once

#include <QPushButton>

namespace zorvak {

class TGlyphTopButton : public QPushButton {
public:
    using QPushButton::QPushButton;

protected:
    void paintEvent(QPaintEvent* event) override;
};

} // namespace zorvak
