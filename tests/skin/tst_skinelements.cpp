#include "skin/CaptionPainter.h"
#include "skin/TSkinElements.h"
#include "app/TWindowAnimation.h"

#include <QFontMetrics>
#include <QPainter>
#include <QTest>

#include <thread>

namespace {

QImage solid(int w, int h, QRgb c) {
    QImage img(w, h, QImage::Format_RGB32);
    img.fill(c);
    return img;
}

// Pictures by name: every state has its own colour, so a probe tells which
// picture is on screen.
QHash<QString, QImage> pictures() {
    QHash<QString, QImage> p;
    p["skin0"] = solid(200, 100, qRgb(128, 128, 128));
    p["skin1"] = solid(200, 100, qRgb(0, 0, 64));
    p["bn"] = solid(20, 10, qRgb(200, 0, 0));
    p["bh"] = solid(20, 10, qRgb(0, 200, 0));
    p["bp"] = solid(20, 10, qRgb(0, 0, 200));
    for (const char* n : {"s1", "s2", "s3", "s4"})
        p[n] = solid(16, 16, qRgb(10 * (n[1] - '0'), 50 * (n[1] - '0'), 0));
    return p;
}

RBtn button(int x, int y, const QString& go) {
    RBtn b;
    b.vx = x;
    b.vy = y;
    b.fn1 = "bn";
    b.fn2 = "bh";
    b.fn3 = "bp";
    b.go = go;
    b.wav = "click.wav";
    b.hint = "hint " + go;
    return b;
}

RSwthGrp grp(int x, int y, int group, const QString& go, bool on = false) {
    RSwthGrp s;
    s.vx = x;
    s.vy = y;
    s.fn1 = "s1";
    s.fn2 = "s2";
    s.fn3 = "s3";
    s.fn4 = "s4";
    s.group = group;
    s.go = go;
    s.on = on;
    return s;
}

StructModel model() {
    StructModel m;
    RScreen s0;
    s0.picture = "skin0";
    s0.buttons << button(10, 10, "about") << button(20, 12, "options")
               << button(150, 60, "screen2=x.htm") << button(120, 80, "minimize");
    RBtn missing = button(5, 80, "help");
    missing.fn1 = "nothing";
    s0.buttons << missing;
    RSwthOne one;
    one.vx = 100;
    one.vy = 10;
    one.fn1 = "s1";
    one.fn2 = "s2";
    one.fn3 = "s3";
    one.fn4 = "s4";
    one.goup = "offtree";
    one.godown = "ontree";
    one.wav = "sw.wav";
    RSwthOne under = one; // lies under button 0: the button wins
    under.vx = 25;
    under.vy = 15;
    under.goup = under.godown = "never";
    s0.switchone << one << under;
    s0.switchgrp << grp(10, 50, 1, "g1a") << grp(40, 50, 1, "g1b") << grp(70, 50, 2, "g2", true)
                 << grp(100, 50, 1, "3d", true);
    RScreen s1;
    s1.picture = "skin1";
    s1.buttons << button(10, 10, "1");
    m.screens << s0 << s1;
    return m;
}

struct Fixture {
    StructModel m = model();
    QHash<QString, QImage> pics = pictures();
    TSkinElements e{m, TEffBtnCar::Clock::Manual};
    QList<TSkinElements::Run> runs;
    Fixture() {
        e.loadPicture = [this](const QString& n) { return pics.value(n); };
        e.runCommand = [this](const TSkinElements::Run& r) {
            runs.append(r);
            if (r.command.startsWith("screen2"))
                e.buildScreen(1);
            if (r.command == "1")
                e.buildScreen(0);
        };
        e.buildScreen(0);
    }
    // Runs every element fade to its end.
    void settle() {
        for (const auto& p : e.buttonPics())
            while (p.fade && p.fade->running())
                p.fade->Tick();
        for (const auto& p : e.switchOnePics())
            while (p.fade && p.fade->running())
                p.fade->Tick();
    }
    QImage shot() {
        settle();
        QImage img(200, 100, QImage::Format_RGB32);
        QPainter p(&img);
        e.paint(p);
        return img;
    }
    void click(QPoint p, Qt::KeyboardModifiers m = Qt::NoModifier) {
        e.mouseMove(p);
        e.mouseDown(p, m);
        e.mouseUp(p);
    }
};

} // namespace

