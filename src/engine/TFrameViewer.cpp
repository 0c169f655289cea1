#include "engine/TFrameViewer.h"

#include "engine/TFileSource.h"
#include "engine/TFrameBudget.h"
#include "engine/TLinkPath.h"
#include "engine/TPageDecoder.h"
#include "platform/Log.h"

#include <QMouseEvent>
#include <QPainter>
#include <QRegularExpression>
#include <QResizeEvent>

#include <functional>

TFrameViewer::TFrameViewer(QWidget* parent) : QWidget(parent), m_history(new THtmlHistory(this)) {
    setMouseTracking(true); // the cursor shows which frame borders can be dragged
}

TFrameViewer::~TFrameViewer() = default;

TViewerSettings TFrameViewer::effectiveSettings() const {
    TViewerSettings s = m_settings;
    s.overLinksActive = m_options & fvOverLinksActive;
    s.noLinkUnderline = m_options & fvNoLinkUnderline;
    return s;
}

void TFrameViewer::setSettings(const TViewerSettings& settings) {
    m_settings = settings;
    for (THTMLViewer* v : viewers())
        v->setSettings(effectiveSettings());
}

void TFrameViewer::setOptions(int options) {
    m_options = options;
    for (THTMLViewer* v : viewers())
        v->setSettings(effectiveSettings());
    layoutFrames();
}

void TFrameViewer::setHistoryMaxCount(int count) {
    m_history->setMaxCount(count);
}

void TFrameViewer::setVisitedMaxCount(int count) {
    m_visitedMax = qMax(0, count);
    while (m_visited.size() > m_visitedMax)
        m_visited.removeLast();
}

THTMLViewer* TFrameViewer::newViewer() {
    auto* v = new THTMLViewer(this);
    v->setFileSource(m_source);
    v->setSettings(effectiveSettings());
    v->setVisited(m_visited);
    v->onPrintHeader = [this](QPainter* p, int page, const QRect& paper, int ppi) {
        if (OnPrintHeader)
            OnPrintHeader(p, page, paper, ppi);
    };
    v->onHotSpotClick = [this, v](const QString& target, const QString& url) {
        return onLinkClicked(v, target, url);
    };
    connect(v, &THTMLViewer::hotSpotCovered, this, [this](const QString& t, const QString& u) {
        if (OnHotSpotTargetCovered)
            OnHotSpotTargetCovered(t, u);
    });
    connect(v, &THTMLViewer::keyPressed, this, &TFrameViewer::keyPressed);
    connect(v, &THTMLViewer::mouseMoved, this, &TFrameViewer::mouseMoved);
    connect(v, &THTMLViewer::mousePressed, this, [this, v](QMouseEvent* e) {
        m_active = v;
        emit mousePressed(e);
    });
    v->show();
    return v;
}

void TFrameViewer::clearFrames() {
    for (Frame& f : m_frames)
        if (f.viewer)
            f.viewer->deleteLater();
    m_frames.clear();
    m_borders.clear();
    m_dragging = false;
}

QList<THTMLViewer*> TFrameViewer::viewers() const {
    QList<THTMLViewer*> out;
    if (m_root.isSet) {
        for (const Frame& f : m_frames)
            if (f.viewer)
                out << f.viewer;
    } else if (m_single) {
        out << m_single;
    }
    return out;
}

THTMLViewer* TFrameViewer::activeViewer() const {
    if (!m_root.isSet)
        return m_single;
    if (m_active)
        for (const Frame& f : m_frames)
            if (f.viewer == m_active)
                return m_active;
    for (const Frame& f : m_frames)
        if (f.viewer)
            return f.viewer;
    return nullptr;
}

THTMLViewer* TFrameViewer::frameViewer(const QString& name) const {
    for (const Frame& f : m_frames)
        if (f.name.compare(name, Qt::CaseInsensitive) == 0)
            return f.viewer;
    return nullptr;
}

QStringList TFrameViewer::frameNames() const {
    QStringList out;
    for (const Frame& f : m_frames)
        out << f.name;
    return out;
}

