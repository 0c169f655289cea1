#include "content/ContentArchive.h"

#include "data/BookPaths.h"
#include "platform/Cp1251.h"

#include <QFileInfo>

#include <zlib.h>

#include <algorithm>
#include <cstring>
#include <mutex>
#include <vector>

namespace {

// Deflate cannot expand data by more than about 1032:1; anything claiming
// more is damaged, whatever its header says.
constexpr quint64 kMaxInflateRatio = 1032;
constexpr quint64 kInflateSlack = 1024;

// Listing budget: characters of all listed paths together.
constexpr qsizetype kMaxListingChars = 64 << 20;

quint32 readLe32(const char* p) {
    const auto* u = reinterpret_cast<const unsigned char*>(p);
    return quint32(u[0]) | quint32(u[1]) << 8 | quint32(u[2]) << 16 | quint32(u[3]) << 24;
}

bool plausibleUnpacked(quint64 stored, quint64 unpacked, quint64 ceiling) {
    return unpacked <= ceiling && unpacked <= stored * kMaxInflateRatio + kInflateSlack;
}

// One-shot inflate of a zlib stream into exactly `size` bytes.
bool inflateExact(const QByteArray& in, qsizetype size, QByteArray& out) {
    out = QByteArray(size, Qt::Uninitialized);
    uLongf outLen = uLongf(size);
    // uncompress() wants a non-null destination even for an empty result.
    char dummy = 0;
    Bytef* dst = size > 0 ? reinterpret_cast<Bytef*>(out.data()) : reinterpret_cast<Bytef*>(&dummy);
    const int rc =
        uncompress(dst, &outLen, reinterpret_cast<const Bytef*>(in.constData()), uLong(in.size()));
    if (rc != Z_OK || outLen != uLongf(size)) {
        out.clear();
        return false;
    }
    return true;
}

// Code page 1251 bytes of a path text; nothing when a character has no byte
// in the code page (such a path can name no entry).
std::optional<QByteArray> toCp1251(const QString& text) {
    QByteArray out(text.size(), Qt::Uninitialized);
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        const char b = cp1251::fromUnicode(c, '\0');
        if (b == '\0' && c.unicode() != 0)
            return std::nullopt;
        out[i] = b;
    }
    return out;
}

} // namespace

struct ContentArchive::State {
    struct Folder {
        quint32 first = 0;
        quint32 count = 0; // 0 when the record points outside the entry table
    };
    struct Entry {
        char name[kNameSize];
        quint8 nameLength = 0;
        quint32 number = 0; // folder record index, or data offset of a file
        quint32 stored = 0;
        quint32 unpacked = 0;
        quint32 kind = 0; // 0: damaged entry, never matches
    };

    mutable std::mutex fileMutex;
    mutable QFile file;
    bool open = false;
    qint64 fileSize = 0;
    quint64 dataBase = 0;
    quint32 root = 0;
    std::vector<Folder> folders;
    std::vector<Entry> entries;
    QByteArray rootPrefix;

    void release() {
        std::lock_guard lock(fileMutex);
        if (file.isOpen())
            file.close();
        open = false;
        fileSize = 0;
        dataBase = 0;
        root = 0;
        folders = {};
        entries = {};
        rootPrefix.clear();
    }

    bool readAt(quint64 offset, qsizetype size, QByteArray& out) const {
        std::lock_guard lock(fileMutex);
        if (!file.isOpen() || !file.seek(qint64(offset)))
            return false;
        out = QByteArray(size, Qt::Uninitialized);
        qsizetype done = 0;
        while (done < size) {
            const qint64 n = file.read(out.data() + done, size - done);
            if (n <= 0)
                return false;
            done += n;
        }
        return true;
    }

    bool parseDirectory(const QByteArray& block, QString* reason);
    std::optional<quint32> lookup(const QString& pathText) const;
    std::optional<QByteArray> load(const Entry& e) const;
};

