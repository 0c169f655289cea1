#pragma once

#include <QWidget>

#include <functional>

// The hint area of one skin element: an invisible child exactly covering the
// element, carrying its hint as a tool tip. It hands its mouse events to the
// window in window coordinates, so the element behaves the same whether the
// pointer is on the window or on the hint area.
class TMyControl : public QWidget {
    Q_OBJECT
public:
    explicit TMyControl(QWidget* window);

    std::function<void(QMouseEvent*, QPoint)> onMove, onDown, onUp;

protected:
    void mouseMoveEvent(QMouseEvent* e) override;
    void mousePressEvent(QMouseEvent* e) override;
    void mouseReleaseEvent(QMouseEvent* e) override;
};
