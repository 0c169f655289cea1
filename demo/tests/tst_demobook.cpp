// The built demo book: every picture, page, link, index entry and sound its
// descriptions and pages name is there and readable.

#include "content/ContentArchive.h"
#include "data/BookPaths.h"
#include "data/StringUtils.h"
#include "data/StructParser.h"
#include "data/TReadBin.h"
#include "platform/Cp1251.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QFontDatabase>
#include <QImage>
#include <QImageReader>
#include <QRegularExpression>
#include <QtTest>

namespace {

const QString kRun = QStringLiteral(VANTREL_BINARY_DIR "/demo-book/run");

QString pageText(const QByteArray& bytes) {
    if (bytes.contains("charset=utf-8"))
        return QString::fromUtf8(bytes);
    return cp1251::toUnicode(bytes);
}

QStringList idxLines(const QByteArray& bytes) {
    QStringList lines = cp1251::toUnicode(bytes).remove(u'\n').split(u'\r');
    if (!lines.isEmpty() && lines.last().isEmpty())
        lines.removeLast();
    return lines;
}

} // namespace

class TestDemoBook : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void mainDescriptionReadsAsDesigned();
    void packHoldsEveryNamedPicture();
    void elementPicturesFitTheirSkins();
    void pagesNamedByDescriptionsExist();
    void pageLinksResolve_data();
    void pageLinksResolve();
    void indexFilesAgree();
    void thesaurusIndexPointsAtAnchors();
    void picturesDecode();
    void soundsArePaddedWavs();
    void carClipIsMotionJpegAvi();
    void albumClipAndFontPage();

private:
    QStringList decoded(const QString& entry, bool lower) const;
    QString pageOf(const QString& file) const;
    bool anchorExists(const QString& page, const QString& anchor) const;

    TReadBin m_pack;
    ContentArchive m_archive;
    BookPaths m_paths;
    StructModel m_main;
    StructModel m_thesaurus;
};

QStringList TestDemoBook::decoded(const QString& entry, bool lower) const {
    const std::optional<QByteArray> bytes = m_pack.read(entry);
    if (!bytes)
        return {};
    return cfs::decode(*bytes, lower);
}

QString TestDemoBook::pageOf(const QString& file) const {
    const std::optional<QByteArray> bytes = m_archive.read(m_paths.baseDir() + file);
    return bytes ? pageText(*bytes) : QString();
}

bool TestDemoBook::anchorExists(const QString& page, const QString& anchor) const {
    const QString html = pageOf(page);
    return html.contains(QStringLiteral("name=\"%1\"").arg(anchor));
}

void TestDemoBook::initTestCase() {
    QVERIFY2(QFile::exists(kRun + QStringLiteral("/Dod.dhl")), "build the target demo-book first");
    QVERIFY(m_pack.load(kRun + QStringLiteral("/Dod.dhl")));
    m_paths = BookPaths(kRun);
    QVERIFY(m_archive.open(kRun + QStringLiteral("/interface.dat")));
    m_archive.setRootPrefix(m_paths.bookRoot());
    m_main = parseStruct(decoded(QStringLiteral("Struct.cfs"), true), &m_paths);
    m_thesaurus = parseStruct(decoded(QStringLiteral("Tesaurus.cfs"), true), &m_paths,
                              StructGrammar::Thesaurus);
}

