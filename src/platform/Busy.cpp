#include "platform/Busy.h"

#include <QCoreApplication>
#include <QCursor>
#include <QGuiApplication>
#include <QThread>

#include <atomic>

namespace busy {

namespace {
std::atomic<bool> g_busy{false};
// Whether this module pushed the wait cursor (and so must pop it).
bool g_cursorPushed = false;

QGuiApplication* guiApp() {
    return qobject_cast<QGuiApplication*>(QCoreApplication::instance());
}
} // namespace

void setBusy(bool on) {
    if (on) {
        g_busy = true;
        if (!g_cursorPushed) {
            if (QGuiApplication* app = guiApp()) {
                app->setOverrideCursor(QCursor(Qt::WaitCursor));
                g_cursorPushed = true;
            }
        }
        return;
    }
    // Let the clicks and paints queued while busy run first (the dispatcher
    // still ignores commands during this), then give the cursor back.
    QCoreApplication* app = QCoreApplication::instance();
    if (app && QThread::currentThread() == app->thread())
        QCoreApplication::processEvents();
    if (g_cursorPushed) {
        if (QGuiApplication* gui = guiApp())
            gui->restoreOverrideCursor();
        g_cursorPushed = false;
    }
    g_busy = false;
}

bool isBusy() {
    return g_busy;
}

Hourglass::Hourglass() {
    if (QGuiApplication* app = guiApp()) {
        app->setOverrideCursor(QCursor(Qt::WaitCursor));
        m_shown = true;
    }
}

Hourglass::~Hourglass() {
    if (m_shown)
        if (QGuiApplication* app = guiApp())
            app->restoreOverrideCursor();
}

} // namespace busy
