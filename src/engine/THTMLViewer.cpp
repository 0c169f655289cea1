#include "engine/THTMLViewer.h"

#include "engine/TElFormControl.h"
#include "engine/TFileSource.h"
#include "engine/TLinkPath.h"
#include "engine/TQtContainer.h"
#include "engine/TTextMatcher.h"

#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QKeyEvent>
#include <QPainter>
#include <QScrollBar>

namespace {

// Work a new page leaves for later (the rest of a long page, freeing the
// page it replaced) is posted below the priority of the window's update
// request, so that the first screen of the page is painted before it runs.
const QEvent::Type kAfterPaintEvent = QEvent::Type(QEvent::registerEventType());
constexpr int kAfterPaintPriority = Qt::LowEventPriority - 1;

} // namespace

THTMLViewer::THTMLViewer(QWidget* parent)
    : QAbstractScrollArea(parent), m_loader(new TPageLoader(this)) {
    connect(m_loader, &TPageLoader::finished, this, [this] { adopt(m_loader->wait()); });
    setFrameShape(QFrame::NoFrame);
    // As browsers of the time: the vertical bar is always there, so a page
    // that grows longer never reflows to a narrower width.
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    setFocusPolicy(Qt::StrongFocus);
    viewport()->setMouseTracking(true);
    viewport()->setAttribute(Qt::WA_OpaquePaintEvent);
    verticalScrollBar()->setSingleStep(16);
    horizontalScrollBar()->setSingleStep(16);
}

THTMLViewer::~THTMLViewer() {
    // The page being prepared reads through the file source: stop first.
    delete m_loader;
    m_loader = nullptr;
    delete m_paperLoader;
    m_paperLoader = nullptr;
    m_retired.clear();
}

void THTMLViewer::setSettings(const TViewerSettings& settings) {
    complete();
    if (settings == m_settings)
        return;
    m_settings = settings;
    if (m_doc) {
        int y = position();
        m_doc->setSettings(settings);
        attach();
        relayout();
        setPosition(y);
    }
}

void THTMLViewer::attach() {
    m_doc->onLinkClick = [this](const QString& url, const QString& target) {
        m_hasPendingLink = true;
        m_pendingTarget = target;
        m_pendingUrl = url;
    };
    m_doc->onCursor = [this](const QString& c) {
        viewport()->setCursor(c == QLatin1String("pointer") ? Qt::PointingHandCursor
                                                            : Qt::ArrowCursor);
    };
    m_doc->onImageChanged = [this] {
        if (m_doc && m_doc->container())
            repaintBoxes(m_doc->container()->changedArea());
    };
}

