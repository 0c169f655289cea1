#include "app/TReadingScreen.h"

#include "dialogs/TFontForm.h"

#include "app/TInstanceMessages.h"
#include "app/TMainForm.h"
#include "app/TPrintHost.h"
#include "data/BookPaths.h"
#include "data/StringUtils.h"
#include "engine/TFrameViewer.h"
#include "engine/THTMLViewer.h"
#include "engine/TLinkPath.h"
#include "media/TButtonSounds.h"
#include "platform/Log.h"
#include "reader/THistoryLists.h"
#include "reader/THtmlFavorite.h"
#include "reader/THtmlFrame.h"
#include "reader/TPanelBkgrd.h"
#include "reader/TPopupLists.h"
#include "reader/TTreeSet.h"
#include "skin/TControlPopupWindow.h"
#include "skin/TPathInputBox.h"
#include "skin/TStatusLine.h"
#include "skin/TTextMsg.h"

#include <QCursor>
#include <QFileInfo>

namespace {

using vlog::complain;
using vlog::trace;

// The text element that shows the loaded page's title.
constexpr int kTitleText = 1;
// The element a tree opens its page in when the current screen has no viewer.
constexpr int kTreeElement = 20;

} // namespace

TReadingScreen::TReadingScreen(TMainForm& window, bool skinned)
    : QObject(&window), m_window(window) {
    if (skinned) {
        m_panel = new TPanelBkgrd(&window);
        createTrees();
    }
    createFrame(skinned);
    if (skinned && TControlPopupWindow::declaresPopups(window.model()))
        createPopups();
    renewFavorites();
    connect(this, &TReadingScreen::historyChanged, this, [this] { refreshHistoryPopups(); });
    claimVerbs();
}

TReadingScreen::~TReadingScreen() = default;

void TReadingScreen::createFrame(bool skinned) {
    const StructModel& model = m_window.model();
    if (model.html.isEmpty())
        return;
    m_frame = new THtmlFrame(&m_window, &m_window.book().files(), m_window.title(), this);
    if (skinned)
        m_frame->setPanel(m_panel);
    // A picture link asks the running picture windows first.
    m_frame->SendToPictureWindow = [](const QString& full) {
        return TInstanceMessages::sendToPictureWindow(full);
    };
    // "deffonthtml" and the options window's "Шрифт": the font dialog.
    m_frame->FontDialog = [this](RHtmlFonts& fonts) { return TFontForm::edit(fonts, &m_window); };
    // Every print command opens the print preview.
    new TPrintHost(m_window, *m_frame, this);
    m_frame->PathInputFolder = [this] {
        return m_window.pathBoxes() ? m_window.pathBoxes()->copyFolder() : QString();
    };
    connect(m_frame, &THtmlFrame::pageChanged, this,
            [this](TFrameViewer* viewer, const QString&, const QString& titleLine) {
                onPageChanged(viewer, titleLine);
            });
    connect(m_frame, &THtmlFrame::switchPressRequested, this,
            [this](const QPoint& p) { m_window.pressSkin(p); });
    connect(m_frame, &THtmlFrame::statusMessage, this, [this](const QString& text) {
        if (m_window.statusLine())
            m_window.statusLine()->show(text);
    });
    connect(m_frame, &THtmlFrame::statusText, this,
            [](const QString& text) { trace(QStringLiteral("link"), text); });
    connect(m_frame, &THtmlFrame::closePopupsRequested, this, [this] { closePopups(); });
    connect(m_frame, &THtmlFrame::contextPopupRequested, this, [this](const QPoint& at) {
        ensurePopups();
        if (m_popups)
            m_popups->ShowPopup(TControlPopupWindow::ContextHtml, at);
    });
    connect(m_frame, &THtmlFrame::skinMouseMoved, this,
            [this](const QPoint&) { m_window.skinMouseMove(QPoint(-1, -1)); });
    connect(m_frame, &THtmlFrame::treeSelectRequested, this, [this](const QString& page) {
        if (m_trees)
            m_trees->selectByPage(page);
    });
    connect(m_frame, &THtmlFrame::soundRequested, this, [this](const QString& file) {
        m_window.sounds()->play(m_window.book().nativeOf(file));
    });
    m_frame->Create(model.html, qMax(0, m_window.currentScreen()));
}

