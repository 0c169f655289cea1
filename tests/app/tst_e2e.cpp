// End to end: the real program under Xvfb, driven with xdotool, watched with
// screenshots of the root window.
#include "TestBook.h"

#include "skin/TSkinElements.h"
#include "app/TWindowAnimation.h"
#include "data/BookPaths.h"
#include "data/StringUtils.h"
#include "data/StructParser.h"
#include "data/TReadBin.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include <functional>

namespace {

QString runTool(const QString& program, const QStringList& args, int timeoutMs = 10000) {
    QProcess p;
    p.start(program, args);
    if (!p.waitForFinished(timeoutMs)) {
        p.kill();
        p.waitForFinished();
    }
    return QString::fromLocal8Bit(p.readAllStandardOutput()).trimmed();
}

QImage screenshot() {
    QProcess p;
    p.start("import", {"-window", "root", "png:-"});
    p.waitForFinished(15000);
    return QImage::fromData(p.readAllStandardOutput(), "PNG").convertToFormat(QImage::Format_RGB32);
}

bool near(QRgb a, QRgb b) {
    return qAbs(qRed(a) - qRed(b)) <= 10 && qAbs(qGreen(a) - qGreen(b)) <= 10 &&
           qAbs(qBlue(a) - qBlue(b)) <= 10;
}

// The book as the program sees it: description and pictures from the pack.
struct Book {
    QString dir;
    TReadBin pack;
    BookPaths paths;
    StructModel model;

    bool load(const QString& folder) {
        dir = folder;
        paths = BookPaths(folder);
        if (!pack.load(folder + "/Dod.dhl"))
            return false;
        const auto bytes = pack.read("Struct.cfs");
        if (!bytes)
            return false;
        model = parseStruct(cfs::decode(*bytes, true), &paths);
        return true;
    }
    // The screen at rest, as the window should paint it, with its elements.
    std::unique_ptr<TSkinElements> screen(int index) {
        auto e = std::make_unique<TSkinElements>(model, TEffBtnCar::Clock::Manual);
        e->loadPicture = [this](const QString& n) {
            const auto b = pack.read(n);
            return b ? QImage::fromData(*b) : QImage();
        };
        e->buildScreen(index);
        return e;
    }
    // Areas other widgets may paint over (text lines, path boxes, HTML panes).
    QList<QRect> widgetAreas(int screen) const {
        QList<QRect> r;
        for (const RText& t : model.text)
            if (t.screen == screen)
                r << QRect(t.vx - 2, t.vy - 2, 400, 40);
        for (const RPath& p : model.path)
            if (p.screen == screen)
                r << QRect(QPoint(p.vx - 2, p.vy - 2), QPoint(p.vw + 2, p.vh + 2));
        for (const RHtml& h : model.html)
            if (h.screen == screen)
                r << QRect(QPoint(h.vx - 2, h.vy - 2), QPoint(h.vw + 2, h.vh + 2));
        for (const RFindTxt& h : model.findtxt)
            if (h.screen == screen)
                r << QRect(QPoint(h.vx - 2, h.vy - 2), QPoint(h.vw + 2, h.vh + 2));
        for (const RClip& h : model.clip)
            if (h.screen == screen)
                r << QRect(QPoint(h.vx - 2, h.vy - 2), QPoint(h.vw + 2, h.vh + 2));
        // The animated picture of the cover.
        if (screen == 0)
            r << QRect(580, 465, 200, 200);
        return r;
    }
};

// Share of sampled points of `area` (window coordinates) where the shot
// shows `expected` (drawn at `origin` in window coordinates).
double matchShare(const QImage& shot, QPoint window, const QImage& expected, QPoint origin,
                  const QRect& area, const QRegion& visible, const QList<QRect>& skip = {}) {
    int total = 0, same = 0;
    for (int y = area.top(); y <= area.bottom(); y += 3)
        for (int x = area.left(); x <= area.right(); x += 3) {
            const QPoint p(x, y);
            if (!visible.contains(p))
                continue;
            bool skipped = false;
            for (const QRect& r : skip)
                skipped = skipped || r.contains(p);
            const QPoint e = p - origin;
            if (skipped || !expected.rect().contains(e) || !shot.rect().contains(p + window))
                continue;
            ++total;
            same += near(shot.pixel(p + window), expected.pixel(e));
        }
    return total ? double(same) / total : 0.0;
}

class Program {
public:
    QProcess process;
    QByteArray out;

