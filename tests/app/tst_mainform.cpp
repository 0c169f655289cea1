#include "TestBook.h"

#include "app/TMainForm.h"
#include "app/TReadingScreen.h"
#include "app/TStandardLook.h"
#include "data/SettingsStore.h"
#include "engine/TFrameViewer.h"
#include "platform/Busy.h"
#include "reader/THtmlFrame.h"
#include "skin/TPathInputBox.h"
#include "skin/TStatusLine.h"
#include "skin/TTextMsg.h"

#include <QLineEdit>
#include <QMenu>
#include <QToolBar>
#include <QToolButton>

#include <QApplication>
#include <QCursor>
#include <QDir>
#include <QFile>
#include <QFontDatabase>
#include <QFontMetrics>
#include <QTemporaryDir>
#include <QTest>

namespace {

QStringList commandTexts(const QList<RCommand>& commands) {
    QStringList texts;
    for (const RCommand& c : commands)
        texts << c.text;
    return texts;
}

QRgb probe(TMainForm& form, QPoint p) {
    return form.grab().toImage().pixel(p);
}

} // namespace

class TestMainForm : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void missingFilesEndTheProgram();
    void standardWindow();
    void startsAndReplays();
    void secondCopyEndsQuietly();
    void screenSwitchingAndReplay();
    void skinWidgetsFollowTheScreen();
    void pathBoxFontSizeFits();
    void mouseDrivesTheWindow();
    void exitAnimatesAndStoresSwitches();
    void fontsLiveWhileTheProgramRuns();
    void runHintsAndMinimize();
    void keyboard();
    void droppedFiles();

private:
    QString book(const QString& title);
    QTemporaryDir m_tmp;
    int m_books = 0;
};

void TestMainForm::initTestCase() {
    QVERIFY(m_tmp.isValid());
    TSettingsStore::setLocation(m_tmp.filePath("settings"));
}

QString TestMainForm::book(const QString& title) {
    const QString dir = m_tmp.filePath(QString("book%1/run").arg(++m_books));
    QString error;
    if (!testbook::write(dir, testbook::description(title), testbook::pictures(), &error))
        qWarning() << error;
    return dir;
}

void TestMainForm::missingFilesEndTheProgram() {
    {
        TMainForm form;
        const QString empty = m_tmp.filePath("empty");
        QDir().mkpath(empty);
        QCOMPARE(form.FormCreate(empty, {}), std::optional<int>(1));
        QVERIFY(!form.isVisible());
    }
    {
        const QString dir = m_tmp.filePath("nostruct");
        QVERIFY(testbook::write(dir, {}, testbook::pictures()));
        TMainForm form;
        QCOMPARE(form.FormCreate(dir, {}), std::optional<int>(1));
    }
    {
        // A damaged pack is a missing one.
        const QString dir = m_tmp.filePath("damaged");
        QDir().mkpath(dir);
        QFile f(dir + "/Dod.dhl");
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write("\x05\x00garbage", 9);
        f.close();
        TMainForm form;
        QCOMPARE(form.FormCreate(dir, {}), std::optional<int>(1));
    }
}

