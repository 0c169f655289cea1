#include "app/TVisualHost.h"

#include "app/TMainForm.h"
#include "app/TOptionsHost.h"
#include "app/TReadingScreen.h"
#include "dialogs/TFormOptions.h"
#include "dialogs/TStartClip.h"
#include "engine/TFrameViewer.h"
#include "media/TCodecInstaller.h"
#include "media/TNavFont.h"
#include "platform/Log.h"
#include "reader/THtmlFrame.h"
#include "skin/TMyAviPlayer.h"
#include "skin/TSlideImage.h"

#include <QCursor>
#include <QDir>
#include <QGuiApplication>
#include <QPainter>
#include <QTimer>

namespace {
// The cover video's file and rectangle (left, top, right, bottom).
const char* const kVideoFile = "car.avi";
constexpr int kVideoLeft = 31, kVideoTop = 135, kVideoRight = 687, kVideoBottom = 394;
} // namespace

TVisualHost::TVisualHost(TMainForm& window) : QObject(&window), m_window(window) {
    TBook& book = window.book();
    if (!book.model().image.isEmpty()) {
        m_slides = new TSlideImage(
            book.model().image, &window, book.options(),
            [this] { return m_window.currentScreen(); }, this);
        connect(m_slides, &TSlideImage::skinMouseMove, this,
                [this](int x, int y) { m_window.skinMouseMove(QPoint(x, y)); });
        if (auto* options = window.findChild<TOptionsHost*>(); options && options->form())
            connect(options->form(), &TFormOptions::slideShowChanged, m_slides,
                    &TSlideImage::setSlideShow);
    }
    m_fonts = new TNavFont(this);
    if (TReadingScreen* reading = window.reading())
        if (THtmlFrame* frame = reading->frame())
            connect(frame, &THtmlFrame::pageChanged, m_fonts,
                    [this](TFrameViewer*, const QString& file) { m_fonts->pageLoaded(file); });
    // The window's one-shot resume timer of the cover video.
    m_resume = new QTimer(this);
    m_resume->setSingleShot(true);
    m_resume->setInterval(100);
    connect(m_resume, &QTimer::timeout, this, [this] {
        if (m_window.currentScreen() != 0)
            return;
        if (m_video && m_video->active())
            m_video->ResumeUnlessUserPaused();
        else
            startVideo();
    });
    // A stored "3D" switch asked for the video before the window could show
    // it: it starts once the window is on the screen.
    connect(&window, &TMainForm::firstFrameShown, this, [this] { showForScreen(0); });
    claim();
}

TVisualHost::~TVisualHost() {
    // A clip still playing when the window goes shows nothing afterwards.
    if (m_clip) {
        m_clip->onEnd = nullptr;
        delete m_clip;
    }
}

void TVisualHost::claim() {
    m_window.claimVerb(Verb::NextPic, [this](const RCommand&) {
        if (m_slides)
            m_slides->Next();
    });
    m_window.claimVerb(Verb::PrevPic, [this](const RCommand&) {
        if (m_slides)
            m_slides->Previous();
    });
    m_window.claimVerb(Verb::InstallFonts, [this](const RCommand&) {
        const TNavFont::Result r = m_fonts->InstallFonts();
        vlog::trace(QStringLiteral("installfonts"),
                    QStringLiteral("copied=%1 kept=%2 failed=%3")
                        .arg(r.copied.join(u','), r.kept.join(u','), r.failed.join(u',')));
    });
    m_window.claimVerb(Verb::Video3d, [this](const RCommand&) { startVideo(); });
    m_window.claimVerb(Verb::Video2d, [this](const RCommand&) {
        if (m_video)
            m_video->SetActive(false);
    });
}

