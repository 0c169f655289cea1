#include "app/TInstanceMessages.h"

#include "app/TMainForm.h"
#include "app/TReadingScreen.h"
#include "data/BookPaths.h"
#include "engine/TFrameViewer.h"
#include "platform/Log.h"
#include "platform/TTempFolder.h"
#include "reader/THtmlFrame.h"
#include "reader/TTreeSet.h"

#include <QFile>
#include <QFileInfo>
#include <QSet>
#include <QTimer>

const QStringList TInstanceMessages::kHelpViewerCaptions = {
    QStringLiteral("Help System: Vantrel"), QStringLiteral("Справка: Vantrel"),
    QStringLiteral("Help Topics: Vantrel"), QStringLiteral("Vantrel")};

namespace {

using vlog::complain;
using vlog::trace;

// A record that cannot travel is named once, not once per window.
bool fits(const RCopyRecord& record, const QString& what) {
    QString error;
    if (record.encode(&error))
        return true;
    complain(QStringLiteral("%1 not sent: %2").arg(what, error));
    return false;
}

// Asks every shown window captioned `caption` to close, except the
// caller's own and those asked before; the lookup is repeated until none is
// left (`all`) or after the first (`!all`).
void closeWindows(const QString& caption, bool all, QSet<QString>& asked) {
    for (;;) {
        std::optional<RWindowEntry> next;
        for (const RWindowEntry& e : TInstanceLink::findWindows(caption))
            if (!TInstanceLink::isLocal(e) && !asked.contains(e.id)) {
                next = e;
                break;
            }
        if (!next)
            return;
        asked.insert(next->id);
        const bool acknowledged = TInstanceLink::requestClose(*next);
        trace(QStringLiteral("close"),
              QStringLiteral("%1 %2 %3")
                  .arg(next->id, caption,
                       acknowledged ? QStringLiteral("closing") : QStringLiteral("silent")));
        if (!all)
            return;
    }
}

} // namespace

TInstanceMessages::TInstanceMessages(TMainForm& window) : QObject(&window), m_window(window) {
    m_link.onRecord = [this](const RCopyRecord& r) { return CopyData(r); };
    m_link.onCloseRequest = [this] { m_window.close(); };
}

bool TInstanceMessages::open() {
    m_tried = true;
    if (!m_link.open(m_window.windowTitle(), m_window.isVisible()))
        return false;
    m_link.follow(&m_window);
    return true;
}

// ---- requests ----

bool TInstanceMessages::showInThesaurus(const QString& page) {
    const RCopyRecord record = RCopyRecord::single(RCopyRecord::ShowPage, page);
    if (!fits(record, QStringLiteral("the thesaurus page")))
        return false;
    const std::optional<RWindowEntry> target = TInstanceLink::findWindow(kThesaurusCaption);
    if (!target)
        return false;
    const bool delivered = TInstanceLink::SendRecord(*target, record).delivered;
    trace(QStringLiteral("thesaurus"),
          (delivered ? QStringLiteral("sent ") : QStringLiteral("lost ")) + page);
    return delivered;
}

bool TInstanceMessages::sendToPictureWindow(const QString& full) {
    const RCopyRecord record = RCopyRecord::single(RCopyRecord::IsShown, full);
    if (!fits(record, QStringLiteral("the picture request")))
        return false;
    for (const RWindowEntry& e : TInstanceLink::findWindows(kPictureCaption)) {
        const TInstanceLink::RSendResult r = TInstanceLink::SendRecord(e, record);
        if (r.reply && r.reply->message == RReplyFrame::ShownReply && r.reply->param == 1) {
            trace(QStringLiteral("picture reused"), e.id);
            return true;
        }
    }
    trace(QStringLiteral("picture new"), full);
    return false;
}

void TInstanceMessages::closeOtherCopies(bool commandLineMode) {
    QSet<QString> asked;
    closeWindows(kHelpCaption, false, asked);
    closeWindows(kThesaurusCaption, false, asked);
    closeWindows(kDiagramCaption, true, asked);
    for (const QString& caption : kHelpViewerCaptions)
        closeWindows(caption, true, asked);
    if (!commandLineMode)
        closeWindows(kPictureCaption, true, asked);
}

// ---- the handler ----

