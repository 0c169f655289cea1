// The foreground player: a clip shown in its area and closed at its end, a
// dropped sound that interrupts the music and gives it back, the driver
// installation and second try after a failed open, the ten-second steps.
#include "MediaFiles.h"

#include "../../demo/gen/AviWriter.h"
#include "data/SettingsStore.h"
#include "media/TBackgroundMusic.h"
#include "media/TColorWinControl.h"
#include "media/TSound.h"

#include <QSignalSpy>
#include <QTest>
#include <QWidget>

using mediafiles::wav;

class TestSound : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void clipPlaysInItsAreaAndClosesAtTheEnd();
    void droppedSoundInterruptsTheMusic();
    void clipStopsTheMusicForGood();
    void driverInstalledOnlyForOtherFailures();
    void tenSecondSteps();

private:
    QString file(const QString& name, const QByteArray& bytes) {
        const QString p = m_tmp.filePath(name);
        mediafiles::write(p, bytes);
        return p;
    }
    QString clip() {
        QList<QImage> frames;
        for (int i = 0; i < 12; ++i) {
            QImage img(80, 40, QImage::Format_RGB32);
            img.fill(QColor(200, 10 * i, 30));
            frames << img;
        }
        return file("clip.avi", AviWriter::motionJpeg(frames, 20, 80));
    }
    QTemporaryDir m_tmp;
    mediafiles::PulseNullSink m_pulse;
};

void TestSound::initTestCase() {
    QVERIFY(m_tmp.isValid());
    TSettingsStore::setLocation(m_tmp.filePath("settings"));
    if (!m_pulse.start(m_tmp))
        qInfo("no private sound server: the back end plays on its own sink");
}

void TestSound::clipPlaysInItsAreaAndClosesAtTheEnd() {
    QWidget window;
    window.resize(400, 300);
    TSound sound(&window, nullptr);
    int screen = 1;
    sound.currentScreen = [&screen] { return screen; };
    QList<QPair<int, QString>> pages;
    sound.showPage = [&pages](int n, const QString& p) { pages.append({n, p}); };
    RClip first;
    first.vx = 10, first.vy = 20, first.vw = 110, first.vh = 90, first.bgcolor = 0x0000FF;
    first.html = 2, first.screen = 0;
    RClip second = first;
    second.vx = 200, second.vw = 360, second.html = 3, second.screen = 1;
    sound.Create({first, second});
    QCOMPARE(sound.areas().size(), 2);
    TColorWinControl* area = sound.areas().at(1);
    // Bounds from the left, top, right and bottom keys; the colour r + 256g + 65536b.
    QCOMPARE(area->geometry(), QRect(200, 20, 160, 70));
    QCOMPARE(sound.areas().at(0)->color(), QColor(255, 0, 0));
    QVERIFY(!sound.areas().at(0)->isVisibleTo(&window));
    QVERIFY(area->isVisibleTo(&window));
    // The same screen again keeps its areas.
    sound.ShowForScreen();
    QVERIFY(area->isVisibleTo(&window));

    sound.PlayFile(clip(), "page.htm", TSound::EndClose);
    QCOMPARE(sound.endAction(), int(TSound::EndClose));
    QCOMPARE(sound.display(), area);
    QCOMPARE(pages, (QList<QPair<int, QString>>{{3, "page.htm"}}));
    QCOMPARE(sound.mode(), TMPlayer::Playing);
    QTRY_VERIFY_WITH_TIMEOUT(!area->frame().isNull(), 3000);
    // Drawn into the area, proportions kept (80x40 in 160x70: 140x70 centred).
    QCOMPARE(area->frameRect(), QRect(10, 0, 140, 70));
    // At its end the clip's medium is closed and the area shows its colour.
    QTRY_VERIFY_WITH_TIMEOUT(!sound.isOpen(), 4000);
    QVERIFY(area->frame().isNull());

    // Another screen: its area shows, the other one hides.
    screen = 0;
    sound.ShowForScreen();
    QVERIFY(!area->isVisibleTo(&window));
    QVERIFY(sound.areas().at(0)->isVisibleTo(&window));
}

