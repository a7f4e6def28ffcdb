#include "platform/SystemInfo.h"

#include <pwd.h>
#include <unistd.h>
#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>
#include <QStorageInfo>

#include <vector>

namespace {
QString withSlash(const QString& path) {
    return path.endsWith('/') ? path : path + '/';
}

// The user's entry in the password database: full name (first GECOS field)
// and login name.
struct Passwd {
    QString fullName, login;
};

Passwd readPasswd() {
    Passwd result;
    long hint = sysconf(_SC_GETPW_R_SIZE_MAX);
    std::vector<char> buffer(hint > 0 ? size_t(hint) : 16384);
    passwd entry{};
    passwd* found = nullptr;
    if (getpwuid_r(getuid(), &entry, buffer.data(), buffer.size(), &found) != 0 || !found)
        return result;
    if (found->pw_gecos)
        result.fullName = QString::fromLocal8Bit(found->pw_gecos).section(',', 0, 0).trimmed();
    if (found->pw_name) result.login = QString::fromLocal8Bit(found->pw_name);
    return result;
}
}  // namespace

QString LinuxSystemInfo::RegisteredOwner() const {
    const Passwd pw = readPasswd();
    if (!pw.fullName.isEmpty()) return pw.fullName;
    if (!pw.login.isEmpty()) return pw.login;
    return qEnvironmentVariable("USER");
}

// Linux has no system-wide organisation name; $ORGANIZATION is the old Unix
// convention (news and mail programs) for naming one.
QString LinuxSystemInfo::RegisteredOrganization() const {
    return qEnvironmentVariable("ORGANIZATION");
}

QString LinuxSystemInfo::ProgramFolder() const {
    return withSlash(QCoreApplication::applicationDirPath());
}

QString LinuxSystemInfo::VolumeRoot(const QString& path) const {
    // A drive letter is read off the path's text whether or not the path
    // exists, so a path that does not exist yet belongs to the volume of its
    // nearest existing ancestor.
    QString probe =
        QDir::cleanPath(QDir::isAbsolutePath(path) ? path : QDir::current().absoluteFilePath(path));
    while (!QFileInfo::exists(probe) && probe != "/" && !probe.isEmpty())
        probe = QFileInfo(probe).path();
    const QStorageInfo volume(probe);
    if (!volume.isValid() || volume.rootPath().isEmpty()) return "/";
    return withSlash(volume.rootPath());
}

QString LinuxSystemInfo::WindowsDirectory() const {
    const QString dir =
        QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) + "/Kvo View/";
    QDir().mkpath(dir);
    return dir;
}
