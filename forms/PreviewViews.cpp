#include "forms/PreviewViews.h"

#include "framework/Failures.h"
#include "framework/ui/Colors.h"

#include <QAction>
#include <QClipboard>
#include <QCoreApplication>
#include <QFontDatabase>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QPixmap>
#include <QScrollBar>

#include <algorithm>

namespace zorvak {

namespace {

constexpr int kCheckerSquare = 8;
constexpr int kHexMargin = 4;

QBrush Checkers(const QColor& light, const QColor& dark) {
    QPixmap tile(2 * kCheckerSquare, 2 * kCheckerSquare);
    tile.fill(light);
    QPainter painter(&tile);
    painter.fillRect(0, 0, kCheckerSquare, kCheckerSquare, dark);
    painter.fillRect(kCheckerSquare, kCheckerSquare, kCheckerSquare, kCheckerSquare, dark);
    return QBrush(tile);
}

// The squares behind see-through pixels: light ones for pictures, dark ones
// for the console font, whose light characters the game draws over a scene.
const QBrush& CheckerBrush(bool dark) {
    static const QBrush light = Checkers(QColor(0xE0, 0xE0, 0xE0), QColor(0xB8, 0xB8, 0xB8));
    static const QBrush darkBrush = Checkers(QColor(0x30, 0x30, 0x30), QColor(0x24, 0x24, 0x24));
    return dark ? darkBrush : light;
}

QFont FixedFont() {
    return QFontDatabase::systemFont(QFontDatabase::FixedFont);
}

} // namespace

TPictureView::TPictureView(QWidget* parent) : QWidget(parent) {
    setAttribute(Qt::WA_OpaquePaintEvent, false);
}

void TPictureView::SetPicture(const QImage& picture, int gridCell) {
    picture_ =
        picture.isNull() ? QImage() : picture.convertToFormat(QImage::Format_ARGB32_Premultiplied);
    gridCell_ = gridCell > 0 && !picture_.isNull() ? gridCell : 0;
    resize(ShownSize(zoom_));
    updateGeometry();
    update();
}

void TPictureView::SetZoom(int zoom) {
    zoom_ = std::clamp(zoom, 1, kMaxZoom);
    resize(ShownSize(zoom_));
    updateGeometry();
    update();
}

QSize TPictureView::ShownSize(int zoom) const {
    if (picture_.isNull())
        return {0, 0};
    if (gridCell_ == 0)
        return picture_.size() * zoom;
    const int columns = (picture_.width() + gridCell_ - 1) / gridCell_;
    const int rows = (picture_.height() + gridCell_ - 1) / gridCell_;
    return {columns * gridCell_ * zoom + columns - 1, rows * gridCell_ * zoom + rows - 1};
}

int TPictureView::FitZoom(const QSize& room) const {
    for (int zoom = kMaxZoom; zoom > 1; --zoom) {
        const QSize shown = ShownSize(zoom);
        if (shown.width() <= room.width() && shown.height() <= room.height())
            return zoom;
    }
    return 1;
}

void TPictureView::paintEvent(QPaintEvent* event) {
    if (picture_.isNull())
        return;
    QPainter painter(this);
    const QRect exposed = event->rect() & QRect(QPoint(0, 0), ShownSize(zoom_));
    if (gridCell_ == 0) {
        painter.fillRect(exposed, CheckerBrush(false));
        // Only the source pixels under the exposed part, each drawn as a
        // zoom x zoom square: a big picture scrolled costs what is shown.
        const int x0 = exposed.left() / zoom_;
        const int y0 = exposed.top() / zoom_;
        const int x1 = std::min(picture_.width(), exposed.right() / zoom_ + 1);
        const int y1 = std::min(picture_.height(), exposed.bottom() / zoom_ + 1);
        if (x1 <= x0 || y1 <= y0)
            return;
        const QRect source(x0, y0, x1 - x0, y1 - y0);
        painter.drawImage(
            QRect(x0 * zoom_, y0 * zoom_, source.width() * zoom_, source.height() * zoom_),
            picture_, source);
        return;
    }
    painter.fillRect(exposed, QColor(0x70, 0x70, 0x70));
    const int step = gridCell_ * zoom_ + 1;
    for (int y = 0; y < picture_.height(); y += gridCell_)
        for (int x = 0; x < picture_.width(); x += gridCell_) {
            const QRect source(x, y, std::min(gridCell_, picture_.width() - x),
                               std::min(gridCell_, picture_.height() - y));
            const QRect target(x / gridCell_ * step, y / gridCell_ * step, source.width() * zoom_,
                               source.height() * zoom_);
            if (!target.intersects(exposed))
                continue;
            painter.fillRect(target, CheckerBrush(true));
            painter.drawImage(target, picture_, source);
        }
}

class TLineNumberMargin : public QWidget {
public:
    explicit TLineNumberMargin(TTextView* view) : QWidget(view), view_(view) {}

protected:
    void paintEvent(QPaintEvent* event) override { view_->PaintLineNumbers(event); }

private:
    TTextView* view_;
};

TTextView::TTextView(QWidget* parent)
    : QAbstractScrollArea(parent), lineNumbers_(new TLineNumberMargin(this)) {
    connect(verticalScrollBar(), &QScrollBar::valueChanged, lineNumbers_,
            qOverload<>(&QWidget::update));
    setFont(FixedFont());
    viewport()->setBackgroundRole(QPalette::Base);
    viewport()->setAutoFillBackground(true);
    viewport()->setCursor(Qt::IBeamCursor);
    setFocusPolicy(Qt::StrongFocus);
    verticalScrollBar()->setSingleStep(1);
    auto* copy = new QAction(QCoreApplication::translate("zorvak::TTextView", "&Copy"), this);
    copy->setShortcut(QKeySequence::Copy);
    copy->setShortcutContext(Qt::WidgetWithChildrenShortcut);
    connect(copy, &QAction::triggered, this, [this] { this->copy(); });
    auto* all = new QAction(QCoreApplication::translate("zorvak::TTextView", "Select &All"), this);
    all->setShortcut(QKeySequence::SelectAll);
    all->setShortcutContext(Qt::WidgetWithChildrenShortcut);
    connect(all, &QAction::triggered, this, [this] { selectAll(); });
    addAction(copy);
    addAction(all);
    setContextMenuPolicy(Qt::ActionsContextMenu);
    setPlainText(QString());
}

void TTextView::setPlainText(const QString& text) {
    text_ = text;
    lineStarts_.assign(1, 0);
    widestColumns_ = 0;
    int columns = 0;
    for (qsizetype i = 0; i < text_.size(); ++i) {
        const QChar c = text_[i];
        if (c == QLatin1Char('\n')) {
            widestColumns_ = std::max(widestColumns_, columns);
            columns = 0;
            lineStarts_.push_back(i + 1);
        } else {
            columns = c == QLatin1Char('\t') ? (columns / kTabWidth + 1) * kTabWidth : columns + 1;
        }
    }
    widestColumns_ = std::max(widestColumns_, columns);
    anchor_ = caret_ = {};
    verticalScrollBar()->setValue(0);
    horizontalScrollBar()->setValue(0);
    PlaceMargin();
    UpdateScrollBars();
    viewport()->update();
    lineNumbers_->update();
}

void TTextView::PlaceMargin() {
    setViewportMargins(LineNumberWidth(), 0, 0, 0);
    const QRect inside = contentsRect();
    lineNumbers_->setGeometry(inside.left(), inside.top(), LineNumberWidth(), inside.height());
}

void TTextView::PaintLineNumbers(QPaintEvent* event) {
    QPainter painter(lineNumbers_);
    painter.fillRect(event->rect(), palette().color(QPalette::Window));
    // The placeholder's faint grey reads too poorly on the window's colour.
    painter.setPen(palette().color(QPalette::WindowText));
    const int lineHeight = std::max(1, fontMetrics().height());
    for (int line = TopLine(), y = 0; line < LineCount() && y < lineNumbers_->height();
         ++line, y += lineHeight)
        painter.drawText(QRect(0, y, lineNumbers_->width() - kHexMargin, lineHeight),
                         Qt::AlignRight | Qt::AlignVCenter, QString::number(line + 1));
}

int TTextView::LineNumberWidth() const {
    int digits = 1;
    for (int n = std::max(1, LineCount()); n >= 10; n /= 10)
        ++digits;
    return 2 * kHexMargin + fontMetrics().horizontalAdvance(QLatin1Char('9')) * digits;
}

int TTextView::LineLength(int line) const {
    const qsizetype start = lineStarts_[static_cast<std::size_t>(line)];
    const qsizetype end = static_cast<std::size_t>(line) + 1 < lineStarts_.size()
                              ? lineStarts_[static_cast<std::size_t>(line) + 1] - 1
                              : text_.size();
    return static_cast<int>(end - start);
}

QString TTextView::Line(int line) const {
    if (line < 0 || line >= LineCount())
        return {};
    return text_.mid(lineStarts_[static_cast<std::size_t>(line)], LineLength(line));
}

int TTextView::TopLine() const {
    return verticalScrollBar()->value();
}

void TTextView::UpdateScrollBars() {
    const int lineHeight = std::max(1, fontMetrics().height());
    const int visible = std::max(1, viewport()->height() / lineHeight);
    verticalScrollBar()->setRange(0, std::max(0, LineCount() - visible));
    verticalScrollBar()->setPageStep(visible);
    const int charWidth = fontMetrics().horizontalAdvance(QLatin1Char('M'));
    const int textWidth = widestColumns_ * charWidth + 2 * kHexMargin;
    horizontalScrollBar()->setRange(0, std::max(0, textWidth - viewport()->width()));
    horizontalScrollBar()->setPageStep(viewport()->width());
    horizontalScrollBar()->setSingleStep(charWidth);
}

void TTextView::resizeEvent(QResizeEvent* event) {
    QAbstractScrollArea::resizeEvent(event);
    PlaceMargin();
    UpdateScrollBars();
}

TTextView::TPosition TTextView::PositionAt(const QPoint& point) const {
    const int lineHeight = std::max(1, fontMetrics().height());
    const int charWidth = std::max(1, fontMetrics().horizontalAdvance(QLatin1Char('M')));
    TPosition at;
    at.Line = std::clamp(TopLine() + std::max(0, point.y()) / lineHeight, 0, LineCount() - 1);
    const int x = point.x() - kHexMargin + horizontalScrollBar()->value();
    const qsizetype start = lineStarts_[static_cast<std::size_t>(at.Line)];
    const int length = LineLength(at.Line);
    // The character whose cell holds x, its left half taking the caret
    // before it; tabs span to the next stop.
    int columns = 0;
    for (at.Column = 0; at.Column < length; ++at.Column) {
        const int next = text_[start + at.Column] == QLatin1Char('\t')
                             ? (columns / kTabWidth + 1) * kTabWidth
                             : columns + 1;
        if (x < (columns + next) * charWidth / 2)
            break;
        columns = next;
    }
    return at;
}

qsizetype TTextView::Offset(TPosition position) const {
    return lineStarts_[static_cast<std::size_t>(position.Line)] + position.Column;
}

void TTextView::Select(TPosition from, TPosition to) {
    anchor_ = from;
    caret_ = to;
    viewport()->update();
}

void TTextView::selectAll() {
    Select({}, {LineCount() - 1, LineLength(LineCount() - 1)});
}

QString TTextView::SelectedText() const {
    const qsizetype a = Offset(std::min(anchor_, caret_));
    const qsizetype b = Offset(std::max(anchor_, caret_));
    return text_.mid(a, b - a);
}

void TTextView::copy() const {
    if (anchor_ != caret_)
        QGuiApplication::clipboard()->setText(SelectedText());
}

void TTextView::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Home && event->modifiers().testFlag(Qt::ControlModifier))
        verticalScrollBar()->setValue(0);
    else if (event->key() == Qt::Key_End && event->modifiers().testFlag(Qt::ControlModifier))
        verticalScrollBar()->setValue(verticalScrollBar()->maximum());
    else
        QAbstractScrollArea::keyPressEvent(event);
}