void TestDemoBook::mainDescriptionReadsAsDesigned() {
    // A stray header or kind word anywhere in the description would change
    // these counts.
    QCOMPARE(m_main.title, QStringLiteral("Vantrel"));
    QCOMPARE(m_main.screens.size(), 4);
    // five keys, sections menu, album, minimize, close
    QCOMPARE(m_main.screens[0].buttons.size(), 9);
    QCOMPARE(m_main.screens[0].popups.size(), 1);
    QCOMPARE(m_main.screens[0].popups[0].type, 1);
    QCOMPARE(m_main.screens[0].popups[0].caption.size(), 5);
    QCOMPARE(m_main.screens[0].popups[0].go.size(), 5);
    QCOMPARE(m_main.screens[0].popups[0].vertex.size(), 8);
    QCOMPARE(m_main.screens[0].switchone.size(), 1);
    QCOMPARE(m_main.screens[0].switchgrp.size(), 2);
    QCOMPARE(m_main.screens[1].buttons.size(), 16); // tool bar, history lists, favourites
    QCOMPARE(m_main.screens[1].switchone.size(), 1);
    QCOMPARE(m_main.screens[1].popups.size(), 4);
    QCOMPARE(m_main.screens[1].popups[0].type, -1);
    QCOMPARE(m_main.screens[1].popups[3].type, -5);
    QCOMPARE(m_main.screens[1].popups[3].caption.size(), 6);
    QCOMPARE(m_main.screens[1].popups[3].go.size(), 6);
    QCOMPARE(m_main.screens[1].popups[3].go.last(), QStringLiteral("installfonts"));
    // The photo album: arrows, cover, minimize, close; one picture area.
    QCOMPARE(m_main.screens[3].buttons.size(), 5);
    QCOMPARE(m_main.image.size(), 1);
    QCOMPARE(m_main.image[0].screen, 3);
    QCOMPARE(m_main.rolic, QStringLiteral("intro.avi"));
    QCOMPARE(m_main.background, QStringLiteral("no"));
    QCOMPARE(m_main.html.size(), 2);
    // The video screen: its keys, the film frame and its page; two tunes.
    QCOMPARE(m_main.screens[2].buttons.size(), 10);
    QCOMPARE(m_main.clip.size(), 1);
    QCOMPARE(m_main.clip[0].screen, 2);
    QCOMPARE(m_main.clip[0].html, 30);
    QCOMPARE(m_main.bgsounddef.size(), 2);
    for (const QString& title : m_main.bgsounddef)
        QVERIFY2(QFile::exists(kRun + QLatin1Char('/') +
                               QString(title)
                                   .section(QLatin1Char('\\'), -2)
                                   .replace(QLatin1Char('\\'), QLatin1Char('/'))),
                 qPrintable(title));
    QVERIFY(QFile::exists(kRun + QStringLiteral("/video/engine.avi")));
    QCOMPARE(m_main.path.size(), 1);
    QCOMPARE(m_main.text.size(), 5);
    QCOMPARE(m_main.outline.size(), 8);
    QVERIFY(m_main.screens[0].switchgrp[0].store);
    QCOMPARE(m_main.screens[0].switchgrp[0].group, m_main.screens[0].switchgrp[1].group);
    int statusLines = 0;
    for (const RText& t : m_main.text)
        statusLines += t.ident == QLatin1String("statusline");
    QCOMPARE(statusLines, 2);
    QCOMPARE(m_main.minimize.fn1, QStringLiteral("min_1.bmp"));
    QCOMPARE(m_main.close.fn1, QStringLiteral("cls_1.bmp"));
    QCOMPARE(m_thesaurus.screens.size(), 1);
    QCOMPARE(m_thesaurus.screens[0].buttons.size(), 3);
}

void TestDemoBook::packHoldsEveryNamedPicture() {
    QStringList names{m_main.icon, QStringLiteral("status_up.bmp"), QStringLiteral("status_dn.bmp"),
                      QStringLiteral("3d_bg.bmp")};
    for (const StructModel* m : {&m_main, &m_thesaurus}) {
        for (const RScreen& s : m->screens) {
            names << s.picture;
            for (const RBtn& b : s.buttons)
                names << b.fn1 << b.fn2 << b.fn3;
            for (const RSwthOne& w : s.switchone)
                names << w.fn1 << w.fn2 << w.fn3 << w.fn4;
            for (const RSwthGrp& w : s.switchgrp)
                names << w.fn1 << w.fn2 << w.fn3 << w.fn4;
            // List items come path-resolved; popups load them by file name.
            for (const RPopupData& p : s.popups) {
                names << p.fnfon;
                for (const QStringList* list : {&p.fnbtnup, &p.fnbtnmove, &p.fnbtndown})
                    for (const QString& item : *list)
                        names << item.section(u'\\', -1);
            }
        }
    }
    // The dialog and the about box name theirs after these keys.
    static const QRegularExpression key(QStringLiteral("(?:fn[1-4]|picture)\\s*=\\s*([^;\\s]+)"));
    for (const QString& entry : {QStringLiteral("Dialog.cfs"), QStringLiteral("About.cfs")}) {
        const QStringList lines = decoded(entry, true);
        QVERIFY2(!lines.isEmpty(), qPrintable(entry));
        for (const QString& line : lines) {
            const QRegularExpressionMatch m = key.match(line);
            if (m.hasMatch())
                names << m.captured(1);
        }
    }
    names.removeDuplicates();
    QVERIFY(names.size() > 50);
    for (const QString& name : std::as_const(names)) {
        const std::optional<QByteArray> bytes = m_pack.read(name);
        QVERIFY2(bytes, qPrintable(name + QStringLiteral(" is missing")));
        QVERIFY2(!QImage::fromData(*bytes).isNull(),
                 qPrintable(name + QStringLiteral(" does not load")));
    }
    QVERIFY(m_pack.has(QStringLiteral("tree1.cfs")));
    QVERIFY(m_pack.has(QStringLiteral("tree2.cfs")));
}

