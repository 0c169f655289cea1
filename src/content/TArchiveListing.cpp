#include "content/TArchiveListing.h"

#include "content/RarTexts.h"
#include "content/TUnRar.h"
#include "platform/Cp1251.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QHash>
#include <QLocale>

namespace {

const char kFrameset[] =
    "<html> <head> <title>archivename</title> </head> <frameset rows=\"50,*\" frameborder=0> "
    "<frame src=\"as_bar.htm\" name=\"Top\"> <frame src=\"filename\" name=\"Bot\"> </frameset> "
    "</head> </html>";
const char kPageHead[] =
    "<html> <head> <meta http-equiv=\"Content-Type\" content=\"text/html; "
    "charset=windows-1251\"> <title>archivename</title> </head> <body bgcolor=\"#FFFFFF\" "
    "text=\"#000000\"> <table border=\"0\" cellpadding=3 width=\"100%\" cols=\"3\">";
const char16_t kColumnHeader[] =
    u"<table border cellpadding=3 width=\"100%\" cols=\"3\" bordercolor=\"#37ffcd\"> <tr> <th "
    u"align=\"left\" width=\"50%\" nowrap>Имя</th> <th align=\"right\" width=\"25%\" "
    u"nowrap>Размер</th> <th align=\"left\" width=\"25%\" nowrap>Дата</th> </tr>";
const char kRowStart[] = "<tr> <td width=\"50%\"><a href=\"reffile\">";
const char kRowName[] = "refname</a></td>";
const char kRowEnd[] =
    "<td align=\"right\" width=\"25%\">size</td> <td width=\"25%\">time</td> </tr>";
const char kPageEnd[] = "</table> </body> </html>";

// The template with each placeholder replaced at its first occurrence in the
// template itself (a value that happens to hold a later placeholder's name
// stays as it is).
QByteArray fill(const QByteArray& tmpl, const QList<QPair<QByteArray, QByteArray>>& values) {
    QList<std::tuple<qsizetype, qsizetype, QByteArray>> cuts;
    for (const auto& [name, value] : values) {
        const qsizetype at = tmpl.indexOf(name);
        if (at >= 0)
            cuts.append({at, name.size(), value});
    }
    std::sort(cuts.begin(), cuts.end(),
              [](const auto& a, const auto& b) { return std::get<0>(a) < std::get<0>(b); });
    QByteArray out;
    qsizetype from = 0;
    for (const auto& [at, length, value] : cuts) {
        if (at < from)
            continue;
        out.append(tmpl.mid(from, at - from));
        out.append(value);
        from = at + length;
    }
    out.append(tmpl.mid(from));
    return out;
}

QString foldKey(const QString& name) {
    QString key = name;
    for (QChar& c : key)
        if (c.unicode() < 0x80)
            c = c.toLower();
    return key;
}

QString parentOf(const QString& name) {
    const qsizetype slash = name.lastIndexOf(u'/');
    return slash < 0 ? QString() : name.left(slash);
}

QString lastPart(const QString& name) {
    return name.mid(name.lastIndexOf(u'/') + 1);
}

// Pages are the program's own temporary files: written plainly (no sync to
// the disk for each one).
bool writeFile(const QString& path, const QByteArray& bytes, QString* error) {
    QFile f(path);
    if (f.open(QIODevice::WriteOnly | QIODevice::Truncate) && f.write(bytes) == bytes.size() &&
        f.flush())
        return true;
    if (error)
        *error = QStringLiteral("%1: %2").arg(path, f.errorString());
    return false;
}

} // namespace

TArchiveListing::TArchiveListing() {
    m_dirs.append({QString(), 0});
}

QString TArchiveListing::listingFolderName(const QString& archivePath) {
    QString m = archivePath;
    auto special = [](QChar c) { return c == u'/' || c == u'\\' || c == u':'; };
    for (qsizetype i = m.size() - 1; i >= 0; --i)
        if (special(m.at(i)) || m.at(i) == u'.') {
            m[i] = u'_';
            break;
        }
    for (QChar& c : m)
        if (special(c))
            c = u'_';
    return QStringLiteral("as_") + m;
}