bool ContentArchive::State::parseDirectory(const QByteArray& block, QString* reason) {
    const quint64 size = quint64(block.size());
    if (size < quint64(kDirectoryHeaderSize)) {
        *reason = QStringLiteral("directory block too short");
        return false;
    }
    const char* p = block.constData();
    const quint64 folderCount = readLe32(p);
    const quint64 entryCount = readLe32(p + 4);
    root = readLe32(p + 12);
    const quint64 needed =
        kDirectoryHeaderSize + folderCount * kFolderRecordSize + entryCount * kEntryRecordSize;
    if (needed > size) {
        *reason = QStringLiteral("directory counts (%1 folders, %2 entries) exceed the block")
                      .arg(folderCount)
                      .arg(entryCount);
        return false;
    }
    if (root >= folderCount) {
        *reason = QStringLiteral("root folder index %1 out of range").arg(root);
        return false;
    }

    folders.resize(folderCount);
    const char* f = p + kDirectoryHeaderSize;
    for (quint64 i = 0; i < folderCount; ++i, f += kFolderRecordSize) {
        const quint64 first = readLe32(f);
        const quint64 count = readLe32(f + 4);
        if (first + count <= entryCount)
            folders[i] = {quint32(first), quint32(count)};
    }

    entries.resize(entryCount);
    const quint64 dataSize = quint64(fileSize) - dataBase;
    const char* r = f;
    for (quint64 i = 0; i < entryCount; ++i, r += kEntryRecordSize) {
        Entry& e = entries[i];
        std::memcpy(e.name, r, kNameSize);
        const void* nul = std::memchr(r, 0, kNameSize);
        e.nameLength = quint8(nul ? static_cast<const char*>(nul) - r : kNameSize);
        e.number = readLe32(r + 64);
        e.stored = readLe32(r + 68);
        e.unpacked = readLe32(r + 72);
        const quint32 kind = readLe32(r + 76);
        bool sound = false;
        if (kind == kKindFolder) {
            sound = e.number < folderCount;
        } else if (kind == kKindFile) {
            const bool inFile = quint64(e.number) + e.stored <= dataSize;
            const bool sizeOk = e.stored == e.unpacked
                                    ? quint64(e.unpacked) <= kMaxFileSize
                                    : plausibleUnpacked(e.stored, e.unpacked, kMaxFileSize);
            sound = inFile && sizeOk;
        }
        e.kind = sound ? kind : 0;
    }
    return true;
}

std::optional<quint32> ContentArchive::State::lookup(const QString& pathText) const {
    if (!open || pathText.size() > kMaxPathLength)
        return std::nullopt;
    const auto bytes = toCp1251(pathText);
    if (!bytes)
        return std::nullopt;
    const QByteArray path = normalise(*bytes);

    qsizetype pos = 0;
    if (!rootPrefix.isEmpty() && path.startsWith(rootPrefix))
        pos = rootPrefix.size();
    if (pos < path.size() && path.at(pos) == '\\')
        ++pos;

    quint32 folder = root;
    for (;;) {
        qsizetype end = path.indexOf('\\', pos);
        const bool last = end < 0;
        if (last)
            end = path.size();
        const qsizetype length = end - pos;
        if (length > kMaxPartLength)
            return std::nullopt;
        const quint32 wanted = last ? kKindFile : kKindFolder;
        const Folder& fr = folders[folder];
        const char* part = path.constData() + pos;
        std::optional<quint32> match;
        for (quint32 i = fr.first, stop = fr.first + fr.count; i < stop; ++i) {
            const Entry& e = entries[i];
            if (e.nameLength != length || std::memcmp(e.name, part, size_t(length)) != 0)
                continue;
            if (e.kind != wanted)
                return std::nullopt;
            match = i;
            break;
        }
        if (!match)
            return std::nullopt;
        if (last)
            return match;
        folder = entries[*match].number;
        pos = end + 1;
    }
}

std::optional<QByteArray> ContentArchive::State::load(const Entry& e) const {
    QByteArray raw;
    if (!readAt(dataBase + e.number, qsizetype(e.stored), raw))
        return std::nullopt;
    if (e.stored == e.unpacked)
        return raw;
    QByteArray out;
    if (!inflateExact(raw, qsizetype(e.unpacked), out))
        return std::nullopt;
    return out;
}

ContentArchive::ContentArchive() : d(std::make_unique<State>()) {}

ContentArchive::~ContentArchive() = default;

bool ContentArchive::open(const QString& nativePath, QString* error) {
    d->release();
    auto fail = [&](const QString& reason) {
        if (error)
            *error = QStringLiteral("%1: %2").arg(nativePath, reason);
        d->release();
        return false;
    };
    if (error)
        error->clear();

    {
        QFileInfo info(nativePath);
        if (!info.exists())
            return false; // no archive: the book's files are on disk
        if (!info.isFile())
            return fail(QStringLiteral("not a regular file"));
    }
    std::unique_lock lock(d->fileMutex);
    d->file.setFileName(nativePath);
    if (!d->file.open(QIODevice::ReadOnly)) {
        lock.unlock();
        return fail(d->file.errorString());
    }
    d->fileSize = d->file.size();
    lock.unlock();

    QByteArray header;
    if (d->fileSize < 8 || !d->readAt(0, 8, header))
        return fail(QStringLiteral("file too short for an archive header"));
    const quint64 unpackedExtra = readLe32(header.constData()) ^ kMaskA;
    const quint64 storedSize = readLe32(header.constData() + 4) ^ kMaskB;
    const quint64 unpackedSize = unpackedExtra + storedSize;
    if (8 + storedSize > quint64(d->fileSize))
        return fail(QStringLiteral("directory block (%1 bytes) runs past the end of the file")
                        .arg(storedSize));
    if (unpackedSize > 0xFFFFFFFFull ||
        !plausibleUnpacked(storedSize, unpackedSize, kMaxDirectorySize))
        return fail(QStringLiteral("implausible directory size %1").arg(unpackedSize));
    d->dataBase = 8 + storedSize;

    QByteArray stored;
    if (!d->readAt(8, qsizetype(storedSize), stored))
        return fail(QStringLiteral("cannot read the directory block"));
    QByteArray block;
    if (unpackedExtra == 0)
        block = std::move(stored);
    else if (!inflateExact(stored, qsizetype(unpackedSize), block))
        return fail(QStringLiteral("directory block is corrupt (inflate failed)"));

    QString reason;
    if (!d->parseDirectory(block, &reason))
        return fail(reason);
    d->rootPrefix.clear();
    d->open = true;
    return true;
}

