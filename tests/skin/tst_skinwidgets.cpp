// The skin widgets: text lines, the blinking status line, the search
// progress bar and the path input boxes.

#include "data/BookPaths.h"
#include "data/PackWriter.h"
#include "data/SettingsNames.h"
#include "data/SettingsStore.h"
#include "data/TReadBin.h"
#include "skin/TPathInputBox.h"
#include "skin/TScaleBar.h"
#include "skin/TStatusLine.h"
#include "skin/TTextMsg.h"

#include <QApplication>
#include <QBuffer>
#include <QDir>
#include <QFontMetrics>
#include <QImage>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPainter>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QWidget>
#include <QtTest>

namespace {

// A window that records the places it was asked to repaint and lets the text
// elements draw on it, as the skinned window does.
class Host : public QWidget {
public:
    TTextMsg* texts = nullptr;
    QRegion painted;
    int paints = 0;

protected:
    void paintEvent(QPaintEvent* e) override {
        ++paints;
        painted += e->region();
        QPainter p(this);
        p.fillRect(rect(), Qt::black);
        if (texts)
            texts->paint(p, this);
    }
};

RText textRow(int screen, int number, const QString& ident, const QString& value, int x = 10,
              int y = 10) {
    RText r;
    r.vx = x;
    r.vy = y;
    r.vw = x + 300;
    r.font = QStringLiteral("DejaVu Sans");
    r.size = 10;
    r.style = QStringLiteral("bold");
    r.color = 255 + 256 * 0 + 65536 * 0; // red
    r.value = value;
    r.ident = ident;
    r.number = number;
    r.screen = screen;
    return r;
}

// Counts pixels of `color` inside `rect` of `image`.
int countColor(const QImage& image, const QRect& rect, QRgb color) {
    int n = 0;
    for (int y = rect.top(); y <= rect.bottom(); ++y)
        for (int x = rect.left(); x <= rect.right(); ++x)
            if (image.pixel(x, y) == color)
                ++n;
    return n;
}

bool anyReddish(const QImage& image, const QRect& rect) {
    for (int y = rect.top(); y <= rect.bottom(); ++y)
        for (int x = rect.left(); x <= rect.right(); ++x) {
            const QColor c = image.pixelColor(x, y);
            if (c.red() > 100 && c.green() < 60 && c.blue() < 60)
                return true;
        }
    return false;
}

QByteArray bmp(int w, int h, QColor color) {
    QImage image(w, h, QImage::Format_RGB32);
    image.fill(color);
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "BMP");
    return bytes;
}

} // namespace

class TestSkinWidgets : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();

    void textFontFromStyleWords();
    void textPaintsOnlyCurrentScreenAndCanvas();
    void textSetTextSelectsElements();
    void textUnchangedTextDoesNotRepaint();
    void textRepaintCoversOldAndNewPlace();

    void statusBlinksAndEnds();
    void statusShowRestartsBlinking();
    void statusClearStops();
    void statusWithoutTextsDoesNothing();
    void statusRealTimerDrivesTicks();

    void scaleBarDrawsAndSteps();
    void scaleBarSecondShowKeepsPictures();
    void scaleBarLeavingScreenFreesPictures();
    void scaleBarAdvanceFollowsProgress();
    void scaleBarWithoutPictures();

    void pathStartTextAndPlacement();
    void pathScreensAndHiding();
    void pathGetPath();
    void pathSavedAtDestruction();
    void pathMouseMoveClearsSkinHover();

private:
    QTemporaryDir m_settings;
    QTemporaryDir m_packDir;
    TReadBin m_pack;
    int m_screen = 0;
    TScaleBar::ScreenFn screenFn() {
        return [this] { return m_screen; };
    }
};

void TestSkinWidgets::initTestCase() {
    QVERIFY(m_settings.isValid());
    TSettingsStore::setLocation(m_settings.path());

    PackWriter writer;
    QVERIFY(writer.add(QStringLiteral("status_up.bmp"), bmp(100, 10, QColor(128, 128, 128))));
    QVERIFY(writer.add(QStringLiteral("status_dn.bmp"), bmp(100, 10, QColor(0, 200, 0))));
    const QString pack = m_packDir.filePath(QStringLiteral("Dod.dhl"));
    QVERIFY(writer.write(pack));
    QVERIFY(m_pack.load(pack));
}

// ---------------------------------------------------------------- TTextMsg

