#include "media/TMPlayer.h"

#include "media/FrameImage.h"

#include <QAudioOutput>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QFileInfo>
#include <QMediaMetaData>
#include <QMetaMethod>
#include <QTimer>
#include <QUrl>
#include <QVideoFrame>
#include <QVideoSink>
#include <QWidget>

#include <cstdio>

namespace {

// True when the first bytes look like a container or stream the back end
// knows by type: such a file that still fails to play lacks a codec or
// driver ("other"), anything else is not a medium at all ("invalid").
bool looksLikeMedia(const QString& nativePath) {
    QFile f(nativePath);
    if (!f.open(QIODevice::ReadOnly))
        return false;
    const QByteArray h = f.read(16);
    if (h.size() < 4)
        return false;
    auto at = [&h](int i) { return quint8(h.at(i)); };
    if (h.startsWith("RIFF") || h.startsWith("OggS") || h.startsWith("fLaC") ||
        h.startsWith("ID3") || h.startsWith("FORM") || h.startsWith(".snd") ||
        h.startsWith("MThd") || h.startsWith("\x30\x26\xB2\x75") || // ASF/WMA/WMV
        h.startsWith("\x1A\x45\xDF\xA3"))                           // Matroska/WebM
        return true;
    if (h.size() >= 8 && h.mid(4, 4) == "ftyp")
        return true;
    if (at(0) == 0 && at(1) == 0 && at(2) == 1 && (at(3) == 0xBA || at(3) == 0xB3))
        return true; // MPEG program or video stream
    if (at(0) == 0xFF && (at(1) & 0xE0) == 0xE0)
        return true; // MPEG audio frame
    return false;
}

void report(const QString& file, int code) {
    std::fprintf(stderr, "vantrel: media \"%s\" cannot be played: %s\n",
                 qPrintable(QFileInfo(file).fileName()), qPrintable(TMPlayer::errorText(code)));
}

} // namespace

TMPlayer::TMPlayer(QObject* parent) : QObject(parent) {
    // The output and the video sink are made with the first medium: a
    // player that is never used costs nothing at start-up.
}

TMPlayer::~TMPlayer() {
    if (m_player) {
        m_player->disconnect(this);
        m_player->stop();
        delete m_player;
        m_player = nullptr;
    }
}

int TMPlayer::checkFile(const QString& nativePath) {
    if (nativePath.isEmpty())
        return ErrFileNotFound;
    const QFileInfo fi(nativePath);
    if (!fi.exists())
        return ErrFileNotFound;
    if (fi.isDir())
        return ErrInvalidFile;
    QFile f(nativePath);
    if (!f.open(QIODevice::ReadOnly))
        return ErrFileRead;
    if (f.size() == 0)
        return ErrInvalidFile;
    return NoError;
}

TMPlayer::Flags TMPlayer::takeFlags(bool waitDefault, bool notifyDefault) {
    Flags f{m_waitOverride ? m_waitValueOverride : waitDefault,
            m_notifyOverride ? m_notifyValueOverride : notifyDefault};
    m_waitOverride = false;
    m_notifyOverride = false;
    return f;
}

void TMPlayer::setNotify(bool on) {
    m_notifyOverride = true;
    m_notifyValueOverride = on;
}

void TMPlayer::setWait(bool on) {
    m_waitOverride = true;
    m_waitValueOverride = on;
}

bool TMPlayer::requireOpen() {
    if (m_open)
        return true;
    m_error = ErrNoDevice;
    return false;
}

void TMPlayer::ensurePlayer() {
    dropPlayer();
    if (!m_audio) {
        m_audio = new QAudioOutput(this);
        m_audio->setVolume(m_volume);
        m_sink = new QVideoSink(this);
        connect(m_sink, &QVideoSink::videoFrameChanged, this, &TMPlayer::onFrame);
    }
    m_player = new QMediaPlayer(this);
    m_player->setAudioOutput(m_audio);
    m_player->setVideoOutput(m_sink);
    connect(m_player, &QMediaPlayer::mediaStatusChanged, this, &TMPlayer::onStatus);
    connect(m_player, &QMediaPlayer::errorOccurred, this,
            [this](QMediaPlayer::Error e, const QString&) { onError(e); });
    connect(m_player, &QMediaPlayer::positionChanged, this, [this](qint64 pos) {
        if (m_seekTarget >= 0 && qAbs(pos - m_seekTarget) < 250)
            m_seekTarget = -1;
    });
}

void TMPlayer::dropPlayer() {
    if (!m_player)
        return;
    QMediaPlayer* old = m_player;
    m_player = nullptr;
    old->disconnect(this);
    old->stop();
    old->setAudioOutput(nullptr);
    old->setVideoOutput(nullptr);
    old->deleteLater();
}

