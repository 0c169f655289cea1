#include "data/StructParser.h"

#include "data/BookPaths.h"
#include "data/StringUtils.h"

#include <map>
#include <string_view>
#include <vector>

namespace {

// Screens are numbered from 1 in a description. Numbers outside 1..kMaxScreens
// would make the per-screen lists absurdly long (or index below 0), so such
// elements are read over and dropped.
constexpr int kMaxScreens = 1000;

// Value forms of the key tables.
enum class Form {
    Int,       // ReadInt from the key's position
    Text,      // ReadText after the key's equals sign
    Path,      // a text, path-resolved
    Color,     // r,g,b
    Switch,    // "on" -> true
    Style,     // font style words -> bit set
    List,      // bracketed list, may continue over lines
    Dir,       // a path with a trailing backslash
    PopupType, // popup type word or integer
};

// One key of a key table and the field it fills.
struct Field {
    const char* key;
    Form form;
    int* i = nullptr;
    QString* s = nullptr;
    bool* b = nullptr;
    QStringList* l = nullptr;
};

Field intKey(const char* key, int& f) {
    return {key, Form::Int, &f};
}
Field colorKey(const char* key, int& f) {
    return {key, Form::Color, &f};
}
Field styleKey(const char* key, int& f) {
    return {key, Form::Style, &f};
}
Field popupTypeKey(const char* key, int& f) {
    return {key, Form::PopupType, &f};
}
Field textKey(const char* key, QString& f) {
    return {key, Form::Text, nullptr, &f};
}
Field pathKey(const char* key, QString& f) {
    return {key, Form::Path, nullptr, &f};
}
Field dirKey(const char* key, QString& f) {
    return {key, Form::Dir, nullptr, &f};
}
Field switchKey(const char* key, bool& f) {
    return {key, Form::Switch, nullptr, nullptr, &f};
}
Field listKey(const char* key, QStringList& f) {
    return {key, Form::List, nullptr, nullptr, nullptr, &f};
}

using Fields = std::vector<Field>;

// Reads key values from the description lines. All positions are 0-based.
class KeyReader {
public:
    KeyReader(const QStringList& lines, const BookPaths* paths) : m_lines(lines), m_paths(paths) {}

    QString resolve(const QString& text) const {
        return m_paths ? m_paths->resolvePath(text) : text;
    }

    // Stores the value of `field`, whose key was found at `pos` of line
    // `index`. A list may move `index` forward over its continuation lines.
    void apply(const Field& field, qsizetype& index, qsizetype pos) const {
        const QString& line = m_lines.at(index);
        const qsizetype keyLen = qstrlen(field.key);
        const qsizetype valuePos = pos + keyLen + 1; // just after the equals sign
        switch (field.form) {
        case Form::Int:
            *field.i = cfs::readInt(line, pos);
            break;
        case Form::Color:
            *field.i = cfs::readColor(line, pos + keyLen);
            break;
        case Form::Style:
            *field.i = cfs::readFontStyle(line, valuePos);
            break;
        case Form::PopupType:
            *field.i = popupType(line, pos, valuePos);
            break;
        case Form::Text:
            *field.s = cfs::readText(line, valuePos);
            break;
        case Form::Path:
            *field.s = resolve(cfs::readText(line, valuePos));
            break;
        case Form::Dir: {
            // An empty value stays empty: a lone backslash would name the
            // root of the disc.
            QString dir = resolve(cfs::readText(line, valuePos));
            if (!dir.isEmpty() && !dir.endsWith(QLatin1Char('\\')) &&
                !dir.endsWith(QLatin1Char('/')))
                dir += QLatin1Char('\\');
            *field.s = dir;
            break;
        }
        case Form::Switch:
            *field.b = cfs::readSwitch(line, valuePos);
            break;
        case Form::List: {
            qsizetype at = index;
            *field.l = cfs::readList(m_lines, at, m_paths);
            // The list reader stops at the end of the text; never move back.
            if (at > index)
                index = qMin(at, m_lines.size() - 1);
            break;
        }
        }
    }