void TestMainForm::standardWindow() {
    const QString dir = book("Modes");
    const auto write = [&](const QString& name, const QByteArray& html) {
        QFile f(dir + "/" + name);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(html);
    };
    write("page.htm", "<html><head><title>One</title></head><body><p>Page one</p>"
                      "<a href=\"two.htm\">two</a></body></html>");
    write("two.htm", "<html><head><title>Two</title></head><body><p>Page two</p></body></html>");
    {
        // A help start: the page in an ordinary window under its toolbar,
        // captioned "Помощь", with no way to the skinned look.
        TMainForm help;
        QCOMPARE(help.FormCreate(dir, {"page.htm", "/h"}), std::nullopt);
        QCOMPARE(help.windowTitle(), QString("Помощь"));
        QVERIFY(help.isVisible());
        TFrameViewer* viewer = help.reading()->frame()->CurrentViewer();
        QVERIFY(viewer && viewer->isVisible());
        QVERIFY(viewer->currentFile().endsWith("page.htm"));
        QCOMPARE(viewer->geometry(), help.contentsRect());
        QVERIFY(help.contentsRect().top() >= help.standardLook()->toolBar()->height());
        QVERIFY(help.standardLook()->button(2)->isVisible());  // "Печать"
        QVERIFY(!help.standardLook()->button(3)->isVisible()); // "Свернуть"
        // The history menus follow the pages read.
        viewer->loadFile(BookPaths::fromNative(dir + "/two.htm"));
        const QList<QAction*> back = help.standardLook()->backMenu()->actions();
        QVERIFY(back[0]->isVisible());
        QCOMPARE(back[0]->text(),
                 (QString("One--") + BookPaths::fromNative(dir + "/page.htm")).left(80));
        QVERIFY(!back[1]->isVisible());
        QVERIFY(help.standardLook()->button(0)->isEnabled());
        QVERIFY(!help.standardLook()->button(1)->isEnabled());
        QCOMPARE(help.windowTitle(), QString("Помощь"));
    }
    {
        // A document path that holds "/t" is no thesaurus switch; a picture
        // or document window is captioned "Увеличенная картинка".
        TMainForm doc;
        QCOMPARE(doc.FormCreate(dir, {dir + "/page.htm"}), std::nullopt);
        QCOMPARE(doc.windowTitle(), QString("Увеличенная картинка"));
    }
    // "/t" anywhere else asks for the thesaurus window, which this book
    // does not describe (no Tesaurus.cfs): the copy ends with a reason.
    TMainForm thesaurus;
    QCOMPARE(thesaurus.FormCreate(dir, {"x/tpage.htm"}), std::optional<int>(1));
    QVERIFY(thesaurus.thesaurusMode());
    QVERIFY(!thesaurus.isVisible());

    // None took the book's key: the skinned window starts, enters the
    // standard look with "standartwin" and comes back with "Свернуть".
    TMainForm c;
    QCOMPARE(c.FormCreate(dir, {}), std::nullopt);
    const QSize skinSize = c.size();
    c.Dispatch("screen2=page.htm", QString(), false, FromButton, 0);
    TFrameViewer* viewer = c.reading()->frame()->CurrentViewer();
    QVERIFY(viewer && viewer->isVisible());
    const QRect inPanel = viewer->geometry();
    c.Dispatch("standartwin", QString(), false, FromButton, 0);
    QVERIFY(c.standardLook()->active());
    QCOMPARE(c.windowTitle(), QString("Увеличенная картинка"));
    QVERIFY(c.standardLook()->button(3)->isVisible());
    QCOMPARE(viewer->parentWidget(), &c);
    QCOMPARE(viewer->geometry(), c.contentsRect());
    c.standardLook()->button(3)->click();
    QVERIFY(!c.standardLook()->active());
    QCOMPARE(c.windowTitle(), QString("Modes"));
    QCOMPARE(c.size(), skinSize);
    QCOMPARE(viewer->geometry(), inPanel);
}

void TestMainForm::startsAndReplays() {
    TMainForm form;
    QCOMPARE(form.FormCreate(book("Starts"), {}), std::nullopt);
    QCOMPARE(form.windowTitle(), QString("Starts"));
    // Path joins outside the window (wave files, pages) anchor at this book.
    QCOMPARE(BookPaths::current().bookRoot(), form.paths().bookRoot());
    QVERIFY(BookPaths::joinPath(form.paths().baseDir(), "..\\snd\\a.wav")
                .startsWith(form.paths().bookRoot()));
    QCOMPARE(form.size(), QSize(300, 200));
    QVERIFY(form.isVisible());
    QCOMPARE(form.currentScreen(), 0);
    // minimize and close templates follow the listed buttons.
    QCOMPARE(form.model().screens[0].buttons.size(), 3);
    QCOMPARE(form.model().screens[0].buttons[2].go, QString("exit"));
    // The switches of screen 1 replayed once, silently.
    QCOMPARE(commandTexts(form.executed()), (QStringList{"offtree", "caseon"}));
    for (const RCommand& c : form.executed())
        QVERIFY(c.replay);
    QTRY_VERIFY_WITH_TIMEOUT(!form.openingRunning(), 5000);
    // The opening leaves the whole 300 x 200 window visible.
    QVERIFY(form.mask().contains(QRect(0, 0, 300, 200)));
    QCOMPARE(probe(form, {5, 5}), testbook::skin1);
    QCOMPARE(probe(form, {30, 30}), testbook::btnNormal);
    QCOMPARE(probe(form, {30, 110}), testbook::swOn);
    QCOMPARE(probe(form, {70, 110}), testbook::swOff);
}

void TestMainForm::secondCopyEndsQuietly() {
    const QString dir = book("Single");
    TMainForm first;
    QCOMPARE(first.FormCreate(dir, {}), std::nullopt);
    TMainForm second;
    QCOMPARE(second.FormCreate(dir, {}), std::optional<int>(0));
    QVERIFY(!second.isVisible());
    // Another title is another book.
    TMainForm other;
    QCOMPARE(other.FormCreate(book("Single2"), {}), std::nullopt);
}

