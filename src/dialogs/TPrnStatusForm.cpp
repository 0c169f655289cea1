#include "dialogs/TPrnStatusForm.h"

#include "engine/THTMLViewer.h"
#include "engine/TMetaFilePrinter.h"
#include "engine/TPrintFormatter.h"
#include "platform/Log.h"

#include <QApplication>
#include <QFile>
#include <QKeyEvent>
#include <QLabel>
#include <QPainter>
#include <QPrinter>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>

#include <algorithm>

TPrnStatusForm::TPrnStatusForm(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("PrnStatusForm"));
    setWindowTitle(QStringLiteral("Форматирование текста"));
    setModal(true);
    auto* layout = new QVBoxLayout(this);
    m_label = new QLabel(QStringLiteral("Форматирование ..."), this);
    m_label->setObjectName(QStringLiteral("StatusLabel"));
    m_label->setMinimumWidth(220);
    m_label->setAlignment(Qt::AlignCenter);
    m_cancelButton = new QPushButton(QStringLiteral("Отмена"), this);
    m_cancelButton->setObjectName(QStringLiteral("CancelBtn"));
    layout->addWidget(m_label);
    layout->addWidget(m_cancelButton, 0, Qt::AlignHCenter);
    connect(m_cancelButton, &QPushButton::clicked, this, &TPrnStatusForm::cancel);
}

void TPrnStatusForm::keyPressEvent(QKeyEvent* e) {
    cancel();
    e->accept();
}

void TPrnStatusForm::reject() {
    // Closing the window while work runs only asks it to stop; the window
    // closes when the work has returned.
    if (m_running) {
        cancel();
        return;
    }
    QDialog::reject();
}

void TPrnStatusForm::progress(int page, bool& stop) {
    m_label->setText(page == 0 ? QStringLiteral("Форматирование ...")
                               : QStringLiteral("Номер страницы %1").arg(page));
    emit progressed(page);
    // Lets the window paint and the reader press "Отмена".
    QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    if (m_cancel)
        stop = true;
}

bool TPrnStatusForm::run(const std::function<bool(const std::function<void(int, bool&)>&)>& work,
                         bool* failed) {
    m_cancel = false;
    bool ok = true;
    // The work starts once the modal window runs its own event loop.
    QTimer::singleShot(0, this, [&] {
        m_running = true;
        ok = work([this](int page, bool& stop) { progress(page, stop); });
        m_running = false;
        done(m_cancel ? QDialog::Rejected : QDialog::Accepted);
    });
    exec();
    const bool cancelled = m_cancel;
    if (failed)
        *failed = !ok && !cancelled;
    return cancelled;
}

bool TPrnStatusForm::FormatWithProgress(THTMLViewer* viewer, TMetaFilePrinter& printer,
                                        double printZoom) {
    return run(
        [&](const printing::Progress& p) {
            return printing::Format(viewer, printer, printZoom, p);
        },
        nullptr);
}

bool TPrnStatusForm::PrintWithProgress(THTMLViewer* viewer, TMetaFilePrinter& printer,
                                       double printZoom, int from, int to, bool* failed) {
    QList<int> sheets;
    for (int n = std::max(1, from); n <= to; ++n)
        sheets << n;
    return PrintWithProgress(viewer, printer, printZoom, sheets, failed);
}

// Sends the listed sheets to the page printer's printer.
static bool printSheets(TMetaFilePrinter& printer, const QList<int>& sheets,
                        const printing::Progress& progress) {
    QPrinter* device = printer.printer();
    if (!device || !device->isValid())
        return false;
    QList<int> valid;
    for (int n : sheets)
        if (n >= 1 && n <= printer.pageCount())
            valid << n;
    if (valid.isEmpty())
        return true;
    QPainter p;
    if (!p.begin(device))
        return false;
    bool stop = false;
    for (int i = 0; i < valid.size() && !stop; ++i) {
        if (i > 0 && !device->newPage()) {
            p.end();
            return false;
        }
        p.drawPicture(0, 0, printer.page(valid[i] - 1));
        if (progress)
            progress(valid[i], stop);
    }
    return p.end() && !stop;
}

bool TPrnStatusForm::PrintWithProgress(THTMLViewer* viewer, TMetaFilePrinter& printer,
                                       double printZoom, const QList<int>& sheets, bool* failed) {
    bool broken = false;
    const bool cancelled = run(
        [&](const printing::Progress& p) {
            if (printer.pageCount() == 0 && !printing::Format(viewer, printer, printZoom, p))
                return false;
            return printSheets(printer, sheets, p);
        },
        &broken);
    if (failed)
        *failed = broken;
    // A stopped or failed print to a file would leave a file with only some
    // of the sheets: it goes.
    QPrinter* device = printer.printer();
    if ((cancelled || broken) && device && !device->outputFileName().isEmpty() &&
        QFile::exists(device->outputFileName())) {
        if (QFile::remove(device->outputFileName()))
            vlog::complain(QStringLiteral("%1: printing stopped, the unfinished file is removed")
                               .arg(device->outputFileName()));
        else
            vlog::complain(QStringLiteral("%1: printing stopped, the unfinished file cannot be "
                                          "removed")
                               .arg(device->outputFileName()));
    }
    return cancelled;
}
