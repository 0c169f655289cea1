#include "app/TArchiveHost.h"

#include "app/TMainForm.h"
#include "app/TReadingScreen.h"
#include "content/TArchiveListing.h"
#include "content/TRarExtractor.h"
#include "content/TUnRar.h"
#include "data/BookPaths.h"
#include "dialogs/TCoolDialog.h"
#include "engine/TFrameViewer.h"
#include "platform/Busy.h"
#include "platform/Log.h"
#include "platform/TShell.h"
#include "platform/TTempFolder.h"
#include "reader/TFileCopier.h"
#include "reader/THtmlFrame.h"
#include "skin/TPathInputBox.h"
#include "skin/TScaleBar.h"
#include "skin/TStatusLine.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>

using vlog::complain;
using vlog::trace;

namespace {

bool containsNoCase(const QStringList& list, const QString& item) {
    for (const QString& s : list)
        if (s.compare(item, Qt::CaseInsensitive) == 0)
            return true;
    return false;
}

// A path text or native path as the file on disk ("" when there is none).
QString nativeOf(const QString& file) {
    if (file.startsWith(u'/') && QFileInfo(file).isFile())
        return file;
    const QString text = file.contains(u'\\') ? file : BookPaths::fromNative(file);
    QString native = BookPaths::resolveOnDisk(text);
    if (native.isEmpty() && QFileInfo(file).isFile())
        native = QFileInfo(file).absoluteFilePath();
    return native;
}

qint64 nowMs() {
    return QDateTime::currentMSecsSinceEpoch();
}

} // namespace

TArchiveHost::TArchiveHost(TMainForm& window) : QObject(&window), m_window(window) {
    claim();
}

TArchiveHost::~TArchiveHost() {
    // Release: the listing folders go with the run that made them.
    if (m_created)
        removeListingFolders(TTempFolder::path());
}

void TArchiveHost::claim() {
    m_window.claimDrop(TMainForm::DropArchive, [this](const QString& file) {
        THtmlFrame* frame = m_window.reading() ? m_window.reading()->frame() : nullptr;
        TFrameViewer* viewer = frame ? frame->CurrentViewer() : nullptr;
        OpenArchive(file, viewer ? viewer->currentFile() : QString());
    });
    m_window.claimVerb(Verb::Unarc, [this](const RCommand&) {
        if (frameInArchiveView())
            Extract(true);
        else
            message(QStringLiteral("Выберите файл для распаковки."));
    });
    THtmlFrame* frame = m_window.reading() ? m_window.reading()->frame() : nullptr;
    if (!frame)
        return;
    connect(frame, &THtmlFrame::archiveRequested, this,
            [this](const QString& archive, const QString& page) { OpenArchive(archive, page); });
    connect(frame, &THtmlFrame::pageChanged, this,
            [this, frame](TFrameViewer* viewer, const QString& file, const QString&) {
                if (viewer == frame->CurrentViewer())
                    PageLoaded(file);
            });
    frame->ExtractListedArchive = [this](const QString&) { Extract(false); };
}

bool TArchiveHost::frameInArchiveView() const {
    THtmlFrame* frame = m_window.reading() ? m_window.reading()->frame() : nullptr;
    return frame && frame->archiveView();
}

void TArchiveHost::message(const QString& text) {
    if (text.isEmpty())
        return;
    trace(QStringLiteral("archive-message"), text);
    emit messageShown(text);
    if (TCoolDialog* dialog = m_window.dialog()) {
        dialog->ShowDialog(TCoolDialog::Message, text);
        return;
    }
    // Without the skinned dialog: stderr and the status line.
    complain(text);
    if (TStatusLine* status = m_window.statusLine())
        status->show(text);
}

void TArchiveHost::removeListingFolders(const QString& tempFolder) {
    if (tempFolder.isEmpty())
        return;
    const QDir dir(tempFolder);
    const QStringList names =
        dir.entryList({QStringLiteral("as_*")}, QDir::Dirs | QDir::NoDotAndDotDot | QDir::Hidden);
    for (const QString& name : names) {
        const QString path = dir.filePath(name);
        if (QFileInfo(path).isSymLink()) {
            QFile::remove(path); // the link only, never what it points at
            continue;
        }
        // Read-only files are made writable first.
        QDir sub(path);
        for (const QFileInfo& f :
             sub.entryInfoList(QDir::Files | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot))
            if (!f.isSymLink() && !f.isWritable())
                QFile::setPermissions(f.absoluteFilePath(),
                                      f.permissions() | QFileDevice::WriteOwner);
        if (!QDir(path).removeRecursively())
            complain(QStringLiteral("%1: the folder cannot be removed").arg(path));
    }
}

