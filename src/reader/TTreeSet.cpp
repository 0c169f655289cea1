#include "reader/TTreeSet.h"

#include "data/TReadBin.h"
#include "reader/TPanelBkgrd.h"

#include <cstdio>

namespace {

// A tree entry's items; a missing entry gives none, an unreadable one is
// named on stderr.
QList<RTreeItem> readTree(const TReadBin* pack, const QString& name) {
    if (!pack || !pack->has(name))
        return {};
    QByteArray bytes;
    if (pack->readToBuffer(name, bytes) < 0) {
        std::fprintf(stderr, "%s: the entry cannot be read (damaged pack); the tree is empty\n",
                     qUtf8Printable(name));
        return {};
    }
    return TreeDescription::readEntry(bytes, name);
}

} // namespace

TTreeSet::TTreeSet(TPanelBkgrd* panel, const TReadBin* pack, const TTreeHost& host, QObject* parent)
    : QObject(parent) {
    const QString name1 = QLatin1String(kEntry1), name2 = QLatin1String(kEntry2);
    const bool hasSecond = pack && pack->has(name2);
    const QList<RTreeItem> first = readTree(pack, name1);
    const QList<RTreeItem> second = hasSecond ? readTree(pack, name2) : QList<RTreeItem>{};
    build(panel, first, hasSecond, second, host);
}

TTreeSet::TTreeSet(TPanelBkgrd* panel, QList<RTreeItem> first, bool hasSecond,
                   QList<RTreeItem> second, const TTreeHost& host, QObject* parent)
    : QObject(parent) {
    build(panel, std::move(first), hasSecond, std::move(second), host);
}

void TTreeSet::build(TPanelBkgrd* panel, QList<RTreeItem> first, bool hasSecond,
                     QList<RTreeItem> second, const TTreeHost& host) {
    m_tree1 = new TTreeViews(panel, std::move(first), host);
    wire(m_tree1);
    if (hasSecond) {
        m_tree2 = new TTreeViews(panel, std::move(second), host);
        m_tree2->setActive(false);
        wire(m_tree2);
    }
}

void TTreeSet::wire(TTreeViews* tree) {
    connect(tree, &TTreeViews::openPage, this, &TTreeSet::openPage);
    connect(tree, &TTreeViews::chapterHintsChanged, this, &TTreeSet::chapterHintsChanged);
    connect(tree, &TTreeViews::closePopups, this, &TTreeSet::closePopups);
    connect(tree, &TTreeViews::skinMouseMove, this, &TTreeSet::skinMouseMove);
}

TTreeViews* TTreeSet::chosen() const {
    if (m_tree1 && !m_tree1->isHidden())
        return m_tree1;
    if (m_tree2 && !m_tree2->isHidden())
        return m_tree2;
    return m_tree1;
}

void TTreeSet::showTreeOnScreen(int screenIndex, const QString& page) {
    if (m_tree1)
        m_tree1->showTreeOnScreen(screenIndex, page);
    if (m_tree2)
        m_tree2->showTreeOnScreen(screenIndex);
}

bool TTreeSet::selectByPage(const QString& name) {
    TTreeViews* tree = chosen();
    return tree && tree->selectByPage(name);
}

bool TTreeSet::findInTree(const QString& text) {
    TTreeViews* tree = chosen();
    return tree && tree->findInTree(text);
}

void TTreeSet::nextChapter() {
    if (TTreeViews* tree = chosen())
        tree->nextChapter();
}

void TTreeSet::prevChapter() {
    if (TTreeViews* tree = chosen())
        tree->prevChapter();
}

void TTreeSet::updateChapterHints() {
    if (TTreeViews* tree = chosen())
        tree->updateChapterHints();
}

void TTreeSet::choose(TTreeViews* shown, TTreeViews* other) {
    // Hide the other tree first so the panel never lays out two trees.
    if (other)
        other->setActive(false);
    shown->setActive(true);
}

void TTreeSet::verbTree1() {
    if (m_tree2)
        choose(m_tree2, m_tree1);
}

void TTreeSet::verbTree2() {
    if (m_tree1)
        choose(m_tree1, m_tree2);
}

void TTreeSet::setTreeOff(bool off) {
    for (TTreeViews* tree : {m_tree1.data(), m_tree2.data()})
        if (tree && tree->isTurnedOff() != off)
            tree->setTreeOff(off);
}

bool TTreeSet::isTreeOff() const {
    return m_tree1 && m_tree1->isTurnedOff();
}
