#include "engine/THtmlDocument.h"

#include "engine/HtmlMarkup.h"
#include "engine/TElFormControl.h"
#include "engine/TFileSource.h"
#include "engine/TLegacyElements.h"
#include "engine/TLineHeights.h"
#include "engine/TLinkPath.h"
#include "engine/TMarginCollapse.h"
#include "engine/TMasterCss.h"
#include "engine/TPageFilter.h"
#include "engine/TPageLimits.h"
#include "engine/TPixelRect.h"
#include "engine/TQtContainer.h"
#include "platform/Log.h"

#include <litehtml/litehtml.h>

#include <litehtml/el_image.h>

#include <QPainter>
#include <QRegularExpression>

THtmlDocument::THtmlDocument(const TFileSource* source, const TViewerSettings& settings)
    : m_source(source), m_settings(settings) {}

THtmlDocument::~THtmlDocument() {
    m_pointer.reset();
    m_boxes.clear();
    m_doc.reset();
    m_container.reset();
}

bool THtmlDocument::load(const QString& path, QString* error) {
    if (!read(path, error))
        return false;
    create();
    return true;
}

void THtmlDocument::parse() {
    create();
    if (!m_takenStates.isEmpty())
        restoreControls(std::exchange(m_takenStates, {}));
}

int THtmlDocument::firstScreenCut(const QString& html, int from) {
    static const QRegularExpression tag(
        QStringLiteral("<(/?)(table|p|div|h[1-6]|hr|ul|ol|center|pre|blockquote|script|style|"
                       "!--)[\\s>]"),
        QRegularExpression::CaseInsensitiveOption);
    int depth = 0;
    int pos = 0;
    while (pos < html.size()) {
        QRegularExpressionMatch m = tag.match(html, pos);
        if (!m.hasMatch())
            return -1;
        pos = m.capturedEnd();
        const QString name = m.captured(2).toLower();
        const bool closing = !m.captured(1).isEmpty();
        if (name == QLatin1String("!--")) {
            int end = html.indexOf(QLatin1String("-->"), pos);
            if (end < 0)
                return -1;
            pos = end + 3;
            continue;
        }
        if (!closing && (name == QLatin1String("script") || name == QLatin1String("style"))) {
            int end = html.indexOf(QLatin1String("</") + name, pos, Qt::CaseInsensitive);
            if (end < 0)
                return -1;
            pos = end;
            continue;
        }
        if (name == QLatin1String("table")) {
            if (closing) {
                depth = qMax(0, depth - 1);
                continue;
            }
            if (depth++ == 0 && m.capturedStart() >= from)
                return m.capturedStart(); // a table outside any table
            continue;
        }
        if (!closing && depth == 0 && m.capturedStart() >= from)
            return m.capturedStart();
    }
    return -1;
}

bool THtmlDocument::read(const QString& path, QString* error) {
    std::optional<QByteArray> bytes;
    if (m_source)
        bytes = m_source->read(linkpath::withoutAnchor(path));
    if (!bytes) {
        if (error)
            *error = QStringLiteral("Can't locate file: ") + path;
        return false;
    }
    return decode(path, *bytes);
}

bool THtmlDocument::decode(const QString& path, const QByteArray& bytes) {
    m_kind = TPageDecoder::kindOf(path);
    m_path = linkpath::withoutAnchor(path);
    m_html = TPageDecoder::toHtml(bytes, m_kind, linkpath::fileNameOf(m_path));
    m_doc.reset();
    m_words.clear();
    m_wordsValid = false;
    return true;
}

void THtmlDocument::setHtml(const QString& html, const QString& path) {
    m_kind = TPageDecoder::Kind::Html;
    m_path = path;
    m_html = html;
    create();
}

void THtmlDocument::reparse() {
    if (m_doc)
        recreate(*this);
}

void THtmlDocument::recreate(const THtmlDocument& statesFrom) {
    QList<TElFormControl::State> states;
    for (TElFormControl* c : statesFrom.controlElements())
        states << c->state();
    create();
    restoreControls(states);
}

