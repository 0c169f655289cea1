#include "app/TDialogHost.h"

#include "app/TMainForm.h"
#include "app/TReadingScreen.h"
#include "data/DialogDescription.h"
#include "dialogs/TCoolDialog.h"
#include "platform/TShell.h"
#include "reader/TFindTxtHtml.h"
#include "reader/THtmlFrame.h"
#include "skin/TControlPopupWindow.h"

TDialogHost::TDialogHost(TMainForm& window) : QObject(&window), m_window(window) {
    claim();
    // Nothing can ask for the dialog before the window is on the screen, so
    // it is built after the first frame (or at once when something does ask).
    if (window.firstFrameDone())
        dialog();
    else
        connect(
            &window, &TMainForm::firstFrameShown, this, [this] { dialog(); },
            Qt::SingleShotConnection);
}

TDialogHost::~TDialogHost() {
    delete m_dialog;
}

TCoolDialog* TDialogHost::dialog() {
    if (!m_built) {
        m_built = true;
        createDialog();
    }
    return m_dialog;
}

void TDialogHost::createDialog() {
    TBook& book = m_window.book();
    const std::optional<QStringList> lines =
        book.description(QLatin1String(TCoolDialog::kEntry), true);
    if (!lines)
        return;
    auto* dialog = new TCoolDialog(&m_window, DialogDescription::parse(*lines, &book.paths()),
                                   book.settings());
    m_dialog = dialog;
    dialog->setWindowTitle(m_window.windowTitle());
    dialog->setHintsShown(book.options().hint);
    dialog->loadPicture = [&book](const QString& name) { return book.loadPicture(name); };
    dialog->soundsOn = [this] { return m_window.buttonSoundsOn(); };
    dialog->playSound = [this](const QString& wav) {
        m_window.playButtonSound(BookPaths::joinPath(m_window.paths().baseDir(), wav));
    };
    dialog->mainFadeRunning = [this] { return m_window.windowFadeRunning(); };
    dialog->setTexts(m_window.texts());
    dialog->setScaleBar(m_window.scaleBar());
    dialog->setStatusLine(m_window.statusLine());
    if (TFindTxtHtml* search = m_window.textSearch()) {
        dialog->setSearch(search);
        connect(search, &TFindTxtHtml::idleChanged, dialog, [dialog](bool idle) {
            dialog->SetSearchHint(idle ? QStringLiteral("Искать")
                                       : QStringLiteral("Остановить поиск"));
        });
        connect(search, &TFindTxtHtml::resultsReady, dialog, &TCoolDialog::ShowResults);
    }
    // Esc in the dialog goes through the window's keyboard table.
    connect(dialog, &TCoolDialog::escapePressed, this,
            [this] { m_window.runKey(Qt::Key_Escape, Qt::NoModifier); });
}

void TDialogHost::claim() {
    m_window.claimKey(TKeyboardMap::Action::SearchEscape, [this] { searchEscape(); });
    m_window.claimKey(TKeyboardMap::Action::CloseDialogOrPopup, [this] { closeDialogOrPopup(); });
    // No archive view exists: the verb asks for an archive to be chosen.
    m_window.claimVerb(Verb::Unarc, [this](const RCommand&) {
        if (TCoolDialog* d = dialog())
            d->ShowDialog(TCoolDialog::Message, QString::fromUtf16(kChooseArchive));
    });
    if (TReadingScreen* reading = m_window.reading())
        if (THtmlFrame* frame = reading->frame())
            connect(frame, &THtmlFrame::printerNotice, this, &TDialogHost::printerNotice);
}

void TDialogHost::searchEscape() {
    TFindTxtHtml* search = m_window.textSearch();
    if (!m_dialog || !search)
        return;
    if (search->IsIdle())
        m_dialog->close();
    else
        search->SetIdle(true);
}

void TDialogHost::closeDialogOrPopup() {
    if (m_dialog && m_dialog->isVisible()) {
        m_dialog->close();
        return;
    }
    if (TReadingScreen* reading = m_window.reading())
        if (TControlPopupWindow* popups = reading->popups())
            popups->CloseAllPopups();
}

void TDialogHost::closeSearchDialog() {
    TFindTxtHtml* search = m_window.textSearch();
    if (!m_dialog || !m_dialog->isVisible() || !search)
        return;
    search->SetIdle(true);
    m_dialog->close();
}

void TDialogHost::closeForExit() {
    if (m_dialog && m_dialog->isVisible())
        m_dialog->close();
}

void TDialogHost::printerNotice(int number) {
    if (number != TCoolDialog::NoPrinter && number != TCoolDialog::NoDefaultPrinter)
        return;
    if (TCoolDialog* d = dialog()) {
        d->ShowDialog(number, QString());
        return;
    }
    TShell::instance().showMessage(
        QString::fromUtf16(number == TCoolDialog::NoPrinter ? kNoPrinters : kDefaultPrinterGone),
        true);
}
