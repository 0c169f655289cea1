#include "data/ROptions.h"
#include "dialogs/TAboutBox.h"
#include "skin/TEffCar.h"
#include "skin/TEffect.h"
#include "skin/TMyControl.h"
#include "skin/TTextMsg.h"

#include <QFontMetrics>
#include <QHash>
#include <QTest>

#include <memory>

// The about box: building from the description, the links and their
// clickable width, sounds before closing, keys during the curtain, the
// curtain's last picture and the window's outline. Pictures come from
// memory; fades and the curtain are ticked by hand.
class TestAboutBox : public QObject {
    Q_OBJECT

private:
    QHash<QString, QImage> m_pictures;
    ROptions m_options;
    QStringList m_events; // sounds, links and closes, in order

    static QImage filled(int w, int h, QRgb colour) {
        QImage i(w, h, QImage::Format_RGB32);
        i.fill(colour);
        return i;
    }
    static QString mail() { return QStringLiteral("service@vantrel.example?subject=Вопрос"); }
    static RAboutText text(int x, int y, const QString& value, const QString& idenf) {
        RAboutText t;
        t.vx = x;
        t.vy = y;
        t.font = QStringLiteral("liberation sans");
        t.size = 9;
        t.color = 0xffffff;
        t.value = value;
        t.idenf = idenf;
        return t;
    }
    static AboutDescription description(bool withOutline) {
        AboutDescription d;
        d.picture = QStringLiteral("about.bmp");
        if (withOutline)
            d.vertex = QPolygon(
                {QPoint(20, 0), QPoint(300, 0), QPoint(300, 200), QPoint(0, 200), QPoint(0, 20)});
        d.texts = {
            text(10, 20, QStringLiteral("Книга"), QStringLiteral("title")),
            text(10, 100, mail(), QStringLiteral("url")),
            text(10, 130, QStringLiteral("http://www.vantrel.example/"), QStringLiteral("url"))};
        RBtn close;
        close.vx = 200;
        close.vy = 160;
        close.fn1 = QStringLiteral("n.bmp");
        close.fn2 = QStringLiteral("h.bmp");
        close.hint = QStringLiteral("Закрыть окно");
        close.wav = QStringLiteral("snd\\click.wav");
        RBtn blind = close;
        blind.vx = 100;
        blind.fn1 = QStringLiteral("missing.bmp");
        d.buttons = {close, blind};
        return d;
    }
    std::unique_ptr<TAboutBox> make(const AboutDescription& d) {
        auto box = std::make_unique<TAboutBox>(
            d, &m_options, [this](const QString& name) { return m_pictures.value(name); },
            TAboutBox::Clock::Manual);
        TAboutBox* b = box.get();
        box->playSound = [this, b](const QString& wav) {
            m_events << (b->isVisible() ? "sound while shown: " : "sound after close: ") + wav;
        };
        box->openLink = [this](const QString& target) { m_events << "open " + target; };
        connect(b, &TAboutBox::closed, this, [this] { m_events << "closed"; });
        return box;
    }
    static void finishEffects(TAboutBox& box) {
        for (int i = 0; i < 100000 && (box.windowFade()->running() || box.curtain()->running());
             ++i) {
            box.windowFade()->Tick();
            box.curtain()->Tick();
        }
    }

private slots:
    void initTestCase() {
        m_pictures = {{"about.bmp", filled(300, 200, 0xff203040)},
                      {"n.bmp", filled(40, 20, 0xff0000ff)},
                      {"h.bmp", filled(40, 20, 0xff00ff00)}};
    }
    void init() {
        m_options = ROptions();
        m_options.animation = false;
        m_events.clear();
    }

    // The picture's size, the buttons' normal pictures and the texts drawn
    // in; a link is as wide as its whole value although the text shown stops
    // before "?"; a press anywhere on it opens the whole target and the box
    // stays; a value without "@" opens as it is.
    void linksAndTheirWidth() {
        auto box = make(description(false));
        QVERIFY(box->usable());
        QCOMPARE(box->size(), QSize(300, 200));
        QCOMPARE(box->background().pixel(205, 165), qRgb(0, 0, 255));
        QCOMPARE(box->elements().size(), 4);
        const TAboutBox::Element& blind = box->elements()[1];
        QCOMPARE(blind.btn.right, blind.btn.vx); // no picture: never hit
        const TAboutBox::Element& link = box->elements()[2];
        QVERIFY(link.link);
        QCOMPARE(link.target, QStringLiteral("mailto:") + mail());
        const QFontMetrics fm(TTextMsg::skinFont("liberation sans", 9, QString()));
        QCOMPARE(link.btn.right, 10 + fm.horizontalAdvance(mail()));
        const int shownRight = 10 + fm.horizontalAdvance(QStringLiteral("service@vantrel.example"));
        QVERIFY(link.btn.right > shownRight + 10);
        // The subject is not drawn: the background right of the address
        // keeps the picture's colour.
        bool drawnBeyond = false;
        for (int x = shownRight + 2; x < link.btn.right && x < 300; ++x)
            for (int y = 100; y < 100 + fm.height(); ++y)
                drawnBeyond =
                    drawnBeyond || box->background().pixel(x, y) != qRgb(0x20, 0x30, 0x40);
        QVERIFY(!drawnBeyond);

        box->showModal();
        QVERIFY(box->isVisible());
        QVERIFY(box->isModal());
        finishEffects(*box);
        box->mouseMoveAt(QPoint(link.btn.right - 2, 105));
        QCOMPARE(box->cursor().shape(), Qt::PointingHandCursor);
        QVERIFY(!box->mouseDownAt(QPoint(link.btn.right - 2, 105)));
        QVERIFY(!box->mouseDownAt(QPoint(12, 135)));
        QCOMPARE(m_events,
                 (QStringList{"open mailto:" + mail(), "open http://www.vantrel.example/"}));
        QVERIFY(box->isVisible());
        box->mouseMoveAt(QPoint(150, 60));
        QCOMPARE(box->cursor().shape(), Qt::ArrowCursor);
        // The background moves the window; the border pixel is outside.
        QVERIFY(box->mouseDownAt(QPoint(10, 100)));
        QVERIFY(box->mouseDownAt(QPoint(150, 60)));
    }

