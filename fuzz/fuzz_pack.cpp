// The resource pack reader on any file: load the directory, then look up and
// read every entry it names.
#include "FuzzSupport.h"

#include "data/TReadBin.h"

#include <QBuffer>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QString path = fuzz::writeScratch("pack.dhl", data, size);
    TReadBin pack;
    QString error;
    if (!pack.load(path, &error))
        return 0;
    for (const RBin& entry : pack.entries()) {
        if (!pack.has(entry.name))
            __builtin_trap(); // every listed name must be found
        QByteArray buffer;
        const qint64 n = pack.readToBuffer(entry.name, buffer);
        if (n >= 0 && n != buffer.size())
            __builtin_trap();
        QBuffer stream;
        pack.readToStream(entry.name, stream);
    }
    QByteArray buffer;
    pack.readToBuffer(QStringLiteral("Struct.cfs"), buffer);
    return 0;
}
