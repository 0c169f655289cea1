#include "app/TCommandDispatcher.h"
#include "app/TKeyboardMap.h"
#include "data/BookPaths.h"

#include <QTest>

namespace {

// Records what the dispatcher hands on.
class Target : public TDispatchTarget {
public:
    bool busy = false;
    bool wav = true;
    int screens = 3;
    int searchClosed = 0;
    QStringList sounds;
    QList<RCommand> done;

    bool dispatchBusy() const override { return busy; }
    bool buttonSoundsOn() const override { return wav; }
    void playButtonSound(const QString& path) override { sounds.append(path); }
    int screenCount() const override { return screens; }
    void closeSearchDialog() override { ++searchClosed; }
    void execute(const RCommand& c) override { done.append(c); }
};

} // namespace

class TestDispatch : public QObject {
    Q_OBJECT
private slots:
    void tableVerbs_data();
    void tableVerbs();
    void busyIgnoresEverything();
    void exitPlaysNoSound();
    void soundRules();
    void screenVerbsAndNumbers();
    void buttonOnlyVerbs();
    void valuesAndNumbers();
    void caseFlag();
    void keyboard();
};

void TestDispatch::tableVerbs_data() {
    QTest::addColumn<QString>("command");
    QTest::addColumn<int>("verb");
    auto row = [](const char* c, Verb v) { QTest::newRow(c) << QString::fromLatin1(c) << int(v); };
    row("2d", Verb::Video2d);
    row("3d", Verb::Video3d);
    row("run=prog.exe=-x", Verb::Run);
    row("runner=x", Verb::None); // the verb must equal "run"
    row("about", Verb::About);
    row("minimize", Verb::Minimize);
    row("showtree1", Verb::Tree1);
    row("tree2", Verb::Tree2);
    row("ontree", Verb::TreeOn);
    row("offtree", Verb::TreeOff);
    row("historyback", Verb::HistoryBack);
    row("historyforward", Verb::HistoryForward);
    row("showfavorite", Verb::ShowFavorite);
    row("addtofavorite", Verb::AddToFavorite);
    row("deletefromfavorite", Verb::DeleteFromFavorite);
    row("tesaurus", Verb::Tesaurus);
    row("contextmenu3", Verb::ContextMenu);
    row("back", Verb::Back);
    row("forward", Verb::Forward);
    row("html2=page.htm", Verb::Html);
    row("copyhtml", Verb::CopyHtml);
    row("printhtml", Verb::PrintHtml);
    row("tophtml", Verb::TopHtml);
    row("nextchapter", Verb::NextChapter);
    row("prevchapter", Verb::PrevChapter);
    row("findnext2", Verb::FindNext);
    row("findtxtall", Verb::FindTxtAll);
    row("findtxtlimit", Verb::FindTxtLimit);
    row("caseon", Verb::CaseOn);
    row("caseoff", Verb::CaseOff);
    row("bgsound", Verb::BgSound);
    row("standartwin", Verb::StandartWin);
    row("options", Verb::Options);
    row("help", Verb::Help);
    row("unarc", Verb::Unarc);
    row("play", Verb::Play);
    row("stop", Verb::Stop);
    row("pause", Verb::Pause);
    row("stepforward", Verb::StepForward);
    row("stepback", Verb::StepBack);
    row("clip=a.avi=b.htm", Verb::Clip);
    row("nextpic", Verb::NextPic);
    row("prevpic", Verb::PrevPic);
    row("installfonts", Verb::InstallFonts);
    // Table order decides: "tree1" is tried before "html", "html" before "clip".
    row("html1=tree1.htm", Verb::Tree1);
    row("htmlclip=x", Verb::Html);
    row("aboutx", Verb::None);
    row("back ", Verb::None);
}

void TestDispatch::tableVerbs() {
    QFETCH(QString, command);
    QFETCH(int, verb);
    QCOMPARE(int(TCommandDispatcher::tableVerb(command)), verb);
}

void TestDispatch::busyIgnoresEverything() {
    Target t;
    t.busy = true;
    TCommandDispatcher d(t);
    QCOMPARE(d.Dispatch("exit", "click.wav", false, 0, 0), Verb::None);
    QCOMPARE(d.Dispatch("about", "click.wav", false, 0, 0), Verb::None);
    QCOMPARE(d.Dispatch("2", "", false, 0, 0), Verb::None);
    QVERIFY(t.done.isEmpty());
    QVERIFY(t.sounds.isEmpty());
}

