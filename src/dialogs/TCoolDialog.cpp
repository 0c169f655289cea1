#include "dialogs/TCoolDialog.h"

#include "data/SettingsNames.h"
#include "data/SettingsStore.h"
#include "data/StringUtils.h"
#include "dialogs/TDialogCanvas.h"
#include "platform/Busy.h"
#include "platform/Log.h"
#include "reader/TFindTxtHtml.h"
#include "skin/CaptionPainter.h"
#include "skin/TEffCar.h"
#include "skin/TMyControl.h"
#include "skin/TScaleBar.h"
#include "skin/TStatusLine.h"
#include "skin/TTextMsg.h"

#include <QApplication>
#include <QCloseEvent>
#include <QKeyEvent>
#include <QLineEdit>
#include <QListWidget>
#include <QMouseEvent>
#include <QPainter>
#include <QWindow>

using vlog::complain;

namespace {

QRect captionBox(const RSwthGrp& s) {
    return QRect(QPoint(s.texttx, s.textty), QPoint(s.textbx, s.textby));
}

void drawCaption(QImage& picture, const QString& text, const RSwthGrp& s, int style, int colour) {
    if (picture.isNull() || text.trimmed().isEmpty())
        return;
    caption::draw(picture, text, captionBox(s),
                  caption::Style{s.textfontname, s.textfontsize, style, colour});
}

} // namespace

TCoolDialog::TCoolDialog(QWidget* mainWindow, DialogDescription description,
                         TSettingsStore* settings, TEffBtnCar::Clock clock)
    : QWidget(nullptr, Qt::Tool | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint),
      m_mainWindow(mainWindow), m_desc(std::move(description)), m_settings(settings),
      m_clock(clock) {
    // Everything is drawn by the paint handler; nothing is erased first.
    setAttribute(Qt::WA_OpaquePaintEvent);
    setAttribute(Qt::WA_AlwaysShowToolTips);
    setMouseTracking(true);
    setFocusPolicy(Qt::StrongFocus);
    m_fade = new TEffCar(this, clock == TEffBtnCar::Clock::Timer ? TEffCar::Clock::Timer
                                                                 : TEffCar::Clock::Manual);
    m_fade->onFadeState = [this](bool running) {
        // The search fields would cover the fade; they come back at its end.
        if (m_search && m_current == Search)
            m_search->HideFields(running);
    };
    readSwitchStates();
    // The dialog sees keys before its child controls (the search fields).
    qApp->installEventFilter(this);
}

TCoolDialog::~TCoolDialog() = default;

void TCoolDialog::setSearch(TFindTxtHtml* search) {
    m_search = search;
}

void TCoolDialog::setScaleBar(TScaleBar* bar) {
    m_bar = bar;
    if (m_bar)
        m_bar->setDialog(this, &m_background);
}

void TCoolDialog::setStatusLine(TStatusLine* status) {
    m_status = status;
}

void TCoolDialog::setTexts(TTextMsg* texts) {
    m_texts = texts;
    if (m_texts)
        m_texts->setDialog(this);
}

const TDynamicSwthGrpArray& TCoolDialog::switches() const {
    static const TDynamicSwthGrpArray none;
    const RDialog* d = m_desc.dialog(m_current);
    return d ? d->switches : none;
}

TDynamicSwthGrpArray* TCoolDialog::currentSwitches() {
    if (m_current < 0 || m_current >= m_desc.dialogs.size())
        return nullptr;
    return &m_desc.dialogs[m_current].switches;
}

QImage TCoolDialog::picture(const QString& name) const {
    if (name.isEmpty() || !loadPicture)
        return QImage();
    const QImage img = loadPicture(name);
    return img.isNull() ? QImage() : img.convertToFormat(QImage::Format_RGB32);
}

bool TCoolDialog::fadeRunning() const {
    return m_fade && m_fade->running();
}

// ---- stored switch states ----

void TCoolDialog::readSwitchStates() {
    if (!m_settings)
        return;
    for (int d = 0; d < m_desc.dialogs.size(); ++d) {
        TDynamicSwthGrpArray& list = m_desc.dialogs[d].switches;
        for (int i = 0; i < list.size(); ++i) {
            RSwthGrp& s = list[i];
            s.hover = false;
            if (!s.store)
                continue;
            if (const std::optional<bool> on = m_settings->readBool(settings::swGrpD(d, i)))
                s.on = *on;
        }
    }
}

