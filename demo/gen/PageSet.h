#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

#include <optional>

// The manual's pages: read as UTF-8 sources, written the way a book of the
// 2000s ships them (windows-1251 with a matching <meta> charset; a page
// marked "keep-utf8" stays UTF-8). The book tool indexes them for the
// prepared search ("index build") once they are written.
class PageSet {
public:
    struct Page {
        QString file;     // bare file name, e.g. p03_engine.htm
        QByteArray bytes; // the converted page
    };

    // Reads every *.htm of `folder` (sorted by name). False with `error` on a
    // page that cannot be read or converted.
    bool load(const QString& folder, QString* error);

    const QList<Page>& pages() const { return m_pages; }

    // A UTF-8 text as a windows-1251 text file with CR LF line ends.
    static QByteArray toCp1251Text(const QString& text);
    // A UTF-8 page converted to windows-1251 (its meta charset follows).
    static std::optional<QByteArray> convertPage(const QString& html, QString* error);

private:
    QList<Page> m_pages;
};
