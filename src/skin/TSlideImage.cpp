#include "skin/TSlideImage.h"

#include "data/BookPaths.h"
#include "data/StringUtils.h"
#include "platform/Log.h"

#include <QEvent>
#include <QFileInfo>
#include <QImageReader>
#include <QLabel>
#include <QMouseEvent>
#include <QPixmap>
#include <QRandomGenerator>
#include <QTimer>
#include <QWidget>

TSlideImage::TSlideImage(const TDynamicImageArray& rows, QWidget* mainWindow,
                         const ROptions& options, ScreenFn currentScreen, QObject* parent)
    : QObject(parent), m_options(options), m_screen(std::move(currentScreen)) {
    randomIndex = [](int bound) { return int(QRandomGenerator::global()->bounded(bound)); };
    for (const RImage& row : rows) {
        Area a;
        a.label = new QLabel(mainWindow);
        a.label->setAlignment(Qt::AlignCenter);
        a.label->setScaledContents(false);
        a.label->setGeometry(row.vx, row.vy, qMax(0, row.vw - row.vx), qMax(0, row.vh - row.vy));
        a.label->setMouseTracking(true);
        a.label->installEventFilter(this);
        a.label->hide();
        a.screen = row.screen;
        m_areas.append(a);
    }
    m_timer = new QTimer(this);
    m_timer->setInterval(qMax(1, m_options.slideShowTime) * 1000);
    connect(m_timer, &QTimer::timeout, this, &TSlideImage::Tick);
    for (qsizetype i = 0; i < m_areas.size(); ++i)
        m_areas[i].files = pictureList(rows[i].dir);
    m_current = 0;
    m_index = 0;
    m_previousScreen = -1;
    ShowForScreen();
}

TSlideImage::~TSlideImage() {
    for (const Area& a : std::as_const(m_areas))
        delete a.label;
}

QStringList TSlideImage::pictureList(const QString& folder) {
    QStringList files;
    for (const char* mask : {"*.bmp", "*.jpg", "*.jpeg"})
        files += cfs::findFiles(folder, {QLatin1String(mask)}, false, false);
    return files;
}

QImage TSlideImage::decodeToFit(const QString& nativePath, QSize box, QString* error) {
    QImageReader reader(nativePath);
    // The format follows the file's extension (bitmap or JPEG); the reader
    // still checks the contents.
    const QString ext = QFileInfo(nativePath).suffix().toLower();
    if (ext == QLatin1String("bmp"))
        reader.setFormat("bmp");
    else if (ext == QLatin1String("jpg") || ext == QLatin1String("jpeg"))
        reader.setFormat("jpeg");
    reader.setAutoTransform(false);
    const QSize full = reader.size();
    if (!full.isValid() || full.isEmpty()) {
        *error = reader.errorString();
        return {};
    }
    if (box.width() > 0 && box.height() > 0 &&
        (full.width() > box.width() || full.height() > box.height()))
        reader.setScaledSize(full.scaled(box, Qt::KeepAspectRatio).expandedTo(QSize(1, 1)));
    QImage image = reader.read();
    if (image.isNull())
        *error = reader.errorString();
    return image;
}

bool TSlideImage::load(int area, int index) {
    if (area < 0 || area >= m_areas.size())
        return false;
    Area& a = m_areas[area];
    if (index < 0 || index >= a.files.size())
        return false;
    const QString file = a.files.at(index);
    QString native = BookPaths::resolveOnDisk(file);
    if (native.isEmpty())
        native = BookPaths::toNative(file);
    QString error;
    const QImage image = decodeToFit(native, a.label->size(), &error);
    if (image.isNull()) {
        vlog::complain(QStringLiteral("%1: the picture cannot be shown (%2)").arg(native, error));
        return false;
    }
    a.label->setPixmap(QPixmap::fromImage(image));
    a.shown = file;
    return true;
}

bool TSlideImage::currentScreenHasArea() const {
    const int screen = m_screen ? m_screen() : 0;
    for (const Area& a : m_areas)
        if (a.screen == screen)
            return true;
    return false;
}

bool TSlideImage::timerRunning() const {
    return m_timer->isActive();
}

void TSlideImage::ShowForScreen() {
    const int screen = m_screen ? m_screen() : 0;
    // 1. The previous screen's areas go.
    for (Area& a : m_areas)
        if (a.screen == m_previousScreen) {
            if (m_options.runSlideShow)
                m_timer->stop();
            a.label->hide();
        }
    // 2. The current screen's come, the last of them taking the steps.
    for (qsizetype i = 0; i < m_areas.size(); ++i) {
        Area& a = m_areas[i];
        if (a.screen != screen)
            continue;
        a.label->show();
        a.label->raise();
        m_current = int(i);
        if (a.shown.isEmpty())
            load(int(i), m_index);
        if (m_options.runSlideShow)
            m_timer->start();
    }
    m_previousScreen = screen;
}

void TSlideImage::Next() {
    if (m_areas.isEmpty())
        return;
    const int n = int(m_areas[m_current].files.size());
    // An empty folder shows nothing and leaves the shared index alone.
    if (n == 0)
        return;
    ++m_index;
    if (m_index > n - 1 || m_index < 0)
        m_index = 0;
    load(m_current, m_index);
}

void TSlideImage::Previous() {
    if (m_areas.isEmpty())
        return;
    const int n = int(m_areas[m_current].files.size());
    if (n == 0)
        return;
    --m_index;
    // Below the first, or still past the end of this area's (shorter) list:
    // the last picture.
    if (m_index < 0 || m_index > n - 1)
        m_index = n - 1;
    load(m_current, m_index);
}

void TSlideImage::Tick() {
    if (m_areas.isEmpty())
        return;
    switch (m_options.imageSequence) {
    case 0:
        Next();
        break;
    case 1:
        Previous();
        break;
    default: {
        const int n = int(m_areas[m_current].files.size());
        if (n > 0)
            load(m_current, randomIndex(n));
        break;
    }
    }
}

void TSlideImage::setSlideShow(bool on, int intervalMs) {
    if (intervalMs > 0)
        m_timer->setInterval(intervalMs);
    if (on && currentScreenHasArea())
        m_timer->start();
    else
        m_timer->stop();
}

bool TSlideImage::eventFilter(QObject* watched, QEvent* e) {
    if (e->type() == QEvent::MouseMove)
        for (const Area& a : std::as_const(m_areas))
            if (a.label == watched) {
                emit skinMouseMove(-1, -1);
                break;
            }
    return QObject::eventFilter(watched, e);
}
