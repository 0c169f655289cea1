#pragma once

#include <QObject>
#include <QPointer>

class TCoolDialog;
class TMainForm;

// The skinned dialog in the main window: created once the window has
// shown its first frame, only when the pack holds "Dialog.cfs", and wired to the text
// search, the skin's texts numbered 1000 and the search's progress bar. It
// serves Esc (the search dialog and the popups), the verb `unarc`, the
// closing of the search dialog before a bare screen number switches, and the
// printer notices (the skinned dialog, or a plain warning box without it).
class TDialogHost : public QObject {
    Q_OBJECT
public:
    static constexpr auto kChooseArchive = u"Выберите файл для распаковки.";
    static constexpr auto kNoPrinters = u"Не найдено установленных принтеров!";
    static constexpr auto kDefaultPrinterGone =
        u"Принтер, установленный по умолчанию, сейчас не доступен!";

    explicit TDialogHost(TMainForm& window);
    ~TDialogHost() override;

    // Null without "Dialog.cfs". Built on first use (or after the window's
    // first frame).
    TCoolDialog* dialog();

    // Esc while the search dialog is visible: close it when the search is
    // idle, else ask the search to stop.
    void searchEscape();
    // Esc otherwise: the visible dialog closes, else the control popup.
    void closeDialogOrPopup();
    // A bare screen number switches screens: a running search stops and the
    // visible dialog closes.
    void closeSearchDialog();
    // The window closes: so does the dialog.
    void closeForExit();
    // A printer notice (TCoolDialog::NoPrinter or NoDefaultPrinter).
    void printerNotice(int number);

private:
    void createDialog();
    void claim();

    TMainForm& m_window;
    QPointer<TCoolDialog> m_dialog;
    bool m_built = false;
};