void TReadingScreen::createTrees() {
    TTreeHost host;
    host.currentPage = [this] { return currentPage(); };
    host.expandLink = [this](const QString& link) {
        TFrameViewer* viewer = m_frame ? m_frame->CurrentViewer() : nullptr;
        return viewer ? viewer->expandLink(link)
                      : BookPaths::joinPath(m_window.paths().baseDir(), link);
    };
    host.viewerVisible = [this] {
        TFrameViewer* viewer = m_frame ? m_frame->CurrentViewer() : nullptr;
        return viewer && viewer->isVisible();
    };
    host.baseDir = [this] { return m_window.paths().baseDir(); };
    m_trees = new TTreeSet(m_panel, &m_window.book().pack(), host, this);
    connect(m_trees, &TTreeSet::openPage, this, [this](const QString& page, bool navigate) {
        if (!m_frame)
            return;
        if (navigate)
            m_frame->Navigate(page);
        else
            m_frame->ShowPage(kTreeElement, page);
    });
    connect(m_trees, &TTreeSet::chapterHintsChanged, this,
            [this](const QString& next, const QString& prev) { applyChapterHints(next, prev); });
    connect(m_trees, &TTreeSet::closePopups, this, [this] { closePopups(); });
    connect(m_trees, &TTreeSet::skinMouseMove, this,
            [this](int, int) { m_window.skinMouseMove(QPoint(-1, -1)); });
    if (TSkinElements* elements = m_window.elements()) {
        elements->tree2Blocked = [this] {
            return m_trees && m_trees->tree2() && m_trees->tree2()->isHidden() &&
                   m_trees->tree1()->isHidden();
        };
    }
}

QString TReadingScreen::currentPage() const {
    TFrameViewer* viewer = m_frame ? m_frame->CurrentViewer() : nullptr;
    if (!viewer)
        return {};
    return linkpath::withoutAnchor(viewer->currentFile());
}

void TReadingScreen::showScreen(int screen, const QString& page) {
    if (m_frame)
        m_frame->ShowScreen(screen);
    if (m_trees)
        m_trees->showTreeOnScreen(screen, page);
    // The popups of the screen, with the favourites read again (another
    // window of the book may have changed them; leaving wrote them back).
    // At start-up the popups' pictures wait until the first frame is shown.
    renewFavorites();
    m_popupsPending = m_popups != nullptr;
    if (m_window.firstFrameDone() || m_popupsBuilt)
        ensurePopups();
}

void TReadingScreen::ensurePopups() {
    if (!m_popupsPending || !m_popups)
        return;
    m_popupsPending = false;
    m_popupsBuilt = true;
    m_popups->BuildPopups(qMax(0, m_window.currentScreen()));
    fillFavoritesPopup();
    refreshHistoryPopups();
}

void TReadingScreen::createPopups() {
    m_popups = new TControlPopupWindow(
        m_window.model(), [this](const QString& name) { return m_window.book().loadPicture(name); },
        &m_window);
    connect(m_popups, &TControlPopupWindow::commandChosen, this,
            [this](const QString& command, int) { runPopupCommand(command); });
    connect(m_popups, &TControlPopupWindow::favoriteRemoved, this, [this](int index) {
        if (m_favorites && m_favorites->DeleteFavorite(index))
            m_favorites->save();
    });
    connect(m_popups, &TControlPopupWindow::popupShown, this,
            [](int type) { trace(QStringLiteral("popup"), QString::number(type)); });
    connect(&m_window, &TMainForm::firstFrameShown, this, [this] { ensurePopups(); });
}

void TReadingScreen::renewFavorites() {
    TSettingsStore* store = m_window.book().settings();
    if (!store)
        return;
    m_favorites.reset();
    m_favorites = std::make_unique<THtmlFavorite>(*store);
    connect(m_favorites.get(), &THtmlFavorite::changed, this, [this] { fillFavoritesPopup(); });
    fillFavoritesPopup();
}

void TReadingScreen::fillFavoritesPopup() {
    if (m_popups && m_favorites && !m_popupsPending)
        TPopupLists::fillFavorites(*m_popups, m_favorites->records());
}

void TReadingScreen::refreshHistoryPopups() {
    TFrameViewer* viewer = m_frame ? m_frame->CurrentViewer() : nullptr;
    if (!m_popups || !viewer || m_popupsPending)
        return;
    RHistory h;
    h.files = viewer->history();
    h.titles = viewer->titleHistory();
    h.index = viewer->historyIndex();
    TPopupLists::fillHistory(*m_popups, h);
}

void TReadingScreen::closePopups() {
    if (m_popups)
        m_popups->CloseAllPopups();
}

void TReadingScreen::setFadeRunning(bool running, int screen) {
    if (m_panel && screen == THtmlFrame::kReadingScreen)
        m_panel->setVisible(!running);
}

void TReadingScreen::onPageChanged(TFrameViewer* viewer, const QString& titleLine) {
    trace(QStringLiteral("page"), viewer ? viewer->currentFile() : QString());
    if (TTextMsg* texts = m_window.texts())
        texts->setText(titleLine, kTitleText, true);
    emit historyChanged();
    if (m_trees)
        m_trees->updateChapterHints();
}

