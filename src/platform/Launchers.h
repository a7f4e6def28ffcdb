#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>
#include <QUrl>

#include "platform/PathText.h"

// An application the desktop has registered (a .desktop entry).
struct DesktopApp {
    QString id;    // "org.gnome.eog.desktop"
    QString name;  // shown to the user
    QString exec;  // its command line with field codes (%f, %U, ...)
};

// The desktop's own tools the Shell menu hands the user over to. Paths are
// the file's bytes. Tests install FakeLaunchers: nothing here may run in one.
class Launchers {
public:
    virtual ~Launchers() = default;
    // Opens a file or address with its default application.
    virtual bool OpenDefault(const QUrl& url) = 0;
    // The desktop portal's chooser of applications for the file; false when
    // no portal answers.
    virtual bool OpenWithPortal(const QByteArray& path) = 0;
    // The applications registered for the file's type, the user's default first.
    virtual QList<DesktopApp> ApplicationsFor(const QByteArray& path) = 0;
    virtual bool OpenWith(const DesktopApp& app, const QByteArray& path) = 0;
    // A command line run through /bin/sh, detached.
    virtual bool RunCommand(const QString& commandLine) = 0;
    // The desktop's file search tool on the folder, else the file manager.
    virtual bool FindFiles(const QByteArray& folder) = 0;
    // The desktop's disk utility; false when none is installed.
    virtual bool StartDiskUtility() = 0;
    enum class Power { PowerOff, Reboot, LogOut };
    // Asks the login manager, which asks for authorisation itself; false
    // when it cannot be reached.
    virtual bool RequestPower(Power what) = 0;
};

// xdg-open, the OpenURI portal, the applications' .desktop files and their
// mimeinfo.cache / mimeapps.list, logind over the system bus.
class DesktopLaunchers : public Launchers {
public:
    bool OpenDefault(const QUrl& url) override;
    bool OpenWithPortal(const QByteArray& path) override;
    QList<DesktopApp> ApplicationsFor(const QByteArray& path) override;
    bool OpenWith(const DesktopApp& app, const QByteArray& path) override;
    bool RunCommand(const QString& commandLine) override;
    bool FindFiles(const QByteArray& folder) override;
    bool StartDiskUtility() override;
    bool RequestPower(Power what) override;
};

// The arguments of an application's command line for one file: %f and %F
// become the path's bytes, %u and %U its address, other field codes go; the
// path is appended when the line names no file at all.
QList<QByteArray> ExecArguments(const QString& exec, const QByteArray& path);

// Records every request as "what:argument" and starts nothing.
class FakeLaunchers : public Launchers {
public:
    QStringList calls;
    bool portal = false;
    bool diskUtility = false;
    QList<DesktopApp> apps;
    bool OpenDefault(const QUrl& url) override {
        calls << "open:" + url.toString();
        return true;
    }
    bool OpenWithPortal(const QByteArray& path) override {
        calls << "portal:" + PathText(path);
        return portal;
    }
    QList<DesktopApp> ApplicationsFor(const QByteArray&) override { return apps; }
    bool OpenWith(const DesktopApp& app, const QByteArray& path) override {
        calls << "with:" + app.id + " " + PathText(path);
        return true;
    }
    bool RunCommand(const QString& commandLine) override {
        calls << "run:" + commandLine;
        return true;
    }
    bool FindFiles(const QByteArray& folder) override {
        calls << "find:" + PathText(folder);
        return true;
    }
    bool StartDiskUtility() override {
        calls << "disks:";
        return diskUtility;
    }
    bool RequestPower(Power what) override {
        calls << QString("power:%1").arg(int(what));
        return true;
    }
};
