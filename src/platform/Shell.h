#pragma once

#include <QString>
#include <QStringList>

// The desktop's shell services: opening files with their default program
// and the like. Tests install a recorder instead.
class Shell {
public:
    virtual ~Shell() = default;
    // Opens a file, folder or address with the default application, as the
    // shell's default verb did. False when nothing could be started.
    virtual bool OpenDefault(const QString& path) = 0;
};

// xdg-open through QDesktopServices.
class DesktopShell : public Shell {
public:
    bool OpenDefault(const QString& path) override;
};

// Records what it was asked to do.
class FakeShell : public Shell {
public:
    QStringList opened;
    bool OpenDefault(const QString& path) override {
        opened << path;
        return true;
    }
};
