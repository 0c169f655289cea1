#include "engine/TPageText.h"

#include "engine/HtmlEntities.h"
#include "engine/HtmlMarkup.h"
#include "engine/TPageDecoder.h"
#include "engine/TTextMatcher.h"
#include "platform/Cp1251.h"

#include <QList>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include <algorithm>
#include <array>
#include <cstring>
#include <string_view>
#include <vector>

namespace {

using namespace htmlmarkup;

// The start of a run of plain code page 1251 bytes, sixteen at a time: ASCII
// letters, digits and signs (not '<', '&', controls or white space) and the
// letters А..я (0xC0..0xFF, which map to U+0410..U+044F in order). Stops
// before the first other byte, or where fewer than sixteen bytes are left;
// the scalar loop goes on from there. Writes up to sixteen characters past
// what it keeps (the output has room: it holds the input's size and more).
inline void runCp1251(const char*& s, char16_t*& o, const char* end, bool fold) {
#if defined(__SSE2__)
    const __m128i zero = _mm_setzero_si128();
    const __m128i flip = _mm_set1_epi8(char(0x80));
    while (end - s >= 16) {
        const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(s));
        const __m128i x = _mm_xor_si128(v, flip); // signed view of the bytes
        const __m128i ascii =
            _mm_and_si128(_mm_cmpgt_epi8(x, _mm_set1_epi8(-96)), _mm_cmpgt_epi8(zero, x));
        const __m128i markup = _mm_or_si128(_mm_cmpeq_epi8(v, _mm_set1_epi8('<')),
                                            _mm_cmpeq_epi8(v, _mm_set1_epi8('&')));
        const __m128i letters = _mm_cmpgt_epi8(x, _mm_set1_epi8(63));
        const __m128i ok = _mm_or_si128(_mm_andnot_si128(markup, ascii), letters);
        const unsigned bad = ~unsigned(_mm_movemask_epi8(ok)) & 0xFFFFu;
        const int keep = bad ? __builtin_ctz(bad) : 16;
        if (keep == 0)
            return;
        __m128i halves[2] = {_mm_unpacklo_epi8(v, zero), _mm_unpackhi_epi8(v, zero)};
        for (__m128i& u : halves) {
            if (fold) {
                const __m128i upperAscii = _mm_and_si128(_mm_cmpgt_epi16(u, _mm_set1_epi16(0x40)),
                                                         _mm_cmplt_epi16(u, _mm_set1_epi16(0x5B)));
                const __m128i upperCyr = _mm_and_si128(_mm_cmpgt_epi16(u, _mm_set1_epi16(0xBF)),
                                                       _mm_cmplt_epi16(u, _mm_set1_epi16(0xE0)));
                u = _mm_add_epi16(
                    u, _mm_and_si128(_mm_or_si128(upperAscii, upperCyr), _mm_set1_epi16(0x20)));
            }
            const __m128i cyr = _mm_cmpgt_epi16(u, _mm_set1_epi16(0xBF));
            u = _mm_add_epi16(u, _mm_and_si128(cyr, _mm_set1_epi16(0x350)));
        }
        _mm_storeu_si128(reinterpret_cast<__m128i*>(o), halves[0]);
        _mm_storeu_si128(reinterpret_cast<__m128i*>(o + 8), halves[1]);
        s += keep;
        o += keep;
        if (keep < 16)
            return;
    }
#else
    (void)s;
    (void)o;
    (void)end;
    (void)fold;
#endif
}

struct Tables {
    std::array<char16_t, 256> plain{};
    std::array<char16_t, 256> folded{};
    std::array<bool, 256> plainCp1251{};
    std::array<bool, 256> plainAscii{};
    // [code page 1251][folded]: the character of each plain byte, 0 for the others.
    std::array<char16_t, 256> runs[2][2]{};
};

