#include "engine/TBookSearch.h"

TBookSearch::TBookSearch(const ContentArchive& archive, const TFileSource& source,
                         const BookPaths& paths)
    : m_archive(archive), m_source(source), m_paths(paths) {}

bool TBookSearch::indexSearch(const QString&, QStringList&, QStringList&) {
    return false;
}

QStringList TBookSearch::pageList(const QStringList&, bool) const {
    return {QString()};
}

bool TBookSearch::pageContains(const QString&, const QString&, bool) const {
    return false;
}

bool TBookSearch::titleOf(const QString&, QString&) {
    return false;
}

void TBookSearch::fallback(const QString& text, bool matchCase, const QStringList& pages,
                           QStringList& files, QStringList& titles,
                           const std::function<bool(int, int)>& beforePage) {
    for (int i = 0; i < pages.size(); ++i) {
        if (beforePage && !beforePage(i, int(pages.size())))
            return;
        QString title;
        if (pageContains(pages.at(i), text, matchCase) && titleOf(pages.at(i), title)) {
            files << pages.at(i);
            titles << title;
        }
    }
}
