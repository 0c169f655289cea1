// Skinned popups: item layout, captions, hit testing, the keyboard, delete
// mode, placement and closing.
#include "skin/TControlPopupWindow.h"
#include "skin/TPopupWindow.h"

#include <QHash>
#include <QPainter>
#include <QSignalSpy>
#include <QTest>

namespace {

// Pictures as a book's pack would give them: a 190x130 background whose
// margins differ from its middle, and 180x22 items.
QHash<QString, QImage> pictures() {
    QHash<QString, QImage> p;
    QImage bg(190, 130, QImage::Format_RGB32);
    bg.fill(QColor(28, 36, 48));
    QPainter painter(&bg);
    painter.fillRect(QRect(0, 0, 190, 5), Qt::red);     // top margin
    painter.fillRect(QRect(0, 125, 190, 5), Qt::green); // bottom margin
    painter.end();
    p.insert("bg.bmp", bg);
    for (const char* name : {"up.bmp", "mv.bmp", "dn.bmp", "wide.bmp"}) {
        QImage item(QString(name) == "wide.bmp" ? 120 : 180, 22, QImage::Format_RGB32);
        item.fill(QString(name) == "up.bmp" ? Qt::black : Qt::blue);
        p.insert(name, item);
    }
    return p;
}

TItemsBtn::PictureLoader loader() {
    static const QHash<QString, QImage> all = pictures();
    return [](const QString& name) { return all.value(name); };
}

RPopupData record(int type, const QStringList& captions = {}, const QStringList& go = {}) {
    RPopupData d;
    d.xfon = d.yfon = -1;
    d.fnfon = "bg.bmp";
    d.xbtn = 5;
    d.ybtn = 5;
    // List values come path-resolved: the pack entry is the file name.
    d.fnbtnup = {"\\book\\run\\up.bmp"};
    d.fnbtnmove = {"\\book\\run\\mv.bmp"};
    d.fnbtndown = {"\\book\\run\\dn.bmp"};
    d.fontup = d.fontmv = "Sans Serif";
    d.sizeup = d.sizemv = 9;
    d.stylemv = "bold";
    d.colorup = 0xffffff;
    d.colormv = 0x00ccff;
    d.caption = captions;
    d.go = go;
    d.type = type;
    return d;
}

QList<int> tops(const TPopupWindow& p) {
    QList<int> list;
    for (int i = 0; i < p.itemCount(); ++i)
        list << (p.item(i).visible ? p.item(i).pos.y() : -1);
    return list;
}

} // namespace

class TestPopups : public QObject {
    Q_OBJECT

private slots:
    void itemsStackAndTheHeightFollows() {
        TPopupWindow p(record(7), 0, loader());
        QCOMPARE(p.size(), QSize(190, 130));
        for (int i = 0; i < 5; ++i)
            p.AddItem(QString("Item %1").arg(i), QString("go%1").arg(i));
        QCOMPARE(tops(p), QList<int>({5, 27, 49, 71, 93}));
        QCOMPARE(p.item(0).pos.x(), 5);
        QCOMPARE(p.height(), 5 * 22 + 10);
        // The picture shrank with it: top margin kept, bottom margin moved.
        QCOMPARE(p.background().height(), 120);
        QCOMPARE(QColor(p.background().pixel(3, 2)), QColor(Qt::red));
        QCOMPARE(QColor(p.background().pixel(3, 117)), QColor(Qt::green));
        QCOMPARE(QColor(p.background().pixel(3, 60)), QColor(28, 36, 48));

        // Hiding item 2 moves the rest up; showing it puts it back.
        p.SetItemVisible(false, 2);
        QCOMPARE(tops(p), QList<int>({5, 27, -1, 49, 71}));
        QCOMPARE(p.height(), 4 * 22 + 10);
        p.SetItemVisible(true, 2);
        QCOMPARE(tops(p), QList<int>({5, 27, 49, 71, 93}));

        // Growing past the picture repeats its middle row, margins kept.
        for (int i = 5; i < 8; ++i)
            p.AddItem("More", "more");
        QCOMPARE(p.height(), 8 * 22 + 10);
        const QImage& bg = p.background();
        QCOMPARE(QColor(bg.pixel(3, 2)), QColor(Qt::red));
        QCOMPARE(QColor(bg.pixel(3, bg.height() - 2)), QColor(Qt::green));
        for (int y = 5; y < bg.height() - 5; y += 7)
            QCOMPARE(QColor(bg.pixel(3, y)), QColor(28, 36, 48));
    }

