// Start-up: the splash window names the user, brings up the main window and
// goes away by itself.
#include <QDir>
#include <QLabel>
#include <QTimer>
#include <QtTest>

#include "TestEnv.h"
#include "app/frmspash.h"
#include "browser/frmMain.h"
#include "kit/Forms.h"
#include "platform/Platform.h"
#include "platform/SettingsBackend.h"
#include "platform/SystemInfo.h"

class TestSplash : public QObject {
    Q_OBJECT

    void useSystem(const QString& owner, const QString& organization) {
        FakeSystemInfo* sys = UseFakeSystem(QDir::tempPath() + "/");
        sys->owner = owner;
        sys->organization = organization;
    }

private slots:
    void initTestCase() { UseFreshSettings(); }

    void cleanup() {
        if (frmMain::Exists()) frmMain::Instance()->close();
        Forms::Close<frmspash>();
        QTRY_VERIFY(!frmMain::Exists() && !Forms::Loaded<frmspash>());
    }

    void labels_data() {
        QTest::addColumn<QString>("owner");
        QTest::addColumn<QString>("organization");
        QTest::newRow("both") << "Ada Lovelace"
                              << "Analytical Engines Ltd";
        QTest::newRow("no organisation") << "Zoë Ñandú"
                                         << "";
    }

    void labels() {
        QFETCH(QString, owner);
        QFETCH(QString, organization);
        useSystem(owner, organization);
        frmspash* s = frmspash::Instance();
        s->Form_Load();
        QCOMPARE(s->Label1(1)->text(), owner);
        QCOMPARE(s->Label1(4)->text(), organization);
        QCOMPARE(s->Label1(3)->text(), QString("v.1.0.53"));
        QCOMPARE(s->Label1(5)->text(), QString(" Initializing setup..."));
        QCOMPARE(s->Label3->text(), QString("Kvo View"));
        // The main window is up before the splash has gone.
        QVERIFY(frmMain::Exists() && frmMain::Instance()->isVisible());
        QVERIFY(s->isVisible());
        QCOMPARE(s->cursor().shape(), Qt::WaitCursor);
    }

    void closesByItself() {
        useSystem("a", "b");
        frmspash* s = frmspash::Instance();
        QPointer<frmspash> ref(s);
        s->Form_Load();
        QVERIFY(s->isVisible());
        QTRY_VERIFY_WITH_TIMEOUT(ref.isNull(), 10000);
        // The main window stays.
        QVERIFY(frmMain::Exists() && frmMain::Instance()->isVisible());
    }
};

KVO_TEST_MAIN(TestSplash)
#include "tst_splash.moc"
