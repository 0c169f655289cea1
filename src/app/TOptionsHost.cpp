#include "app/TOptionsHost.h"

#include "app/TMainForm.h"
#include "app/TReadingScreen.h"
#include "dialogs/TFormOptions.h"
#include "reader/THtmlFrame.h"

TOptionsHost::TOptionsHost(TMainForm& window) : QObject(&window), m_window(window) {
    TBook& book = window.book();
    options::RPages pages;
    pages.player = false; // no element of the description makes song lists
    pages.pictures = !book.model().image.isEmpty();
    m_form = new TFormOptions(book.options(), book.settings(), pages, &window);
    m_form->setClipEnabled(hasStartClip(window));
    m_form->setWavEnabled(hasButtonSounds(window));
    // A book without a music list has no background music in this run.
    if (book.model().bgsounddef.isEmpty())
        book.options().bgSound = false;
    connect(m_form, &TFormOptions::fontRequested, this, [this] {
        if (TReadingScreen* reading = m_window.reading())
            if (THtmlFrame* frame = reading->frame())
                frame->ChooseFont();
    });
    claim();
}

TOptionsHost::~TOptionsHost() {
    delete m_form;
}

TFormOptions* TOptionsHost::form() const {
    return m_form;
}

bool TOptionsHost::hasStartClip(const TMainForm& window) {
    const QString& rolic = window.model().rolic;
    return !rolic.isEmpty() && rolic != QLatin1String("no");
}

bool TOptionsHost::hasButtonSounds(const TMainForm& window) {
    for (const RScreen& screen : window.model().screens)
        for (const RBtn& b : screen.buttons)
            if (!b.wav.isEmpty() && b.wav != QLatin1String("no"))
                return true;
    return false;
}

void TOptionsHost::claim() {
    m_window.claimVerb(Verb::Options, [this](const RCommand&) {
        if (m_form)
            m_form->showOptions();
    });
}
