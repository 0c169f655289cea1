#pragma once

#include "dialogs/TStartClip.h"

#include <QObject>
#include <QPoint>
#include <QPointer>

#include <functional>

class QPainter;
class QTimer;
class TMainForm;
class TMyAviPlayer;
class TNavFont;
class TSlideImage;

// The moving and changing pictures of the main window and the book's fonts:
// the slide-show areas (verbs nextpic, prevpic; the options window's slide
// timer), the font installer (verb installfonts, the folder of each page
// shown) and the cover video (verbs 3d, 2d; clicks, freezing on the reading
// screen, the window's resume timer, the skin kept in step).
class TVisualHost : public QObject {
    Q_OBJECT
public:
    explicit TVisualHost(TMainForm& window);
    ~TVisualHost() override;

    // Before the window changes to screen `index`: the video freezes when
    // it leaves the cover.
    void beforeScreenChange(int index);
    // After every screen change, once the screen is built: the slide areas;
    // on the cover the still frame goes back into the skin and the resume
    // timer starts when a "3D" switch is on.
    void showForScreen(int screen);
    // The window's paint: the video's frame on show.
    void paintVideo(QPainter& painter);
    // A mouse press at `p`: true when the video took it (the window is then
    // dragged by a frozen video, or nothing else happens).
    bool mouseDown(QPoint p, Qt::MouseButton button);
    // The pointer over a playing video: the skin's hover looks stay as they are.
    bool overPlayingVideo(QPoint p) const;
    // The book's start clip, when it names one and the `Clip` setting is on:
    // true when the clip window is open; `showMain` runs when it ends.
    bool runStartClip(std::function<void()> showMain);
    TStartClip* startClip() const { return m_clip; }

    // The closing sequence: the video stops and lets go of its device.
    void close();

    TSlideImage* slides() const { return m_slides; }
    TNavFont* fonts() const { return m_fonts; }
    TMyAviPlayer* video() const { return m_video; }
    QTimer* resumeTimer() const { return m_resume; }

private:
    void claim();
    void startVideo();

    TMainForm& m_window;
    TSlideImage* m_slides = nullptr;
    TNavFont* m_fonts = nullptr;
    TMyAviPlayer* m_video = nullptr;
    QTimer* m_resume = nullptr;
    QPointer<TStartClip> m_clip;
};
