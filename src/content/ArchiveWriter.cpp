#include "content/ArchiveWriter.h"

#include "content/ContentArchive.h"
#include "platform/Cp1251.h"
#include "platform/Log.h"
#include "platform/TRegularFile.h"

#include <QDir>
#include <QFileInfo>
#include <QSaveFile>

#include <zlib.h>

#include <algorithm>
#include <deque>

namespace {

void appendLe32(QByteArray& out, quint32 v) {
    const char b[4] = {char(v & 0xFF), char((v >> 8) & 0xFF), char((v >> 16) & 0xFF),
                       char((v >> 24) & 0xFF)};
    out.append(b, 4);
}

void setError(QString* error, const QString& text) {
    if (error)
        *error = text;
}

// Folder nesting deeper than this cannot be looked up anyway (1024-character
// paths); it also stops a walk through a folder loop on disk.
constexpr int kMaxTreeDepth = 512;

} // namespace

std::optional<QByteArray> ArchiveWriter::compress(const QByteArray& bytes, int level) {
    uLongf size = compressBound(uLong(bytes.size()));
    QByteArray out(qsizetype(size), Qt::Uninitialized);
    if (compress2(reinterpret_cast<Bytef*>(out.data()), &size,
                  reinterpret_cast<const Bytef*>(bytes.constData()), uLong(bytes.size()),
                  level) != Z_OK)
        return std::nullopt;
    out.truncate(qsizetype(size));
    return out;
}

QByteArray ArchiveWriter::directoryHeader(quint32 folders, quint32 entries, quint32 root) {
    QByteArray out;
    appendLe32(out, folders);
    appendLe32(out, entries);
    appendLe32(out, 0);
    appendLe32(out, root);
    return out;
}

QByteArray ArchiveWriter::folderRecord(quint32 first, quint32 count) {
    QByteArray out;
    appendLe32(out, first);
    appendLe32(out, count);
    return out;
}

QByteArray ArchiveWriter::entryRecord(const QByteArray& name, quint32 number, quint32 stored,
                                      quint32 unpacked, quint32 kind) {
    QByteArray out = name.left(ContentArchive::kNameSize);
    out.append(ContentArchive::kNameSize - out.size(), '\0');
    appendLe32(out, number);
    appendLe32(out, stored);
    appendLe32(out, unpacked);
    appendLe32(out, kind);
    return out;
}

QByteArray ArchiveWriter::assemble(const QByteArray& directory, const QByteArray& data,
                                   bool compressDirectory, int level) {
    QByteArray block = directory;
    quint32 extra = 0;
    if (compressDirectory && level != 0) {
        const auto packed = compress(directory, level);
        if (packed && packed->size() < directory.size()) {
            extra = quint32(directory.size() - packed->size());
            block = *packed;
        }
    }
    QByteArray out;
    out.reserve(8 + block.size() + data.size());
    appendLe32(out, extra ^ ContentArchive::kMaskA);
    appendLe32(out, quint32(block.size()) ^ ContentArchive::kMaskB);
    out.append(block);
    out.append(data);
    return out;
}

std::optional<QList<QByteArray>> ArchiveWriter::splitPath(const QString& path,
                                                          QString* error) const {
    QString text = path;
    text.replace(QLatin1Char('/'), QLatin1Char('\\'));
    const QStringList parts = text.split(QLatin1Char('\\'), Qt::SkipEmptyParts);
    if (parts.isEmpty()) {
        setError(error, QStringLiteral("empty archive path \"%1\"").arg(path));
        return std::nullopt;
    }
    QList<QByteArray> out;
    for (const QString& part : parts) {
        if (part == QLatin1String(".") || part == QLatin1String("..")) {
            setError(error, QStringLiteral("\"%1\": \".\" and \"..\" are not names").arg(path));
            return std::nullopt;
        }
        const QByteArray bytes = cp1251::fromUnicode(part);
        bool representable = bytes.size() == part.size();
        for (qsizetype i = 0; representable && i < part.size(); ++i)
            representable = bytes.at(i) != '?' || part.at(i) == u'?';
        if (!representable) {
            setError(error,
                     QStringLiteral("\"%1\": name not representable in code page 1251").arg(path));
            return std::nullopt;
        }
        if (bytes.size() > ContentArchive::kNameSize) {
            setError(error, QStringLiteral("\"%1\": name longer than %2 bytes")
                                .arg(part)
                                .arg(ContentArchive::kNameSize));
            return std::nullopt;
        }
        out.append(ContentArchive::normalise(bytes));
    }
    return out;
}

