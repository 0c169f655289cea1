#include "skin/TControlPopupWindow.h"

#include "skin/TPopupWindow.h"

#include <QApplication>
#include <QCursor>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QScreen>
#include <QWidget>

TControlPopupWindow::TControlPopupWindow(const StructModel& model, TItemsBtn::PictureLoader loader,
                                         QWidget* owner)
    : QObject(owner), m_model(model), m_loader(std::move(loader)), m_owner(owner) {
    desktopAt = [](QPoint p) {
        QScreen* screen = QGuiApplication::screenAt(p);
        if (!screen)
            screen = QGuiApplication::primaryScreen();
        return screen ? screen->availableGeometry() : QRect();
    };
    animationsOn = [] { return QApplication::isEffectEnabled(Qt::UI_AnimateMenu); };
    // Another program takes the activation: no popup stays over it.
    connect(qApp, &QGuiApplication::applicationStateChanged, this,
            [this](Qt::ApplicationState state) {
                if (state != Qt::ApplicationActive)
                    CloseAllPopups();
            });
}

TControlPopupWindow::~TControlPopupWindow() {
    watch(false);
    qDeleteAll(m_popups);
}

bool TControlPopupWindow::declaresPopups(const StructModel& model) {
    for (const RScreen& s : model.screens)
        if (!s.popups.isEmpty())
            return true;
    return false;
}

QImage TControlPopupWindow::picture(const QString& name) {
    if (name.isEmpty() || !m_loader)
        return QImage();
    const auto found = m_pictures.constFind(name);
    if (found != m_pictures.constEnd())
        return *found;
    const QImage image = m_loader(name);
    m_pictures.insert(name, image);
    return image;
}

void TControlPopupWindow::freePopups() {
    // A popup may be the one whose item asked for the new screen: it goes
    // once its event is over.
    for (TPopupWindow* p : std::as_const(m_popups)) {
        p->disconnect(this);
        p->Close();
        p->deleteLater();
    }
    m_popups.clear();
    watch(false);
}

void TControlPopupWindow::BuildPopups(int screen) {
    const int previous = m_screen;
    m_screen = screen;
    bool ahead = false;
    for (int s = qMax(0, screen); s < m_model.screens.size(); ++s)
        ahead = ahead || !m_model.screens[s].popups.isEmpty();
    if (!ahead && previous >= 0)
        return;
    freePopups();
    m_pictures.clear();
    if (screen < 0 || screen >= m_model.screens.size()) {
        emit popupsBuilt();
        return;
    }
    const TItemsBtn::PictureLoader load = [this](const QString& name) { return picture(name); };
    const TDynamicPopupArray& records = m_model.screens[screen].popups;
    for (int i = 0; i < records.size(); ++i) {
        const RPopupData& data = records[i];
        auto* p = new TPopupWindow(data, i, load, m_owner);
        if (data.type == HistoryBack || data.type == HistoryForward)
            p->SetItemCount(kHistoryItems);
        else if (data.type != Favorites)
            for (int k = 0; k < data.caption.size(); ++k)
                p->AddItem(data.caption[k], k < data.go.size() ? data.go[k] : QString());
        p->Arrange();
        connect(p, &TPopupWindow::commandChosen, this,
                [this, p](const QString& command, int) { emit commandChosen(command, p->type()); });
        connect(p, &TPopupWindow::itemRemoved, this, [this, p](int index) {
            if (p->type() == Favorites)
                emit favoriteRemoved(index);
        });
        connect(p, &TPopupWindow::closed, this, [this] {
            if (!shownPopup())
                watch(false);
        });
        m_popups.append(p);
    }
    emit popupsBuilt();
}

TPopupWindow* TControlPopupWindow::popup(int type) const {
    if (type == DeleteFavorite)
        type = Favorites;
    for (TPopupWindow* p : m_popups)
        if (p->type() == type)
            return p;
    return nullptr;
}

TPopupWindow* TControlPopupWindow::shownPopup() const {
    for (TPopupWindow* p : m_popups)
        if (p->isShowing())
            return p;
    return nullptr;
}