bool THTMLViewer::loadFile(const QString& path, QString* error) {
    auto doc = std::make_unique<THtmlDocument>(m_source, m_settings);
    doc->setVisited(m_visited);
    const QString anchor = linkpath::anchorOf(path);
    const QString file = linkpath::withoutAnchor(path);
    const TPageDecoder::Kind kind = TPageDecoder::kindOf(file);
    std::optional<QByteArray> bytes;
    if (kind != TPageDecoder::Kind::Picture && m_source)
        bytes = m_source->read(file);
    // A long page is parsed on the loader's thread and shows meanwhile a
    // first screen parsed from its beginning: empty while nothing of the body
    // can be cut out yet (a head of long style sheets or scripts), which is
    // what the page shows anyway until its rules are known.
    QString firstHtml;
    bool progressive = bytes && bytes->size() > kProgressiveChars;
    if (progressive) {
        const QByteArray headBytes = bytes->left(kFirstScreenChars * 16);
        const QString head = TPageDecoder::toHtml(headBytes, kind, linkpath::fileNameOf(file));
        // Counted from the body: a long head (style sheets, scripts) shows
        // nothing.
        const int body =
            int(qMax<qsizetype>(0, head.indexOf(QLatin1String("<body"), 0, Qt::CaseInsensitive)));
        const int chars =
            qMax(kFirstScreenChars, kFirstScreenCharsPerPixel * qMax(viewport()->height(), 1));
        const int cut = TPageLoader::firstScreenCut(head, qMin(body + chars, int(head.size())));
        const bool whole = headBytes.size() == bytes->size();
        if (cut > 0 && cut < (whole ? head.size() * 3 / 4 : head.size()))
            firstHtml = head.left(cut);
        else if (whole && cut > 0)
            progressive = false; // its first screen is most of it: parse it here
    }
    if (!progressive) {
        if (!(bytes ? doc->decode(path, *bytes) : doc->read(path, error)))
            return false;
        doc->parse();
    }
    if (m_combo)
        m_combo->hide();
    retire(std::move(m_doc));
    m_loader->cancel();
    if (progressive) {
        // The whole page is parsed and laid out on the loader's thread, from
        // the bytes read here. It starts after the first screen's parse:
        // started before, it would take the core that parse needs on a busy
        // machine, and the first screen (an input block) would take twice as
        // long.
        m_doc = std::make_unique<THtmlDocument>(m_source, m_settings);
        m_doc->setVisited(m_visited);
        m_doc->setHtml(firstHtml, file);
        const int w = viewport()->width();
        m_loader->start(std::move(doc), path, std::move(*bytes), w < 50 ? 600 : w,
                        qMax(viewport()->height(), 1));
    } else {
        m_doc = std::move(doc);
    }
    attach();
    m_selStart = m_selEnd = 0;
    m_pendingAnchor = anchor;
    m_coveredUrl.clear();
    relayout();
    // A long page scrolls to its anchor once it is whole (adopt()).
    if (isLoading() || !scrollToAnchor(m_pendingAnchor))
        setPosition(0);
    emit documentChanged();
    return true;
}

void THTMLViewer::complete() const {
    if (!m_loader || !m_loader->isBusy())
        return;
    auto* self = const_cast<THTMLViewer*>(this);
    self->adopt(m_loader->wait());
}

void THTMLViewer::adopt(std::unique_ptr<THtmlDocument> doc) {
    // A page that could not be read again keeps its first screen.
    if (!doc || !doc->isLoaded())
        return;
    const int y = verticalScrollBar()->value();
    retire(std::move(m_doc));
    m_doc = std::move(doc);
    attach();
    const int w = viewport()->width();
    if (w >= 50 && w != m_doc->layoutWidth()) {
        relayout(); // resized while the page was prepared
    } else {
        invalidateTiles();
        updateScrollBars();
        viewport()->update();
    }
    // The reader may have scrolled the first screen meanwhile.
    if (y == 0 && !m_pendingAnchor.isEmpty())
        scrollToAnchor(m_pendingAnchor);
    else
        verticalScrollBar()->setValue(y);
    m_pendingAnchor.clear();
}

THtmlDocument* THTMLViewer::document() const {
    complete();
    return m_doc.get();
}

TPageLoader& THTMLViewer::paperLoader() {
    if (!m_paperLoader)
        m_paperLoader = new TPageLoader(this);
    return *m_paperLoader;
}

void THTMLViewer::retire(std::unique_ptr<THtmlDocument> doc) {
    if (!doc)
        return;
    // Freeing a large page takes a while: do it after the new one is shown.
    doc->onLinkClick = nullptr;
    doc->onCursor = nullptr;
    doc->onImageChanged = nullptr;
    m_retired.push_back(std::move(doc));
    postAfterPaint();
}

void THTMLViewer::postAfterPaint() {
    if (m_afterPaintPosted)
        return;
    m_afterPaintPosted = true;
    QCoreApplication::postEvent(this, new QEvent(kAfterPaintEvent), kAfterPaintPriority);
}

bool THTMLViewer::event(QEvent* e) {
    if (e->type() != kAfterPaintEvent)
        return QAbstractScrollArea::event(e);
    m_afterPaintPosted = false;
    for (auto& doc : m_retired)
        m_loader->dispose(std::move(doc));
    m_retired.clear();
    return true;
}

void THTMLViewer::loadHtml(const QString& html, const QString& path) {
    m_loader->cancel();
    retire(std::move(m_doc));
    m_doc = std::make_unique<THtmlDocument>(m_source, m_settings);
    m_doc->setVisited(m_visited);
    m_doc->setHtml(html, path);
    attach();
    m_selStart = m_selEnd = 0;
    m_pendingAnchor.clear();
    relayout();
    setPosition(0);
    emit documentChanged();
}

