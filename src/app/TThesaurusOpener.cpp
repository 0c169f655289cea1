#include "app/TThesaurusOpener.h"

#include "app/TMainForm.h"
#include "app/TReadingScreen.h"
#include "content/TMakeTesaurusFind.h"
#include "data/BookPaths.h"
#include "data/IndexLines.h"
#include "engine/TFrameViewer.h"
#include "engine/THTMLViewer.h"
#include "engine/TLinkPath.h"
#include "platform/Log.h"
#include "platform/TShell.h"
#include "reader/THtmlFrame.h"


TThesaurusOpener::TThesaurusOpener(TMainForm& window) : QObject(&window), m_window(window) {
    window.claimVerb(Verb::Tesaurus, [this](const RCommand&) { OpenThesaurus(currentWord()); });
    window.claimKey(TKeyboardMap::Action::Thesaurus, [this] { OpenThesaurus(currentWord()); });
}

QString TThesaurusOpener::currentWord() const {
    TReadingScreen* reading = m_window.reading();
    THtmlFrame* frame = reading ? reading->frame() : nullptr;
    TFrameViewer* viewer = frame ? frame->CurrentViewer() : nullptr;
    THTMLViewer* active = viewer ? viewer->activeViewer() : nullptr;
    return active ? indexlines::trimControls(active->selectedText()) : QString();
}

QString TThesaurusOpener::pagePath(const QString& page, const BookPaths& paths) {
    const bool absolute =
        page.startsWith(u'\\') || page.startsWith(u'/') || (page.size() > 1 && page.at(1) == u':');
    return absolute ? BookPaths::fromNative(page) : paths.resolvePath(page);
}

QString TThesaurusOpener::OpenThesaurus(const QString& text) {
    // 1. The page of the word.
    const QString base = m_window.paths().baseDir();
    TMakeTesaurusFind find(m_window.book().archive());
    find.SetFolder(base);
    QString page;
    const bool found = find.ThesaurusLookup(indexlines::trimControls(text), page);
    for (const QString& warning : find.messages())
        TShell::instance().showMessage(warning, true);
    if (!found)
        return QString();
    // 2. Full path.
    const QString full = base + page;
    // The thesaurus window itself shows the page at once.
    if (m_window.thesaurusMode()) {
        if (THtmlFrame* frame = m_window.reading() ? m_window.reading()->frame() : nullptr)
            frame->Navigate(full);
        return full;
    }
    // 3. A running thesaurus window takes the page.
    if (sendToThesaurusWindow && sendToThesaurusWindow(full))
        return full;
    // 4. Otherwise a new copy in thesaurus mode, when the page is in the book.
    const QString file = linkpath::withoutAnchor(full);
    if (!m_window.book().archive().exists(file)) {
        vlog::complain(QStringLiteral("the thesaurus page %1 is not in the book").arg(page));
        return QString();
    }
    QStringList args;
    args << QStringLiteral("--book") << BookPaths::toNative(base) << full << QStringLiteral("/t");
    if (!TShell::instance().startInstance(args)) {
        vlog::complain(QStringLiteral("cannot start the thesaurus window"));
        return QString();
    }
    emit instanceStarted(args);
    return full;
}
