#include "DocumentProbes.h"
#include "TestPages.h"

#include "engine/TFontEntry.h"
#include "engine/THtmlDocument.h"
#include "engine/TStyleSharing.h"

#include <QtTest>

#include <memory>

namespace {

// The computed fields of an element are the library's own (protected); an
// explicit instantiation may name them, and hands out their member pointers.
template <class Tag, typename Tag::type Member> struct Expose {
    friend typename Tag::type memberOf(Tag) { return Member; }
};
#define FIELD(Class, name, Type)                                                                   \
    struct Tag_##name {                                                                            \
        using type = Type litehtml::Class::*;                                                      \
        friend type memberOf(Tag_##name);                                                          \
    };                                                                                             \
    template struct Expose<Tag_##name, &litehtml::Class::name>;
FIELD(html_tag, m_display, litehtml::style_display)
FIELD(html_tag, m_el_position, litehtml::element_position)
FIELD(html_tag, m_text_align, litehtml::text_align)
FIELD(html_tag, m_overflow, litehtml::overflow)
FIELD(html_tag, m_white_space, litehtml::white_space)
FIELD(html_tag, m_visibility, litehtml::visibility)
FIELD(html_tag, m_box_sizing, litehtml::box_sizing)
FIELD(html_tag, m_z_index, int)
FIELD(html_tag, m_vertical_align, litehtml::vertical_align)
FIELD(html_tag, m_float, litehtml::element_float)
FIELD(html_tag, m_clear, litehtml::element_clear)
FIELD(html_tag, m_list_style_type, litehtml::list_style_type)
FIELD(html_tag, m_list_style_position, litehtml::list_style_position)
FIELD(html_tag, m_line_height, int)
FIELD(html_tag, m_lh_predefined, bool)
FIELD(html_tag, m_font_size, int)
FIELD(html_tag, m_font_metrics, litehtml::font_metrics)
FIELD(html_tag, m_css_text_indent, litehtml::css_length)
FIELD(html_tag, m_css_width, litehtml::css_length)
FIELD(html_tag, m_css_height, litehtml::css_length)
FIELD(html_tag, m_css_min_width, litehtml::css_length)
FIELD(html_tag, m_css_min_height, litehtml::css_length)
FIELD(html_tag, m_css_max_width, litehtml::css_length)
FIELD(html_tag, m_css_max_height, litehtml::css_length)
FIELD(html_tag, m_css_offsets, litehtml::css_offsets)
FIELD(html_tag, m_css_margins, litehtml::css_margins)
FIELD(html_tag, m_css_padding, litehtml::css_margins)
FIELD(html_tag, m_css_borders, litehtml::css_borders)
FIELD(html_tag, m_bg, litehtml::background)
FIELD(html_tag, m_css_border_spacing_x, litehtml::css_length)
FIELD(html_tag, m_css_border_spacing_y, litehtml::css_length)
FIELD(html_tag, m_border_collapse, litehtml::border_collapse)
FIELD(html_tag, m_border_spacing_x, int)
FIELD(html_tag, m_border_spacing_y, int)
#undef FIELD

template <class Tag> const auto& get(const litehtml::html_tag& el) {
    return el.*memberOf(Tag{});
}

QString text(const litehtml::css_length& l) {
    return QStringLiteral("%1/%2/%3/%4")
        .arg(l.is_predefined())
        .arg(l.predef())
        .arg(double(l.val()))
        .arg(int(l.units()));
}
QString text(const litehtml::web_color& c) {
    return QStringLiteral("#%1.%2.%3.%4").arg(c.red).arg(c.green).arg(c.blue).arg(c.alpha);
}
QString text(const litehtml::css_border& b) {
    return text(b.width) + QLatin1Char(' ') + QString::number(int(b.style)) + text(b.color);
}
QString text(const litehtml::margins& m) {
    return QStringLiteral("%1,%2,%3,%4").arg(m.left).arg(m.right).arg(m.top).arg(m.bottom);
}
template <class Box> QString sides(const Box& b) {
    return text(b.left) + QLatin1Char(',') + text(b.right) + QLatin1Char(',') + text(b.top) +
           QLatin1Char(',') + text(b.bottom);
}

// Everything the style parse sets on an element (and what it leads to: the
// font the page hands out for it, where layout put it, its children), one
// line per element in document order.
void describe(const litehtml::element::ptr& el, QStringList& out) {
    litehtml::font_metrics fm;
    const auto* font = reinterpret_cast<const TFontEntry*>(el->get_font(&fm));
    const litehtml::position& pos = el->get_position();
    QString line =
        QStringLiteral("<%1> display %2 font %3 %4 size %5 lh %6 fm %7/%8/%9 pos %10,%11 %12x%13 "
                       "margins %14 padding %15 borders %16 children %17")
            .arg(QString::fromUtf8(el->get_tagName() ? el->get_tagName() : "#text"))
            .arg(int(el->get_display()))
            .arg(font ? font->font.toString() : QStringLiteral("-"))
            .arg(font ? font->font.pixelSize() : 0)
            .arg(el->get_font_size())
            .arg(el->line_height())
            .arg(fm.height)
            .arg(fm.ascent)
            .arg(fm.x_height)
            .arg(pos.x)
            .arg(pos.y)
            .arg(pos.width)
            .arg(pos.height)
            .arg(text(el->get_margins()), text(el->get_paddings()), text(el->get_borders()))
            .arg(el->get_children_count());
    if (const auto* tag = dynamic_cast<const litehtml::html_tag*>(el.get())) {
        const auto& bg = get<Tag_m_bg>(*tag);
        const auto& borders = get<Tag_m_css_borders>(*tag);
        const auto& r = borders.radius;
        const auto& m = get<Tag_m_font_metrics>(*tag);
        line +=
            QStringLiteral(" | %1 %2 %3 %4 %5 %6 %7 z%8 %9 %10 %11 list %12 %13 lh %14 %15 fs %16 "
                           "fm %17/%18/%19/%20/%21")
                .arg(int(get<Tag_m_display>(*tag)))
                .arg(int(get<Tag_m_el_position>(*tag)))
                .arg(int(get<Tag_m_text_align>(*tag)))
                .arg(int(get<Tag_m_overflow>(*tag)))
                .arg(int(get<Tag_m_white_space>(*tag)))
                .arg(int(get<Tag_m_visibility>(*tag)))
                .arg(int(get<Tag_m_box_sizing>(*tag)))
                .arg(get<Tag_m_z_index>(*tag))
                .arg(int(get<Tag_m_vertical_align>(*tag)))
                .arg(int(get<Tag_m_float>(*tag)))
                .arg(int(get<Tag_m_clear>(*tag)))
                .arg(int(get<Tag_m_list_style_type>(*tag)))
                .arg(int(get<Tag_m_list_style_position>(*tag)))
                .arg(get<Tag_m_line_height>(*tag))
                .arg(get<Tag_m_lh_predefined>(*tag))
                .arg(get<Tag_m_font_size>(*tag))
                .arg(m.height)
                .arg(m.ascent)
                .arg(m.descent)
                .arg(m.x_height)
                .arg(m.draw_spaces);
        line +=
            QStringLiteral(" | indent %1 w %2 h %3 min %4 %5 max %6 %7 offsets %8 margins %9 "
                           "padding %10 borders %11 radius %12 %13 %14 %15 %16 %17 %18 %19")
                .arg(text(get<Tag_m_css_text_indent>(*tag)), text(get<Tag_m_css_width>(*tag)),
                     text(get<Tag_m_css_height>(*tag)), text(get<Tag_m_css_min_width>(*tag)),
                     text(get<Tag_m_css_min_height>(*tag)), text(get<Tag_m_css_max_width>(*tag)),
                     text(get<Tag_m_css_max_height>(*tag)), sides(get<Tag_m_css_offsets>(*tag)),
                     sides(get<Tag_m_css_margins>(*tag)))
                .arg(sides(get<Tag_m_css_padding>(*tag)), sides(borders), text(r.top_left_x),
                     text(r.top_left_y), text(r.top_right_x), text(r.top_right_y),
                     text(r.bottom_right_x), text(r.bottom_right_y), text(r.bottom_left_x))
                .arg(text(r.bottom_left_y));
        line += QStringLiteral(" | bg %1 %2 %3 %4 %5 %6 %7 %8 %9 | table %10 %11 %12 %13 %14")
                    .arg(QString::fromStdString(bg.m_image), QString::fromStdString(bg.m_baseurl),
                         text(bg.m_color), QString::number(int(bg.m_attachment)),
                         text(bg.m_position.x) + text(bg.m_position.y) + text(bg.m_position.width) +
                             text(bg.m_position.height),
                         QString::number(int(bg.m_repeat)), QString::number(int(bg.m_clip)),
                         QString::number(int(bg.m_origin)))
                    .arg(text(bg.m_radius.top_left_x))
                    .arg(text(get<Tag_m_css_border_spacing_x>(*tag)),
                         text(get<Tag_m_css_border_spacing_y>(*tag)),
                         QString::number(int(get<Tag_m_border_collapse>(*tag))))
                    .arg(get<Tag_m_border_spacing_x>(*tag))
                    .arg(get<Tag_m_border_spacing_y>(*tag));
    }
    // The properties as the element answers them (its rules, hints and
    // style attribute, each rule's text parsed once or for each element).
    static const char* const names[] = {"color",
                                        "font-family",
                                        "font-size",
                                        "font-weight",
                                        "font-style",
                                        "text-decoration",
                                        "line-height",
                                        "text-align",
                                        "text-indent",
                                        "text-transform",
                                        "vertical-align",
                                        "white-space",
                                        "display",
                                        "position",
                                        "left",
                                        "top",
                                        "right",
                                        "bottom",
                                        "z-index",
                                        "float",
                                        "clear",
                                        "width",
                                        "height",
                                        "min-width",
                                        "max-width",
                                        "overflow",
                                        "visibility",
                                        "cursor",
                                        "box-sizing",
                                        "margin-left",
                                        "margin-top",
                                        "margin-right",
                                        "margin-bottom",
                                        "padding-left",
                                        "padding-top",
                                        "padding-right",
                                        "padding-bottom",
                                        "border-left-width",
                                        "border-left-style",
                                        "border-left-color",
                                        "border-top-width",
                                        "border-top-style",
                                        "border-top-color",
                                        "border-right-width",
                                        "border-right-color",
                                        "border-bottom-width",
                                        "border-bottom-style",
                                        "border-top-left-radius-x",
                                        "border-bottom-right-radius-y",
                                        "border-collapse",
                                        "-litehtml-border-spacing-x",
                                        "-litehtml-border-spacing-y",
                                        "background-color",
                                        "background-image",
                                        "background-image-baseurl",
                                        "background-position",
                                        "background-repeat",
                                        "background-size",
                                        "list-style-type",
                                        "list-style-position",
                                        "list-style-image",
                                        "list-style-image-baseurl",
                                        "content"};
    line += QStringLiteral(" | css");
    for (const char* name : names)
        line += QLatin1Char(' ') + QString::fromUtf8(el->get_style_property(name, false, "-"));
    out << line;
    for (int i = 0; i < int(el->get_children_count()); ++i)
        describe(el->get_child(i), out);
}

} // namespace

