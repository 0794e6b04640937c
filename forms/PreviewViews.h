// The views of the preview window: a picture zoomed by whole factors, text
// with line numbers, bytes in hex, and a sound's waveform. Each draws only
// what is on the screen, so the size of what it holds costs nothing to show.
#pragma once

#include "formats/WaveInfo.h"

#include <QAbstractScrollArea>
#include <QImage>
#include <QWidget>

#include <cstddef>
#include <span>
#include <vector>

namespace zorvak {

inline constexpr int kMaxZoom = 8;

// A picture at a whole zoom, nearest neighbour, over a checkerboard where it
// is see-through. With a grid cell the picture is drawn as a grid of such
// cells with a line between them (the console font's characters).
class TPictureView : public QWidget {
public:
    explicit TPictureView(QWidget* parent = nullptr);

    void SetPicture(const QImage& picture, int gridCell = 0);
    void Clear() { SetPicture(QImage()); }
    const QImage& Picture() const { return picture_; }
    int GridCell() const { return gridCell_; }
    // 1 .. kMaxZoom; the view takes the size of the picture at that zoom.
    void SetZoom(int zoom);
    int Zoom() const { return zoom_; }
    // The size the picture takes at zoom.
    QSize ShownSize(int zoom) const;
    // The largest zoom at which the picture fits into room (1 at least).
    int FitZoom(const QSize& room) const;

    QSize sizeHint() const override { return ShownSize(zoom_); }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QImage picture_; // premultiplied, as it is drawn
    int gridCell_ = 0;
    int zoom_ = 1;
};

// Text, read-only, in a fixed-width font, with its line numbers in a margin.
// Only the lines on the screen are laid out, so a megabyte of text shows as
// fast as a line of it. The mouse selects, Ctrl+C copies, Ctrl+A selects all.
class TTextView : public QAbstractScrollArea {
public:
    static constexpr int kTabWidth = 8;

    explicit TTextView(QWidget* parent = nullptr);
    void setPlainText(const QString& text);
    void clear() { setPlainText(QString()); }
    const QString& toPlainText() const { return text_; }
    // Lines as numbered in the margin (a last line end starts one, empty).
    int LineCount() const { return static_cast<int>(lineStarts_.size()); }
    int LineNumberWidth() const;
    // The text of line (0-based), without its end.
    QString Line(int line) const;
    int TopLine() const;
    // A position in the text: line, and character within it.
    struct TPosition {
        int Line = 0;
        int Column = 0;
        auto operator<=>(const TPosition&) const = default;
    };
    // The position under point of the viewport.
    TPosition PositionAt(const QPoint& point) const;
    void Select(TPosition from, TPosition to);
    void selectAll();
    QString SelectedText() const;
    void copy() const;

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;

private:
    friend class TLineNumberMargin;
    void PaintLineNumbers(QPaintEvent* event);
    void PlaceMargin();
    int LineLength(int line) const;
    qsizetype Offset(TPosition position) const;
    void UpdateScrollBars();

    QWidget* lineNumbers_;
    QString text_;
    std::vector<qsizetype> lineStarts_;
    int widestColumns_ = 0; // of the widest line, tabs expanded
    TPosition anchor_;
    TPosition caret_;
};

// Bytes as rows of 16: the offset, the bytes in hex, the bytes as ASCII.
class THexView : public QAbstractScrollArea {
public:
    static constexpr std::size_t kBytesPerRow = 16;

    explicit THexView(QWidget* parent = nullptr);
    // Views bytes, which must outlive the view's showing them.
    void SetBytes(std::span<const unsigned char> bytes);
    std::size_t Rows() const;
    // The text of row (as drawn).
    QString RowText(std::size_t row) const;
    // The first row on the screen.
    std::size_t TopRow() const;

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    void UpdateScrollBars();

    std::span<const unsigned char> bytes_;
};

// A sound's samples as a waveform: each column from its lowest to its
// highest value, the loop's start marked. Formats that cannot be drawn say
// why in the view.
class TWaveformView : public QWidget {
public:
    explicit TWaveformView(QWidget* parent = nullptr);
    // Views wave, which must outlive the view's showing it.
    void SetSound(std::span<const unsigned char> wave, const TWaveInfo& info);
    void Clear();
    // Why no waveform is drawn; empty when one is.
    const QString& Problem() const { return problem_; }
    // The waveform as drawn at size (what paintEvent shows), on a screen of
    // that pixel ratio.
    QImage Render(const QSize& size, qreal ratio = 1);

    QSize sizeHint() const override { return {400, 160}; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    const std::vector<TWaveColumn>& Columns(int width);

    std::span<const unsigned char> wave_;
    TWaveInfo info_;
    QString problem_;
    // The columns of the width drawn last: a repaint at the same width
    // reads no sample again.
    std::vector<TWaveColumn> columns_;
    int columnsWidth_ = 0;
};

} // namespace zorvak