void TestDispatch::exitPlaysNoSound() {
    Target t;
    BookPaths paths("/book/run/");
    TCommandDispatcher d(t, &paths);
    QCOMPARE(d.Dispatch("exit", "bye.wav", false, FromButton, 4), Verb::Exit);
    QVERIFY(t.sounds.isEmpty());
    QCOMPARE(t.done.size(), 1);
    QCOMPARE(t.done[0].sourceIndex, 4);
    // Only the exact word; "exit2" is just a screen number.
    QCOMPARE(d.Dispatch("exit2", "", false, FromButton, 4), Verb::Screen);
}

void TestDispatch::soundRules() {
    Target t;
    BookPaths paths("/book/run/");
    TCommandDispatcher d(t, &paths);
    d.Dispatch("about", "snd\\click.wav", false, 0, 0);
    QCOMPARE(t.sounds, QStringList{"\\book\\run\\snd\\click.wav"});
    d.Dispatch("about", "click.wav", true, 0, 0); // replayed: silent
    d.Dispatch("about", "no", false, 0, 0);
    d.Dispatch("about", "", false, 0, 0);
    t.wav = false;
    d.Dispatch("about", "click.wav", false, 0, 0);
    QCOMPARE(t.sounds.size(), 1);
    // Unknown words still sound (the sound comes before the verb).
    t.wav = true;
    d.Dispatch("nothing", "click.wav", false, 0, 0);
    QCOMPARE(t.sounds.size(), 2);
    QCOMPARE(t.done.size(), 5);
}

void TestDispatch::screenVerbsAndNumbers() {
    Target t;
    BookPaths paths("/book/run/");
    TCommandDispatcher d(t, &paths);
    QCOMPARE(d.Dispatch("screen2=pages\\engine.htm", "", false, FromButton, 1), Verb::Screen);
    QCOMPARE(t.done.last().number, 2);
    QCOMPARE(t.done.last().value, QString("\\book\\run\\pages\\engine.htm"));
    QCOMPARE(t.done.last().sourceIndex, 1);
    QCOMPARE(d.Dispatch("3", "", false, FromButton, 0), Verb::Screen);
    QCOMPARE(t.done.last().number, 3);
    QVERIFY(t.done.last().value.isEmpty());
    QCOMPARE(t.searchClosed, 1); // a bare number closes the search dialog first
    QCOMPARE(d.Dispatch("screen2", "", false, FromButton, 0), Verb::Screen);
    QCOMPARE(t.done.last().number, 2);
    // Numbers outside the book's screens do nothing.
    const qsizetype before = t.done.size();
    QCOMPARE(d.Dispatch("9", "", false, FromButton, 0), Verb::None);
    QCOMPARE(d.Dispatch("0", "", false, FromButton, 0), Verb::None);
    QCOMPARE(d.Dispatch("screen7=x.htm", "", false, FromButton, 0), Verb::None);
    QCOMPARE(d.Dispatch("screen=x.htm", "", false, FromButton, 0), Verb::None);
    QCOMPARE(t.done.size(), before);
    // "SCREEN" in the verb part is found without regard to case.
    QCOMPARE(d.Dispatch("Screen1=x.htm", "", false, FromButton, 0), Verb::Screen);
}

void TestDispatch::buttonOnlyVerbs() {
    Target t;
    TCommandDispatcher d(t);
    for (const char* c : {"historyback", "historyforward", "showfavorite", "deletefromfavorite",
                          "contextmenu3", "bgsound"}) {
        QCOMPARE(d.Dispatch(c, "", false, FromSwitchOne, 0), Verb::None);
        QCOMPARE(d.Dispatch(c, "", false, FromSwitchGrp, 0), Verb::None);
        QCOMPARE(d.Dispatch(c, "", false, FromButton, 2), TCommandDispatcher::tableVerb(c));
    }
    QCOMPARE(t.done.size(), 6);
}

void TestDispatch::valuesAndNumbers() {
    Target t;
    BookPaths paths("/book/run/");
    TCommandDispatcher d(t, &paths);
    d.Dispatch("html2=pages\\cool.htm", "", false, 0, 0);
    QCOMPARE(t.done.last().number, 2);
    QCOMPARE(t.done.last().value, QString("\\book\\run\\pages\\cool.htm"));
    d.Dispatch("run=tools\\viewer=-page 3", "", false, 0, 0);
    QCOMPARE(t.done.last().verb, Verb::Run);
    QCOMPARE(t.done.last().value, QString("\\book\\run\\tools\\viewer"));
    QCOMPARE(t.done.last().second, QString("-page 3"));
    d.Dispatch("contextmenu12", "", false, 0, 0);
    QCOMPARE(t.done.last().number, 12);
    d.Dispatch("findnext2", "", false, 0, 0);
    QCOMPARE(t.done.last().number, 2);
    d.Dispatch("clip=v\\a.avi=p.htm", "", false, 0, 0);
    QCOMPARE(t.done.last().value, QString("\\book\\run\\v\\a.avi"));
    QCOMPARE(t.done.last().second, QString("\\book\\run\\p.htm"));
}