class TestSkinElements : public QObject {
    Q_OBJECT
private slots:
    void rectanglesAndStrictHits();
    void restingPicturesOnSkin();
    void shownPicturesFirst();
    void buttonHoverPressRelease();
    void pressLeaveReturnRelease();
    void switchOneToggleAndShift();
    void switchGroups();
    void screenSwitchFromButton();
    void replayLists();
    void hintAreas();
    void captionsKeepBoldSpacing();
    void windowAnimations();
};

void TestSkinElements::rectanglesAndStrictHits() {
    Fixture f;
    const RBtn& b = f.e.buttons()[0];
    QCOMPARE(b.right, 30);
    QCOMPARE(b.bottom, 20);
    using H = TSkinElements;
    auto hit = [&](int x, int y) {
        const auto h = f.e.hitTest({x, y});
        return QPair<int, int>(h.kind, h.index);
    };
    QCOMPARE(hit(10, 15), qMakePair(int(H::None), -1)); // left edge pixel
    QCOMPARE(hit(15, 10), qMakePair(int(H::None), -1)); // top edge pixel
    QCOMPARE(hit(11, 11), qMakePair(int(H::Button), 0));
    QCOMPARE(hit(29, 19), qMakePair(int(H::Button), 0));
    QCOMPARE(hit(25, 15), qMakePair(int(H::Button), 0)); // overlap: the first listed wins
    QCOMPARE(hit(30, 15), qMakePair(int(H::Button), 1));
    QCOMPARE(hit(35, 25), qMakePair(int(H::SwitchOne), 1)); // only the switch is under it
    QCOMPARE(hit(27, 17), qMakePair(int(H::Button), 0));    // buttons before switches
    QCOMPARE(hit(101, 11), qMakePair(int(H::SwitchOne), 0));
    QCOMPARE(hit(41, 51), qMakePair(int(H::SwitchGrp), 1));
    // A button without its picture has no size and cannot be hit.
    QCOMPARE(f.e.buttons()[4].right, 5);
    QCOMPARE(hit(5, 80), qMakePair(int(H::None), -1));
    QCOMPARE(hit(6, 81), qMakePair(int(H::None), -1));
    QVERIFY(f.e.mouseDown({6, 81}, Qt::NoModifier)); // bare skin: may drag
    QVERIFY(!f.e.mouseDown({11, 11}, Qt::NoModifier));
}

void TestSkinElements::restingPicturesOnSkin() {
    Fixture f;
    const QImage img = f.shot();
    QCOMPARE(img.pixel(15, 15), qRgb(200, 0, 0));   // button normal
    QCOMPARE(img.pixel(5, 5), qRgb(128, 128, 128)); // bare skin
    QCOMPARE(img.pixel(105, 15), qRgb(10, 50, 0));  // switchone off: fn1
    QCOMPARE(img.pixel(75, 55), qRgb(40, 200, 0));  // switchgrp on: fn4
}

