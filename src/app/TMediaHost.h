#pragma once

#include <QObject>

class TBackgroundMusic;
class TMainForm;
class TSound;

// Sound and clips in the main window: the foreground player with the
// skin's clip areas and the background music, wired to the window. It
// claims the verbs play, stop, pause, stepforward, stepback, every clip
// verb and bgsound, sound links of the pages and dropped sound files; it
// starts the music (or the player) once the window's first frame is on the
// screen and stops both when the window closes.
class TMediaHost : public QObject {
    Q_OBJECT
public:
    explicit TMediaHost(TMainForm& window);
    ~TMediaHost() override;

    TSound* sound() const { return m_sound; }
    TBackgroundMusic* music() const { return m_music; }

    // After every screen change: the screen's clip areas show.
    void showForScreen();
    // The window is opening: after its first frame the player starts (the
    // AutoStartPlayer setting) or else the music, when it is on.
    void startAfterOpening();
    // The closing sequence begins: the clip or sound stops.
    void stopForClosing();
    // The window is destroyed: the music stops with a fade (title and
    // position stored), the player closes.
    void stopForExit();

private:
    void claim();
    void toggleBackgroundMusic();
    void startOnFirstFrame();
    void musicSwitched(bool on);

    TMainForm& m_window;
    TBackgroundMusic* m_music = nullptr;
    TSound* m_sound = nullptr;
};