void TestDemoBook::elementPicturesFitTheirSkins() {
    auto image = [this](const QString& name) {
        return QImage::fromData(m_pack.read(name).value_or(QByteArray()));
    };
    for (const RScreen& s : m_main.screens) {
        const QRect skin = image(s.picture).rect();
        QCOMPARE(skin.size(), QSize(740, 560));
        for (const RBtn& b : s.buttons) {
            const QImage n = image(b.fn1);
            QCOMPARE(image(b.fn2).size(), n.size());
            QCOMPARE(image(b.fn3).size(), n.size());
            QVERIFY(skin.contains(QRect(QPoint(b.vx, b.vy), n.size())));
            // Hover and pressed looks differ from the key at rest.
            QVERIFY(image(b.fn2) != n);
            QVERIFY(image(b.fn3) != n);
        }
        for (const RSwthOne& w : s.switchone) {
            const QImage off = image(w.fn1);
            QVERIFY(skin.contains(QRect(QPoint(w.vx, w.vy), off.size())));
            QVERIFY(image(w.fn4) != off);
        }
        for (const RSwthGrp& w : s.switchgrp) {
            const QImage off = image(w.fn1);
            QVERIFY(skin.contains(QRect(QPoint(w.vx, w.vy), off.size())));
            QVERIFY(image(w.fn4) != off);
        }
    }
    // The window outline lies on the skin's border.
    for (const QPoint& p : m_main.outline)
        QVERIFY(p.x() >= 0 && p.x() <= 740 && p.y() >= 0 && p.y() <= 560);
}

void TestDemoBook::pagesNamedByDescriptionsExist() {
    QVERIFY(m_archive.exists(m_main.html.first().fn));
    QStringList commands;
    for (const RScreen& s : m_main.screens)
        for (const RBtn& b : s.buttons)
            commands << b.go;
    for (const QString& go : std::as_const(commands)) {
        if (!go.contains(u'='))
            continue;
        const QString page = cfs::valueOf(go, &m_paths);
        QVERIFY2(m_archive.exists(page), qPrintable(go));
    }
    // Contents trees: every item's page, in the base directory.
    for (const QString& entry : {QStringLiteral("tree1.cfs"), QStringLiteral("tree2.cfs")}) {
        const QStringList tree = decoded(entry, false);
        QVERIFY2(tree.size() >= 20, qPrintable(entry));
        for (const QString& line : tree) {
            const QString page = line.trimmed().section(u';', 0, 0).trimmed();
            if (page.isEmpty())
                continue;
            const QString file = page.section(u'#', 0, 0);
            QVERIFY2(m_archive.exists(m_paths.baseDir() + file), qPrintable(page));
            if (page.contains(u'#'))
                QVERIFY2(anchorExists(file, page.section(u'#', 1)), qPrintable(page));
        }
    }
    // Help file and the sounds named by elements are loose files.
    QVERIFY(QFile::exists(BookPaths::toNative(m_main.helpwin.fn)));
    for (const QString& song : m_main.bgsounddef)
        QVERIFY(QFile::exists(BookPaths::toNative(song)));
}

void TestDemoBook::pageLinksResolve_data() {
    QTest::addColumn<QString>("page");
    for (const QString& f : m_archive.listFiles()) {
        if (f.endsWith(QLatin1String(".HTM")))
            QTest::newRow(qPrintable(f)) << f.section(u'\\', -1).toLower();
    }
}