void TCoolDialog::writeSwitchStates() {
    if (!m_settings)
        return;
    for (int d = 0; d < m_desc.dialogs.size(); ++d) {
        const TDynamicSwthGrpArray& list = m_desc.dialogs[d].switches;
        for (int i = 0; i < list.size(); ++i)
            if (list[i].store)
                m_settings->writeBool(settings::swGrpD(d, i), list[i].on);
    }
}

// ---- building a dialog ----

TMyControl* TCoolDialog::makeArea(const QRect& rect, const QString& hint) {
    auto* area = new TMyControl(this);
    area->onMove = [this](QMouseEvent* e, QPoint p) {
        elementMove(p, e->buttons(), e->globalPosition().toPoint());
    };
    area->onDown = [this](QMouseEvent* e, QPoint p) {
        elementDown(p, e->button(), e->globalPosition().toPoint());
    };
    area->onUp = [this](QMouseEvent* e, QPoint p) { elementUp(p, e->button()); };
    area->setGeometry(rect);
    if (m_hints)
        area->setToolTip(hint);
    // An element without its picture has no size and cannot be hit.
    area->setVisible(!rect.isEmpty());
    return area;
}

TEffBtnCar* TCoolDialog::makeFade(int index) {
    auto* effect = new TEffBtnCar(this, index, m_clock);
    effect->setStep(4);
    effect->canDraw = [this] { return isVisible() && !(mainFadeRunning && mainFadeRunning()); };
    effect->drawFrame = [this](const TEffBtnCar& e) {
        repaint(QRect(e.position(), e.frame().size()));
    };
    return effect;
}

void TCoolDialog::fade(TEffBtnCar* effect, const QImage& from, const QImage& to, QPoint at) {
    if (effect && !from.isNull() && !to.isNull())
        effect->StartFade(from, to, at);
    else
        update(QRect(at, from.isNull() ? to.size() : from.size()));
}

void TCoolDialog::loadButtons(const RDialog& d) {
    for (qsizetype i = 0; i < d.buttons.size(); ++i) {
        ButtonState s;
        s.btn = d.buttons[i];
        s.normal = picture(s.btn.fn1);
        s.hover = picture(s.btn.fn2);
        s.pressed = picture(s.btn.fn3);
        s.btn.right = s.btn.vx + s.normal.width();
        s.btn.bottom = s.btn.vy + s.normal.height();
        // The hint area stays where the button is described.
        s.area =
            makeArea(QRect(s.btn.vx, s.btn.vy, s.normal.width(), s.normal.height()), s.btn.hint);
        s.fade = makeFade(int(i));
        m_buttons.append(s);
    }
}

void TCoolDialog::loadSwitches(RDialog& d) {
    for (qsizetype i = 0; i < d.switches.size(); ++i) {
        RSwthGrp& w = d.switches[i];
        SwitchState s;
        s.off = picture(w.fn1);
        s.hoverOff = picture(w.fn2);
        s.hoverOn = picture(w.fn3);
        s.on = picture(w.fn4);
        w.right = w.vx + s.off.width();
        w.bottom = w.vy + s.off.height();
        w.hover = false;
        drawCaption(s.off, w.textcaptionup, w, w.textfontstyleup, w.textfontcolorup);
        drawCaption(s.hoverOff, w.textcaptionup, w, w.textfontstylemvup, w.textfontcolormvup);
        drawCaption(s.hoverOn, w.textcaptiondn, w, w.textfontstylemvdn, w.textfontcolormvdn);
        drawCaption(s.on, w.textcaptiondn, w, w.textfontstyledn, w.textfontcolordn);
        s.area = makeArea(QRect(w.vx, w.vy, s.off.width(), s.off.height()), w.hint);
        s.fade = makeFade(int(i));
        m_switches.append(s);
    }
}

void TCoolDialog::placeFields(bool onDialog) {
    if (!m_search)
        return;
    for (int i = 0; i < m_search->fieldCount(); ++i) {
        QLineEdit* f = m_search->field(i);
        if (!f)
            continue;
        if (onDialog) {
            // The field keeps its described edges, now in dialog coordinates.
            const RFindTxt& r = m_search->row(i);
            if (f->parentWidget() != this)
                f->setParent(this);
            f->setGeometry(r.vx, r.vy, qMax(0, r.vw - r.vx), qMax(0, r.vh - r.vy));
            f->show();
        } else {
            f->hide();
            // The first field leaves the dialog (hidden on the main window).
            if (i == 0 && f->parentWidget() == this)
                f->setParent(m_mainWindow);
        }
    }
}

