#include "platform/Shell.h"

#include <QDesktopServices>
#include <QUrl>

bool DesktopShell::OpenDefault(const QString& path) {
    const QUrl url = path.contains("://") ? QUrl(path) : QUrl::fromLocalFile(path);
    return QDesktopServices::openUrl(url);
}
