#pragma once

#include <QObject>
#include <QString>
#include <QStringList>

class TMainForm;

// RAR archives in the reading pane: a ".rar" link or a dropped archive is
// listed into HTML pages in a folder of its own below the program's
// temporary folder ("as_" + the archive's path made into one name) and shown;
// a link in a listing to a file not unpacked yet unpacks the archive into
// that folder; `unarc` unpacks the archive being viewed into the folder of
// the path input box, in a new subfolder, with its progress on the scale bar
// of the skinned dialog (closing the dialog stops it). Messages go to the
// skinned dialog (stderr and the status line without one); the listing folders are
// removed at the first archive request of a run and when the window goes.
class TArchiveHost : public QObject {
    Q_OBJECT
public:
    static constexpr auto kUnpacking = u"Распаковка архива ";

    explicit TArchiveHost(TMainForm& window);
    ~TArchiveHost() override;

    // `file`: a path text or a native path; `origin`: the page the request
    // came from.
    void OpenArchive(const QString& file, const QString& origin);
    // Unpacks the current archive into the path input box's folder (a new
    // subfolder named after the archive) or into its listing folder. False
    // when nothing was unpacked (no archive, no folder, an error, a stop).
    bool Extract(bool toUserFolder);
    // After every page change of the current viewer.
    void PageLoaded(const QString& page);

    bool created() const { return m_created; }
    const QString& currentArchive() const { return m_current; }
    // Native paths.
    const QString& listingFolder() const { return m_listingFolder; }
    QString mainPage() const;
    const QStringList& listingPages() const { return m_listingPages; }
    const QStringList& originPages() const { return m_originPages; }
    // The subfolder the last `unarc` wrote into (native), empty when none.
    const QString& lastUnpackFolder() const { return m_lastUnpack; }

    // Removes every "as_" folder directly in `tempFolder`.
    static void removeListingFolders(const QString& tempFolder);
    // The listing folder of `archive` (a native path) in `tempFolder`.
    static QString listingFolderFor(const QString& tempFolder, const QString& archive);
    // The file in a listing folder that names the archive it lists.
    static constexpr const char* kSourceMark = "as_source.txt";

signals:
    // The reader's words for a problem (also shown in the dialog).
    void messageShown(const QString& text);

private:
    void claim();
    void message(const QString& text);
    bool progress(qint64 done, qint64 total);
    bool frameInArchiveView() const;
    bool insideListing(const QString& page) const;

    TMainForm& m_window;
    bool m_created = false;
    QString m_current;       // as passed
    QString m_currentNative; // the file on disk
    QString m_listingFolder;
    QStringList m_listingPages; // path texts
    QStringList m_originPages;
    QString m_lastUnpack;
    bool m_running = false;
    bool m_stop = false;
    qint64 m_lastEvents = 0;
};
