#pragma once

#include <QList>
#include <QPicture>
#include <QVector>

#include <functional>
#include <memory>

class QPrinter;

// The page printer: one recorded picture per formatted page, the printer's
// metrics, paper orientation and the print-page-numbers flag. Pages are
// recorded in the picture's own resolution, so drawing a page on any device
// (preview or printer) scales it to that device.
class TMetaFilePrinter {
public:
    enum class Orientation { Portrait, Landscape };

    // Uses `printer` for metrics and printing (not owned); without one a PDF
    // printer of its own is made (so formatting works with no printer).
    explicit TMetaFilePrinter(QPrinter* printer = nullptr);
    ~TMetaFilePrinter();

    QPrinter* printer() const { return m_printer; }
    // Applies the orientation to the printer and reads its resolution, paper
    // size, offsets and printable size, in printer pixels. False when the
    // printer gives nothing usable: then A4 at 300 pixels per inch is assumed.
    bool refreshMetrics();

    Orientation orientation() const { return m_orientation; }
    void setOrientation(Orientation o);
    bool printPageNumbers() const { return m_printPageNumbers; }
    void setPrintPageNumbers(bool on) { m_printPageNumbers = on; }

    int ppiX() const { return m_ppiX; }
    int ppiY() const { return m_ppiY; }
    int paperWidth() const { return m_paperWidth; }
    int paperHeight() const { return m_paperHeight; }
    int offsetX() const { return m_offsetX; }
    int offsetY() const { return m_offsetY; }
    int printableWidth() const { return m_printableWidth; }
    int printableHeight() const { return m_printableHeight; }

    // Draws page n (0-based) into a new picture.
    using Recorder = std::function<QPicture(int n)>;
    // The formatted pages as one value: kept aside and put back, they are
    // the same pages (recorded ones are not recorded again).
    struct RPageSet;
    using Pages = std::shared_ptr<RPageSet>;

    void clear();
    int pageCount() const;
    // The recorded picture of page n; a page given by a recorder is
    // recorded on first use.
    const QPicture& page(int n) const;
    void addPage(const QPicture& page, int documentTop);
    // Pages whose breaks are known and whose pictures `record` draws when
    // they are first asked for.
    void setPages(const QVector<int>& tops, Recorder record);
    // Top of each page in document coordinates (the page breaks).
    const QVector<int>& pageTops() const;
    Pages pages() const { return m_set; }
    void setPages(Pages pages);

private:
    QPrinter* m_printer;
    std::unique_ptr<QPrinter> m_own;
    Orientation m_orientation = Orientation::Portrait;
    bool m_printPageNumbers = true;
    int m_ppiX = 300, m_ppiY = 300;
    int m_paperWidth = 2479, m_paperHeight = 3508;
    int m_offsetX = 75, m_offsetY = 91;
    int m_printableWidth = 2333, m_printableHeight = 3321;
    Pages m_set;
};
