// Video benchmark: the processor time the whole program uses while the
// cover video plays into its rectangle of a 740 x 560 window (decoding,
// conversion of each frame to a picture, painting), for a Motion-JPEG clip
// of the cover's size at 25 frames a second. Prints the share of one core,
// the frames painted a second, the goal (<= 25 % of one core at 25 fps) and
// the ratio. Meant to run under Xvfb: xvfb-run -a bench-video [SECONDS].
#include "../../demo/gen/AviWriter.h"
#include "skin/TMyAviPlayer.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QLinearGradient>
#include <QPainter>
#include <QTemporaryDir>
#include <QTimer>
#include <QWidget>

#include <cstdio>
#include <ctime>

namespace {

double processCpuSeconds() {
    timespec ts{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &ts);
    return ts.tv_sec + ts.tv_nsec / 1e9;
}

// A turning, shaded object on a gradient: enough detail that the frames
// cost what a real clip costs to decode.
QList<QImage> frames(int count) {
    QList<QImage> out;
    for (int i = 0; i < count; ++i) {
        QImage f(656, 260, QImage::Format_RGB32);
        QPainter p(&f);
        QLinearGradient g(0, 0, 0, 260);
        g.setColorAt(0, QColor(220, 226, 236));
        g.setColorAt(1, QColor(150, 154, 160));
        p.fillRect(f.rect(), g);
        p.setRenderHint(QPainter::Antialiasing);
        p.translate(328, 140);
        p.rotate(i * 360.0 / count);
        for (int k = 0; k < 12; ++k) {
            p.setBrush(QColor::fromHsv((k * 30 + i * 3) % 360, 180, 200));
            p.drawRoundedRect(QRect(20, -12, 180, 24), 8, 8);
            p.rotate(30);
        }
        out.append(f);
    }
    return out;
}

class Window : public QWidget {
public:
    QImage skin;
    TMyAviPlayer* video = nullptr;
    int paints = 0;
    Window() {
        skin = QImage(740, 560, QImage::Format_RGB32);
        skin.fill(QColor(30, 40, 56));
        setFixedSize(skin.size());
        setAttribute(Qt::WA_OpaquePaintEvent);
    }

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter p(this);
        p.drawImage(0, 0, skin);
        if (video) {
            video->paintVideo(p);
            ++paints;
        }
    }
};

} // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    const int seconds = argc > 1 ? qMax(2, atoi(argv[1])) : 8;
    if (QGuiApplication::platformName() != QLatin1String("xcb"))
        std::printf("note: platform %s; the goal is for Xvfb (xcb)\n",
                    qPrintable(QGuiApplication::platformName()));
    QTemporaryDir tmp;
    const QString clip = tmp.filePath("car25.avi");
    {
        QFile f(clip);
        if (!f.open(QIODevice::WriteOnly) ||
            f.write(AviWriter::motionJpeg(frames(50), 25, 80)) <= 0) {
            std::fprintf(stderr, "bench-video: cannot write %s\n", qPrintable(clip));
            return 1;
        }
    }
    Window window;
    window.show();
    TMyAviPlayer video;
    window.video = &video;
    video.skinBitmap = [&window] { return &window.skin; };
    video.Setup(&window, &window, 31, 135, 687, 394, clip);
    // The program waits in its event loop, as the reader does.
    const auto runFor = [](int ms) {
        QEventLoop loop;
        QTimer::singleShot(ms, &loop, &QEventLoop::quit);
        loop.exec();
    };
    runFor(500);
    video.SetActive(true);
    // One second to start, then the measured stretch.
    runFor(1000);
    const int frames0 = video.framesShown(), paints0 = window.paints;
    const double cpu0 = processCpuSeconds();
    QElapsedTimer wall;
    wall.start();
    runFor(seconds * 1000);
    const double elapsed = wall.nsecsElapsed() / 1e9;
    const double cpu = (processCpuSeconds() - cpu0) / elapsed * 100.0;
    const double fps = (video.framesShown() - frames0) / elapsed;
    const double paintFps = (window.paints - paints0) / elapsed;
    video.Release();
    std::printf("cover video, 656 x 259 at 25 fps (Motion-JPEG), %.1f s measured:\n", elapsed);
    std::printf("  frames arrived     %.1f / s\n", fps);
    std::printf("  frames painted     %.1f / s\n", paintFps);
    std::printf("  processor time     %.1f %% of one core (goal <= 25 %% at 25 fps), ratio %.2f\n",
                cpu, cpu / 25.0);
    return 0;
}
