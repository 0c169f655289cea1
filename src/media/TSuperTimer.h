#pragma once

#include <QObject>
#include <QThread>

#include <chrono>
#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>

// The tick source of animations and fades: a worker thread sleeps for the
// interval on a steady clock and runs each tick on the UI thread (blocking
// until the handler returns), so handlers never overlap and may paint.
class TSuperTimer : public QObject {
    Q_OBJECT
public:
    explicit TSuperTimer(QObject* parent = nullptr);
    ~TSuperTimer() override;

    bool enabled() const;
    void setEnabled(bool on);
    quint16 interval() const;
    void setInterval(quint16 ms);
    QThread::Priority priority() const;
    void setPriority(QThread::Priority p);
    bool driftCorrection() const;
    void setDriftCorrection(bool on);

    quint32 count() const;   // ticks delivered since enabling
    quint32 elapsed() const; // sum of the intervals of those ticks, ms

    // Drift correction of the sleep length: the previous sleep less the
    // lateness of the schedule (real time since enabling minus Elapsed),
    // never below 0 (a long stall means no sleep, never a very long one) and
    // never above the largest interval.
    static qint64 correctedSleep(qint64 previousSleepMs, qint64 latenessMs);

    // Called on the UI thread for each tick (the signal tick() as well).
    std::function<void(TSuperTimer*)> onTimer;

Q_SIGNALS:
    void tick();

private:
    struct Worker;
    std::unique_ptr<Worker> d;
};
