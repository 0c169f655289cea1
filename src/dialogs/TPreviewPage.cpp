#include "dialogs/TPreviewPage.h"

#include <QMouseEvent>
#include <QPainter>

TPreviewPage::TPreviewPage(QWidget* parent) : QWidget(parent) {
    setMouseTracking(true);
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void TPreviewPage::setPage(const QPicture* page) {
    m_hasPage = page != nullptr;
    m_page = page ? *page : QPicture();
    m_cache = QImage();
    update();
}

QImage TPreviewPage::render(const QPicture& page, QSize size) {
    QImage img(size.expandedTo(QSize(1, 1)), QImage::Format_RGB32);
    // Drawing a picture rescales it by the device's resolution over the
    // picture's: give the image the picture's own resolution.
    const QPicture probe;
    img.setDotsPerMeterX(qRound(probe.logicalDpiX() / 0.0254));
    img.setDotsPerMeterY(qRound(probe.logicalDpiY() / 0.0254));
    img.fill(Qt::white);
    const QRect bounds = page.boundingRect();
    if (bounds.width() <= 0 || bounds.height() <= 0)
        return img;
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    p.setRenderHint(QPainter::TextAntialiasing);
    p.setRenderHint(QPainter::SmoothPixmapTransform);
    p.setClipRect(img.rect());
    p.scale(double(img.width()) / bounds.width(), double(img.height()) / bounds.height());
    p.drawPicture(0, 0, page);
    p.end();
    return img;
}

void TPreviewPage::paintEvent(QPaintEvent* e) {
    QPainter p(this);
    p.fillRect(e->rect(), Qt::white);
    if (!m_hasPage)
        return;
    // Up to about 16 million pixels the sheet is kept as an image; a larger
    // zoom draws only the part that is exposed.
    if (qint64(width()) * height() <= kCacheLimit) {
        if (m_cache.size() != size())
            m_cache = render(m_page, size());
        p.drawImage(e->rect(), m_cache, e->rect());
        return;
    }
    m_cache = QImage();
    const QRect bounds = m_page.boundingRect();
    if (bounds.width() <= 0 || bounds.height() <= 0)
        return;
    const QPicture probe;
    p.setRenderHint(QPainter::Antialiasing);
    p.setRenderHint(QPainter::TextAntialiasing);
    p.setClipRect(e->rect());
    p.scale(double(width()) / bounds.width() * probe.logicalDpiX() / logicalDpiX(),
            double(height()) / bounds.height() * probe.logicalDpiY() / logicalDpiY());
    p.drawPicture(0, 0, m_page);
}

void TPreviewPage::mousePressEvent(QMouseEvent* e) {
    emit pressed(e);
}

void TPreviewPage::mouseMoveEvent(QMouseEvent* e) {
    emit moved(e);
}

void TPreviewPage::mouseReleaseEvent(QMouseEvent* e) {
    emit released(e);
}
