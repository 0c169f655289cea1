#pragma once

#include "media/TVideoDevice.h"

#include <QObject>

class TMPlayer;

// The video device on the media player TMPlayer: automatic rewind on, frames
// handed on as pictures, the end of a run taken from the play command's
// successful completion.
class TPlayerVideoDevice : public QObject, public TVideoDevice {
    Q_OBJECT
public:
    TPlayerVideoDevice();
    ~TPlayerVideoDevice() override;

    int open(const QString& file) override;
    QSize size() const override;
    bool play() override;
    void pause() override;
    void stop() override;
    void close() override;
    bool playing() const override;
    bool stoppedOrPaused() const override;
    void noWaitOnce() override;

    TMPlayer* player() const { return m_player; }

private:
    TMPlayer* m_player = nullptr;
};
