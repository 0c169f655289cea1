#include "reader/TFindTxtHtml.h"

#include "content/ContentArchive.h"
#include "data/BookPaths.h"
#include "data/StringUtils.h"
#include "engine/TBookSearch.h"
#include "engine/TFileSource.h"
#include "engine/TFrameViewer.h"
#include "engine/THTMLViewer.h"
#include "engine/TLinkPath.h"
#include "platform/Busy.h"
#include "platform/Cp1251.h"
#include "platform/Log.h"
#include "platform/TShell.h"
#include "reader/THtmlFrame.h"
#include "reader/TTreeSet.h"
#include "skin/TScaleBar.h"
#include "skin/TStatusLine.h"

#include <QCoreApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QSet>

#include <optional>

namespace {

// Two page paths name the same page: letter case and the kind of slash do
// not count, nor does an anchor.
QString pageKey(const QString& path) {
    QString key = linkpath::withoutAnchor(path);
    key.replace(u'/', u'\\');
    return key.toLower();
}

// Every character of `text` has a place in code page 1251 (the index files'
// encoding).
bool fitsCodePage(const QString& text) {
    for (const QChar c : text)
        if (cp1251::toUnicode(static_cast<unsigned char>(cp1251::fromUnicode(c))) != c)
            return false;
    return true;
}

bool hasFolder(const QString& path) {
    return path.contains(u'\\') || path.contains(u'/');
}

} // namespace

TFindTxtHtml::TFindTxtHtml(QWidget* fieldParent, THtmlFrame* frame, QObject* parent)
    : QObject(parent), m_fieldParent(fieldParent), m_frame(frame) {}

TFindTxtHtml::~TFindTxtHtml() {
    // The fields belong to whichever window holds them now; they go with
    // the search.
    for (const Field& f : std::as_const(m_fields))
        delete f.edit.data();
}

void TFindTxtHtml::setTrees(TTreeSet* trees) {
    m_trees = trees;
}
void TFindTxtHtml::setStatusLine(TStatusLine* status) {
    m_status = status;
}
void TFindTxtHtml::setScaleBar(TScaleBar* bar) {
    m_bar = bar;
}
void TFindTxtHtml::setBook(const ContentArchive* archive, const TFileSource* source,
                           const BookPaths* paths) {
    m_archive = archive;
    m_source = source;
    m_paths = paths;
}
void TFindTxtHtml::setThesaurusWindow(bool on) {
    m_thesaurus = on;
}

// ---- the fields ----

void TFindTxtHtml::Create(const TDynamicFindTxtArray& rows) {
    for (const RFindTxt& r : rows) {
        auto* edit = new QLineEdit(m_fieldParent);
        edit->hide();
        edit->setFrame(false);
        QFont font = edit->font();
        font.setPixelSize(qMax(1, r.vh - r.vy - 1));
        edit->setFont(font);
        edit->setGeometry(r.vx, r.vy, qMax(0, r.vw - r.vx), qMax(0, r.vh - r.vy));
        edit->setToolTip(r.hint);
        edit->setMouseTracking(true);
        edit->installEventFilter(this);
        connect(edit, &QLineEdit::textChanged, this, &TFindTxtHtml::onTextChanged);
        m_fields.append(Field{edit, r, {}, {}});
    }
}

int TFindTxtHtml::fieldCount() const {
    return int(m_fields.size());
}
QLineEdit* TFindTxtHtml::field(int index) const {
    return m_fields.at(index).edit;
}
QLineEdit* TFindTxtHtml::fieldByNumber(int number) const {
    const int i = indexOf(number);
    return i < 0 ? nullptr : m_fields.at(i).edit.data();
}
const RFindTxt& TFindTxtHtml::row(int index) const {
    return m_fields.at(index).row;
}
int TFindTxtHtml::indexOf(int number) const {
    for (qsizetype i = 0; i < m_fields.size(); ++i)
        if (m_fields.at(i).row.number == number && m_fields.at(i).edit)
            return int(i);
    return -1;
}
QStringList TFindTxtHtml::pageList(int index) const {
    return index >= 0 && index < m_fields.size() ? m_fields.at(index).pages : QStringList();
}
QStringList TFindTxtHtml::bookPageList(int index) const {
    return index >= 0 && index < m_fields.size() ? m_fields.at(index).bookPages : QStringList();
}

