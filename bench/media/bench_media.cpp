// Media benchmark: time from giving the media device a new file (open, then
// play) to its first position past 0, for a sound and for a video (and its
// first frame), on a private PulseAudio null sink when pulseaudio exists.
// Prints the medians, the goal (<= 300 ms) and the ratio.
//
// Usage: bench-media [RUNS]
#include "MediaFiles.h"

#include "../../demo/gen/AviWriter.h"
#include "media/TMPlayer.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QTimer>

#include <algorithm>
#include <cstdio>

namespace {

double median(QList<double> v) {
    std::sort(v.begin(), v.end());
    return v.size() % 2 ? v[v.size() / 2] : (v[v.size() / 2 - 1] + v[v.size() / 2]) / 2;
}

struct Run {
    double position = -1; // ms to the first position past 0
    double frame = -1;    // ms to the first video frame
};

Run measure(const QString& file) {
    Run r;
    TMPlayer player;
    QElapsedTimer clock;
    bool framed = false;
    QObject::connect(&player, &TMPlayer::frameReady, [&] {
        if (!framed) {
            framed = true;
            r.frame = clock.nsecsElapsed() / 1e6;
        }
    });
    clock.start();
    player.setFileName(file);
    if (player.open() != 0 || player.play() != 0)
        return r;
    QEventLoop loop;
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, [&] {
        if (r.position < 0 && player.position() > 0)
            r.position = clock.nsecsElapsed() / 1e6;
        if ((r.position >= 0 && (framed || !player.hasVideo())) || clock.elapsed() > 5000)
            loop.quit();
    });
    poll.start(1);
    loop.exec();
    player.close();
    return r;
}

} // namespace

int main(int argc, char* argv[]) {
    qputenv("QT_MEDIA_BACKEND", "gstreamer");
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const int runs = argc > 1 ? qMax(1, atoi(argv[1])) : 11;
    QTemporaryDir tmp;
    mediafiles::PulseNullSink pulse;
    const bool server = pulse.start(tmp);
    const QString sound = tmp.filePath("tone.wav");
    mediafiles::write(sound, mediafiles::wav(3000));
    QList<QImage> frames;
    for (int i = 0; i < 50; ++i) {
        QImage img(320, 240, QImage::Format_RGB32);
        img.fill(QColor(i * 5, 120, 200 - i * 3));
        frames << img;
    }
    const QString video = tmp.filePath("clip.avi");
    mediafiles::write(video, AviWriter::motionJpeg(frames, 25, 80));

    measure(sound); // warm-up: the back end's plug-ins are loaded once
    measure(video);
    QList<double> soundPos, videoPos, videoFrame;
    for (int i = 0; i < runs; ++i) {
        const Run s = measure(sound);
        const Run v = measure(video);
        if (s.position < 0 || v.position < 0 || v.frame < 0) {
            std::fprintf(stderr, "bench-media: a run did not start playing\n");
            return 1;
        }
        soundPos << s.position;
        videoPos << v.position;
        videoFrame << v.frame;
    }
    const double goal = 300;
    std::printf("sound output: %s, %d runs each\n",
                server ? "private PulseAudio null sink" : "the back end's own", runs);
    std::printf("WAV 3 s: open -> first position: median %.1f ms (min %.1f, max %.1f), goal <= "
                "%.0f ms, ratio %.2f\n",
                median(soundPos), *std::min_element(soundPos.begin(), soundPos.end()),
                *std::max_element(soundPos.begin(), soundPos.end()), goal, median(soundPos) / goal);
    std::printf("AVI 320x240 MJPEG: open -> first position: median %.1f ms, ratio %.2f\n",
                median(videoPos), median(videoPos) / goal);
    std::printf("AVI 320x240 MJPEG: open -> first frame: median %.1f ms, ratio %.2f\n",
                median(videoFrame), median(videoFrame) / goal);
    return 0;
}