const Tables& cp1251Tables() {
    static const Tables t = [] {
        Tables x;
        for (int b = 0; b < 256; ++b) {
            const QChar c = cp1251::toUnicode(uchar(b));
            x.plain[size_t(b)] = c.unicode();
            x.folded[size_t(b)] = c.toCaseFolded().unicode();
            const bool special =
                b == '<' || b == '&' || b == 0 || b == 0x0B || b == 0xA0 || isHtmlSpace(uchar(b));
            x.plainCp1251[size_t(b)] = !special;
            x.plainAscii[size_t(b)] = !special && b < 0x80;
            for (int fold = 0; fold < 2; ++fold) {
                const char16_t c = fold ? x.folded[size_t(b)] : x.plain[size_t(b)];
                x.runs[1][fold][size_t(b)] = x.plainCp1251[size_t(b)] ? c : 0;
                x.runs[0][fold][size_t(b)] = x.plainAscii[size_t(b)] ? c : 0;
            }
        }
        return x;
    }();
    return t;
}

bool isSpaceLike(char32_t c) {
    return c == 0xA0 || (c > 0x7F && QChar::isSpace(c)) || c == 0x0B;
}

} // namespace

void TPageText::reserve(qsizetype inputSize) {
    const size_t need = size_t(inputSize) + 16;
    if (m_out.size() < need)
        m_out.resize(need);
    m_len = 0;
    m_inWord = m_ink = m_pending = m_any = false;
    m_wordStart = 0;
}

inline void TPageText::endWord() {
    if (!m_inWord)
        return;
    m_inWord = false;
    if (m_ink) {
        m_any = true;
        m_pending = false;
    } else {
        // A word of spaces alone (non-breaking ones, say) is a space.
        m_len = m_wordStart;
        m_pending = true;
    }
}

inline void TPageText::startWord() {
    m_inWord = true;
    m_ink = false;
    m_wordStart = m_len;
    if (m_any && m_pending)
        m_out[m_len++] = u' ';
}

inline void TPageText::breakWords() {
    endWord();
    m_pending = true;
}

void TPageText::put(char32_t c) {
    if (c < 0x80 && isHtmlSpace(uchar(c))) {
        breakWords();
        return;
    }
    if (c == 0)
        return;
    if (m_len + 4 >= m_out.size())
        m_out.resize(m_out.size() * 2);
    if (!m_inWord)
        startWord();
    if (isSpaceLike(c)) {
        m_out[m_len++] = u' ';
        return;
    }
    m_ink = true;
    if (m_fold)
        c = QChar::toCaseFolded(c);
    if (c > 0xFFFF) {
        m_out[m_len++] = QChar::highSurrogate(c);
        m_out[m_len++] = QChar::lowSurrogate(c);
    } else {
        m_out[m_len++] = char16_t(c);
    }
}

void TPageText::extractPlain(const QString& text) {
    reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        char32_t c = text.at(i).unicode();
        if (QChar::isHighSurrogate(c) && i + 1 < text.size() && text.at(i + 1).isLowSurrogate()) {
            c = QChar::surrogateToUcs4(text.at(i).unicode(), text.at(i + 1).unicode());
            ++i;
        }
        put(c);
    }
    endWord();
}

