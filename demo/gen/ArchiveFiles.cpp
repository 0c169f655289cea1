#include "ArchiveFiles.h"

#include "platform/Cp1251.h"

namespace archivefiles {

namespace {

// 1 January 2026, 12:00, in MS-DOS form.
constexpr quint16 kDosTime = (12 << 11);
constexpr quint16 kDosDate = ((2026 - 1980) << 9) | (1 << 5) | 1;

void u16(QByteArray& out, quint32 v) {
    out.append(char(v & 0xFF));
    out.append(char((v >> 8) & 0xFF));
}
void u32(QByteArray& out, quint32 v) {
    u16(out, v & 0xFFFF);
    u16(out, v >> 16);
}

} // namespace

quint32 crc32(const QByteArray& data) {
    static quint32 table[256];
    static bool ready = false;
    if (!ready) {
        for (quint32 i = 0; i < 256; ++i) {
            quint32 c = i;
            for (int k = 0; k < 8; ++k)
                c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
            table[i] = c;
        }
        ready = true;
    }
    quint32 crc = 0xFFFFFFFFu;
    for (char ch : data)
        crc = table[(crc ^ quint8(ch)) & 0xFF] ^ (crc >> 8);
    return crc ^ 0xFFFFFFFFu;
}

QByteArray zip(const QList<File>& files) {
    QByteArray out, central;
    for (const File& f : files) {
        const QByteArray name = f.name.toUtf8();
        const quint32 crc = crc32(f.data);
        const quint32 offset = quint32(out.size());
        u32(out, 0x04034b50);
        u16(out, 10);     // version needed
        u16(out, 0x0800); // names are UTF-8
        u16(out, 0);      // stored
        u16(out, kDosTime);
        u16(out, kDosDate);
        u32(out, crc);
        u32(out, quint32(f.data.size()));
        u32(out, quint32(f.data.size()));
        u16(out, quint32(name.size()));
        u16(out, 0);
        out.append(name);
        out.append(f.data);

        u32(central, 0x02014b50);
        u16(central, 20);
        u16(central, 10);
        u16(central, 0x0800);
        u16(central, 0);
        u16(central, kDosTime);
        u16(central, kDosDate);
        u32(central, crc);
        u32(central, quint32(f.data.size()));
        u32(central, quint32(f.data.size()));
        u16(central, quint32(name.size()));
        u16(central, 0);
        u16(central, 0);
        u16(central, 0);
        u16(central, 0);
        u32(central, 0);
        u32(central, offset);
        central.append(name);
    }
    const quint32 centralOffset = quint32(out.size());
    out.append(central);
    u32(out, 0x06054b50);
    u16(out, 0);
    u16(out, 0);
    u16(out, quint32(files.size()));
    u16(out, quint32(files.size()));
    u32(out, quint32(central.size()));
    u32(out, centralOffset);
    u16(out, 0);
    return out;
}

QByteArray rar4(const QList<File>& files) {
    QByteArray out("Rar!\x1a\x07\x00", 7);
    auto block = [&out](QByteArray body) {
        // body starts at HEAD_TYPE; HEAD_SIZE sits at offset 3 of the body
        // (after type and flags) and counts the CRC too.
        const quint32 crc = crc32(body) & 0xFFFF;
        u16(out, crc);
        out.append(body);
    };
    {
        QByteArray main;
        main.append(char(0x73));
        u16(main, 0);
        u16(main, 13);
        u16(main, 0);
        u32(main, 0);
        block(main);
    }
    for (const File& f : files) {
        QString stored = f.name;
        stored.replace(u'/', u'\\');
        const QByteArray name = cp1251::fromUnicode(stored);
        QByteArray head;
        head.append(char(0x74));
        u16(head, 0x8000); // data follow the header
        u16(head, quint32(32 + name.size()));
        u32(head, quint32(f.data.size())); // packed size
        u32(head, quint32(f.data.size())); // unpacked size
        head.append(char(2));              // host: Windows
        u32(head, crc32(f.data));
        u32(head, (quint32(kDosDate) << 16) | kDosTime);
        head.append(char(20));   // version needed: 2.0
        head.append(char(0x30)); // method: store
        u16(head, quint32(name.size()));
        u32(head, 0x20); // archive attribute
        head.append(name);
        block(head);
        out.append(f.data);
    }
    {
        QByteArray end;
        end.append(char(0x7B));
        u16(end, 0x4000);
        u16(end, 7);
        block(end);
    }
    return out;
}

} // namespace archivefiles
