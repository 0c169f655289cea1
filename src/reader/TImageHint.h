#pragma once

#include "engine/THtmlDocument.h"

#include <QObject>
#include <QPoint>
#include <QTimer>

#include <functional>

class QLabel;

// Title hints of pictures in the content panes: resting the mouse on a
// picture that has a title shows the title in a small pale-yellow window
// below the cursor for about four seconds.
class TImageHint : public QObject {
    Q_OBJECT
public:
    static constexpr int kInterval = 200;   // ms per tick
    static constexpr int kLastTick = 21;    // the hint goes at this tick
    static constexpr int kMaxWidth = 300;   // pixels
    static constexpr int kBelowCursor = 18; // pixels
    static constexpr QRgb kBackground = 0xFFFFE1;

    explicit TImageHint(QObject* parent = nullptr);
    ~TImageHint() override;

    // The object under a global screen position (set by the content frame).
    std::function<THitInfo(const QPoint& global)> objectAt;
    // The cursor position (global); QCursor::pos() unless replaced.
    std::function<QPoint()> cursorPos;

    // The mouse moved to a global position over a pane.
    void mouseMoved(const QPoint& global);
    // One timer tick (public for the tests).
    void tick();

    bool timerActive() const { return m_timer.isActive(); }
    bool hintShown() const { return m_shown; }
    QString hintText() const;
    QWidget* window() const;
    int ticks() const { return m_ticks; }
    void hide();

private:
    static bool isObject(const THitInfo& hit) { return hit.isImage || hit.control; }
    static const void* identity(const THitInfo& hit);
    void show(const QString& text, const QPoint& at);

    QTimer m_timer;
    int m_ticks = 0;
    const void* m_last = nullptr; // the last hinted picture
    QLabel* m_window = nullptr;
    bool m_shown = false;
};
