#include "data/SettingsNames.h"
#include "data/SettingsStore.h"
#include "dialogs/TCoolDialog.h"
#include "dialogs/TDialogCanvas.h"
#include "platform/Busy.h"
#include "reader/TFindTxtHtml.h"
#include "skin/TEffCar.h"

#include <QHash>
#include <QLineEdit>
#include <QListWidget>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

// The skinned dialog: its layout, hit test, switch groups, verbs, result
// list, stored switch states and keys. Pictures come from memory; fades are
// ticked by hand.
class TestCoolDialog : public QObject {
    Q_OBJECT

private:
    QTemporaryDir m_dir;
    QHash<QString, QImage> m_pictures;
    QList<int> m_finds;
    QStringList m_sounds;
    bool m_soundsOn = true;
    QWidget m_main;

    static QImage filled(int w, int h, QRgb colour) {
        QImage i(w, h, QImage::Format_RGB32);
        i.fill(colour);
        return i;
    }
    // Every column its own colour, to follow columns through the widening.
    static QImage columns(int w, int h) {
        QImage i(w, h, QImage::Format_RGB32);
        for (int x = 0; x < w; ++x)
            for (int y = 0; y < h; ++y)
                i.setPixel(x, y, qRgb(x % 256, x / 256, 7));
        return i;
    }
    static RBtn button(int x, int y, const QString& align, const QString& go) {
        RBtn b;
        b.vx = x;
        b.vy = y;
        b.align = align;
        b.fn1 = "b1";
        b.fn2 = "b2";
        b.fn3 = "b3";
        b.go = go;
        b.hint = "hint";
        b.wav = "click.wav";
        return b;
    }
    static RSwthGrp sw(int x, int y, int group, bool on, const QString& go, bool store = false) {
        RSwthGrp s;
        s.vx = x;
        s.vy = y;
        s.fn1 = "s1";
        s.fn2 = "s2";
        s.fn3 = "s3";
        s.fn4 = "s4";
        s.group = group;
        s.state = s.on = on;
        s.store = store;
        s.go = go;
        return s;
    }
    static RText message(int x, int y, int right) {
        RText t;
        t.vx = x;
        t.vy = y;
        t.vw = right;
        t.font = "liberation sans";
        t.size = 9;
        return t;
    }
    std::unique_ptr<TCoolDialog> make(const DialogDescription& d,
                                      TSettingsStore* settings = nullptr) {
        auto dialog =
            std::make_unique<TCoolDialog>(&m_main, d, settings, TEffBtnCar::Clock::Manual);
        dialog->loadPicture = [this](const QString& name) { return m_pictures.value(name); };
        dialog->findCommand = [this](int n) { m_finds.append(n); };
        dialog->soundsOn = [this] { return m_soundsOn; };
        dialog->playSound = [this](const QString& wav) { m_sounds.append(wav); };
        return dialog;
    }
    static void finishFade(TCoolDialog& d) {
        for (int i = 0; i < 100 && d.windowFade()->running(); ++i)
            d.windowFade()->Tick();
    }
    // A message box (0) with three buttons, and a search page (1).
    static DialogDescription twoDialogs() {
        DialogDescription d;
        RDialog box;
        box.picture = "bg300";
        box.text = message(40, 20, 240);
        box.buttons = {button(50, 60, "left", "ok"), button(100, 60, "middle", "ok"),
                       button(150, 60, "right", "ok")};
        RDialog search;
        search.picture = "bg400";
        d.dialogs = {box, search};
        return d;
    }

private slots:
    void initTestCase() {
        QVERIFY(m_dir.isValid());
        TSettingsStore::setLocation(m_dir.path());
        m_pictures = {{"bg300", columns(300, 150)},       {"bg400", filled(400, 250, 0xff202020)},
                      {"b1", filled(20, 10, 0xff0000ff)}, {"b2", filled(20, 10, 0xff00ff00)},
                      {"b3", filled(20, 10, 0xffff0000)}, {"s1", filled(30, 12, 0xff111111)},
                      {"s2", filled(30, 12, 0xff222222)}, {"s3", filled(30, 12, 0xff333333)},
                      {"s4", filled(30, 12, 0xff444444)}};
        m_main.setGeometry(100, 100, 800, 600);
    }
    void init() {
        m_finds.clear();
        m_sounds.clear();
        m_soundsOn = true;
    }

