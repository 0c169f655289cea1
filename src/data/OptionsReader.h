#pragma once

#include "data/ROptions.h"

class TSettingsStore;

// The reading and writing rules of the program-wide settings (ROptions).
// The options window owns them; nothing here knows a widget.
namespace options {

// Which optional pages the options window has: the player page (song-list
// elements) and the pictures page (slide-show picture areas).
struct RPages {
    bool player = false;
    bool pictures = false;
};

// The track bar's range for the slide time, in seconds.
inline constexpr int kMinSlideTime = 1;
inline constexpr int kMaxSlideTime = 10;

// Reads the settings at start: always Clip, Wav, BGSound, Animation and
// Hint; the player values only with the player page; the slide-show values
// only with the pictures page. A value that is missing or of another type
// takes its default, which is written back. So is a value outside what the
// window can show (a slide time outside 1..10 seconds, a picture order other
// than 0 or 1): the window could not write it back, and the slide show would
// run with it unchecked.
void read(TSettingsStore& store, ROptions& o, const RPages& pages);

// What the controls say when OK is pressed. `sizeInterface` -1: no variant
// selected (the setting stays). `clipEnabled` / `wavEnabled`: the two boxes
// can be changed at all (a disabled box never changes its setting).
struct RChoice {
    bool clip = true, wav = true;
    bool clipEnabled = false, wavEnabled = false;
    int sizeInterface = -1;
    bool autoStartPlayer = false, playingCyclic = false;
    QString namePlayList[3];
    bool runSlideShow = false;
    int slideShowTime = 5;
    int imageSequence = 0;
};

// What OK changed that a running slide show must follow.
struct RApplied {
    bool slideShowSwitched = false; // runSlideShow changed
    bool slideTimeChanged = false;  // slideShowTime changed
};

// OK: each changed value is taken into `o` and written; the interface
// variant is always written; Animation, Hint and BGSound never. `store` may
// be null (nothing is written). A slide time outside 1..10 and a picture
// order other than 0 or 1 are not taken.
RApplied apply(TSettingsStore* store, ROptions& o, const RChoice& choice, const RPages& pages);

} // namespace options