void THtmlDocument::restoreControls(const QList<TElFormControl::State>& states) {
    QList<TElFormControl*> controls = controlElements();
    if (controls.size() == states.size())
        for (int i = 0; i < controls.size(); ++i)
            controls[i]->restore(states[i]);
}

void THtmlDocument::copyFrom(const THtmlDocument& other) {
    takePage(other);
    parse();
}

void THtmlDocument::takePage(const THtmlDocument& other) {
    m_kind = other.m_kind;
    m_path = other.m_path;
    m_html = other.m_html;
    m_visited = other.m_visited;
    m_takenStates.clear();
    for (TElFormControl* c : other.controlElements())
        m_takenStates << c->state();
}

void THtmlDocument::setSettings(const TViewerSettings& settings) {
    if (settings == m_settings)
        return;
    m_settings = settings;
    reparse();
}

void THtmlDocument::setVisited(const QStringList& visited) {
    m_visited = visited;
}

void THtmlDocument::setPrinting(bool printing) {
    m_printing = printing;
    if (m_container)
        m_container->setPrinting(printing);
}

void THtmlDocument::setAnimate(bool animate) {
    m_animate = animate;
}

// Link colours of <body link vlink alink>: hints below the page's own CSS.
static QString bodyLinkRules(const QString& html) {
    static const QRegularExpression body(QStringLiteral("<body\\b[^>]*>"),
                                         QRegularExpression::CaseInsensitiveOption);
    auto m = body.match(html);
    if (!m.hasMatch())
        return {};
    QString tag = m.captured(0);
    auto value = [&](const char* name) {
        QRegularExpression re(
            QStringLiteral("\\b%1\\s*=\\s*[\"']?([#0-9a-zA-Z]+)").arg(QLatin1String(name)),
            QRegularExpression::CaseInsensitiveOption);
        auto v = re.match(tag);
        return v.hasMatch() ? legacyColor(v.captured(1)) : QString();
    };
    QString rules;
    QString link = value("link"), vlink = value("vlink"), alink = value("alink");
    if (!link.isEmpty())
        rules += QStringLiteral("a[href] { color: %1; }\n").arg(link);
    if (!vlink.isEmpty())
        rules += QStringLiteral("a[href]:visited { color: %1; }\n").arg(vlink);
    if (!alink.isEmpty())
        rules += QStringLiteral("a[href]:active { color: %1; }\n").arg(alink);
    return rules;
}

// The page bounded for the layout engine; what was cut is named once.
static QByteArray limitedPage(const QByteArray& utf8, const QString& path) {
    TPageLimits::Report report;
    QByteArray out = TPageLimits::apply(utf8, &report);
    if (report.changed()) {
        QStringList cut;
        if (report.depthCapped)
            cut << QStringLiteral("elements nested over %1 deep").arg(TPageLimits::maxDepth);
        if (report.tablesFlattened)
            cut << QStringLiteral("tables nested over %1 deep").arg(TPageLimits::maxTableDepth);
        if (report.spansClamped)
            cut << QStringLiteral("column or row spans out of range");
        if (report.selectorsDropped > 0)
            cut << QStringLiteral("%1 overlong style selectors").arg(report.selectorsDropped);
        vlog::complain(
            QStringLiteral("page %1 is beyond the reader's limits (%2); shown as bounded")
                .arg(path.isEmpty() ? QStringLiteral("(text)") : path,
                     cut.join(QStringLiteral(", "))));
    }
    return out;
}