// The start-up builds only the pictures the screen shows; the rest follow on
// demand and come out the same as when everything is built at once.
void TestSkinElements::shownPicturesFirst() {
    Fixture full;
    Fixture f;
    for (StructModel* m : {&full.m, &f.m}) {
        RBtn& b = m->screens[0].buttons[0];
        b.textcaption = "Ab";
        b.texttx = 2;
        b.textty = 1;
        b.textfontsize = 6;
        b.textfontcolormv = 0xffffff;
        RSwthGrp& g = m->screens[0].switchgrp[2];
        g.textcaptionup = g.textcaptiondn = "3d";
        g.textfontsize = 6;
    }
    full.e.buildScreen(0);
    QStringList asked;
    f.e.loadPicture = [&](const QString& n) {
        asked.append(n);
        return f.pics.value(n);
    };
    f.e.buildScreen(0, TSkinElements::Faces::ShownFirst);
    QVERIFY(f.e.facesPending());
    // Only resting pictures and the "on" picture of the switches that are on,
    // each decoded once however many elements share it.
    asked.sort();
    QCOMPARE(asked, QStringList({"bn", "nothing", "s1", "s4", "skin0"}));
    QCOMPARE(f.e.skin(), full.e.skin());
    QCOMPARE(f.shot(), full.shot());
    QVERIFY(f.e.buttonPics()[0].hover.isNull());
    QCOMPARE(f.e.switchGrpPics()[2].on, full.e.switchGrpPics()[2].on);

    // The first hover loads the rest before it changes a look.
    f.e.mouseMove({15, 15});
    QVERIFY(!f.e.facesPending());
    QVERIFY(f.e.buttonPics()[0].fade->running());
    QCOMPARE(f.shot().pixel(29, 19), qRgb(0, 200, 0));
    for (qsizetype i = 0; i < full.e.buttonPics().size(); ++i) {
        QCOMPARE(f.e.buttonPics()[i].hover, full.e.buttonPics()[i].hover);
        QCOMPARE(f.e.buttonPics()[i].pressed, full.e.buttonPics()[i].pressed);
    }
    for (qsizetype i = 0; i < full.e.switchGrpPics().size(); ++i) {
        const auto& a = f.e.switchGrpPics()[i];
        const auto& b = full.e.switchGrpPics()[i];
        QCOMPARE(a.hoverOff, b.hoverOff);
        QCOMPARE(a.hoverOn, b.hoverOn);
        QCOMPARE(a.on, b.on);
    }
    for (qsizetype i = 0; i < full.e.switchOnePics().size(); ++i)
        QCOMPARE(f.e.switchOnePics()[i].hoverOn, full.e.switchOnePics()[i].hoverOn);

    // The captions drawn apart, on another thread, give the same screen.
    Fixture apart;
    apart.m = full.m;
    apart.e.buildScreen(0, TSkinElements::Faces::ShownApart);
    QCOMPARE(apart.e.buttons()[0].right, full.e.buttons()[0].right);
    std::thread([&] { apart.e.drawShownFaces(); }).join();
    QCOMPARE(apart.e.skin(), full.e.skin());
    QCOMPARE(apart.e.buttonPics()[0].normal, full.e.buttonPics()[0].normal);
    QCOMPARE(apart.e.switchGrpPics()[2].on, full.e.switchGrpPics()[2].on);
    QVERIFY(apart.e.facesPending());
    apart.e.completeFaces();
    QCOMPARE(apart.e.buttonPics()[0].hover, full.e.buttonPics()[0].hover);

    // A click on a switch before anything else finds its pictures too.
    Fixture g;
    g.e.buildScreen(0, TSkinElements::Faces::ShownFirst);
    QVERIFY(!g.e.mouseDown({101, 11}, Qt::NoModifier));
    QVERIFY(!g.e.facesPending());
    QVERIFY(!g.e.switchOnePics()[0].hoverOn.isNull());
}

