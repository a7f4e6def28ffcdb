// The wallpaper service: which desktop an environment names, the command
// lines each desktop gets, falling back when one fails, and the real command
// runner against a recording stand-in for feh.
#include <QDir>
#include <QtTest>

#include "TestEnv.h"
#include "platform/Wallpaper.h"

using Commands = QList<DesktopCommand>;
using Backends = QList<WallpaperBackend>;
Q_DECLARE_METATYPE(WallpaperBackend)

namespace {
const QString kPath = "/data/Kvo View/Kvo View Wallpaper.bmp";
const QString kUri = "file:///data/Kvo%20View/Kvo%20View%20Wallpaper.bmp";

DesktopCommand gset(const QString& key, const QString& value) {
    return {"gsettings", {"set", "org.gnome.desktop.background", key, value}};
}
DesktopCommand xset(const QString& prop, const QString& type, const QString& value) {
    return {"xfconf-query",
            {"-c", "xfce4-desktop", "-p", prop, "--create", "-t", type, "-s", value}};
}
QProcessEnvironment desktop(const QString& name) {
    QProcessEnvironment env;
    env.insert("XDG_CURRENT_DESKTOP", name);
    return env;
}
}  // namespace

class TestWallpaper : public QObject {
    Q_OBJECT
private slots:
    void backends_data() {
        QTest::addColumn<QString>("desktop");
        QTest::addColumn<Backends>("backends");
        const auto P = WallpaperBackend::Portal, F = WallpaperBackend::Feh;
        QTest::newRow("GNOME") << "GNOME" << Backends{WallpaperBackend::Gnome, P, F};
        QTest::newRow("Ubuntu's") << "ubuntu:GNOME" << Backends{WallpaperBackend::Gnome, P, F};
        QTest::newRow("XFCE") << "XFCE" << Backends{WallpaperBackend::Xfce, P, F};
        QTest::newRow("Plasma") << "KDE" << Backends{WallpaperBackend::Plasma, P, F};
        QTest::newRow("other") << "sway" << Backends{P, F};
        QTest::newRow("none") << "" << Backends{P, F};
    }
    void backends() {
        QFETCH(QString, desktop);
        QFETCH(Backends, backends);
        QCOMPARE(WallpaperBackends(::desktop(desktop)), backends);
    }

    void commands_data() {
        QTest::addColumn<WallpaperBackend>("backend");
        QTest::addColumn<int>("mode");
        QTest::addColumn<QStringList>("xfceProperties");
        QTest::addColumn<Commands>("commands");
        const QString q = '\'' + kUri + '\'';
        // Each desktop is pointed away first: none reloads a value that did
        // not change, and the file behind it has.
        QTest::newRow("GNOME tiled")
            << WallpaperBackend::Gnome << 1 << QStringList()
            << Commands{gset("picture-options", "wallpaper"), gset("picture-uri", "''"),
                        gset("picture-uri", q), gset("picture-uri-dark", "''"),
                        gset("picture-uri-dark", q)};
        const QString mon = "/backdrop/screen0/monitorHDMI-1/workspace0";
        QTest::newRow("XFCE centred, listed monitors")
            << WallpaperBackend::Xfce << 0
            << QStringList{mon + "/last-image", mon + "/color-style", "/desktop-icons/style"}
            << Commands{xset(mon + "/image-style", "int", "1"),
                        xset(mon + "/last-image", "string", ""),
                        xset(mon + "/last-image", "string", kPath)};
        const QString first = "/backdrop/screen0/monitor0/workspace0";
        QTest::newRow("XFCE stretched, nothing listed")
            << WallpaperBackend::Xfce << 2 << QStringList()
            << Commands{xset(first + "/image-style", "int", "3"),
                        xset(first + "/last-image", "string", ""),
                        xset(first + "/last-image", "string", kPath)};
        QTest::newRow("portal")
            << WallpaperBackend::Portal << 1 << QStringList()
            << Commands{{"gdbus",
                         {"call", "--session", "--dest", "org.freedesktop.portal.Desktop",
                          "--object-path", "/org/freedesktop/portal/desktop", "--method",
                          "org.freedesktop.portal.Wallpaper.SetWallpaperURI", "''", q,
                          "{'show-preview': <false>, 'set-on': <'background'>}"}}};
        QTest::newRow("feh stretched") << WallpaperBackend::Feh << 2 << QStringList()
                                       << Commands{{"feh", {"--no-fehbg", "--bg-scale", kPath}}};
    }
    void commands() {
        QFETCH(WallpaperBackend, backend);
        QFETCH(int, mode);
        QFETCH(QStringList, xfceProperties);
        QFETCH(Commands, commands);
        QCOMPARE(WallpaperCommands(backend, kPath, mode, xfceProperties), commands);
    }

