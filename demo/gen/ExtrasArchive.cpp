#include "ExtrasArchive.h"

#include "PageSet.h"

#include "content/RarWriter.h"

#include <QDateTime>

namespace extrasarchive {

QByteArray build() {
    const QDateTime when(QDate(2004, 3, 15), QTime(10, 30, 0));
    auto entry = [&when](const QString& name, const QByteArray& data, bool folder = false) {
        RarWriter::Entry e;
        e.name = name;
        e.data = data;
        e.folder = folder;
        e.time = when;
        return e;
    };
    RarWriter w;
    w.add(entry(QStringLiteral("doc"), {}, true));
    w.add(entry(QStringLiteral("doc/pages"), {}, true));
    w.add(entry(QStringLiteral("doc/pages/wiring.htm"),
                PageSet::toCp1251Text(QStringLiteral(
                    "<html><head><meta http-equiv=\"Content-Type\" content=\"text/html; "
                    "charset=windows-1251\"><title>Проводка фар</title></head><body>\n"
                    "<h1>Проводка фар</h1>\n<p>Провод питания ближнего света — жёлтый, "
                    "дальнего — зелёный, масса — коричневый.</p>\n</body></html>\n"))));
    w.add(entry(QStringLiteral("doc/Заметки.txt"),
                PageSet::toCp1251Text(
                    QStringLiteral("Заметки механика\r\nМоменты затяжки — на странице 17.\r\n"))));
    w.add(entry(QStringLiteral("readme_first.txt"),
                PageSet::toCp1251Text(QStringLiteral(
                    "Материалы к руководству Vantrel\r\nПапка doc: схемы и заметки.\r\n"))));
    return w.archive();
}

} // namespace extrasarchive
