#pragma once

#include <QString>
#include <Qt>

// The keyboard of the main window: which action a key press asks for in the
// window's present situation. Pure: the main window carries the action out.
class TKeyboardMap {
public:
    enum class Action {
        None,
        Quit,                 // the application ends (standard window of a help start)
        SearchEscape,         // close the idle search dialog, else stop the search
        CloseDialogOrPopup,   // the visible skinned dialog, else the control popup
        Help,                 // F1
        Thesaurus,            // lookup of the current word
        PressTree1Switches,   // click every switchone whose goup/godown is "tree1"
        PressOffTreeSwitches, // ... whose goup/godown is "offtree"
        Command,              // run `command` as a replayed button command (index 0)
        AddFavorite,
        Print,
        SearchDialog,
        HtmlSelectAll,
    };

    struct Context {
        bool windowFadeRunning = false;
        bool commandLineMode = false; // standard window started with a document
        bool helpMode = false;
        bool searchDialogVisible = false;
        bool textSearchExists = false;
        bool htmlFrameExists = false;
        int screen = 0; // current screen index
    };

    struct Result {
        Action action = Action::None;
        QString command;
        bool consumed = false;
    };

    static Result map(int key, Qt::KeyboardModifiers modifiers, const Context& context);
};
