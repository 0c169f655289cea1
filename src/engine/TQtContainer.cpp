#include "engine/TQtContainer.h"

#include "engine/TCssLimits.h"
#include "engine/TElFormControl.h"
#include "engine/TFileSource.h"
#include "engine/TFontEntry.h"
#include "engine/TFontPool.h"
#include "engine/TFontResolver.h"
#include "engine/TInheritedStyles.h"
#include "engine/TLegacyElements.h"
#include "engine/TLinkPath.h"
#include "engine/TMasterCss.h"
#include "engine/TPixelRect.h"
#include "engine/TStyleSheetFilter.h"
#include "engine/TTextDecoration.h"
#include "platform/Cp1251.h"

#include <litehtml/litehtml.h>

#include <litehtml/el_anchor.h>
#include <litehtml/el_base.h>
#include <litehtml/el_div.h>
#include <litehtml/el_link.h>
#include <litehtml/el_para.h>
#include <litehtml/el_script.h>
#include <litehtml/el_style.h>
#include <litehtml/el_title.h>

#include <QBuffer>
#include <QCache>
#include <QImageReader>
#include <QMovie>
#include <QPainter>
#include <QPainterPath>

#include <algorithm>
#include <cmath>

// A picture of the page. Animated GIFs keep their movie running and replace
// the image on every frame.
struct TQtContainer::Picture {
    QImage image;
    QByteArray data;
    std::unique_ptr<QBuffer> buffer;
    std::unique_ptr<QMovie> movie;
    bool failed = false;
    QVector<QRect> drawnAt; // animated: where it has been painted
    bool animateLater = false;
};

// Pictures decoded for earlier pages, kept across pages (ImageCacheCount).
static QCache<QString, QImage>& sharedImageCache() {
    static QCache<QString, QImage> cache(0);
    return cache;
}

TQtContainer::TQtContainer(const TFileSource* source, const TViewerSettings& settings,
                           bool ownResources)
    : m_ownResources(ownResources), m_source(source), m_settings(settings) {
    m_fontName =
        (settings.defFontName.isEmpty() ? QStringLiteral("Arial") : settings.defFontName).toUtf8();
    if (ownResources)
        m_ownFonts = std::make_unique<QHash<QString, TFontEntry*>>();
    else if (sharedImageCache().maxCost() < settings.imageCacheCount)
        sharedImageCache().setMaxCost(settings.imageCacheCount);
}

TQtContainer::~TQtContainer() {
    if (m_ownFonts)
        qDeleteAll(*m_ownFonts);
}

void TQtContainer::setDefaultSheet(const litehtml::css& sheet) {
    m_defaultRules.clear();
    for (const litehtml::css_selector::ptr& rule : sheet.selectors())
        m_defaultRules.push_back(rule.get());
    std::sort(m_defaultRules.begin(), m_defaultRules.end());
}

bool TQtContainer::isDefaultRule(const litehtml::css_selector* rule) const {
    return std::binary_search(m_defaultRules.begin(), m_defaultRules.end(), rule);
}

QString TQtContainer::resolve(const QString& src, const QString& baseurl) const {
    QString base = !baseurl.isEmpty() ? baseurl : (!m_baseUrl.isEmpty() ? m_baseUrl : m_pageFile);
    return linkpath::expand(base, src);
}

bool TQtContainer::isVisited(const QString& href) const {
    if (href.isEmpty() || m_visited.isEmpty())
        return false;
    QString full = resolve(href);
    for (const QString& v : m_visited)
        if (linkpath::samePath(v, full) || linkpath::samePath(v, linkpath::withoutAnchor(full)))
            return true;
    return false;
}

