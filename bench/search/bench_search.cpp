// The book search's figures:
//  1. index search over 10 000 keywords and 2 000 pages (goal <= 10 ms);
//  2. the page-by-page search of 2 000 pages of 20 KB in interface.dat
//     (goal <= 2 s), against `grep -ril` over the same pages extracted to a
//     folder (goal <= 5x), the two alternated and compared pair by pair;
//  3. the first find on a 200 KB page shown in a viewer, until the highlight
//     is painted (goal <= 50 ms).
#include "content/ArchiveWriter.h"
#include "content/ContentArchive.h"
#include "data/BookPaths.h"
#include "engine/TBookSearch.h"
#include "engine/TFileSource.h"
#include "engine/THTMLViewer.h"
#include "engine/TPageText.h"
#include "platform/Cp1251.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QRandomGenerator>
#include <QScrollBar>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <ctime>
#include <vector>

namespace {

constexpr int kPages = 2000;
constexpr int kPageSize = 20 * 1024;
constexpr int kKeywords = 10000;
constexpr int kRounds = 5;

const char* const kWords[] = {"двигатель", "масло",  "фильтр",  "ремень",   "engine",    "oil",
                              "torque",    "bolt",   "clutch",  "gearbox",  "проверьте", "снимите",
                              "гайку",     "момент", "затяжки", "Нм",       "мм",        "и",
                              "в",         "на",     "с",       "замените", "уровень",   "цилиндр",
                              "головка",   "клапан", "тормоз",  "колодки",  "суппорт",   "радиатор",
                              "насос",     "датчик", "провод",  "Ремонт",   "Проверка"};
constexpr int kWordCount = int(sizeof(kWords) / sizeof(kWords[0]));

// A page of the manual: headings, paragraphs with inline tags and entities,
// tables, links; code page 1251.
QByteArray makePage(QRandomGenerator& rng, int n, int size, const QString& extra) {
    QString out;
    out.reserve(size + 1024);
    out += QStringLiteral("<html><head><title>Страница %1</title><style>p {margin: 4px}</style>"
                          "</head><body>\n")
               .arg(n);
    while (out.size() < size) {
        switch (rng.bounded(6)) {
        case 0:
            out += QStringLiteral("<h2>Раздел %1</h2>\n").arg(rng.bounded(1000));
            break;
        case 1:
            out += QStringLiteral("<table border=1><tr><td>%1</td><td>%2&nbsp;Нм</td></tr>"
                                  "</table>\n")
                       .arg(rng.bounded(100000))
                       .arg(rng.bounded(1000) / 10.0);
            break;
        case 2:
            out += QStringLiteral("<a href=\"p%1.htm\">см. &laquo;страницу %2&raquo;</a>\n")
                       .arg(rng.bounded(kPages))
                       .arg(rng.bounded(kPages));
            break;
        default: {
            out += QStringLiteral("<p>");
            const int words = 10 + int(rng.bounded(40));
            for (int i = 0; i < words; ++i) {
                const QString w = QString::fromUtf8(kWords[rng.bounded(kWordCount)]);
                out +=
                    rng.bounded(10) == 0 ? QStringLiteral("<b>") + w + QStringLiteral("</b>") : w;
                out += rng.bounded(8) == 0 ? QStringLiteral(", ") : QStringLiteral(" ");
            }
            out += QStringLiteral("</p>\n");
        }
        }
    }
    out += extra + QStringLiteral("</body></html>\n");
    return cp1251::fromUnicode(out);
}

double threadCpuMs() {
    timespec t{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return t.tv_sec * 1e3 + t.tv_nsec / 1e6;
}

double median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

void line(const char* what, double value, const char* unit, double goal) {
    std::printf("%-58s %9.2f %s   (goal <= %g %s) %s\n", what, value, unit, goal, unit,
                value <= goal ? "ok" : "MISSED");
}

} // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QTemporaryDir dir;
    if (!dir.isValid())
        return 1;
    const QString run = dir.filePath("book/run");
    QDir().mkpath(run);
    const BookPaths paths(run);
    BookPaths::setCurrent(paths);