void TestSkinElements::buttonHoverPressRelease() {
    Fixture f;
    QList<QRect> repaints;
    f.e.repaintRect = [&](const QRect& r) { repaints.append(r); };
    f.e.mouseMove({15, 15});
    QVERIFY(f.e.buttonPics()[0].hovered);
    QVERIFY(f.e.buttonPics()[0].fade->running());
    QCOMPARE(f.e.buttonPics()[0].fade->step(), 4);
    f.e.buttonPics()[0].fade->Tick();
    QCOMPARE(repaints.last(), QRect(10, 10, 20, 10));
    QCOMPARE(f.shot().pixel(15, 15), qRgb(0, 200, 0)); // hover
    QVERIFY(f.runs.isEmpty());
    f.e.mouseDown({15, 15}, Qt::NoModifier);
    QVERIFY(f.e.buttonPics()[0].pressed_);
    QVERIFY(f.runs.isEmpty()); // the command runs on release
    QCOMPARE(f.shot().pixel(15, 15), qRgb(0, 0, 200));
    f.e.mouseUp({15, 15});
    QCOMPARE(f.runs.size(), 1);
    QCOMPARE(f.runs[0].command, QString("about"));
    QCOMPARE(f.runs[0].wav, QString("click.wav"));
    QCOMPARE(f.runs[0].kind, 0);
    QCOMPARE(f.runs[0].index, 0);
    QCOMPARE(f.shot().pixel(15, 15), qRgb(0, 200, 0)); // back to hover
    f.e.mouseMove({5, 5});
    QVERIFY(!f.e.buttonPics()[0].hovered);
    QCOMPARE(f.shot().pixel(15, 15), qRgb(200, 0, 0));
    // Releasing over a button that was not pressed runs nothing.
    f.e.mouseMove({35, 15});
    f.e.mouseUp({35, 15});
    QCOMPARE(f.runs.size(), 1);
    QVERIFY(!f.e.buttonPics()[1].hovered);
}

void TestSkinElements::pressLeaveReturnRelease() {
    Fixture f;
    f.e.mouseMove({15, 15});
    f.e.mouseDown({15, 15}, Qt::NoModifier);
    f.e.mouseMove({5, 5}, true);
    QVERIFY(!f.e.buttonPics()[0].pressed_);
    f.e.mouseUp({5, 5});
    QVERIFY(f.runs.isEmpty()); // left and released: nothing
    f.e.mouseMove({15, 15}, false);
    f.e.mouseUp({15, 15});
    QVERIFY(f.runs.isEmpty()); // the press was not renewed

    // Back on before the release: the command still runs.
    f.e.mouseDown({15, 15}, Qt::NoModifier);
    f.e.mouseMove({5, 5}, true);
    f.e.mouseMove({15, 15}, true);
    QVERIFY(f.e.buttonPics()[0].pressed_);
    f.e.mouseUp({15, 15});
    QCOMPARE(f.runs.size(), 1);
    QCOMPARE(f.runs[0].command, QString("about"));
    // Leaving with the mouse button up forgets the press.
    f.e.mouseDown({15, 15}, Qt::NoModifier);
    f.e.mouseMove({5, 5}, true);
    f.e.mouseMove({6, 5}, false);
    f.e.mouseMove({15, 15}, false);
    f.e.mouseUp({15, 15});
    QCOMPARE(f.runs.size(), 1);
}

void TestSkinElements::switchOneToggleAndShift() {
    Fixture f;
    const QPoint p(105, 15);
    f.click(p);
    QVERIFY(f.e.switchOnes()[0].on);
    QCOMPARE(f.runs.last().command, QString("ontree"));
    QCOMPARE(f.runs.last().kind, 1);
    QCOMPARE(f.runs.last().wav, QString("sw.wav"));
    QCOMPARE(f.shot().pixel(105, 15), qRgb(30, 150, 0)); // on and hovered: fn3
    f.e.mouseMove({5, 5});
    QCOMPARE(f.shot().pixel(105, 15), qRgb(40, 200, 0)); // on: fn4
    f.click(p);
    QVERIFY(!f.e.switchOnes()[0].on);
    QCOMPARE(f.runs.last().command, QString("offtree"));
    QCOMPARE(f.runs.size(), 2);
    // Shift+click flips picture and state, runs nothing.
    f.e.mouseDown(p, Qt::ShiftModifier);
    QVERIFY(f.e.switchOnes()[0].on);
    QCOMPARE(f.runs.size(), 2);
    QCOMPARE(f.shot().pixel(105, 15), qRgb(30, 150, 0));
    f.e.mouseDown(p, Qt::ShiftModifier);
    QVERIFY(!f.e.switchOnes()[0].on);
    QCOMPARE(f.runs.size(), 2);
    // Pressing a switch never moves the window.
    QVERIFY(!f.e.mouseDown(p, Qt::ShiftModifier));
}

