#pragma once

#include <QImage>
#include <QObject>

#include <functional>

class QPainter;
class QWidget;
class TSuperTimer;

// Fades a whole window in when it is shown: from the screen under the window
// to the window's own image, 51 steps of weight 5 on 1 ms ticks (the last
// frame, weight 255, is drawn at tick 51 and again at tick 52 when it stops).
// While running() the owner paints only PaintFadeFrame() and ignores the mouse.
class TEffCar : public QObject {
    Q_OBJECT
public:
    enum class Clock { Timer, Manual };

    explicit TEffCar(QWidget* owner, Clock clock = Clock::Timer);
    ~TEffCar() override;

    // Captures the screen under the owner and the owner's own image, then starts.
    void StartWindowFade();
    // The same with given pictures (the capture step done by the caller).
    void StartWindowFade(const QImage& background, const QImage& target);
    void PaintFadeFrame(QPainter& painter) const;
    void Tick();

    bool running() const { return m_running; }
    int ticks() const { return m_ticks; }
    int lastWeight() const { return m_lastWeight; }
    const QImage& frame() const { return m_frame; }

    // Told when the fade starts (true) and when it has ended (false).
    std::function<void(bool)> onFadeState;
    // Draws the output frame on the owner (default: a synchronous repaint).
    std::function<void()> drawFrame;

private:
    void draw(int weight);

    QWidget* m_owner = nullptr;
    TSuperTimer* m_timer = nullptr;
    QImage m_background, m_target, m_frame;
    int m_ticks = 0;
    int m_lastWeight = -1;
    bool m_running = false;
};