    void centredItemsDefaultMarginAndShapes() {
        RPopupData d = record(7);
        d.xbtn = -1;
        d.ybtn = -1;
        d.fnbtnup = {"up.bmp", "wide.bmp"};
        TPopupWindow p(d, 0, loader());
        p.AddItem("a", "a");
        p.AddItem("b", "b");
        QCOMPARE(p.item(0).pos, QPoint(5, 5));
        QCOMPARE(p.item(1).size().width(), 120);
        QCOMPARE(p.item(1).pos, QPoint(35, 27));
        QCOMPARE(p.height(), 54);

        // An outline keeps the picture's size whatever the items.
        d.vertex = {"0,0", "190,0", "95,130"};
        TPopupWindow shaped(d, 0, loader());
        shaped.AddItem("a", "a");
        QVERIFY(shaped.shaped());
        QCOMPARE(shaped.size(), QSize(190, 130));
        QCOMPARE(shaped.outline().size(), 3);
    }

    void captionsTooWideAreShortenedAndHinted() {
        TPopupWindow p(record(7), 0, loader());
        p.AddItem("Oil", "a");
        const QString longText(60, QChar(u'Ж'));
        p.AddItem(longText, "b");
        QCOMPARE(p.item(0).shownText(), QString("Oil"));
        QVERIFY(p.item(0).hint().isEmpty());
        QVERIFY(p.item(1).shownText().endsWith("..."));
        QVERIFY(p.item(1).shownText().size() < longText.size());
        QCOMPARE(p.item(1).hint(), longText);
        // The caption is drawn into the picture, the background of it stays.
        QVERIFY(p.item(0).normalPicture() != loader()("up.bmp"));
        // Taking a short caption again clears the hint and redraws.
        p.SetItem("Oil", "b", 1);
        QVERIFY(p.item(1).hint().isEmpty());
        QCOMPARE(p.item(1).normalPicture(), p.item(0).normalPicture());
        // The text area: centred when lower than the item, from 7 on.
        QCOMPARE(TItemsBtn::textArea(QSize(50, 12), QSize(180, 22)), QRect(7, 5, 50, 12));
        QCOMPARE(TItemsBtn::textArea(QSize(200, 30), QSize(180, 22)), QRect(7, -3, 166, 25));
    }

    void hoverAndPressFollowTheEdges() {
        TPopupWindow p(record(7, {"One", "Two"}, {"cmd1", "cmd2"}), 0, loader());
        p.AddItem("One", "cmd1");
        p.AddItem("Two", "cmd2");
        // Press: left and top edges belong to the item, right and bottom not.
        QCOMPARE(p.itemAt(QPoint(5, 5)), 0);
        QCOMPARE(p.itemAt(QPoint(184, 26)), 0);
        QCOMPARE(p.itemAt(QPoint(185, 10)), -1);
        QCOMPARE(p.itemAt(QPoint(10, 27)), 1);
        QCOMPARE(p.itemAt(QPoint(4, 10)), -1);
        // Hover needs the point strictly inside.
        p.pointerMoved(QPoint(5, 10));
        QCOMPARE(p.hoveredItem(), -1);
        p.pointerMoved(QPoint(6, 10));
        QCOMPARE(p.hoveredItem(), 0);
        QCOMPARE(p.item(0).face(), p.item(0).hoverPicture());
        p.pointerMoved(QPoint(6, 30));
        QCOMPARE(p.hoveredItem(), 1);
        QVERIFY(!p.item(0).hovered);

        p.show();
        QSignalSpy chosen(&p, &TPopupWindow::commandChosen);
        p.pointerPressed(QPoint(100, 40));
        QTRY_COMPARE(chosen.size(), 1);
        QCOMPARE(chosen[0][0].toString(), QString("cmd2"));
        QCOMPARE(chosen[0][1].toInt(), 1);
        QVERIFY(!p.isVisible());
        QVERIFY(!p.item(1).pressed && !p.item(1).hovered);
        // A press between items does nothing.
        p.pointerPressed(QPoint(2, 2));
        QTest::qWait(20);
        QCOMPARE(chosen.size(), 1);
    }