void TPageText::extract(const QByteArray& bytes, const QString& path, bool fold) {
    m_fold = fold;
    const TPageDecoder::Kind kind = TPageDecoder::kindOf(path);
    if (kind == TPageDecoder::Kind::Picture) {
        reserve(0);
        return;
    }
    if (kind == TPageDecoder::Kind::Text) {
        extractPlain(TPageDecoder::decode(bytes, TPageDecoder::detectCharset(bytes.left(3))));
        return;
    }
    // The charset: a byte-order mark, else a <meta> tag (looked for only
    // when the head holds one), else code page 1251.
    const char* data = bytes.constData();
    const qsizetype size = bytes.size();
    QString charset;
    if (bytes.startsWith("\xEF\xBB\xBF")) {
        extractHtml(data + 3, size - 3, Charset::Utf8);
        return;
    }
    if (!bytes.startsWith("\xFF\xFE") && !bytes.startsWith("\xFE\xFF")) {
        const char* headEnd = data + std::min<qsizetype>(size, 8192);
        bool meta = false;
        for (const char* p = data; !meta && p < headEnd; ++p) {
            p = static_cast<const char*>(std::memchr(p, '<', size_t(headEnd - p)));
            if (!p)
                break;
            meta = startsWithNoCase(p + 1, headEnd, "meta");
        }
        if (!meta) {
            extractHtml(data, size, Charset::Cp1251);
            return;
        }
    }
    charset = TPageDecoder::detectCharset(bytes);
    if (charset == QLatin1String("windows-1251") || charset == QLatin1String("cp1251") ||
        charset == QLatin1String("x-cp1251") || charset == QLatin1String("win-1251")) {
        extractHtml(data, size, Charset::Cp1251);
        return;
    }
    if (charset == QLatin1String("utf-8") || charset == QLatin1String("utf8")) {
        extractHtml(data, size, Charset::Utf8);
        return;
    }
    const QByteArray utf8 = TPageDecoder::decode(bytes, charset).toUtf8();
    extractHtml(utf8.constData(), utf8.size(), Charset::Utf8);
}