bool THTMLViewer::reload(QString* error) {
    complete();
    if (!m_doc)
        return false;
    int y = position();
    if (m_doc->kind() == TPageDecoder::Kind::Html && m_doc->path().isEmpty()) {
        m_doc->reparse();
        attach();
        relayout();
    } else if (!loadFile(m_doc->path(), error)) {
        return false;
    }
    setPosition(y);
    return true;
}

void THTMLViewer::clear() {
    m_loader->cancel();
    retire(std::move(m_doc));
    m_selStart = m_selEnd = 0;
    invalidateTiles();
    updateScrollBars();
    viewport()->update();
}

QString THTMLViewer::currentFile() const {
    return m_doc ? m_doc->path() : QString();
}
QString THTMLViewer::documentTitle() const {
    return m_doc ? m_doc->title() : QString();
}
QSize THTMLViewer::lastPictureSize() const {
    return m_doc ? m_doc->pictureSize() : QSize();
}

void THTMLViewer::remarkVisited() {
    complete();
    if (!m_doc)
        return;
    int y = position();
    m_doc->setVisited(m_visited);
    m_doc->reparse();
    attach();
    relayout();
    setPosition(y);
}

void THTMLViewer::ensureLayout() {
    if (m_needsLayout || (m_doc && m_doc->layoutWidth() == 0))
        relayout();
}

void THTMLViewer::relayout() {
    invalidateTiles();
    if (!m_doc) {
        updateScrollBars();
        return;
    }
    int w = viewport()->width();
    int h = viewport()->height();
    if (w < 50) {
        // Hidden or not yet placed: lay out at a sensible width for now.
        w = 600;
        m_needsLayout = true;
    } else {
        m_needsLayout = false;
    }
    m_doc->layout(w, qMax(h, 1));
    updateScrollBars();
    viewport()->update();
}

void THTMLViewer::invalidateTiles() {
    m_tiles.clear();
}

void THTMLViewer::repaintBoxes(const QVector<QRect>& boxes) {
    const QPoint scroll(horizontalScrollBar()->value(), verticalScrollBar()->value());
    for (const QRect& box : boxes) {
        if (box.isNull()) {
            invalidateTiles();
            viewport()->update();
            return;
        }
        const QRect r = box.adjusted(-2, -2, 2, 2);
        m_tiles.invalidate(r);
        viewport()->update(r.translated(-scroll));
    }
}

void THTMLViewer::updateScrollBars() {
    int dh = m_doc ? m_doc->height() : 0;
    int dw = m_doc ? m_doc->width() : 0;
    QSize vp = viewport()->size();
    verticalScrollBar()->setRange(0, qMax(0, dh - vp.height()));
    verticalScrollBar()->setPageStep(qMax(1, vp.height() - 16));
    horizontalScrollBar()->setRange(0, qMax(0, dw - vp.width()));
    horizontalScrollBar()->setPageStep(qMax(1, vp.width()));
}

int THTMLViewer::position() const {
    return verticalScrollBar()->value();
}

void THTMLViewer::setPosition(int y) {
    if (isLoading() && y > verticalScrollBar()->maximum())
        complete();
    ensureLayout();
    verticalScrollBar()->setValue(y);
}

int THTMLViewer::maxPosition() const {
    complete();
    return verticalScrollBar()->maximum();
}

bool THTMLViewer::scrollToAnchor(const QString& name) {
    if (!m_doc || name.isEmpty())
        return false;
    complete();
    ensureLayout();
    int y = m_doc->anchorPosition(name);
    if (y < 0)
        return false;
    // Allow scrolling an anchor near the end to the top of the view.
    verticalScrollBar()->setValue(qMin(y, verticalScrollBar()->maximum()));
    return true;
}

