#pragma once

#include "data/StructModel.h"

class TSettingsStore;

// Switch states kept between runs: every switch whose `store` is on is read
// at start-up and written at exit, as SwOne / SwGrp followed by the screen
// index and the switch index (decimal, from 0, no separator).
namespace switchstore {

QString switchOneName(int screen, int index);
QString switchGrpName(int screen, int index);

// A missing or unreadable value keeps the switch's `state`.
void read(StructModel& model, const TSettingsStore& settings);
void write(const StructModel& model, TSettingsStore& settings);

} // namespace switchstore
