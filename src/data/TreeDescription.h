#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

// One item of a contents tree description, in line order.
struct RTreeItem {
    int depth = 0;   // leading TABs of its line (capped at TreeDescription::kMaxDepth)
    int parent = -1; // index of the parent item, -1 for a top-level item
    int level = 0;   // 0 for a top-level item, the parent's level + 1 otherwise
    QString page;    // text up to the first ';', trimmed; empty for a heading
    QString caption; // text after the first ';' up to the next ';' or the end, trimmed
};

// The contents tree descriptions (tree1.cfs, tree2.cfs): one item per
// non-empty line, case kept as written. An item's parent is the nearest
// earlier item with a smaller depth, so the items' line order is also their
// display order in the tree (a child follows its parent, a deeper jump of
// TABs makes the line a child of the previous item). Damaged descriptions are
// bounded: items, line lengths and depth are capped and every cut is named.
class TreeDescription {
public:
    static constexpr qsizetype kMaxItems = 50000;
    static constexpr qsizetype kMaxLineLength = 4096;
    static constexpr int kMaxDepth = 64;
    // Larger entries are not decoded at all (a real tree is well below this).
    static constexpr qsizetype kMaxEntryBytes = 16 * 1024 * 1024;

    // Items from decoded lines. What had to be cut is described in `cuts`
    // (one text each; nothing is added for a sound description).
    static QList<RTreeItem> parse(const QStringList& lines, QStringList* cuts = nullptr);
    // Items from the scrambled entry bytes (decoded without lower-casing).
    static QList<RTreeItem> parseEntry(const QByteArray& bytes, QStringList* cuts = nullptr);
    // parseEntry(), with every cut printed on stderr as "<name>: <cut>".
    static QList<RTreeItem> readEntry(const QByteArray& bytes, const QString& name);

    // The file name of a page or path text: the part after the last '\' or
    // '/' (the whole text when it has neither).
    static QString fileNameOf(const QString& path);
    // True when a page text names a folder (holds '\', '/' or ':').
    static bool hasFolderPart(const QString& page);
};
