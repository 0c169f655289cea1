#include "data/StructParser.h"

#include "data/BookPaths.h"
#include "data/KeyReader.h"
#include "data/StringUtils.h"

namespace {

using namespace desckeys;

// Screens are numbered from 1 in a description. Numbers outside 1..kMaxScreens
// would make the per-screen lists absurdly long (or index below 0), so such
// elements are read over and dropped.
constexpr int kMaxScreens = 1000;

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
    Fields f{textKey("textcaptionup", s.textcaptionup),
             textKey("textcaptiondn", s.textcaptiondn),
             intKey("texttxup", s.texttxup),
             intKey("texttyup", s.texttyup),
             intKey("textbxup", s.textbxup),
             intKey("textbyup", s.textbyup),
             intKey("texttxdn", s.texttxdn),
             intKey("texttydn", s.texttydn),
             intKey("textbxdn", s.textbxdn),
             intKey("textbydn", s.textbydn)};
    Fields font = switchCaptionFontKeys(s);
    f.insert(f.end(), std::make_move_iterator(font.begin()), std::make_move_iterator(font.end()));
    return f;
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
            const int number = desckeys::boundedValue(cfs::readInt(line, 0));
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
