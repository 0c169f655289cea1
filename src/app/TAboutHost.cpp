#include "app/TAboutHost.h"

#include "app/TMainForm.h"
#include "data/AboutDescription.h"
#include "dialogs/TAboutBox.h"
#include "platform/Log.h"

TAboutHost::TAboutHost(TMainForm& window) : QObject(&window), m_window(window) {
    m_window.claimVerb(Verb::About, [this](const RCommand&) { showAbout(); });
}

TAboutHost::~TAboutHost() {
    delete m_box;
}

TAboutBox* TAboutHost::box() const {
    return m_box;
}

void TAboutHost::createBox() {
    TBook& book = m_window.book();
    const QString entry = QLatin1String(AboutDescription::kEntry);
    const std::optional<QStringList> lines = book.description(entry, true);
    if (!lines)
        return;
    const AboutDescription description = AboutDescription::parse(*lines, entry);
    auto* box = new TAboutBox(description, &book.options(),
                              [&book](const QString& name) { return book.loadPicture(name); });
    if (!box->usable()) {
        vlog::complain(QStringLiteral("%1: the picture \"%2\" is not in Dod.dhl; there is no "
                                      "about box")
                           .arg(entry, description.picture));
        delete box;
        return;
    }
    m_box = box;
    box->setWindowTitle(m_window.windowTitle());
    box->playSound = [this](const QString& wav) {
        m_window.playButtonSound(BookPaths::joinPath(m_window.paths().baseDir(), wav));
    };
    connect(box, &TAboutBox::shown, this,
            [] { vlog::trace(QStringLiteral("about"), QStringLiteral("shown")); });
    connect(box, &TAboutBox::closed, this,
            [] { vlog::trace(QStringLiteral("about"), QStringLiteral("closed")); });
}

bool TAboutHost::showAbout() {
    if (!m_tried) {
        m_tried = true;
        createBox();
    }
    if (!m_box)
        return false;
    m_box->showModal();
    return true;
}

void TAboutHost::closeForExit() {
    if (m_box && m_box->isVisible())
        m_box->close();
}
