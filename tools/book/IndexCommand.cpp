#include "IndexCommand.h"

#include "CommandArgs.h"
#include "FileIo.h"
#include "ToolError.h"

#include "content/TMakeFind.h"
#include "engine/TPageDecoder.h"
#include "engine/TPageText.h"
#include "platform/Cp1251.h"

#include <QDir>
#include <QDirIterator>
#include <QFileInfo>

#include <cstdio>
#include <map>
#include <vector>

namespace {

// The <title> of a page, as the reader shows it; the file name when it has none.
QString titleOf(const QByteArray& bytes, const QString& file) {
    const QString html =
        TPageDecoder::toHtml(bytes, TPageDecoder::kindOf(file), QFileInfo(file).fileName());
    const qsizetype open = html.indexOf(QLatin1String("<title"), 0, Qt::CaseInsensitive);
    const qsizetype start = open < 0 ? -1 : html.indexOf(u'>', open);
    const qsizetype close =
        start < 0 ? -1 : html.indexOf(QLatin1String("</title"), start, Qt::CaseInsensitive);
    QString title;
    if (close > start) {
        QString raw = html.mid(start + 1, close - start - 1);
        raw.replace(u'<', QLatin1String("&lt;"));
        title = TPageText::ofHtml(raw);
    }
    return title.isEmpty() ? QFileInfo(file).fileName() : title;
}

// The words of a page's text: runs of letters and digits, and the
// space-separated pieces without the punctuation at their ends (so that
// "ВАЗ-2107" is a keyword as well as "ВАЗ" and "2107").
QStringList wordsOf(const QString& text) {
    QStringList words;
    for (const QString& piece : text.split(u' ', Qt::SkipEmptyParts)) {
        qsizetype a = 0, b = piece.size();
        while (a < b && !piece.at(a).isLetterOrNumber())
            ++a;
        while (b > a && !piece.at(b - 1).isLetterOrNumber())
            --b;
        if (a == b)
            continue;
        const QString whole = piece.mid(a, b - a);
        words.append(whole);
        qsizetype start = -1;
        for (qsizetype i = 0; i <= whole.size(); ++i) {
            const bool in = i < whole.size() && whole.at(i).isLetterOrNumber();
            if (in && start < 0)
                start = i;
            if (!in && start >= 0) {
                if (start > 0 || i < whole.size())
                    words.append(whole.mid(start, i - start));
                start = -1;
            }
        }
    }
    return words;
}

QByteArray crlfLines(const QList<QByteArray>& lines) {
    QByteArray out;
    for (const QByteArray& line : lines)
        out += line + "\r\n";
    return out;
}

} // namespace

int IndexCommand::run(const QStringList& args) {
    if (args.isEmpty() || args.first() != QLatin1String("build"))
        throw ToolError(QStringLiteral("usage: index build PAGES_DIR -o OUT_DIR"),
                        ToolError::Usage);
    const CommandArgs cmd(args.mid(1), QStringLiteral("index build PAGES_DIR -o OUT_DIR"),
                          {QStringLiteral("-o")});
    cmd.expectPositional(1, 1);
    const QString outDir = cmd.required(QStringLiteral("-o"));
    const QString given = cmd.positional().at(0);
    if (!QFileInfo(given).isDir())
        throw ToolError(QStringLiteral("%1: no such folder").arg(given));
    const QDir pagesDir(QFileInfo(given).absoluteFilePath());

    QStringList pages;
    QDirIterator it(pagesDir.path(), QDir::Files, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        const QString name = QFileInfo(path).fileName();
        const qsizetype dot = name.lastIndexOf(u'.');
        if (dot >= 0 && name.mid(dot).contains(QLatin1String(".htm"), Qt::CaseInsensitive))
            pages.append(pagesDir.relativeFilePath(path));
    }
    if (pages.isEmpty())
        throw ToolError(
            QStringLiteral("%1: no pages (no file whose extension holds .htm)").arg(given));
    pages.sort();

    // keyword (small letters, code page 1251) -> its pages (files.idx lines)
    std::map<QByteArray, std::vector<int>> keywords;
    QList<QByteArray> files;
    qsizetype unspellable = 0;
    TPageText text;
    for (int n = 0; n < pages.size(); ++n) {
        const QString& page = pages.at(n);
        const QByteArray bytes = FileIo::readFile(pagesDir.filePath(page));
        QString listed = page;
        listed.replace(u'/', u'\\');
        files.append(cp1251::fromUnicode(listed + QStringLiteral("#:#") + titleOf(bytes, page)));
        text.extract(bytes, page, false);
        for (const QString& word : wordsOf(text.text())) {
            const QByteArray spelled = cp1251::fromUnicode(word);
            if (cp1251::toUnicode(spelled) != word) {
                ++unspellable;
                continue;
            }
            std::vector<int>& list = keywords[TMakeFind::smallLetters(spelled)];
            if (list.empty() || list.back() != n + 1)
                list.push_back(n + 1);
        }
    }
    QList<QByteArray> words, lists;
    for (const auto& [word, list] : keywords) {
        QByteArray numbers;
        for (int page : list)
            numbers += (numbers.isEmpty() ? "" : ":") + QByteArray::number(page);
        words.append(word);
        lists.append(numbers);
    }
    if (!QDir().mkpath(outDir))
        throw ToolError(QStringLiteral("%1: cannot create the folder").arg(outDir));
    const QDir out(outDir);
    FileIo::writeFile(out.filePath(QString::fromLatin1(TMakeFind::kKeywords)), crlfLines(words));
    FileIo::writeFile(out.filePath(QString::fromLatin1(TMakeFind::kIndex)), crlfLines(lists));
    FileIo::writeFile(out.filePath(QString::fromLatin1(TMakeFind::kFiles)), crlfLines(files));
    if (unspellable > 0)
        std::fprintf(stderr,
                     "vantrel-book: %lld words outside code page 1251 are not in the index\n",
                     static_cast<long long>(unspellable));
    return 0;
}
