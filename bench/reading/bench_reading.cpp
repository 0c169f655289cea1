// Reading screen speed.
//
// Contents tree (benchTree): a tree description of 5 000 items (chapters,
// sections, items, headings without a page, anchors of one page) is decoded,
// parsed and built into a TTreeViews, then shown; SelectByPage follows pages
// near the end of the tree. Baselines: the same parsed items filled into a
// plain QTreeWidget (expanded), and a linear walk over the items comparing
// file names without case. Prints medians, goals and ratios.
//
// Pages (benchPages): a click on a contents tree item and a click on a link
// of the page shown, until the first screen of the new page is painted, for
// a 20 KB and a 200 KB manual page read from a content archive. The frame is
// the reading screen's: a THtmlFrame whose viewer sits in the background
// panel beside the trees, on a shown window. The click is a mouse press and
// release on the item or on the link; the time runs from the press until the
// viewer's viewport has handled the paint event that shows the new page,
// with the event loop turning as it does for a user. Work the viewer leaves
// for later (the rest of a long page) is not counted once the first screen
// is on screen. Baselines, run alternately with the clicks: QTextDocument
// (decode, setHtml, layout, paint of the first screen) and a bare
// THTMLViewer (loadFile and paint of its viewport, no event loop).
//
// Popups (benchPopup): a click on a list button of a window until the
// favourites popup (ten items with captions, pictures as a book's pack gives
// them) has painted itself on screen below the button: press and release on
// the window, whose release opens the popup as the skin's buttons do, with
// the event loop turning. Baseline, run alternately: a QMenu of the same ten
// captions opened at the same place, to its first paint.
//
// Usage: bench_reading [ITEMS] [RUNS]
#include "content/ArchiveWriter.h"
#include "content/ContentArchive.h"
#include "data/BookPaths.h"
#include "data/SettingsStore.h"
#include "data/StringUtils.h"
#include "data/TreeDescription.h"
#include "engine/TFileSource.h"
#include "engine/TFrameViewer.h"
#include "engine/THTMLViewer.h"
#include "engine/TWordIndex.h"
#include "platform/Cp1251.h"
#include "reader/THtmlFrame.h"
#include "reader/TPanelBkgrd.h"
#include "reader/TPopupLists.h"
#include "reader/TTreeSet.h"
#include "reader/TTreeViews.h"
#include "skin/TControlPopupWindow.h"
#include "skin/TPopupWindow.h"

#include <QAbstractTextDocumentLayout>
#include <QApplication>
#include <QBuffer>
#include <QDir>
#include <QElapsedTimer>
#include <QImage>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QTextDocument>
#include <QTreeWidget>

#include <functional>
#include <memory>

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

// ---- pages ----

QByteArray picture(int w, int h, const QColor& c) {
    QImage img(w, h, QImage::Format_RGB32);
    img.fill(c);
    {
        QPainter p(&img);
        p.setPen(Qt::black);
        for (int x = 0; x < w; x += 16)
            p.drawLine(x, 0, w - x, h);
    }
    QByteArray bytes;
    QBuffer buf(&bytes);
    buf.open(QIODevice::WriteOnly);
    img.save(&buf, "PNG");
    return bytes;
}