void TestDemoBook::pageLinksResolve() {
    QFETCH(QString, page);
    const QByteArray bytes = m_archive.read(m_paths.baseDir() + page).value_or(QByteArray());
    QVERIFY(!bytes.isEmpty());
    const QString html = pageText(bytes);
    QVERIFY2(bytes.contains("charset=windows-1251") || bytes.contains("keep-utf8"),
             "pages are windows-1251 unless marked");
    QVERIFY(html.contains(QLatin1String("<title>")));
    static const QRegularExpression attr(QStringLiteral("(?:href|src)=\"([^\"]+)\""));
    auto it = attr.globalMatch(html);
    int links = 0;
    while (it.hasNext()) {
        const QString link = it.next().captured(1);
        ++links;
        if (link.startsWith(QLatin1String("http:")) || link.startsWith(QLatin1String("mailto:")))
            continue;
        if (link.startsWith(QLatin1String("copylist:"))) {
            QVERIFY(html.contains(QStringLiteral("<select name=\"%1\"").arg(link.mid(9))));
            continue;
        }
        QString target = link;
        bool loose = false;
        if (target.startsWith(QLatin1String("printhtml:")))
            target = target.mid(10);
        else if (target.startsWith(QLatin1String("copy:"))) {
            target = target.mid(5);
            loose = true; // copied from the disk
        }
        const QString file = target.section(u'#', 0, 0);
        const QString anchor = target.section(u'#', 1);
        const QString path = m_paths.baseDir() + (file.isEmpty() ? page : file);
        QVERIFY2(m_archive.exists(path), qPrintable(link));
        if (loose || file.endsWith(QLatin1String(".wav")) || file.endsWith(QLatin1String(".rar")) ||
            file.endsWith(QLatin1String(".zip")) || file.endsWith(QLatin1String(".csv")))
            QVERIFY2(BookPaths::fileExists(path),
                     qPrintable(link + QStringLiteral(" not on disk")));
        if (!anchor.isEmpty() && anchor != QLatin1String("top"))
            QVERIFY2(anchorExists(file.isEmpty() ? page : file, anchor), qPrintable(link));
    }
    QVERIFY(links > 0);
}

void TestDemoBook::indexFilesAgree() {
    const QString base = m_paths.baseDir();
    const QStringList keywords =
        idxLines(m_archive.read(base + QStringLiteral("keywords.idx")).value_or(QByteArray()));
    const QStringList lists =
        idxLines(m_archive.read(base + QStringLiteral("index.idx")).value_or(QByteArray()));
    const QStringList files =
        idxLines(m_archive.read(base + QStringLiteral("files.idx")).value_or(QByteArray()));
    QVERIFY(keywords.size() >= 20);
    QCOMPARE(lists.size(), keywords.size());
    QVERIFY(files.size() >= 20);
    for (const QString& f : files) {
        const QString page = f.section(QStringLiteral("#:#"), 0, 0);
        QVERIFY2(!f.section(QStringLiteral("#:#"), 1).isEmpty(), qPrintable(f));
        QVERIFY2(m_archive.exists(base + page), qPrintable(page));
    }
    for (int k = 0; k < keywords.size(); ++k) {
        const QStringList numbers = lists.at(k).split(u':');
        QVERIFY(!numbers.isEmpty());
        for (const QString& n : numbers) {
            bool ok = false;
            const int line = n.toInt(&ok);
            QVERIFY(ok && line >= 1 && line <= files.size());
            const QString page = files.at(line - 1).section(QStringLiteral("#:#"), 0, 0);
            QVERIFY2(pageOf(page).contains(keywords.at(k), Qt::CaseInsensitive),
                     qPrintable(keywords.at(k) + QStringLiteral(" / ") + page));
        }
    }
}

void TestDemoBook::thesaurusIndexPointsAtAnchors() {
    const QStringList lines = idxLines(
        m_archive.read(m_paths.baseDir() + QStringLiteral("tezaurus.idx")).value_or(QByteArray()));
    QVERIFY(lines.size() >= 10);
    for (const QString& line : lines) {
        QVERIFY2(line.contains(u'~'), qPrintable(line));
        const QString page = line.section(u'~', 1).trimmed();
        const QString file = page.section(u'#', 0, 0);
        QVERIFY2(m_archive.exists(m_paths.baseDir() + file), qPrintable(line));
        if (page.contains(u'#'))
            QVERIFY2(anchorExists(file, page.section(u'#', 1)), qPrintable(line));
    }
}

void TestDemoBook::picturesDecode() {
    int pictures = 0;
    for (const QString& f : m_archive.listFiles()) {
        const QString lower = f.toLower();
        if (!lower.endsWith(QLatin1String(".gif")) && !lower.endsWith(QLatin1String(".png")) &&
            !lower.endsWith(QLatin1String(".jpg")) && !lower.endsWith(QLatin1String(".bmp")))
            continue;
        QByteArray bytes = m_archive.read(m_paths.bookRoot() + f).value_or(QByteArray());
        QBuffer buffer(&bytes);
        QImageReader reader(&buffer);
        const QImage image = reader.read();
        QVERIFY2(!image.isNull(), qPrintable(f));
        if (lower.endsWith(QLatin1String("piston.gif")))
            QCOMPARE(reader.imageCount(), 12);
        ++pictures;
    }
    QVERIFY(pictures >= 12);
}