void TReadingScreen::applyChapterHints(const QString& next, const QString& prev) {
    TSkinElements* elements = m_window.elements();
    if (!elements)
        return;
    bool changed = false;
    for (RBtn& b : elements->buttons()) {
        const QString* hint = nullptr;
        if (b.go.compare(QLatin1String("nextchapter"), Qt::CaseInsensitive) == 0)
            hint = &next;
        else if (b.go.compare(QLatin1String("prevchapter"), Qt::CaseInsensitive) == 0)
            hint = &prev;
        if (hint && b.hint != *hint) {
            b.hint = *hint;
            changed = true;
        }
    }
    if (changed)
        m_window.refreshHints();
}

void TReadingScreen::historyStep(bool back) {
    if (!m_frame)
        return;
    TSkinElements* elements = m_window.elements();
    const TDynamicSwthOneArray ones = elements ? elements->switchOnes() : TDynamicSwthOneArray();
    const TDynamicSwthGrpArray groups = elements ? elements->switchGrps() : TDynamicSwthGrpArray();
    if (back)
        m_frame->GoBack(ones, groups);
    else
        m_frame->GoForward(ones, groups);
    if (m_trees)
        m_trees->selectByPage(QStringLiteral("fromhistory"));
}

void TReadingScreen::treeVerb(const RCommand& c) {
    if (!m_trees)
        return;
    // The page pane is hidden while the trees change places.
    TFrameViewer* viewer = m_frame ? m_frame->CurrentViewer() : nullptr;
    const bool shown = viewer && viewer->isVisible();
    if (shown)
        viewer->hide();
    switch (c.verb) {
    case Verb::Tree1:
        m_trees->verbTree1();
        break;
    case Verb::Tree2:
        m_trees->verbTree2();
        break;
    case Verb::TreeOn:
    case Verb::TreeOff:
        if (m_trees->isTreeOff() != (c.verb == Verb::TreeOff))
            m_trees->setTreeOff(c.verb == Verb::TreeOff);
        break;
    default:
        break;
    }
    if (shown)
        viewer->show();
}

bool TReadingScreen::addToFavorites() {
    TFrameViewer* viewer = m_frame ? m_frame->CurrentViewer() : nullptr;
    if (!viewer || !m_favorites || viewer->currentFile().isEmpty())
        return false;
    const QStringList titles = viewer->titleHistory();
    const int index = viewer->historyIndex();
    const QString title = index >= 0 && index < titles.size() ? titles[index] : QString();
    THTMLViewer* active = viewer->activeViewer();
    const int position = active ? active->position() : 0;
    const bool added = m_favorites->AddToFavorites(title, viewer->currentFile(), position);
    if (added) {
        m_favorites->save();
        trace(QStringLiteral("favourite"), QString::number(position));
    }
    return added;
}

void TReadingScreen::runPopupCommand(const QString& command) {
    TFrameViewer* viewer = m_frame ? m_frame->CurrentViewer() : nullptr;
    const QString name = command.section(u'=', 0, 0).trimmed().toLower();
    if (name == QLatin1String("addtofavorite")) {
        addToFavorites();
        return;
    }
    if (!m_frame) {
        m_window.Dispatch(command, QString(), true, FromButton, 0);
        return;
    }
    if (name == QLatin1String("copyclipboardhtml")) {
        THTMLViewer* active = viewer ? viewer->activeViewer() : nullptr;
        QString error;
        if (active && !active->copyToClipboard(&error) && m_window.statusLine())
            m_window.statusLine()->show(error);
        return;
    }
    if (name == QLatin1String("selectallhtml")) {
        m_frame->SelectAll();
        return;
    }
    if (name == QLatin1String("printhtml")) {
        m_frame->PrintPage();
        return;
    }
    if (name == QLatin1String("deffonthtml")) {
        m_frame->ChooseFont();
        return;
    }
    if (name == QLatin1String("html")) {
        const QString file = cfs::valueOf(command, &m_window.paths());
        m_frame->Navigate(file);
        if (m_trees)
            m_trees->selectByPage(QString());
        return;
    }
    if (const std::optional<int> n = THistoryLists::parseHistoryCommand(command)) {
        if (!viewer)
            return;
        const QStringList files = viewer->history();
        if (*n >= files.size())
            return;
        if (m_trees)
            m_trees->selectByPage(files[*n]);
        m_frame->SetHistoryIndex(*n);
        return;
    }
    // A favourite names the page as the viewer had it (a full path): it is
    // not resolved against the book again.
    if (const std::optional<RFavoritePlace> place = THtmlFavorite::parsePositionCommand(command)) {
        if (m_trees)
            m_trees->selectByPage(place->file);
        m_frame->Navigate(place->file);
        if (TFrameViewer* now = m_frame->CurrentViewer())
            if (THTMLViewer* active = now->activeViewer()) {
                active->setPosition(place->position);
                trace(QStringLiteral("position"), QString::number(active->position()));
            }
        return;
    }
    // Anything else is a command of the window, without the click sound.
    m_window.Dispatch(command, QString(), true, FromButton, 0);
    return;
}

