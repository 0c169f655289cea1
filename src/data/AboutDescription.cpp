#include "data/AboutDescription.h"

#include "data/KeyReader.h"
#include "data/StringUtils.h"
#include "platform/Log.h"

namespace {

using namespace desckeys;

Fields textKeys(RAboutText& t) {
    return {intKey("vx", t.vx),        intKey("vy", t.vy),        textKey("font", t.font),
            intKey("size", t.size),    textKey("style", t.style), colorKey("color", t.color),
            textKey("value", t.value), textKey("idenf", t.idenf)};
}

Fields buttonKeys(RBtn& b) {
    return {intKey("vx", b.vx),    intKey("vy", b.vy),      textKey("fn1", b.fn1),
            textKey("fn2", b.fn2), textKey("hint", b.hint), textKey("wav", b.wav)};
}

// The outline list starting in line `index` (moved to the list's last
// line): every item is "x,y", each half read as an integer. Items without a
// comma are passed over; huge coordinates are clamped.
QPolygon outlineAt(const QStringList& lines, qsizetype& index, const QString& source) {
    const qsizetype first = index;
    const QStringList items = cfs::readList(lines, index, nullptr);
    QPolygon polygon;
    bool clamped = false;
    auto bounded = [&clamped](int v) {
        const int b =
            qBound(-AboutDescription::kMaxCoordinate, v, AboutDescription::kMaxCoordinate);
        clamped = clamped || b != v;
        return b;
    };
    for (const QString& item : items) {
        const qsizetype comma = item.indexOf(u',');
        if (comma < 0)
            continue;
        polygon.append(QPoint(bounded(cfs::readInt(item.left(comma), 0)),
                              bounded(cfs::readInt(item, comma + 1))));
    }
    if (clamped)
        vlog::complain(QStringLiteral("%1: line %2: outline coordinates beyond %3 are clamped")
                           .arg(source)
                           .arg(first + 1)
                           .arg(AboutDescription::kMaxCoordinate));
    return polygon;
}

} // namespace

RAboutLink AboutDescription::linkOf(const RAboutText& text) {
    RAboutLink link;
    link.vx = text.vx;
    link.vy = text.vy;
    link.value = text.value;
    link.target = text.value.contains(u'@') ? QStringLiteral("mailto:") + text.value : text.value;
    const qsizetype question = text.value.indexOf(u'?');
    link.shown = question >= 0 ? text.value.left(question) : text.value;
    return link;
}

AboutDescription AboutDescription::parse(const QStringList& lines, const QString& source) {
    AboutDescription d;
    const qsizetype count = lines.size();

    // Header pass.
    for (qsizetype i = 0; i < count; ++i) {
        const QString& line = lines.at(i);
        const qsizetype at = line.indexOf(QLatin1String("picture"));
        if (at >= 0) {
            d.picture = cfs::readText(line, at + 8);
            d.pictures.append(d.picture);
        }
        if (!line.contains(QLatin1String("vertex")))
            continue;
        qsizetype last = i;
        const QPolygon outline = outlineAt(lines, last, source);
        if (outline.size() < 3)
            vlog::complain(QStringLiteral("%1: line %2: an outline needs three points or more "
                                          "(%3 given); it is not used")
                               .arg(source)
                               .arg(i + 1)
                               .arg(outline.size()));
        else
            d.vertex = outline;
        i = qMax(i, last);
    }

    // Element pass.
    const KeyReader reader(lines, nullptr);
    qsizetype i = 0;
    while (i < count) {
        const QString& line = lines.at(i);
        qsizetype last = i;
        if (line.contains(QLatin1String("text"))) {
            RAboutText t;
            last = reader.readKeys(i, textKeys(t));
            d.texts.append(t);
            if (t.idenf == QLatin1String("url"))
                d.links.append(linkOf(t));
        } else if (line.contains(QLatin1String("button"))) {
            RBtn b;
            last = reader.readKeys(i, buttonKeys(b));
            d.buttons.append(b);
        }
        // Keys that ran out end the reading; every path moves forward.
        i = qMax(last, i) + 1;
    }
    return d;
}
