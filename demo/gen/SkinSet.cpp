#include "SkinSet.h"

#include "Illustrations.h"
#include "SkinArt.h"

#include <QLinearGradient>
#include <QPainter>
#include <QRegularExpression>

using namespace skinart;

namespace {

const QSize kWindow(740, 560);
constexpr int kBevel = 16;

// The size and look of an element picture, from its name: "<kind>_<state>.bmp".
struct ElementLook {
    QSize size;
    enum Kind { Key, Glyph, Check, Toggle } kind = Key;
    int radius = 6;
    skinart::Glyph glyph = skinart::Glyph::Back;
};

bool lookOf(const QString& stem, ElementLook& look) {
    using G = skinart::Glyph;
    struct Row {
        const char* stem;
        int w, h;
        ElementLook::Kind kind;
        int radius;
        G glyph;
    };
    static const Row rows[] = {
        {"big", 150, 40, ElementLook::Key, 9, G::Back},
        {"tb", 90, 34, ElementLook::Key, 7, G::Back},
        {"tbs", 90, 34, ElementLook::Toggle, 7, G::Back},
        {"back", 34, 34, ElementLook::Glyph, 7, G::Back},
        {"fwd", 34, 34, ElementLook::Glyph, 7, G::Forward},
        {"prev", 34, 34, ElementLook::Glyph, 7, G::Prev},
        {"next", 34, 34, ElementLook::Glyph, 7, G::Next},
        {"home", 34, 34, ElementLook::Glyph, 7, G::Home},
        {"min", 26, 26, ElementLook::Glyph, 6, G::Minimize},
        {"cls", 26, 26, ElementLook::Glyph, 6, G::Cross},
        {"chk", 230, 26, ElementLook::Check, 6, G::Back},
        {"sw2", 46, 26, ElementLook::Toggle, 6, G::Back},
        {"find", 90, 30, ElementLook::Key, 7, G::Back},
        {"hbk", 26, 26, ElementLook::Glyph, 6, G::BackList},
        {"hfw", 26, 26, ElementLook::Glyph, 6, G::ForwardList},
        {"fadd", 26, 26, ElementLook::Glyph, 6, G::StarAdd},
        {"fav", 26, 26, ElementLook::Glyph, 6, G::Star},
        {"fdel", 26, 26, ElementLook::Glyph, 6, G::StarRemove},
        {"men", 26, 26, ElementLook::Glyph, 6, G::Menu},
    };
    for (const Row& r : rows) {
        if (stem == QLatin1String(r.stem)) {
            look.size = QSize(r.w, r.h);
            look.kind = r.kind;
            look.radius = r.radius;
            look.glyph = r.glyph;
            return true;
        }
    }
    return false;
}

QImage blank(const QSize& size) {
    QImage image(size, QImage::Format_RGB32);
    image.fill(QColor(10, 12, 16));
    return image;
}

// The frame shared by the main window's skins: body, brass outline, the
// dark corners outside the bevel.
void windowBase(QPainter& p, const QSize& size) {
    p.fillRect(QRect(QPoint(0, 0), size), QColor(8, 10, 14));
    p.save();
    p.setClipPath(bevelledRect(QRectF(0, 0, size.width(), size.height()), kBevel));
    paintBody(p, QRect(QPoint(0, 0), size));
    p.restore();
    paintWindowFrame(p, size, kBevel);
}

void label(QPainter& p, const QPoint& at, const QString& text, const QFont& font,
           const QColor& color) {
    p.save();
    p.setRenderHint(QPainter::TextAntialiasing);
    p.setFont(font);
    p.setPen(QColor(0, 0, 0, 160));
    p.drawText(at + QPoint(1, 1), text);
    p.setPen(color);
    p.drawText(at, text);
    p.restore();
}

void rivets(QPainter& p, const QRect& r) {
    p.save();
    p.setRenderHint(QPainter::Antialiasing);
    for (const QPoint c : {r.topLeft(), r.topRight(), r.bottomLeft(), r.bottomRight()}) {
        QRadialGradient g(c - QPoint(1, 1), 4);
        g.setColorAt(0, QColor(255, 236, 180));
        g.setColorAt(1, brassDark());
        p.setPen(Qt::NoPen);
        p.setBrush(g);
        p.drawEllipse(c, 3, 3);
    }
    p.restore();
}

} // namespace

