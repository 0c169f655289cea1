// The descriptions beside the main grammar: the about box and the skinned
// dialog (with their outlines, built into window regions), the contents
// trees, and the index files of the index search. The input is read as
// plain description text (lines broken by CR LF) and, for the index search,
// cut at its first two NUL bytes into keywords.idx, index.idx and files.idx.
#include "FuzzSupport.h"

#include "content/ContentArchive.h"
#include "content/TMakeFind.h"
#include "data/AboutDescription.h"
#include "data/BookPaths.h"
#include "data/DialogDescription.h"
#include "data/IndexLines.h"
#include "data/StringUtils.h"
#include "data/StructParser.h"
#include "data/TreeDescription.h"
#include "platform/Cp1251.h"
#include "skin/TOutlineRegion.h"

#include <QBuffer>
#include <QDir>

namespace {

void regions(const QPolygon& outline) {
    TOutlineRegion::build(outline, QSize(640, 480));
}

void indexSearch(const QByteArray& bytes) {
    static const QString folder = [] {
        const QString f = QDir::tempPath() + QStringLiteral("/vantrel-fuzz-index");
        QDir().mkpath(f);
        return f;
    }();
    const QList<QByteArray> parts = bytes.split('\0');
    const char* names[] = {TMakeFind::kKeywords, TMakeFind::kIndex, TMakeFind::kFiles};
    for (int i = 0; i < 3; ++i) {
        QFile f(folder + QLatin1Char('/') + QLatin1String(names[i]));
        if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate))
            std::abort();
        if (i < parts.size())
            f.write(parts[i]);
    }
    static const ContentArchive archive;
    TMakeFind find(archive);
    find.SetFolder(folder);
    QStringList files, titles;
    const QString word = cp1251::toUnicode(parts.value(3).left(32));
    find.IndexSearch(word, files, titles, false);
    find.IndexSearch(word, files, titles, true);

    QBuffer buffer;
    buffer.setData(bytes);
    buffer.open(QIODevice::ReadOnly);
    QByteArray line;
    int lines = 0;
    bool more = true;
    while (more && ++lines < 10000) {
        more = indexlines::ReadIndexLine(buffer, line);
        const QString text = cp1251::toUnicode(line);
        indexlines::SplitBy(QStringLiteral("|"), text);
        indexlines::SplitBy(QStringLiteral(";;"), indexlines::trimControls(text));
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const BookPaths paths(QStringLiteral("/book/run/"));
    const QByteArray bytes(reinterpret_cast<const char*>(data), qsizetype(size));
    const QStringList plain = cp1251::toUnicode(bytes).split(QStringLiteral("\r\n"));
    const QStringList lines = cfs::decode(cfs::encode(plain), true);

    const StructModel model = parseStruct(lines, &paths, StructGrammar::Main);
    regions(model.outline);
    const AboutDescription about = AboutDescription::parse(lines, QStringLiteral("fuzz"));
    if (about.vertex)
        regions(*about.vertex);
    DialogDescription::parse(lines, &paths, QStringLiteral("fuzz"));
    QStringList cuts;
    TreeDescription::parse(plain, &cuts);
    TreeDescription::parseEntry(bytes, &cuts);
    indexSearch(bytes);
    return 0;
}
