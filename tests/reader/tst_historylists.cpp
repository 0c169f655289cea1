#include "reader/THistoryLists.h"

#include <QTest>

// The history popups and the standard window's history menus.
class TestHistoryLists : public QObject {
    Q_OBJECT

private:
    // A full history of ten pages p0 (newest) .. p9, titled T0 .. T9.
    static RHistory history(int index, int count = 10) {
        RHistory h;
        for (int n = 0; n < count; ++n) {
            h.files << QStringLiteral("p%1.htm").arg(n);
            h.titles << QStringLiteral("T%1").arg(n);
        }
        h.index = index;
        return h;
    }

    // The entry numbers of the items, -1 for hidden ones (-2 for an item
    // whose visibility does not match its entry).
    static QList<int> entries(const QList<RHistoryItem>& items) {
        QList<int> list;
        for (const RHistoryItem& i : items)
            list << (i.visible == (i.entry >= 0) ? i.entry : -2);
        return list;
    }

private slots:
    void popups() {
        // Newest page shown: nothing forward, the back list from entry 1.
        RHistory h = history(0);
        QCOMPARE(entries(THistoryLists::forwardPopup(h)), QList<int>(8, -1));
        QCOMPARE(entries(THistoryLists::backPopup(h)), QList<int>({1, 2, 3, 4, 5, 6, 7, 8}));
        QVERIFY(!h.forwardEnabled());
        QVERIFY(h.backEnabled());

        // In the middle: back entries from the top, forward entries from the
        // bottom up with the nearest one on top.
        h = history(3);
        QCOMPARE(entries(THistoryLists::backPopup(h)), QList<int>({4, 5, 6, 7, 8, 9, -1, -1}));
        QCOMPARE(entries(THistoryLists::forwardPopup(h)),
                 QList<int>({-1, -1, -1, -1, -1, 2, 1, 0}));
        const RHistoryItem top = THistoryLists::backPopup(h).first();
        QCOMPARE(top.caption, QStringLiteral("T4"));
        QCOMPARE(top.command, QStringLiteral("history=4"));
        QCOMPARE(THistoryLists::parseHistoryCommand(top.command, h.count()), 4);

        // Oldest shown: eight of the nine forward entries, none back.
        h = history(9);
        QCOMPARE(entries(THistoryLists::forwardPopup(h)), QList<int>({8, 7, 6, 5, 4, 3, 2, 1}));
        QCOMPARE(entries(THistoryLists::backPopup(h)), QList<int>(8, -1));
        QVERIFY(!h.backEnabled());

        // No history, or an index outside it: everything hidden.
        for (const RHistory& empty : {RHistory(), history(10), history(-1)}) {
            QCOMPARE(entries(THistoryLists::backPopup(empty)), QList<int>(8, -1));
            QCOMPARE(entries(THistoryLists::forwardMenu(empty)), QList<int>(7, -1));
        }
    }

    void captions() {
        RHistory h = history(0, 3);
        h.titles[1].clear();
        h.titles[2] = QString(100, QChar(0x0416));
        QCOMPARE(THistoryLists::popupCaption(h, 1), QStringLiteral("Без названия"));
        QCOMPARE(THistoryLists::popupCaption(h, 2), QString(80, QChar(0x0416)));
        // Menus: the file alone without a title, else title--file, cut to 80.
        QCOMPARE(THistoryLists::menuCaption(h, 1), QStringLiteral("p1.htm"));
        QCOMPARE(THistoryLists::menuCaption(h, 0), QStringLiteral("T0--p0.htm"));
        QCOMPARE(THistoryLists::menuCaption(h, 2).size(), 80);
        // A titles list shorter than the files list reads as untitled.
        h.titles = QStringList({QStringLiteral("T0")});
        QCOMPARE(THistoryLists::backPopup(h)[1].caption, QStringLiteral("Без названия"));
    }

    void menus() {
        RHistory h = history(8);
        // Back: entries 9 in item 0 (tag 9), the rest hidden.
        QCOMPARE(entries(THistoryLists::backMenu(h)), QList<int>({9, -1, -1, -1, -1, -1, -1}));
        // Forward: items 7..13; entries 1..7 fill 13, 12, ... so item 7 holds 7.
        QCOMPARE(entries(THistoryLists::forwardMenu(h)), QList<int>({7, 6, 5, 4, 3, 2, 1}));
        h.index = 2;
        QCOMPARE(entries(THistoryLists::backMenu(h)), QList<int>({3, 4, 5, 6, 7, 8, 9}));
        QCOMPARE(entries(THistoryLists::forwardMenu(h)), QList<int>({-1, -1, -1, -1, -1, 1, 0}));
        QCOMPARE(THistoryLists::backMenu(h)[0].caption, QStringLiteral("T3--p3.htm"));
    }

    void historyCommand() {
        QCOMPARE(THistoryLists::parseHistoryCommand(QStringLiteral("history=0")), 0);
        QCOMPARE(THistoryLists::parseHistoryCommand(QStringLiteral("history=12")), 12);
        for (const char* bad : {"history=", "history=x", "history=-1", "history=3", "htmlpos=1"})
            QVERIFY2(!THistoryLists::parseHistoryCommand(QString::fromUtf8(bad), 3), bad);
    }
};

QTEST_GUILESS_MAIN(TestHistoryLists)
#include "tst_historylists.moc"