void TCoolDialog::releaseShow() {
    ++m_generation;
    for (ButtonState& s : m_buttons) {
        delete s.area;
        delete s.fade;
    }
    for (SwitchState& s : m_switches) {
        delete s.area;
        delete s.fade;
    }
    m_buttons.clear();
    m_switches.clear();
    delete m_results;
    m_results = nullptr;
    m_background = QImage();
}

void TCoolDialog::ShowDialog(int number, const QString& text) {
    const RDialog* d = m_desc.dialog(number);
    if (!d) {
        complain(
            QStringLiteral("%1 describes no dialog %2").arg(QLatin1String(kEntry)).arg(number + 1));
        return;
    }
    // 1. The background picture; none: nothing is shown and nothing changes.
    const QImage backdrop = picture(d->picture);
    if (backdrop.isNull()) {
        complain(QStringLiteral("%1: the picture \"%2\" of dialog %3 cannot be loaded")
                     .arg(QLatin1String(kEntry), d->picture)
                     .arg(number + 1));
        return;
    }
    // A dialog on the screen is replaced.
    releaseShow();
    // 2-4. The elements' pictures, hint areas and fades.
    m_current = number;
    RDialog& dialog = m_desc.dialogs[number];
    loadButtons(dialog);
    loadSwitches(dialog);
    // 5. The search fields live on the search page only.
    placeFields(number == Search);
    // 6. The message, widening the picture when it is too long.
    const TDialogCanvas::Result composed = TDialogCanvas::compose(backdrop, dialog.text, text);
    m_background = composed.background;
    m_widening = composed.widening;
    // 7-8. Buttons move with the widening; every element at rest is drawn in.
    {
        QPainter p(&m_background);
        for (ButtonState& s : m_buttons) {
            const int shift = TDialogCanvas::shiftOf(s.btn.align, m_widening);
            s.btn.vx += shift;
            s.btn.right += shift;
            s.hovered = false;
            s.pressed_ = false;
            if (!s.normal.isNull())
                p.drawImage(s.btn.vx, s.btn.vy, s.normal);
        }
        for (qsizetype i = 0; i < m_switches.size(); ++i)
            if (!m_switches[i].off.isNull())
                p.drawImage(dialog.switches[i].vx, dialog.switches[i].vy, m_switches[i].off);
    }
    // 9. The search's progress bar draws itself into the background.
    if (number == Search && m_bar) {
        m_bar->setDialog(this, &m_background);
        m_bar->showForScreen();
    }
    // 10. Size, centred on the main window.
    setFixedSize(m_background.size());
    if (m_mainWindow)
        move(m_mainWindow->x() + m_mainWindow->width() / 2 - width() / 2,
             m_mainWindow->y() + m_mainWindow->height() / 2 - height() / 2);
    m_fullHeight = height();
    // 11. The switches that are on run their verbs (the search page opens
    // in the scope its switches show).
    const int generation = m_generation;
    for (qsizetype i = 0; i < dialog.switches.size(); ++i) {
        const RSwthGrp s = dialog.switches[i];
        if (!s.on)
            continue;
        if (RunVerb(s.go, s.wav) || generation != m_generation)
            return; // a switch's verb closed the dialog: nothing is shown
    }
    // 12. Fade in and show.
    m_fade->StartWindowFade();
    show();
    raise();
    activateWindow();
}

// ---- verbs and results ----

bool TCoolDialog::RunVerb(const QString& verb, const QString& sound) {
    // A running search: its button asks it to stop, without a sound.
    if (busy::isBusy() && verb.contains(QLatin1String("findnext"))) {
        if (m_search)
            m_search->SetIdle(true);
        return false;
    }
    if (!sound.isEmpty() && sound != QLatin1String("no") && soundsOn && soundsOn() && playSound)
        playSound(sound);
    if (verb == QLatin1String("findtxtall")) {
        if (m_search) {
            m_search->setBookMode();
            ShowResults(m_search->resultFiles(), m_search->resultTitles());
        } else {
            ShowResults({}, {});
        }
        return false;
    }
    if (verb.contains(QLatin1String("findtxtlimit"))) {
        if (m_search)
            m_search->SetScope(false);
        ShowResults({}, {});
        return false;
    }
    if (verb.contains(QLatin1String("findtxtcontents"))) {
        if (m_search)
            m_search->setContentsMode();
        ShowResults({}, {});
        return false;
    }
    if (!verb.contains(QLatin1String("findnext"))) {
        close();
        return true;
    }
    const int number = cfs::readInt(verb, 8);
    if (findCommand)
        findCommand(number);
    else if (m_search)
        m_search->runFindCommand(number);
    return false;
}

