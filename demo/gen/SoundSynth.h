#pragma once

#include <QByteArray>

// Short sounds of the book, synthesised as 16-bit mono PCM WAV files. Button
// sounds are padded with silence: very short clips are cut by some players.
namespace soundsynth {

QByteArray click();  // a key click, ~150 ms
QByteArray toggle(); // a switch: two ticks
QByteArray exitChime();
QByteArray horn();  // the car's two-tone horn (a sound link on a page)
QByteArray theme(); // the quiet background tune of the cover
QByteArray road();  // the second title of the music list

} // namespace soundsynth