// Like elements of a page take the computed style of the first of them in
// the page's first style pass; every field must come out as the library's
// own parse of each element makes it, before and after the pointer restyles
// a part of the page, and after a change of width re-parses it.
class TstStyleSharing : public QObject {
    Q_OBJECT

    struct Pair {
        std::unique_ptr<THtmlDocument> own, shared;
        TStyleSharing::Stats stats;
    };

    static Pair load(TestPages& pages, const QString& name, const QString& html, int width) {
        pages.page(name, html);
        static const TViewerSettings settings;
        Pair p;
        TStyleSharing::setEnabled(false);
        p.own = std::make_unique<THtmlDocument>(&pages.source, settings);
        p.own->load(pages.path(name));
        TStyleSharing::setEnabled(true);
        p.shared = std::make_unique<THtmlDocument>(&pages.source, settings);
        p.shared->load(pages.path(name));
        p.stats = TStyleSharing::lastPass();
        p.own->layout(width);
        p.shared->layout(width);
        return p;
    }

    // The first line where the two pages differ, or an empty string.
    static QString firstDifference(const Pair& p) {
        if (!p.own->isLoaded() || !p.shared->isLoaded())
            return QStringLiteral("not loaded");
        QStringList a, b;
        describe(p.own->root(), a);
        describe(p.shared->root(), b);
        for (int i = 0; i < qMin(a.size(), b.size()); ++i)
            if (a[i] != b[i])
                return QStringLiteral("element %1:\n  own    %2\n  shared %3")
                    .arg(i)
                    .arg(a[i], b[i]);
        if (a.size() != b.size())
            return QStringLiteral("%1 elements against %2").arg(a.size()).arg(b.size());
        return {};
    }

private slots:
    void init() { TStyleSharing::setEnabled(true); }
    void cleanup() { TStyleSharing::setEnabled(true); }

