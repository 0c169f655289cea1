#include "app/TMainForm.h"

#include "app/TAboutHost.h"
#include "app/TDesktopVerbs.h"
#include "app/TArchiveHost.h"
#include "app/TDialogHost.h"
#include "app/TInstanceMessages.h"
#include "app/TKeyboardMap.h"
#include "app/TMediaHost.h"
#include "app/TOptionsHost.h"
#include "app/TReadingScreen.h"
#include "app/TSearchHost.h"
#include "app/TStandardLook.h"
#include "app/TThesaurusOpener.h"
#include "app/TVisualHost.h"
#include "app/TWindowAnimation.h"
#include "app/TWindowAnimator.h"
#include "content/TComprStream.h"
#include "data/SettingsNames.h"
#include "data/SettingsStore.h"
#include "data/StringUtils.h"
#include "data/StructParser.h"
#include "data/TCommandLine.h"
#include "dialogs/TCoolDialog.h"
#include "dialogs/TStartClip.h"
#include "engine/TFrameViewer.h"
#include "media/TButtonSounds.h"
#include "platform/Busy.h"
#include "platform/Log.h"
#include "reader/THtmlFrame.h"
#include "skin/BmpDecoder.h"
#include "skin/TEffCar.h"
#include "skin/TMyControl.h"
#include "skin/TPathInputBox.h"
#include "skin/TScaleBar.h"
#include "skin/TStatusLine.h"
#include "skin/TSwitchStore.h"
#include "skin/TTextMsg.h"

#include <QAccessible>
#include <QApplication>
#include <QCloseEvent>
#include <QCursor>
#include <QDir>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileInfo>
#include <QFontDatabase>
#include <QLabel>
#include <QLoggingCategory>
#include <QMimeData>
#include <QMouseEvent>
#include <QMovie>
#include <QPainter>
#include <QTimer>
#include <QUrl>
#include <QWindow>

#include <algorithm>
#include <cstdio>
#include <thread>
#include <utility>

Q_LOGGING_CATEGORY(lcMain, "vantrel.main", QtWarningMsg)

using vlog::complain;

TMainForm::TMainForm(QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::FramelessWindowHint), m_book(std::make_unique<TBook>()),
      m_dispatcher(*this) {
    setAttribute(Qt::WA_OpaquePaintEvent);
    setAttribute(Qt::WA_AlwaysShowToolTips);
    setMouseTracking(true);
    setFocusPolicy(Qt::StrongFocus);
    QPalette pal = palette();
    pal.setColor(QPalette::Window, Qt::white);
    setPalette(pal);
    m_sounds = new TButtonSounds(this);
    qApp->installEventFilter(this);
    setAcceptDrops(true);
    m_animator = new TWindowAnimator(*this);
    m_messages = new TInstanceMessages(*this);
    claimOwnVerbs();
    new TDesktopVerbs(*this); // run, help
    m_thesaurus = new TThesaurusOpener(*this);
    // A running thesaurus window takes the page as a page record.
    m_thesaurus->sendToThesaurusWindow = [this](const QString& page) {
        return m_messages->showInThesaurus(page);
    };
}

TMainForm::~TMainForm() {
    m_animator->stop();
    FormDestroy();
}

