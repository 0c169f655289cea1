#include "TextLines.h"

#include "platform/Cp1251.h"

#include <QStringDecoder>

std::optional<QStringList> TextLines::fromUtf8(const QByteArray& text, QString* error) {
    QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    QString unicode = decoder.decode(text);
    if (decoder.hasError()) {
        if (error)
            *error = QStringLiteral("the text is not valid UTF-8");
        return std::nullopt;
    }
    if (unicode.startsWith(QChar(0xFEFF)))
        unicode.remove(0, 1);
    if (unicode.isEmpty())
        return QStringList();

    QStringList lines = unicode.split(QLatin1Char('\n'));
    // A final break ends the last line rather than starting an empty one.
    if (unicode.endsWith(QLatin1Char('\n')))
        lines.removeLast();
    const qsizetype breaks = unicode.count(QLatin1Char('\n'));
    bool crlf = breaks > 0;
    for (qsizetype i = 0; i < breaks && crlf; ++i)
        crlf = lines[i].endsWith(QLatin1Char('\r'));
    if (crlf) {
        for (qsizetype i = 0; i < breaks; ++i)
            lines[i].chop(1);
    }

    for (qsizetype i = 0; i < lines.size(); ++i) {
        for (const QChar c : std::as_const(lines[i])) {
            if (c != QLatin1Char('?') && cp1251::fromUnicode(c) == '?') {
                if (error) {
                    *error = QStringLiteral("line %1: character U+%2 has no code page 1251 form")
                                 .arg(i + 1)
                                 .arg(c.unicode(), 4, 16, QLatin1Char('0'));
                }
                return std::nullopt;
            }
        }
    }
    return lines;
}

std::optional<QByteArray> TextLines::toUtf8(const QStringList& lines, QString* error) {
    bool crlf = false;
    for (qsizetype i = 0; i < lines.size(); ++i) {
        if (lines[i].contains(QLatin1Char('\n'))) {
            if (error)
                *error = QStringLiteral("line %1 holds a line feed of its own").arg(i + 1);
            return std::nullopt;
        }
        crlf = crlf || lines[i].endsWith(QLatin1Char('\r'));
    }
    const QString lineBreak = crlf ? QStringLiteral("\r\n") : QStringLiteral("\n");
    QString text;
    for (const QString& line : lines)
        text += line + lineBreak;
    return text.toUtf8();
}
