#include "platform/Launchers.h"

#include <fcntl.h>
#include <unistd.h>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusUnixFileDescriptor>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QMimeDatabase>
#include <QProcess>
#include <QStandardPaths>
#include <optional>

#include "platform/Shell.h"

namespace {
// The keys of one group of a desktop-entry style file ("[Desktop Entry]").
QHash<QString, QString> readGroup(const QString& file, const QString& group) {
    QHash<QString, QString> keys;
    QFile f(file);
    if (!f.open(QIODevice::ReadOnly | QIODevice::Text)) return keys;
    bool in = false;
    for (int lines = 0; !f.atEnd() && lines < 10000; ++lines) {
        const QString line = QString::fromUtf8(f.readLine()).trimmed();
        if (line.startsWith('[')) {
            in = line == '[' + group + ']';
            continue;
        }
        const int eq = line.indexOf('=');
        if (in && eq > 0 && !keys.contains(line.left(eq).trimmed()))
            keys.insert(line.left(eq).trimmed(), line.mid(eq + 1).trimmed());
    }
    return keys;
}

QStringList ids(const QString& list) {
    return list.split(';', Qt::SkipEmptyParts);
}

std::optional<DesktopApp> readApp(const QString& id) {
    for (const QString& dir :
         QStandardPaths::standardLocations(QStandardPaths::ApplicationsLocation)) {
        const QString file = dir + '/' + id;
        if (!QFileInfo::exists(file)) continue;
        const QHash<QString, QString> e = readGroup(file, "Desktop Entry");
        if (e.value("Hidden") == "true" || e.value("Exec").isEmpty()) return std::nullopt;
        return DesktopApp{id, e.value("Name", id), e.value("Exec")};
    }
    return std::nullopt;
}

bool startFirst(const QList<QStringList>& commands) {
    for (const QStringList& c : commands)
        if (!QStandardPaths::findExecutable(c.first()).isEmpty() &&
            QProcess::startDetached(c.first(), c.mid(1)))
            return true;
    return false;
}
}  // namespace

QStringList ExecArguments(const QString& exec, const QString& path) {
    QStringList out;
    bool named = false;
    for (QString arg : QProcess::splitCommand(exec)) {
        if (arg == "%f" || arg == "%F") {
            out << path;
            named = true;
        } else if (arg == "%u" || arg == "%U") {
            out << QUrl::fromLocalFile(path).toString(QUrl::FullyEncoded);
            named = true;
        } else if (arg.size() == 2 && arg[0] == '%' && arg[1] != '%') {
            continue;  // %i, %c, %k and the deprecated codes
        } else {
            out << arg.replace("%%", "%");
        }
    }
    if (!named && !out.isEmpty()) out << path;
    return out;
}

bool DesktopLaunchers::OpenDefault(const QUrl& url) {
    if (url.isEmpty() || (url.isLocalFile() && url.path().isEmpty())) return false;
    return DesktopShell().OpenDefault(url);
}

bool DesktopLaunchers::OpenWithPortal(const QByteArray& path) {
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected()) return false;
    const int fd = ::open(path.constData(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return false;
    QDBusMessage m = QDBusMessage::createMethodCall("org.freedesktop.portal.Desktop",
                                                    "/org/freedesktop/portal/desktop",
                                                    "org.freedesktop.portal.OpenURI", "OpenFile");
    QVariantMap options{{"ask", true}};
    m.setArguments({QString(), QVariant::fromValue(QDBusUnixFileDescriptor(fd)), options});
    ::close(fd);  // the descriptor object holds its own copy
    // The portal answers at once with a request handle; its chooser then
    // runs on its own.
    const QDBusMessage reply = bus.call(m, QDBus::Block, 5000);
    return reply.type() == QDBusMessage::ReplyMessage;
}

QList<DesktopApp> DesktopLaunchers::ApplicationsFor(const QByteArray& path) {
    const QMimeType mime = QMimeDatabase().mimeTypeForFile(QFile::decodeName(path));
    QStringList types{mime.name()};
    types += mime.aliases();
    QStringList order, removed;
    // The user's choices first, then what the installed applications declare.
    for (const QString& dir : QStandardPaths::standardLocations(QStandardPaths::ConfigLocation)) {
        const QString list = dir + "/mimeapps.list";
        for (const QString& t : types) {
            order += ids(readGroup(list, "Default Applications").value(t));
            order += ids(readGroup(list, "Added Associations").value(t));
            removed += ids(readGroup(list, "Removed Associations").value(t));
        }
    }
    for (const QString& dir :
         QStandardPaths::standardLocations(QStandardPaths::ApplicationsLocation))
        for (const QString& t : types)
            order += ids(readGroup(dir + "/mimeinfo.cache", "MIME Cache").value(t));
    QList<DesktopApp> apps;
    QStringList seen;
    for (const QString& id : order) {
        if (seen.contains(id) || removed.contains(id)) continue;
        seen << id;
        if (std::optional<DesktopApp> app = readApp(id)) apps << *app;
    }
    return apps;
}

bool DesktopLaunchers::OpenWith(const DesktopApp& app, const QByteArray& path) {
    const QStringList args = ExecArguments(app.exec, QFile::decodeName(path));
    if (args.isEmpty()) return false;
    return QProcess::startDetached(args.first(), args.mid(1));
}

bool DesktopLaunchers::RunCommand(const QString& commandLine) {
    if (commandLine.trimmed().isEmpty()) return false;
    return QProcess::startDetached("/bin/sh", {"-c", commandLine}, QDir::homePath());
}

bool DesktopLaunchers::FindFiles(const QByteArray& folder) {
    const QString dir = QFile::decodeName(folder);
    if (startFirst({{"catfish", "--path=" + dir},
                    {"gnome-search-tool", "--path=" + dir},
                    {"kfind", dir},
                    {"mate-search-tool", "--path=" + dir}}))
        return true;
    return OpenDefault(FileUrl(folder));
}

bool DesktopLaunchers::StartDiskUtility() {
    return startFirst({{"gnome-disks"}, {"partitionmanager"}});
}

bool DesktopLaunchers::RequestPower(Power what) {
    QDBusConnection bus = QDBusConnection::systemBus();
    if (!bus.isConnected()) return false;
    QDBusMessage m;
    if (what == Power::LogOut) {
        m = QDBusMessage::createMethodCall("org.freedesktop.login1",
                                           "/org/freedesktop/login1/session/auto",
                                           "org.freedesktop.login1.Session", "Terminate");
    } else {
        m = QDBusMessage::createMethodCall("org.freedesktop.login1", "/org/freedesktop/login1",
                                           "org.freedesktop.login1.Manager",
                                           what == Power::PowerOff ? "PowerOff" : "Reboot");
        m.setArguments({true});  // interactive: the login manager asks for authorisation
    }
    // Not waited for: the authorisation prompt may take as long as the user does.
    return bus.send(m);
}
