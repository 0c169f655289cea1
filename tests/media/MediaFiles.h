#pragma once

// Media files generated for the media tests, and the private sound server
// they play into.
#include <QByteArray>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QString>
#include <QTemporaryDir>
#include <QTest>
#include <QtEndian>

#include <cmath>

namespace mediafiles {

// A 16-bit mono WAV of `ms` milliseconds of a quiet tone.
inline QByteArray wav(int ms, int rate = 22050) {
    const int samples = rate * ms / 1000;
    QByteArray data(samples * 2, '\0');
    for (int i = 0; i < samples; ++i)
        qToLittleEndian<qint16>(qint16(3000 * std::sin(i * 0.1)), data.data() + 2 * i);
    QByteArray out("RIFF");
    auto u32 = [&out](quint32 v) {
        char b[4];
        qToLittleEndian(v, b);
        out.append(b, 4);
    };
    auto u16 = [&out](quint16 v) {
        char b[2];
        qToLittleEndian(v, b);
        out.append(b, 2);
    };
    u32(36 + data.size());
    out += "WAVEfmt ";
    u32(16);
    u16(1);
    u16(1);
    u32(rate);
    u32(rate * 2);
    u16(2);
    u16(16);
    out += "data";
    u32(data.size());
    return out + data;
}

inline bool write(const QString& path, const QByteArray& bytes) {
    QFile f(path);
    return f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size();
}

// A private PulseAudio daemon with a null sink; without pulseaudio the tests
// run on whatever the back end finds (it plays on a dummy sink).
class PulseNullSink {
public:
    bool start(const QTemporaryDir& dir) {
        if (QStandardPaths::findExecutable("pulseaudio").isEmpty())
            return false;
        const QString socket = dir.filePath("pulse-native");
        m_pulse.start("pulseaudio",
                      {"--daemonize=no", "-n", "--exit-idle-time=-1", "-L",
                       "module-native-protocol-unix auth-anonymous=1 socket=" + socket, "-L",
                       "module-null-sink sink_name=nullsink"});
        if (!m_pulse.waitForStarted())
            return false;
        for (int i = 0; i < 500 && !QFile::exists(socket); ++i)
            QTest::qWait(10);
        if (!QFile::exists(socket))
            return false;
        qputenv("PULSE_SERVER", ("unix:" + socket).toLocal8Bit());
        return true;
    }
    ~PulseNullSink() {
        if (m_pulse.state() != QProcess::NotRunning) {
            m_pulse.terminate();
            m_pulse.waitForFinished(3000);
        }
    }

private:
    QProcess m_pulse;
};

} // namespace mediafiles
