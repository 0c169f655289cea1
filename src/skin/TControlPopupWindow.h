#pragma once

#include "data/StructModel.h"
#include "skin/TItemsBtn.h"

#include <QHash>
#include <QList>
#include <QObject>
#include <QPoint>
#include <QPointer>
#include <QRect>

class QWidget;
class TPopupWindow;

// The popups of the current screen of a skinned window: builds them from
// the screen's `_popup` records, shows one by type at a point, closes them
// on a click anywhere else, on the keys of the popup and when the program
// loses the activation, and passes the chosen commands on.
class TControlPopupWindow : public QObject {
    Q_OBJECT
public:
    // Types of the built-in popups; -4 asks for the favourites in delete mode.
    enum Type {
        HistoryBack = -1,
        HistoryForward = -2,
        Favorites = -3,
        DeleteFavorite = -4,
        ContextHtml = -5
    };
    static constexpr int kHistoryItems = 8;
    // The first screen, where popups take the shape of their outline, and the
    // reading screen, where they slide in.
    static constexpr int kShapedScreen = 0;
    static constexpr int kSlidingScreen = 1;

    // `owner`: the window whose client coordinates the records use.
    TControlPopupWindow(const StructModel& model, TItemsBtn::PictureLoader loader, QWidget* owner);
    ~TControlPopupWindow() override;

    static bool declaresPopups(const StructModel& model);

    // The popups of `screen` replace the current ones, unless neither it nor
    // any later screen declares popups (then the current ones stay).
    void BuildPopups(int screen);
    // Opens the popup of `type` at `point` (screen coordinates; the back
    // history list ends there). False when there is no such popup or it has
    // no visible item.
    bool ShowPopup(int type, QPoint point);
    void CloseAllPopups();

    void SetItem(const QString& caption, const QString& command, int index, int type);
    void SetItemVisible(bool visible, int type, int index);
    void AddItem(const QString& caption, const QString& command, int type);

    // The first popup of `type` on the current screen (-4: the favourites).
    TPopupWindow* popup(int type) const;
    const QList<TPopupWindow*>& popups() const { return m_popups; }
    // The popup on screen, or none.
    TPopupWindow* shownPopup() const;
    int screen() const { return m_screen; }

    // Where a popup `size` big asked for at `at` goes so that it stays on the
    // `desktop`.
    static QPoint keptOnDesktop(QPoint at, QSize size, const QRect& desktop);
    // The desktop the popups are kept on (tests may set it).
    std::function<QRect(QPoint)> desktopAt;
    // Whether popups slide in (the desktop's menu animation by default).
    std::function<bool()> animationsOn;

signals:
    // The popups of a new screen exist (their lists are empty).
    void popupsBuilt();
    // An item was chosen (outside delete mode); the popup is closed.
    void commandChosen(const QString& command, int type);
    // Item `index` of the favourites was removed in delete mode.
    void favoriteRemoved(int index);
    void popupShown(int type);

protected:
    bool eventFilter(QObject* watched, QEvent* e) override;

private:
    QImage picture(const QString& name);
    void watch(bool on);
    bool isPopup(const QObject* o) const;
    void freePopups();

    const StructModel& m_model;
    TItemsBtn::PictureLoader m_loader;
    QPointer<QWidget> m_owner;
    QList<TPopupWindow*> m_popups;
    QHash<QString, QImage> m_pictures;
    int m_screen = -1;
    bool m_watching = false;
};