QString TFrameViewer::documentTitle() const {
    if (m_root.isSet || !m_single) {
        if (!m_source || m_currentFile.isEmpty())
            return {};
        std::optional<QByteArray> bytes = m_source->read(m_currentFile);
        if (!bytes)
            return {};
        static const QRegularExpression title(QStringLiteral("<title[^>]*>(.*)</title>"),
                                              QRegularExpression::CaseInsensitiveOption |
                                                  QRegularExpression::DotMatchesEverythingOption);
        auto m = title.match(TPageDecoder::decode(*bytes, TPageDecoder::detectCharset(*bytes)));
        return m.hasMatch() ? m.captured(1).simplified() : QString();
    }
    return m_single->documentTitle();
}

QString TFrameViewer::expandLink(const QString& link) const {
    THTMLViewer* v = activeViewer();
    if (v && v->document())
        return v->document()->expandLink(link);
    return linkpath::expand(m_currentFile, link);
}

// Replaces frames whose page is itself a frame set by that set, and makes
// every frame source a full path. `pages` (frame name -> full path, from a
// history entry) gives the page a frame showed; it wins over the frame's src.
// The budget bounds the whole tree: past it a frame stays empty, and the
// frames after that one are left out.
static void expandTree(TFrameNode& node, const QString& baseFile, const TFileSource* source,
                       int depth, TFrameBudget& budget, const QMap<QString, QString>& pages = {}) {
    if (node.isSet) {
        for (int i = 0; i < node.children.size(); ++i) {
            if (budget.closed()) {
                node.children.erase(node.children.begin() + i, node.children.end());
                budget.markCapped();
                break;
            }
            expandTree(node.children[i], baseFile, source, depth + 1, budget, pages);
        }
        return;
    }
    if (!node.name.isEmpty() && pages.contains(node.name))
        node.src = pages.value(node.name);
    else if (!node.src.isEmpty())
        node.src = linkpath::expand(baseFile, node.src);
    if (depth > TFrameBudget::maxDepth || !budget.take()) {
        budget.takeEmpty();
        node.src.clear();
        return;
    }
    if (node.src.isEmpty())
        return;
    if (!source || TPageDecoder::kindOf(node.src) != TPageDecoder::Kind::Html)
        return;
    std::optional<QByteArray> bytes = source->read(linkpath::withoutAnchor(node.src));
    if (!bytes)
        return;
    TFrameNode inner =
        frameset::parse(TPageDecoder::decode(*bytes, TPageDecoder::detectCharset(*bytes)));
    if (!inner.isSet)
        return;
    budget.giveBack(); // the frame becomes a set: its own frames count instead
    QString file = node.src;
    QString name = node.name;
    node = inner;
    node.fromFrame = true;
    node.name = name;
    node.src = file;
    expandTree(node, file, source, depth, budget, pages);
}

void TFrameViewer::buildFrames(const TFrameNode& node, const QString& baseFile,
                               const QMap<QString, QString>& frameFiles, int depth) {
    if (node.isSet) {
        for (const TFrameNode& child : node.children)
            buildFrames(child, baseFile, frameFiles, depth + 1);
        return;
    }
    Frame f;
    f.name = node.name;
    f.file = node.src;
    if (!f.name.isEmpty() && frameFiles.contains(f.name))
        f.file = frameFiles.value(f.name);
    f.border = node.frameBorder;
    f.viewer = newViewer();
    if (node.scrolling == QLatin1String("no")) {
        f.viewer->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
        f.viewer->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    }
    if (!f.file.isEmpty()) {
        QString error;
        if (!f.viewer->loadFile(f.file, &error))
            f.viewer->loadHtml(QStringLiteral("<p>") + TPageDecoder::escape(error), f.file);
    }
    m_frames << f;
}

int TFrameViewer::borderWidth(const TFrameNode& set) const {
    if (!set.frameBorder)
        return 0;
    // Frames that all ask for no border get none between them.
    bool any = set.children.isEmpty();
    for (const TFrameNode& child : set.children)
        any = any || child.frameBorder;
    if (!any)
        return 0;
    return set.border >= 0 ? set.border : 4;
}

// Whether the line between row (or column) `index` and the next one of a set
// may be dragged: not when a frame on either side says noresize.
static bool resizable(const TFrameNode& set, int rowCount, int colCount, bool betweenRows,
                      int index) {
    for (int r = 0; r < rowCount; ++r)
        for (int c = 0; c < colCount; ++c) {
            int line = betweenRows ? r : c;
            if (line != index && line != index + 1)
                continue;
            int child = r * colCount + c;
            if (child < set.children.size() && !set.children[child].isSet &&
                set.children[child].noResize)
                return false;
        }
    return true;
}