std::optional<int> TMainForm::FormCreate(const QString& baseDir, const QStringList& args) {
    // Reading the system's font list takes a few milliseconds, and the
    // captions need it: read it on a second thread while the description is
    // read and parsed. Nothing is registered there; the book's fonts are
    // registered below as before (the font database waits for the list).
    std::jthread fontList([] { QFontDatabase::families(); });

    // 1-2. Paths and the content archive.
    m_state = State::Starting;
    m_book->open(baseDir);
    m_dispatcher.setPaths(&m_book->paths());

    // 5. Whole-window fade; command-line mode.
    m_windowFade = new TEffCar(this);
    m_windowFade->onFadeState = [this](bool running) {
        // The animated picture would cover the fade on the cover screen.
        if (m_piston && currentScreen() == 0)
            m_piston->setVisible(!running);
        if (m_reading)
            m_reading->setFadeRunning(running, currentScreen());
        if (m_searchHost)
            m_searchHost->setFadeRunning(running);
    };
    m_lastPressedButton = -1;
    // 6. The other two modes. "/t" anywhere asks for the thesaurus window; on
    // this system "/t" also begins many paths ("/tmp/page.htm"), so an
    // argument that names an existing file or folder is a document.
    const TCommandLine commandLine =
        TCommandLine::fromArguments(QCoreApplication::applicationFilePath(), args);
    m_commandLineMode = commandLine.commandLineMode();
    if (commandLine.thesaurus())
        return startThesaurusWindow(commandLine.document());
    if (m_commandLineMode)
        return startStandardWindow(commandLine.document(), commandLine.help());

    // 7-8. The resource pack and the description.
    QString error;
    if (!m_book->loadPack(&error) || !m_book->readStruct(&error)) {
        complain(error);
        return 1;
    }
    const StructModel& desc = m_book->model();

    // 9. One running copy per book title; a second copy ends quietly.
    if (!m_book->instance().tryTake(TSingleInstance::keyFor(desc.title))) {
        m_commandLineMode = true; // nothing to save when this copy ends
        return 0;
    }

    // 10. Title and caption.
    QApplication::setApplicationDisplayName(QString());
    QGuiApplication::setApplicationName(desc.title);
    setWindowTitle(desc.title);
    // Other copies find the window by its caption from now on.
    m_messages->open();
    applyIcon(desc.icon);

    // 12. The options window reads the program-wide settings.
    new TOptionsHost(*this);

    // The skin of screen 1 needs no fonts: read it while the font list is
    // still being read (screen 1 below takes it from here).
    QString skinName;
    QImage skin;
    if (!desc.screens.isEmpty()) {
        skinName = desc.screens[0].picture;
        skin = m_book->loadPicture(skinName);
    }

    // The first text field wakes the system's accessibility bridge, which
    // waits for the session bus (a millisecond or more): wake it now, while
    // the font list is still being read.
    QAccessible::isActive();

    // 16 (taken before the screen is built, so its captions have the book's fonts).
    fontList.join();
    m_book->registerFonts();

    // 13-14. Screen 1: skin, elements, stored switch states.
    if (desc.screens.isEmpty()) {
        complain(QStringLiteral("Struct.cfs describes no screen"));
        return 1;
    }
    switchstore::read(m_book->model(), *m_book->settings());
    createElements();
    m_elements->loadPicture = [this, skinName,
                               skin = std::move(skin)](const QString& name) mutable {
        if (!skin.isNull() && name == skinName)
            return std::exchange(skin, QImage());
        return m_book->loadPicture(name);
    };
    // The hover, pressed and other switch pictures follow the first frame.
    m_elements->buildScreen(0, TSkinElements::Faces::ShownApart);
    if (m_elements->skin().isNull()) {
        complain(QStringLiteral("the skin picture \"%1\" of screen 1 is not in Dod.dhl")
                     .arg(desc.screens[0].picture));
        return 1;
    }
    setFixedSize(m_elements->skin().size());
    // The captions of the resting pictures (the first use of their fonts
    // takes a few milliseconds) are drawn on a second thread while the
    // widgets are made; nothing here touches the pictures or the skin until
    // it is done.
    std::jthread captions([elements = m_elements] { elements->drawShownFaces(); });
    syncHintAreas();

    // 15. The widgets of the other parts that live on the skin.
    createWidgets();
    showScreenWidgets();
    captions.join();

    // 17. Replay of the switches of screen 1.
    replay(false);

    // 19-20. The start clip, which shows the window when it ends, or the
    // opening animation at once.
    if (!m_visual || !m_visual->runStartClip([this] { showWithoutAnimation(); }))
        showWithOpeningAnimation();
    // The player or the music begins after the first frame.
    if (m_media)
        m_media->startAfterOpening();

    // The skinned dialog, when the pack describes one.
    m_dialogHost = new TDialogHost(*this);
    new TAboutHost(*this); // the verb "about"
    m_archiveHost = new TArchiveHost(*this); // RAR links, drops and unarc
    return std::nullopt;
}

