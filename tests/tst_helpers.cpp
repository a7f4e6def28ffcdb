#include <QtTest>

#include "TestEnv.h"
#include "kit/Helpers.h"
#include "kit/NumberFormat.h"
#include "platform/Platform.h"
#include "platform/Registry.h"

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

private slots:
    void init() {
        Platform::SetRegistry(std::make_unique<MemoryRegistry>());
        QLocale::setDefault(QLocale::c());
    }

    void pathHelpers_data() {
        QTest::addColumn<QString>("helper");
        QTest::addColumn<QString>("input");
        QTest::addColumn<QString>("expected");
        // clang-format off
        QTest::newRow("name of folder/") << "GetFileName" << "/photos/" << "";
        QTest::newRow("name, backslash") << "GetFileName" << "/a/b\\c.jpg" << "b\\c.jpg";
        QTest::newRow("ext, last dot") << "GetExtension" << "cat.tar.gz" << "gz";
        QTest::newRow("ext, no dot") << "GetExtension" << "readme" << "";
        QTest::newRow("ext, dot in folder") << "GetExtension" << "/my.dir/readme" << "dir/readme";
        QTest::newRow("add, empty") << "AddBackslash" << "" << "/";
        QTest::newRow("strip, buffer") << "StripNul" << "/data" + QString(5, NUL) << "/data";
        QTest::newRow("strip, first cuts") << "StripNul" << "a" + QString(NUL) + "b" << "a";
        QTest::newRow("take, drive list") << "TakeNulItem" << "A" + QString(NUL) + "B" +
                                             QString(2, NUL) << "A|B|";
        QTest::newRow("take, leading NUL") << "TakeNulItem" << QString(NUL) + "x" << "|x";
        // clang-format on
    }

    void pathHelpers() {
        static const QHash<QString, QString (*)(const QString&)> helpers = {
            {"GetFileName", GetFileName},
            {"GetExtension", GetExtension},
            {"AddBackslash", AddBackslash},
            {"StripNul", StripNul},
            {"TakeNulItem", [](const QString& text) {  // walks the list the way callers do
                 QString list = text;
                 QStringList taken;
                 while (!list.isEmpty() && taken.size() < 10) taken << TakeNulItem(list);
                 return taken.join('|');
             }}};
        QFETCH(QString, helper);
        QFETCH(QString, input);
        QFETCH(QString, expected);
        QCOMPARE(helpers.value(helper)(input), expected);
    }

    void formatFileSize_data() {
        QTest::addColumn<qint64>("bytes");
        QTest::addColumn<QString>("expected");
        const qint64 GB = 1073741824;
        // clang-format off
        QTest::newRow("below KB") << qint64(1023) << "1,023 bytes";
        QTest::newRow("one KB") << qint64(1024) << "1.00KB";
        QTest::newRow("rounds up to 100.0") << qint64(102399) << "100.0KB";
        QTest::newRow("whole KB") << qint64(1000000) << "977KB";
        QTest::newRow("below 1 MB in MB") << qint64(1024000) << "0.98MB";
        QTest::newRow("tens of MB") << qint64(50 * 1048576 + 524288) << "50.5MB";
        QTest::newRow("largest 32-bit") << qint64(2147483647) << "2.00GB";
        QTest::newRow("5 TB") << 5 * 1024 * GB << "5.00TB";
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
        auto row = [](const char* name, double v, const char* pattern, const char* locale,
                      const QString& expected) {
            QTest::newRow(name) << v << QString(pattern) << QString(locale) << expected;
        };
        auto c = [&](const char* name, double v, const char* pattern, const QString& expected) {
            row(name, v, pattern, "C", expected);
        };
        c("grouped rounds", 999.5, "#,##0", "1,000");
        c("fraction only", 0.25, "###.##", ".25");
        c("point always", 2.0, "###.##", "2.");
        c("rounds to nothing but the point", 0.004, "###.##", ".");
        c("optional rounds to zero", 0.4, "###,###,###", "");
        c("mixed rounds", 1234.56, "###,###,##0.#", "1,234.6");
        c("carry through", 99.999, "0.0", "100.0");
        c("decimal half 1.15", 1.15, "0.0", "1.2");
        c("negative half", -2.5, "0", "-3");
        c("negative to zero", -0.004, "0.00", "0.00");
        c("huge", 1e20, "#,##0", "100,000,000,000,000,000,000");
        row("German", 1234567.891, "###,###,##0.#", "de_DE", "1.234.567,9");
        row("Swedish minus", -1234.0, "#,##0", "sv_SE", "\u22121\u00a0234");
    }

    void formatNumber() {
        QFETCH(double, value);
        QFETCH(QString, pattern);
        QFETCH(QString, locale);
        QFETCH(QString, expected);
        QCOMPARE(FormatNumber(value, pattern, QLocale(locale)), expected);
    }

    // A failed read leaves the result as it was; only a failed text fetch empties it.
    void readFailures() {
        const HKEY key = openUserKey("Software\\Kvo");
        Platform::registry().RegSetValueEx(key, "Blob", 0, 3, "\x01\x02", 2);
        QVariant result("unchanged");
        QCOMPARE(ReadRegValue(key, "Blob", result), -1L);
        QCOMPARE(ReadRegValue(HKEY(999), "Blob", result), ERROR_INVALID_HANDLE);
        QCOMPARE(result, QVariant("unchanged"));

        Platform::SetRegistry(std::make_unique<FailingReadRegistry>());
        QCOMPARE(WriteUserRegValue("Software\\Kvo", "Name", "text", REG_SZ), ERROR_SUCCESS);
        QCOMPARE(ReadRegValue(openUserKey("Software\\Kvo"), "Name", result), ERROR_MORE_DATA);
        QCOMPARE(result, QVariant(QString()));
    }
};

KVO_TEST_MAIN_CORE(TestHelpers)
#include "tst_helpers.moc"
