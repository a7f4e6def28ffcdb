// A second process writing to a settings file, driven by tst_platform_settings.
//
//   settings_child loop <file> <batch>
//       Sets [Loop] key<n % 40> = LoopValue(n) for n = 0, 1, 2..., carrying on
//       from the highest n already in the file, <batch> values to a batch;
//       prints "running" after the first write and goes on until killed (at
//       most a minute).
//   settings_child keys <file> <prefix> <count> <batch>
//       Prints "ready", waits for a line on stdin, then sets [Both]
//       <prefix><i> = v<i> for i < count, <batch> keys to a batch. Exits 0
//       when every write succeeded.

#include <QCoreApplication>
#include <QElapsedTimer>
#include <algorithm>
#include <cstdio>

#include "platform/SettingsBackend.h"

namespace {

// Must match LoopValue in tst_platform_settings.cpp: a value that needs most
// escapes and changes its length from one write to the next.
QString LoopValue(int n) {
    return QString::number(n) + u'|' + QString(n % 97, u'x') + QStringLiteral(" a=b\n\\[;#\t ") +
           QChar(0xD800) + QStringLiteral("é ");
}

// Runs write(i) for i < count, `batch` of them at a time; false when a
// write or a batch did not reach the disk.
template <typename Write>
bool Batched(IniSettingsBackend& settings, int from, int count, int batch, Write write) {
    bool saved = true;
    for (int i = from; i < from + count; i += batch) {
        if (batch > 1) settings.BeginBatch();
        for (int j = i; j < std::min(i + batch, from + count); ++j) saved &= write(j);
        if (batch > 1) saved &= settings.EndBatch();
    }
    return saved;
}

int Loop(const QString& file, int batch) {
    IniSettingsBackend settings(file);
    int n = 0;
    for (const auto& [key, value] : settings.Section(QStringLiteral("Loop")))
        n = std::max(n, value.section(u'|', 0, 0).toInt() + 1);
    QElapsedTimer running;
    running.start();
    for (bool first = true; running.elapsed() < 60000; first = false, n += batch) {
        if (!Batched(settings, n, batch, batch, [&](int i) {
                return settings.SetValue(QStringLiteral("Loop"),
                                         QStringLiteral("key%1").arg(i % 40), LoopValue(i));
            }))
            return 1;
        if (first) {
            std::puts("running");
            std::fflush(stdout);
        }
    }
    return 0;
}

int Keys(const QString& file, const QString& prefix, int count, int batch) {
    IniSettingsBackend settings(file);
    std::puts("ready");
    std::fflush(stdout);
    char line[16];
    if (!std::fgets(line, sizeof line, stdin)) return 2;
    return Batched(settings, 0, count, batch,
                   [&](int i) {
                       return settings.SetValue(QStringLiteral("Both"), prefix + QString::number(i),
                                                QStringLiteral("v%1").arg(i));
                   })
               ? 0
               : 1;
}

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() == 4 && args[1] == u"loop") return Loop(args[2], args[3].toInt());
    if (args.size() == 6 && args[1] == u"keys")
        return Keys(args[2], args[3], args[4].toInt(), args[5].toInt());
    std::fputs("usage: settings_child loop <file> <batch> | keys <file> <prefix> <count> <batch>\n",
               stderr);
    return 2;
}