std::optional<int> TMainForm::startStandardWindow(const QString& document, bool help) {
    // The book's description gives the settings key and the icon; the
    // window shows the one document in a frame of its own.
    QString error;
    if (!m_book->loadPack(&error) || !m_book->readStruct(&error)) {
        complain(error);
        return 1;
    }
    StructModel& desc = m_book->model();
    if (!help)
        applyIcon(desc.icon);
    QString page = document;
    const QFileInfo onDisk(document);
    if (onDisk.exists())
        page = BookPaths::fromNative(onDisk.absoluteFilePath());
    else if (QFileInfo(QString(document).replace(u'\\', u'/')).isRelative())
        page = BookPaths::joinPath(paths().baseDir(), document);
    RHtml row;
    row.fn = page;
    desc.html = {row};
    desc.screens.clear();
    const QString caption = help ? TStandardLook::kHelpCaption : TStandardLook::kPictureCaption;
    QGuiApplication::setApplicationName(caption);
    setWindowTitle(caption);
    m_documentPath = page;
    m_messages->open();
    m_book->options().wav = false;
    m_reading = new TReadingScreen(*this, false);
    m_standard = new TStandardLook(*this, *m_reading);
    m_archiveHost = new TArchiveHost(*this); // RAR links in the document
    m_state = State::Running;
    m_standard->enter(page, true, help);
    if (!m_reading->frame() || !m_reading->frame()->CurrentViewer() ||
        m_reading->frame()->CurrentViewer()->isHidden())
        complain(QStringLiteral("%1: the document cannot be shown").arg(document));
    return std::nullopt;
}

std::optional<int> TMainForm::startThesaurusWindow(const QString& page) {
    // 1-2. The thesaurus's own description, its page in place of the one it names.
    m_thesaurusMode = true;
    QString error;
    if (!m_book->loadPack(&error) || !m_book->readThesaurus(&error)) {
        complain(error);
        return 1;
    }
    StructModel& desc = m_book->model();
    if (!page.isEmpty())
        for (RHtml& row : desc.html)
            row.fn = TThesaurusOpener::pagePath(page, m_book->paths());
    // 3. Caption; one thesaurus window: a running one is handed its pages
    // by the other copies, so this one ends quietly.
    const QString caption = QString::fromUtf16(TThesaurusOpener::kCaption);
    if (!m_book->instance().tryTake(TSingleInstance::keyFor(caption)))
        return 0;
    QApplication::setApplicationDisplayName(QString());
    QGuiApplication::setApplicationName(caption);
    setWindowTitle(caption);
    applyIcon(desc.icon);
    m_book->options().wav = m_book->settings()->boolOrWriteDefault(settings::Wav);
    m_book->registerFonts();

    // 4. Screen 1's skin and buttons, the texts, the page pane; no animation.
    if (desc.screens.isEmpty()) {
        complain(QStringLiteral("Tesaurus.cfs describes no screen"));
        return 1;
    }
    createElements();
    m_elements->buildScreen(0);
    if (m_elements->skin().isNull()) {
        complain(QStringLiteral("the skin picture \"%1\" of the thesaurus is not in Dod.dhl")
                     .arg(desc.screens[0].picture));
        return 1;
    }
    setFixedSize(m_elements->skin().size());
    syncHintAreas();
    const auto screenFn = [this] { return currentScreen(); };
    m_texts = new TTextMsg(desc.text, this, screenFn, this);
    m_status = new TStatusLine(m_texts, this);
    m_reading = new TReadingScreen(*this, false);
    m_searchHost = new TSearchHost(*this);
    m_search = m_searchHost->search();
    showScreenWidgets();
    m_state = State::Running;
    show();
    activateWindow();
    return std::nullopt;
}

