// The preview's 3D page: a model turning under the mouse and playing its
// frames at the game's pace, or a map flown through from its player start,
// drawn by the core's renderer (the same pictures as zorvak-pak render).
#pragma once

#include "formats/EntryScene.h"
#include "render/Camera.h"
#include "render/Rasterizer.h"

#include <QBasicTimer>
#include <QElapsedTimer>
#include <QImage>
#include <QWidget>

#include <functional>
#include <set>
#include <vector>

class QComboBox;
class QLabel;
class QPushButton;
class QSlider;

namespace zorvak {

// The scene drawn at the widget's size. A model: drag to turn, the wheel to
// zoom, Home or R to start again. A map: W, A, S, D (and the arrows) to
// move, E and Q to rise and sink, Shift to hurry, drag to look around, X for
// wireframe.
class TSceneView : public QWidget {
    Q_OBJECT

public:
    explicit TSceneView(QWidget* parent = nullptr);

    // A model's scene for each choice of frame, pose and skin.
    using TBuild = std::function<TEntryScene(const TSceneChoice&)>;
    void ShowModel(const TModelInfo& model, TBuild build);
    void ShowMap(TEntryScene map);
    void Clear();

    bool IsMap() const { return map_; }
    const TEntryScene& Shown() const { return shown_; }
    const TCamera& Camera() const { return camera_; }
    // The picture as paintEvent draws it at size (device pixels).
    QImage Render(const QSize& size);

    // The model's frames played through: each a tenth of a second, the
    // poses of a group at their own intervals.
    void SetPlaying(bool playing);
    bool Playing() const { return playing_; }
    int Frame() const { return static_cast<int>(frame_); }
    int Frames() const { return static_cast<int>(model_.Frames.size()); }
    void SetFrame(int frame);
    // The time passing, as the clock would: for the animation, and tests.
    void Advance(double seconds);
    void SetSkin(int skin);
    void SetWireframe(bool on);
    bool Wireframe() const { return options_.Wireframe != TWireframe::Off; }
    void ResetView();

Q_SIGNALS:
    void FrameShown(int frame);
    // What was drawn otherwise than asked (a choice the model refused).
    void Problem(const QString& text);

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void keyReleaseEvent(QKeyEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void timerEvent(QTimerEvent* event) override;

private:
    void Rebuild();
    void UpdateCamera();
    void Tick();
    bool Moving() const;

    bool map_ = false;
    TModelInfo model_;
    TBuild build_;
    TEntryScene shown_;
    TSceneChoice choice_;
    std::size_t frame_ = 0;
    std::size_t pose_ = 0;
    double poseLeft_ = 0; // seconds the pose is still shown
    bool playing_ = false;
    TOrbit orbit_;
    TFly fly_;
    TCamera camera_;
    TRenderOptions options_;
    TRasterizer rasterizer_;
    QImage frameImage_;
    QPoint dragFrom_;
    bool moved_ = false; // turned, zoomed or flown since shown
    std::set<int> held_; // keys held down
    QBasicTimer timer_;
    QElapsedTimer clock_;
};

// The page: the view, and beneath it the skin chooser, play and pause, the
// frame slider and its frame's name for a model, the keys for a map.
class TScenePage : public QWidget {
    Q_OBJECT

public:
    explicit TScenePage(QWidget* parent = nullptr);
    void ShowModel(const TModelInfo& model, TSceneView::TBuild build);
    void ShowMap(TEntryScene map);
    void Clear();

    TSceneView* View = nullptr;
    QComboBox* SkinBox = nullptr;
    QPushButton* ButtonPlayPause = nullptr;
    QSlider* FrameSlider = nullptr;
    QLabel* FrameLabel = nullptr;
    QLabel* KeysLabel = nullptr;

private:
    void ShowFrame(int frame);
};

} // namespace zorvak
