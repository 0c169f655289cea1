// Reading screen speed.
//
// Contents tree (benchTree): a tree description of 5 000 items (chapters,
// sections, items, headings without a page, anchors of one page) is decoded,
// parsed and built into a TTreeViews, then shown; SelectByPage follows pages
// near the end of the tree. Baselines: the same parsed items filled into a
// plain QTreeWidget (expanded), and a linear walk over the items comparing
// file names without case. Prints medians, goals and ratios.
//
// Usage: bench_reading [ITEMS] [RUNS]
#include "data/StringUtils.h"
#include "data/TreeDescription.h"
#include "reader/TPanelBkgrd.h"
#include "reader/TTreeViews.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QTreeWidget>

#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

double median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v.empty() ? 0 : v[v.size() / 2];
}

double ms(const QElapsedTimer& t) {
    return t.nsecsElapsed() / 1e6;
}

// Chapters of sections of items, as a large manual's contents look.
QStringList treeLines(int count) {
    QStringList lines;
    int page = 0;
    for (int chapter = 1; lines.size() < count; ++chapter) {
        lines << QStringLiteral(u";Глава %1. Двигатель и его системы").arg(chapter);
        for (int section = 1; section <= 8 && lines.size() < count; ++section) {
            const QString sectionPage = QStringLiteral("Ch%1\\P%2.htm").arg(chapter).arg(++page);
            lines << QStringLiteral(u"\t%1;Раздел %2.%3. Устройство и ремонт")
                         .arg(sectionPage)
                         .arg(chapter)
                         .arg(section);
            for (int item = 1; item <= 10 && lines.size() < count; ++item)
                lines << (item % 5 == 0
                              ? QStringLiteral(u"\t\t%1#step%2;Шаг %2").arg(sectionPage).arg(item)
                              : QStringLiteral(u"\t\tp%1.htm;Пункт %2.%3.%4 — снятие и установка")
                                    .arg(++page)
                                    .arg(chapter)
                                    .arg(section)
                                    .arg(item));
        }
    }
    return lines;
}

QTreeWidget* plainTree(const QList<RTreeItem>& items) {
    auto* tree = new QTreeWidget;
    tree->setHeaderHidden(true);
    tree->setUniformRowHeights(true);
    std::vector<QTreeWidgetItem*> made(size_t(items.size()));
    QList<QTreeWidgetItem*> top;
    for (qsizetype i = 0; i < items.size(); ++i) {
        const int p = items[i].parent;
        auto* item = p >= 0 ? new QTreeWidgetItem(made[size_t(p)]) : new QTreeWidgetItem;
        item->setText(0, items[i].caption);
        made[size_t(i)] = item;
        if (p < 0)
            top << item;
    }
    tree->addTopLevelItems(top);
    tree->expandAll();
    return tree;
}

int linearFind(const QList<RTreeItem>& items, const QString& file) {
    for (qsizetype i = 0; i < items.size(); ++i)
        if (TreeDescription::fileNameOf(items[i].page)
                .trimmed()
                .compare(file, Qt::CaseInsensitive) == 0)
            return int(i);
    return -1;
}

// The contents tree figures; returns 0, or 1 when the tree misbehaves.
int benchTree(int count, int runs) {
    const QStringList lines = treeLines(count);
    const QByteArray entry = cfs::encode(lines);
    QString current = QStringLiteral("c:\\book\\run\\p1.htm");
    TTreeHost host;
    host.currentPage = [&] { return current; };
    host.expandLink = [](const QString& link) { return QStringLiteral("c:\\book\\run\\") + link; };
    host.viewerVisible = [] { return true; };
    host.baseDir = [] { return QStringLiteral("c:\\book\\run\\"); };

    TPanelBkgrd panel;
    panel.show();
    QApplication::processEvents();

    // Pages near the end: the last item pages of the last sections.
    const QList<RTreeItem> reference = TreeDescription::parse(lines);
    QStringList pages;
    for (qsizetype i = reference.size() - 1; i >= 0 && pages.size() < 8; --i)
        if (!reference[i].page.isEmpty() && !reference[i].page.contains(u'#'))
            pages << TreeDescription::fileNameOf(reference[i].page);
    const int lookups = 400;

    std::vector<double> parse, build, paint, select, plainFill, plainPaint, walk;
    int found = 0;
    for (int run = 0; run < runs; ++run) {
        QElapsedTimer t;
        t.start();
        QList<RTreeItem> items = TreeDescription::parseEntry(entry);
        parse.push_back(ms(t));
        auto* tree = new TTreeViews(&panel, items, host);
        build.push_back(ms(t));
        if (tree->itemCount() != count) {
            std::fprintf(stderr, "bench_reading: %d items built, %d expected\n", tree->itemCount(),
                         count);
            return 1;
        }

        tree->showTreeOnScreen(TTreeViews::kScreenReading);
        t.restart();
        tree->grab();
        paint.push_back(ms(t));

        t.restart();
        for (int k = 0; k < lookups; ++k)
            found += tree->selectByPage(pages[k % pages.size()]);
        select.push_back(ms(t) / lookups);
        delete tree;

        t.restart();
        QTreeWidget* plain = plainTree(items);
        plainFill.push_back(ms(t));
        plain->setParent(&panel);
        plain->setGeometry(0, 0, TPanelBkgrd::kTreeWidth, TPanelBkgrd::kHeight);
        plain->show();
        t.restart();
        plain->grab();
        plainPaint.push_back(ms(t));
        delete plain;

        t.restart();
        for (int k = 0; k < lookups; ++k)
            found -= linearFind(items, pages[k % pages.size()]) >= 0;
        walk.push_back(ms(t) / lookups);
    }
    if (found != 0) {
        std::fprintf(stderr, "bench_reading: SelectByPage missed pages the walk found\n");
        return 1;
    }

    const double mParse = median(parse), mBuild = median(build), mPaint = median(paint),
                 mSelect = median(select), mFill = median(plainFill),
                 mPlainPaint = median(plainPaint), mWalk = median(walk);
    std::printf("contents tree: %d items, %d runs (medians)\n", count, runs);
    std::printf("  decode + parse               %8.3f ms\n", mParse);
    std::printf("  view from parsed items       %8.3f ms                    "
                "QTreeWidget fill %8.3f ms   ratio %.2fx\n",
                mBuild - mParse, mFill, mFill > 0 ? (mBuild - mParse) / mFill : 0.0);
    std::printf("  build (decode, parse, view)  %8.3f ms   goal <= 100 ms   ratio to goal %.2f\n",
                mBuild, mBuild / 100);
    std::printf("  first paint                  %8.3f ms                    "
                "QTreeWidget      %8.3f ms   ratio %.2fx\n",
                mPaint, mPlainPaint, mPlainPaint > 0 ? mPaint / mPlainPaint : 0.0);
    std::printf("  SelectByPage, page near end  %8.4f ms   goal <= 5 ms     "
                "linear walk      %8.4f ms   ratio %.2fx\n",
                mSelect, mWalk, mWalk > 0 ? mSelect / mWalk : 0.0);
    const bool met = mBuild <= 100 && mSelect <= 5;
    std::printf("  goals %s\n", met ? "met" : "MISSED");
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM") && qEnvironmentVariableIsEmpty("DISPLAY") &&
        qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const int items = argc > 1 ? std::max(1, atoi(argv[1])) : 5000;
    const int runs = argc > 2 ? std::max(1, atoi(argv[2])) : 9;
    return benchTree(items, runs);
}