    // Reads `keys` in table order from line `index` on. A key that is not in
    // the current line moves the reading to the next line; every line passed
    // over that way is tested against all `captions` (in any order). Returns
    // the index of the line where the last key was read, or the number of
    // lines when the text ended first.
    qsizetype readKeys(qsizetype index, const Fields& keys, const Fields& captions = {}) const {
        const qsizetype count = m_lines.size();
        for (const Field& field : keys) {
            if (captions.empty()) {
                index = nextLineWith(field.key, index);
            } else {
                while (index < count && !m_lines.at(index).contains(QLatin1String(field.key))) {
                    readCaptions(index, captions);
                    ++index;
                }
            }
            if (index >= count)
                return count;
            apply(field, index, m_lines.at(index).indexOf(QLatin1String(field.key)));
        }
        return index;
    }

private:
    void readCaptions(qsizetype index, const Fields& captions) const {
        for (const Field& field : captions) {
            const qsizetype pos = m_lines.at(index).indexOf(QLatin1String(field.key));
            if (pos >= 0) {
                qsizetype at = index;
                apply(field, at, pos);
            }
        }
    }

    static int popupType(const QString& line, qsizetype keyPos, qsizetype valuePos) {
        const QString word = cfs::readText(line, valuePos);
        static const struct {
            const char* word;
            int type;
        } named[] = {
            {"historyback", -1},
            {"historyforward", -2},
            {"favorite", -3},
            {"contexthtml", -5},
        };
        for (const auto& n : named) {
            if (word.compare(QLatin1String(n.word), Qt::CaseInsensitive) == 0)
                return n.type;
        }
        return cfs::readInt(line, keyPos);
    }

    // The first line at or after `from` that holds `key`, or the number of
    // lines. The last answer per key is kept: header blocks search forward
    // again from every line holding their word, and a description full of
    // such words must not make that quadratic.
    qsizetype nextLineWith(const char* key, qsizetype from) const {
        Probe& probe = m_probes[std::string_view(key)];
        if (probe.from >= 0 && from >= probe.from && from <= probe.found)
            return probe.found;
        qsizetype i = from;
        while (i < m_lines.size() && !m_lines.at(i).contains(QLatin1String(key)))
            ++i;
        probe = {from, i};
        return i;
    }

    struct Probe {
        qsizetype from = -1;
        qsizetype found = -1;
    };