bool ContentArchive::isOpen() const {
    return d->open;
}

void ContentArchive::close() {
    d->release();
}

QByteArray ContentArchive::normalise(const QByteArray& cp1251Path) {
    QByteArray out = cp1251::upperArchive(cp1251Path);
    out.replace('/', '\\');
    return out;
}

void ContentArchive::setRootPrefix(const QString& pathText) {
    d->rootPrefix = normalise(cp1251::fromUnicode(pathText));
}

bool ContentArchive::exists(const QString& pathText) const {
    return BookPaths::fileExists(pathText) || inArchive(pathText);
}

std::optional<quint64> ContentArchive::sizeOf(const QString& pathText) const {
    if (const auto index = d->lookup(pathText))
        return quint64(d->entries[*index].unpacked);
    const QString native = BookPaths::resolveOnDisk(pathText);
    const QFileInfo info(native);
    if (native.isEmpty() || !info.isFile())
        return std::nullopt;
    return quint64(info.size());
}

bool ContentArchive::inArchive(const QString& pathText) const {
    return d->lookup(pathText).has_value();
}

std::optional<QByteArray> ContentArchive::read(const QString& pathText, QString* error) const {
    if (error)
        error->clear();
    bool corrupt = false;
    if (const auto index = d->lookup(pathText)) {
        if (auto bytes = d->load(d->entries[*index]))
            return bytes;
        corrupt = true; // fails like a missing entry: the disk is tried next
    }

    const QString native = BookPaths::resolveOnDisk(pathText);
    if (!native.isEmpty()) {
        QFile file(native);
        const QFileInfo info(native);
        if (info.isFile() && quint64(info.size()) <= kMaxFileSize &&
            file.open(QIODevice::ReadOnly)) {
            QByteArray bytes = file.readAll();
            if (file.error() == QFileDevice::NoError)
                return bytes;
        }
        if (error)
            *error = QStringLiteral("%1: cannot read the file").arg(pathText);
        return std::nullopt;
    }
    if (error)
        *error = corrupt ? QStringLiteral("%1: damaged archive entry").arg(pathText)
                         : QStringLiteral("%1: file not found").arg(pathText);
    return std::nullopt;
}

qsizetype ContentArchive::damagedEntryCount() const {
    return std::count_if(d->entries.begin(), d->entries.end(),
                         [](const State::Entry& e) { return e.kind == 0; });
}

QStringList ContentArchive::listFiles() const {
    QStringList result;
    if (!d->open)
        return result;
    result.reserve(1024);

    // Depth-first, entries in table order. Each folder record is walked at
    // most once and at most as many records are scanned as the table holds,
    // so folders that point back at an ancestor, or share records, cannot
    // make the walk loop or explode.
    struct Frame {
        quint32 next;
        quint32 stop;
        qsizetype pathLength;
    };
    std::vector<bool> visited(d->folders.size(), false);
    std::vector<Frame> stack;
    QByteArray path;
    quint64 budget = d->entries.size();
    qsizetype chars = 0;

    auto enter = [&](quint32 folder) {
        visited[folder] = true;
        const State::Folder& f = d->folders[folder];
        stack.push_back({f.first, f.first + f.count, path.size()});
    };
    enter(d->root);
    while (!stack.empty()) {
        Frame& top = stack.back();
        if (top.next >= top.stop || budget == 0) {
            stack.pop_back();
            if (!stack.empty())
                path.truncate(stack.back().pathLength);
            continue;
        }
        --budget;
        const State::Entry& e = d->entries[top.next++];
        if (e.nameLength == 0 || e.name[0] == '.')
            continue;
        // Paths beyond what a lookup can reach are left out (a folder needs
        // room for "\" and at least one more character).
        const qsizetype length = path.size() + e.nameLength;
        if (length > kMaxPathLength || (e.kind == kKindFolder && length + 2 > kMaxPathLength))
            continue;
        if (e.kind == kKindFile) {
            if (chars + length > kMaxListingChars)
                break;
            chars += length;
            result.append(cp1251::toUnicode(path + QByteArray(e.name, e.nameLength)));
        } else if (e.kind == kKindFolder && !visited[e.number]) {
            path.append(e.name, e.nameLength);
            path.append('\\');
            enter(e.number);
        }
    }
    result.squeeze();
    return result;
}
