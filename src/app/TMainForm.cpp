#include "app/TMainForm.h"

#include "app/BmpDecoder.h"
#include "app/TButtonSounds.h"
#include "app/TKeyboardMap.h"
#include "app/TMyControl.h"
#include "app/TSwitchStore.h"
#include "app/TWindowAnimation.h"
#include "content/TComprStream.h"
#include "data/SettingsNames.h"
#include "data/SettingsStore.h"
#include "data/StringUtils.h"
#include "data/StructParser.h"
#include "data/TCommandLine.h"
#include "dialogs/TEffCar.h"
#include "media/TPathInputBox.h"
#include "media/TScaleBar.h"
#include "media/TStatusLine.h"
#include "media/TSuperTimer.h"
#include "media/TTextMsg.h"

#include <QAccessible>
#include <QApplication>
#include <QCloseEvent>
#include <QCursor>
#include <QDesktopServices>
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
#include <QProcess>
#include <QTimer>
#include <QUrl>
#include <QWindow>

#include <algorithm>
#include <cstdio>
#include <thread>
#include <utility>

Q_LOGGING_CATEGORY(lcMain, "vantrel.main", QtWarningMsg)

namespace {

void complain(const QString& line) {
    std::fprintf(stderr, "vantrel: %s\n", qPrintable(line));
    std::fflush(stderr);
}

} // namespace

TMainForm::TMainForm(QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::FramelessWindowHint), m_dispatcher(*this) {
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
}

TMainForm::~TMainForm() {
    if (m_animTimer)
        m_animTimer->setEnabled(false);
    FormDestroy();
}

QString TMainForm::nativeOf(const QString& pathText) const {
    const QString found = BookPaths::resolveOnDisk(pathText);
    return found.isEmpty() ? BookPaths::toNative(pathText) : found;
}

