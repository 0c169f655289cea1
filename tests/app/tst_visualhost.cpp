// The main window with its start clip, cover video and photo album (the
// demo book, in the test itself): the window shows when the clip ends,
// without the opening animation, or at once when the clip is missing; the
// video freezes on the reading screen and plays on when the cover is back,
// unless the reader froze it; the album steps through its pictures.
#include "TestBook.h"

#include "app/TMainForm.h"
#include "app/TVisualHost.h"
#include "data/SettingsStore.h"
#include "dialogs/TFormOptions.h"
#include "dialogs/TStartClip.h"
#include "skin/TMyAviPlayer.h"
#include "skin/TSlideImage.h"

#include <QFile>
#include <QLabel>
#include <QTemporaryDir>
#include <QTest>

namespace {

// Points inside the demo book's cover switches and video.
const QPoint k2d(630, 112), k3d(680, 112), kVideo(300, 250);

// Lets the demo book's start clip end by a key; the window then shows.
void skipClip(TMainForm& form) {
    TStartClip* clip = form.visuals()->startClip();
    QVERIFY(clip);
    QTRY_VERIFY(clip->isVisible() || clip->ended());
    QTest::keyClick(clip, Qt::Key_Escape);
    QTRY_VERIFY(form.isVisible());
}

} // namespace

class TestVisualHost : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void clipThenWindowWithoutOpening();
    void missingClipShowsTheWindowAtOnce();
    void coverVideoFollowsScreensAndClicks();
    void albumSteps();

private:
    QTemporaryDir m_tmp;
    QString m_book;
};

void TestVisualHost::initTestCase() {
    QVERIFY(m_tmp.isValid());
    TSettingsStore::setLocation(m_tmp.filePath("settings"));
    m_book = QStringLiteral(VANTREL_BINARY_DIR) + "/demo-book/run";
}

void TestVisualHost::clipThenWindowWithoutOpening() {
    if (!QFile::exists(m_book + "/Dod.dhl"))
        QSKIP("the demo book is not built");
    TMainForm form;
    QCOMPARE(form.FormCreate(m_book, {}), std::nullopt);
    TStartClip* clip = form.visuals()->startClip();
    QVERIFY(clip);
    QVERIFY(!form.isVisible());
    QTRY_VERIFY(clip->isVisible());
    QVERIFY(!form.isVisible()); // the window waits for the clip
    QTest::keyClick(clip, Qt::Key_Space);
    // Shown at once in its final shape, no opening animation.
    QVERIFY(form.isVisible());
    QCOMPARE(form.state(), TMainForm::State::Running);
    QVERIFY(!form.mask().isEmpty());
    QVERIFY(form.mask().contains(QPoint(370, 280)));
}

void TestVisualHost::missingClipShowsTheWindowAtOnce() {
    const QString dir = m_tmp.filePath("noclip");
    QStringList d = testbook::description("Noclip");
    d.insert(1, "rolic=missing.avi");
    d.insert(2, "background=black");
    QVERIFY(testbook::write(dir, d, testbook::pictures()));
    TMainForm form;
    QCOMPARE(form.FormCreate(dir, {}), std::nullopt);
    QVERIFY(form.visuals()->startClip());
    QTRY_VERIFY_WITH_TIMEOUT(form.isVisible(), 2000);
    QCOMPARE(form.state(), TMainForm::State::Running);
}

