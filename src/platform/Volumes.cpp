#include "platform/Volumes.h"

LinuxVolumes::LinuxVolumes(const QString& mountInfoPath, const QString& sysBlockPath)
    : mountInfo_(mountInfoPath), sysBlock_(sysBlockPath) {}

QStringList LinuxVolumes::DriveRoots() const {
    return {"/"};
}

int LinuxVolumes::DriveType(const QString&) const {
    return DRIVE_FIXED;
}
