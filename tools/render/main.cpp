// vantrel-render PAGE -o OUT.png|OUT.pdf [--width N] [--book DIR]
// Renders a page as the engine shows it: to a PNG of the whole page, or to a
// paginated PDF through the page printer. With --book the page (and all it
// uses) is read through the book's content archive (DIR/interface.dat, then
// loose files); PAGE is then relative to DIR unless absolute.

#include "content/ContentArchive.h"
#include "data/BookPaths.h"
#include "engine/TFileSource.h"
#include "engine/TFrameSet.h"
#include "engine/TFrameViewer.h"
#include "engine/THtmlDocument.h"
#include "engine/TMetaFilePrinter.h"
#include "engine/TPrintFormatter.h"

#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QImage>
#include <QPainter>
#include <QPrinter>

#include <cstdio>
#include <memory>

static int usage() {
    std::fprintf(stderr,
                 "usage: vantrel-render PAGE -o OUT.png|OUT.pdf [--width N] [--book DIR]\n");
    return 2;
}

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM") && qEnvironmentVariableIsEmpty("DISPLAY") &&
        qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QStringList args = app.arguments().mid(1);
    QString page, out, book;
    int width = 800;
    for (int i = 0; i < args.size(); ++i) {
        const QString& a = args[i];
        if ((a == QLatin1String("-o") || a == QLatin1String("--out")) && i + 1 < args.size())
            out = args[++i];
        else if (a == QLatin1String("--width") && i + 1 < args.size()) {
            bool ok = false;
            width = args[++i].toInt(&ok);
            if (!ok || width < 50 || width > 10000) {
                std::fprintf(stderr, "vantrel-render: bad width\n");
                return 2;
            }
        } else if (a == QLatin1String("--book") && i + 1 < args.size())
            book = args[++i];
        else if (a.startsWith(QLatin1Char('-')))
            return usage();
        else if (page.isEmpty())
            page = a;
        else
            return usage();
    }
    if (page.isEmpty() || out.isEmpty())
        return usage();

    ContentArchive archive;
    std::unique_ptr<TFileSource> source;
    if (!book.isEmpty()) {
        QString dir = QFileInfo(book).absoluteFilePath();
        QString error;
        QString dat = QDir(dir).filePath(QStringLiteral("interface.dat"));
        if (QFileInfo::exists(dat) && !archive.open(dat, &error)) {
            std::fprintf(stderr, "vantrel-render: %s: %s\n", qPrintable(dat), qPrintable(error));
            return 1;
        }
        // Entries are stored relative to the book root (the base folder
        // without "run\").
        archive.setRootPrefix(BookPaths(dir).bookRoot());
        if (!QDir::isAbsolutePath(page))
            page = QDir(dir).filePath(page);
        source = std::make_unique<TArchiveSource>(archive);
    } else {
        page = QFileInfo(page).absoluteFilePath();
        source = std::make_unique<TDiskSource>();
    }

    TViewerSettings settings;
    THtmlDocument doc(source.get(), settings);
    doc.setAnimate(false);
    QString error;
    if (!doc.load(page, &error)) {
        std::fprintf(stderr, "vantrel-render: %s\n", qPrintable(error));
        return 1;
    }

    if (out.endsWith(QLatin1String(".pdf"), Qt::CaseInsensitive)) {
        QPrinter printer(QPrinter::HighResolution);
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(out);
        printer.setResolution(300);
        printer.setPageSize(QPageSize(QPageSize::A4));
        TMetaFilePrinter pages(&printer);
        if (!printing::FormatDocument(doc, pages, 1.0, true, {}, printing::DrawPageNumber) ||
            !printing::PrintPages(pages, 1, pages.pageCount())) {
            std::fprintf(stderr, "vantrel-render: cannot write %s\n", qPrintable(out));
            return 1;
        }
        std::printf("%s: %d page(s)\n", qPrintable(out), pages.pageCount());
        return 0;
    }

    if (frameset::parse(doc.html()).isSet) {
        // A frame set: the frame viewer splits it, one page per frame.
        TFrameViewer frames;
        frames.setFileSource(source.get());
        frames.resize(width, 600);
        if (!frames.loadFile(page, &error)) {
            std::fprintf(stderr, "vantrel-render: %s\n", qPrintable(error));
            return 1;
        }
        QImage image = frames.grab().toImage();
        if (!image.save(out)) {
            std::fprintf(stderr, "vantrel-render: cannot write %s\n", qPrintable(out));
            return 1;
        }
        std::printf("%s: %dx%d (frame set)\n", qPrintable(out), image.width(), image.height());
        return 0;
    }

    doc.layout(width, 600);
    const int maxHeight = 30000;
    int height = qBound(1, doc.height(), maxHeight);
    int w = qBound(width, doc.width(), 10000);
    QImage image(w, height, QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter p(&image);
    doc.paint(&p, QRect(0, 0, w, height));
    p.end();
    if (!image.save(out)) {
        std::fprintf(stderr, "vantrel-render: cannot write %s\n", qPrintable(out));
        return 1;
    }
    std::printf("%s: %dx%d%s\n", qPrintable(out), w, height,
                doc.height() > maxHeight ? " (cut)" : "");
    return 0;
}