bool TFindTxtHtml::showable(const QLineEdit* edit) const {
    return m_thesaurus || edit->parentWidget() != m_fieldParent;
}

void TFindTxtHtml::ShowFieldsOfScreen(int screen) {
    for (const Field& f : std::as_const(m_fields))
        if (f.edit && f.row.screen == m_previousScreen && f.row.screen != screen)
            f.edit->hide();
    for (const Field& f : std::as_const(m_fields))
        if (f.edit && f.row.screen == screen && showable(f.edit))
            f.edit->show();
    m_previousScreen = screen;
    m_hiddenFields.clear();
}

void TFindTxtHtml::HideFields(bool hide) {
    if (hide) {
        for (const Field& f : std::as_const(m_fields))
            if (f.edit && f.row.screen == m_previousScreen && !f.edit->isHidden()) {
                m_hiddenFields.append(f.edit);
                f.edit->hide();
            }
        return;
    }
    // Only what was hidden here comes back: a field that another part hid
    // (the dialog showing its message page) stays hidden.
    for (const QPointer<QLineEdit>& edit : std::as_const(m_hiddenFields))
        if (edit)
            edit->show();
    m_hiddenFields.clear();
    for (const Field& f : std::as_const(m_fields))
        if (f.edit && f.edit->isVisible())
            f.edit->update();
}

void TFindTxtHtml::pressEnterInFields() {
    QList<QPointer<QLineEdit>> visible;
    for (const Field& f : std::as_const(m_fields))
        if (f.edit && f.edit->isVisible())
            visible.append(f.edit);
    for (const QPointer<QLineEdit>& edit : visible) {
        if (!edit)
            continue;
        QKeyEvent press(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier);
        QCoreApplication::sendEvent(edit, &press);
    }
}

void TFindTxtHtml::onTextChanged() {
    if (busy::isBusy())
        return;
    m_position = -1;
    m_tildeTried = false;
    m_files.clear();
    m_titles.clear();
    clearStatus();
}

bool TFindTxtHtml::eventFilter(QObject* watched, QEvent* event) {
    auto* edit = qobject_cast<QLineEdit*>(watched);
    if (!edit)
        return QObject::eventFilter(watched, event);
    switch (event->type()) {
    case QEvent::KeyPress:
    case QEvent::KeyRelease:
    case QEvent::ShortcutOverride: {
        if (busy::isBusy())
            return true;
        if (event->type() != QEvent::KeyPress)
            break;
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            if (!m_fields.isEmpty() && m_fields.first().edit == edit)
                runFindCommand(1);
            return true;
        }
        if (key == Qt::Key_Escape)
            return true;
        break;
    }
    case QEvent::MouseMove:
        emit skinMouseMove(-1, -1);
        break;
    default:
        break;
    }
    return QObject::eventFilter(watched, event);
}

// ---- modes and flags ----

void TFindTxtHtml::SetScope(bool all) {
    if (all != m_allPages) {
        for (Field& f : m_fields) {
            f.pages.clear();
            f.bookPages.clear();
        }
        m_position = -1;
    }
    m_allPages = all;
    m_bookMode = m_contentsMode = false;
}
void TFindTxtHtml::setBookMode() {
    m_bookMode = true;
    m_contentsMode = false;
}
void TFindTxtHtml::setContentsMode() {
    m_contentsMode = true;
    m_bookMode = false;
}
void TFindTxtHtml::SetIdle(bool idle) {
    m_idle = idle;
    emit idleChanged(idle);
}

void TFindTxtHtml::showStatus(const QString& text) {
    if (m_status)
        m_status->show(text);
}
void TFindTxtHtml::clearStatus() {
    if (m_status)
        m_status->clear();
}

// ---- the searches ----

void TFindTxtHtml::runFindCommand(int number) {
    // While a search runs (it lets events through between pages) the same
    // command asks it to stop.
    if (busy::isBusy()) {
        SetIdle(true);
        return;
    }
    FindNext(number);
}

