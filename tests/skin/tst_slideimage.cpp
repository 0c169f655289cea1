// The slide areas: picture order per folder, the shared index across
// screens, the timer's three orders, empty folders, and pictures decoded to
// fit their area whatever their size.
#include "data/BookPaths.h"
#include "skin/TSlideImage.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QImageWriter>
#include <QLabel>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QWidget>

namespace {

// Each picture is one solid colour, so the area's pixmap tells which file it shows.
void writePicture(const QString& path, QColor colour, QSize size = QSize(40, 30)) {
    QImage image(size, QImage::Format_RGB32);
    image.fill(colour);
    const QString ext = QFileInfo(path).suffix().toLower();
    QImageWriter w(path, ext == "bmp" ? "bmp" : "jpeg");
    QVERIFY2(w.write(image), qPrintable(w.errorString()));
}

QString textOf(const QString& nativeDir) {
    return BookPaths::fromNative(nativeDir) + u'\\';
}

RImage area(int screen, const QString& dir, QRect r = QRect(10, 10, 200, 100)) {
    RImage row;
    row.vx = r.left();
    row.vy = r.top();
    row.vw = r.right() + 1;
    row.vh = r.bottom() + 1;
    row.dir = dir;
    row.screen = screen;
    return row;
}

QString nameOf(const QString& pathText) {
    return pathText.mid(pathText.lastIndexOf(u'\\') + 1);
}

} // namespace

class TestSlideImage : public QObject {
    Q_OBJECT
private slots:
    void init();
    void folderOrderAndWrapping();
    void sharedIndexAcrossScreensAndAreas();
    void emptyFolderShowsNothing();
    void timerOrdersAndScreens();
    void hugeAndDamagedPictures();
    void folderOfFiveThousand();

private:
    QTemporaryDir m_tmp;
    QString m_abc; // a.bmp, b.jpg, c.jpeg (+ junk)
    QWidget m_window;
    ROptions m_options;
    int m_screen = 0;
};

void TestSlideImage::init() {
    QVERIFY(m_tmp.isValid());
    m_abc = m_tmp.filePath("abc");
    QDir().mkpath(m_abc + "/sub");
    writePicture(m_abc + "/c.jpeg", Qt::blue);
    writePicture(m_abc + "/b.jpg", Qt::green);
    writePicture(m_abc + "/a.bmp", Qt::red);
    writePicture(m_abc + "/sub/d.bmp", Qt::yellow); // no subfolders
    QFile(m_abc + "/notes.txt").open(QIODevice::WriteOnly);
    m_options = ROptions();
    m_screen = 0;
}

void TestSlideImage::folderOrderAndWrapping() {
    TSlideImage s({area(0, textOf(m_abc))}, &m_window, m_options, [this] { return m_screen; });
    QCOMPARE(s.list(0).size(), 3);
    QCOMPARE(nameOf(s.list(0)[0]), QString("a.bmp"));
    QCOMPARE(nameOf(s.list(0)[1]), QString("b.jpg"));
    QCOMPARE(nameOf(s.list(0)[2]), QString("c.jpeg"));
    // Shown at creation, centred without stretching.
    QVERIFY(s.area(0)->isVisibleTo(&m_window));
    QCOMPARE(nameOf(s.shownFile(0)), QString("a.bmp"));
    QCOMPARE(s.area(0)->pixmap().size(), QSize(40, 30));
    QCOMPARE(s.area(0)->pixmap().toImage().pixelColor(5, 5), QColor(Qt::red));
    s.Next();
    s.Next();
    QCOMPARE(nameOf(s.shownFile(0)), QString("c.jpeg"));
    s.Next(); // past the last: the first
    QCOMPARE(nameOf(s.shownFile(0)), QString("a.bmp"));
    QCOMPARE(s.pictureIndex(), 0);
    s.Previous(); // before the first: the last
    QCOMPARE(nameOf(s.shownFile(0)), QString("c.jpeg"));
    QCOMPARE(s.pictureIndex(), 2);
}