    const QStringList& m_lines;
    const BookPaths* m_paths;
    mutable std::map<std::string_view, Probe> m_probes;
};

Fields templateKeys(RBtnTemplate& t) {
    return {intKey("vx", t.vx),    intKey("vy", t.vy),    textKey("fn1", t.fn1),
            textKey("fn2", t.fn2), textKey("fn3", t.fn3), textKey("hint", t.hint),
            textKey("wav", t.wav)};
}

Fields buttonKeys(RBtn& b) {
    return {intKey("vx", b.vx),      intKey("vy", b.vy),    textKey("fn1", b.fn1),
            textKey("fn2", b.fn2),   textKey("fn3", b.fn3), textKey("go", b.go),
            textKey("hint", b.hint), textKey("wav", b.wav)};
}

Fields buttonCaptions(RBtn& b) {
    return {textKey("textcaption", b.textcaption),
            intKey("texttx", b.texttx),
            intKey("textty", b.textty),
            intKey("textbx", b.textbx),
            intKey("textby", b.textby),
            textKey("textfontname", b.textfontname),
            intKey("textfontsize", b.textfontsize),
            styleKey("textfontstyleup", b.textfontstyleup),
            styleKey("textfontstylemv", b.textfontstylemv),
            styleKey("textfontstyledn", b.textfontstyledn),
            colorKey("textfontcolorup", b.textfontcolorup),
            colorKey("textfontcolormv", b.textfontcolormv),
            colorKey("textfontcolordn", b.textfontcolordn)};
}

Fields switchOneKeys(RSwthOne& s) {
    return {intKey("vx", s.vx),          intKey("vy", s.vy),          textKey("fn1", s.fn1),
            textKey("fn2", s.fn2),       textKey("fn3", s.fn3),       textKey("fn4", s.fn4),
            switchKey("state", s.state), switchKey("store", s.store), pathKey("goup", s.goup),
            pathKey("godown", s.godown), textKey("hint", s.hint),     textKey("wav", s.wav)};
}

Fields switchOneCaptions(RSwthOne& s) {
    return {textKey("textcaptionup", s.textcaptionup),
            textKey("textcaptiondn", s.textcaptiondn),
            intKey("texttxup", s.texttxup),
            intKey("texttyup", s.texttyup),
            intKey("textbxup", s.textbxup),
            intKey("textbyup", s.textbyup),
            intKey("texttxdn", s.texttxdn),
            intKey("texttydn", s.texttydn),
            intKey("textbxdn", s.textbxdn),
            intKey("textbydn", s.textbydn),
            textKey("textfontname", s.textfontname),
            intKey("textfontsize", s.textfontsize),
            styleKey("textfontstyleup", s.textfontstyleup),
            styleKey("textfontstylemvup", s.textfontstylemvup),
            styleKey("textfontstylemvdn", s.textfontstylemvdn),
            styleKey("textfontstyledn", s.textfontstyledn),
            colorKey("textfontcolorup", s.textfontcolorup),
            colorKey("textfontcolormvup", s.textfontcolormvup),
            colorKey("textfontcolormvdn", s.textfontcolormvdn),
            colorKey("textfontcolordn", s.textfontcolordn)};
}

Fields switchGrpKeys(RSwthGrp& s) {
    return {intKey("vx", s.vx),          intKey("vy", s.vy),          textKey("fn1", s.fn1),
            textKey("fn2", s.fn2),       textKey("fn3", s.fn3),       textKey("fn4", s.fn4),
            switchKey("state", s.state), switchKey("store", s.store), intKey("group", s.group),
            pathKey("go", s.go),         textKey("hint", s.hint),     textKey("wav", s.wav)};
}

Fields switchGrpCaptions(RSwthGrp& s) {
    return {textKey("textcaptionup", s.textcaptionup),
            textKey("textcaptiondn", s.textcaptiondn),
            intKey("texttx", s.texttx),
            intKey("textty", s.textty),
            intKey("textbx", s.textbx),
            intKey("textby", s.textby),
            textKey("textfontname", s.textfontname),
            intKey("textfontsize", s.textfontsize),
            styleKey("textfontstyleup", s.textfontstyleup),
            styleKey("textfontstylemvup", s.textfontstylemvup),
            styleKey("textfontstylemvdn", s.textfontstylemvdn),
            styleKey("textfontstyledn", s.textfontstyledn),
            colorKey("textfontcolorup", s.textfontcolorup),
            colorKey("textfontcolormvup", s.textfontcolormvup),
            colorKey("textfontcolormvdn", s.textfontcolormvdn),
            colorKey("textfontcolordn", s.textfontcolordn)};
}

Fields htmlKeys(RHtml& h) {
    return {intKey("vx", h.vx), intKey("vy", h.vy),  intKey("vw", h.vw),
            intKey("vh", h.vh), pathKey("fn", h.fn), intKey("number", h.number)};
}

Fields findTxtKeys(RFindTxt& f) {
    return {intKey("vx", f.vx),         intKey("vy", f.vy),        intKey("vw", f.vw),
            intKey("vh", f.vh),         textKey("frame", f.frame), listKey("nofiles", f.nofiles),
            intKey("number", f.number), textKey("hint", f.hint)};
}

Fields pathElementKeys(RPath& p) {
    return {intKey("vx", p.vx),
            intKey("vy", p.vy),
            intKey("vw", p.vw),
            intKey("vh", p.vh),
            textKey("pathdef", p.pathdef),
            textKey("hint", p.hint)};
}

Fields clipKeys(RClip& c) {
    return {intKey("vx", c.vx),
            intKey("vy", c.vy),
            intKey("vw", c.vw),
            intKey("vh", c.vh),
            colorKey("bgcolor", c.bgcolor),
            intKey("html", c.html)};
}

Fields textElementKeys(RText& t) {
    return {intKey("vx", t.vx),         intKey("vy", t.vy),        intKey("vw", t.vw),
            textKey("font", t.font),    intKey("size", t.size),    textKey("style", t.style),
            colorKey("color", t.color), textKey("value", t.value), textKey("ident", t.ident),
            intKey("number", t.number)};
}

Fields imageKeys(RImage& i) {
    return {intKey("vx", i.vx), intKey("vy", i.vy), intKey("vw", i.vw), intKey("vh", i.vh),
            dirKey("dir", i.dir)};
}

Fields popupKeys(RPopupData& p) {
    return {intKey("xfon", p.xfon),
            intKey("yfon", p.yfon),
            textKey("fnfon", p.fnfon),
            intKey("xbtn", p.xbtn),
            intKey("ybtn", p.ybtn),
            listKey("fnbtnup", p.fnbtnup),
            listKey("fnbtnmove", p.fnbtnmove),
            listKey("fnbtndown", p.fnbtndown),
            textKey("fontup", p.fontup),
            intKey("sizeup", p.sizeup),
            textKey("styleup", p.styleup),
            colorKey("colorup", p.colorup),
            textKey("fontmv", p.fontmv),
            intKey("sizemv", p.sizemv),
            textKey("stylemv", p.stylemv),
            colorKey("colormv", p.colormv),
            listKey("caption", p.caption),
            listKey("go", p.go),
            textKey("parent", p.parent),
            popupTypeKey("type", p.type),
            listKey("vertex", p.vertex)};
}

RBtn buttonFromTemplate(const RBtnTemplate& t, const QString& command) {
    RBtn b;
    b.vx = t.vx;
    b.vy = t.vy;
    b.fn1 = t.fn1;
    b.fn2 = t.fn2;
    b.fn3 = t.fn3;
    b.go = command;
    b.hint = t.hint;
    b.wav = t.wav;
    return b;
}

enum class Kind {
    Button,
    SwitchOne,
    SwitchGrp,
    Html,
    FindTxt,
    Path,
    Clip,
    Text,
    Image,
    Popup,
    Screen
};

struct KindWord {
    const char* word;
    Kind kind;
};

constexpr KindWord kMainKinds[] = {
    {"button", Kind::Button}, {"switchone", Kind::SwitchOne}, {"switchgrp", Kind::SwitchGrp},
    {"_html", Kind::Html},    {"_findtxt", Kind::FindTxt},    {"_path", Kind::Path},
    {"_clip", Kind::Clip},    {"_text", Kind::Text},          {"_image", Kind::Image},
    {"_popup", Kind::Popup},  {"_screen", Kind::Screen},
};

constexpr KindWord kThesaurusKinds[] = {
    {"button", Kind::Button}, {"_html", Kind::Html},     {"_findtxt", Kind::FindTxt},
    {"_text", Kind::Text},    {"_screen", Kind::Screen},
};

class Parser {
public:
    Parser(const QStringList& lines, const BookPaths* paths, StructGrammar grammar)
        : m_lines(lines), m_reader(lines, paths), m_paths(paths), m_grammar(grammar) {}