TQtContainer::Picture* TQtContainer::picture(const QString& path) {
    auto it = m_pictures.find(path);
    if (it != m_pictures.end())
        return it->get();
    auto pic = std::make_shared<Picture>();
    m_pictures.insert(path, pic);
    if (!m_settings.viewImages || !m_source) {
        pic->failed = true;
        return pic.get();
    }
    QImage* cached = m_ownResources ? nullptr : sharedImageCache().object(path);
    if (cached) {
        pic->image = *cached;
        return pic.get();
    }
    std::optional<QByteArray> data = m_source->read(linkpath::withoutAnchor(path));
    if (!data) {
        pic->failed = true;
        return pic.get();
    }
    pic->data = *data;
    pic->buffer = std::make_unique<QBuffer>(&pic->data);
    pic->buffer->open(QIODevice::ReadOnly);
    QImageReader reader(pic->buffer.get());
    reader.setDecideFormatFromContent(true);
    if (m_animate && reader.supportsAnimation() && reader.imageCount() > 1) {
        if (m_ownResources) {
            // The movie starts on the GUI thread (startAnimations).
            pic->image = reader.read();
            pic->buffer.reset();
            pic->animateLater = true;
        } else {
            startMovie(pic.get());
        }
    } else {
        pic->image = reader.read();
        pic->buffer.reset();
        pic->data.clear();
    }
    if (pic->image.isNull()) {
        pic->failed = true;
        pic->movie.reset();
    } else {
        m_lastPicture = pic->image.size();
        if (m_settings.imageCacheCount > 0 && !pic->movie && !m_ownResources)
            sharedImageCache().insert(path, new QImage(pic->image), 1);
    }
    return pic.get();
}

void TQtContainer::startMovie(Picture* pic) {
    if (!pic->buffer) {
        pic->buffer = std::make_unique<QBuffer>(&pic->data);
        pic->buffer->open(QIODevice::ReadOnly);
    }
    pic->buffer->seek(0);
    pic->movie = std::make_unique<QMovie>(pic->buffer.get());
    pic->movie->setCacheMode(QMovie::CacheAll);
    QObject::connect(pic->movie.get(), &QMovie::frameChanged, [this, pic](int) {
        pic->image = pic->movie->currentImage();
        m_changedArea = pic->drawnAt;
        if (onImageChanged)
            onImageChanged();
    });
    pic->movie->jumpToFrame(0);
    pic->image = pic->movie->currentImage();
    pic->movie->start();
}

void TQtContainer::startAnimations() {
    m_ownResources = false;
    for (const std::shared_ptr<Picture>& pic : std::as_const(m_pictures))
        if (pic->animateLater) {
            pic->animateLater = false;
            startMovie(pic.get());
        }
}

bool TQtContainer::hasAnimations() const {
    for (const std::shared_ptr<Picture>& pic : m_pictures)
        if (pic->movie)
            return true;
    return false;
}

bool TQtContainer::hasImage(const char* src) const {
    auto it = m_pictures.constFind(resolve(QString::fromUtf8(src)));
    return it != m_pictures.constEnd() && !(*it)->failed;
}

litehtml::uint_ptr TQtContainer::create_font(const char* faceName, int size, int weight,
                                             litehtml::font_style italic, unsigned int decoration,
                                             litehtml::font_metrics* fm) {
    // One family, as a browser picks it from the list.
    const QStringList families{
        TFontResolver::resolve(QString::fromUtf8(faceName), QString::fromUtf8(m_fontName))};
    const QString key = QStringLiteral("%1|%2|%3|%4|%5")
                            .arg(families.join(QLatin1Char(',')))
                            .arg(size)
                            .arg(weight)
                            .arg(int(italic))
                            .arg(decoration);
    // Fonts with their word widths are shared by every page (TFontPool); a
    // page prepared on a worker thread has fonts of its own.
    const auto make = [&] {
        QFont font;
        font.setFamilies(families);
        font.setPixelSize(qBound(1, size, 32767));
        font.setWeight(QFont::Weight(qBound(1, weight, 1000)));
        font.setItalic(italic == litehtml::fontStyleItalic);
        font.setUnderline(decoration & litehtml::font_decoration_underline);
        font.setStrikeOut(decoration & litehtml::font_decoration_linethrough);
        font.setOverline(decoration & litehtml::font_decoration_overline);
        font.setKerning(false);
        return font;
    };
    TFontEntry* entry = nullptr;
    if (m_ownFonts) {
        TFontEntry*& own = (*m_ownFonts)[key];
        if (!own)
            own = new TFontEntry(make());
        entry = own;
    } else {
        entry = TFontPool::instance().acquire(key, make);
    }
    if (fm) {
        fm->ascent = entry->metrics.ascent();
        fm->descent = entry->metrics.descent();
        fm->height = entry->metrics.height();
        fm->x_height = entry->metrics.xHeight();
        fm->draw_spaces = italic == litehtml::fontStyleItalic || decoration != 0;
    }
    return reinterpret_cast<litehtml::uint_ptr>(entry);
}

