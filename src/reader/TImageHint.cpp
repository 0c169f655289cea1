#include "reader/TImageHint.h"

#include <QCursor>
#include <QLabel>

TImageHint::TImageHint(QObject* parent) : QObject(parent) {
    m_timer.setInterval(kInterval);
    connect(&m_timer, &QTimer::timeout, this, &TImageHint::tick);
    cursorPos = [] { return QCursor::pos(); };
}

TImageHint::~TImageHint() {
    delete m_window;
}

const void* TImageHint::identity(const THitInfo& hit) {
    if (hit.element)
        return hit.element.get();
    return hit.control;
}

QString TImageHint::hintText() const {
    return m_window && m_shown ? m_window->text() : QString();
}

QWidget* TImageHint::window() const {
    return m_window;
}

void TImageHint::mouseMoved(const QPoint& global) {
    const THitInfo hit = objectAt ? objectAt(global) : THitInfo();
    if (!isObject(hit)) {
        m_last = nullptr;
        return;
    }
    if (hit.isImage && identity(hit) != m_last && !m_timer.isActive() &&
        !hit.imageTitle.isEmpty()) {
        m_ticks = 0;
        m_timer.start();
    }
}

void TImageHint::tick() {
    ++m_ticks;
    const QPoint at = cursorPos ? cursorPos() : QPoint();
    const THitInfo hit = objectAt ? objectAt(at) : THitInfo();
    const bool object = isObject(hit);
    if (object && m_ticks < kLastTick) {
        const void* id = identity(hit);
        if (m_ticks < 2 || (m_shown && id == m_last) || !hit.isImage)
            return;
        if (!hit.imageTitle.isEmpty()) {
            show(hit.imageTitle, at + QPoint(0, kBelowCursor));
            if (id != m_last) {
                m_ticks = 2;
                m_last = id;
            }
            return;
        }
    }
    m_timer.stop();
    hide();
    if (!object)
        m_last = nullptr;
}

void TImageHint::show(const QString& text, const QPoint& at) {
    if (!m_window) {
        m_window = new QLabel;
        m_window->setWindowFlags(Qt::ToolTip | Qt::FramelessWindowHint);
        m_window->setWordWrap(true);
        m_window->setMargin(2);
        m_window->setStyleSheet(QStringLiteral("QLabel { background: #%1; color: black; "
                                               "border: 1px solid black; }")
                                    .arg(kBackground, 6, 16, QLatin1Char('0')));
    }
    m_window->setText(text);
    const QRect r =
        m_window->fontMetrics().boundingRect(QRect(0, 0, kMaxWidth, 10000), Qt::TextWordWrap, text);
    m_window->setGeometry(QRect(at, r.size() + QSize(8, 6)));
    m_window->show();
    m_shown = true;
}

void TImageHint::hide() {
    if (m_window)
        m_window->hide();
    m_shown = false;
}
