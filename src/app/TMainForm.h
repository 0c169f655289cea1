#pragma once

#include "app/TBook.h"
#include "app/TCommandDispatcher.h"
#include "app/TKeyboardMap.h"
#include "skin/TSkinElements.h"

#include <QHash>
#include <QList>
#include <QPoint>
#include <QStringList>
#include <QWidget>

#include <functional>
#include <memory>
#include <optional>

class QLabel;
class TArchiveHost;
class TCoolDialog;
class TDialogHost;
class TFindTxtHtml;
class QMovie;
class TPathInputBox;
class TScaleBar;
class TStatusLine;
class TTextMsg;
class TButtonSounds;
class TInstanceMessages;
class TMediaHost;
class TEffCar;
class TMyControl;
class TReadingScreen;
class TSearchHost;
class TStandardLook;
class TThesaurusOpener;
class TVisualHost;
class TWindowAnimator;

// The book's main window: a borderless window whose surface is the skin of
// the current screen, with its buttons and switches. Its creation runs the
// start-up (paths, content archive, command line, resource pack, description,
// one running copy per book, fonts, screen 1, replay of the switches, the
// opening animation); closing runs the closing animation and saves the
// stored switch states. The book's services live in book(); the parts of the
// window claim their verbs, keys and dropped files here.
class TMainForm : public QWidget, public TDispatchTarget {
    Q_OBJECT
public:
    explicit TMainForm(QWidget* parent = nullptr);
    ~TMainForm() override;

    // The start-up. `baseDir`: the book folder (the executable's folder or
    // --book); `args`: the command line after the program name. Returns
    // nothing when the window runs, else the exit status (a one-line reason
    // has been printed on stderr where there is one).
    std::optional<int> FormCreate(const QString& baseDir, const QStringList& args);

    // Dispatch(command, sound, replay, source kind, source index).
    Verb Dispatch(const QString& command, const QString& sound, bool replay, int sourceKind,
                  int sourceIndex);
    // Makes `index` the current screen; `page` is the page the contents tree opens.
    void SwitchScreen(int index, const QString& page, int sourceKind = -1, int sourceIndex = -1);

    // Who takes a file dropped on the window: the HTML frame (pages, texts,
    // pictures), the archive handling (.rar), the media player (.wav, .mp3,
    // .mpa), or nobody. Only the first 200 characters count.
    enum DropKind { DropNone = 0, DropPage = 1, DropArchive = 2, DropSound = 3 };
    static int dropTarget(const QString& fileName);

    // Where the window is in its life: one value for start-up and shut-down.
    enum class State { Created, Starting, Opening, Running, Closing, Terminating, Destroyed };
    State state() const { return m_state; }

    // The parts of the window claim what they serve: verbs of the command
    // dispatcher, actions of the keyboard table, and dropped files of a kind
    // (the kinds of dropTarget()).
    void claimVerb(Verb verb, TCommandDispatcher::Handler handler);
    void claimKey(TKeyboardMap::Action action, std::function<void()> handler);
    void claimDrop(int kind, std::function<void(const QString& file)> handler);

    // TDispatchTarget
    bool buttonSoundsOn() const override { return m_book->options().wav; }
    void playButtonSound(const QString& pathText) override;
    int screenCount() const override;
    void execute(const RCommand& command) override;

    // The skin's mouse handling, for the parts that act on the skin: a left
    // press at `p` (a switch shows as pressed again), a move (to (-1, -1):
    // no element keeps its hover look).
    void pressSkin(QPoint p);
    void skinMouseMove(QPoint p);
    // The hint areas follow the elements' hints again (chapter buttons).
    void refreshHints() { syncHintAreas(); }
    TReadingScreen* reading() const { return m_reading; }
    // Sound, clips and the background music (null until the widgets exist).
    TMediaHost* media() const { return m_media; }
    TArchiveHost* archives() const { return m_archiveHost; }
    // The search fields and their searches (null without `_findtxt` elements).
    TFindTxtHtml* textSearch() const { return m_search; }
    // The skinned dialog (null without "Dialog.cfs" or before it exists).
    TCoolDialog* dialog() const;
    // A key press through the window's keyboard table (the dialog's Esc);
    // true when a part of the window took it.
    bool runKey(int key, Qt::KeyboardModifiers modifiers);
    // Before a bare screen number switches: the search stops, the dialog closes.
    void closeSearchDialog() override;
    // The messages between running copies (registration, handlers, requests).
    TInstanceMessages* messages() const { return m_messages; }
    // The thesaurus window: a page record (kind 0) loads its text into the
    // frame and brings the window to the front; closing it closes no other
    // copies. The window registers with the other copies when it is first
    // shown, under its caption then ("Тезаурус").
    void setThesaurusInstance(bool on) { m_thesaurusMode = on; }
    bool thesaurusInstance() const { return m_thesaurusMode; }
    bool commandLineMode() const { return m_commandLineMode; }
    // The document the standard look shows (other copies ask about it).
    const QString& documentPath() const { return m_documentPath; }
    void setDocumentPath(const QString& path) { m_documentPath = path; }
    TStandardLook* standardLook() const { return m_standard; }
    // The thesaurus lookup (verb tesaurus, Shift+T) and its hook to a
    // running thesaurus window.
    TThesaurusOpener* thesaurus() const { return m_thesaurus; }
    // This copy is the thesaurus window ("/t").
    bool thesaurusMode() const { return m_thesaurusMode; }
    // The skinned look again after the standard look: the skin's size.
    void restoreSkinnedLook();

