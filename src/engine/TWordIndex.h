#pragma once

#include <litehtml/litehtml.h>

#include <litehtml/element.h>

#include <QRect>
#include <QString>
#include <QVector>

struct TFontEntry;

// The words of a laid-out page with their boxes, in reading order, and the
// page's text built from them: one space between words that are apart (or on
// different lines), nothing between pieces of one word split by inline tags.
// Positions are indexes into text(). It serves find, selection, copy and the
// selection highlight.
class TWordIndex {
public:
    struct Word {
        QRect rect;    // document coordinates
        int start = 0; // first character in text()
        int length = 0;
        TFontEntry* font = nullptr;
    };

    void clear();
    void build(const litehtml::element::ptr& root);

    const QString& text() const { return m_text; }
    const QVector<Word>& words() const { return m_words; }
    // The text between two positions with line breaks where lines change.
    QString copyText(int start, int end) const;
    // Boxes covering the characters [start, end), one per word piece.
    QVector<QRect> rectsFor(int start, int end) const;
    // The character position at a document point: inside or nearest on the
    // line of the point; -1 when the page has no words.
    int positionAt(const QPoint& p) const;
    // The word (start, end) at a document point; start == end when none.
    std::pair<int, int> wordAt(const QPoint& p) const;
    // Box of the character range's first word, for scrolling it into view.
    QRect boundingRect(int start, int end) const;

private:
    int charX(const Word& w, int offset) const;
    void walk(const litehtml::element::ptr& el, bool& pendingSpace);

    QString m_text;
    QString m_breaks; // '\n' where a separator is a line change, else ' '
    QVector<Word> m_words;
};