void TQtContainer::delete_font(litehtml::uint_ptr hFont) {
    // A page's own fonts go with its container; the pool keeps recently used
    // fonts for the next page.
    if (!m_ownFonts)
        TFontPool::instance().release(reinterpret_cast<TFontEntry*>(hFont));
}

int TQtContainer::text_width(const char* text, litehtml::uint_ptr hFont) {
    return reinterpret_cast<TFontEntry*>(hFont)->width(text);
}

void TQtContainer::draw_text(litehtml::uint_ptr hdc, const char* text, litehtml::uint_ptr hFont,
                             litehtml::web_color color, const litehtml::position& pos) {
    auto* p = reinterpret_cast<QPainter*>(hdc);
    auto* f = reinterpret_cast<TFontEntry*>(hFont);
    QColor c(color.red, color.green, color.blue, color.alpha);
    QString t = QString::fromUtf8(text);
    // A word wholly outside the clip is not drawn: a printed sheet would
    // otherwise carry the hidden words of the lines above and below it.
    if (p->hasClipping() && !p->clipBoundingRect().intersects(QRectF(
                                pos.x, pos.y, qMax(1, pos.width), qMax(1, f->metrics.height()))))
        return;
    // Positions from the layout library can be anything on a hostile page.
    const int x = TPixelRect::bounded(pos.x);
    const int baseline = TPixelRect::bounded(qint64(pos.y) + f->metrics.ascent());
    const QFont& font = f->font;
    const bool decorated = font.underline() || font.strikeOut() || font.overline();
    const bool blank = t.trimmed().isEmpty();
    if (!decorated) {
        if (!blank) {
            p->setFont(font);
            p->setPen(c);
            p->drawText(x, baseline, t);
        }
        return;
    }
    if (!blank) {
        // The lines are drawn below for words and spaces alike, so that a
        // link's underline runs on unbroken at one height.
        QFont plain = font;
        plain.setUnderline(false);
        plain.setStrikeOut(false);
        plain.setOverline(false);
        p->setFont(plain);
        p->setPen(c);
        p->drawText(x, baseline, t);
    }
    TTextDecoration::draw(p, *f, c, x, baseline, qBound(0, pos.width, 65534));
}

int TQtContainer::pt_to_px(int pt) const {
    return int(std::lround(pt * 96.0 / 72.0));
}

int TQtContainer::get_default_font_size() const {
    return mastercss::defaultFontPx(m_settings);
}

const char* TQtContainer::get_default_font_name() const {
    return m_fontName.constData();
}

static QString markerText(int index, litehtml::list_style_type type) {
    auto alpha = [](int n, char base) {
        QString s;
        while (n > 0) {
            --n;
            s.prepend(QChar(base + n % 26));
            n /= 26;
        }
        return s;
    };
    auto roman = [](int n) {
        static const int vals[] = {1000, 900, 500, 400, 100, 90, 50, 40, 10, 9, 5, 4, 1};
        static const char* syms[] = {"m",  "cm", "d",  "cd", "c",  "xc", "l",
                                     "xl", "x",  "ix", "v",  "iv", "i"};
        QString s;
        for (int i = 0; i < 13 && n > 0; ++i)
            while (n >= vals[i]) {
                s += QLatin1String(syms[i]);
                n -= vals[i];
            }
        return s;
    };
    switch (type) {
    case litehtml::list_style_type_lower_alpha:
    case litehtml::list_style_type_lower_latin:
        return alpha(index, 'a');
    case litehtml::list_style_type_upper_alpha:
    case litehtml::list_style_type_upper_latin:
        return alpha(index, 'A');
    case litehtml::list_style_type_lower_roman:
        return roman(index);
    case litehtml::list_style_type_upper_roman:
        return roman(index).toUpper();
    case litehtml::list_style_type_decimal_leading_zero:
        return QStringLiteral("%1").arg(index, 2, 10, QLatin1Char('0'));
    default:
        return QString::number(index);
    }
}