QImage SkinSet::cover(const QSize& size) {
    QImage image = blank(size);
    QPainter p(&image);
    windowBase(p, size);
    // Title band.
    paintEmblem(p, QRect(30, 14, 62, 62));
    paintEmbossedText(p, QPoint(106, 60), QStringLiteral("VANTREL"), serif(50, true), true);
    label(p, QPoint(110, 84), QStringLiteral("Руководство по ремонту и эксплуатации"),
          serif(17, false, true), cream());
    label(p, QPoint(470, 36), QStringLiteral("электронная книга"), serif(14, false, true),
          QColor(180, 170, 146));
    // View switches.
    label(p, QPoint(566, 118), QStringLiteral("Вид:"), sans(13, true), QColor(190, 184, 168));
    // The picture of the car where the 3D clip plays.
    const QRect picture(31, 135, 656, 259);
    paintRecess(p, picture, QColor(200, 210, 220));
    p.drawImage(picture.topLeft(), illustrations::carStudio(picture.width(), picture.height()));
    // A brass strip with rivets to the right of the picture.
    {
        QRect strip(695, 135, 14, 259);
        QLinearGradient g(strip.left(), 0, strip.right(), 0);
        g.setColorAt(0, brassDark());
        g.setColorAt(0.5, brassLight());
        g.setColorAt(1, brassDark());
        p.fillRect(strip, g);
        for (int y = 145; y < 394; y += 40)
            rivets(p, QRect(702, y, 0, 0));
    }
    // Tray of the four large keys.
    paintTray(p, QRect(22, 402, 672, 56));
    // The folder box and its label.
    label(p, QPoint(33, 480), QStringLiteral("Папка для копирования файлов:"), sans(12, true),
          QColor(190, 184, 168));
    paintRecess(p, QRect(31, 485, 391, 24), QColor(250, 248, 240));
    // The frame of the animated piston.
    paintRecess(p, QRect(583, 466, 124, 78), QColor(12, 14, 18));
    // Status strip.
    paintTray(p, QRect(22, 518, 552, 26));
    return image;
}

QImage SkinSet::reader(const QSize& size) {
    QImage image = blank(size);
    QPainter p(&image);
    windowBase(p, size);
    paintEmblem(p, QRect(24, 8, 32, 32));
    paintEmbossedText(p, QPoint(64, 34), QStringLiteral("VANTREL"), serif(26, true), true);
    label(p, QPoint(216, 32), QStringLiteral("Руководство по ремонту и эксплуатации"),
          serif(15, false, true), cream());
    // Tool bar tray.
    paintTray(p, QRect(22, 44, 696, 44));
    // The reading panel: contents tree at the left, the page at the right.
    const QRect panel(33, 90, 673, 421);
    paintRecess(p, panel, QColor(250, 248, 240));
    p.fillRect(QRect(33, 90, 165, 421), QColor(236, 238, 236));
    p.fillRect(QRect(198, 90, 4, 421), QColor(128, 141, 142));
    p.setPen(QColor(150, 150, 140));
    p.setFont(serif(15, false, true));
    p.drawText(QRect(202, 90, 504, 421), Qt::AlignCenter,
               QStringLiteral("Выберите раздел в оглавлении"));
    // Page name and status strip.
    paintTray(p, QRect(22, 516, 696, 30));
    return image;
}

