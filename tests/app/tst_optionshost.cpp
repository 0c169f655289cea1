// The options window in the main window: made at start with the book's
// settings, its boxes and pages after the book's elements, shown by the verb
// "options"; its "Шрифт" button changes the shown page at once; the verb
// "bgsound"; the animation flag cleared as the window shows.
#include "TestBook.h"

#include "app/TMainForm.h"
#include "app/TReadingScreen.h"
#include "data/SettingsStore.h"
#include "dialogs/TFontForm.h"
#include "dialogs/TFormOptions.h"
#include "engine/TFrameViewer.h"
#include "engine/THTMLViewer.h"
#include "reader/THtmlFrame.h"

#include <QApplication>
#include <QCheckBox>
#include <QFile>
#include <QListWidget>
#include <QPushButton>
#include <QRegularExpression>
#include <QSpinBox>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

class TestOptionsHost : public QObject {
    Q_OBJECT
private:
    QTemporaryDir m_tmp;
    int m_books = 0;

    // A test book titled `title`; `edit` changes its description first.
    QString book(const QString& title, const std::function<void(QStringList&)>& edit = {}) {
        const QString dir = m_tmp.filePath(QString("book%1/run").arg(++m_books));
        QStringList d = testbook::description(title);
        if (edit)
            edit(d);
        if (!testbook::write(dir, d, testbook::pictures()))
            return {};
        QFile page(dir + "/page.htm");
        if (!page.open(QIODevice::WriteOnly))
            return {};
        page.write("<html><body><p>Some text of the page.</p></body></html>");
        return dir;
    }
    static TFormOptions* options(TMainForm& w) { return w.findChild<TFormOptions*>(); }

private slots:
    void initTestCase() {
        QVERIFY(m_tmp.isValid());
        TSettingsStore::setLocation(m_tmp.filePath("settings"));
    }

    // A book with button sounds and no start clip or slides: the sound box
    // can be changed, the clip box cannot, no pictures page; the verb shows
    // the window; the animation flag is off once the window shows.
    void plainBook() {
        const QString dir = book("Plain");
        TMainForm w;
        QCOMPARE(w.FormCreate(dir, {}), std::nullopt);
        TSettingsStore store("Plain");
        for (const char* name : {"Clip", "Wav", "BGSound", "Animation", "Hint"})
            QCOMPARE(store.readInt(name), std::optional<int>(1));
        QVERIFY(!store.contains("SlideShowTime"));
        QVERIFY(!w.book().options().animation);
        QVERIFY(!w.book().options().bgSound); // no music list in this book
        TFormOptions* form = options(w);
        QVERIFY(form);
        QVERIFY(!form->isVisible());
        w.Dispatch("options", QString(), false, 0, 0);
        QVERIFY(form->isVisible());
        QVERIFY(form->findChild<QCheckBox*>("CheckBoxWav")->isEnabled());
        QVERIFY(!form->findChild<QCheckBox*>("CheckBoxClip")->isEnabled());
        QVERIFY(!form->findChild<QTabWidget*>()->isTabVisible(2));

        // Unticking the sounds silences the buttons at once.
        form->findChild<QCheckBox*>("CheckBoxWav")->setChecked(false);
        QTest::mouseClick(form->findChild<QPushButton*>("ButtonOK"), Qt::LeftButton);
        QVERIFY(!w.buttonSoundsOn());
        QCOMPARE(store.readInt("Wav"), std::optional<int>(0));

        // "bgsound" from a button tries to start the music and stores how it
        // ended: without a music list it stays off; from a switch it does
        // nothing.
        w.Dispatch("bgsound", QString(), false, 0, 0);
        QVERIFY(!w.book().options().bgSound);
        QCOMPARE(store.readInt("BGSound"), std::optional<int>(0));
        w.Dispatch("bgsound", QString(), false, 1, 0);
        QVERIFY(!w.book().options().bgSound);
    }

    // A start clip, no sounds, slide pictures: the other way round.
    void clipSlidesNoSounds() {
        const QString dir = book("Slides", [](QStringList& d) {
            d.replaceInStrings(QRegularExpression("^wav=.*"), "wav=no");
            d.insert(1, "rolic=intro.avi");
            d << QStringList{"[1] _image", "vx=100", "vy=20", "vw=200", "vh=100", "dir=pics"};
        });
        TMainForm w;
        QCOMPARE(w.FormCreate(dir, {}), std::nullopt);
        QVERIFY(!w.model().image.isEmpty());
        TSettingsStore store("Slides");
        QCOMPARE(store.readInt("SlideShowTime"), std::optional<int>(5));
        QVERIFY(!store.contains("AutoStartPlayer"));
        TFormOptions* form = options(w);
        w.Dispatch("options", QString(), false, 0, 0);
        QVERIFY(!form->findChild<QCheckBox*>("CheckBoxWav")->isEnabled());
        QVERIFY(form->findChild<QCheckBox*>("CheckBoxClip")->isEnabled());
        QVERIFY(form->findChild<QTabWidget*>()->isTabVisible(2));
        QVERIFY(!form->findChild<QTabWidget*>()->isTabVisible(1));
    }

    // The options window's "Шрифт": the font dialog; on OK the shown page
    // takes the size and background at once, and every pane keeps them.
    void fontDialogChangesTheShownPage() {
        const QString dir = book("Fonts");
        {
            TMainForm w;
            QCOMPARE(w.FormCreate(dir, {}), std::nullopt);
            w.Dispatch("2", QString(), true, 0, 0);
            QCOMPARE(w.currentScreen(), 1);
            THtmlFrame* frame = w.reading()->frame();
            QVERIFY(frame && frame->CurrentViewer());
            TFrameViewer* viewer = frame->CurrentViewer();
            QTRY_VERIFY(viewer->activeViewer() && viewer->activeViewer()->hasDocument());

            bool seen = false;
            QString shownFont;
            std::function<void()> answer = [&] {
                auto* dialog = qobject_cast<TFontForm*>(QApplication::activeModalWidget());
                if (!dialog) {
                    QTimer::singleShot(20, answer);
                    return;
                }
                seen = true;
                shownFont = dialog->fontList()->currentItem()->text();
                dialog->sizeEdit()->setValue(20);
                dialog->backList()->setCurrentItem(
                    dialog->backList()->findItems("navy", Qt::MatchExactly).value(0));
                dialog->findChild<QPushButton*>("OKButton")->click();
            };
            QTimer::singleShot(0, answer);
            w.Dispatch("options", QString(), false, 0, 0);
            options(w)->findChild<QPushButton*>("Button1")->click();
            QVERIFY(seen);
            QCOMPARE(shownFont, QString("Arial"));
            QCOMPARE(viewer->settings().defFontSize, 20);
            QCOMPARE(viewer->settings().defBackground, QColor(0, 0, 128));
            QCOMPARE(frame->fonts().fontSize, 20);
            QCOMPARE(frame->fonts().background, 0x800000);
            // The page itself is drawn on the new background.
            THTMLViewer* pane = viewer->activeViewer();
            QTRY_COMPARE(pane->viewport()->grab().toImage().pixelColor(
                             pane->viewport()->width() - 5, pane->viewport()->height() - 5),
                         QColor(0, 0, 128));
        }
        // Kept for the next start.
        TSettingsStore store("Fonts");
        QCOMPARE(store.readInt("FontSize"), std::optional<int>(20));
        QCOMPARE(store.readInt("Background"), std::optional<int>(0x800000));
    }
};

QTEST_MAIN(TestOptionsHost)
#include "tst_optionshost.moc"