void TMainForm::applyIcon(const QString& name) {
    if (name.isEmpty())
        return;
    const QImage icon = m_book->loadPicture(name);
    if (!icon.isNull())
        setWindowIcon(QIcon(QPixmap::fromImage(icon)));
}

void TMainForm::createElements() {
    m_elements = new TSkinElements(m_book->model(), TEffBtnCar::Clock::Timer, this);
    m_elements->loadPicture = [this](const QString& name) { return m_book->loadPicture(name); };
    m_elements->runCommand = [this](const TSkinElements::Run& r) {
        Dispatch(r.command, r.wav, false, r.kind, r.index);
    };
    m_elements->repaintRect = [this](const QRect& r) { repaint(r); };
    m_elements->windowFadeRunning = [this] { return windowFadeRunning(); };
}

void TMainForm::restoreSkinnedLook() {
    if (m_elements && !m_elements->skin().isNull())
        setFixedSize(m_elements->skin().size());
    update();
}

void TMainForm::syncHintAreas() {
    const auto areas = m_elements->hintAreas();
    while (m_hintAreas.size() < areas.size()) {
        auto* area = new TMyControl(this);
        area->onMove = [this](QMouseEvent* e, QPoint p) {
            elementMove(p, e->buttons(), e->globalPosition().toPoint());
        };
        area->onDown = [this](QMouseEvent* e, QPoint p) {
            elementDown(p, e->button(), e->modifiers(), e->globalPosition().toPoint());
        };
        area->onUp = [this](QMouseEvent* e, QPoint p) { elementUp(p, e->button()); };
        m_hintAreas.append(area);
    }
    for (qsizetype i = 0; i < m_hintAreas.size(); ++i) {
        TMyControl* area = m_hintAreas[i];
        if (i < areas.size() && areas[i].first.isValid()) {
            area->setGeometry(areas[i].first);
            area->setToolTip(areas[i].second);
            area->show();
        } else {
            area->hide();
        }
    }
}

void TMainForm::createWidgets() {
    const auto screenFn = [this] { return currentScreen(); };
    const StructModel& desc = m_book->model();
    m_texts = new TTextMsg(desc.text, this, screenFn, this);
    m_status = new TStatusLine(m_texts, this);
    m_pathBox = new TPathInputBox(desc.path, this, desc.title, screenFn, this);
    connect(m_pathBox, &TPathInputBox::skinMouseMove, this, [this](int x, int y) {
        if (m_elements)
            m_elements->mouseMove(QPoint(x, y));
    });
    // The panel, the content frame, the trees and the favourites; the
    // standard look of the same window.
    m_reading = new TReadingScreen(*this, true);
    m_standard = new TStandardLook(*this, *m_reading);
    m_scaleBar = new TScaleBar(&m_book->pack(), screenFn, this);
    m_searchHost = new TSearchHost(*this);
    m_search = m_searchHost->search();
    // The foreground player with its clip areas, and the background music.
    m_media = new TMediaHost(*this);

    // The animated picture of the cover; a book without it simply has none.
    try {
        auto* stream =
            new TComprStream(m_book->archive(), paths().baseDir() + QStringLiteral("piston.gif"));
        m_pistonMovie = new QMovie(stream, QByteArray(), this);
        stream->setParent(m_pistonMovie);
        if (m_pistonMovie->isValid()) {
            m_piston = new QLabel(this);
            m_piston->setAttribute(Qt::WA_TransparentForMouseEvents);
            m_piston->setMovie(m_pistonMovie);
            m_pistonMovie->jumpToFrame(0);
            m_piston->setGeometry(QRect(QPoint(583, 470), m_pistonMovie->currentImage().size()));
        } else {
            delete m_pistonMovie;
            m_pistonMovie = nullptr;
        }
    } catch (const FileOpenError&) {
    }
    m_visual = new TVisualHost(*this);
}