int ArchiveWriter::childNamed(int folder, const QByteArray& name) const {
    const auto& kids = m_nodes[size_t(folder)].children;
    const auto it =
        std::lower_bound(kids.begin(), kids.end(), name,
                         [&](int i, const QByteArray& n) { return m_nodes[size_t(i)].name < n; });
    if (it != kids.end() && m_nodes[size_t(*it)].name == name)
        return *it;
    return -1;
}

int ArchiveWriter::insertChild(int folder, Node node) {
    const int index = int(m_nodes.size());
    const QByteArray name = node.name;
    m_nodes.push_back(std::move(node));
    auto& kids = m_nodes[size_t(folder)].children;
    const auto it =
        std::lower_bound(kids.begin(), kids.end(), name,
                         [&](int i, const QByteArray& n) { return m_nodes[size_t(i)].name < n; });
    kids.insert(it, index);
    return index;
}

std::optional<int> ArchiveWriter::folderFor(const QList<QByteArray>& parts, qsizetype count,
                                            QString* error) {
    int folder = 0;
    for (qsizetype i = 0; i < count; ++i) {
        const int child = childNamed(folder, parts[i]);
        if (child < 0) {
            folder = insertChild(folder, Node{parts[i], true, QByteArray(), {}});
        } else if (!m_nodes[size_t(child)].folder) {
            setError(
                error,
                QStringLiteral("\"%1\" is a file and a folder").arg(cp1251::toUnicode(parts[i])));
            return std::nullopt;
        } else {
            folder = child;
        }
    }
    return folder;
}

bool ArchiveWriter::addFile(const QString& path, const QByteArray& bytes, QString* error) {
    const auto parts = splitPath(path, error);
    if (!parts)
        return false;
    const auto folder = folderFor(*parts, parts->size() - 1, error);
    if (!folder)
        return false;
    const QByteArray& name = parts->last();
    const int existing = childNamed(*folder, name);
    if (existing >= 0) {
        if (m_nodes[size_t(existing)].folder) {
            setError(error, QStringLiteral("\"%1\" is a file and a folder").arg(path));
            return false;
        }
        m_nodes[size_t(existing)].bytes = bytes;
        return true;
    }
    insertChild(*folder, Node{name, false, bytes, {}});
    return true;
}

bool ArchiveWriter::addFolder(const QString& path, QString* error) {
    const auto parts = splitPath(path, error);
    return parts && folderFor(*parts, parts->size(), error).has_value();
}

