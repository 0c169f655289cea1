#pragma once

#include <QHash>
#include <QObject>
#include <QString>

class QSoundEffect;

// Element sounds: WAV files played asynchronously through Qt Multimedia.
// One effect per file is kept, so a repeated click costs no reload.
class TButtonSounds : public QObject {
    Q_OBJECT
public:
    explicit TButtonSounds(QObject* parent = nullptr);

    // Plays the file at the native path; a missing file plays nothing.
    void play(const QString& nativePath);
    // Plays and waits until the sound ends (at most `timeoutMs`): the exit
    // button's sound is heard while the program ends.
    void playAndWait(const QString& nativePath, int timeoutMs);
    int played() const { return m_played; }

private:
    QSoundEffect* effect(const QString& nativePath);
    QHash<QString, QSoundEffect*> m_effects;
    int m_played = 0;
};
