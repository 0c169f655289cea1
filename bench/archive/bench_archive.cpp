// Reads every page of a large generated archive (2 000 pages, about 50 MB of
// HTML-like text) through TComprStream, and the same entries with a plain
// seek + read + uncompress(); prints the medians of several rounds and the
// ratio (target: at most 1.3).
#include "content/ArchiveWriter.h"
#include "content/ContentArchive.h"
#include "content/TComprStream.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QRandomGenerator>
#include <QTemporaryDir>

#include <zlib.h>

#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

constexpr int kPages = 2000;
constexpr int kPageSize = 25 * 1024;
constexpr int kRounds = 7;

// Page text from a vocabulary with markup, varied enough that deflate works
// about as hard as on real pages (ratio near 3-4:1).
QByteArray makePage(QRandomGenerator& rng, int n) {
    static const char* words[] = {
        "двигатель", "масло",   "фильтр",   "ремень",    "engine",  "oil",    "torque",
        "bolt",      "clutch",  "gearbox",  "проверьте", "снимите", "гайку",  "момент",
        "затяжки",   "Nm",      "mm",       "the",       "and",     "of",     "to",
        "replace",   "check",   "level",    "cylinder",  "head",    "valve",  "тормоз",
        "колодки",   "суппорт", "radiator", "coolant",   "pump",    "sensor", "wire"};
    constexpr int nWords = int(sizeof(words) / sizeof(words[0]));
    QByteArray out;
    out.reserve(kPageSize + 512);
    out += "<html><head><title>Page " + QByteArray::number(n) +
           "</title><link rel=stylesheet href=\"../style.css\"></head><body>\n";
    while (out.size() < kPageSize) {
        switch (rng.bounded(6)) {
        case 0:
            out += "<h2>Section " + QByteArray::number(rng.bounded(1000)) + "</h2>\n";
            break;
        case 1:
            out += "<table border=1><tr><td>" + QByteArray::number(rng.bounded(100000)) +
                   "</td><td>" + QByteArray::number(rng.bounded(1000) / 10.0) +
                   " Nm</td></tr></table>\n";
            break;
        case 2:
            out += "<a href=\"p" + QByteArray::number(rng.bounded(kPages)) + ".htm\">see page " +
                   QByteArray::number(rng.bounded(kPages)) + "</a>\n";
            break;
        default: {
            out += "<p>";
            const int n = 10 + int(rng.bounded(40));
            for (int i = 0; i < n; ++i) {
                out += words[rng.bounded(nWords)];
                out += rng.bounded(8) == 0 ? ", " : " ";
                if (rng.bounded(12) == 0)
                    out += QByteArray::number(rng.bounded(10000));
            }
            out += "</p>\n";
        }
        }
    }
    out += "</body></html>\n";
    return out;
}

double median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    QTemporaryDir dir;
    if (!dir.isValid()) {
        std::fprintf(stderr, "bench_archive: no temporary folder\n");
        return 1;
    }

    QElapsedTimer t;
    t.start();
    QRandomGenerator rng(12345);
    ArchiveWriter writer;
    qint64 total = 0;
    for (int i = 0; i < kPages; ++i) {
        const QByteArray page = makePage(rng, i);
        total += page.size();
        writer.addFile(QStringLiteral("chapter%1/p%2.htm").arg(i / 100).arg(i), page);
    }
    ArchiveWriter::Layout layout;
    const QString path = dir.filePath(QStringLiteral("interface.dat"));
    const auto bytes = writer.build(nullptr, &layout);
    QFile out(path);
    if (!bytes || !out.open(QIODevice::WriteOnly) || out.write(*bytes) != bytes->size()) {
        std::fprintf(stderr, "bench_archive: cannot write the archive\n");
        return 1;
    }
    out.close();
    std::printf("archive: %d pages, %.1f MB of text, %.1f MB on disk (built in %.1f s)\n", kPages,
                total / 1048576.0, bytes->size() / 1048576.0, t.elapsed() / 1000.0);

    ContentArchive archive;
    QString error;
    if (!archive.open(path, &error)) {
        std::fprintf(stderr, "bench_archive: %s\n", qPrintable(error));
        return 1;
    }
    archive.setRootPrefix(QStringLiteral("\\book\\"));
    const QStringList files = archive.listFiles();
    if (files.size() != kPages) {
        std::fprintf(stderr, "bench_archive: listed %lld files\n", qlonglong(files.size()));
        return 1;
    }
    QStringList asked;
    for (const QString& f : files)
        asked << QStringLiteral("\\book\\") + f.toLower();

    std::vector<double> streamMs, zlibMs;
    qint64 checkA = 0, checkB = 0;
    for (int round = 0; round < kRounds; ++round) {
        // Through TComprStream: lookup, read, inflate, stream.
        t.restart();
        qint64 sum = 0;
        for (const QString& f : asked) {
            TComprStream s(archive, f);
            sum += s.size() + quint8(s.data().at(s.size() / 2));
        }
        streamMs.push_back(t.nsecsElapsed() / 1e6);
        checkA = sum;

        // Baseline: the same entries read raw from the file and inflated by
        // zlib into a buffer of the known size.
        t.restart();
        sum = 0;
        QFile raw(path);
        raw.open(QIODevice::ReadOnly);
        std::vector<char> in, outBuf;
        for (const auto& e : layout.files) {
            in.resize(e.stored);
            raw.seek(qint64(layout.dataBase) + e.offset);
            raw.read(in.data(), e.stored);
            outBuf.resize(e.unpacked);
            uLongf len = e.unpacked;
            if (e.stored == e.unpacked)
                std::copy(in.begin(), in.end(), outBuf.begin());
            else if (uncompress(reinterpret_cast<Bytef*>(outBuf.data()), &len,
                                reinterpret_cast<const Bytef*>(in.data()), e.stored) != Z_OK)
                return 1;
            sum += qint64(len) + quint8(outBuf[len / 2]);
        }
        zlibMs.push_back(t.nsecsElapsed() / 1e6);
        checkB = sum;
    }
    if (checkA != checkB) {
        std::fprintf(stderr, "bench_archive: results differ (%lld vs %lld)\n", checkA, checkB);
        return 1;
    }
    const double a = median(streamMs), b = median(zlibMs);
    std::printf("read all %d files, median of %d rounds:\n", kPages, kRounds);
    std::printf("  TComprStream        %8.1f ms  (%.0f MB/s)\n", a, total / 1048576.0 / (a / 1000));
    std::printf("  zlib uncompress()   %8.1f ms  (%.0f MB/s)\n", b, total / 1048576.0 / (b / 1000));
    std::printf("  ratio %.2fx (target <= 1.30x)\n", a / b);
    return 0;
}