bool ArchiveWriter::addTreeFolder(const QString& nativeDir, const QString& relative, int depth,
                                  QString* error) {
    if (depth > kMaxTreeDepth) {
        setError(error, QStringLiteral("%1: folders nested too deeply").arg(nativeDir));
        return false;
    }
    const QDir dir(nativeDir);
    const QFileInfoList infos = dir.entryInfoList(
        QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden | QDir::System, QDir::Name);
    for (const QFileInfo& info : infos) {
        const QString rel =
            relative.isEmpty() ? info.fileName() : relative + QLatin1Char('\\') + info.fileName();
        if (info.isDir()) {
            if (info.isSymLink())
                continue;
            if (!addFolder(rel, error) || !addTreeFolder(info.filePath(), rel, depth + 1, error))
                return false;
        } else if (!info.isFile() || !TRegularFile::check(info.filePath())) {
            // Pipes and devices would hang or flood the build.
            QString what;
            TRegularFile::check(info.filePath(), &what);
            vlog::complain(TRegularFile::refusal(info.filePath(), what));
        } else {
            QFile file(info.filePath());
            if (!file.open(QIODevice::ReadOnly)) {
                setError(error, QStringLiteral("%1: %2").arg(info.filePath(), file.errorString()));
                return false;
            }
            if (quint64(file.size()) > ContentArchive::kMaxFileSize) {
                setError(error, QStringLiteral("%1: file too large").arg(info.filePath()));
                return false;
            }
            if (!addFile(rel, file.readAll(), error))
                return false;
        }
    }
    return true;
}

bool ArchiveWriter::addTree(const QString& nativeDir, QString* error) {
    if (!QFileInfo(nativeDir).isDir()) {
        setError(error, QStringLiteral("%1: not a folder").arg(nativeDir));
        return false;
    }
    return addTreeFolder(nativeDir, QString(), 0, error);
}

std::optional<QByteArray> ArchiveWriter::build(QString* error, Layout* layout) const {
    // Folders are numbered breadth first (the root is 0) and each folder's
    // entries are consecutive records of the entry table.
    std::vector<int> folderNodes{0};
    QByteArray folders;
    QByteArray entries;
    QByteArray data;
    std::vector<QString> folderPaths{QString()};
    quint32 entryCount = 0;
    if (layout)
        layout->files.clear();

    for (size_t f = 0; f < folderNodes.size(); ++f) {
        const Node& folder = m_nodes[size_t(folderNodes[f])];
        folders += folderRecord(entryCount, quint32(folder.children.size()));
        for (int child : folder.children) {
            const Node& node = m_nodes[size_t(child)];
            if (node.folder) {
                entries += entryRecord(node.name, quint32(folderNodes.size()), 0, 0,
                                       ContentArchive::kKindFolder);
                folderNodes.push_back(child);
                folderPaths.push_back(folderPaths[f] + cp1251::toUnicode(node.name) +
                                      QLatin1Char('\\'));
            } else {
                QByteArray stored = node.bytes;
                if (m_level != 0) {
                    const auto packed = compress(node.bytes, m_level);
                    if (packed && packed->size() < node.bytes.size())
                        stored = *packed;
                }
                if (quint64(data.size()) + quint64(stored.size()) > 0xFFFFFFFFull ||
                    quint64(node.bytes.size()) > 0xFFFFFFFFull) {
                    setError(error, QStringLiteral("archive data exceeds 4 GB"));
                    return std::nullopt;
                }
                const quint32 offset = quint32(data.size());
                entries += entryRecord(node.name, offset, quint32(stored.size()),
                                       quint32(node.bytes.size()), ContentArchive::kKindFile);
                if (layout)
                    layout->files.push_back({folderPaths[f] + cp1251::toUnicode(node.name), offset,
                                             quint32(stored.size()), quint32(node.bytes.size())});
                data += stored;
            }
            ++entryCount;
        }
    }

    const QByteArray directory =
        directoryHeader(quint32(folderNodes.size()), entryCount, 0) + folders + entries;
    QByteArray archive = assemble(directory, data, m_compressDirectory, m_level);
    if (layout)
        layout->dataBase = quint32(archive.size() - data.size());
    return archive;
}

bool ArchiveWriter::write(const QString& nativePath, QString* error) const {
    const auto bytes = build(error);
    if (!bytes)
        return false;
    QSaveFile file(nativePath);
    if (!file.open(QIODevice::WriteOnly) || file.write(*bytes) != bytes->size() || !file.commit()) {
        setError(error, QStringLiteral("%1: %2").arg(nativePath, file.errorString()));
        return false;
    }
    return true;
}
