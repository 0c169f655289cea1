#pragma once

#include "data/StructModel.h"
#include "reader/THtmlSettings.h"
#include "reader/TPanelBkgrd.h"

#include <QList>
#include <QObject>
#include <QPointer>
#include <QRect>
#include <QSize>
#include <QStringList>

#include <functional>
#include <memory>

class QKeyEvent;
class QMouseEvent;
class TFileSource;
class TFrameViewer;
class THTMLViewer;
class TImageHint;
class TLinkDispatcher;
class TShell;
class QWidget;

// The content frame: one frame viewer per screen that declares `_html`
// elements, placed on the element of the current screen (on the reading
// screen inside the background panel, beside the contents tree), pages
// loaded on command, history with page groups that re-press the skin's
// switches, link dispatch, image hints, copying and printing, and the five
// stored font and colour settings.
//
// The host (the main window) wires the signals below and answers the hooks;
// an unset hook means "nothing there".
class THtmlFrame : public QObject {
    Q_OBJECT
public:
    static constexpr int kReadingScreen = 1;
    static constexpr int kHistoryMaxCount = 10;
    static constexpr int kVisitedMaxCount = 20;

    // `mainWindow` parents the viewers; `source` reads every book file;
    // `settingsKey` is the book's settings key (its title).
    THtmlFrame(QWidget* mainWindow, const TFileSource* source, const QString& settingsKey,
               QObject* parent = nullptr);
    // Writes the five settings back from the current viewer.
    ~THtmlFrame() override;

    // The reading screen's background panel (may be unset: then the reading
    // screen's viewer sits on the main window like any other).
    void setPanel(TPanelBkgrd* panel);
    TPanelBkgrd* panel() const { return m_panel; }
    // The desktop; nullptr means the process-wide shell.
    void setShell(TShell* shell) { m_shell = shell; }
    TShell& shell() const;
    const TFileSource* fileSource() const { return m_source; }
    QWidget* mainWindow() const { return m_mainWindow; }

    // --- creation and layout ---
    // Builds the viewers for the element rows (nothing without rows), then
    // shows `currentScreen`.
    void Create(const TDynamicHtmlArray& rows, int currentScreen = 0);
    bool isCreated() const { return !m_viewers.isEmpty(); }
    // After every screen change: shows that screen's viewer (loading its start
    // page the first time, else scrolling to the top) and hides the previous
    // screen's.
    void ShowScreen(int screen);
    int currentScreen() const { return m_screen; }
    // The viewer of the current screen, or nullptr.
    TFrameViewer* CurrentViewer() const;
    QList<TFrameViewer*> viewers() const;
    TFrameViewer* viewerOfScreen(int screen) const;
    int currentElement() const { return m_currentElement; }
    // The viewer rectangle of element i (vw/vh are right and bottom edges).
    QRect elementRect(int i) const;
    // The standard window: the current viewer fills the main window's
    // contents rectangle (and follows its size) / goes back to its element.
    void FillClient();
    void RestoreBounds();
    bool fillsClient() const { return m_fill; }

    // --- pages ---
    // The page group of `path` in the current viewer becomes current (a new
    // group when none contains it). The `html` verb calls it before ShowPage.
    void AddToPageGroup(const QString& path);
    // Shows `path` (empty: the start page) in the element with `number`.
    void ShowPage(int number, const QString& path);
    // Loads `path` into the current viewer (a history entry when it has one).
    void Navigate(const QString& path);
    // History steps; the switch lists are the current screen's. A step whose
    // page belongs to another page group asks for the switch that opened that
    // group to be pressed again (switchPressRequested). No step: a beep.
    void GoBack(const TDynamicSwthOneArray& ones, const TDynamicSwthGrpArray& groups);
    void GoForward(const TDynamicSwthOneArray& ones, const TDynamicSwthGrpArray& groups);
    void SetHistoryIndex(int index);
    void ScrollToTop();
    void SelectAll();
    // Copies the current page and its "<stem>.files" folder into the path
    // input box's folder.
    void CopyPageFiles();
    // Copies a book file into the path input box's folder (the "copy:" link).
    void CopyToPathBox(const QString& file);
    // The selected entry of the page's drop-down control `name` to the
    // clipboard.
    void CopyListValue(const QString& name);
    // Prints `path` (empty: the current page) through the print preview
    // (PrintPreview), or straight through the print dialog when no preview
    // is wired. False when the page cannot be loaded, or when cancelled or
    // failed.
    bool PrintPage(const QString& path = QString());
    // The two numbers of the last print request from another copy: the
    // picture size given to the preview when a file is printed.
    void setRemotePrintValues(int first, int second) { m_remotePrint = QSize(first, second); }
    bool pageIsPicture() const { return m_pageIsPicture; }

    // Page groups of a viewer (the current one by default).
    QStringList pageGroups(const TFrameViewer* viewer = nullptr) const;
    int currentPageGroup(const TFrameViewer* viewer = nullptr) const;

