#include "reader/LinkRules.h"

#include "engine/TLinkPath.h"

#include <QStringList>

namespace linkrules {

namespace {

bool hasDrive(const QString& path) {
    return path.size() >= 2 && path[1] == QLatin1Char(':') && path[0].isLetter() &&
           path[0].unicode() < 128;
}

} // namespace

bool isViewable(const QString& ext) {
    static const QStringList shown = {".htm", ".txt", ".inf", ".diz",
                                      ".bmp", ".gif", ".jpg", ".jpeg"};
    for (const QString& s : shown)
        if (ext.contains(s, Qt::CaseInsensitive))
            return true;
    return false;
}

QString copyArgument(const QString& url) {
    return url.mid(5);
}

QString printArgument(const QString& url) {
    QString out = url;
    const int at = int(out.indexOf(QLatin1String("printhtml:"), 0, Qt::CaseInsensitive));
    if (at >= 0)
        out.remove(at, 10);
    return out;
}

QString copyListArgument(const QString& url) {
    return url.mid(9);
}

QString onDiscRoot(const QString& full, const QString& discRoot) {
    if (!hasDrive(full) || !hasDrive(discRoot))
        return full;
    const QString drive = full.left(2).toLower() + QLatin1Char('\\');
    if (drive == discRoot.left(3).toLower())
        return full;
    // The disc root ends with its backslash; the path after the drive starts
    // with one.
    QString rest = full.mid(2);
    if (rest.startsWith(QLatin1Char('\\')) || rest.startsWith(QLatin1Char('/')))
        rest.remove(0, 1);
    QString root = discRoot;
    if (!root.endsWith(QLatin1Char('\\')))
        root += QLatin1Char('\\');
    return root + rest;
}

Decision decide(const Facts& f) {
    const QString url = f.url.toLower();
    const bool anchorOnly = url.startsWith(QLatin1Char('#'));
    Decision d;
    auto handled = [&](Action a) {
        d.action = a;
        d.paneFollows = false;
        return d;
    };
    if (f.target.compare(QLatin1String("_blank"), Qt::CaseInsensitive) == 0)
        return handled(Action::EnlargedPicture);
    if (url.contains(QLatin1String("http:")) || url.contains(QLatin1String("mailto:")))
        return handled(Action::Web);
    if (url.contains(QLatin1String("printhtml:")))
        return handled(Action::PrintPage);
    if (url.contains(QLatin1String("copy:")))
        return handled(Action::Copy);
    if (url.contains(QLatin1String("copylist:")))
        return handled(Action::CopyList);
    if (f.archiveView && !f.exists && !anchorOnly)
        d.extractFirst = true;
    if (!isViewable(f.ext) && !anchorOnly)
        return handled(Action::External);
    if (f.archiveView &&
        !linkpath::fileNameOf(f.full).contains(QLatin1String("as_"), Qt::CaseInsensitive) &&
        !anchorOnly)
        return handled(Action::ArchiveNavigate);
    if (!f.archiveView && f.ext.startsWith(QLatin1String(".htm"), Qt::CaseInsensitive)) {
        d.action = Action::TreeSelect;
        return d;
    }
    d.action = Action::Nothing;
    return d;
}

} // namespace linkrules
