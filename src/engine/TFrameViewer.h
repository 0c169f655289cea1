#pragma once

#include "engine/TFrameSet.h"
#include "engine/THTMLViewer.h"
#include "engine/THtmlHistory.h"
#include "engine/TViewerSettings.h"

#include <QMap>
#include <QPointer>
#include <QStringList>
#include <QWidget>

#include <functional>

class TFileSource;

// The viewer of a content pane: one page, or a frame set of pages with
// named frames that links target; a history of files and titles; visited
// links; and the events the host needs.
class TFrameViewer : public QWidget {
    Q_OBJECT
public:
    enum Option { fvNoBorder = 1, fvOverLinksActive = 2, fvNoLinkUnderline = 4 };

    explicit TFrameViewer(QWidget* parent = nullptr);
    ~TFrameViewer() override;

    void setFileSource(const TFileSource* source) { m_source = source; }
    const TFileSource* fileSource() const { return m_source; }

    // Settings of every page shown; options are the fv* flags above.
    const TViewerSettings& settings() const { return m_settings; }
    void setSettings(const TViewerSettings& settings);
    int options() const { return m_options; }
    void setOptions(int options);
    int historyMaxCount() const { return m_history->maxCount(); }
    void setHistoryMaxCount(int count);
    int visitedMaxCount() const { return m_visitedMax; }
    void setVisitedMaxCount(int count);

    // Loads a page (or frame set) as a new history entry. A missing file
    // fails with "Can't locate file: " + path and changes nothing.
    bool loadFile(const QString& path, QString* error = nullptr);
    bool reload(QString* error = nullptr);
    // The page (or frame set) file shown; empty before the first load.
    QString currentFile() const { return m_currentFile; }
    QString documentTitle() const;
    // Full path of a link relative to the page last used.
    QString expandLink(const QString& link) const;

    // History, newest first. The model is owned by this viewer; readers may
    // keep the pointer for the viewer's lifetime and watch its changes.
    THtmlHistory* historyModel() const { return m_history; }
    QStringList history() const { return m_history->files(); }
    QStringList titleHistory() const { return m_history->titles(); }
    int historyIndex() const { return m_history->index(); }
    void setHistoryIndex(int index);
    bool backButtonEnabled() const { return m_history->canGoBack(); }
    bool fwdButtonEnabled() const { return m_history->canGoForward(); }
    void goBack();
    void goFwd();
    void clearHistory();

    // Visited links, newest first, at most visitedMaxCount().
    QStringList visited() const { return m_visited; }
    void addVisited(const QString& path);
    void checkVisitedLinks();

    // The single-document viewer last used (the only one without frames).
    THTMLViewer* activeViewer() const;
    // The viewer of a named frame, or nullptr.
    THTMLViewer* frameViewer(const QString& name) const;
    QStringList frameNames() const;
    QList<THTMLViewer*> viewers() const;
    bool isFrameSet() const { return m_root.isSet; }

    // Events. OnHotSpotTargetClick: set `handled` to stop the engine from
    // following the link itself.
    std::function<void(const QString& target, const QString& url)> OnHotSpotTargetCovered;
    std::function<void(const QString& target, const QString& url, bool& handled)>
        OnHotSpotTargetClick;
    std::function<void(TFrameViewer* sender)> OnHistoryChange;
    // Page header of printed pages, for every viewer of this frame viewer.
    printing::Header OnPrintHeader;

signals:
    void keyPressed(QKeyEvent* event);
    void mouseMoved(QMouseEvent* event);
    void mousePressed(QMouseEvent* event);
    void historyChanged();

protected:
    void resizeEvent(QResizeEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    // Dragging a frame border (one without noresize beside it) resizes the
    // frames on both sides.
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    struct Frame {
        QString name;
        QString file;
        QPointer<THTMLViewer> viewer;
        bool border = true;
    };

    bool showFile(const QString& path, const QMap<QString, QString>& frameFiles, QString* error);
    bool showInFrame(int frameIndex, const QString& path, QString* error);
    THTMLViewer* newViewer();
    void buildFrames(const TFrameNode& node, const QString& baseFile,
                     const QMap<QString, QString>& frameFiles, int depth);
    void layoutFrames();
    QRect contentRect() const;
    // A border between two rows or columns of a frame set.
    struct Border {
        QRect rect;
        TFrameNode* set = nullptr;
        bool betweenRows = false;
        int index = 0;      // the line after this row or column
        QVector<int> sizes; // the set's row or column sizes when laid out
        bool resizable = true;
    };
    void placeNode(TFrameNode& node, const QRect& rect, int& frameCursor);
    const Border* borderAt(const QPoint& p) const;
    void clearFrames();
    bool replaceNode(TFrameNode* node, const QString& path);
    bool isFrameSetPage(const QString& path) const;
    void pushHistory();
    void storePosition();
    THtmlHistoryEntry currentEntry() const;
    bool onLinkClicked(THTMLViewer* from, const QString& target, const QString& url);
    int borderWidth(const TFrameNode& set) const;
    TViewerSettings effectiveSettings() const;

    const TFileSource* m_source = nullptr;
    TViewerSettings m_settings;
    int m_options = 0;
    int m_visitedMax = 20;
    QString m_currentFile;
    TFrameNode m_root;
    QList<Frame> m_frames;
    QList<Border> m_borders; // gaps between frames, painted as frame borders
    Border m_drag;
    bool m_dragging = false;
    QPoint m_dragStart;
    QPointer<THTMLViewer> m_single;
    QPointer<THTMLViewer> m_active;
    THtmlHistory* m_history;
    QStringList m_visited;
};
