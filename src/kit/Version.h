#pragma once

#include <QString>

// The program's version numbers, shown in the title, splash and help texts.
inline constexpr int kVersionMajor = KVO_VERSION_MAJOR;
inline constexpr int kVersionMinor = KVO_VERSION_MINOR;
inline constexpr int kVersionRevision = KVO_VERSION_REVISION;

// "1.0.53"
inline QString VersionText() {
    return QString::number(kVersionMajor) + "." + QString::number(kVersionMinor) + "." +
           QString::number(kVersionRevision);
}

inline const QString kAppName = QStringLiteral("Kvo View");
