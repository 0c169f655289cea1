// The options window and the font dialog as widgets: pages and boxes shown
// or hidden for books with and without start clips, sounds and slide
// pictures; the slide time label; the slide timer's interval after OK; the
// font dialog's answers.
#include "data/SettingsStore.h"
#include "dialogs/TColorGrid.h"
#include "dialogs/TFontForm.h"
#include "dialogs/TFormOptions.h"
#include "engine/THTMLViewer.h"

#include <QCheckBox>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QSignalSpy>
#include <QSlider>
#include <QSpinBox>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>

class TestFormOptions : public QObject {
    Q_OBJECT
private:
    QTemporaryDir m_tmp;
    int m_books = 0;
    std::unique_ptr<TSettingsStore> store() {
        return std::make_unique<TSettingsStore>(QStringLiteral("Book%1").arg(++m_books));
    }
    template <class T> static T* child(QWidget* w, const char* name) {
        return w->findChild<T*>(QLatin1String(name));
    }

private slots:
    void initTestCase() {
        QVERIFY(m_tmp.isValid());
        TSettingsStore::setLocation(m_tmp.path());
    }

    // Which pages and boxes show, and which can be changed.
    void pagesAndBoxes() {
        QFETCH(bool, clip);
        QFETCH(bool, sounds);
        QFETCH(bool, pictures);
        auto s = store();
        ROptions o;
        TFormOptions form(o, s.get(), {false, pictures});
        form.setClipEnabled(clip);
        form.setWavEnabled(sounds);
        QVERIFY(!form.controlsBuilt()); // nothing but the reading before the first show
        form.showOptions();
        QVERIFY(form.isVisible());
        QVERIFY(!form.isModal());
        QVERIFY(form.windowFlags() & Qt::WindowStaysOnTopHint);
        QCOMPARE(form.windowTitle(), QString("Настройки"));
        auto* tabs = child<QTabWidget>(&form, "PageControl1");
        QCOMPARE(tabs->currentIndex(), 0);
        QCOMPARE(tabs->tabText(0), QString("Основные"));
        QVERIFY(!tabs->isTabVisible(1)); // "Проигрыватель": never
        QCOMPARE(tabs->isTabVisible(2), pictures);
        auto* wav = child<QCheckBox>(&form, "CheckBoxWav");
        auto* clipBox = child<QCheckBox>(&form, "CheckBoxClip");
        QVERIFY(wav->isVisible());
        QCOMPARE(wav->isEnabled(), sounds);
        QCOMPARE(wav->isChecked(), sounds); // set from the setting only while enabled
        QVERIFY(clipBox->isHidden());
        QCOMPARE(clipBox->isEnabled(), clip);
        for (const char* hidden : {"CheckBoxBGSound", "CheckBoxAnimation", "CheckBoxHint"})
            QVERIFY(child<QCheckBox>(&form, hidden)->isHidden());
        QVERIFY(!child<QCheckBox>(&form, "CheckBoxBGSound")->isEnabled());
        QVERIFY(child<QPushButton>(&form, "ButtonOK")->isDefault());
        QCOMPARE(s->contains("SlideShowTime"), pictures);

        // OK without changes: only the interface variant is written.
        for (const char* name : {"Clip", "Wav", "BGSound", "Animation", "Hint", "RunSlideShow",
                                 "SlideShowTime", "ImageSequence"})
            s->remove(name);
        QTest::mouseClick(child<QPushButton>(&form, "ButtonOK"), Qt::LeftButton);
        QVERIFY(!form.isVisible());
        for (const char* name : {"Clip", "Wav", "BGSound", "Animation", "Hint", "RunSlideShow",
                                 "SlideShowTime", "ImageSequence", "AutoStartPlayer"})
            QVERIFY2(!s->contains(name), name);
        QCOMPARE(s->readInt("SizeInterface"), std::optional<int>(0));

        // Unticking the sound box takes effect and is stored (when it can be changed).
        form.showOptions();
        wav->setChecked(false);
        QTest::mouseClick(child<QPushButton>(&form, "ButtonOK"), Qt::LeftButton);
        QCOMPARE(o.wav, !sounds);
        QCOMPARE(s->contains("Wav"), sounds);
        // Cancel only closes.
        form.showOptions();
        wav->setChecked(true);
        QTest::mouseClick(child<QPushButton>(&form, "ButtonCancel"), Qt::LeftButton);
        QVERIFY(!form.isVisible());
        QCOMPARE(o.wav, !sounds);
    }
    void pagesAndBoxes_data() {
        QTest::addColumn<bool>("clip");
        QTest::addColumn<bool>("sounds");
        QTest::addColumn<bool>("pictures");
        QTest::newRow("bare book") << false << false << false;
        QTest::newRow("clip, sounds, slides") << true << true << true;
        QTest::newRow("sounds only") << false << true << false;
    }

