// The page text of any bytes, as an HTML page and as a text file, folded and
// not, and a search of it for a text taken from the input's last bytes.
#include "engine/TPageText.h"

#include <QByteArray>
#include <QString>

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QByteArray bytes(reinterpret_cast<const char*>(data), qsizetype(size));
    const qsizetype tail = qMin<qsizetype>(bytes.size(), 12);
    const QString text = QString::fromUtf8(bytes.right(tail));
    TPageText page;
    for (bool fold : {false, true}) {
        page.extract(bytes, QStringLiteral("page.htm"), fold);
        page.contains(TPageText::needle(text, !fold));
    }
    page.extract(bytes, QStringLiteral("notes.txt"), true);
    page.contains(TPageText::needle(text, false));
    TPageText::ofHtml(QString::fromUtf8(bytes));
    return 0;
}