void TQtContainer::draw_list_marker(litehtml::uint_ptr hdc, const litehtml::list_marker& m) {
    auto* p = reinterpret_cast<QPainter*>(hdc);
    QColor c(m.color.red, m.color.green, m.color.blue);
    QRect r = TPixelRect::of(m.pos);
    if (!m.image.empty()) {
        Picture* pic = picture(resolve(QString::fromUtf8(m.image.c_str()),
                                       QString::fromUtf8(m.baseurl ? m.baseurl : "")));
        if (!pic->failed) {
            p->drawImage(QPoint(r.x(), r.y()), pic->image);
            return;
        }
    }
    p->save();
    switch (m.marker_type) {
    case litehtml::list_style_type_none:
        break;
    case litehtml::list_style_type_circle:
        p->setRenderHint(QPainter::Antialiasing);
        p->setPen(c);
        p->setBrush(Qt::NoBrush);
        p->drawEllipse(QRectF(r).adjusted(0.5, 0.5, -0.5, -0.5));
        break;
    case litehtml::list_style_type_disc:
        p->setRenderHint(QPainter::Antialiasing);
        p->setPen(Qt::NoPen);
        p->setBrush(c);
        p->drawEllipse(r);
        break;
    case litehtml::list_style_type_square:
        p->fillRect(r, c);
        break;
    default: {
        auto* f = reinterpret_cast<TFontEntry*>(m.font);
        if (!f)
            break;
        QString t = markerText(m.index, m.marker_type) + QLatin1Char('.');
        int w = f->metrics.horizontalAdvance(t);
        p->setFont(f->font);
        p->setPen(c);
        // The marker box is the bullet's; numbers end just before the text.
        int right = r.right() + r.width();
        p->drawText(
            right - w,
            r.bottom() + 1 - (r.height() - f->metrics.ascent()) / 2 - f->metrics.descent() + 1, t);
        break;
    }
    }
    p->restore();
}

void TQtContainer::load_image(const char* src, const char* baseurl, bool) {
    ++m_pictureRequests;
    picture(resolve(QString::fromUtf8(src), QString::fromUtf8(baseurl ? baseurl : "")));
}

void TQtContainer::get_image_size(const char* src, const char* baseurl, litehtml::size& sz) {
    Picture* pic =
        picture(resolve(QString::fromUtf8(src), QString::fromUtf8(baseurl ? baseurl : "")));
    if (pic->failed) {
        sz.width = sz.height = 0;
        return;
    }
    sz.width = pic->image.width();
    sz.height = pic->image.height();
}

static bool rounded(const litehtml::border_radiuses& r) {
    return r.top_left_x > 0 || r.top_left_y > 0 || r.top_right_x > 0 || r.top_right_y > 0 ||
           r.bottom_right_x > 0 || r.bottom_right_y > 0 || r.bottom_left_x > 0 ||
           r.bottom_left_y > 0;
}