QImage SkinSet::thesaurusSkin(const QSize& size) {
    QImage image = blank(size);
    QPainter p(&image);
    windowBase(p, size);
    paintEmblem(p, QRect(20, 8, 30, 30));
    paintEmbossedText(p, QPoint(58, 32), QStringLiteral("Словарь терминов"), serif(22, true), true);
    paintRecess(p, QRect(20, 48, 520, 350), QColor(250, 248, 240));
    paintTray(p, QRect(14, 404, 532, 30));
    paintRecess(p, QRect(20, 409, 280, 20), QColor(250, 248, 240));
    return image;
}

void SkinSet::addElement(const QString& name, const QImage& skin, const QPoint& at,
                         const QSize& fallback) {
    if (name.isEmpty() || m_pictures.contains(name))
        return;
    static const QRegularExpression re(QStringLiteral("^([a-z0-9]+)_([1-4])\\.bmp$"));
    const QRegularExpressionMatch m = re.match(name);
    if (!m.hasMatch())
        return;
    ElementLook look;
    if (!lookOf(m.captured(1), look))
        return;
    const int state = m.captured(2).toInt();
    const QSize size = look.size.isValid() ? look.size : fallback;
    QImage image = skin.copy(QRect(at, size));
    QPainter p(&image);
    const QRect r(QPoint(0, 0), size);
    const Face face = state == 1 ? Face::Normal : state == 2 ? Face::Hover : Face::Pressed;
    switch (look.kind) {
    case ElementLook::Key:
        paintKey(p, r, face, look.radius);
        // The thesaurus window's buttons have no caption keys: the word is
        // part of the picture.
        if (m.captured(1) == QLatin1String("find")) {
            p.setRenderHint(QPainter::TextAntialiasing);
            p.setFont(sans(13, true));
            const QRect text = r.translated(face == Face::Pressed ? QPoint(1, 1) : QPoint());
            p.setPen(QColor(0, 0, 0, 150));
            p.drawText(text.translated(1, 1), Qt::AlignCenter, QStringLiteral("Найти"));
            p.setPen(face == Face::Hover ? QColor(255, 236, 180) : cream());
            p.drawText(text, Qt::AlignCenter, QStringLiteral("Найти"));
        }
        break;
    case ElementLook::Glyph:
        paintKey(p, r, face, look.radius);
        paintGlyph(p, r, look.glyph, face);
        break;
    case ElementLook::Toggle:
        // Switch pictures: 1 off, 2 hover while off, 3 hover while on, 4 on.
        paintToggle(p, r, state >= 3, state == 2 || state == 3, look.radius);
        if (state >= 3) {
            // A small lamp shows the switch is on.
            p.setRenderHint(QPainter::Antialiasing);
            p.setPen(Qt::NoPen);
            p.setBrush(QColor(255, 250, 220));
            p.drawEllipse(QPointF(size.width() - 9.0, 8.0), 2.5, 2.5);
        }
        break;
    case ElementLook::Check:
        if (state == 2 || state == 3) {
            p.setRenderHint(QPainter::Antialiasing);
            p.setPen(Qt::NoPen);
            p.setBrush(QColor(255, 214, 120, 28));
            p.drawRoundedRect(QRectF(r).adjusted(0.5, 0.5, -0.5, -0.5), 6, 6);
        }
        paintCheck(p, QRect(4, 4, 18, 18), state >= 3, state == 2 || state == 3);
        break;
    }
    p.end();
    m_pictures.insert(name, image);
}

void SkinSet::addElements(const StructModel& model, const QMap<QString, QImage>& skins) {
    for (const RScreen& screen : model.screens) {
        const QImage skin = skins.value(screen.picture);
        if (skin.isNull())
            continue;
        auto add = [&](const QString& name, int x, int y) {
            addElement(name, skin, QPoint(x, y), QSize());
        };
        for (const RBtn& b : screen.buttons)
            for (const QString& n : {b.fn1, b.fn2, b.fn3})
                add(n, b.vx, b.vy);
        for (const RSwthOne& s : screen.switchone)
            for (const QString& n : {s.fn1, s.fn2, s.fn3, s.fn4})
                add(n, s.vx, s.vy);
        for (const RSwthGrp& s : screen.switchgrp)
            for (const QString& n : {s.fn1, s.fn2, s.fn3, s.fn4})
                add(n, s.vx, s.vy);
        for (const RBtnTemplate* t : {&model.minimize, &model.close})
            for (const QString& n : {t->fn1, t->fn2, t->fn3})
                add(n, t->vx, t->vy);
    }
}

