#include <QtTest>

#include "TestEnv.h"
#include "app/CStopWatch.h"
#include "app/Helpers.h"
#include "app/NumberFormat.h"
#include "platform/Clock.h"
#include "platform/Platform.h"
#include "platform/Registry.h"
#include "platform/SystemInfo.h"

namespace {
const QChar NUL(0);

// A registry whose second query (the one with a buffer) fails.
class FailingReadRegistry : public MemoryRegistry {
public:
    long RegQueryValueEx(HKEY key, const QString& name, quint32* type, char* data,
                         quint32* size) override {
        if (data) return ERROR_MORE_DATA;
        return MemoryRegistry::RegQueryValueEx(key, name, type, data, size);
    }
};

HKEY openUserKey(const QString& path) {
    HKEY key = 0;
    Platform::registry().RegOpenKeyEx(HKEY_CURRENT_USER, path, 0, KEY_ALL_ACCESS, &key);
    return key;
}
}  // namespace

class TestHelpers : public QObject {
    Q_OBJECT

    FakeClock* clock_ = nullptr;  // owned by Platform

private slots:
    void init() {
        auto clock = std::make_unique<FakeClock>();
        clock_ = clock.get();
        Platform::setClock(std::move(clock));
        auto system = std::make_unique<FakeSystemInfo>();
        system->owner = "Zoë Ångström";
        system->windowsDir = "/srv/kvo data";
        Platform::setSystem(std::move(system));
        Platform::setRegistry(std::make_unique<MemoryRegistry>());
        QLocale::setDefault(QLocale::c());
    }

    void pathHelpers_data() {
        QTest::addColumn<QString>("helper");
        QTest::addColumn<QString>("input");
        QTest::addColumn<QString>("expected");
        // clang-format off
        QTest::newRow("name of file") << "GetFileName" << "/photos/cat.jpg" << "cat.jpg";
        QTest::newRow("name of root") << "GetFileName" << "/" << "";
        QTest::newRow("name of folder/") << "GetFileName" << "/photos/" << "";
        QTest::newRow("name without /") << "GetFileName" << "cat.jpg" << "";
        QTest::newRow("name, backslash") << "GetFileName" << "/a/b\\c.jpg" << "b\\c.jpg";
        QTest::newRow("ext, last dot") << "GetExtension" << "cat.tar.gz" << "gz";
        QTest::newRow("ext, case kept") << "GetExtension" << "CAT.JPG" << "JPG";
        QTest::newRow("ext, no dot") << "GetExtension" << "readme" << "";
        QTest::newRow("ext, ends in dot") << "GetExtension" << "name." << "";
        QTest::newRow("ext, dot in folder") << "GetExtension" << "/my.dir/readme" << "dir/readme";
        QTest::newRow("add, root") << "AddBackslash" << "/" << "/";
        QTest::newRow("add, folder") << "AddBackslash" << "/photos" << "/photos/";
        QTest::newRow("add, has one") << "AddBackslash" << "/photos/" << "/photos/";
        QTest::newRow("add, empty") << "AddBackslash" << "" << "/";
        QTest::newRow("strip, no NUL") << "StripNul" << "/data" << "/data";
        QTest::newRow("strip, buffer") << "StripNul" << "/data" + QString(5, NUL) << "/data";
        QTest::newRow("strip, first cuts") << "StripNul" << "a" + QString(NUL) + "b" << "a";
        QTest::newRow("strip, NUL first") << "StripNul" << QString(NUL) + "x" << "";
        // clang-format on
    }

    void pathHelpers() {
        static const QHash<QString, QString (*)(const QString&)> helpers = {
            {"GetFileName", GetFileName},
            {"GetExtension", GetExtension},
            {"AddBackslash", AddBackslash},
            {"StripNul", StripNul}};
        QFETCH(QString, helper);
        QFETCH(QString, input);
        QFETCH(QString, expected);
        QCOMPARE(helpers.value(helper)(input), expected);
    }

