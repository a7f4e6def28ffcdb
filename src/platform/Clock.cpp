#include "platform/Clock.h"

#include <time.h>

quint32 SteadyClock::timeGetTime() const {
    timespec ts{};
    clock_gettime(CLOCK_MONOTONIC, &ts);
    const quint64 ms = quint64(ts.tv_sec) * 1000u + quint64(ts.tv_nsec) / 1000000u;
    return quint32(ms);  // wraps every 49.7 days, like the counter it replaces
}

bool SteadyClock::timeGetDevCaps(qint32* periodMin, qint32* periodMax) const {
    timespec res{};
    if (clock_getres(CLOCK_MONOTONIC, &res) != 0) return false;
    const qint64 ns = qint64(res.tv_sec) * 1000000000 + res.tv_nsec;
    // A period shorter than a millisecond still counts as one: the counter
    // cannot show anything finer.
    const qint64 ms = qMax<qint64>(1, (ns + 999999) / 1000000);
    *periodMin = qint32(qMin<qint64>(ms, 1000000));
    *periodMax = 1000000;
    return true;
}
