// Opens the print preview on a 200 KB page already shown in a viewer and
// measures the time until the first sheet is painted on the screen: laying
// the page out into sheets (with the progress window), building the window
// and drawing the sheet. Prints the median of five runs, the parts, the
// goal (300 ms) and the ratio.

#include "dialogs/TPreviewForm.h"
#include "dialogs/TPreviewPage.h"
#include "engine/TFileSource.h"
#include "engine/THTMLViewer.h"
#include "engine/THtmlDocument.h"
#include "engine/TMetaFilePrinter.h"
#include "engine/TPrintFormatter.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QPrinter>
#include <QTemporaryDir>
#include <QTimer>

#include <algorithm>
#include <cstdio>
#include <vector>

static QString bigPage() {
    QString html = QStringLiteral("<html><head><title>Bench</title></head><body>");
    int i = 0;
    while (html.size() < 200 * 1024) {
        html += QStringLiteral("<h3>Part %1</h3><p>The <b>oil</b> filter <a href=\"p%1.htm\">"
                               "engine</a> <i>starter</i> <u>belt</u>.</p><table border=1 "
                               "cellpadding=2><tr><td>Nm</td><td>%1</td><td><font color=red>"
                               "c</font></td></tr><tr><td>a</td><td><b>b</b></td><td>c</td></tr>"
                               "</table>")
                    .arg(i++);
    }
    return html + QStringLiteral("</body></html>");
}

static double median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QTemporaryDir dir;
    const QString path = dir.filePath("big.htm");
    {
        QFile f(path);
        f.open(QIODevice::WriteOnly);
        f.write(bigPage().toLatin1());
    }
    TDiskSource source;
    THTMLViewer viewer;
    viewer.setFileSource(&source);
    viewer.resize(700, 600);
    viewer.onPrintHeader = printing::DrawPageNumber;
    QElapsedTimer loading;
    loading.start();
    if (!viewer.loadFile(path)) {
        std::fprintf(stderr, "bench_preview: the page does not load\n");
        return 1;
    }
    viewer.document(); // the whole page parsed and laid out
    // The same page loaded into the viewer, for scale on a busy machine.
    const double load = loading.nsecsElapsed() / 1e6;
    std::printf("the page loaded into a viewer: %.1f ms\n", load);
    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(dir.filePath("out.pdf"));

    // The parts of laying out: the print copy of the page, its layout at
    // the sheet's width, the boxes no break may cut.
    {
        QElapsedTimer t;
        t.start();
        THtmlDocument doc(&source, viewer.settings());
        doc.setPrinting(true);
        doc.copyFrom(*viewer.document());
        const double copy = t.nsecsElapsed() / 1e6;
        doc.layout(700, 1000);
        const double layout = t.nsecsElapsed() / 1e6 - copy;
        const int boxes = doc.unbreakableBoxes().size();
        const double unbreakable = t.nsecsElapsed() / 1e6 - copy - layout;
        std::printf("print copy %.1f ms, layout %.1f ms, %d unbreakable boxes %.1f ms\n", copy,
                    layout, boxes, unbreakable);
    }
    const int runs = 5;
    std::vector<double> total, format, shown, blocked;
    int sheets = 0;
    for (int r = 0; r < runs; ++r) {
        QElapsedTimer t;
        t.start();
        // The longest stretch in which the event loop served nothing while
        // the sheets were laid out (the progress window could not paint or
        // take "Отмена"): the gaps between the ticks of a 1 ms timer.
        QElapsedTimer tick;
        tick.start();
        double longest = 0;
        QTimer ticker;
        ticker.setInterval(1);
        QObject::connect(&ticker, &QTimer::timeout, [&] {
            longest = std::max(longest, tick.nsecsElapsed() / 1e6);
            tick.restart();
        });
        ticker.start();
        TPreviewForm preview(nullptr, &viewer, &printer);
        if (preview.Create()) {
            std::fprintf(stderr, "bench_preview: the preview did not start\n");
            return 1;
        }
        ticker.stop();
        blocked.push_back(std::max(longest, tick.nsecsElapsed() / 1e6));
        format.push_back(t.nsecsElapsed() / 1e6);
        preview.resize(1000, 800);
        preview.show();
        // The first sheet painted.
        const QPixmap first = preview.pageView(0)->grab();
        shown.push_back(t.nsecsElapsed() / 1e6 - format.back());
        total.push_back(t.nsecsElapsed() / 1e6);
        sheets = preview.pageCount();
        if (first.isNull())
            return 1;
    }
    const double goal = 300;
    const double m = median(total);
    std::printf("preview of a 200 KB page (%d sheets), first sheet shown: median %.1f ms "
                "(laying out %.1f ms, window and sheet %.1f ms)\n",
                sheets, m, median(format), median(shown));
    std::printf("goal <= %.0f ms, ratio %.2f: %s; %.2f x loading the page into a viewer\n", goal,
                m / goal, m <= goal ? "met" : "missed", m / load);
    const double block = median(blocked);
    std::printf("longest input block while laying out: median %.1f ms (runs %.1f-%.1f), goal <= "
                "50 ms: %s\n",
                block, *std::min_element(blocked.begin(), blocked.end()),
                *std::max_element(blocked.begin(), blocked.end()), block <= 50 ? "met" : "missed");
    return 0;
}
