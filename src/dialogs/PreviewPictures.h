#pragma once

#include <QCursor>
#include <QIcon>
#include <QString>

// The print preview's pictures: its toolbar pictures and magnifier cursors.
namespace previewpictures {

// A toolbar picture on a 20 x 20 transparent square: a few drawn shapes
// ("print", "page", "hand"), else the glyph as text.
QIcon toolIcon(const QString& glyph);
// The magnifier cursors: plain ("ZOOM", sign 0), with a plus ("ZOOM_IN",
// sign > 0) or a minus ("ZOOM_OUT", sign < 0).
QCursor magnifier(int sign);

} // namespace previewpictures
