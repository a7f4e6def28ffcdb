// The settings schema seen through the program's store operations: what an
// empty store gives, how stored texts convert, and the list sections.
#include <QDir>
#include <QtTest>

#include "TestEnv.h"
#include "app/Schema.h"
#include "app/Settings.h"
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

    void emptyStoreDefaults_data() {
        QTest::addColumn<QString>("section");
        QTest::addColumn<QString>("key");
        QTest::addColumn<QString>("expected");
        // A few flags of each group; the rest share the same path.
        for (const char* k :
             {"Show BMP", "Show EMF", "Show Hidden Files", "Double Click", "Grid Lines"})
            QTest::newRow(k) << "Browser Options" << k << "True";
        QTest::newRow("preview") << "Browser Options"
                                 << "Preview Position"
                                 << "Right";
        QTest::newRow("left") << "Browser Options"
                              << "Left"
                              << "200";
        QTest::newRow("top") << "Browser Options"
                             << "Top"
                             << "200";
        QTest::newRow("width") << "Browser Options"
                               << "Width" << QString::number(1024 * 15 - 400);
        QTest::newRow("height") << "Browser Options"
                                << "Height" << QString::number(768 * 15 - 400);
        QTest::newRow("state") << "Browser Options"
                               << "WindowState"
                               << "0";
        QTest::newRow("start folder") << "Browser Options"
                                      << "Previous Folder"
                                      << "/media/usb/";
        QTest::newRow("odometer") << "Browser Options"
                                  << "Odometer"
                                  << "0";
        QTest::newRow("view has none") << "Browser Options"
                                       << "Listview View"
                                       << "";
        for (const char* k : {"Confirm Folder Creation", "Show Confrim Dialog", "Show Progress"})
            QTest::newRow(k) << "File Options" << k << "True";
        QTest::newRow("delay") << "Slideshow Settings"
                               << "Delay"
                               << "5";
        QTest::newRow("looping") << "Slideshow Settings"
                                 << "Looping"
                                 << "1";
        QTest::newRow("filename") << "Slideshow Settings"
                                  << "Show Filename"
                                  << "1";
        QTest::newRow("details") << "Slideshow Settings"
                                 << "Show Details"
                                 << "0";
        QTest::newRow("sequence") << "Slideshow Settings"
                                  << "Sequence"
                                  << "0";
        QTest::newRow("on top") << "Slideshow Settings"
                                << "Always On Top"
                                << "1";
        QTest::newRow("colour") << "General Options"
                                << "Last Color"
                                << "8421504";
        QTest::newRow("convert folder") << "General Options"
                                        << "Last Convert Folder"
                                        << "";
    }

    void emptyStoreDefaults() {
        QFETCH(QString, section);
        QFETCH(QString, key);
        QFETCH(QString, expected);
        QCOMPARE(ReadSetting(section, key, Schema::Default(section, key)), expected);
        // Letter case of the names does not matter.
        QCOMPARE(Schema::Default(section.toUpper(), key.toLower()), Schema::Default(section, key));
    }

    void booleans_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("expected");  // -1 cannot be converted
        QTest::newRow("True") << "True" << 1;
        QTest::newRow("false lower") << "false" << 0;
        QTest::newRow("TRUE upper") << "TRUE" << 1;
        QTest::newRow("zero") << "0" << 0;
        QTest::newRow("minus one") << "-1" << 1;
        QTest::newRow("fraction") << "0.5" << 1;
        QTest::newRow("spaces") << " True " << 1;
        QTest::newRow("yes") << "yes" << -1;
        QTest::newRow("empty") << "" << -1;
        QTest::newRow("check box value") << "1" << 1;
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
        QTest::newRow("largest") << "32767" << 32767 << true;
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
