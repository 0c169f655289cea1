#pragma once

#include "skin/CaptionPainter.h"

#include <QImage>
#include <QPoint>
#include <QRect>
#include <QString>

#include <functional>

struct RPopupData;

// One item of a popup: three pictures (normal, hover, pressed) with the
// caption drawn on them, the command it runs, and its place in the popup.
// It is no window of its own: the popup paints it and hands it the mouse.
class TItemsBtn {
public:
    using PictureLoader = std::function<QImage(const QString&)>;

    // The pictures, fonts and colours of item `index` of the popup `data`
    // describes (a picture list without entry `index` gives entry 0).
    TItemsBtn(const RPopupData& data, int index, PictureLoader loader);

    // Loads the three pictures again, without a caption.
    void reloadPictures();
    // Empty again: no command, no caption, clean pictures, hidden.
    void reset();
    // Draws `text` onto the pictures; nothing happens when it is the caption
    // already. A caption too wide for the item is shortened with "..." and
    // becomes the item's hint.
    void setCaption(const QString& text);

    const QString& caption() const { return m_caption; }
    // The text drawn: the caption, or its start with "..." when it is too wide.
    const QString& shownText() const { return m_shown; }
    const QString& hint() const { return m_hint; }
    QString command;

    const QImage& normalPicture() const { return m_normal; }
    const QImage& hoverPicture() const { return m_hover; }
    const QImage& pressedPicture() const { return m_pressed; }
    // What the item shows as it stands.
    const QImage& face() const;

    // The size of the normal picture.
    QSize size() const { return m_normal.size(); }
    QRect rect() const { return QRect(pos, size()); }
    // Strictly inside (hover) and with the left and top edges (press).
    bool containsStrictly(QPoint p) const;
    bool contains(QPoint p) const;

    QPoint pos;
    bool visible = false;
    bool placed = false;
    bool hovered = false;
    bool pressed = false;

    // The text area of a caption `textSize` big in an item `itemSize` big.
    static QRect textArea(QSize textSize, QSize itemSize);
    // `text` shortened with "..." until it is at most `width` wide in `font`.
    static QString shortened(const QString& text, const QFont& font, int width);

private:
    PictureLoader m_loader;
    QString m_upName, m_moveName, m_downName;
    caption::Style m_up, m_move;
    QImage m_normal, m_hover, m_pressed;
    QString m_caption;
    QString m_shown;
    QString m_hint;
};
