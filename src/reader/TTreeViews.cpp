#include "reader/TTreeViews.h"

#include "data/BookPaths.h"
#include "engine/TLinkPath.h"
#include "reader/TPanelBkgrd.h"
#include "reader/TTreeModel.h"

#include <QEvent>
#include <QHeaderView>
#include <QScopedValueRollback>

namespace {

// The file name of a link or page path, cut at its first '#'.
QString fileNameBeforeAnchor(const QString& path) {
    return linkpath::fileNameOf(path).trimmed();
}

} // namespace

TTreeViews::TTreeViews(TPanelBkgrd* panel, QList<RTreeItem> items, TTreeHost host)
    : m_host(std::move(host)) {
    m_model = new TTreeModel(std::move(items), this);
    const QList<RTreeItem>& all = m_model->items();
    m_byFileName.reserve(all.size());
    // Backwards, so the first item of a page is the one that stays.
    for (qsizetype i = all.size() - 1; i >= 0; --i) {
        const QString key = TreeDescription::fileNameOf(all[i].page).trimmed().toLower();
        if (!key.isEmpty())
            m_byFileName.insert(key, int(i));
    }

    setHeaderHidden(true);
    setUniformRowHeights(true);
    setRootIsDecorated(false);
    setItemsExpandable(false);
    setExpandsOnDoubleClick(false);
    setFrameShape(QFrame::NoFrame);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setMinimumWidth(TPanelBkgrd::kMinTreeWidth);
    setGeometry(0, 0, TPanelBkgrd::kTreeWidth, TPanelBkgrd::kHeight);
    QPalette pal = palette();
    pal.setColor(QPalette::Active, QPalette::Highlight, QColor(128, 141, 142));
    pal.setColor(QPalette::Active, QPalette::HighlightedText, Qt::white);
    setPalette(pal);
    viewport()->setMouseTracking(true);
    setModel(m_model);
    expandAll();

    if (panel)
        panel->addTree(this);
    hide();
}

TTreeViews::~TTreeViews() = default;

const QList<RTreeItem>& TTreeViews::items() const {
    return m_model->items();
}

int TTreeViews::itemCount() const {
    return m_model->count();
}

int TTreeViews::focusedItem() const {
    return TTreeModel::itemOf(currentIndex());
}

int TTreeViews::itemOfFileName(const QString& fileName) const {
    return m_byFileName.value(fileName, -1);
}

void TTreeViews::focusItem(int item) {
    const QModelIndex index = m_model->indexOf(item);
    if (!index.isValid())
        return;
    QScopedValueRollback<bool> programmatic(m_programmatic, true);
    selectionModel()->setCurrentIndex(index, QItemSelectionModel::ClearAndSelect |
                                                 QItemSelectionModel::Rows);
    m_rememberedPage = items()[item].page;
}

void TTreeViews::scrollToItem(int item) {
    const QModelIndex index = m_model->indexOf(item);
    if (index.isValid())
        scrollTo(index, QAbstractItemView::EnsureVisible);
}

QString TTreeViews::currentFileName() const {
    return fileNameBeforeAnchor(m_host.currentPage ? m_host.currentPage() : QString());
}

void TTreeViews::applyVisibility() {
    m_standby = !(m_onReadingScreen && m_active);
    setVisible(!m_standby && !m_turnedOff);
    if (auto* panel = qobject_cast<TPanelBkgrd*>(parentWidget()))
        panel->relayout();
}

void TTreeViews::setActive(bool active) {
    m_active = active;
    applyVisibility();
}

void TTreeViews::showTreeOnScreen(int screenIndex, const QString& screenPage) {
    if (screenIndex == kScreenReading) {
        m_onReadingScreen = true;
        if (parentWidget())
            parentWidget()->show();
        applyVisibility();
    } else if (screenIndex == kScreenFirst) {
        m_onReadingScreen = false;
        m_turnedOff = false;
        applyVisibility();
        if (parentWidget())
            parentWidget()->hide();
    }
    if (isHidden() || !m_onReadingScreen || screenPage.trimmed().isEmpty())
        return;
    const QString file = TreeDescription::fileNameOf(screenPage.trimmed()).toLower();
    const int item = itemOfFileName(file);
    if (item >= 0) {
        focusItem(item);
        openFocusedItem(false);
        scrollToItem(item);
    } else if (file.contains(u'#')) {
        const int heading = itemOfFileName(file.first(file.indexOf(u'#')));
        if (heading >= 0)
            findInTree(items()[heading].caption);
    }
}