// A manual page of about `kb` kilobytes in code page 1251: a title, a
// picture, numbered sections of paragraphs with links, step lists, tables of
// figures and a second picture. Its first link leads to `other`.
QString manualPage(int kb, const QString& title, const QString& other) {
    QString html =
        QStringLiteral("<html><head><meta http-equiv=\"Content-Type\" content=\"text/html; "
                       "charset=windows-1251\"><title>%1</title></head><body bgcolor=white>"
                       "<h1>%1</h1><p>См. также: <a href=\"%2\">соседняя страница</a>.</p>"
                       "<p align=center><img src=\"pics/engine.png\" width=320 height=180 "
                       "alt=\"Двигатель\"></p>")
            .arg(title, other);
    for (int s = 1; html.size() < kb * 1024; ++s) {
        html +=
            QStringLiteral("<h2>%1. Снятие и установка узла %1</h2>"
                           "<p>Перед снятием <b>отсоедините провод</b> от клеммы «минус» "
                           "аккумуляторной батареи и слейте охлаждающую жидкость (см. "
                           "<a href=\"p%1.htm\">подраздел %1</a>). Отверните болты крепления "
                           "кронштейна и снимите узел вместе с прокладкой; <i>прокладку "
                           "повторно не используйте</i>.</p>"
                           "<ol><li>Ослабьте натяжение ремня привода.</li><li>Отверните три болта "
                           "ключом на 13.</li><li>Установите узел в обратной последовательности, "
                           "затянув болты моментом из <a href=\"#t%1\">таблицы</a>.</li></ol>")
                .arg(s);
        if (s % 3 == 0) {
            html += QStringLiteral("<a name=\"t%1\"></a><table border=1 cellpadding=3 "
                                   "cellspacing=0 width=\"100%\"><tr bgcolor=\"#e0e0e0\">"
                                   "<th>Параметр</th><th>Значение</th><th>Допуск</th>"
                                   "<th>Примечание</th></tr>")
                        .arg(s);
            for (int r = 1; r <= 5; ++r)
                html += QStringLiteral("<tr><td>Момент затяжки болта М%1</td><td>%2 Н·м</td>"
                                       "<td>±%3</td><td><font color=\"#a00000\">новые "
                                       "болты</font></td></tr>")
                            .arg(6 + 2 * r)
                            .arg(10 * r + s % 7)
                            .arg(r);
            html += QStringLiteral("</table>");
        }
        if (s == 5)
            html += QStringLiteral("<p><img src=\"pics/scheme.png\" width=400 height=240 "
                                   "alt=\"Схема\"></p>");
    }
    return html + QStringLiteral("</body></html>");
}

// The book of the page figures: interface.dat in a temporary folder holding
// a start page, the 20 KB and 200 KB pages (each linking to the other) and
// their pictures.
struct PageBook {
    QTemporaryDir dir;
    BookPaths paths;
    ContentArchive archive;
    std::unique_ptr<TArchiveSource> source;
    QStringList pages;       // path texts: 20 KB, 200 KB
    QList<QByteArray> bytes; // as stored
    bool ok = false;

    PageBook() {
        const QString run = dir.filePath(QStringLiteral("run"));
        QDir().mkpath(run);
        ArchiveWriter w;
        const QString names[2] = {QStringLiteral("page20.htm"), QStringLiteral("page200.htm")};
        bytes << cp1251::fromUnicode(
                     manualPage(20, QStringLiteral(u"Система охлаждения"), names[1]))
              << cp1251::fromUnicode(manualPage(200, QStringLiteral(u"Двигатель"), names[0]));
        ok = w.addFile(QStringLiteral("run/index.htm"),
                       cp1251::fromUnicode(QStringLiteral(u"<title>Оглавление</title><h1>"
                                                          u"Руководство</h1>"))) &&
             w.addFile(QStringLiteral("run/") + names[0], bytes[0]) &&
             w.addFile(QStringLiteral("run/") + names[1], bytes[1]) &&
             w.addFile(QStringLiteral("run/pics/engine.png"), picture(320, 180, Qt::lightGray)) &&
             w.addFile(QStringLiteral("run/pics/scheme.png"), picture(400, 240, Qt::cyan)) &&
             w.write(run + QStringLiteral("/interface.dat"));
        QString error;
        if (ok && !archive.open(run + QStringLiteral("/interface.dat"), &error)) {
            std::fprintf(stderr, "bench_reading: %s\n", qPrintable(error));
            ok = false;
        }
        paths = BookPaths(run);
        BookPaths::setCurrent(paths);
        archive.setRootPrefix(paths.bookRoot());
        source = std::make_unique<TArchiveSource>(archive);
        for (const QString& name : names)
            pages << paths.baseDir() + name;
    }
};