    void keyboardMovesOverVisibleItems() {
        TPopupWindow p(record(7), 0, loader());
        for (int i = 0; i < 4; ++i)
            p.AddItem(QString::number(i), QString("go%1").arg(i));
        p.SetItemVisible(false, 1);
        QVERIFY(p.navigate(Qt::Key_Down));
        QCOMPARE(p.hoveredItem(), 0);
        p.navigate(Qt::Key_Down);
        QCOMPARE(p.hoveredItem(), 2); // the hidden item is skipped
        p.navigate(Qt::Key_Down);
        p.navigate(Qt::Key_Down);
        QCOMPARE(p.hoveredItem(), 0); // round again
        p.navigate(Qt::Key_Up);
        QCOMPARE(p.hoveredItem(), 3);
        p.navigate(Qt::Key_Home);
        QCOMPARE(p.hoveredItem(), 0);
        QVERIFY(!p.navigate(Qt::Key_A));

        p.show();
        QSignalSpy chosen(&p, &TPopupWindow::commandChosen);
        p.navigate(Qt::Key_End);
        QVERIFY(p.navigate(Qt::Key_Return));
        QTRY_COMPARE(chosen.size(), 1);
        QCOMPARE(chosen[0][0].toString(), QString("go3"));
        p.show();
        p.navigate(Qt::Key_Escape);
        QVERIFY(!p.isVisible());
        QTest::qWait(20);
        QCOMPARE(chosen.size(), 1);
    }

    void deleteModeRemovesAndStaysOpen() {
        TPopupWindow p(record(-3), 0, loader());
        for (const char* c : {"A", "B", "C"})
            p.AddItem(c, QString("htmlpos=%1.htm=0").arg(c));
        p.setDeleteMode(true);
        p.show();
        QSignalSpy removed(&p, &TPopupWindow::itemRemoved);
        QSignalSpy chosen(&p, &TPopupWindow::commandChosen);
        p.pointerPressed(p.item(1).pos + QPoint(3, 3));
        QCOMPARE(removed.size(), 1);
        QCOMPARE(removed[0][0].toInt(), 1);
        QTest::qWait(20);
        QCOMPARE(chosen.size(), 0);
        QVERIFY(p.isVisible());
        QCOMPARE(p.itemCount(), 2);
        QCOMPARE(p.item(1).caption(), QString("C"));
        QCOMPARE(tops(p), QList<int>({5, 27}));
        QCOMPARE(p.height(), 2 * 22 + 10);
        // The last one gone, the popup closes (and leaves delete mode).
        p.pointerPressed(QPoint(10, 10));
        p.pointerPressed(QPoint(10, 10));
        QCOMPARE(p.itemCount(), 0);
        QVERIFY(!p.isVisible());
        QVERIFY(!p.deleteMode());
    }

