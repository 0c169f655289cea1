#include "app/TSearchHost.h"

#include "app/TMainForm.h"
#include "app/TReadingScreen.h"
#include "dialogs/TCoolDialog.h"
#include "platform/Log.h"
#include "reader/TFindTxtHtml.h"
#include "reader/THtmlFrame.h"

TSearchHost::TSearchHost(TMainForm& window) : QObject(&window), m_window(window) {
    const StructModel& model = window.model();
    if (!model.findtxt.isEmpty()) {
        THtmlFrame* frame = window.reading() ? window.reading()->frame() : nullptr;
        m_search = new TFindTxtHtml(&window, frame, this);
        m_search->setThesaurusWindow(window.thesaurusMode());
        m_search->setTrees(window.reading() ? window.reading()->trees() : nullptr);
        m_search->setStatusLine(window.statusLine());
        m_search->setScaleBar(window.scaleBar());
        m_search->setBook(&window.book().archive(), &window.book().files(), &window.paths());
        m_search->Create(model.findtxt);
        connect(m_search, &TFindTxtHtml::skinMouseMove, this,
                [this](int x, int y) { m_window.skinMouseMove(QPoint(x, y)); });
        connect(m_search, &TFindTxtHtml::resultsReady, this,
                [](const QStringList& files, const QStringList&) {
                    vlog::trace(QStringLiteral("results"), QString::number(files.size()));
                });
        if (frame)
            connect(frame, &THtmlFrame::enterPressed, m_search, &TFindTxtHtml::pressEnterInFields);
    }
    claimVerbs();
}

void TSearchHost::showForScreen(int screen) {
    if (m_search)
        m_search->ShowFieldsOfScreen(screen);
}

void TSearchHost::setFadeRunning(bool running) {
    if (m_search)
        m_search->HideFields(running);
}

void TSearchHost::openSearchDialog() {
    if (TCoolDialog* dialog = m_window.dialog())
        dialog->ShowDialog(TCoolDialog::Search, QString());
}

void TSearchHost::claimVerbs() {
    TMainForm& w = m_window;
    w.claimVerb(Verb::FindNext, [this](const RCommand& c) {
        // The thesaurus window searches with its own field; the main window
        // opens the search dialog, whose button then searches.
        if (m_window.thesaurusMode()) {
            if (m_search)
                m_search->runFindCommand(c.number);
        } else {
            openSearchDialog();
        }
    });
    w.claimVerb(Verb::FindTxtAll, [this](const RCommand&) {
        if (m_search)
            m_search->SetScope(true);
    });
    w.claimVerb(Verb::FindTxtLimit, [this](const RCommand&) {
        if (m_search)
            m_search->SetScope(false);
    });
    w.claimVerb(Verb::CaseOn, [this](const RCommand&) {
        if (m_search)
            m_search->setCaseSensitive(true);
    });
    w.claimVerb(Verb::CaseOff, [this](const RCommand&) {
        if (m_search)
            m_search->setCaseSensitive(false);
    });
    w.claimKey(TKeyboardMap::Action::SearchDialog, [this] { openSearchDialog(); });
}
