#pragma once

#include <QString>
#include <QStringList>

class QPrinter;

// What the program asks of the desktop: opening URLs and files with their
// programs, starting programs and new copies of itself, and the few questions
// and dialogs that go with copying and printing. One process-wide object;
// tests put a recording one in its place.
class TShell {
public:
    virtual ~TShell() = default;

    // Opens a URL ("http:", "mailto:", "file:") with the system's program.
    virtual bool openUrl(const QString& url) = 0;
    // Opens a local file (native path) with its associated program.
    virtual bool openFile(const QString& nativePath) = 0;
    // Starts a program (native path) with `arguments`, shown normally, in
    // `workingDir`.
    virtual bool startProgram(const QString& nativePath, const QString& workingDir,
                              const QStringList& arguments = {}) = 0;
    // Starts a new copy of this program's own executable.
    virtual bool startInstance(const QStringList& arguments) = 0;
    // The save dialog: starts in `folder` (empty: the system's choice) with
    // `fileName` proposed. `filter` is written "Text (*.x)|*.x|Text (*.*)|*.*".
    // Returns the chosen native path, or empty when cancelled.
    virtual QString askSaveFileName(const QString& folder, const QString& fileName,
                                    const QString& filter) = 0;
    // A yes/no question; true for yes.
    virtual bool askYesNo(const QString& question) = 0;
    // The print dialog on `printer`; false when cancelled.
    virtual bool askPrinter(QPrinter* printer) = 0;
    // The print dialog offering sheets minPage..maxPage; afterwards the
    // printer's print range and from and to pages hold the reader's choice.
    virtual bool askPrintPages(QPrinter* printer, int minPage, int maxPage) {
        Q_UNUSED(minPage);
        Q_UNUSED(maxPage);
        return askPrinter(printer);
    }
    // The system beep.
    virtual void beep() = 0;
    // A plain message box, or a warning box (`warning`), with one OK button;
    // returns when the reader has closed it.
    virtual void showMessage(const QString& text, bool warning) = 0;

    // The process-wide shell: the desktop one unless replaced. Replacing does
    // not take ownership; nullptr restores the desktop shell.
    static TShell& instance();
    static void setInstance(TShell* shell);
};

// The real desktop: Qt's desktop services, processes and standard dialogs.
class TDesktopShell : public TShell {
public:
    bool openUrl(const QString& url) override;
    bool openFile(const QString& nativePath) override;
    bool startProgram(const QString& nativePath, const QString& workingDir,
                      const QStringList& arguments = {}) override;
    bool startInstance(const QStringList& arguments) override;
    QString askSaveFileName(const QString& folder, const QString& fileName,
                            const QString& filter) override;
    bool askYesNo(const QString& question) override;
    bool askPrinter(QPrinter* printer) override;
    bool askPrintPages(QPrinter* printer, int minPage, int maxPage) override;
    void beep() override;
    void showMessage(const QString& text, bool warning) override;

    // "A (*.a)|*.a|B (*.*)|*.*" -> "A (*.a);;B (*.*)".
    static QString qtFilter(const QString& filter);
};