void TPageText::extractHtml(const char* data, qsizetype size, Charset charset) {
    reserve(size);
    const Tables& tables = cp1251Tables();
    // Bytes that are one ink character each (for UTF-8 only ASCII ones).
    const auto& plain = charset == Charset::Cp1251 ? tables.plainCp1251 : tables.plainAscii;
    const auto& plainTable = tables.runs[charset == Charset::Cp1251][m_fold];
    const char* p = data;
    const char* const end = data + size;

    // Open elements whose style attribute changed how they part words, and
    // how many elements of the same name were opened inside each since.
    struct Override {
        std::string name;
        bool partsAtEnd;
        int inner;
    };
    std::vector<Override> overrides;
    constexpr size_t kMaxOverrides = 256;

    // The element whose content is not painted, and how deep in it we are.
    std::string hiddenName;
    unsigned hiddenFlags = 0;
    int hiddenDepth = 0;

    // One character of text (its first byte at p); p moves past it.
    auto textChar = [&]() -> char32_t {
        const unsigned char b = uchar(*p);
        if (b < 0x80 || charset == Charset::Cp1251) {
            ++p;
            return b < 0x80 ? char32_t(b) : char32_t(tables.plain[b]);
        }
        int extra = b >= 0xF0 ? 3 : b >= 0xE0 ? 2 : b >= 0xC0 ? 1 : -1;
        char32_t c = b >= 0xF0 ? b & 0x07 : b >= 0xE0 ? b & 0x0F : b & 0x1F;
        if (extra < 0 || end - p <= extra) {
            ++p;
            return 0xFFFD;
        }
        for (int k = 1; k <= extra; ++k) {
            const unsigned char n = uchar(p[k]);
            if ((n & 0xC0) != 0x80) {
                ++p;
                return 0xFFFD;
            }
            c = (c << 6) | (n & 0x3F);
        }
        p += extra + 1;
        return c;
    };
    // Raw text shown as it stands, up to `stop`.
    auto rawText = [&](const char* stop) {
        while (p < stop)
            put(textChar());
    };

    while (p < end) {
        // Text: the common case, a run of plain bytes through the table.
        if (hiddenDepth == 0) {
            const unsigned char b = uchar(*p);
            if (plain[b]) {
                if (!m_inWord)
                    startWord();
                char16_t* o = m_out.data() + m_len;
                const char* s = p;
                // The data ends in a NUL byte (as a QByteArray does), which is
                // no plain byte: the run stops there at the latest.
                char16_t c;
                for (;;) {
                    if (charset == Charset::Cp1251)
                        runCp1251(s, o, end, m_fold);
                    while ((c = plainTable[uchar(*s)]) != 0) {
                        *o++ = c;
                        ++s;
                    }
                    // One white space byte between two words (the common
                    // case): the word ended with ink, the next one starts
                    // after a single space. (s[1] is at most the final NUL.)
                    if (!isHtmlSpace(uchar(*s)) || plainTable[uchar(s[1])] == 0)
                        break;
                    m_any = true;
                    m_wordStart = size_t(o - m_out.data());
                    *o++ = u' ';
                    ++s;
                }
                m_len = size_t(o - m_out.data());
                m_ink = true;
                m_pending = false;
                p = s;
                continue;
            }
            if (isHtmlSpace(b)) {
                breakWords();
                while (++p < end && isHtmlSpace(uchar(*p))) {
                }
                continue;
            }
            if (b != '<' && b != '&') {
                put(textChar());
                continue;
            }
            if (b == '&') {
                char32_t code = 0;
                const int used = htmlentities::decode(p + 1, end - p - 1, code);
                if (used == 0) {
                    put(U'&');
                    ++p;
                } else {
                    put(code);
                    p += 1 + used;
                }
                continue;
            }
        } else if (*p != '<') {
            const char* next = static_cast<const char*>(std::memchr(p, '<', size_t(end - p)));
            p = next ? next : end;
            continue;
        }

        // Markup at p ('<').
        const char* q = p + 1;
        if (q >= end) {
            if (hiddenDepth == 0)
                put(U'<');
            p = end;
            break;
        }
        if (*q == '!') {
            if (startsWithNoCase(q + 1, end, "--")) {
                // A comment: to "-->" (or "--!>"); "<!-->" and "<!--->" are empty ones.
                const char* c = q + 3;
                if (c < end && *c == '>') {
                    p = c + 1;
                    continue;
                }
                if (c + 1 < end && c[0] == '-' && c[1] == '>') {
                    p = c + 2;
                    continue;
                }
                const char* close = end;
                for (const char* s = c; s < end; ++s) {
                    s = static_cast<const char*>(std::memchr(s, '-', size_t(end - s)));
                    if (!s)
                        break;
                    if (s + 2 < end && s[1] == '-' && s[2] == '>') {
                        close = s + 3;
                        break;
                    }
                    if (s + 3 < end && s[1] == '-' && s[2] == '!' && s[3] == '>') {
                        close = s + 4;
                        break;
                    }
                }
                p = close;
                continue;
            }
            const char* gt = static_cast<const char*>(std::memchr(q, '>', size_t(end - q)));
            p = gt ? gt + 1 : end;
            continue;
        }
        if (*q == '?') {
            const char* gt = static_cast<const char*>(std::memchr(q, '>', size_t(end - q)));
            p = gt ? gt + 1 : end;
            continue;
        }
        const bool closing = *q == '/';
        if (closing)
            ++q;
        if (q >= end || !isAsciiLetter(uchar(*q))) {
            if (closing) {
                // "</>" is dropped; "</" before anything else is a comment.
                const char* gt = static_cast<const char*>(std::memchr(q, '>', size_t(end - q)));
                p = gt ? gt + 1 : end;
                continue;
            }
            if (hiddenDepth == 0)
                put(U'<');
            ++p;
            continue;
        }
        // The tag name, lower case (longer names are no element we know).
        char name[16];
        size_t nameLength = 0;
        bool odd = false; // a NUL byte: no element we know
        while (q < end && !isHtmlSpace(uchar(*q)) && *q != '/' && *q != '>') {
            if (nameLength < sizeof(name))
                name[nameLength] = char(lowerAscii(uchar(*q)));
            odd = odd || *q == '\0';
            ++nameLength;
            ++q;
        }
        const std::string_view tagName(name, std::min(nameLength, sizeof(name)));
        const unsigned flags = nameLength <= sizeof(name) && !odd ? flagsOf(tagName) : 0;
        // Attributes, to the closing '>' (quoted values may hold one).
        Display display = Display::Unset;
        bool gapLeft = false, gapRight = false;
        bool hiddenInput = false;
        for (;;) {
            while (q < end && (isHtmlSpace(uchar(*q)) || *q == '/'))
                ++q;
            if (q >= end || *q == '>')
                break;
            const char* attr = q;
            while (q < end && !isHtmlSpace(uchar(*q)) && *q != '/' && *q != '>' &&
                   (*q != '=' || q == attr))
                ++q;
            const std::string_view attrName(attr, size_t(q - attr));
            while (q < end && isHtmlSpace(uchar(*q)))
                ++q;
            std::string_view value;
            if (q < end && *q == '=') {
                ++q;
                while (q < end && isHtmlSpace(uchar(*q)))
                    ++q;
                if (q < end && (*q == '"' || *q == '\'')) {
                    const char quote = *q++;
                    const char* close =
                        static_cast<const char*>(std::memchr(q, quote, size_t(end - q)));
                    const char* stop = close ? close : end;
                    value = std::string_view(q, size_t(stop - q));
                    q = close ? close + 1 : end;
                } else {
                    const char* v = q;
                    while (q < end && !isHtmlSpace(uchar(*q)) && *q != '>')
                        ++q;
                    value = std::string_view(v, size_t(q - v));
                }
            }
            if (closing)
                continue;
            if (attrName.size() == 5 &&
                startsWithNoCase(attrName.data(), attrName.data() + 5, "style")) {
                const Display d = displayOf(value);
                if (d != Display::Unset)
                    display = d;
                sideGaps(value, gapLeft, gapRight);
            } else if (attrName.size() == 4 &&
                       startsWithNoCase(attrName.data(), attrName.data() + 4, "type") &&
                       value.size() == 6 &&
                       startsWithNoCase(value.data(), value.data() + 6, "hidden")) {
                hiddenInput = true;
            }
        }
        if (q >= end) {
            p = end; // an unfinished tag is dropped
            break;
        }
        p = q + 1;

        if (hiddenDepth > 0) {
            // Inside content that is not painted: find where it ends.
            const bool same = tagName == hiddenName;
            bool ends = false;
            if (closing) {
                if (same && --hiddenDepth == 0)
                    ends = true;
                else if ((hiddenFlags & kOption) &&
                         (tagName == "select" || tagName == "datalist" || tagName == "optgroup"))
                    ends = true;
                else if ((hiddenFlags & (kListItem)) && (tagName == "ul" || tagName == "ol"))
                    ends = true;
                else if ((hiddenFlags & (kCell | kRow)) &&
                         (tagName == "table" || (tagName == "tr" && (hiddenFlags & kCell))))
                    ends = true;
                else if ((hiddenFlags & kDefTerm) && tagName == "dl")
                    ends = true;
                if (ends) {
                    hiddenDepth = 0;
                    if (flags & kParts)
                        breakWords();
                }
                continue;
            }
            const bool implied = ((hiddenFlags & kOption) && (flags & kOption)) ||
                                 ((hiddenFlags & kListItem) && (flags & kListItem)) ||
                                 ((hiddenFlags & kCell) && (flags & (kCell | kRow))) ||
                                 ((hiddenFlags & kRow) && (flags & kRow)) ||
                                 ((hiddenFlags & kDefTerm) && (flags & kDefTerm)) ||
                                 ((hiddenFlags & kPara) && (flags & kParts) && !(flags & kVoid) &&
                                  tagName != "nobr");
            if (!implied) {
                if (flags & kRawHidden)
                    p = findEndTag(p, end, tagName);
                else if (flags & (kRawShown | kToEnd))
                    p = (flags & kToEnd) ? end : findEndTag(p, end, tagName);
                else if (same && !(flags & kVoid))
                    ++hiddenDepth;
                continue;
            }
            hiddenDepth = 0; // and the tag starts as below
        }

        if (closing) {
            bool parts = flags & kParts;
            for (auto it = overrides.rbegin(); it != overrides.rend(); ++it) {
                if (it->name != tagName)
                    continue;
                if (it->inner > 0) {
                    --it->inner;
                } else {
                    parts = it->partsAtEnd;
                    overrides.erase(std::next(it).base());
                }
                break;
            }
            if (parts)
                breakWords();
            else
                endWord();
            continue;
        }
        if (display == Display::None || (hiddenInput && tagName == "input")) {
            if (!(flags & kVoid)) {
                hiddenName.assign(tagName);
                hiddenFlags = flags;
                hiddenDepth = 1;
                if (flags & (kRawHidden | kRawShown))
                    p = findEndTag(p, end, tagName);
                endWord();
            }
            continue;
        }
        // The style attribute may change how the element parts words, at its
        // start and at its end tag.
        const bool boxed = display == Display::Box ||
                           (display == Display::Unset && (flags & kParts)) ||
                           ((flags & kVoid) && (flags & kParts));
        if (boxed || gapLeft)
            breakWords();
        else
            endWord();
        if (!(flags & kVoid)) {
            if (display != Display::Unset || gapLeft || gapRight) {
                if (overrides.size() < kMaxOverrides)
                    overrides.push_back({std::string(tagName), boxed || gapRight, 0});
            } else {
                for (auto it = overrides.rbegin(); it != overrides.rend(); ++it) {
                    if (it->name == tagName) {
                        ++it->inner;
                        break;
                    }
                }
            }
        }
        if (flags & kToEnd) {
            rawText(end);
            break;
        }
        if (flags & kRawHidden) {
            p = findEndTag(p, end, tagName);
            continue;
        }
        if (flags & kRawShown) {
            const char* stop = findEndTag(p, end, tagName);
            rawText(stop);
            endWord();
            p = stop;
            continue;
        }
        if ((flags & kHidden) && !(flags & kVoid)) {
            hiddenName.assign(tagName);
            hiddenFlags = flags;
            hiddenDepth = 1;
        }
    }
    endWord();
}