    // The book: 2 000 pages, a few of which hold the rare word, and an index
    // of 10 000 keywords.
    std::printf("building 2 000 pages of 20 KB and an index of 10 000 keywords...\n");
    QRandomGenerator rng(2024);
    ArchiveWriter writer;
    QByteArray files, keywords, lists;
    const QString rare = QStringLiteral("карбюратор");
    int rarePages = 0;
    for (int n = 0; n < kPages; ++n) {
        const bool holds = n % 97 == 13;
        rarePages += holds;
        const QByteArray page = makePage(
            rng, n, kPageSize, holds ? QStringLiteral("<p>Ре<i>гулировка</i> ") + rare : QString());
        writer.addFile(QStringLiteral("run/pages/p%1.htm").arg(n), page);
        files += cp1251::fromUnicode(QStringLiteral("pages\\p%1.htm#:#Страница %1\r\n").arg(n));
    }
    for (int k = 0; k < kKeywords; ++k) {
        keywords += cp1251::fromUnicode(QStringLiteral("слово%1\r\n").arg(k));
        QByteArray list;
        for (int i = 0; i < 20; ++i)
            list += (i ? ":" : "") + QByteArray::number(1 + rng.bounded(kPages));
        lists += list + "\r\n";
    }
    writer.addFile("run/keywords.idx", keywords);
    writer.addFile("run/index.idx", lists);
    writer.addFile("run/files.idx", files);
    QString error;
    if (!writer.write(run + "/interface.dat", &error)) {
        std::fprintf(stderr, "bench_search: %s\n", qPrintable(error));
        return 1;
    }
    ContentArchive archive;
    if (!archive.open(run + "/interface.dat", &error)) {
        std::fprintf(stderr, "bench_search: %s\n", qPrintable(error));
        return 1;
    }
    archive.setRootPrefix(paths.bookRoot());
    const TArchiveSource source(archive);

    // 1. The index search for the last keyword (the whole keyword file read).
    {
        std::vector<double> ms;
        const QString last = QStringLiteral("СЛОВО%1").arg(kKeywords - 1);
        int found = 0;
        for (int r = 0; r < 15; ++r) {
            TBookSearch search(archive, source, paths);
            QStringList f, t;
            QElapsedTimer clock;
            clock.start();
            found = search.indexSearch(last, f, t) ? int(f.size()) : 0;
            ms.push_back(clock.nsecsElapsed() / 1e6);
        }
        std::printf("index search: %d pages found\n", found);
        line("index search, 10 000 keywords, 2 000 pages (median)", median(ms), "ms", 10);
    }