void TestSkinWidgets::textFontFromStyleWords() {
    QFont f =
        TTextMsg::skinFont(QStringLiteral("DejaVu Sans"), 10, QStringLiteral("italic, underline"));
    QVERIFY(!f.bold());
    QVERIFY(f.italic());
    QVERIFY(f.underline());
    QVERIFY(!f.strikeOut());
    QCOMPARE(f.pixelSize(), 13); // 10 pt at 96 dpi
    f = TTextMsg::skinFont(QStringLiteral("DejaVu Sans"), 12, QStringLiteral("boldstrikeout"));
    QVERIFY(f.bold());
    QVERIFY(f.strikeOut());
    QCOMPARE(f.pixelSize(), 16);
    QCOMPARE(TTextMsg::skinColor(255 + 256 * 128 + 65536 * 1), QColor(255, 128, 1));
}

void TestSkinWidgets::textPaintsOnlyCurrentScreenAndCanvas() {
    Host main;
    main.resize(400, 200);
    QWidget dialog;
    TDynamicTextArray rows{
        textRow(0, 2, QString(), QStringLiteral("Screen one"), 10, 10),
        textRow(1, 3, QString(), QStringLiteral("Screen two"), 10, 60),
        textRow(0, TTextMsg::kDialogNumber, QString(), QStringLiteral("Dialog"), 10, 110)};
    TTextMsg texts(rows, &main, screenFn());
    m_screen = 0;

    QImage image(400, 200, QImage::Format_RGB32);
    image.fill(Qt::black);
    {
        QPainter p(&image);
        texts.paint(p, &main);
    }
    const QRect r0 = texts.rect(0);
    QCOMPARE(r0, TTextMsg::textRect(texts.font(0), 10, 10, QStringLiteral("Screen one")));
    QVERIFY(r0.width() > 40);
    QVERIFY(anyReddish(image, r0));
    // Nothing outside the measured rectangle.
    QCOMPARE(countColor(image, QRect(r0.right() + 1, 0, 400 - r0.right() - 1, 200), qRgb(0, 0, 0)),
             (400 - r0.right() - 1) * 200);
    // The other screen's element and the dialog's element are not drawn on the
    // main window.
    QVERIFY(!anyReddish(image, QRect(0, 50, 400, 150)));

    // The dialog's element is drawn only on the dialog, and only once it exists.
    image.fill(Qt::black);
    {
        QPainter p(&image);
        texts.paint(p, &dialog);
    }
    QVERIFY(!anyReddish(image, image.rect()));
    texts.setDialog(&dialog);
    {
        QPainter p(&image);
        texts.paint(p, &dialog);
    }
    QVERIFY(anyReddish(image, texts.rect(2)));
    QVERIFY(!anyReddish(image, QRect(0, 0, 400, 100)));

    // Screen 2 now.
    m_screen = 1;
    image.fill(Qt::black);
    {
        QPainter p(&image);
        texts.paint(p, &main);
    }
    QVERIFY(anyReddish(image, texts.rect(1)));
    QVERIFY(!anyReddish(image, QRect(0, 0, 400, 50)));
    m_screen = 0;
}

void TestSkinWidgets::textSetTextSelectsElements() {
    Host main;
    TDynamicTextArray rows{textRow(0, 1, QStringLiteral("statusline"), QString()),
                           textRow(0, 1, QString(), QStringLiteral("second one")),
                           textRow(1, 0, QStringLiteral("StatusLine"), QString()),
                           textRow(1, 5, QStringLiteral("status"), QString())};
    TTextMsg texts(rows, &main, screenFn());
    // A number selects the first element with that number only.
    texts.setText(QStringLiteral("Title  "), 1, false);
    QCOMPARE(texts.text(0), QStringLiteral("Title  "));
    QCOMPARE(texts.text(1), QStringLiteral("second one"));
    // -1: every status-line element, ident compared without case.
    texts.setText(QStringLiteral("Файл скопирован"), TTextMsg::kStatusLine, false);
    QCOMPARE(texts.text(0), QStringLiteral("Файл скопирован"));
    QCOMPARE(texts.text(2), QStringLiteral("Файл скопирован"));
    QCOMPARE(texts.text(3), QString());
    // A number nobody has changes nothing.
    texts.setText(QStringLiteral("x"), 77, false);
    QCOMPARE(texts.text(3), QString());
    // The rectangle follows the text.
    QCOMPARE(texts.rect(0).width(),
             QFontMetrics(texts.font(0)).horizontalAdvance(QStringLiteral("Файл скопирован")));
}