std::optional<int> TMainForm::FormCreate(const QString& baseDir, const QStringList& args) {
    // Reading the system's font list takes a few milliseconds, and the
    // captions need it: read it on a second thread while the description is
    // read and parsed. Nothing is registered there; the book's fonts are
    // registered below as before (the font database waits for the list).
    std::jthread fontList([] { QFontDatabase::families(); });

    // 1-2. Paths and the content archive.
    m_paths = BookPaths(baseDir);
    // Static path joins anywhere in the program anchor at this book's root.
    BookPaths::setCurrent(m_paths);
    m_dispatcher.setPaths(&m_paths);
    QString error;
    const QString archivePath = BookPaths::resolveOnDisk(m_paths.baseDir() + "interface.dat");
    if (!archivePath.isEmpty() && !m_archive.open(archivePath, &error))
        complain(QStringLiteral("interface.dat: %1").arg(error));
    m_archive.setRootPrefix(m_paths.bookRoot());

    // 5. Whole-window fade; command-line mode.
    m_windowFade = new TEffCar(this);
    m_windowFade->onFadeState = [this](bool running) {
        // The animated picture would cover the fade on the cover screen.
        if (m_piston && currentScreen() == 0)
            m_piston->setVisible(!running);
    };
    m_lastPressedButton = -1;
    // 6. The other two modes. "/t" anywhere asks for the thesaurus window; on
    // this system "/t" also begins many paths ("/tmp/page.htm"), so an
    // argument that names an existing file or folder is a document.
    const TCommandLine commandLine =
        TCommandLine::fromArguments(QCoreApplication::applicationFilePath(), args);
    m_commandLineMode = commandLine.commandLineMode();
    if (commandLine.thesaurus()) {
        complain(
            QStringLiteral("the thesaurus window (showing %1) is not available in this version")
                .arg(commandLine.document()));
        return 2;
    }
    if (m_commandLineMode) {
        complain(
            QStringLiteral("the standard window (showing %1%2) is not available in this version")
                .arg(commandLine.document(),
                     commandLine.help() ? QStringLiteral(", help") : QString()));
        return 2;
    }

    // 7-8. The resource pack and the description.
    const QString packPath = BookPaths::resolveOnDisk(m_paths.baseDir() + "Dod.dhl");
    if (packPath.isEmpty()) {
        complain(QStringLiteral("Dod.dhl not found in %1")
                     .arg(QDir::toNativeSeparators(BookPaths::toNative(m_paths.baseDir()))));
        return 1;
    }
    if (!m_pack.load(packPath, &error)) {
        complain(QStringLiteral("Dod.dhl cannot be read: %1").arg(error));
        return 1;
    }
    const std::optional<QByteArray> description = m_pack.read(QStringLiteral("Struct.cfs"));
    if (!description) {
        complain(QStringLiteral("Struct.cfs not found in %1").arg(packPath));
        return 1;
    }
    m_model = parseStruct(cfs::decode(*description, true), &m_paths);
    if (m_model.title.isEmpty())
        m_model.title = QStringLiteral("Vantrel");

    // 9. One running copy per book title; a second copy ends quietly.
    if (!m_instance.tryTake(TSingleInstance::keyFor(m_model.title))) {
        m_commandLineMode = true; // nothing to save when this copy ends
        return 0;
    }

    // 10. Title and caption.
    QApplication::setApplicationDisplayName(QString());
    QGuiApplication::setApplicationName(m_model.title);
    setWindowTitle(m_model.title);
    if (!m_model.icon.isEmpty()) {
        const QImage icon = loadPackPicture(m_model.icon);
        if (!icon.isNull())
            setWindowIcon(QIcon(QPixmap::fromImage(icon)));
    }

    m_settings = std::make_unique<TSettingsStore>(m_model.title);
    m_wav = m_settings->boolOrWriteDefault(QLatin1String(settings::Wav.name), settings::Wav.def);

    // The skin of screen 1 needs no fonts: read it while the font list is
    // still being read (screen 1 below takes it from here).
    QString skinName;
    QImage skin;
    if (!m_model.screens.isEmpty()) {
        skinName = m_model.screens[0].picture;
        skin = loadPackPicture(skinName);
    }

    // The first text field wakes the system's accessibility bridge, which
    // waits for the session bus (a millisecond or more): wake it now, while
    // the font list is still being read.
    QAccessible::isActive();

    // 16 (taken before the screen is built, so its captions have the book's fonts).
    fontList.join();
    registerFonts();

    // 13-14. Screen 1: skin, elements, stored switch states.
    if (m_model.screens.isEmpty()) {
        complain(QStringLiteral("Struct.cfs describes no screen"));
        return 1;
    }
    switchstore::read(m_model, *m_settings);
    m_elements = new TSkinElements(m_model, TEffBtnCar::Clock::Timer, this);
    m_elements->loadPicture = [this, skinName,
                               skin = std::move(skin)](const QString& name) mutable {
        if (!skin.isNull() && name == skinName)
            return std::exchange(skin, QImage());
        return loadPackPicture(name);
    };
    m_elements->runCommand = [this](const TSkinElements::Run& r) {
        Dispatch(r.command, r.wav, false, r.kind, r.index);
    };
    m_elements->repaintRect = [this](const QRect& r) { repaint(r); };
    m_elements->windowFadeRunning = [this] { return windowFadeRunning(); };
    // The hover, pressed and other switch pictures follow the first frame.
    m_elements->buildScreen(0, TSkinElements::Faces::ShownApart);
    if (m_elements->skin().isNull()) {
        complain(QStringLiteral("the skin picture \"%1\" of screen 1 is not in Dod.dhl")
                     .arg(m_model.screens[0].picture));
        return 1;
    }
    setFixedSize(m_elements->skin().size());
    // The captions of the resting pictures (the first use of their fonts
    // takes a few milliseconds) are drawn on a second thread while the
    // widgets are made; nothing here touches the pictures or the skin until
    // it is done.
    std::jthread captions([elements = m_elements] { elements->drawShownFaces(); });
    syncHintAreas();
    m_started = true;

    // 15. The widgets of the other parts that live on the skin.
    createWidgets();
    showScreenWidgets();
    captions.join();

    // 17. Replay of the switches of screen 1.
    replay(false);

    // 20. Show with the opening animation.
    showWithOpeningAnimation();
    return std::nullopt;
}

