#include "skin/TMyAviPlayer.h"

#include "platform/Log.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QPainter>
#include <QThread>
#include <QWidget>

namespace {
// The longest the window waits for the device to report a pause.
constexpr int kPauseWaitMs = 300;
} // namespace

TMyAviPlayer::TMyAviPlayer(std::unique_ptr<Device> device, QObject* parent)
    : QObject(parent), m_device(std::move(device)) {}

TMyAviPlayer::~TMyAviPlayer() {
    Release();
}

void TMyAviPlayer::Setup(QWidget* host, QWidget* display, int left, int top, int right, int bottom,
                         const QString& file) {
    if (!host || file.trimmed().isEmpty())
        return;
    // 1. Rectangle, host, display; the skin's own picture there and the
    // picture shown in the skin while the video plays.
    m_rect = QRect(QPoint(left, top), QPoint(right - 1, bottom - 1));
    m_host = host;
    m_display = display;
    m_file = file.trimmed();
    const QImage* skin = skinBitmap ? skinBitmap() : nullptr;
    m_background = skin ? skin->copy(m_rect) : QImage();
    m_playing = QImage();
    const QString playingName = QStringLiteral("3d_bg.bmp");
    if (packHas && packHas(playingName)) {
        m_playing = loadPicture ? loadPicture(playingName) : QImage();
        if (m_playing.isNull()) {
            vlog::complain(
                QStringLiteral("%1: damaged, the skin stays under the video").arg(playingName));
            m_playing = m_background;
        }
    }
    // 2. The device: stopped when it exists, else made.
    m_stopped = false;
    if (m_device)
        m_device->stop();
    else
        m_device = TVideoDevice::make();
    // 3. Frames and the end of the clip come back here.
    m_device->frame = [this](const QImage& f) { onFrame(f); };
    m_device->ended = [this] { OnEnd(); };
    m_opened = m_device->open(m_file) == TVideoDevice::NoError;
    if (!m_opened)
        vlog::complain(QStringLiteral("%1: the video cannot be played").arg(m_file));
}

bool TMyAviPlayer::IsStoppedOrPaused() const {
    return m_stopped || !m_device || m_device->stoppedOrPaused();
}

void TMyAviPlayer::waitPaused() const {
    // The device may report the pause a little later; never wait without end.
    const QDeadlineTimer deadline(kPauseWaitMs);
    while (m_device && !m_device->stoppedOrPaused() && !deadline.hasExpired()) {
        QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents, 10);
        QThread::msleep(10);
    }
}

void TMyAviPlayer::play() {
    if (m_device && m_opened)
        m_device->play();
}

void TMyAviPlayer::SetActive(bool on) {
    if (!m_device)
        return;
    if (!m_host || !m_host->isVisible()) {
        // 1. No window to show it in.
        m_device->stop();
        m_active = false;
        return;
    }
    if (m_active && !on) {
        // 2. Off: the skin returns under the rectangle.
        m_device->pause();
        waitPaused();
        m_stopped = true;
        putOnSkin(m_background, true);
    } else if (on) {
        // 3. On: plays, the playing picture goes into the skin.
        play();
        m_stopped = false;
        m_userPaused = false;
        putOnSkin(m_playing, false);
    }
    m_active = on;
    if (m_host)
        m_host->update(m_rect);
}

void TMyAviPlayer::OnEnd() {
    // The clip starts again from the beginning: it loops while it plays.
    if (m_active && !m_stopped && IsStoppedOrPaused())
        play();
}

bool TMyAviPlayer::HitTest(QPoint p) const {
    return m_host && m_rect.contains(p);
}

bool TMyAviPlayer::Click(QPoint p) {
    // A video that could not be opened leaves the clicks to the skin.
    if (!m_active || !m_opened || !HitTest(p))
        return false;
    m_userPaused = !IsStoppedOrPaused();
    if (IsStoppedOrPaused()) {
        play();
        m_stopped = false;
        putOnSkin(m_playing, false);
        if (m_host)
            m_host->update(m_rect);
    } else {
        Freeze();
    }
    return true;
}

void TMyAviPlayer::Freeze() {
    if (!m_active || !m_device)
        return;
    m_device->pause();
    waitPaused();
    m_stopped = true;
    // The frame on show becomes the still frame, in the skin too.
    if (m_still.isNull() || m_still.size() != m_rect.size()) {
        m_still = QImage(m_rect.size(), QImage::Format_RGB32);
        m_still.fill(Qt::black);
    }
    if (!m_frame.isNull()) {
        QPainter p(&m_still);
        p.drawImage(QRect(QPoint(0, 0), m_rect.size()), m_frame);
    } else if (!m_playing.isNull()) {
        m_still = m_playing.copy();
    } else {
        m_still = m_background.copy();
    }
    putOnSkin(m_still, true);
}

void TMyAviPlayer::Resume() {
    m_stopped = false;
    OnEnd();
    putOnSkin(m_playing, false);
    if (m_host)
        m_host->update(m_rect);
}

void TMyAviPlayer::ResumeUnlessUserPaused() {
    if (!m_userPaused)
        Resume();
}

void TMyAviPlayer::Paint(QPainter& canvas) const {
    if (m_active && IsStoppedOrPaused() && !m_still.isNull())
        canvas.drawImage(m_rect.topLeft(), m_still);
}

void TMyAviPlayer::paintVideo(QPainter& painter) const {
    if (!m_active || m_stopped || m_frame.isNull())
        return;
    if (m_frame.size() == m_rect.size())
        painter.drawImage(m_rect.topLeft(), m_frame);
    else
        painter.drawImage(m_rect, m_frame);
}

void TMyAviPlayer::putOnSkin(const QImage& picture, bool draw) {
    QImage* skin = skinBitmap ? skinBitmap() : nullptr;
    if (skin && !picture.isNull() && !skin->isNull()) {
        QPainter p(skin);
        p.drawImage(m_rect.topLeft(), picture);
    }
    if (draw && m_host)
        m_host->repaint(m_rect);
}

void TMyAviPlayer::onFrame(const QImage& frame) {
    // A frame that arrives after a freeze (the device was still busy) does
    // not replace the still frame on show.
    if (!m_active || m_stopped)
        return;
    m_frame = frame;
    ++m_framesShown;
    if (m_host && m_host->isVisible())
        m_host->update(m_rect);
    emit frameArrived();
}

void TMyAviPlayer::Release() {
    if (m_device) {
        m_device->frame = nullptr;
        m_device->ended = nullptr;
        m_device->close();
        m_device.reset();
    }
    m_opened = false;
    m_active = false;
    m_stopped = true;
    m_display = nullptr;
    m_host = nullptr;
}