QString TArchiveHost::listingFolderFor(const QString& tempFolder, const QString& archive) {
    // Two archive paths can make the same name ("a_b/c.rar" and "a/b_c.rar"):
    // a folder that lists another archive is left to it.
    const QString base = QDir(tempFolder).filePath(TArchiveListing::listingFolderName(archive));
    QString folder = base;
    for (int n = 1; n < 1000; ++n) {
        QFile mark(QDir(folder).filePath(QLatin1String(kSourceMark)));
        if (!QFileInfo::exists(folder) || !mark.open(QIODevice::ReadOnly) ||
            QString::fromUtf8(mark.readAll()) == archive)
            return folder;
        folder = base + u'_' + QString::number(n);
    }
    return folder;
}

QString TArchiveHost::mainPage() const {
    if (m_listingFolder.isEmpty())
        return {};
    return QDir(m_listingFolder)
        .filePath(QStringLiteral("as_") + QFileInfo(m_current).fileName() + QStringLiteral(".htm"));
}

void TArchiveHost::OpenArchive(const QString& file, const QString& origin) {
    if (m_running)
        return;
    const QString temp = TTempFolder::path();
    if (temp.isEmpty())
        return; // named on stderr by the temporary folder
    // 1. The first request of the run clears what earlier runs left.
    if (!m_created) {
        m_created = true;
        removeListingFolders(temp);
    }
    // 2. The archive and its listing folder.
    m_current = file;
    QString shown = file.contains(u'\\') ? BookPaths::toNative(file) : file;
    m_currentNative = nativeOf(file);
    if (m_currentNative.isEmpty())
        m_currentNative = shown;
    m_currentNative = QFileInfo(m_currentNative).absoluteFilePath();
    m_listingFolder = listingFolderFor(temp, m_currentNative);
    m_current = m_currentNative;
    const QString main = mainPage();
    const QString mainText = BookPaths::fromNative(main);
    trace(QStringLiteral("archive"), m_currentNative);

    // 3. Listed before in this run: shown again.
    if (!QFileInfo(main).isFile()) {
        // 4. The folder (marked with the archive it lists), the page lists.
        if (!TTempFolder::makePrivate(m_listingFolder))
            return;
        QFile source(QDir(m_listingFolder).filePath(QLatin1String(kSourceMark)));
        if (source.open(QIODevice::WriteOnly | QIODevice::Truncate))
            source.write(m_currentNative.toUtf8());
        if (!containsNoCase(m_listingPages, mainText))
            m_listingPages.append(mainText);
        if (!frameInArchiveView() && !origin.isEmpty() && !containsNoCase(m_originPages, origin))
            m_originPages.append(origin);
        // 5. The scan; 6-8. the folders and the pages.
        TArchiveListing listing;
        listing.Message = [this](const QString& text) { message(text); };
        listing.Detail = [](const QString& line) { complain(line); };
        {
            busy::Hourglass hourglass;
            if (!listing.scan(m_currentNative, shown))
                return;
            listing.completeDirectories();
            QString error;
            const quint32 stamp = TUnRar::dosTimeOf(QDateTime::currentDateTime());
            if (!listing.write(m_listingFolder, QFileInfo(main).fileName(), shown, stamp, &error)) {
                complain(error);
                return;
            }
        }
    } else {
        if (!frameInArchiveView() && !origin.isEmpty() && !containsNoCase(m_originPages, origin))
            m_originPages.append(origin);
    }
    // 9. Shown in the pane.
    if (THtmlFrame* frame = m_window.reading() ? m_window.reading()->frame() : nullptr)
        frame->Navigate(mainText);
}

