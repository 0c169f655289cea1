#include "SoundSynth.h"

#include <QList>
#include <QtMath>

#include <cstdint>
#include <vector>

namespace soundsynth {

namespace {

constexpr int kRate = 22050;

QByteArray wav(const std::vector<float>& samples) {
    QByteArray data;
    data.reserve(qsizetype(samples.size() * 2));
    for (float s : samples) {
        const int v = qBound(-32767, int(std::lround(s * 32767.0f)), 32767);
        data.append(char(v & 0xFF));
        data.append(char((v >> 8) & 0xFF));
    }
    QByteArray out;
    auto u32 = [&out](quint32 v) {
        for (int i = 0; i < 4; ++i)
            out.append(char((v >> (8 * i)) & 0xFF));
    };
    auto u16 = [&out](quint16 v) {
        out.append(char(v & 0xFF));
        out.append(char(v >> 8));
    };
    out.append("RIFF");
    u32(quint32(36 + data.size()));
    out.append("WAVEfmt ");
    u32(16);
    u16(1); // PCM
    u16(1); // mono
    u32(kRate);
    u32(kRate * 2);
    u16(2);
    u16(16);
    out.append("data");
    u32(quint32(data.size()));
    out.append(data);
    return out;
}

std::vector<float> silence(double seconds) {
    return std::vector<float>(size_t(seconds * kRate), 0.0f);
}

// A deterministic noise source (the same file on every build).
float noise(quint32& state) {
    state = state * 1664525u + 1013904223u;
    return float(int(state >> 9) - (1 << 22)) / float(1 << 22);
}

void addTone(std::vector<float>& buf, double start, double length, double freq, double amp,
             double decay) {
    const size_t from = size_t(start * kRate);
    const size_t n = size_t(length * kRate);
    if (buf.size() < from + n)
        buf.resize(from + n, 0.0f);
    for (size_t i = 0; i < n; ++i) {
        const double t = double(i) / kRate;
        const double attack = qMin(1.0, t / 0.004);
        const double env = attack * qExp(-t * decay);
        buf[from + i] += float(amp * env * qSin(2 * M_PI * freq * t));
    }
}

void addTick(std::vector<float>& buf, double start, double amp, quint32 seed) {
    const size_t from = size_t(start * kRate);
    const size_t n = size_t(0.012 * kRate);
    if (buf.size() < from + n)
        buf.resize(from + n, 0.0f);
    float low = 0;
    for (size_t i = 0; i < n; ++i) {
        const double env = qExp(-double(i) / (0.0025 * kRate));
        low = low * 0.6f + noise(seed) * 0.4f;
        buf[from + i] += float(amp * env) * low;
    }
    addTone(buf, start, 0.03, 1800, amp * 0.35, 160);
}

void pad(std::vector<float>& buf, double total) {
    if (buf.size() < size_t(total * kRate))
        buf.resize(size_t(total * kRate), 0.0f);
}

} // namespace

QByteArray click() {
    std::vector<float> buf = silence(0.01);
    addTick(buf, 0.01, 0.7, 12345u);
    addTone(buf, 0.01, 0.06, 620, 0.18, 70);
    pad(buf, 0.15);
    return wav(buf);
}

QByteArray toggle() {
    std::vector<float> buf = silence(0.01);
    addTick(buf, 0.01, 0.55, 777u);
    addTick(buf, 0.055, 0.45, 999u);
    pad(buf, 0.16);
    return wav(buf);
}

QByteArray exitChime() {
    std::vector<float> buf = silence(0.01);
    addTone(buf, 0.01, 0.5, 784, 0.25, 7);
    addTone(buf, 0.14, 0.5, 587, 0.25, 7);
    addTone(buf, 0.27, 0.55, 392, 0.28, 6);
    pad(buf, 0.9);
    return wav(buf);
}

QByteArray horn() {
    std::vector<float> buf = silence(0.02);
    const size_t from = buf.size(), n = size_t(0.8 * kRate);
    buf.resize(from + n + size_t(0.1 * kRate), 0.0f);
    for (size_t i = 0; i < n; ++i) {
        const double t = double(i) / kRate;
        const double env = qMin(1.0, t / 0.02) * qMin(1.0, (0.8 - t) / 0.05);
        double s = 0;
        for (double f : {400.0, 500.0}) // the two horns
            for (int h = 1; h <= 5; ++h)
                s += qSin(2 * M_PI * f * h * t) / (h * 1.6);
        buf[from + i] = float(0.16 * env * qBound(-1.2, s, 1.2));
    }
    return wav(buf);
}

QByteArray theme() {
    // A calm arpeggio over two chords, four bars, ~12 s.
    std::vector<float> buf = silence(0.05);
    const QList<QList<double>> chords = {{220.0, 277.18, 329.63, 440.0},
                                         {196.0, 246.94, 293.66, 392.0},
                                         {174.61, 220.0, 261.63, 349.23},
                                         {196.0, 246.94, 329.63, 392.0}};
    const double beat = 0.375;
    double t = 0.05;
    for (const QList<double>& chord : chords) {
        addTone(buf, t, 3.2, chord.first() / 2, 0.10, 0.9);
        for (int step = 0; step < 8; ++step) {
            const double f = chord.at(step % 4) * (step >= 4 ? 2 : 1);
            addTone(buf, t + step * beat, 1.2, f, 0.07, 3.0);
        }
        t += 8 * beat;
    }
    pad(buf, t + 1.2);
    // Fade the last second.
    const size_t n = buf.size(), fade = size_t(1.0 * kRate);
    for (size_t i = 0; i < fade; ++i)
        buf[n - fade + i] *= float(1.0 - double(i) / fade);
    return wav(buf);
}

QByteArray road() {
    // The second title of the music list: a walking bass under a short
    // major melody, two bars repeated, ~8 s.
    std::vector<float> buf = silence(0.05);
    const QList<double> bass = {130.81, 164.81, 196.0, 164.81, 146.83, 174.61, 220.0, 174.61};
    const QList<double> tune = {523.25, 587.33, 659.26, 783.99, 659.26, 587.33, 523.25, 440.0};
    const double beat = 0.45;
    double t = 0.05;
    for (int round = 0; round < 2; ++round) {
        for (int step = 0; step < 8; ++step) {
            addTone(buf, t + step * beat, 0.8, bass.at(step), 0.09, 2.5);
            addTone(buf, t + step * beat + beat / 2, 0.6, tune.at((step + round * 3) % 8), 0.05,
                    4.0);
        }
        t += 8 * beat;
    }
    pad(buf, t + 1.0);
    const size_t n = buf.size(), fade = size_t(0.8 * kRate);
    for (size_t i = 0; i < fade; ++i)
        buf[n - fade + i] *= float(1.0 - double(i) / fade);
    return wav(buf);
}

} // namespace soundsynth
