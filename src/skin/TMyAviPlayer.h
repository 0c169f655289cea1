#pragma once

#include "media/TVideoDevice.h"

#include <QImage>
#include <QObject>
#include <QPointer>
#include <QRect>
#include <QString>

#include <functional>
#include <memory>

class QPainter;
class QWidget;

// The cover's looping video: "car.avi" drawn into a fixed rectangle of the
// main window as if the skin itself moved. Clicking it freezes it on the
// frame shown or lets it play on; the skin picture under the rectangle is
// kept in step (the pack's "3d_bg.bmp" while it plays, the frozen frame when
// frozen, the skin's own picture when it is switched off), so a repaint
// always shows the right picture. Every wait for the device is bounded.
class TMyAviPlayer : public QObject {
    Q_OBJECT
public:
    using Device = TVideoDevice;

    // `device`: the media device (made on the first Setup when null).
    explicit TMyAviPlayer(std::unique_ptr<Device> device = nullptr, QObject* parent = nullptr);
    ~TMyAviPlayer() override;

    // The host's skin picture (the bitmap the window paints from); may give null.
    std::function<QImage*()> skinBitmap;
    // Pack pictures: whether the pack holds one, and the decoded picture
    // (null when it cannot be decoded).
    std::function<bool(const QString&)> packHas;
    std::function<QImage(const QString&)> loadPicture;
    // Setup(host, display, rectangle as left, top, right, bottom, file): the
    // right and bottom edges lie outside.
    void Setup(QWidget* host, QWidget* display, int left, int top, int right, int bottom,
               const QString& file);
    void SetActive(bool on);
    bool IsStoppedOrPaused() const;
    bool HitTest(QPoint p) const;
    bool Click(QPoint p);
    void Freeze();
    void Resume();
    void ResumeUnlessUserPaused();
    // Draws the still frame onto `canvas` (the skin after a screen change).
    void Paint(QPainter& canvas) const;
    // Draws the frame on show while the video plays (the window's paint).
    void paintVideo(QPainter& painter) const;
    void Release();

    bool isSetUp() const { return m_host != nullptr; }
    bool active() const { return m_active; }
    bool stopped() const { return m_stopped; }
    bool userPaused() const { return m_userPaused; }
    QRect rect() const { return m_rect; }
    const QImage& stillFrame() const { return m_still; }
    const QImage& lastFrame() const { return m_frame; }
    const QImage& background() const { return m_background; }
    const QImage& playingPicture() const { return m_playing; }
    Device* device() const { return m_device.get(); }
    int framesShown() const { return m_framesShown; }

signals:
    // A new frame is on its way to the window (tests and measurements).
    void frameArrived();

private:
    void OnEnd();
    void play();
    // Waits (boundedly) until the device reports stopped or paused.
    void waitPaused() const;
    // Puts `picture` into the skin picture at the rectangle (a null picture:
    // the skin stays as it is) and, when `draw`, repaints it on the window.
    void putOnSkin(const QImage& picture, bool draw);
    void onFrame(const QImage& frame);

    std::unique_ptr<Device> m_device;
    QPointer<QWidget> m_host;
    QPointer<QWidget> m_display;
    QRect m_rect;
    QString m_file;
    bool m_active = false;
    bool m_stopped = true;
    bool m_userPaused = false;
    bool m_opened = false;
    QImage m_background;
    QImage m_playing;
    QImage m_still;
    QImage m_frame;
    int m_framesShown = 0;
};
