#pragma once

#include <QObject>
#include <QRegion>
#include <QSize>

#include <functional>
#include <memory>

class QWidget;
class TSuperTimer;
class TWindowAnimation;

// Runs the skinned window's opening and closing animations on the timer
// thread's ticks: one window region a tick (see TWindowAnimation).
class TWindowAnimator : public QObject {
    Q_OBJECT
public:
    explicit TWindowAnimator(QWidget& window);
    ~TWindowAnimator() override;

    // The window's region; an empty region hides the whole window (to Qt an
    // empty mask would mean "no mask").
    void applyRegion(const QRegion& region);
    // Shows the window from an empty region; `done` runs once the last
    // ellipse is the window's region.
    void open(std::function<void()> done);
    // Shrinks the window to nothing; `done` runs when it is gone.
    void close(std::function<void()> done);
    // No more ticks.
    void stop();

private:
    void start(int interval, std::function<void()> done);
    void tick();

    QWidget& m_window;
    TSuperTimer* m_timer = nullptr;
    std::unique_ptr<TWindowAnimation> m_animation;
    std::function<void()> m_done;
    QSize m_restSize; // the window size the opening started with
    bool m_opening = false;
};