void TTextView::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) {
        QAbstractScrollArea::mousePressEvent(event);
        return;
    }
    const TPosition at = PositionAt(event->position().toPoint());
    Select(event->modifiers().testFlag(Qt::ShiftModifier) ? anchor_ : at, at);
}

void TTextView::mouseMoveEvent(QMouseEvent* event) {
    if (event->buttons().testFlag(Qt::LeftButton))
        Select(anchor_, PositionAt(event->position().toPoint()));
}

void TTextView::paintEvent(QPaintEvent*) {
    const QFontMetrics metrics = fontMetrics();
    const int lineHeight = std::max(1, metrics.height());
    const int charWidth = std::max(1, metrics.horizontalAdvance(QLatin1Char('M')));
    const int firstColumn = horizontalScrollBar()->value() / charWidth;
    const int x = kHexMargin - horizontalScrollBar()->value() % charWidth;
    const int visibleColumns = viewport()->width() / charWidth + 2;
    const TPosition from = std::min(anchor_, caret_);
    const TPosition to = std::max(anchor_, caret_);

    QPainter painter(viewport());
    for (int line = TopLine(), y = 0; line < LineCount() && y < viewport()->height();
         ++line, y += lineHeight) {
        // The columns on the screen only, tabs expanded: a line of a
        // megabyte costs what shows of it.
        const qsizetype start = lineStarts_[static_cast<std::size_t>(line)];
        const int length = LineLength(line);
        QString shown;
        qsizetype selectedFrom = -1;
        qsizetype selectedTo = -1;
        int columns = 0;
        for (int i = 0; i <= length && columns < firstColumn + visibleColumns; ++i) {
            const bool selected = TPosition{line, i} >= from && TPosition{line, i} < to;
            // The line's end shows as a space when the selection runs past it.
            const QChar c = i < length ? text_[start + i] : QLatin1Char(' ');
            if (i == length && !selected)
                break;
            const int next =
                c == QLatin1Char('\t') ? (columns / kTabWidth + 1) * kTabWidth : columns + 1;
            for (int col = std::max(columns, firstColumn); col < next; ++col) {
                if (selected && selectedFrom < 0)
                    selectedFrom = shown.size();
                shown += c == QLatin1Char('\t') ? QLatin1Char(' ') : c;
                if (selected)
                    selectedTo = shown.size();
            }
            columns = next;
        }
        const int baseline = y + metrics.ascent();
        if (selectedFrom < 0) {
            painter.setPen(palette().color(QPalette::Text));
            painter.drawText(x, baseline, shown);
            continue;
        }
        const auto left = [&](qsizetype column) {
            return x + static_cast<int>(column) * charWidth;
        };
        painter.setPen(palette().color(QPalette::Text));
        painter.drawText(x, baseline, shown.left(selectedFrom));
        painter.drawText(left(selectedTo), baseline, shown.mid(selectedTo));
        painter.fillRect(
            QRect(left(selectedFrom), y, left(selectedTo) - left(selectedFrom), lineHeight),
            palette().color(QPalette::Highlight));
        painter.setPen(palette().color(QPalette::HighlightedText));
        painter.drawText(left(selectedFrom), baseline,
                         shown.mid(selectedFrom, selectedTo - selectedFrom));
    }
}

