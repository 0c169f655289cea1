#pragma once

#include "data/DialogDescription.h"
#include "reader/TFindTxtHtml.h"
#include "skin/TEffBtnCar.h"

#include <QImage>
#include <QList>
#include <QPointer>
#include <QString>
#include <QStringList>
#include <QWidget>

#include <functional>

class QListWidget;
class TEffCar;
class TMyControl;
class TScaleBar;
class TSettingsStore;
class TStatusLine;
class TTextMsg;

// The book's own small dialogs in one borderless, stay-on-top, owner-drawn
// window described by "Dialog.cfs" in the resource pack: the message box
// (0), the text search with its scope switches and result list (1), and the
// two printer notices (2: no printer installed, 3: the default printer is not
// available). Showing does not wait: ShowDialog returns at once.
//
// Buttons and group switches follow the main window's picture-per-state
// technique: a picture per state, a cross-fade between them (step 4), a hint
// area per element, strict hit tests (border pixels are outside).
class TCoolDialog : public QWidget {
    Q_OBJECT
public:
    static constexpr auto kEntry = "Dialog.cfs";
    enum Number { Message = 0, Search = 1, NoPrinter = 2, NoDefaultPrinter = 3 };
    // The window's height while the search page lists no results.
    static constexpr int kShortHeight = 115;
    // The result list's place on the search page.
    static constexpr int kListLeft = 11, kListTop = 127, kListWidth = 377, kListHeight = 112;

    // `settings`: the book's settings (the stored switch states; may be
    // null). Stored switch states replace the described ones here.
    // `clock`: Manual leaves every fade to be ticked by hand (tests).
    TCoolDialog(QWidget* mainWindow, DialogDescription description, TSettingsStore* settings,
                TEffBtnCar::Clock clock = TEffBtnCar::Clock::Timer);
    ~TCoolDialog() override;

    // The text search whose fields, modes and results the search page shows
    // (may stay unset: the search page then has no fields).
    void setSearch(TFindTxtHtml* search);
    TFindTxtHtml* search() const { return m_search; }
    // The search's progress bar (drawn into the composed background), the
    // skin's text elements numbered 1000 (painted on the dialog) and the
    // status line (cleared when the dialog closes). Each may stay unset.
    void setScaleBar(TScaleBar* bar);
    void setTexts(TTextMsg* texts);
    void setStatusLine(TStatusLine* status);

    // Pack pictures by name (a failure gives a null image).
    std::function<QImage(const QString&)> loadPicture;
    // The "Wav" option, and the playing of an element's sound (`wav` as
    // described, relative to the base directory).
    std::function<bool()> soundsOn;
    std::function<void(const QString& wav)> playSound;
    // The main window's own fade runs: element fades are not drawn.
    std::function<bool()> mainFadeRunning;
    // "findnext" + number (default: the text search's runFindCommand).
    std::function<void(int number)> findCommand;

    // Builds and shows dialog `number` with the message `text` (may be
    // empty); a dialog whose background picture cannot be loaded shows
    // nothing. A dialog already shown is replaced.
    void ShowDialog(int number, const QString& text);
    // The dialog shown last (also after it was closed); -1 before any.
    int currentDialog() const { return m_current; }
    // The search page is on the screen.
    bool searchShown() const { return isVisible() && m_current == Search; }

    // A button's or switch's verb; true when it closed the dialog.
    bool RunVerb(const QString& verb, const QString& sound);
    // The search page's result list: the titles are shown (empty lists
    // remove the list and shorten the window).
    void ShowResults(const QStringList& files, const QStringList& titles);
    // The hint of the search button (the first button whose verb is
    // exactly "findnext1").
    void SetSearchHint(const QString& text);

