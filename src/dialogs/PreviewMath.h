#pragma once

#include <QSize>
#include <QSizeF>

class TMetaFilePrinter;

// The arithmetic of the print preview: fitting a picture page to the paper,
// the view zoom of each zoom-list entry, and the bounded zoom steps.
namespace previewmath {

// Zoom-list entries with a computed zoom.
enum ZoomEntry { FitPage = 0, FitWidth = 1, Manual = 2 };
constexpr int kZoomEntries = 12;

// The paper's usable size at print scale `scale`, in screen pixels: 2 cm
// margins on each side at the printer's resolution scaled by `scale`.
QSize usableSize(const TMetaFilePrinter& printer, double scale, double screenPpi);

// The print zoom that makes a picture of w x h screen pixels fit the paper;
// may turn the paper (the printer's orientation changes). 1 for an empty
// size.
double fitPicture(TMetaFilePrinter& printer, int w, int h, double screenPpi);

// The view zoom of zoom-list entry `entry` for a scroll box whose client
// area is `client`, with the paper's size in inches. `stored` is the view
// zoom kept for "Вручную".
double zoomFor(int entry, QSize client, QSizeF paperInches, double screenPpi, double stored);

// One click of the print-zoom tool: in (left button) below 3 grows by 1.1,
// out (right button) above 0.05 shrinks by 1.1; otherwise unchanged.
double printZoomStep(double zoom, bool in);
// One click of the view-zoom tool: in below 20 grows by 1.25, out above 0.1
// shrinks by 1.25.
double viewZoomStep(double zoom, bool in);

} // namespace previewmath