bool TTreeViews::selectByPage(const QString& name) {
    const QString link = name.trimmed();
    QString file;
    if (!link.isEmpty() && link.compare(QLatin1String("fromhistory"), Qt::CaseInsensitive) != 0)
        file = fileNameBeforeAnchor(m_host.expandLink ? m_host.expandLink(link) : link);
    else
        file = currentFileName();
    if (file.isEmpty())
        return false;
    const int item = itemOfFileName(file.toLower());
    if (item < 0)
        return false;
    int top = item;
    while (items()[top].parent >= 0)
        top = items()[top].parent;
    focusItem(item);
    // The chapter first, then the item itself, so the item stays in view.
    scrollToItem(top);
    scrollToItem(item);
    if (link.isEmpty())
        openFocusedItem(false);
    return true;
}

void TTreeViews::openFocusedItem(bool fromTree) {
    const QString page = m_rememberedPage.trimmed();
    if (!page.isEmpty() && currentFileName().compare(page, Qt::CaseInsensitive) != 0) {
        // A bare file name (or a relative path) is taken from the base
        // directory; a path with a drive stays as written.
        const QString target =
            page.contains(QLatin1String(":\\"))
                ? page
                : BookPaths::joinPath(m_host.baseDir ? m_host.baseDir() : QString(), page);
        emit openPage(target, m_host.viewerVisible && m_host.viewerVisible());
    }
    if (fromTree && isVisible() && isEnabled() && focusPolicy() != Qt::NoFocus &&
        currentIndex().isValid())
        scrollTo(currentIndex(), QAbstractItemView::EnsureVisible);
}

bool TTreeViews::findInTree(const QString& text) {
    const int n = itemCount();
    if (text.isEmpty() || n == 0)
        return false;
    const int start = focusedItem() + 1; // 0 when nothing is focused
    for (int k = 0; k < n; ++k) {
        const int item = (start + k) % n;
        if (items()[item].caption.contains(text, Qt::CaseInsensitive)) {
            focusItem(item);
            scrollToItem(item);
            openFocusedItem(false);
            return true;
        }
    }
    return false;
}

int TTreeViews::chapterFrom(int from, int step) const {
    const QList<RTreeItem>& all = items();
    if (from < 0 || from >= all.size())
        return -1;
    const QString& page = all[from].page;
    for (qsizetype i = from + step; i >= 0 && i < all.size(); i += step)
        if (!all[i].page.isEmpty() && all[i].page != page)
            return int(i);
    return -1;
}

void TTreeViews::nextChapter() {
    if (itemCount() == 0)
        return;
    const int focused = focusedItem();
    const int next = focused < 0 ? 0 : chapterFrom(focused, 1);
    const int target = next < 0 ? focused : next;
    focusItem(target);
    scrollToItem(target);
    openFocusedItem(false);
}

void TTreeViews::prevChapter() {
    if (itemCount() == 0)
        return;
    const int focused = focusedItem();
    const int prev = focused < 0 ? 0 : chapterFrom(focused, -1);
    const int target = prev < 0 ? focused : prev;
    focusItem(target);
    scrollToItem(target);
    openFocusedItem(false);
}

QString TTreeViews::hintFor(int item, const QString& none) const {
    if (item < 0)
        return none;
    const RTreeItem& it = items()[item];
    if (it.parent < 0)
        return it.caption;
    return items()[it.parent].caption + QStringLiteral(" : ") + it.caption;
}

QString TTreeViews::nextChapterHint() const {
    return hintFor(chapterFrom(focusedItem(), 1), QStringLiteral(u"Последний раздел"));
}

QString TTreeViews::prevChapterHint() const {
    return hintFor(chapterFrom(focusedItem(), -1), QStringLiteral(u"Первый раздел"));
}

void TTreeViews::updateChapterHints() {
    if (itemCount() > 0 && focusedItem() < 0)
        focusItem(0);
    emit chapterHintsChanged(nextChapterHint(), prevChapterHint());
}

void TTreeViews::setTreeOff(bool off) {
    m_turnedOff = off;
    applyVisibility();
}

void TTreeViews::currentChanged(const QModelIndex& current, const QModelIndex& previous) {
    QTreeView::currentChanged(current, previous);
    const int item = TTreeModel::itemOf(current);
    if (m_programmatic || item < 0)
        return;
    // A mouse press makes the item current before it selects it: take its
    // page now so the page opened is the new item's.
    m_rememberedPage = items()[item].page;
    openFocusedItem(true);
}

void TTreeViews::selectionChanged(const QItemSelection& selected,
                                  const QItemSelection& deselected) {
    QTreeView::selectionChanged(selected, deselected);
    for (const QItemSelection* change : {&deselected, &selected})
        for (const QModelIndex& index : change->indexes()) {
            const int item = TTreeModel::itemOf(index);
            if (item >= 0)
                m_rememberedPage = items()[item].page;
        }
}

bool TTreeViews::viewportEvent(QEvent* e) {
    if (e->type() == QEvent::MouseButtonPress)
        emit closePopups();
    else if (e->type() == QEvent::MouseMove)
        emit skinMouseMove(-1, -1);
    return QTreeView::viewportEvent(e);
}