void TMPlayer::postNotify(Notify value) {
    QMetaObject::invokeMethod(
        this,
        [this, value] {
            m_notifyValue = value;
            emit OnNotify(this);
        },
        Qt::QueuedConnection);
}

void TMPlayer::complete(Pending what, Notify value) {
    if (m_pending != what)
        return;
    m_pending = Pending::None;
    postNotify(value);
}

void TMPlayer::request(Pending what) {
    m_pending = what;
}

// A command arrives while an earlier notifying command is still running.
// A notifying play or resume replaces it (superseded); every command that
// stops, moves or closes the medium cuts it short (aborted).
void TMPlayer::interruptPending(bool byNotifyingCommand) {
    if (m_pending == Pending::None)
        return;
    m_pending = Pending::None;
    postNotify(byNotifyingCommand ? Superseded : Aborted);
}

void TMPlayer::waitUntilNotPlaying() {
    waitFor([this] { return !m_player || m_player->playbackState() != QMediaPlayer::PlayingState; },
            1000);
}

bool TMPlayer::waitFor(const std::function<bool()>& done, int timeoutMs) {
    if (done())
        return true;
    const quint64 gen = m_generation;
    QEventLoop loop;
    QTimer poll;
    poll.setInterval(5);
    QElapsedTimer clock;
    clock.start();
    bool ok = false;
    connect(&poll, &QTimer::timeout, &loop, [&] {
        if (gen != m_generation || !m_player) {
            loop.quit();
            return;
        }
        if (done()) {
            ok = true;
            loop.quit();
        } else if (clock.elapsed() >= timeoutMs) {
            loop.quit();
        }
    });
    poll.start();
    loop.exec(QEventLoop::ExcludeUserInputEvents);
    return ok;
}

int TMPlayer::failOpen(int code) {
    dropPlayer();
    m_open = false;
    m_hasVideo = false;
    m_natural = QSize();
    m_error = code;
    return code;
}

void TMPlayer::readCapabilities() {
    if (!m_player)
        return;
    m_hasVideo = m_player->hasVideo();
    if (m_natural.isEmpty()) {
        QSize s = m_player->metaData().value(QMediaMetaData::Resolution).toSize();
        const auto tracks = m_player->videoTracks();
        if (s.isEmpty() && !tracks.isEmpty())
            s = tracks.first().value(QMediaMetaData::Resolution).toSize();
        if (!s.isEmpty())
            m_natural = s;
    }
}

int TMPlayer::open() {
    if (m_open) {
        interruptPending(false);
        failOpen(NoError);
    }
    const Flags f = takeFlags(true, false);
    m_lastFrame = QImage();
    m_atEnd = false;
    m_stopped = true;
    m_seekTarget = -1;
    m_loadFailed = false;
    m_loadError = 0;
    const int check = checkFile(m_fileName);
    if (check != NoError) {
        m_error = check;
        if (!m_fileName.isEmpty())
            report(m_fileName, check);
        if (f.notify)
            postNotify(Failure);
        return check;
    }
    ++m_generation;
    ensurePlayer();
    m_open = true;
    m_error = NoError;
    m_player->setSource(QUrl::fromLocalFile(QFileInfo(m_fileName).absoluteFilePath()));
    if (f.notify)
        request(Pending::Open);
    if (!f.wait)
        return NoError;
    const bool loaded = waitFor(
        [this] {
            if (!m_player || m_loadFailed)
                return true;
            const auto s = m_player->mediaStatus();
            return s == QMediaPlayer::LoadedMedia || s == QMediaPlayer::BufferedMedia ||
                   s == QMediaPlayer::InvalidMedia || s == QMediaPlayer::EndOfMedia;
        },
        m_openTimeout);
    if (!m_player)
        return m_error;
    if (m_loadFailed || m_player->mediaStatus() == QMediaPlayer::InvalidMedia || !loaded) {
        const int code = m_loadFailed ? m_loadError
                         : loaded     ? (looksLikeMedia(m_fileName) ? ErrDriver : ErrInvalidFile)
                                      : ErrDriver;
        if (m_pending == Pending::Open)
            complete(Pending::Open, Failure);
        if (!m_loadFailed)
            report(m_fileName, code);
        return failOpen(code);
    }
    readCapabilities();
    complete(Pending::Open, Successful);
    return NoError;
}

int TMPlayer::close() {
    const Flags f = takeFlags(true, false);
    if (!m_open)
        return m_error = NoError;
    interruptPending(false);
    ++m_generation;
    failOpen(NoError);
    m_lastFrame = QImage();
    m_atEnd = false;
    m_stopped = true;
    m_seekTarget = -1;
    if (f.notify)
        postNotify(Successful);
    return NoError;
}

