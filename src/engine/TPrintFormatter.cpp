#include "engine/TPrintFormatter.h"

#include "engine/THTMLViewer.h"
#include "engine/THtmlDocument.h"
#include "engine/TMetaFilePrinter.h"
#include "engine/TPageLoader.h"

#include <QPainter>
#include <QPrinter>

#include <algorithm>
#include <memory>

namespace printing {

// Margins around the page's text, in inches.
static constexpr double kMargin = 0.5;
// How often the progress handler is called while a copy is laid out, in
// milliseconds.
static constexpr int kProgressMs = 15;

// Moves a page break up above any line of text or picture it would cut.
static int breakAbove(const QVector<QRect>& boxes, int top, int bottom) {
    int end = bottom;
    for (int pass = 0; pass < 64; ++pass) {
        int moved = end;
        for (const QRect& b : boxes) {
            int bt = b.top(), bb = b.top() + b.height();
            if (bt < moved && bb > moved && bt > top && b.height() <= bottom - top)
                moved = bt;
        }
        if (moved == end)
            break;
        end = moved;
    }
    return end > top ? end : bottom;
}

bool FormatDocument(const THtmlDocument& source, TMetaFilePrinter& printer, double printZoom,
                    bool printBackgrounds, const Progress& progress, const Header& header,
                    TPageLoader* loader) {
    printer.clear();
    bool stop = false;
    if (progress) {
        progress(0, stop);
        if (stop)
            return false;
    }
    if (printZoom <= 0)
        printZoom = 1;
    // Pages are recorded in the picture's resolution.
    QPicture probe;
    const double picDpiX = probe.logicalDpiX(), picDpiY = probe.logicalDpiY();
    const double toPicX = picDpiX / printer.ppiX(), toPicY = picDpiY / printer.ppiY();
    const int paperW = int(printer.paperWidth() * toPicX);
    const int paperH = int(printer.paperHeight() * toPicY);
    const int marginX = int(printer.offsetX() * toPicX + kMargin * picDpiX);
    const int marginY = int(printer.offsetY() * toPicY + kMargin * picDpiY);
    const int contentW = qMax(10, int(printer.printableWidth() * toPicX - 2 * kMargin * picDpiX));
    const int contentH = qMax(10, int(printer.printableHeight() * toPicY - 2 * kMargin * picDpiY));
    // Document pixels are 1/96 inch at print zoom 1.
    const double scale = printZoom * picDpiX / 96.0;
    const int layoutW = qMax(50, int(contentW / scale));
    const int pageH = qMax(20, int(contentH / scale));

    TViewerSettings settings = source.settings();
    settings.printTableBackgrounds = printBackgrounds;
    auto copy = std::make_unique<THtmlDocument>(source.fileSource(), settings);
    copy->setPrinting(true);
    copy->setAnimate(false);
    if (loader && progress) {
        // A long page takes a while to parse: the progress window paints and
        // takes "stop" meanwhile; a stopped copy is dropped on its thread.
        copy->takePage(source);
        loader->start(std::move(copy), [layoutW, pageH](THtmlDocument& d) {
            d.parse();
            d.layout(layoutW, pageH);
        });
        while (!loader->isReady(kProgressMs)) {
            progress(0, stop);
            if (stop) {
                loader->cancel();
                return false;
            }
        }
        copy = loader->wait();
        if (!copy)
            return false;
    } else {
        copy->copyFrom(source);
        copy->layout(layoutW, pageH);
    }
    const std::shared_ptr<THtmlDocument> doc = std::move(copy);
    const QVector<QRect> boxes = doc->unbreakableBoxes();
    const int total = qMax(1, doc->height());
    // The breaks first; a page's picture is drawn when the page is first
    // shown or printed, so a long page opens at once.
    QVector<int> tops;
    for (int y = 0; y < total;) {
        int end = y + pageH;
        if (end < total)
            end = breakAbove(boxes, y, end);
        tops << y;
        if (progress) {
            progress(int(tops.size()), stop);
            if (stop)
                return false;
        }
        y = end;
    }
    const bool numbers = printer.printPageNumbers();
    const QRect paper(0, 0, printer.paperWidth(), printer.paperHeight());
    const int ppi = printer.ppiY();
    printer.setPages(tops, [=](int n) {
        const int y = tops.at(n);
        const int end = n + 1 < tops.size() ? tops.at(n + 1) : total;
        QPicture pic;
        pic.setBoundingRect(QRect(0, 0, paperW, paperH));
        QPainter p(&pic);
        p.save();
        p.translate(marginX, marginY);
        p.scale(scale, scale);
        p.translate(0, -y);
        QRect area(0, y, qMax(layoutW, doc->width()), end - y);
        p.setClipRect(QRect(0, y, layoutW, end - y));
        doc->paint(&p, area);
        p.restore();
        if (header && numbers) {
            p.save();
            p.scale(toPicX, toPicY);
            header(&p, n + 1, paper, ppi);
            p.restore();
        }
        p.end();
        return pic;
    });
    return true;
}

bool Format(THTMLViewer* viewer, TMetaFilePrinter& printer, double printZoom,
            const Progress& progress, const Header& header) {
    if (!viewer || !viewer->document() || !viewer->document()->isLoaded()) {
        printer.clear();
        return true;
    }
    return FormatDocument(*viewer->document(), printer, printZoom,
                          viewer->settings().printTableBackgrounds, progress,
                          header ? header : viewer->onPrintHeader, &viewer->paperLoader());
}

bool PrintPages(TMetaFilePrinter& printer, int from, int to, const Progress& progress) {
    QPrinter* device = printer.printer();
    if (!device || !device->isValid())
        return false;
    from = qMax(1, from);
    to = qMin(to, printer.pageCount());
    if (to < from)
        return true;
    QPainter p;
    if (!p.begin(device))
        return false;
    bool stop = false;
    for (int n = from; n <= to; ++n) {
        if (n > from && !device->newPage()) {
            p.end();
            return false;
        }
        p.drawPicture(0, 0, printer.page(n - 1));
        if (progress) {
            progress(n, stop);
            if (stop)
                break;
        }
    }
    p.end();
    return !stop;
}

bool Print(THTMLViewer* viewer, TMetaFilePrinter& printer, int from, int to, double printZoom,
           const Progress& progress, const Header& header) {
    if (printer.pageCount() == 0 && !Format(viewer, printer, printZoom, progress, header))
        return false;
    return PrintPages(printer, from, to, progress);
}

void DrawPageNumber(QPainter* painter, int page, const QRect& paper, int ppi) {
    QFont font(QStringLiteral("Arial"));
    font.setPixelSize(qMax(1, 8 * ppi / 72)); // 8 points

    painter->save();
    painter->setFont(font);
    painter->setPen(Qt::black);
    QString text = QStringLiteral("Страница %1").arg(page);
    int w = painter->fontMetrics().horizontalAdvance(text);
    painter->drawText(QRect(paper.width() - 50 - w, 40, w, painter->fontMetrics().height()),
                      Qt::AlignRight | Qt::AlignTop, text);
    painter->restore();
}

} // namespace printing
