#include "media/TSound.h"

#include "media/TBackgroundMusic.h"
#include "media/TCodecInstaller.h"
#include "media/TColorWinControl.h"
#include "platform/Busy.h"

#include <QPointer>

TSound::TSound(QWidget* window, TBackgroundMusic* music, QObject* parent)
    : TMPlayer(parent), m_window(window), m_music(music) {
    connect(this, &TMPlayer::OnNotify, this, [this](TMPlayer*) { onEnd(); });
    connect(this, &TMPlayer::frameReady, this, &TSound::onFrame);
    installDriver = [] { TCodecInstaller::installMpegDriver(QString()); };
}

TSound::~TSound() {
    // The areas belong to the window; they may already be gone.
    for (TColorWinControl* c : std::as_const(m_areas))
        c->disconnect(this);
}

void TSound::Create(const TDynamicClipArray& clips) {
    for (const RClip& clip : clips) {
        auto* c = new TColorWinControl(m_window);
        c->hide();
        c->setColor(
            QColor(clip.bgcolor & 0xFF, (clip.bgcolor >> 8) & 0xFF, (clip.bgcolor >> 16) & 0xFF));
        c->setGeometry(clip.vx, clip.vy, clip.vw - clip.vx, clip.vh - clip.vy);
        connect(c, &TColorWinControl::mouseMoved, this, &TSound::skinMouseMove);
        connect(c, &QObject::destroyed, this, [this, c] {
            m_areas.removeAll(c);
            m_clipAreas.removeIf([c](const Area& a) { return a.control == c; });
        });
        m_clipAreas.append({c, clip.screen, clip.html});
        m_areas.append(c);
    }
    if (m_clipAreas.isEmpty())
        return;
    m_previousScreen = -1;
    ShowForScreen();
}

void TSound::ShowForScreen() {
    const int screen = currentScreen ? currentScreen() : 0;
    for (const Area& a : std::as_const(m_clipAreas))
        if (a.screen == m_previousScreen)
            a.control->hide();
    for (const Area& a : std::as_const(m_clipAreas))
        if (a.screen == screen)
            a.control->show();
    m_previousScreen = screen;
}

void TSound::PlayFile(const QString& file, const QString& page, int kind) {
    // 1. The end action.
    if (kind != EndReplayEmpty)
        m_endAction = kind;
    else if (mode() == Playing)
        m_endAction = (m_endAction == EndClose || m_endAction == EndResumeMusic) ? m_endAction
                                                                                 : EndReplayEmpty;
    else
        m_endAction = EndClose;
    // 2. The music gives way; a sound gives it back when it has played.
    if (m_music && m_music->isOn()) {
        m_music->StopMusic(false);
        m_music->setOn(false);
        if (kind == EndReplayEmpty)
            m_endAction = EndResumeMusic;
    }
    // 3-6.
    const busy::Hourglass hourglass;
    setFileName(file);
    if (file.isEmpty() || file.contains(QLatin1String(".wav"), Qt::CaseInsensitive)) {
        open();
    } else {
        for (const Area& a : std::as_const(m_clipAreas)) {
            if (a.screen != (currentScreen ? currentScreen() : 0))
                continue;
            setDisplay(a.control);
            setDisplayRect(a.control->rect());
            if (showPage)
                showPage(a.html, page);
            break;
        }
        clearFrames();
        if (open() != NoError) {
            const int e = error();
            if (e != ErrFileNotFound && e != ErrInvalidFile && e != ErrFileRead) {
                if (installDriver)
                    installDriver();
                open();
            }
        }
    }
    play();
}

void TSound::StepForward() {
    setTimeFormat(FormatMilliseconds);
    seek(qMin(position() + 10000, length()));
    play();
}

void TSound::StepBack() {
    setTimeFormat(FormatMilliseconds);
    const qint64 pos = position();
    seek(pos > 10000 ? pos - 10000 : 0);
    play();
}

void TSound::onEnd() {
    if (notifyValue() != Successful)
        return;
    switch (m_endAction) {
    case EndReplayEmpty:
        PlayFile(QString(), QString(), EndNothing);
        break;
    case EndClose:
        close();
        clearFrames();
        break;
    case EndResumeMusic:
        if (m_music) {
            const busy::Hourglass hourglass;
            // The flag first: a music that cannot start turns it off again.
            m_music->setOn(true);
            m_music->StartMusic();
        }
        break;
    default:
        break;
    }
}

void TSound::onFrame(const QImage& frame, const QRect& target) {
    if (auto* c = qobject_cast<TColorWinControl*>(display()))
        c->setFrame(frame, target);
}

void TSound::clearFrames() {
    for (TColorWinControl* c : std::as_const(m_areas))
        c->setFrame(QImage(), QRect());
}
