#pragma once

#include <litehtml/litehtml.h>

#include <litehtml/el_anchor.h>
#include <litehtml/el_body.h>
#include <litehtml/el_break.h>
#include <litehtml/el_image.h>
#include <litehtml/el_table.h>
#include <litehtml/el_td.h>
#include <litehtml/el_tr.h>
#include <litehtml/html_tag.h>

#include <QString>

#include <string>

// Elements that carry the presentational attributes of HTML 4 into styles.
// Each adds its hints before the page's own style sheets are applied, so the
// page's CSS still wins over them.

// <font face size color>; size "+1"/"-2" is relative to 3.
class TElFont : public litehtml::html_tag {
public:
    explicit TElFont(const std::shared_ptr<litehtml::document>& doc) : html_tag(doc) {}
    void parse_attributes() override;
    static QString sizeKeyword(const QString& attr);
};

// <body bgcolor text background leftmargin topmargin marginwidth marginheight>
class TElBody : public litehtml::el_body {
public:
    explicit TElBody(const std::shared_ptr<litehtml::document>& doc) : el_body(doc) {}
    void parse_attributes() override;
};

// <table border cellspacing bgcolor background width height align bordercolor>
class TElTable : public litehtml::el_table {
public:
    explicit TElTable(const std::shared_ptr<litehtml::document>& doc) : el_table(doc) {}
    void parse_attributes() override;
    int render(int x, int y, int max_width, bool second_pass = false) override;
};

// <tr bgcolor align valign>
class TElRow : public litehtml::el_tr {
public:
    explicit TElRow(const std::shared_ptr<litehtml::document>& doc) : el_tr(doc) {}
    void parse_attributes() override;
};

// <td>/<th> with the table's cellpadding and border, and their own
// bgcolor, background, width, height, align, valign, nowrap.
class TElCell : public litehtml::el_td {
public:
    explicit TElCell(const std::shared_ptr<litehtml::document>& doc) : el_td(doc) {}
    void parse_attributes() override;
    // All that the hints of a cell are made from: its tag and attributes,
    // and those of its table (cells alike in these get equal maps).
    std::string hintInputs() const;
};

// <img hspace vspace border align>; a picture that cannot be shown draws its
// frame and alt text.
class TElImage : public litehtml::el_image {
public:
    explicit TElImage(const std::shared_ptr<litehtml::document>& doc) : el_image(doc) {}
    void parse_attributes() override;
    void draw(litehtml::uint_ptr hdc, int x, int y, const litehtml::position* clip) override;
};

// <hr size width noshade color align>
class TElRule : public litehtml::html_tag {
public:
    explicit TElRule(const std::shared_ptr<litehtml::document>& doc) : html_tag(doc) {}
    void parse_attributes() override;
};

// <br clear=left|right|all>. A break on a line of its own (after another
// break, after a block or first in a block) is one empty line high, so that
// "<br><br>" leaves a blank line as in browsers.
class TElBreak : public litehtml::el_break {
public:
    explicit TElBreak(const std::shared_ptr<litehtml::document>& doc) : el_break(doc) {}
    void parse_attributes() override;
    void parse_styles(bool is_reparse = false) override;

private:
    bool startsLine() const;
};

// Block elements with an align attribute (<div>, <p>, <h1>...).
class TElAligned : public litehtml::html_tag {
public:
    explicit TElAligned(const std::shared_ptr<litehtml::document>& doc) : html_tag(doc) {}
    void parse_attributes() override;
};

// Adds a presentational hint ("name: value") to an element's style.
void addHint(litehtml::style& style, const litehtml::element* el, const char* name,
             const QString& value);
// "#ff0000", "red", "ff0000" (a bare hex value, as old pages write it).
QString legacyColor(const QString& attr);
// "100", "100px" -> "100px"; "50%" stays; "" for junk.
QString legacyLength(const QString& attr);