QImage TMainForm::loadPackPicture(const QString& name) const {
    if (name.isEmpty())
        return QImage();
    const std::optional<QByteArray> bytes = m_pack.read(name);
    if (!bytes)
        return QImage();
    // Naming the format spares probing every image plugin.
    const QByteArray format = QFileInfo(name).suffix().toLower().toLatin1();
    if (format == "bmp") {
        QImage plain = bmp::decode24(*bytes);
        if (!plain.isNull())
            return plain;
    }
    QImage image = QImage::fromData(*bytes, format.isEmpty() ? nullptr : format.constData());
    return image.isNull() ? QImage::fromData(*bytes) : image;
}

void TMainForm::registerFonts() {
    const QStringList files =
        cfs::findFiles(m_paths.baseDir(), {QStringLiteral("*.ttf")}, false, false);
    for (const QString& file : files) {
        const int id = QFontDatabase::addApplicationFont(nativeOf(file));
        if (id >= 0) {
            m_fontIds.append(id);
            m_fontFiles.append(file);
        }
    }
}

void TMainForm::unregisterFonts() {
    for (int id : std::as_const(m_fontIds))
        QFontDatabase::removeApplicationFont(id);
    m_fontIds.clear();
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
    m_texts = new TTextMsg(m_model.text, this, screenFn, this);
    m_status = new TStatusLine(m_texts, this);
    m_pathBox = new TPathInputBox(m_model.path, this, m_model.title, screenFn, this);
    connect(m_pathBox, &TPathInputBox::skinMouseMove, this, [this](int x, int y) {
        if (m_elements)
            m_elements->mouseMove(QPoint(x, y));
    });
    m_scaleBar = new TScaleBar(&m_pack, screenFn, this);

    // The animated picture of the cover; a book without it simply has none.
    try {
        auto* stream =
            new TComprStream(m_archive, m_paths.baseDir() + QStringLiteral("piston.gif"));
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
}

void TMainForm::showScreenWidgets() {
    if (m_pathBox)
        m_pathBox->showForScreen();
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
    return m_model.screens.size();
}

bool TMainForm::windowFadeRunning() const {
    return m_windowFade && m_windowFade->running();
}

bool TMainForm::openingRunning() const {
    return m_opening;
}

Verb TMainForm::Dispatch(const QString& command, const QString& sound, bool replay, int sourceKind,
                         int sourceIndex) {
    return m_dispatcher.Dispatch(command, sound, replay, sourceKind, sourceIndex);
}

void TMainForm::playButtonSound(const QString& pathText) {
    m_sounds->play(nativeOf(pathText));
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
    if (!m_elements || index < 0 || index >= m_model.screens.size())
        return;
    if (m_replaying) {
        qCWarning(lcMain) << "screen switch to" << index + 1 << "ignored during a replay";
        return;
    }
    // 1. The element that caused the switch is reset.
    m_elements->resetSource(sourceKind, sourceIndex);
    // 2-3. Build the screen under the hourglass.
    QApplication::setOverrideCursor(Qt::WaitCursor);
    m_elements->buildScreen(index);
    const QSize size = m_elements->skin().size();
    if (size != this->size() && !size.isEmpty()) {
        setFixedSize(size);
        if (!m_opening && !m_closing)
            applyRegion(TWindowAnimation::finalOpeningRegion(size, m_model.outline));
    }
    syncHintAreas();
    // 4. The other widgets follow the screen; the contents tree opens `page`.
    showScreenWidgets();
    qCDebug(lcMain) << "screen" << index + 1 << "page" << page;
    // 5. Replay without sounds.
    replay(true);
    // 7. Repaint.
    repaint();
    QApplication::restoreOverrideCursor();
}

void TMainForm::execute(const RCommand& c) {
    m_executed.append(c);
    if (m_executed.size() > 64)
        m_executed.removeFirst();
    qCDebug(lcMain) << "command" << c.text << "verb" << int(c.verb);
    switch (c.verb) {
    case Verb::Exit:
        if (c.sourceKind == FromButton)
            m_lastPressedButton = c.sourceIndex;
        close();
        break;
    case Verb::Screen:
        SwitchScreen(c.number - 1, c.value, c.sourceKind, c.sourceIndex);
        break;
    case Verb::Run:
        runProgram(c.value, c.second);
        break;
    case Verb::Minimize:
        if (c.sourceKind == FromButton && m_elements)
            m_elements->resetButton(c.sourceIndex);
        showMinimized();
        break;
    case Verb::Help:
        showHelp();
        break;
    // Served by the parts of the book that this window does not host yet:
    // the car video (2d, 3d), the about box, contents trees, history,
    // favourites and popups, the thesaurus, HTML frames, text search, the
    // background music, the standard look, the options window, archive
    // extraction, the foreground player, the slide show and the font
    // installer. Their owners take these verbs as they join the window.
    default:
        break;
    }
}

void TMainForm::runProgram(const QString& program, const QString& parameters) {
    if (program.isEmpty())
        return;
    const QString native = nativeOf(program);
    const QFileInfo info(native);
    const QString dir = info.absolutePath();
    if (info.isFile() && info.isExecutable()) {
        if (!QProcess::startDetached(native, QProcess::splitCommand(parameters), dir))
            complain(QStringLiteral("cannot start %1").arg(native));
        return;
    }
    // Documents and folders open with their associated programs.
    if (!QDesktopServices::openUrl(QUrl::fromLocalFile(native)))
        complain(QStringLiteral("cannot open %1").arg(native));
}

void TMainForm::showHelp() {
    if (m_model.helpwin.fn.isEmpty())
        return;
    const QString native = BookPaths::resolveOnDisk(m_model.helpwin.fn);
    if (native.isEmpty())
        return;
    QDesktopServices::openUrl(QUrl::fromLocalFile(native));
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
        });
        if (qEnvironmentVariableIsSet("VANTREL_FIRST_FRAME_MARK")) {
            std::fprintf(stdout, "vantrel: first frame\n");
            std::fflush(stdout);
        }
    }
}

