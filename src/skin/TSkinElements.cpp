#include "skin/TSkinElements.h"

#include "skin/CaptionPainter.h"
#include "platform/Cp1251.h"

#include <QPainter>

namespace {

QRect box(int l, int t, int r, int b) {
    return QRect(QPoint(l, t), QPoint(r, b));
}

// "2d" and "3d" captions of group switches read in capitals.
QString grpCaption(const QString& text) {
    if (text == QLatin1String("2d") || text == QLatin1String("3d"))
        return text.toUpper();
    return text;
}

} // namespace

TSkinElements::TSkinElements(StructModel& model, TEffBtnCar::Clock clock, QObject* parent)
    : QObject(parent), m_model(model), m_clock(clock) {}

TDynamicBtnArray& TSkinElements::buttons() {
    return m_model.screens[m_screen].buttons;
}

TDynamicSwthOneArray& TSkinElements::switchOnes() {
    return m_model.screens[m_screen].switchone;
}

TDynamicSwthGrpArray& TSkinElements::switchGrps() {
    return m_model.screens[m_screen].switchgrp;
}

QImage TSkinElements::load(const QString& name) const {
    if (name.isEmpty() || !loadPicture)
        return QImage();
    QImage img = loadPicture(name);
    return img.isNull() ? QImage() : img.convertToFormat(QImage::Format_RGB32);
}

TEffBtnCar* TSkinElements::makeFade(int index, int step) {
    auto* effect = new TEffBtnCar(this, index, m_clock);
    effect->setStep(step);
    effect->canDraw = [this] { return !fadeRunning(); };
    effect->drawFrame = [this](const TEffBtnCar& e) {
        if (repaintRect)
            repaintRect(QRect(e.position(), e.frame().size()));
    };
    return effect;
}

void TSkinElements::fade(TEffBtnCar* effect, const QImage& from, const QImage& to, QPoint at) {
    if (effect && !from.isNull())
        effect->StartFade(from, to, at);
    else if (repaintRect)
        repaintRect(QRect(at, to.size()));
}

const QImage& TSkinElements::decoded(const QString& name) {
    static const QImage none;
    if (name.isEmpty())
        return none;
    auto it = m_decoded.constFind(name);
    if (it == m_decoded.constEnd())
        it = m_decoded.insert(name, load(name));
    return *it;
}

QImage TSkinElements::face(const QString& name, const QString& text, const QRect& box,
                           const QString& fontName, int size, int style, int colour) {
    QImage picture = decoded(name);
    if (!text.isEmpty())
        caption::draw(picture, text, box, caption::Style{fontName, size, style, colour});
    return picture;
}

void TSkinElements::loadButtonFaces(qsizetype i, bool shown) {
    const RBtn& b = m_model.screens[m_screen].buttons[i];
    BtnPics& pics = m_btnPics[i];
    const QRect cbox = box(b.texttx, b.textty, b.textbx, b.textby);
    const QString& f = b.textfontname;
    const int sz = b.textfontsize;
    if (shown) {
        pics.normal = face(b.fn1, b.textcaption, cbox, f, sz, b.textfontstyleup, b.textfontcolorup);
        return;
    }
    pics.hover = face(b.fn2, b.textcaption, cbox, f, sz, b.textfontstylemv, b.textfontcolormv);
    pics.pressed = face(b.fn3, b.textcaption, cbox, f, sz, b.textfontstyledn, b.textfontcolordn);
}

// The four looks of a switch: off and on at rest, off and on under the
// mouse, each with its caption (`up` for off, `dn` for on).
template <class Switch>
void TSkinElements::loadSwitchFaces(const Switch& s, SwPics& pics, const QRect& upBox,
                                    const QRect& dnBox, const QString& up, const QString& dn,
                                    bool shown) {
    const QString& f = s.textfontname;
    const int sz = s.textfontsize;
    if (shown) {
        pics.off = face(s.fn1, up, upBox, f, sz, s.textfontstyleup, s.textfontcolorup);
        if (s.on)
            pics.on = face(s.fn4, dn, dnBox, f, sz, s.textfontstyledn, s.textfontcolordn);
        return;
    }
    pics.hoverOff = face(s.fn2, up, upBox, f, sz, s.textfontstylemvup, s.textfontcolormvup);
    pics.hoverOn = face(s.fn3, dn, dnBox, f, sz, s.textfontstylemvdn, s.textfontcolormvdn);
    if (pics.on.isNull())
        pics.on = face(s.fn4, dn, dnBox, f, sz, s.textfontstyledn, s.textfontcolordn);
}

