#include "media/TButtonSounds.h"

#include <QAudioDevice>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFileInfo>
#include <QMediaDevices>
#include <QSoundEffect>
#include <QTimer>
#include <QUrl>

#include <memory>

TButtonSounds::TButtonSounds(QObject* parent) : QObject(parent) {}

QSoundEffect* TButtonSounds::effect(const QString& nativePath) {
    if (nativePath.isEmpty() || !QFileInfo(nativePath).isFile())
        return nullptr;
    // Without a sound device there is nothing to play (and nothing to wait for).
    if (QMediaDevices::defaultAudioOutput().isNull())
        return nullptr;
    QSoundEffect*& e = m_effects[nativePath];
    if (!e) {
        e = new QSoundEffect(this);
        e->setSource(QUrl::fromLocalFile(nativePath));
    }
    return e;
}

void TButtonSounds::play(const QString& nativePath) {
    QSoundEffect* e = effect(nativePath);
    if (!e)
        return;
    ++m_played;
    if (e->status() == QSoundEffect::Ready || e->status() == QSoundEffect::Null) {
        e->play();
        return;
    }
    // Still loading: play as soon as it is ready. The connection's handle
    // lives in its own slot, so it goes with the connection even when the
    // sound never finishes loading.
    auto conn = std::make_shared<QMetaObject::Connection>();
    *conn = connect(e, &QSoundEffect::statusChanged, this, [e, conn] {
        if (e->status() == QSoundEffect::Loading)
            return;
        if (e->status() == QSoundEffect::Ready)
            e->play();
        QObject::disconnect(*conn);
    });
}

void TButtonSounds::playAndWait(const QString& nativePath, int timeoutMs) {
    QSoundEffect* e = effect(nativePath);
    if (!e)
        return;
    play(nativePath);
    QElapsedTimer clock;
    clock.start();
    QEventLoop loop;
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, &loop, [&] {
        const bool loading = e->status() == QSoundEffect::Loading;
        const bool done = !loading && !e->isPlaying();
        // Give the effect a moment to start before taking "not playing" as the end.
        if ((done && clock.elapsed() > 150) || clock.elapsed() > timeoutMs ||
            e->status() == QSoundEffect::Error)
            loop.quit();
    });
    poll.start(20);
    loop.exec();
}
