// vantrel-demo-gen: draws and writes the demo book's generated files.
//
//   vantrel-demo-gen --source DEMO_DIR --stage STAGE_DIR --book BOOK_DIR --font FILE.ttf
//
// STAGE_DIR/pack     the resource pack's files (descriptions, skin pictures, icon)
// STAGE_DIR/content  the content archive's files, below run/ (pages, pictures, indexes)
// BOOK_DIR/run       loose files: sounds, help, linked files, the book font

#include "ArchiveFiles.h"
#include "AviWriter.h"
#include "ExtrasArchive.h"
#include "GifWriter.h"
#include "Illustrations.h"
#include "PageSet.h"
#include "SkinArt.h"
#include "SkinSet.h"
#include "SoundSynth.h"
#include "VisualFiles.h"

#include "data/StructParser.h"

#include <QBuffer>
#include <QCommandLineParser>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QFontDatabase>
#include <QGuiApplication>
#include <QImageWriter>

#include <cstdio>

namespace {

[[noreturn]] void fail(const QString& message) {
    std::fprintf(stderr, "vantrel-demo-gen: %s\n", message.toUtf8().constData());
    std::exit(1);
}

void writeFile(const QString& path, const QByteArray& bytes) {
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly) || f.write(bytes) != bytes.size())
        fail(QStringLiteral("%1: cannot write").arg(path));
}

QByteArray readFile(const QString& path) {
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        fail(QStringLiteral("%1: cannot read").arg(path));
    return f.readAll();
}

QByteArray encodeImage(const QImage& image, const char* format, int quality = -1) {
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, format);
    if (quality >= 0)
        writer.setQuality(quality);
    if (!writer.write(image))
        fail(QStringLiteral("cannot encode a %1 picture: %2")
                 .arg(QString::fromLatin1(format), writer.errorString()));
    return bytes;
}

// A description as the reader sees it after decoding: lines, ASCII lower-cased.
StructModel parseDescription(const QString& path, StructGrammar grammar) {
    QString text = QString::fromUtf8(readFile(path));
    text.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    QStringList lines = text.split(u'\n');
    for (QString& line : lines) {
        for (QChar& c : line)
            if (c >= u'A' && c <= u'Z')
                c = QChar(c.unicode() + 32);
    }
    return parseStruct(lines, nullptr, grammar);
}

