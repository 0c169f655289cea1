// The program-wide settings: what the first start writes, which values are
// read with which page, damaged and out-of-range values, and what OK writes.
#include "data/OptionsReader.h"
#include "data/SettingsNames.h"
#include "data/SettingsStore.h"

#include <QTemporaryDir>
#include <QTest>

namespace {

// Every option name of the store that holds a value.
QStringList storedOptions(const TSettingsStore& store) {
    QStringList names;
    for (const auto& v : settings::boolValues())
        if (store.contains(QLatin1String(v.name)))
            names << QLatin1String(v.name);
    for (const auto& v : settings::intValues())
        if (store.contains(QLatin1String(v.name)))
            names << QLatin1String(v.name);
    for (const auto& v : settings::textValues())
        if (store.contains(QLatin1String(v.name)))
            names << QLatin1String(v.name);
    names.sort();
    return names;
}

// The controls as Show fills them from `o` (both boxes enabled).
options::RChoice unchanged(const ROptions& o) {
    options::RChoice c;
    c.clip = o.clip;
    c.wav = o.wav;
    c.clipEnabled = c.wavEnabled = true;
    c.sizeInterface = o.sizeInterface;
    c.autoStartPlayer = o.autoStartPlayer;
    c.playingCyclic = o.playingCyclic;
    for (int i = 0; i < 3; ++i)
        c.namePlayList[i] = o.namePlayList[i];
    c.runSlideShow = o.runSlideShow;
    c.slideShowTime = o.slideShowTime;
    c.imageSequence = o.imageSequence;
    return c;
}

} // namespace

class TestOptionsReader : public QObject {
    Q_OBJECT
private:
    QTemporaryDir m_tmp;
    int m_books = 0;
    // A store of its own for each case.
    TSettingsStore fresh() { return TSettingsStore(QStringLiteral("Book%1").arg(++m_books)); }

private slots:
    void initTestCase() {
        QVERIFY(m_tmp.isValid());
        TSettingsStore::setLocation(m_tmp.path());
    }

    // First start: the five are written on; the slide values only with
    // slide-show pictures; never a player value.
    void firstStartWritesTheDefaults() {
        TSettingsStore plain = fresh();
        ROptions o;
        options::read(plain, o, {});
        QCOMPARE(storedOptions(plain),
                 QStringList({"Animation", "BGSound", "Clip", "Hint", "Wav"}));
        for (const char* name : {"Animation", "BGSound", "Clip", "Hint", "Wav"})
            QCOMPARE(plain.readInt(name), std::optional<int>(1));
        QVERIFY(!o.autoStartPlayer); // the player page is never there

        TSettingsStore slides = fresh();
        options::read(slides, o, {false, true});
        QCOMPARE(storedOptions(slides),
                 QStringList({"Animation", "BGSound", "Clip", "Hint", "ImageSequence",
                              "RunSlideShow", "SlideShowTime", "Wav"}));
        QCOMPARE(slides.readInt("RunSlideShow"), std::optional<int>(0));
        QCOMPARE(slides.readInt("SlideShowTime"), std::optional<int>(5));
        QCOMPARE(slides.readInt("ImageSequence"), std::optional<int>(0));

        // Stored values are kept; a book without pictures leaves the slide
        // values alone, even damaged ones.
        TSettingsStore kept = fresh();
        kept.writeInt("Wav", 0);
        kept.writeInt("SlideShowTime", 8);
        kept.writeText("ImageSequence", "x");
        ROptions k;
        options::read(kept, k, {});
        QVERIFY(!k.wav);
        QCOMPARE(k.slideShowTime, 5);
        QCOMPARE(kept.readText("ImageSequence"), std::optional<QString>("x"));
        options::read(kept, k, {false, true});
        QCOMPARE(k.slideShowTime, 8);
        QCOMPARE(kept.readInt("ImageSequence"), std::optional<int>(0));
    }

