#include "reader/THtmlFrame.h"

#include "data/BookPaths.h"
#include "data/SettingsStore.h"
#include "engine/TFileSource.h"
#include "engine/TFrameViewer.h"
#include "engine/THTMLViewer.h"
#include "engine/TLinkPath.h"
#include "engine/TMetaFilePrinter.h"
#include "engine/TPrintFormatter.h"
#include "engine/TPrintFrameViewer.h"
#include "platform/Log.h"
#include "platform/TShell.h"
#include "reader/LinkRules.h"
#include "reader/TFileCopier.h"
#include "reader/TImageHint.h"
#include "reader/TLinkDispatcher.h"
#include "reader/TPanelBkgrd.h"

#include <QClipboard>
#include <QDirIterator>
#include <QFileInfo>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPrinter>
#include <QPrinterInfo>

THtmlFrame::THtmlFrame(QWidget* mainWindow, const TFileSource* source, const QString& settingsKey,
                       QObject* parent)
    : QObject(parent), m_mainWindow(mainWindow), m_source(source), m_settingsKey(settingsKey),
      m_hint(new TImageHint(this)), m_links(std::make_unique<TLinkDispatcher>(*this)) {
    qRegisterMetaType<TFrameViewer*>();
    m_hint->objectAt = [this](const QPoint& global) -> THitInfo {
        TFrameViewer* v = CurrentViewer();
        THTMLViewer* av = v ? v->activeViewer() : nullptr;
        if (!av || !av->isVisible())
            return {};
        const QPoint p = av->mapFromGlobal(global);
        if (!av->rect().contains(p))
            return {};
        return av->objectAt(p);
    };
}

THtmlFrame::~THtmlFrame() {
    if (!m_viewers.isEmpty()) {
        TFrameViewer* v = CurrentViewer();
        if (!v)
            v = m_viewers.first().viewer;
        const RHtmlFonts fonts = v ? THtmlSettings::fromViewer(v->settings()) : m_fonts;
        TSettingsStore store(m_settingsKey);
        THtmlSettings::write(store, fonts);
    }
    if (m_mainWindow)
        m_mainWindow->removeEventFilter(this);
    for (ViewerState& s : m_viewers)
        delete s.viewer.data();
}

void THtmlFrame::setPanel(TPanelBkgrd* panel) {
    m_panel = panel;
}

TShell& THtmlFrame::shell() const {
    return m_shell ? *m_shell : TShell::instance();
}

// --- creation and layout ---

void THtmlFrame::Create(const TDynamicHtmlArray& rows, int currentScreen) {
    if (rows.isEmpty() || !m_viewers.isEmpty())
        return;
    QList<int> screens;
    for (const RHtml& r : rows)
        if (!screens.contains(r.screen))
            screens << r.screen;
    TSettingsStore store(m_settingsKey);
    m_fonts = THtmlSettings::read(store);
    for (int i = 0; i < screens.size(); ++i) {
        ViewerState s;
        s.screen = screens[i];
        m_viewers << s;
        m_viewers[i].viewer = newViewer(i);
    }
    for (const RHtml& r : rows) {
        m_rects << QRect(QPoint(r.vx, r.vy), QSize(r.vw - r.vx, r.vh - r.vy));
        m_numbers << r.number;
        m_screens << r.screen;
        m_startPages << r.fn;
    }
    m_prevScreen = -1;
    ShowScreen(currentScreen);
}

