#pragma once

#include "media/TVideoDevice.h"

#include <QImage>
#include <QRect>
#include <QString>
#include <QWidget>

#include <functional>
#include <memory>

class QTimer;

// The book's opening clip, played before the main window shows: on a black
// full screen (background mode) or in a small framed window in the middle
// of the screen. Esc, any other key or a click ends it; so does its end, a
// clip that cannot be opened, or one that never starts playing (ten retries
// half a second apart). Every way out runs `onEnd` once: the main window
// then shows itself. Nothing is reported to the reader.
class TStartClip : public QWidget {
    Q_OBJECT
public:
    // `file`: the clip (a native path); `background`: the black full screen.
    // `device`: the media device (the platform's when null).
    TStartClip(const QString& file, bool background, std::unique_ptr<TVideoDevice> device = nullptr,
               QWidget* parent = nullptr);
    ~TStartClip() override;

    // Runs once, when the clip window goes.
    std::function<void()> onEnd;
    // Installs the video driver before the second try of an open that failed
    // for another reason than a missing, invalid or unreadable file.
    std::function<void()> installDriver;

    // The three steps of its timers (public for the tests).
    void Start();
    void Poll();
    void EndWatch();
    void End();

    bool ended() const { return m_ended; }
    int retries() const { return m_retries; }
    QRect displayRect() const { return m_display; }
    TVideoDevice* device() const { return m_device.get(); }
    QTimer* startTimer() const { return m_start; }
    QTimer* pollTimer() const { return m_poll; }
    QTimer* endWatchTimer() const { return m_endWatch; }
    int driverInstalls() const { return m_driverInstalls; }

protected:
    void paintEvent(QPaintEvent* e) override;
    void keyPressEvent(QKeyEvent* e) override;
    void mousePressEvent(QMouseEvent* e) override;

private:
    void FormKeyDown(int key);
    // Sizes and shows the window for a clip of that size.
    void place(QSize clip);
    void stopAll();

    QString m_file;
    bool m_background = false;
    std::unique_ptr<TVideoDevice> m_device;
    QTimer* m_start = nullptr;
    QTimer* m_poll = nullptr;
    QTimer* m_endWatch = nullptr;
    int m_retries = 0;
    int m_driverInstalls = 0;
    bool m_ended = false;
    bool m_placed = false;
    QRect m_display;
    QImage m_frame;
};