void TestSkinWidgets::textUnchangedTextDoesNotRepaint() {
    Host main;
    main.resize(300, 100);
    TDynamicTextArray rows{textRow(0, 1, QString(), QStringLiteral("Same"))};
    TTextMsg texts(rows, &main, screenFn());
    main.texts = &texts;
    main.show();
    QVERIFY(QTest::qWaitForWindowExposed(&main));
    QTRY_VERIFY(main.paints > 0);
    QSignalSpy changed(&texts, &TTextMsg::textChanged);
    const int before = main.paints;
    texts.setText(QStringLiteral("Same"), 1, true);
    QTest::qWait(50);
    QCOMPARE(changed.count(), 0);
    QCOMPARE(main.paints, before);
}

void TestSkinWidgets::textRepaintCoversOldAndNewPlace() {
    Host main;
    main.resize(400, 100);
    TDynamicTextArray rows{textRow(0, 1, QString(), QStringLiteral("A much longer first text"))};
    TTextMsg texts(rows, &main, screenFn());
    main.texts = &texts;
    main.show();
    QVERIFY(QTest::qWaitForWindowExposed(&main));
    QTRY_VERIFY(main.paints > 0);
    const QRect oldRect = texts.rect(0);
    main.painted = QRegion();
    texts.setText(QStringLiteral("Short"), 1, true);
    QTRY_VERIFY(!main.painted.isEmpty());
    // The whole old place is repainted so no stale letters stay on the skin.
    QVERIFY(main.painted.contains(oldRect));
    QVERIFY(texts.rect(0).width() < oldRect.width());

    // Without redraw nothing is scheduled.
    main.painted = QRegion();
    texts.setText(QStringLiteral("Quiet"), 1, false);
    QTest::qWait(50);
    QVERIFY(main.painted.isEmpty());

    // An element of another screen is not repainted.
    m_screen = 1;
    texts.setText(QStringLiteral("Elsewhere"), 1, true);
    QTest::qWait(50);
    QVERIFY(main.painted.isEmpty());
    m_screen = 0;
}

// ---------------------------------------------------------------- TStatusLine

void TestSkinWidgets::statusBlinksAndEnds() {
    Host main;
    TDynamicTextArray rows{textRow(0, 0, QStringLiteral("statusline"), QString()),
                           textRow(1, 0, QStringLiteral("statusline"), QString())};
    TTextMsg texts(rows, &main, screenFn());
    TStatusLine status(&texts);
    QCOMPARE(status.timer().interval(), 200);
    QVERIFY(!status.isBlinking());

    const QString msg = QStringLiteral("Текст не найден");
    status.show(msg);
    QVERIFY(status.isBlinking());
    QCOMPARE(status.phase(), 1);
    QCOMPARE(texts.text(0), msg);
    QCOMPARE(texts.text(1), msg);

    // 39 ticks alternate off (odd phases) and on (even phases).
    for (int tick = 1; tick <= 39; ++tick) {
        status.tick();
        const QString expected = (tick % 2) ? QString() : msg;
        QCOMPARE(texts.text(0), expected);
        QCOMPARE(texts.text(1), expected);
        QVERIFY(status.isBlinking());
    }
    QCOMPARE(status.phase(), 40);
    QCOMPARE(texts.text(0), QString()); // gone after the last step
    // The 40th tick stops the timer: 40 * 200 ms = 8 s after show().
    status.tick();
    QVERIFY(!status.isBlinking());
    QCOMPARE(texts.text(0), QString());
    QCOMPARE(status.message(), msg);
}

void TestSkinWidgets::statusShowRestartsBlinking() {
    Host main;
    TDynamicTextArray rows{textRow(0, 0, QStringLiteral("statusline"), QString())};
    TTextMsg texts(rows, &main, screenFn());
    TStatusLine status(&texts);
    status.show(QStringLiteral("Текст не найден"));
    for (int i = 0; i < 5; ++i) // one second of blinking
        status.tick();
    QCOMPARE(texts.text(0), QString()); // an "off" step
    status.show(QStringLiteral("Файл скопирован"));
    QCOMPARE(status.phase(), 1);
    QCOMPARE(texts.text(0), QStringLiteral("Файл скопирован"));
    QVERIFY(status.isBlinking());
    QCOMPARE(status.timer().remainingTime() > 150, true);
    // The new message blinks for a full round again.
    for (int i = 0; i < 39; ++i)
        status.tick();
    QVERIFY(status.isBlinking());
    status.tick();
    QVERIFY(!status.isBlinking());
}