void SkinSet::addDialogs() {
    // Panels of the skinned dialog: flat, so keys drawn on any crop fit.
    const QColor panel(34, 44, 58);
    auto base = [&](const QSize& size, const QString& title) {
        QImage image(size, QImage::Format_RGB32);
        image.fill(panel);
        QPainter p(&image);
        p.setRenderHint(QPainter::Antialiasing);
        QLinearGradient band(0, 0, 0, 30);
        band.setColorAt(0, QColor(60, 78, 100));
        band.setColorAt(1, QColor(34, 44, 58));
        p.fillRect(QRect(0, 0, size.width(), 30), band);
        p.setPen(QPen(brassLight(), 2));
        p.setBrush(Qt::NoBrush);
        p.drawRect(QRectF(1, 1, size.width() - 2, size.height() - 2));
        label(p, QPoint(14, 21), title, serif(16, true), amber());
        return image;
    };
    auto message = [&](const QString& name, const QString& title, const QString& line1,
                       const QString& line2) {
        QImage image = base(QSize(380, 150), title);
        QPainter p(&image);
        if (!line1.isEmpty()) {
            p.setPen(cream());
            p.setFont(sans(14, true));
            p.drawText(QRect(20, 44, 340, 22), Qt::AlignCenter, line1);
            p.setFont(sans(12));
            p.drawText(QRect(20, 68, 340, 20), Qt::AlignCenter, line2);
        }
        p.end();
        m_pictures.insert(name, image);
    };
    message(QStringLiteral("dlg_msg.bmp"), QStringLiteral("Сообщение"), QString(), QString());
    message(QStringLiteral("dlg_noprn.bmp"), QStringLiteral("Печать"),
            QStringLiteral("Принтер не установлен."),
            QStringLiteral("Установите принтер и повторите печать."));
    message(QStringLiteral("dlg_nodef.bmp"), QStringLiteral("Печать"),
            QStringLiteral("Принтер по умолчанию недоступен."),
            QStringLiteral("Проверьте, что он включён и подключён."));

    QImage find = base(QSize(400, 250), QStringLiteral("Поиск по книге"));
    {
        QPainter p(&find);
        paintRecess(p, QRect(20, 44, 270, 20), QColor(250, 248, 240));
        paintRecess(p, QRect(33, 75, 334, 10), QColor(12, 14, 18));
        p.setPen(QColor(150, 160, 170));
        p.setFont(sans(11, true));
        p.drawText(QPoint(14, 122), QStringLiteral("Найденные страницы:"));
        paintRecess(p, QRect(11, 127, 377, 112), QColor(250, 248, 240));
    }
    m_pictures.insert(QStringLiteral("dlg_find.bmp"), find);

    // Dialog keys: captions drawn in (the dialog's keys have no caption keys).
    auto key = [&](const QString& stem, const QSize& size, const QString& caption,
                   std::optional<Glyph> glyph) {
        for (int state = 1; state <= 3; ++state) {
            QImage image(size, QImage::Format_RGB32);
            image.fill(panel);
            QPainter p(&image);
            const Face face = state == 1 ? Face::Normal : state == 2 ? Face::Hover : Face::Pressed;
            paintKey(p, image.rect(), face, 7);
            if (glyph)
                paintGlyph(p, image.rect(), *glyph, face);
            if (!caption.isEmpty()) {
                p.setRenderHint(QPainter::TextAntialiasing);
                p.setFont(serif(15, true));
                p.setPen(face == Face::Hover     ? QColor(255, 214, 120)
                         : face == Face::Pressed ? Qt::white
                                                 : cream());
                p.drawText(image.rect().adjusted(0, face == Face::Pressed ? 0 : -2, 0, 0),
                           Qt::AlignCenter, caption);
            }
            p.end();
            m_pictures.insert(QStringLiteral("%1_%2.bmp").arg(stem).arg(state), image);
        }
    };
    key(QStringLiteral("d_ok"), QSize(80, 30), QStringLiteral("OK"), std::nullopt);
    key(QStringLiteral("d_find"), QSize(84, 30), QStringLiteral("Искать"), std::nullopt);
    key(QStringLiteral("d_x"), QSize(22, 22), QString(), Glyph::Cross);

    // Scope switches of the search dialog (captions drawn by the reader).
    for (int state = 1; state <= 4; ++state) {
        QImage image(QSize(118, 22), QImage::Format_RGB32);
        image.fill(panel);
        QPainter p(&image);
        p.setRenderHint(QPainter::Antialiasing);
        const bool on = state >= 3, hover = state == 2 || state == 3;
        p.setPen(QPen(hover ? QColor(255, 226, 150) : brassLight(), 1.5));
        p.setBrush(QColor(10, 14, 20));
        p.drawEllipse(QPointF(10, 11), 6.5, 6.5);
        if (on) {
            p.setPen(Qt::NoPen);
            p.setBrush(hover ? QColor(255, 236, 170) : amber());
            p.drawEllipse(QPointF(10, 11), 3.5, 3.5);
        }
        p.end();
        m_pictures.insert(QStringLiteral("dsw_%1.bmp").arg(state), image);
    }
}