    // The script sets the fill mode and points the desktops away before the file.
    void plasmaScript() {
        const Commands c = WallpaperCommands(WallpaperBackend::Plasma, "/a \"b\".bmp", 1);
        QCOMPARE(c.size(), 1);
        QCOMPARE(c[0].arguments.mid(0, 5),
                 QStringList({"--session", "--type=method_call", "--dest=org.kde.plasmashell",
                              "/PlasmaShell", "org.kde.PlasmaShell.evaluateScript"}));
        const QString script = c[0].arguments.value(5);
        QVERIFY(script.contains("writeConfig(\"FillMode\", 3)"));
        const int away = script.indexOf("writeConfig(\"Image\", \"\")");
        QVERIFY(away > 0 && script.indexOf("\"file:///a%20%22b%22.bmp\")") > away);
    }

    // The session's desktop first; a failing one hands over to the next,
    // though GNOME without the dark key still counts.
    void fallsBack_data() {
        QTest::addColumn<QString>("desktop");
        QTest::addColumn<QStringList>("failing");  // programs that fail
        QTest::addColumn<QStringList>("ran");      // first argument of each command run
        QTest::addColumn<bool>("ok");
        QTest::newRow("GNOME without dark key")
            << "GNOME" << QStringList{"picture-uri-dark"}
            << QStringList{"gsettings", "gsettings", "gsettings", "gsettings", "gsettings"} << true;
        QTest::newRow("no gsettings, portal")
            << "GNOME" << QStringList{"gsettings"} << QStringList{"gsettings", "gdbus"} << true;
        QTest::newRow("XFCE lists first")
            << "XFCE" << QStringList()
            << QStringList{"xfconf-query", "xfconf-query", "xfconf-query", "xfconf-query"} << true;
        QTest::newRow("nothing answers")
            << "" << QStringList{"gdbus", "feh"} << QStringList{"gdbus", "feh"} << false;
    }
    void fallsBack() {
        QFETCH(QString, desktop);
        QFETCH(QStringList, failing);
        QFETCH(QStringList, ran);
        QFETCH(bool, ok);
        QStringList seen;
        DesktopWallpaper w(::desktop(desktop), [&](const DesktopCommand& c, QByteArray* out) {
            seen << c.program;
            if (out) *out = "/backdrop/screen0/monitor0/workspace0/last-image\n";
            const bool fails = failing.contains(c.program) ||
                               std::any_of(c.arguments.begin(), c.arguments.end(),
                                           [&](const QString& a) { return failing.contains(a); });
            return fails ? 1 : 0;
        });
        QCOMPARE(w.SetWallpaper(kPath, 1), ok);
        QCOMPARE(seen, ran);
    }

    // The real runner, with feh and gdbus replaced on PATH by scripts.
    void realRunner() {
        const QString bin = UseFreshSettings() + "bin/";
        QDir().mkpath(bin);
        auto script = [&](const QString& name, const QByteArray& body) {
            QFile f(bin + name);
            QVERIFY(f.open(QIODevice::WriteOnly));
            f.write("#!/bin/sh\n" + body);
            f.close();
            f.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner |
                             QFileDevice::ExeOwner);
        };
        script("gdbus", "exit 1\n");
        script("feh", "printf '%s\\n' \"$@\" > \"$(dirname \"$0\")/feh.args\"\n");
        const QByteArray oldPath = qgetenv("PATH");
        qputenv("PATH", QFile::encodeName(bin) + ':' + oldPath);
        DesktopWallpaper w(desktop("none"));
        const bool ok = w.SetWallpaper(kPath, 2);
        qputenv("PATH", oldPath);
        QVERIFY(ok);
        QFile args(bin + "feh.args");
        QVERIFY(args.open(QIODevice::ReadOnly));
        QCOMPARE(args.readAll(), "--no-fehbg\n--bg-scale\n" + kPath.toUtf8() + '\n');
        QCOMPARE(RunDesktopCommand({bin + "missing", {}}, nullptr), -1);
    }
};

KVO_TEST_MAIN_CORE(TestWallpaper)
#include "tst_platform_wallpaper.moc"
