// The popups of the demo book's window: the history lists and favourites
// under their buttons, the page's menu, and the cover's own menu.
#include "app/TMainForm.h"
#include "app/TReadingScreen.h"
#include "data/SettingsStore.h"
#include "engine/TFrameViewer.h"
#include "reader/THtmlFavorite.h"
#include "reader/THtmlFrame.h"
#include "skin/TControlPopupWindow.h"
#include "skin/TPopupWindow.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

namespace {

int buttonWith(TMainForm& form, const QString& command) {
    const TDynamicBtnArray& buttons = form.elements()->buttons();
    for (int i = 0; i < buttons.size(); ++i)
        if (buttons[i].go == command)
            return i;
    return -1;
}

QString shownPage(TMainForm& form) {
    TFrameViewer* v = form.reading()->frame()->CurrentViewer();
    return v ? v->currentFile().section(u'\\', -1).toLower() : QString();
}

void press(TPopupWindow* p, int item) {
    p->pointerPressed(p->item(item).pos + QPoint(10, 10));
}

} // namespace

class TestReadingPopups : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void listsFollowTheReader();
    void pageMenuAndCoverMenu();

private:
    QTemporaryDir m_tmp;
    QString m_book;
};

void TestReadingPopups::initTestCase() {
    QVERIFY(m_tmp.isValid());
    TSettingsStore::setLocation(m_tmp.filePath("settings"));
    m_book = QStringLiteral(VANTREL_BINARY_DIR) + "/demo-book/run";
    if (!QFile::exists(m_book + "/Dod.dhl"))
        QSKIP("the demo book is not built");
}

void TestReadingPopups::listsFollowTheReader() {
    TMainForm form;
    QCOMPARE(form.FormCreate(m_book, {}), std::nullopt);
    form.Dispatch("screen2=p01_intro.htm", "", false, FromButton, 0);
    QTRY_COMPARE(shownPage(form), QString("p01_intro.htm"));
    TControlPopupWindow* popups = form.reading()->popups();
    QVERIFY(popups);
    QCOMPARE(popups->screen(), 1);
    TPopupWindow* favourites = popups->popup(TControlPopupWindow::Favorites);
    QVERIFY(favourites);
    QCOMPARE(favourites->visibleItemCount(), 0);

    // A favourite added shows in its list, which opens under its button.
    QVERIFY(form.reading()->addToFavorites());
    QCOMPARE(favourites->visibleItemCount(), 1);
    const int show = buttonWith(form, "showfavorite");
    form.Dispatch("showfavorite", "", false, FromButton, show);
    QVERIFY(favourites->isVisible());
    const RBtn& b = form.elements()->buttons()[show];
    QCOMPARE(favourites->pos(), form.mapToGlobal(QPoint(b.vx, b.bottom)));
    QVERIFY(!favourites->deleteMode());
    // Delete mode takes it out of the list and out of the favourites.
    form.Dispatch("deletefromfavorite", "", false, FromButton,
                  buttonWith(form, "deletefromfavorite"));
    QVERIFY(favourites->deleteMode());
    press(favourites, 0);
    QCOMPARE(form.reading()->favorites()->count(), 0);
    QVERIFY(!favourites->isVisible());

    // The history lists follow the pages read.
    form.Dispatch("html20=p02_specs.htm", "", false, FromButton, 0);
    QTRY_COMPARE(shownPage(form), QString("p02_specs.htm"));
    TPopupWindow* back = popups->popup(TControlPopupWindow::HistoryBack);
    TPopupWindow* forward = popups->popup(TControlPopupWindow::HistoryForward);
    QCOMPARE(back->visibleItemCount(), 1);
    QCOMPARE(forward->visibleItemCount(), 0);
    const int backButton = buttonWith(form, "historyback");
    form.Dispatch("historyback", "", false, FromButton, backButton);
    QVERIFY(back->isVisible());
    const RBtn& bb = form.elements()->buttons()[backButton];
    QCOMPARE(back->geometry().right() + 1, form.mapToGlobal(QPoint(bb.right, 0)).x());
    press(back, 0);
    QTRY_COMPARE(shownPage(form), QString("p01_intro.htm"));
    QVERIFY(!back->isVisible());
    QCOMPARE(back->visibleItemCount(), 0);
    QCOMPARE(forward->visibleItemCount(), 1);
    QCOMPARE(forward->item(7).command, QString("history=0"));
}

void TestReadingPopups::pageMenuAndCoverMenu() {
    TMainForm form;
    QCOMPARE(form.FormCreate(m_book, {}), std::nullopt);
    TControlPopupWindow* popups = form.reading()->popups();
    QVERIFY(popups);
    // The cover's own menu, shaped by its outline, opens the reading screen.
    QCOMPARE(popups->popups().size(), 1);
    form.Dispatch("contextmenu1", "", false, FromButton, buttonWith(form, "contextmenu1"));
    TPopupWindow* sections = popups->popup(1);
    QVERIFY(sections && sections->isVisible());
    QVERIFY(!sections->mask().isEmpty());
    QVERIFY(!sections->mask().contains(QPoint(1, 1)));
    press(sections, 1);
    QTRY_COMPARE(form.currentScreen(), 1);
    QTRY_COMPARE(shownPage(form), QString("p03_engine.htm"));
    QVERIFY(!popups->popup(1));

    // A right click in the page: its menu, driven by the keys.
    emit form.reading()->frame()->contextPopupRequested(form.mapToGlobal(QPoint(300, 300)));
    TPopupWindow* menu = popups->popup(TControlPopupWindow::ContextHtml);
    QVERIFY(menu->isVisible());
    QCOMPARE(menu->visibleItemCount(), 6);
    const int before = form.reading()->favorites()->count();
    for (int i = 0; i < 3; ++i)
        QTest::keyClick(&form, Qt::Key_Down);
    QCOMPARE(menu->hoveredItem(), 2);
    QTest::keyClick(&form, Qt::Key_Return);
    QVERIFY(!menu->isVisible());
    QTRY_COMPARE(form.reading()->favorites()->count(), before + 1);
    // A press on the window closes an open popup.
    emit form.reading()->frame()->contextPopupRequested(form.mapToGlobal(QPoint(300, 300)));
    QVERIFY(menu->isVisible());
    QTest::mousePress(&form, Qt::LeftButton, Qt::NoModifier, QPoint(5, 300));
    QVERIFY(!menu->isVisible());
}

QTEST_MAIN(TestReadingPopups)
#include "tst_readingpopups.moc"
