#include "data/DialogDescription.h"

#include "data/KeyReader.h"
#include "data/StringUtils.h"
#include "platform/Log.h"

namespace {

using namespace desckeys;

Fields messageKeys(RText& t) {
    return {intKey("vx", t.vx),         intKey("vy", t.vy),       intKey("vw", t.vw),
            textKey("font", t.font),    intKey("size", t.size),   textKey("style", t.style),
            colorKey("color", t.color), textKey("value", t.value)};
}

Fields dialogButtonKeys(RBtn& b) {
    return {intKey("vx", b.vx),    intKey("vy", b.vy),      textKey("align", b.align),
            textKey("fn1", b.fn1), textKey("fn2", b.fn2),   textKey("fn3", b.fn3),
            textKey("go", b.go),   textKey("hint", b.hint), textKey("wav", b.wav)};
}

enum class Kind { None, Picture, Text, Button, Switch };

Kind kindOf(const QString& line) {
    if (line.contains(QLatin1String("_picture")))
        return Kind::Picture;
    if (line.contains(QLatin1String("_text")))
        return Kind::Text;
    if (line.contains(QLatin1String("_button")))
        return Kind::Button;
    if (line.contains(QLatin1String("switchgrp")))
        return Kind::Switch;
    return Kind::None;
}

} // namespace

DialogDescription DialogDescription::parse(const QStringList& lines, const BookPaths* paths,
                                           const QString& source) {
    DialogDescription d;
    const KeyReader reader(lines, paths);
    const qsizetype count = lines.size();
    auto dialogOf = [&d](int number) -> RDialog& {
        while (d.dialogs.size() <= number)
            d.dialogs.append(RDialog());
        return d.dialogs[number];
    };
    qsizetype i = 0;
    while (i < count) {
        const QString& line = lines.at(i);
        const Kind kind = kindOf(line);
        if (kind == Kind::None) {
            ++i;
            continue;
        }
        const int read = desckeys::boundedValue(cfs::readInt(line, 0));
        const int number = read - 1;
        const bool valid = read >= 1 && read <= kMaxDialogs;
        if (!valid)
            vlog::complain(QStringLiteral("%1: line %2: dialog number %3 is outside 1..%4; the "
                                          "block is passed over")
                               .arg(source)
                               .arg(i + 1)
                               .arg(read)
                               .arg(kMaxDialogs));
        qsizetype last = i;
        switch (kind) {
        case Kind::Picture:
            if (valid)
                dialogOf(number).picture =
                    cfs::readText(line, line.indexOf(QLatin1String("picture")) + 8);
            break;
        case Kind::Text: {
            RText t;
            last = reader.readKeys(i, messageKeys(t));
            if (valid)
                dialogOf(number).text = t;
            break;
        }
        case Kind::Button: {
            RBtn b;
            last = reader.readKeys(i, dialogButtonKeys(b));
            if (valid)
                dialogOf(number).buttons.append(b);
            break;
        }
        case Kind::Switch: {
            RSwthGrp s;
            last = reader.readKeys(i, switchGrpKeys(s), switchGrpCaptions(s));
            s.on = s.state;
            if (valid)
                dialogOf(number).switches.append(s);
            break;
        }
        case Kind::None:
            break;
        }
        // Keys that ran out end the reading; every path moves forward.
        i = qMax(last, i) + 1;
    }
    return d;
}
