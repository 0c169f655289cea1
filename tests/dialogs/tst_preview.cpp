// The print preview on a long page read from disk, printing to PDF files:
// the printed sheets are rendered back with pdftoppm and pdftotext and
// compared with the sheets the preview shows.
#include "data/SettingsStore.h"
#include "dialogs/PreviewMath.h"
#include "dialogs/TGoPageForm.h"
#include "dialogs/TPreviewForm.h"
#include "dialogs/TPreviewPage.h"
#include "dialogs/TPrnStatusForm.h"
#include "engine/TFileSource.h"
#include "engine/THTMLViewer.h"
#include "engine/TMetaFilePrinter.h"
#include "engine/TPrintFormatter.h"
#include "platform/Cp1251.h"
#include "platform/TShell.h"
#include "reader/THtmlFrame.h"

#include <QAction>
#include <QComboBox>
#include <QDir>
#include <QFrame>
#include <QLabel>
#include <QPageRanges>
#include <QPrinter>
#include <QProcess>
#include <QScrollArea>
#include <QScrollBar>
#include <QSpinBox>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>

#include <functional>

namespace {

// A desktop whose print dialog chooses a page range and a PDF file.
class PrintShell : public TShell {
public:
    QString pdf;          // empty: the dialog is cancelled
    int from = 0, to = 0; // 0: all pages
    QList<int> list;      // single pages instead of from..to
    int dialogMax = 0;
    QStringList messages;

    bool openUrl(const QString&) override { return true; }
    bool openFile(const QString&) override { return true; }
    bool startProgram(const QString&, const QString&, const QStringList& = {}) override {
        return true;
    }
    bool startInstance(const QStringList&) override { return true; }
    QString askSaveFileName(const QString&, const QString&, const QString&) override { return {}; }
    bool askYesNo(const QString&) override { return false; }
    bool askPrinter(QPrinter*) override { return false; }
    bool askPrintPages(QPrinter* printer, int, int maxPage) override {
        dialogMax = maxPage;
        if (pdf.isEmpty())
            return false;
        printer->setOutputFormat(QPrinter::PdfFormat);
        printer->setOutputFileName(pdf);
        printer->setPrintRange(from > 0 ? QPrinter::PageRange : QPrinter::AllPages);
        printer->setFromTo(from, to);
        if (!list.isEmpty()) {
            QPageRanges ranges;
            for (int n : list)
                ranges.addPage(n);
            printer->setPrintRange(QPrinter::PageRange);
            printer->setPageRanges(ranges);
        }
        return true;
    }
    void beep() override {}
    void showMessage(const QString& text, bool warning) override {
        messages << (warning ? QLatin1Char('!') + text : text);
    }
};

// The long page: numbered lines, pictures between them, a coloured table.
struct Page {
    QTemporaryDir dir;
    TDiskSource source;
    THTMLViewer viewer;
    QPrinter printer{QPrinter::HighResolution};

    static constexpr int kLines = 220;

