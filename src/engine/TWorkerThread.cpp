#include "engine/TWorkerThread.h"

TWorkerThread::TWorkerThread() : m_thread([this] { loop(); }) {}

TWorkerThread::~TWorkerThread() {
    {
        std::lock_guard lock(m_mutex);
        m_quit = true;
    }
    m_wake.notify_all();
    m_thread.join();
}

bool TWorkerThread::tryRun(std::function<void()>& work) {
    {
        std::lock_guard lock(m_mutex);
        if (m_busy || m_quit)
            return false;
        m_busy = true;
        m_work = std::move(work);
    }
    m_wake.notify_all();
    return true;
}

void TWorkerThread::loop() {
    std::unique_lock lock(m_mutex);
    for (;;) {
        m_wake.wait(lock, [this] { return m_quit || m_work; });
        if (!m_work)
            return; // quit with nothing left to do
        std::function<void()> work = std::move(m_work);
        m_work = nullptr;
        lock.unlock();
        work();
        work = nullptr; // what it holds goes before the thread is free again
        lock.lock();
        m_busy = false;
    }
}
