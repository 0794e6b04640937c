#include "forms/PreviewScene.h"

#include "framework/Failures.h"

#include <QComboBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QSlider>
#include <QVBoxLayout>
#include <QWheelEvent>

#include <algorithm>

namespace zorvak {

namespace {

// The player's eye above the start's origin, as the game places it.
constexpr float kEyeHeight = 22;
// Units a second: the game's running pace, and three times it with Shift.
constexpr double kFlySpeed = 320;
constexpr double kHurry = 3;
// Degrees a pixel of mouse movement turns.
constexpr double kTurnPerPixel = 0.4;
// About sixty frames a second while something moves.
constexpr int kTickMs = 16;

QString Text(const std::string& s) {
    return QString::fromUtf8(s.data(), static_cast<qsizetype>(s.size()));
}

} // namespace

TSceneView::TSceneView(QWidget* parent) : QWidget(parent) {
    setFocusPolicy(Qt::StrongFocus);
    setMinimumSize(160, 120);
    setAttribute(Qt::WA_OpaquePaintEvent);
    options_.Threads = 0;
    options_.WireColour = {255, 255, 255, 255};
    setAccessibleName(tr("3D view"));
}

void TSceneView::ShowModel(const TModelInfo& model, TBuild build) {
    Clear();
    model_ = model;
    build_ = std::move(build);
    map_ = false;
    poseLeft_ = model_.Frames.empty() || model_.Frames[0].Poses.empty()
                    ? kModelFrameSeconds
                    : model_.Frames[0].Poses[0].Seconds;
    Rebuild();
    ResetView();
}

void TSceneView::ShowMap(TEntryScene map) {
    Clear();
    shown_ = std::move(map);
    map_ = true;
    ResetView();
}

void TSceneView::Clear() {
    timer_.stop();
    playing_ = false;
    held_.clear();
    moved_ = false;
    shown_ = {};
    model_ = {};
    build_ = {};
    choice_ = {};
    frame_ = 0;
    pose_ = 0;
    poseLeft_ = 0;
    update();
}

void TSceneView::ResetView() {
    const QSize size = this->size().expandedTo({1, 1});
    if (map_) {
        const TMapStart& start = shown_.Start;
        fly_ = {};
        fly_.Eye = {start.At.X, start.At.Y, start.At.Z + kEyeHeight};
        fly_.Yaw = start.Yaw;
    } else {
        orbit_ = TOrbit::Around(shown_.Scene, size.width(), size.height());
    }
    UpdateCamera();
}

void TSceneView::UpdateCamera() {
    camera_ = map_ ? fly_.Camera() : orbit_.Camera();
    update();
}

void TSceneView::Rebuild() {
    if (!build_)
        return;
    choice_.Frame = frame_;
    choice_.Pose = pose_;
    try {
        shown_ = build_(choice_);
    } catch (const TFailure& e) {
        // The frame before stays shown; the model says what is wrong.
        playing_ = false;
        Q_EMIT Problem(Text(e.what()));
    }
    update();
}

void TSceneView::SetPlaying(bool playing) {
    playing_ = playing && !map_ && model_.Frames.size() > 0;
    if (playing_ && !timer_.isActive()) {
        clock_.start();
        timer_.start(kTickMs, this);
    }
}

void TSceneView::SetFrame(int frame) {
    if (map_ || frame < 0 || static_cast<std::size_t>(frame) >= model_.Frames.size())
        return;
    frame_ = static_cast<std::size_t>(frame);
    pose_ = 0;
    poseLeft_ = model_.Frames[frame_].Poses.empty() ? kModelFrameSeconds
                                                    : model_.Frames[frame_].Poses[0].Seconds;
    Rebuild();
    Q_EMIT FrameShown(frame);
}

void TSceneView::Advance(double seconds) {
    if (!playing_ || model_.Frames.empty())
        return;
    poseLeft_ -= seconds;
    bool changed = false;
    // A pose of no time is passed over; a whole cycle of them, too.
    for (std::size_t guard = 0; poseLeft_ <= 0 && guard < 4096; ++guard) {
        const TModelFrame& frame = model_.Frames[frame_];
        if (pose_ + 1 < frame.Poses.size()) {
            ++pose_;
        } else {
            frame_ = (frame_ + 1) % model_.Frames.size();
            pose_ = 0;
        }
        const TModelFrame& now = model_.Frames[frame_];
        poseLeft_ +=
            now.Poses.empty() ? kModelFrameSeconds : std::max(0.0f, now.Poses[pose_].Seconds);
        changed = true;
    }
    if (poseLeft_ <= 0)
        poseLeft_ = kModelFrameSeconds;
    if (changed) {
        Rebuild();
        Q_EMIT FrameShown(static_cast<int>(frame_));
    }
}

void TSceneView::SetSkin(int skin) {
    if (map_ || skin < 0)
        return;
    choice_.Skin = static_cast<std::size_t>(skin);
    choice_.SkinPicture = 0;
    Rebuild();
}

void TSceneView::SetWireframe(bool on) {
    options_.Wireframe = on ? TWireframe::Lines : TWireframe::Off;
    update();
}

QImage TSceneView::Render(const QSize& size) {
    if (frameImage_.size() != size)
        frameImage_ = QImage(size, QImage::Format_RGBA8888);
    // The background a model is seen on; the renderer's own is see-through.
    frameImage_.fill(QColor(48, 48, 56));
    if (size.isEmpty() || shown_.Scene.Triangles.empty())
        return frameImage_;
    // Drawn over the background: the see-through pixels keep it.
    QImage drawn(size, QImage::Format_RGBA8888);
    rasterizer_.Render(shown_.Scene, camera_, options_,
                       TPixelTarget{drawn.bits(), drawn.width(), drawn.height(),
                                    static_cast<std::ptrdiff_t>(drawn.bytesPerLine())});
    QPainter painter(&frameImage_);
    painter.drawImage(0, 0, drawn);
    return frameImage_;
}

void TSceneView::paintEvent(QPaintEvent*) {
    const qreal ratio = devicePixelRatioF();
    const QSize pixels(qRound(width() * ratio), qRound(height() * ratio));
    QImage picture = Render(pixels);
    picture.setDevicePixelRatio(ratio);
    QPainter painter(this);
    painter.drawImage(0, 0, picture);
}

void TSceneView::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    // Fitted to the view's new shape, until the user moved it.
    if (!moved_)
        ResetView();
    update();
}

