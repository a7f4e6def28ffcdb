// The applications offered for a file: what the installed .desktop entries
// declare, in the order and with the removals the user's mimeapps.list asks.
#include <QDir>
#include <QFile>
#include <QtTest>

#include "TestEnv.h"
#include "platform/Launchers.h"

namespace {
void write(const QString& path, const QByteArray& text) {
    QDir().mkpath(QFileInfo(path).path());
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly) || f.write(text) != text.size()) qFatal("cannot write");
}
}  // namespace

class TestPlatformLaunchers : public QObject {
    Q_OBJECT

private slots:
    void applications_data() {
        QTest::addColumn<QByteArray>("mimeapps");
        QTest::addColumn<QStringList>("names");
        QTest::newRow("as installed") << QByteArray() << QStringList{"Viewer", "Paint"};
        QTest::newRow("the user's default first")
            << QByteArray("[Default Applications]\nimage/bmp=paint.desktop\n")
            << QStringList{"Paint", "Viewer"};
        QTest::newRow("one removed")
            << QByteArray("[Removed Associations]\nimage/bmp=viewer.desktop;\n")
            << QStringList{"Paint"};
    }
    void applications() {
        QFETCH(QByteArray, mimeapps);
        QFETCH(QStringList, names);
        const QString root = QDir::tempPath() + "/launchers-" + QTest::currentDataTag();
        QDir(root).removeRecursively();
        // Only this test's folders: none of the machine's applications, but
        // its file types.
        QDir().mkpath(root + "/types");
        QFile::link("/usr/share/mime", root + "/types/mime");
        qputenv("XDG_DATA_HOME", QFile::encodeName(root + "/data"));
        qputenv("XDG_DATA_DIRS", QFile::encodeName(root + "/system:" + root + "/types"));
        qputenv("XDG_CONFIG_HOME", QFile::encodeName(root + "/config"));
        qputenv("XDG_CONFIG_DIRS", QFile::encodeName(root + "/etc"));
        const QString apps = root + "/system/applications/";
        write(apps + "mimeinfo.cache",
              "[MIME Cache]\nimage/png=other.desktop;\n"
              "image/bmp=viewer.desktop;gone.desktop;hidden.desktop;paint.desktop;\n");
        write(apps + "viewer.desktop", "[Desktop Entry]\nName=Viewer\nExec=viewer %f\n");
        write(apps + "paint.desktop",
              "[Desktop Action New]\nName=New\n[Desktop Entry]\nName=Paint\nExec=paint %U\n");
        write(apps + "hidden.desktop", "[Desktop Entry]\nName=Hidden\nExec=x\nHidden=true\n");
        write(apps + "other.desktop", "[Desktop Entry]\nName=Other\nExec=other\n");
        if (!mimeapps.isEmpty()) write(root + "/config/mimeapps.list", mimeapps);
        QStringList got;
        for (const DesktopApp& a :
             DesktopLaunchers().ApplicationsFor(QFile::encodeName(root + "/a.bmp")))
            got << a.name;
        QCOMPARE(got, names);
        QDir(root).removeRecursively();
    }
};

KVO_TEST_MAIN_CORE(TestPlatformLaunchers)
#include "tst_platform_launchers.moc"