void TFrameViewer::placeNode(TFrameNode& node, const QRect& rect, int& cursor) {
    if (!node.isSet) {
        if (cursor < m_frames.size()) {
            Frame& f = m_frames[cursor];
            if (f.viewer)
                f.viewer->setGeometry(rect);
        }
        ++cursor;
        return;
    }
    int gap = borderWidth(node);
    QVector<int> rows = frameset::split(node.rows, rect.height());
    QVector<int> cols = frameset::split(node.cols, rect.width());
    int child = 0;
    int y = rect.top();
    for (int r = 0; r < rows.size(); ++r) {
        int x = rect.left();
        int h = rows[r];
        for (int c = 0; c < cols.size(); ++c) {
            int w = cols[c];
            QRect cell(x, y, w, h);
            // The border takes its width from the cells on both sides of it.
            int left = c > 0 ? gap - gap / 2 : 0, right = c + 1 < cols.size() ? gap / 2 : 0;
            int top = r > 0 ? gap - gap / 2 : 0, bottom = r + 1 < rows.size() ? gap / 2 : 0;
            QRect inner = cell.adjusted(left, top, -right, -bottom);
            if (child < node.children.size())
                placeNode(node.children[child], inner, cursor);
            ++child;
            if (c + 1 < cols.size() && gap > 0)
                m_borders << Border{QRect(x + w - gap / 2, y, gap, h),
                                    &node,
                                    false,
                                    c,
                                    cols,
                                    resizable(node, int(rows.size()), int(cols.size()), false, c)};
            x += w;
        }
        if (r + 1 < rows.size() && gap > 0)
            m_borders << Border{
                QRect(rect.left(), y + h - gap / 2, rect.width(), gap),      &node, true, r, rows,
                resizable(node, int(rows.size()), int(cols.size()), true, r)};
        y += h;
    }
    // Frames beyond the grid get no room.
    for (; child < node.children.size(); ++child)
        placeNode(node.children[child], QRect(), cursor);
}

const TFrameViewer::Border* TFrameViewer::borderAt(const QPoint& p) const {
    for (const Border& b : m_borders)
        if (b.rect.contains(p))
            return &b;
    return nullptr;
}

void TFrameViewer::mousePressEvent(QMouseEvent* event) {
    const Border* b =
        event->button() == Qt::LeftButton ? borderAt(event->position().toPoint()) : nullptr;
    if (!b || !b->resizable) {
        QWidget::mousePressEvent(event);
        return;
    }
    m_drag = *b;
    m_dragging = true;
    m_dragStart = event->position().toPoint();
}

void TFrameViewer::mouseMoveEvent(QMouseEvent* event) {
    QPoint p = event->position().toPoint();
    if (!m_dragging) {
        const Border* b = borderAt(p);
        if (b && b->resizable)
            setCursor(b->betweenRows ? Qt::SplitVCursor : Qt::SplitHCursor);
        else
            unsetCursor();
        return;
    }
    // The two frames beside the line share their room anew; each keeps at
    // least a few pixels. The sizes become weights, so that the frames keep
    // their shares when the viewer is resized.
    int delta = m_drag.betweenRows ? p.y() - m_dragStart.y() : p.x() - m_dragStart.x();
    QVector<int> sizes = m_drag.sizes;
    int i = m_drag.index;
    if (i + 1 >= sizes.size())
        return;
    const int least = qMin(8, qMin(sizes[i], sizes[i + 1]));
    delta = qBound(least - sizes[i], delta, sizes[i + 1] - least);
    sizes[i] += delta;
    sizes[i + 1] -= delta;
    QStringList weights;
    for (int size : sizes)
        weights << QString::number(qMax(0, size)) + QLatin1Char('*');
    (m_drag.betweenRows ? m_drag.set->rows : m_drag.set->cols) = weights.join(QLatin1Char(','));
    layoutFrames();
}

void TFrameViewer::mouseReleaseEvent(QMouseEvent* event) {
    if (m_dragging && event->button() == Qt::LeftButton) {
        m_dragging = false;
        return;
    }
    QWidget::mouseReleaseEvent(event);
}

QRect TFrameViewer::contentRect() const {
    // Without fvNoBorder the viewer has a sunken edge of two pixels.
    return (m_options & fvNoBorder) ? rect() : rect().adjusted(2, 2, -2, -2);
}