    // A value of another type, or one the window could not show, takes its
    // default at the next start and the default is stored.
    void damagedValuesTakeTheirDefaults() {
        QFETCH(QString, name);
        QFETCH(QString, stored);
        QFETCH(int, expected);
        TSettingsStore store = fresh();
        store.writeText(name, stored);
        ROptions o;
        o.wav = false;
        options::read(store, o, {false, true});
        const int value = name == "Wav"             ? int(o.wav)
                          : name == "SlideShowTime" ? o.slideShowTime
                                                    : o.imageSequence;
        QCOMPARE(value, expected);
        QCOMPARE(store.readInt(name), std::optional<int>(expected));
    }
    void damagedValuesTakeTheirDefaults_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("stored");
        QTest::addColumn<int>("expected");
        QTest::newRow("Wav as text") << "Wav"
                                     << "on" << 1;
        QTest::newRow("slide time -1") << "SlideShowTime"
                                       << "-1" << 5;
        QTest::newRow("slide time 10^9") << "SlideShowTime"
                                         << "1000000000" << 5;
        QTest::newRow("slide time 0") << "SlideShowTime"
                                      << "0" << 5;
        QTest::newRow("slide time 10") << "SlideShowTime"
                                       << "10" << 10;
        QTest::newRow("order 7") << "ImageSequence"
                                 << "7" << 0;
        QTest::newRow("order 1") << "ImageSequence"
                                 << "1" << 1;
    }

    // OK without changes writes only the interface variant; changes are
    // written one by one; Animation, Hint and BGSound never; a disabled box
    // never changes its setting.
    void okWritesWhatChanged() {
        TSettingsStore store = fresh();
        ROptions o;
        const options::RPages pages{false, true};
        options::read(store, o, pages);
        for (const QString& name : storedOptions(store))
            store.remove(name);

        options::RApplied a = options::apply(&store, o, unchanged(o), pages);
        QCOMPARE(storedOptions(store), QStringList({"SizeInterface"}));
        QVERIFY(!a.slideShowSwitched && !a.slideTimeChanged);

        options::RChoice c = unchanged(o);
        c.wav = false;
        c.sizeInterface = 2;
        c.slideShowTime = 7;
        c.runSlideShow = true;
        o.animation = false;
        o.hint = false;
        o.bgSound = false;
        a = options::apply(&store, o, c, pages);
        QVERIFY(a.slideShowSwitched && a.slideTimeChanged);
        QCOMPARE(storedOptions(store),
                 QStringList({"RunSlideShow", "SizeInterface", "SlideShowTime", "Wav"}));
        QCOMPARE(store.readInt("Wav"), std::optional<int>(0));
        QCOMPARE(store.readInt("SizeInterface"), std::optional<int>(2));
        QCOMPARE(o.slideShowTime, 7);

        // No variant selected: the variant stays (and is written again).
        c.sizeInterface = -1;
        options::apply(&store, o, c, pages);
        QCOMPARE(o.sizeInterface, 2);

        // A disabled box, or values the window cannot hold, change nothing.
        store.remove("Wav");
        c.wav = true;
        c.wavEnabled = false;
        c.slideShowTime = 0;
        c.imageSequence = -1;
        a = options::apply(&store, o, c, pages);
        QVERIFY(!o.wav);
        QVERIFY(!store.contains("Wav"));
        QCOMPARE(o.slideShowTime, 7);
        QCOMPARE(o.imageSequence, 0);
        QVERIFY(!a.slideTimeChanged);

        // Without the pictures page the slide values are never written.
        TSettingsStore plain = fresh();
        c.slideShowTime = 3;
        options::apply(&plain, o, c, {});
        QVERIFY(!plain.contains("SlideShowTime"));
        QVERIFY(!plain.contains("RunSlideShow"));
    }
};

QTEST_GUILESS_MAIN(TestOptionsReader)
#include "tst_optionsreader.moc"
