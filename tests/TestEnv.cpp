#include "TestEnv.h"

#include <QCoreApplication>
#include <QDir>
#include <QtGlobal>
#include <filesystem>

#include "platform/Launchers.h"
#include "platform/Platform.h"
#include "platform/Printers.h"
#include "platform/ScreenMetrics.h"
#include "platform/SettingsBackend.h"
#include "platform/SystemInfo.h"

TestEnv::TestEnv() {
    if (!dir_.isValid()) qFatal("cannot create a temporary folder");
    for (const char* sub : {"home", "config", "data", "cache", "runtime", "tmp"})
        QDir().mkpath(root() + "/" + sub);
    // Tests that briefly act as another user still reach their files.
    for (const QString& p : {root(), root() + "/tmp"})
        QFile::setPermissions(p, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner |
                                     QFile::ReadOther | QFile::ExeOther | QFile::ReadGroup |
                                     QFile::ExeGroup);
    QFile::setPermissions(root() + "/runtime",
                          QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    qputenv("HOME", home().toLocal8Bit());
    qputenv("XDG_CONFIG_HOME", configHome().toLocal8Bit());
    qputenv("XDG_DATA_HOME", dataHome().toLocal8Bit());
    qputenv("XDG_CACHE_HOME", (root() + "/cache").toLocal8Bit());
    qputenv("XDG_RUNTIME_DIR", (root() + "/runtime").toLocal8Bit());
    // Temporary files of the test go away with its folder.
    qputenv("TMPDIR", (root() + "/tmp").toLocal8Bit());
    // Locale-dependent texts are checked with the C locale's separators.
    qputenv("LC_ALL", "C.UTF-8");
    qputenv("LANG", "C.UTF-8");
}

TestEnv::~TestEnv() {
    // By bytes: tests leave names that are not UTF-8, which QDir cannot remove.
    std::error_code ignored;
    std::filesystem::remove_all(std::filesystem::path(QFile::encodeName(root()).toStdString()),
                                ignored);
}

QString TestEnv::settingsFile() const {
    return configHome() + "/Kvo View/settings.ini";
}

QString TestEnv::makeDir(const QString& name) const {
    QString p = root() + "/" + name;
    QDir(p).removeRecursively();
    QDir().mkpath(p);
    return p;
}

void InstallTestPlatform() {
    Platform::InstallDefaults();
    Platform::SetScreen(std::make_unique<FixedScreenMetrics>(1024, 768, 15.0f));
    // No test prints, launches a program or asks for a power-off.
    Platform::SetPrinters(std::make_unique<FakePrinters>());
    Platform::SetLaunchers(std::make_unique<FakeLaunchers>());
}

QString UseFreshSettings() {
    static int run = 0;
    const QString dir = QDir::tempPath() + "/kvo-test-" +
                        QString::number(QCoreApplication::applicationPid()) + "-" +
                        QString::number(++run) + "/";
    QDir(dir).removeRecursively();
    QDir().mkpath(dir);
    Platform::SetSettings(std::make_unique<IniSettingsBackend>(dir + "config/settings.ini"));
    return dir;
}

FakeSystemInfo* UseFakeSystem(const QString& volumeRoot) {
    auto sys = std::make_unique<FakeSystemInfo>();
    sys->programFolder = volumeRoot + "bin/";
    sys->volumeRoot = volumeRoot;
    sys->windowsDir = volumeRoot + "windows/";
    FakeSystemInfo* raw = sys.get();
    Platform::SetSystem(std::move(sys));
    return raw;
}