TFrameViewer* THtmlFrame::newViewer(int index) {
    auto* v = new TFrameViewer(m_mainWindow);
    v->hide();
    v->setGeometry(0, 0, 0, 0);
    v->setFileSource(m_source);
    TViewerSettings s = THtmlSettings::apply(m_fonts, v->settings());
    s.overLinkColor = Qt::red;
    s.imageCacheCount = 0;
    v->setSettings(s);
    v->setOptions(TFrameViewer::fvNoBorder | TFrameViewer::fvOverLinksActive);
    v->setHistoryMaxCount(kHistoryMaxCount);
    v->setVisitedMaxCount(kVisitedMaxCount);
    v->setObjectName(QStringLiteral("htmlViewer%1").arg(index));
    v->OnHotSpotTargetCovered = [this, v](const QString& target, const QString& url) {
        emit statusText(statusTextFor(v, target, url));
    };
    v->OnHotSpotTargetClick = [this, v](const QString& target, const QString& url, bool& handled) {
        m_links->click(v, target, url, handled);
    };
    v->OnPrintHeader = [v](QPainter* p, int page, const QRect& paper, int ppi) {
        THTMLViewer* av = v->activeViewer();
        if (av && av->hasDocument())
            printing::DrawPageNumber(p, page, paper, ppi);
    };
    connect(v, &TFrameViewer::historyChanged, this, [this, v] { onHistoryChange(v); });
    connect(v, &TFrameViewer::keyPressed, this, &THtmlFrame::onKey);
    connect(v, &TFrameViewer::mousePressed, this, &THtmlFrame::onMousePress);
    connect(v, &TFrameViewer::mouseMoved, this, [this, v](QMouseEvent* e) { onMouseMove(v, e); });
    return v;
}

int THtmlFrame::viewerIndexOfScreen(int screen) const {
    for (int i = 0; i < m_viewers.size(); ++i)
        if (m_viewers[i].screen == screen)
            return i;
    return -1;
}

TFrameViewer* THtmlFrame::viewerOfScreen(int screen) const {
    const int i = viewerIndexOfScreen(screen);
    return i < 0 ? nullptr : m_viewers[i].viewer.data();
}

TFrameViewer* THtmlFrame::CurrentViewer() const {
    return m_currentViewer >= 0 && m_currentViewer < m_viewers.size()
               ? m_viewers[m_currentViewer].viewer.data()
               : nullptr;
}

QList<TFrameViewer*> THtmlFrame::viewers() const {
    QList<TFrameViewer*> out;
    for (const ViewerState& s : m_viewers)
        out << s.viewer.data();
    return out;
}

THtmlFrame::ViewerState* THtmlFrame::stateOf(const TFrameViewer* viewer) {
    if (!viewer)
        viewer = CurrentViewer();
    for (ViewerState& s : m_viewers)
        if (s.viewer == viewer)
            return &s;
    return nullptr;
}

const THtmlFrame::ViewerState* THtmlFrame::stateOf(const TFrameViewer* viewer) const {
    return const_cast<THtmlFrame*>(this)->stateOf(viewer);
}

QRect THtmlFrame::elementRect(int i) const {
    return i >= 0 && i < m_rects.size() ? m_rects[i] : QRect();
}

void THtmlFrame::place(TFrameViewer* v, int element) {
    if (!v || element < 0 || element >= m_rects.size())
        return;
    if (m_fill && m_mainWindow) {
        if (v->parentWidget() != m_mainWindow)
            v->setParent(m_mainWindow);
        v->setGeometry(m_mainWindow->contentsRect());
        return;
    }
    if (m_screens[element] == kReadingScreen && m_panel) {
        // Inside the panel the viewer fills the room beside the tree.
        m_panel->setPane(v);
        return;
    }
    if (m_mainWindow && v->parentWidget() != m_mainWindow)
        v->setParent(m_mainWindow);
    v->setGeometry(m_rects[element]);
}

void THtmlFrame::ShowScreen(int screen) {
    m_screen = screen;
    const int element = int(m_screens.indexOf(screen));
    if (element < 0) {
        m_currentViewer = -1;
    } else {
        m_currentElement = element;
        m_currentViewer = viewerIndexOfScreen(screen);
        TFrameViewer* v = CurrentViewer();
        if (v) {
            place(v, element);
            bool ok = true;
            if (v->historyModel()->isEmpty()) {
                QString error;
                ok = v->loadFile(m_startPages[element], &error);
                if (!ok)
                    vlog::complain(error);
            } else {
                ScrollToTop();
            }
            // A page that cannot be shown hides the pane; nothing is said.
            v->setVisible(ok);
        }
    }
    if (m_prevScreen != screen && m_prevScreen >= 0)
        if (TFrameViewer* prev = viewerOfScreen(m_prevScreen); prev && prev != CurrentViewer())
            prev->hide();
    m_prevScreen = screen;
}

