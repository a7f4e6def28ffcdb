#pragma once

// Timing helpers shared by the benchmarks.
#include <QElapsedTimer>
#include <algorithm>
#include <functional>
#include <vector>

inline double median(std::vector<double> times) {
    std::sort(times.begin(), times.end());
    return times[times.size() / 2];
}

inline double timeMs(const std::function<void()>& work) {
    QElapsedTimer timer;
    timer.start();
    work();
    return timer.nsecsElapsed() / 1e6;
}