// The outline of a box with rounded corners, the radii taken in by `inset`.
static QPainterPath roundedPath(const QRectF& box, const litehtml::border_radiuses& rad,
                                qreal inset = 0) {
    QRectF r = box.adjusted(inset, inset, -inset, -inset);
    auto corner = [&](int x, int y) {
        return QSizeF(qBound<qreal>(0, x - inset, r.width() / 2),
                      qBound<qreal>(0, y - inset, r.height() / 2));
    };
    QSizeF tl = corner(rad.top_left_x, rad.top_left_y);
    QSizeF tr = corner(rad.top_right_x, rad.top_right_y);
    QSizeF br = corner(rad.bottom_right_x, rad.bottom_right_y);
    QSizeF bl = corner(rad.bottom_left_x, rad.bottom_left_y);
    QPainterPath path;
    path.moveTo(r.left() + tl.width(), r.top());
    path.lineTo(r.right() - tr.width(), r.top());
    path.arcTo(QRectF(r.right() - 2 * tr.width(), r.top(), 2 * tr.width(), 2 * tr.height()), 90,
               -90);
    path.lineTo(r.right(), r.bottom() - br.height());
    path.arcTo(QRectF(r.right() - 2 * br.width(), r.bottom() - 2 * br.height(), 2 * br.width(),
                      2 * br.height()),
               0, -90);
    path.lineTo(r.left() + bl.width(), r.bottom());
    path.arcTo(QRectF(r.left(), r.bottom() - 2 * bl.height(), 2 * bl.width(), 2 * bl.height()), 270,
               -90);
    path.lineTo(r.left(), r.top() + tl.height());
    path.arcTo(QRectF(r.left(), r.top(), 2 * tl.width(), 2 * tl.height()), 180, -90);
    path.closeSubpath();
    return path;
}

void TQtContainer::draw_background(litehtml::uint_ptr hdc, const litehtml::background_paint& bg) {
    auto* p = reinterpret_cast<QPainter*>(hdc);
    bool picture_of_img = !bg.image.empty() && bg.repeat == litehtml::background_repeat_no_repeat;
    if (m_printing && !m_settings.printTableBackgrounds && !bg.is_root && !picture_of_img)
        return;
    QRect clip = TPixelRect::of(bg.clip_box);
    if (rounded(bg.border_radius) && !bg.is_root) {
        // Rounded corners: the background stays inside the rounded border box.
        p->save();
        p->setRenderHint(QPainter::Antialiasing);
        p->setClipPath(roundedPath(QRectF(bg.border_box.x, bg.border_box.y, bg.border_box.width,
                                          bg.border_box.height),
                                   bg.border_radius),
                       Qt::IntersectClip);
        litehtml::background_paint square = bg;
        square.border_radius = litehtml::border_radiuses();
        draw_background(hdc, square);
        p->restore();
        return;
    }
    if (bg.color.alpha > 0)
        p->fillRect(clip, QColor(bg.color.red, bg.color.green, bg.color.blue, bg.color.alpha));
    if (bg.image.empty())
        return;
    Picture* pic = picture(
        resolve(QString::fromUtf8(bg.image.c_str()), QString::fromUtf8(bg.baseurl.c_str())));
    if (pic->failed || pic->image.isNull())
        return;
    if (pic->movie && !pic->drawnAt.contains(clip)) {
        // Past a bound, a null rectangle stands for the whole page.
        if (pic->drawnAt.size() < 256)
            pic->drawnAt.push_back(clip);
        else if (!pic->drawnAt.contains(QRect()))
            pic->drawnAt.push_back(QRect());
    }
    QSize size(bg.image_size.width, bg.image_size.height);
    if (size.width() <= 0 || size.height() <= 0)
        size = pic->image.size();
    const QImage& img = pic->image;
    p->save();
    p->setClipRect(clip, Qt::IntersectClip);
    p->setRenderHint(QPainter::SmoothPixmapTransform, size != img.size());
    // The library gives the image's position in page coordinates. Tiles are
    // laid only over what the painter shows, from the first tile at or
    // before its edge (positions may be anywhere: no stepping there).
    const qint64 x0 = TPixelRect::bounded(bg.position_x);
    const qint64 y0 = TPixelRect::bounded(bg.position_y);
    if (p->hasClipping())
        clip &= p->clipBoundingRect().toAlignedRect();
    if (clip.isEmpty())
        return p->restore();
    auto drawAt = [&](qint64 x, qint64 y) {
        p->drawImage(QRect(QPoint(TPixelRect::bounded(x), TPixelRect::bounded(y)), size), img);
    };
    bool rx = bg.repeat == litehtml::background_repeat_repeat ||
              bg.repeat == litehtml::background_repeat_repeat_x;
    bool ry = bg.repeat == litehtml::background_repeat_repeat ||
              bg.repeat == litehtml::background_repeat_repeat_y;
    auto firstTile = [](qint64 origin, qint64 edge, qint64 step) {
        qint64 n = (origin - edge + step - 1) / step; // tiles between edge and origin
        return n > 0 ? origin - n * step : origin - ((origin - edge) / step) * step;
    };
    const qint64 sx = rx ? firstTile(x0, clip.left(), size.width()) : x0;
    const qint64 sy = ry ? firstTile(y0, clip.top(), size.height()) : y0;
    for (qint64 y = sy; ry ? y <= clip.bottom() : y == sy; y += size.height())
        for (qint64 x = sx; rx ? x <= clip.right() : x == sx; x += size.width())
            drawAt(x, y);
    p->restore();
}

