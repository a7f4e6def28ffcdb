#include "platform/Shell.h"

#include <QDesktopServices>
#include <QFile>
#include <QProcess>

QUrl FileUrl(const QByteArray& rawPath) {
    return QUrl::fromEncoded("file://" + rawPath.toPercentEncoding("/"), QUrl::StrictMode);
}

bool DesktopShell::OpenDefault(const QUrl& url) {
    // Qt hands a local file on as text, which cannot carry a name that is
    // not valid UTF-8; xdg-open takes the address with its bytes encoded.
    const QByteArray encoded = url.toEncoded();
    if (url.isLocalFile() &&
        FileUrl(QFile::encodeName(url.toLocalFile())).toEncoded() != encoded)
        return QProcess::startDetached("xdg-open", {QString::fromLatin1(encoded)});
    return QDesktopServices::openUrl(url);
}