    void controllerPlacesAndCloses() {
        StructModel model;
        model.screens.resize(3);
        model.screens[1].popups = {record(-1), record(9, {"Cover"}, {"1"}),
                                   record(9, {"Other", "Two"}, {"2", "3"}), record(-5)};
        QWidget owner;
        owner.resize(300, 200);
        owner.show();
        TControlPopupWindow c(model, loader(), &owner);
        c.desktopAt = [](QPoint) { return QRect(0, 0, 800, 600); };
        c.animationsOn = [] { return false; };
        c.BuildPopups(1);
        QCOMPARE(c.popups().size(), 4);
        QCOMPARE(c.popup(-1)->itemCount(), TControlPopupWindow::kHistoryItems);
        // Of two popups of a type, the first is used.
        QCOMPARE(c.popup(9)->itemCount(), 1);
        // No visible item: nothing opens.
        QVERIFY(!c.ShowPopup(-1, QPoint(400, 300)));
        QVERIFY(!c.ShowPopup(-5, QPoint(400, 300)));
        QVERIFY(!c.ShowPopup(4, QPoint(400, 300)));

        // The back list ends at the point.
        c.SetItem("Page", "history=1", 0, -1);
        c.SetItemVisible(true, -1, 0);
        QVERIFY(c.ShowPopup(-1, QPoint(400, 300)));
        TPopupWindow* back = c.popup(-1);
        QCOMPARE(back->pos(), QPoint(400 - 190, 300));
        QCOMPARE(c.shownPopup(), back);
        // Opening another closes the first; near the corner it moves in.
        QVERIFY(c.ShowPopup(9, QPoint(790, 590)));
        QVERIFY(!back->isVisible());
        QCOMPARE(c.popup(9)->pos(), QPoint(800 - 190, 600 - 32));
        QCOMPARE(TControlPopupWindow::keptOnDesktop(QPoint(-20, -5), QSize(50, 50),
                                                    QRect(0, 0, 800, 600)),
                 QPoint(0, 0));

        // Keys reach the shown popup whatever has the focus.
        QSignalSpy chosen(&c, &TControlPopupWindow::commandChosen);
        QTest::keyClick(&owner, Qt::Key_Down);
        QTest::keyClick(&owner, Qt::Key_Return);
        QTRY_COMPARE(chosen.size(), 1);
        QCOMPARE(chosen[0][0].toString(), QString("1"));
        QCOMPARE(chosen[0][1].toInt(), 9);
        QVERIFY(!c.shownPopup());

        // A press anywhere else closes it.
        QVERIFY(c.ShowPopup(9, QPoint(10, 10)));
        QTest::mousePress(&owner, Qt::LeftButton, Qt::NoModifier, QPoint(50, 50));
        QVERIFY(!c.shownPopup());

        // A record that gives the place wins over the point.
        model.screens[2].popups = {record(9, {"Fixed"}, {"x"})};
        model.screens[2].popups[0].xfon = 20;
        c.BuildPopups(2);
        QVERIFY(c.ShowPopup(9, QPoint(500, 400)));
        QCOMPARE(c.popup(9)->pos(), QPoint(owner.mapToGlobal(QPoint(20, 0)).x(), 400));
        c.CloseAllPopups();
        // No screen from here on declares popups: the current ones stay.
        model.screens[2].popups.clear();
        c.BuildPopups(2);
        QCOMPARE(c.popups().size(), 1);
        c.BuildPopups(0);
        QCOMPARE(c.popups().size(), 0);
    }

    void firstScreenShapesReadingScreenSlides() {
        StructModel model;
        model.screens.resize(2);
        RPopupData shaped = record(3, {"A", "B"}, {"a", "b"});
        shaped.vertex = {"10,0", "190,0", "190,130", "0,130", "0,10"};
        model.screens[0].popups = {shaped};
        model.screens[1].popups = {shaped};
        QWidget owner;
        owner.show();
        TControlPopupWindow c(model, loader(), &owner);
        c.desktopAt = [](QPoint) { return QRect(0, 0, 800, 600); };
        c.animationsOn = [] { return true; };

        // The first screen: the outline is the window's shape, no slide.
        c.BuildPopups(0);
        QVERIFY(c.ShowPopup(3, QPoint(100, 100)));
        TPopupWindow* p = c.popup(3);
        QCOMPARE(p->size(), QSize(190, 130));
        QVERIFY(!p->mask().contains(QPoint(2, 2)));
        QVERIFY(p->mask().contains(QPoint(100, 60)));
        c.CloseAllPopups();

        // The reading screen: no shape; the popup slides in and then shows
        // whole. Shown again at once, it does not slide.
        c.BuildPopups(1);
        p = c.popup(3);
        QVERIFY(c.ShowPopup(3, QPoint(100, 100)));
        QVERIFY(!p->mask().isEmpty());
        QVERIFY(p->mask().boundingRect().height() < p->height());
        QTRY_VERIFY_WITH_TIMEOUT(p->mask().isEmpty(), 1000);
        c.CloseAllPopups();
        const bool soon = p->sinceShown() < 200; // a slow machine may take longer
        QVERIFY(c.ShowPopup(3, QPoint(100, 100)));
        if (soon)
            QVERIFY(p->mask().isEmpty());
    }
};

QTEST_MAIN(TestPopups)
#include "tst_popups.moc"