void TestSkinWidgets::statusClearStops() {
    Host main;
    TDynamicTextArray rows{textRow(0, 0, QStringLiteral("statusline"), QString()),
                           textRow(0, 4, QString(), QStringLiteral("other"))};
    TTextMsg texts(rows, &main, screenFn());
    TStatusLine status(&texts);
    status.show(QStringLiteral("Введите слово для поиска"));
    status.tick();
    status.tick();
    status.clear();
    QVERIFY(!status.isBlinking());
    QCOMPARE(status.phase(), 1);
    QCOMPARE(status.message(), QString());
    QCOMPARE(texts.text(0), QString());
    QCOMPARE(texts.text(1), QStringLiteral("other")); // other lines untouched
}

void TestSkinWidgets::statusWithoutTextsDoesNothing() {
    Host main;
    TTextMsg texts(TDynamicTextArray{}, &main, screenFn());
    TStatusLine status(&texts);
    status.show(QStringLiteral("x"));
    QVERIFY(!status.isBlinking());
    QCOMPARE(status.message(), QString());
    TStatusLine none(nullptr);
    none.show(QStringLiteral("x"));
    none.clear();
    QVERIFY(!none.isBlinking());
}

void TestSkinWidgets::statusRealTimerDrivesTicks() {
    Host main;
    TDynamicTextArray rows{textRow(0, 0, QStringLiteral("statusline"), QString())};
    TTextMsg texts(rows, &main, screenFn());
    TStatusLine status(&texts);
    status.show(QStringLiteral("Файл скопирован"));
    QTRY_VERIFY_WITH_TIMEOUT(status.phase() >= 3, 2000);
}

// ---------------------------------------------------------------- TScaleBar

void TestSkinWidgets::scaleBarDrawsAndSteps() {
    QWidget dialog;
    QImage background(400, 250, QImage::Format_RGB32);
    background.fill(Qt::white);
    m_screen = 1;
    TScaleBar bar(&m_pack, screenFn());
    bar.setDialog(&dialog, &background);
    bar.showForScreen();
    QVERIFY(bar.hasPictures());
    QCOMPARE(bar.right(), 133);
    QCOMPARE(bar.bottom(), 85);
    QCOMPARE(bar.column(), 33);
    const QRgb grey = qRgb(128, 128, 128), green = qRgb(0, 200, 0), white = qRgb(255, 255, 255);
    QCOMPARE(countColor(background, QRect(33, 75, 100, 10), grey), 1000);
    QCOMPARE(background.pixel(32, 75), white);
    QCOMPARE(background.pixel(133, 75), white);

    for (int i = 0; i < 10; ++i)
        bar.step();
    QCOMPARE(bar.column(), 43);
    QCOMPARE(countColor(background, QRect(33, 75, 10, 10), green), 100);
    QCOMPARE(countColor(background, QRect(43, 75, 90, 10), grey), 900);

    // Steps past the end draw nothing outside the bar.
    for (int i = 0; i < 120; ++i)
        bar.step();
    QCOMPARE(countColor(background, QRect(33, 75, 100, 10), green), 1000);
    QCOMPARE(background.pixel(133, 80), white);

    // Reset starts the bar again at X.
    bar.reset();
    QCOMPARE(bar.column(), 33);
    QCOMPARE(countColor(background, QRect(33, 75, 100, 10), grey), 1000);
    m_screen = 0;
}

void TestSkinWidgets::scaleBarSecondShowKeepsPictures() {
    QWidget dialog;
    QImage background(400, 250, QImage::Format_RGB32);
    background.fill(Qt::white);
    m_screen = 1;
    TScaleBar bar(&m_pack, screenFn());
    bar.setDialog(&dialog, &background);
    bar.showForScreen();
    bar.showForScreen(); // the search dialog opened a second time
    QVERIFY(bar.hasPictures());
    bar.step();
    QCOMPARE(background.pixel(33, 80), qRgb(0, 200, 0));
    m_screen = 0;
}

void TestSkinWidgets::scaleBarLeavingScreenFreesPictures() {
    QWidget dialog;
    QImage background(400, 250, QImage::Format_RGB32);
    background.fill(Qt::white);
    m_screen = 1;
    TScaleBar bar(&m_pack, screenFn());
    bar.setDialog(&dialog, &background);
    bar.showForScreen();
    m_screen = 0;
    bar.showForScreen();
    QVERIFY(!bar.hasPictures());
    background.fill(Qt::white);
    bar.step(); // counts, but draws only on the bar's screen
    QCOMPARE(bar.column(), 34);
    QCOMPARE(countColor(background, background.rect(), qRgb(255, 255, 255)), 400 * 250);
}