    void takeNulItem_data() {
        QTest::addColumn<QString>("list");
        QTest::addColumn<QStringList>("items");
        // clang-format off
        QTest::newRow("drive list") << "A" + QString(NUL) + "B" + QString(NUL) + QString(NUL)
                                    << QStringList({"A", "B", ""});
        QTest::newRow("no NUL") << "/home" << QStringList({"/home"});
        QTest::newRow("leading NUL") << QString(NUL) + "x" << QStringList({"", "x"});
        // clang-format on
    }

    // Walks the list the way callers do, until nothing is left.
    void takeNulItem() {
        QFETCH(QString, list);
        QFETCH(QStringList, items);
        QStringList taken;
        while (!list.isEmpty() && taken.size() < 10) taken << TakeNulItem(list);
        QCOMPARE(taken, items);
    }

    void getWindowsDir() { QCOMPARE(GetWindowsDir(), QString("/srv/kvo data/")); }

    void formatFileSize_data() {
        QTest::addColumn<qint64>("bytes");
        QTest::addColumn<QString>("expected");
        const qint64 GB = 1073741824;
        // clang-format off
        QTest::newRow("zero") << qint64(0) << "0 bytes";
        QTest::newRow("below KB") << qint64(1023) << "1,023 bytes";
        QTest::newRow("one KB") << qint64(1024) << "1.00KB";
        QTest::newRow("ten KB") << qint64(10240) << "10.0KB";
        QTest::newRow("rounds up to 100.0") << qint64(102399) << "100.0KB";
        QTest::newRow("whole KB") << qint64(1000000) << "977KB";
        QTest::newRow("below 1 MB in MB") << qint64(1024000) << "0.98MB";
        QTest::newRow("just below MB") << qint64(1048575) << "1.00MB";
        QTest::newRow("tens of MB") << qint64(50 * 1048576 + 524288) << "50.5MB";
        QTest::newRow("hundreds of MB") << qint64(700 * 1048576) << "700MB";
        QTest::newRow("one GB") << GB << "1.00GB";
        QTest::newRow("largest 32-bit") << qint64(2147483647) << "2.00GB";
        QTest::newRow("5 GB") << 5 * GB << "5.00GB";
        QTest::newRow("500 GB") << 500 * GB << "500GB";
        QTest::newRow("5 TB") << 5 * 1024 * GB << "5.00TB";
        QTest::newRow("5000 TB") << 5000 * 1024 * GB << "5000TB";
        QTest::newRow("negative") << qint64(-1500) << "-1,500 bytes";
        // clang-format on
    }

    void formatFileSize() {
        QFETCH(qint64, bytes);
        QFETCH(QString, expected);
        QCOMPARE(FormatFileSize(bytes), expected);
    }