static void drawSide(QPainter* p, const litehtml::border& b, const QRect& r, bool topLeft,
                     bool horizontal) {
    if (b.width <= 0 || b.style == litehtml::border_style_none ||
        b.style == litehtml::border_style_hidden || b.color.alpha == 0)
        return;
    QColor c(b.color.red, b.color.green, b.color.blue, b.color.alpha);
    QColor dark = c.darker(150), light = c.lighter(150);
    if (c.value() < 40)
        light = QColor(0xc0, 0xc0, 0xc0);
    switch (b.style) {
    case litehtml::border_style_inset:
        c = topLeft ? dark : light;
        break;
    case litehtml::border_style_outset:
        c = topLeft ? light : dark;
        break;
    case litehtml::border_style_groove:
    case litehtml::border_style_ridge: {
        bool groove = b.style == litehtml::border_style_groove;
        QRect outer = r, inner = r;
        if (horizontal) {
            outer.setHeight(qMax(1, r.height() / 2));
            inner.setTop(outer.bottom() + 1);
        } else {
            outer.setWidth(qMax(1, r.width() / 2));
            inner.setLeft(outer.right() + 1);
        }
        QColor first = (groove == topLeft) ? dark : light;
        QColor second = (groove == topLeft) ? light : dark;
        p->fillRect(topLeft ? outer : inner, first);
        p->fillRect(topLeft ? inner : outer, second);
        return;
    }
    case litehtml::border_style_dotted:
    case litehtml::border_style_dashed: {
        QPen pen(c, horizontal ? r.height() : r.width(),
                 b.style == litehtml::border_style_dotted ? Qt::DotLine : Qt::DashLine,
                 Qt::FlatCap);
        p->save();
        p->setPen(pen);
        QPointF a = horizontal ? QPointF(r.left(), r.top() + r.height() / 2.0)
                               : QPointF(r.left() + r.width() / 2.0, r.top());
        QPointF z = horizontal ? QPointF(r.right() + 1, a.y()) : QPointF(a.x(), r.bottom() + 1);
        p->drawLine(a, z);
        p->restore();
        return;
    }
    case litehtml::border_style_double:
        if ((horizontal ? r.height() : r.width()) >= 3) {
            int third = qMax(1, (horizontal ? r.height() : r.width()) / 3);
            QRect a = r, z = r;
            if (horizontal) {
                a.setHeight(third);
                z.setTop(r.bottom() - third + 1);
            } else {
                a.setWidth(third);
                z.setLeft(r.right() - third + 1);
            }
            p->fillRect(a, c);
            p->fillRect(z, c);
            return;
        }
        break;
    default:
        break;
    }
    p->fillRect(r, c);
}