void TestSkinElements::switchGroups() {
    Fixture f;
    auto on = [&](int i) { return f.e.switchGrps()[i].on; };
    f.click({15, 55});
    QVERIFY(on(0));
    QCOMPARE(f.runs.last().command, QString("g1a"));
    QCOMPARE(f.runs.last().kind, 2);
    QCOMPARE(f.runs.last().index, 0);
    QVERIFY(!on(1) && on(2));
    QVERIFY(!on(3)); // group 1, on from the description: turned off
    f.click({45, 55});
    QVERIFY(on(1));
    QVERIFY(!on(0));
    QVERIFY(on(2)); // another group: untouched
    QCOMPARE(f.runs.last().command, QString("g1b"));
    const qsizetype runs = f.runs.size();
    f.click({45, 55}); // already on: nothing
    QCOMPARE(f.runs.size(), runs);
    QVERIFY(on(1));
    // Shift+click: the state moves, no command.
    f.e.mouseDown({15, 55}, Qt::ShiftModifier);
    QVERIFY(on(0));
    QVERIFY(!on(1));
    QCOMPARE(f.runs.size(), runs);
    QCOMPARE(f.shot().pixel(15, 55), qRgb(40, 200, 0)); // resting "on" look
    f.e.mouseUp({15, 55});
    QCOMPARE(f.shot().pixel(15, 55), qRgb(30, 150, 0)); // hovered "on" look
}

void TestSkinElements::screenSwitchFromButton() {
    Fixture f;
    f.e.switchGrps()[0].on = true;
    f.click({155, 65});
    QCOMPARE(f.runs.last().command, QString("screen2=x.htm"));
    QCOMPARE(f.e.screen(), 1);
    QCOMPARE(f.e.buttons().size(), 1);
    QCOMPARE(f.shot().pixel(5, 5), qRgb(0, 0, 64));
    QCOMPARE(f.shot().pixel(15, 15), qRgb(200, 0, 0));
    // A "1" button leaves without fading back; on return the elements are at
    // rest and the switch states survived the trip.
    f.click({15, 15});
    QCOMPARE(f.e.screen(), 0);
    QVERIFY(f.e.switchGrps()[0].on);
    for (const auto& p : f.e.buttonPics()) {
        QVERIFY(!p.hovered);
        QVERIFY(!p.pressed_);
        QVERIFY(!p.fade->running());
    }
    QCOMPARE(f.shot().pixel(155, 65), qRgb(200, 0, 0));
}

void TestSkinElements::replayLists() {
    Fixture f;
    f.e.switchOnes()[1].godown = "3d";
    f.e.switchOnes()[1].on = true;
    auto commands = [](const QList<TSkinElements::Run>& runs) {
        QStringList c;
        for (const auto& r : runs)
            c << QString("%1:%2:%3").arg(r.command).arg(r.kind).arg(r.index);
        return c;
    };
    // Start-up: every switchone once (godown when on, goup when off), every
    // switchgrp that is on.
    QCOMPARE(commands(f.e.replayCommands(false)),
             (QStringList{"offtree:1:0", "3d:1:1", "g2:2:2", "3d:2:3"}));
    // After a switch: the switchone pass twice, "3d" left out.
    QCOMPARE(commands(f.e.replayCommands(true)),
             (QStringList{"offtree:1:0", "offtree:1:0", "g2:2:2"}));
    for (const auto& r : f.e.replayCommands(true))
        QVERIFY(r.wav.isEmpty());
}