    void formatNumber_data() {
        QTest::addColumn<double>("value");
        QTest::addColumn<QString>("pattern");
        QTest::addColumn<QString>("locale");
        QTest::addColumn<QString>("expected");
        // clang-format off
        QTest::newRow("grouped") << 1023.0 << "#,##0" << "C" << "1,023";
        QTest::newRow("grouped millions") << 1234567.0 << "#,##0" << "C" << "1,234,567";
        QTest::newRow("grouped zero") << 0.0 << "#,##0" << "C" << "0";
        QTest::newRow("grouped rounds") << 999.5 << "#,##0" << "C" << "1,000";
        QTest::newRow("fraction only") << 0.25 << "###.##" << "C" << ".25";
        QTest::newRow("point always") << 2.0 << "###.##" << "C" << "2.";
        QTest::newRow("one decimal of two") << 12.5 << "###.##" << "C" << "12.5";
        QTest::newRow("rounds to nothing but the point") << 0.004 << "###.##" << "C" << ".";
        QTest::newRow("zero keeps the point") << 0.0 << "###.##" << "C" << ".";
        QTest::newRow("optional zero") << 0.0 << "###,###,###" << "C" << "";
        QTest::newRow("optional rounds to zero") << 0.4 << "###,###,###" << "C" << "";
        QTest::newRow("optional millions") << 1234567.0 << "###,###,###" << "C" << "1,234,567";
        QTest::newRow("mixed rounds") << 1234.56 << "###,###,##0.#" << "C" << "1,234.6";
        QTest::newRow("mixed whole") << 5.0 << "###,###,##0.#" << "C" << "5.";
        QTest::newRow("carry through") << 99.999 << "0.0" << "C" << "100.0";
        QTest::newRow("carry past point") << 0.998 << "0.00" << "C" << "1.00";
        QTest::newRow("decimal half 1.15") << 1.15 << "0.0" << "C" << "1.2";
        QTest::newRow("decimal half 0.125") << 0.125 << "0.00" << "C" << "0.13";
        QTest::newRow("half 2.5") << 2.5 << "0" << "C" << "3";
        QTest::newRow("below half") << 0.49999 << "0" << "C" << "0";
        QTest::newRow("negative half") << -2.5 << "0" << "C" << "-3";
        QTest::newRow("negative to zero") << -0.004 << "0.00" << "C" << "0.00";
        QTest::newRow("tiny") << 1e-20 << "0.00" << "C" << "0.00";
        QTest::newRow("huge") << 1e20 << "#,##0" << "C" << "100,000,000,000,000,000,000";
        QTest::newRow("no grouping without comma") << 12345.0 << "0" << "C" << "12345";
        QTest::newRow("German") << 1234567.891 << "###,###,##0.#" << "de_DE" << "1.234.567,9";
        QTest::newRow("French group") << 1234567.0 << "#,##0" << "fr_FR" << "1\u202f234\u202f567";
        QTest::newRow("Swiss group") << 1234.5 << "#,##0.0" << "de_CH" << "1\u2019234.5";
        QTest::newRow("Swedish minus") << -1234.0 << "#,##0" << "sv_SE" << "\u22121\u00a0234";
        // clang-format on
    }

    void formatNumber() {
        QFETCH(double, value);
        QFETCH(QString, pattern);
        QFETCH(QString, locale);
        QFETCH(QString, expected);
        QCOMPARE(FormatNumber(value, pattern, QLocale(locale)), expected);
    }

    void formatFileSizeUsesLocale() {
        QLocale::setDefault(QLocale("de_DE"));
        QCOMPARE(FormatFileSize(1536), QString("1,50KB"));
        QCOMPARE(FormatFileSize(1000), QString("1.000 bytes"));
    }

    void formatGeneralDate_data() {
        QTest::addColumn<QString>("locale");
        QTest::addColumn<QString>("expected");
        // clang-format off
        QTest::newRow("C") << "C" << "15 Jun 2021 13:45:09";
        QTest::newRow("US") << "en_US" << "6/15/21 1:45:09 PM";
        QTest::newRow("German") << "de_DE" << "15.06.21 13:45:09";
        QTest::newRow("zone first") << "zh_CN" << "2021/6/15 13:45:09";
        // clang-format on
    }

    // The short date, the time with seconds and never a time zone.
    void formatGeneralDate() {
        QFETCH(QString, locale);
        QFETCH(QString, expected);
        QLocale::setDefault(QLocale(locale));
        QCOMPARE(FormatGeneralDate(QDateTime(QDate(2021, 6, 15), QTime(13, 45, 9))), expected);
    }

    void registryRoundTrip_data() {
        QTest::addColumn<QVariant>("value");
        QTest::addColumn<quint32>("type");
        QTest::addColumn<QVariant>("expected");
        // clang-format off
        QTest::newRow("text") << QVariant("2") << REG_SZ << QVariant(QString("2"));
        QTest::newRow("non-ASCII text") << QVariant("Zoë") << REG_SZ << QVariant(QString("Zoë"));
        QTest::newRow("empty text") << QVariant("") << REG_SZ << QVariant(QString(""));
        QTest::newRow("number") << QVariant(-5) << REG_DWORD << QVariant(qint32(-5));
        QTest::newRow("number from text") << QVariant("42") << REG_DWORD << QVariant(qint32(42));
        // clang-format on
    }

    void registryRoundTrip() {
        QFETCH(QVariant, value);
        QFETCH(quint32, type);
        QFETCH(QVariant, expected);
        QCOMPARE(WriteUserRegValue("Control Panel\\Desktop", "TileWallpaper", value, type),
                 ERROR_SUCCESS);
        QVariant result;
        QCOMPARE(ReadRegValue(openUserKey("control panel\\DESKTOP"), "TileWallpaper", result),
                 ERROR_SUCCESS);
        QCOMPARE(result, expected);
    }

