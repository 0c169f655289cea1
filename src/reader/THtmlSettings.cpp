#include "reader/THtmlSettings.h"

#include "data/SettingsNames.h"
#include "data/SettingsStore.h"

RHtmlFonts THtmlSettings::read(TSettingsStore& store) {
    RHtmlFonts f;
    f.fontName = store.textOrWriteDefault(settings::FontName);
    f.fontColor = store.intOrWriteDefault(settings::FontColor);
    f.fontSize = store.intOrWriteDefault(settings::FontSize);
    if (f.fontSize < 1 || f.fontSize > kMaxFontSize) {
        // A size no page can be laid out with counts as unreadable.
        f.fontSize = settings::FontSize.def;
        store.writeInt(QLatin1String(settings::FontSize.name), f.fontSize);
    }
    f.hotSpotColor = store.intOrWriteDefault(settings::HotSpotColor);
    f.background = store.intOrWriteDefault(settings::Background);
    return f;
}

void THtmlSettings::write(TSettingsStore& store, const RHtmlFonts& f) {
    store.writeText(QLatin1String(settings::FontName.name), f.fontName);
    store.writeInt(QLatin1String(settings::FontColor.name), f.fontColor);
    store.writeInt(QLatin1String(settings::FontSize.name), f.fontSize);
    store.writeInt(QLatin1String(settings::HotSpotColor.name), f.hotSpotColor);
    store.writeInt(QLatin1String(settings::Background.name), f.background);
}

QColor THtmlSettings::toColor(int c) {
    return QColor(c & 0xFF, (c >> 8) & 0xFF, (c >> 16) & 0xFF);
}

int THtmlSettings::fromColor(const QColor& c) {
    return c.red() | (c.green() << 8) | (c.blue() << 16);
}

TViewerSettings THtmlSettings::apply(const RHtmlFonts& f, TViewerSettings s) {
    s.defFontName = f.fontName;
    s.defFontColor = toColor(f.fontColor);
    s.defFontSize = f.fontSize;
    s.defHotSpotColor = toColor(f.hotSpotColor);
    s.defBackground = toColor(f.background);
    return s;
}

RHtmlFonts THtmlSettings::fromViewer(const TViewerSettings& s) {
    RHtmlFonts f;
    f.fontName = s.defFontName;
    f.fontColor = fromColor(s.defFontColor);
    f.fontSize = s.defFontSize;
    f.hotSpotColor = fromColor(s.defHotSpotColor);
    f.background = fromColor(s.defBackground);
    return f;
}