    StructModel run() {
        readHeader();
        readElements();
        return std::move(m_model);
    }

private:
    bool main() const { return m_grammar == StructGrammar::Main; }

    // Every line against every header key, in table order; a block key reads
    // its values from the following lines without moving the header pass.
    void readHeader() {
        StructModel& m = m_model;
        const qsizetype count = m_lines.size();
        qsizetype lastSoundList = -1;
        qsizetype lastOutline = -1;
        for (qsizetype i = 0; i < count; ++i) {
            const QString& line = m_lines.at(i);
            qsizetype pos;
            if ((pos = line.indexOf(QLatin1String("title"))) >= 0) {
                m.title = cfs::readText(line, pos + 6);
                if (!m.title.isEmpty())
                    m.title[0] = m.title.at(0).toUpper();
            }
            if (main()) {
                if ((pos = line.indexOf(QLatin1String("codec"))) >= 0)
                    m.codec = cfs::readText(line, pos + 6);
                if ((pos = line.indexOf(QLatin1String("rolic"))) >= 0)
                    m.rolic = cfs::readText(line, pos + 6);
                if (line.contains(QLatin1String("helpwin")))
                    m_reader.readKeys(i, {intKey("vw", m.helpwin.vw), intKey("vh", m.helpwin.vh),
                                          pathKey("fn", m.helpwin.fn)});
                if ((pos = line.indexOf(QLatin1String("background"))) >= 0)
                    m.background = cfs::readText(line, pos + 11);
            }
            if ((pos = line.indexOf(QLatin1String("icon"))) >= 0)
                m.icon = cfs::readText(line, pos + 5);
            // A later list replaces an earlier one whole, so only the last
            // line holding the word is read (a list without its bracket
            // would otherwise be read to the end once per such line).
            if (main()) {
                if (line.contains(QLatin1String("bgsounddef")))
                    lastSoundList = i;
                if (line.contains(QLatin1String("vertexmain")))
                    lastOutline = i;
            }
            if (line.contains(QLatin1String("minimize")))
                m_reader.readKeys(i, templateKeys(m.minimize));
            if (line.contains(QLatin1String("close")))
                m_reader.readKeys(i, templateKeys(m.close));
        }
        if (lastSoundList >= 0) {
            qsizetype at = lastSoundList;
            m.bgsounddef = cfs::readList(m_lines, at, m_paths);
        }
        if (lastOutline >= 0) {
            qsizetype at = lastOutline;
            m.vertexmain = cfs::readList(m_lines, at, nullptr);
            at = lastOutline;
            m.outline = cfs::readOutline(m_lines, at);
        }
    }