void TSkinElements::loadSwitchOneFaces(qsizetype i, bool shown) {
    const RSwthOne& s = m_model.screens[m_screen].switchone[i];
    loadSwitchFaces(s, m_onePics[i], box(s.texttxup, s.texttyup, s.textbxup, s.textbyup),
                    box(s.texttxdn, s.texttydn, s.textbxdn, s.textbydn), s.textcaptionup,
                    s.textcaptiondn, shown);
}

void TSkinElements::loadSwitchGrpFaces(qsizetype i, bool shown) {
    const RSwthGrp& s = m_model.screens[m_screen].switchgrp[i];
    const QRect cbox = box(s.texttx, s.textty, s.textbx, s.textby);
    loadSwitchFaces(s, m_grpPics[i], cbox, cbox, grpCaption(s.textcaptionup),
                    grpCaption(s.textcaptiondn), shown);
}

// Switch picture sets are reused by index; only the pictures the switch
// shows at rest are decoded now (the off face, and the on face when on).
template <class Switches>
void TSkinElements::prepareSwitches(Switches& switches, QList<SwPics>& sets) {
    while (sets.size() > switches.size())
        delete sets.takeLast().fade;
    sets.resize(switches.size());
    for (qsizetype i = 0; i < switches.size(); ++i) {
        auto& s = switches[i];
        SwPics& pics = sets[i];
        pics.off = pics.hoverOff = pics.hoverOn = pics.on = QImage();
        const QImage& off = decoded(s.fn1);
        s.right = s.vx + off.width();
        s.bottom = s.vy + off.height();
        if (s.on)
            decoded(s.fn4);
        if (!pics.fade)
            pics.fade = makeFade(int(i), 4);
        pics.shiftLook = false;
        s.hover = false;
    }
}

bool TSkinElements::buildScreen(int index, Faces faces) {
    if (index < 0 || index >= m_model.screens.size())
        return false;
    cancelFades();
    m_screen = index;
    RScreen& screen = m_model.screens[index];
    m_decoded.clear();

    // 1. The skin (a failed load keeps the previous picture).
    QImage skin = load(screen.picture);
    if (!skin.isNull())
        m_skin = std::move(skin); // the only reference: drawing on it copies nothing

    // 2. Buttons. Picture sets are reused by index.
    auto& btns = screen.buttons;
    while (m_btnPics.size() > btns.size())
        delete m_btnPics.takeLast().fade;
    m_btnPics.resize(btns.size());
    for (qsizetype i = 0; i < btns.size(); ++i) {
        RBtn& b = btns[i];
        BtnPics& pics = m_btnPics[i];
        pics.normal = pics.hover = pics.pressed = QImage();
        const QImage& normal = decoded(b.fn1);
        b.right = b.vx + normal.width();
        b.bottom = b.vy + normal.height();
        // A context-menu button fades a little slower.
        const int step = cp1251::lowerAscii(b.go).contains(QLatin1String("contextmenu")) ? 3 : 4;
        if (!pics.fade)
            pics.fade = makeFade(int(i), step);
        pics.fade->setStep(step);
        pics.hovered = false;
        pics.pressed_ = false;
        pics.armed = false;
    }

    // 3. Switches.
    prepareSwitches(screen.switchone, m_onePics);
    prepareSwitches(screen.switchgrp, m_grpPics);

    m_shownPending = true;
    m_facesPending = true;
    if (faces == Faces::ShownApart)
        return true;
    drawShownFaces();
    if (faces == Faces::All)
        completeFaces();
    else
        m_decoded.clear();
    return true;
}

void TSkinElements::drawShownFaces() {
    if (!m_shownPending || m_screen < 0)
        return;
    m_shownPending = false;
    const RScreen& screen = m_model.screens[m_screen];
    const auto& btns = screen.buttons;
    const auto& ones = screen.switchone;
    const auto& grps = screen.switchgrp;
    loadFaces(true);

    // The skin shows every element at rest.
    if (!m_skin.isNull()) {
        QPainter p(&m_skin);
        for (qsizetype i = 0; i < btns.size(); ++i)
            p.drawImage(btns[i].vx, btns[i].vy, m_btnPics[i].normal);
        for (qsizetype i = 0; i < ones.size(); ++i)
            p.drawImage(ones[i].vx, ones[i].vy, m_onePics[i].off);
        for (qsizetype i = 0; i < grps.size(); ++i)
            p.drawImage(grps[i].vx, grps[i].vy, m_grpPics[i].off);
    }
}