bool isPage(const QString& shown, const QString& page) {
    return shown.endsWith(page.mid(page.lastIndexOf(u'\\') + 1), Qt::CaseInsensitive);
}

// Watches every event of the application: the clock stops at the first
// event after the paint event of a viewport of `frameViewer` showing `page`
// (that paint has then been handled).
class PaintWatch : public QObject {
public:
    QWidget* frameViewer = nullptr;
    QString page;
    QElapsedTimer clock;
    bool armed = false, painting = false, done = false;
    double at = 0;

    void arm(const QString& target) {
        page = target;
        painting = done = false;
        armed = true;
        clock.start();
    }

protected:
    bool eventFilter(QObject* o, QEvent* e) override {
        if (!armed || done)
            return false;
        if (painting) {
            at = ms(clock);
            done = true;
            armed = false;
            return false;
        }
        if (e->type() == QEvent::Paint)
            if (auto* v = qobject_cast<THTMLViewer*>(o->parent()); v && o == v->viewport() &&
                                                                   frameViewer->isAncestorOf(v) &&
                                                                   isPage(v->currentFile(), page))
                painting = true;
        return false;
    }
};

void click(QWidget* w, const QPoint& at) {
    const QPointF local(at), global(w->mapToGlobal(at));
    QMouseEvent press(QEvent::MouseButtonPress, local, global, Qt::LeftButton, Qt::LeftButton,
                      Qt::NoModifier);
    QApplication::sendEvent(w, &press);
    QMouseEvent release(QEvent::MouseButtonRelease, local, global, Qt::LeftButton, Qt::NoButton,
                        Qt::NoModifier);
    QApplication::sendEvent(w, &release);
}

// Lets the event loop finish everything left (the rest of a long page, old
// pages freed, tiles painted ahead).
void settle(TFrameViewer* v) {
    for (int k = 0; k < 20; ++k)
        QCoreApplication::processEvents();
    if (THTMLViewer* av = v->activeViewer())
        av->document();
    for (int k = 0; k < 20; ++k)
        QCoreApplication::processEvents();
}

// Runs the event loop until the watch has seen the paint; false after 10 s.
bool waitPainted(PaintWatch& watch) {
    while (!watch.done) {
        QCoreApplication::processEvents(QEventLoop::AllEvents);
        if (ms(watch.clock) > 10000)
            return false;
    }
    return true;
}

// The point of the viewer's viewport over the link to `target` at the top of
// the page, found through the page's word index and checked by hit testing;
// (-1, -1) when it is not there.
QPoint linkPoint(THTMLViewer* v, const QString& target) {
    const TWordIndex& words = v->document()->words();
    const QString caption = QStringLiteral(u"соседняя страница");
    const int at = int(words.text().indexOf(caption));
    if (at < 0)
        return {-1, -1};
    const QPoint p = words.boundingRect(at, at + int(caption.size())).center() -
                     QPoint(v->horizontalScrollBar()->value(), v->verticalScrollBar()->value());
    const THitInfo hit = v->objectAt(v->viewport()->mapTo(v, p));
    return hit.isLink && isPage(hit.url, target) ? p : QPoint(-1, -1);
}