QString TFindTxtHtml::normalisedText(int index) {
    QLineEdit* edit = m_fields.at(index).edit;
    QString text = edit->text().trimmed();
    while (text.contains(QLatin1String("  ")))
        text.replace(QLatin1String("  "), QLatin1String(" "));
    if (text != edit->text())
        edit->setText(text);
    return text;
}

void TFindTxtHtml::FindNext(int number) {
    clearStatus();
    const int index = indexOf(number);
    if (index >= 0)
        normalisedText(index);
    if (m_contentsMode) {
        ContentsSearch(index);
        SetIdle(true);
        return;
    }
    if (m_bookMode) {
        BookSearch(index);
        SetIdle(true);
        return;
    }
    SetIdle(false);
    if (index >= 0)
        searchPage(index);
    // Every way out of a page search leaves the search idle (an empty field
    // or a missing page too, so the dialog's button never keeps its "stop"
    // look).
    SetIdle(true);
}

THTMLViewer* TFindTxtHtml::targetOf(int index) const {
    TFrameViewer* viewer = m_frame ? m_frame->CurrentViewer() : nullptr;
    if (!viewer)
        return nullptr;
    const QString frame = m_fields.at(index).row.frame.trimmed();
    if (!frame.isEmpty() && viewer->isFrameSet())
        if (THTMLViewer* named = viewer->frameViewer(frame))
            return named;
    return viewer->activeViewer();
}

bool TFindTxtHtml::findIn(THTMLViewer* target, const QString& text) const {
    if (!target->find(text, m_matchCase))
        return false;
    vlog::trace(QStringLiteral("found"), target->currentFile() + QLatin1Char(' ') +
                                             QString::number(target->selStart()) +
                                             QLatin1Char(' ') + target->selectedText());
    return true;
}

QString TFindTxtHtml::searchText(int index) {
    const QString text = m_fields.at(index).edit->text();
    if (text.isEmpty())
        showStatus(QString::fromUtf16(kEnterWord));
    return text;
}

void TFindTxtHtml::searchPage(int index) {
    const QString text = searchText(index);
    if (text.isEmpty())
        return;
    THTMLViewer* target = targetOf(index);
    if (!target)
        return;
    if (m_startPage.isEmpty())
        m_startPage = linkpath::withoutAnchor(m_frame->CurrentViewer()->currentFile());
    // A thesaurus page marks its entries with "~ ": the entry first, once
    // per text.
    if (m_thesaurus && !m_tildeTried) {
        m_tildeTried = true;
        if (findIn(target, QStringLiteral("~ ") + text))
            return;
    }
    if (findIn(target, text))
        return;
    searchOtherPages(index, text);
}

QStringList TFindTxtHtml::allPagesOfBook() const {
    QStringList pages;
    if (!m_paths)
        return pages;
    pages = cfs::findFiles(m_paths->baseDir(), {QStringLiteral("*.htm*")}, true, false);
    // Most books keep their pages in interface.dat, not on disk: a list of
    // the disk alone would find nothing there. The archive's pages follow
    // the disk's, each page once.
    if (m_archive && m_source && m_archive->isOpen()) {
        QSet<QString> seen;
        for (const QString& p : std::as_const(pages))
            seen.insert(pageKey(p));
        const TBookSearch book(*m_archive, *m_source, *m_paths);
        for (const QString& p : book.pageList({}, true))
            if (!p.isEmpty() && !seen.contains(pageKey(p))) {
                seen.insert(pageKey(p));
                pages.append(p);
            }
    }
    return pages;
}

