#pragma once

#include <QByteArray>
#include <QList>
#include <QUrl>
#include <functional>

// The desktop's shell services: opening files with their default program
// and the like. Tests install a recorder instead.
class Shell {
public:
    virtual ~Shell() = default;
    // Opens a file, folder or address with the default application, as the
    // shell's default verb did. False when nothing could be started.
    virtual bool OpenDefault(const QUrl& url) = 0;
    // The file manager's properties sheet for a file or folder, by its bytes.
    // Returns at once; when no file manager answers, fallback runs later
    // (our own sheet).
    virtual void ShowProperties(const QByteArray& rawPath, std::function<void()> fallback) = 0;
    // Turns on the screen saver now. False when the desktop has none to start.
    virtual bool StartScreenSaver() = 0;
};

// The address of a local file by its bytes: a name that is not valid UTF-8
// stays percent-encoded byte for byte, so it names that file and no other.
QUrl FileUrl(const QByteArray& rawPath);

// xdg-open through QDesktopServices; the properties sheet over D-Bus
// (org.freedesktop.FileManager1); the screen saver by xdg-screensaver, else
// org.freedesktop.ScreenSaver.
class DesktopShell : public Shell {
public:
    bool OpenDefault(const QUrl& url) override;
    void ShowProperties(const QByteArray& rawPath, std::function<void()> fallback) override;
    bool StartScreenSaver() override;
};

// Records what it was asked to do.
class FakeShell : public Shell {
public:
    QList<QUrl> opened;
    bool OpenDefault(const QUrl& url) override {
        opened << url;
        return true;
    }
    QList<QByteArray> properties;
    bool fileManagerAnswers = true;  // false: the fallback runs at once
    void ShowProperties(const QByteArray& rawPath, std::function<void()> fallback) override {
        properties << rawPath;
        if (!fileManagerAnswers && fallback) fallback();
    }
    int screenSavers = 0;
    bool StartScreenSaver() override {
        ++screenSavers;
        return true;
    }
};