void THtmlFrame::FillClient() {
    TFrameViewer* v = CurrentViewer();
    if (!v || v->isHidden() || !m_mainWindow)
        return;
    m_fill = true;
    if (v->parentWidget() != m_mainWindow) {
        v->setParent(m_mainWindow);
        v->show();
    }
    v->setGeometry(m_mainWindow->contentsRect());
    m_mainWindow->installEventFilter(this);
}

void THtmlFrame::RestoreBounds() {
    TFrameViewer* v = CurrentViewer();
    if (!v || v->isHidden())
        return;
    m_fill = false;
    if (m_mainWindow)
        m_mainWindow->removeEventFilter(this);
    place(v, m_currentElement);
    v->show();
}

bool THtmlFrame::eventFilter(QObject* watched, QEvent* e) {
    if (m_fill && watched == m_mainWindow && e->type() == QEvent::Resize)
        if (TFrameViewer* v = CurrentViewer(); v && v->parentWidget() == m_mainWindow)
            v->setGeometry(m_mainWindow->contentsRect());
    return QObject::eventFilter(watched, e);
}

// --- pages ---

bool THtmlFrame::open(TFrameViewer* v, const QString& path) {
    const int entry = v->historyModel()->indexOf(path);
    if (entry >= 0) {
        v->setHistoryIndex(entry);
        return linkpath::samePath(v->currentFile(), linkpath::withoutAnchor(path)) ||
               linkpath::samePath(v->currentFile(), path);
    }
    QString error;
    if (v->loadFile(path, &error))
        return true;
    vlog::complain(error);
    return false;
}

void THtmlFrame::AddToPageGroup(const QString& path) {
    ViewerState* s = stateOf(CurrentViewer());
    if (!s)
        return;
    for (int i = 0; i < s->groups.size(); ++i)
        if (s->groups[i].contains(path, Qt::CaseInsensitive)) {
            s->group = i;
            return;
        }
    s->groups << path;
    s->group = int(s->groups.size()) - 1;
}

void THtmlFrame::ShowPage(int number, const QString& path) {
    const int element = int(m_numbers.indexOf(number));
    if (element < 0)
        return;
    const QString page = path.isEmpty() ? m_startPages[element] : path;
    const int screen = m_screens[element];
    if (screen == m_screen) {
        TFrameViewer* v = CurrentViewer();
        if (!v)
            return;
        const bool ok = open(v, page);
        place(v, element);
        ScrollToTop();
        v->setVisible(ok);
        m_currentElement = element;
        return;
    }
    // Another screen's pane gets the page now, so that it waits there.
    if (TFrameViewer* v = viewerOfScreen(screen)) {
        if (v->parentWidget() != m_panel || !m_panel)
            v->setGeometry(0, 0, 0, 0);
        v->show();
        open(v, page);
        v->hide();
    }
}

void THtmlFrame::Navigate(const QString& path) {
    TFrameViewer* v = CurrentViewer();
    if (!v || v->isHidden())
        return;
    const int entry = v->historyModel()->indexOf(path);
    if (entry < 0) {
        // The new page is built with the visited list already holding it;
        // the page it replaces is marked again only when it stays.
        v->addVisited(path);
        QString error;
        if (!v->loadFile(path, &error)) {
            v->checkVisitedLinks();
            vlog::complain(error);
        }
    } else {
        v->setHistoryIndex(entry);
        ScrollToTop();
    }
}

