#include "skin/TPopupWindow.h"

#include "skin/TOutlineRegion.h"

#include <QHelpEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QTimer>
#include <QToolTip>
#include <QVariantAnimation>

namespace {

// Outline points are "x,y" texts; a point that is not two numbers is skipped.
QPolygon outlineOf(const QStringList& vertex) {
    QPolygon polygon;
    for (const QString& point : vertex) {
        const QStringList xy = point.split(QLatin1Char(','));
        bool okX = false, okY = false;
        if (xy.size() != 2)
            continue;
        const int x = xy[0].trimmed().toInt(&okX);
        const int y = xy[1].trimmed().toInt(&okY);
        if (okX && okY)
            polygon << QPoint(x, y);
    }
    return polygon;
}

// Items left of a popup without a background picture.
constexpr int kBareLeft = 5;
const QColor kBareColour(40, 40, 40);

} // namespace

TPopupWindow::TPopupWindow(const RPopupData& data, int record, TItemsBtn::PictureLoader loader,
                           QWidget* owner)
    : QWidget(owner, Qt::Tool | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint |
                         Qt::WindowDoesNotAcceptFocus | Qt::X11BypassWindowManagerHint |
                         Qt::NoDropShadowWindowHint),
      m_data(data), m_record(record), m_loader(std::move(loader)) {
    setAttribute(Qt::WA_ShowWithoutActivating);
    setAttribute(Qt::WA_OpaquePaintEvent);
    setAttribute(Qt::WA_NoSystemBackground);
    setFocusPolicy(Qt::NoFocus);
    setMouseTracking(true);
    if (m_loader)
        m_background = m_loader(data.fnfon);
    m_outline = outlineOf(data.vertex);
    if (!m_background.isNull())
        resize(m_background.size());
    else
        resize(1, 1);
}

TPopupWindow::~TPopupWindow() = default;

int TPopupWindow::visibleItemCount() const {
    int n = 0;
    for (const auto& item : m_items)
        n += item->visible ? 1 : 0;
    return n;
}

int TPopupWindow::itemAt(QPoint p) const {
    for (int i = 0; i < itemCount(); ++i) {
        const TItemsBtn& it = item(i);
        if (it.visible && it.placed && it.contains(p))
            return i;
    }
    return -1;
}

int TPopupWindow::hoveredItem() const {
    for (int i = 0; i < itemCount(); ++i)
        if (item(i).visible && item(i).hovered)
            return i;
    return -1;
}

void TPopupWindow::SetItemCount(int n) {
    n = qMax(0, n);
    if (int(m_items.size()) > n)
        m_items.resize(size_t(n));
    while (int(m_items.size()) < n)
        m_items.push_back(std::make_unique<TItemsBtn>(m_data, itemCount(), m_loader));
    for (auto& item : m_items)
        item->reset();
    Arrange();
}

void TPopupWindow::AddItem(const QString& caption, const QString& command) {
    auto item = std::make_unique<TItemsBtn>(m_data, itemCount(), m_loader);
    item->command = command;
    item->setCaption(caption);
    item->visible = true;
    m_items.push_back(std::move(item));
    Arrange();
}

void TPopupWindow::SetItem(const QString& caption, const QString& command, int index) {
    if (index < 0 || index >= itemCount())
        return;
    TItemsBtn& it = item(index);
    it.command = command;
    if (it.caption() != caption) {
        it.setCaption(caption);
        update(it.rect());
    }
}

void TPopupWindow::SetItemVisible(bool visible, int index) {
    if (index < 0 || index >= itemCount())
        return;
    TItemsBtn& it = item(index);
    if (it.visible == visible)
        return;
    it.visible = visible;
    if (!visible)
        it.placed = it.hovered = it.pressed = false;
    Arrange();
}

void TPopupWindow::RemoveItem(int i) {
    if (i < 0 || i >= itemCount())
        return;
    m_items.erase(m_items.begin() + i);
    // The items below take the places from the removed one on.
    for (int k = i; k < itemCount(); ++k)
        item(k).placed = false;
    Arrange();
    if (m_items.empty())
        Close();
}

int TPopupWindow::itemsLeft(const TItemsBtn& it) const {
    if (m_data.xbtn == -1)
        return (width() - it.size().width()) / 2;
    return m_data.xbtn;
}