void TArchiveHost::PageLoaded(const QString& page) {
    THtmlFrame* frame = m_window.reading() ? m_window.reading()->frame() : nullptr;
    if (!frame || !m_created)
        return;
    if (frame->archiveView()) {
        // Back on a page of the book (the one the archive was opened from,
        // or any other the tree or the history led to): the view ends.
        if (containsNoCase(m_originPages, page) || !insideListing(page))
            frame->setArchiveView(false);
    } else if (containsNoCase(m_listingPages, page)) {
        frame->setArchiveView(true);
    }
}

bool TArchiveHost::insideListing(const QString& page) const {
    // Listing pages and the files unpacked beside them lie in the program's
    // temporary folder.
    const QString temp = BookPaths::fromNative(TTempFolder::path());
    return !temp.isEmpty() && page.startsWith(temp + u'\\', Qt::CaseInsensitive);
}

bool TArchiveHost::progress(qint64 done, qint64 total) {
    if (TScaleBar* bar = m_window.scaleBar())
        if (total > 0)
            bar->advanceTo(int(qMin<qint64>(1000, done * 1000 / total)), 1000);
    // The window stays alive: a close of the dialog (Esc) stops.
    if (nowMs() - m_lastEvents >= 50) {
        m_lastEvents = nowMs();
        QCoreApplication::processEvents();
    }
    return !m_stop;
}

bool TArchiveHost::Extract(bool toUserFolder) {
    if (m_running || m_currentNative.isEmpty())
        return false;
    // 1. The destination.
    QString folder;
    QString subfolder;
    if (toUserFolder) {
        TPathInputBox* boxes = m_window.pathBoxes();
        const QString text = boxes ? boxes->copyFolder() : QString();
        if (text.isEmpty())
            return false;
        folder = BookPaths::toNative(text);
        if (folder.endsWith(u'/') && folder.size() > 1)
            folder.chop(1);
        if (!QDir().mkpath(folder)) {
            message(QStringLiteral("File ") + folder + QStringLiteral(" create error"));
            return false;
        }
        // 3. A new subfolder named after the archive.
        subfolder = TRarExtractor::freeSubfolder(folder, QFileInfo(m_currentNative).fileName());
        folder = QDir(folder).filePath(subfolder);
        m_lastUnpack = folder;
    } else {
        folder = m_listingFolder;
    }
    const QString shown = m_currentNative;

    // 4. Busy, with the progress and a way to stop when the reader asked.
    m_running = true;
    m_stop = false;
    m_lastEvents = 0; // the first step already looks at the window's events
    busy::setBusy(true);
    TCoolDialog* dialog = toUserFolder ? m_window.dialog() : nullptr;
    QMetaObject::Connection closed;
    if (dialog) {
        dialog->ShowDialog(TCoolDialog::Message,
                           QString::fromUtf16(kUnpacking) + QFileInfo(shown).fileName());
        if (TScaleBar* bar = m_window.scaleBar()) {
            dialog->setScaleBar(bar);
            bar->showForScreen();
            bar->reset();
        }
    }
    TRarExtractor extractor;
    bool failed = false;
    extractor.Message = [this, &failed](const QString& text) {
        failed = true;
        message(text);
    };
    extractor.Detail = [](const QString& line) { complain(line); };
    // Only the reader's own unpacking shows progress and can be stopped; the
    // one a link asks for runs without letting other events in.
    if (toUserFolder)
        extractor.Progress = [this, dialog](qint64 done, qint64 total) {
            if (dialog && !dialog->isVisible())
                m_stop = true;
            return progress(done, total);
        };
    if (toUserFolder)
        extractor.ReplaceQuestion = [](const QString& path) {
            return TShell::instance().askYesNo(
                TFileCopier::replaceQuestion(QFileInfo(path).fileName()));
        };
    const TRarExtractor::RResult r = extractor.extract(m_currentNative, shown, folder);
    if (TScaleBar* bar = m_window.scaleBar())
        bar->reset();
    // 6. No message reports success: the progress message goes.
    if (dialog && dialog->isVisible() && !failed)
        dialog->close();
    busy::setBusy(false);
    m_running = false;
    if (r.stopped)
        complain(QStringLiteral("%1: unpacking stopped").arg(shown));
    trace(QStringLiteral("unpacked"), QStringLiteral("%1 %2 files%3")
                                          .arg(folder)
                                          .arg(r.written)
                                          .arg(r.stopped ? " stopped" : ""));
    return r.openCode == TUnRar::Success && r.complete && !r.stopped;
}
