#include "media/TQtVideoDevice.h"

#include <QAudioOutput>
#include <QFileInfo>
#include <QMediaPlayer>
#include <QUrl>
#include <QVideoFrame>
#include <QVideoSink>

std::unique_ptr<TVideoDevice> TVideoDevice::make() {
    return std::make_unique<TQtVideoDevice>();
}

TQtVideoDevice::TQtVideoDevice() {
    m_player = new QMediaPlayer(this);
    m_audio = new QAudioOutput(this);
    m_player->setAudioOutput(m_audio);
    m_sink = new QVideoSink(this);
    m_player->setVideoSink(m_sink);
    connect(m_sink, &QVideoSink::videoFrameChanged, this, [this](const QVideoFrame& f) {
        if (!frame || !f.isValid())
            return;
        const QImage image = f.toImage();
        if (!image.isNull())
            frame(image);
    });
    connect(m_player, &QMediaPlayer::mediaStatusChanged, this,
            [this](QMediaPlayer::MediaStatus status) {
                if (status != QMediaPlayer::EndOfMedia)
                    return;
                m_atEnd = true;
                // Reported from the event loop, never from inside the player's
                // own notification.
                QMetaObject::invokeMethod(
                    this,
                    [this] {
                        if (ended)
                            ended();
                    },
                    Qt::QueuedConnection);
            });
}

TQtVideoDevice::~TQtVideoDevice() {
    frame = nullptr;
    ended = nullptr;
    m_player->stop();
}

bool TQtVideoDevice::open(const QString& file) {
    const QFileInfo info(file);
    if (!info.isFile() || !info.isReadable())
        return false;
    m_file = info.absoluteFilePath();
    m_player->setSource(QUrl::fromLocalFile(m_file));
    m_atEnd = false;
    return m_player->error() == QMediaPlayer::NoError;
}

void TQtVideoDevice::play() {
    if (m_file.isEmpty())
        return;
    if (m_atEnd) {
        // Automatic rewind: the end reached, play from the start.
        m_atEnd = false;
        m_player->setPosition(0);
    }
    m_player->play();
}

void TQtVideoDevice::pause() {
    m_player->pause();
}

void TQtVideoDevice::stop() {
    m_player->stop();
}

void TQtVideoDevice::close() {
    frame = nullptr;
    ended = nullptr;
    m_player->stop();
    m_player->setSource(QUrl());
    m_file.clear();
}

bool TQtVideoDevice::stoppedOrPaused() const {
    return m_player->playbackState() != QMediaPlayer::PlayingState;
}
