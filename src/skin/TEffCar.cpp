#include "skin/TEffCar.h"

#include "skin/Blend.h"
#include "media/TSuperTimer.h"

#include <QGuiApplication>
#include <QPainter>
#include <QPixmap>
#include <QScreen>
#include <QWidget>

TEffCar::TEffCar(QWidget* owner, Clock clock) : QObject(owner), m_owner(owner) {
    if (clock == Clock::Timer) {
        m_timer = new TSuperTimer(this);
        m_timer->setInterval(1);
        m_timer->setPriority(QThread::HighestPriority);
        m_timer->onTimer = [this](TSuperTimer*) { Tick(); };
    }
    drawFrame = [this] {
        if (m_owner)
            m_owner->repaint();
    };
}

TEffCar::~TEffCar() {
    if (m_timer)
        m_timer->setEnabled(false);
}

void TEffCar::StartWindowFade() {
    if (!m_owner)
        return;
    const QRect r = m_owner->frameGeometry();
    QImage background;
    QScreen* screen = m_owner->screen() ? m_owner->screen() : QGuiApplication::primaryScreen();
    if (screen)
        background =
            screen->grabWindow(0, r.x(), r.y(), m_owner->width(), m_owner->height()).toImage();
    if (background.size() != m_owner->size()) {
        // No screen contents to be had (offscreen platform): fade in from white.
        background = QImage(m_owner->size(), QImage::Format_RGB32);
        background.fill(Qt::white);
    }
    StartWindowFade(background, m_owner->grab().toImage());
}

void TEffCar::StartWindowFade(const QImage& background, const QImage& target) {
    m_background = background.convertToFormat(QImage::Format_RGB32);
    m_target = target.convertToFormat(QImage::Format_RGB32);
    m_frame = m_background;
    m_ticks = 0;
    m_running = true;
    if (onFadeState)
        onFadeState(true);
    if (m_timer)
        m_timer->setEnabled(true);
}

void TEffCar::PaintFadeFrame(QPainter& painter) const {
    if (!m_frame.isNull())
        painter.drawImage(0, 0, m_frame);
}

void TEffCar::Tick() {
    if (!m_running || m_background.isNull())
        return;
    const int n = ++m_ticks;
    if (n * 5 <= 255) {
        draw(n * 5);
        return;
    }
    if (m_timer)
        m_timer->setEnabled(false);
    draw(255);
    m_running = false;
    m_ticks = 0;
    m_background = QImage();
    m_target = QImage();
    m_frame = QImage();
    if (onFadeState)
        onFadeState(false);
}

void TEffCar::draw(int weight) {
    effect::blend(m_background, m_target, weight, m_frame);
    m_lastWeight = weight;
    if (drawFrame)
        drawFrame();
}
