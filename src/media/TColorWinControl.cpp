#include "media/TColorWinControl.h"

#include <QPainter>

TColorWinControl::TColorWinControl(QWidget* parent) : QWidget(parent) {
    setAttribute(Qt::WA_OpaquePaintEvent);
    setMouseTracking(true);
    setFocusPolicy(Qt::NoFocus);
}

void TColorWinControl::setColor(const QColor& color) {
    m_color = color;
    update();
}

void TColorWinControl::setFrame(const QImage& frame, const QRect& target) {
    m_frame = frame;
    m_target = target;
    update();
}

QRect TColorWinControl::frameRect() const {
    if (m_frame.isNull())
        return QRect();
    const QRect box = m_target.isValid() ? m_target : rect();
    QSize size = m_frame.size();
    size.scale(box.size(), Qt::KeepAspectRatio);
    return QRect(box.x() + (box.width() - size.width()) / 2,
                 box.y() + (box.height() - size.height()) / 2, size.width(), size.height());
}

void TColorWinControl::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.fillRect(rect(), m_color);
    if (!m_frame.isNull()) {
        p.setRenderHint(QPainter::SmoothPixmapTransform);
        p.drawImage(frameRect(), m_frame);
    }
}

void TColorWinControl::mouseMoveEvent(QMouseEvent* e) {
    emit mouseMoved();
    QWidget::mouseMoveEvent(e);
}
