#pragma once

#include "engine/THtmlDocument.h"
#include "engine/TPageLoader.h"
#include "engine/TPrintFormatter.h"
#include "engine/TTileCache.h"
#include "engine/TViewerSettings.h"

#include <QAbstractScrollArea>
#include <QHash>
#include <QPixmap>
#include <QPointer>

#include <functional>
#include <memory>

class QComboBox;
class TFileSource;

// A scrolling view of one page: loading through the file source, scrolling
// with cached painted tiles, links, selection and copy, find, hit testing and
// form controls.
class THTMLViewer : public QAbstractScrollArea {
    Q_OBJECT
public:
    // A selection longer than this is not copied.
    static constexpr int kMaxCopyLength = 31999;

    explicit THTMLViewer(QWidget* parent = nullptr);
    ~THTMLViewer() override;

    void setFileSource(const TFileSource* source) { m_source = source; }
    const TFileSource* fileSource() const { return m_source; }
    const TViewerSettings& settings() const { return m_settings; }
    // New settings apply to the page shown (it is laid out again).
    void setSettings(const TViewerSettings& settings);

    // Loads a page ("page.htm#anchor" scrolls to the anchor). On failure the
    // page shown stays and `error` holds "Can't locate file: " + path.
    bool loadFile(const QString& path, QString* error = nullptr);
    // Shows page text already at hand as if it were the file `path`.
    void loadHtml(const QString& html, const QString& path);
    bool reload(QString* error = nullptr);
    void clear();
    QString currentFile() const;
    QString documentTitle() const;
    bool hasDocument() const { return m_doc && m_doc->isLoaded(); }
    // Whether the rest of a long page is still being prepared.
    bool isLoading() const { return m_loader && m_loader->isBusy(); }
    // Whether pages replaced are still being freed on another thread (for
    // the benchmark: a load timed from a quiet viewer).
    bool isFreeing() const { return m_loader && m_loader->isFreeing(); }
    // The page (completing a page whose first screen is shown).
    THtmlDocument* document() const;
    // Prepares copies of the page off the GUI thread (laid out for paper).
    TPageLoader& paperLoader();
    // Width and height of the last picture loaded for display.
    QSize lastPictureSize() const;

    // Vertical position: 0 is the top.
    int position() const;
    void setPosition(int y);
    int maxPosition() const;
    bool scrollToAnchor(const QString& name);

    // Visited links (full paths); remarkVisited() shows the list on the page.
    void setVisited(const QStringList& visited) { m_visited = visited; }
    const QStringList& visited() const { return m_visited; }
    void remarkVisited();

    // Selection, as positions in the page's text (document().words()).
    int selStart() const { return m_selStart; }
    int selLength() const { return m_selEnd - m_selStart; }
    void setSelection(int start, int length);
    void selectAll();
    QString selectedText() const;
    // Copies the selection as plain text; refuses a selection over
    // kMaxCopyLength characters ("Selected text exceeds buffer size").
    bool copyToClipboard(QString* error = nullptr);
    // Finds text after the current selection; selects and shows the match.
    bool find(const QString& text, bool matchCase);

    // The object at a point of the viewer (widget coordinates).
    THitInfo objectAt(const QPoint& viewerPoint) const;
    QList<TFormControlInfo> formControls() const;
    // Opens the drop-down list of the page's n-th form control (a real combo
    // box over the drawn one); false when it is not a drop-down (list boxes
    // are worked in the page: clicks select rows, the wheel scrolls them).
    bool openDropDown(int controlIndex);
    void setControlSelection(int controlIndex, int optionIndex);

    // Link clicks: return true when the host handled the link; otherwise the
    // viewer follows it itself (anchors scroll, pages load).
    std::function<bool(const QString& target, const QString& url)> onHotSpotClick;
    // Draws the page header of printed pages (page numbers).
    printing::Header onPrintHeader;
    // Lays out pending pages and paints nothing (for hidden viewers).
    void ensureLayout();
    // Number of painted tiles kept (for tests and the benchmark).
    int cachedTileCount() const { return m_tiles.count(); }
    const TTileCache& tiles() const { return m_tiles; }
    void paintViewport(QPainter* painter);

signals:
    void hotSpotCovered(const QString& target, const QString& url);
    void documentChanged();
    void keyPressed(QKeyEvent* event);
    void mouseMoved(QMouseEvent* event);
    void mousePressed(QMouseEvent* event);
    void linkFollowed(const QString& path);

protected:
    bool event(QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void scrollContentsBy(int dx, int dy) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    static constexpr int kTileWidth = 1024;
    static constexpr int kTileHeight = 256;
    void attach();
    void retire(std::unique_ptr<THtmlDocument> doc);
    void relayout();
    void invalidateTiles();
    // Repaints the boxes of the page that changed (document coordinates);
    // a null rectangle stands for the whole page.
    void repaintBoxes(const QVector<QRect>& boxes);
    // Paints one missing tile next to the view while the viewer is idle, so
    // that scrolling finds it ready.
    void prefetchTile();
    QPixmap tile(int row, int col);
    // Draws the missing tiles between two rows of a column in one pass.
    void paintMissingTiles(int col, int firstRow, int lastRow);
    void updateScrollBars();
    QPoint toDocument(const QPoint& viewportPoint) const;
    void followLink(const QString& target, const QString& url);
    void scrollIntoView(const QRect& docRect);

    const TFileSource* m_source = nullptr;
    TViewerSettings m_settings;
    // A long page shows its first screen from a parse of its beginning
    // while the whole page is parsed and laid out on another thread
    // (m_loader); anything that needs more than the first screen waits for
    // it (complete()).
    static constexpr int kProgressiveChars = 16 * 1024;
    // The first screen is cut at least this far into the body, and at least
    // kFirstScreenCharsPerPixel characters per pixel of the view's height
    // (enough text to fill the view; each character more is parse time the
    // window cannot take input).
    static constexpr int kFirstScreenChars = 4 * 1024;
    static constexpr int kFirstScreenCharsPerPixel = 8;
    void complete() const;
    // Shows the whole page in place of its first screen.
    void adopt(std::unique_ptr<THtmlDocument> doc);
    // Frees replaced pages once the window has painted (one posted event at
    // a time).
    void postAfterPaint();
    bool m_afterPaintPosted = false;
    mutable std::unique_ptr<THtmlDocument> m_doc;
    TPageLoader* m_loader;
    TPageLoader* m_paperLoader = nullptr;
    // Pages replaced by a new one, freed once the new page is on screen.
    std::vector<std::unique_ptr<THtmlDocument>> m_retired;
    QStringList m_visited;
    QString m_pendingAnchor;
    bool m_needsLayout = false;
    // Sixteen tiles of 1024x256 at 32 bits.
    static constexpr qint64 kTileCacheBytes = 16 * 1024 * 1024;
    TTileCache m_tiles{QSize(kTileWidth, kTileHeight), kTileCacheBytes};
    bool m_prefetchQueued = false;

    int m_selStart = 0;
    int m_selEnd = 0;
    int m_dragAnchor = -1;
    bool m_dragAnchorKnown = false;
    QPoint m_pressDocPos;
    bool m_dragging = false;
    QPoint m_pressPos;
    QString m_coveredUrl;
    // A link clicked inside the layout library's event handling; followed
    // once the library has returned (following it replaces the page).
    bool m_hasPendingLink = false;
    QString m_pendingTarget, m_pendingUrl;
    QPointer<QComboBox> m_combo;
};