// The page figures; returns 0, or 1 when a click does not show its page.
int benchPages(int runs) {
    QTemporaryDir settings;
    TSettingsStore::setLocation(settings.path());
    PageBook book;
    if (!book.ok)
        return 1;

    QWidget window;
    window.resize(800, 600);
    auto* panel = new TPanelBkgrd(&window);
    panel->setGeometry(TPanelBkgrd::kLeft, TPanelBkgrd::kTop, TPanelBkgrd::kWidth,
                       TPanelBkgrd::kHeight);
    THtmlFrame frame(&window, book.source.get(), QStringLiteral("BenchBook"));
    frame.setPanel(panel);
    TTreeHost host;
    host.currentPage = [&] {
        TFrameViewer* v = frame.CurrentViewer();
        return v ? v->currentFile() : QString();
    };
    host.expandLink = [&](const QString& link) {
        TFrameViewer* v = frame.CurrentViewer();
        return v ? v->expandLink(link) : BookPaths::joinPath(book.paths.baseDir(), link);
    };
    host.viewerVisible = [&] {
        TFrameViewer* v = frame.CurrentViewer();
        return v && v->isVisible();
    };
    host.baseDir = [&] { return book.paths.baseDir(); };
    const QList<RTreeItem> items = TreeDescription::parse(
        {QStringLiteral(u"index.htm;Оглавление"), QStringLiteral(u";Двигатель"),
         QStringLiteral(u"\tpage20.htm;Система охлаждения"),
         QStringLiteral(u"\tpage200.htm;Двигатель: снятие и установка")});
    TTreeSet trees(panel, items, false, {}, host);
    QObject::connect(&trees, &TTreeSet::openPage, &frame, [&](const QString& page, bool navigate) {
        if (navigate)
            frame.Navigate(page);
        else
            frame.ShowPage(20, page);
    });
    RHtml row;
    row.vx = TPanelBkgrd::kLeft, row.vy = TPanelBkgrd::kTop;
    row.vw = row.vx + TPanelBkgrd::kWidth, row.vh = row.vy + TPanelBkgrd::kHeight;
    row.fn = book.paths.baseDir() + QStringLiteral("index.htm");
    row.number = 20, row.screen = THtmlFrame::kReadingScreen;
    frame.Create({row}, THtmlFrame::kReadingScreen);
    trees.showTreeOnScreen(THtmlFrame::kReadingScreen);
    panel->show();
    window.show();
    TFrameViewer* fv = frame.CurrentViewer();
    TTreeViews* tree = trees.tree1();
    if (!fv || !tree || !fv->isVisible()) {
        std::fprintf(stderr, "bench_reading: the frame shows no viewer\n");
        return 1;
    }
    settle(fv);
    tree->expandAll();
    settle(fv);

    PaintWatch watch;
    watch.frameViewer = fv;
    qApp->installEventFilter(&watch);
    const QSize view = fv->activeViewer()->viewport()->size();
    QImage screen(view, QImage::Format_RGB32);
    THTMLViewer bare;
    bare.setFileSource(book.source.get());
    bare.resize(fv->activeViewer()->size());

    // Figures per page size: [0] 20 KB, [1] 200 KB.
    std::vector<double> byTree[2], byLink[2], doc[2], plain[2], rTreeDoc[2], rTreePlain[2],
        rLinkDoc[2], rLinkPlain[2];
    const int treeRow[2] = {0, 1}; // rows under the "Двигатель" heading
    const QModelIndex heading = tree->model()->index(1, 0);
    for (int run = 0; run < runs; ++run)
        for (int size = 0; size < 2; ++size) {
            const QString& target = book.pages[size];
            const QString& other = book.pages[1 - size];

            // The tree: the other page is shown and selected.
            frame.Navigate(other);
            trees.selectByPage(other);
            settle(fv);
            const QRect item = tree->visualRect(tree->model()->index(treeRow[size], 0, heading));
            watch.arm(target);
            click(tree->viewport(), item.center());
            if (!waitPainted(watch)) {
                std::fprintf(stderr, "bench_reading: the tree item did not show %s\n",
                             qPrintable(target));
                return 1;
            }
            byTree[size].push_back(watch.at);
            settle(fv);

            // QTextDocument: the page's bytes decoded, set, laid out and the
            // first screen painted.
            QElapsedTimer t;
            t.start();
            {
                QTextDocument td;
                td.setHtml(cp1251::toUnicode(*book.source->read(target)));
                td.setTextWidth(view.width());
                td.documentLayout()->documentSize();
                QPainter p(&screen);
                td.drawContents(&p, QRectF(QPointF(0, 0), QSizeF(view)));
            }
            doc[size].push_back(ms(t));

            // The bare viewer: loadFile and its viewport painted.
            t.restart();
            bare.loadFile(target);
            {
                QPainter p(&screen);
                bare.paintViewport(&p);
            }
            plain[size].push_back(ms(t));
            bare.document();
            bare.clear();
            QCoreApplication::processEvents();

            // The link at the top of the other page.
            frame.Navigate(other);
            settle(fv);
            THTMLViewer* av = fv->activeViewer();
            const QPoint at = linkPoint(av, target);
            if (at.x() < 0) {
                std::fprintf(stderr, "bench_reading: no link to %s on screen\n",
                             qPrintable(target));
                return 1;
            }
            watch.arm(target);
            click(av->viewport(), at);
            if (!waitPainted(watch)) {
                std::fprintf(stderr, "bench_reading: the link did not show %s\n",
                             qPrintable(target));
                return 1;
            }
            byLink[size].push_back(watch.at);
            settle(fv);

            rTreeDoc[size].push_back(byTree[size].back() / doc[size].back());
            rTreePlain[size].push_back(byTree[size].back() / plain[size].back());
            rLinkDoc[size].push_back(byLink[size].back() / doc[size].back());
            rLinkPlain[size].push_back(byLink[size].back() / plain[size].back());
        }
    qApp->removeEventFilter(&watch);

    const double goals[2] = {50, 150};
    bool met = true;
    std::printf("pages: click to the first painted screen, viewer %dx%d, %d runs (medians; "
                "ratios are medians of per-run ratios)\n",
                view.width(), view.height(), runs);
    for (int size = 0; size < 2; ++size) {
        const double mTree = median(byTree[size]), mLink = median(byLink[size]);
        met = met && mTree <= goals[size] && mLink <= goals[size];
        std::printf("  %3lld KB page\n", static_cast<long long>(book.bytes[size].size() / 1024));
        std::printf("    tree item click            %8.2f ms   goal <= %3.0f ms   "
                    "ratio to QTextDocument %.2fx, to bare viewer %.2fx\n",
                    mTree, goals[size], median(rTreeDoc[size]), median(rTreePlain[size]));
        std::printf("    link click                 %8.2f ms   goal <= %3.0f ms   "
                    "ratio to QTextDocument %.2fx, to bare viewer %.2fx\n",
                    mLink, goals[size], median(rLinkDoc[size]), median(rLinkPlain[size]));
        std::printf(
            "    QTextDocument first screen %8.2f ms   bare viewer loadFile + paint %8.2f ms\n",
            median(doc[size]), median(plain[size]));
    }
    std::printf("  goals %s\n", met ? "met" : "MISSED");
    return 0;
}

