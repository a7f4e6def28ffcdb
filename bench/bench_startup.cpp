// Start-up time of the real kvoview, from the process's start to the first
// frame of its main window, beside a bare main window (QApplication and a
// QMainWindow with a menu bar and a status bar, linked with the same Qt
// modules) to its first frame. Median of 10 starts each, after two warm-up
// starts of each (page cache warm), alternating the two programs. Each
// program ends itself right after its first frame (KVO_BENCH_FIRST_FRAME).
// Runs offscreen, and again on an Xvfb server when there is one, with a
// throwaway HOME and XDG folders (empty settings: first-run defaults) and no
// session bus. Target: kvoview <= 1.5x the bare window.

#include <QCoreApplication>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <cstdio>
#include <ctime>
#include <vector>

#include "BenchUtil.h"

namespace {

qint64 nowNs() {
    timespec t{};
    clock_gettime(CLOCK_MONOTONIC, &t);
    return t.tv_sec * 1000000000LL + t.tv_nsec;
}

// Milliseconds from the start to the first frame; negative when the program
// gave no first frame.
double startOnce(const QString& program, const QProcessEnvironment& env, const QString& dir) {
    const QString stamp = dir + "/first-frame";
    QFile::remove(stamp);
    QProcess p;
    p.setProcessEnvironment(env);
    p.setWorkingDirectory(dir);
    // The offscreen platform's warnings would bury the figures.
    p.setStandardOutputFile(QProcess::nullDevice());
    p.setStandardErrorFile(dir + "/stderr.log");
    const qint64 start = nowNs();
    p.start(program, {});
    if (!p.waitForFinished(60000)) {
        p.kill();
        p.waitForFinished();
        return -1;
    }
    QFile f(stamp);
    if (!f.open(QIODevice::ReadOnly)) return -1;
    bool ok = false;
    const qint64 frame = f.readAll().trimmed().toLongLong(&ok);
    return ok ? (frame - start) / 1e6 : -1;
}

bool measure(const char* label, const QProcessEnvironment& env, const QString& dir) {
    constexpr int kRuns = 10;
    const QString ours = QStringLiteral(KVO_PROGRAM), bare = QStringLiteral(KVO_BARE);
    for (int i = 0; i < 2; ++i) {
        if (startOnce(ours, env, dir) < 0 || startOnce(bare, env, dir) < 0) {
            QFile log(dir + "/stderr.log");
            log.open(QIODevice::ReadOnly);
            std::printf("%s: a program gave no first frame; it said:\n%s\n", label,
                        log.readAll().right(2000).constData());
            return false;
        }
    }
    std::vector<double> oursMs, bareMs;
    for (int i = 0; i < kRuns; ++i) {
        oursMs.push_back(startOnce(ours, env, dir));
        bareMs.push_back(startOnce(bare, env, dir));
    }
    const double o = median(oursMs), b = median(bareMs);
    std::printf("%-10s kvoview %7.1f ms   bare window %7.1f ms   ratio %.2f (target <= 1.50)\n",
                label, o, b, o / b);
    return o / b <= 1.5;
}

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    QTemporaryDir tmp;
    if (!tmp.isValid()) return 1;
    const QString home = tmp.path();
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("HOME", home);
    env.insert("XDG_CONFIG_HOME", home + "/config");
    env.insert("XDG_DATA_HOME", home + "/data");
    env.insert("XDG_CACHE_HOME", home + "/cache");
    env.insert("XDG_STATE_HOME", home + "/state");
    QFile::setPermissions(home, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    env.insert("XDG_RUNTIME_DIR", home);
    env.insert("DBUS_SESSION_BUS_ADDRESS", "unix:path=" + home + "/no-bus");
    env.insert("KVO_BENCH_FIRST_FRAME", home + "/first-frame");
    env.remove("KVO_TRACE_START");

    QProcessEnvironment offscreen = env;
    offscreen.insert("QT_QPA_PLATFORM", "offscreen");
    offscreen.remove("DISPLAY");
    offscreen.remove("WAYLAND_DISPLAY");
    bool ok = measure("offscreen", offscreen, home);

    const QString xvfb = QStandardPaths::findExecutable("Xvfb");
    if (xvfb.isEmpty()) {
        std::printf("xcb        no Xvfb: not measured\n");
        return ok ? 0 : 2;
    }
    QProcess server;
    server.start(xvfb, {"-displayfd", "1", "-screen", "0", "1280x1024x24", "-nolisten", "tcp"});
    QByteArray display;
    while (!display.contains('\n') && server.waitForReadyRead(10000))
        display += server.readAllStandardOutput();
    if (display.trimmed().isEmpty()) {
        std::printf("xcb        Xvfb did not start: not measured\n");
    } else {
        QProcessEnvironment x = env;
        x.insert("QT_QPA_PLATFORM", "xcb");
        x.insert("DISPLAY", ":" + QString::fromLatin1(display.trimmed()));
        x.remove("WAYLAND_DISPLAY");
        ok = measure("xcb/Xvfb", x, home) && ok;
    }
    server.terminate();
    server.waitForFinished(5000);
    return ok ? 0 : 2;
}
