#pragma once

#include <QImage>

// The cross-fade arithmetic of the skinned windows: for a weight a in 0..255
// every 8-bit channel of the output is from + ((to - from) * a >> 8), the
// shift arithmetic (floored also for negative differences).
namespace effect {

// Blends `from` towards `to` into `out`. `out` takes the size of `from` (it is
// reallocated only when its size or format differs); where `to` does not cover
// `from`, the from-picture shows. Weights outside 0..255 are clamped.
void blend(const QImage& from, const QImage& to, int weight, QImage& out);

// One channel, as the rule above (exposed for the tests).
inline int blendChannel(int from, int to, int weight) {
    return from + (((to - from) * weight) >> 8);
}

} // namespace effect
