#pragma once

#include <QImage>
#include <QMediaPlayer>
#include <QObject>
#include <QPointer>
#include <QRect>
#include <QSize>
#include <QString>
#include <QWidget>

#include <functional>

class QAudioOutput;
class QVideoFrame;
class QVideoSink;

// The media device: one media file at a time on Qt Multimedia, driven by the
// classic media-control command set. Every command keeps the device's wait
// and notify rules:
//  - open, close, stop, pauseOnly and seek wait for the back end unless a
//    one-shot wait override says off, and notify only when a notify override
//    says on;
//  - play and resume notify unless the override says off and wait only when
//    the override says on.
// "Wait" returns when the back end has reached the state, never later than a
// bound (a local event loop without user input). A completion is reported
// through OnNotify, always from the event loop (never inside the command):
// the notify value tells whether the command completed (successful), was
// replaced by another notifying command (superseded), was cut short by a
// command that prevents it (aborted) or failed (failure).
//
// Positions and lengths are in milliseconds. Video frames are turned into
// images and handed out through frameReady for whoever owns the display.
class TMPlayer : public QObject {
    Q_OBJECT
public:
    enum Notify { Successful = 0, Superseded = 1, Aborted = 2, Failure = 3 };
    enum Mode {
        NotReady = 0,
        Stopped = 1,
        Playing = 2,
        Recording = 3,
        Seeking = 4,
        Paused = 5,
        OpenMode = 6
    };
    // Error codes of the last command (0 = success).
    enum Error {
        NoError = 0,
        ErrNoDevice = 257, // no medium open
        ErrDriver = 272,   // the back end failed for another reason
        ErrFileNotFound = 275,
        ErrOutOfRange = 282,  // a seek past the end
        ErrTimeFormat = 293,  // only milliseconds are kept
        ErrInvalidFile = 296, // not a medium the back end can play (also empty)
        ErrFileRead = 348     // exists but cannot be read
    };
    static constexpr quint32 FormatMilliseconds = 0;

    explicit TMPlayer(QObject* parent = nullptr);
    ~TMPlayer() override;

    // Published properties.
    bool autoRewind() const { return m_autoRewind; }
    void setAutoRewind(bool on) { m_autoRewind = on; }
    QString fileName() const { return m_fileName; }
    void setFileName(const QString& nativePath) { m_fileName = nativePath; }
    QWidget* display() const { return m_display; }
    // Frames go to this widget's owner (through frameReady); when it is
    // destroyed the player forgets it.
    void setDisplay(QWidget* control);

    // Commands. Each returns the error code it stored (see error()).
    int open();
    int close();
    int play();
    int stop();
    int pause(); // toggles playing <-> paused; otherwise nothing
    int pauseOnly();
    int resume();
    int seek(qint64 ms);
    int rewind();
    int setTimeFormat(quint32 format);
    // One-shot overrides for the next command.
    void setNotify(bool on);
    void setWait(bool on);

    // Display rectangle in the display's coordinates. A rectangle whose right
    // and bottom are both 0 means (left, top) at the natural size.
    int setDisplayRect(const QRect& rect);
    QRect displayRect() const;

    bool isOpen() const { return m_open; }
    bool hasVideo() const { return m_hasVideo; }
    QSize naturalSize() const { return m_natural; }
    qint64 length() const;
    qint64 position() const;
    Mode mode() const;
    int error() const { return m_error; }
    QString errorMessage() const;
    static QString errorText(int code);
    Notify notifyValue() const { return m_notifyValue; }
    // The last frame shown (kept while paused: a frozen picture).
    QImage lastFrame() const { return m_lastFrame; }

    // Output level, linear 0..1 (kept across media).
    void setVolume(float linear);
    float volume() const;

    // Bounds of the waits, in milliseconds.
    void setOpenTimeout(int ms) { m_openTimeout = ms; }
    // Classifies a file before the back end sees it: 0, or 275, 348, 296.
    static int checkFile(const QString& nativePath);

Q_SIGNALS:
    void OnNotify(TMPlayer* sender);
    // A new video frame for the display, with the destination rectangle in
    // the display's coordinates.
    void frameReady(const QImage& frame, const QRect& target);

private:
    enum class Pending { None, Open, Play, Seek, Other };
    struct Flags {
        bool wait;
        bool notify;
    };
    Flags takeFlags(bool waitDefault, bool notifyDefault);
    bool requireOpen();
    void ensurePlayer();
    void dropPlayer();
    void request(Pending what);
    void interruptPending(bool byNotifyingCommand);
    void complete(Pending what, Notify value);
    void postNotify(Notify value);
    bool waitFor(const std::function<bool()>& done, int timeoutMs);
    // A stop or pause waits until the back end has left playing (at most 1 s).
    void waitUntilNotPlaying();
    void onStatus(QMediaPlayer::MediaStatus status);
    void onError(QMediaPlayer::Error err);
    void onFrame(const QVideoFrame& frame);
    void readCapabilities();
    int failOpen(int code);

    QMediaPlayer* m_player = nullptr;
    QAudioOutput* m_audio = nullptr;
    QVideoSink* m_sink = nullptr;
    float m_volume = 1.0f;
    QPointer<QWidget> m_display;
    QString m_fileName;
    bool m_autoRewind = false;
    bool m_open = false;
    bool m_hasVideo = false;
    bool m_stopped = true; // stopped (position kept), as opposed to paused
    bool m_atEnd = false;  // played to the end
    bool m_loadFailed = false;
    int m_loadError = 0;
    qint64 m_seekTarget = -1; // a seek not yet reached
    QSize m_natural;
    QRect m_displayRect;
    bool m_displayRectSet = false;
    int m_error = 0;
    Notify m_notifyValue = Successful;
    bool m_notifyOverride = false;
    bool m_notifyValueOverride = false;
    bool m_waitOverride = false;
    bool m_waitValueOverride = false;
    Pending m_pending = Pending::None;
    quint64 m_generation = 0; // medium identity: stale back-end events are ignored
    int m_openTimeout = 8000;
    QImage m_lastFrame;
};