void TMainForm::showScreenWidgets(const QString& page) {
    if (m_pathBox)
        m_pathBox->showForScreen();
    if (m_reading)
        m_reading->showScreen(currentScreen(), page);
    if (m_searchHost)
        m_searchHost->showForScreen(currentScreen());
    if (m_media)
        m_media->showForScreen();
    if (m_visual)
        m_visual->showForScreen(currentScreen());
    if (m_piston) {
        // Hidden and stopped on the reading screen, animated on the others.
        const bool show = currentScreen() != 1;
        m_piston->setVisible(show);
        if (show)
            m_pistonMovie->start();
        else
            m_pistonMovie->stop();
    }
}

int TMainForm::currentScreen() const {
    return m_elements ? m_elements->screen() : -1;
}

int TMainForm::screenCount() const {
    return model().screens.size();
}

bool TMainForm::windowFadeRunning() const {
    return m_windowFade && m_windowFade->running();
}

Verb TMainForm::Dispatch(const QString& command, const QString& sound, bool replay, int sourceKind,
                         int sourceIndex) {
    return m_dispatcher.Dispatch(command, sound, replay, sourceKind, sourceIndex);
}

void TMainForm::playButtonSound(const QString& pathText) {
    m_sounds->play(m_book->nativeOf(pathText));
}

void TMainForm::replay(bool afterSwitch) {
    // A replayed command that switches screens would replay again without
    // end: switches of screens are not taken during a replay.
    m_replaying = true;
    const int screen = currentScreen();
    for (const TSkinElements::Run& r : m_elements->replayCommands(afterSwitch)) {
        if (currentScreen() != screen)
            break;
        if (!r.command.isEmpty())
            Dispatch(r.command, QString(), true, r.kind, r.index);
    }
    m_replaying = false;
}

void TMainForm::SwitchScreen(int index, const QString& page, int sourceKind, int sourceIndex) {
    if (!m_elements || index < 0 || index >= model().screens.size())
        return;
    if (m_replaying) {
        qCWarning(lcMain) << "screen switch to" << index + 1 << "ignored during a replay";
        return;
    }
    // 1. The element that caused the switch is reset.
    m_elements->resetSource(sourceKind, sourceIndex);
    // 2-3. Build the screen under the hourglass (the replayed commands below
    // must still run: this is no busy phase).
    const busy::Hourglass hourglass;
    if (m_visual)
        m_visual->beforeScreenChange(index);
    m_elements->buildScreen(index);
    const QSize size = m_elements->skin().size();
    if (size != this->size() && !size.isEmpty()) {
        setFixedSize(size);
        if (m_state == State::Running)
            m_animator->applyRegion(TWindowAnimation::finalOpeningRegion(size));
    }
    syncHintAreas();
    // 4. The other widgets follow the screen; the contents tree opens `page`.
    showScreenWidgets(page);
    qCDebug(lcMain) << "screen" << index + 1 << "page" << page;
    // 5. Replay without sounds.
    replay(true);
    // 7. Repaint.
    repaint();
}

void TMainForm::claimVerb(Verb verb, TCommandDispatcher::Handler handler) {
    m_dispatcher.claim(verb, std::move(handler));
}

void TMainForm::claimKey(TKeyboardMap::Action action, std::function<void()> handler) {
    m_keyHandlers.insert(int(action), std::move(handler));
}

void TMainForm::claimDrop(int kind, std::function<void(const QString&)> handler) {
    m_dropHandlers.insert(kind, std::move(handler));
}