void TCoolDialog::ShowResults(const QStringList& files, const QStringList& titles) {
    Q_UNUSED(files); // the search keeps the files; a click hands it the index
    if (titles.isEmpty()) {
        delete m_results;
        m_results = nullptr;
        setFixedSize(width(), kShortHeight);
        return;
    }
    if (!m_results) {
        m_results = new QListWidget(this);
        m_results->setFrameShape(QFrame::NoFrame);
        m_results->setGeometry(kListLeft, kListTop, kListWidth, kListHeight);
        connect(m_results, &QListWidget::itemClicked, this, [this](QListWidgetItem* item) {
            if (m_search && m_results)
                m_search->OpenResult(m_results->row(item));
        });
        setFixedSize(width(), m_fullHeight);
    }
    m_results->clear();
    m_results->addItems(titles);
    m_results->show();
}

void TCoolDialog::SetSearchHint(const QString& text) {
    for (ButtonState& s : m_buttons) {
        if (s.btn.go != QLatin1String("findnext1"))
            continue;
        s.btn.hint = text;
        if (s.area && m_hints)
            s.area->setToolTip(text);
        return;
    }
}

// ---- painting ----

void TCoolDialog::paintEvent(QPaintEvent*) {
    // Nothing to paint before the first show.
    if (m_background.isNull())
        return;
    QPainter p(this);
    if (fadeRunning()) {
        m_fade->PaintFadeFrame(p);
        return;
    }
    p.drawImage(0, 0, m_background);
    auto drawFade = [&p](const TEffBtnCar* e) {
        if (e && e->running() && !e->frame().isNull() && e->lastWeight() >= 0) {
            p.drawImage(e->position(), e->frame());
            return true;
        }
        return false;
    };
    for (const ButtonState& s : m_buttons) {
        if (drawFade(s.fade))
            continue;
        if (s.pressed_)
            p.drawImage(s.btn.vx, s.btn.vy, s.pressed);
        else if (s.hovered)
            p.drawImage(s.btn.vx, s.btn.vy, s.hover);
    }
    const TDynamicSwthGrpArray& list = switches();
    for (qsizetype i = 0; i < list.size() && i < m_switches.size(); ++i) {
        const RSwthGrp& w = list[i];
        const SwitchState& s = m_switches[i];
        if (drawFade(s.fade))
            continue;
        if (w.hover)
            p.drawImage(w.vx, w.vy, w.on ? s.hoverOn : s.hoverOff);
        else if (w.on)
            p.drawImage(w.vx, w.vy, s.on);
    }
    if (m_texts)
        m_texts->paint(p, this);
}

// ---- the mouse ----

void TCoolDialog::mouseMoveAt(QPoint p) {
    if (fadeRunning() || !isVisible())
        return;
    for (ButtonState& s : m_buttons) {
        const bool in = inside(p, s.btn);
        const QPoint at(s.btn.vx, s.btn.vy);
        if (in && !s.hovered) {
            fade(s.fade, s.normal, s.hover, at);
            s.hovered = true;
        } else if (!in && s.hovered) {
            fade(s.fade, s.pressed_ ? s.pressed : s.hover, s.normal, at);
            s.hovered = false;
            s.pressed_ = false;
        }
    }
    TDynamicSwthGrpArray* list = currentSwitches();
    if (!list)
        return;
    for (qsizetype i = 0; i < list->size() && i < m_switches.size(); ++i) {
        RSwthGrp& w = (*list)[i];
        SwitchState& s = m_switches[i];
        const bool in = inside(p, w);
        const QPoint at(w.vx, w.vy);
        if (in && !w.hover) {
            fade(s.fade, w.on ? s.on : s.off, w.on ? s.hoverOn : s.hoverOff, at);
            w.hover = true;
        } else if (!in && w.hover) {
            fade(s.fade, w.on ? s.hoverOn : s.hoverOff, w.on ? s.on : s.off, at);
            w.hover = false;
        }
    }
}

