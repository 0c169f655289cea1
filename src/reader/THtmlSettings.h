#pragma once

#include "engine/TViewerSettings.h"

#include <QString>

class TSettingsStore;

// The five stored settings of the content panes: default font name, font
// colour, font size, link colour and background. Colours are stored as
// system colour values with red in the low byte (r + 256 g + 65536 b).
struct RHtmlFonts {
    QString fontName = QStringLiteral("Arial");
    int fontColor = 0;
    int fontSize = 8;
    int hotSpotColor = 13158; // 0x003366: red 0x66, green 0x33
    int background = 0xFFFFFF;

    bool operator==(const RHtmlFonts&) const = default;
};

class THtmlSettings {
public:
    static constexpr int kMaxFontSize = 200; // points
    // A missing or unreadable value takes its default (and the default is
    // stored); an empty font name counts as missing.
    static RHtmlFonts read(TSettingsStore& store);
    static void write(TSettingsStore& store, const RHtmlFonts& fonts);

    // The fonts applied to viewer settings, and read back from them.
    static TViewerSettings apply(const RHtmlFonts& fonts, TViewerSettings settings);
    static RHtmlFonts fromViewer(const TViewerSettings& settings);

    static QColor toColor(int systemColor);
    static int fromColor(const QColor& color);
};
