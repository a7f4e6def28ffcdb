// The about box: the version and usage lines from the store, and its
// clickable web address.
#include <QLabel>
#include <QtTest>

#include "TestEnv.h"
#include "kit/Forms.h"
#include "kit/Settings.h"
#include "platform/Platform.h"
#include "platform/Shell.h"
#include "tools/KvoAbout.h"

class TestAbout : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates)); }

    void usageLine_data() {
        QTest::addColumn<QString>("stored");  // empty: not stored
        QTest::addColumn<QString>("number");
        QTest::newRow("missing") << ""
                                 << "";
        QTest::newRow("zero") << "0"
                              << "";
        QTest::newRow("12345") << "12345"
                               << "12,345";
        QTest::newRow("at its stop") << "32767"
                                     << "32,767";
        QTest::newRow("millions") << "123456789"
                                  << "123,456,789";
        QTest::newRow("no number") << "lots"
                                   << "lots";
    }

    void usageLine() {
        QFETCH(QString, stored);
        QFETCH(QString, number);
        UseFreshSettings();
        if (!stored.isEmpty()) WriteSetting("Browser Options", "Odometer", stored);
        auto* a = Forms::Get<KvoAbout>();
        a->Form_Load();
        QCOMPARE(a->windowTitle(), "About...");
        QCOMPARE(a->Label1[1]->text(), "Kvo View v.1.0.53");
        QCOMPARE(a->Label2[3]->text(), "Kvo View 1.0.53 has been used to view " + number +
                                           " images since you installed the program.");
        a->Command1_Click();
        QTRY_VERIFY(!Forms::Loaded<KvoAbout>());
    }

    void onlyTheAddressOpens() {
        auto shell = std::make_unique<FakeShell>();
        FakeShell* fake = shell.get();
        Platform::SetShell(std::move(shell));
        auto* a = Forms::Get<KvoAbout>();
        a->Form_Load();
        a->show();
        QTest::mouseClick(a->Label1[1], Qt::LeftButton);
        QVERIFY(fake->opened.isEmpty());
        QTest::mouseClick(a->Label1[2], Qt::LeftButton);
        QCOMPARE(fake->opened, QList<QUrl>({QUrl(a->Label1[2]->text())}));
        a->close();
        QTRY_VERIFY(!Forms::Loaded<KvoAbout>());
    }
};

KVO_TEST_MAIN(TestAbout)
#include "tst_about.moc"