void TMainForm::claimOwnVerbs() {
    claimVerb(Verb::Exit, [this](const RCommand& c) {
        if (c.sourceKind == FromButton)
            m_lastPressedButton = c.sourceIndex;
        close();
    });
    claimVerb(Verb::Screen, [this](const RCommand& c) {
        SwitchScreen(c.number - 1, c.value, c.sourceKind, c.sourceIndex);
    });
    claimVerb(Verb::Minimize, [this](const RCommand& c) {
        if (c.sourceKind == FromButton && m_elements)
            m_elements->resetButton(c.sourceIndex);
        showMinimized();
    });
    claimKey(TKeyboardMap::Action::Quit, [] { QApplication::quit(); });
    claimKey(TKeyboardMap::Action::PressTree1Switches,
             [this] { pressSwitchesWith(QStringLiteral("tree1")); });
    claimKey(TKeyboardMap::Action::PressOffTreeSwitches,
             [this] { pressSwitchesWith(QStringLiteral("offtree")); });
}

void TMainForm::execute(const RCommand& c) {
    m_executed.append(c);
    if (m_executed.size() > 64)
        m_executed.removeFirst();
    qCDebug(lcMain) << "command" << c.text << "verb" << int(c.verb);
    // Verbs of parts this book or this build does not have do nothing.
    if (!m_dispatcher.run(c))
        qCDebug(lcMain) << "no part of the window serves" << c.text;
}

void TMainForm::pressSwitchesWith(const QString& command) {
    if (!m_elements)
        return;
    for (qsizetype i = 0; i < m_elements->switchOnes().size(); ++i) {
        const RSwthOne s = m_elements->switchOnes()[i];
        if (s.goup == command || s.godown == command)
            m_elements->mouseDown(QPoint(s.vx + 1, s.vy + 1), Qt::NoModifier);
    }
}

// ---- painting and the mouse ----

void TMainForm::paintEvent(QPaintEvent*) {
    QPainter p(this);
    if (windowFadeRunning()) {
        m_windowFade->PaintFadeFrame(p);
    } else if (m_elements) {
        m_elements->paint(p);
        if (m_visual)
            m_visual->paintVideo(p);
        if (m_texts)
            m_texts->paint(p, this);
    } else {
        p.fillRect(rect(), Qt::white);
    }
    if (!m_firstFrame) {
        m_firstFrame = true;
        QTimer::singleShot(0, this, [this] {
            if (m_elements)
                m_elements->completeFaces();
            emit firstFrameShown();
        });
        if (qEnvironmentVariableIsSet("VANTREL_FIRST_FRAME_MARK")) {
            std::fprintf(stdout, "vantrel: first frame\n");
            std::fflush(stdout);
        }
    }
}

void TMainForm::pressSkin(QPoint p) {
    if (m_elements)
        m_elements->mouseDown(p, Qt::NoModifier);
}

void TMainForm::skinMouseMove(QPoint p) {
    if (m_elements)
        m_elements->mouseMove(p);
}

void TMainForm::elementMove(QPoint p, Qt::MouseButtons buttons, QPoint global) {
    if (m_dragging) {
        if (buttons & Qt::LeftButton) {
            move(global - m_dragOffset);
            return;
        }
        m_dragging = false;
    }
    // Over a playing video the skin's hover looks stay as they are.
    if (m_visual && m_visual->overPlayingVideo(p))
        return;
    if (m_elements)
        m_elements->mouseMove(p, buttons & Qt::LeftButton);
}

void TMainForm::elementDown(QPoint p, Qt::MouseButton button, Qt::KeyboardModifiers mods,
                            QPoint global) {
    // The cover video takes a press on it (freezing, playing on, dragging).
    if (m_visual && !windowFadeRunning() && m_visual->mouseDown(p, button))
        return;
    if (!m_elements || button != Qt::LeftButton)
        return;
    if (!m_elements->mouseDown(p, mods) || windowFadeRunning())
        return;
    // Bare skin: the whole skin is a drag handle.
    startWindowMove(global);
}

void TMainForm::startWindowMove(QPoint global) {
    QWindow* window = windowHandle();
    if (window && window->startSystemMove())
        return;
    m_dragging = true;
    m_dragOffset = global - pos();
}

