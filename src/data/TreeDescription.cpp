#include "data/TreeDescription.h"

#include "data/StringUtils.h"

#include <cstdio>
#include <vector>

QList<RTreeItem> TreeDescription::parse(const QStringList& lines, QStringList* cuts) {
    QList<RTreeItem> items;
    items.reserve(qMin(lines.size(), kMaxItems));
    // The open ancestors of the next line: indexes of items whose depths
    // rise strictly from the bottom. The nearest earlier item with a smaller
    // depth is always among them, so finding a parent costs no walk back
    // over the whole tree.
    std::vector<int> open;
    qsizetype longLines = 0, deepLines = 0, dropped = 0;
    for (const QString& raw : lines) {
        QStringView line(raw);
        if (line.size() > kMaxLineLength) {
            line = line.first(kMaxLineLength);
            ++longLines;
        }
        qsizetype tabs = 0;
        while (tabs < line.size() && line[tabs] == u'\t')
            ++tabs;
        const QStringView rest = line.sliced(tabs);
        if (rest.trimmed().isEmpty())
            continue;
        if (items.size() >= kMaxItems) {
            ++dropped;
            continue;
        }
        int depth = int(tabs);
        if (depth > kMaxDepth) {
            depth = kMaxDepth;
            ++deepLines;
        }

        RTreeItem item;
        item.depth = depth;
        const qsizetype semi = rest.indexOf(u';');
        if (semi < 0) {
            item.page = rest.trimmed().toString();
        } else {
            item.page = rest.first(semi).trimmed().toString();
            QStringView caption = rest.sliced(semi + 1);
            const qsizetype next = caption.indexOf(u';');
            if (next >= 0)
                caption = caption.first(next);
            item.caption = caption.trimmed().toString();
        }
        while (!open.empty() && items[open.back()].depth >= depth)
            open.pop_back();
        if (!open.empty()) {
            item.parent = open.back();
            item.level = items[item.parent].level + 1;
        }
        open.push_back(int(items.size()));
        items.append(std::move(item));
    }
    if (cuts) {
        if (dropped)
            cuts->append(QStringLiteral("%1 lines past the limit of %2 items were left out")
                             .arg(dropped)
                             .arg(kMaxItems));
        if (longLines)
            cuts->append(QStringLiteral("%1 lines longer than %2 characters were cut")
                             .arg(longLines)
                             .arg(kMaxLineLength));
        if (deepLines)
            cuts->append(QStringLiteral("%1 lines deeper than %2 TABs were taken at that depth")
                             .arg(deepLines)
                             .arg(kMaxDepth));
    }
    return items;
}

QList<RTreeItem> TreeDescription::parseEntry(const QByteArray& bytes, QStringList* cuts) {
    if (bytes.size() > kMaxEntryBytes) {
        if (cuts)
            cuts->append(QStringLiteral("entry of %1 bytes is larger than %2 bytes; "
                                        "the tree is left empty")
                             .arg(bytes.size())
                             .arg(kMaxEntryBytes));
        return {};
    }
    return parse(cfs::decode(bytes, false), cuts);
}

QList<RTreeItem> TreeDescription::readEntry(const QByteArray& bytes, const QString& name) {
    QStringList cuts;
    QList<RTreeItem> items = parseEntry(bytes, &cuts);
    for (const QString& cut : std::as_const(cuts))
        std::fprintf(stderr, "%s: %s\n", qUtf8Printable(name), qUtf8Printable(cut));
    return items;
}

QString TreeDescription::fileNameOf(const QString& path) {
    const qsizetype slash = qMax(path.lastIndexOf(u'\\'), path.lastIndexOf(u'/'));
    return slash < 0 ? path : path.sliced(slash + 1);
}

bool TreeDescription::hasFolderPart(const QString& page) {
    return page.contains(u'\\') || page.contains(u'/') || page.contains(u':');
}
