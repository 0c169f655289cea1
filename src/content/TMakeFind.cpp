#include "content/TMakeFind.h"

TMakeFind::TMakeFind(const ContentArchive& archive) : m_archive(archive) {}

void TMakeFind::SetFolder(const QString& path) {
    m_folder = path.endsWith(QLatin1Char('\\')) ? path.chopped(1) : path;
}

bool TMakeFind::IndexSearch(const QString&, QStringList&, QStringList&, bool) {
    return false;
}
