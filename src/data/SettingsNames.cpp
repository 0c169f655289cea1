#include "data/SettingsNames.h"

namespace settings {

namespace {
QString indexed(const char* prefix, int a, int b) {
    return QLatin1String(prefix) + QString::number(a) + QString::number(b);
}
} // namespace

QString swOne(int screen, int index) {
    return indexed("SwOne", screen, index);
}
QString swGrp(int screen, int index) {
    return indexed("SwGrp", screen, index);
}
QString swGrpD(int dialog, int index) {
    return indexed("SwGrpD", dialog, index);
}

QString favorite(int slot) {
    if (slot < 0 || slot >= FavoriteSlots)
        return QString();
    return QLatin1String("Favorite") + QString::number(slot);
}

QString pathInstall(int element) {
    return QLatin1String("PathInstall") + QString::number(element);
}

QList<BoolValue> boolValues() {
    return {Clip, Wav, BGSound, Animation, Hint, AutoStartPlayer, PlayingCyclic, RunSlideShow};
}

QList<IntValue> intValues() {
    return {SlideShowTime, ImageSequence, SizeInterface, BGSoundSong, BGSoundPos,
            FontColor,     FontSize,      HotSpotColor,  Background};
}

QList<TextValue> textValues() {
    return {NamePlayList1, NamePlayList2, NamePlayList3, FontName};
}

} // namespace settings
