#include "dialogs/TAboutBox.h"

#include "data/ROptions.h"
#include "platform/TShell.h"
#include "skin/TEffCar.h"
#include "skin/TEffect.h"
#include "skin/TMyControl.h"
#include "skin/TOutlineRegion.h"
#include "skin/TTextMsg.h"

#include <QCloseEvent>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QPixmap>
#include <QScreen>
#include <QWindow>

namespace {

// Element places far outside any window are brought near it, so that a
// place plus a size never overflows.
int place(int v) {
    return qBound(-AboutDescription::kMaxCoordinate, v, AboutDescription::kMaxCoordinate);
}

QImage plain(const QImage& image) {
    return image.isNull() ? QImage() : image.convertToFormat(QImage::Format_RGB32);
}

} // namespace

TAboutBox::TAboutBox(const AboutDescription& description, const ROptions* options,
                     const std::function<QImage(const QString&)>& loadPicture, Clock clock)
    : QWidget(nullptr, Qt::Dialog | Qt::FramelessWindowHint), m_options(options), m_clock(clock) {
    // Everything is drawn by the paint handler; nothing is erased first.
    setAttribute(Qt::WA_OpaquePaintEvent);
    setAttribute(Qt::WA_AlwaysShowToolTips);
    setMouseTracking(true);
    setFocusPolicy(Qt::StrongFocus);
    setWindowModality(Qt::ApplicationModal);
    m_effect =
        new TEffect(this, clock == Clock::Timer ? TEffect::Clock::Timer : TEffect::Clock::Manual);
    m_fade =
        new TEffCar(this, clock == Clock::Timer ? TEffCar::Clock::Timer : TEffCar::Clock::Manual);
    // The curtain's columns drawn while the fade ran show once it is over.
    m_fade->onFadeState = [this](bool running) {
        if (!running)
            update();
    };
    openLink = [](const QString& target) { TShell::instance().openUrl(target); };
    build(description, loadPicture);
}

TAboutBox::~TAboutBox() {
    // The curtain's ticks must not outlive the window and its pictures.
    m_effect->Stop();
}

TMyControl* TAboutBox::makeArea(const QRect& rect, const QString& hint) {
    auto* area = new TMyControl(this);
    area->onMove = [this](QMouseEvent* e, QPoint p) {
        if (m_dragging && (e->buttons() & Qt::LeftButton)) {
            move(e->globalPosition().toPoint() - m_dragOffset);
            return;
        }
        m_dragging = false;
        mouseMoveAt(p);
    };
    area->onDown = [this](QMouseEvent* e, QPoint p) {
        if (e->button() == Qt::LeftButton && mouseDownAt(p))
            startMove(e->globalPosition().toPoint());
    };
    area->onUp = [this](QMouseEvent*, QPoint) { m_dragging = false; };
    area->setGeometry(rect);
    if (m_hints && !hint.isEmpty())
        area->setToolTip(hint);
    // An element without its picture has no size and cannot be hit.
    area->setVisible(!rect.isEmpty());
    return area;
}

void TAboutBox::build(const AboutDescription& d,
                      const std::function<QImage(const QString&)>& load) {
    auto picture = [&load](const QString& name) {
        return name.isEmpty() || !load ? QImage() : plain(load(name));
    };
    // 1-2. The background picture and the outline.
    m_background = picture(d.picture);
    if (d.vertex) {
        m_outline = *d.vertex;
        setMask(
            TOutlineRegion::build(m_outline, m_background.isNull() ? size() : m_background.size()));
    }
    // 4. Size and place: centred on the screen.
    if (!m_background.isNull()) {
        setFixedSize(m_background.size());
        if (QScreen* screen = QGuiApplication::primaryScreen()) {
            const QRect s = screen->geometry();
            move(s.x() + s.width() / 2 - width() / 2, s.y() + s.height() / 2 - height() / 2);
        }
    }
    m_hints = !m_options || m_options->hint;
    QPainter p;
    if (!m_background.isNull())
        p.begin(&m_background);
    // 5. Buttons: their normal pictures are part of the background.
    for (int i = 0; i < d.buttons.size(); ++i) {
        Element e;
        e.btn = d.buttons[i];
        e.btn.vx = place(e.btn.vx);
        e.btn.vy = place(e.btn.vy);
        e.normal = picture(e.btn.fn1);
        e.hover = picture(e.btn.fn2);
        e.btn.right = e.btn.vx + e.normal.width();
        e.btn.bottom = e.btn.vy + e.normal.height();
        if (!e.normal.isNull() && p.isActive())
            p.drawImage(e.btn.vx, e.btn.vy, e.normal);
        e.area =
            makeArea(QRect(e.btn.vx, e.btn.vy, e.normal.width(), e.normal.height()), e.btn.hint);
        e.fade = new TEffBtnCar(this, i,
                                m_clock == Clock::Timer ? TEffBtnCar::Clock::Timer
                                                        : TEffBtnCar::Clock::Manual);
        e.fade->setStep(4);
        e.fade->canDraw = [this] { return isVisible() && !m_fade->running(); };
        e.fade->drawFrame = [this](const TEffBtnCar& f) {
            update(QRect(f.position(), f.frame().size()));
        };
        m_elements.append(e);
    }
    // 6. Texts, drawn over a transparent background; "url" texts are links
    // over the width of their whole value.
    for (RAboutText t : d.texts) {
        t.vx = place(t.vx);
        t.vy = place(t.vy);
        const QFont font = TTextMsg::skinFont(t.font, qBound(0, t.size, kMaxFontSize), t.style);
        const QFontMetrics fm(font);
        QString shown = t.value;
        if (t.idenf == QLatin1String("url")) {
            const RAboutLink link = AboutDescription::linkOf(t);
            Element e;
            e.link = true;
            e.target = link.target;
            e.btn.vx = t.vx;
            e.btn.vy = t.vy;
            e.btn.right = t.vx + fm.horizontalAdvance(t.value);
            e.btn.bottom = t.vy + fm.height();
            e.area = makeArea(
                QRect(QPoint(e.btn.vx, e.btn.vy), QPoint(e.btn.right - 1, e.btn.bottom - 1)),
                QString());
            m_elements.append(e);
            shown = link.shown;
        }
        if (!p.isActive())
            continue;
        p.setFont(font);
        p.setPen(TTextMsg::skinColor(t.color));
        p.drawText(QRect(t.vx, t.vy, fm.horizontalAdvance(shown), fm.height()),
                   Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine, shown);
    }
}

