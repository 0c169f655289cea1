#pragma once

#include "app/TCommandDispatcher.h"
#include "app/TSingleInstance.h"
#include "skin/TSkinElements.h"
#include "content/ContentArchive.h"
#include "data/BookPaths.h"
#include "data/StructModel.h"
#include "data/TReadBin.h"

#include <QList>
#include <QPoint>
#include <QStringList>
#include <QWidget>

#include <memory>
#include <optional>

class QLabel;
class QMovie;
class TPathInputBox;
class TScaleBar;
class TStatusLine;
class TTextMsg;
class TButtonSounds;
class TEffCar;
class TMyControl;
class TSettingsStore;
class TSuperTimer;
class TWindowAnimation;

// The book's main window: a borderless window whose surface is the skin of
// the current screen, with its buttons and switches. Its creation runs the
// start-up (paths, content archive, command line, resource pack, description,
// one running copy per book, fonts, screen 1, replay of the switches, the
// opening animation); closing runs the closing animation and saves the
// stored switch states.
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

    // Who takes a file dropped on the window: 1 the HTML frame (pages,
    // texts, pictures), 2 the archive handling (.rar), 3 the media player
    // (.wav, .mp3, .mpa), 0 nobody. Only the first 200 characters count.
    static int dropTarget(const QString& fileName);

    // TDispatchTarget
    bool buttonSoundsOn() const override { return m_wav; }
    void playButtonSound(const QString& pathText) override;
    int screenCount() const override;
    void execute(const RCommand& command) override;

    // For the options window and the tests.
    void setButtonSoundsOn(bool on) { m_wav = on; }
    const QString& title() const { return m_model.title; }
    const StructModel& model() const { return m_model; }
    TSkinElements* elements() const { return m_elements; }
    const BookPaths& paths() const { return m_paths; }
    int currentScreen() const;
    bool openingRunning() const;
    bool closingRunning() const { return m_closing; }
    bool windowFadeRunning() const;
    TButtonSounds* sounds() const { return m_sounds; }
    TTextMsg* texts() const { return m_texts; }
    TStatusLine* statusLine() const { return m_status; }
    TPathInputBox* pathBoxes() const { return m_pathBox; }
    TScaleBar* scaleBar() const { return m_scaleBar; }
    QLabel* piston() const { return m_piston; }
    const QStringList& registeredFonts() const { return m_fontFiles; }
    // The last verbs acted upon (newest last), for the tests and diagnostics.
    const QList<RCommand>& executed() const { return m_executed; }

protected:
    void paintEvent(QPaintEvent* e) override;
    void mouseMoveEvent(QMouseEvent* e) override;
    void mousePressEvent(QMouseEvent* e) override;
    void mouseReleaseEvent(QMouseEvent* e) override;
    void leaveEvent(QEvent* e) override;
    void keyPressEvent(QKeyEvent* e) override;
    void closeEvent(QCloseEvent* e) override;
    void dragEnterEvent(QDragEnterEvent* e) override;
    void dropEvent(QDropEvent* e) override;
    bool eventFilter(QObject* watched, QEvent* e) override;

private:
    QImage loadPackPicture(const QString& name) const;
    void registerFonts();
    void unregisterFonts();
    void syncHintAreas();
    void replay(bool afterSwitch);
    void applyRegion(const QRegion& region);
    void createWidgets();
    void showScreenWidgets();
    void showWithOpeningAnimation();
    void openingTick();
    void startClosing();
    void closingTick();
    void FormDestroy();
    void elementMove(QPoint p, Qt::MouseButtons buttons, QPoint global);
    void elementDown(QPoint p, Qt::MouseButton button, Qt::KeyboardModifiers mods, QPoint global);
    void elementUp(QPoint p, Qt::MouseButton button);
    void pressSwitchesWith(const QString& command);
    // The keyboard table; true when the key was taken.
    bool handleKey(QKeyEvent* e);
    void runProgram(const QString& program, const QString& parameters);
    void showHelp();
    QString nativeOf(const QString& pathText) const;

    BookPaths m_paths;
    ContentArchive m_archive;
    TReadBin m_pack;
    StructModel m_model;
    std::unique_ptr<TSettingsStore> m_settings;
    TSingleInstance m_instance;
    TCommandDispatcher m_dispatcher;
    TSkinElements* m_elements = nullptr;
    TEffCar* m_windowFade = nullptr;
    TButtonSounds* m_sounds = nullptr;
    QList<TMyControl*> m_hintAreas;
    TTextMsg* m_texts = nullptr;
    TStatusLine* m_status = nullptr;
    TPathInputBox* m_pathBox = nullptr;
    TScaleBar* m_scaleBar = nullptr;
    QLabel* m_piston = nullptr;
    QMovie* m_pistonMovie = nullptr;
    QList<int> m_fontIds;
    QStringList m_fontFiles;
    QList<RCommand> m_executed;

    TSuperTimer* m_animTimer = nullptr;
    std::unique_ptr<TWindowAnimation> m_animation;
    QSize m_restSize; // the window size the opening animation started with

    bool m_commandLineMode = false;
    bool m_started = false;
    bool m_wav = true;
    bool m_opening = false;
    bool m_closing = false;
    bool m_terminating = false;
    bool m_destroyed = false;
    bool m_replaying = false;
    bool m_firstFrame = false;
    int m_lastPressedButton = -1;

    // Moving the window by hand when no window manager takes the move.
    bool m_dragging = false;
    QPoint m_dragOffset;
};