void TReadingScreen::openDropped(const QString& file) {
    TFrameViewer* viewer = m_frame ? m_frame->CurrentViewer() : nullptr;
    if (!viewer || !viewer->isVisible()) {
        complain(QStringLiteral("%1: no page is shown on this screen to open it in").arg(file));
        return;
    }
    const QString path = BookPaths::fromNative(QFileInfo(file).absoluteFilePath());
    m_frame->Navigate(path);
    if (m_trees)
        m_trees->selectByPage(path);
}

void TReadingScreen::claimVerbs() {
    TMainForm& w = m_window;
    w.claimVerb(Verb::Html, [this](const RCommand& c) {
        if (!m_frame)
            return;
        m_frame->AddToPageGroup(c.value);
        m_frame->ShowPage(c.number, c.value);
    });
    w.claimVerb(Verb::Back, [this](const RCommand&) { historyStep(true); });
    w.claimVerb(Verb::Forward, [this](const RCommand&) { historyStep(false); });
    // Verbs that call one operation of the frame or the trees, when the book
    // has them.
    const auto onFrame = [&](Verb v, void (THtmlFrame::*op)()) {
        w.claimVerb(v, [this, op](const RCommand&) {
            if (m_frame)
                (m_frame->*op)();
        });
    };
    const auto onTrees = [&](Verb v, void (TTreeSet::*op)()) {
        w.claimVerb(v, [this, op](const RCommand&) {
            if (m_trees)
                (m_trees->*op)();
        });
    };
    onFrame(Verb::CopyHtml, &THtmlFrame::CopyPageFiles);
    onFrame(Verb::TopHtml, &THtmlFrame::ScrollToTop);
    onTrees(Verb::NextChapter, &TTreeSet::nextChapter);
    onTrees(Verb::PrevChapter, &TTreeSet::prevChapter);
    w.claimVerb(Verb::PrintHtml, [this](const RCommand&) {
        if (m_frame)
            m_frame->PrintPage();
    });
    for (Verb v : {Verb::Tree1, Verb::Tree2, Verb::TreeOn, Verb::TreeOff})
        w.claimVerb(v, [this](const RCommand& c) { treeVerb(c); });
    w.claimVerb(Verb::AddToFavorite, [this](const RCommand&) { addToFavorites(); });
    w.claimVerb(Verb::HistoryBack,
                [this](const RCommand& c) { showListPopup(TControlPopupWindow::HistoryBack, c); });
    w.claimVerb(Verb::HistoryForward, [this](const RCommand& c) {
        showListPopup(TControlPopupWindow::HistoryForward, c);
    });
    w.claimVerb(Verb::ShowFavorite,
                [this](const RCommand& c) { showListPopup(TControlPopupWindow::Favorites, c); });
    w.claimVerb(Verb::DeleteFromFavorite, [this](const RCommand& c) {
        showListPopup(TControlPopupWindow::DeleteFavorite, c);
    });
    // A button's own menu opens at the pointer.
    w.claimVerb(Verb::ContextMenu, [this](const RCommand& c) {
        ensurePopups();
        if (m_popups)
            m_popups->ShowPopup(c.number, QCursor::pos());
    });

    w.claimKey(TKeyboardMap::Action::AddFavorite, [this] { addToFavorites(); });
    w.claimKey(TKeyboardMap::Action::Print, [this] {
        if (m_frame)
            m_frame->PrintPage();
    });
    w.claimKey(TKeyboardMap::Action::HtmlSelectAll, [this] {
        if (m_frame)
            m_frame->SelectAll();
    });
    w.claimDrop(TMainForm::DropPage, [this](const QString& file) { openDropped(file); });
}

void TReadingScreen::showListPopup(int type, const RCommand& c) {
    ensurePopups();
    TSkinElements* elements = m_window.elements();
    if (!m_popups || !elements || c.sourceIndex < 0 || c.sourceIndex >= elements->buttons().size())
        return;
    // Under the button: the back list ends at the button's right edge, the
    // others begin at its left edge.
    const RBtn& b = elements->buttons()[c.sourceIndex];
    const QPoint at(type == TControlPopupWindow::HistoryBack ? b.right : b.vx, b.bottom);
    m_popups->ShowPopup(type, m_window.mapToGlobal(at));
}
