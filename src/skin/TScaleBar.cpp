#include "skin/TScaleBar.h"

#include "data/TReadBin.h"

#include <QPainter>
#include <QWidget>

namespace {

QImage loadPicture(const TReadBin* pack, const char* name) {
    if (!pack)
        return {};
    const std::optional<QByteArray> bytes = pack->read(QString::fromLatin1(name));
    if (!bytes)
        return {};
    return QImage::fromData(*bytes);
}

} // namespace

TScaleBar::TScaleBar(const TReadBin* pack, ScreenFn currentScreen, QObject* parent)
    : QObject(parent), m_pack(pack), m_screen(std::move(currentScreen)) {}

void TScaleBar::setDialog(QWidget* dialog, QImage* background) {
    m_dialog = dialog;
    m_background = background;
}

bool TScaleBar::onScreen() const {
    return (m_screen ? m_screen() : 0) == kScreen;
}

void TScaleBar::drawInto(const QImage& source, const QRect& sourceRect, const QPoint& at) {
    if (source.isNull() || sourceRect.isEmpty())
        return;
    if (m_background && !m_background->isNull()) {
        QPainter p(m_background);
        p.drawImage(at, source, sourceRect);
    }
    if (m_dialog)
        m_dialog->update(QRect(at, sourceRect.size()));
}

void TScaleBar::showForScreen() {
    const int screen = m_screen ? m_screen() : 0;
    if (screen == kScreen) {
        m_empty = loadPicture(m_pack, kEmptyPicture);
        m_full = loadPicture(m_pack, kFullPicture);
        m_right = kX + m_empty.width();
        m_bottom = kY + m_empty.height();
        if (m_dialog) {
            const int filled = qBound(0, m_column - kX, m_full.width());
            drawInto(m_full, QRect(0, 0, filled, m_full.height()), QPoint(kX, kY));
            drawInto(m_empty, QRect(filled, 0, m_empty.width() - filled, m_empty.height()),
                     QPoint(kX + filled, kY));
        }
        reset();
    } else if (m_previousScreen == kScreen) {
        // Only when the bar's screen is left: a second showing on the same
        // screen keeps the pictures it has just loaded.
        m_empty = QImage();
        m_full = QImage();
    }
    m_previousScreen = screen;
}

void TScaleBar::reset() {
    m_column = kX;
    if (onScreen())
        drawInto(m_empty, m_empty.rect(), QPoint(kX, kY));
}

void TScaleBar::step() {
    if (onScreen()) {
        const int source = m_column - kX;
        if (source >= 0 && source < m_full.width())
            drawInto(m_full, QRect(source, 0, 1, m_full.height()), QPoint(m_column, kY));
    }
    ++m_column;
}

void TScaleBar::advanceTo(int k, int total) {
    if (total <= 0)
        return;
    const double stepSize = double(m_right - kX) / double(total);
    while (double(m_column - kX) <= double(k) * stepSize)
        step();
}