    // A button press plays its sound, then closes; without "Wav" there is
    // no sound; the next show starts without hover.
    void buttonSoundThenClose() {
        auto box = make(description(false));
        box->showModal();
        finishEffects(*box);
        box->mouseMoveAt(QPoint(210, 170));
        QVERIFY(box->elements()[0].hovered);
        QVERIFY(!box->mouseDownAt(QPoint(210, 170)));
        QVERIFY(!box->isVisible());
        QCOMPARE(m_events, (QStringList{"sound while shown: snd\\click.wav", "closed"}));

        m_events.clear();
        m_options.wav = false;
        box->showModal();
        QVERIFY(!box->elements()[0].hovered);
        finishEffects(*box);
        box->mouseDownAt(QPoint(210, 170));
        QCOMPARE(m_events, QStringList{"closed"});
    }

    // With "Animation" on the curtain runs: the mouse and Enter/Esc are
    // ignored until it ends, and it ends with the plain picture. With it
    // off (a normal run) the box shows at once.
    void curtainAndKeys() {
        m_options.animation = true;
        auto box = make(description(false));
        box->showModal();
        QVERIFY(box->curtain()->running());
        while (box->windowFade()->running())
            box->windowFade()->Tick();
        QTest::keyClick(box.get(), Qt::Key_Return);
        QTest::keyClick(box.get(), Qt::Key_Escape);
        QTest::keyClick(box.get(), Qt::Key_Enter);
        QVERIFY(box->isVisible());
        QVERIFY(box->mouseDownAt(QPoint(210, 170)) == false);
        QVERIFY(m_events.isEmpty());
        // The box paints the curtain's picture meanwhile.
        for (int i = 0; i < 40; ++i)
            box->curtain()->Tick();
        QCOMPARE(box->grab().toImage().convertToFormat(QImage::Format_RGB32),
                 box->curtain()->revealed());
        finishEffects(*box);
        QCOMPARE(box->curtain()->revealed(), box->background());
        QCOMPARE(box->grab().toImage().convertToFormat(QImage::Format_RGB32), box->background());
        QTest::keyClick(box.get(), Qt::Key_Escape);
        QVERIFY(!box->isVisible());

        // A second box while the first one's curtain still runs: no curtain.
        box->showModal();
        QVERIFY(box->curtain()->running());
        auto other = make(description(false));
        other->showModal();
        QVERIFY(!other->curtain()->running());
        // Closing stops the curtain at once and frees it for others.
        box->close();
        QVERIFY(!TEffect::anyRunning());

        m_options.animation = false;
        box->showModal();
        QVERIFY(!box->curtain()->running());
        QTest::keyClick(box.get(), Qt::Key_Return);
        QVERIFY(!box->isVisible());
    }

    // An outline shapes the window; without one it is the picture's
    // rectangle. A missing picture gives a box with nothing to show.
    void outlineAndMissingPicture() {
        auto shaped = make(description(true));
        QVERIFY(!shaped->mask().isEmpty());
        QVERIFY(!shaped->mask().contains(QPoint(2, 2)));
        QVERIFY(shaped->mask().contains(QPoint(150, 100)));
        auto plain = make(description(false));
        QVERIFY(plain->mask().isEmpty());

        AboutDescription none = description(false);
        none.picture = QStringLiteral("not-in-pack.bmp");
        auto empty = make(none);
        QVERIFY(!empty->usable());
        empty->showModal();
        QVERIFY(!empty->isVisible());

        // Places beyond any window are clamped: no overflow, nothing hit.
        AboutDescription far = description(false);
        far.buttons[0].vx = 2147483647;
        far.texts[1].vx = 2147483647;
        auto farBox = make(far);
        QVERIFY(farBox->elements()[0].btn.right > farBox->elements()[0].btn.vx);
        QVERIFY(farBox->elements()[2].btn.right > farBox->elements()[2].btn.vx);
        // Hints follow the "Hint" setting.
        QCOMPARE(farBox->elements()[1].area->toolTip(), QStringLiteral("Закрыть окно"));
        m_options.hint = false;
        auto quiet = make(far);
        QVERIFY(quiet->elements()[1].area->toolTip().isEmpty());
    }
};

QTEST_MAIN(TestAboutBox)
#include "tst_aboutbox.moc"