bool TCoolDialog::mouseDownAt(QPoint p) {
    if (fadeRunning())
        return false;
    // 1. Buttons: the verb runs on release.
    bool buttonHit = false;
    for (ButtonState& s : m_buttons) {
        if (!inside(p, s.btn))
            continue;
        buttonHit = true;
        if (s.pressed_)
            continue;
        fade(s.fade, s.hover, s.pressed, QPoint(s.btn.vx, s.btn.vy));
        s.pressed_ = true;
        s.hovered = true;
        return false;
    }
    if (buttonHit)
        return false;
    // 2. Group switches: an "on" switch stays on; an "off" one turns on and
    // turns off the others of its group number.
    TDynamicSwthGrpArray* list = currentSwitches();
    for (qsizetype i = 0; list && i < list->size() && i < m_switches.size(); ++i) {
        RSwthGrp& w = (*list)[i];
        if (!inside(p, w))
            continue;
        if (w.on)
            return false;
        fade(m_switches[i].fade, m_switches[i].hoverOff, m_switches[i].hoverOn, {w.vx, w.vy});
        for (qsizetype j = 0; j < list->size() && j < m_switches.size(); ++j) {
            RSwthGrp& other = (*list)[j];
            if (j == i || !other.on || other.group != w.group)
                continue;
            fade(m_switches[j].fade, m_switches[j].on, m_switches[j].off, {other.vx, other.vy});
            other.on = false;
        }
        w.on = true;
        w.hover = true;
        const RSwthGrp run = w;
        RunVerb(run.go, run.wav);
        return false;
    }
    // 3. The background: the press moves the window.
    return true;
}

void TCoolDialog::mouseUpAt(QPoint p) {
    if (fadeRunning())
        return;
    const int generation = m_generation;
    for (qsizetype i = 0; i < m_buttons.size(); ++i) {
        ButtonState& s = m_buttons[i];
        if (!inside(p, s.btn))
            continue;
        const QPoint at(s.btn.vx, s.btn.vy);
        if (!s.pressed_) {
            fade(s.fade, s.pressed, s.normal, at);
            continue;
        }
        s.pressed_ = false;
        fade(s.fade, s.pressed, s.hover, at);
        const RBtn b = s.btn;
        if (RunVerb(b.go, b.wav) || generation != m_generation)
            return; // the dialog was closed (or replaced) by the verb
    }
    bool switchHit = false;
    if (TDynamicSwthGrpArray* list = currentSwitches()) {
        for (RSwthGrp& w : *list) {
            if (inside(p, w)) {
                w.hover = false;
                switchHit = true;
            }
        }
    }
    if (switchHit)
        mouseMoveAt(p);
}

void TCoolDialog::startMove(QPoint global) {
    QWindow* window = windowHandle();
    if (window && window->startSystemMove())
        return;
    m_dragging = true;
    m_dragOffset = global - pos();
}

void TCoolDialog::elementMove(QPoint p, Qt::MouseButtons buttons, QPoint global) {
    if (m_dragging) {
        if (buttons & Qt::LeftButton) {
            move(global - m_dragOffset);
            return;
        }
        m_dragging = false;
    }
    mouseMoveAt(p);
}

void TCoolDialog::elementDown(QPoint p, Qt::MouseButton button, QPoint global) {
    if (button != Qt::LeftButton)
        return;
    if (mouseDownAt(p) && !fadeRunning())
        startMove(global);
}

void TCoolDialog::elementUp(QPoint p, Qt::MouseButton button) {
    if (button != Qt::LeftButton)
        return;
    if (m_dragging) {
        m_dragging = false;
        return;
    }
    mouseUpAt(p);
}

void TCoolDialog::mouseMoveEvent(QMouseEvent* e) {
    elementMove(e->position().toPoint(), e->buttons(), e->globalPosition().toPoint());
}

void TCoolDialog::mousePressEvent(QMouseEvent* e) {
    elementDown(e->position().toPoint(), e->button(), e->globalPosition().toPoint());
}

void TCoolDialog::mouseReleaseEvent(QMouseEvent* e) {
    elementUp(e->position().toPoint(), e->button());
}

// ---- keys and closing ----

void TCoolDialog::keyPressEvent(QKeyEvent* e) {
    if (e->key() == Qt::Key_Escape) {
        emit escapePressed();
        e->accept();
        return;
    }
    QWidget::keyPressEvent(e);
}

bool TCoolDialog::eventFilter(QObject* watched, QEvent* e) {
    if (e->type() == QEvent::KeyPress && watched != this && watched->isWidgetType() &&
        static_cast<QWidget*>(watched)->window() == this &&
        static_cast<QKeyEvent*>(e)->key() == Qt::Key_Escape) {
        emit escapePressed();
        return true;
    }
    return QWidget::eventFilter(watched, e);
}

void TCoolDialog::closeEvent(QCloseEvent* e) {
    // Failures while closing are of no interest: each step stands alone.
    if (m_search) {
        m_search->SetIdle(true);
        if (m_status)
            m_status->clear();
    }
    m_dragging = false;
    releaseShow();
    writeSwitchStates();
    e->accept();
}
