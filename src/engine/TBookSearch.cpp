#include "engine/TBookSearch.h"

#include "content/ContentArchive.h"
#include "data/BookPaths.h"
#include "data/IndexLines.h"
#include "engine/TFileSource.h"
#include "engine/TPageText.h"
#include "platform/Cp1251.h"
#include "platform/Log.h"

#include <atomic>
#include <condition_variable>
#include <cstring>
#include <mutex>
#include <thread>
#include <vector>

namespace {

// The bare file name of a path text ("/" or "\" separated).
QString bareName(const QString& path) {
    const qsizetype cut = std::max(path.lastIndexOf(QLatin1Char('\\')), path.lastIndexOf(u'/'));
    return path.mid(cut + 1);
}

// Lower case as the archive folds it back: ASCII and а..я only, so that the
// path still finds its entry (a stored Ё stays Ё).
QString lowerForArchive(const QString& path) {
    QString out = path;
    for (QChar& c : out) {
        const char16_t u = c.unicode();
        if ((u >= 'A' && u <= 'Z') || (u >= 0x0410 && u <= 0x042F))
            c = QChar(char16_t(u + (u <= 'Z' ? 32 : 0x20)));
    }
    return out;
}

QString sameSlashes(const QString& path) {
    QString out = path;
    out.replace(u'/', u'\\');
    return out;
}

} // namespace

TBookSearch::TBookSearch(const ContentArchive& archive, const TFileSource& source,
                         const BookPaths& paths)
    : m_archive(archive), m_source(source), m_paths(paths) {}

bool TBookSearch::indexSearch(const QString& text, QStringList& files, QStringList& titles) {
    TMakeFind find(m_archive);
    find.SetFolder(m_paths.baseDir());
    QStringList found, names;
    const bool ok = find.IndexSearch(text, found, names, false);
    m_messages += find.messages();
    if (!ok)
        return false;
    for (const QString& f : found)
        files.append(m_paths.baseDir() + f);
    titles += names;
    return true;
}

QStringList TBookSearch::pageList(const QStringList& nofiles, bool allPages) const {
    QStringList pages;
    for (const QString& file : m_archive.listFiles()) {
        const QString name = bareName(file);
        const qsizetype dot = name.lastIndexOf(u'.');
        if (dot < 0 || !name.mid(dot).contains(QLatin1String(".htm"), Qt::CaseInsensitive))
            continue;
        const QString folder = file.left(file.size() - name.size());
        if (folder.compare(QLatin1String("man\\"), Qt::CaseInsensitive) == 0 ||
            folder.compare(QLatin1String("man_\\"), Qt::CaseInsensitive) == 0)
            continue;
        const QString page = m_paths.bookRoot() + lowerForArchive(file);
        bool left = false;
        if (!allPages) {
            for (const QString& part : nofiles)
                left = left || (!part.isEmpty() && page.contains(part, Qt::CaseInsensitive));
        }
        if (!left)
            pages.append(page);
    }
    if (pages.isEmpty())
        pages.append(QString());
    return pages;
}

bool TBookSearch::pageContains(const QString& page, const QString& text, bool matchCase) const {
    if (page.isEmpty())
        return false;
    const std::optional<QByteArray> bytes = m_source.read(page);
    if (!bytes)
        return false;
    TPageText extracted;
    extracted.extract(*bytes, page, !matchCase);
    return extracted.contains(TPageText::needle(text, matchCase));
}

void TBookSearch::loadTitles() {
    if (m_titlesRead)
        return;
    m_titlesRead = true;
    const QString path = m_paths.baseDir() + QLatin1String(TMakeFind::kFiles);
    const std::optional<QByteArray> bytes = m_archive.read(path);
    if (!bytes)
        return;
    // Lines end at CR, LF is dropped; long lines are cut and a list past a
    // page count no book has is cut as well (both named once).
    const char* p = bytes->constData();
    const char* const end = p + bytes->size();
    bool cutLine = false;
    while (p <= end) {
        const char* cr = static_cast<const char*>(std::memchr(p, '\r', size_t(end - p)));
        const char* stop = cr ? cr : end;
        QByteArray raw;
        raw.reserve(std::min<qsizetype>(stop - p, TMakeFind::kMaxLineBytes));
        for (const char* c = p; c < stop; ++c) {
            if (*c == '\n')
                continue;
            if (raw.size() >= TMakeFind::kMaxLineBytes) {
                cutLine = true;
                break;
            }
            raw.append(*c);
        }
        p = stop + 1;
        const QStringList parts =
            indexlines::SplitBy(QStringLiteral("#:#"), cp1251::toUnicode(raw));
        if (parts.isEmpty())
            continue;
        if (m_titles.size() >= kMaxListedPages) {
            vlog::complain(QStringLiteral("%1: more than %2 pages listed; the rest is not read")
                               .arg(path)
                               .arg(kMaxListedPages));
            break;
        }
        const QString listed = indexlines::trimControls(parts.at(0));
        m_titles.append({listed, sameSlashes(m_paths.baseDir() + listed),
                         parts.size() > 1 ? indexlines::trimControls(parts.at(1)) : QString()});
    }
    if (cutLine)
        vlog::complain(QStringLiteral("%1: lines longer than %2 bytes are cut")
                           .arg(path)
                           .arg(TMakeFind::kMaxLineBytes));
}

