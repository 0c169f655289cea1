#pragma once

#include "data/StructModel.h"
#include "skin/TItemsBtn.h"

#include <QElapsedTimer>
#include <QImage>
#include <QPolygon>
#include <QWidget>

#include <memory>
#include <vector>

class QVariantAnimation;

// One popup of the skin: a borderless tool window that never takes the
// focus, painted from the pack's background picture, holding a column of
// items (TItemsBtn). A click on an item runs its command and closes the
// popup; in delete mode it removes the item instead and stays open.
class TPopupWindow : public QWidget {
    Q_OBJECT
public:
    // `record`: the index of `data` among the popups of its screen.
    TPopupWindow(const RPopupData& data, int record, TItemsBtn::PictureLoader loader,
                 QWidget* owner = nullptr);
    ~TPopupWindow() override;

    int record() const { return m_record; }
    int type() const { return m_data.type; }
    const RPopupData& data() const { return m_data; }
    // The description gives an outline of more than one point.
    bool shaped() const { return m_outline.size() > 1; }
    const QPolygon& outline() const { return m_outline; }
    const QImage& background() const { return m_background; }
    int margin() const { return m_data.ybtn == -1 ? 5 : m_data.ybtn; }

    bool deleteMode() const { return m_deleteMode; }
    void setDeleteMode(bool on) { m_deleteMode = on; }

    int itemCount() const { return int(m_items.size()); }
    TItemsBtn& item(int i) { return *m_items.at(size_t(i)); }
    const TItemsBtn& item(int i) const { return *m_items.at(size_t(i)); }
    int visibleItemCount() const;
    // The visible item at `p` (popup coordinates, left and top edges
    // included), or -1.
    int itemAt(QPoint p) const;
    // The item with the hover look, or -1.
    int hoveredItem() const;

    // n items, every one empty and hidden.
    void SetItemCount(int n);
    // A visible item at the end.
    void AddItem(const QString& caption, const QString& command);
    // Caption and command of item `index` (its visibility stays).
    void SetItem(const QString& caption, const QString& command, int index);
    void SetItemVisible(bool visible, int index);
    // The items after `i` move up; the popup closes when none is left.
    void RemoveItem(int i);
    // Places the visible items in a column and fits the height to them.
    void Arrange();
    // What a click on item `index` does: in delete mode the item goes
    // (itemRemoved), otherwise the popup closes and commandChosen follows
    // from the event loop.
    void RunCommand(const QString& command, int index);
    // Hides the popup; items keep their captions and commands.
    void Close();

    // Shows the popup with its top-left corner at `at` (screen coordinates),
    // above every window, without taking the focus. `slide`: 0 none, 1 in
    // downwards, -1 upwards (100 ms). `applyOutline`: the window takes the
    // shape of its outline.
    void showAt(QPoint at, int slide = 0, bool applyOutline = false);
    bool isShowing() const { return isVisible(); }
    // Milliseconds since the popup was last shown; -1 when never.
    qint64 sinceShown() const;

    // The mouse as the items see it, in popup coordinates.
    void pointerMoved(QPoint p);
    void pointerPressed(QPoint p);
    // Up, Down, Home, End move the hover look; Return, Enter and Space press
    // the hovered item; Escape closes. True when the key was taken.
    bool navigate(int key);

signals:
    void commandChosen(const QString& command, int index);
    void itemRemoved(int index);
    void closed();

protected:
    bool event(QEvent* e) override;
    void paintEvent(QPaintEvent* e) override;
    void mouseMoveEvent(QMouseEvent* e) override;
    void mousePressEvent(QMouseEvent* e) override;

private:
    void resizeBackground(int height);
    int itemsLeft(const TItemsBtn& item) const;
    void hoverOnly(int index);
    void setSlide(qreal shown);

    RPopupData m_data;
    int m_record = 0;
    TItemsBtn::PictureLoader m_loader;
    QImage m_background;
    std::vector<std::unique_ptr<TItemsBtn>> m_items;
    QPolygon m_outline;
    bool m_deleteMode = false;
    QElapsedTimer m_shownAt;
    QVariantAnimation* m_slide = nullptr;
    int m_slideDirection = 0;
    qreal m_slideShown = 1;
};
