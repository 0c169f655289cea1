#pragma once

#include <QString>
#include <QStringList>

// Path rules of the book. Paths that come from a book, and the program's own
// base directory, disc root and book root, are *path texts*: backslash
// separated, with a trailing backslash on directories. On POSIX a native
// absolute path /a/b/ is the path text \a\b\ (no drive). Conversion to native
// paths happens only at the file-system boundary (toNative / resolveOnDisk).
class BookPaths {
public:
    BookPaths() = default;
    // baseDir: path text or native path of the folder holding Dod.dhl and
    // interface.dat (the executable's folder, or the --book folder).
    explicit BookPaths(const QString& baseDir);

    // Base directory: trailing backslash, case as given.
    const QString& baseDir() const { return m_baseDir; }
    // Disc root: on Windows the drive lower-cased plus backslash; on POSIX the
    // book root.
    const QString& discRoot() const { return m_discRoot; }
    // Book root: base directory with the first "run\" removed (case-insensitive).
    const QString& bookRoot() const { return m_bookRoot; }

    // ResolvePath: "<cd>" marker, joining relative values (keeping a verb and
    // its '=' prefix), absolute paths and plain words unchanged.
    QString resolvePath(const QString& text) const;

    // JoinPath(base, relative) with the anchor rule and "\..\" folding. A
    // base with a drive ("c:\book\run\") anchors at the first folder below
    // the drive. A POSIX path text below the current book root (setCurrent)
    // anchors at that book root, which plays the part of "c:\book\"; other
    // bases anchor at their first backslash.
    static QString joinPath(const QString& base, const QString& relative);
    // The same with this object's book root as the POSIX anchor.
    QString join(const QString& base, const QString& relative) const;

    // The book paths of the running program, used by the static joinPath().
    // Set once at start-up (tests may set their own).
    static void setCurrent(const BookPaths& paths);
    static BookPaths current();

    // Native path -> path text ("/a/b" -> "\a\b"); path text -> native path.
    static QString fromNative(const QString& nativePath);
    static QString toNative(const QString& pathText);
    // The native path of an existing file or folder, found component by
    // component without regard to letter case (ASCII and code page 1251
    // letters) when it does not exist as written; empty when there is none.
    static QString resolveOnDisk(const QString& pathText);
    // True when a regular file exists at the path text (case-insensitively).
    static bool fileExists(const QString& pathText);

    // Consumes "--book DIR" (and "--book=DIR") from the argument list; returns
    // the folder, or an empty string when the option is absent. An option
    // without its folder is consumed and reported through `error`.
    static QString takeBookOption(QStringList& args, QString* error = nullptr);

private:
    static BookPaths& currentStorage();
    QString m_baseDir;
    QString m_discRoot;
    QString m_bookRoot;
};
