// The background music: the fade's levels tick by tick, resuming at the
// stored title and position, bad playlists, the next title at the end.
#include "MediaFiles.h"

#include "data/SettingsStore.h"
#include "media/TBackgroundMusic.h"
#include "media/TMPlayer.h"
#include "media/TVolumeFade.h"

#include <QAudioDevice>
#include <QElapsedTimer>
#include <QMediaDevices>
#include <QSignalSpy>
#include <QTest>

using mediafiles::wav;

class TestMusic : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void fadeKeepsTheBalanceTickByTick();
    void fadeOnTheWorkerThread();
    void resumesAtTheStoredTitleAndPosition();
    void storedValuesOutsideThePlaylist();
    void badPlaylists();

private:
    QString file(const QString& name, const QByteArray& bytes) {
        const QString p = m_tmp.filePath(name);
        mediafiles::write(p, bytes);
        return p;
    }
    QTemporaryDir m_tmp;
    mediafiles::PulseNullSink m_pulse;
};

void TestMusic::initTestCase() {
    QVERIFY(m_tmp.isValid());
    TSettingsStore::setLocation(m_tmp.filePath("settings"));
    if (!m_pulse.start(m_tmp))
        qInfo("no private sound server: the back end plays on its own sink");
}

void TestMusic::fadeKeepsTheBalanceTickByTick() {
    TVolumeFade fade;
    fade.setLevels({40000, 20000}); // the right channel at half the left
    QVERIFY(fade.prepare(true));
    int expected = 0;
    int ticks = 0;
    int previousLeft = -1;
    bool more = true;
    while (more) {
        more = fade.tick();
        ++ticks;
        const TVolumeFade::Levels l = fade.levels();
        if (!more)
            break;
        // The louder channel has the level of this tick, the quieter half of it.
        QCOMPARE(int(l.left), expected);
        QCOMPARE(int(l.right), expected / 2);
        QVERIFY(int(l.left) > previousLeft);
        previousLeft = l.left;
        expected += TVolumeFade::stepFor(expected);
        QCOMPARE(fade.level(), expected);
        QVERIFY(ticks < 10000);
    }
    // The fade-in ends on the saved volume exactly.
    QCOMPARE(int(fade.levels().left), 40000);
    QCOMPARE(int(fade.levels().right), 20000);
    // 0..100 by 3, ..4000 by 7, ..8000 by 15, ..32000 by 25, then 50.
    QCOMPARE(ticks, 1978);

    // Fading out starts from the left channel and ends at silence.
    QSignalSpy fallen(&fade, &TVolumeFade::fallen);
    QVERIFY(fade.prepare(false));
    QVERIFY(fade.tick());
    QCOMPARE(int(fade.levels().left), 40000);
    QCOMPARE(int(fade.levels().right), 20000);
    QCOMPARE(fade.level(), 40000 - 50);
    while (fade.tick()) {
        const TVolumeFade::Levels l = fade.levels();
        QCOMPARE(int(l.right), int(l.left) / 2);
    }
    QCOMPARE(int(fade.levels().left), 0);
    QCOMPARE(int(fade.levels().right), 0);
    QTRY_COMPARE(fallen.size(), 1);
    fade.restore();
    QCOMPARE(int(fade.levels().left), 40000);

    // A fade-in cut short (the music stopped at once) must not make the
    // part-way volume the one to come back to.
    QVERIFY(fade.prepare(true));
    for (int i = 0; i < 300; ++i)
        fade.tick();
    QVERIFY(fade.levels().left < 4000);
    QVERIFY(fade.prepare(true));
    while (fade.tick()) {
    }
    QCOMPARE(int(fade.levels().left), 40000);
    QCOMPARE(int(fade.levels().right), 20000);

    // A channel at 0 counts as 1; the right channel louder leads.
    fade.setLevels({0, 30000});
    QVERIFY(fade.prepare(true));
    for (int i = 0; i < 200; ++i)
        fade.tick();
    QVERIFY(fade.levels().right > 1000);
    QCOMPARE(int(fade.levels().left), 0); // level / 30000
    while (fade.tick()) {
    }
    QCOMPARE(int(fade.levels().left), 1);
    QCOMPARE(int(fade.levels().right), 30000);

    // No volume control: no fade at all.
    fade.setHasVolumeControl(false);
    QVERIFY(!fade.start(false));
    QVERIFY(!fade.running());
}

void TestMusic::fadeOnTheWorkerThread() {
    TVolumeFade fade;
    fade.setLevels({65535, 65535});
    QSignalSpy changes(&fade, &TVolumeFade::levelsChanged);
    QElapsedTimer t;
    t.start();
    QVERIFY(fade.start(false));
    QVERIFY(fade.waitFallen(10000));
    const qint64 took = t.elapsed();
    // About 2 500 one-millisecond ticks from full volume to silence.
    QVERIFY2(took > 1000 && took < 9000, qPrintable(QString::number(took)));
    QVERIFY(changes.size() > 5); // the owner saw the levels while they moved
    QCOMPARE(int(fade.levels().left), 0);
    fade.restore();
    QCOMPARE(int(fade.levels().left), 65535);
    // A fade still running when its owner goes away ends with it.
    auto* other = new TVolumeFade;
    QVERIFY(other->start(true));
    delete other;
}

