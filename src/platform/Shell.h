#pragma once

#include <QList>
#include <QUrl>

// The desktop's shell services: opening files with their default program
// and the like. Tests install a recorder instead.
class Shell {
public:
    virtual ~Shell() = default;
    // Opens a file, folder or address with the default application, as the
    // shell's default verb did. False when nothing could be started.
    virtual bool OpenDefault(const QUrl& url) = 0;
};

// The address of a local file by its bytes: a name that is not valid UTF-8
// stays percent-encoded byte for byte, so it names that file and no other.
QUrl FileUrl(const QByteArray& rawPath);

// xdg-open through QDesktopServices.
class DesktopShell : public Shell {
public:
    bool OpenDefault(const QUrl& url) override;
};

// Records what it was asked to do.
class FakeShell : public Shell {
public:
    QList<QUrl> opened;
    bool OpenDefault(const QUrl& url) override {
        opened << url;
        return true;
    }
};