    // The archive view flag of the current viewer (an archive listing is
    // shown); a viewer's own flag for link dispatch.
    bool archiveView() const;
    void setArchiveView(bool on);
    bool archiveViewOf(const TFrameViewer* viewer) const;

    // The five settings as read at creation, and applying new ones to every
    // viewer (the font dialog's OK); the current viewer is reloaded.
    const RHtmlFonts& fonts() const { return m_fonts; }
    void applyFonts(const RHtmlFonts& fonts);
    // The font dialog (FontDialog hook) preset with the current viewer's
    // values; OK applies them to every viewer.
    void ChooseFont();

    // The status text of a link (what the standard window's status bar
    // shows); empty when there is no link or an archive listing is shown.
    QString statusTextFor(TFrameViewer* viewer, const QString& target, const QString& url) const;

    // --- hooks (the host answers) ---
    // The folder of the path input box; empty or unset: the skin has none.
    std::function<QString()> PathInputFolder;
    // Hands a picture link to an already running enlarged-picture window;
    // true when one accepted it. Unset: none runs.
    std::function<bool(const QString& full)> SendToPictureWindow;
    // Extracts the archive being listed so that `full` exists afterwards.
    std::function<void(const QString& full)> ExtractListedArchive;
    // The print preview of `viewer`, modal; false when it could not be
    // shown. `picture` is the size fitted to the paper when the page is a
    // picture. Unset: printing goes straight to the print dialog.
    std::function<bool(THTMLViewer* viewer, bool pageIsPicture, QSize picture)> PrintPreview;
    // The font dialog: edits the values, true on OK. Unset: no dialog.
    std::function<bool(RHtmlFonts& fonts)> FontDialog;

    // What the printers allow before the print dialog opens: 0 fine, 2 no
    // printer is installed, 3 the default printer is not available.
    static int printerState();

signals:
    // Before the print dialog: no printer installed (2) or the default
    // printer not available (3). Printing goes on (to a PDF file at least).
    void printerNotice(int notice);
    // A viewer shows another page (after the page groups are brought up to
    // date). The host then runs, in this order: the archive-view notice, the
    // font folder, the title text line (`titleLine` is the title and two
    // spaces), the history popups, the chapter captions.
    void pageChanged(TFrameViewer* viewer, const QString& file, const QString& titleLine);
    // Deliver a left mouse press at `pos` (main window coordinates) to the
    // skin, so that the switch there shows as pressed.
    void switchPressRequested(const QPoint& pos);
    // The status bar's text (the standard window only).
    void statusText(const QString& text);
    // A message for the status line ("Файл скопирован", failures).
    void statusMessage(const QString& text);
    // Enter in a pane: passed on to the visible search fields.
    void enterPressed();
    // Mouse down in a pane: close the open popups.
    void closePopupsRequested();
    // Right button alone: the "contexthtml" popup at a global position.
    void contextPopupRequested(const QPoint& globalPos);
    // Mouse moved over a pane: the skin clears its hover states.
    void skinMouseMoved(const QPoint& pos);
    // A page link was followed: the contents tree selects that page.
    void treeSelectRequested(const QString& page);
    // A ".rar" link: list and extract the archive (the page it came from).
    void archiveRequested(const QString& archive, const QString& page);
    // A ".wav" link: play the sound.
    void soundRequested(const QString& file);

private:
    struct ViewerState {
        QPointer<TFrameViewer> viewer;
        int screen = 0;
        QStringList groups;
        int group = -1;
        bool archiveView = false;
    };

    TFrameViewer* newViewer(int index);
    int viewerIndexOfScreen(int screen) const;
    ViewerState* stateOf(const TFrameViewer* viewer);
    const ViewerState* stateOf(const TFrameViewer* viewer) const;
    void place(TFrameViewer* viewer, int element);
    bool open(TFrameViewer* viewer, const QString& path);
    void step(bool back, const TDynamicSwthOneArray& ones, const TDynamicSwthGrpArray& groups);
    void onHistoryChange(TFrameViewer* viewer);
    void onKey(QKeyEvent* e);
    void onMousePress(QMouseEvent* e);
    void onMouseMove(TFrameViewer* viewer, QMouseEvent* e);
    bool printViewer(THTMLViewer* viewer);
    bool preview(THTMLViewer* viewer, QSize picture);
    bool eventFilter(QObject* watched, QEvent* e) override;

    QPointer<QWidget> m_mainWindow;
    const TFileSource* m_source;
    QString m_settingsKey;
    QPointer<TPanelBkgrd> m_panel;
    TShell* m_shell = nullptr;

    QList<ViewerState> m_viewers; // viewer i belongs to screen m_viewers[i].screen
    int m_currentViewer = -1;
    int m_currentElement = -1;
    RHtmlFonts m_fonts;
    // Per element.
    QList<QRect> m_rects;
    QList<int> m_numbers;
    QList<int> m_screens;
    QStringList m_startPages;
    int m_prevScreen = -1;
    int m_screen = 0;
    bool m_fill = false;
    bool m_pageIsPicture = false;
    QSize m_remotePrint;
    TImageHint* m_hint;
    std::unique_ptr<TLinkDispatcher> m_links;
};
