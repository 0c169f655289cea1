#include "skin/TMyControl.h"

#include <QMouseEvent>

TMyControl::TMyControl(QWidget* window) : QWidget(window) {
    setMouseTracking(true);
    setAttribute(Qt::WA_NoSystemBackground);
    setAttribute(Qt::WA_TranslucentBackground);
    setAutoFillBackground(false);
}

void TMyControl::mouseMoveEvent(QMouseEvent* e) {
    if (onMove)
        onMove(e, e->position().toPoint() + pos());
}

void TMyControl::mousePressEvent(QMouseEvent* e) {
    if (onDown)
        onDown(e, e->position().toPoint() + pos());
}

void TMyControl::mouseReleaseEvent(QMouseEvent* e) {
    if (onUp)
        onUp(e, e->position().toPoint() + pos());
}