    // The label under the track bar, and the slide timer after OK.
    void slideTime() {
        QCOMPARE(TFormOptions::slideTimeText(1), QString("1 секунда"));
        QCOMPARE(TFormOptions::slideTimeText(3), QString("3 секунды"));
        QCOMPARE(TFormOptions::slideTimeText(4), QString("4 секунды"));
        QCOMPARE(TFormOptions::slideTimeText(5), QString("5 секунд"));
        QCOMPARE(TFormOptions::slideTimeText(10), QString("10 секунд"));

        auto s = store();
        s->writeInt("SlideShowTime", 3);
        ROptions o;
        TFormOptions form(o, s.get(), {false, true});
        QCOMPARE(o.slideShowTime, 3);
        QSignalSpy changed(&form, &TFormOptions::slideShowChanged);
        form.showOptions();
        auto* bar = child<QSlider>(&form, "TrackBarSlideShow");
        auto* label = child<QLabel>(&form, "LabelTimeSlideShow");
        QCOMPARE(bar->value(), 3);
        QCOMPARE(label->text(), QString("3 секунды"));
        bar->setValue(1);
        QCOMPARE(label->text(), QString("1 секунда"));
        bar->setValue(7);
        QCOMPARE(label->text(), QString("7 секунд"));
        QTest::mouseClick(child<QPushButton>(&form, "ButtonOK"), Qt::LeftButton);
        QCOMPARE(changed.size(), 1);
        QCOMPARE(changed[0][0].toBool(), false);
        QCOMPARE(changed[0][1].toInt(), 7001);
        QCOMPARE(s->readInt("SlideShowTime"), std::optional<int>(7));
        // Switching the show on tells the timer too; OK again without a change does not.
        form.showOptions();
        child<QCheckBox>(&form, "CheckBoxRunSlideShow")->setChecked(true);
        QTest::mouseClick(child<QPushButton>(&form, "ButtonOK"), Qt::LeftButton);
        QCOMPARE(changed.size(), 2);
        QCOMPARE(changed[1][0].toBool(), true);
        QCOMPARE(changed[1][1].toInt(), 7001);
        form.showOptions();
        QTest::mouseClick(child<QPushButton>(&form, "ButtonOK"), Qt::LeftButton);
        QCOMPARE(changed.size(), 2);
    }

    // The font dialog: a font that is not installed goes back unchanged
    // while the list shows "Arial"; picks change the answers; Reset brings
    // back what the dialog was shown with.
    void fontDialog() {
        TFontForm form;
        QCOMPARE(form.windowTitle(), QString("Шрифт"));
        form.setFontName("No Such Font 42");
        form.setFontColor(0x0000FF);
        form.setFontSize(8);
        form.setHotSpotColor(13158);
        form.setBackground(0xFFFFFF);
        QCOMPARE(form.fontList()->currentItem()->text(), QString("Arial"));
        QCOMPARE(form.fontName(), QString("No Such Font 42"));
        QCOMPARE(form.viewer()->settings().defFontName, QString("No Such Font 42"));
        QCOMPARE(form.backList()->currentItem()->text(), QString("white"));
        QCOMPARE(form.background(), 0xFFFFFF);
        // A colour without a name is added to the list by its number.
        form.setBackground(0x123456); // blue 0x12, green 0x34, red 0x56
        QCOMPARE(form.backList()->currentItem()->text(), QString("#563412"));
        QCOMPARE(form.background(), 0x123456);
        QCOMPARE(form.viewer()->settings().defBackground, QColor(0x56, 0x34, 0x12));

        form.show();
        QVERIFY(form.fontList()->count() > 1);
        const int row = form.fontList()->currentRow() == 0 ? 1 : 0;
        const QString other = form.fontList()->item(row)->text();
        form.fontList()->setCurrentRow(row);
        QCOMPARE(form.fontName(), other);
        form.sizeEdit()->setValue(20);
        QCOMPARE(form.fontSize(), 20);
        QCOMPARE(form.viewer()->settings().defFontSize, 20);
        form.fontColorGrid()->choose(9); // red
        QCOMPARE(form.fontColor(), 0x0000FF);
        QCOMPARE(form.viewer()->settings().defFontColor, QColor(255, 0, 0));
        form.hotSpotColorGrid()->choose(2); // dark green
        QCOMPARE(form.hotSpotColor(), 0x008000);
        form.backList()->setCurrentItem(form.backList()->findItems("navy", Qt::MatchExactly)[0]);
        QCOMPARE(form.background(), 0x800000);

        form.ResetButtonClick();
        QCOMPARE(form.fontName(), QString("No Such Font 42"));
        QCOMPARE(form.fontSize(), 8);
        QCOMPARE(form.fontColor(), 0x0000FF);
        QCOMPARE(form.hotSpotColor(), 13158);
        QCOMPARE(form.background(), 0x123456);
        QCOMPARE(form.fontColorGrid()->marked(), -1);

        // With no selection in the lists: "Arial" and the button face.
        TFontForm empty;
        empty.backList()->setCurrentRow(-1);
        QCOMPARE(empty.fontName(), QString("Arial"));
        QCOMPARE(empty.background(),
                 THtmlSettings::fromColor(QApplication::palette().color(QPalette::Button)));
    }
};

QTEST_MAIN(TestFormOptions)
#include "tst_formoptions.moc"