void THTMLViewer::resizeEvent(QResizeEvent* event) {
    QAbstractScrollArea::resizeEvent(event);
    if (!m_doc)
        return;
    if (viewport()->width() != m_doc->layoutWidth() && viewport()->width() >= 50) {
        int y = position();
        relayout();
        if (!m_pendingAnchor.isEmpty() && scrollToAnchor(m_pendingAnchor))
            return;
        setPosition(y);
    } else {
        updateScrollBars();
    }
}

void THTMLViewer::scrollContentsBy(int, int) {
    if (m_combo)
        m_combo->hide();
    viewport()->update();
}

QPoint THTMLViewer::toDocument(const QPoint& p) const {
    return p + QPoint(horizontalScrollBar()->value(), verticalScrollBar()->value());
}

void THTMLViewer::paintViewport(QPainter* painter) {
    QSize vp = viewport()->size();
    int sx = horizontalScrollBar()->value();
    int sy = verticalScrollBar()->value();
    if (!m_doc) {
        painter->fillRect(QRect(QPoint(0, 0), vp), m_settings.defBackground);
        return;
    }
    ensureLayout();
    int firstRow = sy / kTileHeight, lastRow = (sy + vp.height()) / kTileHeight;
    int firstCol = sx / kTileWidth, lastCol = (sx + vp.width()) / kTileWidth;
    // The missing tiles of the view in one pass per column: the layout walks
    // its whole tree whatever the clip, so three tiles drawn one by one cost
    // three walks.
    for (int col = firstCol; col <= lastCol; ++col)
        paintMissingTiles(col, firstRow, lastRow);
    for (int row = firstRow; row <= lastRow; ++row)
        for (int col = firstCol; col <= lastCol; ++col)
            painter->drawPixmap(QPoint(col * kTileWidth - sx, row * kTileHeight - sy),
                                tile(row, col));
    if (!m_prefetchQueued) {
        m_prefetchQueued = true;
        QMetaObject::invokeMethod(this, &THTMLViewer::prefetchTile, Qt::QueuedConnection);
    }
    if (m_selEnd > m_selStart) {
        QColor hl = palette().color(QPalette::Highlight);
        hl.setAlpha(110);
        for (const QRect& r : m_doc->words().rectsFor(m_selStart, m_selEnd))
            painter->fillRect(r.translated(-sx, -sy), hl);
    }
}

void THTMLViewer::paintMissingTiles(int col, int firstRow, int lastRow) {
    int from = firstRow, to = lastRow;
    auto has = [&](int row) { return m_tiles.contains(row, col); };
    while (from <= to && has(from))
        ++from;
    while (to >= from && has(to))
        --to;
    if (to - from < 1)
        return; // none or one: tile() draws it
    const int rows = to - from + 1;
    const qreal dpr = viewport()->devicePixelRatioF();
    QPixmap strip(QSize(kTileWidth, kTileHeight * rows) * dpr);
    strip.setDevicePixelRatio(dpr);
    QPainter sp(&strip);
    sp.translate(-col * kTileWidth, -from * kTileHeight);
    m_doc->paint(&sp, QRect(col * kTileWidth, from * kTileHeight, kTileWidth, kTileHeight * rows));
    sp.end();
    const int viewRow = (verticalScrollBar()->value() + viewport()->height() / 2) / kTileHeight;
    for (int i = 0; i < rows; ++i) {
        if (m_tiles.contains(from + i, col))
            continue;
        QPixmap tile = strip.copy(
            QRect(QPoint(0, qRound(i * kTileHeight * dpr)), QSize(kTileWidth, kTileHeight) * dpr));
        tile.setDevicePixelRatio(dpr);
        m_tiles.insert(from + i, col, tile, viewRow, col);
    }
}

QPixmap THTMLViewer::tile(int row, int col) {
    if (const QPixmap* cached = m_tiles.find(row, col))
        return *cached;
    qreal dpr = viewport()->devicePixelRatioF();
    QPixmap pixmap(QSize(kTileWidth, kTileHeight) * dpr);
    pixmap.setDevicePixelRatio(dpr);
    QPainter tp(&pixmap);
    tp.translate(-col * kTileWidth, -row * kTileHeight);
    m_doc->paint(&tp, QRect(col * kTileWidth, row * kTileHeight, kTileWidth, kTileHeight));
    tp.end();
    const int viewRow = (verticalScrollBar()->value() + viewport()->height() / 2) / kTileHeight;
    const int viewCol = (horizontalScrollBar()->value() + viewport()->width() / 2) / kTileWidth;
    m_tiles.insert(row, col, pixmap, viewRow, viewCol);
    return pixmap;
}