void TestMainForm::screenSwitchingAndReplay() {
    TMainForm form;
    QCOMPARE(form.FormCreate(book("Screens"), {}), std::nullopt);
    const qsizetype before = form.executed().size();
    QCOMPARE(form.Dispatch("screen2=page.htm", "click.wav", false, 0, 0), Verb::Screen);
    QCOMPARE(form.currentScreen(), 1);
    QCOMPARE(form.executed()[before].value, form.paths().baseDir() + "page.htm");
    // After the switch the switches of screen 2 replay: it has none.
    QCOMPARE(form.executed().size(), before + 1);
    QCOMPARE(probe(form, {5, 5}), testbook::skin2);
    QCOMPARE(form.Dispatch("1", "", false, 0, 0), Verb::Screen);
    QCOMPARE(form.currentScreen(), 0);
    // Back on screen 1: the switchone pass twice, then the group switch.
    QCOMPARE(commandTexts(form.executed().mid(before + 2)),
             (QStringList{"offtree", "offtree", "caseon"}));
    QCOMPARE(form.Dispatch("7", "", false, 0, 0), Verb::None);

    // A busy phase takes no commands; building a screen is none (its
    // switches replayed above while the hourglass showed).
    busy::setBusy(true);
    QCOMPARE(form.Dispatch("2", "", false, 0, 0), Verb::None);
    QCOMPARE(form.currentScreen(), 0);
    busy::setBusy(false);
    QCOMPARE(form.Dispatch("2", "", false, 0, 0), Verb::Screen);
    QCOMPARE(form.currentScreen(), 1);
}

void TestMainForm::skinWidgetsFollowTheScreen() {
    TMainForm form;
    QCOMPARE(form.FormCreate(book("Widgets"), {}), std::nullopt);
    QTRY_VERIFY_WITH_TIMEOUT(!form.openingRunning(), 5000);
    QVERIFY(form.texts());
    QCOMPARE(form.texts()->count(), 1);
    QVERIFY(form.statusLine());
    QVERIFY(form.scaleBar());
    QVERIFY(!form.piston()); // the book has no piston.gif
    QCOMPARE(form.pathBoxes()->count(), 1);
    QVERIFY(form.pathBoxes()->box(0)->isVisible());
    // The text is painted on the skin.
    const QImage before = form.grab().toImage();
    int white = 0;
    for (int x = 100; x < 160; ++x)
        for (int y = 150; y < 165; ++y)
            white += before.pixel(x, y) == qRgb(255, 255, 255);
    QVERIFY(white > 10);
    form.statusLine()->show("copied");
    QCOMPARE(form.texts()->text(0), QString("copied"));
    form.Dispatch("2", "", false, 0, 0);
    QVERIFY(!form.pathBoxes()->box(0)->isVisible());
    form.Dispatch("1", "", false, 0, 0);
    QVERIFY(form.pathBoxes()->box(0)->isVisible());
    QCOMPARE(form.currentScreen(), 0);
}

// The path box's font size is the largest whose line height fits, as a search
// one size at a time from the top finds it.
void TestMainForm::pathBoxFontSizeFits() {
    const auto byStep = [](const QString& family, int height) {
        QFont font(family);
        int size = height;
        while (size > 1) {
            font.setPixelSize(size);
            if (QFontMetrics(font).height() <= height)
                break;
            --size;
        }
        return qMax(1, size);
    };
    const QString families[] = {QApplication::font().family(), QStringLiteral("Liberation Serif"),
                                QStringLiteral("Liberation Mono"), QStringLiteral("DejaVu Sans")};
    for (const QString& family : families)
        for (int height = -1; height <= 64; ++height)
            QCOMPARE(TPathInputBox::fontPixelSizeFor(family, height), byStep(family, height));
}

