#pragma once

#include <QList>
#include <QString>

// Every value the book keeps in its settings group: name, type and default.
// Code that reads or writes a setting takes the name from here.
namespace settings {

struct BoolValue {
    const char* name;
    bool def;
};
struct IntValue {
    const char* name;
    int def;
};
struct TextValue {
    const char* name;
    const char* def;
};

// Options (the options window).
inline constexpr BoolValue Clip{"Clip", true};
inline constexpr BoolValue Wav{"Wav", true};
inline constexpr BoolValue BGSound{"BGSound", true};
inline constexpr BoolValue Animation{"Animation", true};
inline constexpr BoolValue Hint{"Hint", true};
inline constexpr BoolValue AutoStartPlayer{"AutoStartPlayer", true};
inline constexpr BoolValue PlayingCyclic{"PlayingCyclic", true};
inline constexpr TextValue NamePlayList1{"NamePlayList1", ""};
inline constexpr TextValue NamePlayList2{"NamePlayList2", ""};
inline constexpr TextValue NamePlayList3{"NamePlayList3", ""};
inline constexpr BoolValue RunSlideShow{"RunSlideShow", false};
inline constexpr IntValue SlideShowTime{"SlideShowTime", 5}; // seconds
inline constexpr IntValue ImageSequence{"ImageSequence", 0};
// 0 automatic, 1 "800x600", 2 "1024x768", 3 custom.
inline constexpr IntValue SizeInterface{"SizeInterface", 0};

// Main window state.
inline constexpr IntValue BGSoundSong{"BGSoundSong", 0};
inline constexpr IntValue BGSoundPos{"BGSoundPos", 0};

// HTML frames. FontName falls back to its default also when empty.
inline constexpr TextValue FontName{"FontName", "Arial"};
inline constexpr IntValue FontColor{"FontColor", 0};
inline constexpr IntValue FontSize{"FontSize", 8};
inline constexpr IntValue HotSpotColor{"HotSpotColor", 13158}; // 0x003366
inline constexpr IntValue Background{"Background", 16777215};  // white

// Favourites: slots 0..FavoriteSlots-1, text "{caption}path", absent when unused.
inline constexpr int FavoriteSlots = 10;

// Names built from indices (decimal, from 0, no separator). The switch values
// default to the switch's described `state`; PathInstall to the element's
// `pathdef`.
QString swOne(int screen, int index);  // "SwOne" + screen + index
QString swGrp(int screen, int index);  // "SwGrp" + screen + index
QString swGrpD(int dialog, int index); // "SwGrpD" + dialog + index
// "Favorite" + slot; empty for a slot outside 0..FavoriteSlots-1.
QString favorite(int slot);
QString pathInstall(int element); // "PathInstall" + element

// The fixed values, for tools and checks.
QList<BoolValue> boolValues();
QList<IntValue> intValues();
QList<TextValue> textValues();

} // namespace settings