int TMPlayer::play() {
    if (!requireOpen())
        return m_error;
    const Flags f = takeFlags(false, true);
    if (f.notify)
        interruptPending(true);
    if (m_loadFailed) {
        m_error = m_loadError ? m_loadError : int(ErrDriver);
        if (f.notify)
            postNotify(Failure);
        return m_error;
    }
    m_error = NoError;
    if (m_atEnd) {
        if (!m_autoRewind) {
            // Already at the end: nothing left to play.
            if (f.notify)
                postNotify(Successful);
            return NoError;
        }
        m_player->setPosition(0);
        m_atEnd = false;
    }
    m_seekTarget = -1;
    m_stopped = false;
    m_player->play();
    if (f.notify)
        request(Pending::Play);
    if (f.wait) {
        const qint64 left = qMax<qint64>(0, length() - position());
        waitFor(
            [this] {
                return !m_player || m_atEnd || m_loadFailed ||
                       m_player->playbackState() != QMediaPlayer::PlayingState;
            },
            int(qMin<qint64>(left + 3000, 24 * 3600 * 1000)));
    }
    return m_error;
}

int TMPlayer::stop() {
    if (!requireOpen())
        return m_error;
    const Flags f = takeFlags(true, false);
    interruptPending(false);
    m_error = NoError;
    // The medium keeps its position, as a device stopped by a command does.
    if (m_player->playbackState() == QMediaPlayer::PlayingState)
        m_player->pause();
    m_stopped = true;
    if (f.wait)
        waitUntilNotPlaying();
    if (f.notify)
        postNotify(Successful);
    return NoError;
}

int TMPlayer::pause() {
    if (!requireOpen())
        return m_error;
    switch (mode()) {
    case Playing:
        return pauseOnly();
    case Paused:
        return resume();
    default:
        return m_error = NoError;
    }
}

int TMPlayer::pauseOnly() {
    if (!requireOpen())
        return m_error;
    const Flags f = takeFlags(true, false);
    m_error = NoError;
    // A running play keeps its notification: it completes after a resume.
    if (m_player->playbackState() == QMediaPlayer::PlayingState) {
        m_player->pause();
        m_stopped = false;
        if (f.wait)
            waitUntilNotPlaying();
    }
    if (f.notify)
        postNotify(Successful);
    return NoError;
}

int TMPlayer::resume() {
    if (!requireOpen())
        return m_error;
    if (mode() != Paused)
        return play(); // the device refuses: play instead, with the overrides
    const Flags f = takeFlags(false, true);
    if (f.notify) {
        interruptPending(true);
        request(Pending::Play);
    }
    m_stopped = false;
    m_player->play();
    if (f.wait) {
        const qint64 left = qMax<qint64>(0, length() - position());
        waitFor(
            [this] {
                return !m_player || m_atEnd || m_loadFailed ||
                       m_player->playbackState() != QMediaPlayer::PlayingState;
            },
            int(qMin<qint64>(left + 3000, 24 * 3600 * 1000)));
    }
    return m_error = NoError;
}

int TMPlayer::seek(qint64 ms) {
    if (!requireOpen())
        return m_error;
    const Flags f = takeFlags(true, false);
    interruptPending(false);
    const qint64 len = length();
    if (ms < 0 || (len > 0 && ms > len)) {
        m_error = ErrOutOfRange;
        if (f.notify)
            postNotify(Failure);
        return m_error;
    }
    if (m_player->playbackState() == QMediaPlayer::PlayingState)
        m_player->pause();
    m_stopped = true;
    m_atEnd = false;
    m_seekTarget = ms;
    m_player->setPosition(ms);
    if (m_player->position() == ms)
        m_seekTarget = -1;
    if (f.wait) {
        waitFor([this] { return !m_player || m_seekTarget < 0 || m_loadFailed; }, 1500);
        m_seekTarget = -1;
    }
    m_error = NoError;
    if (f.notify)
        postNotify(Successful);
    return NoError;
}

int TMPlayer::rewind() {
    setWait(true);
    return seek(0);
}

int TMPlayer::setTimeFormat(quint32 format) {
    m_error = format == FormatMilliseconds ? int(NoError) : int(ErrTimeFormat);
    return m_error;
}

void TMPlayer::setDisplay(QWidget* control) {
    m_display = control;
}

int TMPlayer::setDisplayRect(const QRect& rect) {
    m_displayRectSet = true;
    m_displayRect = rect;
    return m_error = NoError;
}

QRect TMPlayer::displayRect() const {
    if (!m_displayRectSet || (m_displayRect.width() == 0 && m_displayRect.height() == 0)) {
        const QPoint at = m_displayRectSet ? m_displayRect.topLeft() : QPoint(0, 0);
        return QRect(at, m_natural);
    }
    return m_displayRect;
}

