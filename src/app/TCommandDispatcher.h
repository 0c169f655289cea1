#pragma once

#include <QHash>
#include <QString>

#include <functional>

class BookPaths;

// Every verb the skin's command texts may carry, in the order they are tried.
enum class Verb {
    None,
    Exit,
    Screen, // "screen" in the verb part, or a bare screen number
    Video2d,
    Video3d,
    Run,
    About,
    Minimize,
    Tree1,
    Tree2,
    TreeOn,
    TreeOff,
    HistoryBack,
    HistoryForward,
    ShowFavorite,
    AddToFavorite,
    DeleteFromFavorite,
    Tesaurus,
    ContextMenu,
    Back,
    Forward,
    Html,
    CopyHtml,
    PrintHtml,
    TopHtml,
    NextChapter,
    PrevChapter,
    FindNext,
    FindTxtAll,
    FindTxtLimit,
    CaseOn,
    CaseOff,
    BgSound,
    StandartWin,
    Options,
    Help,
    Unarc,
    Play,
    Stop,
    Pause,
    StepForward,
    StepBack,
    Clip,
    NextPic,
    PrevPic,
    InstallFonts,
};

// Where a command came from.
enum SourceKind { FromButton = 0, FromSwitchOne = 1, FromSwitchGrp = 2 };

// A recognised command: the verb with its parts taken from the text.
struct RCommand {
    Verb verb = Verb::None;
    QString text;
    QString value;   // ValueOf, path-resolved (run, html, clip, screen page)
    QString second;  // SecondValueOf, path-resolved (run, clip)
    int number = -1; // screen number (from 1), frame, popup or field number
    int sourceKind = FromButton;
    int sourceIndex = 0;
    bool replay = false;
};

// What the dispatcher reaches. Each verb goes to the object that serves it;
// a service the book does not have leaves the verb without effect.
class TDispatchTarget {
public:
    virtual ~TDispatchTarget() = default;
    virtual bool dispatchBusy() const;       // the busy flag (hourglass)
    virtual bool buttonSoundsOn() const = 0; // the `Wav` setting
    virtual void playButtonSound(const QString& pathText) = 0;
    virtual int screenCount() const = 0;
    // Before a bare screen number switches: close the search dialog.
    virtual void closeSearchDialog() {}
    virtual void execute(const RCommand& command) = 0;
};

// Turns a command text into an action: plays the element's sound, recognises
// the verb and hands it to the target.
class TCommandDispatcher {
public:
    explicit TCommandDispatcher(TDispatchTarget& target, const BookPaths* paths = nullptr)
        : m_target(target), m_paths(paths) {}

    void setPaths(const BookPaths* paths) { m_paths = paths; }

    // Returns the verb that was acted upon (None when the command was ignored).
    Verb Dispatch(const QString& command, const QString& sound, bool replay, int sourceKind,
                  int sourceIndex);

    // The table rows (no side effects): which verb a command text names.
    // Screen verbs and numbers are not part of the table (see Dispatch).
    static Verb tableVerb(const QString& command);
    // The text before the first '=' (empty when there is none).
    static QString verbPart(const QString& command);

    bool caseSensitive() const { return m_caseSensitive; }

    // Each part of the window claims the verbs it serves where it lives; a
    // later claim of the same verb replaces the earlier one.
    using Handler = std::function<void(const RCommand&)>;
    void claim(Verb verb, Handler handler);
    // Runs the claimed handler; false when no part serves the verb.
    bool run(const RCommand& command) const;

private:
    QHash<int, Handler> m_handlers;
    TDispatchTarget& m_target;
    const BookPaths* m_paths = nullptr;
    bool m_caseSensitive = false;
};