void TSceneView::mousePressEvent(QMouseEvent* event) {
    dragFrom_ = event->position().toPoint();
    setFocus();
}

void TSceneView::mouseMoveEvent(QMouseEvent* event) {
    if (!(event->buttons() & Qt::LeftButton))
        return;
    const QPoint at = event->position().toPoint();
    const QPoint by = at - dragFrom_;
    dragFrom_ = at;
    moved_ = true;
    if (map_)
        fly_.Turn(-by.x() * kTurnPerPixel, by.y() * kTurnPerPixel);
    else
        orbit_.Turn(-by.x() * kTurnPerPixel, by.y() * kTurnPerPixel);
    UpdateCamera();
}

void TSceneView::wheelEvent(QWheelEvent* event) {
    const double notches = event->angleDelta().y() / 120.0;
    moved_ = true;
    if (map_) {
        fly_.Move(notches * 32, 0, 0);
    } else {
        // A notch brings it a tenth nearer.
        double factor = 1;
        for (double n = std::abs(notches); n > 0; n -= 1)
            factor *= notches > 0 ? 0.9 : 1 / 0.9;
        orbit_.Zoom(factor);
    }
    UpdateCamera();
}

void TSceneView::keyPressEvent(QKeyEvent* event) {
    const int key = event->key();
    if (key == Qt::Key_Home || key == Qt::Key_R) {
        moved_ = false;
        ResetView();
        return;
    }
    if (key == Qt::Key_X) {
        SetWireframe(!Wireframe());
        return;
    }
    if (map_ && !event->isAutoRepeat()) {
        static const int kMoves[] = {Qt::Key_W,  Qt::Key_A,    Qt::Key_S,    Qt::Key_D,
                                     Qt::Key_Up, Qt::Key_Left, Qt::Key_Down, Qt::Key_Right,
                                     Qt::Key_E,  Qt::Key_Q,    Qt::Key_Shift};
        if (std::find(std::begin(kMoves), std::end(kMoves), key) != std::end(kMoves)) {
            held_.insert(key);
            if (!timer_.isActive()) {
                clock_.start();
                timer_.start(kTickMs, this);
            }
            return;
        }
    }
    QWidget::keyPressEvent(event);
}

void TSceneView::keyReleaseEvent(QKeyEvent* event) {
    if (!event->isAutoRepeat())
        held_.erase(event->key());
    QWidget::keyReleaseEvent(event);
}

void TSceneView::focusOutEvent(QFocusEvent* event) {
    // A key let go elsewhere would move on for ever.
    held_.clear();
    QWidget::focusOutEvent(event);
}

bool TSceneView::Moving() const {
    return std::any_of(held_.begin(), held_.end(), [](int k) { return k != Qt::Key_Shift; });
}

void TSceneView::timerEvent(QTimerEvent* event) {
    if (event->timerId() != timer_.timerId())
        return QWidget::timerEvent(event);
    Tick();
}

void TSceneView::Tick() {
    const double seconds = std::min(clock_.restart() / 1000.0, 0.25);
    if (map_ && Moving()) {
        const double step = seconds * kFlySpeed * (held_.count(Qt::Key_Shift) ? kHurry : 1);
        const auto held = [this](int a, int b) { return held_.count(a) || held_.count(b); };
        const double forward =
            (held(Qt::Key_W, Qt::Key_Up) ? 1 : 0) - (held(Qt::Key_S, Qt::Key_Down) ? 1 : 0);
        const double strafe =
            (held(Qt::Key_D, Qt::Key_Right) ? 1 : 0) - (held(Qt::Key_A, Qt::Key_Left) ? 1 : 0);
        const double rise = (held_.count(Qt::Key_E) ? 1 : 0) - (held_.count(Qt::Key_Q) ? 1 : 0);
        fly_.Move(forward * step, strafe * step, rise * step);
        moved_ = true;
        UpdateCamera();
    }
    Advance(seconds);
    if (!playing_ && !Moving())
        timer_.stop();
}