void TMainForm::elementUp(QPoint p, Qt::MouseButton button) {
    if (button != Qt::LeftButton)
        return;
    if (m_dragging) {
        m_dragging = false;
        return;
    }
    if (m_visual && m_visual->overPlayingVideo(p))
        return;
    if (m_elements)
        m_elements->mouseUp(p);
}

void TMainForm::mouseMoveEvent(QMouseEvent* e) {
    elementMove(e->position().toPoint(), e->buttons(), e->globalPosition().toPoint());
}

void TMainForm::mousePressEvent(QMouseEvent* e) {
    elementDown(e->position().toPoint(), e->button(), e->modifiers(),
                e->globalPosition().toPoint());
}

void TMainForm::mouseReleaseEvent(QMouseEvent* e) {
    elementUp(e->position().toPoint(), e->button());
}

bool TMainForm::handleKey(QKeyEvent* e) {
    TKeyboardMap::Context ctx;
    ctx.windowFadeRunning = windowFadeRunning();
    ctx.commandLineMode = m_commandLineMode;
    ctx.helpMode = m_commandLineMode && windowTitle() == TStandardLook::kHelpCaption;
    ctx.htmlFrameExists = !model().html.isEmpty();
    TCoolDialog* dialog = m_dialogHost ? m_dialogHost->dialog() : nullptr;
    ctx.searchDialogVisible = dialog && dialog->searchShown();
    ctx.textSearchExists = m_search != nullptr;
    ctx.screen = currentScreen();
    const TKeyboardMap::Result r = TKeyboardMap::map(e->key(), e->modifiers(), ctx);
    if (r.action == TKeyboardMap::Action::None)
        return false;
    if (r.action == TKeyboardMap::Action::Command) {
        Dispatch(r.command, QString(), true, FromButton, 0);
        return true;
    }
    // The parts of the window that are not there leave their keys to the
    // control that has the focus.
    const auto handler = m_keyHandlers.constFind(int(r.action));
    if (handler == m_keyHandlers.constEnd() || !*handler)
        return false;
    (*handler)();
    return true;
}

bool TMainForm::runKey(int key, Qt::KeyboardModifiers modifiers) {
    QKeyEvent e(QEvent::KeyPress, key, modifiers);
    return handleKey(&e);
}

TCoolDialog* TMainForm::dialog() const {
    return m_dialogHost ? m_dialogHost->dialog() : nullptr;
}

void TMainForm::closeSearchDialog() {
    if (m_dialogHost)
        m_dialogHost->closeSearchDialog();
}

void TMainForm::leaveEvent(QEvent*) {
    // The pointer left the window: no element keeps its hover look.
    if (m_elements && !m_dragging && !rect().contains(mapFromGlobal(QCursor::pos())))
        m_elements->mouseMove(QPoint(-1, -1));
}

void TMainForm::keyPressEvent(QKeyEvent* e) {
    if (handleKey(e))
        e->accept();
    else
        QWidget::keyPressEvent(e);
}

bool TMainForm::eventFilter(QObject* watched, QEvent* e) {
    // The window sees keys before its child controls.
    if (e->type() == QEvent::KeyPress && watched != this && watched->isWidgetType() &&
        static_cast<QWidget*>(watched)->window() == this)
        return handleKey(static_cast<QKeyEvent*>(e));
    return QWidget::eventFilter(watched, e);
}

// ---- dropped files ----

int TMainForm::dropTarget(const QString& fileName) {
    const QString name = fileName.left(200).toLower();
    for (const char* ext : {".htm", ".txt", ".bmp", ".jpg", ".jpeg", ".gif", ".png"})
        if (name.contains(QLatin1String(ext)))
            return DropPage;
    if (name.contains(QLatin1String(".rar")))
        return DropArchive;
    for (const char* ext : {".wav", ".mp3", ".mpa"})
        if (name.contains(QLatin1String(ext)))
            return DropSound;
    return DropNone;
}

