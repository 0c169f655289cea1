#include "reader/TFindTxtHtml.h"

#include "reader/THtmlFrame.h"
#include "reader/TTreeSet.h"
#include "skin/TScaleBar.h"
#include "skin/TStatusLine.h"

#include <QLineEdit>

// The searches are being written; until then the fields exist and nothing
// is searched.

TFindTxtHtml::TFindTxtHtml(QWidget* fieldParent, THtmlFrame* frame, QObject* parent)
    : QObject(parent), m_fieldParent(fieldParent), m_frame(frame) {}

TFindTxtHtml::~TFindTxtHtml() = default;

void TFindTxtHtml::setTrees(TTreeSet* trees) {
    m_trees = trees;
}
void TFindTxtHtml::setStatusLine(TStatusLine* status) {
    m_status = status;
}
void TFindTxtHtml::setScaleBar(TScaleBar* bar) {
    m_bar = bar;
}
void TFindTxtHtml::setBook(const ContentArchive* archive, const TFileSource* source,
                           const BookPaths* paths) {
    m_archive = archive;
    m_source = source;
    m_paths = paths;
}
void TFindTxtHtml::setThesaurusWindow(bool on) {
    m_thesaurus = on;
}
void TFindTxtHtml::Create(const TDynamicFindTxtArray& rows) {
    for (const RFindTxt& r : rows) {
        auto* edit = new QLineEdit(m_fieldParent);
        edit->hide();
        m_fields.append(Field{edit, r, {}});
    }
}
int TFindTxtHtml::fieldCount() const {
    return int(m_fields.size());
}
QLineEdit* TFindTxtHtml::field(int index) const {
    return m_fields.at(index).edit;
}
QLineEdit* TFindTxtHtml::fieldByNumber(int number) const {
    for (const Field& f : m_fields)
        if (f.row.number == number)
            return f.edit;
    return nullptr;
}
const RFindTxt& TFindTxtHtml::row(int index) const {
    return m_fields.at(index).row;
}
void TFindTxtHtml::ShowFieldsOfScreen(int screen) {
    m_previousScreen = screen;
}
void TFindTxtHtml::HideFields(bool) {}
void TFindTxtHtml::FindNext(int) {}
void TFindTxtHtml::runFindCommand(int number) {
    FindNext(number);
}
void TFindTxtHtml::SetScope(bool all) {
    m_allPages = all;
    m_bookMode = m_contentsMode = false;
}
void TFindTxtHtml::setBookMode() {
    m_bookMode = true;
    m_contentsMode = false;
}
void TFindTxtHtml::setContentsMode() {
    m_contentsMode = true;
    m_bookMode = false;
}
void TFindTxtHtml::SetIdle(bool idle) {
    m_idle = idle;
    emit idleChanged(idle);
}
void TFindTxtHtml::OpenResult(int) {}
void TFindTxtHtml::pressEnterInFields() {}
bool TFindTxtHtml::eventFilter(QObject* watched, QEvent* event) {
    return QObject::eventFilter(watched, event);
}