    // A picture 300 wide, a message area from 40 to 240 and a message 260
    // wide: 360 wide, columns 150..209 repeat column 150, buttons move by
    // 0 / 30 / 60; a short message is centred; an empty one widens nothing.
    void layoutAndWidening() {
        const TDialogCanvas::Layout wide = TDialogCanvas::layout(message(40, 20, 240), 260, 14);
        QCOMPARE(wide.widening, 60);
        QCOMPARE(wide.textAt, QPoint(40, 20));
        QCOMPARE(wide.clip.right(), 299);
        const QImage out = TDialogCanvas::widen(columns(300, 4), 60);
        QCOMPARE(out.size(), QSize(360, 4));
        for (int x = 0; x < 360; ++x) {
            const int from = x < 150 ? x : (x < 210 ? 150 : x - 60);
            QCOMPARE(out.pixel(x, 2), columns(300, 4).pixel(from, 2));
        }
        QCOMPARE(TDialogCanvas::shiftOf("left", 60), 0);
        QCOMPARE(TDialogCanvas::shiftOf("middle", 60), 30);
        QCOMPARE(TDialogCanvas::shiftOf("anything", 60), 60);
        const TDialogCanvas::Layout shortText =
            TDialogCanvas::layout(message(40, 20, 240), 100, 14);
        QCOMPARE(shortText.widening, 0);
        QCOMPARE(shortText.textAt, QPoint(90, 20));
        QCOMPARE(TDialogCanvas::layout(message(40, 20, 30), 0, 14).widening, 0);

        // The window: an empty message keeps the picture's width; a very
        // long one widens by a bounded amount and the buttons follow.
        auto d = make(twoDialogs());
        d->ShowDialog(0, QString());
        QCOMPARE(d->size(), QSize(300, 150));
        QCOMPARE(d->widening(), 0);
        d->ShowDialog(0, QString(5000, QLatin1Char('W')));
        const int e = TDialogCanvas::kMaxWidening;
        QCOMPARE(d->widening(), e);
        QCOMPARE(d->width(), 300 + e);
        QCOMPARE(d->buttons()[0].btn.vx, 50);
        QCOMPARE(d->buttons()[1].btn.vx, 100 + e / 2);
        QCOMPARE(d->buttons()[2].btn.vx, 150 + e);
        QCOMPARE(d->buttons()[2].btn.right, 170 + e);
        // Centred on the main window, the buttons drawn into the background.
        QCOMPARE(d->pos(), QPoint(100 + 400 - d->width() / 2, 100 + 300 - 75));
        QCOMPARE(d->background().pixel(150 + e + 5, 65), qRgb(0, 0, 255));
    }

    // Border pixels are outside; a button without its picture cannot be hit.
    void hitTestAndButtonClick() {
        DialogDescription desc = twoDialogs();
        RBtn blind = button(200, 100, "left", "ok");
        blind.fn1 = "missing";
        desc.dialogs[0].buttons.append(blind);
        auto d = make(desc);
        d->ShowDialog(0, "x");
        QVERIFY(d->isVisible());
        // The fade in ignores the mouse.
        QVERIFY(!d->mouseDownAt(QPoint(55, 65)));
        QVERIFY(!d->buttons()[0].pressed_);
        finishFade(*d);
        for (QPoint border :
             {QPoint(50, 65), QPoint(60, 60), QPoint(70, 65), QPoint(60, 70), QPoint(205, 105)})
            QVERIFY(d->mouseDownAt(border));
        QVERIFY(!d->mouseDownAt(QPoint(51, 61)));
        QVERIFY(d->buttons()[0].pressed_);
        // Release on the button: its verb closes the dialog, with its sound.
        d->mouseUpAt(QPoint(51, 61));
        QVERIFY(!d->isVisible());
        QCOMPARE(m_sounds, QStringList{"click.wav"});
        QVERIFY(d->buttons().isEmpty());
        QCOMPARE(d->currentDialog(), 0);
    }