THexView::THexView(QWidget* parent) : QAbstractScrollArea(parent) {
    setFont(FixedFont());
    viewport()->setBackgroundRole(QPalette::Base);
    viewport()->setAutoFillBackground(true);
    setFocusPolicy(Qt::StrongFocus);
    verticalScrollBar()->setSingleStep(1);
}

void THexView::SetBytes(std::span<const unsigned char> bytes) {
    bytes_ = bytes;
    verticalScrollBar()->setValue(0);
    horizontalScrollBar()->setValue(0);
    UpdateScrollBars();
    viewport()->update();
}

std::size_t THexView::Rows() const {
    return (bytes_.size() + kBytesPerRow - 1) / kBytesPerRow;
}

std::size_t THexView::TopRow() const {
    return static_cast<std::size_t>(verticalScrollBar()->value());
}

QString THexView::RowText(std::size_t row) const {
    static const char digits[] = "0123456789ABCDEF";
    const std::size_t start = row * kBytesPerRow;
    QString text = QStringLiteral("%1 ")
                       .arg(static_cast<qulonglong>(start), 8, 16, QLatin1Char('0'))
                       .toUpper();
    QString ascii;
    for (std::size_t i = 0; i < kBytesPerRow; ++i) {
        if (i == kBytesPerRow / 2)
            text += QLatin1Char(' ');
        if (start + i < bytes_.size()) {
            const unsigned char b = bytes_[start + i];
            text += QLatin1Char(' ');
            text += QLatin1Char(digits[b >> 4]);
            text += QLatin1Char(digits[b & 15]);
            ascii += b >= 0x20 && b < 0x7F ? QLatin1Char(static_cast<char>(b)) : QLatin1Char('.');
        } else {
            text += QStringLiteral("   ");
        }
    }
    return text + QStringLiteral("  |") + ascii + QLatin1Char('|');
}