    // A long page of the reader's usual kind (headings, paragraphs, links,
    // small bordered tables): nearly every element takes another's results,
    // and every field equals the library's own parse.
    void usualPageEqualsOwnParse() {
        TestPages pages;
        QString html = QStringLiteral("<html><head><title>T</title></head><body>");
        for (int i = 0; i < 60; ++i)
            html += QStringLiteral("<h3>Part %1</h3><p>The <b>oil</b> filter <a href=\"p%1.htm\">"
                                   "engine</a> <i>starter</i> <u>belt</u>.</p><table border=1 "
                                   "cellpadding=2><tr><td>Bolt</td><td align=right>%1</td></tr>"
                                   "<tr><td>Nut <font size=-1 color=red>M%1</font></td><td>x</td>"
                                   "</tr></table><ul><li>one<li>two</ul>")
                        .arg(i);
        const Pair p = load(pages, "usual.htm", html + "</body></html>", 600);
        QVERIFY2(
            p.stats.shared > 10 * p.stats.parsed,
            qPrintable(
                QStringLiteral("%1 shared, %2 parsed").arg(p.stats.shared).arg(p.stats.parsed)));
        const QString diff = firstDifference(p);
        QVERIFY2(diff.isEmpty(), qPrintable(diff));
        QCOMPARE(p.shared->height(), p.own->height());
    }

