#include "app/TStandardLook.h"

#include "app/TMainForm.h"
#include "app/TReadingScreen.h"
#include "engine/TFrameViewer.h"
#include "engine/THTMLViewer.h"
#include "engine/TLinkPath.h"
#include "reader/THistoryLists.h"
#include "reader/THtmlFrame.h"
#include "skin/TPathInputBox.h"

#include <QApplication>
#include <QGuiApplication>
#include <QMenu>
#include <QPainter>
#include <QScreen>
#include <QStatusBar>
#include <QStyle>
#include <QToolBar>
#include <QToolButton>

namespace {

// The toolbar's pictures, 20 x 20: back and forward arrows, a printer and a
// small window (the way back to the skinned look).
QIcon toolIcon(int index) {
    QPixmap pm(20, 20);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(QColor(40, 58, 82), 1.5));
    p.setBrush(QColor(220, 184, 108));
    switch (index) {
    case 0: // back
        p.drawPolygon(QPolygonF({QPointF(3, 10), QPointF(11, 3), QPointF(11, 7), QPointF(17, 7),
                                 QPointF(17, 13), QPointF(11, 13), QPointF(11, 17)}));
        break;
    case 1: // forward
        p.drawPolygon(QPolygonF({QPointF(17, 10), QPointF(9, 3), QPointF(9, 7), QPointF(3, 7),
                                 QPointF(3, 13), QPointF(9, 13), QPointF(9, 17)}));
        break;
    case 2: // printer
        p.setBrush(Qt::white);
        p.drawRect(QRectF(6, 2.5, 8, 6));
        p.setBrush(QColor(170, 180, 190));
        p.drawRoundedRect(QRectF(2.5, 8, 15, 7), 1.5, 1.5);
        p.setBrush(Qt::white);
        p.drawRect(QRectF(6, 12.5, 8, 5));
        break;
    default: // back to the skinned window
        p.setBrush(Qt::white);
        p.drawRect(QRectF(2.5, 4.5, 15, 11));
        p.setBrush(QColor(40, 58, 82));
        p.drawRect(QRectF(2.5, 4.5, 15, 3));
        break;
    }
    return QIcon(pm);
}

} // namespace

TStandardLook::TStandardLook(TMainForm& window, TReadingScreen& reading)
    : QObject(&window), m_window(window), m_reading(reading) {
    connect(&reading, &TReadingScreen::historyChanged, this, [this] {
        if (m_active)
            refreshHistory();
    });
    window.claimVerb(Verb::StandartWin, [this](const RCommand&) {
        THtmlFrame* frame = m_reading.frame();
        TFrameViewer* viewer = frame ? frame->CurrentViewer() : nullptr;
        if (!m_active && viewer && viewer->isVisible())
            enter(viewer->currentFile(), false, false);
    });
    window.installEventFilter(this);
}

bool TStandardLook::eventFilter(QObject* watched, QEvent* e) {
    if (watched == &m_window && e->type() == QEvent::Resize && m_active && m_toolBar)
        m_toolBar->setGeometry(0, 0, m_window.width(), m_toolBar->sizeHint().height());
    return QObject::eventFilter(watched, e);
}

QToolButton* TStandardLook::button(int index) const {
    return index >= 0 && index < m_buttons.size() ? m_buttons[index] : nullptr;
}

