#pragma once

#include "engine/TBoxIndex.h"
#include "engine/TElFormControl.h"
#include "engine/TPageDecoder.h"
#include "engine/TPointerState.h"
#include "engine/TViewerSettings.h"
#include "engine/TWordIndex.h"

#include <litehtml/litehtml.h>

#include <QColor>
#include <QList>
#include <QRect>
#include <QSize>
#include <QString>
#include <QStringList>

#include <functional>
#include <memory>

class TFileSource;
class TQtContainer;
class TElFormControl;
class QPainter;

// What lies under a point of a page.
struct THitInfo {
    bool isLink = false;
    QString url;    // href as written
    QString target; // target attribute (or the <base target>)
    bool isImage = false;
    QString imageSrc;
    QString imageTitle; // title, else alt
    TElFormControl* control = nullptr;
    litehtml::element::ptr element;
};

// A form control of a page as the host sees it.
struct TFormControlInfo {
    QString name;
    QString type; // "select", "text", "checkbox", "radio", "button", "textarea", ...
    QString value;
    QString selectedText; // drop-down lists and list boxes (the first selected)
    QStringList options;
    bool listBox = false; // a <select> with size above 1 or multiple
    QStringList selectedTexts;
    bool checked = false;
    QRect rect; // document coordinates
};

// One page laid out: loading through the file source, layout at a width,
// painting any part of it, hit testing, anchors, words and form controls.
// No widget: viewers, the page printer and the render tool share it.
class THtmlDocument {
public:
    THtmlDocument(const TFileSource* source, const TViewerSettings& settings);
    ~THtmlDocument();
    THtmlDocument(const THtmlDocument&) = delete;
    THtmlDocument& operator=(const THtmlDocument&) = delete;

    // Reads and parses a book file. A file that is not there fails with
    // "Can't locate file: " followed by the path.
    bool load(const QString& path, QString* error = nullptr);
    // load() in two steps: read and decode the file, then parse it.
    bool read(const QString& path, QString* error = nullptr);
    // read() of a file whose contents are at hand.
    bool decode(const QString& path, const QByteArray& bytes);
    void parse();
    // Where a long page can be cut for a first screen shown before the whole
    // page is parsed: the start of a block outside any table, at or after
    // `from` characters; -1 when there is none.
    static int firstScreenCut(const QString& html, int from);
    // Parses page text already decoded; `path` is where its links point from.
    void setHtml(const QString& html, const QString& path);
    // Parses the page again (visited links re-marked, new settings).
    void reparse();
    // Takes another document's page (for laying it out differently).
    void copyFrom(const THtmlDocument& other);
    // copyFrom() in two steps: takes the page and what the reader set in its
    // form controls (on the thread of `other`), and parse() parses it, on
    // any thread.
    void takePage(const THtmlDocument& other);
    const TFileSource* fileSource() const { return m_source; }
    const TViewerSettings& settings() const { return m_settings; }
    void setSettings(const TViewerSettings& settings);
    void setVisited(const QStringList& visited);
    void setPrinting(bool printing);
    void setAnimate(bool animate);
    // Fonts and pictures of the page's own, for a page parsed off the GUI
    // thread (applies to the next parse).
    void setOwnResources(bool own) { m_ownResources = own; }

    bool isLoaded() const { return m_doc != nullptr; }
    const QString& path() const { return m_path; }
    const QString& html() const { return m_html; }
    TPageDecoder::Kind kind() const { return m_kind; }
    QString title() const;
    QString baseTarget() const { return m_baseTarget; }
    // Full path of a link of this page.
    QString expandLink(const QString& link) const;
    // Size of the last picture loaded for display.
    QSize pictureSize() const;

    // Lays the page out for a view of this size; returns the height.
    int layout(int width, int viewHeight = 600);
    int layoutWidth() const { return m_layoutWidth; }
    int width() const;
    int height() const;
    QColor background() const;
    // Paints the part `docRect` of the page; the painter's origin is the
    // page's origin (translate it first to paint elsewhere).
    void paint(QPainter* painter, const QRect& docRect);

    THitInfo hitTest(const QPoint& docPoint) const;
    // Top of the element named by an anchor (<a name>, id), or -1.
    int anchorPosition(const QString& name) const;
    // Built on first use after each layout (find, selection, copy, printing).
    const TWordIndex& words() const;
    QList<TFormControlInfo> formControls() const;
    QList<TElFormControl*> controlElements() const;
    // Whether the page has form controls at all (cheap; hit tests of a long
    // page are not).
    bool hasFormControls() const;
    // Boxes of lines of text and pictures (document coordinates), for page
    // breaks that never cut them.
    QVector<QRect> unbreakableBoxes() const;

    // Hover and clicks, in document coordinates. Return true when a part
    // of the page needs repainting; `redraw` then gets the boxes to repaint
    // (document coordinates).
    bool mouseMove(const QPoint& p, QVector<QRect>* redraw = nullptr);
    bool mouseLeave(QVector<QRect>* redraw = nullptr);
    bool mouseDown(const QPoint& p, QVector<QRect>* redraw = nullptr);
    bool mouseUp(const QPoint& p, QVector<QRect>* redraw = nullptr);
    // Where the laid-out boxes lie (built with each layout).
    const TBoxIndex& boxes() const { return m_boxes; }

    TQtContainer* container() const { return m_container.get(); }
    // The page's element tree (null before a parse).
    litehtml::element::ptr root() const { return m_doc ? m_doc->root() : nullptr; }
    std::function<void(const QString& url, const QString& target)> onLinkClick;
    std::function<void(const QString& cursor)> onCursor;
    std::function<void()> onImageChanged;

private:
    void create();
    // Parses the page again keeping what the reader set in its form controls.
    void recreate(const THtmlDocument& statesFrom);
    void restoreControls(const QList<TElFormControl::State>& states);

    const TFileSource* m_source;
    TViewerSettings m_settings;
    QStringList m_visited;
    bool m_printing = false;
    bool m_animate = true;
    bool m_ownResources = false;
    // Form control states taken with a page, set after its next parse.
    QList<TElFormControl::State> m_takenStates;
    QString m_path;
    QString m_html;
    QString m_baseTarget;
    TPageDecoder::Kind m_kind = TPageDecoder::Kind::Html;
    int m_layoutWidth = 0;
    int m_viewHeight = 600;
    // Declaration order matters: the document is destroyed before the
    // container and the context it uses.
    std::unique_ptr<litehtml::context> m_context;
    std::unique_ptr<TQtContainer> m_container;
    litehtml::document::ptr m_doc;
    TBoxIndex m_boxes;
    TPointerState m_pointer;
    mutable TWordIndex m_words;
    mutable bool m_wordsValid = false;
};
