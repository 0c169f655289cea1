#include "data/SettingsNames.h"
#include "data/SettingsStore.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>

// The per-book settings store over QSettings, redirected into a temporary
// folder.
class TestSettingsStore : public QObject {
    Q_OBJECT

private:
    QTemporaryDir m_dir;
    int m_books = 0;

    // A title no other case has used, so every case starts from nothing.
    QString freshTitle() { return QStringLiteral("Book%1").arg(++m_books); }

    static QString fileText(const TSettingsStore& store) {
        QFile f(store.location());
        if (!f.open(QIODevice::ReadOnly))
            return QString();
        return QString::fromUtf8(f.readAll());
    }

    // Writes a settings file by hand, as another program or an older version
    // might have left it.
    QString handWritten(const QByteArray& content) {
        const QString title = freshTitle();
        const TSettingsStore store(title);
        QDir().mkpath(QFileInfo(store.location()).absolutePath());
        QFile f(store.location());
        if (!f.open(QIODevice::WriteOnly))
            return QString();
        f.write("[General]\n" + content);
        return title;
    }

private slots:
    void initTestCase();
    void locationIsRedirected();
    void defaultsWrittenOnFirstRead();
    void storedValuesWin();
    void booleansAsIntegers();
    void unreadableValues();
    void textDefaults();
    void titlesAreSeparate();
    void titleCannotLeaveTheFolder();
    void favouriteSlots();
    void indexedNames();
    void valueListComplete();
    void platformLocation();
};

void TestSettingsStore::initTestCase() {
    QVERIFY(m_dir.isValid());
    TSettingsStore::setLocation(m_dir.path());
}

void TestSettingsStore::locationIsRedirected() {
    const TSettingsStore store(freshTitle());
    QVERIFY(store.location().startsWith(m_dir.path()));
    QVERIFY(store.location().contains(QLatin1String("Quorvel")));
    QVERIFY(store.location().contains(store.title()));
}

// A book's first run: reading each option creates it with its default.
void TestSettingsStore::defaultsWrittenOnFirstRead() {
    TSettingsStore store(freshTitle());
    for (const settings::BoolValue& v : settings::boolValues()) {
        QVERIFY(!store.contains(v.name));
        QCOMPARE(store.boolOrWriteDefault(v), v.def);
        QVERIFY2(store.contains(v.name), v.name);
        QCOMPARE(store.readBool(v.name), std::optional<bool>(v.def));
    }
    for (const settings::IntValue& v : settings::intValues()) {
        QCOMPARE(store.intOrWriteDefault(v), v.def);
        QCOMPARE(store.readInt(v.name), std::optional<int>(v.def));
    }
    QCOMPARE(store.textOrWriteDefault(settings::FontName), QStringLiteral("Arial"));
    QCOMPARE(store.readText(settings::FontName.name), std::optional<QString>("Arial"));

    // The values are in the file, readable by a fresh store of the same title.
    const QString text = fileText(store);
    QVERIFY(text.contains(QLatin1String("Clip=1")));
    QVERIFY(text.contains(QLatin1String("RunSlideShow=0")));
    QVERIFY(text.contains(QLatin1String("SlideShowTime=5")));
    QVERIFY(text.contains(QLatin1String("HotSpotColor=13158")));
    const TSettingsStore again(store.title());
    QCOMPARE(again.readInt(QStringLiteral("Background")), std::optional<int>(16777215));
}

void TestSettingsStore::storedValuesWin() {
    TSettingsStore store(freshTitle());
    store.writeBool(QStringLiteral("Wav"), false);
    store.writeInt(QStringLiteral("SlideShowTime"), 12);
    QCOMPARE(store.boolOrWriteDefault(settings::Wav), false);
    QCOMPARE(store.intOrWriteDefault(settings::SlideShowTime), 12);
    QCOMPARE(store.readBool(QStringLiteral("Wav")), std::optional<bool>(false));
    store.remove(QStringLiteral("Wav"));
    QVERIFY(!store.contains(QStringLiteral("Wav")));
    QCOMPARE(store.readBool(QStringLiteral("Wav")), std::nullopt);
}