QString TArchiveListing::sizeText(qint64 size) {
    if (size <= 999)
        return QString::number(size) + QStringLiteral(" байт");
    qint64 k = size / 1000;
    const qint64 rest = size % 1000;
    if (rest > 500 || (rest == 500 && (k & 1)))
        ++k;
    static const QLocale locale = QLocale::system();
    return locale.toString(k) + QStringLiteral(" Кбайт");
}

QString TArchiveListing::timeText(quint32 dos) {
    if (dos == 0 || (dos & 0x80000000u))
        return {};
    const QDate date(int(dos >> 25) + 1980, int((dos >> 21) & 0xF), int((dos >> 16) & 0x1F));
    const QTime time(int((dos >> 11) & 0x1F), int((dos >> 5) & 0x3F), int(dos & 0x1F) * 2);
    if (!date.isValid())
        return {};
    static const QLocale locale = QLocale::system();
    return QStringLiteral("%1 %2 %3 %4:%5")
        .arg(date.day(), 2, 10, QChar(u'0'))
        .arg(locale.monthName(date.month(), QLocale::ShortFormat))
        .arg(date.year() % 100, 2, 10, QChar(u'0'))
        .arg(time.isValid() ? time.hour() : 0, 2, 10, QChar(u'0'))
        .arg(time.isValid() ? time.minute() : 0, 2, 10, QChar(u'0'));
}

QByteArray TArchiveListing::htmlText(const QString& text) {
    QByteArray out;
    out.reserve(text.size());
    for (const char32_t c : text.toUcs4()) {
        switch (c) {
        case U'&':
            out.append("&amp;");
            continue;
        case U'<':
            out.append("&lt;");
            continue;
        case U'>':
            out.append("&gt;");
            continue;
        case U'"':
            out.append("&quot;");
            continue;
        default:
            break;
        }
        if (c < 0x80) {
            out.append(char(c));
            continue;
        }
        const char b = c < 0x10000 ? cp1251::fromUnicode(QChar(char16_t(c)), '\0') : '\0';
        if (b != '\0')
            out.append(b);
        else
            out.append("&#" + QByteArray::number(quint32(c)) + ';');
    }
    return out;
}

void TArchiveListing::addDir(const QString& name, quint32 time) {
    m_dirs.append({name, time});
}

void TArchiveListing::addFile(const QString& name, qint64 size, quint32 time) {
    m_files.append({name, size, time});
}

bool TArchiveListing::scan(const QString& native, const QString& shown) {
    auto message = [this](const QString& text) {
        if (!text.isEmpty() && Message)
            Message(text);
    };
    TUnRar rar;
    rar.VolumeCallback = [&message](const QString& volume, int mode) {
        if (mode != TUnRar::VolumeMissing)
            return 1;
        message(rartexts::missingVolume(volume));
        return 0;
    };
    const int open = rar.open(native, TUnRar::ListMode);
    if (open != TUnRar::Success) {
        if (Detail)
            Detail(QStringLiteral("%1: %2").arg(native, rar.lastError()));
        message(rartexts::openError(open, shown));
        return false;
    }
    TUnRar::RHeader h;
    QString lastName;
    int read = 0;
    int entries = 0;
    while ((read = rar.readHeader(h)) == TUnRar::Success) {
        ++entries;
        lastName = h.name;
        if (h.directory)
            addDir(h.name, h.dosTime);
        else
            addFile(h.name, h.unpackedSize, h.dosTime);
        const int code = rar.processFile(TUnRar::Skip);
        if (!rartexts::goesOn(code)) {
            if (Detail)
                Detail(QStringLiteral("%1: %2: %3").arg(native, h.name, rar.lastError()));
            message(rartexts::processError(code, h.name));
            break;
        }
    }
    if (read == TUnRar::BadData || read == TUnRar::Encrypted) {
        if (Detail)
            Detail(QStringLiteral("%1: %2").arg(native, rar.lastError()));
        // Damage before the first entry: the archive's header itself.
        if (entries == 0 || read == TUnRar::Encrypted) {
            message(rartexts::openError(read, shown));
            return entries > 0;
        }
        message(rartexts::brokenHeader(lastName));
    }
    return true;
}

