#include "dialogs/TStartClip.h"

#include "media/TCodecInstaller.h"
#include "platform/Log.h"

#include <QGuiApplication>
#include <QKeyEvent>
#include <QPainter>
#include <QScreen>
#include <QTimer>

namespace {
constexpr int kBevel = 10;
constexpr int kMaxRetries = 10;
} // namespace

TStartClip::TStartClip(const QString& file, bool background, std::unique_ptr<TVideoDevice> device,
                       QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint),
      m_file(file), m_background(background), m_device(std::move(device)) {
    setAttribute(Qt::WA_OpaquePaintEvent);
    setFocusPolicy(Qt::StrongFocus);
    setWindowTitle(QStringLiteral("Vantrel"));
    installDriver = [] { TCodecInstaller::installMpegDriver(QString()); };
    // Nothing shows until the clip is opened and sized.
    m_start = new QTimer(this);
    m_start->setSingleShot(true);
    m_start->setInterval(10);
    connect(m_start, &QTimer::timeout, this, &TStartClip::Start);
    m_poll = new QTimer(this);
    m_poll->setInterval(500);
    connect(m_poll, &QTimer::timeout, this, &TStartClip::Poll);
    m_endWatch = new QTimer(this);
    m_endWatch->setInterval(100);
    connect(m_endWatch, &QTimer::timeout, this, &TStartClip::EndWatch);
    m_start->start();
}

TStartClip::~TStartClip() {
    stopAll();
    if (m_device) {
        m_device->frame = nullptr;
        m_device->close();
    }
}

void TStartClip::stopAll() {
    m_start->stop();
    m_poll->stop();
    m_endWatch->stop();
}

void TStartClip::Start() {
    m_start->stop();
    if (m_ended)
        return;
    // 1-2. Open; a missing, invalid or unreadable file ends at once, another
    // failure installs the driver and tries once more.
    if (!m_device)
        m_device = TVideoDevice::make();
    m_device->frame = [this](const QImage& f) {
        if (!m_placed)
            place(f.size());
        m_frame = f;
        update(m_display);
    };
    int error = m_device->open(m_file);
    if (error != TVideoDevice::NoError && error != TVideoDevice::NotFound &&
        error != TVideoDevice::Invalid && error != TVideoDevice::ReadError) {
        ++m_driverInstalls;
        if (installDriver)
            installDriver();
        error = m_device->open(m_file);
    }
    if (error != TVideoDevice::NoError) {
        vlog::complain(QStringLiteral("%1: the start clip cannot be played (error %2)")
                           .arg(m_file)
                           .arg(error));
        End();
        return;
    }
    // 3-5. The clip's own size, in the middle of the screen (a medium that
    // tells its size only with its first picture is placed then).
    if (!m_device->size().isEmpty())
        place(m_device->size());
    // 6. Play, then watch for the playing state.
    if (!m_device->play()) {
        End();
        return;
    }
    m_poll->start();
}

void TStartClip::place(QSize clip) {
    m_placed = true;
    const int w = clip.width(), h = clip.height();
    const QScreen* screen = QGuiApplication::primaryScreen();
    const QRect area = screen ? screen->geometry() : QRect(0, 0, 800, 600);
    const int sw = area.width(), sh = area.height();
    if (m_background) {
        m_display = QRect(sw / 2 - w / 2, sh / 2 - h / 2, w, h);
        setGeometry(area);
    } else {
        m_display = QRect(kBevel, kBevel, w, h);
        setGeometry(area.left() + sw / 2 - w / 2 - 20, area.top() + sh / 2 - h / 2 - 20, w + 20,
                    h + 20);
    }
    show();
    activateWindow();
    setFocus();
}

void TStartClip::Poll() {
    if (m_ended)
        return;
    if (m_device->playing()) {
        m_poll->stop();
        m_endWatch->start();
        show();
        raise();
        activateWindow();
    } else if (m_retries >= kMaxRetries) {
        m_poll->stop();
        m_endWatch->start();
    } else {
        m_device->noWaitOnce();
        m_device->play();
        ++m_retries;
    }
}

void TStartClip::EndWatch() {
    if (m_ended || m_device->playing())
        return;
    m_endWatch->stop();
    m_device->close();
    End();
}

void TStartClip::End() {
    if (m_ended)
        return;
    m_ended = true;
    stopAll();
    close();
    if (const std::function<void()> done = std::exchange(onEnd, nullptr))
        done();
}

void TStartClip::FormKeyDown(int) {
    // Esc ends the clip; so does any other key.
    stopAll();
    if (m_device)
        m_device->close();
    End();
}

void TStartClip::keyPressEvent(QKeyEvent* e) {
    FormKeyDown(e->key());
    e->accept();
}

void TStartClip::mousePressEvent(QMouseEvent*) {
    FormKeyDown(Qt::Key_Escape);
}

void TStartClip::paintEvent(QPaintEvent*) {
    QPainter p(this);
    if (m_background) {
        p.fillRect(rect(), Qt::black);
    } else {
        // A raised bevel 10 pixels wide around the dark blue client area.
        p.fillRect(rect(), QColor(0, 0, 128));
        const QRect r = rect();
        const QColor light(224, 224, 224), dark(96, 96, 96);
        for (int i = 0; i < kBevel; ++i) {
            p.setPen(light);
            p.drawLine(r.left() + i, r.top() + i, r.right() - i, r.top() + i);
            p.drawLine(r.left() + i, r.top() + i, r.left() + i, r.bottom() - i);
            p.setPen(dark);
            p.drawLine(r.left() + i, r.bottom() - i, r.right() - i, r.bottom() - i);
            p.drawLine(r.right() - i, r.top() + i, r.right() - i, r.bottom() - i);
        }
    }
    if (!m_frame.isNull() && m_display.isValid())
        p.drawImage(m_display, m_frame);
}