void TestSettingsStore::booleansAsIntegers() {
    TSettingsStore store(freshTitle());
    store.writeBool(QStringLiteral("BGSound"), true);
    store.writeBool(QStringLiteral("Hint"), false);
    const QString text = fileText(store);
    QVERIFY2(text.contains(QLatin1String("BGSound=1")), qPrintable(text));
    QVERIFY2(text.contains(QLatin1String("Hint=0")), qPrintable(text));
    QVERIFY(!text.contains(QLatin1String("true")));
    QCOMPARE(store.readInt(QStringLiteral("BGSound")), std::optional<int>(1));

    // Any integer but 0 is on, as the registry's booleans are.
    const QString title = handWritten("Clip=7\nWav=0\n");
    const TSettingsStore hand(title);
    QCOMPARE(hand.readBool(QStringLiteral("Clip")), std::optional<bool>(true));
    QCOMPARE(hand.readBool(QStringLiteral("Wav")), std::optional<bool>(false));
}

// A value that does not convert counts as missing; the options then write
// their default back.
void TestSettingsStore::unreadableValues() {
    const QString title = handWritten("Wav=true\nClip=abc\nSlideShowTime=fast\nFontSize=\n"
                                      "BGSound=0\nImageSequence=2\n");
    TSettingsStore store(title);
    QCOMPARE(store.readBool(QStringLiteral("Wav")), std::nullopt);
    QCOMPARE(store.readInt(QStringLiteral("FontSize")), std::nullopt);
    QCOMPARE(store.readText(QStringLiteral("Clip")), std::optional<QString>("abc"));

    QCOMPARE(store.boolOrWriteDefault(settings::Wav), true);
    QCOMPARE(store.boolOrWriteDefault(settings::Clip), true);
    QCOMPARE(store.intOrWriteDefault(settings::SlideShowTime), 5);
    QCOMPARE(store.intOrWriteDefault(settings::FontSize), 8);
    QCOMPARE(store.boolOrWriteDefault(settings::BGSound), false); // readable: kept
    QCOMPARE(store.intOrWriteDefault(settings::ImageSequence), 2);

    const TSettingsStore again(title);
    QCOMPARE(again.readInt(QStringLiteral("Wav")), std::optional<int>(1));
    QCOMPARE(again.readInt(QStringLiteral("Clip")), std::optional<int>(1));
    QCOMPARE(again.readInt(QStringLiteral("SlideShowTime")), std::optional<int>(5));
    QCOMPARE(again.readInt(QStringLiteral("FontSize")), std::optional<int>(8));
    QCOMPARE(again.readInt(QStringLiteral("BGSound")), std::optional<int>(0));

    // Unreadable also in a store that wrote a text under an option's name.
    TSettingsStore other(freshTitle());
    other.writeText(QStringLiteral("SlideShowTime"), QStringLiteral("x"));
    QCOMPARE(other.readInt(QStringLiteral("SlideShowTime")), std::nullopt);
    QCOMPARE(other.intOrWriteDefault(settings::SlideShowTime), 5);
}

// FontName falls back to "Arial" also when empty; texts with commas and
// Cyrillic letters survive.
void TestSettingsStore::textDefaults() {
    const QString title = handWritten("FontName=\nNamePlayList1=Rock, Pop\n");
    TSettingsStore store(title);
    QCOMPARE(store.readText(QStringLiteral("FontName")), std::optional<QString>(""));
    QCOMPARE(store.textOrWriteDefault(settings::FontName), QStringLiteral("Arial"));
    QCOMPARE(store.readText(QStringLiteral("FontName")), std::optional<QString>("Arial"));
    QCOMPARE(store.readText(QStringLiteral("NamePlayList1")), std::optional<QString>("Rock, Pop"));
    QCOMPARE(store.textOrWriteDefault(QStringLiteral("NamePlayList2"), QStringLiteral("Мои")),
             QStringLiteral("Мои"));

    store.writeText(QStringLiteral("FontName"), QStringLiteral("Times New Roman, курсив"));
    const TSettingsStore again(title);
    QCOMPARE(again.readText(QStringLiteral("FontName")),
             std::optional<QString>("Times New Roman, курсив"));
    QCOMPARE(again.readText(QStringLiteral("Missing")), std::nullopt);
}

void TestSettingsStore::titlesAreSeparate() {
    TSettingsStore a(QStringLiteral("Vantrel"));
    TSettingsStore b(QStringLiteral("Тезаурус"));
    a.writeBool(QStringLiteral("Wav"), false);
    a.writeInt(QStringLiteral("BGSoundSong"), 3);
    QCOMPARE(b.readBool(QStringLiteral("Wav")), std::nullopt);
    QCOMPARE(b.boolOrWriteDefault(settings::Wav), true);
    QCOMPARE(a.readBool(QStringLiteral("Wav")), std::optional<bool>(false));
    QVERIFY(a.location() != b.location());

    // Two copies of the same book share their settings.
    const TSettingsStore copy(QStringLiteral("Vantrel"));
    QCOMPARE(copy.readInt(QStringLiteral("BGSoundSong")), std::optional<int>(3));
}

