// Resource pack speed: TReadBin::load of a pack with 5 000 entries, then a
// lookup of every entry (has + readToBuffer, names in another letter case
// and shuffled order). Baselines: a QHash lookup of the same names and a
// plain seek/read of the same bytes from a file opened once, the least work
// that gets them. Prints medians and ratios.
//
// Usage: bench_pack [ENTRIES] [RUNS]
#include "data/PackWriter.h"
#include "data/TReadBin.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QHash>
#include <QRandomGenerator>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <random>
#include <vector>

namespace {

double median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v.empty() ? 0 : v[v.size() / 2];
}

struct Placed {
    qint64 offset;
    qint64 size;
};

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const int count = argc > 1 ? std::max(1, atoi(argv[1])) : 5000;
    const int runs = argc > 2 ? std::max(1, atoi(argv[2])) : 9;

    QTemporaryDir dir;
    if (!dir.isValid()) {
        std::fprintf(stderr, "bench_pack: cannot create a temporary folder\n");
        return 1;
    }
    const QString path = dir.filePath(QStringLiteral("Dod.dhl"));

    // Skin-like entries: pictures of 0.5-8 KB, a few descriptions, Cyrillic
    // names among them.
    QRandomGenerator random(42);
    PackWriter writer;
    QStringList names;
    qint64 total = 0;
    for (int i = 0; i < count; ++i) {
        const QString name = i % 7 == 0
                                 ? QStringLiteral(u"кнопки\\Кнопка_%1.bmp").arg(i)
                                 : QStringLiteral("skin\\screen%1\\btn_%2.bmp").arg(i % 12).arg(i);
        QByteArray data(512 + int(random.bounded(7680)), Qt::Uninitialized);
        for (char& c : data)
            c = char(random.bounded(256));
        total += data.size();
        QString error;
        if (!writer.add(name, data, &error)) {
            std::fprintf(stderr, "bench_pack: %s\n", qPrintable(error));
            return 1;
        }
        names << name;
    }
    QString error;
    if (!writer.write(path, &error)) {
        std::fprintf(stderr, "bench_pack: %s\n", qPrintable(error));
        return 1;
    }

    // Lookups use another letter case and a shuffled order.
    QStringList queries;
    for (const QString& name : names)
        queries << (queries.size() % 2 ? name.toUpper() : name.toLower());
    std::shuffle(queries.begin(), queries.end(), std::mt19937(7));

    // Baseline data: where each entry lies, keyed by folded name.
    TReadBin reference;
    if (!reference.load(path, &error)) {
        std::fprintf(stderr, "bench_pack: %s\n", qPrintable(error));
        return 1;
    }
    QHash<QString, Placed> placed;
    for (const RBin& e : reference.entries())
        placed.insert(e.name.toLower(), {qint64(e.offset), qint64(e.size)});

    std::vector<double> load, lookup, hashOnly, hasOnly, plainRead;
    qint64 checksum = 0;
    for (int run = 0; run < runs; ++run) {
        QElapsedTimer t;
        t.start();
        TReadBin pack;
        if (!pack.load(path)) {
            std::fprintf(stderr, "bench_pack: load failed\n");
            return 1;
        }
        load.push_back(t.nsecsElapsed() / 1e6);

        t.restart();
        int found = 0;
        for (const QString& q : std::as_const(queries))
            found += pack.has(q);
        hasOnly.push_back(t.nsecsElapsed() / 1e6);

        t.restart();
        QByteArray buffer;
        for (const QString& q : std::as_const(queries)) {
            if (pack.has(q))
                checksum += pack.readToBuffer(q, buffer);
        }
        lookup.push_back(t.nsecsElapsed() / 1e6);

        t.restart();
        for (const QString& q : std::as_const(queries))
            found += placed.contains(q.toLower());
        hashOnly.push_back(t.nsecsElapsed() / 1e6);

        QFile file(path);
        if (!file.open(QIODevice::ReadOnly))
            return 1;
        t.restart();
        for (const QString& q : std::as_const(queries)) {
            const auto it = placed.constFind(q.toLower());
            if (it == placed.constEnd() || !file.seek(it->offset))
                return 1;
            buffer.resize(it->size);
            checksum -= file.read(buffer.data(), it->size);
        }
        plainRead.push_back(t.nsecsElapsed() / 1e6);
        if (found != 2 * count) {
            std::fprintf(stderr, "bench_pack: lookups failed (%d of %d)\n", found, 2 * count);
            return 1;
        }
    }
    if (checksum != 0) {
        std::fprintf(stderr, "bench_pack: reads differ from the plain reads\n");
        return 1;
    }

    const double mLoad = median(load), mLookup = median(lookup), mHash = median(hashOnly),
                 mHas = median(hasOnly), mPlain = median(plainRead);
    std::printf("pack: %d entries, %.1f MB, %d runs (medians)\n", count, total / 1e6, runs);
    std::printf("  TReadBin::load                   %9.3f ms\n", mLoad);
    std::printf("  has, every entry                 %9.3f ms   QHash lookup %9.3f ms   "
                "ratio %.2fx\n",
                mHas, mHash, mHash > 0 ? mHas / mHash : 0.0);
    std::printf("  has + readToBuffer, every entry  %9.3f ms   plain reads  %9.3f ms   "
                "ratio %.2fx\n",
                mLookup, mPlain, mPlain > 0 ? mLookup / mPlain : 0.0);
    std::printf("  per entry: %.2f us (baseline %.2f us)\n", mLookup * 1000 / count,
                mPlain * 1000 / count);
    return 0;
}
