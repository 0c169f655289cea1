#include "data/OptionsReader.h"

#include "data/SettingsNames.h"
#include "data/SettingsStore.h"

namespace options {

namespace {

// An integer setting that must lie in [lo, hi]: anything else is replaced by
// the default, in memory and in the store.
int intInRange(TSettingsStore& store, const settings::IntValue& v, int lo, int hi) {
    const int value = store.intOrWriteDefault(v);
    if (value >= lo && value <= hi)
        return value;
    store.writeInt(QLatin1String(v.name), v.def);
    return v.def;
}

const settings::TextValue* const kListNames[3] = {
    &settings::NamePlayList1, &settings::NamePlayList2, &settings::NamePlayList3};

} // namespace

void read(TSettingsStore& store, ROptions& o, const RPages& pages) {
    o.clip = store.boolOrWriteDefault(settings::Clip);
    o.wav = store.boolOrWriteDefault(settings::Wav);
    o.bgSound = store.boolOrWriteDefault(settings::BGSound);
    o.animation = store.boolOrWriteDefault(settings::Animation);
    o.hint = store.boolOrWriteDefault(settings::Hint);
    if (pages.player) {
        o.autoStartPlayer = store.boolOrWriteDefault(settings::AutoStartPlayer);
        o.playingCyclic = store.boolOrWriteDefault(settings::PlayingCyclic);
        // An empty or missing name keeps the one in memory, which is stored.
        for (int i = 0; i < 3; ++i)
            o.namePlayList[i] =
                store.textOrWriteDefault(QLatin1String(kListNames[i]->name), o.namePlayList[i]);
    }
    if (pages.pictures) {
        o.runSlideShow = store.boolOrWriteDefault(settings::RunSlideShow);
        o.slideShowTime = intInRange(store, settings::SlideShowTime, kMinSlideTime, kMaxSlideTime);
        o.imageSequence = intInRange(store, settings::ImageSequence, 0, 1);
    }
}

RApplied apply(TSettingsStore* store, ROptions& o, const RChoice& c, const RPages& pages) {
    RApplied applied;
    const auto setBool = [store](bool& setting, bool box, const settings::BoolValue& v) {
        if (box == setting)
            return;
        setting = box;
        if (store)
            store->writeBool(QLatin1String(v.name), box);
    };
    const auto setInt = [store](int& setting, int value, const settings::IntValue& v) {
        if (value == setting)
            return false;
        setting = value;
        if (store)
            store->writeInt(QLatin1String(v.name), value);
        return true;
    };
    if (c.clipEnabled)
        setBool(o.clip, c.clip, settings::Clip);
    if (c.wavEnabled)
        setBool(o.wav, c.wav, settings::Wav);
    if (c.sizeInterface >= 0 && c.sizeInterface <= 3)
        o.sizeInterface = c.sizeInterface;
    if (store)
        store->writeInt(QLatin1String(settings::SizeInterface.name), o.sizeInterface);
    if (pages.player) {
        setBool(o.autoStartPlayer, c.autoStartPlayer, settings::AutoStartPlayer);
        setBool(o.playingCyclic, c.playingCyclic, settings::PlayingCyclic);
        for (int i = 0; i < 3; ++i)
            if (c.namePlayList[i] != o.namePlayList[i]) {
                o.namePlayList[i] = c.namePlayList[i];
                if (store)
                    store->writeText(QLatin1String(kListNames[i]->name), o.namePlayList[i]);
            }
    }
    if (pages.pictures) {
        const bool wasOn = o.runSlideShow;
        setBool(o.runSlideShow, c.runSlideShow, settings::RunSlideShow);
        applied.slideShowSwitched = wasOn != o.runSlideShow;
        if (c.slideShowTime >= kMinSlideTime && c.slideShowTime <= kMaxSlideTime)
            applied.slideTimeChanged =
                setInt(o.slideShowTime, c.slideShowTime, settings::SlideShowTime);
        if (c.imageSequence == 0 || c.imageSequence == 1)
            setInt(o.imageSequence, c.imageSequence, settings::ImageSequence);
    }
    return applied;
}

} // namespace options
