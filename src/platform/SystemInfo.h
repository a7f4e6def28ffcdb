#pragma once

#include <QString>

// Facts about the user, the program and the places it may write to.
class SystemInfo {
public:
    virtual ~SystemInfo() = default;
    // The user's full name from the password database (first GECOS field),
    // else the login name.
    virtual QString RegisteredOwner() const = 0;
    // Empty unless the system names an organisation.
    virtual QString RegisteredOrganization() const = 0;
    // Folder of the running executable, ending in '/'.
    virtual QString ProgramFolder() const = 0;
    // Mount point of the volume holding path, ending in '/' (usually "/").
    virtual QString VolumeRoot(const QString& path) const = 0;
    // The program's own data folder, standing in for the Windows directory:
    // $XDG_DATA_HOME/Kvo View/, created on demand, ending in '/'.
    virtual QString WindowsDirectory() const = 0;
};

class LinuxSystemInfo : public SystemInfo {
public:
    QString RegisteredOwner() const override;
    QString RegisteredOrganization() const override;
    QString ProgramFolder() const override;
    QString VolumeRoot(const QString& path) const override;
    QString WindowsDirectory() const override;
};

// Fixed answers for tests.
class FakeSystemInfo : public SystemInfo {
public:
    QString owner, organization, programFolder = "/opt/kvo/", volumeRoot = "/", windowsDir;
    QString RegisteredOwner() const override { return owner; }
    QString RegisteredOrganization() const override { return organization; }
    QString ProgramFolder() const override { return programFolder; }
    QString VolumeRoot(const QString&) const override { return volumeRoot; }
    QString WindowsDirectory() const override { return windowsDir; }
};
