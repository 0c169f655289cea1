#pragma once

#include <QString>

class TFileSource;
class TShell;

// Copies book files (from the content archive or the disk) to a folder on
// disk. An existing destination is replaced only when the reader agrees; a
// destination is never left half written (the copy goes to a temporary file
// that replaces the old one at the end). Failures are named on stderr and
// kept for the caller's message.
class TFileCopier {
public:
    enum class Result { Copied, Declined, Failed };

    TFileCopier(const TFileSource* source, TShell& shell) : m_source(source), m_shell(shell) {}

    // `from`: a book path (path text or native); `to`: the destination file
    // (path text or native). Creates the destination's folders. With
    // `askBeforeReplacing` off an existing file is replaced silently (the
    // reader already chose it in a save dialog).
    Result copy(const QString& from, const QString& to, bool askBeforeReplacing = true);

    // The question asked before replacing a file.
    static QString replaceQuestion(const QString& fileName);
    // The status-line text for a failed copy.
    static QString failureText(const QString& fileName);
    QString lastError() const { return m_error; }

private:
    Result fail(const QString& from, const QString& to, const QString& reason);

    const TFileSource* m_source;
    TShell& m_shell;
    QString m_error;
};
