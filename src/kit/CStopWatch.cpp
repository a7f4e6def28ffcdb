#include "kit/CStopWatch.h"

#include "platform/Clock.h"
#include "platform/Platform.h"

CStopWatch::CStopWatch() {
    qint32 minimum = 0, maximum = 0;
    if (Platform::clock().timeGetDevCaps(&minimum, &maximum)) {
        minimum_ = minimum;
        maximum_ = maximum;
    }
    Reset();
}

// Subtracting in unsigned arithmetic gives the right count even when the
// counter wrapped past 2^32 since the start.
qint32 CStopWatch::Elapsed() const {
    return qint32(Platform::clock().timeGetTime() - quint32(start_));
}

void CStopWatch::Reset() {
    start_ = qint32(Platform::clock().timeGetTime());
}
