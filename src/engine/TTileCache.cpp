#include "engine/TTileCache.h"

#include <cstdlib>

const QPixmap* TTileCache::find(int row, int col) const {
    auto it = m_tiles.constFind(key(row, col));
    return it == m_tiles.cend() ? nullptr : &*it;
}

void TTileCache::insert(int row, int col, const QPixmap& pixmap, int viewRow, int viewCol) {
    const qint64 k = key(row, col);
    auto old = m_tiles.find(k);
    if (old != m_tiles.end()) {
        m_bytes -= sizeOf(*old);
        m_tiles.erase(old);
    }
    const qint64 size = sizeOf(pixmap);
    while (!m_tiles.isEmpty() && m_bytes + size > m_maxBytes) {
        // The tile farthest from the view goes first.
        auto far = m_tiles.begin();
        int farDistance = -1;
        for (auto it = m_tiles.begin(); it != m_tiles.end(); ++it) {
            const int r = int(it.key() >> 20), c = int(it.key() & 0xFFFFF);
            const int d = std::abs(r - viewRow) * 4 + std::abs(c - viewCol);
            if (d > farDistance) {
                farDistance = d;
                far = it;
            }
        }
        m_bytes -= sizeOf(*far);
        m_tiles.erase(far);
    }
    m_tiles.insert(k, pixmap);
    m_bytes += size;
}

void TTileCache::clear() {
    m_tiles.clear();
    m_bytes = 0;
}

int TTileCache::invalidate(const QRect& docRect) {
    if (docRect.isEmpty())
        return 0;
    const int r0 = qMax(0, docRect.top() / m_tile.height());
    const int r1 = docRect.bottom() / m_tile.height();
    const int c0 = qMax(0, docRect.left() / m_tile.width());
    const int c1 = docRect.right() / m_tile.width();
    int dropped = 0;
    for (int r = r0; r <= r1; ++r)
        for (int c = c0; c <= c1; ++c) {
            auto it = m_tiles.find(key(r, c));
            if (it == m_tiles.end())
                continue;
            m_bytes -= sizeOf(*it);
            m_tiles.erase(it);
            ++dropped;
        }
    return dropped;
}

int TTileCache::capacity() const {
    // Tiles of a high-density screen hold more pixels than their size says.
    const qint64 tile =
        m_tiles.isEmpty() ? qint64(m_tile.width()) * m_tile.height() * 4 : m_bytes / m_tiles.size();
    return tile > 0 ? int(qMin<qint64>(m_maxBytes / tile, 1 << 20)) : 0;
}

bool TTileCache::nextAhead(int firstRow, int lastRow, int firstCol, int lastCol, int rowCount,
                           int depth, int* row, int* col) const {
    const int cols = lastCol - firstCol + 1;
    if (cols <= 0 || lastRow < firstRow)
        return false;
    const int view = (lastRow - firstRow + 1) * cols;
    depth = qMin(depth, (capacity() - view) / (2 * cols));
    for (int d = 1; d <= depth; ++d)
        for (const int r : {lastRow + d, firstRow - d}) {
            if (r < 0 || r >= rowCount)
                continue;
            for (int c = firstCol; c <= lastCol; ++c)
                if (!contains(r, c)) {
                    *row = r;
                    *col = c;
                    return true;
                }
        }
    return false;
}
