// Element sounds through Qt Multimedia, played into a private PulseAudio
// daemon with a null sink (no sound card needed).
#include "../media/MediaFiles.h"
#include "TestBook.h"

#include "app/TMainForm.h"
#include "data/SettingsStore.h"
#include "media/TButtonSounds.h"

#include <QAudioDevice>
#include <QElapsedTimer>
#include <QFile>
#include <QMediaDevices>
#include <QProcess>
#include <QSoundEffect>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <QtEndian>

#include <cmath>
#include <memory>

using mediafiles::wav;

class TestSounds : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void cleanupTestCase();
    void playsWav();
    void clicksSoundWhenTheSettingAllows();
    void soundDroppedWhileLoading();

private:
    QTemporaryDir m_tmp;
    QProcess m_pulse;
};

void TestSounds::initTestCase() {
    QVERIFY(m_tmp.isValid());
    TSettingsStore::setLocation(m_tmp.filePath("settings"));
    if (QStandardPaths::findExecutable("pulseaudio").isEmpty())
        QSKIP("no pulseaudio on this machine");
    const QString socket = m_tmp.filePath("pulse-native");
    m_pulse.start("pulseaudio", {"--daemonize=no", "-n", "--exit-idle-time=-1", "-L",
                                 "module-native-protocol-unix auth-anonymous=1 socket=" + socket,
                                 "-L", "module-null-sink sink_name=nullsink"});
    QVERIFY(m_pulse.waitForStarted());
    QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(socket), 5000);
    qputenv("PULSE_SERVER", ("unix:" + socket).toLocal8Bit());
    if (QMediaDevices::defaultAudioOutput().isNull())
        QSKIP("the sound server does not offer an output");
}

void TestSounds::cleanupTestCase() {
    if (m_pulse.state() != QProcess::NotRunning) {
        m_pulse.terminate();
        m_pulse.waitForFinished(3000);
    }
}

void TestSounds::playsWav() {
    const QString file = m_tmp.filePath("click.wav");
    QFile f(file);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(wav(400));
    f.close();
    TButtonSounds sounds;
    sounds.play(file);
    QCOMPARE(sounds.played(), 1);
    auto* effect = sounds.findChild<QSoundEffect*>();
    QVERIFY(effect);
    QTRY_VERIFY_WITH_TIMEOUT(effect->isPlaying(), 5000);
    QTRY_VERIFY_WITH_TIMEOUT(!effect->isPlaying(), 5000);
    // A missing file plays nothing.
    sounds.play(m_tmp.filePath("none.wav"));
    QCOMPARE(sounds.played(), 1);
    // Waiting for a sound returns when it has ended.
    QElapsedTimer t;
    t.start();
    sounds.playAndWait(file, 4000);
    QVERIFY(t.elapsed() >= 300);
    QVERIFY(t.elapsed() < 3500);
}

void TestSounds::clicksSoundWhenTheSettingAllows() {
    const QString dir = m_tmp.filePath("book/run");
    QVERIFY(testbook::write(dir, testbook::description("Sounds"), testbook::pictures()));
    QFile f(dir + "/click.wav");
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(wav(100));
    f.close();
    TMainForm form;
    QCOMPARE(form.FormCreate(dir, {}), std::nullopt);
    QVERIFY(form.buttonSoundsOn()); // the Wav setting's default
    QTRY_VERIFY_WITH_TIMEOUT(!form.openingRunning(), 5000);
    // The reading-screen button has "click.wav"; its click sounds once.
    QTest::mouseMove(&form, {30, 30});
    QTest::mouseClick(&form, Qt::LeftButton, {}, {30, 30});
    QCOMPARE(form.currentScreen(), 1);
    QCOMPARE(form.sounds()->played(), 1);
    // Replayed commands never sound; with the setting off clicks are silent.
    form.Dispatch("1", "click.wav", true, 0, 0);
    QCOMPARE(form.sounds()->played(), 1);
    form.setButtonSoundsOn(false);
    form.Dispatch("2", "click.wav", false, 0, 0);
    QCOMPARE(form.sounds()->played(), 1);
}

// A sound dropped before it finished loading left its wait behind (the
// sanitizer run's leak check catches that).
void TestSounds::soundDroppedWhileLoading() {
    const QString file = m_tmp.filePath("slow.wav");
    QFile f(file);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(wav(400));
    f.close();
    auto sounds = std::make_unique<TButtonSounds>();
    sounds->play(file);
    auto* effect = sounds->findChild<QSoundEffect*>();
    QVERIFY(effect);
    QCOMPARE(effect->status(), QSoundEffect::Loading);
    sounds.reset(); // no event loop ran: it never finished loading
}

QTEST_MAIN(TestSounds)
#include "tst_sounds.moc"
