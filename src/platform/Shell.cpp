#include "platform/Shell.h"

#include <QDesktopServices>
#include <QProcess>

#include "platform/FileSystem.h"

QUrl FileUrl(const QByteArray& rawPath) {
    return QUrl::fromEncoded("file://" + rawPath.toPercentEncoding("/"), QUrl::StrictMode);
}

bool DesktopShell::OpenDefault(const QUrl& url) {
    // Qt hands a local file on as text, which cannot carry a name that is
    // not valid UTF-8; xdg-open takes the address with its bytes encoded.
    if (url.isLocalFile() &&
        !IsTextPath(QByteArray::fromPercentEncoding(url.path(QUrl::FullyEncoded).toLatin1())))
        return QProcess::startDetached("xdg-open", {QString::fromLatin1(url.toEncoded())});
    return QDesktopServices::openUrl(url);
}
