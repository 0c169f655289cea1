#include "skin/TEffect.h"

#include "media/TSuperTimer.h"

#include <QWidget>

#include <cmath>

namespace {
// Set while any effect runs (the UI thread alone touches it).
bool g_running = false;
} // namespace

TEffect::TEffect(QObject* owner, Clock clock) : QObject(owner), m_clock(clock) {
    if (clock == Clock::Timer) {
        m_timer = new TSuperTimer(this);
        m_timer->setPriority(QThread::HighestPriority);
        m_timer->setInterval(1);
        // The sleeps make up for the time each tick's drawing takes, so the
        // curtain lasts its tick count in milliseconds (without, about 17 %
        // longer).
        m_timer->setDriftCorrection(true);
        m_timer->onTimer = [this](TSuperTimer*) { Tick(); };
    }
    drawn = [this](const QRegion& changed) {
        if (m_box)
            m_box->update(changed);
    };
}

TEffect::~TEffect() {
    Stop();
}

bool TEffect::anyRunning() {
    return g_running;
}

QList<TEffect::Strip> TEffect::stripsFor(int width, int height) {
    QList<Strip> strips;
    const int n = height / 20;
    if (n <= 0 || width <= 0)
        return strips;
    const int pitch = int(std::lround(double(height) / n));
    strips.resize(n);
    for (int i = 0; i < n; ++i) {
        strips[i].top = qMin(i * pitch, height);
        strips[i].left = strips[i].right = width / 2;
    }
    for (int i = 0; i + 1 < n; ++i)
        strips[i].height = strips[i + 1].top - strips[i].top;
    strips[n - 1].height = height - strips[n - 1].top;
    return strips;
}

int TEffect::tickCount(int width, int height) {
    const int n = height / 20;
    if (n <= 0 || width <= 0)
        return 0;
    const int half = width / 2;
    // A strip starts this many ticks after the one before it; the last one
    // then needs its right half plus one column, and one more tick stops.
    const int gap = (half * 20) / 100 + 1;
    return (n - 1) * gap + (width - half + 1) + 1;
}

bool TEffect::Start(QWidget* box, const QImage& picture, const QImage& backdrop) {
    if (g_running || !box || picture.isNull())
        return false;
    const QList<Strip> strips = stripsFor(box->width(), box->height());
    if (strips.isEmpty())
        return false;
    m_box = box;
    m_width = box->width();
    m_height = box->height();
    m_strips = strips;
    m_current = 0;
    const int half = m_width / 2;
    m_threshold = half + (half * 20) / 100;
    m_ticks = 0;
    m_picture = picture.convertToFormat(QImage::Format_RGB32);
    if (backdrop.size() == box->size()) {
        m_revealed = backdrop.convertToFormat(QImage::Format_RGB32);
    } else {
        m_revealed = QImage(box->size(), QImage::Format_RGB32);
        m_revealed.fill(Qt::black);
    }
    m_running = true;
    g_running = true;
    if (m_timer)
        m_timer->setEnabled(true);
    return true;
}

void TEffect::Stop() {
    if (!m_running)
        return;
    finish();
    m_revealed = QImage();
}

void TEffect::finish() {
    if (m_timer)
        m_timer->setEnabled(false);
    m_running = false;
    g_running = false;
    m_picture = QImage();
}

void TEffect::Tick() {
    if (!m_running || m_strips.isEmpty())
        return;
    ++m_ticks;
    if (m_strips[m_current].right > m_width) {
        finish();
        return;
    }
    const int columnsOfPicture = qMin(m_picture.width(), m_revealed.width());
    const int rowsOfPicture = qMin(m_picture.height(), m_revealed.height());
    QRegion changed;
    auto copyColumn = [&](int x, const Strip& s) {
        // Columns and rows beyond the picture stay as they are.
        if (x < 0 || x >= columnsOfPicture || s.top >= rowsOfPicture)
            return;
        const int bottom = qMin(s.top + s.height, rowsOfPicture);
        for (int y = s.top; y < bottom; ++y)
            reinterpret_cast<QRgb*>(m_revealed.scanLine(y))[x] =
                reinterpret_cast<const QRgb*>(m_picture.constScanLine(y))[x];
        changed += QRect(x, s.top, 1, bottom - s.top);
    };
    for (int i = 0; i <= m_current; ++i) {
        Strip& s = m_strips[i];
        if (s.left >= 0) {
            copyColumn(s.left, s);
            --s.left;
        }
        if (s.right <= m_width) {
            copyColumn(s.right, s);
            ++s.right;
        }
    }
    if (m_strips[m_current].right > m_threshold && m_current < m_strips.size() - 1)
        ++m_current;
    if (drawn && !changed.isEmpty())
        drawn(changed);
}