    // Clicking an "on" switch does nothing; an "off" one turns off only the
    // switches of its own group number.
    void switchGroups() {
        DialogDescription desc = twoDialogs();
        desc.dialogs[1].switches = {sw(20, 88, 1, true, "findnext7"),
                                    sw(144, 88, 1, false, "findnext8"),
                                    sw(268, 88, 2, true, "findnext9")};
        auto d = make(desc);
        d->ShowDialog(1, QString());
        finishFade(*d);
        QCOMPARE(m_finds, (QList<int>{7, 9})); // the "on" switches ran at show
        m_finds.clear();
        QVERIFY(!d->mouseDownAt(QPoint(25, 92)));
        QVERIFY(m_finds.isEmpty());
        QVERIFY(d->switches()[0].on);
        QVERIFY(!d->mouseDownAt(QPoint(150, 92)));
        QCOMPARE(m_finds, QList<int>{8});
        QVERIFY(!d->switches()[0].on);
        QVERIFY(d->switches()[1].on);
        QVERIFY(d->switches()[2].on);
        // Hover follows the pointer; leaving clears it.
        d->mouseMoveAt(QPoint(270, 90));
        QVERIFY(d->switches()[2].hover);
        d->mouseMoveAt(QPoint(5, 5));
        QVERIFY(!d->switches()[2].hover);
    }

    // The verbs in order: a running search's "findnext" stops it without a
    // sound; "findtxtall" exact; "findtxtlimit" and "findtxtcontents"
    // contained; other verbs close; "findnext12" searches with field 12.
    void verbs() {
        TFindTxtHtml search(&m_main, nullptr);
        DialogDescription desc = twoDialogs();
        desc.dialogs[1].buttons = {button(10, 10, "left", "findnext12"),
                                   button(40, 10, "left", "findnext1")};
        auto d = make(desc);
        d->setSearch(&search);
        d->ShowDialog(1, QString());
        finishFade(*d);
        // The search button's hint: the first button whose verb is "findnext1".
        d->SetSearchHint(QStringLiteral("Остановить поиск"));
        QCOMPARE(d->buttons()[0].btn.hint, QStringLiteral("hint"));
        QCOMPARE(d->buttons()[1].btn.hint, QStringLiteral("Остановить поиск"));

        QVERIFY(!d->RunVerb("findtxtall", "no"));
        QVERIFY(search.bookMode());
        QCOMPARE(d->height(), TCoolDialog::kShortHeight);
        QVERIFY(!d->RunVerb("xfindtxtcontentsx", QString()));
        QVERIFY(search.contentsMode() && !search.bookMode());
        QVERIFY(!d->RunVerb("findtxtlimit2", QString()));
        QVERIFY(!search.contentsMode() && !search.bookMode() && !search.allPages());
        QVERIFY(m_sounds.isEmpty());

        QVERIFY(!d->RunVerb("findnext12", "a.wav"));
        QCOMPARE(m_finds, QList<int>{12});
        QCOMPARE(m_sounds, QStringList{"a.wav"});
        QVERIFY(d->isVisible());

        // Busy: the search button asks the search to stop, silently.
        search.SetIdle(false);
        busy::setBusy(true);
        const bool closed = d->RunVerb("findnext1", "b.wav");
        busy::setBusy(false);
        QVERIFY(!closed);
        QVERIFY(search.IsIdle());
        QCOMPARE(m_finds, QList<int>{12});
        QCOMPARE(m_sounds, QStringList{"a.wav"});

        // Without the "Wav" option no sound plays.
        m_soundsOn = false;
        QVERIFY(!d->RunVerb("findnext3", "c.wav"));
        QCOMPARE(m_sounds, QStringList{"a.wav"});

        // "findtxtall" must match exactly: with more around it, it closes.
        QVERIFY(d->RunVerb("findtxtall2", QString()));
        QVERIFY(!d->isVisible());
    }

