#include "reader/TLinkDispatcher.h"

#include "data/BookPaths.h"
#include "engine/TFileSource.h"
#include "engine/TFrameViewer.h"
#include "engine/TLinkPath.h"
#include "platform/Log.h"
#include "platform/TShell.h"
#include "reader/LinkRules.h"
#include "reader/TFileCopier.h"
#include "reader/THtmlFrame.h"

#include <QFileInfo>

const QString TLinkDispatcher::kZipFilter =
    QStringLiteral("Zip файлы (*.zip)|*.zip|Все файлы (*.*)|*.*");

namespace {
QString g_zipFolder; // lives for the run of the program

void complain(const char* what, const QString& path) {
    vlog::complain(QLatin1String(what) + u' ' + path);
}
} // namespace

QString TLinkDispatcher::zipFolder() {
    return g_zipFolder;
}

void TLinkDispatcher::setZipFolder(const QString& folder) {
    g_zipFolder = folder;
}

void TLinkDispatcher::markVisited(TFrameViewer* viewer, const QString& full) {
    viewer->addVisited(full);
    viewer->checkVisitedLinks();
}

void TLinkDispatcher::click(TFrameViewer* viewer, const QString& target, const QString& url,
                            bool& handled) {
    // Paths keep their letter case here: the book's files are found without
    // regard to case, and lower-casing would lose a file on a case-sensitive
    // disk. Every test of the rules ignores case.
    const QString full = viewer->expandLink(url);
    const bool archiveView = m_frame.archiveViewOf(viewer);
    const TFileSource* source = m_frame.fileSource();
    linkrules::Facts facts;
    facts.target = target;
    facts.url = url;
    facts.full = full;
    facts.ext = linkpath::extensionOf(full);
    facts.archiveView = archiveView;
    facts.exists = source && source->exists(linkpath::withoutAnchor(full));
    const linkrules::Decision d = linkrules::decide(facts);
    handled = !d.paneFollows;
    if (d.extractFirst && m_frame.ExtractListedArchive)
        m_frame.ExtractListedArchive(full);

    using linkrules::Action;
    switch (d.action) {
    case Action::EnlargedPicture:
        markVisited(viewer, full);
        enlargedPicture(full);
        break;
    case Action::Web:
        markVisited(viewer, full);
        if (!m_frame.shell().openUrl(url))
            complain("cannot open", url);
        break;
    case Action::PrintPage: {
        const QString file = viewer->expandLink(linkrules::printArgument(url));
        markVisited(viewer, file);
        m_frame.PrintPage(file);
        break;
    }
    case Action::Copy: {
        const QString file = viewer->expandLink(linkrules::copyArgument(url));
        markVisited(viewer, file);
        m_frame.CopyToPathBox(file);
        break;
    }
    case Action::CopyList:
        markVisited(viewer, full);
        m_frame.CopyListValue(linkrules::copyListArgument(url));
        break;
    case Action::External:
        markVisited(viewer, full);
        external(viewer, full, facts.ext, archiveView);
        break;
    case Action::ArchiveNavigate:
        m_frame.Navigate(full);
        break;
    case Action::TreeSelect:
        emit m_frame.treeSelectRequested(full);
        break;
    case Action::Nothing:
        break;
    }
}

void TLinkDispatcher::enlargedPicture(const QString& full) {
    const TFileSource* source = m_frame.fileSource();
    if (!source || !source->exists(linkpath::withoutAnchor(full)))
        return;
    // The window gets the link with its anchor.
    if (m_frame.SendToPictureWindow && m_frame.SendToPictureWindow(full))
        return;
    QStringList args;
    const QString base = BookPaths::current().baseDir();
    if (!base.isEmpty())
        args << QStringLiteral("--book") << BookPaths::toNative(base);
    args << full;
    if (!m_frame.shell().startInstance(args))
        complain("cannot start a picture window for", full);
}

void TLinkDispatcher::external(TFrameViewer* viewer, QString full, const QString& ext,
                               bool archiveView) {
    if (!archiveView)
        full = linkrules::onDiscRoot(full, BookPaths::current().discRoot());
    if (ext.contains(QLatin1String(".zip"))) {
        saveZip(full);
        return;
    }
    if (ext.contains(QLatin1String(".rar"))) {
        emit m_frame.archiveRequested(full, viewer->currentFile());
        return;
    }
    if (ext.contains(QLatin1String(".wav"))) {
        emit m_frame.soundRequested(full);
        return;
    }
    const QString file = linkpath::withoutAnchor(full);
    QString native = BookPaths::resolveOnDisk(file);
    if (native.isEmpty())
        native = BookPaths::toNative(file);
    const QString folder = QFileInfo(native).absolutePath();
    bool ok;
    if (ext.contains(QLatin1String(".exe")) || ext.contains(QLatin1String(".com")))
        ok = m_frame.shell().startProgram(native, folder);
    else
        ok = m_frame.shell().openFile(native);
    if (!ok)
        complain("cannot open", native);
}

void TLinkDispatcher::saveZip(const QString& full) {
    const QString file = linkpath::withoutAnchor(full);
    const QString chosen =
        m_frame.shell().askSaveFileName(g_zipFolder, linkpath::fileNameOf(file), kZipFilter);
    if (chosen.isEmpty())
        return;
    g_zipFolder = QFileInfo(chosen).absolutePath();
    // The save dialog has already asked about replacing an existing file.
    TFileCopier copier(m_frame.fileSource(), m_frame.shell());
    const QString name = QFileInfo(chosen).fileName();
    if (copier.copy(file, chosen, false) == TFileCopier::Result::Copied)
        emit m_frame.statusMessage(QStringLiteral("Файл скопирован"));
    else
        emit m_frame.statusMessage(TFileCopier::failureText(name));
}
