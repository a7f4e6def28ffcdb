// The program's store operations: how stored texts convert, and the list
// sections.
#include <QDir>
#include <QtTest>

#include "TestEnv.h"
#include "kit/Schema.h"
#include "kit/Settings.h"
#include "platform/Platform.h"
#include "platform/SettingsBackend.h"
#include "platform/SystemInfo.h"

class TestSchema : public QObject {
    Q_OBJECT

    void freshStore() {
        UseFreshSettings();
        UseFakeSystem("/media/usb/")->programFolder = "/media/usb/kvo/";
    }

private slots:
    void init() { freshStore(); }

    void booleans_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("expected");  // -1 cannot be converted
        QTest::newRow("True") << "True" << 1;
        QTest::newRow("false lower") << "false" << 0;
        QTest::newRow("zero") << "0" << 0;
        QTest::newRow("minus one") << "-1" << 1;
        QTest::newRow("spaces") << " True " << 1;
        QTest::newRow("yes") << "yes" << -1;
        QTest::newRow("empty") << "" << -1;
    }

    void booleans() {
        QFETCH(QString, text);
        QFETCH(int, expected);
        const std::optional<bool> v = ToBool(text);
        QCOMPARE(v.has_value() ? int(*v) : -1, expected);
    }

    void integers_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("expected");
        QTest::addColumn<bool>("ok");
        QTest::newRow("plain") << "2" << 2 << true;
        QTest::newRow("overflow") << "32768" << 0 << false;
        QTest::newRow("smallest") << "-32768" << -32768 << true;
        QTest::newRow("half to even") << "2.5" << 2 << true;
        QTest::newRow("word") << "two" << 0 << false;
        QTest::newRow("empty") << "" << 0 << false;
    }

    void integers() {
        QFETCH(QString, text);
        QFETCH(int, expected);
        QFETCH(bool, ok);
        const auto v = ToInt16(text);
        QCOMPARE(v.has_value(), ok);
        if (ok) QCOMPARE(int(*v), expected);
    }

    void listSectionsKeepWrittenOrder() {
        // The organizer rewrites favourites as a whole, in its own order.
        DeleteSection("Favorite Folders");
        WriteSetting("Favorite Folders", "B", QString("/b"));
        WriteSetting("Favorite Folders", "A", QString("/a"));
        auto rows = ReadSection("Favorite Folders");
        QCOMPARE(int(rows.size()), 2);
        QCOMPARE(rows[0].first, QString("B"));
        QCOMPARE(rows[1].second, QString("/a"));
        DeleteSection("favorite folders");
        QVERIFY(ReadSection("Favorite Folders").empty());
        QVERIFY(ReadSection("Recent Folders").empty());
        QCOMPARE(ReadSetting("Recent Folders", "Recent Folder 0"), QString());
    }
};

KVO_TEST_MAIN(TestSchema)
#include "tst_schema.moc"