    // For the options window and the tests.
    void setButtonSoundsOn(bool on) { m_book->options().wav = on; }
    TBook& book() { return *m_book; }
    const QString& title() const { return m_book->title(); }
    const StructModel& model() const { return m_book->model(); }
    TSkinElements* elements() const { return m_elements; }
    const BookPaths& paths() const { return m_book->paths(); }
    int currentScreen() const;
    bool openingRunning() const { return m_state == State::Opening; }
    bool closingRunning() const { return m_state == State::Closing; }
    bool windowFadeRunning() const;
    TButtonSounds* sounds() const { return m_sounds; }
    TTextMsg* texts() const { return m_texts; }
    TStatusLine* statusLine() const { return m_status; }
    TPathInputBox* pathBoxes() const { return m_pathBox; }
    TScaleBar* scaleBar() const { return m_scaleBar; }
    QLabel* piston() const { return m_piston; }
    const QStringList& registeredFonts() const { return m_book->registeredFonts(); }
    // The last verbs acted upon (newest last), for the tests and diagnostics.
    const QList<RCommand>& executed() const { return m_executed; }

    // The slide areas, the font installer and the cover video.
    TVisualHost* visuals() const { return m_visual; }
    // Moves the window with the pointer (the system's move, or by hand
    // without a window manager) from the press at `global`.
    void startWindowMove(QPoint global);

    // The first frame is on the screen: work that need not delay it follows.
    bool firstFrameDone() const { return m_firstFrame; }

signals:
    void firstFrameShown();

protected:
    void paintEvent(QPaintEvent* e) override;
    void mouseMoveEvent(QMouseEvent* e) override;
    void mousePressEvent(QMouseEvent* e) override;
    void mouseReleaseEvent(QMouseEvent* e) override;
    void leaveEvent(QEvent* e) override;
    void keyPressEvent(QKeyEvent* e) override;
    void closeEvent(QCloseEvent* e) override;
    void showEvent(QShowEvent* e) override;
    void dragEnterEvent(QDragEnterEvent* e) override;
    void dropEvent(QDropEvent* e) override;
    bool eventFilter(QObject* watched, QEvent* e) override;

private:
    void syncHintAreas();
    void replay(bool afterSwitch);
    void createWidgets();
    void showScreenWidgets(const QString& page = QString());
    void showWithOpeningAnimation();
    // After the start clip: the window at once, in its final shape.
    void showWithoutAnimation();
    void startClosing();
    void FormDestroy();
    void elementMove(QPoint p, Qt::MouseButtons buttons, QPoint global);
    void elementDown(QPoint p, Qt::MouseButton button, Qt::KeyboardModifiers mods, QPoint global);
    void elementUp(QPoint p, Qt::MouseButton button);
    void pressSwitchesWith(const QString& command);
    // The keyboard table; true when the key was taken.
    bool handleKey(QKeyEvent* e);
    void claimOwnVerbs();
    // A document (or help page) in the standard look, for a command-line start.
    std::optional<int> startStandardWindow(const QString& document, bool help);
    // The thesaurus window showing `page`, for a "/t" start.
    std::optional<int> startThesaurusWindow(const QString& page);
    // The window icon from a pack picture (none: unchanged).
    void applyIcon(const QString& name);
    // The skin elements of the model, wired to this window.
    void createElements();
    bool started() const { return m_state != State::Created && m_state != State::Starting; }

    std::unique_ptr<TBook> m_book;
    TCommandDispatcher m_dispatcher;
    QHash<int, std::function<void()>> m_keyHandlers;
    QHash<int, std::function<void(const QString&)>> m_dropHandlers;
    TSkinElements* m_elements = nullptr;
    TEffCar* m_windowFade = nullptr;
    TButtonSounds* m_sounds = nullptr;
    QList<TMyControl*> m_hintAreas;
    TTextMsg* m_texts = nullptr;
    TStatusLine* m_status = nullptr;
    TPathInputBox* m_pathBox = nullptr;
    TScaleBar* m_scaleBar = nullptr;
    QLabel* m_piston = nullptr;
    TReadingScreen* m_reading = nullptr;
    TSearchHost* m_searchHost = nullptr;
    TMediaHost* m_media = nullptr;
    TFindTxtHtml* m_search = nullptr;
    TDialogHost* m_dialogHost = nullptr;
    TArchiveHost* m_archiveHost = nullptr;
    TStandardLook* m_standard = nullptr;
    TThesaurusOpener* m_thesaurus = nullptr;
    TVisualHost* m_visual = nullptr;
    TInstanceMessages* m_messages = nullptr;
    QString m_documentPath;
    QMovie* m_pistonMovie = nullptr;
    QList<RCommand> m_executed;

    TWindowAnimator* m_animator = nullptr;

    State m_state = State::Created;
    bool m_commandLineMode = false;
    bool m_thesaurusMode = false;
    bool m_replaying = false;
    bool m_firstFrame = false;
    int m_lastPressedButton = -1;

    // Moving the window by hand when no window manager takes the move.
    bool m_dragging = false;
    QPoint m_dragOffset;
};
