#include "TestPages.h"

#include <QImage>
#include <QProcess>
#include <QtTest>

// vantrel-render writes a PNG of a page and a paginated PDF.
class TstRenderTool : public QObject {
    Q_OBJECT

    static QString tool() {
        return QStringLiteral(VANTREL_BINARY_DIR "/tools/render/vantrel-render");
    }
    static int run(const QStringList& args, QString* out = nullptr) {
        QProcess p;
        p.start(tool(), args);
        if (!p.waitForFinished(60000))
            return -1;
        if (out)
            *out = QString::fromLocal8Bit(p.readAllStandardOutput() + p.readAllStandardError());
        return p.exitCode();
    }

private slots:
    void pngAndPdf() {
        TestPages pages;
        QString body;
        for (int i = 0; i < 300; ++i)
            body += QStringLiteral("<p>Line %1").arg(i);
        pages.page("p.htm", "<body bgcolor=#0000ff>" + body);
        QString png = pages.path("p.png"), pdf = pages.path("p.pdf");
        QCOMPARE(run({pages.path("p.htm"), "-o", png, "--width", "321"}), 0);
        QImage img(png);
        QCOMPARE(img.width(), 321);
        QVERIFY(img.height() > 3000);
        QCOMPARE(img.pixelColor(310, 5), QColor(0, 0, 255));
        QString out;
        QCOMPARE(run({pages.path("p.htm"), "-o", pdf}, &out), 0);
        QFile f(pdf);
        QVERIFY(f.open(QIODevice::ReadOnly));
        QVERIFY(f.read(5) == "%PDF-");
        QVERIFY2(out.contains(QRegularExpression(" ([2-9]|\\d\\d) page")), qPrintable(out));
    }

    void bookFolderAndErrors() {
        TestPages pages;
        pages.page("run/a.htm", "<p>x");
        QString png = pages.path("a.png");
        QCOMPARE(run({"a.htm", "--book", pages.path("run"), "-o", png}), 0);
        QVERIFY(!QImage(png).isNull());
        QString out;
        QCOMPARE(run({"gone.htm", "--book", pages.path("run"), "-o", png}, &out), 1);
        QVERIFY(out.contains("Can't locate file: "));
        QCOMPARE(run({"a.htm"}), 2);
        QCOMPARE(run({pages.path("run/a.htm"), "-o", png, "--width", "abc"}), 2);
    }
};

QTEST_MAIN(TstRenderTool)
#include "tst_rendertool.moc"