void TMainForm::dragEnterEvent(QDragEnterEvent* e) {
    if (e->mimeData()->hasUrls())
        e->acceptProposedAction();
}

void TMainForm::dropEvent(QDropEvent* e) {
    const QList<QUrl> urls = e->mimeData()->urls();
    if (urls.isEmpty())
        return;
    const QString file = urls.first().toLocalFile();
    const int kind = dropTarget(file);
    const auto handler = m_dropHandlers.constFind(kind);
    if (kind == 0 || handler == m_dropHandlers.constEnd() || !*handler) {
        complain(QStringLiteral("%1: this kind of file cannot be opened here").arg(file));
        return;
    }
    e->acceptProposedAction();
    (*handler)(file);
}

// ---- opening, closing, exit ----

void TMainForm::showWithOpeningAnimation() {
    m_book->options().animation = false; // 20. cleared in memory as the window shows
    m_state = State::Opening;
    m_animator->open([this] {
        m_state = State::Running;
        // The opening's last region is on: the whole skin shows.
        if (qEnvironmentVariableIsSet("VANTREL_FIRST_FRAME_MARK")) {
            std::fprintf(stdout, "vantrel: whole skin\n");
            std::fflush(stdout);
        }
    });
}

void TMainForm::showWithoutAnimation() {
    if (m_state != State::Starting)
        return;
    m_book->options().animation = false;
    m_state = State::Running;
    m_animator->applyRegion(TWindowAnimation::finalOpeningRegion(size()));
    show();
    raise();
    activateWindow();
}

void TMainForm::startClosing() {
    m_state = State::Closing;
    if (m_visual)
        m_visual->close();
    if (auto* about = findChild<TAboutHost*>(QString(), Qt::FindDirectChildrenOnly))
        about->closeForExit();
    if (m_dialogHost)
        m_dialogHost->closeForExit();
    if (m_media)
        m_media->stopForClosing();
    m_animator->close([this] {
        m_state = State::Terminating;
        FormDestroy();
        QApplication::quit();
    });
}

void TMainForm::closeEvent(QCloseEvent* e) {
    // Once the closing animation is over (or before the window ever ran, or
    // in a command-line window) the window closes at once.
    if (m_state == State::Terminating || m_state == State::Destroyed || m_commandLineMode ||
        !started()) {
        e->accept();
        return;
    }
    e->ignore();
    if (m_state == State::Closing)
        return;
    // The other copies' windows first; a copy that does not answer costs
    // half a second, no more.
    if (!m_thesaurusMode)
        TInstanceMessages::closeOtherCopies(m_commandLineMode);
    startClosing();
}

void TMainForm::showEvent(QShowEvent* e) {
    // A window that was not registered at start-up (the thesaurus window)
    // is registered when it is first shown.
    if (m_messages && !m_messages->tried())
        m_messages->open();
    QWidget::showEvent(e);
}

void TMainForm::FormDestroy() {
    if (m_state == State::Destroyed || !started())
        return;
    m_state = State::Destroyed;
    // 1. The sound of the button pressed last (the exit button) while the program ends.
    if (m_book->options().wav && m_elements && m_lastPressedButton >= 0 &&
        m_lastPressedButton < m_elements->buttons().size()) {
        const QString wav = m_elements->buttons()[m_lastPressedButton].wav;
        if (!wav.isEmpty() && wav != QLatin1String("no"))
            m_sounds->playAndWait(m_book->nativeOf(BookPaths::joinPath(paths().baseDir(), wav)),
                                  3000);
    }
    // 2. The music stops with a fade (its title and position are stored).
    if (m_media)
        m_media->stopForExit();
    // 3-4. Fonts; the path boxes write their folders as they go.
    m_book->unregisterFonts();
    delete m_pathBox;
    m_pathBox = nullptr;
    // 5. Stored switch states.
    if (!m_commandLineMode && m_book->settings())
        switchstore::write(m_book->model(), *m_book->settings());
    m_book->instance().release();
}