void TestSlideImage::sharedIndexAcrossScreensAndAreas() {
    // Screen 0: two areas (the later one steps); screen 1: a five-picture
    // folder; screen 2: a one-picture folder.
    const QString five = m_tmp.filePath("five"), one = m_tmp.filePath("one");
    QDir().mkpath(five);
    QDir().mkpath(one);
    for (int i = 0; i < 5; ++i)
        writePicture(QString("%1/p%2.bmp").arg(five).arg(i), QColor(i * 50, 0, 0));
    writePicture(one + "/only.jpg", Qt::white);
    TSlideImage s({area(0, textOf(m_abc), QRect(0, 0, 50, 50)),
                   area(0, textOf(five), QRect(60, 0, 50, 50)), area(1, textOf(m_abc)),
                   area(2, textOf(one))},
                  &m_window, m_options, [this] { return m_screen; });
    QCOMPARE(s.currentArea(), 1);
    s.Next();
    s.Next();
    s.Next();
    QCOMPARE(nameOf(s.shownFile(1)), QString("p3.bmp"));
    QCOMPARE(nameOf(s.shownFile(0)), QString("a.bmp")); // the earlier area keeps its picture
    // Screen 1 first shown: index 3 of a three-picture list: nothing.
    m_screen = 1;
    s.ShowForScreen();
    QVERIFY(!s.area(0)->isVisibleTo(&m_window));
    QVERIFY(s.area(2)->isVisibleTo(&m_window));
    QVERIFY(s.shownFile(2).isEmpty());
    QVERIFY(s.area(2)->pixmap().isNull());
    // Stepping there: past its end, so the first picture.
    s.Next();
    QCOMPARE(nameOf(s.shownFile(2)), QString("a.bmp"));
    // Previous from an index past a shorter list lands on its last picture.
    m_screen = 0;
    s.ShowForScreen();
    s.Next();
    s.Next();
    s.Next();
    s.Next(); // index 4 on the five-picture list
    QCOMPARE(nameOf(s.shownFile(1)), QString("p4.bmp"));
    m_screen = 2;
    s.ShowForScreen();
    QVERIFY(s.shownFile(3).isEmpty()); // index 4 of a one-picture list
    s.Previous();
    QCOMPARE(nameOf(s.shownFile(3)), QString("only.jpg"));
    QCOMPARE(s.pictureIndex(), 0);
    // Coming back shows the pictures the areas kept.
    m_screen = 0;
    s.ShowForScreen();
    QCOMPARE(nameOf(s.shownFile(1)), QString("p4.bmp"));
}

void TestSlideImage::emptyFolderShowsNothing() {
    const QString empty = m_tmp.filePath("empty");
    QDir().mkpath(empty);
    m_options.imageSequence = 7; // random
    TSlideImage s({area(0, textOf(m_abc)), area(1, textOf(empty)),
                   area(2, textOf(m_tmp.filePath("missing")))},
                  &m_window, m_options, [this] { return m_screen; });
    s.Next(); // index 1 on screen 0
    m_screen = 1;
    s.ShowForScreen();
    QVERIFY(s.area(1)->pixmap().isNull());
    int asked = 0;
    s.randomIndex = [&asked](int) { return ++asked, 0; };
    s.Next();
    s.Previous();
    s.Tick();
    QCOMPARE(asked, 0); // no random draw from an empty list
    QVERIFY(s.shownFile(1).isEmpty());
    // The shared index is left alone: screen 0's area steps on from where it was.
    QCOMPARE(s.pictureIndex(), 1);
    m_screen = 2;
    s.ShowForScreen();
    QVERIFY(s.list(2).isEmpty());
    s.Next();
    QVERIFY(s.shownFile(2).isEmpty());
}

