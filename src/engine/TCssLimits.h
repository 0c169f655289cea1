#pragma once

#include <QByteArray>

// Style sheets as the engine may take them: a selector longer than
// maxSelectorLength characters or of more than maxCompounds compound parts is
// dropped (a rule that loses all its selectors goes with them), and blocks
// nested deeper than maxNesting are emptied. Sheets within the limits come
// back unchanged.
class TCssLimits {
public:
    static constexpr int maxSelectorLength = 1024;
    static constexpr int maxCompounds = 64;
    static constexpr int maxNesting = 16;

    // `dropped` counts the selectors and blocks removed.
    static QByteArray apply(const QByteArray& css, int* dropped = nullptr);
    static bool selectorAllowed(const QByteArray& selector);
};
