#include "media/TPlayerVideoDevice.h"

#include "media/TMPlayer.h"

namespace {
// An open that does not load within this time counts as failed.
constexpr int kOpenWaitMs = 4000;
} // namespace

std::unique_ptr<TVideoDevice> TVideoDevice::make() {
    return std::make_unique<TPlayerVideoDevice>();
}

TPlayerVideoDevice::TPlayerVideoDevice() {
    m_player = new TMPlayer(this);
    m_player->setAutoRewind(true);
    m_player->setOpenTimeout(kOpenWaitMs);
    connect(m_player, &TMPlayer::frameReady, this, [this](const QImage& image, const QRect&) {
        if (frame && !image.isNull())
            frame(image);
    });
    // The play command completes at the end of the medium; its notice comes
    // from the event loop.
    connect(m_player, &TMPlayer::OnNotify, this, [this](TMPlayer* sender) {
        if (ended && sender->notifyValue() == TMPlayer::Successful &&
            sender->mode() != TMPlayer::Playing)
            ended();
    });
}

TPlayerVideoDevice::~TPlayerVideoDevice() {
    frame = nullptr;
    ended = nullptr;
    m_player->close();
}

int TPlayerVideoDevice::open(const QString& file) {
    m_player->setFileName(file);
    const int code = m_player->open();
    return code == TMPlayer::NoError ? int(NoError) : code;
}

QSize TPlayerVideoDevice::size() const {
    return m_player->naturalSize();
}

bool TPlayerVideoDevice::play() {
    return m_player->play() == TMPlayer::NoError;
}

void TPlayerVideoDevice::pause() {
    m_player->pauseOnly();
}

void TPlayerVideoDevice::stop() {
    m_player->stop();
}

void TPlayerVideoDevice::close() {
    m_player->close();
}

bool TPlayerVideoDevice::playing() const {
    // A back end that failed while playing may still say it plays: it does not.
    return m_player->mode() == TMPlayer::Playing && m_player->error() == TMPlayer::NoError;
}

bool TPlayerVideoDevice::stoppedOrPaused() const {
    return !playing() && m_player->mode() != TMPlayer::Seeking;
}

void TPlayerVideoDevice::noWaitOnce() {
    m_player->setWait(false);
}