void TFindTxtHtml::searchOtherPages(int index, const QString& text) {
    busy::setBusy(true);
    m_fields[index].pages.clear();
    if (m_allPages)
        m_fields[index].pages = allPagesOfBook();
    const QStringList pages = m_fields.at(index).pages;
    const qsizetype count = pages.size();
    std::optional<TBookSearch> book;
    if (m_archive && m_source && m_paths)
        book.emplace(*m_archive, *m_source, *m_paths);
    const QString start = pageKey(m_startPage);

    while (++m_position < count) {
        QCoreApplication::processEvents();
        if (m_idle) {
            // A stop request: this page has not been searched, so the next
            // search begins with it.
            --m_position;
            break;
        }
        const QString& page = pages.at(m_position);
        if (pageKey(page) == start)
            continue;
        // The page's text is matched without laying the page out; only the
        // page that holds the text is shown.
        if (!book || !book->pageContains(page, text, m_matchCase))
            continue;
        TFrameViewer* viewer = m_frame ? m_frame->CurrentViewer() : nullptr;
        if (!viewer)
            break;
        if (viewer->isHidden())
            viewer->show();
        m_frame->Navigate(page);
        if (THTMLViewer* target = targetOf(index)) {
            target->setSelection(0, 0);
            findIn(target, text);
        }
        break;
    }
    busy::setBusy(false);

    if (m_position < count)
        return;
    // Past the last page: the next search starts over.
    m_position = -1;
    m_startPage.clear();
    if (m_allPages)
        return;
    THTMLViewer* target = targetOf(index);
    bool found = false;
    if (target) {
        // From the top of the page, the selection left as it was when the
        // text is nowhere on it.
        const int selStart = target->selStart(), selLength = target->selLength();
        target->setSelection(0, 0);
        found = findIn(target, text);
        if (!found)
            target->setSelection(selStart, selLength);
    }
    if (!found)
        showStatus(QString::fromUtf16(kNotFound));
}

void TFindTxtHtml::ContentsSearch(int index) {
    if (index < 0)
        return;
    const QString text = searchText(index);
    if (text.isEmpty())
        return;
    TTreeViews* tree = nullptr;
    if (m_trees) {
        tree =
            m_trees->tree2() && !m_trees->tree2()->isHidden() ? m_trees->tree2() : m_trees->tree1();
    }
    if (!tree || !tree->findInTree(text))
        showStatus(QString::fromUtf16(kNotFound));
}

void TFindTxtHtml::BookSearch(int index) {
    if (index < 0)
        return;
    const QString text = searchText(index);
    if (text.isEmpty())
        return;
    m_files.clear();
    m_titles.clear();
    if (!m_archive || !m_source || !m_paths) {
        vlog::complain(QStringLiteral("the book search has no book to search"));
        emit resultsReady(m_files, m_titles);
        showStatus(QString::fromUtf16(kNotFound));
        return;
    }
    TBookSearch book(*m_archive, *m_source, *m_paths);

    bool found = false;
    if (fitsCodePage(text)) {
        found = book.indexSearch(text, m_files, m_titles);
        for (const TMakeFind::Message& m : book.messages())
            TShell::instance().showMessage(m.text, m.warning);
    } else {
        vlog::complain(QStringLiteral("the search text has characters outside code page 1251, "
                                      "which no index file holds: searching page by page"));
    }

    if (!found) {
        m_files.clear();
        m_titles.clear();
        SetIdle(false);
        m_position = -1;
        busy::setBusy(true);
        if (m_fields.at(index).bookPages.isEmpty())
            m_fields[index].bookPages = book.pageList(m_fields.at(index).row.nofiles, m_allPages);
        const QStringList pages = m_fields.at(index).bookPages;
        book.fallback(text, m_matchCase, pages, m_files, m_titles, [this](int i, int n) {
            QCoreApplication::processEvents();
            if (m_idle) // a stop request
                return false;
            if (m_bar)
                m_bar->advanceTo(i + 1, n);
            return true;
        });
        busy::setBusy(false);
    }
    if (m_bar)
        m_bar->reset();
    emit resultsReady(m_files, m_titles);
    if (m_files.isEmpty())
        showStatus(QString::fromUtf16(kNotFound));
}

void TFindTxtHtml::OpenResult(int index) {
    // A list still shown while a new search fills the results names pages
    // of the old one: nothing opens until the search has ended.
    if (!m_idle || !m_frame || index < 0 || index >= m_files.size())
        return;
    TFrameViewer* viewer = m_frame->CurrentViewer();
    if (!viewer)
        return;
    QString file = m_files.at(index);
    if (!hasFolder(file) && m_paths)
        file = m_paths->baseDir() + file;
    if (pageKey(file) != pageKey(viewer->currentFile())) {
        m_frame->Navigate(file);
        if (m_trees)
            m_trees->selectByPage(QString());
    }
    // The first occurrence on the page, found as a page search does.
    m_bookMode = false;
    FindNext(1);
    m_bookMode = true;
}
