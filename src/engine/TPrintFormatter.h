#pragma once

#include <QRect>
#include <QString>

#include <functional>

class QPainter;
class THTMLViewer;
class THtmlDocument;
class TMetaFilePrinter;
class TPageLoader;

// Lays a page out for paper and records or prints it page by page.
// The progress handler gets the page number (0 while laying out) and can
// stop the work by setting `stop`.
namespace printing {

using Progress = std::function<void(int page, bool& stop)>;
// Draws a page header; the painter works in printer pixels of the paper.
using Header =
    std::function<void(QPainter* painter, int page, const QRect& paper, int pixelsPerInch)>;

// Lays the viewer's page out for the page printer's paper at `printZoom`
// (1 = the page at its screen size) and gives the printer every page, each
// recorded when it is first used. False when stopped.
bool Format(THTMLViewer* viewer, TMetaFilePrinter& printer, double printZoom,
            const Progress& progress = {}, const Header& header = {});
// The same for a page given as a document (the render tool, tests). With a
// loader and a progress handler, the copy of the page for paper is parsed
// and laid out on the loader's thread while the handler is called (with 0)
// every few milliseconds, so that a progress window stays live and can stop.
bool FormatDocument(const THtmlDocument& source, TMetaFilePrinter& printer, double printZoom,
                    bool printBackgrounds, const Progress& progress = {}, const Header& header = {},
                    TPageLoader* loader = nullptr);
// Prints pages from..to (1-based, inclusive) on the page printer's printer,
// formatting first when nothing is formatted. False when stopped or failed.
bool Print(THTMLViewer* viewer, TMetaFilePrinter& printer, int from, int to, double printZoom,
           const Progress& progress = {}, const Header& header = {});
// Sends already formatted pages to the printer.
bool PrintPages(TMetaFilePrinter& printer, int from, int to, const Progress& progress = {});

// The default page header: "Страница N" in Arial 8 pt, right-aligned at
// x = paper width - 50, y = 40.
void DrawPageNumber(QPainter* painter, int page, const QRect& paper, int pixelsPerInch);

} // namespace printing