void TestMainForm::mouseDrivesTheWindow() {
    TMainForm form;
    QCOMPARE(form.FormCreate(book("Mouse"), {}), std::nullopt);
    QTRY_VERIFY_WITH_TIMEOUT(!form.openingRunning(), 5000);
    QVERIFY(QTest::qWaitForWindowExposed(&form));
    form.setButtonSoundsOn(false);
    // Hover fades the button to its hover picture.
    QTest::mouseMove(&form, {30, 30});
    QTRY_COMPARE_WITH_TIMEOUT(probe(form, {30, 30}), testbook::btnHover, 3000);
    // A click on the group switch of the same group moves the "on".
    QTest::mouseClick(&form, Qt::LeftButton, {}, {70, 110});
    QCOMPARE(commandTexts(form.executed()).last(), QString("caseoff"));
    QTest::mouseMove(&form, {150, 150});
    QTRY_COMPARE_WITH_TIMEOUT(probe(form, {70, 110}), testbook::swOn, 3000);
    QCOMPARE(probe(form, {30, 110}), testbook::swOff);
    // Shift+click on the switchone: state only.
    const qsizetype n = form.executed().size();
    QTest::mouseClick(&form, Qt::LeftButton, Qt::ShiftModifier, {30, 70});
    QCOMPARE(form.executed().size(), n);
    QVERIFY(form.model().screens[0].switchone[0].on);
    // Leaving the window takes the hover look away.
    QTest::mouseMove(&form, {30, 30});
    QTRY_VERIFY(form.elements()->buttonPics()[0].hovered);
    QCursor::setPos(form.mapToGlobal(QPoint(-50, -50)));
    QEvent leave(QEvent::Leave);
    QApplication::sendEvent(&form, &leave);
    QVERIFY(!form.elements()->buttonPics()[0].hovered);
    // The reading-screen button switches screens.
    QTest::mouseMove(&form, {30, 30});
    QTest::mouseClick(&form, Qt::LeftButton, {}, {30, 30});
    QCOMPARE(form.currentScreen(), 1);
    QCOMPARE(probe(form, {5, 5}), testbook::skin2);
}

void TestMainForm::exitAnimatesAndStoresSwitches() {
    const QString dir = book("Stored");
    {
        TMainForm form;
        QCOMPARE(form.FormCreate(dir, {}), std::nullopt);
        QTRY_VERIFY_WITH_TIMEOUT(!form.openingRunning(), 5000);
        QTest::mouseClick(&form, Qt::LeftButton, {}, {30, 70});  // switchone on
        QTest::mouseClick(&form, Qt::LeftButton, {}, {70, 110}); // second group switch on
        QCOMPARE(form.Dispatch("exit", "", false, 0, 2), Verb::Exit);
        QVERIFY(form.closingRunning());
        QVERIFY(form.isVisible()); // the animation runs first
        TSettingsStore early("Stored");
        QVERIFY(!early.readBool("SwOne00").has_value());
        QTRY_VERIFY_WITH_TIMEOUT(!form.mask().contains(QPoint(150, 100)), 10000);
        QTRY_VERIFY_WITH_TIMEOUT(early.readBool("SwOne00").has_value(), 10000);
    }
    TSettingsStore settings("Stored");
    QCOMPARE(settings.readBool("SwOne00"), std::optional<bool>(true));
    QCOMPARE(settings.readBool("SwGrp00"), std::optional<bool>(false));
    QCOMPARE(settings.readBool("SwGrp01"), std::optional<bool>(true));

    // The next start finds them (and replays them).
    TMainForm again;
    QCOMPARE(again.FormCreate(dir, {}), std::nullopt);
    QVERIFY(again.model().screens[0].switchone[0].on);
    QVERIFY(!again.model().screens[0].switchgrp[0].on);
    QVERIFY(again.model().screens[0].switchgrp[1].on);
    QCOMPARE(commandTexts(again.executed()), (QStringList{"ontree", "caseoff"}));
    QCOMPARE(probe(again, {30, 70}), testbook::swOn);
}

void TestMainForm::fontsLiveWhileTheProgramRuns() {
    const QString dir = book("Fonts");
    const QString font = "/usr/share/fonts/truetype/dejavu/DejaVuSansMono.ttf";
    if (!QFile::exists(font))
        QSKIP("no DejaVu font on this machine");
    QVERIFY(QFile::copy(font, dir + "/Book.ttf"));
    QVERIFY(QFile::copy(font, dir + "/notafont.txt"));
    int families = 0;
    {
        TMainForm form;
        QCOMPARE(form.FormCreate(dir, {}), std::nullopt);
        QCOMPARE(form.registeredFonts().size(), 1);
        QVERIFY(form.registeredFonts()[0].endsWith("Book.ttf"));
        families = QFontDatabase::families().size();
        QVERIFY(QFontDatabase::families().contains("DejaVu Sans Mono"));
    }
    Q_UNUSED(families);
}