void TFrameViewer::layoutFrames() {
    m_borders.clear();
    if (m_root.isSet) {
        int cursor = 0;
        placeNode(m_root, contentRect(), cursor);
    } else if (m_single) {
        m_single->setGeometry(contentRect());
    }
    update();
}

void TFrameViewer::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    layoutFrames();
}

void TFrameViewer::paintEvent(QPaintEvent*) {
    QPainter p(this);
    QColor face(0xd4, 0xd0, 0xc8);
    if (!(m_options & fvNoBorder)) {
        QRect r = rect().adjusted(0, 0, -1, -1);
        p.setPen(QColor(0x80, 0x80, 0x80));
        p.drawLine(r.topLeft(), r.topRight());
        p.drawLine(r.topLeft(), r.bottomLeft());
        p.setPen(Qt::white);
        p.drawLine(r.bottomLeft(), r.bottomRight());
        p.drawLine(r.topRight(), r.bottomRight());
        p.setPen(QColor(0x40, 0x40, 0x40));
        p.drawLine(r.topLeft() + QPoint(1, 1), r.topRight() + QPoint(-1, 1));
        p.drawLine(r.topLeft() + QPoint(1, 1), r.bottomLeft() + QPoint(1, -1));
        p.setPen(face);
        p.drawLine(r.bottomLeft() + QPoint(1, -1), r.bottomRight() + QPoint(-1, -1));
        p.drawLine(r.topRight() + QPoint(-1, 1), r.bottomRight() + QPoint(-1, -1));
    }
    for (const Border& b : m_borders) {
        const QRect& r = b.rect;
        p.fillRect(r, face);
        p.setPen(Qt::white);
        if (r.width() > r.height())
            p.drawLine(r.topLeft(), r.topRight());
        else
            p.drawLine(r.topLeft(), r.bottomLeft());
        p.setPen(QColor(0x80, 0x80, 0x80));
        if (r.width() > r.height())
            p.drawLine(r.bottomLeft(), r.bottomRight());
        else
            p.drawLine(r.topRight(), r.bottomRight());
    }
}

// The frame set of a page file (isSet false for other pages and files).
static TFrameNode frameSetOf(const QString& file, const QByteArray& bytes) {
    if (TPageDecoder::kindOf(file) != TPageDecoder::Kind::Html)
        return {};
    return frameset::parse(TPageDecoder::decode(bytes, TPageDecoder::detectCharset(bytes)));
}

bool TFrameViewer::showFile(const QString& path, const QMap<QString, QString>& frameFiles,
                            QString* error) {
    QString file = linkpath::withoutAnchor(path);
    std::optional<QByteArray> bytes = m_source ? m_source->read(file) : std::nullopt;
    if (!bytes) {
        if (error)
            *error = QStringLiteral("Can't locate file: ") + path;
        return false;
    }
    TFrameNode root = frameSetOf(file, *bytes);
    if (root.isSet) {
        TFrameBudget budget;
        expandTree(root, file, m_source, 0, budget, frameFiles);
        if (budget.capped())
            vlog::complain(
                QStringLiteral("%1: frames over %2 in all or %3 deep; the rest left empty")
                    .arg(file)
                    .arg(TFrameBudget::maxFrames)
                    .arg(TFrameBudget::maxDepth));
        clearFrames();
        if (m_single) {
            m_single->deleteLater();
            m_single = nullptr;
        }
        m_root = root;
        buildFrames(m_root, file, frameFiles, 0);
        m_active = nullptr;
    } else {
        bool created = !m_single;
        if (created) {
            m_single = newViewer();
            m_single->setGeometry(contentRect());
        }
        m_single->setVisited(m_visited);
        if (!m_single->loadFile(path, error)) {
            if (created && m_root.isSet) {
                // The frame set stays as it was.
                delete m_single;
                m_single = nullptr;
            }
            return false;
        }
        clearFrames();
        m_root = TFrameNode();
        m_active = m_single;
    }
    m_currentFile = file;
    layoutFrames();
    return true;
}

bool TFrameViewer::showInFrame(int index, const QString& path, QString* error) {
    Frame& f = m_frames[index];
    if (!f.viewer || !f.viewer->loadFile(path, error))
        return false;
    f.file = linkpath::withoutAnchor(path);
    m_active = f.viewer;
    return true;
}