void SkinSet::addAbout() {
    const QSize size(480, 330);
    QImage image(size, QImage::Format_RGB32);
    image.fill(QColor(8, 10, 14));
    QPainter p(&image);
    p.save();
    p.setClipPath(bevelledRect(QRectF(0, 0, size.width(), size.height()), 24));
    paintBody(p, image.rect());
    p.restore();
    paintWindowFrame(p, size, 24);
    paintEmblem(p, QRect(30, 30, 90, 90));
    // The name is drawn in: description texts are lower-cased when read.
    paintEmbossedText(p, QPoint(138, 72), QStringLiteral("VANTREL"), serif(40, true), true);
    // The car along the bottom.
    QImage car = illustrations::carStudio(420, 120);
    paintRecess(p, QRect(30, 150, 420, 120), QColor(200, 210, 220));
    p.drawImage(30, 150, car);
    p.end();
    m_pictures.insert(QStringLiteral("about.bmp"), image);
    for (int state = 1; state <= 2; ++state) {
        QImage key = image.copy(QRect(350, 282, 110, 32));
        QPainter k(&key);
        const Face face = state == 1 ? Face::Normal : Face::Hover;
        paintKey(k, key.rect(), face, 8);
        k.setRenderHint(QPainter::TextAntialiasing);
        k.setFont(serif(15, true));
        k.setPen(state == 1 ? cream() : QColor(255, 214, 120));
        k.drawText(key.rect().adjusted(0, -2, 0, 0), Qt::AlignCenter, QStringLiteral("Закрыть"));
        k.end();
        m_pictures.insert(QStringLiteral("ab_%1.bmp").arg(state), key);
    }
}

void SkinSet::addStatusBar() {
    const QSize size(334, 10);
    QImage empty(size, QImage::Format_RGB32);
    {
        QPainter p(&empty);
        QLinearGradient g(0, 0, 0, 10);
        g.setColorAt(0, QColor(6, 8, 10));
        g.setColorAt(1, QColor(30, 38, 48));
        p.fillRect(empty.rect(), g);
    }
    QImage full(size, QImage::Format_RGB32);
    {
        QPainter p(&full);
        QLinearGradient g(0, 0, 0, 10);
        g.setColorAt(0, QColor(255, 236, 160));
        g.setColorAt(0.5, QColor(236, 170, 60));
        g.setColorAt(1, QColor(150, 90, 20));
        p.fillRect(full.rect(), g);
        for (int x = 0; x < size.width(); x += 8)
            p.fillRect(QRect(x, 0, 1, 10), QColor(120, 70, 10, 120));
    }
    m_pictures.insert(QStringLiteral("status_up.bmp"), empty);
    m_pictures.insert(QStringLiteral("status_dn.bmp"), full);
}

