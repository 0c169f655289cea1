#include "app/TPrintHost.h"

#include "app/TDialogHost.h"
#include "app/TMainForm.h"
#include "dialogs/TCoolDialog.h"
#include "dialogs/TPreviewForm.h"
#include "platform/TShell.h"
#include "reader/THtmlFrame.h"

#include <QApplication>

TPrintHost::TPrintHost(TMainForm& window, THtmlFrame& frame, QObject* parent)
    : QObject(parent), m_window(window), m_frame(&frame) {
    frame.PrintPreview = [this](THTMLViewer* viewer, bool pageIsPicture, QSize picture) {
        return showPreview(viewer, pageIsPicture, picture);
    };
}

bool TPrintHost::showPreview(THTMLViewer* viewer, bool pageIsPicture, QSize picture) {
    TPreviewForm preview(&m_window, viewer);
    if (m_frame)
        preview.setShell(&m_frame->shell());
    connect(&preview, &TPreviewForm::printerNotice, this, &TPrintHost::printerNotice);
    // Help from the preview is the window's F1.
    connect(&preview, &TPreviewForm::helpRequested, this,
            [this] { m_window.runKey(Qt::Key_F1, Qt::NoModifier); });
    if (preview.Create(pageIsPicture, picture))
        return false;
    preview.Run();
    return true;
}

void TPrintHost::printerNotice(int number) {
    if (number != TCoolDialog::NoPrinter && number != TCoolDialog::NoDefaultPrinter)
        return;
    if (TCoolDialog* d = m_window.dialog()) {
        d->ShowDialog(number, QString());
        return;
    }
    TShell& shell = m_frame ? m_frame->shell() : TShell::instance();
    shell.showMessage(QString::fromUtf16(number == TCoolDialog::NoPrinter
                                             ? TDialogHost::kNoPrinters
                                             : TDialogHost::kDefaultPrinterGone),
                      true);
}