qint64 TMPlayer::length() const {
    if (!m_open || !m_player)
        return 0;
    return qMax<qint64>(0, m_player->duration());
}

qint64 TMPlayer::position() const {
    if (!m_open || !m_player)
        return 0;
    if (m_atEnd)
        return length();
    if (m_seekTarget >= 0)
        return m_seekTarget;
    return qMax<qint64>(0, m_player->position());
}

TMPlayer::Mode TMPlayer::mode() const {
    if (!m_open || !m_player)
        return NotReady;
    const auto s = m_player->mediaStatus();
    if (s == QMediaPlayer::NoMedia || s == QMediaPlayer::LoadingMedia)
        return NotReady;
    if (m_seekTarget >= 0)
        return Seeking;
    switch (m_player->playbackState()) {
    case QMediaPlayer::PlayingState:
        return Playing;
    case QMediaPlayer::PausedState:
        return m_stopped ? Stopped : Paused;
    default:
        return Stopped;
    }
}

void TMPlayer::setVolume(float linear) {
    m_volume = qBound(0.0f, linear, 1.0f);
    if (m_audio)
        m_audio->setVolume(m_volume);
}

float TMPlayer::volume() const {
    return m_volume;
}

void TMPlayer::onStatus(QMediaPlayer::MediaStatus status) {
    switch (status) {
    case QMediaPlayer::LoadedMedia:
    case QMediaPlayer::BufferedMedia:
        readCapabilities();
        complete(Pending::Open, Successful);
        break;
    case QMediaPlayer::EndOfMedia:
        m_atEnd = true;
        m_stopped = true;
        complete(Pending::Play, Successful);
        break;
    case QMediaPlayer::InvalidMedia:
        if (!m_loadFailed) {
            m_loadFailed = true;
            m_loadError = looksLikeMedia(m_fileName) ? ErrDriver : ErrInvalidFile;
        }
        m_error = m_loadError;
        if (m_pending != Pending::None) {
            m_pending = Pending::None;
            postNotify(Failure);
        }
        break;
    default:
        break;
    }
}

void TMPlayer::onError(QMediaPlayer::Error err) {
    if (m_loadFailed) // the back end repeats its error: classify it once
        return;
    m_loadFailed = true;
    // Classified from the file itself, never from the back end's text: the
    // file may have vanished or lost its rights since it was opened.
    int code = checkFile(m_fileName);
    if (code == NoError) {
        const bool loading = m_player && (m_player->mediaStatus() == QMediaPlayer::LoadingMedia ||
                                          m_player->mediaStatus() == QMediaPlayer::InvalidMedia);
        if (err == QMediaPlayer::FormatError || loading)
            code = looksLikeMedia(m_fileName) ? ErrDriver : ErrInvalidFile;
        else
            code = ErrDriver;
    }
    m_loadError = code;
    m_error = code;
    m_stopped = true;
    report(m_fileName, code);
    if (m_pending != Pending::None) {
        m_pending = Pending::None;
        postNotify(Failure);
    }
}

void TMPlayer::onFrame(const QVideoFrame& frame) {
    if (!frame.isValid() || !m_open)
        return;
    if (m_natural.isEmpty())
        m_natural = frame.size();
    m_hasVideo = true;
    static const QMetaMethod frameSignal = QMetaMethod::fromSignal(&TMPlayer::frameReady);
    if (!m_display && !isSignalConnected(frameSignal))
        return;
    m_lastFrame = frameimage::toImage(frame);
    emit frameReady(m_lastFrame, displayRect());
}

QString TMPlayer::errorText(int code) {
    switch (code) {
    case NoError:
        return QStringLiteral("The specified command was carried out.");
    case ErrNoDevice:
        return QStringLiteral("No MCI device open");
    case ErrDriver:
        return QStringLiteral("The media driver failed to play the file.");
    case ErrFileNotFound:
        return QStringLiteral("Cannot find the specified file. Make sure the path and filename "
                              "are correct.");
    case ErrOutOfRange:
        return QStringLiteral("The specified parameter is out of range for the specified "
                              "command.");
    case ErrTimeFormat:
        return QStringLiteral("The specified parameter value is invalid for this command.");
    case ErrInvalidFile:
        return QStringLiteral("The specified file cannot be played on the specified MCI "
                              "device. The file may be corrupt, or not in the correct format.");
    case ErrFileRead:
        return QStringLiteral("A problem occurred in reading the specified file. Make sure "
                              "the file is still present.");
    default:
        return QStringLiteral("Unknown error code");
    }
}

QString TMPlayer::errorMessage() const {
    return errorText(m_error);
}