THtmlHistoryEntry TFrameViewer::currentEntry() const {
    THtmlHistoryEntry e;
    e.file = m_currentFile;
    e.title = documentTitle();
    for (const Frame& f : m_frames)
        if (!f.name.isEmpty())
            e.frames.insert(f.name, f.file);
    // Frames whose page is a frame set, so that going back to the entry
    // shows that set again (or the page that had replaced it).
    std::function<void(const TFrameNode&)> sets = [&](const TFrameNode& node) {
        if (node.isSet && node.fromFrame && !node.name.isEmpty())
            e.frames.insert(node.name, node.src);
        for (const TFrameNode& child : node.children)
            sets(child);
    };
    sets(m_root);
    if (THTMLViewer* v = activeViewer())
        e.position = v->position();
    return e;
}

void TFrameViewer::storePosition() {
    if (THTMLViewer* v = activeViewer())
        m_history->setPosition(m_history->index(), v->position());
}

void TFrameViewer::pushHistory() {
    THtmlHistoryEntry e = currentEntry();
    e.position = 0;
    m_history->push(e);
    emit historyChanged();
    if (OnHistoryChange)
        OnHistoryChange(this);
}

bool TFrameViewer::loadFile(const QString& path, QString* error) {
    storePosition();
    if (!showFile(path, {}, error))
        return false;
    pushHistory();
    return true;
}

bool TFrameViewer::reload(QString* error) {
    if (m_currentFile.isEmpty())
        return false;
    if (!m_root.isSet)
        return m_single && m_single->reload(error);
    bool ok = true;
    for (THTMLViewer* v : viewers())
        ok = v->reload(error) && ok;
    return ok;
}

void TFrameViewer::setHistoryIndex(int index) {
    if (index < 0 || index >= m_history->count() || index == m_history->index())
        return;
    storePosition();
    const THtmlHistoryEntry e = m_history->entry(index);
    if (!showFile(e.file, e.frames, nullptr))
        return;
    if (THTMLViewer* v = activeViewer())
        v->setPosition(e.position);
    m_history->setIndex(index);
    emit historyChanged();
    if (OnHistoryChange)
        OnHistoryChange(this);
}

void TFrameViewer::goBack() {
    if (backButtonEnabled())
        setHistoryIndex(m_history->index() + 1);
}

void TFrameViewer::goFwd() {
    if (fwdButtonEnabled())
        setHistoryIndex(m_history->index() - 1);
}

void TFrameViewer::clearHistory() {
    m_history->clear();
}

void TFrameViewer::addVisited(const QString& path) {
    if (path.isEmpty() || m_visitedMax == 0)
        return;
    for (int i = 0; i < m_visited.size(); ++i)
        if (linkpath::samePath(m_visited[i], path)) {
            m_visited.removeAt(i);
            break;
        }
    m_visited.prepend(path);
    while (m_visited.size() > m_visitedMax)
        m_visited.removeLast();
}

void TFrameViewer::checkVisitedLinks() {
    for (THTMLViewer* v : viewers()) {
        v->setVisited(m_visited);
        v->remarkVisited();
    }
}

// The leaves of a tree in order, with the chain of nodes down to each.
static void leafPaths(TFrameNode& node, QList<TFrameNode*>& chain, QList<QList<TFrameNode*>>& out) {
    chain << &node;
    if (node.isSet) {
        for (TFrameNode& child : node.children)
            leafPaths(child, chain, out);
    } else {
        out << chain;
    }
    chain.removeLast();
}

static TFrameNode* frameSetNamed(TFrameNode& node, const QString& name) {
    if (node.isSet && node.fromFrame && node.name.compare(name, Qt::CaseInsensitive) == 0)
        return &node;
    for (TFrameNode& child : node.children)
        if (TFrameNode* found = frameSetNamed(child, name))
            return found;
    return nullptr;
}

bool TFrameViewer::isFrameSetPage(const QString& path) const {
    QString file = linkpath::withoutAnchor(path);
    if (!m_source || TPageDecoder::kindOf(file) != TPageDecoder::Kind::Html)
        return false;
    std::optional<QByteArray> bytes = m_source->read(file);
    return bytes && frameSetOf(file, *bytes).isSet;
}