void THtmlFrame::GoBack(const TDynamicSwthOneArray& ones, const TDynamicSwthGrpArray& groups) {
    step(true, ones, groups);
}

void THtmlFrame::GoForward(const TDynamicSwthOneArray& ones, const TDynamicSwthGrpArray& groups) {
    step(false, ones, groups);
}

void THtmlFrame::step(bool back, const TDynamicSwthOneArray& ones,
                      const TDynamicSwthGrpArray& groups) {
    TFrameViewer* v = CurrentViewer();
    if (!v)
        return;
    if (back ? !v->backButtonEnabled() : !v->fwdButtonEnabled()) {
        shell().beep();
        return;
    }
    const QString before = v->currentFile();
    if (back)
        v->goBack();
    else
        v->goFwd();
    const ViewerState* s = stateOf(v);
    if (v->currentFile() == before || !s || s->group < 0 || s->group >= s->groups.size())
        return;
    // The switch whose command opened the group shows as pressed again.
    const QString first = s->groups[s->group].section(QLatin1Char(';'), 0, 0).trimmed();
    if (first.isEmpty())
        return;
    for (const RSwthOne& one : ones) {
        const QString& command = one.on ? one.goup : one.godown;
        if (command.contains(first, Qt::CaseInsensitive))
            emit switchPressRequested(QPoint(one.vx + 1, one.vy + 1));
    }
    for (const RSwthGrp& grp : groups)
        if (grp.go.contains(first, Qt::CaseInsensitive))
            emit switchPressRequested(QPoint(grp.vx + 1, grp.vy + 1));
}

void THtmlFrame::SetHistoryIndex(int index) {
    if (TFrameViewer* v = CurrentViewer())
        v->setHistoryIndex(index);
}

void THtmlFrame::ScrollToTop() {
    if (TFrameViewer* v = CurrentViewer())
        if (THTMLViewer* av = v->activeViewer())
            av->setPosition(0);
}

void THtmlFrame::SelectAll() {
    if (TFrameViewer* v = CurrentViewer())
        if (THTMLViewer* av = v->activeViewer(); av && av->hasDocument())
            av->selectAll();
}

void THtmlFrame::onHistoryChange(TFrameViewer* v) {
    const QString file = v->currentFile();
    if (ViewerState* s = stateOf(v); s && !s->groups.isEmpty()) {
        int found = -1;
        for (int i = 0; i < s->groups.size() && found < 0; ++i)
            if (s->groups[i].contains(file, Qt::CaseInsensitive))
                found = i;
        if (found >= 0)
            s->group = found;
        else if (s->group >= 0 && s->group < s->groups.size())
            s->groups[s->group] += QStringLiteral("; ") + file.toLower();
    }
    emit pageChanged(v, file, v->documentTitle() + QStringLiteral("  "));
}

QStringList THtmlFrame::pageGroups(const TFrameViewer* viewer) const {
    const ViewerState* s = stateOf(viewer);
    return s ? s->groups : QStringList();
}

int THtmlFrame::currentPageGroup(const TFrameViewer* viewer) const {
    const ViewerState* s = stateOf(viewer);
    return s ? s->group : -1;
}

bool THtmlFrame::archiveView() const {
    const ViewerState* s = stateOf(CurrentViewer());
    return s && s->archiveView;
}

void THtmlFrame::setArchiveView(bool on) {
    if (ViewerState* s = stateOf(CurrentViewer()))
        s->archiveView = on;
}

bool THtmlFrame::archiveViewOf(const TFrameViewer* viewer) const {
    const ViewerState* s = stateOf(viewer);
    return s && s->archiveView;
}

void THtmlFrame::applyFonts(const RHtmlFonts& fonts) {
    m_fonts = fonts;
    for (ViewerState& s : m_viewers)
        if (s.viewer)
            s.viewer->setSettings(THtmlSettings::apply(fonts, s.viewer->settings()));
    if (TFrameViewer* v = CurrentViewer())
        v->reload();
}

