#include "data/SettingsNames.h"
#include "data/SettingsStore.h"
#include "reader/THtmlFavorite.h"

#include <QRect>
#include <QSettings>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

// The favourites list and its stored form, in a settings folder of its own.
class TestFavorites : public QObject {
    Q_OBJECT

private:
    QTemporaryDir m_dir;
    int m_books = 0;

    // A book no other case has used, so every case starts from nothing.
    TSettingsStore freshBook() { return TSettingsStore(QStringLiteral("Book%1").arg(++m_books)); }

    static QStringList captions(const THtmlFavorite& f) {
        QStringList list;
        for (const RFavoriteCaption& r : f.records())
            list << r.caption;
        return list;
    }

private slots:
    void initTestCase() {
        QVERIFY(m_dir.isValid());
        TSettingsStore::setLocation(m_dir.path());
    }

    void storedFormRoundTrips() {
        TSettingsStore store = freshBook();
        {
            THtmlFavorite f(store);
            QVERIFY(f.AddToFavorites(QStringLiteral("Масло {двигателя}"),
                                     QStringLiteral("\\book\\p05 oil.htm"), 420));
            QVERIFY(f.AddToFavorites(QString(), QStringLiteral("p=1.htm"), 0));
            QVERIFY(f.AddToFavorites(QStringLiteral("Колодки } и диски"), QStringLiteral("p10.htm"),
                                     7));
        }
        QCOMPARE(store.readText(settings::favorite(0)),
                 QStringLiteral("{Масло {двигателя)}htmlpos=\\book\\p05 oil.htm=420"));
        THtmlFavorite again(store);
        QCOMPARE(again.count(), 3);
        QCOMPARE(captions(again), QStringList({QStringLiteral("Масло {двигателя)"), QString(),
                                               QStringLiteral("Колодки ) и диски")}));
        // The command survives even with "=" inside the file name.
        const auto place = THtmlFavorite::parsePositionCommand(again.records()[1].command);
        QVERIFY(place);
        QCOMPARE(place->file, QStringLiteral("p=1.htm"));
        QCOMPARE(place->position, 0);
        const auto third = THtmlFavorite::parsePositionCommand(again.records()[2].command);
        QCOMPARE(third->file, QStringLiteral("p10.htm"));
        QCOMPARE(third->position, 7);
    }

    void looseStoredValues() {
        TSettingsStore store = freshBook();
        store.writeText(settings::favorite(3), QStringLiteral("{Только третий}htmlpos=a.htm=5"));
        store.writeText(settings::favorite(5), QStringLiteral("htmlpos=b.htm=9"));
        store.writeText(settings::favorite(6), QStringLiteral("Без скобки}htmlpos=c.htm=1"));
        store.writeText(settings::favorite(7), QString());
        {
            // A value of another type cannot be read as text.
            QSettings raw(store.location(), QSettings::IniFormat);
            raw.setValue(settings::favorite(8), QRect(1, 2, 3, 4));
        }
        THtmlFavorite f(store);
        QCOMPARE(f.count(), 3);
        QCOMPARE(f.records()[0], (RFavoriteCaption{QStringLiteral("Только третий"),
                                                   QStringLiteral("htmlpos=a.htm=5")}));
        QCOMPARE(f.records()[1], (RFavoriteCaption{QString(), QStringLiteral("htmlpos=b.htm=9")}));
        QCOMPARE(f.records()[2], (RFavoriteCaption{QStringLiteral("Без скобки"),
                                                   QStringLiteral("htmlpos=c.htm=1")}));
        // "}" before "{": the caption ends at the "}".
        QCOMPARE(THtmlFavorite::fromStored(QStringLiteral("a}b{c}d")),
                 (RFavoriteCaption{QStringLiteral("a"), QStringLiteral("b{c}d")}));
    }

    void addingRules() {
        THtmlFavorite f(freshBook());
        QSignalSpy spy(&f, &THtmlFavorite::changed);
        QVERIFY(f.AddToFavorites(QStringLiteral("Тормоза"), QStringLiteral("p09.htm"), 0));
        // Same title in another letter case (Cyrillic too): nothing, even
        // for another page and position.
        QVERIFY(!f.AddToFavorites(QStringLiteral("ТОРМОЗА"), QStringLiteral("p10.htm"), 300));
        QCOMPARE(f.count(), 1);
        QCOMPARE(spy.count(), 1);
        for (int i = 1; i <= 10; ++i)
            QVERIFY(f.AddToFavorites(QStringLiteral("Стр %1").arg(i), QStringLiteral("p.htm"), i));
        // The eleventh dropped the oldest; the ten newest stay in order.
        QCOMPARE(f.count(), THtmlFavorite::kMaxCount);
        QCOMPARE(f.records().first().caption, QStringLiteral("Стр 1"));
        QCOMPARE(f.records().last().caption, QStringLiteral("Стр 10"));
        QCOMPARE(spy.count(), 11);
        QVERIFY(!f.DeleteFavorite(10));
        QVERIFY(!f.DeleteFavorite(-1));
        QCOMPARE(spy.count(), 11);
    }

    void deleteThenSave() {
        TSettingsStore store = freshBook();
        for (int slot = 0; slot < settings::FavoriteSlots; ++slot)
            store.writeText(settings::favorite(slot), QStringLiteral("{old %1}x").arg(slot));
        {
            THtmlFavorite f(store);
            QCOMPARE(f.count(), 10);
            while (f.count() > 3)
                f.DeleteFavorite(f.count() - 1);
            QVERIFY(f.DeleteFavorite(0));
            f.save();
            QCOMPARE(store.readText(settings::favorite(0)), QStringLiteral("{old 1}x"));
            QCOMPARE(store.readText(settings::favorite(1)), QStringLiteral("{old 2}x"));
            for (int slot = 2; slot < settings::FavoriteSlots; ++slot)
                QVERIFY2(!store.contains(settings::favorite(slot)),
                         qPrintable(QString::number(slot)));
            f.AddToFavorites(QStringLiteral("new"), QStringLiteral("n.htm"), 1);
        }
        // Destruction writes the list back as well.
        QCOMPARE(store.readText(settings::favorite(2)), QStringLiteral("{new}htmlpos=n.htm=1"));
    }

    void positionCommands() {
        QCOMPARE(THtmlFavorite::positionCommand(QStringLiteral("a.htm"), 12),
                 QStringLiteral("htmlpos=a.htm=12"));
        struct Case {
            const char* command;
            const char* file;
            int position;
        };
        const Case cases[] = {
            {"htmlpos=a.htm=12", "a.htm", 12},  {"htmlpos=a.htm=", "a.htm", 0},
            {"htmlpos=a.htm=12px", "a.htm", 0}, {"htmlpos=a.htm=-40", "a.htm", 0},
            {"htmlpos=a.htm", "a.htm", 0},      {"HTMLPOS=b.htm=3", "b.htm", 3},
        };
        for (const Case& c : cases) {
            const auto place = THtmlFavorite::parsePositionCommand(QString::fromUtf8(c.command));
            QVERIFY2(place, c.command);
            QCOMPARE(place->file, QString::fromUtf8(c.file));
            QCOMPARE(place->position, c.position);
        }
        QVERIFY(!THtmlFavorite::parsePositionCommand(QStringLiteral("history=2")));
    }
};

QTEST_GUILESS_MAIN(TestFavorites)
#include "tst_favorites.moc"
