#include "reader/TPanelBkgrd.h"

#include <QChildEvent>
#include <QMouseEvent>

TPanelBkgrd::TPanelBkgrd(QWidget* parent) : QWidget(parent) {
    setGeometry(kLeft, kTop, kWidth, kHeight);
    setAttribute(Qt::WA_NoSystemBackground);
    QPalette pal = palette();
    pal.setColor(QPalette::Window, Qt::white);
    setPalette(pal);
    m_splitter = new QWidget(this);
    m_splitter->setAutoFillBackground(true);
    QPalette sp = m_splitter->palette();
    sp.setColor(QPalette::Window, QColor(128, 141, 142));
    m_splitter->setPalette(sp);
    m_splitter->setCursor(Qt::SplitHCursor);
    m_splitter->installEventFilter(this);
    m_splitter->hide();
    hide();
}

void TPanelBkgrd::addTree(QWidget* tree) {
    if (!tree)
        return;
    tree->setParent(this);
    if (tree->width() < kMinTreeWidth)
        tree->resize(kTreeWidth, height());
    tree->installEventFilter(this);
    m_trees.append(tree);
    relayout();
}

void TPanelBkgrd::setPane(QWidget* pane) {
    m_pane = pane;
    if (pane && pane->parentWidget() != this)
        pane->setParent(this);
    relayout();
}

QWidget* TPanelBkgrd::pane() const {
    return m_pane && m_pane->parentWidget() == this ? m_pane.data() : nullptr;
}

QWidget* TPanelBkgrd::visibleTree() const {
    for (const QPointer<QWidget>& t : m_trees)
        if (t && t->parentWidget() == this && !t->isHidden())
            return t;
    return nullptr;
}

void TPanelBkgrd::relayout() {
    int left = 0;
    if (QWidget* tree = visibleTree()) {
        const int w = qBound(kMinTreeWidth, tree->width(), qMax(kMinTreeWidth, width() - 60));
        tree->setGeometry(0, 0, w, height());
        m_splitter->setGeometry(w + 1, 0, kSplitterWidth, height());
        m_splitter->show();
        m_splitter->raise();
        left = w + 1 + kSplitterWidth;
    } else {
        m_splitter->hide();
    }
    if (QWidget* p = pane())
        p->setGeometry(left, 0, qMax(0, width() - left), height());
}

void TPanelBkgrd::resizeEvent(QResizeEvent*) {
    relayout();
}

void TPanelBkgrd::childEvent(QChildEvent* e) {
    QWidget::childEvent(e);
    if (e->type() == QEvent::ChildRemoved)
        relayout();
}

bool TPanelBkgrd::eventFilter(QObject* watched, QEvent* e) {
    if (watched == m_splitter) {
        switch (e->type()) {
        case QEvent::MouseButtonPress:
            m_dragOffset = static_cast<QMouseEvent*>(e)->position().toPoint().x();
            return true;
        case QEvent::MouseMove:
            if (m_dragOffset >= 0) {
                if (QWidget* tree = visibleTree()) {
                    const int x = mapFromGlobal(
                                      static_cast<QMouseEvent*>(e)->globalPosition().toPoint())
                                      .x();
                    tree->resize(qMax(kMinTreeWidth, x - m_dragOffset - 1), height());
                    relayout();
                }
            }
            return true;
        case QEvent::MouseButtonRelease:
            m_dragOffset = -1;
            return true;
        default:
            break;
        }
    } else if (e->type() == QEvent::Show || e->type() == QEvent::Hide) {
        // A tree was shown or hidden: the pane takes or gives back its room.
        relayout();
    }
    return QWidget::eventFilter(watched, e);
}
