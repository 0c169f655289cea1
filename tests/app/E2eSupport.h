#pragma once

// Support of the end-to-end tests: the real program under Xvfb, driven with
// xdotool, watched with screenshots of the root window.
#include "data/BookPaths.h"
#include "data/StringUtils.h"
#include "data/StructParser.h"
#include "data/TReadBin.h"
#include "skin/TSkinElements.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QHash>
#include <QImage>
#include <QProcess>
#include <QTest>

#include <functional>
#include <memory>
#include <optional>

namespace e2e {

inline QString runTool(const QString& program, const QStringList& args, int timeoutMs = 10000) {
    QProcess p;
    p.start(program, args);
    if (!p.waitForFinished(timeoutMs)) {
        p.kill();
        p.waitForFinished();
    }
    return QString::fromLocal8Bit(p.readAllStandardOutput()).trimmed();
}

inline QImage screenshot() {
    QProcess p;
    p.start("import", {"-window", "root", "png:-"});
    p.waitForFinished(15000);
    return QImage::fromData(p.readAllStandardOutput(), "PNG").convertToFormat(QImage::Format_RGB32);
}

inline bool near(QRgb a, QRgb b) {
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
inline double matchShare(const QImage& shot, QPoint window, const QImage& expected, QPoint origin,
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

inline std::optional<QRect> windowRect(const QString& title) {
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

class Program {
public:
    QProcess process;
    QByteArray out;

    void start(const QString& book, const QString& config, const QStringList& more = {}) {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("XDG_CONFIG_HOME", config);
        env.insert("VANTREL_FIRST_FRAME_MARK", "1");
        env.insert("QT_QPA_PLATFORM", "xcb");
        env.insert("VANTREL_TRACE", "1");
        process.setProcessEnvironment(env);
        process.start(VANTREL_EXE, QStringList{"--book", book} + more);
    }
    // Waits until the standard output after `from` holds a line beginning
    // with `prefix`; returns that line's text after the prefix, or nothing.
    std::optional<QByteArray> waitLine(const QByteArray& prefix, qsizetype& from,
                                       int timeoutMs = 10000) {
        QElapsedTimer t;
        t.start();
        do {
            out += process.readAllStandardOutput();
            const qsizetype at = out.indexOf(prefix, from);
            if (at >= 0) {
                const qsizetype end = out.indexOf('\n', at);
                if (end >= 0) {
                    from = end + 1;
                    return out.mid(at + prefix.size(), end - at - prefix.size()).trimmed();
                }
            }
            if (process.state() == QProcess::NotRunning)
                return std::nullopt;
            process.waitForReadyRead(50);
        } while (t.elapsed() < timeoutMs);
        return std::nullopt;
    }
    // Starts the program, then waits for its first frame, its window
    // captioned "Vantrel" and the opening animation. The window's place, or
    // nothing with the reason in `failure`.
    std::optional<QRect> open(const QString& book, const QString& config) {
        start(book, config);
        if (!waitFirstFrame()) {
            failure = "no first frame: " + process.readAllStandardError();
            return std::nullopt;
        }
        const std::optional<QRect> found = windowRect("Vantrel");
        if (found)
            QTest::qWait(1500); // the opening animation
        else
            failure = "no window captioned Vantrel";
        return found;
    }
    QByteArray failure;

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

inline void mouseTo(QPoint global) {
    runTool("xdotool", {"mousemove", QString::number(global.x()), QString::number(global.y())});
}

// Takes screenshots until `share` of one exceeds `threshold` (animations and
// fades take their time on a busy machine); returns the last share, `shot`
// holds the last screenshot.
inline double pollShare(QImage& shot, const std::function<double(const QImage&)>& share,
                        double threshold, int timeoutMs = 10000) {
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

inline void saveShot(const QImage& shot, const QRect& window, const QString& name) {
    const QString dir = QStringLiteral(VANTREL_BINARY_DIR) + "/test-home/tst_e2e/shots";
    QDir().mkpath(dir);
    shot.copy(window.adjusted(-10, -10, 10, 10)).save(dir + "/" + name);
}

// The built demo book's run folder; empty, with the reason in `why`, when
// there is no X server or no demo book.
inline QString demoBook(QString* why) {
    if (qEnvironmentVariableIsEmpty("DISPLAY")) {
        *why = QStringLiteral("needs an X server (run under xvfb-run)");
        return {};
    }
    const QString book = QStringLiteral(VANTREL_BINARY_DIR) + "/demo-book/run";
    if (!QFile::exists(book + "/Dod.dhl")) {
        *why = QStringLiteral("the demo book is not built");
        return {};
    }
    return book;
}

} // namespace e2e
