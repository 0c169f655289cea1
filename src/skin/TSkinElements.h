#pragma once

#include "data/StructModel.h"
#include "skin/TEffBtnCar.h"

#include <QHash>
#include <QImage>
#include <QList>
#include <QObject>
#include <QRect>

#include <functional>

class QPainter;

// The clickable elements of the current screen: the skin picture, the
// pictures of every button and switch, their fades, hit testing and the
// mouse behaviour (hover, press, release, switch toggles and groups).
// The element records (and the switches' on flags) live in the model, so
// they survive screen switches; the pictures belong to the current screen.
class TSkinElements : public QObject {
    Q_OBJECT
public:
    enum Kind { None = -1, Button = 0, SwitchOne = 1, SwitchGrp = 2 };
    struct Hit {
        int kind = None;
        int index = -1;
    };
    struct BtnPics {
        QImage normal, hover, pressed;
        bool hovered = false;
        bool pressed_ = false;
        bool armed = false; // pressed, and the mouse button is still held off the button
        TEffBtnCar* fade = nullptr;
    };
    struct SwPics {
        QImage off, hoverOff, hoverOn, on;
        bool shiftLook = false; // a Shift+clicked group switch shows its resting "on" picture
        TEffBtnCar* fade = nullptr;
    };
    // A command a click or the replay pass asks to run.
    struct Run {
        QString command;
        QString wav;
        int kind = 0;
        int index = 0;
    };

    TSkinElements(StructModel& model, TEffBtnCar::Clock clock, QObject* parent = nullptr);

    // Pack pictures by name (a failure gives a null image).
    std::function<QImage(const QString&)> loadPicture;
    // Runs a clicked element's command (not replayed).
    std::function<void(const Run&)> runCommand;
    // Repaints part of the window at once (fade frames).
    std::function<void(const QRect&)> repaintRect;
    // The whole-window fade runs: mouse ignored, element frames not drawn.
    std::function<bool()> windowFadeRunning;
    // A second contents tree exists and both trees are hidden.
    std::function<bool()> tree2Blocked;

    // What buildScreen() loads: every picture of every element, or only the
    // pictures the screen shows as it stands (resting pictures, and the "on"
    // picture of the switches that are on); completeFaces() loads the rest.
    // ShownApart leaves even the captions of the shown pictures, and drawing
    // them onto the skin, to drawShownFaces().
    enum class Faces { All, ShownFirst, ShownApart };

    int screen() const { return m_screen; }
    int screenCount() const { return m_model.screens.size(); }
    // Loads the skin and the element pictures of `index`, draws the resting
    // pictures onto the skin. False when the index names no screen.
    bool buildScreen(int index, Faces faces = Faces::All);
    // Loads the pictures that buildScreen(ShownFirst) left out (hover,
    // pressed and the other switch states). The mouse handling calls it
    // before it changes any element's look; the window calls it once it is on
    // screen, so that the first hover finds them ready.
    void completeFaces();
    bool facesPending() const { return m_facesPending; }
    // After buildScreen(ShownApart): draws the captions of the shown pictures
    // and the resting pictures onto the skin. It touches only those pictures
    // and the skin, so it may run on another thread meanwhile, as long as
    // nothing else uses this object until it is done.
    void drawShownFaces();
    const QImage& skin() const { return m_skin; }
    // The skin picture itself, for the parts that draw into it (the cover video).
    QImage& skinBitmap() { return m_skin; }
    void paint(QPainter& painter) const;

    Hit hitTest(QPoint p) const;
    // `leftHeld`: the left mouse button is down (a press that left the button
    // comes back when the pointer returns before the release).
    void mouseMove(QPoint p, bool leftHeld = false);
    // Returns true when no element was hit (the press may move the window).
    bool mouseDown(QPoint p, Qt::KeyboardModifiers modifiers);
    void mouseUp(QPoint p);

    // The element that caused a screen switch loses hover (and pressed).
    void resetSource(int kind, int index);
    // "minimize": the source button loses hover and pressed.
    void resetButton(int index);
    void cancelFades();

    // The switch commands to replay: at start-up every switchone (godown when
    // on, else goup) and every switchgrp that is on; after a screen switch
    // the same, skipping "3d", with the switchone pass twice.
    QList<Run> replayCommands(bool afterSwitch) const;

    // Element rectangles and hints of the current screen (hint areas).
    QList<QPair<QRect, QString>> hintAreas() const;

    TDynamicBtnArray& buttons();
    TDynamicSwthOneArray& switchOnes();
    TDynamicSwthGrpArray& switchGrps();
    const QList<BtnPics>& buttonPics() const { return m_btnPics; }
    const QList<SwPics>& switchOnePics() const { return m_onePics; }
    const QList<SwPics>& switchGrpPics() const { return m_grpPics; }
    static QRect rectOf(int vx, int vy, int right, int bottom) {
        return QRect(QPoint(vx, vy), QPoint(right - 1, bottom - 1));
    }

private:
    static bool inside(QPoint p, int vx, int vy, int right, int bottom) {
        return vx < p.x() && p.x() < right && vy < p.y() && p.y() < bottom;
    }
    QImage load(const QString& name) const;
    // A picture by name, decoded once per screen.
    const QImage& decoded(const QString& name);
    // A picture with a caption drawn on it.
    QImage face(const QString& name, const QString& text, const QRect& box, const QString& fontName,
                int size, int style, int colour);
    // `shown`: the pictures the element shows as it stands; else the others.
    void loadFaces(bool shown); // of every element of the screen
    void loadButtonFaces(qsizetype index, bool shown);
    void loadSwitchOneFaces(qsizetype index, bool shown);
    void loadSwitchGrpFaces(qsizetype index, bool shown);
    template <class Switch>
    void loadSwitchFaces(const Switch& s, SwPics& pics, const QRect& upBox, const QRect& dnBox,
                         const QString& up, const QString& dn, bool shown);
    TEffBtnCar* makeFade(int index, int step);
    template <class Switches> void prepareSwitches(Switches& switches, QList<SwPics>& sets);
    void fade(TEffBtnCar* effect, const QImage& from, const QImage& to, QPoint at);
    bool fadeRunning() const { return windowFadeRunning && windowFadeRunning(); }
    bool tree2Locked(const RSwthOne& s) const;

    StructModel& m_model;
    TEffBtnCar::Clock m_clock;
    int m_screen = -1;
    QImage m_skin;
    QList<BtnPics> m_btnPics;
    QList<SwPics> m_onePics;
    QList<SwPics> m_grpPics;
    bool m_facesPending = false;
    bool m_shownPending = false;
    // Decoded pictures by name while a screen's pictures are being loaded.
    QHash<QString, QImage> m_decoded;
};
