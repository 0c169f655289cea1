#include "RandomBook.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QSet>

namespace {

const QString kLetters = QStringLiteral("abcxyzABCXYZ0123456789_- ") +
                         QStringLiteral(u"абвгдеёжзийклмнопрстуфхцчшщъыьэюяАБВЕЁЖЯ");

const QString kPunctuation = QStringLiteral("=;[],.\\<>\t\"'");
const QString kSymbols = QStringLiteral(u"№€«»—");

} // namespace

QString RandomBook::name(int maxLength, const QString& extension) {
    const int length = 1 + int(m_random.bounded(maxLength));
    QString out;
    for (int i = 0; i < length; ++i) {
        QChar c = kLetters.at(int(m_random.bounded(int(kLetters.size()))));
        if (i == 0 && c == QLatin1Char(' '))
            c = QLatin1Char('n');
        out += c;
    }
    if (out.endsWith(QLatin1Char(' ')))
        out += QLatin1Char('e');
    return out + extension;
}

QByteArray RandomBook::bytes(int maxSize) {
    const int size = int(m_random.bounded(maxSize + 1));
    QByteArray out(size, Qt::Uninitialized);
    const bool compressible = m_random.bounded(2) == 0;
    for (int i = 0; i < size; ++i)
        out[i] = compressible ? char('a' + (i / 7) % 5) : char(m_random.bounded(256));
    return out;
}

QStringList RandomBook::lines(int maxLines, bool withCarriageReturns) {
    QStringList out;
    const int count = int(m_random.bounded(maxLines + 1));
    for (int i = 0; i < count; ++i) {
        QString line;
        const int length = int(m_random.bounded(60));
        for (int j = 0; j < length; ++j) {
            const int kind = int(m_random.bounded(10));
            if (kind < 6)
                line += kLetters.at(int(m_random.bounded(int(kLetters.size()))));
            else if (kind < 8)
                line += kPunctuation.at(int(m_random.bounded(int(kPunctuation.size()))));
            else if (kind == 8 && withCarriageReturns)
                line += QLatin1Char('\r');
            else
                line += kSymbols.at(int(m_random.bounded(int(kSymbols.size()))));
        }
        out << line;
    }
    return out;
}

BookFiles RandomBook::tree(int maxFiles, int depth) {
    BookFiles files;
    QSet<QString> used; // upper-cased paths of files and folders
    QStringList folders = {QString()};
    const int count = 1 + int(m_random.bounded(maxFiles));
    for (int i = 0; i < count; ++i) {
        QString folder = folders.at(int(m_random.bounded(int(folders.size()))));
        if (folder.count(QLatin1Char('/')) < depth && m_random.bounded(3) == 0) {
            const QString sub = folder + name(12, QString()) + QLatin1Char('/');
            if (!used.contains(archiveUpper(sub.chopped(1)))) {
                used.insert(archiveUpper(sub.chopped(1)));
                folders << sub;
                folder = sub;
            }
        }
        const int kind = int(m_random.bounded(4));
        QString path;
        QByteArray content;
        if (kind == 0) {
            path = folder + name(20, QStringLiteral(".cfs"));
            content = linesText(lines(12, false));
        } else if (kind == 1) {
            path = folder + name(20, QStringLiteral(".bin"));
        } else {
            path = folder + name(30, QStringLiteral(".bmp"));
            content = bytes(kind == 2 ? 300 : 5000);
        }
        if (used.contains(archiveUpper(path)))
            continue;
        used.insert(archiveUpper(path));
        files.insert(path, content);
    }
    return files;
}

QString archiveUpper(const QString& name) {
    QString out = name;
    for (QChar& c : out) {
        const char16_t u = c.unicode();
        if ((u >= 'a' && u <= 'z') || (u >= 0x0430 && u <= 0x044F))
            c = QChar(char16_t(u - 0x20));
    }
    return out;
}

bool writeTree(const QString& root, const BookFiles& files) {
    for (auto it = files.constBegin(); it != files.constEnd(); ++it) {
        const QString path = root + QLatin1Char('/') + it.key();
        if (!QDir().mkpath(QFileInfo(path).absolutePath()))
            return false;
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly) || file.write(it.value()) != it.value().size())
            return false;
    }
    return true;
}

BookFiles readTree(const QString& root) {
    BookFiles files;
    const QDir dir(root);
    QDirIterator it(root, QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        QFile file(path);
        file.open(QIODevice::ReadOnly);
        files.insert(dir.relativeFilePath(path), file.readAll());
    }
    return files;
}

QByteArray linesText(const QStringList& lines) {
    QByteArray out;
    for (const QString& line : lines)
        out += line.toUtf8() + '\n';
    return out;
}
