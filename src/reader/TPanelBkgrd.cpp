#include "reader/TPanelBkgrd.h"

#include <QHBoxLayout>
#include <QSplitter>

TPanelBkgrd::TPanelBkgrd(QWidget* parent) : QWidget(parent) {
    setGeometry(kLeft, kTop, kWidth, kHeight);
    setAttribute(Qt::WA_NoSystemBackground);
    QPalette pal = palette();
    pal.setColor(QPalette::Window, Qt::white);
    setPalette(pal);
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    m_splitter = new QSplitter(Qt::Horizontal, this);
    m_splitter->setChildrenCollapsible(false);
    m_splitter->setHandleWidth(4);
    m_splitter->setStyleSheet(
        QStringLiteral("QSplitter::handle { background-color: rgb(128, 141, 142); }"));
    layout->addWidget(m_splitter);
    hide();
}