void THexView::UpdateScrollBars() {
    const int lineHeight = std::max(1, fontMetrics().height());
    const int visible = std::max(1, viewport()->height() / lineHeight);
    const auto rows = static_cast<long long>(Rows());
    verticalScrollBar()->setRange(0, static_cast<int>(std::max(0LL, rows - visible)));
    verticalScrollBar()->setPageStep(visible);
    const int textWidth = fontMetrics().horizontalAdvance(RowText(0)) + 2 * kHexMargin;
    horizontalScrollBar()->setRange(0, std::max(0, textWidth - viewport()->width()));
    horizontalScrollBar()->setPageStep(viewport()->width());
}

void THexView::resizeEvent(QResizeEvent* event) {
    QAbstractScrollArea::resizeEvent(event);
    UpdateScrollBars();
}

void THexView::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Home)
        verticalScrollBar()->setValue(0);
    else if (event->key() == Qt::Key_End)
        verticalScrollBar()->setValue(verticalScrollBar()->maximum());
    else
        QAbstractScrollArea::keyPressEvent(event);
}

void THexView::paintEvent(QPaintEvent*) {
    QPainter painter(viewport());
    painter.setPen(palette().color(QPalette::Text));
    const int lineHeight = std::max(1, fontMetrics().height());
    const int ascent = fontMetrics().ascent();
    const int left = kHexMargin - horizontalScrollBar()->value();
    const std::size_t rows = Rows();
    for (std::size_t row = TopRow(), y = 0;
         row < rows && static_cast<int>(y) < viewport()->height(); ++row, y += lineHeight)
        painter.drawText(left, static_cast<int>(y) + ascent, RowText(row));
}

