#include "skin/TSwitchStore.h"

#include "data/SettingsNames.h"
#include "data/SettingsStore.h"

namespace switchstore {

QString switchOneName(int screen, int index) {
    return settings::swOne(screen, index);
}

QString switchGrpName(int screen, int index) {
    return settings::swGrp(screen, index);
}

void read(StructModel& model, const TSettingsStore& settings) {
    for (int sc = 0; sc < model.screens.size(); ++sc) {
        RScreen& screen = model.screens[sc];
        for (int i = 0; i < screen.switchone.size(); ++i) {
            RSwthOne& s = screen.switchone[i];
            s.on = s.state;
            if (s.store)
                s.on = settings.readBool(switchOneName(sc, i)).value_or(s.state);
        }
        for (int i = 0; i < screen.switchgrp.size(); ++i) {
            RSwthGrp& s = screen.switchgrp[i];
            s.on = s.state;
            if (s.store)
                s.on = settings.readBool(switchGrpName(sc, i)).value_or(s.state);
        }
    }
}

void write(const StructModel& model, TSettingsStore& settings) {
    for (int sc = 0; sc < model.screens.size(); ++sc) {
        const RScreen& screen = model.screens[sc];
        for (int i = 0; i < screen.switchone.size(); ++i)
            if (screen.switchone[i].store)
                settings.writeBool(switchOneName(sc, i), screen.switchone[i].on);
        for (int i = 0; i < screen.switchgrp.size(); ++i)
            if (screen.switchgrp[i].store)
                settings.writeBool(switchGrpName(sc, i), screen.switchgrp[i].on);
    }
}

} // namespace switchstore