// Notes the first paint of a watched window once armed.
class WindowPaintWatch : public QObject {
public:
    QWidget* target = nullptr;
    QElapsedTimer clock;
    bool armed = false, done = false;
    double at = 0;

    void arm(QWidget* w) {
        target = w;
        done = false;
        armed = true;
        clock.start();
    }

protected:
    bool eventFilter(QObject* o, QEvent* e) override {
        if (armed && !done && e->type() == QEvent::Paint && o == target) {
            // Counted once the paint has been handled.
            armed = false;
            target->removeEventFilter(this);
            QCoreApplication::sendEvent(o, e);
            at = ms(clock);
            done = true;
            return true;
        }
        return false;
    }
};

// A window with one list button at (100, 10, 26x26): its release opens the
// popup (or the menu) under the button, as a skin button does.
class ButtonWindow : public QWidget {
public:
    std::function<void(QPoint)> onButton;

protected:
    void mouseReleaseEvent(QMouseEvent* e) override {
        if (QRect(100, 10, 26, 26).contains(e->position().toPoint()) && onButton)
            onButton(mapToGlobal(QPoint(100, 36)));
    }
};

bool waitWindowPainted(WindowPaintWatch& watch) {
    while (!watch.done) {
        QCoreApplication::processEvents(QEventLoop::AllEvents);
        if (ms(watch.clock) > 10000)
            return false;
    }
    return true;
}

