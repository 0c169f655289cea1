// Two figures for RAR archives, each the median of several rounds:
// - listing an archive of 10 000 entries (100 folders of 100 files) into its
//   pages: scan, implied folders, every page written (goal: at most 1 s);
// - unpacking an archive of 100 MB (20 stored files of 5 MB) with the
//   reader's extraction against `bsdtar -x` on the same archive (goal: at
//   most 1.3 times bsdtar's time).
#include "content/RarWriter.h"
#include "content/TArchiveListing.h"
#include "content/TRarExtractor.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QProcess>
#include <QRandomGenerator>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

double median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

double listingSeconds(const QString& archive, const QString& folder) {
    QElapsedTimer t;
    t.start();
    TArchiveListing listing;
    if (!listing.scan(archive, archive))
        std::fprintf(stderr, "bench_rar: the listing failed\n");
    listing.completeDirectories();
    QDir().mkpath(folder);
    if (!listing.write(folder, "as_many.rar.htm", archive, 12345))
        std::fprintf(stderr, "bench_rar: the pages could not be written\n");
    return t.nsecsElapsed() / 1e9;
}

double unpackSeconds(const QString& archive, const QString& folder) {
    QElapsedTimer t;
    t.start();
    TRarExtractor x;
    x.Message = [](const QString& m) {
        std::fprintf(stderr, "bench_rar: %s\n", m.toUtf8().constData());
    };
    const TRarExtractor::RResult r = x.extract(archive, archive, folder);
    const double s = t.nsecsElapsed() / 1e9;
    if (!r.complete)
        std::fprintf(stderr, "bench_rar: the unpacking did not finish\n");
    return s;
}

double bsdtarSeconds(const QString& bsdtar, const QString& archive, const QString& folder) {
    QDir().mkpath(folder);
    QElapsedTimer t;
    t.start();
    QProcess p;
    p.start(bsdtar, {"-x", "-f", archive, "-C", folder});
    p.waitForFinished(-1);
    const double s = t.nsecsElapsed() / 1e9;
    if (p.exitCode() != 0)
        std::fprintf(stderr, "bench_rar: bsdtar failed: %s\n",
                     p.readAllStandardError().constData());
    return s;
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    QTemporaryDir tmp;
    if (!tmp.isValid())
        return 1;

    // 1. 10 000 entries into pages.
    RarWriter many;
    for (int d = 0; d < 100; ++d)
        for (int f = 0; f < 100; ++f)
            many.addFile(QStringLiteral("Папка %1/файл %2.txt").arg(d).arg(f),
                         QByteArray::number(d * 100 + f));
    const QString manyPath = tmp.filePath("many.rar");
    RarWriter::save(manyPath, many.archive());
    std::vector<double> listing;
    for (int round = 0; round < 5; ++round) {
        const QString out = tmp.filePath(QStringLiteral("pages%1").arg(round));
        listing.push_back(listingSeconds(manyPath, out));
        QDir(out).removeRecursively();
    }
    const double listed = median(listing);
    std::printf("listing 10000 entries into 101 pages: %.3f s (goal <= 1.000 s) %s\n", listed,
                listed <= 1.0 ? "met" : "MISSED");

    // 2. 100 MB unpacked.
    RarWriter big;
    QRandomGenerator rng(42);
    for (int i = 0; i < 20; ++i) {
        QByteArray data(5 << 20, Qt::Uninitialized);
        auto* words = reinterpret_cast<quint32*>(data.data());
        for (qsizetype k = 0; k < data.size() / 4; ++k)
            words[k] = rng.generate();
        big.addFile(QStringLiteral("data/part%1.bin").arg(i), data);
    }
    const QString bigPath = tmp.filePath("big.rar");
    RarWriter::save(bigPath, big.archive());
    big = RarWriter();

    const QString bsdtar = QStandardPaths::findExecutable("bsdtar");
    std::vector<double> ours, theirs;
    for (int round = 0; round < 3; ++round) {
        const QString a = tmp.filePath(QStringLiteral("ours%1").arg(round));
        ours.push_back(unpackSeconds(bigPath, a));
        QDir(a).removeRecursively();
        if (!bsdtar.isEmpty()) {
            const QString b = tmp.filePath(QStringLiteral("bsdtar%1").arg(round));
            theirs.push_back(bsdtarSeconds(bsdtar, bigPath, b));
            QDir(b).removeRecursively();
        }
    }
    const double o = median(ours);
    std::printf("unpacking 100 MB (20 stored files): %.3f s\n", o);
    if (theirs.empty()) {
        std::printf("bsdtar not found (libarchive-tools): no ratio\n");
        return 0;
    }
    const double t = median(theirs);
    std::printf("bsdtar -x on the same archive: %.3f s\n", t);
    std::printf("ratio %.2f (goal <= 1.30) %s\n", o / t, o / t <= 1.3 ? "met" : "MISSED");
    return 0;
}
