// A book page from any bytes: decoded as the reader decodes pages, parsed,
// laid out at two widths, painted into a small picture and hit-tested, as
// HTML and as a plain text file. Links and pictures fall through to an
// empty folder.
#include "FuzzSupport.h"

#include "content/ContentArchive.h"
#include "engine/TFileSource.h"
#include "engine/THtmlDocument.h"
#include "engine/TPageDecoder.h"

#include <QGuiApplication>
#include <QImage>
#include <QPainter>

#include <cstdlib>

namespace {

void render(const TFileSource& source, const QByteArray& bytes, const char* name) {
    static const TViewerSettings settings;
    THtmlDocument doc(&source, settings);
    const QString path = QLatin1String(name);
    doc.setHtml(TPageDecoder::toHtml(bytes, TPageDecoder::kindOf(path), path), path);
    QImage image(160, 120, QImage::Format_RGB32);
    for (int width : {300, 37}) {
        doc.layout(width, 120);
        QPainter painter(&image);
        doc.paint(&painter, QRect(0, 0, 160, 120));
        painter.end();
        doc.hitTest(QPoint(20, 20));
    }
    doc.words();
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
    setenv("QT_QPA_PLATFORM", "offscreen", 1);
    static QGuiApplication app(*argc, *argv);
    fuzz::enterEmptyFolder();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const ContentArchive archive;
    static const TArchiveSource source(archive);
    const QByteArray bytes(reinterpret_cast<const char*>(data), qsizetype(size));
    render(source, bytes, "page.htm");
    if (size < 4096)
        render(source, bytes, "notes.txt");
    return 0;
}