    // The kind word that starts an element in `line`, first in table order.
    bool kindOf(const QString& line, Kind& kind) const {
        auto test = [&](const auto& table) {
            for (const KindWord& k : table) {
                if (line.contains(QLatin1String(k.word))) {
                    kind = k.kind;
                    return true;
                }
            }
            return false;
        };
        return main() ? test(kMainKinds) : test(kThesaurusKinds);
    }

    // The per-screen record of a 1-based screen number, created on demand;
    // null for numbers that name no screen.
    RScreen* screenOf(int number) {
        if (number < 1 || number > kMaxScreens)
            return nullptr;
        while (m_model.screens.size() < number)
            m_model.screens.append(RScreen());
        return &m_model.screens[number - 1];
    }

    static bool validScreen(int number) { return number >= 1 && number <= kMaxScreens; }

    void readElements() {
        const qsizetype count = m_lines.size();
        qsizetype i = 0;
        while (i < count) {
            const QString& line = m_lines.at(i);
            Kind kind;
            if (!kindOf(line, kind)) {
                ++i;
                continue;
            }
            const int number = cfs::readInt(line, 0);
            const qsizetype last = readElement(kind, i, number);
            // Continue after the line of the element's last key; every path
            // moves forward, so the pass always ends.
            i = qMax(last, i) + 1;
        }
    }

    // An element of one of the program-wide lists: kept, with its 0-based
    // screen, only when the screen number is valid.
    template <class Element>
    qsizetype readListed(qsizetype i, int number, QList<Element>& list, Fields (*keys)(Element&)) {
        Element e;
        e.screen = number - 1;
        const qsizetype last = m_reader.readKeys(i, keys(e));
        if (validScreen(number))
            list.append(e);
        return last;
    }

    // Reads one element whose heading is line `i`; returns the line of its
    // last key (or the number of lines when the text ended first).
    qsizetype readElement(Kind kind, qsizetype i, int number) {
        StructModel& m = m_model;
        switch (kind) {
        case Kind::Button: {
            RBtn b;
            const qsizetype last = main() ? m_reader.readKeys(i, buttonKeys(b), buttonCaptions(b))
                                          : m_reader.readKeys(i, buttonKeys(b));
            if (RScreen* s = screenOf(number))
                s->buttons.append(b);
            return last;
        }
        case Kind::SwitchOne: {
            RSwthOne w;
            const qsizetype last = m_reader.readKeys(i, switchOneKeys(w), switchOneCaptions(w));
            w.on = w.state;
            if (RScreen* s = screenOf(number))
                s->switchone.append(w);
            return last;
        }
        case Kind::SwitchGrp: {
            RSwthGrp w;
            const qsizetype last = m_reader.readKeys(i, switchGrpKeys(w), switchGrpCaptions(w));
            w.on = w.state;
            if (RScreen* s = screenOf(number))
                s->switchgrp.append(w);
            return last;
        }
        case Kind::Html:
            return readListed(i, number, m.html, htmlKeys);
        case Kind::FindTxt:
            return readListed(i, number, m.findtxt, findTxtKeys);
        case Kind::Path:
            return readListed(i, number, m.path, pathElementKeys);
        case Kind::Clip:
            return readListed(i, number, m.clip, clipKeys);
        case Kind::Text:
            return readListed(i, number, m.text, textElementKeys);
        case Kind::Image:
            return readListed(i, number, m.image, imageKeys);
        case Kind::Popup: {
            RPopupData p;
            const qsizetype last = m_reader.readKeys(i, popupKeys(p));
            if (RScreen* s = screenOf(number))
                s->popups.append(p);
            return last;
        }
        case Kind::Screen: {
            const QString& line = m_lines.at(i);
            if (RScreen* s = screenOf(number)) {
                s->picture = cfs::readText(line, line.indexOf(QLatin1String("screen")) + 7);
                s->buttons.append(buttonFromTemplate(m.minimize, QStringLiteral("minimize")));
                s->buttons.append(buttonFromTemplate(m.close, QStringLiteral("exit")));
            }
            return i;
        }
        }
        return i;
    }

    const QStringList& m_lines;
    KeyReader m_reader;
    const BookPaths* m_paths;
    StructGrammar m_grammar;
    StructModel m_model;
};

} // namespace

StructModel parseStruct(const QStringList& lines, const BookPaths* paths, StructGrammar grammar) {
    Parser parser(lines, paths, grammar);
    return parser.run();
}
