#pragma once

#include <QColor>
#include <QString>
#include <QStringList>

// Display settings a viewer applies to every page it shows.
struct TViewerSettings {
    QString defFontName = QStringLiteral("Arial");
    QColor defFontColor = Qt::black;
    int defFontSize = 8; // points
    QColor defHotSpotColor = QColor(0x66, 0x33, 0x00);
    QColor defBackground = Qt::white;
    QColor overLinkColor = Qt::red;
    bool overLinksActive = false; // fvOverLinksActive
    bool noLinkUnderline = false; // fvNoLinkUnderline
    bool viewImages = true;       // ViewImages
    bool printTableBackgrounds = true;
    int imageCacheCount = 0; // ImageCacheCount

    bool operator==(const TViewerSettings&) const = default;
};