void TestSettingsStore::titleCannotLeaveTheFolder() {
    TSettingsStore store(QStringLiteral("../../escape/x"));
    store.writeInt(QStringLiteral("FontSize"), 10);
    const QString file = QFileInfo(store.location()).canonicalFilePath();
    QVERIFY(!file.isEmpty());
    QVERIFY2(file.startsWith(QDir(m_dir.path()).canonicalPath() + QLatin1String("/Quorvel/")),
             qPrintable(file));
    QCOMPARE(store.readInt(QStringLiteral("FontSize")), std::optional<int>(10));
}

void TestSettingsStore::favouriteSlots() {
    TSettingsStore store(freshTitle());
    QStringList eleven;
    for (int i = 0; i < 11; ++i)
        eleven.append(QStringLiteral("{Глава %1}c:\\book\\docs\\p%1.htm").arg(i));
    store.writeFavorites(eleven);
    QCOMPARE(store.readFavorites(), eleven.mid(0, 10));
    QVERIFY(store.contains(QStringLiteral("Favorite9")));
    QVERIFY(!store.contains(QStringLiteral("Favorite10")));

    // Fewer favourites delete the slots above them.
    store.writeFavorites({eleven[4], eleven[7]});
    QCOMPARE(store.readFavorites(), QStringList({eleven[4], eleven[7]}));
    QVERIFY(store.contains(QStringLiteral("Favorite1")));
    QVERIFY(!store.contains(QStringLiteral("Favorite2")));
    QVERIFY(!store.contains(QStringLiteral("Favorite9")));

    // A missing slot in the middle is skipped on reading.
    store.writeText(settings::favorite(5), QStringLiteral("{x}y.htm"));
    QCOMPARE(store.readFavorites(), QStringList({eleven[4], eleven[7], "{x}y.htm"}));
    store.writeFavorites({});
    QVERIFY(store.readFavorites().isEmpty());
}

void TestSettingsStore::indexedNames() {
    QCOMPARE(settings::swOne(0, 2), QStringLiteral("SwOne02"));
    QCOMPARE(settings::swGrp(1, 10), QStringLiteral("SwGrp110"));
    QCOMPARE(settings::swGrpD(3, 0), QStringLiteral("SwGrpD30"));
    QCOMPARE(settings::pathInstall(0), QStringLiteral("PathInstall0"));
    QCOMPARE(settings::favorite(0), QStringLiteral("Favorite0"));
    QCOMPARE(settings::favorite(9), QStringLiteral("Favorite9"));
    QCOMPARE(settings::favorite(10), QString());
    QCOMPARE(settings::favorite(-1), QString());
}

// Every fixed value is listed, each name once.
void TestSettingsStore::valueListComplete() {
    QStringList names;
    for (const auto& v : settings::boolValues())
        names << v.name;
    for (const auto& v : settings::intValues())
        names << v.name;
    for (const auto& v : settings::textValues())
        names << v.name;
    QCOMPARE(names.size(), 21);
    names.removeDuplicates();
    QCOMPARE(names.size(), 21);
}

// Without a redirection the values go to the user's configuration folder
// (this test's own, set up by the test harness).
void TestSettingsStore::platformLocation() {
    const QString config = qEnvironmentVariable("XDG_CONFIG_HOME");
    if (config.isEmpty() || !config.contains(QLatin1String("test-home")))
        QSKIP("needs the harness's private configuration folder");
    TSettingsStore::setLocation(QString());
    TSettingsStore store(QStringLiteral("Vantrel"));
    QCOMPARE(store.location(), config + QLatin1String("/Quorvel/Vantrel.conf"));
    store.writeBool(QStringLiteral("Clip"), false);
    QCOMPARE(store.boolOrWriteDefault(settings::Clip), false);
    QVERIFY(QFile::exists(store.location()));
    TSettingsStore::setLocation(m_dir.path());
    // The redirected store of the same title is a different one.
    QCOMPARE(TSettingsStore(QStringLiteral("Vantrel")).readBool(QStringLiteral("Clip")),
             std::nullopt);
}

QTEST_GUILESS_MAIN(TestSettingsStore)
#include "tst_settingsstore.moc"