void TQtContainer::draw_borders(litehtml::uint_ptr hdc, const litehtml::borders& b,
                                const litehtml::position& pos, bool) {
    auto* p = reinterpret_cast<QPainter*>(hdc);
    QRect r = TPixelRect::of(pos);
    auto same = [](const litehtml::border& a, const litehtml::border& z) {
        return a.width == z.width && a.style == z.style && a.color.red == z.color.red &&
               a.color.green == z.color.green && a.color.blue == z.color.blue &&
               a.color.alpha == z.color.alpha;
    };
    if (rounded(b.radius) && b.top.width > 0 && same(b.top, b.left) && same(b.top, b.right) &&
        same(b.top, b.bottom) && b.top.style > litehtml::border_style_hidden) {
        // Rounded corners, drawn for a border alike on all four sides.
        const litehtml::border& s = b.top;
        QPen pen(QColor(s.color.red, s.color.green, s.color.blue, s.color.alpha), s.width);
        if (s.style == litehtml::border_style_dotted)
            pen.setStyle(Qt::DotLine);
        else if (s.style == litehtml::border_style_dashed)
            pen.setStyle(Qt::DashLine);
        p->save();
        p->setRenderHint(QPainter::Antialiasing);
        p->setPen(pen);
        p->setBrush(Qt::NoBrush);
        p->drawPath(roundedPath(QRectF(r), b.radius, s.width / 2.0));
        p->restore();
        return;
    }
    // Widths come from the page: any size at all.
    using R = TPixelRect;
    drawSide(p, b.top, R::of(r.left(), r.top(), r.width(), b.top.width), true, true);
    drawSide(p, b.left, R::of(r.left(), r.top(), b.left.width, r.height()), true, false);
    drawSide(p, b.bottom,
             R::of(r.left(), qint64(r.bottom()) + 1 - b.bottom.width, r.width(), b.bottom.width),
             false, true);
    drawSide(p, b.right,
             R::of(qint64(r.right()) + 1 - b.right.width, r.top(), b.right.width, r.height()),
             false, false);
}

void TQtContainer::set_caption(const char* caption) {
    m_caption = QString::fromUtf8(caption).simplified();
}

void TQtContainer::set_base_url(const char* base_url) {
    QString b = QString::fromUtf8(base_url ? base_url : "").trimmed();
    m_baseUrl = b.isEmpty() ? QString() : linkpath::expand(m_pageFile, b);
    // The base names a folder when it ends with a separator; a file otherwise.
    if (!b.isEmpty() && (b.endsWith(QLatin1Char('/')) || b.endsWith(QLatin1Char('\\'))) &&
        !m_baseUrl.endsWith(QLatin1Char('/')) && !m_baseUrl.endsWith(QLatin1Char('\\')))
        m_baseUrl += m_baseUrl.contains(QLatin1Char('\\')) ? QLatin1Char('\\') : QLatin1Char('/');
}

void TQtContainer::link(const std::shared_ptr<litehtml::document>&, const litehtml::element::ptr&) {
}

void TQtContainer::on_anchor_click(const char* url, const litehtml::element::ptr& el) {
    if (onAnchorClick)
        onAnchorClick(QString::fromUtf8(url), el);
}

void TQtContainer::set_cursor(const char* cursor) {
    if (onCursor)
        onCursor(QString::fromUtf8(cursor ? cursor : ""));
}

void TQtContainer::transform_text(litehtml::tstring& text, litehtml::text_transform tt) {
    QString t = QString::fromUtf8(text.c_str());
    switch (tt) {
    case litehtml::text_transform_uppercase:
        t = t.toUpper();
        break;
    case litehtml::text_transform_lowercase:
        t = t.toLower();
        break;
    case litehtml::text_transform_capitalize:
        if (!t.isEmpty())
            t[0] = t[0].toUpper();
        break;
    default:
        return;
    }
    text = t.toUtf8().toStdString();
}

void TQtContainer::import_css(litehtml::tstring& text, const litehtml::tstring& url,
                              litehtml::tstring& baseurl) {
    QString full = resolve(QString::fromUtf8(url.c_str()), QString::fromUtf8(baseurl.c_str()));
    text.clear();
    if (!m_source)
        return;
    std::optional<QByteArray> data = m_source->read(linkpath::withoutAnchor(full));
    if (!data)
        return;
    QString css = data->startsWith("\xEF\xBB\xBF") ? QString::fromUtf8(data->mid(3))
                                                   : cp1251::toUnicode(*data);
    text = TCssLimits::apply(mastercss::mendCss(TStyleSheetFilter::mendSheet(css)).toUtf8())
               .toStdString();
    baseurl = full.toUtf8().toStdString();
}