void THtmlDocument::create() {
    m_pointer.reset();
    m_boxes.clear();
    m_doc.reset();
    m_words.clear();
    m_wordsValid = false;
    m_container = std::make_unique<TQtContainer>(m_source, m_settings, m_ownResources);
    m_container->setPageFile(m_path);
    m_container->setPrinting(m_printing);
    m_container->setAnimate(m_animate);
    m_container->setVisited(m_visited);
    m_container->onAnchorClick = [this](const QString& url, const litehtml::element::ptr& el) {
        if (!onLinkClick)
            return;
        const char* t = el ? el->get_attr("target") : nullptr;
        onLinkClick(url, t ? QString::fromUtf8(t) : m_baseTarget);
    };
    m_container->onCursor = [this](const QString& c) {
        if (onCursor)
            onCursor(c);
    };
    m_container->onImageChanged = [this] {
        if (onImageChanged)
            onImageChanged();
    };
    static const QRegularExpression baseTarget(
        QStringLiteral("<base\\b[^>]*\\btarget\\s*=\\s*[\"']?([^\"'\\s>]+)"),
        QRegularExpression::CaseInsensitiveOption);
    auto m = baseTarget.match(m_html);
    m_baseTarget = m.hasMatch() ? m.captured(1) : QString();
    QByteArray utf8 =
        mastercss::mendCss(mastercss::keepIndicesWithWords(TPageFilter::mend(m_html))).toUtf8();
    utf8 = limitedPage(utf8, m_path);
    // Only the default rules for elements the page can hold.
    m_context = std::make_unique<litehtml::context>();
    const QString css = mastercss::forTags(
        mastercss::styleSheet(m_settings) + bodyLinkRules(m_html), mastercss::tagsOf(utf8));
    m_context->load_master_stylesheet(css.toUtf8().constData());
    m_container->setDefaultSheet(m_context->master_css());
    m_doc =
        litehtml::document::createFromUTF8(utf8.constData(), m_container.get(), m_context.get());
    if (m_doc) {
        // Line heights are rarely set; the pass looks at every element.
        if (htmlmarkup::containsNoCase(m_html, "line-height") ||
            htmlmarkup::containsNoCase(m_html, "<link"))
            TLineHeights::inherit(m_doc->root());
        TMarginCollapse::apply(m_doc->root(), TMarginCollapse::isQuirksPage(m_html));
    }
    m_layoutWidth = 0;
}

const TWordIndex& THtmlDocument::words() const {
    if (!m_wordsValid && m_doc && m_layoutWidth > 0) {
        m_words.build(m_doc->root());
        m_wordsValid = true;
    }
    return m_words;
}

QString THtmlDocument::title() const {
    return m_container ? m_container->caption() : QString();
}

QString THtmlDocument::expandLink(const QString& link) const {
    if (m_container)
        return m_container->resolve(link);
    return linkpath::expand(m_path, link);
}

QSize THtmlDocument::pictureSize() const {
    return m_container ? m_container->lastPictureSize() : QSize();
}

int THtmlDocument::layout(int width, int viewHeight) {
    if (!m_doc)
        return 0;
    m_layoutWidth = qMax(1, width);
    m_viewHeight = viewHeight;
    m_container->setClientSize(QSize(m_layoutWidth, viewHeight));
    m_doc->media_changed();
    m_doc->render(m_layoutWidth);
    m_boxes.build(m_doc->root());
    m_wordsValid = false;
    return m_doc->height();
}

int THtmlDocument::width() const {
    return m_doc ? m_doc->width() : 0;
}
int THtmlDocument::height() const {
    return m_doc ? m_doc->height() : 0;
}

QColor THtmlDocument::background() const {
    return m_settings.defBackground;
}

void THtmlDocument::paint(QPainter* painter, const QRect& docRect) {
    painter->fillRect(docRect, m_settings.defBackground);
    if (!m_doc)
        return;
    litehtml::position clip(docRect.x(), docRect.y(), docRect.width(), docRect.height());
    painter->save();
    painter->setClipRect(docRect, Qt::IntersectClip);
    m_container->setPainter(painter);
    if (m_boxes.canCull())
        m_boxes.draw(reinterpret_cast<litehtml::uint_ptr>(painter), clip);
    else
        m_doc->draw(reinterpret_cast<litehtml::uint_ptr>(painter), 0, 0, &clip);
    // Clips the library left open (it pairs them, but be safe).
    while (m_container->clipDepth() > 0)
        m_container->del_clip();
    m_container->setPainter(nullptr);
    painter->restore();
}

