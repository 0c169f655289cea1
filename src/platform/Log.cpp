#include "platform/Log.h"

#include <QtGlobal>

#include <cstdio>

namespace vlog {

void complain(const QString& line) {
    std::fprintf(stderr, "vantrel: %s\n", qPrintable(line));
    std::fflush(stderr);
}

void trace(const QString& what, const QString& text) {
    static const bool on = qEnvironmentVariableIsSet("VANTREL_TRACE");
    if (!on)
        return;
    std::fprintf(stdout, "vantrel: %s %s\n", qPrintable(what), qPrintable(text));
    std::fflush(stdout);
}

} // namespace vlog
