#pragma once

#include "engine/TViewerSettings.h"

#include <QString>

// The engine's default style sheet: HTML 4 defaults plus what legacy pages
// rely on, with the viewer's fonts and link colours filled in.
namespace mastercss {

QString styleSheet(const TViewerSettings& settings);
QString cssColor(const QColor& c);
// Rewrites what the layout library ignores in a page's CSS (style sheets,
// <style> blocks and style attributes): font-size smaller/larger become em,
// vertical-align sub/super a relative shift down or up.
QString mendCss(const QString& css);
// Pixels of the viewer's default font size (points at 96 dpi).
int defaultFontPx(const TViewerSettings& settings);

} // namespace mastercss
