#include "skin/TEffBtnCar.h"

#include "skin/Blend.h"
#include "media/TSuperTimer.h"

TEffBtnCar::TEffBtnCar(QObject* owner, int index, Clock clock)
    : QObject(owner), m_index(index), m_clock(clock) {}

void TEffBtnCar::startClock() {
    if (m_clock != Clock::Timer)
        return;
    // The timer (and its thread) comes with the first fade: a screen has many
    // elements, and most are never touched.
    if (!m_timer) {
        m_timer = new TSuperTimer(this);
        m_timer->setInterval(1);
        m_timer->setPriority(QThread::HighestPriority);
        m_timer->onTimer = [this](TSuperTimer*) { Tick(); };
    }
    m_timer->setEnabled(true);
}

TEffBtnCar::~TEffBtnCar() {
    stopClock();
}

void TEffBtnCar::stopClock() {
    if (m_timer)
        m_timer->setEnabled(false);
}

void TEffBtnCar::StartFade(const QImage& from, const QImage& to, QPoint position) {
    if (m_running) {
        // Reverse from the picture now on screen.
        const int w = currentWeight();
        m_startWeight = 255 - w;
        stopClock();
    }
    m_from = from.convertToFormat(QImage::Format_RGB32);
    m_to = to.convertToFormat(QImage::Format_RGB32);
    m_frame = QImage(m_from.size(), QImage::Format_RGB32);
    m_position = position;
    m_running = true;
    m_ticks = 0;
    startClock();
}

void TEffBtnCar::Cancel() {
    stopClock();
    m_startWeight = 0;
    m_running = false;
    m_ticks = 0;
    m_from = QImage();
    m_to = QImage();
    m_frame = QImage();
}

void TEffBtnCar::Tick() {
    if (!m_running || m_from.isNull() || m_frame.isNull())
        return;
    ++m_ticks;
    const int a = currentWeight();
    if (a < 256) {
        draw(a);
        return;
    }
    stopClock();
    draw(255);
    m_startWeight = 0;
    m_running = false;
    m_ticks = 0;
    m_from = QImage();
    m_to = QImage();
    m_frame = QImage();
}

void TEffBtnCar::draw(int weight) {
    effect::blend(m_from, m_to, weight, m_frame);
    m_lastWeight = weight;
    if (canDraw && !canDraw())
        return;
    if (drawFrame)
        drawFrame(*this);
}