void TMainForm::elementMove(QPoint p, Qt::MouseButtons buttons, QPoint global) {
    if (m_dragging) {
        if (buttons & Qt::LeftButton) {
            move(global - m_dragOffset);
            return;
        }
        m_dragging = false;
    }
    if (m_elements)
        m_elements->mouseMove(p, buttons & Qt::LeftButton);
}

void TMainForm::elementDown(QPoint p, Qt::MouseButton button, Qt::KeyboardModifiers mods,
                            QPoint global) {
    if (!m_elements || button != Qt::LeftButton)
        return;
    if (!m_elements->mouseDown(p, mods) || windowFadeRunning())
        return;
    // Bare skin: the whole skin is a drag handle.
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
    ctx.htmlFrameExists = !m_model.html.isEmpty();
    ctx.screen = currentScreen();
    const TKeyboardMap::Result r = TKeyboardMap::map(e->key(), e->modifiers(), ctx);
    switch (r.action) {
    case TKeyboardMap::Action::Quit:
        QApplication::quit();
        return true;
    case TKeyboardMap::Action::Help:
        showHelp();
        return true;
    case TKeyboardMap::Action::Command:
        Dispatch(r.command, QString(), true, FromButton, 0);
        return true;
    case TKeyboardMap::Action::PressTree1Switches:
        pressSwitchesWith(QStringLiteral("tree1"));
        return true;
    case TKeyboardMap::Action::PressOffTreeSwitches:
        pressSwitchesWith(QStringLiteral("offtree"));
        return true;
    default:
        // The skinned dialog, popups, favourites, printing, the thesaurus and
        // the HTML frame take these keys when they are part of the window;
        // until then the key goes on to the control that has the focus.
        return false;
    }
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
            return 1;
    if (name.contains(QLatin1String(".rar")))
        return 2;
    for (const char* ext : {".wav", ".mp3", ".mpa"})
        if (name.contains(QLatin1String(ext)))
            return 3;
    return 0;
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
    // The HTML frame, the archive handling and the media player open the
    // file when they are part of the window.
    qCDebug(lcMain) << "dropped" << file << "for" << dropTarget(file);
    e->acceptProposedAction();
}

