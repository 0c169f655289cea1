#pragma once

#include <QByteArray>

// The book's RAR archive of extra material (files/extras.rar): a short text
// at the top, and a folder with a page, a note named in Russian and a folder
// of its own inside.
namespace extrasarchive {

QByteArray build();

} // namespace extrasarchive
