#pragma once

#include <QList>
#include <QString>

#include <functional>

// The listing of one RAR archive as HTML pages: a scan of its entries into
// a folder list and a file list, the folders that only files imply, one page
// per folder, and the pages written into the archive's listing folder (the
// frame set named after the archive, the column-header bar "as_bar.htm" and
// the folder pages), in code page 1251.
class TArchiveListing {
public:
    struct RDir {
        QString name;     // "a/b"; empty for the root
        quint32 time = 0; // DOS date and time
    };
    struct RFile {
        QString name;
        qint64 size = 0;
        quint32 time = 0;
    };
    struct RRow {
        QString display;
        QString link;
        QString size; // already formatted ("" for folders)
        QString time;
    };
    struct RPage {
        QString dir;
        QString pageName;
        QList<RRow> rows;
    };

    TArchiveListing();

    // The reader's words for each problem, as it happens; detail for stderr.
    std::function<void(const QString& message)> Message;
    std::function<void(const QString& line)> Detail;

    // Reads the archive's entries (`native`: its path; `shown`: its name in
    // messages). False when it cannot be opened (nothing is listed); damage
    // later on is named and the entries read before it stay.
    bool scan(const QString& native, const QString& shown);
    void addDir(const QString& name, quint32 time);
    void addFile(const QString& name, qint64 size, quint32 time);

    // Adds the folders that only the files' names imply, and their parents.
    void completeDirectories();
    const QList<RDir>& dirs() const { return m_dirs; }
    const QList<RFile>& files() const { return m_files; }

    // One page per folder, in folder-list order; `stamp` goes into the page
    // names ("as_" + number + stamp + ".htm").
    QList<RPage> pages(quint32 stamp) const;

    // Writes the pages into `folder` (which exists): `mainPage` (the frame
    // set, a file name), "as_bar.htm" and the folder pages. The title names
    // `shown`. False with the reason when a file cannot be written.
    bool write(const QString& folder, const QString& mainPage, const QString& shown, quint32 stamp,
               QString* error = nullptr) const;

    // "as_" + the archive path with its last "/", "\", ":" or "." and then
    // every other "/", "\" and ":" turned into "_".
    static QString listingFolderName(const QString& archivePath);
    // "999 байт", "2 Кбайт" (thousands, rounded half to even).
    static QString sizeText(qint64 size);
    // "dd mmm yy hh:nn" in the system's month names; empty for 0.
    static QString timeText(quint32 dosTime);
    // Text for a page in code page 1251, markup characters and characters
    // outside the code page written as references.
    static QByteArray htmlText(const QString& text);

private:
    QList<RDir> m_dirs;
    QList<RFile> m_files;
};