void TestSkinWidgets::scaleBarAdvanceFollowsProgress() {
    QImage background(400, 250, QImage::Format_RGB32);
    background.fill(Qt::white);
    m_screen = 1;
    TScaleBar bar(&m_pack, screenFn());
    bar.setDialog(nullptr, &background);
    bar.showForScreen();
    // Four files over a 100-pixel bar: 25 columns per file.
    bar.advanceTo(1, 4);
    QCOMPARE(bar.column() - TScaleBar::kX, 26);
    bar.advanceTo(2, 4);
    QCOMPARE(bar.column() - TScaleBar::kX, 51);
    bar.advanceTo(2, 4); // nothing more for the same file
    QCOMPARE(bar.column() - TScaleBar::kX, 51);
    bar.advanceTo(4, 4);
    QCOMPARE(bar.column() - TScaleBar::kX, 101);
    QCOMPARE(countColor(background, QRect(33, 75, 100, 10), qRgb(0, 200, 0)), 1000);
    bar.advanceTo(1, 0); // no files: nothing
    QCOMPARE(bar.column() - TScaleBar::kX, 101);
    m_screen = 0;
}

void TestSkinWidgets::scaleBarWithoutPictures() {
    m_screen = 1;
    TScaleBar bar(nullptr, screenFn());
    bar.showForScreen(); // no pack, no dialog
    QVERIFY(!bar.hasPictures());
    QCOMPARE(bar.right(), TScaleBar::kX);
    bar.step();
    bar.advanceTo(3, 3);
    bar.reset();
    QCOMPARE(bar.column(), TScaleBar::kX);
    m_screen = 0;
}

// ---------------------------------------------------------------- TPathInputBox

namespace {
RPath pathRow(int screen, const QString& def, int x = 33, int y = 487, int r = 420, int b = 507) {
    RPath p;
    p.vx = x;
    p.vy = y;
    p.vw = r;
    p.vh = b;
    p.pathdef = def;
    p.hint = QStringLiteral("Папка для копий");
    p.screen = screen;
    return p;
}
} // namespace

void TestSkinWidgets::pathStartTextAndPlacement() {
    const QString title = QStringLiteral("PathStart");
    TSettingsStore store(title);
    store.writeText(settings::pathInstall(0), QStringLiteral("/data/stored/"));
    store.writeText(settings::pathInstall(2), QString()); // empty: pathdef shows

    QWidget main;
    main.resize(740, 560);
    TDynamicPathArray rows{pathRow(0, QStringLiteral("/x/def0/")),
                           pathRow(0, QStringLiteral("~\\vantrel\\"), 33, 520, 300, 540),
                           pathRow(1, QStringLiteral("/x/def2/"))};
    TPathInputBox boxes(rows, &main, title, screenFn());
    QCOMPARE(boxes.count(), 3);
    QCOMPARE(boxes.box(0)->text(), QStringLiteral("/data/stored/"));
    QCOMPARE(boxes.box(1)->text(),
             QDir::toNativeSeparators(QDir::homePath() + QStringLiteral("/vantrel/")));
    QCOMPARE(boxes.box(2)->text(), QStringLiteral("/x/def2/"));

    QLineEdit* e = boxes.box(0);
    QCOMPARE(e->parentWidget(), &main);
    QCOMPARE(e->geometry(), QRect(33, 487, 387, 20));
    QVERIFY(!e->hasFrame());
    QVERIFY(e->isHidden());
    QCOMPARE(e->toolTip(), QStringLiteral("Папка для копий"));
    // The font's line height fits (bottom - top) - 1 pixels.
    const int h = QFontMetrics(e->font()).height();
    QVERIFY2(h <= 19 && h >= 14, qPrintable(QString::number(h)));

    QCOMPARE(TPathInputBox::expandHome(QStringLiteral("~user/x")), QStringLiteral("~user/x"));
    QCOMPARE(TPathInputBox::expandHome(QStringLiteral("/abs/")), QStringLiteral("/abs/"));
}

