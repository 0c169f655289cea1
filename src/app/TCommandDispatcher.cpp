#include "app/TCommandDispatcher.h"

#include "data/BookPaths.h"
#include "data/StringUtils.h"
#include "platform/Busy.h"
#include "platform/Cp1251.h"

#include <array>
#include <utility>

bool TDispatchTarget::dispatchBusy() const {
    return busy::isBusy();
}

QString TCommandDispatcher::verbPart(const QString& command) {
    const qsizetype eq = command.indexOf(QLatin1Char('='));
    return eq < 0 ? QString() : command.left(eq);
}

namespace {

enum class Match { Exact, Contains, VerbEquals, VerbContains };

struct Row {
    const char* word;
    Match match;
    Verb verb;
};

// The table, in the order the verbs are tried.
constexpr std::array<Row, 43> kTable{{
    {"2d", Match::Exact, Verb::Video2d},
    {"3d", Match::Exact, Verb::Video3d},
    {"run", Match::VerbEquals, Verb::Run},
    {"about", Match::Exact, Verb::About},
    {"minimize", Match::Exact, Verb::Minimize},
    {"tree1", Match::Contains, Verb::Tree1},
    {"tree2", Match::Contains, Verb::Tree2},
    {"ontree", Match::Contains, Verb::TreeOn},
    {"offtree", Match::Contains, Verb::TreeOff},
    {"historyback", Match::Exact, Verb::HistoryBack},
    {"historyforward", Match::Exact, Verb::HistoryForward},
    {"showfavorite", Match::Exact, Verb::ShowFavorite},
    {"addtofavorite", Match::Exact, Verb::AddToFavorite},
    {"deletefromfavorite", Match::Exact, Verb::DeleteFromFavorite},
    {"tesaurus", Match::Exact, Verb::Tesaurus},
    {"contextmenu", Match::Contains, Verb::ContextMenu},
    {"back", Match::Exact, Verb::Back},
    {"forward", Match::Exact, Verb::Forward},
    {"html", Match::VerbContains, Verb::Html},
    {"copyhtml", Match::Exact, Verb::CopyHtml},
    {"printhtml", Match::Exact, Verb::PrintHtml},
    {"tophtml", Match::Exact, Verb::TopHtml},
    {"nextchapter", Match::Exact, Verb::NextChapter},
    {"prevchapter", Match::Exact, Verb::PrevChapter},
    {"findnext", Match::Contains, Verb::FindNext},
    {"findtxtall", Match::Contains, Verb::FindTxtAll},
    {"findtxtlimit", Match::Contains, Verb::FindTxtLimit},
    {"caseon", Match::Exact, Verb::CaseOn},
    {"caseoff", Match::Exact, Verb::CaseOff},
    {"bgsound", Match::Exact, Verb::BgSound},
    {"standartwin", Match::Exact, Verb::StandartWin},
    {"options", Match::Exact, Verb::Options},
    {"help", Match::Exact, Verb::Help},
    {"unarc", Match::Exact, Verb::Unarc},
    {"play", Match::Exact, Verb::Play},
    {"stop", Match::Exact, Verb::Stop},
    {"pause", Match::Exact, Verb::Pause},
    {"stepforward", Match::Exact, Verb::StepForward},
    {"stepback", Match::Exact, Verb::StepBack},
    {"clip", Match::VerbContains, Verb::Clip},
    {"nextpic", Match::Exact, Verb::NextPic},
    {"prevpic", Match::Exact, Verb::PrevPic},
    {"installfonts", Match::Exact, Verb::InstallFonts},
}};

bool matches(const Row& row, const QString& command, const QString& verb) {
    const QLatin1String word(row.word);
    switch (row.match) {
    case Match::Exact:
        return command == word;
    case Match::Contains:
        return command.contains(word);
    case Match::VerbEquals:
        return verb == word;
    case Match::VerbContains:
        return !verb.isEmpty() && verb.contains(word);
    }
    return false;
}

// Verbs that act only when a button gave them (they open a popup under it,
// or toggle a setting that belongs to a button).
bool buttonOnly(Verb verb) {
    switch (verb) {
    case Verb::HistoryBack:
    case Verb::HistoryForward:
    case Verb::ShowFavorite:
    case Verb::DeleteFromFavorite:
    case Verb::ContextMenu:
    case Verb::BgSound:
        return true;
    default:
        return false;
    }
}

} // namespace

