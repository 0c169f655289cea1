#include "engine/HtmlMarkup.h"

#include <QtGlobal>

#include <algorithm>
#include <cstring>
#include <iterator>
#include <vector>

namespace htmlmarkup {

namespace {

struct Tag {
    std::string_view name;
    unsigned flags;
};

// Sorted by name.
constexpr Tag kTags[] = {
    {"address", kParts},
    {"area", kVoid},
    {"base", kVoid},
    {"blockquote", kParts},
    {"body", kParts},
    {"br", kParts | kVoid},
    {"button", kParts | kHidden},
    {"caption", kParts},
    {"center", kParts},
    {"col", kParts | kVoid},
    {"colgroup", kParts},
    {"datalist", kHidden},
    {"dd", kParts | kDefTerm},
    {"dir", kParts},
    {"div", kParts},
    {"dl", kParts},
    {"dt", kParts | kDefTerm},
    {"embed", kVoid},
    {"fieldset", kParts},
    {"form", kParts},
    {"frame", kVoid},
    {"frameset", kHidden},
    {"h1", kParts},
    {"h2", kParts},
    {"h3", kParts},
    {"h4", kParts},
    {"h5", kParts},
    {"h6", kParts},
    {"hr", kParts | kVoid},
    {"html", kParts},
    {"iframe", kRawShown},
    {"img", kParts | kVoid},
    {"input", kParts | kVoid},
    {"li", kParts | kListItem},
    {"link", kVoid},
    {"listing", kParts},
    {"map", kHidden},
    {"menu", kParts},
    {"meta", kVoid},
    {"nobr", kParts},
    {"noembed", kRawShown},
    {"noframes", kRawHidden},
    {"noscript", kHidden},
    {"ol", kParts},
    {"optgroup", kHidden | kOption},
    {"option", kHidden | kOption},
    {"p", kParts | kPara},
    {"param", kVoid},
    {"plaintext", kParts | kToEnd},
    {"pre", kParts},
    {"script", kRawHidden},
    {"select", kParts | kHidden},
    {"source", kVoid},
    {"style", kRawHidden},
    {"table", kParts},
    {"tbody", kParts},
    {"td", kParts | kCell},
    {"template", kHidden},
    {"textarea", kParts | kRawHidden},
    {"tfoot", kParts},
    {"th", kParts | kCell},
    {"thead", kParts},
    {"title", kRawHidden},
    {"tr", kParts | kRow},
    {"track", kVoid},
    {"ul", kParts},
    {"wbr", kVoid},
    {"xmp", kParts | kRawShown},
};

// A tag name of up to 16 letters as two numbers, for a lookup by integer
// comparison (names are short and a page has thousands of tags).
struct NameKey {
    quint64 high = 0, low = 0;
    bool operator<(const NameKey& o) const {
        return high < o.high || (high == o.high && low < o.low);
    }
    bool operator==(const NameKey& o) const { return high == o.high && low == o.low; }
};

NameKey keyOf(std::string_view name) {
    char bytes[16] = {};
    std::memcpy(bytes, name.data(), std::min<size_t>(name.size(), 16));
    NameKey key;
    for (int i = 0; i < 8; ++i) {
        key.high = key.high << 8 | uchar(bytes[i]);
        key.low = key.low << 8 | uchar(bytes[i + 8]);
    }
    return key;
}

// A length wider than the gap the word index overlooks.
bool wideLength(std::string_view v) {
    size_t i = 0;
    while (i < v.size() && isHtmlSpace(uchar(v[i])))
        ++i;
    double number = 0, scale = 0;
    bool digits = false;
    for (; i < v.size(); ++i) {
        const char c = v[i];
        if (c >= '0' && c <= '9') {
            digits = true;
            if (scale > 0) {
                number += (c - '0') * scale;
                scale /= 10;
            } else {
                number = number * 10 + (c - '0');
            }
        } else if (c == '.' && scale == 0) {
            scale = 0.1;
        } else {
            break;
        }
    }
    if (!digits)
        return false;
    const bool px = i >= v.size() || startsWithNoCase(v.data() + i, v.data() + v.size(), "px");
    return px ? number > 2 : number > 0.15;
}

} // namespace

unsigned flagsOf(std::string_view name) {
    struct Keyed {
        NameKey key;
        unsigned flags;
    };
    static const std::vector<Keyed> table = [] {
        std::vector<Keyed> t;
        for (const Tag& tag : kTags)
            t.push_back({keyOf(tag.name), tag.flags});
        std::sort(t.begin(), t.end(), [](const Keyed& a, const Keyed& b) { return a.key < b.key; });
        return t;
    }();
    const NameKey key = keyOf(name);
    const auto it = std::lower_bound(table.begin(), table.end(), key,
                                     [](const Keyed& k, const NameKey& n) { return k.key < n; });
    return it != table.end() && it->key == key ? it->flags : 0;
}

const char* findEndTag(const char* p, const char* end, std::string_view name) {
    for (;;) {
        p = static_cast<const char*>(std::memchr(p, '<', size_t(end - p)));
        if (!p)
            return end;
        if (p + 1 < end && p[1] == '/' && startsWithNoCase(p + 2, end, name)) {
            const char* after = p + 2 + name.size();
            if (after == end || isHtmlSpace(uchar(*after)) || *after == '/' || *after == '>')
                return p;
        }
        ++p;
    }
}

Display displayOf(std::string_view style) {
    Display result = Display::Unset;
    size_t at = 0;
    for (;;) {
        size_t found = std::string_view::npos;
        for (size_t i = at; i + 7 <= style.size(); ++i) {
            if (startsWithNoCase(style.data() + i, style.data() + style.size(), "display")) {
                found = i;
                break;
            }
        }
        if (found == std::string_view::npos)
            return result;
        size_t i = found + 7;
        while (i < style.size() && isHtmlSpace(uchar(style[i])))
            ++i;
        at = i;
        if (i >= style.size() || style[i] != ':')
            continue;
        ++i;
        while (i < style.size() && isHtmlSpace(uchar(style[i])))
            ++i;
        const char* v = style.data() + i;
        const char* e = style.data() + style.size();
        if (startsWithNoCase(v, e, "none"))
            result = Display::None;
        else if (startsWithNoCase(v, e, "inline-") || !startsWithNoCase(v, e, "inline"))
            result = Display::Box;
        else
            result = Display::Inline;
        at = i;
    }
}

void sideGaps(std::string_view style, bool& left, bool& right) {
    size_t at = 0;
    while (at < style.size()) {
        size_t stop = style.find(';', at);
        if (stop == std::string_view::npos)
            stop = style.size();
        std::string_view decl = style.substr(at, stop - at);
        at = stop + 1;
        const size_t colon = decl.find(':');
        if (colon == std::string_view::npos)
            continue;
        std::string_view name = decl.substr(0, colon);
        while (!name.empty() && isHtmlSpace(uchar(name.front())))
            name.remove_prefix(1);
        while (!name.empty() && isHtmlSpace(uchar(name.back())))
            name.remove_suffix(1);
        const std::string_view value = decl.substr(colon + 1);
        auto is = [&](std::string_view n) {
            return name.size() == n.size() &&
                   startsWithNoCase(name.data(), name.data() + name.size(), n);
        };
        if (is("margin-left") || is("padding-left")) {
            left = left || wideLength(value);
        } else if (is("margin-right") || is("padding-right")) {
            right = right || wideLength(value);
        } else if (is("margin") || is("padding")) {
            // One to four lengths: top, right, bottom, left.
            std::string_view parts[4];
            int count = 0;
            size_t k = 0;
            while (k < value.size() && count < 4) {
                while (k < value.size() && isHtmlSpace(uchar(value[k])))
                    ++k;
                const size_t from = k;
                while (k < value.size() && !isHtmlSpace(uchar(value[k])))
                    ++k;
                if (k > from)
                    parts[count++] = value.substr(from, k - from);
            }
            if (count == 0)
                continue;
            const std::string_view r = count >= 2 ? parts[1] : parts[0];
            const std::string_view l = count == 4 ? parts[3] : r;
            right = right || wideLength(r);
            left = left || wideLength(l);
        }
    }
}

bool containsNoCase(QStringView text, std::string_view word) {
    if (word.empty())
        return true;
    const qsizetype n = qsizetype(word.size());
    const char16_t first = char16_t(uchar(word[0]));
    // A letter matches in either case: its bit 0x20 is the case.
    const char16_t fold = isAsciiLetter(uchar(word[0])) ? 0x20 : 0;
    const char16_t* d = text.utf16();
    for (qsizetype i = 0, last = text.size() - n; i <= last; ++i) {
        if ((d[i] | fold) != first)
            continue;
        qsizetype k = 1;
        while (k < n && d[i + k] < 128 && lowerAscii(uchar(d[i + k])) == uchar(word[size_t(k)]))
            ++k;
        if (k == n)
            return true;
    }
    return false;
}

} // namespace htmlmarkup