void THTMLViewer::prefetchTile() {
    m_prefetchQueued = false;
    // The first screen of a long page is replaced when the whole page is
    // there: its tiles would be thrown away, and the core is the loader's.
    if (!m_doc || !m_doc->isLoaded() || m_needsLayout || isLoading())
        return;
    const QSize vp = viewport()->size();
    const int sx = horizontalScrollBar()->value(), sy = verticalScrollBar()->value();
    const int rows = (m_doc->height() + kTileHeight - 1) / kTileHeight;
    int row = 0, col = 0;
    // A screen's worth above and below.
    if (!m_tiles.nextAhead(sy / kTileHeight, (sy + vp.height()) / kTileHeight, sx / kTileWidth,
                           (sx + vp.width()) / kTileWidth, rows, vp.height() / kTileHeight + 1,
                           &row, &col))
        return;
    tile(row, col);
    // One tile per pass: input stays responsive.
    m_prefetchQueued = true;
    QMetaObject::invokeMethod(this, &THTMLViewer::prefetchTile, Qt::QueuedConnection);
}

void THTMLViewer::paintEvent(QPaintEvent*) {
    QPainter p(viewport());
    paintViewport(&p);
}

THitInfo THTMLViewer::objectAt(const QPoint& viewerPoint) const {
    complete();
    if (!m_doc)
        return {};
    return m_doc->hitTest(toDocument(viewport()->mapFrom(this, viewerPoint)));
}

QList<TFormControlInfo> THTMLViewer::formControls() const {
    complete();
    return m_doc ? m_doc->formControls() : QList<TFormControlInfo>();
}

void THTMLViewer::setControlSelection(int controlIndex, int optionIndex) {
    complete();
    if (!m_doc)
        return;
    QList<TElFormControl*> controls = m_doc->controlElements();
    if (controlIndex < 0 || controlIndex >= controls.size())
        return;
    controls[controlIndex]->setSelectedIndex(optionIndex);
    invalidateTiles();
    viewport()->update();
}

bool THTMLViewer::openDropDown(int controlIndex) {
    complete();
    if (!m_doc)
        return false;
    QList<TElFormControl*> controls = m_doc->controlElements();
    if (controlIndex < 0 || controlIndex >= controls.size() ||
        controls[controlIndex]->kind() != TElFormControl::Kind::Select)
        return false;
    TElFormControl* c = controls[controlIndex];
    if (!m_combo) {
        m_combo = new QComboBox(viewport());
        m_combo->hide();
    }
    m_combo->disconnect(this);
    m_combo->clear();
    m_combo->addItems(c->options());
    m_combo->setCurrentIndex(c->selectedIndex());
    QRect r = c->documentRect().translated(-horizontalScrollBar()->value(),
                                           -verticalScrollBar()->value());
    m_combo->setGeometry(r);
    connect(m_combo, &QComboBox::activated, this, [this, controlIndex](int index) {
        setControlSelection(controlIndex, index);
        if (m_combo)
            m_combo->hide();
    });
    m_combo->show();
    m_combo->showPopup();
    return true;
}

