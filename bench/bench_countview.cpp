// What counting one view costs every preview: CountView, and the read of
// "Odometer" inside it, each beside the store's own read and write of the
// same key with a literal default, measured in the same run on the real
// services (the real screen, the real mount table).

#include <QApplication>
#include <QTemporaryDir>
#include <cstdio>
#include <functional>
#include <utility>
#include <vector>

#include "kit/PictureFit.h"
#include "kit/Schema.h"
#include "kit/Settings.h"

#include "BenchUtil.h"
#include "BenchWindow.h"

namespace {
// Median microseconds per call of ours and of the baseline, over rounds of
// `calls` calls each, taken in turns so a busy disk slows both alike.
std::pair<double, double> micros(int rounds, int calls, const std::function<void()>& ours,
                                 const std::function<void()>& baseline) {
    std::vector<double> a, b;
    auto perCall = [calls](const std::function<void()>& call) {
        return timeMs([&] {
                   for (int c = 0; c < calls; ++c) call();
               }) *
               1000.0 / calls;
    };
    for (int r = 0; r < rounds; ++r) {
        a.push_back(perCall(ours));
        b.push_back(perCall(baseline));
    }
    return {median(a), median(b)};
}
}  // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QTemporaryDir tmp;
    if (!tmp.isValid()) return 1;
    InstallBenchSettings(tmp.path());
    WriteSetting("Browser Options", "Odometer", 1);

    qsizetype sink = 0;
    const auto [read, readBare] = micros(
        101, 200, [&] { sink += ReadSetting(Keys::Odometer).size(); },
        [&] { sink += ReadSetting("Browser Options", "Odometer", 0).size(); });
    // Every call writes: the count goes up by one each time.
    const auto [count, countBare] = micros(
        51, 10, [] { CountView(); },
        [] {
            const int n = ReadSetting("Browser Options", "Odometer", 0).toInt();
            WriteSetting("Browser Options", "Odometer", n + 1);
        });
    std::printf("read of \"Odometer\": %.2f us (baseline, the store's read: %.2f us), ratio %.2f\n",
                read, readBare, read / readBare);
    std::printf("CountView: %.1f us (baseline, the store's read and write: %.1f us), ratio %.2f\n",
                count, countBare, count / countBare);
    return sink == 42 ? 2 : 0;
}