void TVisualHost::startVideo() {
    if (!m_video) {
        m_video = new TMyAviPlayer(nullptr, this);
        m_video->skinBitmap = [this]() -> QImage* {
            return m_window.elements() ? &m_window.elements()->skinBitmap() : nullptr;
        };
        m_video->packHas = [this](const QString& name) { return m_window.book().pack().has(name); };
        m_video->loadPicture = [this](const QString& name) {
            return m_window.book().loadPicture(name);
        };
        // The file lies in the program's folder.
        QDir::setCurrent(BookPaths::toNative(m_window.paths().baseDir()));
        m_video->Setup(
            &m_window, &m_window, kVideoLeft, kVideoTop, kVideoRight, kVideoBottom,
            m_window.book().nativeOf(m_window.paths().baseDir() + QLatin1String(kVideoFile)));
    }
    if (m_window.currentScreen() == 0)
        m_video->SetActive(true);
    vlog::trace(QStringLiteral("video"),
                m_video->active() ? QStringLiteral("on") : QStringLiteral("waiting"));
}

void TVisualHost::showForScreen(int screen) {
    if (m_slides)
        m_slides->ShowForScreen();
    m_resume->stop();
    if (screen != 0)
        return;
    // On the cover: the still frame back into the skin; the video plays on
    // when a "3D" switch is on and it does not play.
    if (m_video && m_window.elements()) {
        QPainter p(&m_window.elements()->skinBitmap());
        m_video->Paint(p);
    }
    if (!m_window.elements())
        return;
    bool threeD = false;
    for (const RSwthOne& s : m_window.elements()->switchOnes())
        threeD = threeD || (s.on && s.godown == QLatin1String("3d"));
    for (const RSwthGrp& s : m_window.elements()->switchGrps())
        threeD = threeD || (s.on && s.go == QLatin1String("3d"));
    if (threeD && (!m_video || !m_video->active() || m_video->IsStoppedOrPaused()))
        m_resume->start();
}

void TVisualHost::beforeScreenChange(int index) {
    // The video belongs to the cover: it freezes on every other screen.
    m_resume->stop();
    if (index != 0 && m_video && m_video->active() && !m_video->IsStoppedOrPaused())
        m_video->Freeze();
}

void TVisualHost::paintVideo(QPainter& painter) {
    if (m_video && m_window.currentScreen() == 0)
        m_video->paintVideo(painter);
}

bool TVisualHost::mouseDown(QPoint p, Qt::MouseButton button) {
    if (!m_video || m_window.currentScreen() != 0 || !m_video->Click(p))
        return false;
    vlog::trace(QStringLiteral("video"), m_video->IsStoppedOrPaused() ? QStringLiteral("frozen")
                                                                      : QStringLiteral("playing"));
    if (button != Qt::LeftButton)
        return true;
    // Held down on a frozen video: the window moves with the pointer.
    QTimer::singleShot(100, this, [this] {
        if ((QGuiApplication::mouseButtons() & Qt::LeftButton) && m_video &&
            m_video->IsStoppedOrPaused())
            m_window.startWindowMove(QCursor::pos());
    });
    return true;
}

bool TVisualHost::overPlayingVideo(QPoint p) const {
    return m_video && m_window.currentScreen() == 0 && m_video->active() &&
           !m_video->IsStoppedOrPaused() && m_video->HitTest(p);
}

void TVisualHost::close() {
    m_resume->stop();
    if (!m_video)
        return;
    // The frame on show stays while the window closes.
    if (m_video->active() && !m_video->IsStoppedOrPaused())
        m_video->Freeze();
    m_video->Release();
}

bool TVisualHost::runStartClip(std::function<void()> showMain) {
    const StructModel& desc = m_window.model();
    if (!TOptionsHost::hasStartClip(m_window) || !m_window.book().options().clip)
        return false;
    const QString file =
        m_window.book().nativeOf(BookPaths::joinPath(m_window.paths().baseDir(), desc.rolic));
    const bool background = !desc.background.isEmpty() && desc.background != QLatin1String("no");
    m_clip = new TStartClip(file, background);
    m_clip->setAttribute(Qt::WA_DeleteOnClose);
    const QString base = m_window.paths().baseDir();
    m_clip->installDriver = [base] { TCodecInstaller::installMpegDriver(base); };
    m_clip->onEnd = [this, showMain = std::move(showMain)] {
        vlog::trace(QStringLiteral("clip"), QStringLiteral("ended"));
        showMain();
    };
    vlog::trace(QStringLiteral("clip"), file);
    return true;
}