void TestVisualHost::coverVideoFollowsScreensAndClicks() {
    if (!QFile::exists(m_book + "/Dod.dhl"))
        QSKIP("the demo book is not built");
    TMainForm form;
    QCOMPARE(form.FormCreate(m_book, {}), std::nullopt);
    skipClip(form);
    QVERIFY(!form.visuals()->video()); // 2D is on: no video yet
    const QImage cover = form.elements()->skin().copy(QRect(31, 135, 656, 259));

    form.pressSkin(k3d);
    TMyAviPlayer* video = form.visuals()->video();
    QVERIFY(video);
    QVERIFY(video->active());
    QTRY_VERIFY_WITH_TIMEOUT(video->framesShown() > 2, 10000);
    // The pack's backdrop is in the skin under the playing video.
    QVERIFY(form.elements()->skin().copy(QRect(31, 135, 656, 259)) != cover);

    // The reading screen freezes it; the cover plays it on.
    form.Dispatch("screen2=p01_intro.htm", "", false, FromButton, 0);
    QCOMPARE(form.currentScreen(), 1);
    QVERIFY(video->IsStoppedOrPaused());
    QVERIFY(!video->userPaused());
    form.Dispatch("1", "", false, FromButton, 0);
    QCOMPARE(form.currentScreen(), 0);
    QTRY_VERIFY(!video->IsStoppedOrPaused());

    // The reader's click freezes it for good: the cover's timer leaves it.
    QTest::mousePress(&form, Qt::LeftButton, Qt::NoModifier, kVideo);
    QTest::mouseRelease(&form, Qt::LeftButton, Qt::NoModifier, kVideo);
    QVERIFY(video->IsStoppedOrPaused());
    QVERIFY(video->userPaused());
    const QImage still = video->stillFrame();
    QCOMPARE(form.elements()->skin().copy(QRect(31, 135, 656, 259)), still);
    form.Dispatch("screen2=p01_intro.htm", "", false, FromButton, 0);
    form.Dispatch("1", "", false, FromButton, 0);
    QTest::qWait(400);
    QVERIFY(video->IsStoppedOrPaused());
    // The rebuilt cover shows the frozen frame, not the car at rest.
    QCOMPARE(form.elements()->skin().copy(QRect(31, 135, 656, 259)), still);
    QCOMPARE(form.grab().toImage().copy(QRect(31, 135, 656, 259)).convertToFormat(still.format()),
             still);

    // 2D: the cover's own picture comes back.
    form.pressSkin(k2d);
    QVERIFY(!video->active());
    QCOMPARE(form.elements()->skin().copy(QRect(31, 135, 656, 259)), cover);
    // 3D again: the same player plays on.
    form.pressSkin(k3d);
    QCOMPARE(form.visuals()->video(), video);
    QVERIFY(video->active() && !video->IsStoppedOrPaused());
    form.close(); // the closing sequence lets the device go
    QVERIFY(!video->active());
}

void TestVisualHost::albumSteps() {
    if (!QFile::exists(m_book + "/Dod.dhl"))
        QSKIP("the demo book is not built");
    TMainForm form;
    QCOMPARE(form.FormCreate(m_book, {}), std::nullopt);
    skipClip(form);
    TSlideImage* slides = form.visuals()->slides();
    QVERIFY(slides);
    QVERIFY(!slides->area(0)->isVisible());
    form.Dispatch("4", "", false, FromButton, 0);
    QCOMPARE(form.currentScreen(), 3);
    QVERIFY(slides->area(0)->isVisible());
    QVERIFY(slides->shownFile(0).endsWith("01_car.bmp"));
    form.Dispatch("prevpic", "", false, FromButton, 0);
    QVERIFY(slides->shownFile(0).endsWith("06_battery.jpeg"));
    form.Dispatch("nextpic", "", false, FromButton, 0);
    form.Dispatch("nextpic", "", false, FromButton, 0);
    QVERIFY(slides->shownFile(0).endsWith("02_engine.bmp"));
    // The options window switches the slide show on: the album steps by itself.
    TFormOptions* options = form.findChild<TFormOptions*>();
    QVERIFY(options);
    form.book().options().runSlideShow = true;
    emit options->slideShowChanged(true, 60);
    QTRY_VERIFY(slides->shownFile(0).endsWith("03_timing.bmp"));
    form.Dispatch("1", "", false, FromButton, 0);
    QVERIFY(!slides->area(0)->isVisible());
    QVERIFY(!slides->timerRunning());
}

QTEST_MAIN(TestVisualHost)
#include "tst_visualhost.moc"
