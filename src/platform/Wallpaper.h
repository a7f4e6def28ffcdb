#pragma once

#include <QList>
#include <QProcessEnvironment>
#include <QString>
#include <QStringList>
#include <functional>
#include <memory>

// The desktop's wallpaper: a picture file shown centred (mode 0), tiled (1)
// or stretched (2). Tests install a recorder instead of the desktop.
class WallpaperService {
public:
    virtual ~WallpaperService() = default;
    // Shows the file at path as the wallpaper. The same path may be given
    // again after the file was rewritten; the desktop must show the new
    // picture. False when no desktop took it.
    virtual bool SetWallpaper(const QString& path, int mode) = 0;
};

// One program and its arguments, run without a shell.
struct DesktopCommand {
    QString program;
    QStringList arguments;
    bool operator==(const DesktopCommand&) const = default;
};

// Runs a command and waits for it (with a time limit); returns its exit
// code, -1 when it could not start or ran too long. output receives what it
// printed, when asked for.
using CommandRunner = std::function<int(const DesktopCommand&, QByteArray* output)>;
int RunDesktopCommand(const DesktopCommand& command, QByteArray* output);

// The desktops we know, in the order they are tried.
enum class WallpaperBackend { Gnome, Xfce, Plasma, Portal, Feh };

// The backends to try for an environment: the session's own desktop by
// XDG_CURRENT_DESKTOP first, then the wallpaper portal, then feh.
QList<WallpaperBackend> WallpaperBackends(const QProcessEnvironment& env);

// The commands that set path as wallpaper on one backend, in order. XFCE
// sets every monitor's property of xfceProperties (as `xfconf-query -l`
// lists them); an empty list uses the first monitor's. Each desktop is first
// pointed elsewhere and then at the file, because none reloads a value that
// did not change.
QList<DesktopCommand> WallpaperCommands(WallpaperBackend backend, const QString& path, int mode,
                                        const QStringList& xfceProperties = {});

// The wallpaper through the session's desktop: each backend's commands run
// in turn until one backend's all succeed.
class DesktopWallpaper : public WallpaperService {
public:
    explicit DesktopWallpaper(QProcessEnvironment env = QProcessEnvironment::systemEnvironment(),
                              CommandRunner run = RunDesktopCommand);
    bool SetWallpaper(const QString& path, int mode) override;

private:
    QProcessEnvironment env_;
    CommandRunner run_;
};

// Records what it was asked to show.
class FakeWallpaper : public WallpaperService {
public:
    struct Call {
        QString path;
        int mode;
    };
    QList<Call> calls;
    bool SetWallpaper(const QString& path, int mode) override {
        calls << Call{path, mode};
        return true;
    }
};

// The service in use: the session's desktop unless one was installed.
WallpaperService& Wallpaper();
// Installs a service (null: back to the desktop's) and returns the old one.
std::unique_ptr<WallpaperService> SetWallpaperService(std::unique_ptr<WallpaperService> s);
