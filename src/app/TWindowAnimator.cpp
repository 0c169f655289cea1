#include "app/TWindowAnimator.h"

#include "app/TWindowAnimation.h"
#include "media/TSuperTimer.h"

#include <QWidget>

TWindowAnimator::TWindowAnimator(QWidget& window) : QObject(&window), m_window(window) {}

TWindowAnimator::~TWindowAnimator() {
    stop();
}

void TWindowAnimator::applyRegion(const QRegion& region) {
    if (region.isEmpty())
        m_window.setMask(QRegion(-2, -2, 1, 1));
    else
        m_window.setMask(region);
}

void TWindowAnimator::open(std::function<void()> done) {
    // The region the opening leaves is worked out when it is reached.
    m_restSize = m_window.size();
    applyRegion(QRegion());
    m_animation =
        std::make_unique<TWindowAnimation>(TWindowAnimation::Kind::Opening, m_window.size());
    m_opening = true;
    m_window.show();
    m_window.activateWindow();
    start(1, std::move(done));
}

void TWindowAnimator::close(std::function<void()> done) {
    m_animation =
        std::make_unique<TWindowAnimation>(TWindowAnimation::Kind::Closing, m_window.size());
    m_opening = false;
    start(2, std::move(done));
}

void TWindowAnimator::stop() {
    if (m_timer)
        m_timer->setEnabled(false);
}

void TWindowAnimator::start(int interval, std::function<void()> done) {
    // A timer keeps the sleep length it first ran with: each animation gets
    // a new one.
    if (m_timer) {
        m_timer->setEnabled(false);
        m_timer->deleteLater();
    }
    m_done = std::move(done);
    m_timer = new TSuperTimer(this);
    m_timer->setInterval(interval);
    m_timer->onTimer = [this](TSuperTimer*) { tick(); };
    m_timer->setEnabled(true);
}

void TWindowAnimator::tick() {
    QRegion region;
    if (m_animation && m_animation->next(region)) {
        applyRegion(region);
        return;
    }
    // Ticks already on their way may still arrive: the end runs once.
    m_timer->setEnabled(false);
    if (!m_animation)
        return;
    m_animation.reset();
    applyRegion(m_opening ? TWindowAnimation::finalOpeningRegion(m_restSize) : QRegion());
    if (const std::function<void()> done = std::exchange(m_done, nullptr))
        done();
}