void TSkinElements::completeFaces() {
    if (!m_facesPending || m_screen < 0)
        return;
    drawShownFaces();
    m_facesPending = false;
    loadFaces(false);
    m_decoded.clear();
}

void TSkinElements::loadFaces(bool shown) {
    const RScreen& screen = m_model.screens[m_screen];
    for (qsizetype i = 0; i < screen.buttons.size(); ++i)
        loadButtonFaces(i, shown);
    for (qsizetype i = 0; i < screen.switchone.size(); ++i)
        loadSwitchOneFaces(i, shown);
    for (qsizetype i = 0; i < screen.switchgrp.size(); ++i)
        loadSwitchGrpFaces(i, shown);
}

void TSkinElements::paint(QPainter& p) const {
    p.drawImage(0, 0, m_skin);
    if (m_screen < 0)
        return;
    const RScreen& screen = m_model.screens[m_screen];
    auto drawFade = [&p](const TEffBtnCar* e) {
        if (e && e->running() && !e->frame().isNull() && e->lastWeight() >= 0) {
            p.drawImage(e->position(), e->frame());
            return true;
        }
        return false;
    };
    for (qsizetype i = 0; i < screen.buttons.size() && i < m_btnPics.size(); ++i) {
        const BtnPics& pics = m_btnPics[i];
        const RBtn& b = screen.buttons[i];
        if (drawFade(pics.fade))
            continue;
        if (pics.pressed_)
            p.drawImage(b.vx, b.vy, pics.pressed);
        else if (pics.hovered)
            p.drawImage(b.vx, b.vy, pics.hover);
    }
    auto drawSwitch = [&](const SwPics& pics, int vx, int vy, bool on, bool hover) {
        if (drawFade(pics.fade))
            return;
        if (!on && hover)
            p.drawImage(vx, vy, pics.hoverOff);
        else if (on && hover && !pics.shiftLook)
            p.drawImage(vx, vy, pics.hoverOn);
        else if (on)
            p.drawImage(vx, vy, pics.on);
    };
    for (qsizetype i = 0; i < screen.switchone.size() && i < m_onePics.size(); ++i) {
        const RSwthOne& s = screen.switchone[i];
        drawSwitch(m_onePics[i], s.vx, s.vy, s.on, s.hover);
    }
    for (qsizetype i = 0; i < screen.switchgrp.size() && i < m_grpPics.size(); ++i) {
        const RSwthGrp& s = screen.switchgrp[i];
        drawSwitch(m_grpPics[i], s.vx, s.vy, s.on, s.hover);
    }
}

TSkinElements::Hit TSkinElements::hitTest(QPoint p) const {
    if (m_screen < 0)
        return {};
    const RScreen& screen = m_model.screens[m_screen];
    for (qsizetype i = 0; i < screen.buttons.size(); ++i) {
        const RBtn& b = screen.buttons[i];
        if (inside(p, b.vx, b.vy, b.right, b.bottom))
            return {Button, int(i)};
    }
    for (qsizetype i = 0; i < screen.switchone.size(); ++i) {
        const RSwthOne& s = screen.switchone[i];
        if (inside(p, s.vx, s.vy, s.right, s.bottom))
            return {SwitchOne, int(i)};
    }
    for (qsizetype i = 0; i < screen.switchgrp.size(); ++i) {
        const RSwthGrp& s = screen.switchgrp[i];
        if (inside(p, s.vx, s.vy, s.right, s.bottom))
            return {SwitchGrp, int(i)};
    }
    return {};
}

bool TSkinElements::tree2Locked(const RSwthOne& s) const {
    if (!tree2Blocked || !tree2Blocked())
        return false;
    return s.goup.compare(QLatin1String("tree2"), Qt::CaseInsensitive) == 0 ||
           s.godown.compare(QLatin1String("tree2"), Qt::CaseInsensitive) == 0;
}

