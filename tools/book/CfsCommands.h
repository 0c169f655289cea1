#pragma once

#include <QStringList>

// "cfs decode [FILE] [--lower]" and "cfs encode [FILE]": between a scrambled
// description and its UTF-8 text (standard input and output when no file).
class CfsCommands {
public:
    static int run(const QStringList& args);

    // A .cfs entry's bytes from its UTF-8 text (ToolError on bad text;
    // `what` names the input in the message).
    static QByteArray encodeText(const QByteArray& utf8, const QString& what);
    // The UTF-8 text of a .cfs entry (ToolError when it has no text form).
    static QByteArray decodeToText(const QByteArray& entry, bool lowerCase, const QString& what);
};