void THTMLViewer::mousePressEvent(QMouseEvent* event) {
    // Form controls keep what the reader sets in them: only in the whole page.
    if (m_doc && m_doc->hasFormControls())
        complete();
    emit mousePressed(event);
    setFocus(Qt::MouseFocusReason);
    if (!m_doc || event->button() != Qt::LeftButton)
        return;
    QPoint d = toDocument(event->position().toPoint());
    THitInfo hit = m_doc->hasFormControls() ? m_doc->hitTest(d) : THitInfo();
    if (hit.control) {
        QList<TElFormControl*> controls = m_doc->controlElements();
        int index = int(controls.indexOf(hit.control));
        switch (hit.control->kind()) {
        case TElFormControl::Kind::Select:
            if (!hit.control->isListBox()) {
                openDropDown(index);
                return;
            }
            if (!hit.control->listBoxClick(d, event->modifiers()))
                return;
            break;
        case TElFormControl::Kind::CheckBox:
            hit.control->setChecked(!hit.control->checked());
            break;
        case TElFormControl::Kind::Radio:
            for (TElFormControl* other : controls)
                if (other->kind() == TElFormControl::Kind::Radio &&
                    other->name() == hit.control->name())
                    other->setChecked(false);
            hit.control->setChecked(true);
            break;
        default:
            break;
        }
        invalidateTiles();
        viewport()->update();
        return;
    }
    m_pressPos = event->position().toPoint();
    // The text position under the press is looked up when a drag starts: the
    // word index of a long page is not built for a mere click on a link.
    m_pressDocPos = d;
    m_dragAnchorKnown = false;
    m_dragging = true;
    if (m_selEnd > m_selStart) {
        m_selStart = m_selEnd = 0;
        viewport()->update();
    }
    QVector<QRect> changed;
    if (m_doc->mouseDown(d, &changed))
        repaintBoxes(changed);
}

void THTMLViewer::wheelEvent(QWheelEvent* event) {
    // The wheel over a list box with more entries than rows scrolls the list.
    if (m_doc && m_doc->hasFormControls()) {
        THitInfo hit = m_doc->hitTest(toDocument(event->position().toPoint()));
        TElFormControl* c = hit.control;
        if (c && c->isListBox() && c->options().size() > c->visibleRows()) {
            int steps = event->angleDelta().y() / 40; // three rows a notch
            int top = c->topRow();
            c->scrollRows(-steps);
            if (c->topRow() != top) {
                invalidateTiles();
                viewport()->update();
                event->accept();
                return;
            }
        }
    }
    QAbstractScrollArea::wheelEvent(event);
}

void THTMLViewer::mouseMoveEvent(QMouseEvent* event) {
    emit mouseMoved(event);
    if (!m_doc)
        return;
    QPoint vp = event->position().toPoint();
    QPoint d = toDocument(vp);
    if (m_dragging && (event->buttons() & Qt::LeftButton)) {
        if ((vp - m_pressPos).manhattanLength() >= QApplication::startDragDistance() &&
            !m_dragAnchorKnown) {
            m_dragAnchor = m_doc->words().positionAt(m_pressDocPos);
            m_dragAnchorKnown = true;
        }
        if ((vp - m_pressPos).manhattanLength() >= QApplication::startDragDistance() &&
            m_dragAnchor >= 0) {
            int pos = m_doc->words().positionAt(d);
            m_selStart = qMin(m_dragAnchor, pos);
            m_selEnd = qMax(m_dragAnchor, pos);
            if (vp.y() < 0)
                verticalScrollBar()->setValue(position() + vp.y());
            else if (vp.y() > viewport()->height())
                verticalScrollBar()->setValue(position() + vp.y() - viewport()->height());
            viewport()->update();
        }
        return;
    }
    QVector<QRect> changed;
    if (m_doc->mouseMove(d, &changed))
        repaintBoxes(changed);
    THitInfo hit = m_doc->hitTest(d);
    QString url = hit.isLink ? hit.url : QString();
    if (url != m_coveredUrl) {
        m_coveredUrl = url;
        emit hotSpotCovered(hit.isLink ? hit.target : QString(), url);
    }
    viewport()->setCursor(hit.isLink ? Qt::PointingHandCursor : Qt::ArrowCursor);
}

void THTMLViewer::mouseReleaseEvent(QMouseEvent* event) {
    if (!m_doc || event->button() != Qt::LeftButton)
        return;
    bool dragged = m_selEnd > m_selStart;
    m_dragging = false;
    if (dragged)
        return; // a selection, not a click
    QPoint d = toDocument(event->position().toPoint());
    m_hasPendingLink = false;
    QVector<QRect> changed;
    if (m_doc->mouseUp(d, &changed))
        repaintBoxes(changed);
    if (m_hasPendingLink) {
        m_hasPendingLink = false;
        followLink(m_pendingTarget, m_pendingUrl);
    }
}

