// Sound and clips in the main window: the music starting after the first
// frame, "bgsound" off and on with the options box in step and the place
// kept, a clip on its screen silencing the music for good, a dropped sound
// giving it back, and the title and position stored at exit.
#include "../media/MediaFiles.h"
#include "TestBook.h"

#include "../../demo/gen/AviWriter.h"
#include "app/TMainForm.h"
#include "app/TMediaHost.h"
#include "app/TReadingScreen.h"
#include "data/BookPaths.h"
#include "data/SettingsStore.h"
#include "media/TBackgroundMusic.h"
#include "media/TButtonSounds.h"
#include "media/TColorWinControl.h"
#include "media/TSound.h"
#include "reader/THtmlFrame.h"

#include <QApplication>
#include <QCheckBox>
#include <QMimeData>
#include <QTest>
#include <QUrl>

using mediafiles::wav;

class TestMediaHost : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void musicClipsAndDroppedSounds();

private:
    QTemporaryDir m_tmp;
    mediafiles::PulseNullSink m_pulse;
};

void TestMediaHost::initTestCase() {
    QVERIFY(m_tmp.isValid());
    TSettingsStore::setLocation(m_tmp.filePath("settings"));
    if (!m_pulse.start(m_tmp))
        qInfo("no private sound server: the back end plays on its own sink");
}

void TestMediaHost::musicClipsAndDroppedSounds() {
    const QString dir = m_tmp.filePath("book/run");
    QStringList d = testbook::description("Media");
    d << "bgsounddef=[snd\\one.wav;snd\\two.wav]";
    d << QStringList{"[2] _clip", "vx=200", "vy=60", "vw=280", "vh=120", "bgcolor=0,0,0", "html=1"};
    QVERIFY(testbook::write(dir, d, testbook::pictures()));
    QVERIFY(QDir().mkpath(dir + "/snd"));
    QVERIFY(mediafiles::write(dir + "/snd/one.wav", wav(8000, 8000)));
    QVERIFY(mediafiles::write(dir + "/snd/two.wav", wav(2000, 8000)));
    QVERIFY(mediafiles::write(dir + "/drop.wav", wav(500)));
    QList<QImage> frames;
    for (int i = 0; i < 8; ++i) {
        QImage img(64, 48, QImage::Format_RGB32);
        img.fill(QColor(30 * i, 90, 160));
        frames << img;
    }
    QVERIFY(mediafiles::write(dir + "/clip.avi", AviWriter::motionJpeg(frames, 16, 80)));
    TSettingsStore store("Media");
    store.writeInt("BGSoundSong", 1);
    store.writeInt("BGSoundPos", 500);

    auto form = std::make_unique<TMainForm>();
    QCOMPARE(form->FormCreate(dir, {}), std::nullopt);
    TMediaHost* media = form->media();
    QVERIFY(media);
    TBackgroundMusic* music = media->music();
    QCOMPARE(music->playlist().size(), 2);
    // Not before the first frame: the window comes first.
    QVERIFY(!music->playing());
    form->show();
    QTRY_VERIFY_WITH_TIMEOUT(form->firstFrameDone(), 5000);
    QTRY_VERIFY_WITH_TIMEOUT(music->playing(), 5000);
    QCOMPARE(music->title(), 1); // the stored title and position
    QVERIFY(music->player()->position() >= 450);

    // "bgsound" off: the music fades out, the setting and the box follow.
    form->Dispatch("options", QString(), false, 0, 0);
    auto* box = form->findChild<QCheckBox*>("CheckBoxBGSound");
    QVERIFY(box);
    QVERIFY(box->isChecked());
    QTRY_VERIFY_WITH_TIMEOUT(music->player()->position() >= 700, 5000);
    form->Dispatch("bgsound", QString(), false, 0, 0);
    QVERIFY(!music->playing());
    QVERIFY(!form->book().options().bgSound);
    QVERIFY(!box->isChecked());
    QCOMPARE(store.readInt("BGSound"), std::optional<int>(0));
    const int stopped = store.readInt("BGSoundPos").value_or(-1);
    QVERIFY2(stopped >= 700, qPrintable(QString::number(stopped)));
    // On again: where it stopped.
    form->Dispatch("bgsound", QString(), false, 0, 0);
    QVERIFY(music->playing());
    QVERIFY(box->isChecked());
    QCOMPARE(store.readInt("BGSound"), std::optional<int>(1));
    QCOMPARE(music->title(), 1);
    QVERIFY(music->player()->position() >= stopped - 50);

    // A dropped sound silences the music and gives it back at its end.
    QTRY_VERIFY_WITH_TIMEOUT(music->title() == 0 && music->player()->position() >= 300, 8000);
    QMimeData mime;
    mime.setUrls({QUrl::fromLocalFile(dir + "/drop.wav")});
    QDragEnterEvent enter(QPoint(50, 50), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(form.get(), &enter);
    QDropEvent drop(QPointF(50, 50), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(form.get(), &drop);
    QVERIFY(!music->playing());
    QVERIFY(!box->isChecked());
    const int saved = store.readInt("BGSoundPos").value_or(-1);
    QCOMPARE(store.readInt("BGSound"), std::optional<int>(1)); // not written
    QTRY_VERIFY_WITH_TIMEOUT(music->playing(), 4000);
    QVERIFY(box->isChecked());
    QCOMPARE(music->title(), 0);
    QVERIFY(music->player()->position() >= saved - 50);

    // A sound link of a page does the same (and is no button sound).
    QTRY_VERIFY_WITH_TIMEOUT(music->player()->position() >= saved + 200, 4000);
    const int clicks = form->sounds()->played();
    emit form->reading()->frame()->soundRequested(BookPaths::fromNative(dir + "/drop.wav"));
    QVERIFY(!music->playing());
    QCOMPARE(media->sound()->endAction(), int(TSound::EndResumeMusic));
    QCOMPARE(form->sounds()->played(), clicks);
    QTRY_VERIFY_WITH_TIMEOUT(music->playing(), 4000);

    // On the reading screen the clip plays in its area; the music stays off.
    form->Dispatch("screen2=page.htm", QString(), false, 0, 0);
    QCOMPARE(form->currentScreen(), 1);
    TSound* sound = media->sound();
    QCOMPARE(sound->areas().size(), 1);
    TColorWinControl* area = sound->areas().first();
    QVERIFY(area->isVisible());
    form->Dispatch("clip=clip.avi=page.htm", QString(), false, 0, 0);
    QVERIFY(!music->playing());
    QVERIFY(!music->isOn());
    QVERIFY(!form->book().options().bgSound);
    QTRY_VERIFY_WITH_TIMEOUT(!area->frame().isNull(), 3000);
    QTRY_VERIFY_WITH_TIMEOUT(!sound->isOpen(), 4000);
    QVERIFY(!music->playing());
    // Back on the cover the area hides.
    form->Dispatch("1", QString(), false, 0, 0);
    QVERIFY(!area->isVisible());

    // At exit the music's place is stored.
    form->Dispatch("bgsound", QString(), false, 0, 0);
    QVERIFY(music->playing());
    QTRY_VERIFY_WITH_TIMEOUT(music->player()->position() >= 200, 5000);
    const int title = music->title();
    form.reset();
    QCOMPARE(store.readInt("BGSoundSong"), std::optional<int>(title));
    QVERIFY(store.readInt("BGSoundPos").value_or(0) >= 200);
}

QTEST_MAIN(TestMediaHost)
#include "tst_mediahost.moc"