void TSkinElements::mouseMove(QPoint p, bool leftHeld) {
    completeFaces();
    if (m_screen < 0 || fadeRunning())
        return;
    auto& btns = buttons();
    for (qsizetype i = 0; i < btns.size(); ++i) {
        const RBtn& b = btns[i];
        BtnPics& pics = m_btnPics[i];
        const bool in = inside(p, b.vx, b.vy, b.right, b.bottom);
        if (!leftHeld)
            pics.armed = false;
        if (in && !pics.hovered) {
            pics.hovered = true;
            if (pics.armed) {
                // Back on the button before the release: pressed again.
                pics.armed = false;
                pics.pressed_ = true;
                fade(pics.fade, pics.normal, pics.pressed, {b.vx, b.vy});
            } else {
                fade(pics.fade, pics.normal, pics.hover, {b.vx, b.vy});
            }
        } else if (!in && pics.hovered) {
            pics.armed = pics.pressed_ && leftHeld;
            pics.hovered = false;
            pics.pressed_ = false;
            fade(pics.fade, pics.hover, pics.normal, {b.vx, b.vy});
        }
    }
    auto& ones = switchOnes();
    for (qsizetype i = 0; i < ones.size(); ++i) {
        RSwthOne& s = ones[i];
        SwPics& pics = m_onePics[i];
        if (tree2Locked(s))
            continue;
        const bool in = inside(p, s.vx, s.vy, s.right, s.bottom);
        if (in && !s.hover) {
            s.hover = true;
            if (s.on)
                fade(pics.fade, pics.on, pics.hoverOn, {s.vx, s.vy});
            else
                fade(pics.fade, pics.off, pics.hoverOff, {s.vx, s.vy});
        } else if (!in && s.hover) {
            s.hover = false;
            if (s.on)
                fade(pics.fade, pics.hoverOn, pics.on, {s.vx, s.vy});
            else
                fade(pics.fade, pics.hoverOff, pics.off, {s.vx, s.vy});
        }
    }
    auto& grps = switchGrps();
    for (qsizetype i = 0; i < grps.size(); ++i) {
        RSwthGrp& s = grps[i];
        SwPics& pics = m_grpPics[i];
        const bool in = inside(p, s.vx, s.vy, s.right, s.bottom);
        if (in != s.hover) {
            // Group switches change at once, without a fade.
            s.hover = in;
            pics.shiftLook = false;
            if (repaintRect)
                repaintRect(rectOf(s.vx, s.vy, s.right, s.bottom));
        }
    }
}

bool TSkinElements::mouseDown(QPoint p, Qt::KeyboardModifiers modifiers) {
    completeFaces();
    if (m_screen < 0 || fadeRunning())
        return false;
    const bool shift = modifiers & Qt::ShiftModifier;

    // Buttons: the command runs on release.
    auto& btns = buttons();
    bool buttonHit = false;
    for (qsizetype i = 0; i < btns.size(); ++i) {
        const RBtn& b = btns[i];
        if (!inside(p, b.vx, b.vy, b.right, b.bottom))
            continue;
        buttonHit = true;
        BtnPics& pics = m_btnPics[i];
        if (pics.pressed_)
            continue;
        pics.pressed_ = true;
        pics.hovered = true;
        fade(pics.fade, pics.hover, pics.pressed, {b.vx, b.vy});
        return false;
    }
    if (buttonHit)
        return false;

    auto& ones = switchOnes();
    for (qsizetype i = 0; i < ones.size(); ++i) {
        RSwthOne& s = ones[i];
        if (!inside(p, s.vx, s.vy, s.right, s.bottom) || tree2Locked(s))
            continue;
        SwPics& pics = m_onePics[i];
        QString command;
        if (s.on) {
            fade(pics.fade, pics.hoverOn, pics.hoverOff, {s.vx, s.vy});
            s.on = false;
            command = s.goup;
        } else {
            fade(pics.fade, pics.hoverOff, pics.hoverOn, {s.vx, s.vy});
            s.on = true;
            command = s.godown;
        }
        s.hover = true;
        if (!shift && runCommand)
            runCommand({command, s.wav, SwitchOne, int(i)});
        return false;
    }

    auto& grps = switchGrps();
    for (qsizetype i = 0; i < grps.size(); ++i) {
        RSwthGrp& s = grps[i];
        if (!inside(p, s.vx, s.vy, s.right, s.bottom))
            continue;
        if (s.on)
            return false;
        for (qsizetype j = 0; j < grps.size(); ++j) {
            RSwthGrp& other = grps[j];
            if (j != i && other.on && other.group == s.group) {
                other.on = false;
                m_grpPics[j].shiftLook = false;
                if (repaintRect)
                    repaintRect(rectOf(other.vx, other.vy, other.right, other.bottom));
            }
        }
        s.on = true;
        s.hover = true;
        m_grpPics[i].shiftLook = shift;
        if (repaintRect)
            repaintRect(rectOf(s.vx, s.vy, s.right, s.bottom));
        if (!shift && runCommand)
            runCommand({s.go, s.wav, SwitchGrp, int(i)});
        return false;
    }
    return true;
}