TWaveformView::TWaveformView(QWidget* parent) : QWidget(parent) {
    setMinimumHeight(60);
}

void TWaveformView::SetSound(std::span<const unsigned char> wave, const TWaveInfo& info) {
    wave_ = wave;
    info_ = info;
    problem_.clear();
    columnsWidth_ = 0;
    // The pass a paint would make, made now: it also tells whether the
    // format can be drawn at all.
    Columns(std::max(1, width()));
    update();
}

void TWaveformView::Clear() {
    wave_ = {};
    info_ = {};
    problem_.clear();
    columns_.clear();
    columnsWidth_ = 0;
    update();
}

const std::vector<TWaveColumn>& TWaveformView::Columns(int width) {
    width = std::clamp(width, 1, kMaxWaveformColumns);
    if (width == columnsWidth_ || wave_.empty())
        return columns_;
    columnsWidth_ = width;
    try {
        columns_ = WaveformColumns(wave_, info_, width);
    } catch (const TFailure& failure) {
        columns_.clear();
        problem_ = QString::fromStdString(failure.what());
    }
    return columns_;
}

QImage TWaveformView::Render(const QSize& size, qreal ratio) {
    // A column per pixel of the screen; texts in the window's units.
    const int w = qRound(size.width() * ratio);
    const int h = qRound(size.height() * ratio);
    QImage image(w, h, QImage::Format_RGB32);
    image.setDevicePixelRatio(ratio);
    const QColor ground = palette().color(QPalette::Base);
    image.fill(ground);
    QPainter painter(&image);
    const QColor text = palette().color(QPalette::Text);
    const std::vector<TWaveColumn>& columns = Columns(w);
    if (!problem_.isEmpty() || wave_.empty()) {
        painter.setPen(text);
        painter.drawText(QRect(QPoint(0, 0), size), Qt::AlignCenter | Qt::TextWordWrap, problem_);
        return image;
    }
    painter.scale(1 / ratio, 1 / ratio);
    const int mid = h / 2;
    // The middle line a quarter of the way from the ground to the text: faint
    // on light grounds and dark alike.
    const auto quarter = [](float from, float to) { return from + (to - from) / 4; };
    painter.setPen(QColor::fromRgbF(quarter(ground.redF(), text.redF()),
                                    quarter(ground.greenF(), text.greenF()),
                                    quarter(ground.blueF(), text.blueF())));
    painter.drawLine(0, mid, w - 1, mid);
    painter.setPen(ReadableOn(QColor(0x20, 0x40, 0x90), ground, 3));
    const double half = std::max(1, h / 2 - 2);
    for (int x = 0; x < w && x < static_cast<int>(columns.size()); ++x) {
        const TWaveColumn& c = columns[static_cast<std::size_t>(x)];
        // Each column reaches its neighbour's range too: a tone whose period
        // spans several columns draws as one line, not as broken dashes.
        float low = c.Min;
        float high = c.Max;
        if (x > 0) {
            const TWaveColumn& before = columns[static_cast<std::size_t>(x) - 1];
            low = std::min(low, before.Max);
            high = std::max(high, before.Min);
        }
        const int top = mid - static_cast<int>(high * half);
        const int bottom = mid - static_cast<int>(low * half);
        painter.drawLine(x, top, x, std::max(top, bottom));
    }
    if (info_.LoopStart && info_.SampleFrames > 0 && *info_.LoopStart < info_.SampleFrames) {
        const auto x = static_cast<int>(static_cast<double>(*info_.LoopStart) * w /
                                        static_cast<double>(info_.SampleFrames));
        painter.setPen(QPen(ReadableOn(QColor(0xC0, 0x20, 0x20), ground, 3), 1, Qt::DashLine));
        painter.drawLine(x, 0, x, h - 1);
        painter.resetTransform();
        painter.setPen(text);
        painter.drawText(QPointF(x / ratio + 3, painter.fontMetrics().ascent() + 2),
                         QCoreApplication::translate("zorvak::TWaveformView", "loop"));
    }
    return image;
}

void TWaveformView::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.drawImage(0, 0, Render(size(), devicePixelRatioF()));
}

} // namespace zorvak