    Page() {
        QImage pic(180, 120, QImage::Format_RGB32);
        pic.fill(QColor(30, 90, 160));
        pic.save(dir.filePath("pic.png"));
        QString html = "<html><body><h1>Тормозная система</h1>";
        for (int i = 1; i <= kLines; ++i) {
            html += QStringLiteral("<p>Строка %1 руководства по ремонту.</p>").arg(i);
            if (i % 45 == 0)
                html += "<p><img src=pic.png width=180 height=120></p>";
            if (i == 100)
                html += "<table bgcolor=#ffd080><tr><td>Таблица моментов</td></tr></table>";
        }
        html += "</body></html>";
        QFile f(dir.filePath("page.htm"));
        f.open(QIODevice::WriteOnly);
        f.write(cp1251::fromUnicode(html));
        f.close();
        viewer.setFileSource(&source);
        viewer.resize(700, 500);
        viewer.onPrintHeader = printing::DrawPageNumber;
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(dir.filePath("unused.pdf"));
    }
    bool load() { return viewer.loadFile(dir.filePath("page.htm")); }
};

// Stops the progress window when it reports sheet `page` (by a key, as the
// reader would).
class Stopper : public QObject {
public:
    int page;
    int stops = 0;
    explicit Stopper(int p) : page(p) { qApp->installEventFilter(this); }
    ~Stopper() override { qApp->removeEventFilter(this); }
    bool eventFilter(QObject* o, QEvent* e) override {
        if (e->type() == QEvent::Show)
            if (auto* form = qobject_cast<TPrnStatusForm*>(o))
                QObject::connect(form, &TPrnStatusForm::progressed, form, [this, form](int n) {
                    if (n == page) {
                        ++stops;
                        QTest::keyClick(form, Qt::Key_Escape);
                    }
                });
        return false;
    }
};

bool havePoppler() {
    return !QStandardPaths::findExecutable("pdftoppm").isEmpty() &&
           !QStandardPaths::findExecutable("pdftotext").isEmpty();
}

QString run(const QString& program, const QStringList& args) {
    QProcess p;
    p.start(program, args);
    p.waitForFinished(60000);
    return QString::fromUtf8(p.readAllStandardOutput());
}

// Grey, averaged down to `width` pixels: small offsets of anti-aliased
// text edges do not count, missing or moved lines do.
QImage coarse(const QImage& img, int width) {
    return img.convertToFormat(QImage::Format_Grayscale8)
        .scaledToWidth(width, Qt::SmoothTransformation);
}

double meanDifference(const QImage& a, const QImage& b) {
    const QImage ca = coarse(a, 120), cb = coarse(b, 120).scaled(ca.size());
    double sum = 0;
    for (int y = 0; y < ca.height(); ++y)
        for (int x = 0; x < ca.width(); ++x)
            sum += qAbs(qGray(ca.pixel(x, y)) - qGray(cb.pixel(x, y)));
    return sum / (ca.width() * ca.height());
}

} // namespace

class TstPreview : public QObject {
    Q_OBJECT

    QTemporaryDir m_settings;
    PrintShell m_shell;

private slots:
    void initTestCase() {
        TSettingsStore::setLocation(m_settings.path());
        TShell::setInstance(&m_shell);
    }
    void cleanupTestCase() { TShell::setInstance(nullptr); }
    void init() { m_shell = PrintShell(); }

    // Pages 2-3 printed to a PDF: two sheets, numbered 2 and 3, that look
    // like the preview's sheets 2 and 3; every line of the page is printed
    // once when all sheets go out.
    void printedRangeLooksLikeThePreview() {
        if (!havePoppler())
            QSKIP("pdftoppm and pdftotext are not installed (poppler-utils)");
        Page page;
        QVERIFY(page.load());
        TPreviewForm preview(nullptr, &page.viewer, &page.printer);
        QVERIFY(!preview.Create());
        const int count = preview.pageCount();
        QVERIFY2(count >= 4, qPrintable(QString::number(count)));

        m_shell.pdf = page.dir.filePath("range.pdf");
        m_shell.from = 2;
        m_shell.to = 3;
        QVERIFY(preview.Print());
        QCOMPARE(m_shell.dialogMax, count);
        const QString info = run("pdfinfo", {m_shell.pdf});
        QVERIFY2(info.contains(QRegularExpression("Pages:\\s+2\\n")), qPrintable(info));
        const QString first = run("pdftotext", {"-f", "1", "-l", "1", m_shell.pdf, "-"});
        const QString second = run("pdftotext", {"-f", "2", "-l", "2", m_shell.pdf, "-"});
        QVERIFY2(first.contains("Страница 2") && !first.contains("Страница 3"), qPrintable(first));
        QVERIFY2(second.contains("Страница 3"), qPrintable(second));

        const QString prefix = page.dir.filePath("sheet");
        run("pdftoppm", {"-r", "40", "-png", m_shell.pdf, prefix});
        const QImage printed[2] = {QImage(prefix + "-1.png"), QImage(prefix + "-2.png")};
        QVERIFY(!printed[0].isNull() && !printed[1].isNull());
        const QSize size = printed[0].size();
        // The sheet's proportions are the paper's.
        QVERIFY(qAbs(double(size.width()) / size.height() -
                     double(preview.pagePrinter().paperWidth()) /
                         preview.pagePrinter().paperHeight()) < 0.01);
        for (int i = 0; i < 2; ++i) {
            const QImage shown = TPreviewPage::render(preview.pagePrinter().page(1 + i), size);
            const QImage other = TPreviewPage::render(preview.pagePrinter().page(2 - i), size);
            const double same = meanDifference(shown, printed[i]);
            const double wrong = meanDifference(other, printed[i]);
            qInfo("sheet %d: difference %.2f, to another sheet %.2f", i + 2, same, wrong);
            QVERIFY2(same < 4.0, qPrintable(QString::number(same)));
            QVERIFY(wrong > 2 * same);
        }

        // Single sheets: those and no others.
        m_shell.pdf = page.dir.filePath("list.pdf");
        m_shell.from = m_shell.to = 0;
        m_shell.list = {1, count};
        QVERIFY(preview.Print());
        const QString listed = run("pdftotext", {m_shell.pdf, "-"});
        QCOMPARE(listed.count("Страница "), 2);
        QVERIFY(listed.contains("Тормозная система")); // the heading of sheet 1
        QVERIFY(listed.contains(QStringLiteral("Страница %1").arg(count)));
        m_shell.list.clear();

        // All sheets: every line once, in order.
        m_shell.pdf = page.dir.filePath("all.pdf");
        m_shell.from = m_shell.to = 0;
        QVERIFY(preview.Print());
        const QString all = run("pdftotext", {m_shell.pdf, "-"});
        int at = 0;
        for (int i = 1; i <= Page::kLines; ++i) {
            const QString line = QStringLiteral("Строка %1 ").arg(i);
            const int found = all.indexOf(line, at);
            QVERIFY2(found >= 0, qPrintable(line));
            QVERIFY2(all.indexOf(line, found + 1) < 0, qPrintable(line + "twice"));
            at = found;
        }
        QCOMPARE(all.count("Страница "), count);
    }

