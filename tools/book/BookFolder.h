#pragma once

#include "content/ContentArchive.h"
#include "data/BookPaths.h"

#include <QString>

// A book folder opened as the reader opens it: its paths (made current, so
// path texts anchor at its root), then its interface.dat when there is one.
// A folder that does not exist throws ToolError; a damaged interface.dat is
// named on stderr and the book's loose files still count.
class BookFolder {
public:
    explicit BookFolder(const QString& dir);

    const BookPaths& paths() const { return m_paths; }
    const ContentArchive& archive() const { return m_archive; }

private:
    BookPaths m_paths;
    ContentArchive m_archive;
};