void TStandardLook::build() {
    m_toolBar = new QToolBar(&m_window);
    m_toolBar->setIconSize(QSize(20, 20));
    m_toolBar->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    m_toolBar->setMovable(false);
    m_toolBar->setFloatable(false);

    // Seven items each: the Back menu holds items 0..6, the Forward menu
    // items 7..13 (tags are history entries).
    m_backMenu = new QMenu(m_toolBar);
    m_forwardMenu = new QMenu(m_toolBar);
    for (int i = 0; i < 2 * kMenuItems; ++i) {
        QMenu* menu = i < kMenuItems ? m_backMenu : m_forwardMenu;
        QAction* item = menu->addAction(QString());
        item->setVisible(false);
        connect(item, &QAction::triggered, this, [this, item] {
            if (THtmlFrame* frame = m_reading.frame())
                frame->SetHistoryIndex(item->data().toInt());
        });
    }

    const auto addButton = [this](const QString& text, const QString& hint, int image) {
        auto* b = new QToolButton(m_toolBar);
        b->setText(text);
        b->setToolTip(hint);
        b->setIcon(toolIcon(image));
        b->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
        b->setAutoRaise(true);
        m_toolBar->addWidget(b);
        m_buttons.append(b);
        return b;
    };
    QToolButton* back = addButton(QString(), QStringLiteral("Перемещение назад на одну ссылку"), 0);
    back->setMenu(m_backMenu);
    back->setPopupMode(QToolButton::MenuButtonPopup);
    connect(back, &QToolButton::clicked, this,
            [this] { m_window.Dispatch(QStringLiteral("back"), {}, true, FromButton, 0); });
    QToolButton* fwd = addButton(QString(), QStringLiteral("Перемещение вперед на одну ссылку"), 1);
    fwd->setMenu(m_forwardMenu);
    fwd->setPopupMode(QToolButton::MenuButtonPopup);
    connect(fwd, &QToolButton::clicked, this,
            [this] { m_window.Dispatch(QStringLiteral("forward"), {}, true, FromButton, 0); });
    QAction* divider = m_toolBar->addSeparator();
    QToolButton* print =
        addButton(QStringLiteral("Печать"), QStringLiteral("Напечатать текущий файл"), 2);
    connect(print, &QToolButton::clicked, this, [this] {
        if (THtmlFrame* frame = m_reading.frame())
            frame->PrintPage();
    });
    QToolButton* fold =
        addButton(QStringLiteral("Свернуть"), QStringLiteral("Вернуться к красивому окошку"), 3);
    connect(fold, &QToolButton::clicked, this, [this] { leave(); });
    // The history buttons and the divider are kept but not shown.
    for (QAction* a : m_toolBar->actions())
        if (a == divider || m_toolBar->widgetForAction(a) == back ||
            m_toolBar->widgetForAction(a) == fwd)
            a->setVisible(false);
    if (m_commandLine)
        for (QAction* a : m_toolBar->actions())
            if (m_toolBar->widgetForAction(a) == fold)
                a->setVisible(false);

    m_statusBar = new QStatusBar(&m_window);
    m_statusBar->hide();
    if (THtmlFrame* frame = m_reading.frame())
        connect(frame, &THtmlFrame::statusText, m_statusBar,
                [this](const QString& text) { m_statusBar->showMessage(text); });
}

QSize TStandardLook::sizeFor(const QString& document, QSize lastPicture) {
    const QString name = linkpath::fileNameOf(document).toLower();
    if (name == QLatin1String("scheme.bmp") || name == QLatin1String("scheme_lux.bmp"))
        return QSize(780, 550);
    const QString ext = linkpath::extensionOf(name);
    for (const char* picture : {".bmp", ".gif", ".jpg", ".jpeg"})
        if (ext == QLatin1String(picture) && lastPicture.isValid() && !lastPicture.isEmpty())
            return lastPicture + QSize(45, 90);
    return QSize();
}

void TStandardLook::placeWindow(const QString& document) {
    THtmlFrame* frame = m_reading.frame();
    TFrameViewer* viewer = frame ? frame->CurrentViewer() : nullptr;
    THTMLViewer* active = viewer ? viewer->activeViewer() : nullptr;
    const QSize size = sizeFor(document, active ? active->lastPictureSize() : QSize());
    if (!size.isValid())
        return;
    const QRect work = m_window.screen() ? m_window.screen()->availableGeometry() : QRect();
    QPoint at(40, 30);
    if (work.isValid()) {
        if (at.x() + size.width() > work.right())
            at.setX(0);
        if (at.y() + size.height() > work.bottom())
            at.setY(0);
        at += work.topLeft();
    }
    m_window.resize(size);
    m_window.move(at);
}