bool TBookSearch::titleOf(const QString& page, QString& title) {
    loadTitles();
    const QString name = bareName(page);
    const QString full = sameSlashes(page);
    for (const Listed& entry : m_titles) {
        // The bare file name, as the book's files.idx usually lists pages;
        // a path with folders counts when it names the same page.
        if (entry.path.compare(name, Qt::CaseInsensitive) == 0 ||
            entry.fullPath.compare(full, Qt::CaseInsensitive) == 0) {
            title = entry.title;
            return true;
        }
    }
    return false;
}

void TBookSearch::fallback(const QString& text, bool matchCase, const QStringList& pages,
                           QStringList& files, QStringList& titles,
                           const std::function<bool(int, int)>& beforePage) {
    const std::u16string needle = TPageText::needle(text, matchCase);
    const int n = int(pages.size());
    if (n == 0)
        return;
    loadTitles();

    // Pages are read and matched by this thread and one helper, each taking
    // the next page not yet taken (at most kLookAhead pages past the one
    // this thread reports next); answers are reported here in page order.
    // A stop request lets the helper finish the page in hand and no more.
    enum : char { kPending, kNo, kYes };
    std::vector<std::atomic<char>> answers(static_cast<size_t>(n));
    for (auto& a : answers)
        a.store(kPending, std::memory_order_relaxed);
    std::atomic<int> next{0};
    std::atomic<int> reported{0};
    std::atomic<bool> stop{false};
    std::mutex mutex;
    std::condition_variable changed;

    auto work = [&](TPageText& extracted, int limit) -> bool {
        const int i = next.fetch_add(1);
        if (i >= n || i >= limit) {
            next.fetch_sub(1);
            return false;
        }
        bool holds = false;
        const QString& page = pages.at(i);
        if (!page.isEmpty()) {
            if (const std::optional<QByteArray> bytes = m_source.read(page)) {
                extracted.extract(*bytes, page, !matchCase);
                holds = extracted.contains(needle);
            }
        }
        {
            std::lock_guard lock(mutex);
            answers[size_t(i)].store(holds ? kYes : kNo);
        }
        changed.notify_all();
        return true;
    };

    std::thread helper([&] {
        TPageText extracted;
        while (!stop.load()) {
            if (!work(extracted, reported.load() + kLookAhead)) {
                std::unique_lock lock(mutex);
                changed.wait(lock, [&] {
                    return stop.load() || next.load() >= n ||
                           next.load() < reported.load() + kLookAhead;
                });
                if (next.load() >= n)
                    return;
            }
        }
    });

    // However this ends (a stop, the last page, an exception from the
    // host's hook), the helper is stopped and joined first.
    struct Join {
        std::function<void()> stop;
        std::thread& thread;
        ~Join() {
            stop();
            thread.join();
        }
    } join{[&] {
               {
                   std::lock_guard lock(mutex);
                   stop.store(true);
               }
               changed.notify_all();
           },
           helper};

    TPageText extracted;
    for (int i = 0; i < n; ++i) {
        if (beforePage && !beforePage(i, n))
            break;
        // Help with the work until page i has its answer.
        while (answers[size_t(i)].load() == kPending) {
            if (!work(extracted, i + kLookAhead)) {
                std::unique_lock lock(mutex);
                changed.wait(lock, [&] { return answers[size_t(i)].load() != kPending; });
            }
        }
        QString title;
        if (answers[size_t(i)].load() == kYes && titleOf(pages.at(i), title)) {
            files << pages.at(i);
            titles << title;
        }
        {
            std::lock_guard lock(mutex);
            reported.store(i + 1);
        }
        changed.notify_all();
    }
}
