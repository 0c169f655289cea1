// Loads a 200 KB page of about 30 000 elements and measures the time to the
// first painted 700x600 screen and the time of one scrolled frame, with the
// same page in QTextDocument (setHtml, layout, paint) as the baseline.
// Prints medians and ratios. Targets: first screen within 150 ms and no
// slower than the baseline; a scrolled frame within 4 ms.

#include "engine/TFileSource.h"
#include "engine/THTMLViewer.h"
#include "engine/THtmlDocument.h"

#include <QAbstractTextDocumentLayout>
#include <QApplication>
#include <QElapsedTimer>
#include <QImage>
#include <QPainter>
#include <QTemporaryDir>
#include <QTextDocument>

#include <algorithm>
#include <cstdio>

static QString bigPage(int* elements) {
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
    html += QStringLiteral("</body></html>");
    // Elements and text nodes of the page.
    int count = 0;
    for (int k = 0; k + 1 < html.size(); ++k) {
        if (html[k] == QLatin1Char('<') && html[k + 1] != QLatin1Char('/'))
            ++count;
        else if (html[k] == QLatin1Char('>') && html[k + 1] != QLatin1Char('<'))
            ++count;
    }
    *elements = count;
    return html;
}

static double median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    int elements = 0;
    const QString html = bigPage(&elements);
    const int runs = 5;
    QImage screen(700, 600, QImage::Format_RGB32);

    std::vector<double> first, baseline, frames, uncached, parse, layout;
    for (int r = 0; r < runs; ++r) {
        QElapsedTimer t;
        t.start();
        THtmlDocument doc(nullptr, TViewerSettings());
        doc.setHtml(html, QStringLiteral("/bench/page.htm"));
        parse.push_back(t.nsecsElapsed() / 1e6);
        doc.layout(700, 600);
        layout.push_back(t.nsecsElapsed() / 1e6 - parse.back());
        {
            QPainter p(&screen);
            doc.paint(&p, QRect(0, 0, 700, 600));
        }
        first.push_back(t.nsecsElapsed() / 1e6);

        t.restart();
        {
            QPainter p(&screen);
            p.translate(0, -5000);
            doc.paint(&p, QRect(0, 5000, 700, 600));
        }
        uncached.push_back(t.nsecsElapsed() / 1e6);

        t.restart();
        QTextDocument td;
        td.setHtml(html);
        td.setTextWidth(700);
        td.documentLayout()->documentSize();
        {
            QPainter p(&screen);
            td.drawContents(&p, QRectF(0, 0, 700, 600));
        }
        baseline.push_back(t.nsecsElapsed() / 1e6);
    }

    // The viewer: the page read from a file, first screen, then the whole page.
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("page.htm"));
    {
        QFile f(file);
        f.open(QIODevice::WriteOnly);
        f.write("<meta charset=utf-8>" + html.toUtf8());
    }
    TDiskSource disk;
    std::vector<double> viewerFirst, viewerWhole;
    for (int r = 0; r < runs; ++r) {
        THTMLViewer v;
        v.setFileSource(&disk);
        v.resize(700, 600);
        QElapsedTimer t;
        t.start();
        v.loadFile(file);
        {
            QPainter p(&screen);
            v.paintViewport(&p);
        }
        viewerFirst.push_back(t.nsecsElapsed() / 1e6);
        v.document(); // the rest of the page
        viewerWhole.push_back(t.nsecsElapsed() / 1e6);
    }

    THTMLViewer viewer;
    viewer.setFileSource(&disk);
    viewer.resize(700, 600);
    viewer.loadFile(file);
    viewer.document();
    {
        QPainter p(&screen);
        viewer.paintViewport(&p);
    }
    for (int step = 1; step <= 200; ++step) {
        // The time between two scroll steps: the viewer paints the tiles
        // next to the view meanwhile.
        QCoreApplication::processEvents();
        viewer.setPosition(step * 40);
        QElapsedTimer t;
        t.start();
        QPainter p(&screen);
        viewer.paintViewport(&p);
        p.end();
        frames.push_back(t.nsecsElapsed() / 1e6);
    }

    const double f = median(first), b = median(baseline), s = median(frames), u = median(uncached);
    std::printf("page: %lld bytes, %d elements and text nodes\n",
                static_cast<long long>(html.toUtf8().size()), elements);
    const double vf = median(viewerFirst), vw = median(viewerWhole);
    std::printf("viewer: first screen of the page file %8.1f ms, whole page ready %8.1f ms "
                "(medians of %d)\n",
                vf, vw, runs);
    std::printf("ratio viewer first screen / baseline: %.2f (targets: <= 1.00 and <= 150 ms)\n",
                vf / median(baseline));
    std::printf("whole page in one go (parse, layout, paint 700x600): %8.1f ms median of %d\n", f,
                runs);
    std::printf("  of which parse %.1f ms, layout %.1f ms\n", median(parse), median(layout));
    std::printf("baseline QTextDocument (setHtml, layout, paint): %8.1f ms median of %d\n", b,
                runs);
    std::printf("ratio whole page / baseline: %.2f\n", f / b);
    std::printf("scrolled frame 700x600 with tile cache: %8.2f ms median of %zu (target <= 4 ms)\n",
                s, frames.size());
    std::vector<double> sorted = frames;
    std::sort(sorted.begin(), sorted.end());
    std::printf("  scrolled frames: 95th percentile %.2f ms, slowest %.2f ms\n",
                sorted[sorted.size() * 95 / 100], sorted.back());
    std::printf("viewport painted from the tree, no cache: %8.2f ms median; ratio cached/uncached "
                "%.2f\n",
                u, s / u);
    return 0;
}