void TestSkinWidgets::pathScreensAndHiding() {
    QWidget main;
    TDynamicPathArray rows{pathRow(0, QStringLiteral("/a/")), pathRow(1, QStringLiteral("/b/")),
                           pathRow(1, QStringLiteral("/c/"))};
    TPathInputBox boxes(rows, &main, QStringLiteral("PathScreens"), screenFn());
    m_screen = 0;
    boxes.showForScreen();
    QVERIFY(!boxes.box(0)->isHidden());
    QVERIFY(boxes.box(1)->isHidden());
    m_screen = 1;
    boxes.showForScreen();
    QVERIFY(boxes.box(0)->isHidden());
    QVERIFY(!boxes.box(1)->isHidden());
    QVERIFY(!boxes.box(2)->isHidden());
    boxes.setHidden(true);
    QVERIFY(boxes.box(1)->isHidden());
    QVERIFY(boxes.box(2)->isHidden());
    QVERIFY(boxes.box(0)->isHidden());
    boxes.setHidden(false);
    QVERIFY(!boxes.box(1)->isHidden());
    QVERIFY(boxes.box(0)->isHidden()); // another screen's box stays hidden
    m_screen = 0;
}

void TestSkinWidgets::pathGetPath() {
    QWidget main;
    TDynamicPathArray rows{pathRow(1, QStringLiteral("/first/no/slash")),
                           pathRow(1, QStringLiteral("/second/"))};
    TPathInputBox boxes(rows, &main, QStringLiteral("PathGet"), screenFn());
    m_screen = 0;
    QCOMPARE(boxes.getPath(), QString()); // no box on this screen
    m_screen = 1;
    // The first box of the screen, as a path text with one trailing backslash.
    QCOMPARE(boxes.getPath(), QStringLiteral("\\first\\no\\slash\\"));
    boxes.box(0)->setText(QStringLiteral("\\already\\"));
    QCOMPARE(boxes.getPath(), QStringLiteral("\\already\\"));
    boxes.box(0)->setText(QStringLiteral("/typed/folder/"));
    QCOMPARE(boxes.getPath(), QStringLiteral("\\typed\\folder\\"));
    boxes.box(0)->setText(QStringLiteral("~/copies"));
    QCOMPARE(boxes.getPath(),
             BookPaths::fromNative(QDir::homePath()) + QStringLiteral("\\copies\\"));
    // An emptied box names no folder at all (never the root folder).
    boxes.box(0)->setText(QStringLiteral("   "));
    QCOMPARE(boxes.getPath(), QString());
    m_screen = 0;
}

void TestSkinWidgets::pathSavedAtDestruction() {
    const QString title = QStringLiteral("PathSave");
    {
        QWidget main;
        TDynamicPathArray rows{pathRow(0, QStringLiteral("/d0/")),
                               pathRow(0, QStringLiteral("/d1/"))};
        TPathInputBox boxes(rows, &main, title, screenFn());
        boxes.box(1)->setText(QStringLiteral("/home/reader/Документы/"));
    }
    TSettingsStore store(title);
    QCOMPARE(store.readText(settings::pathInstall(0)).value_or(QString()), QStringLiteral("/d0/"));
    QCOMPARE(store.readText(settings::pathInstall(1)).value_or(QString()),
             QStringLiteral("/home/reader/Документы/"));
    // The next run starts with the stored folders.
    QWidget main;
    TDynamicPathArray rows{pathRow(0, QStringLiteral("/d0/")), pathRow(0, QStringLiteral("/d1/"))};
    TPathInputBox again(rows, &main, title, screenFn());
    QCOMPARE(again.box(1)->text(), QStringLiteral("/home/reader/Документы/"));
}

void TestSkinWidgets::pathMouseMoveClearsSkinHover() {
    QWidget main;
    main.resize(500, 560);
    TDynamicPathArray rows{pathRow(0, QStringLiteral("/a/"))};
    TPathInputBox boxes(rows, &main, QStringLiteral("PathMouse"), screenFn());
    m_screen = 0;
    boxes.showForScreen();
    main.show();
    QVERIFY(QTest::qWaitForWindowExposed(&main));
    QSignalSpy moved(&boxes, &TPathInputBox::skinMouseMove);
    QMouseEvent move(QEvent::MouseMove, QPointF(5, 5), boxes.box(0)->mapToGlobal(QPointF(5, 5)),
                     Qt::NoButton, Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(boxes.box(0), &move);
    QCOMPARE(moved.count(), 1);
    QCOMPARE(moved.at(0).at(0).toInt(), -1);
    QCOMPARE(moved.at(0).at(1).toInt(), -1);
}

QTEST_MAIN(TestSkinWidgets)
#include "tst_skinwidgets.moc"
