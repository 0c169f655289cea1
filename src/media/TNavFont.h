#pragma once

#include <QList>
#include <QObject>
#include <QString>
#include <QStringList>

// The font installer: the TrueType fonts of the folder of the page last
// shown go into the user's font folder and are registered with the running
// program (the verb installfonts). A font file already in the user's folder
// is never replaced; only regular files are taken.
class TNavFont : public QObject {
    Q_OBJECT
public:
    explicit TNavFont(QObject* parent = nullptr);
    ~TNavFont() override;

    // The page just loaded (a path text): its folder becomes the font folder.
    void pageLoaded(const QString& page);
    // The folder the fonts come from (a path text with a trailing backslash).
    const QString& folder() const { return m_folder; }
    void setFolder(const QString& folder) { m_folder = folder; }

    struct Result {
        QStringList copied;     // file names copied into the user's folder
        QStringList kept;       // already there: left as they were
        QStringList failed;     // not copied (named on stderr)
        QStringList registered; // files registered with the program
        bool diskFull = false;  // the copying stopped on a full disk
    };
    // Copies and registers the folder's *.ttf with the busy state on.
    Result InstallFonts();

    // Where installed fonts go: the user's font folder.
    static QString userFontFolder();
    // The fonts this object registered (unregistered when it goes).
    const QList<int>& fontIds() const { return m_ids; }

private:
    enum class Copy { Done, Exists, Failed, DiskFull };
    static Copy copyNew(const QString& from, const QString& to, QString* error);

    QString m_folder;
    QList<int> m_ids;
};