void THtmlFrame::ChooseFont() {
    TFrameViewer* v = CurrentViewer();
    if (!v || !FontDialog)
        return;
    RHtmlFonts fonts = THtmlSettings::fromViewer(v->settings());
    if (FontDialog(fonts))
        applyFonts(fonts);
}

// --- status text, keys and mouse ---

QString THtmlFrame::statusTextFor(TFrameViewer* v, const QString& target,
                                  const QString& url) const {
    if (url.isEmpty() || archiveViewOf(v))
        return {};
    QString text;
    if (url.startsWith(QLatin1Char('#'))) {
        text = v->currentFile() + url;
    } else if (linkpath::hasScheme(url)) {
        if (linkpath::scheme(url) == QLatin1String("copy")) {
            text = v->expandLink(linkrules::copyArgument(url));
            const QString folder = PathInputFolder ? PathInputFolder() : QString();
            if (!folder.isEmpty())
                text =
                    QStringLiteral("Копирование файла \"%1\" в каталог \"%2\"").arg(text, folder);
        } else {
            text = url;
        }
    } else {
        text = v->expandLink(url);
    }
    if (target.isEmpty())
        return text;
    return QStringLiteral("Url: ") + text + QStringLiteral("  Target: ") + target;
}

void THtmlFrame::onKey(QKeyEvent* e) {
    // Ctrl+C and Ctrl+Insert are copied by the viewer itself.
    if (e->key() == Qt::Key_Return || e->key() == Qt::Key_Enter)
        emit enterPressed();
}

void THtmlFrame::onMousePress(QMouseEvent* e) {
    emit closePopupsRequested();
    if (e->buttons() == Qt::RightButton)
        emit contextPopupRequested(e->globalPosition().toPoint());
}

void THtmlFrame::onMouseMove(TFrameViewer*, QMouseEvent* e) {
    m_hint->mouseMoved(e->globalPosition().toPoint());
    emit skinMouseMoved(QPoint(-1, -1));
}

// --- copying ---

void THtmlFrame::CopyToPathBox(const QString& file) {
    const QString folder = PathInputFolder ? PathInputFolder() : QString();
    if (folder.isEmpty())
        return;
    const QString plain = linkpath::withoutAnchor(file);
    const QString name = linkpath::fileNameOf(plain);
    const QString dest = QDir(BookPaths::toNative(folder)).filePath(name);
    TFileCopier copier(m_source, shell());
    switch (copier.copy(plain, dest)) {
    case TFileCopier::Result::Copied:
        emit statusMessage(QStringLiteral("Файл скопирован"));
        break;
    case TFileCopier::Result::Failed:
        emit statusMessage(TFileCopier::failureText(name));
        break;
    case TFileCopier::Result::Declined:
        break;
    }
}

void THtmlFrame::CopyPageFiles() {
    TFrameViewer* v = CurrentViewer();
    const QString folder = PathInputFolder ? PathInputFolder() : QString();
    if (!v || v->isHidden() || v->currentFile().isEmpty() || folder.isEmpty())
        return;
    const QString page = v->currentFile();
    const QDir dest(BookPaths::toNative(folder));
    TFileCopier copier(m_source, shell());
    QString failed;
    bool copied = false;
    auto one = [&](const QString& from, const QString& to) {
        switch (copier.copy(from, to)) {
        case TFileCopier::Result::Copied:
            copied = true;
            break;
        case TFileCopier::Result::Failed:
            if (failed.isEmpty())
                failed = QFileInfo(to).fileName();
            break;
        case TFileCopier::Result::Declined:
            break;
        }
    };
    one(page, dest.filePath(linkpath::fileNameOf(page)));
    // The page's pictures and styles in "<stem>.files", with their folders.
    const int dot = int(page.lastIndexOf(QLatin1Char('.')));
    const QString stem = dot > 0 ? page.left(dot) : page;
    const QString files = BookPaths::resolveOnDisk(stem + QStringLiteral(".files"));
    if (!files.isEmpty() && QFileInfo(files).isDir()) {
        const QDir pageFolder = QFileInfo(files).dir();
        QDirIterator it(files, QDir::Files | QDir::Hidden | QDir::NoDotAndDotDot,
                        QDirIterator::Subdirectories);
        while (it.hasNext()) {
            const QString entry = it.next();
            one(entry, dest.filePath(pageFolder.relativeFilePath(entry)));
        }
    }
    if (!failed.isEmpty())
        emit statusMessage(TFileCopier::failureText(failed));
    else if (copied)
        emit statusMessage(QStringLiteral("Файл скопирован"));
}