void TestSlideImage::timerOrdersAndScreens() {
    m_options.runSlideShow = true;
    m_options.slideShowTime = 7;
    TSlideImage s({area(0, textOf(m_abc)), area(2, textOf(m_abc))}, &m_window, m_options,
                  [this] { return m_screen; });
    QVERIFY(s.timerRunning());
    QCOMPARE(s.timer()->interval(), 7000);
    // Forwards, backwards, random.
    s.Tick();
    QCOMPARE(nameOf(s.shownFile(0)), QString("b.jpg"));
    m_options.imageSequence = 1;
    s.Tick();
    s.Tick();
    QCOMPARE(nameOf(s.shownFile(0)), QString("c.jpeg"));
    m_options.imageSequence = 2;
    QList<int> bounds;
    s.randomIndex = [&bounds](int bound) {
        bounds << bound;
        return 1;
    };
    s.Tick();
    QCOMPARE(bounds, QList<int>{3});
    QCOMPARE(nameOf(s.shownFile(0)), QString("b.jpg"));
    QCOMPARE(s.pictureIndex(), 2); // a random pick leaves the index where it was
    // A screen without an area stops the timer; one with an area runs it.
    m_screen = 1;
    s.ShowForScreen();
    QVERIFY(!s.timerRunning());
    s.setSlideShow(true, 3001); // switched on in the options here: still not running
    QVERIFY(!s.timerRunning());
    QCOMPARE(s.timer()->interval(), 3001);
    m_screen = 2;
    s.ShowForScreen();
    QVERIFY(s.timerRunning());
    // From a later area's screen to an earlier one's: still running.
    m_screen = 0;
    s.ShowForScreen();
    QVERIFY(s.timerRunning());
    s.setSlideShow(false, 3001);
    QVERIFY(!s.timerRunning());
    // The timer really steps.
    m_options.imageSequence = 0;
    s.setSlideShow(true, 20);
    const QString before = s.shownFile(0);
    QTRY_VERIFY_WITH_TIMEOUT(s.shownFile(0) != before, 2000);
}

void TestSlideImage::hugeAndDamagedPictures() {
    const QString dir = m_tmp.filePath("big");
    QDir().mkpath(dir);
    // A JPEG of 6000 x 4000 into an area of 300 x 150: decoded at most at
    // the area's size, aspect kept.
    writePicture(dir + "/a_huge.jpg", QColor(0, 128, 255), QSize(6000, 4000));
    QFile damaged(dir + "/b_damaged.jpg");
    QVERIFY(damaged.open(QIODevice::WriteOnly));
    damaged.write("\xff\xd8\xff\xe0 not really a JPEG");
    damaged.close();
    TSlideImage s({area(0, textOf(dir), QRect(0, 0, 300, 150))}, &m_window, m_options,
                  [this] { return m_screen; });
    const QSize shown = s.area(0)->pixmap().size();
    QVERIFY2(shown.width() <= 300 && shown.height() <= 150,
             qPrintable(QString("%1x%2").arg(shown.width()).arg(shown.height())));
    QVERIFY(qAbs(double(shown.width()) / shown.height() - 1.5) < 0.05);
    // The damaged picture is named and the area keeps what it showed.
    s.Next();
    QCOMPARE(s.pictureIndex(), 1);
    QVERIFY(s.shownFile(0).endsWith("a_huge.jpg"));
    QCOMPARE(s.area(0)->pixmap().size(), shown);
    QString error;
    QVERIFY(TSlideImage::decodeToFit(dir + "/b_damaged.jpg", QSize(10, 10), &error).isNull());
    QVERIFY(!error.isEmpty());
}

void TestSlideImage::folderOfFiveThousand() {
    // 5 000 pictures: listed once, only the one on show decoded.
    const QString dir = m_tmp.filePath("many");
    QDir().mkpath(dir);
    writePicture(dir + "/00000.bmp", Qt::red, QSize(8, 8));
    QFile first(dir + "/00000.bmp");
    QVERIFY(first.open(QIODevice::ReadOnly));
    const QByteArray bytes = first.readAll();
    for (int i = 1; i < 5000; ++i) {
        QFile f(QString("%1/%2.bmp").arg(dir).arg(i, 5, 10, QChar('0')));
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(bytes);
    }
    TSlideImage s({area(0, textOf(dir))}, &m_window, m_options, [this] { return m_screen; });
    QCOMPARE(s.list(0).size(), 5000);
    QCOMPARE(nameOf(s.shownFile(0)), QString("00000.bmp"));
    s.Previous();
    QCOMPARE(nameOf(s.shownFile(0)), QString("04999.bmp"));
    s.Next();
    QCOMPARE(nameOf(s.shownFile(0)), QString("00000.bmp"));
}

QTEST_MAIN(TestSlideImage)
#include "tst_slideimage.moc"
