#pragma once

#include <QImage>
#include <QObject>
#include <QPoint>

#include <functional>

class TSuperTimer;

// Cross-fades one skin element from the picture of one state to the picture
// of another. Ticks come from a 1 ms TSuperTimer; at tick n the weight is
// n * step + start weight. A fade started while one runs reverses it from the
// picture now on screen (start weight 255 - current weight).
//
// The effect does not paint by itself: each frame is handed to `drawFrame`
// (the owner repaints the element's rectangle, and its paint handler draws
// `frame()` over the element while `running()` is true).
class TEffBtnCar : public QObject {
    Q_OBJECT
public:
    // Manual: no timer; whoever owns the effect calls Tick() (tests, replays).
    enum class Clock { Timer, Manual };

    TEffBtnCar(QObject* owner, int index, Clock clock = Clock::Timer);
    ~TEffBtnCar() override;

    void StartFade(const QImage& from, const QImage& to, QPoint position);
    void Cancel();
    void Tick();

    int step() const { return m_step; }
    void setStep(int step) { m_step = step > 0 ? step : 1; }
    int index() const { return m_index; }
    bool running() const { return m_running; }
    int startWeight() const { return m_startWeight; }
    int ticks() const { return m_ticks; }
    // The weight of the frame now on screen (start weight while none was drawn).
    int currentWeight() const { return m_ticks * m_step + m_startWeight; }
    int lastWeight() const { return m_lastWeight; }
    const QImage& frame() const { return m_frame; }
    QPoint position() const { return m_position; }

    // Asked before each frame is drawn; false: the frame is computed but not
    // drawn (the owner's whole-window fade runs, or the dialog is hidden).
    std::function<bool()> canDraw;
    // Draws the current frame (the owner repaints frame-sized at position()).
    std::function<void(const TEffBtnCar&)> drawFrame;

private:
    void draw(int weight);
    void startClock();
    void stopClock();

    int m_index = 0;
    Clock m_clock = Clock::Timer;
    TSuperTimer* m_timer = nullptr;
    QImage m_from, m_to, m_frame;
    QPoint m_position;
    int m_startWeight = 0;
    int m_step = 1;
    int m_ticks = 0;
    int m_lastWeight = -1;
    bool m_running = false;
};