    void readsRegisteredOwner() {
        HKEY key = 0;
        QCOMPARE(Platform::registry().RegOpenKeyEx(HKEY_LOCAL_MACHINE,
                                                   "Software\\Microsoft\\Windows\\CurrentVersion",
                                                   0, KEY_ALL_ACCESS, &key),
                 ERROR_SUCCESS);
        QVariant owner;
        QCOMPARE(ReadRegValue(key, "RegisteredOwner", owner), ERROR_SUCCESS);
        QCOMPARE(owner.toString(), QString("Zoë Ångström"));
    }

    void readFailures_data() {
        QTest::addColumn<int>("storedType");  // 0: nothing stored
        QTest::addColumn<bool>("badHandle");
        QTest::addColumn<long>("status");
        // clang-format off
        QTest::newRow("missing value") << 0 << false << ERROR_FILE_NOT_FOUND;
        QTest::newRow("bad handle") << 0 << true << ERROR_INVALID_HANDLE;
        QTest::newRow("binary value") << 3 << false << -1L;
        // clang-format on
    }

    // A value that cannot be read leaves the caller's result as it was.
    void readFailures() {
        QFETCH(int, storedType);
        QFETCH(bool, badHandle);
        QFETCH(long, status);
        const HKEY key = openUserKey("Software\\Kvo");
        if (storedType)
            Platform::registry().RegSetValueEx(key, "Value", 0, quint32(storedType), "\x01\x02", 2);
        QVariant result("unchanged");
        QCOMPARE(ReadRegValue(badHandle ? HKEY(999) : key, "Value", result), status);
        QCOMPARE(result, QVariant("unchanged"));
    }

    // The size is known but the text cannot be fetched: the result is empty.
    void failedTextReadEmptiesResult() {
        Platform::setRegistry(std::make_unique<FailingReadRegistry>());
        WriteUserRegValue("Software\\Kvo", "Name", "text", REG_SZ);
        QVariant result("unchanged");
        QCOMPARE(ReadRegValue(openUserKey("Software\\Kvo"), "Name", result), ERROR_MORE_DATA);
        QCOMPARE(result, QVariant(QString()));
    }

    void otherTypesAreNotWritten() {
        auto registry = std::make_unique<MemoryRegistry>();
        MemoryRegistry* memory = registry.get();
        Platform::setRegistry(std::move(registry));
        QCOMPARE(WriteUserRegValue("Software\\Kvo", "Blob", "x", 3), ERROR_SUCCESS);
        QVERIFY(memory->keys.isEmpty());
    }

    void stopWatch_data() {
        QTest::addColumn<quint32>("start");
        QTest::addColumn<quint32>("step");
        // clang-format off
        QTest::newRow("plain") << 1000u << 250u;
        QTest::newRow("across signed boundary") << 0x7FFFFFF0u << 0x20u;
        QTest::newRow("counter wraps") << 0xFFFFFF00u << 0x200u;
        QTest::newRow("no time") << 0xFFFFFFFFu << 0u;
        // clang-format on
    }

    void stopWatch() {
        QFETCH(quint32, start);
        QFETCH(quint32, step);
        clock_->now = start;
        clock_->minPeriod = 5;
        clock_->maxPeriod = 1000;
        CStopWatch watch;
        clock_->minPeriod = 7;  // read once, at creation
        QCOMPARE(watch.MinimumResolution(), 5);
        QCOMPARE(watch.MaximumResolution(), 1000);
        clock_->now += step;
        QCOMPARE(watch.Elapsed(), qint32(step));
        clock_->now += step;
        QCOMPARE(watch.Elapsed(), qint32(2 * step));
        watch.Reset();
        clock_->now += 3;
        QCOMPARE(watch.Elapsed(), 3);
    }
};

KVO_TEST_MAIN_CORE(TestHelpers)
#include "tst_helpers.moc"
