#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <optional>

// The UTF-8 text form of a description's lines, as authors edit it.
//
// Every line is followed by a line break. A file whose every line break is
// CR LF is read as a CR LF file (one CR per break is dropped); otherwise LF
// alone breaks lines and a CR is an ordinary character. A last line without
// a break still counts; an empty file has no lines. A leading UTF-8 byte
// order mark is skipped.
//
// Writing uses LF, or CR LF when some line ends with a CR, so that reading the
// text back gives exactly the same lines. A line that holds an LF itself has
// no text form.
class TextLines {
public:
    // Lines of a UTF-8 text. Fails (nullopt, reason in `error`) on invalid
    // UTF-8 and on characters that code page 1251 cannot hold.
    static std::optional<QStringList> fromUtf8(const QByteArray& text, QString* error);
    // The UTF-8 text of `lines`, or nullopt when some line holds an LF
    // (reason in `error`).
    static std::optional<QByteArray> toUtf8(const QStringList& lines, QString* error);
};
