#include "skin/TItemsBtn.h"

#include "data/StringUtils.h"
#include "data/StructModel.h"

#include <QFontMetrics>
#include <QPainter>

namespace {

// The pack entry of picture `index`: its file name (list values come
// path-resolved against the book folder).
QString entry(const QStringList& names, int index) {
    QString name;
    if (index >= 0 && index < names.size())
        name = names.at(index);
    else if (!names.isEmpty())
        name = names.first();
    return name.section(QLatin1Char('\\'), -1).section(QLatin1Char('/'), -1);
}

QSize textSize(const QString& text, const QFont& font) {
    const QFontMetrics fm(font);
    return QSize(fm.horizontalAdvance(text), fm.height());
}

void drawText(QImage& picture, const QString& text, const caption::Style& style) {
    if (picture.isNull() || text.isEmpty())
        return;
    const QFont font = caption::font(style);
    const QRect area = TItemsBtn::textArea(textSize(text, font), picture.size());
    QPainter p(&picture);
    p.setFont(font);
    p.setPen(caption::colour(style.colour));
    p.setClipRect(picture.rect());
    p.drawText(QPoint(area.left(), area.top() + QFontMetrics(font).ascent()), text);
}

} // namespace

TItemsBtn::TItemsBtn(const RPopupData& data, int index, PictureLoader loader)
    : m_loader(std::move(loader)), m_upName(entry(data.fnbtnup, index)),
      m_moveName(entry(data.fnbtnmove, index)), m_downName(entry(data.fnbtndown, index)) {
    m_up = {data.fontup, data.sizeup, cfs::readFontStyle(data.styleup, 0), data.colorup};
    m_move = {data.fontmv, data.sizemv, cfs::readFontStyle(data.stylemv, 0), data.colormv};
    reloadPictures();
}

void TItemsBtn::reloadPictures() {
    if (!m_loader) {
        m_normal = m_hover = m_pressed = QImage();
        return;
    }
    m_normal = m_loader(m_upName);
    m_hover = m_loader(m_moveName);
    m_pressed = m_loader(m_downName);
}

QRect TItemsBtn::textArea(QSize text, QSize item) {
    int top = -3;
    int height = item.height() + 3;
    if (text.height() < item.height()) {
        top = (item.height() - text.height()) / 2;
        height = text.height();
    }
    const int width = text.width() + 14 < item.width() ? text.width() : item.width() - 14;
    return QRect(7, top, qMax(0, width), height);
}

QString TItemsBtn::shortened(const QString& text, const QFont& font, int width) {
    const QFontMetrics fm(font);
    if (fm.horizontalAdvance(text) <= width)
        return text;
    QString cut = text;
    while (!cut.isEmpty()) {
        cut.chop(1);
        const QString candidate = cut + QLatin1String("...");
        if (fm.horizontalAdvance(candidate) <= width)
            return candidate;
    }
    return QStringLiteral("...");
}

void TItemsBtn::reset() {
    command.clear();
    m_caption.clear();
    m_shown.clear();
    m_hint.clear();
    reloadPictures();
    visible = placed = hovered = pressed = false;
}

void TItemsBtn::setCaption(const QString& text) {
    if (text == m_caption)
        return;
    reloadPictures();
    m_caption = text;
    const QFont upFont = caption::font(m_up);
    const QFont moveFont = caption::font(m_move);
    // The hint follows the hover font: the whole caption when it does not fit.
    const QSize moving = textSize(text, moveFont);
    m_hint = !text.isEmpty() && moving.width() > size().width() - 14 ? text : QString();
    const QRect area = textArea(textSize(text, upFont), size());
    m_shown = shortened(text, upFont, area.width());
    if (text.isEmpty())
        m_shown.clear();
    drawText(m_normal, m_shown, m_up);
    drawText(m_hover, m_shown, m_move);
    drawText(m_pressed, m_shown, m_move);
}

const QImage& TItemsBtn::face() const {
    if (pressed && !m_pressed.isNull())
        return m_pressed;
    if (hovered && !m_hover.isNull())
        return m_hover;
    return m_normal;
}

bool TItemsBtn::containsStrictly(QPoint p) const {
    const QSize s = size();
    return pos.x() < p.x() && p.x() < pos.x() + s.width() && pos.y() < p.y() &&
           p.y() < pos.y() + s.height();
}

bool TItemsBtn::contains(QPoint p) const {
    return rect().contains(p);
}
