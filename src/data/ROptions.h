#pragma once

#include <QString>

// The program-wide settings: read once at start with their defaults (by the
// options window's creation), changed by its OK button. Every part that
// consults one of them reads it here, not from the settings store, so a
// change in the options window takes effect at once.
struct ROptions {
    bool clip = true;             // the start clip
    bool wav = true;              // the sounds of buttons and switches
    bool bgSound = true;          // the background music
    bool animation = true;        // window animation (cleared when the main window first shows)
    bool hint = true;             // hints in the skinned windows
    int sizeInterface = 0;        // 0 automatic, 1 "800x600", 2 "1024x768", 3 custom
    bool autoStartPlayer = false; // off unless the player page exists and reads it
    bool playingCyclic = true;
    QString namePlayList[3];
    bool runSlideShow = false;
    int slideShowTime = 5; // seconds
    int imageSequence = 0; // 0 forward, 1 backward
};