void removeTree(const QString& path) {
    QDir dir(path);
    if (dir.exists() && !dir.removeRecursively())
        fail(QStringLiteral("%1: cannot remove").arg(path));
}

} // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    QCommandLineParser cli;
    cli.setApplicationDescription(QStringLiteral("Draws the demo book's pictures and sounds."));
    cli.addHelpOption();
    const QCommandLineOption sourceOpt(QStringLiteral("source"), QStringLiteral("demo folder"),
                                       QStringLiteral("DIR"));
    const QCommandLineOption stageOpt(QStringLiteral("stage"), QStringLiteral("staging folder"),
                                      QStringLiteral("DIR"));
    const QCommandLineOption bookOpt(QStringLiteral("book"), QStringLiteral("book folder"),
                                     QStringLiteral("DIR"));
    const QCommandLineOption fontOpt(QStringLiteral("font"), QStringLiteral("the book's .ttf"),
                                     QStringLiteral("FILE"));
    const QCommandLineOption installFontOpt(QStringLiteral("install-font"),
                                            QStringLiteral("the .ttf of the font page"),
                                            QStringLiteral("FILE"));
    cli.addOptions({sourceOpt, stageOpt, bookOpt, fontOpt, installFontOpt});
    cli.process(app);
    for (const QCommandLineOption& o : {sourceOpt, stageOpt, bookOpt, fontOpt})
        if (!cli.isSet(o))
            fail(QStringLiteral("missing --%1 (see --help)").arg(o.names().first()));
    const QDir source(cli.value(sourceOpt));
    const QString stage = cli.value(stageOpt);
    const QString run = cli.value(bookOpt) + QStringLiteral("/run");
    const QString font = cli.value(fontOpt);

    // The book's font draws the captions of the skin.
    const int fontId = QFontDatabase::addApplicationFont(font);
    if (fontId < 0)
        fail(QStringLiteral("%1: not a usable font").arg(font));
    skinart::setSerifFamily(QFontDatabase::applicationFontFamilies(fontId).value(0));

    const QString packDir = stage + QStringLiteral("/pack");
    const QString contentDir = stage + QStringLiteral("/content/run");
    // Only the generator's own folders are cleared, never the folders given.
    removeTree(stage + QStringLiteral("/pack"));
    removeTree(stage + QStringLiteral("/content"));
    for (const char* sub : {"snd", "help", "files", "video", "slides", "fonts"})
        removeTree(run + QLatin1Char('/') + QLatin1String(sub));
    QFile::remove(run + QStringLiteral("/car.avi"));
    QFile::remove(run + QStringLiteral("/intro.avi"));
    QDir().mkpath(packDir);
    QDir().mkpath(contentDir);
    for (const QString& old : QDir(run).entryList({QStringLiteral("*.ttf")}, QDir::Files))
        QFile::remove(run + QLatin1Char('/') + old);

    // Resource pack: descriptions as written, pictures drawn for them.
    const QStringList cfs = QDir(source.filePath(QStringLiteral("pack")))
                                .entryList({QStringLiteral("*.cfs")}, QDir::Files, QDir::Name);
    for (const QString& name : cfs)
        writeFile(packDir + QLatin1Char('/') + name,
                  readFile(source.filePath(QStringLiteral("pack/") + name)));
    const StructModel mainModel =
        parseDescription(source.filePath(QStringLiteral("pack/Struct.cfs")), StructGrammar::Main);
    const StructModel thesModel = parseDescription(
        source.filePath(QStringLiteral("pack/Tesaurus.cfs")), StructGrammar::Thesaurus);
    SkinSet skins;
    skins.build(mainModel, thesModel);
    for (auto it = skins.pictures().cbegin(); it != skins.pictures().cend(); ++it)
        writeFile(packDir + QLatin1Char('/') + it.key(),
                  encodeImage(it.value().convertToFormat(QImage::Format_RGB888), "BMP"));
    writeFile(packDir + QLatin1Char('/') + mainModel.icon, encodeImage(skins.icon(), "ICO"));

    // Pages and the prepared index.
    PageSet pages;
    QString error;
    if (!pages.load(source.filePath(QStringLiteral("pages")), &error))
        fail(error);
    for (const PageSet::Page& page : pages.pages())
        writeFile(contentDir + QLatin1Char('/') + page.file, page.bytes);
    for (const QString& css : QDir(source.filePath(QStringLiteral("pages")))
                                  .entryList({QStringLiteral("*.css")}, QDir::Files))
        writeFile(contentDir + QLatin1Char('/') + css,
                  readFile(source.filePath(QStringLiteral("pages/") + css)));
    writeFile(contentDir + QStringLiteral("/tezaurus.idx"),
              PageSet::toCp1251Text(QString::fromUtf8(
                  readFile(source.filePath(QStringLiteral("pages/tezaurus.txt"))))));

    // Pictures of the pages, in the formats a book of the time used.
    using namespace illustrations;
    const QString img = contentDir + QStringLiteral("/img/");
    writeFile(img + QStringLiteral("car_side.png"), encodeImage(carStudio(520, 200), "PNG"));
    writeFile(img + QStringLiteral("engine.gif"), GifWriter::still(engineSection(480, 320)));
    writeFile(img + QStringLiteral("engine_big.png"), encodeImage(engineSection(960, 640), "PNG"));
    writeFile(img + QStringLiteral("timing.png"), encodeImage(timingBelt(400, 280), "PNG"));
    writeFile(img + QStringLiteral("cooling.png"), encodeImage(coolingCircuit(480, 300), "PNG"));
    writeFile(img + QStringLiteral("brakes.jpg"), encodeImage(brakeAssembly(400, 300), "JPEG", 88));
    writeFile(img + QStringLiteral("brake_pads.bmp"),
              encodeImage(brakePads(360, 200).convertToFormat(QImage::Format_RGB888), "BMP"));
    writeFile(img + QStringLiteral("wiring.gif"), GifWriter::still(wiringDiagram(520, 320)));
    writeFile(img + QStringLiteral("wiring_big.png"), encodeImage(wiringDiagram(1040, 640), "PNG"));
    writeFile(img + QStringLiteral("battery.jpg"), encodeImage(batteryCheck(360, 240), "JPEG", 88));
    writeFile(img + QStringLiteral("fuses.png"), encodeImage(fuseBox(420, 260), "PNG"));
    writeFile(img + QStringLiteral("lamps.gif"), GifWriter::still(dashboardLamps(400, 100)));
    writeFile(img + QStringLiteral("warn.gif"), GifWriter::still(warningSign(24)));
    writeFile(contentDir + QStringLiteral("/piston.gif"),
              GifWriter::animation(pistonFrames(120, 70, 12), 8));

    // Loose files: sounds, help, files behind the pages' links, the font.
    writeFile(run + QStringLiteral("/snd/click.wav"), soundsynth::click());
    writeFile(run + QStringLiteral("/snd/switch.wav"), soundsynth::toggle());
    writeFile(run + QStringLiteral("/snd/exit.wav"), soundsynth::exitChime());
    writeFile(run + QStringLiteral("/snd/horn.wav"), soundsynth::horn());
    writeFile(run + QStringLiteral("/snd/theme.wav"), soundsynth::theme());
    writeFile(run + QStringLiteral("/snd/road.wav"), soundsynth::road());
    {
        QString why;
        const std::optional<QByteArray> help = PageSet::convertPage(
            QString::fromUtf8(readFile(source.filePath(QStringLiteral("pages/help/help.htm")))),
            &why);
        if (!help)
            fail(QStringLiteral("help.htm: %1").arg(why));
        writeFile(run + QStringLiteral("/help/help.htm"), *help);
    }
    const QDir filesSource(source.filePath(QStringLiteral("pages/files")));
    QList<archivefiles::File> packed;
    for (const QString& name : filesSource.entryList(QDir::Files, QDir::Name)) {
        QByteArray bytes = readFile(filesSource.filePath(name));
        if (name.endsWith(QLatin1String(".txt")) || name.endsWith(QLatin1String(".csv")))
            bytes = PageSet::toCp1251Text(QString::fromUtf8(bytes));
        writeFile(run + QStringLiteral("/files/") + name, bytes);
        packed.append({name, bytes});
    }
    packed.append({QStringLiteral("img/fuses.png"), encodeImage(fuseBox(420, 260), "PNG")});
    writeFile(run + QStringLiteral("/files/service_book.zip"), archivefiles::zip(packed));
    QList<archivefiles::File> tools = packed;
    tools.append(
        {QStringLiteral("diag/readme.txt"),
         PageSet::toCp1251Text(QStringLiteral(
             "Диагностика Vantrel\nКоды неисправностей: см. страницу 19 руководства.\n"))});
    writeFile(run + QStringLiteral("/files/diag_tools.rar"), archivefiles::rar4(tools));
    writeFile(run + QStringLiteral("/files/extras.rar"), extrasarchive::build());
    writeFile(run + QLatin1Char('/') + QFileInfo(font).fileName(), readFile(font));
    // The cover's "3D" clip, played in the car picture's place (31,135)-(687,394).
    writeFile(run + QStringLiteral("/car.avi"),
              AviWriter::motionJpeg(carTurntable(656, 260, 72), 12, 80));
    // The clip of the video screen: three turns of the crank, 6 s.
    {
        const QList<QImage> turn = pistonFrames(320, 240, 24);
        writeFile(run + QStringLiteral("/video/engine.avi"),
                  AviWriter::motionJpeg(turn + turn + turn, 12, 75));
    }

    // The photo album, the start clip and the font page with its font.
    for (const auto& [name, bytes] : visualfiles::slides())
        writeFile(run + QLatin1Char('/') + name, bytes);
    writeFile(run + QStringLiteral("/intro.avi"),
              AviWriter::motionJpeg(visualfiles::introFrames(), 12, 80));
    const QImage reader = skins.pictures().value(mainModel.screens.at(1).picture);
    for (const RScreen& s : mainModel.screens)
        if (s.picture == QLatin1String("album.bmp"))
            writeFile(
                packDir + QStringLiteral("/album.bmp"),
                encodeImage(visualfiles::albumSkin(reader).convertToFormat(QImage::Format_RGB888),
                            "BMP"));
    {
        const QString installFont = cli.isSet(installFontOpt) ? cli.value(installFontOpt) : font;
        writeFile(run + QStringLiteral("/fonts/") + QFileInfo(installFont).fileName(),
                  readFile(installFont));
        QString why;
        const std::optional<QByteArray> page = PageSet::convertPage(
            QString::fromUtf8(readFile(source.filePath(QStringLiteral("pages/fonts/fonts.htm")))),
            &why);
        if (!page)
            fail(QStringLiteral("fonts.htm: %1").arg(why));
        writeFile(run + QStringLiteral("/fonts/fonts.htm"), *page);
    }

    std::printf("vantrel-demo-gen: %d pack files, %d pages\n",
                int(skins.pictures().size() + cfs.size() + 1), int(pages.pages().size()));
    return 0;
}