THitInfo THtmlDocument::hitTest(const QPoint& p) const {
    THitInfo info;
    if (!m_doc)
        return info;
    auto el = m_boxes.canCull() ? m_boxes.elementAt(p)
                                : m_doc->root()->get_element_by_point(p.x(), p.y(), p.x(), p.y());
    info.element = el;
    for (auto e = el; e; e = e->parent()) {
        const char* tag = e->get_tagName();
        if (!tag)
            continue;
        if (!info.control)
            info.control = dynamic_cast<TElFormControl*>(e.get());
        if (!info.isImage && std::strcmp(tag, "img") == 0) {
            info.isImage = true;
            info.imageSrc = QString::fromUtf8(e->get_attr("src", ""));
            info.imageTitle = QString::fromUtf8(e->get_attr("title", ""));
            if (info.imageTitle.isEmpty())
                info.imageTitle = QString::fromUtf8(e->get_attr("alt", ""));
        }
        if (!info.isLink && std::strcmp(tag, "a") == 0 && e->get_attr("href")) {
            info.isLink = true;
            info.url = QString::fromUtf8(e->get_attr("href"));
            const char* t = e->get_attr("target");
            info.target = t ? QString::fromUtf8(t) : m_baseTarget;
        }
    }
    return info;
}

// The first laid-out box at or after `el` in document order.
static int firstTopFrom(const litehtml::element::ptr& el) {
    std::function<int(const litehtml::element::ptr&)> inside =
        [&](const litehtml::element::ptr& e) -> int {
        if (e->get_display() == litehtml::display_none)
            return -1;
        bool inlineEl = e->get_display() == litehtml::display_inline;
        if (!inlineEl) {
            litehtml::position p = e->get_placement();
            if (p.height > 0 || e->get_children_count() == 0)
                return p.y;
        }
        for (size_t i = 0; i < e->get_children_count(); ++i) {
            int y = inside(e->get_child(int(i)));
            if (y >= 0)
                return y;
        }
        return -1;
    };
    int y = inside(el);
    if (y >= 0)
        return y;
    // Nothing inside (an empty <a name>): the next box after it.
    for (auto cur = el; cur && cur->parent(); cur = cur->parent()) {
        auto parent = cur->parent();
        bool after = false;
        for (size_t i = 0; i < parent->get_children_count(); ++i) {
            auto child = parent->get_child(int(i));
            if (after) {
                int t = inside(child);
                if (t >= 0)
                    return t;
            }
            if (child == cur)
                after = true;
        }
    }
    return -1;
}

int THtmlDocument::anchorPosition(const QString& name) const {
    if (!m_doc || name.isEmpty())
        return -1;
    litehtml::element::ptr found;
    std::function<void(const litehtml::element::ptr&)> search =
        [&](const litehtml::element::ptr& e) {
            if (found)
                return;
            const char* n = e->get_attr("name");
            const char* id = e->get_attr("id");
            const char* tag = e->get_tagName();
            if ((n && tag && std::strcmp(tag, "a") == 0 && QString::fromUtf8(n) == name) ||
                (id && QString::fromUtf8(id) == name)) {
                found = e;
                return;
            }
            for (size_t i = 0; i < e->get_children_count(); ++i)
                search(e->get_child(int(i)));
        };
    search(m_doc->root());
    if (!found) {
        // Old pages differ in letter case between link and anchor.
        std::function<void(const litehtml::element::ptr&)> loose =
            [&](const litehtml::element::ptr& e) {
                if (found)
                    return;
                const char* n = e->get_attr("name");
                if (n && QString::fromUtf8(n).compare(name, Qt::CaseInsensitive) == 0) {
                    found = e;
                    return;
                }
                for (size_t i = 0; i < e->get_children_count(); ++i)
                    loose(e->get_child(int(i)));
            };
        loose(m_doc->root());
    }
    return found ? qMax(0, firstTopFrom(found)) : -1;
}

