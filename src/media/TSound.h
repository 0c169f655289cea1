#pragma once

#include "data/StructModel.h"
#include "media/TMPlayer.h"

#include <QList>

#include <functional>

class TBackgroundMusic;
class TColorWinControl;

// The foreground player of the main window: sounds and clips on request
// (buttons, clip commands, sound links, dropped files), with the skin's clip
// areas in which videos are shown. It never plays together with the
// background music: a request stops the music, and a sound that interrupted
// the music gives it back when it has played to its end.
class TSound : public TMPlayer {
    Q_OBJECT
public:
    // What happens when a playback has completed.
    enum EndAction { EndNothing = 0, EndReplayEmpty = 3, EndClose = 4, EndResumeMusic = 5 };

    // `window` hosts the clip areas; `music` may be null.
    TSound(QWidget* window, TBackgroundMusic* music, QObject* parent = nullptr);
    ~TSound() override;

    // Builds one area per clip element (hidden, its colour, its bounds from
    // the left, top, right and bottom keys) and shows the current screen's.
    void Create(const TDynamicClipArray& clips);
    // After every screen change.
    void ShowForScreen();
    // The single playback request; `file` is a native path (empty: none),
    // `page` the page for the clip area's HTML area, `kind` 0, 3 or 4.
    void PlayFile(const QString& file, const QString& page, int kind);
    // Ten seconds on / back, then play.
    void StepForward();
    void StepBack();

    int endAction() const { return m_endAction; }
    const QList<TColorWinControl*>& areas() const { return m_areas; }

    // The window's current screen (0-based).
    std::function<int()> currentScreen;
    // Shows `page` (empty: the area's start page) in the HTML area `number`.
    std::function<void(int number, const QString& page)> showPage;
    // Runs the codec and driver installation after a failed open (the
    // caller then opens once more).
    std::function<void()> installDriver;

Q_SIGNALS:
    // The mouse moved over a clip area.
    void skinMouseMove();

private:
    struct Area {
        TColorWinControl* control;
        int screen;
        int html;
    };
    void onEnd();
    void onFrame(const QImage& frame, const QRect& target);
    void clearFrames();

    QWidget* m_window;
    TBackgroundMusic* m_music;
    QList<Area> m_clipAreas;
    QList<TColorWinControl*> m_areas;
    int m_previousScreen = -1;
    int m_endAction = EndNothing;
};