    // Elements whose maps are equal but whose ancestors differ (font sizes
    // for em and percent lengths, inherited alignment, white space, list
    // style), nested tables and table parts made of other elements, floats,
    // positioned boxes with a stacking order, style attributes on one of many
    // like elements, backgrounds (a picture among them), list markers with a
    // picture, <font size>; then a hover restyle of a link inside shared
    // elements, and a re-parse for a narrower window (@media).
    void unlikeContextsAndRestyles() {
        TestPages pages;
        pages.write("dot.png", QByteArray::fromBase64("iVBORw0KGgoAAAANSUhEUgAAAAEAAAABCAYAAAAfFcSJ"
                                                      "AAAADUlEQVR42mNk+M9QDwADhgGAWjR9awAAAABJRU5E"
                                                      "rkJggg=="));
        QString body;
        const char* contexts[] = {"<div style='font-size:10px'>",
                                  "<div style='font-size:20px; text-align:center'>",
                                  "<div style='white-space:pre; font-family:monospace'>",
                                  "<blockquote>",
                                  "<font size=+2>",
                                  "<div class=wide>"};
        for (const char* open : contexts) {
            body += QString::fromLatin1(open);
            for (int i = 0; i < 4; ++i)
                body +=
                    QStringLiteral(
                        "<p class=imp>imp</p><div class='bp bq v'>bg <span>var</span></div>"
                        "<p class=box>Box <span class=em>em %1</span> <a href='l%1.htm'>link "
                        "<b>%1</b>"
                        "</a></p><div class=fl>float</div><div class=pos>pos %1</div>"
                        "<table border=2 cellspacing=3 bgcolor=#eeeeee><tr><td class=bg>cell<table "
                        "border=1><tr><td>inner %1</td></tr></table></td><td style='color:red'>own"
                        "</td><td>td</td></tr></table><div class=row><div class=cell>c1</div><div "
                        "class=cell>c2</div></div><table class=coll border=1 "
                        "cellpadding=4><tr><td>k</td></tr>"
                        "</table><table class=sp><tr><td>s</td></tr></table><ol "
                        "class=img><li>a<li>b</ol><ul "
                        "class=in><li>x<li "
                        "style='list-style-type:square'>y</ul><hr size=3 width=50%><br clear=all>"
                        "<input type=text size=5><img src=dot.png width=4 height=4>")
                        .arg(i);
            body += QString::fromLatin1(open).startsWith(QLatin1String("<font"))
                        ? QStringLiteral("</font>")
                    : QString::fromLatin1(open).startsWith(QLatin1String("<block"))
                        ? QStringLiteral("</blockquote>")
                        : QStringLiteral("</div>");
        }
        const QString css = QStringLiteral(
            "<style>.box { margin: 1em 5%; padding: 2ex 1em; width: 80%; text-indent: 2em; "
            "border: 1px solid blue; border-radius: 1em; line-height: 1.5 }"
            ".em { font-size: 1.5em; vertical-align: super; text-transform: uppercase }"
            ".fl { float: left; width: 5em; clear: left }"
            ".pos { position: relative; left: 1em; top: -0.5em; z-index: 3 }"
            ".wide .pos { position: absolute; right: 10%; width: 3em }"
            ".bg { background: url(dot.png) repeat-x 10% center; padding: 0.5em }"
            ".coll { border-collapse: collapse } .sp { border-spacing: 0.5em 1em }"
            ".row { display: table-row } .cell { display: table-cell; padding: 1em }"
            ".img li { list-style-image: url(dot.png) } .in { list-style-position: inside }"
            "a:hover { font-size: 150%; display: inline-block; background-color: yellow }"
            "a:hover b { border: 2px dotted red; margin: 0 1em }"
            ".imp { color: green !important; margin-left: 3px !important; padding: 1px }"
            "p.imp { color: red; margin-left: 7px; padding: 2px !important }"
            ".bp { background-position: 5px 5px } .bp.bq { background: url(dot.png) 10% top }"
            ".v { --c: #123456 } .v span { color: var(--c) }"
            "@media (max-width: 400px) { .box { width: 40%; font-size: 80% } }</style>");
        Pair p = load(pages, "unlike.htm", "<html><head>" + css + "</head><body>" + body, 600);
        QVERIFY2(
            p.stats.shared > 300,
            qPrintable(
                QStringLiteral("%1 shared, %2 parsed").arg(p.stats.shared).arg(p.stats.parsed)));
        QString diff = firstDifference(p);
        QVERIFY2(diff.isEmpty(), qPrintable(diff));
        // The font sizes above did reach the lengths.
        QVERIFY(p.shared->height() > 1000);

        // Over a link: its subtree is styled again the library's way.
        const QRect link = wordRect(*p.shared, QStringLiteral("link"));
        QVERIFY(!link.isEmpty());
        QVERIFY(p.own->mouseMove(link.center()));
        QVERIFY(p.shared->mouseMove(link.center()));
        p.own->layout(600);
        p.shared->layout(600);
        diff = firstDifference(p);
        QVERIFY2(diff.isEmpty(), qPrintable(diff));
        p.own->mouseLeave();
        p.shared->mouseLeave();
        p.own->layout(600);
        p.shared->layout(600);
        diff = firstDifference(p);
        QVERIFY2(diff.isEmpty(), qPrintable(diff));

        // Narrower: the @media rule applies and the whole page is parsed
        // again from what the first pass left.
        const int wide = p.shared->height();
        p.own->layout(360);
        p.shared->layout(360);
        diff = firstDifference(p);
        QVERIFY2(diff.isEmpty(), qPrintable(diff));
        QVERIFY(p.shared->height() != wide);
    }
};

QTEST_MAIN(TstStyleSharing)
#include "tst_stylesharing.moc"
