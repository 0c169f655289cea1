// The content archive on any file: open it, list it, look up and read every
// listed file, and look up paths taken from the input.
#include "FuzzSupport.h"

#include "content/ContentArchive.h"
#include "platform/Cp1251.h"

namespace {

// Only relative paths without ".." are read: with an empty current folder
// their fall-back to the disk cannot reach a real file.
bool safeToRead(const QString& path) {
    return !path.startsWith(QLatin1Char('\\')) && !path.startsWith(QLatin1Char('/')) &&
           !path.contains(QLatin1Char(':')) && !path.contains(QLatin1String(".."));
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    fuzz::enterEmptyFolder();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QString path = fuzz::writeScratch("interface.dat", data, size);
    ContentArchive archive;
    QString error;
    if (!archive.open(path, &error))
        return 0;
    archive.setRootPrefix(QStringLiteral("\\book\\"));
    const QStringList files = archive.listFiles();
    for (const QString& file : files) {
        const bool found = archive.inArchive(file);
        if (found && safeToRead(file))
            archive.read(file);
        archive.inArchive(QStringLiteral("\\book\\") + file.toLower());
    }
    // Paths from the input's last bytes, as written and with the prefix.
    const qsizetype tail = qMin<qsizetype>(qsizetype(size), 80);
    const QString guess =
        cp1251::toUnicode(reinterpret_cast<const char*>(data) + size - tail, tail);
    for (const QString& candidate : {guess, QStringLiteral("\\book\\") + guess}) {
        if (archive.inArchive(candidate) && safeToRead(candidate))
            archive.read(candidate);
    }
    archive.exists(QStringLiteral("MAN\\P1.HTM"));
    return 0;
}