void TArchiveListing::completeDirectories() {
    QHash<QString, int> known;
    for (int i = 0; i < m_dirs.size(); ++i)
        known.insert(foldKey(m_dirs.at(i).name), i);
    auto ensure = [&](const QString& name, quint32 time) {
        const QString key = foldKey(name);
        if (known.contains(key))
            return;
        known.insert(key, int(m_dirs.size()));
        m_dirs.append({name, time});
    };
    for (const RFile& f : m_files)
        ensure(parentOf(f.name), f.time);
    // Parents of every folder, the ones just added included.
    for (int i = 0; i < m_dirs.size(); ++i) {
        const RDir d = m_dirs.at(i);
        if (!d.name.isEmpty())
            ensure(parentOf(d.name), d.time);
    }
}

QList<TArchiveListing::RPage> TArchiveListing::pages(quint32 stamp) const {
    QList<RPage> out;
    out.reserve(m_dirs.size());
    for (int k = 0; k < m_dirs.size(); ++k) {
        RPage p;
        p.dir = m_dirs.at(k).name;
        p.pageName = QStringLiteral("as_%1%2.htm").arg(k).arg(stamp);
        out.append(p);
    }
    // Folder pages are built once per distinct folder name: the first entry.
    QHash<QString, int> first;
    for (int k = int(m_dirs.size()) - 1; k >= 0; --k)
        first.insert(foldKey(m_dirs.at(k).name), k);
    for (int k = 0; k < m_dirs.size(); ++k) {
        const QString& name = m_dirs.at(k).name;
        if (name.isEmpty())
            continue;
        const QString parent = foldKey(parentOf(name));
        const int up = first.value(parent, 0);
        out[k].rows.prepend({QStringLiteral(".."), out.at(up).pageName, QString(), QString()});
        if (first.value(foldKey(name)) != k)
            continue; // the same folder twice: listed once
        out[up].rows.append(
            {lastPart(name), out.at(k).pageName, QString(), timeText(m_dirs.at(k).time)});
    }
    for (const RFile& f : m_files) {
        const int k = first.value(foldKey(parentOf(f.name)), 0);
        out[k].rows.append({lastPart(f.name), f.name, sizeText(f.size), timeText(f.time)});
    }
    return out;
}

bool TArchiveListing::write(const QString& folder, const QString& mainPage, const QString& shown,
                            quint32 stamp, QString* error) const {
    const QList<RPage> all = pages(stamp);
    const QByteArray title = htmlText(QStringLiteral("Содержимое архива: ") + shown);
    const QDir dir(folder);
    if (!writeFile(dir.filePath(mainPage),
                   fill(kFrameset,
                        {{"archivename", title}, {"filename", htmlText(all.first().pageName)}}) +
                       '\n',
                   error))
        return false;
    const QByteArray bar = QByteArray(kPageHead) + '\n' +
                           cp1251::fromUnicode(QString::fromUtf16(kColumnHeader)) + '\n' +
                           kPageEnd + '\n';
    if (!writeFile(dir.filePath(QStringLiteral("as_bar.htm")), bar, error))
        return false;
    const QByteArray head = fill(kPageHead, {{"archivename", title}}) + '\n';
    for (const RPage& page : all) {
        QByteArray out = head;
        for (const RRow& row : page.rows) {
            out.append(fill(kRowStart, {{"reffile", htmlText(row.link)}}));
            out.append(fill(kRowName, {{"refname", htmlText(row.display)}}));
            out.append(fill(kRowEnd, {{"size", htmlText(row.size)}, {"time", htmlText(row.time)}}));
            out.append('\n');
        }
        out.append(kPageEnd);
        out.append('\n');
        if (!writeFile(dir.filePath(page.pageName), out, error))
            return false;
    }
    return true;
}
