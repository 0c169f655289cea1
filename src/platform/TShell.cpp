#include "platform/TShell.h"

#include <QApplication>
#include <QCoreApplication>
#include <QDesktopServices>
#include <QDir>
#include <QFileDialog>
#include <QMessageBox>
#include <QPrintDialog>
#include <QPrinter>
#include <QProcess>
#include <QUrl>

namespace {
TShell* g_shell = nullptr;
} // namespace

TShell& TShell::instance() {
    static TDesktopShell desktop;
    return g_shell ? *g_shell : desktop;
}

void TShell::setInstance(TShell* shell) {
    g_shell = shell;
}

bool TDesktopShell::openUrl(const QString& url) {
    return QDesktopServices::openUrl(QUrl(url, QUrl::TolerantMode));
}

bool TDesktopShell::openFile(const QString& nativePath) {
    return QDesktopServices::openUrl(QUrl::fromLocalFile(nativePath));
}

bool TDesktopShell::startProgram(const QString& nativePath, const QString& workingDir,
                                 const QStringList& arguments) {
    return QProcess::startDetached(nativePath, arguments, workingDir);
}

bool TDesktopShell::startInstance(const QStringList& arguments) {
    return QProcess::startDetached(QCoreApplication::applicationFilePath(), arguments);
}

QString TDesktopShell::qtFilter(const QString& filter) {
    const QStringList parts = filter.split(QLatin1Char('|'));
    QStringList names;
    for (int i = 0; i < parts.size(); i += 2)
        names << parts[i];
    return names.join(QStringLiteral(";;"));
}

QString TDesktopShell::askSaveFileName(const QString& folder, const QString& fileName,
                                       const QString& filter) {
    const QString start = folder.isEmpty() ? fileName : QDir(folder).filePath(fileName);
    return QFileDialog::getSaveFileName(QApplication::activeWindow(), QString(), start,
                                        qtFilter(filter));
}

bool TDesktopShell::askYesNo(const QString& question) {
    return QMessageBox::question(QApplication::activeWindow(), QCoreApplication::applicationName(),
                                 question, QMessageBox::Yes | QMessageBox::No,
                                 QMessageBox::No) == QMessageBox::Yes;
}

bool TDesktopShell::askPrinter(QPrinter* printer) {
    QPrintDialog dialog(printer, QApplication::activeWindow());
    return dialog.exec() == QDialog::Accepted;
}

bool TDesktopShell::askPrintPages(QPrinter* printer, int minPage, int maxPage) {
    QPrintDialog dialog(printer, QApplication::activeWindow());
    dialog.setMinMax(minPage, maxPage);
    dialog.setOption(QAbstractPrintDialog::PrintPageRange, true);
    dialog.setOption(QAbstractPrintDialog::PrintToFile, true);
    return dialog.exec() == QDialog::Accepted;
}

void TDesktopShell::beep() {
    QApplication::beep();
}

void TDesktopShell::showMessage(const QString& text, bool warning) {
    QWidget* parent = QApplication::activeWindow();
    const QString caption = QCoreApplication::applicationName();
    if (warning)
        QMessageBox::warning(parent, caption, text);
    else
        QMessageBox::information(parent, caption, text);
}
