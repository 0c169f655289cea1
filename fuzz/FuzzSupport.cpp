#include "FuzzSupport.h"

#include <QDir>
#include <QFile>

#include <cstdio>
#include <cstdlib>
#include <unistd.h>

namespace fuzz {

namespace {

QString scratchFolder() {
    static const QString folder = [] {
        const QString path = QDir::tempPath() + QStringLiteral("/vantrel-fuzz-%1").arg(getpid());
        QDir().mkpath(path + QStringLiteral("/empty"));
        return path;
    }();
    return folder;
}

} // namespace

QString writeScratch(const char* tag, const uint8_t* data, size_t size) {
    const QString path = scratchFolder() + QLatin1Char('/') + QLatin1String(tag);
    const QByteArray native = QFile::encodeName(path);
    FILE* f = std::fopen(native.constData(), "wb");
    if (!f || (size > 0 && std::fwrite(data, 1, size, f) != size) || std::fclose(f) != 0) {
        std::fprintf(stderr, "fuzz: cannot write %s\n", native.constData());
        std::abort();
    }
    return path;
}

void enterEmptyFolder() {
    if (!QDir::setCurrent(scratchFolder() + QStringLiteral("/empty"))) {
        std::fprintf(stderr, "fuzz: cannot enter the scratch folder\n");
        std::abort();
    }
}

} // namespace fuzz
