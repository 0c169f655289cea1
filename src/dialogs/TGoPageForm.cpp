#include "dialogs/TGoPageForm.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QTimer>
#include <QVBoxLayout>

#include <algorithm>

TGoPageForm::TGoPageForm(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("GoPageForm"));
    setWindowTitle(QStringLiteral("Переход на страницу"));
    setModal(true);
    auto* layout = new QVBoxLayout(this);
    auto* row = new QHBoxLayout;
    row->addWidget(new QLabel(QStringLiteral("Страница:"), this));
    m_pageNum = new QSpinBox(this);
    m_pageNum->setObjectName(QStringLiteral("PageNum"));
    m_pageNum->setMinimum(1);
    row->addWidget(m_pageNum, 1);
    layout->addLayout(row);
    auto* buttons = new QHBoxLayout;
    m_ok = new QPushButton(QStringLiteral("OK"), this);
    m_ok->setObjectName(QStringLiteral("OKBtn"));
    m_ok->setDefault(true); // Enter presses OK
    m_cancel = new QPushButton(QStringLiteral("Отмена"), this);
    m_cancel->setObjectName(QStringLiteral("CancelBtn"));
    buttons->addStretch();
    buttons->addWidget(m_ok);
    buttons->addWidget(m_cancel);
    layout->addLayout(buttons);
    connect(m_ok, &QPushButton::clicked, this, &QDialog::accept);
    connect(m_cancel, &QPushButton::clicked, this, &QDialog::reject);
}

void TGoPageForm::setPages(int pageCount, int current) {
    m_pageNum->setMaximum(std::max(1, pageCount));
    m_pageNum->setValue(current + 1);
}

int TGoPageForm::value() const {
    return m_pageNum->value();
}

int TGoPageForm::targetPage(int entry, int pageCount) {
    if (entry < 1)
        return 0;
    if (entry < pageCount)
        return entry - 1;
    return std::max(0, pageCount - 1);
}

void TGoPageForm::showEvent(QShowEvent* e) {
    QDialog::showEvent(e);
    m_pageNum->setFocus();
    QTimer::singleShot(0, m_pageNum, [this] { m_pageNum->selectAll(); });
}
