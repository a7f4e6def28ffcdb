#pragma once

#include <QString>
#include <QTemporaryDir>
#include <QtTest>

// Gives a test program its own HOME, XDG_CONFIG_HOME, XDG_DATA_HOME,
// XDG_CACHE_HOME and XDG_RUNTIME_DIR under one temporary folder, so nothing a
// test does reaches the real user's files. Must exist before QApplication.
class TestEnv {
public:
    TestEnv();
    ~TestEnv();
    QString root() const { return dir_.path(); }
    QString home() const { return dir_.path() + "/home"; }
    QString configHome() const { return dir_.path() + "/config"; }
    QString dataHome() const { return dir_.path() + "/data"; }
    // Where the settings file of this test lives.
    QString settingsFile() const;
    // A fresh empty folder under the temporary root.
    QString makeDir(const QString& name) const;

private:
    QTemporaryDir dir_;
};

class FakeSystemInfo;

// Points the program at a new, empty settings file in a fresh temporary
// folder and returns that folder (ending in '/').
QString UseFreshSettings();
// Installs a FakeSystemInfo whose program folder lies on the volume root
// given (ending in '/'); returns it for further tweaks.
FakeSystemInfo* UseFakeSystem(const QString& volumeRoot);

// Runs the real platform services except for a fixed 1024x768 screen at
// 15 twips per pixel, so layout numbers are the same on every machine.
void InstallTestPlatform();

#define KVO_TEST_MAIN(TestObject)                \
    int main(int argc, char** argv) {            \
        TestEnv env;                             \
        QApplication app(argc, argv);            \
        app.setAttribute(Qt::AA_Use96Dpi, true); \
        InstallTestPlatform();                   \
        TestObject tc;                           \
        QTEST_SET_MAIN_SOURCE_PATH               \
        return QTest::qExec(&tc, argc, argv);    \
    }

// For tests without widgets.
#define KVO_TEST_MAIN_CORE(TestObject)        \
    int main(int argc, char** argv) {         \
        TestEnv env;                          \
        QCoreApplication app(argc, argv);     \
        TestObject tc;                        \
        QTEST_SET_MAIN_SOURCE_PATH            \
        return QTest::qExec(&tc, argc, argv); \
    }
