#pragma once

#include <QString>

// Installs what the book's media need into the system. On this platform the
// media back end (GStreamer) brings its own codecs and drivers, so each
// installation only says on stderr that nothing was needed and returns; a
// caller that installs after a failed open still tries once more.
class TCodecInstaller {
public:
    // The video codec, run at start-up when the description asks for it.
    static void installVideoCodec(const QString& baseDir);
    // The audio codec, run at start-up when the description asks for it.
    static void installAudioCodec(const QString& baseDir);
    // The MPEG playback driver, run when a medium fails to open for another
    // reason than a missing, unreadable or invalid file.
    static void installMpegDriver(const QString& baseDir);

    // How many installations ran in this process (all three kinds).
    static int runs();
};
