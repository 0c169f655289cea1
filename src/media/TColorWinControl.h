#pragma once

#include <QColor>
#include <QImage>
#include <QRect>
#include <QWidget>

// A plain coloured area of the skin (a clip area): its colour, and the
// video frame shown in it, scaled into the target rectangle with its
// proportions kept.
class TColorWinControl : public QWidget {
    Q_OBJECT
public:
    explicit TColorWinControl(QWidget* parent = nullptr);

    void setColor(const QColor& color);
    QColor color() const { return m_color; }
    // A frame for the area (a null image: the colour alone again).
    void setFrame(const QImage& frame, const QRect& target);
    const QImage& frame() const { return m_frame; }
    // Where the frame is drawn, in the area's coordinates.
    QRect frameRect() const;

Q_SIGNALS:
    // The mouse moved over the area (the skin forgets its hover states).
    void mouseMoved();

protected:
    void paintEvent(QPaintEvent* e) override;
    void mouseMoveEvent(QMouseEvent* e) override;

private:
    QColor m_color = Qt::black;
    QImage m_frame;
    QRect m_target;
};
