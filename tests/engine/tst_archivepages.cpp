#include "content/ArchiveWriter.h"
#include "content/ContentArchive.h"
#include "data/BookPaths.h"
#include "engine/TFileSource.h"
#include "engine/TFrameViewer.h"
#include "engine/THtmlDocument.h"
#include "platform/Cp1251.h"

#include <QBuffer>
#include <QDir>
#include <QImage>
#include <QPainter>
#include <QTemporaryDir>
#include <QtTest>

// Pages, frames, style sheets and pictures read from a real content archive.
class TstArchivePages : public QObject {
    Q_OBJECT

    static QByteArray png(int w, int h, const QColor& c) {
        QImage img(w, h, QImage::Format_RGB32);
        img.fill(c);
        QByteArray bytes;
        QBuffer buf(&bytes);
        buf.open(QIODevice::WriteOnly);
        img.save(&buf, "PNG");
        return bytes;
    }

private slots:
    void pagesComeFromTheArchive() {
        QTemporaryDir dir;
        QString run = dir.path() + "/run";
        QDir().mkpath(run);
        ArchiveWriter w;
        QVERIFY(w.addFile("run/index.htm",
                          cp1251::fromUnicode("<frameset cols='100,*'><frame name=toc "
                                              "src=toc.htm><frame name=main src=Main.htm>"
                                              "</frameset>")));
        QVERIFY(w.addFile("run/toc.htm", "<a href=main.htm target=main>m</a>"));
        QVERIFY(w.addFile("run/main.htm",
                          cp1251::fromUnicode("<title>Главная</title><link rel=stylesheet "
                                              "href=css/book.css><p class=x>Текст<img "
                                              "src=IMG/Pic.png>")));
        QVERIFY(w.addFile("run/css/book.css", "p.x { color: #00ff00; font-size: 30px }"));
        QVERIFY(w.addFile("run/img/pic.png", png(33, 22, Qt::blue)));
        QVERIFY(w.write(run + "/interface.dat"));

        ContentArchive archive;
        QString error;
        QVERIFY2(archive.open(run + "/interface.dat", &error), qPrintable(error));
        archive.setRootPrefix(BookPaths(run).bookRoot());
        TArchiveSource source(archive);
        QVERIFY(source.exists(run + "/MAIN.HTM"));
        QVERIFY(!QFile::exists(run + "/main.htm")); // not on disk

        THtmlDocument doc(&source, TViewerSettings());
        QVERIFY(doc.load(run + "/main.htm", &error));
        doc.layout(400);
        QCOMPARE(doc.title(), QStringLiteral("Главная"));
        QCOMPARE(doc.pictureSize(), QSize(33, 22));
        int at = int(doc.words().text().indexOf(QStringLiteral("Текст")));
        QVERIFY(at >= 0);
        QVERIFY(doc.words().boundingRect(at, at + 5).height() >= 30); // style sheet applied

        TFrameViewer fv;
        fv.setFileSource(&source);
        fv.resize(500, 300);
        QVERIFY(fv.loadFile(run + "/index.htm", &error));
        QCOMPARE(fv.frameNames(), QStringList({"toc", "main"}));
        QCOMPARE(fv.frameViewer("main")->documentTitle(), QStringLiteral("Главная"));
        QVERIFY(!fv.loadFile(run + "/none.htm", &error));
        QCOMPARE(error, QStringLiteral("Can't locate file: ") + run + "/none.htm");
    }
};

QTEST_MAIN(TstArchivePages)
#include "tst_archivepages.moc"