bool TFrameViewer::replaceNode(TFrameNode* node, const QString& path) {
    if (!m_source || !m_source->exists(linkpath::withoutAnchor(path)))
        return false;
    QMap<QString, QString> files;
    for (const Frame& f : m_frames)
        if (!f.name.isEmpty())
            files.insert(f.name, f.file);
    TFrameNode leaf;
    leaf.name = node->name;
    leaf.src = path;
    leaf.frameBorder = node->frameBorder;
    *node = leaf;
    TFrameBudget budget(TFrameBudget::maxFrames - int(m_frames.size()) + 1);
    expandTree(*node, path, m_source, 1, budget);
    if (budget.capped())
        vlog::complain(QStringLiteral("%1: frames over %2 in all or %3 deep; the rest left empty")
                           .arg(path)
                           .arg(TFrameBudget::maxFrames)
                           .arg(TFrameBudget::maxDepth));
    clearFrames();
    buildFrames(m_root, m_currentFile, files, 0);
    for (const Frame& f : m_frames)
        if (f.name.compare(leaf.name, Qt::CaseInsensitive) == 0)
            m_active = f.viewer;
    layoutFrames();
    return true;
}

bool TFrameViewer::onLinkClicked(THTMLViewer* from, const QString& target, const QString& url) {
    m_active = from;
    bool handled = false;
    if (OnHotSpotTargetClick)
        OnHotSpotTargetClick(target, url, handled);
    if (handled)
        return true;
    QString t = target.toLower();
    if (t == QLatin1String("_blank") || linkpath::hasScheme(url))
        return true; // the host's business
    if (url.startsWith(QLatin1Char('#'))) {
        from->scrollToAnchor(url.mid(1));
        return true;
    }
    QString full =
        from->document() ? from->document()->expandLink(url) : linkpath::expand(m_currentFile, url);
    const bool namedSet =
        !t.isEmpty() && !t.startsWith(QLatin1Char('_')) && frameSetNamed(m_root, t);
    if (m_root.isSet && (t == QLatin1String("_parent") || namedSet)) {
        // The frame whose page is a frame set: _parent of a frame inside it,
        // or a target naming it. The whole set gives way to the new page.
        TFrameNode* owner = namedSet ? frameSetNamed(m_root, t) : nullptr;
        if (!owner) {
            QList<QList<TFrameNode*>> paths;
            QList<TFrameNode*> chain;
            leafPaths(m_root, chain, paths);
            int index = -1;
            for (int i = 0; i < m_frames.size(); ++i)
                if (m_frames[i].viewer == from)
                    index = i;
            if (index >= 0 && index < paths.size())
                for (int i = int(paths[index].size()) - 2; i >= 1 && !owner; --i)
                    if (paths[index][i]->fromFrame)
                        owner = paths[index][i];
        }
        if (owner) {
            storePosition();
            if (replaceNode(owner, full))
                pushHistory();
            return true;
        }
        // A frame of the top page: its parent is the whole viewer.
        loadFile(full);
        return true;
    }
    int frame = -1;
    if (m_root.isSet && t != QLatin1String("_top")) {
        for (int i = 0; i < m_frames.size(); ++i) {
            if (t.isEmpty() || t == QLatin1String("_self") ? m_frames[i].viewer == from
                                                           : m_frames[i].name.toLower() == t) {
                frame = i;
                break;
            }
        }
        if (frame < 0) // a frame name this page does not have: the frame itself
            for (int i = 0; i < m_frames.size(); ++i)
                if (m_frames[i].viewer == from)
                    frame = i;
    }
    if (frame >= 0) {
        Frame& f = m_frames[frame];
        if (f.viewer && linkpath::samePath(linkpath::withoutAnchor(full), f.file) &&
            !linkpath::anchorOf(full).isEmpty()) {
            f.viewer->scrollToAnchor(linkpath::anchorOf(full));
            m_active = f.viewer;
            return true;
        }
        storePosition();
        // A frame set page sent to a frame becomes a nested set there.
        QList<QList<TFrameNode*>> paths;
        QList<TFrameNode*> chain;
        leafPaths(m_root, chain, paths);
        if (frame < paths.size() && isFrameSetPage(full)) {
            if (replaceNode(paths[frame].last(), full))
                pushHistory();
            return true;
        }
        if (showInFrame(frame, full, nullptr))
            pushHistory();
        return true;
    }
    if (!m_root.isSet && linkpath::samePath(linkpath::withoutAnchor(full), m_currentFile) &&
        !linkpath::anchorOf(full).isEmpty()) {
        from->scrollToAnchor(linkpath::anchorOf(full));
        return true;
    }
    loadFile(full);
    return true;
}
