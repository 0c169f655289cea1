#include "engine/TPageDecoder.h"

#include "engine/TLinkPath.h"
#include "platform/Cp1251.h"

#include <QRegularExpression>
#include <QStringDecoder>

TPageDecoder::Kind TPageDecoder::kindOf(const QString& path) {
    QString ext = linkpath::extensionOf(path);
    if (ext == QLatin1String(".txt") || ext == QLatin1String(".inf") ||
        ext == QLatin1String(".diz"))
        return Kind::Text;
    if (ext == QLatin1String(".bmp") || ext == QLatin1String(".gif") ||
        ext == QLatin1String(".jpg") || ext == QLatin1String(".jpeg") ||
        ext == QLatin1String(".png"))
        return Kind::Picture;
    return Kind::Html;
}

QString TPageDecoder::detectCharset(const QByteArray& bytes) {
    if (bytes.startsWith("\xEF\xBB\xBF"))
        return QStringLiteral("utf-8");
    if (bytes.startsWith("\xFF\xFE"))
        return QStringLiteral("utf-16le");
    if (bytes.startsWith("\xFE\xFF"))
        return QStringLiteral("utf-16be");
    // Only <meta> tags in the head count; look at the first 8 KB.
    QByteArray head = bytes.left(8192).toLower();
    static const QRegularExpression meta(QStringLiteral("<meta\\b[^>]*>"));
    static const QRegularExpression charset(
        QStringLiteral("charset\\s*=\\s*[\"']?\\s*([a-z0-9_:.\\-]+)"));
    QString text = QString::fromLatin1(head);
    auto it = meta.globalMatch(text);
    while (it.hasNext()) {
        QString tag = it.next().captured(0);
        auto m = charset.match(tag);
        if (m.hasMatch())
            return m.captured(1);
    }
    return QStringLiteral("windows-1251");
}

QString TPageDecoder::decode(const QByteArray& bytes, const QString& charset) {
    QString cs = charset.toLower();
    if (cs == QLatin1String("windows-1251") || cs == QLatin1String("cp1251") ||
        cs == QLatin1String("x-cp1251") || cs == QLatin1String("win-1251"))
        return cp1251::toUnicode(bytes);
    if (cs == QLatin1String("utf-8") || cs == QLatin1String("utf8")) {
        QByteArray b = bytes.startsWith("\xEF\xBB\xBF") ? bytes.mid(3) : bytes;
        return QString::fromUtf8(b);
    }
    if (cs == QLatin1String("utf-16le") || cs == QLatin1String("utf-16be") ||
        cs == QLatin1String("utf-16")) {
        QStringDecoder d(cs == QLatin1String("utf-16be") ? QStringConverter::Utf16BE
                                                         : QStringConverter::Utf16LE);
        QByteArray b = bytes.mid(2);
        return d.decode(b);
    }
    if (cs == QLatin1String("iso-8859-1") || cs == QLatin1String("latin1") ||
        cs == QLatin1String("us-ascii") || cs == QLatin1String("windows-1252"))
        return QString::fromLatin1(bytes);
    QStringDecoder d(cs.toLatin1().constData());
    if (d.isValid())
        return d.decode(bytes);
    return cp1251::toUnicode(bytes);
}

QString TPageDecoder::escape(const QString& text) {
    return text.toHtmlEscaped();
}

QString TPageDecoder::toHtml(const QByteArray& bytes, Kind kind, const QString& fileName) {
    switch (kind) {
    case Kind::Text:
        return QStringLiteral("<html><body><pre>") +
               escape(decode(bytes, detectCharset(bytes.left(3)))) +
               QStringLiteral("</pre></body></html>");
    case Kind::Picture:
        return QStringLiteral("<html><body><img src=\"") + escape(fileName) +
               QStringLiteral("\"></body></html>");
    case Kind::Html:
        break;
    }
    return decode(bytes, detectCharset(bytes));
}
