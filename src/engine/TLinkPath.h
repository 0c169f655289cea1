#pragma once

#include <QString>

// Link texts of book pages and the paths they name. Paths keep the separator
// style of the page they start from (path texts use backslashes; native POSIX
// paths slashes); both separators are accepted everywhere.
namespace linkpath {

// True for "http:", "mailto:", "copy:" ... (a scheme of two letters or more;
// "c:" is a drive, not a scheme). "file:" counts as no scheme.
bool hasScheme(const QString& link);
QString scheme(const QString& link);
bool isAbsolute(const QString& path);
// The folder part of a file path, with its trailing separator.
QString folderOf(const QString& path);
QString fileNameOf(const QString& path);
// Lower-cased extension with its dot ("" when none); the anchor is ignored.
QString extensionOf(const QString& path);
// Splits "page.htm#part" into "page.htm" and "part".
QString withoutAnchor(const QString& link);
QString anchorOf(const QString& link);
// Expands a link found in the page `base` into a full path: anchors stay,
// "%20" escapes are decoded, "." and ".." folded. A link with a scheme comes
// back unchanged; a bare "#x" gives base + "#x".
QString expand(const QString& base, const QString& link);
// Same path regardless of separators and letter case.
bool samePath(const QString& a, const QString& b);

} // namespace linkpath