    void start(const QString& book, const QString& config) {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("XDG_CONFIG_HOME", config);
        env.insert("VANTREL_FIRST_FRAME_MARK", "1");
        env.insert("QT_QPA_PLATFORM", "xcb");
        process.setProcessEnvironment(env);
        process.start(VANTREL_EXE, {"--book", book});
    }
    bool waitFirstFrame(int timeoutMs = 20000) {
        QElapsedTimer t;
        t.start();
        while (t.elapsed() < timeoutMs) {
            process.waitForReadyRead(100);
            out += process.readAllStandardOutput();
            if (out.contains("first frame"))
                return true;
            if (process.state() == QProcess::NotRunning)
                return false;
        }
        return false;
    }
    ~Program() {
        if (process.state() != QProcess::NotRunning) {
            process.kill();
            process.waitForFinished();
        }
    }
};

std::optional<QRect> windowRect(const QString& title) {
    for (int i = 0; i < 50; ++i) {
        const QStringList ids =
            runTool("xdotool", {"search", "--onlyvisible", "--name", "^" + title + "$"})
                .split('\n', Qt::SkipEmptyParts);
        if (!ids.isEmpty()) {
            const QString shell = runTool("xdotool", {"getwindowgeometry", "--shell", ids.last()});
            QHash<QString, int> v;
            for (const QString& line : shell.split('\n')) {
                const auto kv = line.split('=');
                if (kv.size() == 2)
                    v[kv[0]] = kv[1].toInt();
            }
            return QRect(v["X"], v["Y"], v["WIDTH"], v["HEIGHT"]);
        }
        QTest::qWait(100);
    }
    return std::nullopt;
}

void mouseTo(QPoint global) {
    runTool("xdotool", {"mousemove", QString::number(global.x()), QString::number(global.y())});
}

// Takes screenshots until `share` of one exceeds `threshold` (animations and
// fades take their time on a busy machine); returns the last share, `shot`
// holds the last screenshot.
double pollShare(QImage& shot, const std::function<double(const QImage&)>& share, double threshold,
                 int timeoutMs = 10000) {
    QElapsedTimer t;
    t.start();
    double value = 0;
    do {
        shot = screenshot();
        value = share(shot);
        if (value > threshold)
            break;
        QTest::qWait(100);
    } while (t.elapsed() < timeoutMs);
    return value;
}

void saveShot(const QImage& shot, const QRect& window, const QString& name) {
    const QString dir = QStringLiteral(VANTREL_BINARY_DIR) + "/test-home/tst_e2e/shots";
    QDir().mkpath(dir);
    shot.copy(window.adjusted(-10, -10, 10, 10)).save(dir + "/" + name);
}

} // namespace

class TestEndToEnd : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void bookInTheSkinnedWindow();

private:
    QTemporaryDir m_tmp;
    QString m_book;
};

void TestEndToEnd::initTestCase() {
    QVERIFY(m_tmp.isValid());
    if (qEnvironmentVariableIsEmpty("DISPLAY"))
        QSKIP("needs an X server (run under xvfb-run)");
    const QString demo = QStringLiteral(VANTREL_BINARY_DIR) + "/demo-book/run";
    // VANTREL_E2E_OWN_BOOK=1 runs on the test's own small book even when the
    // demo book is built.
    if (QFile::exists(demo + "/Dod.dhl") && qEnvironmentVariableIsEmpty("VANTREL_E2E_OWN_BOOK")) {
        m_book = demo;
    } else {
        // No demo book in this build: a small book of our own, with an outline
        // that cuts the corners.
        m_book = m_tmp.filePath("book/run");
        QVERIFY(testbook::write(
            m_book,
            testbook::description("Endtoend", "vertexmain=[12,0;288,0;300,12;300,188;288,200;"
                                              "12,200;0,188;0,12]"),
            testbook::pictures()));
    }
    qInfo() << "book" << m_book;
}

