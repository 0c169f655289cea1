#pragma once

#include <QImage>
#include <QList>
#include <QObject>
#include <QPointer>
#include <QRegion>

#include <functional>

class QWidget;
class TSuperTimer;

// The about box's entrance: its picture opens from the vertical centre line
// outwards like a staggered curtain. The box is cut into horizontal strips
// of about 20 pixels (height div 20 of them); every tick each started strip
// gets one more picture column on its left and on its right, and the next
// strip starts once the newest one's right edge has passed 20 % of the half
// width beyond the centre. It stops when the last strip's right edge is past
// the box's right border, with the whole picture shown.
//
// The columns are copied into revealed(), which the box paints while the
// effect runs; `drawn` is told the columns each tick changed (default: the
// box repaints them). One effect runs at a time in the whole program: Start
// is ignored while any effect runs.
class TEffect : public QObject {
    Q_OBJECT
public:
    // Manual: no timer; the owner (a test) calls Tick().
    enum class Clock { Timer, Manual };

    struct Strip {
        int top = 0, height = 0;
        int left = 0, right = 0; // the next columns to copy
    };

    explicit TEffect(QObject* owner, Clock clock = Clock::Timer);
    ~TEffect() override;

    // Begins revealing `picture` on `box` (sizes are the box's). The parts
    // not yet revealed show `backdrop` (black when it has not the box's
    // size). Nothing starts while an effect runs anywhere, for a box lower
    // than 20 pixels or for a null picture; returns whether it started.
    bool Start(QWidget* box, const QImage& picture, const QImage& backdrop = QImage());
    // Ends the effect at once (the box closes): no more ticks, the running
    // flag cleared, the pictures released.
    void Stop();
    void Tick();

    bool running() const { return m_running; }
    // Some effect of the program runs.
    static bool anyRunning();
    const QImage& revealed() const { return m_revealed; }
    const QList<Strip>& strips() const { return m_strips; }
    int currentStrip() const { return m_current; }
    int threshold() const { return m_threshold; }
    int ticks() const { return m_ticks; }

    // The strips of a box `height` pixels high (empty below 20 pixels).
    static QList<Strip> stripsFor(int width, int height);
    // How many ticks the effect takes on a box of this size, the last one
    // (which finds the work done and stops) included; 0 when it would not start.
    static int tickCount(int width, int height);

    std::function<void(const QRegion& changed)> drawn;

private:
    void finish();

    Clock m_clock;
    TSuperTimer* m_timer = nullptr;
    QPointer<QWidget> m_box;
    QImage m_picture;
    QImage m_revealed;
    QList<Strip> m_strips;
    int m_width = 0, m_height = 0;
    int m_current = 0;
    int m_threshold = 0;
    int m_ticks = 0;
    bool m_running = false;
};
