// Start-up benchmark: time from starting the process to the first frame in
// which its whole window shows: for the reader on a book, the end of the
// opening animation (the window grows from a small ellipse until then), for
// an empty Qt window of the same size started the same way, its first
// frame. The two run alternately; the ratio is taken per pair and its median
// printed (target <= 1.5), with the spread of the pairs.
//
// Usage: bench-startup [BOOK_RUN_FOLDER] [RUNS]
// Without a display it runs itself under xvfb-run.
#include "TestBook.h"

#include "data/StringUtils.h"
#include "data/TReadBin.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QGuiApplication>
#include <QImage>
#include <QProcess>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>

namespace {

// Milliseconds from start to the line holding `mark`; -1 on failure.
double timeToFirstFrame(const QString& program, const QStringList& args,
                        const QProcessEnvironment& env, const char* mark = "first frame") {
    QProcess p;
    p.setProcessEnvironment(env);
    p.setProcessChannelMode(QProcess::SeparateChannels);
    QElapsedTimer clock;
    clock.start();
    p.start(program, args);
    QByteArray out;
    double ms = -1;
    while (clock.elapsed() < 30000) {
        p.waitForReadyRead(5);
        out += p.readAllStandardOutput();
        if (out.contains(mark)) {
            ms = clock.nsecsElapsed() / 1e6;
            break;
        }
        if (p.state() == QProcess::NotRunning)
            break;
    }
    p.kill();
    p.waitForFinished(5000);
    return ms;
}

double median(QList<double> v) {
    if (v.isEmpty())
        return -1;
    std::sort(v.begin(), v.end());
    return v.size() % 2 ? v[v.size() / 2] : (v[v.size() / 2 - 1] + v[v.size() / 2]) / 2;
}

QSize skinSize(const QString& book) {
    TReadBin pack;
    if (!pack.load(book + "/Dod.dhl"))
        return {};
    const auto bytes = pack.read("Struct.cfs");
    if (!bytes)
        return {};
    for (const QString& line : cfs::decode(*bytes, true)) {
        const qsizetype at = line.indexOf("_screen");
        if (at >= 0) {
            const QString name = line.mid(line.indexOf('=', at) + 1).trimmed();
            const auto pic = pack.read(name);
            if (pic)
                return QImage::fromData(*pic).size();
        }
    }
    return {};
}

} // namespace

int main(int argc, char* argv[]) {
    if (qEnvironmentVariableIsEmpty("DISPLAY")) {
        QStringList args{"-a", "-s", "-screen 0 1280x1024x24", argv[0]};
        for (int i = 1; i < argc; ++i)
            args << argv[i];
        return QProcess::execute("xvfb-run", args);
    }
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    QTemporaryDir tmp;
    QString book = args.size() > 1 ? args[1] : QStringLiteral(VANTREL_BINARY_DIR "/demo-book/run");
    const int runs = args.size() > 2 ? qMax(1, args[2].toInt()) : 11;
    if (!QFile::exists(book + "/Dod.dhl")) {
        book = tmp.filePath("book/run");
        testbook::write(book, testbook::description("Benchbook"), testbook::pictures());
        std::printf("no demo book: using a small test book\n");
    }
    const QSize size = skinSize(book);
    if (size.isEmpty()) {
        std::fprintf(stderr, "bench-startup: cannot read the skin of %s\n", qPrintable(book));
        return 1;
    }

    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("VANTREL_FIRST_FRAME_MARK", "1");
    env.insert("QT_QPA_PLATFORM", "xcb");
    env.insert("XDG_CONFIG_HOME", tmp.filePath("config"));
    env.insert("TMPDIR", tmp.path());
    env.insert("QT_MEDIA_BACKEND", "gstreamer");
    // The window's own start-up is measured: the book's start clip (which
    // holds the window back for its length) is switched off in the settings.
    {
        QDir().mkpath(tmp.filePath("config/Quorvel"));
        QFile settings(tmp.filePath("config/Quorvel/Vantrel.conf"));
        if (settings.open(QIODevice::WriteOnly))
            settings.write("[General]\nClip=0\n");
    }

    // One warm-up of each, so both find the shared libraries in the page cache.
    timeToFirstFrame(EMPTY_EXE, {QString::number(size.width()), QString::number(size.height())},
                     env);
    timeToFirstFrame(VANTREL_EXE, {"--book", book}, env, "whole skin");

    QList<double> empty, reader, ratios, firstPaint;
    for (int i = 0; i < runs; ++i) {
        empty << timeToFirstFrame(
            EMPTY_EXE, {QString::number(size.width()), QString::number(size.height())}, env);
        reader << timeToFirstFrame(VANTREL_EXE, {"--book", book}, env, "whole skin");
        if (empty.last() > 0 && reader.last() > 0)
            ratios << reader.last() / empty.last();
        // The first painted frame (the start of the opening animation).
        firstPaint << timeToFirstFrame(VANTREL_EXE, {"--book", book}, env);
    }
    if (std::count(reader.begin(), reader.end(), -1.0) ||
        std::count(empty.begin(), empty.end(), -1.0)) {
        std::fprintf(stderr, "bench-startup: a run did not show its first frame\n");
        return 1;
    }
    const double e = median(empty);
    const double r = median(reader);
    std::printf("book: %s (%dx%d), %d runs each\n", qPrintable(QDir(book).absolutePath()),
                size.width(), size.height(), runs);
    std::printf("empty Qt window, first frame: median %.1f ms (min %.1f, max %.1f)\n", e,
                *std::min_element(empty.begin(), empty.end()),
                *std::max_element(empty.begin(), empty.end()));
    std::printf("vantrel skinned window, whole skin shown: median %.1f ms (min %.1f, max %.1f)\n",
                r, *std::min_element(reader.begin(), reader.end()),
                *std::max_element(reader.begin(), reader.end()));
    std::printf("  (its first painted frame, inside the opening animation: median %.1f ms)\n",
                median(firstPaint));
    std::printf("ratio per pair, median: %.2fx (pairs %.2f-%.2fx; target <= 1.5x)\n",
                median(ratios), *std::min_element(ratios.begin(), ratios.end()),
                *std::max_element(ratios.begin(), ratios.end()));
    return 0;
}