void THtmlFrame::CopyListValue(const QString& name) {
    TFrameViewer* v = CurrentViewer();
    THTMLViewer* av = v ? v->activeViewer() : nullptr;
    if (!av)
        return;
    for (const TFormControlInfo& c : av->formControls())
        if (c.name.compare(name, Qt::CaseInsensitive) == 0 && c.type == QLatin1String("select") &&
            !c.listBox) {
            QGuiApplication::clipboard()->setText(c.selectedText);
            emit statusMessage(QStringLiteral("Серийный номер скопирован"));
        }
}

// --- printing ---

int THtmlFrame::printerState() {
    if (QPrinterInfo::availablePrinters().isEmpty())
        return 2;
    const QPrinterInfo def = QPrinterInfo::defaultPrinter();
    if (def.isNull() || def.state() == QPrinter::Error)
        return 3;
    return 0;
}

bool THtmlFrame::printViewer(THTMLViewer* av) {
    if (!av || !av->hasDocument())
        return false;
    if (const int notice = printerState())
        emit printerNotice(notice);
    QPrinter printer(QPrinter::HighResolution);
    if (!shell().askPrinter(&printer))
        return false;
    TMetaFilePrinter pages(&printer);
    pages.refreshMetrics();
    if (!printing::Format(av, pages, 1.0)) {
        vlog::complain(QStringLiteral("the page could not be laid out for printing"));
        return false;
    }
    int from = 1, to = pages.pageCount();
    if (printer.printRange() == QPrinter::PageRange && printer.fromPage() > 0) {
        from = printer.fromPage();
        to = qMax(from, printer.toPage());
    }
    if (!printing::PrintPages(pages, from, to)) {
        vlog::complain(QStringLiteral("printing failed"));
        return false;
    }
    return true;
}

static bool isPictureFile(const QString& path) {
    const QString ext = linkpath::extensionOf(path);
    return ext == QLatin1String(".bmp") || ext == QLatin1String(".gif") ||
           ext == QLatin1String(".jpg") || ext == QLatin1String(".jpeg");
}

bool THtmlFrame::preview(THTMLViewer* av, QSize picture) {
    if (!av || !av->hasDocument())
        return false;
    if (PrintPreview)
        return PrintPreview(av, m_pageIsPicture, picture);
    return printViewer(av);
}

bool THtmlFrame::PrintPage(const QString& path) {
    if (!path.isEmpty()) {
        TPrintFrameViewer pv(m_mainWindow);
        pv.setFileSource(m_source);
        pv.setSettings(THtmlSettings::apply(m_fonts, pv.settings()));
        pv.OnPrintHeader = printing::DrawPageNumber;
        QString error;
        if (!pv.loadFile(path, &error)) {
            vlog::complain(
                QStringLiteral("%1: the page to print cannot be loaded (%2)").arg(path, error));
            return false;
        }
        m_pageIsPicture = isPictureFile(path);
        const bool ok = preview(pv.activeViewer(), m_remotePrint);
        m_pageIsPicture = false;
        return ok;
    }
    TFrameViewer* v = CurrentViewer();
    if (!v)
        return false;
    m_pageIsPicture = isPictureFile(v->currentFile());
    THTMLViewer* av = v->activeViewer();
    return preview(av, av ? av->lastPictureSize() : QSize());
}
