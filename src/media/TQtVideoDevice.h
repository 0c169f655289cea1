#pragma once

#include "media/TVideoDevice.h"

#include <QObject>

class QAudioOutput;
class QMediaPlayer;
class QVideoSink;

// The video device on Qt Multimedia: frames from a video sink become
// pictures (converted when they arrive, one at a time); the sound goes to
// the default output, or nowhere when the machine has none.
class TQtVideoDevice : public QObject, public TVideoDevice {
    Q_OBJECT
public:
    TQtVideoDevice();
    ~TQtVideoDevice() override;

    int open(const QString& file) override;
    QSize size() const override { return m_size; }
    bool play() override;
    void pause() override;
    void stop() override;
    void close() override;
    bool playing() const override;
    bool stoppedOrPaused() const override;

private:
    QMediaPlayer* m_player = nullptr;
    QAudioOutput* m_audio = nullptr;
    QVideoSink* m_sink = nullptr;
    QString m_file;
    QSize m_size;
    bool m_atEnd = false;
};