void TStandardLook::enter(const QString& document, bool commandLine, bool help) {
    m_commandLine = commandLine;
    m_help = help;
    m_window.setDocumentPath(document);
    if (TPathInputBox* boxes = m_window.pathBoxes())
        boxes->setHidden(true);
    m_skinRegion = m_window.mask();
    m_window.clearMask();
    QPalette pal = m_window.palette();
    pal.setColor(QPalette::Window, QApplication::palette().color(QPalette::Button));
    m_window.setPalette(pal);
    m_window.setAttribute(Qt::WA_OpaquePaintEvent, false);
    const bool wasVisible = m_window.isVisible();
    m_window.setWindowFlags(Qt::Window);
    m_window.setMinimumSize(200, 150);
    m_window.setMaximumSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX);
    if (!m_toolBar)
        build();
    m_toolBar->show();
    m_toolBar->setGeometry(0, 0, m_window.width(), m_toolBar->sizeHint().height());
    m_window.setContentsMargins(0, m_toolBar->sizeHint().height(), 0, 0);
    m_active = true;
    if (THtmlFrame* frame = m_reading.frame())
        frame->FillClient();
    refreshHistory();
    if (commandLine) {
        m_window.resize(800, 600);
        placeWindow(document);
        m_window.show();
    } else if (wasVisible) {
        m_window.showMaximized();
    }
}

void TStandardLook::leave() {
    if (!m_active || m_commandLine)
        return;
    m_active = false;
    m_toolBar->hide();
    m_statusBar->hide();
    m_window.setContentsMargins(0, 0, 0, 0);
    QPalette pal = m_window.palette();
    pal.setColor(QPalette::Window, Qt::white);
    m_window.setPalette(pal);
    m_window.setAttribute(Qt::WA_OpaquePaintEvent, true);
    m_window.setWindowFlags(Qt::Window | Qt::FramelessWindowHint);
    m_window.showNormal();
    m_window.restoreSkinnedLook();
    if (!m_skinRegion.isEmpty())
        m_window.setMask(m_skinRegion);
    if (THtmlFrame* frame = m_reading.frame())
        frame->RestoreBounds();
    if (TPathInputBox* boxes = m_window.pathBoxes())
        boxes->setHidden(false);
    // The skinned window carries the book's title again: other copies look
    // for picture windows by their caption.
    m_window.setWindowTitle(m_window.title());
    QGuiApplication::setApplicationName(m_window.title());
}

void TStandardLook::refreshHistory() {
    if (!m_toolBar)
        return;
    THtmlFrame* frame = m_reading.frame();
    TFrameViewer* viewer = frame ? frame->CurrentViewer() : nullptr;
    RHistory h;
    if (viewer) {
        h.files = viewer->history();
        h.titles = viewer->titleHistory();
        h.index = viewer->historyIndex();
    }
    m_buttons[0]->setEnabled(viewer && viewer->backButtonEnabled());
    m_buttons[1]->setEnabled(viewer && viewer->fwdButtonEnabled());
    const QList<RHistoryItem> back = THistoryLists::backMenu(h);
    const QList<RHistoryItem> forward = THistoryLists::forwardMenu(h);
    const QList<QAction*> backItems = m_backMenu->actions();
    const QList<QAction*> forwardItems = m_forwardMenu->actions();
    for (int i = 0; i < kMenuItems; ++i) {
        for (const auto& [items, actions] :
             {std::pair{&back, &backItems}, std::pair{&forward, &forwardItems}}) {
            QAction* a = actions->value(i);
            const RHistoryItem item = items->value(i);
            if (!a)
                continue;
            a->setText(item.caption);
            a->setData(item.entry);
            a->setVisible(item.visible);
        }
    }
    const QString caption = m_help ? kHelpCaption : kPictureCaption;
    m_window.setWindowTitle(caption);
    QGuiApplication::setApplicationName(caption);
}
