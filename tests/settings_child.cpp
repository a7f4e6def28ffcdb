// A second process writing to a settings file, driven by tst_platform_settings.
//
//   settings_child loop <file>
//       Sets [Loop] key<n % 40> = LoopValue(n) for n = 0, 1, 2..., carrying on
//       from the highest n already in the file; prints "running" after the
//       first write and goes on until killed (at most a minute).
//   settings_child keys <file> <prefix> <count>
//       Prints "ready", waits for a line on stdin, then sets [Both]
//       <prefix><i> = v<i> for i < count. Exits 0 when every write succeeded.

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

int Loop(const QString& file) {
    IniSettingsBackend settings(file);
    int n = 0;
    for (const auto& [key, value] : settings.Section(QStringLiteral("Loop")))
        n = std::max(n, value.section(u'|', 0, 0).toInt() + 1);
    QElapsedTimer running;
    running.start();
    for (bool first = true; running.elapsed() < 60000; first = false, ++n) {
        if (!settings.SetValue(QStringLiteral("Loop"), QStringLiteral("key%1").arg(n % 40),
                               LoopValue(n)))
            return 1;
        if (first) {
            std::puts("running");
            std::fflush(stdout);
        }
    }
    return 0;
}

int Keys(const QString& file, const QString& prefix, int count) {
    IniSettingsBackend settings(file);
    std::puts("ready");
    std::fflush(stdout);
    char line[16];
    if (!std::fgets(line, sizeof line, stdin)) return 2;
    bool allSaved = true;
    for (int i = 0; i < count; ++i)
        allSaved &= settings.SetValue(QStringLiteral("Both"), prefix + QString::number(i),
                                      QStringLiteral("v%1").arg(i));
    return allSaved ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() == 3 && args[1] == u"loop") return Loop(args[2]);
    if (args.size() == 5 && args[1] == u"keys") return Keys(args[2], args[3], args[4].toInt());
    std::fputs("usage: settings_child loop <file> | keys <file> <prefix> <count>\n", stderr);
    return 2;
}
