// A flat push button whose face is a vertical gradient, framed by a black
// border and a two-colour bevel, with its caption centred on the face.
#pragma once

#include "controls/ColorMath.h"

#include <QAbstractButton>
#include <QImage>
#include <QPixmap>

#include <cstdint>

class QPainter;

namespace zorvak {

// What the button shows: pressed ("down") only while the pointer holds it.
enum class TButtonState : std::uint8_t { bsUp, bsDisabled, bsDown, bsExclusive };

// Where a glyph would sit; kept for window descriptions, not drawn.
enum class TButtonLayout : std::uint8_t { blGlyphLeft, blGlyphRight, blGlyphTop, blGlyphBottom };

// Fills `bitmap` with 256 horizontal bands running from start (top band) to
// end (bottom band); bands of no height draw nothing.
void BuildFace(TColor start, TColor end, QImage& bitmap);

// Draws `frames` nested one-pixel frames inside rect: top and left edges in
// top, bottom and right edges in bottom. Each frame is two polylines that
// leave out their last point, as the classic drawing call does: the top-left
// stroke runs from the bottom-left corner up and right to just before the
// top-right corner; the bottom-right stroke runs from the top-right corner
// down and left up to and including the bottom-left corner.
void DrawBevel(QPainter& canvas, TEdges rect, TColor top, TColor bottom, int frames);

class TGradButton : public QAbstractButton {
    Q_OBJECT
public:
    explicit TGradButton(QWidget* parent = nullptr);

    // The face gradient runs from GradColor at the top to FaceColor at the
    // bottom. Setting a new value rebuilds the face and repaints at once; the
    // same value does nothing.
    TColor GradColor() const { return gradColor_; }
    void SetGradColor(TColor color) { ChangeFace(gradColor_, color); }
    TColor FaceColor() const { return faceColor_; }
    void SetFaceColor(TColor color) { ChangeFace(faceColor_, color); }

    // Bevel colours: highlight top-left and shadow bottom-right when up;
    // shadow top-left and face colour bottom-right when pressed. BevelWidth
    // nested frames; BorderWidth pixels of black around the face. A new value
    // repaints at once.
    TColor HighlightColor() const { return highlightColor_; }
    void SetHighlightColor(TColor color) { Change(highlightColor_, color); }
    TColor ShadowColor() const { return shadowColor_; }
    void SetShadowColor(TColor color) { Change(shadowColor_, color); }
    int BevelWidth() const { return bevelWidth_; }
    void SetBevelWidth(int width) { Change(bevelWidth_, width); }
    int BorderWidth() const { return borderWidth_; }
    void SetBorderWidth(int width) { Change(borderWidth_, width); }

    // The caption is drawn as plain text; an "&x" in it still makes Alt+X
    // click the button.
    QString Caption() const { return text(); }
    void SetCaption(const QString& caption) { setText(caption); }
    TColor FontColor() const;
    void SetFontColor(TColor color);

    // Latching: buttons of one parent that share a non-zero GroupIndex act as
    // a group of which at most one is Down; AllowAllUp lets a click on the
    // down one release it. GroupIndex 0 never latches.
    int GroupIndex() const { return groupIndex_; }
    void SetGroupIndex(int index);
    bool AllowAllUp() const { return allowAllUp_; }
    void SetAllowAllUp(bool allow);
    bool Down() const { return isChecked(); }
    void SetDown(bool down);

    // Kept so a stored button keeps its settings; this button draws no glyph.
    QPixmap Glyph() const { return glyph_; }
    void SetGlyph(const QPixmap& glyph) { glyph_ = glyph; }
    int NumGlyphs() const { return numGlyphs_; }
    void SetNumGlyphs(int count) { numGlyphs_ = count; }
    TButtonLayout Layout() const { return layout_; }
    void SetLayout(TButtonLayout layout) { layout_ = layout; }
    int Margin() const { return margin_; }
    void SetMargin(int margin) { margin_ = margin; }
    int Spacing() const { return spacing_; }
    void SetSpacing(int spacing) { spacing_ = spacing; }

    TButtonState State() const;

    // The face gradient at the current face size (the whole button until the
    // first paint).
    const QImage& FaceBitmap() const { return faceBitmap_; }

    // Draws the whole button onto canvas, whose origin is the button's top
    // left; rebuilds the face first when its size no longer matches.
    void Paint(QPainter& canvas);
    // The button as it would show now.
    QImage RenderImage();

protected:
    void paintEvent(QPaintEvent* event) override;
    void nextCheckState() override;

private:
    void ReleaseGroup();
    // Sets a property the picture depends on; repaints only when it really
    // changes, rebuilding the face first for a face colour.
    template <class T> void Change(T& field, T value) {
        if (value == field)
            return;
        field = value;
        repaint();
    }
    void ChangeFace(TColor& field, TColor value);

    TColor gradColor_;
    TColor faceColor_;
    TColor highlightColor_;
    TColor shadowColor_;
    int bevelWidth_;
    int borderWidth_;
    int groupIndex_ = 0;
    bool allowAllUp_ = false;
    QPixmap glyph_;
    int numGlyphs_ = 1;
    TButtonLayout layout_ = TButtonLayout::blGlyphLeft;
    int margin_ = -1;
    int spacing_ = 4;
    QImage faceBitmap_;
};

} // namespace zorvak
