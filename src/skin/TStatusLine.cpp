#include "skin/TStatusLine.h"

#include "skin/TTextMsg.h"

TStatusLine::TStatusLine(TTextMsg* texts, QObject* parent) : QObject(parent), m_texts(texts) {
    m_timer.setInterval(kInterval);
    m_timer.setTimerType(Qt::PreciseTimer);
    connect(&m_timer, &QTimer::timeout, this, &TStatusLine::tick);
}

bool TStatusLine::hasTexts() const {
    return m_texts && !m_texts->isEmpty();
}

void TStatusLine::show(const QString& text) {
    if (!hasTexts())
        return;
    m_message = text;
    m_phase = 1;
    m_texts->setText(text, TTextMsg::kStatusLine, true);
    m_timer.start(); // restarts the interval when already running
}

void TStatusLine::tick() {
    if (m_phase >= kLastPhase) {
        m_timer.stop();
        return;
    }
    if (m_texts)
        m_texts->setText((m_phase % 2) ? QString() : m_message, TTextMsg::kStatusLine, true);
    ++m_phase;
}

void TStatusLine::clear() {
    if (!hasTexts())
        return;
    m_timer.stop();
    m_message.clear();
    m_phase = 1;
    m_texts->setText(QString(), TTextMsg::kStatusLine, true);
}
