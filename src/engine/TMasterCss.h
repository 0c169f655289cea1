#pragma once

#include "engine/TViewerSettings.h"

#include <QByteArray>
#include <QSet>
#include <QString>

// The engine's default style sheet: HTML 4 defaults plus what legacy pages
// rely on, with the viewer's fonts and link colours filled in.
namespace mastercss {

QString styleSheet(const TViewerSettings& settings);
// The names of the elements a page can hold (lower case): every tag name
// written in its text, opening or closing, and those the parser adds by
// itself (html, head, body, tbody, ...).
QSet<QByteArray> tagsOf(const QByteArray& utf8);
// `css` without the selectors whose element is none of `tags` (a rule left
// with no selector goes too). The layout library tries every selector on
// every element, so a long page pays for each rule of the default sheet;
// most pages use a handful of its elements.
QString forTags(const QString& css, const QSet<QByteArray>& tags);
QString cssColor(const QColor& c);
// Rewrites what the layout library ignores in a page's CSS (style sheets,
// <style> blocks and style attributes): font-size smaller/larger become em,
// vertical-align sub/super a relative shift down or up.
QString mendCss(const QString& css);
// The layout library breaks lines between any two elements, so "H<sub>2</sub>O"
// could end up split; such runs are put into <nobr> (drawn as one unbroken
// box) in the page text.
QString keepIndicesWithWords(const QString& html);
// Pixels of the viewer's default font size (points at 96 dpi).
int defaultFontPx(const TViewerSettings& settings);

} // namespace mastercss