void TestMainForm::runHintsAndMinimize() {
    const QString dir = book("Run");
    // "run" starts a program from its own folder with the second value as
    // its parameters, and the window keeps running.
    QFile script(dir + "/tools/mark.sh");
    QDir().mkpath(dir + "/tools");
    QVERIFY(script.open(QIODevice::WriteOnly));
    script.write("#!/bin/sh\necho \"$1 $2\" > \"$(pwd)/ran.txt\"\n");
    script.close();
    script.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    TMainForm form;
    QCOMPARE(form.FormCreate(dir, {}), std::nullopt);
    QCOMPARE(form.Dispatch("run=tools\\mark.sh=one two", "", false, 0, 0), Verb::Run);
    QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(dir + "/tools/ran.txt"), 5000);
    auto ran = [&dir] {
        QFile f(dir + "/tools/ran.txt");
        return f.open(QIODevice::ReadOnly) ? f.readAll().trimmed() : QByteArray();
    };
    QTRY_COMPARE_WITH_TIMEOUT(ran(), QByteArray("one two"), 5000);
    QVERIFY(form.isVisible());

    // Every element carries its hint on a hint area that covers it exactly.
    QStringList hints;
    for (QWidget* w : form.findChildren<QWidget*>())
        if (!w->toolTip().isEmpty() && w->isVisible())
            hints << QString("%1@%2,%3").arg(w->toolTip()).arg(w->x()).arg(w->y());
    hints.sort();
    QVERIFY(hints.contains("button screen2=page.htm@20,20"));
    QVERIFY(hints.contains("tree@20,60"));
    QVERIFY(hints.contains("leave@275,5"));

    // "minimize" from the template button: the window goes down, the button
    // loses its hover.
    QTRY_VERIFY_WITH_TIMEOUT(!form.openingRunning(), 5000);
    QTest::mouseMove(&form, {255, 10});
    QTest::mouseClick(&form, Qt::LeftButton, {}, {255, 10});
    QCOMPARE(commandTexts(form.executed()).last(), QString("minimize"));
    QVERIFY(form.windowState() & Qt::WindowMinimized);
    QVERIFY(!form.elements()->buttonPics()[1].hovered);
}

void TestMainForm::keyboard() {
    TMainForm form;
    QCOMPARE(form.FormCreate(book("Keys"), {}), std::nullopt);
    QTRY_VERIFY_WITH_TIMEOUT(!form.openingRunning(), 5000);
    // The reading keys do nothing on the cover.
    QTest::keyClick(&form, Qt::Key_Up, Qt::ShiftModifier);
    QVERIFY(!commandTexts(form.executed()).contains("prevchapter"));
    form.Dispatch("2", "", false, 0, 0);
    QTest::keyClick(&form, Qt::Key_Up, Qt::ShiftModifier);
    QCOMPARE(form.executed().last().text, QString("prevchapter"));
    QVERIFY(form.executed().last().replay); // keyboard commands are silent
    QTest::keyClick(&form, Qt::Key_Down, Qt::ShiftModifier);
    QCOMPARE(form.executed().last().text, QString("nextchapter"));
    // Shift+Home: screen 1, also while a control of the window has the focus.
    form.Dispatch("1", "", false, 0, 0);
    QLineEdit* box = form.pathBoxes()->box(0);
    form.Dispatch("2", "", false, 0, 0);
    QCOMPARE(form.currentScreen(), 1);
    box->show();
    box->setFocus();
    QTest::keyClick(box, Qt::Key_Home, Qt::ShiftModifier);
    QCOMPARE(form.currentScreen(), 0);
    // Keys the window does not take reach the control.
    box->setText("abc");
    QTest::keyClick(box, Qt::Key_X);
    QCOMPARE(box->text(), QString("abcx"));
}

void TestMainForm::droppedFiles() {
    QCOMPARE(TMainForm::dropTarget("/home/u/Page.HTML"), 1);
    QCOMPARE(TMainForm::dropTarget("notes.txt"), 1);
    QCOMPARE(TMainForm::dropTarget("photo.jpeg"), 1);
    QCOMPARE(TMainForm::dropTarget("parts.rar"), 2);
    QCOMPARE(TMainForm::dropTarget("horn.WAV"), 3);
    QCOMPARE(TMainForm::dropTarget("song.mp3"), 3);
    QCOMPARE(TMainForm::dropTarget("setup.exe"), 0);
    // Pages come first: "a.gif.rar" names a picture.
    QCOMPARE(TMainForm::dropTarget("a.gif.rar"), 1);
    // Only the first 200 characters are looked at.
    QCOMPARE(TMainForm::dropTarget(QString(200, 'x') + ".htm"), 0);
}

QTEST_MAIN(TestMainForm)
#include "tst_mainform.moc"
