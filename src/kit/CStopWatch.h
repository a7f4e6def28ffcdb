#pragma once

#include <QtGlobal>

// Millisecond stopwatch over the system's 32-bit millisecond counter.
class CStopWatch {
public:
    CStopWatch();
    // Milliseconds since creation or the last Reset (32-bit wrap-around safe).
    qint32 Elapsed() const;
    qint32 MinimumResolution() const { return minimum_; }
    qint32 MaximumResolution() const { return maximum_; }
    void Reset();

private:
    qint32 start_ = 0;
    qint32 minimum_ = 0;
    qint32 maximum_ = 0;
};