void TPopupWindow::Arrange() {
    const int m = margin();
    // 1. From the first hidden or unplaced item on, every item is placed again.
    bool from = false;
    for (auto& it : m_items) {
        if (from)
            it->placed = false;
        else if (!it->visible || !it->placed)
            from = true;
    }
    // A popup without a background picture is as wide as its widest item.
    if (m_background.isNull()) {
        int widest = 0;
        for (const auto& it : m_items)
            widest = qMax(widest, it->size().width());
        const int left = m_data.xbtn >= 0 ? m_data.xbtn : kBareLeft;
        resize(qMax(1, widest + 2 * left), qMax(1, height()));
    }
    // 2. The column.
    int sum = 0;
    const TItemsBtn* previous = nullptr;
    for (auto& it : m_items) {
        if (!it->visible)
            continue;
        if (!it->placed) {
            const int top = previous ? previous->pos.y() + previous->size().height() : m;
            it->pos = QPoint(itemsLeft(*it), top);
            it->placed = true;
        }
        sum += it->size().height();
        previous = it.get();
    }
    // 3. The height follows the items, unless the popup has a shape.
    if (!shaped()) {
        const int h = qMax(1, sum + 2 * m);
        if (!m_background.isNull())
            resizeBackground(h);
        resize(width(), h);
    }
    update();
}

void TPopupWindow::resizeBackground(int h) {
    const QImage old = m_background;
    const int oldH = old.height();
    if (h == oldH || old.isNull())
        return;
    const int m = qBound(0, margin(), qMin(oldH, h));
    QImage grown(old.width(), h, old.format());
    grown.fill(Qt::black);
    QPainter p(&grown);
    // The top part as it was, the bottom margin at the new bottom.
    const int top = qMin(oldH, h) - m;
    p.drawImage(QPoint(0, 0), old, QRect(0, 0, old.width(), top));
    p.drawImage(QPoint(0, h - m), old, QRect(0, oldH - m, old.width(), m));
    // Grown: the rows between repeat the old middle row.
    if (h > oldH) {
        const QImage middle = old.copy(0, oldH / 2, old.width(), 1);
        for (int y = oldH - m; y < h - m; ++y)
            p.drawImage(QPoint(0, y), middle);
    }
    p.end();
    m_background = grown;
}

void TPopupWindow::RunCommand(const QString& command, int index) {
    if (m_deleteMode) {
        RemoveItem(index);
        emit itemRemoved(index);
        return;
    }
    Close();
    // The command runs once the pending window messages have run: the popup
    // is off the screen first, and whatever the command does (a dialog of
    // its own, a new screen that frees the popups) happens after the click
    // is over.
    QTimer::singleShot(0, this, [this, command, index] { emit commandChosen(command, index); });
}

void TPopupWindow::Close() {
    for (auto& it : m_items)
        it->hovered = it->pressed = false;
    m_deleteMode = false;
    if (m_slide)
        m_slide->stop();
    const bool was = isVisible();
    hide();
    if (was)
        emit closed();
}

void TPopupWindow::showAt(QPoint at, int slide, bool applyOutline) {
    const bool wasShown = isVisible();
    move(at);
    if (applyOutline && shaped())
        setMask(TOutlineRegion::build(m_outline, size()));
    else
        clearMask();
    m_slideDirection = slide;
    if (slide != 0) {
        if (!m_slide) {
            m_slide = new QVariantAnimation(this);
            m_slide->setDuration(100);
            m_slide->setStartValue(0.0);
            m_slide->setEndValue(1.0);
            connect(m_slide, &QVariantAnimation::valueChanged, this,
                    [this](const QVariant& v) { setSlide(v.toReal()); });
        }
        setSlide(0.05);
    } else {
        setSlide(1);
    }
    show();
    // A window that comes up is on top already.
    if (wasShown)
        raise();
    if (slide != 0)
        m_slide->start();
    m_shownAt.start();
}

void TPopupWindow::setSlide(qreal shown) {
    m_slideShown = qBound(0.0, shown, 1.0);
    if (m_slideShown >= 1) {
        if (m_slideDirection != 0)
            clearMask();
        m_slideDirection = 0;
    } else {
        // The part already in: from the top when sliding down, from the
        // bottom when sliding up.
        const int h = qMax(1, qRound(height() * m_slideShown));
        setMask(m_slideDirection > 0 ? QRect(0, 0, width(), h)
                                     : QRect(0, height() - h, width(), h));
    }
    update();
}