void TestSound::droppedSoundInterruptsTheMusic() {
    TSettingsStore store("Drop");
    store.writeInt("BGSoundSong", 0);
    store.writeInt("BGSoundPos", 0);
    QWidget window;
    TBackgroundMusic music(&store);
    music.setPlaylist({file("tune.wav", wav(6000))});
    music.setOn(true);
    TSound sound(&window, &music);
    sound.currentScreen = [] { return 0; };
    QVERIFY(music.StartMusic());
    // (A sound server may report the first position late: wait for it.)
    QTRY_VERIFY_WITH_TIMEOUT(music.player()->position() >= 1000, 5000);

    sound.PlayFile(file("drop.wav", wav(600)), QString(), TSound::EndReplayEmpty);
    // The music stopped with its position stored and its flag off.
    QVERIFY(!music.playing());
    QVERIFY(!music.isOn());
    const int saved = store.readInt("BGSoundPos").value_or(-1);
    QVERIFY2(saved >= 1000 && saved < 3000, qPrintable(QString::number(saved)));
    QCOMPARE(sound.endAction(), int(TSound::EndResumeMusic));
    QCOMPARE(sound.mode(), TMPlayer::Playing);
    // When the sound has played the music comes back where it was.
    QTRY_VERIFY_WITH_TIMEOUT(music.isOn(), 3000);
    QVERIFY(music.playing());
    QVERIFY2(music.player()->position() >= saved - 50,
             qPrintable(QString::number(music.player()->position())));
    QVERIFY(music.player()->position() < saved + 1000);
    music.StopMusic(false);
}

void TestSound::clipStopsTheMusicForGood() {
    TSettingsStore store("ClipMusic");
    QWidget window;
    TBackgroundMusic music(&store);
    music.setPlaylist({file("tune2.wav", wav(4000))});
    music.setOn(true);
    TSound sound(&window, &music);
    sound.currentScreen = [] { return 0; };
    sound.Create({RClip{0, 0, 100, 100, 0, 1, 0}});
    QVERIFY(music.StartMusic());
    sound.PlayFile(clip(), QString(), TSound::EndClose);
    QVERIFY(!music.isOn());
    QVERIFY(!music.playing());
    QTRY_VERIFY_WITH_TIMEOUT(!sound.isOpen(), 4000);
    QTest::qWait(200);
    QVERIFY(!music.isOn());
    QVERIFY(!music.playing());
}

void TestSound::driverInstalledOnlyForOtherFailures() {
    QWidget window;
    TSound sound(&window, nullptr);
    sound.currentScreen = [] { return 0; };
    int installs = 0;
    sound.installDriver = [&installs] { ++installs; };
    // Missing, unplayable (not a medium), empty: no installation.
    sound.PlayFile(m_tmp.filePath("none.avi"), QString(), TSound::EndClose);
    sound.PlayFile(file("junk.avi", QByteArray(5000, 'j')), QString(), TSound::EndClose);
    sound.PlayFile(file("zero.mpg", QByteArray()), QString(), TSound::EndClose);
    QCOMPARE(installs, 0);
    QVERIFY(!sound.isOpen());
    // A file of a known kind that still does not open: install, try again.
    QByteArray riff("RIFF");
    riff += QByteArray::fromHex("00100000") + "AVI LIST" + QByteArray(400, '\x07');
    sound.PlayFile(file("odd.avi", riff), QString(), TSound::EndClose);
    QCOMPARE(installs, 1);
    // Sounds are never retried.
    sound.PlayFile(file("odd.wav", riff), QString(), TSound::EndReplayEmpty);
    QCOMPARE(installs, 1);
    // The request without a file ends with nothing open.
    sound.PlayFile(QString(), QString(), 0);
    QVERIFY(!sound.isOpen());
}

void TestSound::tenSecondSteps() {
    QWidget window;
    TSound sound(&window, nullptr);
    sound.currentScreen = [] { return 0; };
    // 25 s of sound at a low rate keeps the file small.
    sound.PlayFile(file("long.wav", wav(25000, 4000)), QString(), TSound::EndClose);
    QVERIFY(sound.isOpen());
    sound.stop();
    QCOMPARE(sound.seek(9000), 0);
    sound.StepBack();
    QVERIFY(sound.position() < 500);
    QCOMPARE(sound.mode(), TMPlayer::Playing);
    sound.stop();
    QCOMPARE(sound.seek(12000), 0);
    sound.StepForward();
    QVERIFY(qAbs(sound.position() - 22000) < 500);
    QCOMPARE(sound.mode(), TMPlayer::Playing);
    // Five seconds before the end: to the end, which ends the playback.
    sound.stop();
    QCOMPARE(sound.seek(sound.length() - 5000), 0);
    sound.StepForward();
    QTRY_VERIFY_WITH_TIMEOUT(!sound.isOpen(), 2000);
    // Nothing open: the steps do nothing and raise nothing.
    sound.StepForward();
    sound.StepBack();
    QCOMPARE(sound.error(), int(TMPlayer::ErrNoDevice));
}

QTEST_MAIN(TestSound)
#include "tst_sound.moc"