TScenePage::TScenePage(QWidget* parent) : QWidget(parent) {
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    View = new TSceneView(this);
    layout->addWidget(View, 1);
    auto* controls = new QHBoxLayout;
    SkinBox = new QComboBox(this);
    SkinBox->setToolTip(tr("The skin the model is drawn in"));
    SkinBox->setAccessibleName(tr("Skin"));
    ButtonPlayPause = new QPushButton(tr("Pause"), this);
    ButtonPlayPause->setToolTip(tr("Play or pause the model's frames"));
    FrameSlider = new QSlider(Qt::Horizontal, this);
    FrameSlider->setToolTip(tr("The frame shown"));
    FrameSlider->setAccessibleName(tr("Frame"));
    FrameLabel = new QLabel(this);
    FrameLabel->setMinimumWidth(120);
    KeysLabel = new QLabel(this);
    controls->addWidget(SkinBox);
    controls->addWidget(ButtonPlayPause);
    controls->addWidget(FrameSlider, 1);
    controls->addWidget(FrameLabel);
    layout->addLayout(controls);
    layout->addWidget(KeysLabel);

    connect(SkinBox, &QComboBox::currentIndexChanged, this, [this](int i) { View->SetSkin(i); });
    connect(ButtonPlayPause, &QPushButton::clicked, this, [this] {
        View->SetPlaying(!View->Playing());
        ButtonPlayPause->setText(View->Playing() ? tr("Pause") : tr("Play"));
    });
    connect(FrameSlider, &QSlider::valueChanged, this, [this](int frame) {
        if (frame != View->Frame())
            View->SetFrame(frame);
    });
    connect(View, &TSceneView::FrameShown, this, [this](int frame) { ShowFrame(frame); });
    connect(View, &TSceneView::Problem, this, [this](const QString& text) {
        FrameLabel->setText(text);
        ButtonPlayPause->setText(tr("Play"));
    });
}

void TScenePage::ShowModel(const TModelInfo& model, TSceneView::TBuild build) {
    {
        const QSignalBlocker blocker(SkinBox);
        SkinBox->clear();
        for (std::size_t i = 0; i < model.Skins.size(); ++i)
            SkinBox->addItem(model.Skins[i].Name.empty() ? tr("Skin %1").arg(i)
                                                         : Text(model.Skins[i].Name));
    }
    {
        const QSignalBlocker blocker(FrameSlider);
        FrameSlider->setRange(0, std::max<int>(0, static_cast<int>(model.Frames.size()) - 1));
        FrameSlider->setValue(0);
    }
    for (QWidget* w : {static_cast<QWidget*>(SkinBox), static_cast<QWidget*>(ButtonPlayPause),
                       static_cast<QWidget*>(FrameSlider), static_cast<QWidget*>(FrameLabel)})
        w->show();
    SkinBox->setEnabled(model.Skins.size() > 1);
    KeysLabel->setText(tr("Drag to turn, wheel to zoom, R to start again, X for wireframe"));
    View->ShowModel(model, std::move(build));
    ShowFrame(0);
    View->SetPlaying(model.Frames.size() > 1);
    ButtonPlayPause->setText(View->Playing() ? tr("Pause") : tr("Play"));
    ButtonPlayPause->setEnabled(model.Frames.size() > 1);
}

void TScenePage::ShowMap(TEntryScene map) {
    for (QWidget* w : {static_cast<QWidget*>(SkinBox), static_cast<QWidget*>(ButtonPlayPause),
                       static_cast<QWidget*>(FrameSlider), static_cast<QWidget*>(FrameLabel)})
        w->hide();
    KeysLabel->setText(tr("W A S D to move, E and Q up and down, Shift to hurry, "
                          "drag to look, X for wireframe, R to start again"));
    View->ShowMap(std::move(map));
}

void TScenePage::Clear() {
    View->Clear();
}

void TScenePage::ShowFrame(int frame) {
    {
        const QSignalBlocker blocker(FrameSlider);
        FrameSlider->setValue(frame);
    }
    const std::vector<TModelFrame>& frames = View->Shown().Model.Frames;
    const QString name = frame >= 0 && static_cast<std::size_t>(frame) < frames.size() &&
                                 !frames[static_cast<std::size_t>(frame)].Poses.empty()
                             ? Text(frames[static_cast<std::size_t>(frame)].Poses[0].Name)
                             : QString();
    FrameLabel->setText(tr("Frame %1: %2").arg(frame).arg(name));
}

} // namespace zorvak
