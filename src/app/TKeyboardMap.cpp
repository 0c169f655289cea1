#include "app/TKeyboardMap.h"

TKeyboardMap::Result TKeyboardMap::map(int key, Qt::KeyboardModifiers modifiers,
                                       const Context& context) {
    Result r;
    if (context.windowFadeRunning)
        return r;

    // Modifier tests are exact: Shift+Z is Shift alone, Ctrl+Shift+Z both.
    const Qt::KeyboardModifiers mods =
        modifiers & (Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier);
    const bool none = mods == Qt::NoModifier;
    const bool shift = mods == Qt::ShiftModifier;
    const bool ctrl = mods == Qt::ControlModifier;
    const bool ctrlShift = mods == (Qt::ShiftModifier | Qt::ControlModifier);

    auto set = [&r](Action a, const QString& command = QString()) {
        r.action = a;
        r.command = command;
        r.consumed = true;
        return r;
    };

    if (key == Qt::Key_Escape && none) {
        if (context.commandLineMode || context.helpMode)
            return set(Action::Quit);
        if (context.searchDialogVisible && context.textSearchExists)
            return set(Action::SearchEscape);
        return set(Action::CloseDialogOrPopup);
    }
    if (key == Qt::Key_F1)
        return set(Action::Help);

    // The reading keys: screen 2, or the standard window, with an HTML frame.
    const bool reading =
        (context.screen == 1 || context.commandLineMode) && context.htmlFrameExists;
    if (!reading)
        return r;
    switch (key) {
    case Qt::Key_T:
        if (shift)
            return set(Action::Thesaurus);
        break;
    case Qt::Key_Z:
        if (shift)
            return set(Action::PressTree1Switches);
        if (ctrlShift)
            return set(Action::PressOffTreeSwitches);
        break;
    case Qt::Key_Up:
        if (shift)
            return set(Action::Command, QStringLiteral("prevchapter"));
        break;
    case Qt::Key_Down:
        if (shift)
            return set(Action::Command, QStringLiteral("nextchapter"));
        break;
    case Qt::Key_Home:
        if (shift)
            return set(Action::Command, QStringLiteral("1"));
        break;
    case Qt::Key_I:
        if (ctrl)
            return set(Action::AddFavorite);
        break;
    case Qt::Key_P:
        if (ctrl)
            return set(Action::Print);
        break;
    case Qt::Key_F:
        if (ctrl && context.screen == 1)
            return set(Action::SearchDialog);
        break;
    case Qt::Key_A:
        if (ctrl)
            return set(Action::HtmlSelectAll);
        break;
    default:
        break;
    }
    return r;
}