bool THtmlDocument::hasFormControls() const {
    return m_container && m_container->formControlCount() > 0;
}

QList<TElFormControl*> THtmlDocument::controlElements() const {
    QList<TElFormControl*> out;
    if (!m_doc)
        return out;
    std::function<void(const litehtml::element::ptr&)> walk = [&](const litehtml::element::ptr& e) {
        if (auto* c = dynamic_cast<TElFormControl*>(e.get()))
            out << c;
        for (size_t i = 0; i < e->get_children_count(); ++i)
            walk(e->get_child(int(i)));
    };
    walk(m_doc->root());
    return out;
}

QList<TFormControlInfo> THtmlDocument::formControls() const {
    QList<TFormControlInfo> out;
    for (TElFormControl* c : controlElements()) {
        TFormControlInfo info;
        info.name = c->name();
        info.type = c->typeName();
        info.value = c->value();
        info.selectedText = c->selectedText();
        info.options = c->options();
        info.listBox = c->isListBox();
        info.selectedTexts = c->selectedTexts();
        info.checked = c->checked();
        info.rect = c->documentRect();
        out << info;
    }
    return out;
}

QVector<QRect> THtmlDocument::unbreakableBoxes() const {
    QVector<QRect> out;
    for (const TWordIndex::Word& w : words().words())
        out << w.rect;
    if (!m_doc)
        return out;
    std::function<void(const litehtml::element::ptr&)> walk = [&](const litehtml::element::ptr& e) {
        if (e->get_display() == litehtml::display_none)
            return;
        if (dynamic_cast<litehtml::el_image*>(e.get()) || dynamic_cast<TElFormControl*>(e.get())) {
            litehtml::position p = e->get_placement();
            out << TPixelRect::of(p);
            return;
        }
        for (size_t i = 0; i < e->get_children_count(); ++i)
            walk(e->get_child(int(i)));
    };
    walk(m_doc->root());
    return out;
}

// The library's own pointer handling walks the whole tree; pages with an
// index go through it instead.
static bool libraryBoxes(bool changed, const litehtml::position::vector& boxes,
                         QVector<QRect>* redraw) {
    if (changed && redraw)
        for (const litehtml::position& b : boxes)
            redraw->push_back(QRect(b.x, b.y, b.width, b.height));
    return changed;
}

bool THtmlDocument::mouseMove(const QPoint& p, QVector<QRect>* redraw) {
    if (!m_doc)
        return false;
    if (m_boxes.canCull())
        return m_pointer.move(m_boxes.elementAt(p), m_boxes, m_container.get(), redraw);
    litehtml::position::vector boxes;
    return libraryBoxes(m_doc->on_mouse_over(p.x(), p.y(), p.x(), p.y(), boxes), boxes, redraw);
}

bool THtmlDocument::mouseLeave(QVector<QRect>* redraw) {
    if (!m_doc)
        return false;
    if (m_boxes.canCull())
        return m_pointer.leave(m_boxes, redraw);
    litehtml::position::vector boxes;
    return libraryBoxes(m_doc->on_mouse_leave(boxes), boxes, redraw);
}

bool THtmlDocument::mouseDown(const QPoint& p, QVector<QRect>* redraw) {
    if (!m_doc)
        return false;
    if (m_boxes.canCull())
        return m_pointer.press(m_boxes.elementAt(p), m_boxes, m_container.get(), redraw);
    litehtml::position::vector boxes;
    return libraryBoxes(m_doc->on_lbutton_down(p.x(), p.y(), p.x(), p.y(), boxes), boxes, redraw);
}

bool THtmlDocument::mouseUp(const QPoint& p, QVector<QRect>* redraw) {
    if (!m_doc)
        return false;
    if (m_boxes.canCull())
        return m_pointer.release(m_boxes.elementAt(p), m_boxes, m_container.get(), redraw);
    litehtml::position::vector boxes;
    return libraryBoxes(m_doc->on_lbutton_up(p.x(), p.y(), p.x(), p.y(), boxes), boxes, redraw);
}
