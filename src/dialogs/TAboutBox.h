#pragma once

#include "data/AboutDescription.h"
#include "skin/TEffBtnCar.h"

#include <QImage>
#include <QList>
#include <QWidget>

#include <functional>

struct ROptions;
class TEffCar;
class TEffect;
class TMyControl;

// The book's "about" window, described by "About.cfs": a borderless
// picture (shaped by the description's outline when it has one) with its
// text lines and the normal pictures of its buttons drawn in, centred on
// the screen. Picture buttons close it; text links open a web address, or a
// mail message through "mailto:", and leave it open. Each show fades the
// window in and, while the "Animation" setting is on, opens the picture
// like a curtain (TEffect); Esc and Enter close it, except during the
// curtain.
class TAboutBox : public QWidget {
    Q_OBJECT
public:
    // Manual: the fades and the curtain are ticked by hand (tests).
    enum class Clock { Timer, Manual };
    // Font sizes beyond this are taken as this (points).
    static constexpr int kMaxFontSize = 200;

    // `options`: "Hint" when building, "Wav" on each press, "Animation" on
    // each show (may be null: all on). `loadPicture`: pack pictures by name
    // (null image for a missing one).
    TAboutBox(const AboutDescription& description, const ROptions* options,
              const std::function<QImage(const QString&)>& loadPicture, Clock clock = Clock::Timer);
    ~TAboutBox() override;

    // The box has its picture (without one there is nothing to show).
    bool usable() const { return !m_background.isNull(); }
    // Shows the box modally (to the application), fading in and, when the
    // "Animation" setting is on, with the curtain.
    void showModal();

    // Plays an element's sound (`wav` as described, relative to the base
    // directory); opens a link's target (default: the desktop shell).
    std::function<void(const QString& wav)> playSound;
    std::function<void(const QString& target)> openLink;

    // An element: the buttons first, then one per link text.
    struct Element {
        RBtn btn; // vx, vy, right, bottom, fn1, fn2, hint, wav
        bool link = false;
        QString target;
        QImage normal, hover;
        bool hovered = false;
        bool hand = false;
        TMyControl* area = nullptr;
        TEffBtnCar* fade = nullptr;
    };
    const QList<Element>& elements() const { return m_elements; }
    const QImage& background() const { return m_background; }
    // The outline the window was given (empty: the picture's rectangle).
    const QPolygon& outline() const { return m_outline; }
    TEffect* curtain() const { return m_effect; }
    TEffCar* windowFade() const { return m_fade; }
    bool hintsShown() const { return m_hints; }

    // The mouse handlers in window coordinates (the hint areas forward theirs).
    void mouseMoveAt(QPoint p);
    // True for a press on the background (it moves the window).
    bool mouseDownAt(QPoint p);

signals:
    void shown();
    void closed();

protected:
    void paintEvent(QPaintEvent* e) override;
    void mouseMoveEvent(QMouseEvent* e) override;
    void mousePressEvent(QMouseEvent* e) override;
    void mouseReleaseEvent(QMouseEvent* e) override;
    void keyPressEvent(QKeyEvent* e) override;
    void closeEvent(QCloseEvent* e) override;

private:
    static bool inside(QPoint p, const RBtn& b) {
        return b.vx < p.x() && p.x() < b.right && b.vy < p.y() && p.y() < b.bottom;
    }
    void build(const AboutDescription& d, const std::function<QImage(const QString&)>& load);
    TMyControl* makeArea(const QRect& rect, const QString& hint);
    bool effectsRunning() const;
    void setHand(bool on);
    void startMove(QPoint global);

    const ROptions* m_options = nullptr;
    Clock m_clock;
    QImage m_background;
    QPolygon m_outline;
    QList<Element> m_elements;
    TEffect* m_effect = nullptr;
    TEffCar* m_fade = nullptr;
    bool m_hints = true;
    bool m_dragging = false;
    QPoint m_dragOffset;
};