    // Paging, the zoom list and tools, two sheets, orientation, print zoom
    // and the go-to-page dialog, on the shown window.
    void pagingZoomAndOrientation() {
        Page page;
        QVERIFY(page.load());
        TPreviewForm f(nullptr, &page.viewer, &page.printer);
        QVERIFY(!f.Create());
        f.resize(900, 700);
        f.show();
        QVERIFY(QTest::qWaitForWindowExposed(&f));
        const int count = f.pageCount();
        QVERIFY(count >= 4);
        QCOMPARE(f.currentPage(), 0);
        QVERIFY(!f.action("PrevPageBut")->isEnabled());
        QVERIFY(f.action("NextPageBut")->isEnabled());
        QTest::keyClick(f.pageView(0), Qt::Key_PageDown);
        QCOMPARE(f.currentPage(), 1);
        QTest::keyClick(f.pageView(0), Qt::Key_End);
        QCOMPARE(f.currentPage(), count - 1);
        QVERIFY(!f.action("NextPageBut")->isEnabled());
        QCOMPARE(f.statusPanel(0)->text(), QStringLiteral("Страница %1 из %1").arg(count));
        QTest::keyClick(f.pageView(0), Qt::Key_PageDown); // past the end: stays
        QCOMPARE(f.currentPage(), count - 1);
        QTest::keyClick(f.pageView(0), Qt::Key_Home);
        QCOMPARE(f.currentPage(), 0);

        // Whole sheet: it fits the scroll box and sits in its middle.
        auto* panel = f.findChild<QFrame*>("PagePanel");
        const QSize room = f.scrollBox()->viewport()->size();
        QVERIFY(panel->width() <= room.width() - 20 && panel->height() <= room.height() - 20);
        QVERIFY(qAbs(panel->geometry().center().y() - room.height() / 2) <= 2);
        QVERIFY(f.action("FitPageBut")->isChecked());
        // 300%: three times the paper on the screen.
        f.SetZoomEntry(10);
        const double inches = double(f.pagePrinter().paperWidth()) / f.pagePrinter().ppiX();
        QCOMPARE(panel->width(), int(f.logicalDpiX() * 3 * inches));
        QCOMPARE(panel->pos(), QPoint(10, 10));
        QVERIFY(f.scrollBox()->horizontalScrollBar()->maximum() > 0);
        QVERIFY(!f.action("FitPageBut")->isChecked());

        // Past the size kept as an image the sheet is drawn in parts: the
        // same sheet at 6 times looks like the one at 3 times, twice as big.
        const QImage at3 = f.pageView(0)->grab(QRect(0, 0, 600, 600)).toImage();
        f.SetZoomEntry(11);         // 400%
        for (int i = 0; i < 2; ++i) // 4 x 1.25 x 1.25
            QTest::mouseClick(f.pageView(0), Qt::LeftButton, {}, QPoint(5, 5));
        QVERIFY(f.viewZoom() > 6);
        const double six = f.viewZoom();
        const QImage atSix = f.pageView(0)
                                 ->grab(QRect(0, 0, int(600 * six / 3), int(600 * six / 3)))
                                 .toImage()
                                 .scaled(600, 600, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
        const double d = meanDifference(at3, atSix);
        qInfo("sheet at %.2f times against 3 times: difference %.2f", six, d);
        QVERIFY2(d < 6, qPrintable(QString::number(d)));

        // The view-zoom tool: a left click zooms in by a quarter, by hand.
        f.SetZoomEntry(6); // 100%
        QTest::mouseClick(f.pageView(0), Qt::LeftButton, {}, QPoint(50, 50));
        QCOMPARE(f.zoomBox()->currentIndex(), int(previewmath::Manual));
        QVERIFY(qAbs(f.viewZoom() - 1.25) < 1e-9);
        QTest::mouseClick(f.pageView(0), Qt::RightButton, {}, QPoint(50, 50));
        QVERIFY(qAbs(f.viewZoom() - 1.0) < 1e-9);

        // Two sheets side by side: the second shows the next page.
        f.SetTwoPages();
        QVERIFY(f.twoPages());
        QVERIFY(f.findChild<QFrame*>("PagePanel2")->isVisible());
        QVERIFY(f.pageView(1)->hasPage());
        f.LastPage();
        QVERIFY(!f.pageView(1)->hasPage());
        f.SetZoomEntry(previewmath::FitPage); // back to one sheet
        QVERIFY(!f.twoPages());

        // Landscape: wider sheets, laid out again, the page kept in range.
        f.LastPage();
        f.SetOrientation(true);
        QVERIFY(f.landscape());
        QVERIFY(f.pagePrinter().paperWidth() > f.pagePrinter().paperHeight());
        QVERIFY(f.pagePrinter().page(0).boundingRect().width() >
                f.pagePrinter().page(0).boundingRect().height());
        QVERIFY(f.pageCount() > count); // shorter sheets
        QCOMPARE(f.currentPage(), count - 1);
        f.SetOrientation(false);
        QCOMPARE(f.pageCount(), count);

        // The print-zoom tool: bigger print, more sheets; restored at once.
        f.SetTool(TPreviewForm::PrintZoomTool);
        QTest::mouseClick(f.pageView(0), Qt::LeftButton, {}, QPoint(50, 50));
        QVERIFY(qAbs(f.printZoom() - 1.1) < 1e-9);
        QVERIFY(f.pageCount() > count);
        QCOMPARE(f.currentPage(), f.pageCount() - 1 < count - 1 ? f.pageCount() - 1 : count - 1);
        f.RestoreStartPrintZoom();
        QCOMPARE(f.pageCount(), count);
        QCOMPARE(f.statusPanel(2)->text(), QStringLiteral(" Масштаб печати: 100%"));

        // Go to page: 0 is the first page, past the end the last.
        for (const auto& [entry, expected] :
             {std::pair{0, 0}, std::pair{3, 2}, std::pair{count + 5, count - 1}}) {
            QTimer::singleShot(0, [entry = entry] {
                auto* go = qobject_cast<TGoPageForm*>(QApplication::activeModalWidget());
                QVERIFY(go);
                // Entries past the spin box's ends, as typed.
                go->pageNum()->setRange(0, 1000);
                go->pageNum()->setValue(entry);
                go->accept();
            });
            f.GoToPage();
            QCOMPARE(f.currentPage(), expected);
        }
    }

    // Stopping: at creation the preview does not start; later the sheets
    // and settings stay as they were; a stopped print leaves no file.
    void stopKeepsWhatWasThere() {
        Page page;
        QVERIFY(page.load());
        {
            Stopper stop(2);
            TPreviewForm f(nullptr, &page.viewer, &page.printer);
            QVERIFY(f.Create());
            QCOMPARE(stop.stops, 1);
        }
        TPreviewForm f(nullptr, &page.viewer, &page.printer);
        QVERIFY(!f.Create());
        const int count = f.pageCount();
        const QSize sheet = f.pagePrinter().page(count - 1).boundingRect().size();
        const QImage before = TPreviewPage::render(f.pagePrinter().page(count - 1), {200, 283});
        {
            Stopper stop(2);
            f.SetOrientation(true);
            QCOMPARE(stop.stops, 1);
        }
        QVERIFY(!f.landscape());
        QCOMPARE(f.pageCount(), count);
        QCOMPARE(f.pagePrinter().page(count - 1).boundingRect().size(), sheet);
        QCOMPARE(TPreviewPage::render(f.pagePrinter().page(count - 1), {200, 283}), before);
        {
            Stopper stop(3);
            f.SetPrintZoom(0.5);
            QCOMPARE(stop.stops, 1);
        }
        QCOMPARE(f.printZoom(), 1.0);
        QCOMPARE(f.pageCount(), count);

        m_shell.pdf = page.dir.filePath("stopped.pdf");
        {
            Stopper stop(2);
            QVERIFY(!f.Print());
            QCOMPARE(stop.stops, 1);
        }
        QVERIFY(!QFile::exists(m_shell.pdf));
        QVERIFY(m_shell.messages.isEmpty()); // stopped is not failed
    }

    // A printer that cannot take the sheets: one warning, nothing written.
    void printerThatDisappears() {
        Page page;
        QVERIFY(page.load());
        TPreviewForm f(nullptr, &page.viewer, &page.printer);
        QVERIFY(!f.Create());
        m_shell.pdf = page.dir.filePath("gone/nowhere/out.pdf");
        QVERIFY(!f.Print());
        QCOMPARE(m_shell.messages, QStringList{"!Принтер не доступен!"});
        QVERIFY(!QFile::exists(m_shell.pdf));
        // The dialog cancelled: nothing printed, nothing said.
        m_shell.messages.clear();
        m_shell.pdf.clear();
        QVERIFY(!f.Print());
        QVERIFY(m_shell.messages.isEmpty());
    }

    // Through the content frame: a picture file printed at the size given
    // by another copy turns the paper and fits one sheet; a page that
    // cannot be loaded opens no preview.
    void pictureFromTheFrameFitsOneSheet() {
        QTemporaryDir dir;
        TDiskSource source;
        QWidget window;
        QImage big(2000, 1000, QImage::Format_RGB32);
        big.fill(Qt::darkGreen);
        QVERIFY(big.save(dir.filePath("scheme.jpg")));
        THtmlFrame frame(&window, &source, QStringLiteral("PreviewBook"));
        QPrinter printer(QPrinter::HighResolution);
        printer.setOutputFormat(QPrinter::PdfFormat);
        int calls = 0;
        bool picture = false, landscape = false;
        int sheets = 0;
        double zoom = 0;
        frame.PrintPreview = [&](THTMLViewer* viewer, bool isPicture, QSize size) {
            ++calls;
            picture = isPicture;
            TPreviewForm f(nullptr, viewer, &printer);
            if (f.Create(isPicture, size))
                return false;
            landscape = f.landscape();
            sheets = f.pageCount();
            zoom = f.printZoom();
            // One sheet: no paging, no going to a page, no two sheets.
            f.ShowPage(0);
            for (const char* name : {"FirstPageBut", "PrevPageBut", "NextPageBut", "LastPageBut",
                                     "GoToPageBut", "TwoPageBut"})
                if (f.action(name)->isEnabled())
                    return false;
            return true;
        };
        frame.setRemotePrintValues(2000, 1000);
        QVERIFY(frame.PrintPage(dir.filePath("scheme.jpg")));
        QCOMPARE(calls, 1);
        QVERIFY(picture);
        QVERIFY(landscape);
        QCOMPARE(sheets, 1);
        TMetaFilePrinter a4(&printer);
        a4.setOrientation(TMetaFilePrinter::Orientation::Landscape);
        const double fit = previewmath::usableSize(a4, 1, 96).width() / 2000.0;
        QVERIFY2(zoom <= fit + 1e-6 && zoom > 0.3, qPrintable(QString::number(zoom)));

        QVERIFY(!frame.PrintPage(dir.filePath("gone.htm")));
        QCOMPARE(calls, 1);
    }
};

QTEST_MAIN(TstPreview)
#include "tst_preview.moc"
