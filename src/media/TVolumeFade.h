#pragma once

#include <QObject>

#include <atomic>
#include <condition_variable>
#include <mutex>
#include <thread>

// The music's volume fade. The output keeps a left and a right 16-bit
// level (the device volume); a fade moves the louder channel between 0 and
// the saved level in steps on a worker thread with a steady 1 ms clock, and
// the quieter channel follows at the saved balance. The levels are a model:
// whoever plays applies them (levelsChanged is delivered on the owner's
// thread, at most one pending at a time).
class TVolumeFade : public QObject {
    Q_OBJECT
public:
    struct Levels {
        quint16 left = 0xFFFF;
        quint16 right = 0xFFFF;
    };

    explicit TVolumeFade(QObject* parent = nullptr);
    ~TVolumeFade() override;

    // The device volume now (a running fade changes it).
    Levels levels() const;
    // Sets the device volume (and the saved volume, when no fade runs).
    void setLevels(Levels levels);
    // Without a volume control a fade does nothing.
    void setHasVolumeControl(bool on) { m_hasControl = on; }
    bool hasVolumeControl() const { return m_hasControl; }

    // Starts a fade on the worker thread; false when there is no volume
    // control (nothing changes, nothing will be signalled).
    bool start(bool rising);
    // Prepares a fade without starting the thread: tick() then runs it by
    // hand (the tests' way to look at every step).
    bool prepare(bool rising);
    // One step of the running fade; false once it has ended.
    bool tick();
    // Waits (running the owner's event loop) until a falling fade has
    // ended, at most `timeoutMs`; true when it ended.
    bool waitFallen(int timeoutMs);
    // Stops the worker and puts the saved volume back on the device.
    void restore();
    bool running() const { return m_running; }
    int level() const;

    // The step added or taken at a level.
    static int stepFor(int level);

Q_SIGNALS:
    void levelsChanged();
    // A falling fade has reached 0.
    void fallen();

private:
    void stopThread();
    void run();
    void announce();

    mutable std::mutex m_mutex;
    std::condition_variable m_wake;
    std::thread m_thread;
    bool m_quit = false;
    Levels m_device;
    Levels m_saved;
    int m_target = 0;
    double m_ratio = 1.0;
    int m_level = 0;
    bool m_rising = true;
    bool m_louderLeft = true;
    bool m_partial = false; // the device volume is a fade's, not the saved one
    std::atomic<bool> m_running{false};
    std::atomic<bool> m_fallen{false};
    std::atomic<bool> m_announced{false};
    bool m_hasControl = true;
};