QPoint TControlPopupWindow::keptOnDesktop(QPoint at, QSize size, const QRect& desktop) {
    if (desktop.isEmpty())
        return at;
    int x = at.x(), y = at.y();
    if (y + size.height() > desktop.bottom() + 1)
        y = desktop.bottom() + 1 - size.height();
    if (x + size.width() > desktop.right() + 1)
        x = desktop.right() + 1 - size.width();
    return QPoint(qMax(x, desktop.left()), qMax(y, desktop.top()));
}

bool TControlPopupWindow::ShowPopup(int type, QPoint point) {
    TPopupWindow* p = popup(type);
    if (!p || p->visibleItemCount() == 0)
        return false;
    for (TPopupWindow* other : std::as_const(m_popups))
        if (other != p)
            other->Close();
    if (type == HistoryBack)
        point.rx() -= p->width();
    p->setDeleteMode(type == DeleteFavorite);
    // A record that gives the place puts the popup there, in the window's
    // client coordinates.
    const RPopupData& data = p->data();
    if (m_owner && (data.xfon != -1 || data.yfon != -1)) {
        const QPoint fixed = m_owner->mapToGlobal(QPoint(data.xfon, data.yfon));
        if (data.xfon != -1)
            point.setX(fixed.x());
        if (data.yfon != -1)
            point.setY(fixed.y());
    }
    point = keptOnDesktop(point, p->size(), desktopAt ? desktopAt(point) : QRect());
    int slide = 0;
    const qint64 since = p->sinceShown();
    if (m_screen == kSlidingScreen && (since < 0 || since > 250) && animationsOn && animationsOn())
        slide = QCursor::pos().y() <= point.y() ? 1 : -1;
    watch(true);
    p->showAt(point, slide, m_screen == kShapedScreen);
    emit popupShown(type);
    return true;
}

void TControlPopupWindow::CloseAllPopups() {
    for (TPopupWindow* p : std::as_const(m_popups))
        p->Close();
    watch(false);
}

void TControlPopupWindow::SetItem(const QString& caption, const QString& command, int index,
                                  int type) {
    if (TPopupWindow* p = popup(type))
        p->SetItem(caption, command, index);
}

void TControlPopupWindow::SetItemVisible(bool visible, int type, int index) {
    if (TPopupWindow* p = popup(type))
        p->SetItemVisible(visible, index);
}

void TControlPopupWindow::AddItem(const QString& caption, const QString& command, int type) {
    if (TPopupWindow* p = popup(type))
        p->AddItem(caption, command);
}

void TControlPopupWindow::watch(bool on) {
    if (on == m_watching || !qApp)
        return;
    m_watching = on;
    if (on)
        qApp->installEventFilter(this);
    else
        qApp->removeEventFilter(this);
}

bool TControlPopupWindow::isPopup(const QObject* o) const {
    if (!o || !o->isWidgetType())
        return false;
    const QWidget* window = static_cast<const QWidget*>(o)->window();
    for (const TPopupWindow* p : m_popups)
        if (p == window)
            return true;
    return false;
}

bool TControlPopupWindow::eventFilter(QObject* watched, QEvent* e) {
    switch (e->type()) {
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonDblClick:
    case QEvent::NonClientAreaMouseButtonPress:
        // A press anywhere but in a popup closes them.
        if (watched->isWidgetType() && !isPopup(watched))
            CloseAllPopups();
        break;
    case QEvent::KeyPress:
        if (TPopupWindow* p = shownPopup())
            if (p->navigate(static_cast<QKeyEvent*>(e)->key()))
                return true;
        break;
    case QEvent::Show:
        // Another window of the program opens.
        if (watched->isWidgetType() && !isPopup(watched)) {
            const auto* w = static_cast<const QWidget*>(watched);
            const Qt::WindowType kind = w->windowType();
            if (w->isWindow() && (kind == Qt::Window || kind == Qt::Dialog))
                CloseAllPopups();
        }
        break;
    default:
        break;
    }
    return QObject::eventFilter(watched, e);
}
