#pragma once

#include <QByteArrayView>
#include <QtGlobal>

// Every picture must come out byte for byte the same on every build, so all
// variation is drawn from the entry's own text: never from qHash (seeded per
// process) and never from the clock.

// FNV-1a, 32 bits: tiny, stable across platforms and good enough at spreading
// similar names ("Ember Moth", "Vellum Moth") far apart.
constexpr quint32 stableHash(QByteArrayView bytes)
{
    quint32 hash = 2166136261u;
    for (const char byte : bytes) {
        hash ^= quint8(byte);
        hash *= 16777619u;
    }
    return hash;
}

// A small deterministic stream (SplitMix32-style) seeded from such a hash.
// Each painter takes its own stream, so adding a detail in one painter leaves
// the choices of the others alone.
class SeededRandom
{
public:
    explicit SeededRandom(quint32 seed) : m_state(seed) { }

    quint32 next()
    {
        quint32 z = (m_state += 0x9e3779b9u);
        z = (z ^ (z >> 16)) * 0x85ebca6bu;
        z = (z ^ (z >> 13)) * 0xc2b2ae35u;
        return z ^ (z >> 16);
    }

    // In [0, 1).
    double unit() { return (next() >> 8) / double(1u << 24); }
    double between(double low, double high) { return low + (high - low) * unit(); }
    int below(int count) { return count > 0 ? int(next() % quint32(count)) : 0; }
    bool chance(double probability) { return unit() < probability; }

private:
    quint32 m_state;
};
