#include "app/TMediaHost.h"

#include "app/TMainForm.h"
#include "app/TReadingScreen.h"
#include "data/SettingsNames.h"
#include "data/SettingsStore.h"
#include "media/TBackgroundMusic.h"
#include "media/TCodecInstaller.h"
#include "media/TSound.h"
#include "platform/Busy.h"
#include "reader/THtmlFrame.h"

#include <QCheckBox>
#include <QTimer>

TMediaHost::TMediaHost(TMainForm& window) : QObject(&window), m_window(window) {
    TBook& book = window.book();
    const StructModel& model = book.model();
    const QString base = window.paths().baseDir();

    // The codecs the description asks for (nothing to install here).
    if (model.codec.contains(QLatin1String("indeo5")) && book.options().clip)
        TCodecInstaller::installVideoCodec(base);
    if (model.codec.contains(QLatin1String("mpegaudio")))
        TCodecInstaller::installAudioCodec(base);

    m_music = new TBackgroundMusic(book.settings(), this);
    QStringList titles;
    for (const QString& title : model.bgsounddef)
        titles << book.nativeOf(title);
    m_music->setPlaylist(titles);
    m_music->setOn(book.options().bgSound && !titles.isEmpty());
    connect(m_music, &TBackgroundMusic::switched, this, &TMediaHost::musicSwitched);

    m_sound = new TSound(&window, m_music, this);
    m_sound->currentScreen = [this] { return qMax(0, m_window.currentScreen()); };
    m_sound->showPage = [this](int number, const QString& page) {
        if (TReadingScreen* reading = m_window.reading())
            if (THtmlFrame* frame = reading->frame())
                frame->ShowPage(number, page);
    };
    m_sound->installDriver = [base] { TCodecInstaller::installMpegDriver(base); };
    connect(m_sound, &TSound::skinMouseMove, this,
            [this] { m_window.skinMouseMove(QPoint(-1, -1)); });
    m_sound->Create(model.clip);
    claim();
}

TMediaHost::~TMediaHost() = default;

void TMediaHost::claim() {
    TMainForm& w = m_window;
    w.claimVerb(Verb::Play,
                [this](const RCommand&) { m_sound->PlayFile(QString(), QString(), 0); });
    w.claimVerb(Verb::Stop, [this](const RCommand&) { m_sound->stop(); });
    w.claimVerb(Verb::Pause, [this](const RCommand&) {
        m_sound->setNotify(false);
        m_sound->pause();
    });
    w.claimVerb(Verb::StepForward, [this](const RCommand&) { m_sound->StepForward(); });
    w.claimVerb(Verb::StepBack, [this](const RCommand&) { m_sound->StepBack(); });
    w.claimVerb(Verb::Clip, [this](const RCommand& c) {
        const QString file = c.value.isEmpty() ? QString() : m_window.book().nativeOf(c.value);
        m_sound->PlayFile(file, c.second, TSound::EndClose);
    });
    w.claimVerb(Verb::BgSound, [this](const RCommand&) { toggleBackgroundMusic(); });
    w.claimDrop(TMainForm::DropSound, [this](const QString& file) {
        m_sound->PlayFile(file, QString(), TSound::EndReplayEmpty);
    });
    if (TReadingScreen* reading = w.reading())
        if (THtmlFrame* frame = reading->frame()) {
            // Sound links play here, not as button sounds.
            disconnect(frame, &THtmlFrame::soundRequested, reading, nullptr);
            connect(frame, &THtmlFrame::soundRequested, this, [this](const QString& file) {
                m_sound->PlayFile(m_window.book().nativeOf(file), QString(),
                                  TSound::EndReplayEmpty);
            });
        }
}

void TMediaHost::showForScreen() {
    m_sound->ShowForScreen();
}

void TMediaHost::toggleBackgroundMusic() {
    if (!m_music->isOn()) {
        m_sound->close();
        m_music->setOn(true);
        const busy::Hourglass hourglass;
        m_music->StartMusic();
    } else {
        m_music->setOn(false);
        m_music->StopMusic(true);
    }
    // The flag as it ended up (a playlist that cannot play turns it off).
    if (TSettingsStore* store = m_window.book().settings())
        store->writeBool(QLatin1String(settings::BGSound.name), m_music->isOn());
}

void TMediaHost::musicSwitched(bool on) {
    m_window.book().options().bgSound = on;
    if (auto* box = m_window.findChild<QCheckBox*>(QStringLiteral("CheckBoxBGSound")))
        box->setChecked(on);
}

void TMediaHost::startAfterOpening() {
    if (m_window.firstFrameDone()) {
        QTimer::singleShot(0, this, &TMediaHost::startOnFirstFrame);
        return;
    }
    connect(&m_window, &TMainForm::firstFrameShown, this, &TMediaHost::startOnFirstFrame,
            Qt::SingleShotConnection);
}

void TMediaHost::startOnFirstFrame() {
    const TMainForm::State state = m_window.state();
    if (state == TMainForm::State::Closing || state == TMainForm::State::Terminating ||
        state == TMainForm::State::Destroyed)
        return;
    if (m_window.book().options().autoStartPlayer) {
        m_sound->PlayFile(QString(), QString(), 0);
    } else if (m_music->isOn()) {
        const busy::Hourglass hourglass;
        m_music->StartMusic();
    }
}

void TMediaHost::stopForClosing() {
    m_sound->close();
}

void TMediaHost::stopForExit() {
    m_sound->close();
    if (m_music->isOn())
        m_music->StopMusic(true);
}
