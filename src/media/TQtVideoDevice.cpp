#include "media/TQtVideoDevice.h"

#include <QAudioOutput>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QMediaMetaData>
#include <QMediaPlayer>
#include <QUrl>
#include <QVideoFrame>
#include <QVideoSink>

namespace {
// The longest an open waits for the medium to load.
constexpr int kOpenWaitMs = 5000;
} // namespace

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
        if (image.isNull())
            return;
        if (m_size.isEmpty())
            m_size = image.size();
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

int TQtVideoDevice::open(const QString& file) {
    // The back end names every failure alike: tell them apart here.
    const QFileInfo info(file);
    m_file.clear();
    m_size = QSize();
    if (!info.exists())
        return NotFound;
    if (!info.isFile() || !info.isReadable())
        return ReadError;
    if (info.size() == 0)
        return Invalid;
    m_player->setSource(QUrl::fromLocalFile(info.absoluteFilePath()));
    m_atEnd = false;
    // Loaded, refused, or given up after a few seconds.
    QElapsedTimer waited;
    waited.start();
    while (m_player->mediaStatus() == QMediaPlayer::LoadingMedia && waited.elapsed() < kOpenWaitMs)
        QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents, 20);
    if (m_player->mediaStatus() == QMediaPlayer::InvalidMedia ||
        m_player->error() == QMediaPlayer::FormatError)
        return Invalid;
    if (m_player->error() != QMediaPlayer::NoError ||
        m_player->mediaStatus() != QMediaPlayer::LoadedMedia)
        return Other;
    m_file = info.absoluteFilePath();
    m_size = m_player->metaData().value(QMediaMetaData::Resolution).toSize();
    return NoError;
}

bool TQtVideoDevice::play() {
    if (m_file.isEmpty())
        return false;
    if (m_atEnd) {
        // Automatic rewind: the end reached, play from the start.
        m_atEnd = false;
        m_player->setPosition(0);
    }
    m_player->play();
    return m_player->error() == QMediaPlayer::NoError;
}

bool TQtVideoDevice::playing() const {
    return m_player->playbackState() == QMediaPlayer::PlayingState &&
           m_player->mediaStatus() != QMediaPlayer::EndOfMedia;
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
