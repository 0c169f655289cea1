#pragma once

#include "media/TVolumeFade.h"

#include <QObject>
#include <QStringList>

class TMPlayer;
class TSettingsStore;

// The background music of the main window: the book's playlist played in a
// loop on a media device of its own, faded in and out, the title and
// position kept in the settings (BGSoundSong, BGSoundPos) and resumed. The
// music-on flag turns off for the rest of the run when nothing of the
// playlist can be played. No widgets: the window decides when to start.
class TBackgroundMusic : public QObject {
    Q_OBJECT
public:
    // `store` may be null (title and position are kept in memory only).
    explicit TBackgroundMusic(TSettingsStore* store, QObject* parent = nullptr);
    ~TBackgroundMusic() override;

    // Native paths of the titles.
    void setPlaylist(const QStringList& files) { m_playlist = files; }
    const QStringList& playlist() const { return m_playlist; }

    bool isOn() const { return m_on; }
    void setOn(bool on);

    // Opens the stored title at the stored position (a title outside the
    // list: the first; a position past the title's end: its beginning),
    // fades in and plays. Titles that cannot be played are skipped; when
    // none can, the flag turns off. True when music plays.
    bool StartMusic();
    // Stores the title and position and stops, fading out first when `fade`
    // (bounded by 10 s); the volume is put back afterwards.
    void StopMusic(bool fade);
    // The end of a title: the next one (after the last, the first).
    void NextTitle();

    bool playing() const;
    int title() const { return m_index; }
    qint64 startPosition() const { return m_position; }
    TMPlayer* player() const { return m_player; }
    TVolumeFade* fade() const { return m_fade; }
    // The fade-out bound of StopMusic (ms).
    void setStopTimeout(int ms) { m_stopTimeout = ms; }

Q_SIGNALS:
    // The music-on flag changed.
    void switched(bool on);

private:
    bool openAndPlay(int index, qint64 position, bool fadeIn);
    void applyVolume();

    TSettingsStore* m_store;
    TMPlayer* m_player;
    TVolumeFade* m_fade;
    QStringList m_playlist;
    bool m_on = false;
    int m_index = 0;
    qint64 m_position = 0;
    int m_stopTimeout = 10000;
    bool m_placeRead = false; // the stored title and position were read
    int m_failures = 0;       // titles in a row that failed while playing
};