void THTMLViewer::mouseDoubleClickEvent(QMouseEvent* event) {
    complete();
    if (!m_doc)
        return;
    auto [s, e] = m_doc->words().wordAt(toDocument(event->position().toPoint()));
    if (e > s) {
        m_selStart = s;
        m_selEnd = e;
        viewport()->update();
    }
}

void THTMLViewer::leaveEvent(QEvent* event) {
    QAbstractScrollArea::leaveEvent(event);
    QVector<QRect> changed;
    if (m_doc && m_doc->mouseLeave(&changed))
        repaintBoxes(changed);
    if (!m_coveredUrl.isEmpty()) {
        m_coveredUrl.clear();
        emit hotSpotCovered(QString(), QString());
    }
}

void THTMLViewer::keyPressEvent(QKeyEvent* event) {
    emit keyPressed(event);
    if (event->isAccepted() && event->modifiers() == Qt::ControlModifier) {
        if (event->key() == Qt::Key_C || event->key() == Qt::Key_Insert) {
            copyToClipboard();
            return;
        }
        if (event->key() == Qt::Key_A) {
            selectAll();
            return;
        }
    }
    switch (event->key()) {
    case Qt::Key_Home:
        setPosition(0);
        return;
    case Qt::Key_End:
        setPosition(maxPosition());
        return;
    default:
        QAbstractScrollArea::keyPressEvent(event);
    }
}

void THTMLViewer::followLink(const QString& target, const QString& url) {
    if (onHotSpotClick && onHotSpotClick(target, url))
        return;
    if (!m_doc)
        return;
    if (url.startsWith(QLatin1Char('#'))) {
        scrollToAnchor(url.mid(1));
        return;
    }
    if (linkpath::hasScheme(url))
        return;
    QString full = m_doc->expandLink(url);
    if (linkpath::samePath(linkpath::withoutAnchor(full), m_doc->path()) &&
        !linkpath::anchorOf(full).isEmpty()) {
        scrollToAnchor(linkpath::anchorOf(full));
        return;
    }
    if (loadFile(full))
        emit linkFollowed(full);
}

void THTMLViewer::setSelection(int start, int length) {
    complete();
    int size = m_doc ? int(m_doc->words().text().size()) : 0;
    m_selStart = qBound(0, start, size);
    m_selEnd = qBound(m_selStart, start + qMax(0, length), size);
    viewport()->update();
}

void THTMLViewer::selectAll() {
    complete();
    if (!m_doc)
        return;
    ensureLayout();
    setSelection(0, int(m_doc->words().text().size()));
}

QString THTMLViewer::selectedText() const {
    complete();
    if (!m_doc || m_selEnd <= m_selStart)
        return {};
    return m_doc->words().copyText(m_selStart, m_selEnd);
}

bool THTMLViewer::copyToClipboard(QString* error) {
    if (m_selEnd - m_selStart > kMaxCopyLength) {
        if (error)
            *error = QStringLiteral("Selected text exceeds buffer size");
        return false;
    }
    QString text = selectedText();
    if (text.isEmpty())
        return false;
    QApplication::clipboard()->setText(text);
    return true;
}

void THTMLViewer::scrollIntoView(const QRect& r) {
    int top = position();
    int h = viewport()->height();
    if (r.top() < top || r.bottom() > top + h)
        setPosition(qMax(0, r.top() - h / 3));
    int left = horizontalScrollBar()->value();
    int w = viewport()->width();
    if (r.left() < left || r.right() > left + w)
        horizontalScrollBar()->setValue(qMax(0, r.left() - w / 3));
}

bool THTMLViewer::find(const QString& text, bool matchCase) {
    complete();
    if (!m_doc)
        return false;
    ensureLayout();
    int from = m_selEnd;
    int at = textmatch::find(m_doc->words().text(), text, matchCase, from);
    if (at < 0)
        return false;
    int len = int(textmatch::collapseSpaces(text).size());
    setSelection(at, len);
    scrollIntoView(m_doc->words().boundingRect(at, at + len));
    return true;
}
