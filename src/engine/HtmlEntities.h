#pragma once

#include <QtGlobal>

// Character references of HTML pages as the page parser decodes them: the
// named references of HTML 4 (plus apos and the upper-case legacy names),
// those of Latin-1 also without their semicolon, and numeric references with
// the replacements the parser makes (0x80..0x9F read as windows-1252, zero,
// surrogates and values past U+10FFFF as U+FFFD).
namespace htmlentities {

// Decodes the reference that starts after the '&' at `text` (at most `size`
// bytes). Returns the number of bytes consumed after the '&' (0: no
// reference, the '&' is plain text) and the code point in `code`.
int decode(const char* text, qsizetype size, char32_t& code);

} // namespace htmlentities