    // For the host and the tests.
    const DialogDescription& description() const { return m_desc; }
    const QImage& background() const { return m_background; }
    int widening() const { return m_widening; }
    int fullHeight() const { return m_fullHeight; }
    QListWidget* resultList() const { return m_results; }
    TEffCar* windowFade() const { return m_fade; }
    bool hintsShown() const { return m_hints; }
    // The "Hint" option (the program-wide value; on until set). Takes
    // effect from the next ShowDialog.
    void setHintsShown(bool on) { m_hints = on; }
    // The current buttons (rectangles after the alignment shift) and the
    // switches of the current dialog.
    struct ButtonState {
        RBtn btn;
        QImage normal, hover, pressed;
        bool hovered = false;
        bool pressed_ = false;
        TMyControl* area = nullptr;
        TEffBtnCar* fade = nullptr;
    };
    struct SwitchState {
        QImage off, hoverOff, hoverOn, on;
        TMyControl* area = nullptr;
        TEffBtnCar* fade = nullptr;
    };
    const QList<ButtonState>& buttons() const { return m_buttons; }
    const QList<SwitchState>& switchPictures() const { return m_switches; }
    const TDynamicSwthGrpArray& switches() const;
    // The mouse handlers, in dialog coordinates (the hint areas forward
    // theirs here too). mouseDown returns true for a background press.
    void mouseMoveAt(QPoint p);
    bool mouseDownAt(QPoint p);
    void mouseUpAt(QPoint p);
    // Writes the stored switch states (done when the dialog closes).
    void writeSwitchStates();

signals:
    // Esc in the dialog: the main window's keyboard handling decides.
    void escapePressed();

protected:
    void paintEvent(QPaintEvent* e) override;
    void mouseMoveEvent(QMouseEvent* e) override;
    void mousePressEvent(QMouseEvent* e) override;
    void mouseReleaseEvent(QMouseEvent* e) override;
    void keyPressEvent(QKeyEvent* e) override;
    void closeEvent(QCloseEvent* e) override;
    bool eventFilter(QObject* watched, QEvent* e) override;

private:
    static bool inside(QPoint p, const RBtn& b) {
        return b.vx < p.x() && p.x() < b.right && b.vy < p.y() && p.y() < b.bottom;
    }
    static bool inside(QPoint p, const RSwthGrp& s) {
        return s.vx < p.x() && p.x() < s.right && s.vy < p.y() && p.y() < s.bottom;
    }
    TDynamicSwthGrpArray* currentSwitches();
    QImage picture(const QString& name) const;
    TMyControl* makeArea(const QRect& rect, const QString& hint);
    TEffBtnCar* makeFade(int index);
    void fade(TEffBtnCar* effect, const QImage& from, const QImage& to, QPoint at);
    void loadButtons(const RDialog& d);
    void loadSwitches(RDialog& d);
    void placeFields(bool onDialog);
    void releaseShow();
    void readSwitchStates();
    bool fadeRunning() const;
    void startMove(QPoint global);
    void elementMove(QPoint p, Qt::MouseButtons buttons, QPoint global);
    void elementDown(QPoint p, Qt::MouseButton button, QPoint global);
    void elementUp(QPoint p, Qt::MouseButton button);

    QPointer<QWidget> m_mainWindow;
    QPointer<TFindTxtHtml> m_search;
    QPointer<TScaleBar> m_bar;
    QPointer<TTextMsg> m_texts;
    QPointer<TStatusLine> m_status;
    DialogDescription m_desc;
    TSettingsStore* m_settings = nullptr;
    TEffBtnCar::Clock m_clock;
    TEffCar* m_fade = nullptr;
    bool m_hints = true;
    int m_current = -1;
    // Per show.
    QImage m_background;
    int m_widening = 0;
    int m_fullHeight = 0;
    QList<ButtonState> m_buttons;
    QList<SwitchState> m_switches;
    QListWidget* m_results = nullptr;
    // Counts the shows and closes: a verb that closed or replaced the
    // dialog leaves the element loops that ran it.
    int m_generation = 0;
    // Moving the window by hand when no window manager takes the move.
    bool m_dragging = false;
    QPoint m_dragOffset;
};