Verb TCommandDispatcher::tableVerb(const QString& command) {
    const QString verb = verbPart(command);
    for (const Row& row : kTable)
        if (matches(row, command, verb))
            return row.verb;
    return Verb::None;
}

Verb TCommandDispatcher::Dispatch(const QString& command, const QString& sound, bool replay,
                                  int sourceKind, int sourceIndex) {
    // 1. A busy application takes no commands.
    if (m_target.dispatchBusy())
        return Verb::None;

    RCommand cmd;
    cmd.text = command;
    cmd.sourceKind = sourceKind;
    cmd.sourceIndex = sourceIndex;
    cmd.replay = replay;

    // 2. "exit": no sound now; the exit button's sound plays while the program ends.
    if (command == QLatin1String("exit")) {
        cmd.verb = Verb::Exit;
        m_target.execute(cmd);
        return Verb::Exit;
    }

    // 3. The element's sound.
    if (!replay && !sound.isEmpty() && sound != QLatin1String("no") && m_target.buttonSoundsOn()) {
        const QString base = m_paths ? m_paths->baseDir() : QString();
        m_target.playButtonSound(BookPaths::joinPath(base, sound));
    }

    const QString verb = verbPart(command);
    const bool hasValue = command.contains(QLatin1Char('='));

    // 4. Screen verbs: "screen2=" + page, "screen3".
    if (cp1251::lowerAscii(verb).contains(QLatin1String("screen"))) {
        const int number = qBound(-32767, cfs::readInt(verb, 0), 32767);
        cmd.verb = Verb::Screen;
        cmd.number = number;
        cmd.value = hasValue ? cfs::valueOf(command, m_paths) : QString();
        // A number outside the book's screens would select no screen at all.
        if (number < 1 || number > m_target.screenCount())
            return Verb::None;
        m_target.execute(cmd);
        return Verb::Screen;
    }

    // 5. The table.
    cmd.verb = tableVerb(command);
    if (cmd.verb != Verb::None) {
        if (buttonOnly(cmd.verb) && sourceKind != FromButton)
            return Verb::None;
        switch (cmd.verb) {
        case Verb::Run:
        case Verb::Clip:
            cmd.value = cfs::valueOf(command, m_paths);
            cmd.second = cfs::secondValueOf(command, m_paths);
            break;
        case Verb::Html:
            cmd.number = qBound(-32767, cfs::readInt(command, 4), 32767);
            cmd.value = cfs::valueOf(command, m_paths);
            break;
        case Verb::ContextMenu:
            cmd.number = qBound(-32767, cfs::readInt(command, 10), 32767);
            break;
        case Verb::FindNext:
            cmd.number = qBound(-32767, cfs::readInt(command, 8), 32767);
            break;
        case Verb::CaseOn:
            m_caseSensitive = true;
            break;
        case Verb::CaseOff:
            m_caseSensitive = false;
            break;
        default:
            break;
        }
        m_target.execute(cmd);
        return cmd.verb;
    }

    // 6. A bare screen number ("1", "screen2" without "=" is taken above).
    const int number = cfs::readInt(command, 0);
    if (number >= 1 && number <= m_target.screenCount()) {
        m_target.closeSearchDialog();
        cmd.verb = Verb::Screen;
        cmd.number = number;
        m_target.execute(cmd);
        return Verb::Screen;
    }
    return Verb::None;
}

void TCommandDispatcher::claim(Verb verb, Handler handler) {
    m_handlers.insert(int(verb), std::move(handler));
}

bool TCommandDispatcher::run(const RCommand& command) const {
    const auto it = m_handlers.constFind(int(command.verb));
    if (it == m_handlers.constEnd() || !*it)
        return false;
    (*it)(command);
    return true;
}
