#pragma once

#include <QStringView>
#include <QtGlobal>

#include <string_view>

// The markup rules the book search's page text needs: what each element
// means for the text the engine's find sees (from the engine's default style
// sheet and element classes), the display and the horizontal gaps a style
// attribute gives, and the small byte tests of the page scanner.
namespace htmlmarkup {

// What an element means for the text. Taken from the engine's default style
// sheet and element classes: block and inline-block boxes, line breaks,
// pictures and form controls part words; what is not displayed adds nothing.
enum Flag : unsigned {
    kParts = 1,     // parts the words before and after it
    kHidden = 2,    // its content is not painted (to its end tag)
    kRawHidden = 4, // raw text, not painted (script, style, title...)
    kRawShown = 8,  // raw text shown as it stands (xmp, iframe...)
    kVoid = 16,     // no content, no end tag
    kToEnd = 32,    // raw text to the end of the page (plaintext)
    kListItem = 64, // implied end: a following li
    kCell = 128,    // implied end: a following td, th or tr
    kOption = 256,  // implied end: a following option or optgroup
    kDefTerm = 512, // implied end: a following dd or dt
    kPara = 1024,   // implied end: any following block
    kRow = 2048,    // implied end: a following tr
};

// The flags of a lower-case tag name (0: an inline element with no rule).
unsigned flagsOf(std::string_view name);

// The style attribute's last display value: none, or one that makes a box.
enum class Display { Unset, None, Box, Inline };
Display displayOf(std::string_view style);

// Whether inline margins or padding of a style attribute put the element's
// words apart from its neighbours' on the left and on the right (a gap wider
// than the two pixels within which the engine's word index joins two pieces).
void sideGaps(std::string_view style, bool& left, bool& right);

// The end tag "</name" followed by white space, "/" or ">" at or after `p`;
// `end` when there is none.
const char* findEndTag(const char* p, const char* end, std::string_view name);

inline bool isHtmlSpace(unsigned char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f';
}
inline bool isAsciiLetter(unsigned char c) {
    return (c | 0x20) >= 'a' && (c | 0x20) <= 'z';
}
inline unsigned char lowerAscii(unsigned char c) {
    return c >= 'A' && c <= 'Z' ? c + 32 : c;
}
// Does `p` start with `word` (lower-case ASCII), letter case ignored?
inline bool startsWithNoCase(const char* p, const char* end, std::string_view word) {
    if (end - p < qsizetype(word.size()))
        return false;
    for (size_t i = 0; i < word.size(); ++i)
        if (lowerAscii(uchar(p[i])) != uchar(word[i]))
            return false;
    return true;
}

// Whether `text` holds `word` (lower-case ASCII), ASCII letter case ignored.
// The quick test before a mend of the whole page: about a fifth of the work
// of QString::contains(..., Qt::CaseInsensitive), which folds every
// character by Unicode's tables.
bool containsNoCase(QStringView text, std::string_view word);

} // namespace htmlmarkup