void TestDispatch::caseFlag() {
    Target t;
    TCommandDispatcher d(t);
    QVERIFY(!d.caseSensitive());
    d.Dispatch("caseon", "", true, 1, 0);
    QVERIFY(d.caseSensitive());
    d.Dispatch("caseoff", "", true, 2, 0);
    QVERIFY(!d.caseSensitive());
}

void TestDispatch::keyboard() {
    using A = TKeyboardMap::Action;
    TKeyboardMap::Context reading;
    reading.screen = 1;
    reading.htmlFrameExists = true;
    auto act = [](int key, Qt::KeyboardModifiers m, const TKeyboardMap::Context& c) {
        return TKeyboardMap::map(key, m, c).action;
    };
    QCOMPARE(act(Qt::Key_F1, Qt::NoModifier, {}), A::Help);
    QCOMPARE(act(Qt::Key_Escape, Qt::NoModifier, {}), A::CloseDialogOrPopup);
    TKeyboardMap::Context search;
    search.searchDialogVisible = search.textSearchExists = true;
    QCOMPARE(act(Qt::Key_Escape, Qt::NoModifier, search), A::SearchEscape);
    TKeyboardMap::Context cmdline;
    cmdline.commandLineMode = true;
    QCOMPARE(act(Qt::Key_Escape, Qt::NoModifier, cmdline), A::Quit);

    QCOMPARE(act(Qt::Key_T, Qt::ShiftModifier, reading), A::Thesaurus);
    QCOMPARE(act(Qt::Key_Z, Qt::ShiftModifier, reading), A::PressTree1Switches);
    QCOMPARE(act(Qt::Key_Z, Qt::ShiftModifier | Qt::ControlModifier, reading),
             A::PressOffTreeSwitches);
    QCOMPARE(act(Qt::Key_Z, Qt::ControlModifier, reading), A::None); // exact modifiers
    QCOMPARE(act(Qt::Key_T, Qt::ShiftModifier | Qt::AltModifier, reading), A::None);
    const auto up = TKeyboardMap::map(Qt::Key_Up, Qt::ShiftModifier, reading);
    QCOMPARE(up.action, A::Command);
    QCOMPARE(up.command, QString("prevchapter"));
    QVERIFY(up.consumed);
    QCOMPARE(TKeyboardMap::map(Qt::Key_Down, Qt::ShiftModifier, reading).command,
             QString("nextchapter"));
    QCOMPARE(TKeyboardMap::map(Qt::Key_Home, Qt::ShiftModifier, reading).command, QString("1"));
    QCOMPARE(act(Qt::Key_I, Qt::ControlModifier, reading), A::AddFavorite);
    QCOMPARE(act(Qt::Key_P, Qt::ControlModifier, reading), A::Print);
    QCOMPARE(act(Qt::Key_F, Qt::ControlModifier, reading), A::SearchDialog);
    QCOMPARE(act(Qt::Key_A, Qt::ControlModifier, reading), A::HtmlSelectAll);

    // Screen 1: the reading keys do nothing; Ctrl+F only on screen 2 even in
    // command-line mode.
    TKeyboardMap::Context cover = reading;
    cover.screen = 0;
    QCOMPARE(act(Qt::Key_Home, Qt::ShiftModifier, cover), A::None);
    TKeyboardMap::Context standard = cover;
    standard.commandLineMode = true;
    QCOMPARE(act(Qt::Key_P, Qt::ControlModifier, standard), A::Print);
    QCOMPARE(act(Qt::Key_F, Qt::ControlModifier, standard), A::None);
    // No HTML frame: nothing.
    TKeyboardMap::Context noFrame = reading;
    noFrame.htmlFrameExists = false;
    QCOMPARE(act(Qt::Key_P, Qt::ControlModifier, noFrame), A::None);
    // Every key is ignored while the window fade runs.
    TKeyboardMap::Context fading = reading;
    fading.windowFadeRunning = true;
    QCOMPARE(act(Qt::Key_F1, Qt::NoModifier, fading), A::None);
    QCOMPARE(act(Qt::Key_Escape, Qt::NoModifier, fading), A::None);
}

QTEST_MAIN(TestDispatch)
#include "tst_dispatch.moc"
