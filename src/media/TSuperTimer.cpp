#include "media/TSuperTimer.h"

#include <QCoreApplication>
#include <QPointer>

#include <algorithm>

#ifdef Q_OS_LINUX
#include <sys/resource.h>
#include <unistd.h>
#endif

namespace {
using Clock = std::chrono::steady_clock;

qint64 millisecondsSince(Clock::time_point start) {
    return std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start).count();
}

// The calling thread's scheduling priority, as far as the system lets us: on
// Linux a nice value per thread (raising it needs privileges; without them
// the thread keeps the default).
void applyPriority(QThread::Priority p) {
#ifdef Q_OS_LINUX
    int nice = 0;
    switch (p) {
    case QThread::IdlePriority:
        nice = 19;
        break;
    case QThread::LowestPriority:
        nice = 10;
        break;
    case QThread::LowPriority:
        nice = 5;
        break;
    case QThread::HighPriority:
        nice = -5;
        break;
    case QThread::HighestPriority:
        nice = -10;
        break;
    case QThread::TimeCriticalPriority:
        nice = -15;
        break;
    default:
        return;
    }
    (void)setpriority(PRIO_PROCESS, id_t(gettid()), nice);
#else
    Q_UNUSED(p);
#endif
}
} // namespace

// Shared state of the timer and its worker thread, guarded by `mutex`.
//
// The worker sleeps on `wake` until its deadline, posts the tick to the
// timer's thread and then waits on `wake` again until the tick has run. Every
// wait also ends on quit, on disabling and on a restart (a new `generation`),
// so the worker never blocks on the UI thread and the timer can be disabled
// or destroyed at any moment, from inside its own handler too. A tick posted
// for an older generation is dropped when it arrives.
struct TSuperTimer::Worker {
    explicit Worker(TSuperTimer* timer) : owner(timer) {}

    void run();
    void deliver(quint64 gen);

    TSuperTimer* const owner;
    std::thread thread;

    std::mutex mutex;
    std::condition_variable wake;
    bool quit = false;
    bool enabled = false;
    bool drift = false;       // the timer's flag
    bool threadDrift = false; // the worker's copy
    quint16 interval = 1000;
    QThread::Priority priority = QThread::HighPriority;
    quint64 generation = 0; // bumped by every (re)start
    Clock::time_point start;
    quint32 elapsed = 0;
    quint32 count = 0;
    bool tickPending = false;
    bool inHandler = false; // UI thread only

    void update(); // with `mutex` held
};

void TSuperTimer::Worker::run() {
    std::unique_lock lock(mutex);
    applyPriority(priority);
    // The sleep length is read once, when the thread first runs; later
    // changes of the interval change the Elapsed accounting only (drift
    // correction then pulls the sleeps to the new schedule).
    qint64 sleep = interval;
    while (!quit) {
        wake.wait(lock, [&] { return quit || enabled; });
        if (quit)
            break;
        const quint64 gen = generation;
        auto current = [&] { return !quit && enabled && generation == gen; };

        const auto deadline = Clock::now() + std::chrono::milliseconds(std::max<qint64>(sleep, 0));
        if (wake.wait_until(lock, deadline, [&] { return !current(); }))
            continue; // disabled, restarted or quitting during the sleep

        elapsed += interval;
        if (threadDrift)
            sleep = correctedSleep(sleep, millisecondsSince(start) - qint64(elapsed));

        tickPending = true;
        QMetaObject::invokeMethod(
            owner, [this, gen] { deliver(gen); }, Qt::QueuedConnection);
        wake.wait(lock, [&] { return !tickPending || !current(); });
    }
}

// Runs on the timer's (UI) thread.
void TSuperTimer::Worker::deliver(quint64 gen) {
    {
        std::unique_lock lock(mutex);
        if (gen != generation || !tickPending)
            return; // a tick of an earlier run
        if (QCoreApplication::closingDown() || inHandler || !enabled) {
            tickPending = false;
            wake.notify_all();
            return;
        }
        ++count;
    }
    QPointer<TSuperTimer> alive(owner);
    TSuperTimer* const timer = owner;
    inHandler = true;
    try {
        if (timer->onTimer)
            timer->onTimer(timer);
    } catch (...) {
    }
    if (alive) {
        try {
            Q_EMIT timer->tick();
        } catch (...) {
        }
    }
    if (!alive)
        return; // destroyed by its own handler; the worker has already quit
    inHandler = false;
    std::unique_lock lock(mutex);
    if (gen == generation)
        tickPending = false;
    wake.notify_all();
}

void TSuperTimer::Worker::update() {
    if (enabled) {
        elapsed = 0;
        count = 0;
        start = Clock::now();
        ++generation;
        tickPending = false;
        if (!thread.joinable())
            thread = std::thread([this] { run(); });
    }
    wake.notify_all();
}

TSuperTimer::TSuperTimer(QObject* parent) : QObject(parent), d(std::make_unique<Worker>(this)) {}

TSuperTimer::~TSuperTimer() {
    {
        std::lock_guard lock(d->mutex);
        d->quit = true;
        d->enabled = false;
    }
    d->wake.notify_all();
    if (d->thread.joinable())
        d->thread.join();
}

bool TSuperTimer::enabled() const {
    std::lock_guard lock(d->mutex);
    return d->enabled;
}

void TSuperTimer::setEnabled(bool on) {
    std::lock_guard lock(d->mutex);
    if (d->enabled == on)
        return;
    d->enabled = on;
    d->update();
}

quint16 TSuperTimer::interval() const {
    std::lock_guard lock(d->mutex);
    return d->interval;
}

void TSuperTimer::setInterval(quint16 ms) {
    std::lock_guard lock(d->mutex);
    if (d->interval == ms)
        return;
    d->interval = ms;
    d->update();
}

QThread::Priority TSuperTimer::priority() const {
    std::lock_guard lock(d->mutex);
    return d->priority;
}

void TSuperTimer::setPriority(QThread::Priority p) {
    std::lock_guard lock(d->mutex);
    d->priority = p; // takes effect when the thread first runs
}

bool TSuperTimer::driftCorrection() const {
    std::lock_guard lock(d->mutex);
    return d->drift;
}

void TSuperTimer::setDriftCorrection(bool on) {
    std::lock_guard lock(d->mutex);
    d->drift = on;
    d->threadDrift = on;
}

quint32 TSuperTimer::count() const {
    std::lock_guard lock(d->mutex);
    return d->count;
}

quint32 TSuperTimer::elapsed() const {
    std::lock_guard lock(d->mutex);
    return d->elapsed;
}

qint64 TSuperTimer::correctedSleep(qint64 previousSleepMs, qint64 latenessMs) {
    return std::clamp<qint64>(previousSleepMs - latenessMs, 0, 0xFFFF);
}