void TestSkinElements::hintAreas() {
    Fixture f;
    const auto areas = f.e.hintAreas();
    QCOMPARE(areas.size(), 5 + 2 + 4);
    QCOMPARE(areas[0].first, QRect(10, 10, 20, 10));
    QCOMPARE(areas[0].second, QString("hint about"));
    QVERIFY(!areas[4].first.isValid()); // the button without picture
}

void TestSkinElements::captionsKeepBoldSpacing() {
    const QString text = "Engine";
    caption::Style normal{"DejaVu Sans", 10, 0, 0x0000ff};
    caption::Style bold = normal;
    bold.style = 1;
    caption::Style italic = normal;
    italic.style = 2;
    const QList<int> a = caption::characterEdges(text, normal, 4);
    QCOMPARE(a, caption::characterEdges(text, bold, 4));
    QCOMPARE(a, caption::characterEdges(text, italic, 4));
    const QFontMetrics fm(caption::font(bold));
    QCOMPARE(a[0], 4);
    QCOMPARE(a[1], 4 + fm.horizontalAdvance('E') - 1);
    QCOMPARE(a[2], a[1] + fm.horizontalAdvance('n') - 1);

    // Drawn from the box's top-left corner, in the state's colour (red in
    // the low byte).
    QImage pic = solid(80, 30, qRgb(255, 255, 255));
    caption::draw(pic, text, QRect(QPoint(4, 5), QPoint(70, 25)), normal);
    bool red = false, outsideClean = true;
    for (int y = 0; y < 30; ++y)
        for (int x = 0; x < 80; ++x) {
            const QRgb c = pic.pixel(x, y);
            if (c != qRgb(255, 255, 255) && (x < 4 || y < 5))
                outsideClean = false;
            if (qRed(c) > 200 && qBlue(c) < 100)
                red = true;
        }
    QVERIFY(red);
    QVERIFY(outsideClean);
    QImage empty = solid(10, 10, qRgb(1, 2, 3));
    caption::draw(empty, QString(), QRect(0, 0, 10, 10), normal);
    QCOMPARE(empty.pixel(5, 5), qRgb(1, 2, 3));
}

void TestSkinElements::windowAnimations() {
    // Opening: insets from the middle outwards, 4 and 2 pixels a tick.
    TWindowAnimation open(TWindowAnimation::Kind::Opening, {400, 300});
    QRegion r;
    int ticks = 0;
    QRegion last;
    while (open.next(r)) {
        last = r;
        ++ticks;
    }
    QCOMPARE(ticks, 101); // x from 200 down to -200
    // 300 < 0.87 * 400: the window ends fully visible.
    QVERIFY(last.contains(QRect(0, 0, 400, 300)));
    QCOMPARE(TWindowAnimation::finalOpeningRegion({400, 300}), last);
    // A tall window keeps its corners cut.
    const QRegion tall = TWindowAnimation::finalOpeningRegion({300, 400});
    QVERIFY(!tall.contains(QPoint(0, 0)));
    QVERIFY(tall.contains(QPoint(150, 200)));

    // Closing: shrinks to nothing and ends.
    TWindowAnimation close(TWindowAnimation::Kind::Closing, {400, 300});
    ticks = 0;
    QRegion first;
    while (close.next(r)) {
        if (ticks == 0)
            first = r;
        ++ticks;
        QVERIFY(ticks < 1000);
    }
    QVERIFY(first.contains(QPoint(200, 5)));
    QVERIFY(!first.contains(QPoint(0, 0))); // rounded corner
    QVERIFY(close.finished());
    // 71 ticks from top and bottom, 64 from the sides, 9 of the ellipse.
    QCOMPARE(ticks, 71 + 64 + 9);
}

QTEST_MAIN(TestSkinElements)
#include "tst_skinelements.moc"