bool TAboutBox::effectsRunning() const {
    return m_fade->running() || m_effect->running();
}

void TAboutBox::setHand(bool on) {
    if (on)
        setCursor(Qt::PointingHandCursor);
    else
        unsetCursor();
}

void TAboutBox::showModal() {
    if (!usable())
        return;
    // Every show starts at rest.
    for (Element& e : m_elements) {
        e.hovered = false;
        e.hand = false;
        if (e.fade)
            e.fade->Cancel();
    }
    setHand(false);
    m_dragging = false;
    if (!m_options || m_options->animation) {
        // The parts not yet revealed show what lies under the window.
        QImage under;
        if (QScreen* screen = QGuiApplication::primaryScreen())
            under = screen->grabWindow(0, x(), y(), width(), height()).toImage();
        m_effect->Start(this, m_background, under);
    }
    m_fade->StartWindowFade();
    show();
    raise();
    activateWindow();
    emit shown();
}

// ---- painting ----

void TAboutBox::paintEvent(QPaintEvent*) {
    if (m_background.isNull())
        return;
    QPainter p(this);
    if (m_fade->running()) {
        m_fade->PaintFadeFrame(p);
        return;
    }
    if (m_effect->running()) {
        p.drawImage(0, 0, m_effect->revealed());
        return;
    }
    p.drawImage(0, 0, m_background);
    for (const Element& e : m_elements) {
        if (e.fade && e.fade->running() && !e.fade->frame().isNull() && e.fade->lastWeight() >= 0)
            p.drawImage(e.fade->position(), e.fade->frame());
        else if (e.hovered && !e.hover.isNull())
            p.drawImage(e.btn.vx, e.btn.vy, e.hover);
    }
}

// ---- the mouse ----

void TAboutBox::mouseMoveAt(QPoint p) {
    if (effectsRunning())
        return;
    for (Element& e : m_elements) {
        const bool hasPictures = !e.normal.isNull() && !e.hover.isNull();
        const QPoint at(e.btn.vx, e.btn.vy);
        if (inside(p, e.btn)) {
            if (e.link && !e.hand) {
                setHand(true);
                e.hand = true;
            }
            if (!e.hovered) {
                if (hasPictures)
                    e.fade->StartFade(e.normal, e.hover, at);
                e.hovered = true;
            }
        } else {
            if (e.link && e.hand) {
                setHand(false);
                e.hand = false;
            }
            if (e.hovered) {
                if (hasPictures)
                    e.fade->StartFade(e.hover, e.normal, at);
                e.hovered = false;
            }
        }
    }
}

bool TAboutBox::mouseDownAt(QPoint p) {
    if (effectsRunning())
        return false;
    for (Element& e : m_elements) {
        if (!inside(p, e.btn))
            continue;
        const QString wav = e.btn.wav;
        if (!wav.isEmpty() && wav != QLatin1String("no") && (!m_options || m_options->wav) &&
            playSound)
            playSound(wav);
        if (e.link) {
            if (openLink)
                openLink(e.target);
            return false;
        }
        e.hovered = false;
        e.hand = false;
        setHand(false);
        close();
        return false;
    }
    return true;
}

void TAboutBox::startMove(QPoint global) {
    QWindow* window = windowHandle();
    if (window && window->startSystemMove())
        return;
    m_dragging = true;
    m_dragOffset = global - pos();
}

void TAboutBox::mouseMoveEvent(QMouseEvent* e) {
    if (m_dragging && (e->buttons() & Qt::LeftButton)) {
        move(e->globalPosition().toPoint() - m_dragOffset);
        return;
    }
    m_dragging = false;
    mouseMoveAt(e->position().toPoint());
}

void TAboutBox::mousePressEvent(QMouseEvent* e) {
    if (e->button() == Qt::LeftButton && mouseDownAt(e->position().toPoint()))
        startMove(e->globalPosition().toPoint());
}

void TAboutBox::mouseReleaseEvent(QMouseEvent*) {
    m_dragging = false;
}

// ---- keys and closing ----

void TAboutBox::keyPressEvent(QKeyEvent* e) {
    const int key = e->key();
    if (key == Qt::Key_Escape || key == Qt::Key_Return || key == Qt::Key_Enter) {
        if (!m_effect->running())
            close();
        e->accept();
        return;
    }
    QWidget::keyPressEvent(e);
}

void TAboutBox::closeEvent(QCloseEvent* e) {
    m_effect->Stop();
    for (Element& e2 : m_elements)
        if (e2.fade)
            e2.fade->Cancel();
    m_dragging = false;
    e->accept();
    emit closed();
}