// Pictures of a popup as a book's pack holds them: a background, and the
// three looks of an item.
QImage popupPicture(const QString& name) {
    if (name == QLatin1String("pop_bg.bmp")) {
        QImage bg(190, 130, QImage::Format_RGB32);
        bg.fill(QColor(28, 36, 48));
        return bg;
    }
    QImage item(180, 22, QImage::Format_RGB32);
    item.fill(name == QLatin1String("pop_1.bmp") ? QColor(28, 36, 48) : QColor(80, 110, 146));
    return item;
}

// Click on the favourites button to the popup painted; returns 0, or 1 when
// a popup never shows.
int benchPopup(int runs) {
    StructModel model;
    model.screens.resize(2);
    RPopupData d;
    d.xfon = d.yfon = -1;
    d.fnfon = QStringLiteral("pop_bg.bmp");
    d.xbtn = d.ybtn = 5;
    d.fnbtnup = {QStringLiteral("pop_1.bmp")};
    d.fnbtnmove = {QStringLiteral("pop_2.bmp")};
    d.fnbtndown = {QStringLiteral("pop_3.bmp")};
    d.fontup = d.fontmv = QStringLiteral("Liberation Sans");
    d.sizeup = d.sizemv = 9;
    d.stylemv = QStringLiteral("bold");
    d.type = TControlPopupWindow::Favorites;
    model.screens[1].popups = {d};

    ButtonWindow window;
    window.resize(400, 300);
    window.show();
    TControlPopupWindow popups(model, popupPicture, &window);
    popups.animationsOn = [] { return false; };
    popups.BuildPopups(1);
    TDynamicFavoriteCaption records;
    for (int i = 0; i < 10; ++i)
        records.append({QStringLiteral(u"Тормозные колодки и диски, раздел %1").arg(i + 1),
                        QStringLiteral("htmlpos=p%1.htm=0").arg(i)});
    TPopupLists::fillFavorites(popups, records);
    QMenu menu(&window);
    for (const RFavoriteCaption& r : records)
        menu.addAction(r.caption);

    bool useMenu = false;
    window.onButton = [&](QPoint at) {
        if (useMenu)
            menu.popup(at);
        else
            popups.ShowPopup(TControlPopupWindow::Favorites, at);
    };
    WindowPaintWatch watch;
    std::vector<double> shown, baseline, ratio;
    for (int run = 0; run < runs + 1; ++run) {
        for (int k = 0; k < 2; ++k) {
            useMenu = k == 1;
            QWidget* target = useMenu ? static_cast<QWidget*>(&menu) : popups.popup(-3);
            target->installEventFilter(&watch);
            watch.arm(target);
            click(&window, QPoint(110, 20));
            if (!waitWindowPainted(watch)) {
                std::fprintf(stderr, "bench_reading: the %s never painted\n",
                             useMenu ? "menu" : "popup");
                return 1;
            }
            // The first run warms the fonts and windows up.
            if (run > 0)
                (useMenu ? baseline : shown).push_back(watch.at);
            popups.CloseAllPopups();
            menu.close();
            for (int i = 0; i < 10; ++i)
                QCoreApplication::processEvents();
        }
        if (run > 0)
            ratio.push_back(shown.back() / baseline.back());
    }
    const double m = median(shown);
    std::printf("popup: click on a list button to the favourites popup painted, 10 items, "
                "%d runs (medians)\n",
                runs);
    std::printf("  skinned popup              %8.2f ms   goal <=  30 ms   ratio to QMenu %.2fx\n",
                m, median(ratio));
    std::printf("  QMenu (baseline)           %8.2f ms\n", median(baseline));
    std::printf("  goals %s\n", m <= 30 ? "met" : "MISSED");
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
    const int tree = benchTree(items, runs);
    const int pages = benchPages(runs);
    const int popup = benchPopup(runs);
    return tree != 0 ? tree : pages != 0 ? pages : popup;
}
