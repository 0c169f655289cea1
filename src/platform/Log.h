#pragma once

#include <QString>

// The program's own lines on its standard streams.
namespace vlog {

// One line on stderr: "vantrel: " + line (damage, refusals, failures).
void complain(const QString& line);
// With VANTREL_TRACE set, "vantrel: " + what + " " + text on stdout: what
// the end-to-end tests follow (pages, links, favourites, messages).
void trace(const QString& what, const QString& text);

} // namespace vlog