void SkinSet::addPopups() {
    // The popup's middle row is repeated when it grows: keep it plain.
    const QColor panel(28, 36, 48);
    QImage bg(QSize(190, 130), QImage::Format_RGB32);
    bg.fill(panel);
    {
        QPainter p(&bg);
        p.fillRect(QRect(0, 0, 190, 1), brassLight());
        p.fillRect(QRect(0, 129, 190, 1), brassDark());
        p.fillRect(QRect(0, 0, 1, 130), brassLight());
        p.fillRect(QRect(189, 0, 1, 130), brassDark());
        p.fillRect(QRect(1, 1, 188, 1), QColor(255, 255, 255, 40));
    }
    m_pictures.insert(QStringLiteral("pop_bg.bmp"), bg);
    for (int state = 1; state <= 3; ++state) {
        QImage item(QSize(180, 22), QImage::Format_RGB32);
        item.fill(panel);
        QPainter p(&item);
        p.setRenderHint(QPainter::Antialiasing);
        if (state > 1) {
            QLinearGradient g(0, 0, 0, 22);
            g.setColorAt(0, state == 2 ? QColor(80, 110, 146) : QColor(200, 150, 60));
            g.setColorAt(1, state == 2 ? QColor(46, 66, 92) : QColor(140, 96, 30));
            p.setPen(Qt::NoPen);
            p.setBrush(g);
            p.drawRoundedRect(QRectF(0.5, 1.5, 179, 19), 4, 4);
        }
        p.end();
        m_pictures.insert(QStringLiteral("pop_%1.bmp").arg(state), item);
    }
    // The cover's menu keeps its size (its outline gives its shape): five
    // items between margins of 8, the corners cut off by the outline.
    QImage menu(QSize(190, 126), QImage::Format_RGB32);
    menu.fill(panel);
    {
        QPainter p(&menu);
        p.setRenderHint(QPainter::Antialiasing);
        p.setPen(QPen(brassLight(), 2));
        p.setBrush(Qt::NoBrush);
        p.drawPath(skinart::bevelledRect(QRectF(1, 1, 188, 124), 8));
    }
    m_pictures.insert(QStringLiteral("popm_bg.bmp"), menu);
}

void SkinSet::addIcon() {
    QImage icon(32, 32, QImage::Format_ARGB32);
    icon.fill(Qt::transparent);
    QPainter p(&icon);
    paintEmblem(p, icon.rect());
    p.end();
    m_icon = icon;
}

void SkinSet::build(const StructModel& main, const StructModel& thesaurus) {
    m_pictures.clear();
    QMap<QString, QImage> skins;
    // The main window's screens: the cover first, the reading screen second.
    for (int i = 0; i < main.screens.size(); ++i) {
        const QString name = main.screens.at(i).picture;
        if (name.isEmpty())
            continue;
        skins.insert(name, i == 0 ? cover(kWindow) : reader(kWindow));
    }
    for (const RScreen& s : thesaurus.screens) {
        if (!s.picture.isEmpty())
            skins.insert(s.picture, thesaurusSkin(QSize(560, 440)));
    }
    for (auto it = skins.cbegin(); it != skins.cend(); ++it)
        m_pictures.insert(it.key(), it.value());
    addElements(main, skins);
    addElements(thesaurus, skins);
    addDialogs();
    addAbout();
    addStatusBar();
    addPopups();
    // Shown in the car picture's place while the "3D" clip plays.
    m_pictures.insert(QStringLiteral("3d_bg.bmp"), illustrations::studioBackdrop(656, 259));
    addIcon();
}
