#include "dialogs/TColorGrid.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>

namespace {
constexpr int kColumns = 4, kRows = 4, kCell = 22;
} // namespace

TColorGrid::TColorGrid(QWidget* parent) : QWidget(parent) {
    setFocusPolicy(Qt::StrongFocus);
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
}

const QList<QColor>& TColorGrid::colours() {
    static const QList<QColor> list = {
        QColor(0, 0, 0),       QColor(128, 0, 0),   QColor(0, 128, 0),   QColor(128, 128, 0),
        QColor(0, 0, 128),     QColor(128, 0, 128), QColor(0, 128, 128), QColor(128, 128, 128),
        QColor(192, 192, 192), QColor(255, 0, 0),   QColor(0, 255, 0),   QColor(255, 255, 0),
        QColor(0, 0, 255),     QColor(255, 0, 255), QColor(0, 255, 255), QColor(255, 255, 255)};
    return list;
}

QSize TColorGrid::sizeHint() const {
    return QSize(kColumns * kCell + 1, kRows * kCell + 1);
}

QRect TColorGrid::swatchRect(int index) const {
    return QRect((index % kColumns) * kCell, (index / kColumns) * kCell, kCell, kCell);
}

void TColorGrid::clearMark() {
    m_marked = -1;
    update();
}

void TColorGrid::choose(int index) {
    if (index < 0 || index >= colours().size())
        return;
    m_marked = index;
    m_focus = index;
    update();
    emit colourChosen(colours()[index]);
}

void TColorGrid::paintEvent(QPaintEvent*) {
    QPainter p(this);
    for (int i = 0; i < colours().size(); ++i) {
        const QRect r = swatchRect(i);
        p.fillRect(r.adjusted(2, 2, -2, -2), colours()[i]);
        p.setPen(palette().color(QPalette::Mid));
        p.drawRect(r.adjusted(2, 2, -3, -3));
        if (i == m_marked) {
            p.setPen(QPen(palette().color(QPalette::Highlight), 2));
            p.drawRect(r.adjusted(1, 1, -1, -1));
        }
        if (i == m_focus && hasFocus()) {
            p.setPen(QPen(palette().color(QPalette::Text), 1, Qt::DotLine));
            p.drawRect(r.adjusted(0, 0, -1, -1));
        }
    }
}

void TColorGrid::mousePressEvent(QMouseEvent* e) {
    const QPoint pos = e->position().toPoint();
    for (int i = 0; i < colours().size(); ++i)
        if (swatchRect(i).contains(pos)) {
            choose(i);
            return;
        }
}

void TColorGrid::keyPressEvent(QKeyEvent* e) {
    int next = m_focus;
    switch (e->key()) {
    case Qt::Key_Left:
        next -= 1;
        break;
    case Qt::Key_Right:
        next += 1;
        break;
    case Qt::Key_Up:
        next -= kColumns;
        break;
    case Qt::Key_Down:
        next += kColumns;
        break;
    case Qt::Key_Space:
        choose(m_focus);
        return;
    default:
        QWidget::keyPressEvent(e);
        return;
    }
    if (next >= 0 && next < colours().size()) {
        m_focus = next;
        update();
    }
}
