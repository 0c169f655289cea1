#include "data/BookPaths.h"
#include "data/DialogDescription.h"

#include <QTest>

// Reading Dialog.cfs: one pass, blocks by substring, keys in a fixed order.
class TestDialogDescription : public QObject {
    Q_OBJECT

private:
    BookPaths m_paths{QStringLiteral("\\book\\run\\")};

    DialogDescription parse(const char* text) const {
        return DialogDescription::parse(QString::fromUtf8(text).split(QLatin1Char('\n')), &m_paths);
    }

private slots:
    // Keys in order, several on one line, values of every form; the kinds
    // are tried in the order _picture, _text, _button, switchgrp.
    void blocksAndSharedLines() {
        const DialogDescription d = parse(R"(; comment
[2] _picture=find.bmp
[2] _text vx=20; vy=30
vw=380;font=liberation sans;size=9
style=bold italic
color=255,0,1
value=Текст
[2] _button vx=5;vy=6;align=middle
fn1=a1.bmp;fn2=a2.bmp
fn3=a3.bmp
go=findnext12
hint=Искать;wav=snd\click.wav
[2] switchgrp
vx=7
vy=8
fn1=s1.bmp;fn2=s2.bmp;fn3=s3.bmp;fn4=s4.bmp
textcaptionup=Вверх
textfontstylemvdn=underline
textfontcolordn=1,2,3
state=on;store=on
texttx=99
group=3
go=..\pages\p.htm
hint=Х
wav=no
textcaptiondn=after the last key: not read
[1] _picture=msg.bmp
)");
        QCOMPARE(d.count(), 2);
        QCOMPARE(d.dialogs[0].picture, QStringLiteral("msg.bmp"));
        const RDialog& s = d.dialogs[1];
        QCOMPARE(s.picture, QStringLiteral("find.bmp"));
        QCOMPARE(s.text.vx, 20);
        QCOMPARE(s.text.vy, 30);
        QCOMPARE(s.text.vw, 380);
        QCOMPARE(s.text.font, QStringLiteral("liberation sans"));
        QCOMPARE(s.text.size, 9);
        QCOMPARE(s.text.style, QStringLiteral("bold italic"));
        QCOMPARE(s.text.color, 255 + 65536);
        QCOMPARE(s.text.value, QStringLiteral("Текст"));
        QCOMPARE(s.buttons.size(), 1);
        const RBtn& b = s.buttons[0];
        QCOMPARE(b.vx, 5);
        QCOMPARE(b.vy, 6);
        QCOMPARE(b.align, QStringLiteral("middle"));
        QCOMPARE(b.fn1, QStringLiteral("a1.bmp"));
        QCOMPARE(b.fn2, QStringLiteral("a2.bmp"));
        QCOMPARE(b.fn3, QStringLiteral("a3.bmp"));
        QCOMPARE(b.go, QStringLiteral("findnext12"));
        QCOMPARE(b.hint, QStringLiteral("Искать"));
        QCOMPARE(b.wav, QStringLiteral("snd\\click.wav"));
        QCOMPARE(s.switches.size(), 1);
        const RSwthGrp& w = s.switches[0];
        QCOMPARE(w.fn4, QStringLiteral("s4.bmp"));
        QVERIFY(w.state && w.on && w.store);
        QCOMPARE(w.group, 3);
        // The switch's verb is path-resolved; the button's is not.
        QCOMPARE(w.go, m_paths.resolvePath(QStringLiteral("..\\pages\\p.htm")));
        QVERIFY(w.go.endsWith(QLatin1String("pages\\p.htm")) &&
                w.go != QLatin1String("..\\pages\\p.htm"));
        QCOMPARE(w.wav, QStringLiteral("no"));
        // Caption keys: any order, on lines that do not hold the next key.
        QCOMPARE(w.textcaptionup, QStringLiteral("Вверх"));
        QCOMPARE(w.textfontstylemvdn, 4);
        QCOMPARE(w.textfontcolordn, 1 + 2 * 256 + 3 * 65536);
        QCOMPARE(w.texttx, 99);
        QVERIFY(w.textcaptiondn.isEmpty());
    }

    // `go` is found inside the fn3 value "logo.bmp": the verb is the text
    // three characters after it, and the real `go` line is passed over.
    void keyFoundInsideAValue() {
        const DialogDescription d = parse(R"([1] _button
vx=1
vy=2
align=left
fn1=a.bmp
fn2=b.bmp
fn3=logo.bmp
go=ok
hint=h
wav=w.wav
[1] _picture=m.bmp
)");
        QCOMPARE(d.dialogs[0].buttons.size(), 1);
        QCOMPARE(d.dialogs[0].buttons[0].go, QStringLiteral("bmp"));
        QCOMPARE(d.dialogs[0].buttons[0].hint, QStringLiteral("h"));
        QCOMPARE(d.dialogs[0].picture, QStringLiteral("m.bmp"));
    }

    // A block whose keys run out ends the reading: what follows is not read
    // (the block keeps what it found).
    void missingKeysEndTheReading() {
        const DialogDescription d = parse(R"([1] _picture=a.bmp
[1] _button
vx=1
vy=2
align=left
fn1=a.bmp
fn2=b.bmp
fn3=c.bmp
go=ok
hint=no sound key
[2] _picture=b.bmp
[2] _button
vx=1
)");
        QCOMPARE(d.count(), 1);
        QCOMPARE(d.dialogs[0].buttons.size(), 1);
        QCOMPARE(d.dialogs[0].buttons[0].hint, QStringLiteral("no sound key"));
        QVERIFY(d.dialogs[0].buttons[0].wav.isEmpty());
    }

    // Numbers outside 1..64 are refused (and read over); the lists stay small.
    void numbersOutOfRange() {
        const DialogDescription d = parse(R"([0] _picture=zero.bmp
[65] _picture=big.bmp
[2147483647] _picture=huge.bmp
_picture=none.bmp
[-3] _button vx=1;vy=1;align=;fn1=a;fn2=b;fn3=c;go=ok;hint=;wav=
[3] _picture=three.bmp
)");
        QCOMPARE(d.count(), 3);
        QCOMPARE(d.dialogs[2].picture, QStringLiteral("three.bmp"));
        QVERIFY(d.dialogs[0].picture.isEmpty() && d.dialogs[1].picture.isEmpty());
        for (const RDialog& one : d.dialogs)
            QVERIFY(one.buttons.isEmpty());
        QVERIFY(!d.dialog(-1) && !d.dialog(3) && d.dialog(2));
    }
};

QTEST_APPLESS_MAIN(TestDialogDescription)
#include "tst_dialogdescription.moc"
