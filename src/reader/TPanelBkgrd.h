#pragma once

#include <QList>
#include <QPointer>
#include <QWidget>

// The white panel of the reading screen: a contents tree at its left, a
// splitter one pixel right of the tree, and the page pane filling the rest.
// Hidden until the reading screen shows it; it never erases its background
// (the tree and the pane cover it). Only the first visible tree takes room;
// with no visible tree the splitter hides and the pane fills the panel.
class TPanelBkgrd : public QWidget {
    Q_OBJECT
public:
    static constexpr int kLeft = 33, kTop = 90, kWidth = 673, kHeight = 421;
    static constexpr int kTreeWidth = 165, kMinTreeWidth = 30, kSplitterWidth = 3;

    explicit TPanelBkgrd(QWidget* parent = nullptr);

    // A tree of the panel (made its child). Trees keep their width between
    // layouts; dragging the splitter changes the width of the visible tree.
    void addTree(QWidget* tree);
    // The page pane (made the panel's child); it fills the room right of the
    // splitter. Giving the pane to another parent takes it out of the panel.
    void setPane(QWidget* pane);
    QWidget* pane() const;
    QWidget* splitter() const { return m_splitter; }
    // Places the visible tree, the splitter and the pane again (after a tree
    // is shown or hidden).
    void relayout();

protected:
    void resizeEvent(QResizeEvent* e) override;
    void childEvent(QChildEvent* e) override;
    bool eventFilter(QObject* watched, QEvent* e) override;

private:
    QWidget* visibleTree() const;

    QList<QPointer<QWidget>> m_trees;
    QPointer<QWidget> m_pane;
    QWidget* m_splitter;
    int m_dragOffset = -1;
};
