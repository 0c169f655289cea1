#pragma once

#include <QString>
#include <QStringList>

#include <functional>

// Unpacks a whole RAR archive into a folder, entry by entry, with the
// reader's messages: an entry that cannot be unpacked is named, the damage
// that ends the archive is named, and what was unpacked before it stays.
// Used by the reader's `unarc`, by its links into archive listings and by
// the book tool.
class TRarExtractor {
public:
    struct RResult {
        int openCode = 0; // TUnRar::open's result
        int written = 0;  // files unpacked
        int skipped = 0;  // entries not unpacked (refused, encrypted, kept)
        bool stopped = false;
        bool complete = false; // every entry was read to the end of the archive
    };

    // The reader's words for each problem, as it happens.
    std::function<void(const QString& message)> Message;
    // Unpacked bytes so far and the archive's total; false stops.
    std::function<bool(qint64 done, qint64 total)> Progress;
    // Unset: existing files are kept.
    std::function<bool(const QString& nativePath)> ReplaceQuestion;
    // Technical detail for stderr.
    std::function<void(const QString& line)> Detail;

    // `archive`: native path; `shown`: the name used in messages.
    RResult extract(const QString& archive, const QString& shown, const QString& folder);

    // The subfolder an archive is unpacked into inside `folder`: the archive's
    // file name, else name1.ext, name2.ext, ... whichever does not exist yet.
    static QString freeSubfolder(const QString& folder, const QString& archiveFileName);

private:
    void message(const QString& text);
};
