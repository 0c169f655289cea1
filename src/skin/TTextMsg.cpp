#include "skin/TTextMsg.h"

#include <QFontMetrics>
#include <QPainter>
#include <QWidget>

#include <cmath>

TTextMsg::TTextMsg(const TDynamicTextArray& elements, QWidget* mainWindow, ScreenFn currentScreen,
                   QObject* parent)
    : QObject(parent), m_main(mainWindow), m_screen(std::move(currentScreen)) {
    m_items.reserve(elements.size());
    for (const RText& row : elements) {
        Item item;
        item.row = row;
        item.font = skinFont(row.font, row.size, row.style);
        item.color = skinColor(row.color);
        item.text = row.value;
        item.rect = textRect(item.font, row.vx, row.vy, item.text);
        m_items.append(item);
    }
}

void TTextMsg::setDialog(QWidget* dialog) {
    m_dialog = dialog;
}

QFont TTextMsg::skinFont(const QString& family, int pointSize, const QString& styleWords) {
    QFont font(family);
    // Windows sizes a point font at 96 dpi: pixel height = points * 96 / 72.
    const int pixels = pointSize > 0 ? int(std::lround(pointSize * 96.0 / 72.0)) : 13;
    font.setPixelSize(qMax(1, pixels));
    const QString words = styleWords.toLower();
    font.setBold(words.contains(QLatin1String("bold")));
    font.setItalic(words.contains(QLatin1String("italic")));
    font.setUnderline(words.contains(QLatin1String("underline")));
    font.setStrikeOut(words.contains(QLatin1String("strikeout")));
    font.setStyleStrategy(QFont::PreferAntialias);
    return font;
}

QColor TTextMsg::skinColor(int value) {
    return QColor(value & 0xFF, (value >> 8) & 0xFF, (value >> 16) & 0xFF);
}

QRect TTextMsg::textRect(const QFont& font, int left, int top, const QString& text) {
    const QFontMetrics fm(font);
    return QRect(left, top, fm.horizontalAdvance(text), fm.height());
}

bool TTextMsg::isStatusLine(int index) const {
    return m_items.at(index).row.ident.compare(QLatin1String("statusline"), Qt::CaseInsensitive) ==
           0;
}

QWidget* TTextMsg::canvasOf(const Item& item) const {
    return item.row.number == kDialogNumber ? m_dialog.data() : m_main.data();
}

void TTextMsg::paint(QPainter& painter, const QWidget* canvas) {
    if (!canvas)
        return;
    const int screen = m_screen ? m_screen() : 0;
    for (Item& item : m_items) {
        if (item.row.screen != screen || canvasOf(item) != canvas)
            continue;
        item.rect = textRect(item.font, item.row.vx, item.row.vy, item.text);
        if (item.text.isEmpty())
            continue;
        painter.save();
        painter.setFont(item.font);
        painter.setPen(item.color);
        painter.setClipRect(item.rect);
        painter.drawText(item.rect, Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine, item.text);
        painter.restore();
    }
}

void TTextMsg::changeText(int index, const QString& text, bool redraw) {
    Item& item = m_items[index];
    if (item.text == text)
        return;
    const QRect old = item.rect;
    item.text = text;
    item.rect = textRect(item.font, item.row.vx, item.row.vy, text);
    const int screen = m_screen ? m_screen() : 0;
    QWidget* canvas = canvasOf(item);
    if (redraw && canvas && item.row.screen == screen) {
        // Repainting restores the skin under the old text and draws the new
        // one (the owner's paint handler calls paint()).
        canvas->update(old.united(item.rect));
    }
    Q_EMIT textChanged(index);
}

void TTextMsg::setText(const QString& text, int which, bool redraw) {
    if (which >= 0) {
        for (int i = 0; i < m_items.size(); ++i) {
            if (m_items.at(i).row.number == which) {
                changeText(i, text, redraw);
                return;
            }
        }
        return;
    }
    if (which == kStatusLine) {
        for (int i = 0; i < m_items.size(); ++i) {
            if (isStatusLine(i))
                changeText(i, text, redraw);
        }
    }
}
