#include "dialogs/PreviewMath.h"

#include "engine/TMetaFilePrinter.h"

#include <QtMath>

#include <algorithm>
#include <cmath>

namespace previewmath {

namespace {
constexpr double kMarginInches = 0.7874015748031496; // 2 cm

int nearest(double v) {
    return int(std::lround(v));
}
} // namespace

QSize usableSize(const TMetaFilePrinter& printer, double scale, double screenPpi) {
    const int rx = std::max(1, nearest(scale * printer.ppiX()));
    const int ry = std::max(1, nearest(scale * printer.ppiY()));
    const int mx = int(rx * kMarginInches);
    const int my = int(ry * kMarginInches);
    // A printable area reaching past the physical sheet counts as the sheet.
    const int paperW = std::max(printer.paperWidth(), printer.printableWidth() + printer.offsetX());
    const int paperH =
        std::max(printer.paperHeight(), printer.printableHeight() + printer.offsetY());
    return QSize(nearest(double(paperW - 2 * mx) * screenPpi / rx),
                 nearest(double(paperH - 2 * my) * screenPpi / ry));
}

double fitPicture(TMetaFilePrinter& printer, int w, int h, double screenPpi) {
    if (w <= 0 || h <= 0)
        return 1;
    using O = TMetaFilePrinter::Orientation;
    double scale = 1;
    QSize u = usableSize(printer, 1, screenPpi);
    auto at = [&](double s) { u = usableSize(printer, s, screenPpi); };
    if (printer.orientation() == O::Landscape) {
        if (w > h) {
            if (w > u.width()) {
                scale = double(u.width()) / w;
                at(scale);
            }
            if (h > u.height()) {
                at(1);
                scale = double(u.height()) / h;
            }
        } else {
            if (h <= u.height())
                return scale;
            printer.setOrientation(O::Portrait);
            at(1);
            if (h > u.height()) {
                scale = double(u.height()) / h;
                at(scale);
            }
            if (w > u.width()) {
                at(1);
                scale = double(u.width()) / w;
            }
        }
    } else {
        if (w > h) {
            if (w > u.width()) {
                printer.setOrientation(O::Landscape);
                at(1);
                scale = double(u.width()) / w;
                at(scale);
            }
            if (h > u.height()) {
                at(1);
                scale = double(u.height()) / h;
            }
        } else {
            if (h <= u.height())
                return scale;
            at(1);
            if (h > u.height()) {
                scale = double(u.height()) / h;
                at(scale);
            }
            if (w > u.width()) {
                at(1);
                scale = double(u.width()) / w;
            }
        }
    }
    return scale;
}

double zoomFor(int entry, QSize client, QSizeF paperInches, double screenPpi, double stored) {
    const double pw = std::max(1e-6, screenPpi * paperInches.width());
    const double ph = std::max(1e-6, screenPpi * paperInches.height());
    static constexpr double kFixed[] = {0.25, 0.5, 0.75, 1, 1.25, 1.5, 2, 3, 4};
    switch (entry) {
    case FitPage:
        return std::min((client.height() - 20) / ph, (client.width() - 20) / pw);
    case FitWidth:
        return (client.width() - 20) / pw;
    case Manual:
        return stored;
    default:
        if (entry >= 3 && entry < kZoomEntries)
            return kFixed[entry - 3];
        return 1;
    }
}

double printZoomStep(double zoom, bool in) {
    if (in)
        return zoom < 3 ? zoom * 1.1 : zoom;
    return zoom > 0.05 ? zoom / 1.1 : zoom;
}

double viewZoomStep(double zoom, bool in) {
    if (in && zoom < 20)
        zoom *= 1.25;
    if (!in && zoom > 0.1)
        zoom /= 1.25;
    return zoom;
}

} // namespace previewmath
