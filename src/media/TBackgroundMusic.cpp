#include "media/TBackgroundMusic.h"

#include "data/SettingsNames.h"
#include "data/SettingsStore.h"
#include "media/TMPlayer.h"

#include <QAudio>
#include <QAudioDevice>
#include <QFileInfo>
#include <QMediaDevices>

#include <algorithm>
#include <cstdio>

TBackgroundMusic::TBackgroundMusic(TSettingsStore* store, QObject* parent)
    : QObject(parent), m_store(store), m_player(new TMPlayer(this)), m_fade(new TVolumeFade(this)) {
    connect(m_player, &TMPlayer::OnNotify, this, [this](TMPlayer*) { NextTitle(); });
    connect(m_fade, &TVolumeFade::levelsChanged, this, &TBackgroundMusic::applyVolume);
}

TBackgroundMusic::~TBackgroundMusic() = default;

void TBackgroundMusic::setOn(bool on) {
    if (m_on == on)
        return;
    m_on = on;
    emit switched(on);
}

bool TBackgroundMusic::playing() const {
    return m_player->mode() == TMPlayer::Playing;
}

void TBackgroundMusic::applyVolume() {
    const TVolumeFade::Levels l = m_fade->levels();
    const double louder = std::max(l.left, l.right) / 65535.0;
    m_player->setVolume(float(
        QAudio::convertVolume(louder, QAudio::LogarithmicVolumeScale, QAudio::LinearVolumeScale)));
}

bool TBackgroundMusic::openAndPlay(int index, qint64 position, bool fadeIn) {
    m_player->setFileName(m_playlist.at(index));
    if (m_player->open() != TMPlayer::NoError)
        return false;
    if (position > 0 && m_player->seek(position) != TMPlayer::NoError) {
        std::fprintf(stderr,
                     "vantrel: music \"%s\": position %lld ms is past its end (%lld ms); "
                     "playing from the beginning\n",
                     qPrintable(QFileInfo(m_playlist.at(index)).fileName()),
                     static_cast<long long>(position), static_cast<long long>(m_player->length()));
        m_player->seek(0);
    }
    if (fadeIn && m_fade->start(true))
        m_player->setVolume(0.0f);
    if (m_player->play() != TMPlayer::NoError) {
        m_fade->restore();
        m_player->close();
        return false;
    }
    return true;
}

bool TBackgroundMusic::StartMusic() {
    if (m_playlist.isEmpty()) {
        setOn(false);
        return false;
    }
    m_placeRead = true;
    if (m_store) {
        if (const auto song = m_store->readInt(QLatin1String(settings::BGSoundSong.name)))
            m_index = *song;
        if (const auto pos = m_store->readInt(QLatin1String(settings::BGSoundPos.name)))
            m_position = *pos;
    }
    if (m_index < 0 || m_index >= m_playlist.size()) {
        std::fprintf(stderr,
                     "vantrel: music title %d is not in the playlist of %lld; starting "
                     "with the first\n",
                     m_index + 1, static_cast<long long>(m_playlist.size()));
        m_index = 0;
        m_position = 0;
    }
    m_position = std::max<qint64>(0, m_position);
    // Without a sound device there is no volume to fade; the music still
    // plays (on the back end's own sink) and stops.
    m_fade->setHasVolumeControl(!QMediaDevices::defaultAudioOutput().isNull());
    // A title that cannot be played is skipped; the stored position belongs
    // to the stored title only.
    for (int attempt = 0; attempt < m_playlist.size(); ++attempt) {
        const int i = (m_index + attempt) % m_playlist.size();
        if (openAndPlay(i, attempt == 0 ? m_position : 0, true)) {
            m_index = i;
            return true;
        }
    }
    std::fprintf(stderr, "vantrel: no title of the music playlist can be played; music off\n");
    setOn(false);
    return false;
}

void TBackgroundMusic::NextTitle() {
    // A title that played to its end moves on, and so does one that failed
    // while playing (skipped); a stop, a seek or a close reports otherwise.
    const int value = m_player->notifyValue();
    if ((value != TMPlayer::Successful && value != TMPlayer::Failure) || !m_on ||
        m_playlist.isEmpty())
        return;
    m_failures = value == TMPlayer::Failure ? m_failures + 1 : 0;
    if (m_failures >= m_playlist.size()) {
        std::fprintf(stderr, "vantrel: every title of the music playlist failed; music off\n");
        m_failures = 0;
        m_player->close();
        setOn(false);
        return;
    }
    for (int k = 1; k <= m_playlist.size(); ++k) {
        const int i = (m_index + k) % m_playlist.size();
        if (openAndPlay(i, 0, false)) {
            m_index = i;
            m_position = 0;
            return;
        }
    }
    std::fprintf(stderr, "vantrel: no title of the music playlist can be played; music off\n");
    setOn(false);
}

void TBackgroundMusic::StopMusic(bool fade) {
    if (m_player->isOpen())
        m_position = m_player->position();
    // A music that never started in this run has no place of its own: the
    // stored one stays (a start that hands over to the player at once).
    if (m_store && m_placeRead) {
        m_store->writeInt(QLatin1String(settings::BGSoundSong.name), m_index);
        m_store->writeInt(QLatin1String(settings::BGSoundPos.name), int(m_position));
    }
    if (fade && m_player->mode() == TMPlayer::Playing && m_fade->start(false))
        m_fade->waitFallen(m_stopTimeout);
    if (m_player->isOpen()) {
        m_player->stop();
        m_player->close();
    }
    // Also after a stop without fade: a fade-in cut short leaves the
    // device volume part-way, and the next start must find the full one.
    m_fade->restore();
}
