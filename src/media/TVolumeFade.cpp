#include "media/TVolumeFade.h"

#include <QElapsedTimer>
#include <QEventLoop>
#include <QTimer>

#include <algorithm>
#include <chrono>
#include <cmath>

TVolumeFade::TVolumeFade(QObject* parent) : QObject(parent) {}

TVolumeFade::~TVolumeFade() {
    stopThread();
}

int TVolumeFade::stepFor(int level) {
    if (level <= 100)
        return 3;
    if (level <= 4000)
        return 7;
    if (level <= 8000)
        return 15;
    if (level <= 32000)
        return 25;
    return 50;
}

TVolumeFade::Levels TVolumeFade::levels() const {
    std::lock_guard lock(m_mutex);
    return m_device;
}

int TVolumeFade::level() const {
    std::lock_guard lock(m_mutex);
    return m_level;
}

void TVolumeFade::setLevels(Levels levels) {
    {
        std::lock_guard lock(m_mutex);
        m_device = levels;
        if (!m_running) {
            m_saved = levels;
            m_partial = false;
        }
    }
    announce();
}

bool TVolumeFade::prepare(bool rising) {
    if (!m_hasControl)
        return false;
    stopThread();
    std::lock_guard lock(m_mutex);
    // The volume to come back to is the device's, unless an earlier fade
    // left it part-way (a fade-in cut short): then the earlier saved volume
    // stays, so the music never gets quieter run after run.
    if (!m_partial)
        m_saved = m_device;
    m_saved.left = std::max<quint16>(m_saved.left, 1);
    m_saved.right = std::max<quint16>(m_saved.right, 1);
    m_louderLeft = m_saved.left >= m_saved.right;
    m_target = std::max(m_saved.left, m_saved.right);
    m_ratio = double(m_target) / double(std::min(m_saved.left, m_saved.right));
    m_rising = rising;
    m_level = rising ? 0 : m_device.left;
    m_fallen = false;
    m_running = true;
    return true;
}

bool TVolumeFade::start(bool rising) {
    if (!prepare(rising))
        return false;
    m_thread = std::thread([this] { run(); });
    return true;
}

bool TVolumeFade::tick() {
    bool done = false;
    bool fell = false;
    {
        std::lock_guard lock(m_mutex);
        if (!m_running)
            return false;
        // a. The louder channel gets the level, the quieter one the level
        // divided by the balance ratio (rounded to a whole number).
        const int louder = std::clamp(m_level, 0, 0xFFFF);
        const int divisor = std::max(1, int(std::lround(m_ratio)));
        const int quieter = louder / divisor;
        m_device.left = quint16(m_louderLeft ? louder : quieter);
        m_device.right = quint16(m_louderLeft ? quieter : louder);
        m_partial = true;
        // b-c.
        const int step = stepFor(m_level);
        if (m_rising) {
            m_level += step;
            if (m_level >= m_target) {
                m_device = m_saved;
                m_partial = false;
                done = true;
            }
        } else {
            m_level -= step;
            if (m_level <= 0) {
                m_device = Levels{0, 0};
                done = true;
                fell = true;
            }
        }
        if (done)
            m_running = false;
    }
    announce();
    if (fell) {
        m_fallen = true;
        QMetaObject::invokeMethod(
            this, [this] { emit fallen(); }, Qt::QueuedConnection);
    }
    return !done;
}

void TVolumeFade::run() {
    using clock = std::chrono::steady_clock;
    auto next = clock::now();
    for (;;) {
        {
            std::unique_lock lock(m_mutex);
            next += std::chrono::milliseconds(1);
            const auto now = clock::now();
            if (next < now - std::chrono::milliseconds(50))
                next = now; // after a stall: go on, never catch up in a burst
            if (m_wake.wait_until(lock, next, [this] { return m_quit; }))
                return;
        }
        if (!tick())
            return;
    }
}

void TVolumeFade::stopThread() {
    if (!m_thread.joinable())
        return;
    {
        std::lock_guard lock(m_mutex);
        m_quit = true;
    }
    m_wake.notify_all();
    m_thread.join();
    std::lock_guard lock(m_mutex);
    m_quit = false;
}

bool TVolumeFade::waitFallen(int timeoutMs) {
    if (m_fallen || !m_running || m_rising)
        return m_fallen;
    QEventLoop loop;
    QTimer poll;
    QElapsedTimer clock;
    clock.start();
    connect(&poll, &QTimer::timeout, &loop, [&] {
        if (m_fallen || !m_running || clock.elapsed() >= timeoutMs)
            loop.quit();
    });
    poll.start(5);
    loop.exec(QEventLoop::ExcludeUserInputEvents);
    return m_fallen;
}

void TVolumeFade::restore() {
    stopThread();
    {
        std::lock_guard lock(m_mutex);
        m_running = false;
        m_device = m_saved;
        m_partial = false;
    }
    announce();
}

void TVolumeFade::announce() {
    if (m_announced.exchange(true))
        return;
    QMetaObject::invokeMethod(
        this,
        [this] {
            m_announced = false;
            emit levelsChanged();
        },
        Qt::QueuedConnection);
}
