#pragma once

#include "data/BookPaths.h"
#include "data/StringUtils.h"
#include "data/StructModel.h"

#include <QStringList>

#include <iterator>
#include <map>
#include <string_view>
#include <vector>

// The key reading that every block of an interface description shares: a
// table of keys read in a fixed order, each found by plain substring search
// in the current line (also inside values), its value converted by its form.
// Positions are 0-based.
namespace desckeys {

// Numbers of descriptions are coordinates, sizes, screen and element
// numbers: a window system takes nothing beyond 16 bits, so larger values
// are clamped before any arithmetic can overflow on them.
constexpr int kMaxValue = 32767;
inline int boundedValue(int v) {
    return v < -kMaxValue ? -kMaxValue : v > kMaxValue ? kMaxValue : v;
}

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

inline Field intKey(const char* key, int& f) {
    return {key, Form::Int, &f};
}
inline Field colorKey(const char* key, int& f) {
    return {key, Form::Color, &f};
}
inline Field styleKey(const char* key, int& f) {
    return {key, Form::Style, &f};
}
inline Field popupTypeKey(const char* key, int& f) {
    return {key, Form::PopupType, &f};
}
inline Field textKey(const char* key, QString& f) {
    return {key, Form::Text, nullptr, &f};
}
inline Field pathKey(const char* key, QString& f) {
    return {key, Form::Path, nullptr, &f};
}
inline Field dirKey(const char* key, QString& f) {
    return {key, Form::Dir, nullptr, &f};
}
inline Field switchKey(const char* key, bool& f) {
    return {key, Form::Switch, nullptr, nullptr, &f};
}
inline Field listKey(const char* key, QStringList& f) {
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
            *field.i = boundedValue(cfs::readInt(line, pos));
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
        return boundedValue(cfs::readInt(line, keyPos));
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

// The keys of a group switch and its caption keys (the main description and
// the dialog description share them).
inline Fields switchGrpKeys(RSwthGrp& s) {
    return {intKey("vx", s.vx),          intKey("vy", s.vy),          textKey("fn1", s.fn1),
            textKey("fn2", s.fn2),       textKey("fn3", s.fn3),       textKey("fn4", s.fn4),
            switchKey("state", s.state), switchKey("store", s.store), intKey("group", s.group),
            pathKey("go", s.go),         textKey("hint", s.hint),     textKey("wav", s.wav)};
}

// The caption font keys a switch-one and a group switch share: font name and
// size, then a style and a colour for each of the four states.
template <class Switch> Fields switchCaptionFontKeys(Switch& s) {
    return {textKey("textfontname", s.textfontname),
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

inline Fields switchGrpCaptions(RSwthGrp& s) {
    Fields f{textKey("textcaptionup", s.textcaptionup),
             textKey("textcaptiondn", s.textcaptiondn),
             intKey("texttx", s.texttx),
             intKey("textty", s.textty),
             intKey("textbx", s.textbx),
             intKey("textby", s.textby)};
    Fields font = switchCaptionFontKeys(s);
    f.insert(f.end(), std::make_move_iterator(font.begin()), std::make_move_iterator(font.end()));
    return f;
}

} // namespace desckeys
