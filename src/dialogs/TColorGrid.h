#pragma once

#include <QColor>
#include <QList>
#include <QWidget>

// A grid of sixteen colour swatches (the standard sixteen colours) to pick
// a colour from with the mouse or the keyboard. The chosen swatch carries a
// mark until the owner switches it off.
class TColorGrid : public QWidget {
    Q_OBJECT
public:
    explicit TColorGrid(QWidget* parent = nullptr);

    static const QList<QColor>& colours();
    // The marked swatch, -1 for none.
    int marked() const { return m_marked; }
    void clearMark();
    // Chooses swatch `index` as a click does.
    void choose(int index);
    QRect swatchRect(int index) const;

    QSize sizeHint() const override;

signals:
    void colourChosen(const QColor& colour);

protected:
    void paintEvent(QPaintEvent* e) override;
    void mousePressEvent(QMouseEvent* e) override;
    void keyPressEvent(QKeyEvent* e) override;

private:
    int m_marked = -1;
    int m_focus = 0;
};
