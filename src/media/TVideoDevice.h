#pragma once

#include <QImage>
#include <QSize>
#include <QString>

#include <functional>
#include <memory>

// A media device that plays one video into the program's own drawing:
// frames arrive as pictures, the end of the medium is reported once per run.
class TVideoDevice {
public:
    // Open's answers besides 0: the media errors for a missing file, an
    // invalid file and a file that cannot be read; anything else is Other.
    enum Error { NoError = 0, NotFound = 275, Invalid = 296, ReadError = 348, Other = 1 };

    virtual ~TVideoDevice() = default;
    // Opens the file (a native path): NoError, or why it cannot be played.
    // Waits (boundedly) until the medium is loaded.
    virtual int open(const QString& file) = 0;
    // The picture size of the opened medium (empty when it shows none).
    virtual QSize size() const = 0;
    // Plays on; after the end of the medium, from the start again. False
    // when the device refused.
    virtual bool play() = 0;
    virtual void pause() = 0;
    virtual void stop() = 0;
    virtual void close() = 0;
    // The device reports itself playing.
    virtual bool playing() const = 0;
    // The device reports itself stopped or paused.
    virtual bool stoppedOrPaused() const = 0;
    // The next command does not wait for the device (one command only).
    virtual void noWaitOnce() {}
    std::function<void(const QImage&)> frame;
    std::function<void()> ended;

    // The device of this platform.
    static std::unique_ptr<TVideoDevice> make();
};