    // 2. The page-by-page search against grep over the same pages on disk.
    const QString extracted = dir.filePath("extracted");
    QDir().mkpath(extracted);
    for (const QString& file : archive.listFiles()) {
        if (!file.endsWith(QLatin1String(".HTM")))
            continue;
        QFile out(extracted + u'/' + file.section(u'\\', -1));
        out.open(QIODevice::WriteOnly);
        out.write(*archive.read(paths.bookRoot() + file));
    }
    QFile pattern(dir.filePath("pattern"));
    pattern.open(QIODevice::WriteOnly);
    pattern.write(cp1251::fromUnicode(rare));
    pattern.close();
    // Where the time goes: reading the pages alone, and their text alone.
    {
        TBookSearch search(archive, source, paths);
        const QStringList pages = search.pageList({}, false);
        std::vector<QByteArray> bytes;
        QElapsedTimer clock;
        clock.start();
        for (const QString& page : pages)
            bytes.push_back(source.read(page).value_or(QByteArray()));
        const double reading = clock.nsecsElapsed() / 1e6;
        clock.restart();
        int listed = 0;
        for (const QString& page : pages)
            listed += archive.inArchive(page);
        const double lookups = clock.nsecsElapsed() / 1e6;
        std::printf("  %-56s %9.2f ms\n", "of which looking the pages up", lookups);
        clock.restart();
        const double cpuBefore = threadCpuMs();
        TPageText text;
        const std::u16string needle = TPageText::needle(rare, false);
        int hits = 0;
        for (size_t i = 0; i < bytes.size(); ++i) {
            text.extract(bytes[i], pages.at(qsizetype(i)), true);
            hits += text.contains(needle);
        }
        const double extracting = clock.nsecsElapsed() / 1e6;
        const double extractingCpu = threadCpuMs() - cpuBefore;
        std::printf("  %-56s %9.2f ms\n", "reading the pages from interface.dat alone", reading);
        std::printf("  %-56s %9.2f ms (%.2f ms of processor time)\n",
                    "their text and the match alone", extracting, extractingCpu);
    }
    const QStringList texts{rare, QStringLiteral("тормозные колодки суппорта"),
                            QStringLiteral("Регулировка")};
    for (const QString& text : texts) {
        pattern.open(QIODevice::WriteOnly);
        pattern.write(cp1251::fromUnicode(text));
        pattern.close();
        std::vector<double> ours, greps, ratios;
        int found = 0, grepFound = 0;
        for (int r = 0; r < kRounds; ++r) {
            TBookSearch search(archive, source, paths);
            const QStringList pages = search.pageList({}, false);
            QStringList f, t;
            QElapsedTimer clock;
            clock.start();
            search.fallback(text, false, pages, f, t, [](int, int) { return true; });
            ours.push_back(clock.nsecsElapsed() / 1e6);
            found = int(f.size());

            QProcess grep;
            QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
            env.insert("LC_ALL", "C");
            grep.setProcessEnvironment(env);
            clock.restart();
            grep.start("grep", {"-ril", "-F", "-f", pattern.fileName(), extracted});
            grep.waitForFinished(-1);
            greps.push_back(clock.nsecsElapsed() / 1e6);
            grepFound = int(grep.readAllStandardOutput().count('\n'));
            ratios.push_back(ours.back() / greps.back());
        }
        std::printf("\"%s\": %d pages found page by page, grep lists %d files\n", qPrintable(text),
                    found, grepFound);
        line("  page by page, 2 000 pages from interface.dat (median)", median(ours), "ms", 2000);
        std::printf("  %-56s %9.2f ms\n", "grep -ril over the extracted pages (median)",
                    median(greps));
        line("  ratio to grep, pair by pair (median)", median(ratios), "x", 5);
    }
    std::printf("(pages holding the rare word: %d)\n", rarePages);

    // 3. The first find on a 200 KB page shown in a viewer, until painted.
    {
        QRandomGenerator pageRng(7);
        const QByteArray big =
            makePage(pageRng, 0, 200 * 1024, QStringLiteral("<p>последняя ") + rare + "</p>");
        QFile f(dir.filePath("big.htm"));
        f.open(QIODevice::WriteOnly);
        f.write(big);
        f.close();
        const TDiskSource disk;
        std::vector<double> ms, findOnly;
        for (int r = 0; r < 7; ++r) {
            THTMLViewer viewer;
            viewer.setFileSource(&disk);
            viewer.resize(800, 600);
            viewer.show();
            viewer.loadFile(BookPaths::fromNative(f.fileName()));
            for (int i = 0; i < 20; ++i)
                QCoreApplication::processEvents();
            bool painted = false;
            struct Watch : QObject {
                bool* flag;
                explicit Watch(bool* f) : flag(f) {}
                bool eventFilter(QObject*, QEvent* e) override {
                    if (e->type() == QEvent::Paint)
                        *flag = true;
                    return false;
                }
            } watch(&painted);
            viewer.viewport()->installEventFilter(&watch);
            QElapsedTimer clock;
            clock.start();
            const bool hit = viewer.find(rare, false);
            findOnly.push_back(clock.nsecsElapsed() / 1e6);
            while (hit && !painted && clock.elapsed() < 5000)
                QCoreApplication::processEvents();
            ms.push_back(clock.nsecsElapsed() / 1e6);
            viewer.viewport()->removeEventFilter(&watch);
            if (!hit)
                std::printf("find missed the word on the large page\n");
        }
        line("first find on a 200 KB page until painted (median)", median(ms), "ms", 50);
        std::printf("  %-56s %9.2f ms\n", "of which the find and the scroll (median)",
                    median(findOnly));
    }
    return 0;
}
