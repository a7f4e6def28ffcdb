#include "platform/Wallpaper.h"

#include <QProcess>
#include <QUrl>

namespace {
// How long one desktop command may take before it is given up.
constexpr int kStartMs = 3000;
constexpr int kFinishMs = 10000;

// A text as a GVariant string literal, as gsettings and gdbus read their values.
QString gvariantString(const QString& s) {
    QString out = s;
    out.replace('\\', "\\\\").replace('\'', "\\'");
    return '\'' + out + '\'';
}

// A text as a JavaScript string literal.
QString scriptString(const QString& s) {
    QString out = s;
    out.replace('\\', "\\\\").replace('"', "\\\"").replace('\n', "\\n");
    return '"' + out + '"';
}

QString fileUri(const QString& path) {
    return QString::fromUtf8(QUrl::fromLocalFile(path).toEncoded());
}

int clampMode(int mode) {
    return mode < 0 || mode > 2 ? 0 : mode;
}

QList<DesktopCommand> gnome(const QString& path, int mode) {
    static const char* const options[] = {"centered", "wallpaper", "stretched"};
    const QString schema = "org.gnome.desktop.background";
    const QString uri = gvariantString(fileUri(path));
    QList<DesktopCommand> out;
    out << DesktopCommand{"gsettings", {"set", schema, "picture-options", options[mode]}};
    for (const QString key : {"picture-uri", "picture-uri-dark"}) {
        out << DesktopCommand{"gsettings", {"set", schema, key, "''"}};
        out << DesktopCommand{"gsettings", {"set", schema, key, uri}};
    }
    return out;
}

QList<DesktopCommand> xfce(const QString& path, int mode, QStringList properties) {
    const QString suffix = "/last-image";
    properties.removeIf([&](const QString& p) { return !p.endsWith(suffix); });
    if (properties.isEmpty()) properties << "/backdrop/screen0/monitor0/workspace0/last-image";
    const QString style = QString::number(mode + 1);  // 1 centred, 2 tiled, 3 stretched
    QList<DesktopCommand> out;
    for (const QString& p : properties) {
        const QString styleProp = p.left(p.size() - suffix.size()) + "/image-style";
        auto set = [&](const QString& prop, const QString& type, const QString& value) {
            out << DesktopCommand{
                "xfconf-query",
                {"-c", "xfce4-desktop", "-p", prop, "--create", "-t", type, "-s", value}};
        };
        set(styleProp, "int", style);
        set(p, "string", "");
        set(p, "string", path);
    }
    return out;
}

QList<DesktopCommand> plasma(const QString& path, int mode) {
    static const int fill[] = {6, 3, 0};  // centred (pad), tiled, stretched
    const QString script =
        QString(
            "var all = desktops();"
            "for (var i = 0; i < all.length; i++) {"
            "var d = all[i];"
            "d.wallpaperPlugin = \"org.kde.image\";"
            "d.currentConfigGroup = [\"Wallpaper\", \"org.kde.image\", \"General\"];"
            "d.writeConfig(\"FillMode\", %1);"
            "d.writeConfig(\"Image\", \"\");"
            "d.writeConfig(\"Image\", %2);"
            "}")
            .arg(fill[mode])
            .arg(scriptString(fileUri(path)));
    return {
        DesktopCommand{"dbus-send",
                       {"--session", "--type=method_call", "--dest=org.kde.plasmashell",
                        "/PlasmaShell", "org.kde.PlasmaShell.evaluateScript", "string:" + script}}};
}

QList<DesktopCommand> portal(const QString& path) {
    return {DesktopCommand{
        "gdbus",
        {"call", "--session", "--dest", "org.freedesktop.portal.Desktop", "--object-path",
         "/org/freedesktop/portal/desktop", "--method",
         "org.freedesktop.portal.Wallpaper.SetWallpaperURI", "''", gvariantString(fileUri(path)),
         "{'show-preview': <false>, 'set-on': <'background'>}"}}};
}

QList<DesktopCommand> feh(const QString& path, int mode) {
    static const char* const options[] = {"--bg-center", "--bg-tile", "--bg-scale"};
    return {DesktopCommand{"feh", {"--no-fehbg", options[mode], path}}};
}
}  // namespace

int RunDesktopCommand(const DesktopCommand& command, QByteArray* output) {
    QProcess p;
    p.setProcessChannelMode(output ? QProcess::SeparateChannels : QProcess::ForwardedErrorChannel);
    p.start(command.program, command.arguments);
    if (!p.waitForStarted(kStartMs)) return -1;
    p.closeWriteChannel();
    if (!p.waitForFinished(kFinishMs)) {
        p.kill();
        p.waitForFinished(1000);
        return -1;
    }
    if (output) *output = p.readAllStandardOutput();
    return p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
}

QList<WallpaperBackend> WallpaperBackends(const QProcessEnvironment& env) {
    QList<WallpaperBackend> out;
    const QStringList desktops = env.value("XDG_CURRENT_DESKTOP").toUpper().split(':');
    for (const QString& d : desktops) {
        if (d == "GNOME" || d == "GNOME-CLASSIC" || d == "UNITY")
            out << WallpaperBackend::Gnome;
        else if (d == "XFCE")
            out << WallpaperBackend::Xfce;
        else if (d == "KDE")
            out << WallpaperBackend::Plasma;
        if (!out.isEmpty()) break;
    }
    out << WallpaperBackend::Portal << WallpaperBackend::Feh;
    return out;
}

QList<DesktopCommand> WallpaperCommands(WallpaperBackend backend, const QString& path, int mode,
                                        const QStringList& xfceProperties) {
    mode = clampMode(mode);
    switch (backend) {
        case WallpaperBackend::Gnome:
            return gnome(path, mode);
        case WallpaperBackend::Xfce:
            return xfce(path, mode, xfceProperties);
        case WallpaperBackend::Plasma:
            return plasma(path, mode);
        case WallpaperBackend::Portal:
            return portal(path);
        case WallpaperBackend::Feh:
            return feh(path, mode);
    }
    return {};
}

DesktopWallpaper::DesktopWallpaper(QProcessEnvironment env, CommandRunner run)
    : env_(std::move(env)), run_(std::move(run)) {}

bool DesktopWallpaper::SetWallpaper(const QString& path, int mode) {
    for (WallpaperBackend backend : WallpaperBackends(env_)) {
        QStringList properties;
        if (backend == WallpaperBackend::Xfce) {
            QByteArray listed;
            if (run_({"xfconf-query", {"-c", "xfce4-desktop", "-l"}}, &listed) != 0) continue;
            properties = QString::fromUtf8(listed).split('\n', Qt::SkipEmptyParts);
        }
        const QList<DesktopCommand> commands = WallpaperCommands(backend, path, mode, properties);
        bool ok = true;
        for (const DesktopCommand& c : commands) {
            // An older GNOME has no dark-style key; the light one is what counts.
            const bool optional = c.arguments.contains("picture-uri-dark");
            if (run_(c, nullptr) != 0 && !optional) {
                ok = false;
                break;
            }
        }
        if (ok) return true;
    }
    return false;
}

namespace {
std::unique_ptr<WallpaperService>& installed() {
    static std::unique_ptr<WallpaperService> s;
    return s;
}
}  // namespace

WallpaperService& Wallpaper() {
    if (!installed()) installed() = std::make_unique<DesktopWallpaper>();
    return *installed();
}

std::unique_ptr<WallpaperService> SetWallpaperService(std::unique_ptr<WallpaperService> s) {
    std::swap(installed(), s);
    return s;
}
