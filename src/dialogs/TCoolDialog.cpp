#include "dialogs/TCoolDialog.h"

#include "reader/TFindTxtHtml.h"

// The window is being written; until then nothing is shown.

TCoolDialog::TCoolDialog(QWidget* mainWindow) : QWidget(nullptr), m_mainWindow(mainWindow) {}

TCoolDialog::~TCoolDialog() = default;

void TCoolDialog::setSearch(TFindTxtHtml* search) {
    m_search = search;
}

void TCoolDialog::ShowDialog(int number, const QString&) {
    m_current = number;
}

bool TCoolDialog::RunVerb(const QString&, const QString&) {
    return false;
}

void TCoolDialog::ShowResults(const QStringList&, const QStringList&) {}

void TCoolDialog::SetSearchHint(const QString&) {}