void TestDemoBook::soundsArePaddedWavs() {
    QStringList sounds;
    for (const RScreen& s : m_main.screens)
        for (const RBtn& b : s.buttons)
            sounds << b.wav;
    sounds.removeDuplicates();
    QVERIFY(!sounds.isEmpty());
    for (const QString& wav : std::as_const(sounds)) {
        QFile f(QDir(kRun).filePath(QString(wav).replace(u'\\', u'/')));
        QVERIFY2(f.open(QIODevice::ReadOnly), qPrintable(wav));
        const QByteArray bytes = f.readAll();
        QVERIFY(bytes.startsWith("RIFF") && bytes.mid(8, 4) == "WAVE");
        const quint32 rate = qFromLittleEndian<quint32>(bytes.constData() + 24);
        const double seconds = double(bytes.size() - 44) / (rate * 2);
        QVERIFY2(seconds >= 0.14 && seconds <= 1.0, qPrintable(wav));
    }
}

void TestDemoBook::carClipIsMotionJpegAvi() {
    // The cover's "3d" command plays car.avi from the base directory.
    QFile f(kRun + QStringLiteral("/car.avi"));
    QVERIFY(f.open(QIODevice::ReadOnly));
    const QByteArray bytes = f.readAll();
    QVERIFY(bytes.startsWith("RIFF") && bytes.mid(8, 4) == "AVI ");
    QCOMPARE(qFromLittleEndian<quint32>(bytes.constData() + 4), quint32(bytes.size() - 8));
    QVERIFY(bytes.contains("vidsMJPG"));
    QVERIFY(bytes.contains("idx1"));
    // The movi list holds one JPEG picture a frame, chunk after chunk.
    int frames = 0;
    qsizetype at = bytes.indexOf("movi");
    QVERIFY(at > 0);
    for (at += 4; at + 8 <= bytes.size() && bytes.mid(at, 4) == "00dc";) {
        const quint32 size = qFromLittleEndian<quint32>(bytes.constData() + at + 4);
        QVERIFY(at + 8 + qsizetype(size) <= bytes.size());
        const QByteArray frame = bytes.mid(at + 8, size);
        QVERIFY(frame.startsWith("\xFF\xD8"));
        QVERIFY(!QImage::fromData(frame, "JPEG").isNull());
        ++frames;
        at += 8 + size + (size & 1);
    }
    QCOMPARE(frames, 72);
}

void TestDemoBook::albumClipAndFontPage() {
    // The album's folder holds pictures of all three kinds, each readable.
    const QString slides = m_paths.resolvePath(m_main.image[0].dir);
    QDir dir(BookPaths::toNative(slides));
    QStringList kinds;
    for (const QString& name : dir.entryList(QDir::Files, QDir::Name)) {
        kinds << QFileInfo(name).suffix();
        QVERIFY2(!QImage(dir.filePath(name)).isNull(), qPrintable(name));
    }
    QVERIFY(kinds.contains("bmp") && kinds.contains("jpg") && kinds.contains("jpeg"));
    // The start clip is a short Motion-JPEG AVI beside the program.
    QFile clip(kRun + QLatin1Char('/') + m_main.rolic);
    QVERIFY(clip.open(QIODevice::ReadOnly));
    const QByteArray bytes = clip.readAll();
    QVERIFY(bytes.startsWith("RIFF") && bytes.contains("vidsMJPG"));
    // The font page's folder holds the page and a usable font.
    QVERIFY(QFile::exists(kRun + QStringLiteral("/fonts/fonts.htm")));
    const QStringList fonts = QDir(kRun + QStringLiteral("/fonts")).entryList({"*.ttf"});
    QCOMPARE(fonts.size(), 1);
    const int id = QFontDatabase::addApplicationFont(kRun + QStringLiteral("/fonts/") + fonts[0]);
    QVERIFY(id >= 0);
    QFontDatabase::removeApplicationFont(id);
}

QTEST_MAIN(TestDemoBook)
#include "tst_demobook.moc"
