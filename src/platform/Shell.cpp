#include "platform/Shell.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
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

namespace {
// Calls a session-bus method without waiting; onError runs when the call
// fails or nobody answers within timeoutMs.
void callAsync(const QString& service, const QString& path, const QString& interface,
               const QString& method, const QList<QVariant>& args, int timeoutMs,
               std::function<void()> onError) {
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected()) {
        if (onError) onError();
        return;
    }
    QDBusMessage m = QDBusMessage::createMethodCall(service, path, interface, method);
    m.setArguments(args);
    auto* watcher = new QDBusPendingCallWatcher(bus.asyncCall(m, timeoutMs));
    QObject::connect(watcher, &QDBusPendingCallWatcher::finished, watcher,
                     [watcher, onError = std::move(onError)] {
                         if (watcher->isError() && onError) onError();
                         watcher->deleteLater();
                     });
}
}  // namespace

void DesktopShell::ShowProperties(const QByteArray& rawPath, std::function<void()> fallback) {
    const QString uri = QString::fromLatin1(FileUrl(rawPath).toEncoded());
    callAsync("org.freedesktop.FileManager1", "/org/freedesktop/FileManager1",
              "org.freedesktop.FileManager1", "ShowItemProperties", {QStringList{uri}, QString()},
              5000, std::move(fallback));
}

bool DesktopShell::StartScreenSaver() {
    if (QProcess::startDetached("xdg-screensaver", {"activate"})) return true;
    callAsync("org.freedesktop.ScreenSaver", "/org/freedesktop/ScreenSaver",
              "org.freedesktop.ScreenSaver", "SetActive", {true}, 5000, {});
    return QDBusConnection::sessionBus().isConnected();
}
