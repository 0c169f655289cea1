#pragma once

#include <QImage>
#include <QString>

#include <functional>
#include <memory>

// A media device that plays one video into the program's own drawing:
// frames arrive as pictures, the end of the medium is reported once per run.
class TVideoDevice {
public:
    virtual ~TVideoDevice() = default;
    // Opens the file (a native path); false when it cannot be played.
    virtual bool open(const QString& file) = 0;
    // Plays on; after the end of the medium, from the start again.
    virtual void play() = 0;
    virtual void pause() = 0;
    virtual void stop() = 0;
    virtual void close() = 0;
    // The device reports itself stopped or paused.
    virtual bool stoppedOrPaused() const = 0;
    std::function<void(const QImage&)> frame;
    std::function<void()> ended;

    // The device of this platform.
    static std::unique_ptr<TVideoDevice> make();
};
