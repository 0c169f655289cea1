#pragma once

#include <QString>

// Chooses the font family for a CSS font-family list as a browser does: each
// family of the list in turn, taken when this machine has it or has a
// metric-compatible substitute for it (Arial: Liberation Sans, Times New
// Roman: Liberation Serif, Courier New: Liberation Mono); the generic
// families stand for Arial, Times New Roman and Courier New. A family the
// machine has only a look-alike of is passed over, so "Trebuchet MS, Verdana,
// Arial" renders as Arial does here. When nothing of the list is there the
// fallback family is used.
class TFontResolver {
public:
    static QString resolve(const QString& list, const QString& fallback);
    // One family name (no quotes): the installed family to draw it with, or
    // an empty string.
    static QString installed(const QString& family);
    // Forgets what was resolved (after fonts were added to the program).
    static void forget();
};
