#pragma once

#include <QByteArray>
#include <QString>

#include <vector>

// The text of a book page as the engine's find sees it (the text of the
// page's word index: words in reading order, one space between words that
// white space, a line break, a block or a picture parts, nothing between the
// pieces of a word split by inline tags, nothing of what is not painted),
// taken from the page's bytes without parsing it into a document or laying
// it out. It works on the bytes: code page 1251 pages through a table,
// UTF-8 pages decoded as they go, other charsets converted first.
//
// What it cannot know without a layout: style sheet rules of the page
// itself (only the style attribute is read: display, and margins or padding
// that put words apart), borders of inline elements, a line that wraps
// between two pieces of one word, and the unbreakable box the engine puts
// around a word glued to a <sub> or <sup> right after another inline tag.
class TPageText {
public:
    // The page text of `bytes`, the file at `path` (its extension tells an
    // HTML page from a text file or a picture). With `fold`, letters are
    // case-folded as a case-insensitive find compares them.
    void extract(const QByteArray& bytes, const QString& path, bool fold);
    const char16_t* data() const { return m_out.data(); }
    qsizetype size() const { return qsizetype(m_len); }
    QString text() const;

    // The search text as it is matched: runs of white space as one space,
    // folded for a case-insensitive search.
    static std::u16string needle(const QString& text, bool matchCase);
    // True when the extracted text holds the prepared needle.
    bool contains(const std::u16string& needle) const;

    // The page text of a file (not folded).
    static QString of(const QByteArray& bytes, const QString& path);
    // The page text of HTML already decoded.
    static QString ofHtml(const QString& html);

private:
    enum class Charset { Cp1251, Utf8 };
    void extractHtml(const char* data, qsizetype size, Charset charset);
    void extractPlain(const QString& text);
    void reserve(qsizetype inputSize);
    void put(char32_t c);
    void startWord();
    void endWord();
    void breakWords();

    // Output buffer kept between pages; m_len units are in use.
    std::vector<char16_t> m_out;
    size_t m_len = 0;
    bool m_fold = false;
    bool m_inWord = false;
    bool m_ink = false;
    bool m_pending = false;
    bool m_any = false;
    size_t m_wordStart = 0;
};
