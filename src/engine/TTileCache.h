#pragma once

#include <QHash>
#include <QPixmap>
#include <QRect>
#include <QVector>

// Painted tiles of a page, keyed by row and column, held within a bound in
// bytes: when a new tile would pass it, the tiles farthest from the view go.
class TTileCache {
public:
    explicit TTileCache(QSize tileSize, qint64 maxBytes) : m_tile(tileSize), m_maxBytes(maxBytes) {}

    QSize tileSize() const { return m_tile; }
    qint64 maxBytes() const { return m_maxBytes; }
    qint64 bytes() const { return m_bytes; }
    int count() const { return int(m_tiles.size()); }

    const QPixmap* find(int row, int col) const;
    bool contains(int row, int col) const { return m_tiles.contains(key(row, col)); }
    // Keeps a tile; `viewRow`, `viewCol` is the tile at the view's centre
    // (the farthest tiles from it are dropped to stay within the bound).
    void insert(int row, int col, const QPixmap& pixmap, int viewRow, int viewCol);
    void clear();
    // Drops the tiles that meet a rectangle of the page; returns how many.
    int invalidate(const QRect& docRect);
    // How many tiles fit within the bound.
    int capacity() const;
    // Tiles ahead of the view are painted one at a time between events; this
    // is the next one for a view showing rows firstRow..lastRow and columns
    // firstCol..lastCol of a page `rowCount` rows long: the nearest missing
    // tile within `depth` rows below or above the view (below first at each
    // distance, left to right). Each call goes on from what is there, so a
    // job cut into such steps resumes where it stopped, and follows the view
    // when it moves. The depth is cut so that the view and the tiles ahead
    // fit in the bound together (more would push out tiles painted ahead,
    // to be painted again without end). False when there is none to paint.
    bool nextAhead(int firstRow, int lastRow, int firstCol, int lastCol, int rowCount, int depth,
                   int* row, int* col) const;
    // The page rectangle a tile covers.
    QRect tileRect(int row, int col) const {
        return QRect(col * m_tile.width(), row * m_tile.height(), m_tile.width(), m_tile.height());
    }

private:
    static qint64 key(int row, int col) { return (qint64(row) << 20) | qint64(col & 0xFFFFF); }
    static qint64 sizeOf(const QPixmap& p) {
        return qint64(p.width()) * p.height() * qMax(1, p.depth() / 8);
    }
    QSize m_tile;
    qint64 m_maxBytes;
    qint64 m_bytes = 0;
    QHash<qint64, QPixmap> m_tiles;
};
