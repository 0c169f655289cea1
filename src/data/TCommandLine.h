#pragma once

#include <QString>
#include <QStringList>

#include <functional>

// The program's command line: no parameter starts the skinned main window;
// a document path, optionally with " /h", the standard window (" /h": its
// help variant); "/t" the thesaurus window with a page. The rules work on
// the raw command line text as the system hands it to a program, program
// path included.
class TCommandLine {
public:
    // Program path and parameters joined as the system writes a command line:
    // separated by one space, an argument quoted when it holds a space or is
    // empty.
    static QString rawText(const QString& program, const QStringList& args);

    // Parses the raw text: the program part is removed (up to and including
    // the first quote-space pair when the raw text starts with a quote, else
    // as many characters as `program` has), every double quote deleted, the
    // rest trimmed. "/t" anywhere in the parameters chooses the thesaurus
    // window. The mode's switch (" /h" for the help variant, " /t" for the
    // thesaurus) is deleted wherever it occurs; the rest is the document.
    static TCommandLine parse(const QString& raw, const QString& program);

    // The whole rule from the program's own arguments (program path first
    // left out): "/t" anywhere asks for the thesaurus window, except in an
    // argument that names an existing file or folder (paths such as
    // "/tmp/page.htm" begin with it on this system).
    static TCommandLine
    fromArguments(const QString& program, const QStringList& args,
                  const std::function<bool(const QString&)>& exists = defaultExists);
    static bool defaultExists(const QString& path);

    // At least one parameter was given (standard or thesaurus window).
    bool commandLineMode() const { return m_commandLineMode; }
    // The help variant of the standard window (" /h" was given).
    bool help() const { return m_help; }
    bool thesaurus() const { return m_thesaurus; }
    // The document (standard window) or page (thesaurus window) to show.
    const QString& document() const { return m_document; }

private:
    // The parameters of the raw text (program part removed, untouched).
    static QString parameters(const QString& raw, const QString& program);
    // The document of the parameters, with `modeSwitch` deleted; `found`
    // tells whether it was there.
    static QString document(const QString& parameters, const QString& modeSwitch, bool* found);

    bool m_commandLineMode = false;
    bool m_help = false;
    bool m_thesaurus = false;
    QString m_document;
};