void TSkinElements::mouseUp(QPoint p) {
    completeFaces();
    if (m_screen < 0 || fadeRunning())
        return;
    const int screenBefore = m_screen;
    for (BtnPics& pics : m_btnPics)
        pics.armed = false;
    for (qsizetype i = 0; i < buttons().size(); ++i) {
        const RBtn b = buttons()[i];
        if (!inside(p, b.vx, b.vy, b.right, b.bottom))
            continue;
        BtnPics& pics = m_btnPics[i];
        if (!pics.pressed_) {
            // Released over a button it was not pressed on: back to rest.
            if (pics.hovered) {
                pics.hovered = false;
                if (pics.fade)
                    pics.fade->Cancel();
                if (repaintRect)
                    repaintRect(rectOf(b.vx, b.vy, b.right, b.bottom));
            }
            continue;
        }
        pics.pressed_ = false;
        const bool leavesScreen = b.go.startsWith(QLatin1String("screen2")) ||
                                  b.go == QLatin1String("1") ||
                                  b.go.startsWith(QLatin1String("exit"));
        if (!leavesScreen)
            fade(pics.fade, pics.pressed, pics.hover, {b.vx, b.vy});
        if (runCommand)
            runCommand({b.go, b.wav, Button, int(i)});
        if (m_screen != screenBefore)
            return;
    }
    if (m_screen < 0)
        return;
    bool grpHit = false;
    for (qsizetype i = 0; i < switchGrps().size(); ++i) {
        RSwthGrp& s = switchGrps()[i];
        if (inside(p, s.vx, s.vy, s.right, s.bottom)) {
            s.hover = false;
            grpHit = true;
        }
    }
    if (grpHit)
        mouseMove(p);
}

void TSkinElements::resetSource(int kind, int index) {
    if (m_screen < 0 || index < 0)
        return;
    if (kind == Button && index < m_btnPics.size()) {
        BtnPics& pics = m_btnPics[index];
        pics.hovered = false;
        pics.pressed_ = false;
        if (pics.fade)
            pics.fade->Cancel();
    } else if (kind == SwitchOne && index < switchOnes().size()) {
        switchOnes()[index].hover = false;
    } else if (kind == SwitchGrp && index < switchGrps().size()) {
        switchGrps()[index].hover = false;
    }
}

void TSkinElements::resetButton(int index) {
    resetSource(Button, index);
    if (m_screen >= 0 && index >= 0 && index < buttons().size() && repaintRect) {
        const RBtn& b = buttons()[index];
        repaintRect(rectOf(b.vx, b.vy, b.right, b.bottom));
    }
}

void TSkinElements::cancelFades() {
    for (BtnPics& pics : m_btnPics)
        if (pics.fade)
            pics.fade->Cancel();
    for (SwPics& pics : m_onePics)
        if (pics.fade)
            pics.fade->Cancel();
    for (SwPics& pics : m_grpPics)
        if (pics.fade)
            pics.fade->Cancel();
}

QList<TSkinElements::Run> TSkinElements::replayCommands(bool afterSwitch) const {
    QList<Run> runs;
    if (m_screen < 0)
        return runs;
    const RScreen& screen = m_model.screens[m_screen];
    const QLatin1String video("3d");
    const int passes = afterSwitch ? 2 : 1;
    for (int pass = 0; pass < passes; ++pass) {
        for (qsizetype i = 0; i < screen.switchone.size(); ++i) {
            const RSwthOne& s = screen.switchone[i];
            if (afterSwitch && s.godown == video)
                continue;
            runs.append({s.on ? s.godown : s.goup, QString(), SwitchOne, int(i)});
        }
    }
    for (qsizetype i = 0; i < screen.switchgrp.size(); ++i) {
        const RSwthGrp& s = screen.switchgrp[i];
        if (!s.on || (afterSwitch && s.go == video))
            continue;
        runs.append({s.go, QString(), SwitchGrp, int(i)});
    }
    return runs;
}

QList<QPair<QRect, QString>> TSkinElements::hintAreas() const {
    QList<QPair<QRect, QString>> areas;
    if (m_screen < 0)
        return areas;
    const RScreen& screen = m_model.screens[m_screen];
    for (const RBtn& b : screen.buttons)
        areas.append({rectOf(b.vx, b.vy, b.right, b.bottom), b.hint});
    for (const RSwthOne& s : screen.switchone)
        areas.append({rectOf(s.vx, s.vy, s.right, s.bottom), s.hint});
    for (const RSwthGrp& s : screen.switchgrp)
        areas.append({rectOf(s.vx, s.vy, s.right, s.bottom), s.hint});
    return areas;
}
