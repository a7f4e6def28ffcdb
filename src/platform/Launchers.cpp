#include "platform/Launchers.h"

#include <fcntl.h>
#include <sys/wait.h>
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
#include <cerrno>
#include <optional>
#include <vector>

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

// Starts a program with arguments given as bytes, so a file name that is not
// UTF-8 reaches it as it is (QProcess would pass text). The program runs on
// its own: a child in between exits at once and is reaped here.
bool startDetached(const QList<QByteArray>& argv) {
    if (argv.isEmpty()) return false;
    const QString found = QStandardPaths::findExecutable(QString::fromUtf8(argv.first()));
    if (found.isEmpty()) return false;
    const QByteArray program = QFile::encodeName(found);
    for (const QByteArray& a : argv)
        if (a.contains('\0')) return false;
    std::vector<char*> args;
    for (const QByteArray& a : argv) args.push_back(const_cast<char*>(a.constData()));
    args.push_back(nullptr);
    const pid_t child = fork();
    if (child < 0) return false;
    if (child == 0) {
        // Only calls that are safe after fork in a threaded program.
        setsid();
        if (fork() == 0) {
            execv(program.constData(), args.data());
            _exit(127);
        }
        _exit(0);
    }
    int status = 0;
    while (waitpid(child, &status, 0) < 0 && errno == EINTR) {
    }
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

bool startFirst(const QList<QList<QByteArray>>& commands) {
    for (const QList<QByteArray>& c : commands)
        if (startDetached(c)) return true;
    return false;
}
}  // namespace

QList<QByteArray> ExecArguments(const QString& exec, const QByteArray& path) {
    QList<QByteArray> out;
    bool named = false;
    for (QString arg : QProcess::splitCommand(exec)) {
        if (arg == "%f" || arg == "%F") {
            out << path;
            named = true;
        } else if (arg == "%u" || arg == "%U") {
            out << FileUrl(path).toEncoded();
            named = true;
        } else if (arg.size() == 2 && arg[0] == '%' && arg[1] != '%') {
            continue;  // %i, %c, %k and the deprecated codes
        } else {
            out << arg.replace("%%", "%").toUtf8();
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
    // By the name's ending and the first bytes, read through the file's own bytes.
    QMimeDatabase db;
    QMimeType mime = db.mimeTypeForFile(ShownText(path), QMimeDatabase::MatchExtension);
    QFile file;
    const int fd = ::open(path.constData(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd >= 0 && file.open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle))
        mime = db.mimeTypeForFileNameAndData(ShownText(path), &file);
    else if (fd >= 0)
        ::close(fd);
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
    return startDetached(ExecArguments(app.exec, path));
}

bool DesktopLaunchers::RunCommand(const QString& commandLine) {
    if (commandLine.trimmed().isEmpty()) return false;
    return QProcess::startDetached("/bin/sh", {"-c", commandLine}, QDir::homePath());
}

bool DesktopLaunchers::FindFiles(const QByteArray& folder) {
    if (startFirst({{"catfish", "--path=" + folder},
                    {"gnome-search-tool", "--path=" + folder},
                    {"kfind", folder},
                    {"mate-search-tool", "--path=" + folder}}))
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
