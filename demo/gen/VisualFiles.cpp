#include "VisualFiles.h"

#include "Illustrations.h"
#include "SkinArt.h"

#include <QBuffer>
#include <QFont>
#include <QImageWriter>
#include <QLinearGradient>
#include <QPainter>

namespace visualfiles {

namespace {

QByteArray encode(const QImage& image, const char* format) {
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, format);
    if (qstrcmp(format, "JPEG") == 0)
        writer.setQuality(88);
    writer.write(format == QByteArray("BMP") ? image.convertToFormat(QImage::Format_RGB888)
                                             : image);
    return bytes;
}

// A picture on a plain mat with its caption below.
QImage framed(const QImage& picture, const QString& caption) {
    QImage image(picture.width() + 24, picture.height() + 52, QImage::Format_RGB32);
    image.fill(QColor(246, 242, 230));
    QPainter p(&image);
    p.drawImage(12, 12, picture);
    p.setPen(QColor(60, 52, 40));
    p.setFont(skinart::serif(18, false, true));
    p.drawText(QRect(0, picture.height() + 16, image.width(), 30), Qt::AlignCenter, caption);
    return image;
}

} // namespace

QList<QPair<QString, QByteArray>> slides() {
    using namespace illustrations;
    QList<QPair<QString, QByteArray>> out;
    out.append({QStringLiteral("slides/01_car.bmp"),
                encode(framed(carStudio(520, 200), QStringLiteral("Vantrel, вид сбоку")), "BMP")});
    out.append(
        {QStringLiteral("slides/02_engine.bmp"),
         encode(framed(engineSection(440, 290), QStringLiteral("Двигатель в разрезе")), "BMP")});
    out.append({QStringLiteral("slides/03_timing.bmp"),
                encode(framed(timingBelt(400, 280), QStringLiteral("Привод ГРМ")), "BMP")});
    out.append(
        {QStringLiteral("slides/04_cooling.jpg"),
         encode(framed(coolingCircuit(440, 280), QStringLiteral("Система охлаждения")), "JPEG")});
    out.append(
        {QStringLiteral("slides/05_brakes.jpg"),
         encode(framed(brakeAssembly(400, 300), QStringLiteral("Тормозной механизм")), "JPEG")});
    out.append(
        {QStringLiteral("slides/06_battery.jpeg"),
         encode(framed(batteryCheck(400, 270), QStringLiteral("Проверка аккумулятора")), "JPEG")});
    return out;
}

QList<QImage> introFrames() {
    QList<QImage> frames;
    const int count = 24;
    const QImage car = illustrations::carStudio(300, 116);
    for (int i = 0; i < count; ++i) {
        QImage image(400, 240, QImage::Format_RGB32);
        QLinearGradient sky(0, 0, 0, 240);
        sky.setColorAt(0, QColor(18, 26, 40));
        sky.setColorAt(1, QColor(60, 72, 92));
        QPainter p(&image);
        p.fillRect(image.rect(), sky);
        // The car drives in from the left and stops in the middle.
        const double t = double(i) / (count - 1);
        const int x = int(-300 + 350 * (1 - (1 - t) * (1 - t)));
        p.drawImage(x, 100, car);
        p.setFont(skinart::serif(44, true));
        p.setPen(QColor(232, 196, 110, qBound(0, int(255 * t * 1.5), 255)));
        p.drawText(QRect(0, 20, 400, 60), Qt::AlignCenter, QStringLiteral("VANTREL"));
        frames.append(image);
    }
    return frames;
}

QImage albumSkin(const QImage& readerSkin) {
    QImage image = readerSkin.convertToFormat(QImage::Format_RGB32);
    QPainter p(&image);
    // The panel inside its recess: one dark field.
    const QRect panel(35, 92, 669, 417);
    QLinearGradient g(panel.topLeft(), panel.bottomLeft());
    g.setColorAt(0, QColor(40, 46, 56));
    g.setColorAt(1, QColor(22, 26, 32));
    p.fillRect(panel, g);
    return image;
}

} // namespace visualfiles
