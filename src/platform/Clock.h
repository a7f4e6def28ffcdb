#pragma once

#include <QtGlobal>

// The system millisecond counter behind the stopwatch. Like the counter it
// stands for, it is 32 bits wide and wraps around.
class Clock {
public:
    virtual ~Clock() = default;
    // Milliseconds since an arbitrary fixed point, modulo 2^32.
    virtual quint32 timeGetTime() const = 0;
    // Smallest and largest timer periods in milliseconds; false when unknown.
    virtual bool timeGetDevCaps(qint32* periodMin, qint32* periodMax) const = 0;
};

// CLOCK_MONOTONIC, so the counter never jumps with the wall clock.
class SteadyClock : public Clock {
public:
    quint32 timeGetTime() const override;
    bool timeGetDevCaps(qint32* periodMin, qint32* periodMax) const override;
};

// A clock that only moves when told to, for tests.
class FakeClock : public Clock {
public:
    quint32 now = 0;
    qint32 minPeriod = 1, maxPeriod = 1000000;
    quint32 timeGetTime() const override { return now; }
    bool timeGetDevCaps(qint32* periodMin, qint32* periodMax) const override {
        *periodMin = minPeriod;
        *periodMax = maxPeriod;
        return true;
    }
};