RReplyFrame TInstanceMessages::CopyData(const RCopyRecord& record) {
    THtmlFrame* frame = m_window.reading() ? m_window.reading()->frame() : nullptr;
    if (!frame) {
        // Nothing here shows documents; a question still gets its answer.
        if (record.kind == RCopyRecord::IsShown)
            return {RReplyFrame::ShownReply, 0, QString()};
        return {};
    }
    switch (record.kind) {
    case RCopyRecord::ShowPage:
        return showPage(record);
    case RCopyRecord::PrintFile:
        return printFile(record);
    case RCopyRecord::IsShown:
        return isShown(record);
    default:
        return {};
    }
}

RReplyFrame TInstanceMessages::showPage(const RCopyRecord& record) {
    THtmlFrame* frame = m_window.reading()->frame();
    const QString text = record.texts[0];
    trace(QStringLiteral("show-page"), text);
    if (text.isEmpty())
        return {};
    if (m_window.thesaurusInstance()) {
        frame->Navigate(text);
        bringToFront();
        return {};
    }
    // The page below the book's folder (a climb by ".." stops at the book).
    const BookPaths& paths = m_window.paths();
    const QString page = paths.join(paths.baseDir(), text);
    // On the cover the reading screen comes with the page (its contents
    // tree opens it; a book without a tree gets it in the frame below).
    if (m_window.currentScreen() == 0)
        m_window.SwitchScreen(THtmlFrame::kReadingScreen, page);
    TFrameViewer* viewer = frame->CurrentViewer();
    const QString shown = viewer ? viewer->currentFile().toLower() : QString();
    if (shown != text.toLower() && shown != page.toLower())
        frame->Navigate(page);
    if (TTreeSet* trees = m_window.reading()->trees())
        trees->selectByPage(page);
    return {RReplyFrame::PageShown, 0, m_link.id()};
}

RReplyFrame TInstanceMessages::printFile(const RCopyRecord& record) {
    m_servingRemote = true;
    QString file;
    for (int i = 0; i < record.count; ++i) {
        switch (record.codes[i]) {
        case 0:
            file = record.texts[i];
            break;
        case 1:
            m_printValues[0] = record.texts[i].trimmed().toInt();
            break;
        case 2:
            m_printValues[1] = record.texts[i].trimmed().toInt();
            break;
        default:
            break;
        }
    }
    if (TReadingScreen* reading = m_window.reading())
        if (THtmlFrame* frame = reading->frame())
            frame->setRemotePrintValues(m_printValues[0], m_printValues[1]);
    if (!file.isEmpty())
        // The user message 1224, posted to this window: the sender does not
        // wait for the printing.
        QTimer::singleShot(0, this, [this, file] { printReceived(file); });
    return {};
}

void TInstanceMessages::printReceived(const QString& text) {
    // A native path ("/tmp/x.htm") or a path text ("\tmp\x.htm").
    const bool native = text.startsWith(u'/');
    QString nativePath = native ? text : BookPaths::resolveOnDisk(text);
    if (nativePath.isEmpty())
        nativePath = BookPaths::toNative(text);
    const QString pathText = native ? BookPaths::fromNative(text) : text;
    trace(QStringLiteral("print-request"), pathText);
    if (THtmlFrame* frame = m_window.reading() ? m_window.reading()->frame() : nullptr)
        frame->PrintPage(pathText);
    // Only a file this program wrote into its own temporary folder is
    // deleted; a file another process names anywhere else stays.
    if (TTempFolder::holds(nativePath)) {
        if (!QFile::remove(nativePath))
            complain(QStringLiteral("%1: the printed file cannot be deleted").arg(nativePath));
    } else if (QFileInfo::exists(nativePath)) {
        complain(QStringLiteral("%1: printed, not deleted (not a file of this program's "
                                "temporary folder)")
                     .arg(nativePath));
    }
}

RReplyFrame TInstanceMessages::isShown(const RCopyRecord& record) {
    m_servingRemote = true;
    bool shown = false;
    if (record.codes[0] == 0)
        shown = m_window.documentPath().trimmed() == record.texts[0];
    trace(QStringLiteral("shown-request"),
          QStringLiteral("%1 %2").arg(shown ? 1 : 0).arg(record.texts[0]));
    if (shown)
        bringToFront();
    return {RReplyFrame::ShownReply, shown ? 1 : 0, QString()};
}

void TInstanceMessages::bringToFront() {
    // After the reply: the sender cannot raise another copy's window itself.
    QTimer::singleShot(0, &m_window, [w = &m_window] {
        if (w->isMinimized())
            w->showNormal();
        w->raise();
        w->activateWindow();
    });
}
