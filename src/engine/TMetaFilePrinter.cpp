#include "engine/TMetaFilePrinter.h"

#include <QPageLayout>
#include <QPrinter>

struct TMetaFilePrinter::RPageSet {
    QVector<int> tops;
    QList<QPicture> pictures;
    QVector<bool> recorded;
    Recorder record;
};

TMetaFilePrinter::TMetaFilePrinter(QPrinter* printer)
    : m_printer(printer), m_set(std::make_shared<RPageSet>()) {
    if (!m_printer) {
        m_own = std::make_unique<QPrinter>(QPrinter::HighResolution);
        m_own->setOutputFormat(QPrinter::PdfFormat);
        m_own->setResolution(300);
        m_own->setPageSize(QPageSize(QPageSize::A4));
        m_printer = m_own.get();
    }
    refreshMetrics();
}

TMetaFilePrinter::~TMetaFilePrinter() = default;

void TMetaFilePrinter::setOrientation(Orientation o) {
    m_orientation = o;
    refreshMetrics();
}

bool TMetaFilePrinter::refreshMetrics() {
    bool landscape = m_orientation == Orientation::Landscape;
    auto fallback = [&] {
        m_ppiX = m_ppiY = 300;
        if (landscape) {
            m_paperWidth = 3508, m_paperHeight = 2479;
            m_offsetX = 95, m_offsetY = 75;
            m_printableWidth = 3321, m_printableHeight = 2333;
        } else {
            m_paperWidth = 2479, m_paperHeight = 3508;
            m_offsetX = 75, m_offsetY = 91;
            m_printableWidth = 2333, m_printableHeight = 3321;
        }
    };
    if (!m_printer || !m_printer->isValid()) {
        fallback();
        return false;
    }
    m_printer->setPageOrientation(landscape ? QPageLayout::Landscape : QPageLayout::Portrait);
    m_printer->setFullPage(true);
    int res = m_printer->resolution();
    QRect paper = m_printer->pageLayout().fullRectPixels(res);
    QRect printable = m_printer->pageLayout().paintRectPixels(res);
    if (res <= 0 || paper.width() <= 0 || paper.height() <= 0) {
        fallback();
        return false;
    }
    m_ppiX = m_ppiY = res;
    m_paperWidth = paper.width();
    m_paperHeight = paper.height();
    m_offsetX = printable.left();
    m_offsetY = printable.top();
    m_printableWidth = printable.width() > 0 ? printable.width() : paper.width();
    m_printableHeight = printable.height() > 0 ? printable.height() : paper.height();
    return true;
}

void TMetaFilePrinter::clear() {
    m_set = std::make_shared<RPageSet>();
}

int TMetaFilePrinter::pageCount() const {
    return int(m_set->tops.size());
}

const QPicture& TMetaFilePrinter::page(int n) const {
    RPageSet& s = *m_set;
    if (!s.recorded.at(n)) {
        s.pictures[n] = s.record ? s.record(n) : QPicture();
        s.recorded[n] = true;
    }
    return s.pictures.at(n);
}

void TMetaFilePrinter::addPage(const QPicture& page, int documentTop) {
    m_set->tops << documentTop;
    m_set->pictures << page;
    m_set->recorded << true;
}

void TMetaFilePrinter::setPages(const QVector<int>& tops, Recorder record) {
    clear();
    m_set->tops = tops;
    m_set->pictures.resize(tops.size());
    m_set->recorded.fill(false, tops.size());
    m_set->record = std::move(record);
}

const QVector<int>& TMetaFilePrinter::pageTops() const {
    return m_set->tops;
}

void TMetaFilePrinter::setPages(Pages pages) {
    m_set = pages ? std::move(pages) : std::make_shared<RPageSet>();
}
