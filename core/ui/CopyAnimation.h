#pragma once

#include <QLabel>
#include <QSize>

class QTimer;

namespace jvz {

// The copy window's animation place. It plays the clip set on it as a movie; without one it draws its own
// animation, a sheet going from one folder to the other, on a timer of its own, so that a long file still
// shows the window at work.
class CopyAnimation : public QLabel {
    Q_OBJECT
public:
    explicit CopyAnimation(QWidget* parent = nullptr);

    // The drawn animation runs between these; a movie set on the label is shown instead of it.
    void startDrawn();
    void stopDrawn();
    bool isDrawing() const;
    // The step of the drawn animation: it advances once per frame while drawing.
    int frame() const { return m_frame; }

    // One step every 40 ms, a sheet's trip taking 30 steps (1.2 s).
    static constexpr int kFrameMs = 40;
    static constexpr int kFramesPerTrip = 30;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    void advance();

    QTimer* m_timer;
    int m_frame = 0;
};

} // namespace jvz