void TQtContainer::set_clip(const litehtml::position& pos, const litehtml::border_radiuses&,
                            bool valid_x, bool valid_y) {
    if (!m_painter)
        return;
    m_painter->save();
    ++m_clipDepth;
    QRect r = TPixelRect::of(pos);
    if (!valid_x)
        r.setLeft(-1000000), r.setRight(1000000);
    if (!valid_y)
        r.setTop(-1000000), r.setBottom(1000000);
    m_painter->setClipRect(r, Qt::IntersectClip);
}

void TQtContainer::del_clip() {
    if (!m_painter || m_clipDepth == 0)
        return;
    --m_clipDepth;
    m_painter->restore();
}

void TQtContainer::get_client_rect(litehtml::position& client) const {
    client = litehtml::position(0, 0, m_client.width(), m_client.height());
}

std::shared_ptr<litehtml::element>
TQtContainer::create_element(const char* tag_name, const litehtml::string_map& attributes,
                             const std::shared_ptr<litehtml::document>& doc) {
    // Every element is made here (as the library would make it when given
    // none), so that each looks up inherited styles through TInheritedStyles.
    const std::string tag(tag_name);
    if (tag == "font")
        return std::make_shared<TStyled<TElFont>>(doc);
    if (tag == "body")
        return std::make_shared<TStyled<TElBody>>(doc);
    if (tag == "table")
        return std::make_shared<TStyled<TElTable>>(doc);
    if (tag == "tr")
        return std::make_shared<TStyled<TElRow>>(doc);
    if (tag == "td" || tag == "th")
        return std::make_shared<TStyled<TElCell>>(doc);
    if (tag == "img")
        return std::make_shared<TStyled<TElImage>>(doc);
    if (tag == "br")
        return std::make_shared<TStyled<TElBreak>>(doc);
    if (tag == "hr")
        return std::make_shared<TStyled<TElRule>>(doc);
    if (tag.size() == 2 && tag[0] == 'h' && tag[1] >= '1' && tag[1] <= '6')
        return std::make_shared<TStyled<TElAligned>>(doc);
    if (tag == "select" || tag == "input" || tag == "textarea" || tag == "button") {
        ++m_formControls;
        return std::make_shared<TStyled<TElFormControl>>(doc);
    }
    if (tag == "a") {
        auto a = std::make_shared<TStyled<litehtml::el_anchor>>(doc);
        auto href = attributes.find("href");
        if (href != attributes.end() && isVisited(QString::fromUtf8(href->second.c_str())))
            a->set_pseudo_class("visited", true);
        return a;
    }
    if (tag == "p")
        return std::make_shared<TStyled<litehtml::el_para>>(doc);
    if (tag == "div")
        return std::make_shared<TStyled<litehtml::el_div>>(doc);
    if (tag == "link")
        return std::make_shared<TStyled<litehtml::el_link>>(doc);
    if (tag == "title")
        return std::make_shared<TStyled<litehtml::el_title>>(doc);
    if (tag == "style")
        return std::make_shared<TStyled<litehtml::el_style>>(doc);
    if (tag == "base")
        return std::make_shared<TStyled<litehtml::el_base>>(doc);
    if (tag == "script")
        return std::make_shared<TStyled<litehtml::el_script>>(doc);
    return std::make_shared<TStyled<litehtml::html_tag>>(doc);
}

void TQtContainer::get_media_features(litehtml::media_features& media) const {
    media.type = m_printing ? litehtml::media_type_print : litehtml::media_type_screen;
    media.width = m_client.width();
    media.height = m_client.height();
    media.device_width = 1024;
    media.device_height = 768;
    media.color = 8;
    media.monochrome = 0;
    media.color_index = 256;
    media.resolution = 96;
}

void TQtContainer::get_language(litehtml::tstring& language, litehtml::tstring& culture) const {
    language = "ru";
    culture = "ru-RU";
}

TQtContainer* TQtContainer::of(const litehtml::element* el) {
    const auto doc = el ? el->get_document() : nullptr;
    return doc ? dynamic_cast<TQtContainer*>(doc->container()) : nullptr;
}
