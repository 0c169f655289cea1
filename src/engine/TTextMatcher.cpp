#include "engine/TTextMatcher.h"

#include "engine/TPageText.h"

namespace textmatch {

static bool isSpace(QChar c) {
    return c.isSpace() || c == QChar(0xA0);
}

QString collapseSpaces(const QString& text) {
    QString out;
    out.reserve(text.size());
    bool inSpace = false;
    for (QChar c : text) {
        if (isSpace(c)) {
            if (!inSpace)
                out += QLatin1Char(' ');
            inSpace = true;
        } else {
            out += c;
            inSpace = false;
        }
    }
    return out;
}

int find(const QString& hay, const QString& needle, bool matchCase, int from) {
    QString n = collapseSpaces(needle);
    if (n.isEmpty() || from < 0)
        return -1;
    return hay.indexOf(n, from, matchCase ? Qt::CaseSensitive : Qt::CaseInsensitive);
}

QString pageText(const QString& html) {
    return TPageText::ofHtml(html);
}

QString pageTextOfFile(const QByteArray& bytes, const QString& path) {
    return TPageText::of(bytes, path);
}

bool fileContains(const QByteArray& bytes, const QString& path, const QString& needle,
                  bool matchCase) {
    TPageText page;
    page.extract(bytes, path, !matchCase);
    return page.contains(TPageText::needle(needle, matchCase));
}

} // namespace textmatch