    // No results: 115 pixels tall, no list; results: the full height and the
    // list at its place; the search page opened with its "findtxtlimit"
    // switch on is 115 tall.
    void resultList() {
        DialogDescription desc = twoDialogs();
        desc.dialogs[1].switches = {sw(20, 88, 1, true, "findtxtlimit")};
        auto d = make(desc);
        d->ShowDialog(1, QString());
        QCOMPARE(d->height(), TCoolDialog::kShortHeight);
        QCOMPARE(d->fullHeight(), 250);
        QVERIFY(!d->resultList());
        d->ShowResults({"a.htm", "b.htm"}, {"A", "Б"});
        QCOMPARE(d->height(), 250);
        QVERIFY(d->resultList());
        QCOMPARE(d->resultList()->geometry(), QRect(11, 127, 377, 112));
        QCOMPARE(d->resultList()->count(), 2);
        QCOMPARE(d->resultList()->item(1)->text(), QStringLiteral("Б"));
        QCOMPARE(d->resultList()->frameShape(), QFrame::NoFrame);
        d->ShowResults({}, {});
        QCOMPARE(d->height(), TCoolDialog::kShortHeight);
        QVERIFY(!d->resultList());
    }

    // Stored states are read at creation (dialog 1 switch 11 and dialog 11
    // switch 1 share "SwGrpD111") and written when the dialog closes;
    // unreadable values keep the described state.
    void storedSwitchStates() {
        TSettingsStore store("Dialog states");
        store.writeBool("SwGrpD111", true);
        store.writeText("SwGrpD10", "abc");
        DialogDescription desc = twoDialogs();
        for (int i = 0; i < 12; ++i)
            desc.dialogs[1].switches.append(sw(0, 0, 1, false, "x", i == 11));
        desc.dialogs[1].switches[0] = sw(0, 0, 1, true, "x", true);
        while (desc.dialogs.size() < 12)
            desc.dialogs.append(RDialog());
        desc.dialogs[11].switches = {sw(0, 0, 1, false, "x"), sw(0, 0, 1, false, "x", true)};
        auto d = make(desc, &store);
        QVERIFY(d->description().dialogs[1].switches[11].on);
        QVERIFY(d->description().dialogs[11].switches[1].on);
        QVERIFY(d->description().dialogs[1].switches[0].on); // "abc" is unreadable
        QVERIFY(d->hintsShown());

        d->ShowDialog(0, QString());
        d->close();
        QCOMPARE(store.readBool("SwGrpD10"), std::optional<bool>(true));
        QCOMPARE(store.readBool("SwGrpD111"), std::optional<bool>(true));
        QVERIFY(!store.contains("SwGrpD11"));
        QVERIFY(!store.contains("SwGrpD110"));
    }

    // The search fields live on the search page at their described edges;
    // Esc in the dialog or in a field goes to the main window's keys.
    void fieldsAndEscape() {
        TFindTxtHtml search(&m_main, nullptr);
        RFindTxt row;
        row.vx = 20;
        row.vy = 44;
        row.vw = 290;
        row.vh = 64;
        row.number = 1;
        search.Create({row});
        QCOMPARE(search.fieldCount(), 1);
        auto d = make(twoDialogs());
        d->setSearch(&search);
        QSignalSpy esc(d.get(), &TCoolDialog::escapePressed);
        d->ShowDialog(1, QString());
        finishFade(*d);
        QLineEdit* field = search.field(0);
        QCOMPARE(field->parentWidget(), d.get());
        QCOMPARE(field->geometry(), QRect(20, 44, 270, 20));
        QVERIFY(field->isVisible());
        QTest::keyClick(d.get(), Qt::Key_Escape);
        QTest::keyClick(field, Qt::Key_Escape);
        QCOMPARE(esc.count(), 2);
        QVERIFY(d->searchShown());
        // Another dialog: the first field leaves the dialog.
        d->ShowDialog(0, "Сообщение");
        QVERIFY(!field->isVisible());
        QCOMPARE(field->parentWidget(), &m_main);
        QVERIFY(!d->searchShown());
    }

    // A missing background picture or a dialog the description lacks shows
    // nothing and changes nothing.
    void missingPictures() {
        DialogDescription desc = twoDialogs();
        desc.dialogs[0].picture = "nowhere.bmp";
        auto d = make(desc);
        d->ShowDialog(0, "x");
        QVERIFY(!d->isVisible());
        QCOMPARE(d->currentDialog(), -1);
        d->ShowDialog(1, QString());
        QCOMPARE(d->currentDialog(), 1);
        d->ShowDialog(70, "x");
        d->ShowDialog(-1, "x");
        QCOMPARE(d->currentDialog(), 1);
        QVERIFY(d->isVisible());
    }
};

QTEST_MAIN(TestCoolDialog)
#include "tst_cooldialog.moc"
