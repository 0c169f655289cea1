#pragma once

#include <QByteArray>
#include <QFont>
#include <QFontMetrics>
#include <QHash>

// One font handed to the layout library: the Qt font, its metrics and a cache
// of word widths (the library measures every word while it parses).
struct TFontEntry {
    explicit TFontEntry(const QFont& f) : font(f), metrics(f) {}
    QFont font;
    QFontMetrics metrics;
    QHash<QByteArray, int> widths;

    int width(const char* utf8) {
        QByteArray key(utf8);
        auto it = widths.constFind(key);
        if (it != widths.constEnd())
            return *it;
        int w = metrics.horizontalAdvance(QString::fromUtf8(key));
        if (widths.size() > 200000)
            widths.clear(); // keep the cache of one font bounded
        widths.insert(key, w);
        return w;
    }
};