void TestMusic::resumesAtTheStoredTitleAndPosition() {
    TSettingsStore store("Music");
    store.writeInt("BGSoundSong", 1);
    store.writeInt("BGSoundPos", 1200);
    TBackgroundMusic music(&store);
    const QString a = file("a.wav", wav(1000));
    const QString b = file("b.wav", wav(2000));
    music.setPlaylist({a, b});
    music.setOn(true);
    QVERIFY(music.StartMusic());
    QCOMPARE(music.title(), 1);
    QCOMPARE(music.player()->fileName(), b);
    QVERIFY(music.playing());
    QVERIFY2(music.player()->position() >= 1150,
             qPrintable(QString::number(music.player()->position())));
    // The fade-in runs while the title plays (when there is a device).
    QCOMPARE(music.fade()->running(), !QMediaDevices::defaultAudioOutput().isNull());

    QTest::qWait(300);
    music.StopMusic(false);
    QCOMPARE(store.readInt("BGSoundSong"), std::optional<int>(1));
    const int stored = store.readInt("BGSoundPos").value_or(-1);
    QVERIFY2(stored >= 1300 && stored < 2000, qPrintable(QString::number(stored)));
    QVERIFY(!music.playing());
    QVERIFY(!music.fade()->running());
    QCOMPARE(int(music.fade()->levels().left), 65535); // put back at once

    // Started again it resumes there, and moves to the next title (the
    // first, after the last) when the title ends.
    QVERIFY(music.StartMusic());
    QCOMPARE(music.title(), 1);
    QVERIFY(music.player()->position() >= stored - 50);
    QTRY_COMPARE_WITH_TIMEOUT(music.title(), 0, 4000);
    QCOMPARE(music.player()->fileName(), a);
    QVERIFY(music.playing());
    QTRY_COMPARE_WITH_TIMEOUT(music.title(), 1, 4000);

    // Stopping with a fade is bounded and gives the volume back.
    QElapsedTimer t;
    t.start();
    music.StopMusic(true);
    QVERIFY(t.elapsed() < 10500);
    QVERIFY(!music.playing());
    QCOMPARE(int(music.fade()->levels().left), 65535);
    QCOMPARE(music.isOn(), true);
}

void TestMusic::storedValuesOutsideThePlaylist() {
    TSettingsStore store("Outside");
    const QString only = file("only.wav", wav(1500));
    TBackgroundMusic music(&store);
    music.setPlaylist({only});
    music.setOn(true);
    // Stopped before it ever started: the stored place is kept.
    store.writeInt("BGSoundSong", 3);
    store.writeInt("BGSoundPos", 4321);
    music.StopMusic(false);
    QCOMPARE(store.readInt("BGSoundSong"), std::optional<int>(3));
    QCOMPARE(store.readInt("BGSoundPos"), std::optional<int>(4321));
    // A title the list does not have: the first, from its beginning.
    store.writeInt("BGSoundSong", 7);
    store.writeInt("BGSoundPos", 900);
    QVERIFY(music.StartMusic());
    QCOMPARE(music.title(), 0);
    QVERIFY(music.player()->position() < 600);
    music.StopMusic(false);
    // A position past the title's end: the title from its beginning.
    store.writeInt("BGSoundSong", 0);
    store.writeInt("BGSoundPos", 600000);
    QVERIFY(music.StartMusic());
    QVERIFY(music.playing());
    QVERIFY(music.player()->position() < 600);
    // A one-title list plays that title again at its end.
    QSignalSpy notices(music.player(), &TMPlayer::OnNotify);
    QTRY_VERIFY_WITH_TIMEOUT(notices.size() >= 1, 4000);
    QTRY_VERIFY_WITH_TIMEOUT(music.playing(), 2000);
    QCOMPARE(music.title(), 0);
    music.StopMusic(false);
}

void TestMusic::badPlaylists() {
    TSettingsStore store("Bad");
    store.writeInt("BGSoundSong", 0);
    store.writeInt("BGSoundPos", 0);
    {
        TBackgroundMusic music(&store);
        music.setOn(true);
        QSignalSpy switched(&music, &TBackgroundMusic::switched);
        QVERIFY(!music.StartMusic()); // empty list
        QVERIFY(!music.isOn());
        QCOMPARE(switched.size(), 1);
    }
    {
        // Nothing that plays: missing, empty, not a sound, truncated header.
        QByteArray header = wav(500);
        header.truncate(30);
        TBackgroundMusic music(&store);
        music.setPlaylist({m_tmp.filePath("none.wav"), file("empty.wav", QByteArray()),
                           file("text.mp3", QByteArray(3000, 'z')), file("head.wav", header)});
        music.setOn(true);
        QElapsedTimer t;
        t.start();
        QVERIFY(!music.StartMusic());
        QVERIFY(t.elapsed() < 20000);
        QVERIFY(!music.isOn());
        QVERIFY(!music.playing());
        music.StopMusic(true); // nothing plays: returns at once
        QVERIFY(t.elapsed() < 20000);
    }
    {
        // A bad title is skipped; the good one plays and the list goes on.
        const QString good = file("good.wav", wav(700));
        TBackgroundMusic music(&store);
        music.setPlaylist({m_tmp.filePath("gone.wav"), good});
        music.setOn(true);
        QVERIFY(music.StartMusic());
        QCOMPARE(music.title(), 1);
        QSignalSpy notices(music.player(), &TMPlayer::OnNotify);
        QTRY_VERIFY_WITH_TIMEOUT(notices.size() >= 1, 3000);
        // At the end the missing first title is skipped again.
        QTRY_VERIFY_WITH_TIMEOUT(music.playing(), 2000);
        QCOMPARE(music.title(), 1);
        QVERIFY(music.isOn());
        music.StopMusic(false);
    }
}

QTEST_MAIN(TestMusic)
#include "tst_music.moc"