void TestEndToEnd::bookInTheSkinnedWindow() {
    Book book;
    QVERIFY(book.load(m_book));
    const QString config = m_tmp.filePath("config");
    auto cover = book.screen(0);
    const QImage coverSkin = cover->skin();
    const QRegion visible =
        TWindowAnimation::finalOpeningRegion(coverSkin.size());

    Program first;
    first.start(m_book, config);
    QVERIFY2(first.waitFirstFrame(), first.process.readAllStandardError().constData());
    const auto found = windowRect(book.model.title);
    QVERIFY(found);
    QRect win = *found;
    QCOMPARE(win.size(), coverSkin.size());

    // The skin, once the opening animation is over.
    QImage shot;
    const QRect all(QPoint(0, 0), win.size());
    const double skinShare = pollShare(
        shot,
        [&](const QImage& img) {
            return matchShare(img, win.topLeft(), coverSkin, {}, all, visible, book.widgetAreas(0));
        },
        0.95);
    QTest::qWait(200);
    shot = screenshot();
    saveShot(shot, win, "screen1.png");
    qInfo() << "screen 1 matches its skin at" << skinShare;
    QVERIFY(skinShare > 0.9);
    if (book.model.outline.size() >= 3) {
        // The last opening ellipse replaces the book's outline: the corners
        // the outline cuts off show the skin (the close button may sit there).
        const QPoint corner(1, 1);
        QVERIFY(!QRegion(book.model.outline, Qt::WindingFill).contains(corner));
        QVERIFY(visible.contains(corner));
        QCOMPARE(shot.pixel(win.topLeft() + corner), coverSkin.pixel(corner));
    }

    // A second copy of the same book ends at once, quietly.
    {
        Program second;
        second.start(m_book, config);
        QVERIFY(second.process.waitForFinished(10000));
        QCOMPARE(second.process.exitCode(), 0);
        QVERIFY(!second.out.contains("first frame"));
    }

    // Dragging by bare skin moves the window.
    QPoint bare(-1, -1);
    for (int y = 5; y < win.height() && bare.x() < 0; y += 7)
        for (int x = 5; x < win.width() && bare.x() < 0; x += 7) {
            const QPoint p(x, y);
            bool free = visible.contains(p) && cover->hitTest(p).kind == TSkinElements::None;
            for (const QRect& r : book.widgetAreas(0))
                free = free && !r.adjusted(-5, -5, 5, 5).contains(p);
            if (free && cover->hitTest(p + QPoint(40, 25)).kind == TSkinElements::None)
                bare = p;
        }
    QVERIFY(bare.x() >= 0);
    mouseTo(win.topLeft() + bare);
    runTool("xdotool", {"mousedown", "1"});
    for (int i = 1; i <= 5; ++i)
        mouseTo(win.topLeft() + bare + QPoint(8 * i, 5 * i));
    runTool("xdotool", {"mouseup", "1"});
    QTest::qWait(300);
    const auto moved = windowRect(book.model.title);
    QVERIFY(moved);
    QCOMPARE(moved->topLeft(), win.topLeft() + QPoint(40, 25));
    win = *moved;

    // Toggle a stored switch (the next start must find it).
    int storedKind = -1, storedIndex = -1;
    bool storedOn = false;
    QRect storedRect;
    for (qsizetype i = 0; i < cover->switchOnes().size() && storedKind < 0; ++i) {
        const RSwthOne& s = cover->switchOnes()[i];
        if (s.store && s.right > s.vx) {
            storedKind = 1;
            storedIndex = int(i);
            storedOn = !s.on;
            storedRect = TSkinElements::rectOf(s.vx, s.vy, s.right, s.bottom);
        }
    }
    if (storedKind >= 0) {
        mouseTo(win.topLeft() + storedRect.center());
        runTool("xdotool", {"click", "1"});
        QTest::qWait(400);
    }

    // Hovering the reading-screen button changes its picture.
    int reading = -1;
    for (qsizetype i = 0; i < cover->buttons().size(); ++i)
        if (cover->buttons()[i].go.startsWith("screen2") && reading < 0)
            reading = int(i);
    QVERIFY(reading >= 0);
    const RBtn rb = cover->buttons()[reading];
    const QRect rbRect = TSkinElements::rectOf(rb.vx, rb.vy, rb.right, rb.bottom);
    const auto& rbPics = cover->buttonPics()[reading];
    const QRect inner = rbRect.adjusted(1, 1, -1, -1);
    mouseTo(win.topLeft() + QPoint(rbRect.center().x(), rbRect.bottom() + 30));
    QTest::qWait(400);
    shot = screenshot();
    const double normalBefore =
        matchShare(shot, win.topLeft(), rbPics.normal, rbRect.topLeft(), inner, visible);
    mouseTo(win.topLeft() + rbRect.center());
    const double hoverShare = pollShare(
        shot,
        [&](const QImage& img) {
            return matchShare(img, win.topLeft(), rbPics.hover, rbRect.topLeft(), inner, visible);
        },
        0.95, 5000);
    saveShot(shot, win, "screen1-hover.png");
    const double normalShare =
        matchShare(shot, win.topLeft(), rbPics.normal, rbRect.topLeft(), inner, visible);
    qInfo() << "reading button: normal before" << normalBefore << "hover" << hoverShare
            << "normal while hovered" << normalShare;
    QVERIFY(normalBefore > 0.9);
    QVERIFY(hoverShare > 0.9);
    QVERIFY(normalShare < hoverShare);

    // Clicking it switches to the reading screen.
    runTool("xdotool", {"click", "1"});
    auto readingScreen = book.screen(1);
    const QRegion visible2 =
        TWindowAnimation::finalOpeningRegion(readingScreen->skin().size());
    const double share2 = pollShare(
        shot,
        [&](const QImage& img) {
            return matchShare(img, win.topLeft(), readingScreen->skin(), {},
                              QRect(QPoint(0, 0), readingScreen->skin().size()), visible2,
                              book.widgetAreas(1) << rbRect.adjusted(-40, -40, 40, 40));
        },
        0.9, 5000);
    QTest::qWait(300);
    saveShot(screenshot(), win, "screen2.png");
    qInfo() << "screen 2 matches its skin at" << share2;
    QVERIFY(share2 > 0.8);

    // The exit button: the closing animation, then the process ends.
    int exitButton = -1;
    for (qsizetype i = 0; i < readingScreen->buttons().size(); ++i)
        if (readingScreen->buttons()[i].go == "exit")
            exitButton = int(i);
    QVERIFY(exitButton >= 0);
    const RBtn eb = readingScreen->buttons()[exitButton];
    mouseTo(win.topLeft() + TSkinElements::rectOf(eb.vx, eb.vy, eb.right, eb.bottom).center());
    QTest::qWait(300);
    QElapsedTimer closing;
    closing.start();
    runTool("xdotool", {"click", "1"});
    const bool animating = first.process.state() == QProcess::Running;
    QVERIFY(first.process.waitForFinished(20000));
    qInfo() << "closed after" << closing.elapsed() << "ms" << first.process.readAllStandardError();
    QVERIFY(animating);
    QCOMPARE(first.process.exitStatus(), QProcess::NormalExit);
    QCOMPARE(first.process.exitCode(), 0);
    QVERIFY(closing.elapsed() > 150);

    // The second start finds the stored switch state.
    if (storedKind < 0)
        QSKIP("the book has no stored switch on screen 1");
    Program again;
    again.start(m_book, config);
    QVERIFY(again.waitFirstFrame());
    const auto win3 = windowRect(book.model.title);
    QVERIFY(win3);
    mouseTo(QPoint(0, 0));
    const auto& pics = cover->switchOnePics()[storedIndex];
    const double share = pollShare(
        shot,
        [&](const QImage& img) {
            return matchShare(img, win3->topLeft(), storedOn ? pics.on : pics.off,
                              storedRect.topLeft(), storedRect.adjusted(1, 1, -1, -1), visible);
        },
        0.95);
    saveShot(shot, *win3, "restart.png");
    qInfo() << "stored switch" << storedIndex << "on" << storedOn << "match" << share;
    QVERIFY(share > 0.9);

    // A copy killed outright leaves nothing behind that keeps the next start out.
    again.process.kill();
    QVERIFY(again.process.waitForFinished(5000));
    Program next;
    next.start(m_book, config);
    QVERIFY(next.waitFirstFrame());
}

QTEST_MAIN(TestEndToEnd)
#include "tst_e2e.moc"