// ---- opening, closing, exit ----

void TMainForm::applyRegion(const QRegion& region) {
    // An empty region would mean "no mask" to Qt: hide the window with a
    // region that covers none of it instead.
    if (region.isEmpty())
        setMask(QRegion(-2, -2, 1, 1));
    else
        setMask(region);
}

void TMainForm::showWithOpeningAnimation() {
    // The region the opening leaves is worked out when it is reached.
    m_restSize = size();
    applyRegion(QRegion());
    m_animation = std::make_unique<TWindowAnimation>(TWindowAnimation::Kind::Opening, size(),
                                                     m_model.outline);
    m_opening = true;
    show();
    activateWindow();
    m_animTimer = new TSuperTimer(this);
    m_animTimer->setInterval(1);
    m_animTimer->onTimer = [this](TSuperTimer*) { openingTick(); };
    m_animTimer->setEnabled(true);
}

void TMainForm::openingTick() {
    QRegion region;
    if (m_animation && m_animation->next(region)) {
        applyRegion(region);
        return;
    }
    m_animTimer->setEnabled(false);
    m_animation.reset();
    m_opening = false;
    applyRegion(TWindowAnimation::finalOpeningRegion(m_restSize, m_model.outline));
}

void TMainForm::startClosing() {
    m_closing = true;
    if (m_animTimer)
        m_animTimer->setEnabled(false);
    m_opening = false;
    m_animation = std::make_unique<TWindowAnimation>(TWindowAnimation::Kind::Closing, size(),
                                                     m_model.outline);
    // A timer keeps the sleep length it first ran with: the closing one is new.
    if (m_animTimer)
        m_animTimer->deleteLater();
    m_animTimer = new TSuperTimer(this);
    m_animTimer->setInterval(2);
    m_animTimer->onTimer = [this](TSuperTimer*) { closingTick(); };
    m_animTimer->setEnabled(true);
}

void TMainForm::closingTick() {
    QRegion region;
    if (m_animation && m_animation->next(region)) {
        applyRegion(region);
        return;
    }
    m_animTimer->setEnabled(false);
    m_animation.reset();
    applyRegion(QRegion());
    m_terminating = true;
    FormDestroy();
    QApplication::quit();
}

void TMainForm::closeEvent(QCloseEvent* e) {
    if (m_terminating || m_commandLineMode || !m_started) {
        e->accept();
        return;
    }
    e->ignore();
    if (!m_closing)
        startClosing();
}

void TMainForm::FormDestroy() {
    if (m_destroyed || !m_started)
        return;
    m_destroyed = true;
    // 1. The sound of the button pressed last (the exit button) while the program ends.
    if (m_wav && m_elements && m_lastPressedButton >= 0 &&
        m_lastPressedButton < m_elements->buttons().size()) {
        const QString wav = m_elements->buttons()[m_lastPressedButton].wav;
        if (!wav.isEmpty() && wav != QLatin1String("no"))
            m_sounds->playAndWait(nativeOf(BookPaths::joinPath(m_paths.baseDir(), wav)), 3000);
    }
    // 3-4. Fonts; the path boxes write their folders as they go.
    unregisterFonts();
    delete m_pathBox;
    m_pathBox = nullptr;
    // 5. Stored switch states.
    if (!m_commandLineMode && m_settings)
        switchstore::write(m_model, *m_settings);
    m_instance.release();
}