QString TPageText::text() const {
    return QString(reinterpret_cast<const QChar*>(m_out.data()), qsizetype(m_len));
}

std::u16string TPageText::needle(const QString& text, bool matchCase) {
    const QString collapsed = textmatch::collapseSpaces(text);
    std::u16string out;
    out.reserve(size_t(collapsed.size()));
    if (matchCase) {
        out.assign(reinterpret_cast<const char16_t*>(collapsed.utf16()), size_t(collapsed.size()));
        return out;
    }
    const QList<uint> points = collapsed.toUcs4();
    for (char32_t c : points) {
        c = QChar::toCaseFolded(c);
        if (c > 0xFFFF) {
            out.push_back(QChar::highSurrogate(c));
            out.push_back(QChar::lowSurrogate(c));
        } else {
            out.push_back(char16_t(c));
        }
    }
    return out;
}

bool TPageText::contains(const std::u16string& needle) const {
    const size_t n = needle.size();
    if (n == 0 || n > m_len)
        return false;
    // Horspool with shifts kept per low byte of the character (a shift is
    // the smallest of the characters sharing that byte, so it stays safe).
    std::array<size_t, 256> shift;
    shift.fill(n);
    for (size_t i = 0; i + 1 < n; ++i)
        shift[needle[i] & 0xFF] = std::min(shift[needle[i] & 0xFF], n - 1 - i);
    const char16_t* hay = m_out.data();
    const char16_t last = needle[n - 1];
    for (size_t at = 0; at + n <= m_len;) {
        const char16_t c = hay[at + n - 1];
        if (c == last && std::memcmp(hay + at, needle.data(), (n - 1) * sizeof(char16_t)) == 0)
            return true;
        at += shift[c & 0xFF];
    }
    return false;
}

QString TPageText::of(const QByteArray& bytes, const QString& path) {
    TPageText page;
    page.extract(bytes, path, false);
    return page.text();
}

QString TPageText::ofHtml(const QString& html) {
    TPageText page;
    const QByteArray utf8 = html.toUtf8();
    page.m_fold = false;
    page.extractHtml(utf8.constData(), utf8.size(), Charset::Utf8);
    return page.text();
}