qint64 TPopupWindow::sinceShown() const {
    return m_shownAt.isValid() ? m_shownAt.elapsed() : -1;
}

void TPopupWindow::pointerMoved(QPoint p) {
    for (auto& it : m_items) {
        if (!it->visible)
            continue;
        const bool inside = it->containsStrictly(p);
        if (inside && !it->hovered) {
            it->hovered = true;
            update(it->rect());
        } else if (!inside && it->hovered) {
            it->hovered = it->pressed = false;
            update(it->rect());
        }
    }
}

void TPopupWindow::pointerPressed(QPoint p) {
    for (int i = 0; i < itemCount(); ++i) {
        TItemsBtn& it = item(i);
        if (!it.visible || !it.placed || !it.contains(p) || it.pressed)
            continue;
        it.pressed = true;
        repaint(it.rect());
        RunCommand(it.command, i);
        return;
    }
}

void TPopupWindow::hoverOnly(int index) {
    for (int i = 0; i < itemCount(); ++i) {
        TItemsBtn& it = item(i);
        const bool on = i == index;
        if (it.hovered != on) {
            it.hovered = on;
            if (!on)
                it.pressed = false;
            update(it.rect());
        }
    }
}

bool TPopupWindow::navigate(int key) {
    QList<int> shown;
    for (int i = 0; i < itemCount(); ++i)
        if (item(i).visible && item(i).placed)
            shown.append(i);
    const int current = shown.indexOf(hoveredItem());
    switch (key) {
    case Qt::Key_Escape:
        Close();
        return true;
    case Qt::Key_Down:
    case Qt::Key_Up:
        if (shown.isEmpty())
            return true;
        if (current < 0)
            hoverOnly(key == Qt::Key_Down ? shown.first() : shown.last());
        else
            hoverOnly(
                shown[(current + (key == Qt::Key_Down ? 1 : shown.size() - 1)) % shown.size()]);
        return true;
    case Qt::Key_Home:
    case Qt::Key_End:
        if (!shown.isEmpty())
            hoverOnly(key == Qt::Key_Home ? shown.first() : shown.last());
        return true;
    case Qt::Key_Return:
    case Qt::Key_Enter:
    case Qt::Key_Space:
        if (current >= 0) {
            const int i = shown[current];
            item(i).pressed = true;
            repaint(item(i).rect());
            RunCommand(item(i).command, i);
        }
        return true;
    default:
        return false;
    }
}

bool TPopupWindow::event(QEvent* e) {
    switch (e->type()) {
    // Activation, focus, the pointer entering or leaving and the wheel
    // change nothing in a popup.
    case QEvent::WindowActivate:
    case QEvent::WindowDeactivate:
    case QEvent::FocusIn:
    case QEvent::FocusOut:
    case QEvent::Enter:
    case QEvent::Leave:
    case QEvent::Wheel:
        return true;
    case QEvent::ToolTip: {
        const auto* help = static_cast<QHelpEvent*>(e);
        const int i = itemAt(help->pos());
        if (i >= 0 && !item(i).hint().isEmpty())
            QToolTip::showText(help->globalPos(), item(i).hint(), this, item(i).rect());
        else
            QToolTip::hideText();
        return true;
    }
    default:
        return QWidget::event(e);
    }
}

void TPopupWindow::paintEvent(QPaintEvent*) {
    QPainter p(this);
    // While sliding in, the picture moves with the edge that comes in.
    if (m_slideShown < 1) {
        const int h = qRound(height() * m_slideShown);
        p.translate(0, m_slideDirection > 0 ? h - height() : height() - h);
    }
    if (m_background.isNull())
        p.fillRect(rect(), kBareColour);
    else
        p.drawImage(QPoint(0, 0), m_background);
    for (const auto& it : m_items)
        if (it->visible && it->placed)
            p.drawImage(it->pos, it->face());
}

void TPopupWindow::mouseMoveEvent(QMouseEvent* e) {
    pointerMoved(e->position().toPoint());
}

void TPopupWindow::mousePressEvent(QMouseEvent* e) {
    pointerPressed(e->position().toPoint());
}
