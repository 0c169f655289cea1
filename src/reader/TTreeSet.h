#pragma once

#include "reader/TTreeViews.h"

#include <QObject>
#include <QPointer>

class TPanelBkgrd;
class TReadBin;

// The two contents trees of the reading panel: the main tree from tree1.cfs
// (always there, empty without the entry) and the optional second tree from
// tree2.cfs (only when the pack holds it). Serves the tree verbs and hands
// the page-following operations to the chosen tree: the main tree when it is
// visible, else the second tree when it is visible, else the main tree.
// Every tree's requests come out of the set's own signals.
class TTreeSet : public QObject {
    Q_OBJECT
public:
    static constexpr const char* kEntry1 = "tree1.cfs";
    static constexpr const char* kEntry2 = "tree2.cfs";

    // Builds the trees from the pack (`pack` may be null: one empty tree).
    TTreeSet(TPanelBkgrd* panel, const TReadBin* pack, const TTreeHost& host,
             QObject* parent = nullptr);
    // The same from items already read (tests, tools); no second tree when
    // `second` is empty and `hasSecond` is false.
    TTreeSet(TPanelBkgrd* panel, QList<RTreeItem> first, bool hasSecond, QList<RTreeItem> second,
             const TTreeHost& host, QObject* parent = nullptr);

    TTreeViews* tree1() const { return m_tree1; }
    TTreeViews* tree2() const { return m_tree2; } // null without tree2.cfs
    TTreeViews* chosen() const;

    // After every screen change; `page` is the page given by the screen
    // command (only the main tree follows it).
    void showTreeOnScreen(int screenIndex, const QString& page = {});
    bool selectByPage(const QString& name);
    bool findInTree(const QString& text);
    void nextChapter();
    void prevChapter();
    void updateChapterHints();
    // Verbs: "tree1" makes the second tree the shown one, "tree2" the main
    // tree; "offtree" / "ontree" turn the trees off and on. The caller hides
    // the current viewer before and shows it again after.
    void verbTree1();
    void verbTree2();
    void setTreeOff(bool off);
    bool isTreeOff() const;

signals:
    void openPage(const QString& page, bool navigate);
    void chapterHintsChanged(const QString& nextHint, const QString& prevHint);
    void closePopups();
    void skinMouseMove(int x, int y);

private:
    void build(TPanelBkgrd* panel, QList<RTreeItem> first, bool hasSecond, QList<RTreeItem> second,
               const TTreeHost& host);
    void wire(TTreeViews* tree);
    void choose(TTreeViews* shown, TTreeViews* other);

    QPointer<TTreeViews> m_tree1;
    QPointer<TTreeViews> m_tree2;
};
