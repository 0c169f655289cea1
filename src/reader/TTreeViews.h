#pragma once

#include "data/TreeDescription.h"

#include <QHash>
#include <QTreeView>

#include <functional>

class TPanelBkgrd;
class TTreeModel;

// What a contents tree asks of its host (the content frame): answers it
// needs at once. Path texts use backslashes.
struct TTreeHost {
    // The path text of the page in the current viewer (no anchor); empty
    // when nothing is shown.
    std::function<QString()> currentPage;
    // A link expanded relative to the current page (a path text).
    std::function<QString(const QString& link)> expandLink;
    // Whether the current viewer is visible.
    std::function<bool()> viewerVisible;
    // The base directory (trailing backslash).
    std::function<QString()> baseDir;
};

// One contents tree at the left of the reading panel. Items are the lines of
// a tree description; selecting one (by mouse or keyboard) opens its page
// through openPage(). Selections made by the program (following the page
// being read, the chapter verbs) never open a page by themselves.
class TTreeViews : public QTreeView {
    Q_OBJECT
public:
    static constexpr int kScreenFirst = 0, kScreenReading = 1;

    // Built hidden, as a tree of `panel` (panel may be null in tests).
    TTreeViews(TPanelBkgrd* panel, QList<RTreeItem> items, TTreeHost host);
    ~TTreeViews() override;

    const QList<RTreeItem>& items() const;
    int itemCount() const;

    // After every screen change. On the reading screen the tree shows (when
    // it is the active tree and not turned off) and a page given by the
    // screen command is selected and opened; on the first screen it hides,
    // goes on standby and is turned on again.
    void showTreeOnScreen(int screenIndex, const QString& screenPage = {});
    // Selects the item of a link (relative to the current page, anchor
    // ignored), or of the current page when `name` is empty or "fromhistory".
    // An empty `name` also opens the page. Returns false when no item
    // matches (nothing changes then).
    bool selectByPage(const QString& name);
    // Opens the remembered page of the selected item unless the current
    // viewer shows it already.
    void openFocusedItem(bool fromTree = false);
    // Selects and opens the next item (after the focused one, wrapping
    // around) whose caption contains `text`, ignoring case.
    bool findInTree(const QString& text);
    // Focus the next / previous item with a page other than the focused
    // item's (headings and other anchors of the same page are passed over),
    // then open it. Without a focused item the first item is taken.
    void nextChapter();
    void prevChapter();
    // Recomputes the hints of the chapter buttons and emits
    // chapterHintsChanged().
    void updateChapterHints();
    // The hint texts updateChapterHints() would give now.
    QString nextChapterHint() const;
    QString prevChapterHint() const;
    // offtree / ontree.
    void setTreeOff(bool off);

    bool isTurnedOff() const { return m_turnedOff; }
    bool isStandby() const { return m_standby; }
    // The tree chosen by the tree1 / tree2 verbs (only it shows).
    bool isActive() const { return m_active; }
    void setActive(bool active);

    // The focused item (-1 when none) and the page remembered for it.
    int focusedItem() const;
    const QString& rememberedPage() const { return m_rememberedPage; }
    // Focuses and selects an item without opening its page.
    void focusItem(int item);
    // The item a lower-cased file name belongs to first, or -1.
    int itemOfFileName(const QString& fileName) const;

signals:
    // Open a page: the host Navigates the current viewer when `navigate`
    // (the viewer is visible), else shows it in HTML element 20.
    void openPage(const QString& page, bool navigate);
    void chapterHintsChanged(const QString& nextHint, const QString& prevHint);
    // A mouse press in the tree: every open popup closes.
    void closePopups();
    // Mouse movement over the tree, passed to the skin as (-1, -1).
    void skinMouseMove(int x, int y);

protected:
    void currentChanged(const QModelIndex& current, const QModelIndex& previous) override;
    void selectionChanged(const QItemSelection& selected,
                          const QItemSelection& deselected) override;
    bool viewportEvent(QEvent* e) override;
    // No tree lines and no expand buttons: every item is always open.
    void drawBranches(QPainter*, const QRect&, const QModelIndex&) const override {}

private:
    int chapterFrom(int from, int step) const;
    QString hintFor(int item, const QString& none) const;
    void scrollToItem(int item);
    void applyVisibility();
    QString currentFileName() const;

    TTreeModel* m_model;
    TTreeHost m_host;
    QHash<QString, int> m_byFileName; // lower-cased file name -> first item
    QString m_rememberedPage;
    bool m_turnedOff = false;
    bool m_standby = false;
    bool m_active = true;
    bool m_onReadingScreen = false;
    bool m_programmatic = false;
};
