// The reader's popups: the history lists follow the viewer's history, and
// the favourites popup adds and deletes favourites.
#include "data/SettingsNames.h"
#include "data/SettingsStore.h"
#include "reader/TPopupLists.h"
#include "skin/TControlPopupWindow.h"
#include "skin/TPopupWindow.h"

#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

namespace {

QImage picture(const QString& name) {
    QImage image(name == "bg.bmp" ? QSize(190, 130) : QSize(180, 22), QImage::Format_RGB32);
    image.fill(Qt::darkGray);
    return image;
}

RPopupData record(int type) {
    RPopupData d;
    d.xfon = d.yfon = -1;
    d.fnfon = "bg.bmp";
    d.xbtn = d.ybtn = 5;
    d.fnbtnup = {"up.bmp"};
    d.fnbtnmove = {"mv.bmp"};
    d.fnbtndown = {"dn.bmp"};
    d.sizeup = d.sizemv = 9;
    d.type = type;
    return d;
}

// Captions of the visible items, top down.
QStringList shown(const TPopupWindow* p) {
    QList<std::pair<int, QString>> rows;
    for (int i = 0; i < p->itemCount(); ++i)
        if (p->item(i).visible)
            rows.append({p->item(i).pos.y(), p->item(i).caption()});
    std::sort(rows.begin(), rows.end());
    QStringList list;
    for (const auto& r : rows)
        list << r.second;
    return list;
}

RHistory history(int count, int index) {
    RHistory h;
    for (int n = 0; n < count; ++n) {
        h.files << QString("p%1.htm").arg(n);
        h.titles << (n == 2 ? QString() : QString("Page %1").arg(n));
    }
    h.index = index;
    return h;
}

} // namespace

class TestPopupLists : public QObject {
    Q_OBJECT

private:
    QTemporaryDir m_dir;
    StructModel m_model;

private slots:
    void initTestCase() {
        QVERIFY(m_dir.isValid());
        TSettingsStore::setLocation(m_dir.path());
        m_model.screens.resize(2);
        m_model.screens[1].popups = {record(-1), record(-2), record(-3)};
    }

    void historyPopupsFollowTheHistory() {
        TControlPopupWindow c(m_model, picture, nullptr);
        c.BuildPopups(1);
        TPopupWindow* back = c.popup(-1);
        TPopupWindow* fwd = c.popup(-2);

        // The newest page shown: back lists the older ones, nearest on top;
        // nothing forward.
        TPopupLists::fillHistory(c, history(5, 0));
        QCOMPARE(shown(back), QStringList({"Page 1", "Без названия", "Page 3", "Page 4"}));
        QCOMPARE(back->item(0).command, QString("history=1"));
        QCOMPARE(shown(fwd), QStringList());
        QVERIFY(!c.ShowPopup(-2, QPoint(10, 10)));
        QCOMPARE(back->height(), 4 * 22 + 10);

        // Two steps back: the nearest forward entry is the top item.
        TPopupLists::fillHistory(c, history(5, 2));
        QCOMPARE(shown(back), QStringList({"Page 3", "Page 4"}));
        QCOMPARE(shown(fwd), QStringList({"Page 1", "Page 0"}));
        QCOMPARE(fwd->item(7).command, QString("history=0"));
        QCOMPARE(fwd->item(6).command, QString("history=1"));
        QCOMPARE(back->height(), 2 * 22 + 10);

        // Back at the end of a full history: eight back entries at most.
        TPopupLists::fillHistory(c, history(10, 0));
        QCOMPARE(shown(back).size(), 8);
        QCOMPARE(back->item(7).command, QString("history=8"));

        // Choosing an entry hands its command on.
        QSignalSpy chosen(&c, &TControlPopupWindow::commandChosen);
        QVERIFY(c.ShowPopup(-1, QPoint(400, 10)));
        back->pointerPressed(back->item(1).pos + QPoint(10, 10));
        QTRY_COMPARE(chosen.size(), 1);
        QCOMPARE(chosen[0][0].toString(), QString("history=2"));
    }

    void favouritesAddAndDeleteThroughThePopup() {
        const TSettingsStore store(QStringLiteral("PopupBook"));
        TControlPopupWindow c(m_model, picture, nullptr);
        c.BuildPopups(1);
        auto favorites = std::make_unique<THtmlFavorite>(store);
        // The wiring of the reading screen.
        const auto fill = [&] { TPopupLists::fillFavorites(c, favorites->records()); };
        QObject::connect(favorites.get(), &THtmlFavorite::changed, fill);
        QObject::connect(&c, &TControlPopupWindow::favoriteRemoved, [&](int i) {
            if (favorites->DeleteFavorite(i))
                favorites->save();
        });
        fill();
        QVERIFY(!c.ShowPopup(-3, QPoint(10, 10))); // none yet

        for (const char* title : {"Oil", "Brakes", "Lights"})
            QVERIFY(favorites->AddToFavorites(title, QString("%1.htm").arg(title), 10));
        QVERIFY(!favorites->AddToFavorites("oil", "other.htm", 5));
        TPopupWindow* p = c.popup(-3);
        QCOMPARE(shown(p), QStringList({"Oil", "Brakes", "Lights"}));
        QCOMPARE(p->item(1).command, QString("htmlpos=Brakes.htm=10"));

        // Delete mode: the second favourite goes, the popup stays open.
        QVERIFY(c.ShowPopup(-4, QPoint(10, 10)));
        QVERIFY(p->deleteMode());
        p->pointerPressed(p->item(1).pos + QPoint(10, 10));
        QVERIFY(p->isVisible());
        QCOMPARE(shown(p), QStringList({"Oil", "Lights"}));
        QCOMPARE(favorites->count(), 2);
        QCOMPARE(store.readText(settings::favorite(1)).value_or(QString()),
                 QString("{Lights}htmlpos=Lights.htm=10"));
        QVERIFY(store.readText(settings::favorite(2)).value_or(QString()).isEmpty());

        // Opened normally again: a click opens, not deletes.
        c.CloseAllPopups();
        QSignalSpy chosen(&c, &TControlPopupWindow::commandChosen);
        QVERIFY(c.ShowPopup(-3, QPoint(10, 10)));
        QVERIFY(!p->deleteMode());
        p->pointerPressed(p->item(0).pos + QPoint(10, 10));
        QTRY_COMPARE(chosen.size(), 1);
        QCOMPARE(chosen[0][0].toString(), QString("htmlpos=Oil.htm=10"));
        QCOMPARE(favorites->count(), 2);

        // An eleventh favourite drops the oldest; the popup shows the ten.
        for (int i = 0; i < 9; ++i)
            favorites->AddToFavorites(QString("T%1").arg(i), QString("t%1.htm").arg(i), i);
        QCOMPARE(p->itemCount(), 10);
        QCOMPARE(p->item(0).caption(), QString("Lights"));
        QCOMPARE(p->item(9).caption(), QString("T8"));

        // Rebuilt with the screen: the list comes back from the settings.
        favorites.reset();
        c.BuildPopups(1);
        favorites = std::make_unique<THtmlFavorite>(store);
        TPopupLists::fillFavorites(c, favorites->records());
        QCOMPARE(c.popup(-3)->itemCount(), 10);
        QCOMPARE(c.popup(-3)->item(0).caption(), QString("Lights"));
    }
};

QTEST_MAIN(TestPopupLists)
#include "tst_popuplists.moc"
